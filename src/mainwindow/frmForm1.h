// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: output registers and the read loop, status flags and device commands, the
// sensor's clock, the live X/Y/Z plot, and the menus that choose the interface and open the
// other windows. Leaving it by Exit or by its close box saves the settings and ends the
// program.
#pragma once

#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <array>

#include "mainwindow/live_plot.h"
#include "mainwindow/output_pass.h"
#include "ui/forms.h"
#include "ui/picture_box.h"

namespace kva {

class frmForm1 : public ui::MainForm {
  Q_OBJECT

 public:
  frmForm1();

  // Called by this window's own handlers only.
  void ReadData();
  void UpDateStatus();
  void PlotDataPoints2(std::array<float, kOutputSampleSlots>& samples);
  // Reads the capture memory with the busy window showing the progress, then plots it.
  void ReadCaptureMemory();

  // Menus.
  QMenu* mnuInterface = nullptr;
  QAction* mnuPort = nullptr;
  QAction* mnuUsb = nullptr;
  QMenu* mnuDeviceConfiguration = nullptr;
  QAction* MnuCal = nullptr;
  QAction* mnuMscCtrl = nullptr;
  QAction* mnuSamplePeriod = nullptr;
  QAction* mnuGPIO = nullptr;
  QAction* MnuAlarms = nullptr;
  QAction* mnuDatalog = nullptr;
  QAction* mnuRegisters = nullptr;
  QAction* MnuExit = nullptr;

  // "Date/Time"
  QGroupBox* frameTimeDate = nullptr;
  QPushButton* cmdSync = nullptr;
  QPushButton* cmdDay = nullptr;
  QPushButton* cmdTime = nullptr;
  QLineEdit* txtTime = nullptr;
  QLineEdit* txtDate = nullptr;

  // "Output  Registers" and "Event Capture". Slot 0 is the event count; lblReadReg 12 is its
  // caption (indices 0 and 11 are unused).
  QGroupBox* frameDataReg = nullptr;
  std::array<QLineEdit*, 11> txtReadReg{};
  std::array<QLabel*, 13> lblReadReg{};
  QPushButton* cmdReadData = nullptr;
  QCheckBox* ckLoop = nullptr;
  QLabel* lblLoop = nullptr;
  QLineEdit* txtLoopDelay = nullptr;
  QPushButton* cmdResetPK = nullptr;
  std::array<QCheckBox*, 5> ckG{};  // 2..4
  std::array<QLabel*, 5> Shape{};   // 2..4

  QGroupBox* FrameEventCapture = nullptr;
  QPushButton* cmdClearCapture = nullptr;
  QPushButton* cmdCaptDisplay = nullptr;
  QLineEdit* txtCapIndex = nullptr;
  QPushButton* cmdCaptConfig = nullptr;

  // "Data Plot"
  QGroupBox* FrameDataPLot = nullptr;
  ui::PictureBox* pic2 = nullptr;
  QPushButton* cmdPlotScale = nullptr;
  QLabel* lblCurSam2 = nullptr;
  QLabel* lblCurVal2 = nullptr;
  QLabel* lblpFS2 = nullptr;
  QLabel* lblmidS2 = nullptr;
  QLabel* lblnFS2 = nullptr;
  QLabel* LblXaxis = nullptr;
  std::array<QLabel*, 8> lblYscale{};  // 1, 2, 3, 5, 7
  std::array<QLabel*, 5> lblPlotX{};
  std::array<QFrame*, 5> LineX{};

  // "Self Test", "Powerdown"
  QGroupBox* frameSelfTest = nullptr;
  QRadioButton* optSTON = nullptr;
  QRadioButton* optSTOFF = nullptr;
  QGroupBox* framePowerdown = nullptr;
  QRadioButton* OptPowerDown = nullptr;
  QRadioButton* optPowerUp = nullptr;

  // "Status Register": the flag labels in the order of kStatusFlags.
  QGroupBox* FrmStatus = nullptr;
  QPushButton* CmdUpdateStatus = nullptr;
  QPushButton* cmdClearAlarm = nullptr;
  std::array<QLabel*, 9> statusFlagLabels{};
  QLabel* lblLowSupplyFlag = nullptr;
  QLabel* lblHighSupplyFlag = nullptr;
  QLabel* lblWriteFailFlag = nullptr;
  QLabel* lblSpiWriteFlag = nullptr;
  QLabel* lblSelfTestFail = nullptr;
  QLabel* lblChecksumError = nullptr;
  QLabel* LblFifoFullFlag = nullptr;
  QLabel* lblAlarm1SetFlag = nullptr;
  QLabel* lblAlarm2SetFlag = nullptr;

  // The plot's memory of the previous sample (tests read it).
  const LivePlotState& plotState() const { return plot_; }

 public slots:
  void mnuPort_Click();
  void mnuUsb_Click();
  void MnuExit_Click();
  void mnuDatalog_Click();
  void MnuCal_Click();
  void mnuMscCtrl_Click();
  void mnuSamplePeriod_Click();
  void mnuGPIO_Click();
  void MnuAlarms_Click();
  void mnuRegisters_Click();

  void cmdReadData_Click();
  void ckLoop_Click();
  void txtLoopDelay_Change();

  void CmdUpdateStatus_Click();
  void cmdClearAlarm_Click();
  void cmdResetPK_Click();
  void OptPowerDown_Click();
  void optPowerUp_Click();
  void optSTON_Click();
  void optSTOFF_Click();

  void cmdCaptDisplay_Click();
  void cmdClearCapture_Click();
  void cmdCaptConfig_Click();

  void cmdTime_Click();
  void cmdDay_Click();
  void cmdSync_Click();

  void cmdPlotScale_Click();
  void ckG_Click(int index);
  void pic2_MouseMove(int button, int shift, double x, double y);

 protected:
  void Form_Load() override;
  void Form_QueryUnload(int& cancel, ui::UnloadMode mode) override;
  void Form_Unload(int& cancel) override;

 private:
  void BuildMenus();
  void BuildOutputRegisters(QWidget* central);
  void BuildEventCapture(QWidget* central);
  void BuildPlot(QWidget* central);
  void BuildStatus(QWidget* central);
  void BuildCommands(QWidget* central);
  void BuildClock(QWidget* central);
  void Connect();
  void ExitSequence();
  void SetInterfaceMarks(bool port, bool usb);
  bool Ending() const;

  LivePlotState plot_;
  bool exitRun_ = false;
  bool portMark_ = false;  // what the interface items' check marks should show
  bool usbMark_ = false;
};

}  // namespace kva
