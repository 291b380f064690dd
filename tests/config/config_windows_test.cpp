// SPDX-License-Identifier: GPL-3.0-or-later
// The configuration windows and the main window's device commands on a sensor answering exact
// words: what each window shows; each handler's frames, waits and green highlights.

#include "support/ui_window_test.h"
#include "support/window_trace.h"
#include "ui/print_window.h"

using namespace kva;

namespace {

void Choose(QComboBox& list, int index) {
  list.setCurrentIndex(index);
  emit list.activated(index);
}

// The window's checked options and boxes, by object name.
QString Checked(QWidget& window) {
  QStringList names;
  for (QAbstractButton* c : window.findChildren<QAbstractButton*>()) {
    if (c->isChecked()) names << c->objectName();
  }
  return names.join(' ');
}

}  // namespace

class ConfigWindowsTest : public QObject {
  Q_OBJECT

  std::unique_ptr<kvatest::TraceBoard> board_;

  void Set(int16_t index, uint16_t word) { board_->Set(index, word); }

 private slots:
  void init() {
    board_ = std::make_unique<kvatest::TraceBoard>();
    ui::InstallQtHooks();
  }
  void cleanup() {
    kvatest::EndWindowTest();
    board_.reset();
  }

  void windowsShowWhatTheSensorHolds() {
    Set(ALM_CTRL, 0x3215);
    Set(ALM_MAG1, 0x8000);
    Set(ALM_MAG2, 0x0064);
    Set(MISC_CTRL, 0x001A);
    Set(GPIO_CTR, 0x0203);
    Set(ZACCL_NULL, 0x0013);
    auto& a = ui::ShowForm<frmAlarms>();
    QCOMPARE(a.cmboAsource1->currentText() + "|" + a.cmboAsource2->currentText(),
             QString("X_Acc|Y_Acc"));
    QCOMPARE(Checked(a),
             "opTrigPol1_Greater opTrigPol2_Less opDig_Enabled opDigLine_one opDigPol_low");
    QCOMPARE(QStringList({a.txtLevel1->text(), a.txtLevel2->text(), a.lblALM_MAG1->text(),
                          a.lblALM_MAG2->text(), a.LBLAlmCtrl->text()}),
             QStringList({"0.000", "5.140", "8000", "0064", "3215"}));
    // A new source shows what the stored magnitude, read again, means for it.
    Set(ALM_MAG2, 0x00C8);
    Choose(*a.cmboAsource2, 1);
    QCOMPARE(a.txtLevel2->text(), QString("0.976"));  // 200 x 4.88 mV
    a.hide();
    ui::ShowForm<frmAlarms>();  // every activation fills the lists afresh
    QCOMPARE(a.cmboAsource1->count() + a.cmboAsource2->count(), 18);

    auto& m = ui::ShowForm<frmMscCtrl>();
    QCOMPARE(m.lblHex->text(), QString("001A"));
    QCOMPARE(Checked(m), "OpDIO1 ckDataPolarityHigh");
    auto& g = ui::ShowForm<frmGPIO>();
    QCOMPARE(Checked(g) + g.LBLGPIO->text(),
             "optIO_zero_output optIO_one_output optPol_zero_low optPol_one_high0203");
    auto& c = ui::ShowForm<fmCalibration>();
    QCOMPARE(c.txtZoffset->text() + "|" + c.lblZoffset->text(), QString("976.6|0013"));
    QVERIFY(board_->sensor.WordWrites().empty());  // opening writes nothing
  }

