// SPDX-License-Identifier: GPL-3.0-or-later
// The datalog window on the simulated board: its boxes, runs, cancel and closing mid-run.

#include "app/number_text.h"
#include "datalog/datalog_run.h"
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
      if (atYield_) atYield_(w, int(seen_.size()));
      QCoreApplication::processEvents();
    });
    return w;
  }

  // The file's lines after the titles, as the sample numbers they start with.
  static QString Samples(const char* file) {
    const std::string text = kvatest::ReadFileBytes(file);
    QStringList numbers;
    for (size_t at = text.find("\r\n", text.find("Sample #")) + 2; at < text.size();
         at = text.find("\r\n", at) + 2)
      numbers << QString::fromStdString(text.substr(at, text.find(',', at) - at));
    return numbers.join(' ');
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
    seen_.clear();
    atYield_ = nullptr;
  }
  void cleanup() {
    kvatest::EndWindowTest();
    board_.reset();
    dir_.reset();
  }

  // The starting values, then one correction per box (the rules are the run's own test).
  void startingValuesAndBoxRules() {
    auto& w = ui::ShowForm<frmDatalog>();
    const QString folder = QString::fromStdString(dir_->path().string());
    QLineEdit* boxes[] = {w.txtSamplesPerFile, w.txtFilesPerSession, w.txtSampleDelay,
                          w.txtDirectory,      w.txtFileName,        w.txtFileNum};
    const char* typed[] = {"70000", "2500", "-5", "/tmp", "DATALOG", ""};
    QStringList before, after;
    for (int i = 0; i < 6; ++i) {
      before << boxes[i]->text();
      if (i < 4) boxes[i]->setText(typed[i]);
      after << boxes[i]->text();
    }
    QCOMPARE(before.join('|') + " " + after.join('|'),
             "1000|1|0|" + folder + "|DATALOG| 65526|2000|0|" + folder + "|DATALOG|");
    QVERIFY(!w.txtFileNum->isEnabled() && !w.LBLDatalogInProgress->isVisible());
  }

  // Nothing checked, or a File Name that is not a plain name: one message, no run, no file.
  void refusalsShowTheMessageOnly() {
    // clang-format off
    const struct { std::initializer_list<int> boxes; const char* name; std::string message; } cases[] = {
        {{}, "DATALOG", "Please check at least one DATA SELECTION box.|"},
        {{1}, "..", "File Name must be a file name without a folder, not \"..\".|KVA7710_Eval_Rev_1"}};
    // clang-format on
    for (const auto& c : cases) {
      ui::MessageRecorder messages;
      auto& w = Window(c.boxes, "3", "1");
      w.txtFileName->setText(c.name);
      w.cmdStartDatalog->click();
      QCOMPARE(messages.messages().size(), size_t(1));
      QCOMPARE(messages.messages()[0].text + "|" + messages.messages()[0].title, c.message);
      QVERIFY(seen_.size() == 0 && std::filesystem::is_empty(dir_->path()));
    }
  }

  void twoFileRunShowsFileNumberProgressAndWaits() {
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
    QCOMPARE(seen_.size(), size_t(2 * (1 + 3)));
    QCOMPARE(seen_[0].fileNum + seen_[4].fileNum + seen_[7].fileNum, QString("122"));
    QCOMPARE(seen_[2].progress + "|" + seen_[7].progress + "|" + seen_[7].caption,
             QString("Sample 2 of 3     File 1 of 2|Sample 3 of 3     File 2 of 2|Cancel Datalog"));
    QVERIFY(seen_[7].bannerShown && !seen_[7].setupEnabled && !w.lblProgress->isVisible());
    QVERIFY(!w.LBLDatalogInProgress->isVisible() && w.CheckReg[3]->isEnabled());
    QCOMPARE(w.cmdStartDatalog->text() + w.txtFileNum->text(), QString("Start Datalog2"));
    // The checked signals reach the file; its layout is the run's own test.
    QVERIFY(kvatest::ReadFileBytes("DATALOG_2.csv")
                .find("\r\nSample #,PvND,Power V,XaND,X acc,ADCND,Aux_ADC,\r\n") !=
            std::string::npos);
    QCOMPARE(Samples("DATALOG_2.csv"), QString("1 2 3"));
  }

  // Cancel at yield 5 (after sample 4), the second click starting nothing; closing the window
  // at yield 3 (after sample 2): the samples taken are kept either way.
  void cancelOrCloseKeepsExactlyTheSamplesTaken() {
    auto& w = Window({4}, "1000", "3");
    atYield_ = [](frmDatalog& form, int n) {
      if (n != 5) return;
      form.cmdStartDatalog->click();
      form.cmdStartDatalog->click();
    };
    w.cmdStartDatalog->click();
    QCOMPARE(seen_.size(), size_t(5));
    QCOMPARE(Samples("DATALOG_1.csv"), QString("1 2 3 4"));
    QVERIFY(!std::filesystem::exists("DATALOG_2.csv") && w.txtSamplesPerFile->isEnabled());
    QCOMPARE(w.cmdStartDatalog->text(), QString("Start Datalog"));

    seen_.clear();
    w.txtFileName->setText("CLOSED");
    atYield_ = [](frmDatalog& form, int n) {
      if (n == 3) form.close();
    };
    w.cmdStartDatalog->click();
    QCOMPARE(Samples("CLOSED_1.csv"), QString("1 2"));
    QVERIFY(seen_.size() == 3 && ui::FindForm<frmDatalog>() == nullptr);
  }
};

QTEST_MAIN(FrmDatalogTest)
#include "frmDatalog_test.moc"
