// SPDX-License-Identifier: GPL-3.0-or-later
// The main window on the simulated board: start-up, read loop, flags, plot, menus, exit.

#include <QMenuBar>

#include "mainwindow/window_startup.h"
#include "support/window_rig.h"

using namespace kva;

namespace {

using kvatest::InColumn;
constexpr const char* kPortSettings = "Interface = 1\r\nPort Address = 888\r\n";
constexpr const char* kTitle = "Brevant - KVA7710 Evaluation Software   Rev 1";
using Events = std::vector<std::string>;

QString Shown(frmForm1& form, std::initializer_list<int> boxes) {
  QStringList texts;
  for (int i : boxes) texts << form.txtReadReg[i]->text();
  return texts.join('|');
}

// Which interface menus carry a check mark: "port", "usb" or "".
QString Checked(frmForm1& form) {
  return QString(form.mnuPort->isChecked() ? "port" : "") + (form.mnuUsb->isChecked() ? "usb" : "");
}

// The colours a drawing puts at these user points.
QString Colours(const ui::PictureBox& pic, std::initializer_list<QPointF> points) {
  QStringList names;
  for (const QPointF& at : points) {
    const QPoint p = pic.ToPixels(at.x(), at.y()).toPoint();  // the nearest pixel
    names << pic.PixelAt(p.x(), p.y()).name();
  }
  return names.join(' ');
}

}  // namespace

class FrmForm1Test : public QObject {
  Q_OBJECT

  std::optional<kvatest::WindowRig> rig_;
  int ends_ = 0;
  LocalDateTime pcTime_{2009, 12, 31, 23, 59, 0};

  frmForm1& StartSinglePass() {
    frmForm1& form = rig_->StartMainWindow();
    form.ckLoop->setChecked(false);
    return form;
  }

  void Accelerate(double x, double y, double z) {
    rig_->board.sensor().SetAcceleration(x, y, z);
    rig_->Advance(0.01);
  }

  // Alarm 1 on X above 2 g, latched by a shock.
  void LatchAlarm1(uint16_t almCtrl) {
    WriteRegister(ALM_MAG1, 0x8000 | 39);
    WriteRegister(ALM_CTRL, almCtrl);
    rig_->board.sensor().Shock(0, 10.0, 5.0);
    rig_->Advance(0.05);
  }

 private slots:
  void init() {
    rig_.emplace();
    ends_ = 0;
    SetClockHooks({nullptr, nullptr, [this] { return pcTime_; }});
    ui::SetEndProgramHandler([this] { ++ends_; });
  }

  void cleanup() { rig_.reset(); }

  void startupWithoutInterface() {
    frmForm1& form = rig_->StartMainWindow("");
    QCOMPARE(rig_->events, Events{"msg:Please select an interface before taking data"});
    QCOMPARE(form.windowTitle() + Checked(form), QString(kTitle));
    form.cmdReadData->click();  // does nothing at all
    QCOMPARE(form.cmdReadData->text() + form.lblLoop->text(), QString("ReadStopped"));
    QCOMPARE(rig_->board.port().Frames() + rig_->board.bus().RequestCount(), uint64_t(0));
  }

  void startupOnUsbAdapterReadsOnePassWithAuxFollowingSupply() {
    rig_->board.sensor().SetSupply(3.0);
    Accelerate(0.5, -0.25, 1.0);
    SetSimulatedBoardActive(true);
    frmForm1& form = rig_->StartMainWindow();
    QVERIFY(rig_->events.empty());
    QCOMPARE(Checked(form) + form.windowTitle(), "usb" + QString(kTitle) + " [simulated board]");
    // Supply 615 counts of 4.88 mV; 1 V of aux is 341 counts on this pass's 3.0 V, not 3.3 V.
    QCOMPARE(Shown(form, {0, 1, 2, 3, 4, 5}), QString("0|3.001|0.514|-0.257|0.977|0.999"));
    QCOMPARE(form.plotState().x, 1);  // the start-up pass is the plot's first sample
  }

  void startupWithUsbAdapterMissingOpensTheSelection() {
    rig_->board.bus().RemoveAll();
    frmForm1& form = rig_->StartMainWindow();
    QCOMPARE(rig_->events.front(),
             std::string("msg:No USB Buffers Found, Please Verify Setup and Restart"));
    QCOMPARE(std::count(rig_->events.begin(), rig_->events.end(), "modal:kva::frmUSBselect"), 1);
    QCOMPARE(form.windowTitle() + Checked(form), QString(kTitle));
    QVERIFY(State().settings.InterfaceType == Interface::Usb && form.ckLoop->isChecked());
  }

