// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's controls and their design state. The handlers are in
// frmForm1_handlers.cpp.
#include "mainwindow/frmForm1.h"

#include <QMenuBar>

#include "mainwindow/frmSimBoard.h"
#include "mainwindow/status_flags.h"
#include "ui/colors.h"

namespace kva {
namespace {

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text, int x, int y, int w,
                  int h, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
  auto* l = new QLabel(text, parent);
  if (!name.isEmpty()) l->setObjectName(name);
  l->setGeometry(x, y, w, h);
  l->setAlignment(align);
  return l;
}

QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& text, int x, int y,
                        int w, int h) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(name);
  b->setGeometry(x, y, w, h);
  return b;
}

QLineEdit* MakeTextBox(QWidget* parent, const QString& name, int x, int y, int w, int h,
                       bool readOnly) {
  auto* t = new QLineEdit(parent);
  t->setObjectName(name);
  t->setGeometry(x, y, w, h);
  t->setReadOnly(readOnly);
  ui::SetBackColor(*t, ui::kWhite);
  return t;
}

QGroupBox* MakeFrame(QWidget* parent, const QString& name, const QString& caption, int x, int y,
                     int w, int h) {
  auto* f = new QGroupBox(caption, parent);
  f->setObjectName(name);
  f->setGeometry(x, y, w, h);
  return f;
}

QRadioButton* MakeOption(QWidget* parent, const QString& name, const QString& text, int x, int y,
                         int w) {
  auto* o = new QRadioButton(text, parent);
  o->setObjectName(name);
  o->setGeometry(x, y, w, 22);
  return o;
}

// The plot area is 350 x 200 pixels inside a 2-pixel border: one pixel column per sample,
// which also keeps the per-sample repaint small.
constexpr int kPicX = 62, kPicY = 30, kPicBorder = 2, kPicW = 350, kPicH = 200;

}  // namespace

frmForm1::frmForm1() {
  setObjectName("frmForm1");
  ui::SetMainWindow(this);
  // Start-up replaces this caption once the interface is up.
  setWindowTitle("Brevant Evaluation Software");
  auto* central = new QWidget(this);
  central->setObjectName("central");
  central->setFixedSize(980, 598);
  setCentralWidget(central);

  BuildMenus();
  BuildOutputRegisters(central);
  BuildEventCapture(central);
  BuildPlot(central);
  BuildStatus(central);
  BuildCommands(central);
  BuildClock(central);
  Connect();
}

void frmForm1::BuildMenus() {
  QMenuBar* bar = menuBar();
  mnuInterface = bar->addMenu("Interface");
  mnuInterface->setObjectName("mnuInterface");
  mnuPort = mnuInterface->addAction("Parallel");
  mnuPort->setObjectName("mnuPort");
  mnuPort->setCheckable(true);
  mnuUsb = mnuInterface->addAction("Usb");
  mnuUsb->setObjectName("mnuUsb");
  mnuUsb->setCheckable(true);

  mnuDeviceConfiguration = bar->addMenu("Device Configuration");
  mnuDeviceConfiguration->setObjectName("mnuDeviceConfiguration");
  MnuCal = mnuDeviceConfiguration->addAction("Calibration");
  MnuCal->setObjectName("MnuCal");
  mnuMscCtrl = mnuDeviceConfiguration->addAction("MSC_CTRL");
  mnuMscCtrl->setObjectName("mnuMscCtrl");
  mnuSamplePeriod = mnuDeviceConfiguration->addAction("SMPL_PRD");
  mnuSamplePeriod->setObjectName("mnuSamplePeriod");
  mnuGPIO = mnuDeviceConfiguration->addAction("GPIO_CTRL");
  mnuGPIO->setObjectName("mnuGPIO");
  MnuAlarms = mnuDeviceConfiguration->addAction("Alarms");
  MnuAlarms->setObjectName("MnuAlarms");

  mnuDatalog = bar->addAction("Datalog");
  mnuDatalog->setObjectName("mnuDatalog");
  mnuRegisters = bar->addAction("Registers");
  mnuRegisters->setObjectName("mnuRegisters");
  MnuExit = bar->addAction("Exit");
  MnuExit->setObjectName("MnuExit");
  AddSimulatedBoardMenu(*bar, MnuExit);
}

