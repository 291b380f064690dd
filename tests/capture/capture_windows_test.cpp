// SPDX-License-Identifier: GPL-3.0-or-later
// The event-capture path against the simulated board: the main window's capture group, the
// capture window (plot, read-outs, save) and the capture configuration window.
#include <QTimer>
#include <QtTest>
#include <optional>

#include "app/settings.h"
#include "capture/capture_readout.h"
#include "capture/frmCapDisplay.h"
#include "capture/frmCaptConfig.h"
#include "mainwindow/frmBusyMsg.h"
#include "mainwindow/frmSimBoard.h"
#include "support/window_rig.h"
#include "ui/colors.h"

using namespace kva;

using kvatest::InColumn;

namespace {

int ColumnOf(const ui::PictureBox& pic, double x) { return qRound(pic.ToPixels(x, 0).x()); }

// Pixels of colour c in the columns of samples x1 to x2.
int InSamples(const ui::PictureBox& pic, double x1, double x2, const QColor& c) {
  int n = 0;
  for (int px = ColumnOf(pic, x1); px <= ColumnOf(pic, x2); ++px) n += InColumn(pic, px, c);
  return n;
}

}  // namespace

class CaptureWindowsTest : public QObject {
  Q_OBJECT

  std::optional<kvatest::WindowRig> rig_;

  frmForm1& StartMainWindow() {
    frmForm1& form = rig_->StartMainWindow();
    form.ckLoop->setChecked(false);
    return form;
  }

  // Two events of L = 8 (two samples each) as a readout leaves them, for the display alone.
  static void TwoSmallEvents() {
    State().capture.CaptureEventsStored = 2;
    State().capture.CaptureEventLength = 8;
    State().capture.CaptureBufferCount = 1024;
    State().capture.CaptureHeaders.assign(1025, CaptureHeader{});
    State().capture.CaptureHeaders[1] = {2.5, 1234, 415, 24.5, 3.3, 0.5};
    for (CaptureGrid* g :
         {&State().capture.CaptureX, &State().capture.CaptureY, &State().capture.CaptureZ})
      g->Allocate(1024, 8);
    State().capture.CaptureTraceX.assign(8192 - 6144 + 1, 0.0);
    State().capture.CaptureTraceY = State().capture.CaptureTraceZ = State().capture.CaptureTraceX;
    const double x[] = {0.2, -0.4, 1, 0.6};
    for (int t = 1; t <= 4; ++t) {
      const int e = (t + 1) / 2, j = 2 - t % 2;
      State().capture.CaptureX(e, j) = State().capture.CaptureTraceX[t] = x[t - 1];
      State().capture.CaptureY(e, j) = State().capture.CaptureTraceY[t] = -x[t - 1];
      State().capture.CaptureZ(e, j) = State().capture.CaptureTraceZ[t] = 1;
    }
  }

 private slots:
  void init() { rig_.emplace(); }
  void cleanup() { rig_.reset(); }

