// SPDX-License-Identifier: GPL-3.0-or-later
// "General Purpose Input Output": direction and output level of the sensor's two digital lines.
// Every option the user picks is written at once and read back.
#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <array>

#include "ui/forms.h"

namespace kva {

class frmGPIO : public ui::Form {
  Q_OBJECT

 public:
  frmGPIO();

  QRadioButton* optIO_zero_input = nullptr;
  QRadioButton* optIO_zero_output = nullptr;
  QRadioButton* optIO_one_input = nullptr;
  QRadioButton* optIO_one_output = nullptr;
  QRadioButton* optPol_zero_low = nullptr;
  QRadioButton* optPol_zero_high = nullptr;
  QRadioButton* optPol_one_low = nullptr;
  QRadioButton* optPol_one_high = nullptr;
  QLabel* LBLGPIO = nullptr;
  QPushButton* cmdFlash = nullptr;

  void Write_GPIO_ctrl();
  void ReadGPIO();

  void cmdFlash_Click();

 protected:
  void Form_Load() override;

 private:
  // Per bit of kGpioCtrlBits: the option for a set bit and for a clear one.
  std::array<QRadioButton*, 4> setOptions_{};
  std::array<QRadioButton*, 4> clearOptions_{};
  bool reading_ = false;
};

}  // namespace kva