void frmForm1::BuildOutputRegisters(QWidget* central) {
  frameDataReg = MakeFrame(central, "frameDataReg", "Output  Registers", 8, 8, 300, 455);
  static const char* const kCaptions[11] = {"",
                                            "SUPPLY_OUT (V)",
                                            "XACCL_OUT (g)",
                                            "YACCL_OUT (g)",
                                            "ZACCL_OUT (g)",
                                            "AUX_ADC (V)",
                                            "TEMP_OUT (C)",
                                            "X_PEAK_OUT (g)",
                                            "Y_PEAK_OUT (g)",
                                            "Z_PEAK_OUT (g)",
                                            "XYZ_PEAK_OUT(g)"};
  MakeLabel(frameDataReg, "lblGraph", "Graph", 228, 18, 50, 18);
  for (int n = 1; n <= 10; ++n) {
    const int y = 40 + (n - 1) * 28;
    lblReadReg[n] = MakeLabel(frameDataReg, QString("lblReadReg_%1").arg(n), kCaptions[n], 8, y,
                              122, 22, Qt::AlignRight | Qt::AlignVCenter);
    txtReadReg[n] =
        MakeTextBox(frameDataReg, QString("txtReadReg_%1").arg(n), 135, y, 80, 22, true);
  }
  for (int index = kFirstTrace; index <= kLastTrace; ++index) {
    const int y = 40 + (index - 1) * 28;
    auto* box = new QCheckBox(QString("Check%1").arg(index), frameDataReg);
    box->setObjectName(QString("ckG_%1").arg(index));
    // Only the box shows; its caption is hidden behind the mark, as on the board's panel.
    box->setGeometry(224, y, 20, 22);
    ckG[static_cast<size_t>(index)] = box;
    auto* mark = new QLabel(frameDataReg);
    mark->setObjectName(QString("Shape_%1").arg(index));
    mark->setGeometry(250, y + 5, 24, 12);
    mark->setFrameStyle(QFrame::Box | QFrame::Plain);
    ui::SetBackColor(*mark, ui::TraceMarkColour(index));
    Shape[static_cast<size_t>(index)] = mark;
  }

  cmdReadData = MakeButton(frameDataReg, "cmdReadData", "Read", 10, 325, 90, 30);
  cmdReadData->setToolTip("Read the Output Registers");
  ckLoop = new QCheckBox("Loop", frameDataReg);
  ckLoop->setObjectName("ckLoop");
  ckLoop->setGeometry(110, 329, 60, 22);
  lblLoop = MakeLabel(frameDataReg, "lblLoop", "Stopped", 175, 329, 100, 22, Qt::AlignCenter);
  lblLoop->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  MakeLabel(frameDataReg, "lblLoopDelay", "Loop Delay msec", 8, 370, 122, 22,
            Qt::AlignRight | Qt::AlignVCenter);
  txtLoopDelay = MakeTextBox(frameDataReg, "txtLoopDelay", 135, 370, 80, 22, false);
  cmdResetPK = MakeButton(frameDataReg, "cmdResetPK", "Reset Pk", 10, 410, 90, 30);
}

void frmForm1::BuildEventCapture(QWidget* central) {
  FrameEventCapture = MakeFrame(central, "FrameEventCapture", "Event Capture", 8, 470, 300, 120);
  lblReadReg[12] = MakeLabel(FrameEventCapture, "lblReadReg_12", "Events Capt.", 8, 26, 122, 22,
                             Qt::AlignRight | Qt::AlignVCenter);
  txtReadReg[0] = MakeTextBox(FrameEventCapture, "txtReadReg_0", 135, 26, 80, 22, true);
  cmdClearCapture = MakeButton(FrameEventCapture, "cmdClearCapture", "Clear Capt.", 8, 56, 90, 26);
  cmdCaptDisplay = MakeButton(FrameEventCapture, "cmdCaptDisplay", "Show Buffer", 104, 56, 90, 26);
  cmdCaptConfig = MakeButton(FrameEventCapture, "cmdCaptConfig", "Config", 200, 56, 90, 26);
  txtCapIndex = MakeTextBox(FrameEventCapture, "txtCapIndex", 104, 88, 90, 22, false);
  // No operation uses the index box.
  txtCapIndex->setEnabled(false);
}