  // Each handler as the line sees it: the words written, the waits after them, the reads
  // back, and which of them happen while the watched control is green.
  void handlersWriteWaitAndHighlight() {
    Set(ALM_CTRL, 0x0037);
    auto& a = ui::ShowForm<frmAlarms>();
    auto& m = ui::ShowForm<frmMscCtrl>();
    auto& c = ui::ShowForm<fmCalibration>();
    auto& s = ui::ShowForm<frmSampPrd>();
    auto& g = ui::ShowForm<frmGPIO>();
    auto& r = ui::ShowForm<frmManualReg>();
    auto& t = ui::ShowForm<frmCaptConfig>();
    SetPortPermissionRequest([](uint16_t, uint16_t) { return PortPermissionAnswer{0, {}}; });
    auto& main = ui::LoadForm<frmForm1>();
    main.ckLoop->setChecked(false);
    const struct {
      const char* name;
      QWidget* watched;
      std::function<void()> act;
      const char* trace;
    } rows[] = {
        // clang-format off
        {"alarm 1 update", a.lblALM_MAG1, [&] {
           Choose(*a.cmboAsource1, 1);
           a.txtLevel1->setText("3");  // 3 V / 4.88 mV: 615 (0x267)
           a.opTrigPol1_Greater->setChecked(true);
           a.txtLevel2->setText("");
           a.cmdWiteA1->click();
         }, "R38 R3C W38=8267 W3A=0000 W3C=0137 +150 R38 R3A R3C"},
        {"alarm output update", a.LBLAlmCtrl, [&] {
           a.opDigLine_one->setChecked(true);
           a.opDigPol_high->setChecked(true);
           a.opDig_Enabled->setChecked(true);
           Set(ALM_CTRL, 0x2310);  // the bits the window does not own are kept
           a.cmdDIO->click();
         }, "R3C W3C=2317 R38 R3A R3C"},
        {"alarm flash", a.cmdFlash, [&] { a.cmdFlash->click(); }, "W4A=0008 +200"},
        {"misc by keyboard", m.lblHex, [&] {
           m.ckPeakTracking->setFocus();
           QTest::keyClick(m.ckPeakTracking, Qt::Key_Space);
         }, "W46=4000 +50 +100g R46"},
        {"misc flash", m.cmdWriteFlash, [&] { m.cmdWriteFlash->click(); }, "W4A=0008g +100g"},
        {"auto null", c.lblXoffset, [&] { c.cmdAutoNull->click(); }, "W4A=0001 +250 +200g R20g R22g R24g"},
        {"factory cal", c.lblYoffset, [&] { c.cmdFactoryCal->click(); }, "W4A=0002 +500 +200g R20g R22g R24g"},
        {"cal flash", c.cmdFlashUpdate, [&] { c.cmdFlashUpdate->click(); }, "W4A=0008g +600g"},
        {"y offset", c.lblYoffset, [&] { c.txtYoffset->setText("-7000"); c.cmdCal_Yoffset->click(); },
         "W22=FF80 +200g R20g R22g R24g"},
        {"sample rate", s.lblSmpl_Prd, [&] { s.txtSampleRate->setText("100"); s.cmdWriteSampPrd->click(); },
         "W48=0147 +10 R48g +200g"},
        {"sample flash", s.cmdUpdateFlash, [&] { s.cmdUpdateFlash->click(); }, "W4A=0008g +100g"},
        {"gpio option", g.LBLGPIO, [&] { g.optPol_zero_high->click(); }, "W44=0100 +100 R44"},
        {"gpio flash", g.cmdFlash, [&] { g.cmdFlash->click(); }, "W4A=0008g +100g"},
        {"register write", r.txtHex, [&] {
           Choose(*r.cmboRegister, CAPT_CFG);
           r.txtDataWrite->setText("00F7");
           r.cmdWrite->click();
         }, "R42 W42=00F7 +50 +500 R42"},
        {"capture length", t.LBLCAPT_CFG, [&] {
           t.ComboBuffLength->setCurrentIndex(2);
           t.ComboPreTrigLength->setCurrentIndex(4);
           t.cmdCapt_CFG->click();
         }, "W42=0042 +500 +100g R42g"},
        {"capture source", t.LBLALM_CTRL, [&] { t.Option_A1->setChecked(true); t.cmdALM_CTRL->click(); },
         "W3C=0010 +100g R3Cg"},
        {"capture levels", t.LBLALM_MAG1, [&] {
           t.ComboSourceBuff1->setCurrentIndex(2);
           t.ComboPolBuff1->setCurrentIndex(0);
           t.txtTrigLevelBuff1->setText("-200");
           t.txtTrigLevelBuff2->setText("");
           t.cmdTrig_Mag->click();
         }, "W38=3557 +100g R38g R3Ag"},
        {"capture flash", t.cmdUpdateFlash, [&] { t.cmdUpdateFlash->click(); }, "W4A=0008g +250g"},
        {"clear capture", nullptr, [&] { main.cmdClearCapture->click(); }, "W4A=0040 +425 R1C"},
        {"power down", nullptr, [&] { main.OptPowerDown->click(); }, "W4A=0004"},
        {"power up", nullptr, [&] { main.optPowerUp->click(); }, "W4A=0100"},
        {"self test on", nullptr, [&] { Set(MISC_CTRL, 0xC207); main.optSTON->click(); }, "R46 W46=C307 +10"},
        {"self test off", nullptr, [&] { main.optSTOFF->click(); }, "R46 W46=C207"},
        {"reset peaks", nullptr, [&] { main.cmdResetPK->click(); },
         "W4A=0020 R02 R04 R06 R08 R0A R0C R0E R10 R12 R14 R1C +5 R1A"},
        // clang-format on
    };
    for (const auto& row : rows) {
      board_->sensor.Watch(row.watched);
      row.act();
      QVERIFY2(board_->sensor.Trace() == row.trace,
               qPrintable(QString("%1: %2").arg(row.name, board_->sensor.Trace().c_str())));
    }
  }

