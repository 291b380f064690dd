// SPDX-License-Identifier: GPL-3.0-or-later
// "KVA Capture Configuration": the capture length and pre-trigger (CAPT_CFG), the trigger
// sources and enables (ALM_CTRL) and the two trigger levels with their polarities (ALM_MAG1/2),
// one update button each, each register shown in hex and read back after every write.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "ui/forms.h"

namespace kva {

class frmCaptConfig : public ui::Form {
  Q_OBJECT

 public:
  frmCaptConfig();

  QComboBox* ComboSourceBuff1 = nullptr;
  QComboBox* ComboSourceBuff2 = nullptr;
  QComboBox* ComboBuffLength = nullptr;
  QComboBox* ComboPreTrigLength = nullptr;
  QPushButton* cmdCapt_CFG = nullptr;
  QLabel* LBLCAPT_CFG = nullptr;
  QRadioButton* Option_A1 = nullptr;
  QRadioButton* Option_A2 = nullptr;
  QRadioButton* Option_ABoth = nullptr;
  QRadioButton* Option_Disabled = nullptr;
  QComboBox* CmbAlarmEnable = nullptr;
  QComboBox* CmbOutputPol = nullptr;
  QComboBox* CmbOutputLineSelect = nullptr;
  QPushButton* cmdALM_CTRL = nullptr;
  QLabel* LBLALM_CTRL = nullptr;
  QLineEdit* txtTrigLevelBuff1 = nullptr;
  QLineEdit* txtTrigLevelBuff2 = nullptr;
  QComboBox* ComboPolBuff1 = nullptr;
  QComboBox* ComboPolBuff2 = nullptr;
  QPushButton* cmdTrig_Mag = nullptr;
  QLabel* LBLALM_MAG1 = nullptr;
  QLabel* LBLALM_MAG2 = nullptr;
  QPushButton* cmdUpdateFlash = nullptr;

  void Read_CAPT_CFG();
  void Read_ALM_CTRL();
  void Read_ALM_MAG();

  void cmdCapt_CFG_Click();
  void cmdALM_CTRL_Click();
  void cmdTrig_Mag_Click();
  void cmdUpdateFlash_Click();

 protected:
  void Form_Load() override;
};

}  // namespace kva
