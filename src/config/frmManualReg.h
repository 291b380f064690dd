// SPDX-License-Identifier: GPL-3.0-or-later
// "Register Information": every register of the map in one listing (address, contents, flag
// bits, scaled value), any single register shown with its map entry, read and written in hex,
// the flash update, and a printed copy of the window.
#pragma once

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "ui/forms.h"

namespace kva {

class frmManualReg : public ui::Form {
  Q_OBJECT

 public:
  frmManualReg();

  QPushButton* cmdUpdateFlash = nullptr;
  QGroupBox* frameUserReg = nullptr;  // "User Registers"
  QPlainTextEdit* Text1 = nullptr;    // the listing
  QPushButton* cmdPrint = nullptr;
  QPushButton* cmdReadUserReg = nullptr;
  QGroupBox* frameRegister = nullptr;  // "Register Read/Write"
  QComboBox* cmboRegister = nullptr;
  QLineEdit* txtRegAddr = nullptr;
  QLineEdit* txtRegByte = nullptr;
  QLineEdit* txtRegRead = nullptr;
  QLineEdit* txtRegWrite = nullptr;
  QPushButton* cmdRead = nullptr;
  QLineEdit* txtHex = nullptr;
  QLineEdit* txtRegVal = nullptr;
  QLineEdit* txtDataWrite = nullptr;
  QPushButton* cmdWrite = nullptr;
  QLabel* Label1 = nullptr;  // "Deci. Value"
  QLabel* lblRegAddr = nullptr;
  QLabel* lblRegByte = nullptr;
  QLabel* lblRegRead = nullptr;
  QLabel* lblRegWrite = nullptr;

  void ReadAll();
  void ReadSelectedOne();

  void cmdReadUserReg_Click();
  void cmboRegister_Click();
  void cmdRead_Click();
  void cmdWrite_Click();
  void cmdUpdateFlash_Click();
  void cmdPrint_Click();

 protected:
  void Form_Load() override;
  void Form_Resize() override;

 private:
  int lastRegister_ = 0;  // the highest index listed and offered
};

}  // namespace kva