  void entriesCorrectedAsWritten() {
    auto& c = ui::ShowForm<fmCalibration>();
    auto& s = ui::ShowForm<frmSampPrd>();
    // clang-format off
    const struct { QLineEdit* box; QPushButton* button; QLabel* hex; const char *typed, *shown; } cases[] = {
        {c.txtZoffset, c.cmdCal_Zoffset, c.lblZoffset, "abc", "0.0|0000"},
        {s.txtSampleRate, s.cmdWriteSampPrd, s.lblSmpl_Prd, "0.1", "0.5|FFFF"},
        {s.txtSampleRate, s.cmdWriteSampPrd, s.lblSmpl_Prd, "5000", "4096.0|0007"},
        {s.txtSampleRate, s.cmdWriteSampPrd, s.lblSmpl_Prd, "1024", "1024.0|001F"}};
    // clang-format on
    for (const auto& k : cases) {
      k.box->setText(k.typed);
      k.button->click();
      QCOMPARE(k.box->text() + "|" + k.hex->text(), QString(k.shown));
    }
  }
  void registerListingOnLoadAndTheChosenRegister() {
    Set(XACCL_OUT, 0xBFF6);
    Set(PROD_ID, 0x1E1E);
    auto& w = ui::ShowForm<frmManualReg>();
    const QStringList lines = w.Text1->toPlainText().split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size() + w.cmboRegister->count(), 2 + 36 + 40);
    QCOMPARE(lines[4], QString("XACCL_OUT      \t0004\tFFF6\t   0   1\t-0.514"));
    QVERIFY(!w.cmdRead->isEnabled() && !w.cmdWrite->isEnabled());  // nothing chosen yet
    Choose(*w.cmboRegister, PROD_ID);
    QCOMPARE(QStringList({w.txtRegAddr->text(), w.txtRegByte->text(), w.txtRegRead->text(),
                          w.txtRegWrite->text(), w.txtHex->text(), w.txtRegVal->text()}),
             QStringList({"004C", "2", "True", "False", "1E1E", "7710.0"}));
    QVERIFY(w.cmdRead->isEnabled() && !w.cmdWrite->isEnabled());
    QTest::keyClicks(w.txtDataWrite, "12g3456");
    QCOMPARE(w.txtDataWrite->text(), QString("1234"));  // hex digits, four at most
    const size_t frames = board_->sensor.frames.size();
    Choose(*w.cmboRegister, RESERVED_20);
    QVERIFY(!w.cmdRead->isEnabled() && !w.cmdWrite->isEnabled());
    QVERIFY(w.txtHex->text() == "1E1E" && board_->sensor.frames.size() == frames);
  }

  // The window's image on one page; a file that cannot be written is said, a cancel is not.
  void registerBrowserPrintsTheWindowsImageOnOnePage() {
    kvatest::TempDir dir;
    ui::MessageRecorder messages;
    QString file = QString::fromStdString((dir.path() / "registers.pdf").string());
    bool accept = true;
    ui::SetPrinterHook([&](QPrinter& printer) {
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(file);
      return accept;
    });
    auto& w = ui::ShowForm<frmManualReg>();
    w.cmdPrint->click();
    const QString pdf =
        QString::fromStdString(kvatest::ReadFileBytes(dir.path() / "registers.pdf"));
    QVERIFY(pdf.count("/Type /Page\n") == 1 &&
            pdf.contains(QString("/Width %1").arg(w.grab().width())));
    file += "/missing.pdf";
    w.cmdPrint->click();
    accept = false;  // cancelled: nothing said
    w.cmdPrint->click();
    QCOMPARE(messages.texts(), std::vector<std::string>{"The window could not be printed to " +
                                                        file.toStdString() + "."});
    ui::SetPrinterHook({});
  }
};

QTEST_MAIN(ConfigWindowsTest)
#include "config_windows_test.moc"
