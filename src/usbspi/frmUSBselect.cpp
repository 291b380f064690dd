// SPDX-License-Identifier: GPL-3.0-or-later
#include "usbspi/frmUSBselect.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "app/settings.h"
#include "ui/qt_hooks.h"
#include "usbspi/frmUSBdebug.h"
#include "usbspi/spi_debug.h"
#include "usbspi/usb_adapter.h"

namespace kva {
namespace {

QLineEdit* SlotBox(QWidget* parent, int width) {
  auto* box = new QLineEdit(parent);
  box->setReadOnly(true);
  box->setMinimumWidth(width);
  return box;
}

}  // namespace

frmUSBselect::frmUSBselect() {
  setWindowTitle(QStringLiteral("USB SPI Card Selection"));
  frameBufferSetup = new QGroupBox(QStringLiteral("Buffer Select"), this);
  group_ = new QButtonGroup(this);
  auto* grid = new QGridLayout(frameBufferSetup);
  Label3 = new QLabel(QStringLiteral("Descriptor0"), frameBufferSetup);
  Label6 = new QLabel(QStringLiteral("Rev"), frameBufferSetup);
  Label7 = new QLabel(QStringLiteral("Speed"), frameBufferSetup);
  grid->addWidget(Label3, 0, 1);
  grid->addWidget(Label6, 0, 2);
  grid->addWidget(Label7, 0, 3);
  for (int n = 0; n < 5; ++n) {
    const QString caption = n < 4 ? QStringLiteral("EzUsb%1").arg(n) : QStringLiteral("None");
    optUsbPort[n] = new QRadioButton(caption, frameBufferSetup);
    group_->addButton(optUsbPort[n], n);
    grid->addWidget(optUsbPort[n], n + 1, 0);
    connect(optUsbPort[n], &QRadioButton::toggled, this, [this, n](bool on) {
      if (on && !selecting_) optUsbPort_Click(n);
    });
    if (n < 4) {
      txtDescript0[n] = SlotBox(frameBufferSetup, 220);
      txtDriverRev[n] = SlotBox(frameBufferSetup, 50);
      txtSpeed[n] = SlotBox(frameBufferSetup, 50);
      txtDriverRev[n]->setMaximumWidth(70);
      txtSpeed[n]->setMaximumWidth(70);
      grid->addWidget(txtDescript0[n], n + 1, 1);
      grid->addWidget(txtDriverRev[n], n + 1, 2);
      grid->addWidget(txtSpeed[n], n + 1, 3);
    }
  }
  grid->setColumnStretch(1, 1);

  cmdFindEzUsb = new QPushButton(QStringLiteral("Search"), this);
  cmdDebugUsb = new QPushButton(QStringLiteral("Debug"), this);
  cmdExit = new QPushButton(QStringLiteral("OK"), this);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(cmdFindEzUsb);
  buttons->addWidget(cmdDebugUsb);
  buttons->addStretch(1);
  buttons->addWidget(cmdExit);
  auto* column = new QVBoxLayout(this);
  column->addWidget(frameBufferSetup);
  column->addLayout(buttons);

  connect(cmdFindEzUsb, &QPushButton::clicked, this, &frmUSBselect::cmdFindEzUsb_Click);
  connect(cmdDebugUsb, &QPushButton::clicked, this, &frmUSBselect::cmdDebugUsb_Click);
  connect(cmdExit, &QPushButton::clicked, this, &frmUSBselect::cmdExit_Click);
}

void frmUSBselect::Form_Load() {
  if (const QWidget* main = ui::MainWindow()) move(main->pos());
}

void frmUSBselect::Form_Activate() { cmdFindEzUsb_Click(); }

void frmUSBselect::Form_QueryUnload(int& cancel, ui::UnloadMode mode) {
  if (mode == ui::UnloadMode::FormControlMenu) {
    cancel = 1;
    cmdExit_Click();
  }
}

void frmUSBselect::SelectOption(int index) {
  selecting_ = true;
  optUsbPort[index]->setChecked(true);
  selecting_ = false;
  optUsbPort_Click(index);
}

void frmUSBselect::cmdFindEzUsb_Click() {
  for (int n = 0; n < 4; ++n) {
    optUsbPort[n]->setEnabled(false);
    txtDescript0[n]->clear();
    txtDriverRev[n]->clear();
    txtSpeed[n]->clear();
  }
  FindUsbAdapter();
  for (int n = 0; n < 4; ++n) {
    const UsbAdapterRecord& slot = State().usb.UsbAdapterSlots[n];
    if (!slot.Present) continue;
    optUsbPort[n]->setEnabled(true);
    if (State().usb.UsbPortIndex == n) SelectOption(n);
    const SlotRowTexts row = SlotRowTextsOf(slot, n);
    txtDescript0[n]->setText(ui::Q(row.descript0));
    txtDriverRev[n]->setText(ui::Q(row.rev));
    txtSpeed[n]->setText(ui::Q(row.speed));
  }
  if (State().usb.UsbPortIndex == -1) SelectOption(4);
}

void frmUSBselect::optUsbPort_Click(int index) {
  if (index == 4) {
    State().usb.UsbReady = false;
    State().settings.DebugLoopStop = true;
    return;
  }
  SelectUsbAdapterSlot(index);
}

void frmUSBselect::cmdDebugUsb_Click() { ui::ShowForm<frmUSBdebug>(ui::ShowMode::Modal); }

void frmUSBselect::cmdExit_Click() { hide(); }

}  // namespace kva
