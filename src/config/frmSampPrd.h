// SPDX-License-Identifier: GPL-3.0-or-later
// "Sample Period": the sensor's sample rate in samples per second, written as SMPL_PRD and read
// back as the rate the register really gives.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ui/forms.h"

namespace kva {

class frmSampPrd : public ui::Form {
  Q_OBJECT

 public:
  frmSampPrd();

  QLineEdit* txtSampleRate = nullptr;
  QPushButton* cmdWriteSampPrd = nullptr;
  QLabel* lblSmpl_Prd = nullptr;
  QPushButton* cmdUpdateFlash = nullptr;

  void ReadSampPrd();

  void cmdWriteSampPrd_Click();
  void cmdUpdateFlash_Click();

 protected:
  void Form_Activate() override;
};

}  // namespace kva
