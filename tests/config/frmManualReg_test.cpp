// SPDX-License-Identifier: GPL-3.0-or-later
// The register browser on a sensor that answers exact words: the listing, the map entry and
// read of a chosen register, the waits after a write, the maximised layout and the print-out.
#include "config/frmManualReg.h"

#include <QtTest>
#include <memory>

#include "sim/sim_parallel_port.h"
#include "support/fake_sensor.h"
#include "support/temp_dir.h"
#include "support/ui_window_test.h"
#include "ui/print_window.h"
#include "ui/twips.h"

using namespace kva;

namespace {

// Notes the delay steps run before each frame, so waits between frames can be measured.
struct TimedSensor : kvatest::FakeSensor {
  std::vector<int64_t> stepsAt;
  uint16_t Transfer(uint16_t mosi) override {
    stepsAt.push_back(State().delay.DelayStepsRun);
    return FakeSensor::Transfer(mosi);
  }
  void Set(int16_t index, uint16_t word) {
    SetWord(uint8_t(State().registers.RegisterMap[index].BaseAddr), word);
  }
};

void Choose(QComboBox& list, int index) {
  list.setCurrentIndex(index);
  emit list.activated(index);
}

}  // namespace

class FrmManualRegTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TimedSensor> sensor_;
  std::unique_ptr<sim::SimParallelPort> port_;
  std::unique_ptr<kvatest::LptSetup> setup_;

  frmManualReg& Window() { return ui::ShowForm<frmManualReg>(); }

  // Delay steps from the last write frame of a write to the frame that reads the value back.
  int64_t StepsBeforeReadBack(int16_t index, const char* hex) {
    auto& w = Window();
    Choose(*w.cmboRegister, index);
    w.txtDataWrite->setText(hex);
    const size_t first = sensor_->frames.size();
    w.cmdWrite->click();
    size_t lastWrite = first;
    for (size_t i = first; i < sensor_->frames.size(); ++i) {
      if (sensor_->frames[i] & 0x8000) lastWrite = i;
    }
    return sensor_->stepsAt.at(lastWrite + 1) - sensor_->stepsAt.at(lastWrite);
  }

 private slots:
  void init() {
    sensor_ = std::make_unique<TimedSensor>();
    port_ = std::make_unique<sim::SimParallelPort>(*sensor_, 0x378);
    setup_ = std::make_unique<kvatest::LptSetup>(port_.get());
    ui::InstallQtHooks();
  }
  void cleanup() {
    kvatest::EndWindowTest();
    setup_.reset();
    port_.reset();
    sensor_.reset();
  }

  void listingOnLoadAndTheChosenRegister() {
    sensor_->Set(XACCL_OUT, 0xBFF6);
    sensor_->Set(PROD_ID, 0x1E1E);
    auto& w = Window();
    const QStringList lines = w.Text1->toPlainText().split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2 + 36);
    QCOMPARE(lines[4], QString("XACCL_OUT      \t0004\tFFF6\t   0   1\t-0.514"));
    QCOMPARE(w.cmboRegister->count(), 40);
    QVERIFY(!w.cmdRead->isEnabled() && !w.cmdWrite->isEnabled());  // nothing chosen yet

    Choose(*w.cmboRegister, PROD_ID);
    QCOMPARE(QStringList({w.txtRegAddr->text(), w.txtRegByte->text(), w.txtRegRead->text(),
                          w.txtRegWrite->text(), w.txtHex->text(), w.txtRegVal->text()}),
             QStringList({"004C", "2", "True", "False", "1E1E", "7710.0"}));
    QVERIFY(w.cmdRead->isEnabled() && !w.cmdWrite->isEnabled());

    const size_t frames = sensor_->frames.size();
    Choose(*w.cmboRegister, RESERVED_20);
    QVERIFY(!w.cmdRead->isEnabled() && !w.cmdWrite->isEnabled());
    QCOMPARE(w.txtHex->text(), QString("1E1E"));
    QCOMPARE(sensor_->frames.size(), frames);
  }

  void writeWaitsLongerForTheCaptureConfiguration() {
    QTest::keyClicks(Window().txtDataWrite, "12g3456");
    QCOMPARE(Window().txtDataWrite->text(), QString("1234"));  // hex digits, four at most

    const int64_t other = StepsBeforeReadBack(SMPL_PRD, "0147");
    const int64_t capture = StepsBeforeReadBack(CAPT_CFG, "00F7");
    QCOMPARE(sensor_->WordWrites(),
             (std::vector<std::pair<uint8_t, uint16_t>>{{0x48, 0x0147}, {0x42, 0x00F7}}));
    QCOMPARE(Window().txtHex->text(), QString("00F7"));
    // 50 ms in 10-microsecond steps, plus the write's own settling; 500 ms more for CAPT_CFG.
    QVERIFY2(other >= 5000 && other < 5100, qPrintable(QString::number(other)));
    QCOMPARE(capture - other, int64_t(50000));
  }

  void maximisedListingTakesTheWindowsHeight() {
    auto& w = Window();
    const int designHeight = w.Text1->height();
    w.resize(w.width(), 700);  // not maximised: the listing keeps its height
    QCOMPARE(w.Text1->height(), designHeight);
    w.showMaximized();
    QTRY_VERIFY(w.isMaximized());
    const double height = ui::GeometryTwips(w).height;
    QCOMPARE(w.frameUserReg->height(), ui::TwipsToPixels(height - 700));
    QCOMPARE(w.Text1->height(), ui::TwipsToPixels(height - 700 - 550));
    QVERIFY(w.Text1->height() > designHeight + 150);
    w.showNormal();
    QTRY_COMPARE(w.Text1->height(), designHeight);
  }

  void printsTheWindowsImageOnOnePage() {
    kvatest::TempDir dir;
    ui::MessageRecorder messages;
    QString file;
    bool accept = true;
    ui::SetPrinterHook([&](QPrinter& printer) {
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(file);
      return accept;
    });
    auto& w = Window();
    file = QString::fromStdString((dir.path() / "registers.pdf").string());
    w.cmdPrint->click();
    const std::string pdf = kvatest::ReadFileBytes(dir.path() / "registers.pdf");
    QVERIFY(pdf.starts_with("%PDF"));
    QCOMPARE(QString::fromStdString(pdf).count("/Type /Page\n"), 1);
    const QSize size = w.grab().size();
    QVERIFY(pdf.find("/Subtype /Image") != std::string::npos);
    QVERIFY(pdf.find("/Width " + std::to_string(size.width())) != std::string::npos);
    QVERIFY(pdf.find("/Height " + std::to_string(size.height())) != std::string::npos);

    file = QString::fromStdString((dir.path() / "missing" / "registers.pdf").string());
    w.cmdPrint->click();
    QCOMPARE(messages.texts(), std::vector<std::string>{"The window could not be printed to " +
                                                        file.toStdString() + "."});
    accept = false;  // the dialog cancelled: nothing printed, nothing said
    QCOMPARE(ui::PrintWindowImage(w), ui::PrintOutcome::Cancelled);
    QCOMPARE(messages.texts().size(), size_t(1));
    ui::SetPrinterHook({});
  }
};

QTEST_MAIN(FrmManualRegTest)
#include "frmManualReg_test.moc"
