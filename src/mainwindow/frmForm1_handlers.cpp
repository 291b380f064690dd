// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's event handlers: start-up and exit, the read loop, status and device
// commands, the clock and the live plot. Each reads its controls, calls the core and writes
// its controls back.
#include <QMenuBar>
#include <QPointer>

#include "app/delay.h"
#include "app/hooks.h"
#include "app/number_text.h"
#include "app/run_mode.h"
#include "app/settings.h"
#include "capture/capture_readout.h"
#include "capture/frmCapAnalysis.h"
#include "capture/frmCapDisplay.h"
#include "capture/frmCaptConfig.h"
#include "config/fmCalibration.h"
#include "config/frmAlarms.h"
#include "config/frmGPIO.h"
#include "config/frmManualReg.h"
#include "config/frmMscCtrl.h"
#include "config/frmSampPrd.h"
#include "datalog/frmDatalog.h"
#include "device/register_access.h"
#include "device/register_map.h"
#include "hostsetup/frmPort.h"
#include "mainwindow/device_commands.h"
#include "mainwindow/frmBusyMsg.h"
#include "mainwindow/frmForm1.h"
#include "mainwindow/loop_delay.h"
#include "mainwindow/os_name.h"
#include "mainwindow/rtc_clock.h"
#include "mainwindow/status_flags.h"
#include "mainwindow/window_startup.h"
#include "ui/colors.h"
#include "ui/qt_hooks.h"
#include "ui/twips.h"
#include "usbspi/frmUSBselect.h"
#include "usbspi/usb_adapter.h"

#ifndef KVA_VERSION_MAJOR
#define KVA_VERSION_MAJOR 1
#endif