  void stopClickRunsOneNestedPassAndEndsTheLoop() {
    frmForm1& form = rig_->StartMainWindow();
    const int x0 = form.plotState().x;
    QString seen;
    QTimer::singleShot(0, &form, [&] {
      seen = form.cmdReadData->text() + form.lblLoop->text();
      form.cmdReadData->click();
    });
    form.cmdReadData->click();
    QCOMPARE(seen + form.cmdReadData->text() + form.lblLoop->text(),
             QString("STOPRunningReadstopped"));
    QCOMPARE(form.plotState().x, x0 + 2);  // the running pass and the nested one
  }

  void statusFlagsShowTheLatchedAlarm() {
    frmForm1& form = StartSinglePass();
    rig_->board.sensor().SetSupply(2.5);
    LatchAlarm1(0x0200);
    form.CmdUpdateStatus->click();
    QString flags;  // supply low and alarm 1 set, in red
    for (QLabel* l : form.statusFlagLabels) flags += l->text() + ui::BackColor(*l).name() + " ";
    QCOMPARE(flags, QString("Alarm#ff0000 ") + QString("OK#00ff00 ").repeated(6) + "Alarm#ff0000 " +
                        QString("OK#00ff00 ").repeated(int(form.statusFlagLabels.size()) - 8));
    rig_->board.sensor().SetSupply(3.3);
    rig_->Advance(0.05);
    form.cmdClearAlarm->click();  // the shock is over: the latch clears and stays clear
    QCOMPARE(form.lblAlarm1SetFlag->text() + form.lblLowSupplyFlag->text() +
                 ui::BackColor(*form.lblAlarm1SetFlag).name(),
             QString("OKOK#00ff00"));
  }

  void resetPeaksAndClockSyncShowAtOnce() {
    frmForm1& form = StartSinglePass();
    WriteRegister(MISC_CTRL, 0x4000);  // peak tracking
    Accelerate(2.0, 0, 1.0);
    form.cmdReadData->click();
    const QString peak = form.txtReadReg[7]->text();
    form.cmdResetPK->click();
    QCOMPARE(peak + form.txtReadReg[7]->text(), QString("2.0000.000"));
    pcTime_ = {2010, 1, 1, 0, 0, 30};
    form.cmdSync->click();
    QCOMPARE(form.txtDate->text() + " " + form.txtTime->text(), QString("1/1/10 0 :0"));
  }

  void plotDrawsEachTraceInItsMarkColour() {
    Accelerate(0, 0, 1.0);
    frmForm1& form = StartSinglePass();  // first sample at x = 1
    Accelerate(3.0, -3.0, 5.0);
    form.cmdReadData->click();         // x = 2
    ui::PictureBox& pic = *form.pic2;  // X, Y, Z marks
    QCOMPARE(Colours(pic, {{2, 2.98}, {2, -2.98}, {2, 4.98}}), QString("#ff0000 #00c000 #0000ff"));
    QCOMPARE(InColumn(pic, 3, ui::kCursorGrey) + InColumn(pic, 4, ui::kWhite), 400);
    // A hidden trace stops drawing and its mark disappears; it resumes from its last value.
    form.ckG[3]->click();
    Accelerate(3.0, -4.0, 5.0);
    form.cmdReadData->click();  // x = 3
    QVERIFY(InColumn(pic, 3, ui::kTraceGreen) == 0 && form.Shape[3]->isHidden());
    form.ckG[3]->click();
    form.cmdReadData->click();  // x = 4: Y from -4 at x = 3, not from -3 at x = 2
    QCOMPARE(Colours(pic, {{3, -4.0}, {4, -4.0}}), QString("#00c000 #00c000"));
    LatchAlarm1(0x0210);  // a capture in progress (event count rising) draws nothing
    form.cmdReadData->click();
    QCOMPARE(form.txtReadReg[0]->text() + QString::number(form.plotState().x), QString("14"));
  }

  // At the right edge the plot starts again at x = 0, erasing ahead of the cursor.
  void plotWrapsAndErasesAhead() {
    frmForm1& form = StartSinglePass();
    ui::PictureBox& pic = *form.pic2;
    std::array<float, kOutputSampleSlots> s{0, 0, 3.0f, -3.0f, 5.0f};
    while (form.plotState().x < 350) form.PlotDataPoints2(s);
    pic.Line(0, 7, 0, -7, ui::kBlack);  // something in the strip the wrap erases
    QStringList columns;  // the 351st sample at x = 0, without a segment, then 1, then 2
    for (int x = 0; x < 3; ++x) {
      form.PlotDataPoints2(s);
      columns << QString::asprintf("%d %d %d", InColumn(pic, x, ui::kWhite),
                                   InColumn(pic, x + 1, ui::kCursorGrey),
                                   InColumn(pic, 1, ui::kRed)) +
                     Colours(pic, {{5, 3.0}});
    }
    QCOMPARE(columns, QStringList({"200 200 0#ff0000", "200 200 0#ff0000", "197 200 1#ff0000"}));
  }

