// SPDX-License-Identifier: GPL-3.0-or-later
// The alarm, miscellaneous control, calibration, sample period and digital line windows on a
// sensor that answers exact words: the words each control writes and what each window shows.
#include <QtTest>
#include <memory>

#include "config/fmCalibration.h"
#include "config/frmAlarms.h"
#include "config/frmGPIO.h"
#include "config/frmMscCtrl.h"
#include "config/frmSampPrd.h"
#include "mainwindow/window_startup.h"
#include "support/fake_sensor.h"
#include "support/ui_window_test.h"
#include "ui/colors.h"

using namespace kva;

namespace {

using Words = std::vector<std::pair<uint8_t, uint16_t>>;  // address, word

void Choose(QComboBox& list, int index) {
  list.setCurrentIndex(index);
  emit list.activated(index);
}

// The controls of a list that are checked, by object name.
QStringList Checked(std::initializer_list<QAbstractButton*> controls) {
  QStringList names;
  for (QAbstractButton* c : controls) {
    if (c->isChecked()) names << c->objectName();
  }
  return names;
}

}  // namespace

class ConfigWindowsTest : public QObject {
  Q_OBJECT

  std::unique_ptr<kvatest::FakeBoard> board_;

  void Set(int16_t index, uint16_t word) { board_->Set(index, word); }
  Words Written() {
    Words w = board_->sensor.WordWrites();
    board_->sensor.writes.clear();
    return w;
  }

 private slots:
  void init() {
    board_ = std::make_unique<kvatest::FakeBoard>();
    ui::InstallQtHooks();
  }
  void cleanup() {
    kvatest::EndWindowTest();
    board_.reset();
  }

  // ---- alarms ----

  void alarmsShowWhatTheSensorHolds() {
    Set(ALM_CTRL, 0x3215);
    Set(ALM_MAG1, 0x8000);
    Set(ALM_MAG2, 0x0064);
    auto& w = ui::ShowForm<frmAlarms>();
    QCOMPARE(w.cmboAsource1->currentText() + "|" + w.cmboAsource2->currentText(),
             QString("X_Acc|Y_Acc"));
    QCOMPARE(Checked({w.opTrigPol1_Less, w.opTrigPol1_Greater, w.opTrigPol2_Less,
                      w.opTrigPol2_greater, w.opDig_Enabled, w.opDig_Disabled, w.opDigLine_zero,
                      w.opDigLine_one, w.opDigPol_low, w.opDigPol_high}),
             QStringList({"opTrigPol1_Greater", "opTrigPol2_Less", "opDig_Enabled", "opDigLine_one",
                          "opDigPol_low"}));
    QCOMPARE(QStringList({w.txtLevel1->text(), w.txtLevel2->text(), w.lblALM_MAG1->text(),
                          w.lblALM_MAG2->text(), w.LBLAlmCtrl->text()}),
             QStringList({"0.000", "5.140", "8000", "0064", "3215"}));

    // A new source shows what the stored magnitude, read again, means for it.
    Set(ALM_MAG2, 0x00C8);
    Choose(*w.cmboAsource2, 1);
    QCOMPARE(w.txtLevel2->text(), QString("0.976"));  // 200 x 4.88 mV
    QVERIFY(Written().empty());

    // Every activation fills the lists afresh.
    for (int i = 0; i < 3; ++i) {
      w.hide();
      ui::ShowForm<frmAlarms>();
    }
    QCOMPARE(w.cmboAsource1->count() + w.cmboAsource2->count(), 18);
    QCOMPARE(w.cmboAsource2->itemText(8), QString("Clock Alarm"));
  }

