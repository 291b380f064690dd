// SPDX-License-Identifier: GPL-3.0-or-later
// "USB SPI Card Selection": searches the four adapter slots on every activation, shows what
// each board reports, and lets the user pick the board to use or none. "Debug" opens the
// adapter's debug panel.
#pragma once

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <array>

#include "ui/forms.h"

namespace kva {

class frmUSBselect : public ui::Form {
  Q_OBJECT

 public:
  frmUSBselect();

  QGroupBox* frameBufferSetup = nullptr;
  std::array<QRadioButton*, 5> optUsbPort{};  // 0..3 "EzUsb0".."EzUsb3", 4 "None"
  std::array<QLineEdit*, 4> txtDescript0{};
  std::array<QLineEdit*, 4> txtDriverRev{};
  std::array<QLineEdit*, 4> txtSpeed{};
  QLabel* Label3 = nullptr;  // "Descriptor0"
  QLabel* Label6 = nullptr;  // "Rev"
  QLabel* Label7 = nullptr;  // "Speed"
  QPushButton* cmdFindEzUsb = nullptr;
  QPushButton* cmdDebugUsb = nullptr;
  QPushButton* cmdExit = nullptr;

  void cmdFindEzUsb_Click();
  void optUsbPort_Click(int index);
  void cmdDebugUsb_Click();
  void cmdExit_Click();

 protected:
  void Form_Load() override;
  void Form_Activate() override;
  void Form_QueryUnload(int& cancel, ui::UnloadMode mode) override;

 private:
  // Selects an option from code and runs its click action once.
  void SelectOption(int index);

  QButtonGroup* group_ = nullptr;
  bool selecting_ = false;
};

}  // namespace kva