  void scaleCycleRelabelsThePlot() {
    frmForm1& form = StartSinglePass();
    QStringList captions;
    for (int i = 0; i < 5; ++i) {
      form.cmdPlotScale->click();
      captions << form.cmdPlotScale->text() + " " + form.lblpFS2->text() + form.lblmidS2->text() +
                      form.lblnFS2->text();
    }
    QCOMPARE(captions, QStringList({"3 30-3", "1.5 1.50-1.5", "30 300-30", "15 150-15", "7 70-7"}));

    form.cmdPlotScale->click();  // 3: the next sample draws at the new scale
    form.cmdReadData->click();
    QCOMPARE(QPointF(form.pic2->ScaleTop(), form.pic2->ScaleHeight()), QPointF(3.0, -6.0));
  }

  void interfaceMenusFollowTheDialogsAndExitSaves() {
    frmForm1& form = rig_->StartMainWindow();
    rig_->answerModal = [](QWidget& w) { static_cast<frmPort&>(w).cmdCancel->click(); };
    form.mnuPort->trigger();  // cancelled: nothing changes, check marks included
    QVERIFY(State().settings.InterfaceType == Interface::Usb && Checked(form) == "usb");

    rig_->answerModal = [](QWidget& w) {
      static_cast<frmPort&>(w).txtUser->setText("378");
      static_cast<frmPort&>(w).cmdOK->click();
    };
    form.mnuPort->trigger();
    QCOMPARE(Checked(form), QString("port"));
    const uint64_t frames = rig_->board.port().Frames();
    form.ckLoop->setChecked(false);
    form.cmdReadData->click();
    QVERIFY(rig_->board.port().Frames() > frames);
    rig_->board.bus().RemoveAll();
    rig_->answerModal = nullptr;
    form.mnuUsb->trigger();  // no adapter left: no interface at all
    QVERIFY(Checked(form).isEmpty());

    form.MnuExit->trigger();
    QCOMPARE(ends_ + form.isHidden(), 2);
    QCOMPARE(kvatest::ReadFileBytes("CommPort.cfg"),
             std::string("Interface =  0 \r\nPort Address =  888 \r\nFactory =  0 \r\n"));
  }

  void parallelPortStartUpThenCloseBoxDuringTheLoop() {
    frmForm1* form = &rig_->StartMainWindow(kPortSettings);
    QVERIFY(rig_->events.empty() && rig_->board.bus().RequestCount() == 0);
    QCOMPARE(Checked(*form) + Shown(*form, {1, 4}), QString("port3.299|0.977"));

    QTimer::singleShot(0, form, [form] { form->close(); });
    QTimer::singleShot(5000, form, [form] { form->ckLoop->setChecked(false); });  // never hang
    const uint64_t framesBefore = rig_->board.port().Frames();
    form->cmdReadData->click();  // returns once the exit sequence has run
    QCOMPARE(ends_, 1);
    QCOMPARE(kvatest::ReadFileBytes("CommPort.cfg"),
             std::string("Interface =  1 \r\nPort Address =  888 \r\nFactory =  0 \r\n"));
    QCOMPARE(rig_->board.port().Frames(), framesBefore);  // left in the yield before its first pass
  }

  void configurationMenusOpenOneWindowEachBesideTheMainWindow() {
    frmForm1& form = StartSinglePass();
    form.move(40, 30);
    const QPoint corner = form.pos();  // the register browser's; the others 2500 x 600 twips off
    const QPoint beside(ui::TwipsToPixels(ui::PixelsToTwips(corner.x()) + 2500),
                        ui::TwipsToPixels(ui::PixelsToTwips(corner.y()) + 600));
    for (QAction* item : {form.MnuCal, form.mnuMscCtrl, form.mnuSamplePeriod, form.mnuGPIO,
                          form.MnuAlarms, form.mnuRegisters}) {
      QVERIFY(item->isEnabled());
      item->trigger();
    }
    QCOMPARE(rig_->events, (Events{"modal:kva::fmCalibration", "modal:kva::frmSampPrd"}));
    const QPoint at[] = {ui::FindForm<fmCalibration>()->pos(), ui::FindForm<frmMscCtrl>()->pos(),
                         ui::FindForm<frmSampPrd>()->pos(),    ui::FindForm<frmGPIO>()->pos(),
                         ui::FindForm<frmAlarms>()->pos(),     ui::FindForm<frmManualReg>()->pos()};
    QVERIFY(std::all_of(at, at + 5, [&](QPoint p) { return p == beside; }) && at[5] == corner);
  }
};

QTEST_MAIN(FrmForm1Test)
#include "frmForm1_test.moc"