  // The README's "Capturing an event" as a user follows it, a few seconds per step, on a board
  // started in the demo scenario: the window's own example with a quarter of pre-trigger, the
  // level set before the trigger is armed, a shock, then the memory read through the main
  // window; exactly one event, the shock after its pre-trigger samples.
  void triggerShockReadAndPlot() {
    rig_->board.sensor().SetScenario("demo");
    frmForm1& main = StartMainWindow();
    main.move(40, 30);
    const auto userPace = [this] { rig_->now += 4.0; };
    auto& board = ui::ShowForm<frmSimBoard>();
    board.cmbScenario->setCurrentText("bench");
    userPace();
    main.cmdCaptConfig->click();
    frmCaptConfig* config = ui::FindForm<frmCaptConfig>();
    QVERIFY(config && config->isVisible());
    config->ComboBuffLength->setCurrentIndex(0);
    config->ComboPreTrigLength->setCurrentIndex(4);
    config->cmdCapt_CFG->click();
    userPace();
    config->ComboSourceBuff1->setCurrentIndex(2);
    config->txtTrigLevelBuff1->setText("12");
    config->ComboPolBuff1->setCurrentIndex(1);
    config->cmdTrig_Mag->click();
    QCOMPARE(config->txtTrigLevelBuff1->text(), QString("11.9762"));
    userPace();
    config->Option_A1->setChecked(true);
    config->cmdALM_CTRL->click();
    QCOMPARE(
        config->LBLCAPT_CFG->text() + config->LBLALM_CTRL->text() + config->LBLALM_MAG1->text(),
        QString("0040021080E9"));
    userPace();
    board.cmbShockAxis->setCurrentIndex(0);
    board.txtShockPeak->setValue(20.0);
    board.txtShockDuration->setValue(5.0);
    board.cmdShock->click();
    userPace();
    main.cmdReadData->click();
    QCOMPARE(main.txtReadReg[0]->text(), QString("1"));
    userPace();

    // While the memory is read: the three buttons off, the busy window counting events.
    QStringList during;
    QTimer watch;
    connect(&watch, &QTimer::timeout, &main, [&] {
      const auto* busy = ui::FindForm<frmBusyMsg>();
      const QString seen =
          QString::number(main.cmdCaptDisplay->isEnabled() + main.cmdCaptConfig->isEnabled() +
                          main.cmdClearCapture->isEnabled()) +
          (busy && busy->isVisible() ? busy->Label1->text() : QString("hidden"));
      if (during.isEmpty() || during.back() != seen) during << seen;
    });
    watch.start(0);
    main.cmdCaptDisplay->click();
    watch.stop();
    QCOMPARE(during, QStringList({"0Reading Capture Memory.\n",
                                  "0Reading Capture Memory.\nEvent = 1 of 8."}));
    QVERIFY(main.cmdCaptDisplay->isEnabled() && main.cmdClearCapture->isEnabled());
    const frmBusyMsg& busy = *ui::FindForm<frmBusyMsg>();
    QVERIFY(!busy.isVisible());
    // Over the capture group, its bottom 700 twips above the group's top.
    QCOMPARE(busy.windowTitle() + " " + QString::number(busy.x()) + "," + QString::number(busy.y()),
             QString("KVA7710_Eval_Rev_1  Message 48,380"));

    QCOMPARE(State().capture.CaptureEventsStored, 1);
    // 256 samples from before the trigger (at rest: X 0, Z 1 g), then the one that crossed.
    int first = 0;
    for (int t = 1; t <= 1018 && !first; ++t)
      first = State().capture.CaptureTraceX[size_t(t)] > 11.9 ? t : 0;
    QCOMPARE(first, 257);
    QCOMPARE(State().capture.CaptureTraceX[1] + State().capture.CaptureTraceX[200], 0.0);
    QCOMPARE(State().capture.CaptureTraceZ[1], 1.0);

    frmCapDisplay* display = ui::FindForm<frmCapDisplay>();
    QVERIFY(display && display->isVisible());
    QCOMPARE(display->windowTitle(), QString("Capture Buffer"));
    const ui::PictureBox& pic = *display->Picture1;
    QVERIFY(InSamples(pic, 256, 259, ui::kRed) > 20);  // the shock's rise on X
    // The boundary after event 1, full height but where a trace crosses it; none elsewhere.
    QVERIFY(InColumn(pic, ColumnOf(pic, 1018), ui::kBoundaryGrey) > pic.AreaSize().height() - 30);
    QCOMPARE(InSamples(pic, 1000, 1016, ui::kBoundaryGrey), 0);
    // The trace colours are the main window's marks at the time of drawing.
    ui::SetBackColor(*main.Shape[2], QColor(255, 0, 255));
    display->cmdScale->click();
    QCOMPARE(display->cmdScale->text() + display->LblMinScale->text(), QString("3-3"));
    QVERIFY(InSamples(pic, 256, 259, QColor(255, 0, 255)) > 20);

    // Clear Capt.: the memory is emptied and the count shows it.
    main.cmdClearCapture->click();
    QCOMPARE(main.txtReadReg[0]->text(), QString("0"));
    QCOMPARE(rig_->Peek(EVENTS), uint16_t(0));
  }

