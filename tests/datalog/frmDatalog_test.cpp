// SPDX-License-Identifier: GPL-3.0-or-later
// The datalog window over the simulated board: its controls and box rules, runs with their
// files, cancel, closing mid-run and a file that cannot be written. The file layout and its
// locale forms are the run's own tests.
#include "datalog/frmDatalog.h"

#include <QtTest>
#include <functional>
#include <memory>

#include "app/number_text.h"
#include "datalog/datalog_run.h"
#include "device/bring_up.h"
#include "device/register_map.h"
#include "mainwindow/frmForm1.h"
#include "sim/sim_board.h"
#include "support/temp_dir.h"
#include "support/ui_window_test.h"

using namespace kva;

namespace {

// What a run looks like at one of its yields.
struct Seen {
  QString fileNum, caption, progress;
  bool bannerShown = false, setupEnabled = false;
};

}  // namespace

class FrmDatalogTest : public QObject {
  Q_OBJECT

  std::unique_ptr<kvatest::TempDir> dir_;
  std::unique_ptr<sim::SimBoard> board_;
  double monotonic_ = 0;
  int yields_ = 0;
  std::vector<Seen> seen_;
  std::function<void(frmDatalog&, int)> atYield_;  // called at yield n (from 1)

  // The window with the boxes set and the given signals checked; every yield of a run is
  // recorded and passed to atYield_.
  frmDatalog& Window(std::initializer_list<int> boxes, const char* samples, const char* files) {
    auto& w = ui::ShowForm<frmDatalog>();
    for (int k : boxes) w.CheckReg[k]->setChecked(true);
    w.txtSamplesPerFile->setText(samples);
    w.txtFilesPerSession->setText(files);
    SetYieldHandler([this, &w] {
      seen_.push_back({w.txtFileNum->text(), w.cmdStartDatalog->text(), w.lblProgress->text(),
                       w.LBLDatalogInProgress->isVisible(), w.txtFileName->isEnabled()});
      ++yields_;
      if (atYield_) atYield_(w, yields_);
      QCoreApplication::processEvents();
    });
    return w;
  }

  static std::vector<std::string> DataLines(const std::string& file) {
    std::vector<std::string> lines;
    const size_t titles = file.find("Sample #");
    size_t at = file.find("\r\n", titles) + 2;
    for (size_t end; (end = file.find("\r\n", at)) != std::string::npos; at = end + 2) {
      lines.push_back(file.substr(at, end - at));
    }
    return lines;
  }

 private slots:
  void init() {
    kvatest::PrepareWindowTests();
    dir_ = std::make_unique<kvatest::TempDir>();
    sim::SimBoardOptions options;
    options.clock = [] { return 50.0; };
    board_ = std::make_unique<sim::SimBoard>(options);
    State().settings.InterfaceType = Interface::Usb;
    QVERIFY(BringUpUsbAdapter());
    SetDecimalMarkOverride('.');
    monotonic_ = 0;
    // Each reading of the clock is a second later: every sample refreshes the progress line.
    SetClockHooks({[this] { return monotonic_ += 1.0; }, nullptr,
                   [] { return LocalDateTime{2010, 4, 15, 9, 5, 0}; }});
    yields_ = 0;
    seen_.clear();
    atYield_ = nullptr;
  }
  void cleanup() {
    kvatest::EndWindowTest();
    board_.reset();
    dir_.reset();
  }

  void startingValuesAndBoxRules() {
    auto& w = ui::ShowForm<frmDatalog>();
    const QString folder = QString::fromStdString(dir_->path().string());
    QCOMPARE(QStringList({w.txtSamplesPerFile->text(), w.txtFilesPerSession->text(),
                          w.txtSampleDelay->text(), w.txtDirectory->text(), w.txtFileName->text(),
                          w.txtFileNum->text()})
                 .join('|'),
             "1000|1|0|" + folder + "|DATALOG|");
    QVERIFY(!w.txtFileNum->isEnabled() && !w.LBLDatalogInProgress->isVisible());

    // One correction per box (the rules themselves are the run's test); the folder is fixed.
    const struct {
      QLineEdit* box;
      const char *typed, *shown;
    } cases[] = {
        {w.txtSamplesPerFile, "70000", "65526"},
        {w.txtFilesPerSession, "2500", "2000"},
        {w.txtSampleDelay, "-5", "0"},
        {w.txtDirectory, "/tmp", nullptr},
    };
    for (const auto& c : cases) {
      c.box->setText(c.typed);
      QCOMPARE(c.box->text(), c.shown != nullptr ? QString(c.shown) : folder);
    }
  }

  // Nothing checked, or a File Name that is not a plain name: one message, no run, no file.
  void refusalsShowTheMessageOnly() {
    const struct {
      std::initializer_list<int> boxes;
      const char* name;
      std::string message;
    } cases[] = {
        {{}, "DATALOG", "Please check at least one DATA SELECTION box.|"},
        {{1},
         "..",
         "File Name must be a file name without a folder, not \"..\".|KVA7710_Eval_Rev_1"},
    };
    for (const auto& c : cases) {
      ui::MessageRecorder messages;
      auto& w = Window(c.boxes, "3", "1");
      w.txtFileName->setText(c.name);
      w.cmdStartDatalog->click();
      QCOMPARE(messages.messages().size(), size_t(1));
      QCOMPARE(messages.messages()[0].text + "|" + messages.messages()[0].title, c.message);
      QCOMPARE(w.cmdStartDatalog->text(), QString("Start Datalog"));
      QCOMPARE(yields_, 0);
      QVERIFY(std::filesystem::is_empty(dir_->path()));
    }
    // "/" cannot even be typed.
    auto& w = Window({1}, "3", "1");
    w.txtFileName->setText("a");
    QTest::keyClicks(w.txtFileName, "/b");
    QCOMPARE(w.txtFileName->text(), QString("ab"));
  }

