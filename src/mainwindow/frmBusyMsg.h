// SPDX-License-Identifier: GPL-3.0-or-later
// The progress window of the capture memory readout, which writes its text into Label1.
#pragma once

#include <QLabel>

#include "ui/forms.h"

namespace kva {

class frmBusyMsg : public ui::Form {
  Q_OBJECT

 public:
  frmBusyMsg();

  QLabel* Label1 = nullptr;

 protected:
  void Form_Load() override;
};

}  // namespace kva