namespace kva {

using ui::Q;
using ui::S;

namespace {

// The read loop rewrites every box and flag on each pass; leaving unchanged ones alone spares
// a repaint per control per pass.
void SetText(QLineEdit& box, const std::string& text) {
  const QString q = Q(text);
  if (box.text() != q) box.setText(q);
}

void SetColour(QWidget& w, const QColor& c) {
  if (ui::BackColor(w) != c) ui::SetBackColor(w, c);
}

}  // namespace

// ---- start-up and exit ----

void frmForm1::Form_Load() {
  State().control.OsName = DetermineOsName();

  const InterfaceBringUp up = BringUpInterface(State().control.OsName);
  if (up.checkPort) SetInterfaceMarks(true, usbMark_);
  if (up.hideUsb) {
    SetInterfaceMarks(portMark_, false);
    mnuUsb->setVisible(false);
  }
  if (up.checkUsb) SetInterfaceMarks(portMark_, true);
  if (up.showUsbSelect) ui::ShowForm<frmUSBselect>(ui::ShowMode::Modal);

  setWindowTitle(Q(MainWindowTitle(KVA_VERSION_MAJOR, SimulatedBoardActive())));

  ReadStartupRegisters();
  WaitDelay(100.0);

  for (int index = kFirstTrace; index <= kLastTrace; ++index)
    Shape[static_cast<size_t>(index)]->hide();
  for (int index = kFirstTrace; index <= kLastTrace; ++index) {
    ckG[static_cast<size_t>(index)]->setChecked(true);
    Shape[static_cast<size_t>(index)]->show();
  }

  txtLoopDelay->setText("5");
  ReadRegister(ALM_CTRL);  // the device expects it; the value is not needed here

  cmdReadData_Click();
  CmdUpdateStatus_Click();

  cmdPlotScale->setText("7");
  const PlotScaleLabels labels = ScaleLabelsFor("7");
  lblpFS2->setText(cmdPlotScale->text());
  lblmidS2->setText(Q(labels.middle));
  lblnFS2->setText(Q(labels.negative));
  // The mouse read-out works in plot units before the first sample arrives too.
  const PlotRange range = PlotRangeFor("7");
  pic2->Scale(0, range.top, kPlotWidthUnits, range.bottom);

  ckLoop->setChecked(true);
}

bool frmForm1::Ending() const { return exitRun_ || ProgramEnding(); }

void frmForm1::ExitSequence() {
  if (exitRun_) return;
  exitRun_ = true;  // running loops leave at their next yield
  WaitDelay(250.0);
  if (!SaveCommSettings()) {
    // Keep going (the user asked to leave), but say that the choice of interface is lost.
    MsgBox(std::string("The settings could not be saved to ") + kSettingsFileName +
           ": the file cannot be written in this folder.");
  }
  hide();
  ui::EndProgram();
}

void frmForm1::MnuExit_Click() { ExitSequence(); }

void frmForm1::Form_QueryUnload(int& cancel, ui::UnloadMode mode) {
  (void)mode;
  ExitSequence();
  // The program ends through the exit sequence; destroying the window here could pull it
  // from under a read loop that is still on the stack.
  cancel = 1;
}

void frmForm1::Form_Unload(int& cancel) {
  (void)cancel;
  if (!ProgramEnding() && !exitRun_) ui::EndProgram();
}

// ---- menus ----

void frmForm1::SetInterfaceMarks(bool port, bool usb) {
  portMark_ = port;
  usbMark_ = usb;
  mnuPort->setChecked(port);
  mnuUsb->setChecked(usb);
}

void frmForm1::mnuPort_Click() {
  // A checkable item flips its own mark when chosen; the marks follow the dialog's outcome.
  SetInterfaceMarks(portMark_, usbMark_);
  ui::ShowForm<frmPort>(ui::ShowMode::Modal);
  if (State().settings.PortAddress != 0) {
    State().settings.InterfaceType = Interface::Parallel;
    SetInterfaceMarks(true, false);
  }
}

void frmForm1::mnuUsb_Click() {
  SetInterfaceMarks(portMark_, usbMark_);
  ui::ShowForm<frmUSBselect>(ui::ShowMode::Modal);
  if (State().usb.UsbReady) {
    State().settings.InterfaceType = Interface::Usb;
    SetInterfaceMarks(false, true);
  } else {
    State().settings.InterfaceType = Interface::None;
    SetInterfaceMarks(false, false);
  }
}

void frmForm1::mnuDatalog_Click() { ui::ShowForm<frmDatalog>(ui::ShowMode::Modal); }
void frmForm1::MnuCal_Click() { ui::ShowForm<fmCalibration>(ui::ShowMode::Modal); }
void frmForm1::mnuMscCtrl_Click() { ui::ShowForm<frmMscCtrl>(); }
void frmForm1::mnuSamplePeriod_Click() { ui::ShowForm<frmSampPrd>(ui::ShowMode::Modal); }
void frmForm1::mnuGPIO_Click() { ui::ShowForm<frmGPIO>(); }
void frmForm1::MnuAlarms_Click() { ui::ShowForm<frmAlarms>(); }
void frmForm1::mnuRegisters_Click() { ui::ShowForm<frmManualReg>(); }

// ---- output registers and the read loop ----

void frmForm1::cmdReadData_Click() {
  if (State().settings.InterfaceType == Interface::None) return;
  if (ckLoop->isChecked()) {
    if (cmdReadData->text() == "Read") {
      cmdReadData->setText("STOP");
      lblLoop->setText("Running");
    } else if (cmdReadData->text() == "STOP") {
      cmdReadData->setText("Read");
      lblLoop->setText("stopped");
    }
  }
  Yield();
  if (Ending()) return;
  ReadData();
}

void frmForm1::ReadData() {
  float previousEvents = 0.0f;
  do {
    OutputPassResult pass = ReadOutputPass([this](int n, float value) {
      QLineEdit& box = *txtReadReg[static_cast<size_t>(n)];
      SetText(box, OutputValueText(value));
      if (n == SUPPLY_OUT) {
        switch (SupplyColourFor(value)) {
          case SupplyColour::Red:
            SetColour(box, ui::kRed);
            break;
          case SupplyColour::White:
            SetColour(box, ui::kWhite);
            break;
          case SupplyColour::Unchanged:
            break;
        }
      }
    });
    SetText(*txtReadReg[0], EventCountText(pass.eventCount));
    Yield();
    if (Ending()) return;
    WaitDelay(LoopDelayMs(S(txtLoopDelay->text())));
    Yield();
    if (Ending()) return;
    UpDateStatus();
    if (ShouldPlotSample(pass, previousEvents)) PlotDataPoints2(pass.samples);
    previousEvents = pass.eventCount;
  } while (cmdReadData->text() == "STOP" && ckLoop->isChecked() && !Ending());
}

void frmForm1::ckLoop_Click() {
  if (!ckLoop->isChecked() && cmdReadData->text() == "STOP") {
    // The loop ends after this pass. The label is left as it is: it goes on reading "Running"
    // until the next click on Read.
    cmdReadData->setText("Read");
  }
}

void frmForm1::txtLoopDelay_Change() {
  if (auto fixed = LoopDelayCorrection(S(txtLoopDelay->text()))) txtLoopDelay->setText(Q(*fixed));
}

// ---- status and device commands ----

void frmForm1::UpDateStatus() {
  const int32_t word = ReadStatusWord();
  for (size_t i = 0; i < kStatusFlags.size(); ++i) {
    const StatusFlagState state = FlagState(word, kStatusFlags[i]);
    QLabel& label = *statusFlagLabels[i];
    SetColour(label, QColor::fromRgb(state.background));
    label.setText(state.text);
  }
}

void frmForm1::CmdUpdateStatus_Click() { UpDateStatus(); }

void frmForm1::cmdClearAlarm_Click() {
  RunDeviceCommand(DeviceCommand::ClearAlarms);
  CmdUpdateStatus_Click();
}

void frmForm1::cmdResetPK_Click() {
  RunDeviceCommand(DeviceCommand::ResetPeaks);
  ReadData();
}

void frmForm1::OptPowerDown_Click() { RunDeviceCommand(DeviceCommand::PowerDown); }
void frmForm1::optPowerUp_Click() { RunDeviceCommand(DeviceCommand::PowerUp); }
void frmForm1::optSTON_Click() { RunDeviceCommand(DeviceCommand::SelfTestOn); }
void frmForm1::optSTOFF_Click() { RunDeviceCommand(DeviceCommand::SelfTestOff); }

// ---- event capture ----

void frmForm1::cmdCaptDisplay_Click() {
  if (State().settings.InterfaceType == Interface::Parallel ||
      State().settings.InterfaceType == Interface::Usb)
    ReadCaptureMemory();
}

void frmForm1::ReadCaptureMemory() {
  static const QString kReading = QStringLiteral("Reading Capture Memory.\n");
  QPointer<frmBusyMsg> busy = &ui::LoadForm<frmBusyMsg>();
  busy->Label1->setText(kReading);
  busy->show();
  const ui::TwipsRect main = ui::GeometryTwips(*this);
  const ui::TwipsRect frame = ui::GeometryTwips(*FrameEventCapture);
  ui::MoveTwips(*busy, main.left + frame.left,
                main.top + main.height - frame.height - ui::GeometryTwips(*busy).height - 700);
  const std::array<QPushButton*, 3> buttons{cmdCaptDisplay, cmdCaptConfig, cmdClearCapture};
  for (QPushButton* b : buttons) b->setEnabled(false);

  kva::ReadCaptureMemory([&busy](int, int, const std::string& line) {
    if (busy) busy->Label1->setText(kReading + Q(line));
  });

  if (busy) busy->hide();
  for (QPushButton* b : buttons) b->setEnabled(true);
  if (Ending()) return;
  ui::LoadForm<frmCapDisplay>().PlotCaptureBuffer();
  // An open analysis follows the buffer just read.
  if (auto* analysis = ui::FindForm<frmCapAnalysis>(); analysis && analysis->isVisible()) {
    analysis->LoadBuffer();
  }
}

void frmForm1::cmdClearCapture_Click() {
  RunDeviceCommand(DeviceCommand::ClearCapture);
  ReadRegister(EVENTS);
  txtReadReg[0]->setText(Q(GeneralText(State().registers.RegScaledValue)));
}

void frmForm1::cmdCaptConfig_Click() { ui::ShowForm<frmCaptConfig>(); }

// ---- clock ----

void frmForm1::cmdTime_Click() { txtTime->setText(Q(ReadTimeText())); }

void frmForm1::cmdDay_Click() { txtDate->setText(Q(ReadDateText())); }

void frmForm1::cmdSync_Click() {
  const ClockTexts texts = SyncClockToPc();
  txtDate->setText(Q(texts.date));
  txtTime->setText(Q(texts.time));
}

// ---- live plot ----

void frmForm1::PlotDataPoints2(std::array<float, kOutputSampleSlots>& samples) {
  const std::array<bool, 3> traceOn{ckG[2]->isChecked(), ckG[3]->isChecked(), ckG[4]->isChecked()};
  const PlotStep step = AdvanceLivePlot(plot_, S(cmdPlotScale->text()), samples, traceOn);
  lblnFS2->setText(Q(step.negativeLabel));
  lblmidS2->setText("0");
  lblpFS2->setText(Q(step.positiveLabel));

  pic2->Scale(0, step.top, kPlotWidthUnits, step.bottom);
  pic2->FilledBox(step.eraseX1, step.top, step.eraseX2, step.bottom, pic2->BackColor());
  pic2->SetDrawWidth(1);
  pic2->Line(step.cursorX, step.top, step.cursorX, step.bottom, ui::kCursorGrey);
  for (int i = 0; i < step.segmentCount; ++i) {
    const PlotSegment& s = step.segments[static_cast<size_t>(i)];
    pic2->Line(s.x1, s.y1, s.x2, s.y2, ui::BackColor(*Shape[static_cast<size_t>(s.index)]));
  }
}

void frmForm1::cmdPlotScale_Click() {
  cmdPlotScale->setText(Q(NextPlotScale(S(cmdPlotScale->text()))));
  const PlotScaleLabels labels = ScaleLabelsFor(S(cmdPlotScale->text()));
  lblpFS2->setText(cmdPlotScale->text());
  lblnFS2->setText(Q(labels.negative));
  lblmidS2->setText("0");
}

void frmForm1::ckG_Click(int index) {
  QCheckBox& box = *ckG.at(static_cast<size_t>(index));
  Shape.at(static_cast<size_t>(index))->setVisible(box.isChecked());
}

void frmForm1::pic2_MouseMove(int button, int shift, double x, double y) {
  (void)button;
  (void)shift;
  const PlotReadout r = PlotReadoutAt(x, y);
  lblCurSam2->setText(Q(r.sample));
  lblCurVal2->setText(Q(r.value));
}

}  // namespace kva