  void twoFileRunShowsFileNumberProgressWaitsAndRescalesAux() {
    auto& w = Window({1, 2, 5}, "3", "2");
    w.txtSampleDelay->setText("7");
    static int waits7ms;
    waits7ms = 0;
    State().delay.DelayWait = [](int64_t steps) {
      waits7ms += steps == 700;
      CountedWait(steps);
    };
    w.cmdStartDatalog->click();
    QCOMPARE(waits7ms, 6);  // after every sample
    // A yield before each file and after each sample.
    QCOMPARE(yields_, 2 * (1 + 3));
    QCOMPARE(seen_[0].fileNum + seen_[4].fileNum + seen_[7].fileNum, QString("122"));
    QCOMPARE(seen_[2].progress, QString("Sample 2 of 3     File 1 of 2"));
    QCOMPARE(seen_[7].progress, QString("Sample 3 of 3     File 2 of 2"));
    QVERIFY(seen_[7].bannerShown && !seen_[7].setupEnabled);
    QCOMPARE(seen_[7].caption, QString("Cancel Datalog"));
    QVERIFY(!w.LBLDatalogInProgress->isVisible() && !w.lblProgress->isVisible());
    QVERIFY(w.txtFileName->isEnabled() && w.CheckReg[3]->isEnabled() && !w.txtFileNum->isEnabled());
    QCOMPARE(w.cmdStartDatalog->text() + w.txtFileNum->text(), QString("Start Datalog2"));

    // The checked signals reach the file; its layout is the run's own test.
    const std::string file = kvatest::ReadFileBytes("DATALOG_2.csv");
    QVERIFY(file.find("\r\nSample #,PvND,Power V,XaND,X acc,ADCND,Aux_ADC,\r\n") !=
            std::string::npos);
    QCOMPARE(DataLines(file).size(), size_t(3));
    // The supply just read scales the auxiliary input everywhere from now on.
    ReadRegister(SUPPLY_OUT);
    QCOMPARE(State().registers.RegisterMap[AUX_ADC].RegScale,
             State().registers.RegScaledValue / 1024.0f);
    QVERIFY(State().registers.RegisterMap[AUX_ADC].RegScale != 3.3f / 1024.0f);
  }

  void cancelAtASampleKeepsExactlyTheSamplesTaken() {
    auto& w = Window({4}, "1000", "3");
    // Yield 1 is before the first sample; yield 5 follows sample 4. The second click, while
    // the cancelled run has yet to write its file, starts nothing.
    atYield_ = [](frmDatalog& form, int n) {
      if (n != 5) return;
      form.cmdStartDatalog->click();
      form.cmdStartDatalog->click();
    };
    w.cmdStartDatalog->click();
    QCOMPARE(yields_, 5);
    const auto lines = DataLines(kvatest::ReadFileBytes("DATALOG_1.csv"));
    QCOMPARE(lines.size(), size_t(4));
    QVERIFY(lines[3].starts_with("4,"));
    QVERIFY(!std::filesystem::exists("DATALOG_2.csv"));
    QCOMPARE(w.cmdStartDatalog->text(), QString("Start Datalog"));
    QVERIFY(w.txtSamplesPerFile->isEnabled());
  }

  void closingMidRunWritesTheFileAndClosesTheWindow() {
    auto& w = Window({2}, "1000", "1");
    QPointer<frmDatalog> window(&w);
    atYield_ = [](frmDatalog& form, int n) {
      if (n == 3) form.close();
    };
    w.cmdStartDatalog->click();
    QCOMPARE(yields_, 3);
    QCOMPARE(DataLines(kvatest::ReadFileBytes("DATALOG_1.csv")).size(), size_t(2));
    QVERIFY(ui::FindForm<frmDatalog>() == nullptr);
    QVERIFY(window.isNull() || !window->isVisible());
  }

  // The files kept are the run's own test; here, one message and the window ready again.
  void unwritableFileGivesOneMessageAndTheWindowIsReadyAgain() {
    ui::MessageRecorder messages;
    std::filesystem::create_directory("DATALOG_2.csv");
    auto& w = Window({1}, "2", "3");
    w.cmdStartDatalog->click();
    QCOMPARE(messages.messages().size(), size_t(1));
    QVERIFY2(
        messages.texts()[0].find((dir_->path() / "DATALOG_2.csv").string()) != std::string::npos,
        messages.texts()[0].c_str());
    QCOMPARE(w.cmdStartDatalog->text(), QString("Start Datalog"));
    QVERIFY(w.CheckReg[1]->isEnabled() && !w.LBLDatalogInProgress->isVisible());
  }

  void datalogMenuOpensTheWindowModally() {
    ui::MessageRecorder messages;
    std::vector<QString> shown;
    ui::SetModalHook([&](QWidget& form) { shown.push_back(form.windowTitle()); });
    auto& main = ui::LoadForm<frmForm1>();
    QVERIFY(main.mnuDatalog->isEnabled());
    main.mnuDatalog->trigger();
    QCOMPARE(shown, std::vector<QString>{"Datalog Control"});
  }
};

QTEST_MAIN(FrmDatalogTest)
#include "frmDatalog_test.moc"
