// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/frmSampPrd.h"

#include <QGridLayout>

#include "app/delay.h"
#include "app/number_text.h"
#include "config/sample_period.h"
#include "mainwindow/device_commands.h"
#include "ui/busy_highlight.h"
#include "ui/config_controls.h"
#include "ui/qt_hooks.h"

namespace kva {

using ui::Q;
using ui::S;

frmSampPrd::frmSampPrd() {
  setWindowTitle("Sample Period");
  txtSampleRate = new QLineEdit(this);
  txtSampleRate->setObjectName("txtSampleRate");
  cmdWriteSampPrd = new QPushButton("Write", this);
  cmdWriteSampPrd->setObjectName("cmdWriteSampPrd");
  lblSmpl_Prd = ui::MakeHexLabel(this, "lblSmpl_Prd", "SamplePeriod");
  cmdUpdateFlash = new QPushButton("Update Flash", this);
  cmdUpdateFlash->setObjectName("cmdUpdateFlash");

  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel("Enter samples per second 0.5 to 4096"), 0, 0, 1, 3);
  grid->addWidget(new QLabel("Samples per sec"), 1, 0);
  grid->addWidget(txtSampleRate, 1, 1);
  grid->addWidget(cmdWriteSampPrd, 1, 2);
  grid->addWidget(new QLabel("SMPL_PRD (Hex)"), 2, 0);
  grid->addWidget(lblSmpl_Prd, 2, 1);
  grid->addWidget(cmdUpdateFlash, 2, 2);

  connect(cmdWriteSampPrd, &QPushButton::clicked, this, &frmSampPrd::cmdWriteSampPrd_Click);
  connect(txtSampleRate, &QLineEdit::returnPressed, this, &frmSampPrd::cmdWriteSampPrd_Click);
  connect(cmdUpdateFlash, &QPushButton::clicked, this, &frmSampPrd::cmdUpdateFlash_Click);
}

void frmSampPrd::Form_Activate() {
  ui::PlaceBesideMainWindow(*this);
  ReadSampPrd();
}

void frmSampPrd::ReadSampPrd() {
  ui::GreenWhileBusy busy({lblSmpl_Prd});
  const int32_t v = ReadSmplPrd();
  lblSmpl_Prd->setText(Q(Hex4(v)));
  txtSampleRate->setText(Q(SampleRateText(v)));
  WaitDelay(200.0);
}

void frmSampPrd::cmdWriteSampPrd_Click() {
  txtSampleRate->setText(Q(SampleRateEntryText(S(txtSampleRate->text()))));
  WriteSampleRate(LeadingNumber(S(txtSampleRate->text())));
  ReadSampPrd();
}

void frmSampPrd::cmdUpdateFlash_Click() {
  ui::GreenWhileBusy busy({cmdUpdateFlash});
  RunDeviceCommand(DeviceCommand::FlashUpdate, 100);
}

}  // namespace kva
