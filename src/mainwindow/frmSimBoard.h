// SPDX-License-Identifier: GPL-3.0-or-later
// The "Simulated Board" window: with --simulate, it drives the simulated sensor live (scenario,
// tilt, shocks, a vibration, white noise, supply, temperature, aux input, self-test fault) through
// the board stimulus, so triggers, alarms and the supply warning can be tried without hardware.
// Modeless.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QPushButton>

#include "ui/forms.h"

class QMenuBar;
class QAction;

namespace kva {

class frmSimBoard : public ui::Form {
  Q_OBJECT

 public:
  frmSimBoard();

  QComboBox* cmbScenario = nullptr;
  QDoubleSpinBox* txtTilt[3] = {};  // X, Y, Z in g
  QPushButton* cmdTilt = nullptr;
  QComboBox* cmbShockAxis = nullptr;
  QDoubleSpinBox* txtShockPeak = nullptr;      // g
  QDoubleSpinBox* txtShockDuration = nullptr;  // ms
  QPushButton* cmdShock = nullptr;
  QCheckBox* chkVibration = nullptr;  // on/off
  QComboBox* cmbVibrationAxis = nullptr;
  QDoubleSpinBox* txtVibrationHz = nullptr;
  QDoubleSpinBox* txtVibrationG = nullptr;  // peak
  QDoubleSpinBox* txtNoise[3] = {};         // X, Y, Z in ug/sqrt(Hz)
  QDoubleSpinBox* txtSupply = nullptr;      // V
  QDoubleSpinBox* txtTemp = nullptr;        // degrees C
  QDoubleSpinBox* txtAux = nullptr;         // V
  QCheckBox* chkSelfTestFault = nullptr;
  QPushButton* cmdClose = nullptr;

  void cmbScenario_Change();
  void cmdTilt_Click();
  void cmdShock_Click();
  void Vibration_Change();
  void cmdClose_Click();

 protected:
  void Form_Load() override;
  void Form_Activate() override;

 private:
  // Shows what the board holds, without acting on it.
  void ShowState();
  bool showing_ = false;
};

// Adds the "Simulated Board" menu before `before` while a simulated board runs; nothing on
// hardware.
void AddSimulatedBoardMenu(QMenuBar& bar, QAction* before);

}  // namespace kva
