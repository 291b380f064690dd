// SPDX-License-Identifier: GPL-3.0-or-later
// "Parallel Port Setup": the user types the parallel port's base address in hex; OK selects the
// parallel port as the interface and, the first time (and for each new address), obtains port
// access and puts the lines into their idle state.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ui/forms.h"

namespace kva {

class frmPort : public ui::Form {
  Q_OBJECT

 public:
  frmPort();

  QLabel* lblSelect = nullptr;  // "Select the Parallel Port Address"
  QLabel* Label1 = nullptr;     // "Port Address (Hex)"
  QLineEdit* txtUser = nullptr;
  QPushButton* cmdOK = nullptr;
  QPushButton* cmdCancel = nullptr;

  void cmdOK_Click();
  void cmdCancel_Click();

 protected:
  void Form_Load() override;
  void Form_Activate() override;
};

}  // namespace kva