void frmForm1::BuildPlot(QWidget* central) {
  FrameDataPLot = MakeFrame(central, "FrameDataPLot", "Data Plot", 316, 8, 436, 302);
  pic2 = new ui::PictureBox(FrameDataPLot);
  pic2->setObjectName("pic2");
  pic2->setGeometry(kPicX, kPicY, kPicW + 2 * kPicBorder, kPicH + 2 * kPicBorder);
  pic2->SetBackColor(ui::kWhite);
  pic2->Cls();

  const int outer = kPicH + 2 * kPicBorder;
  lblpFS2 = MakeLabel(FrameDataPLot, "lblpFS2", "lblpFS2", 2, kPicY, 56, 18,
                      Qt::AlignRight | Qt::AlignTop);
  lblmidS2 = MakeLabel(FrameDataPLot, "lblmidS2", "lblmidS2", 2, kPicY + outer / 2 - 9, 56, 18,
                       Qt::AlignRight | Qt::AlignVCenter);
  lblnFS2 = MakeLabel(FrameDataPLot, "lblnFS2", "lblnFS2", 2, kPicY + outer - 18, 56, 18,
                      Qt::AlignRight | Qt::AlignBottom);
  // Spare y-axis labels; nothing writes them.
  for (int i : {1, 2, 3, 5, 7}) {
    lblYscale[static_cast<size_t>(i)] =
        MakeLabel(FrameDataPLot, QString("lblYscale_%1").arg(i), "", 2, kPicY + i * outer / 8 - 9,
                  56, 18, Qt::AlignRight | Qt::AlignVCenter);
  }

  static const char* const kTicks[5] = {"0", "85", "175", "260", "350"};
  static const int kTickUnits[5] = {0, 85, 175, 260, 350};
  for (int i = 0; i < 5; ++i) {
    const int x = kPicX + kPicBorder + kTickUnits[i] * kPicW / kPlotWidthUnits;
    auto* tick = new QFrame(FrameDataPLot);
    tick->setObjectName(QString("LineX_%1").arg(i));
    tick->setFrameStyle(QFrame::VLine | QFrame::Plain);
    tick->setGeometry(x, kPicY + outer, 1, 6);
    LineX[static_cast<size_t>(i)] = tick;
    lblPlotX[static_cast<size_t>(i)] =
        MakeLabel(FrameDataPLot, QString("lblPlotX_%1").arg(i), kTicks[i], x - 20,
                  kPicY + outer + 6, 40, 16, Qt::AlignHCenter | Qt::AlignTop);
  }
  LblXaxis = MakeLabel(FrameDataPLot, "LblXaxis", "Sample Number", kPicX + kPicW / 2 - 60,
                       kPicY + outer + 22, 124, 18, Qt::AlignCenter);

  MakeLabel(FrameDataPLot, "lblScaleCaption", "Scale(g)", 4, 244, 56, 18, Qt::AlignCenter);
  cmdPlotScale = MakeButton(FrameDataPLot, "cmdPlotScale", "cmdPlotScale", 4, 264, 56, 26);

  MakeLabel(FrameDataPLot, "lblSampleCaption", "Sample", 92, 274, 52, 18,
            Qt::AlignRight | Qt::AlignVCenter);
  lblCurSam2 = MakeLabel(FrameDataPLot, "lblCurSam2", "", 150, 274, 60, 18);
  lblCurSam2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  MakeLabel(FrameDataPLot, "lblValueCaption", "Value (g)", 236, 274, 64, 18,
            Qt::AlignRight | Qt::AlignVCenter);
  lblCurVal2 = MakeLabel(FrameDataPLot, "lblCurVal2", "", 306, 274, 60, 18);
  lblCurVal2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
}

void frmForm1::BuildStatus(QWidget* central) {
  FrmStatus = MakeFrame(central, "FrmStatus", "Status Register", 316, 318, 436, 180);
  for (size_t i = 0; i < kStatusFlags.size(); ++i) {
    const int col = i < 5 ? 0 : 1;
    const int row = static_cast<int>(i < 5 ? i : i - 5);
    const int x = 10 + col * 205;
    const int y = 22 + row * 24;
    QLabel* flag =
        MakeLabel(FrmStatus, kStatusFlags[i].flagLabel, "OK", x, y, 50, 20, Qt::AlignCenter);
    flag->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    ui::SetBackColor(*flag, ui::kGreen);
    statusFlagLabels[i] = flag;
    MakeLabel(FrmStatus, QString(kStatusFlags[i].flagLabel) + "Caption", kStatusFlags[i].caption,
              x + 56, y, 140, 20);
  }
  lblLowSupplyFlag = statusFlagLabels[0];
  lblHighSupplyFlag = statusFlagLabels[1];
  lblWriteFailFlag = statusFlagLabels[2];
  lblSpiWriteFlag = statusFlagLabels[3];
  lblSelfTestFail = statusFlagLabels[4];
  lblChecksumError = statusFlagLabels[5];
  LblFifoFullFlag = statusFlagLabels[6];
  lblAlarm1SetFlag = statusFlagLabels[7];
  lblAlarm2SetFlag = statusFlagLabels[8];

  CmdUpdateStatus = MakeButton(FrmStatus, "CmdUpdateStatus", "Read Status", 10, 144, 100, 26);
  CmdUpdateStatus->setToolTip("Display the Status Register");
  cmdClearAlarm = MakeButton(FrmStatus, "cmdClearAlarm", "Clear", 120, 144, 100, 26);
}

