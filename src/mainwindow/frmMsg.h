// SPDX-License-Identifier: GPL-3.0-or-later
// The small message window that start-up shows while the delay is calibrated.
#pragma once

#include <QPlainTextEdit>
#include <QPushButton>

#include "ui/forms.h"

namespace kva {

class frmMsg : public ui::Form {
  Q_OBJECT

 public:
  frmMsg();

  QPlainTextEdit* txtMsg = nullptr;
  QPushButton* Command1 = nullptr;  // takes the focus; does nothing

 protected:
  void Form_Load() override;
  void Form_Activate() override;
};

}  // namespace kva