  void alarmUpdatesKeepTheBitsTheWindowDoesNotOwn() {
    Set(ALM_CTRL, 0x0037);
    auto& w = ui::ShowForm<frmAlarms>();
    Choose(*w.cmboAsource1, 1);
    w.txtLevel1->setText("3");
    w.opTrigPol1_Greater->setChecked(true);
    w.txtLevel2->setText("");
    w.cmdWiteA1->click();
    // 3 V / 4.88 mV = 614.75: 615 (0x267) with "greater than"; alarm 2 has no source.
    QCOMPARE(Written(), (Words{{0x38, 0x8267}, {0x3A, 0x0000}, {0x3C, 0x0137}}));
    QCOMPARE(w.LBLAlmCtrl->text() + "|" + w.lblALM_MAG1->text() + "|" + w.txtLevel1->text(),
             QString("0137|8267|3.001"));
    QCOMPARE(State().control.AlmCtrlValue + State().control.AlmMag1Value, 0x0137 + 0x8267);

    Set(ALM_CTRL, 0x2310);
    w.opDigLine_one->setChecked(true);
    w.opDigPol_high->setChecked(true);
    w.opDig_Enabled->setChecked(true);
    w.cmdDIO->click();
    QCOMPARE(Written(), (Words{{0x3C, 0x2317}}));
    QCOMPARE(w.LBLAlmCtrl->text(), QString("2317"));
  }

  // ---- miscellaneous control ----

  void miscControlShownAndWrittenFromMouseOrKeyboard() {
    Set(MISC_CTRL, 0x001A);  // bits 3 and 4 are not the window's
    auto& w = ui::ShowForm<frmMscCtrl>();
    const QColor face = ui::BackColor(*w.cmdWriteFlash);
    const std::initializer_list<QAbstractButton*> controls = {
        w.OpDIO1,     w.OpDIO2,       w.ckDataPolarityHigh, w.ckDataReady,
        w.ckSelfTest, w.ckNoSelfTest, w.ckPeakTracking,     w.ckSumSquares};
    QCOMPARE(w.lblHex->text(), QString("001A"));
    QCOMPARE(Checked(controls), QStringList({"OpDIO1", "ckDataPolarityHigh"}));
    QVERIFY(Written().empty());

    // The space bar writes at once, as a click does; the unowned bits go back as 0.
    w.ckPeakTracking->setFocus();
    QTest::keyClick(w.ckPeakTracking, Qt::Key_Space);
    QCOMPARE(Written(), (Words{{0x46, 0x4002}}));
    w.OpDIO2->click();
    QCOMPARE(Written(), (Words{{0x46, 0x4003}}));
    QCOMPARE(w.lblHex->text(), QString("4003"));
    QCOMPARE(Checked(controls), QStringList({"OpDIO2", "ckDataPolarityHigh", "ckPeakTracking"}));
    QCOMPARE(ui::BackColor(*w.lblHex), face);
    QVERIFY(!w.lblHex->font().bold());
  }

  // ---- calibration ----

  void offsetsWrittenInMgAndReadBack() {
    Set(ZACCL_NULL, 0x0013);
    auto& w = ui::ShowForm<fmCalibration>();
    QCOMPARE(w.txtZoffset->text() + "|" + w.lblZoffset->text(), QString("976.6|0013"));
    const struct {
      QLineEdit* box;
      QPushButton* button;
      QLabel* hex;
      const char* typed;
      Words written;
      const char* shown;  // the box, then the label
    } cases[] = {
        {w.txtXoffset, w.cmdCal_Xoffset, w.lblXoffset, "100", {{0x20, 0x0002}}, "102.8|0002"},
        {w.txtYoffset, w.cmdCal_Yoffset, w.lblYoffset, "-7000", {{0x22, 0xFF80}}, "-6579.2|FF80"},
        {w.txtZoffset, w.cmdCal_Zoffset, w.lblZoffset, "abc", {{0x24, 0x0000}}, "0.0|0000"},
    };
    for (const auto& c : cases) {
      c.box->setText(c.typed);
      c.button->click();
      QCOMPARE(Written(), c.written);
      QCOMPARE(c.box->text() + "|" + c.hex->text(), QString(c.shown));
    }
  }