void frmForm1::BuildCommands(QWidget* central) {
  frameSelfTest = MakeFrame(central, "frameSelfTest", "Self Test", 760, 160, 212, 86);
  optSTON = MakeOption(frameSelfTest, "optSTON", "ON", 12, 24, 110);
  optSTOFF = MakeOption(frameSelfTest, "optSTOFF", "OFF", 12, 52, 110);
  optSTOFF->setChecked(true);  // before the handlers are connected: no write at start

  framePowerdown = MakeFrame(central, "framePowerdown", "Powerdown", 760, 254, 212, 88);
  OptPowerDown = MakeOption(framePowerdown, "OptPowerDown", "PowerDown", 12, 24, 120);
  optPowerUp = MakeOption(framePowerdown, "optPowerUp", "Power Up", 12, 52, 120);
}

void frmForm1::BuildClock(QWidget* central) {
  frameTimeDate = MakeFrame(central, "frameTimeDate", "Date/Time", 760, 8, 212, 145);
  cmdSync = MakeButton(frameTimeDate, "cmdSync", "Sync to PC time", 10, 26, 180, 28);
  cmdTime = MakeButton(frameTimeDate, "cmdTime", "Read Time", 10, 64, 85, 28);
  txtTime = MakeTextBox(frameTimeDate, "txtTime", 102, 66, 88, 24, true);
  cmdDay = MakeButton(frameTimeDate, "cmdDay", "Read Date", 10, 102, 85, 28);
  txtDate = MakeTextBox(frameTimeDate, "txtDate", 102, 104, 88, 24, true);
}

void frmForm1::Connect() {
  connect(mnuPort, &QAction::triggered, this, &frmForm1::mnuPort_Click);
  connect(mnuUsb, &QAction::triggered, this, &frmForm1::mnuUsb_Click);
  connect(MnuExit, &QAction::triggered, this, &frmForm1::MnuExit_Click);
  connect(mnuDatalog, &QAction::triggered, this, &frmForm1::mnuDatalog_Click);
  connect(MnuCal, &QAction::triggered, this, &frmForm1::MnuCal_Click);
  connect(mnuMscCtrl, &QAction::triggered, this, &frmForm1::mnuMscCtrl_Click);
  connect(mnuSamplePeriod, &QAction::triggered, this, &frmForm1::mnuSamplePeriod_Click);
  connect(mnuGPIO, &QAction::triggered, this, &frmForm1::mnuGPIO_Click);
  connect(MnuAlarms, &QAction::triggered, this, &frmForm1::MnuAlarms_Click);
  connect(mnuRegisters, &QAction::triggered, this, &frmForm1::mnuRegisters_Click);

  connect(cmdReadData, &QPushButton::clicked, this, &frmForm1::cmdReadData_Click);
  // toggled, not clicked: setting the box from code runs the handler too.
  connect(ckLoop, &QCheckBox::toggled, this, &frmForm1::ckLoop_Click);
  connect(txtLoopDelay, &QLineEdit::textChanged, this, &frmForm1::txtLoopDelay_Change);

  connect(CmdUpdateStatus, &QPushButton::clicked, this, &frmForm1::CmdUpdateStatus_Click);
  connect(cmdClearAlarm, &QPushButton::clicked, this, &frmForm1::cmdClearAlarm_Click);
  connect(cmdResetPK, &QPushButton::clicked, this, &frmForm1::cmdResetPK_Click);
  // An option writes when it becomes the selected one of its pair.
  connect(OptPowerDown, &QRadioButton::toggled, this, [this](bool on) {
    if (on) OptPowerDown_Click();
  });
  connect(optPowerUp, &QRadioButton::toggled, this, [this](bool on) {
    if (on) optPowerUp_Click();
  });
  connect(optSTON, &QRadioButton::toggled, this, [this](bool on) {
    if (on) optSTON_Click();
  });
  connect(optSTOFF, &QRadioButton::toggled, this, [this](bool on) {
    if (on) optSTOFF_Click();
  });

  connect(cmdCaptDisplay, &QPushButton::clicked, this, &frmForm1::cmdCaptDisplay_Click);
  connect(cmdClearCapture, &QPushButton::clicked, this, &frmForm1::cmdClearCapture_Click);
  connect(cmdCaptConfig, &QPushButton::clicked, this, &frmForm1::cmdCaptConfig_Click);

  connect(cmdTime, &QPushButton::clicked, this, &frmForm1::cmdTime_Click);
  connect(cmdDay, &QPushButton::clicked, this, &frmForm1::cmdDay_Click);
  connect(cmdSync, &QPushButton::clicked, this, &frmForm1::cmdSync_Click);

  connect(cmdPlotScale, &QPushButton::clicked, this, &frmForm1::cmdPlotScale_Click);
  for (int index = kFirstTrace; index <= kLastTrace; ++index) {
    connect(ckG[static_cast<size_t>(index)], &QCheckBox::toggled, this,
            [this, index](bool) { ckG_Click(index); });
  }
  connect(pic2, &ui::PictureBox::MouseMove, this, &frmForm1::pic2_MouseMove);
}

}  // namespace kva
