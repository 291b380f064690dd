// SPDX-License-Identifier: GPL-3.0-or-later
#include "hostsetup/frmPort.h"

#include <QGridLayout>

#include "app/number_text.h"
#include "app/settings.h"
#include "device/bring_up.h"
#include "hostsetup/port_access.h"
#include "mainwindow/os_name.h"
#include "ui/qt_hooks.h"

namespace kva {

frmPort::frmPort() {
  setWindowTitle(QStringLiteral("Parallel Port Setup"));
  lblSelect = new QLabel(QStringLiteral("Select the Parallel Port Address"), this);
  Label1 = new QLabel(QStringLiteral("Port Address (Hex)"), this);
  txtUser = new QLineEdit(this);
  // Four hex digits are the whole 16-bit I/O space; a fifth could only be lost.
  txtUser->setMaxLength(4);
  Label1->setBuddy(txtUser);
  cmdOK = new QPushButton(QStringLiteral("OK"), this);
  cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
  cmdOK->setDefault(true);
  cmdOK->setAutoDefault(true);

  auto* grid = new QGridLayout(this);
  grid->addWidget(lblSelect, 0, 0, 1, 2);
  grid->addWidget(Label1, 1, 0);
  grid->addWidget(txtUser, 1, 1);
  grid->addWidget(cmdOK, 2, 0);
  grid->addWidget(cmdCancel, 2, 1);

  connect(cmdOK, &QPushButton::clicked, this, &frmPort::cmdOK_Click);
  connect(cmdCancel, &QPushButton::clicked, this, &frmPort::cmdCancel_Click);
  connect(txtUser, &QLineEdit::returnPressed, this, &frmPort::cmdOK_Click);
}

void frmPort::Form_Load() {
  if (const QWidget* main = ui::MainWindow()) move(main->pos());
}

void frmPort::Form_Activate() { txtUser->setText(ui::Q(HexNoPad(State().settings.PortAddress))); }

void frmPort::cmdOK_Click() {
  const std::string text = ui::S(txtUser->text());
  if (text.empty()) return;
  State().settings.PortAddress = HexTextToInt16(text);
  txtUser->setText(ui::Q(HexNoPad(State().settings.PortAddress)));
  State().settings.InterfaceType = Interface::Parallel;
  // Access is granted per address here, so a new address needs its own grant even when the
  // step has run before in this run.
  const bool needsAccess = !State().settings.PortDriverReady ||
                           !PortAccessGranted(static_cast<uint16_t>(State().settings.PortAddress));
  if ((State().control.OsName == "WinXP" || State().control.OsName == "WinNT") && needsAccess) {
    BringUpParallelPort();
  }
  hide();
}

void frmPort::cmdCancel_Click() { hide(); }

}  // namespace kva
