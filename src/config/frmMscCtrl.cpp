// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/frmMscCtrl.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "app/delay.h"
#include "app/number_text.h"
#include "config/control_bits.h"
#include "device/register_access.h"
#include "device/register_map.h"
#include "mainwindow/device_commands.h"
#include "ui/busy_highlight.h"
#include "ui/config_controls.h"
#include "ui/qt_hooks.h"

namespace kva {

namespace {

QCheckBox* Check(QWidget* parent, const char* name, const char* text) {
  auto* box = new QCheckBox(text, parent);
  box->setObjectName(name);
  return box;
}

}  // namespace

frmMscCtrl::frmMscCtrl() {
  setWindowTitle("MSC_CTRL");
  frameDio = new QGroupBox("DIO Line Selction", this);
  const ui::OptionPair dio =
      ui::MakeOptionPair(frameDio, "OpDIO1", "DIO_1", "OpDIO2", "DIO_2", true);
  OpDIO1 = dio.first;
  OpDIO2 = dio.second;
  (new QVBoxLayout(frameDio))->addWidget(dio.frame);

  ckDataPolarityHigh = Check(this, "ckDataPolarityHigh", "Data Polarity High");
  ckDataReady = Check(this, "ckDataReady", "Enable Data Ready");
  ckSelfTest = Check(this, "ckSelfTest", "Sensors Self Test");
  ckNoSelfTest = Check(this, "ckNoSelfTest", "Disable Self Test at Power up");
  ckPeakTracking = Check(this, "ckPeakTracking", "Enable Peak Tracking");
  ckSumSquares = Check(this, "ckSumSquares", "Enable Sum of Squares");
  bitControls_ = {OpDIO2,       ckDataPolarityHigh, ckDataReady, ckSelfTest,
                  ckNoSelfTest, ckPeakTracking,     ckSumSquares};

  lblHex = ui::MakeHexLabel(this, "lblHex", "lblHex");
  cmdWriteFlash = new QPushButton("Update Flash", this);
  cmdWriteFlash->setObjectName("cmdWriteFlash");

  auto* checks = new QVBoxLayout;
  for (QCheckBox* box :
       {ckDataPolarityHigh, ckDataReady, ckSelfTest, ckNoSelfTest, ckPeakTracking, ckSumSquares}) {
    checks->addWidget(box);
  }
  auto* top = new QHBoxLayout;
  top->addWidget(frameDio, 0, Qt::AlignTop);
  top->addLayout(checks);
  auto* hexRow = new QHBoxLayout;
  hexRow->addWidget(new QLabel("MSC_CTRL Hex"));
  hexRow->addWidget(lblHex);
  hexRow->addStretch(1);
  hexRow->addWidget(cmdWriteFlash);
  auto* column = new QVBoxLayout(this);
  column->addLayout(top);
  column->addLayout(hexRow);

  // clicked: a change by mouse or keyboard (space bar, arrow keys between the two options),
  // never one made by ReadMSC, so that what the window shows is always what was written.
  for (QAbstractButton* control : bitControls_)
    connect(control, &QAbstractButton::clicked, this, &frmMscCtrl::WriteMSC);
  connect(OpDIO1, &QAbstractButton::clicked, this, &frmMscCtrl::WriteMSC);
  connect(cmdWriteFlash, &QPushButton::clicked, this, &frmMscCtrl::cmdWriteFlash_Click);
}

void frmMscCtrl::Form_Activate() {
  ui::PlaceBesideMainWindow(*this);
  ReadMSC();
}

void frmMscCtrl::ShowBusy() {
  ui::GreenWhileBusy busy({lblHex}, true);
  WaitDelay(100.0);
}

void frmMscCtrl::ReadMSC() {
  ShowBusy();
  ReadRegister(MISC_CTRL);
  const int32_t v = State().registers.RegRawValue;
  lblHex->setText(ui::Q(Hex4(v)));
  for (size_t i = 0; i < kMiscCtrlBits.size(); ++i)
    bitControls_[i]->setChecked((v & kMiscCtrlBits[i].value) != 0);
  // Bit 0 clear selects the other option of the pair.
  if ((v & 1) == 0) OpDIO1->setChecked(true);
}

void frmMscCtrl::WriteMSC() {
  std::array<bool, kMiscCtrlBits.size()> set{};
  for (size_t i = 0; i < set.size(); ++i) set[i] = bitControls_[i]->isChecked();
  WriteMiscCtrl(ComposeBits(kMiscCtrlBits, set));
  ReadMSC();
}

void frmMscCtrl::WriteFlash() {
  ui::GreenWhileBusy busy({cmdWriteFlash});
  RunDeviceCommand(DeviceCommand::FlashUpdate, 100);
}

void frmMscCtrl::cmdWriteFlash_Click() { WriteFlash(); }

}  // namespace kva
