// SPDX-License-Identifier: GPL-3.0-or-later
// "MSC_CTRL": the data-ready output (enable, polarity, DIO line), the sensor self-test, the
// power-up self-test, peak tracking and the sum-of-squares output. Every change to a control,
// by mouse or keyboard, is written at once and read back.
#pragma once

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <array>

#include "ui/forms.h"

namespace kva {

class frmMscCtrl : public ui::Form {
  Q_OBJECT

 public:
  frmMscCtrl();

  QGroupBox* frameDio = nullptr;  // "DIO Line Selction"
  QRadioButton* OpDIO1 = nullptr;
  QRadioButton* OpDIO2 = nullptr;
  QCheckBox* ckDataPolarityHigh = nullptr;
  QCheckBox* ckDataReady = nullptr;
  QCheckBox* ckSelfTest = nullptr;
  QCheckBox* ckNoSelfTest = nullptr;
  QCheckBox* ckPeakTracking = nullptr;
  QCheckBox* ckSumSquares = nullptr;
  QLabel* lblHex = nullptr;
  QPushButton* cmdWriteFlash = nullptr;

  void ReadMSC();
  void WriteMSC();
  void WriteFlash();
  void ShowBusy();

  void cmdWriteFlash_Click();

 protected:
  void Form_Activate() override;

 private:
  // The control of each bit, in the order of kMiscCtrlBits (bit 0: OpDIO2).
  std::array<QAbstractButton*, 7> bitControls_{};
};

}  // namespace kva
