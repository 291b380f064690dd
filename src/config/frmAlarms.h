// SPDX-License-Identifier: GPL-3.0-or-later
// "ALARM CONFIGURATION AND CONTROL": the two alarms (source, level in the source's units,
// polarity) and the digital alarm indicator (enabled, output line, active level). Values take
// effect through the "Update" buttons only; every activation shows what the sensor holds.
#pragma once

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "ui/forms.h"

namespace kva {

class frmAlarms : public ui::Form {
  Q_OBJECT

 public:
  frmAlarms();

  QComboBox* cmboAsource1 = nullptr;
  QComboBox* cmboAsource2 = nullptr;
  QLineEdit* txtLevel1 = nullptr;
  QLineEdit* txtLevel2 = nullptr;
  QRadioButton* opTrigPol1_Less = nullptr;
  QRadioButton* opTrigPol1_Greater = nullptr;
  QRadioButton* opTrigPol2_Less = nullptr;
  QRadioButton* opTrigPol2_greater = nullptr;
  QPushButton* cmdWiteA1 = nullptr;
  QPushButton* cmdWriteA2 = nullptr;
  QLabel* lblALM_MAG1 = nullptr;
  QLabel* lblALM_MAG2 = nullptr;
  QRadioButton* opDig_Enabled = nullptr;
  QRadioButton* opDig_Disabled = nullptr;
  QRadioButton* opDigLine_zero = nullptr;
  QRadioButton* opDigLine_one = nullptr;
  QRadioButton* opDigPol_low = nullptr;
  QRadioButton* opDigPol_high = nullptr;
  QPushButton* cmdDIO = nullptr;
  QLabel* LBLAlmCtrl = nullptr;
  QPushButton* cmdFlash = nullptr;

  void ReadA1A2AC();
  void WriteA1A2AC();
  void WriteDigAlarm();

  void cmboAsource1_Click();
  void cmboAsource2_Click();
  void cmdWiteA1_Click();
  void cmdWriteA2_Click();
  void cmdDIO_Click();
  void cmdFlash_Click();

 protected:
  void Form_Load() override;
  void Form_Activate() override;

 private:
  QGroupBox* AlarmFrame(int alarm, QComboBox*& source, QLineEdit*& level, QRadioButton*& less,
                        QRadioButton*& greater, QPushButton*& update, QLabel*& hex);
  void ShowStoredLevel(int alarm);
};

}  // namespace kva