  void displayReadoutsHeaderAndScroll() {
    TwoSmallEvents();
    frmCapDisplay& d = ui::LoadForm<frmCapDisplay>();
    QVERIFY(d.isVisible());
    QCOMPARE(d.HScroll1->maximum(), 8192 - 6144);
    QCOMPARE(d.LbLMinX->text() + "|" + d.LbLMaxX->text() + "|" + d.txtFileName->text(),
             QString("0|1024|DataCapBuff"));
    d.Picture1_MouseMove(0, 0, 2.9, 0.46);
    QCOMPARE(d.LblSample->text() + " " + d.LblValue->text(), QString("2 .5"));
    QCOMPARE(d.HoverEventNumber, int16_t(2));
    d.Picture1_MouseMove(0, 0, 1.5, 0);
    QCOMPARE(d.lblEhead->text(), QString("Event = 1\nXYZ = 2.5\nTime = 12:34\nDate = 04/15\n"
                                         "Deg C = 24.5\nVoltage = 3.300\nAux ADC = 0.500"));
    d.HScroll1->setValue(2048);
    QCOMPARE(d.LbLMinX->text() + "|" + d.LbLMaxX->text(), QString("1024|2048"));
    // The mouse on the plot's border reads the window's first and last samples, none beyond.
    ui::PictureBox& pic = *d.Picture1;
    QStringList read;
    for (const int x : {0, pic.width() - 1}) {
      const QPointF at(x, pic.height() / 2);
      QMouseEvent move(QEvent::MouseMove, at, pic.mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                       Qt::NoModifier);
      QApplication::sendEvent(&pic, &move);
      read << d.LblSample->text();
    }
    QCOMPARE(read, QStringList({"1025", "2048"}));
    QCOMPARE(d.FrameFile->title(), QString());  // the save controls' frame has no caption
    d.resize(50, 50);
    QVERIFY(d.width() >= 240 && d.height() >= 240);  // 3600 twips at 96 dpi
  }

  void saveWritesTheFileOrSaysWhyNot() {
    TwoSmallEvents();
    frmCapDisplay& d = ui::LoadForm<frmCapDisplay>();
    d.txtFileName->setText("cap");
    QCOMPARE(QString::fromStdString(State().settings.CaptureFileName), QString("cap"));
    d.Cmd_Save->click();
    const std::string block2 = "\r\nEvent #,XYZ,Time,Date,Temp,Voltage,Aux\r\n2,0,0,0,0,0,0\r\n";
    QCOMPARE(kvatest::ReadFileBytes("cap.csv"),
             "\r\nEvent #,XYZ,Time,Date,Temp,Voltage,Aux\r\n1,2.5,1234,415,24.5,3.3,0.5\r\n"
             "Xg,Yg,Zg\r\n0.2,-0.2,1\r\n-0.4,0.4,1\r\n" +
                 block2 + "Xg,Yg,Zg\r\n1,-1,1\r\n0.6,-0.6,1\r\n");
    d.ComboFileExt->setCurrentIndex(1);
    d.Cmd_Save->click();
    QVERIFY(kvatest::ReadFileBytes("cap.txt").find("Xg\tYg\tZg\r\n0.2\t-0.2\t1\r\n") !=
            std::string::npos);
    QCOMPARE(ui::BackColor(*d.txtFileName), ui::kWhite);
    QVERIFY(!d.txtFileName->font().bold());
    QVERIFY(rig_->events.empty());

    d.txtFileName->setText("missing/cap");
    d.Cmd_Save->click();
    QCOMPARE(rig_->events.size(), size_t(1));
    QVERIFY(QString::fromStdString(rig_->events[0]).contains("missing/cap.txt: No such file"));
  }

  void configWindowShowsTheWordsAndRefusesABadSource() {
    StartMainWindow();
    WriteRegister(ALM_CTRL, 0x2310);
    WriteRegister(ALM_MAG1, 0xBFFF);
    frmCaptConfig& c = ui::ShowForm<frmCaptConfig>();
    QCOMPARE(c.Option_A1->isChecked(), true);
    QCOMPARE(c.ComboSourceBuff1->currentText() + "|" + c.ComboSourceBuff2->currentText() + "|" +
                 c.txtTrigLevelBuff1->text() + "|" + c.ComboPolBuff1->currentText(),
             QString("Y_Acc|X_Acc|-0.0514|Greater Than"));
    WriteRegister(ALM_CTRL, 0x9000);
    c.Read_ALM_CTRL();
    QCOMPARE(rig_->events, std::vector<std::string>{
                               "msg:\r\nAlarm source1 or source2 index > 8\r\n\r\nThis is an "
                               "invalid ALM_CTRL register value\r\n"});
    QCOMPARE(c.ComboSourceBuff1->currentText() + c.ComboSourceBuff2->currentText(),
             QString("nonenone"));
  }
};

QTEST_MAIN(CaptureWindowsTest)
#include "capture_windows_test.moc"