  void calibrationCommandsAndTheGreenRefresh() {
    auto& w = ui::ShowForm<fmCalibration>();
    const QColor face = ui::BackColor(*w.cmdFlashUpdate);
    // What a refresh shows while it yields: the labels' colours and the frames sent so far.
    std::vector<QColor> colours;
    size_t framesAtYield = 0;
    int64_t stepsAtYield = 0;
    SetYieldHandler([&] {
      colours = {ui::BackColor(*w.lblXoffset), ui::BackColor(*w.lblYoffset),
                 ui::BackColor(*w.lblZoffset), ui::BackColor(*w.cmdFlashUpdate)};
      framesAtYield = board_->sensor.frames.size();
      stepsAtYield = State().delay.DelayStepsRun;
    });
    const struct {
      QPushButton* button;
      uint16_t command;
      int64_t waitSteps;  // before the refresh's yield, or to the end of the click
    } cases[] = {
        {w.cmdAutoNull, 1, 25000}, {w.cmdFactoryCal, 2, 50000}, {w.cmdFlashUpdate, 8, 60000}};
    for (const auto& c : cases) {
      board_->sensor.frames.clear();
      const int64_t before = State().delay.DelayStepsRun;
      c.button->click();
      QCOMPARE(Written(), (Words{{0x4A, c.command}}));
      if (c.command != 8) {
        QCOMPARE(colours, (std::vector<QColor>{ui::kGreen, ui::kGreen, ui::kGreen, face}));
        QVERIFY(stepsAtYield - before >= c.waitSteps);
        // Green from before the first offset read to the last, and at least 200 ms.
        QCOMPARE(framesAtYield, size_t(2));  // the command's two write frames only
        QVERIFY(State().delay.DelayStepsRun - stepsAtYield >= 20000);
      } else {
        QCOMPARE(colours[3], ui::kGreen);
        QVERIFY(State().delay.DelayStepsRun - before >= c.waitSteps);
      }
      QCOMPARE(ui::BackColor(*w.lblXoffset), face);
      QCOMPARE(ui::BackColor(*w.cmdFlashUpdate), face);
    }
  }

  // ---- sample period ----

  void sampleRateWrittenAsThePeriodItNeeds() {
    auto& w = ui::ShowForm<frmSampPrd>();
    const struct {
      const char* typed;
      uint16_t written;
      const char* shown;
    } cases[] = {{"100", 327, "99.9"},
                 {"0.1", 65535, "0.5"},
                 {"5000", 7, "4096.0"},
                 {"fast", 7, "4096.0"},
                 {"1024", 31, "1024.0"}};
    for (const auto& c : cases) {
      w.txtSampleRate->setText(c.typed);
      w.cmdWriteSampPrd->click();
      QCOMPARE(Written(), (Words{{0x48, c.written}}));
      QCOMPARE(w.txtSampleRate->text() + "|" + w.lblSmpl_Prd->text(),
               QString(c.shown) + "|" + QString::fromStdString(Hex4(int32_t(c.written))));
    }
  }

  // ---- digital lines ----

  void digitalLinesWrittenWhenAnOptionIsChosen() {
    Set(GPIO_CTR, 0x0203);
    auto& w = ui::ShowForm<frmGPIO>();
    QCOMPARE(
        Checked({w.optIO_zero_input, w.optIO_zero_output, w.optIO_one_input, w.optIO_one_output,
                 w.optPol_zero_low, w.optPol_zero_high, w.optPol_one_low, w.optPol_one_high}),
        QStringList(
            {"optIO_zero_output", "optIO_one_output", "optPol_zero_low", "optPol_one_high"}));
    QCOMPARE(w.LBLGPIO->text(), QString("0203"));
    QVERIFY(Written().empty());  // opening writes nothing
    ui::UnloadForm<frmGPIO>();

    Set(GPIO_CTR, 0x0000);
    auto& fresh = ui::ShowForm<frmGPIO>();
    fresh.optIO_zero_output->click();
    fresh.optPol_zero_high->click();
    fresh.optPol_zero_high->click();  // already chosen: no write
    QCOMPARE(Written(), (Words{{0x44, 0x0001}, {0x44, 0x0101}}));
    QCOMPARE(fresh.LBLGPIO->text(), QString("0101"));
    QCOMPARE(State().control.GpioCtrlValue, 0x0101);
    fresh.cmdFlash->click();
    QCOMPARE(Written(), (Words{{0x4A, 0x0008}}));
  }
};

QTEST_MAIN(ConfigWindowsTest)
#include "config_windows_test.moc"
