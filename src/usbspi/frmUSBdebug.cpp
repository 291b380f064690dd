// SPDX-License-Identifier: GPL-3.0-or-later
#include "usbspi/frmUSBdebug.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "app/hooks.h"
#include "app/number_text.h"
#include "app/run_mode.h"
#include "app/settings.h"
#include "ui/qt_hooks.h"
#include "usbspi/spi_debug.h"
#include "usbspi/usb_adapter.h"

namespace kva {
namespace {

constexpr int kEnterKey = 13;

QLineEdit* Box(QWidget* parent, int width, bool readOnly) {
  auto* box = new QLineEdit(parent);
  box->setReadOnly(readOnly);
  box->setMinimumWidth(width);
  return box;
}

QString HexText(int32_t value) { return ui::Q(HexNoPad(value)); }

// Checks an option from code without running its click action through the signal.
void CheckQuietly(QRadioButton* option) {
  const QSignalBlocker quiet(option);
  option->setChecked(true);
}

// The message of every handler that needs the adapter while none is ready.
void SelectBufferFirst() { MsgBox(kSelectBufferMessage); }

}  // namespace

frmUSBdebug::frmUSBdebug() {
  setWindowTitle(QStringLiteral("USB SPI Card Setup"));
  BuildSlots();
  BuildSetup();
  BuildManual();
  cmdExit = new QPushButton(QStringLiteral("OK"), this);
  connect(cmdExit, &QPushButton::clicked, this, &frmUSBdebug::cmdExit_Click);

  auto* lower = new QHBoxLayout;
  lower->addWidget(frameSPIsetup);
  lower->addWidget(frameManual, 1);
  auto* exitRow = new QHBoxLayout;
  exitRow->addStretch(1);
  exitRow->addWidget(cmdExit);
  auto* column = new QVBoxLayout(this);
  column->addWidget(frameBufferSetup);
  column->addLayout(lower);
  column->addLayout(exitRow);
}

void frmUSBdebug::BuildSlots() {
  frameBufferSetup = new QGroupBox(QStringLiteral("Buffer Select"), this);
  portGroup_ = new QButtonGroup(this);
  auto* grid = new QGridLayout(frameBufferSetup);
  Label2 = new QLabel(QStringLiteral("Device"), frameBufferSetup);
  Label3 = new QLabel(QStringLiteral("Descriptor0"), frameBufferSetup);
  Label4 = new QLabel(QStringLiteral("Descriptor1"), frameBufferSetup);
  Label6 = new QLabel(QStringLiteral("Rev"), frameBufferSetup);
  Label7 = new QLabel(QStringLiteral("Speed"), frameBufferSetup);
  int column = 1;
  for (QLabel* heading : {Label2, Label3, Label4, Label6, Label7})
    grid->addWidget(heading, 0, column++);
  for (int n = 0; n < 5; ++n) {
    const QString caption = n < 4 ? QStringLiteral("EzUsb%1").arg(n) : QStringLiteral("None");
    optUsbPort[n] = new QRadioButton(caption, frameBufferSetup);
    portGroup_->addButton(optUsbPort[n], n);
    grid->addWidget(optUsbPort[n], n + 1, 0);
    connect(optUsbPort[n], &QRadioButton::toggled, this, [this, n](bool on) {
      if (on) optUsbPort_Click(n);
    });
    if (n == 4) break;
    txtUsbPort[n] = Box(frameBufferSetup, 110, true);
    txtDescript0[n] = Box(frameBufferSetup, 190, true);
    txtDescript1[n] = Box(frameBufferSetup, 110, true);
    txtDriverRev[n] = Box(frameBufferSetup, 45, true);
    txtSpeed[n] = Box(frameBufferSetup, 45, true);
    column = 1;
    for (QLineEdit* box :
         {txtUsbPort[n], txtDescript0[n], txtDescript1[n], txtDriverRev[n], txtSpeed[n]}) {
      grid->addWidget(box, n + 1, column++);
    }
    txtDriverRev[n]->setMaximumWidth(60);
    txtSpeed[n]->setMaximumWidth(60);
  }
  grid->setColumnStretch(2, 1);
  cmdFindEzUsb = new QPushButton(QStringLiteral("Search"), frameBufferSetup);
  grid->addWidget(cmdFindEzUsb, 5, 5);
  connect(cmdFindEzUsb, &QPushButton::clicked, this, &frmUSBdebug::cmdFindEzUsb_Click);
}

void frmUSBdebug::BuildSetup() {
  frameSPIsetup = new QGroupBox(QStringLiteral("SPI Setup"), this);
  frameSpiStatic = new QGroupBox(QStringLiteral("Static Bits"), frameSPIsetup);
  auto* bits = new QGridLayout(frameSpiStatic);
  for (int k = kFirstStaticBox; k <= kLastStaticBox; ++k) {
    chkStaticBits[k] = new QCheckBox(QStringLiteral("CS%1").arg(k), frameSpiStatic);
    bits->addWidget(chkStaticBits[k], k - kFirstStaticBox, 0);
  }
  cmdSetSpiBits = new QPushButton(QStringLiteral("Set Bits"), frameSpiStatic);
  cmdReadBits = new QPushButton(QStringLiteral("Read"), frameSpiStatic);
  bits->addWidget(cmdSetSpiBits, 0, 1);
  bits->addWidget(cmdReadBits, 1, 1);

  frameSpiChan = new QGroupBox(QStringLiteral("Csel Channel"), frameSPIsetup);
  chanGroup_ = new QButtonGroup(this);
  auto* channels = new QVBoxLayout(frameSpiChan);
  for (int c = 1; c <= 4; ++c) {
    optSpiChan[c] = new QRadioButton(QStringLiteral("Chan%1").arg(c), frameSpiChan);
    chanGroup_->addButton(optSpiChan[c], c);
    channels->addWidget(optSpiChan[c]);
    connect(optSpiChan[c], &QRadioButton::toggled, this, [this, c](bool on) {
      if (on) optSpiChan_Click(c);
    });
  }

  Label5 = new QLabel(QStringLiteral("Delay between words (uS)"), frameSPIsetup);
  txtLoopDelay = new QLineEdit(QStringLiteral("10"), frameSPIsetup);
  txtLoopDelay->setMaximumWidth(60);
  cmdReadDelay = new QPushButton(QStringLiteral("Read"), frameSPIsetup);
  Label8 = new QLabel(QStringLiteral("Data Input Polarity"), frameSPIsetup);
  cmdPolarity = new QPushButton(QStringLiteral("Pos"), frameSPIsetup);

  auto* grid = new QGridLayout(frameSPIsetup);
  grid->addWidget(frameSpiStatic, 0, 0);
  grid->addWidget(frameSpiChan, 0, 1);
  grid->addWidget(Label5, 1, 0, 1, 2);
  auto* delayRow = new QHBoxLayout;
  delayRow->addWidget(txtLoopDelay);
  delayRow->addWidget(cmdReadDelay);
  delayRow->addStretch(1);
  grid->addLayout(delayRow, 2, 0, 1, 2);
  grid->addWidget(Label8, 3, 0);
  grid->addWidget(cmdPolarity, 3, 1);
  grid->setRowStretch(4, 1);

  connect(cmdSetSpiBits, &QPushButton::clicked, this, &frmUSBdebug::cmdSetSpiBits_Click);
  connect(cmdReadBits, &QPushButton::clicked, this, &frmUSBdebug::cmdReadBits_Click);
  connect(cmdReadDelay, &QPushButton::clicked, this, &frmUSBdebug::cmdReadDelay_Click);
  connect(txtLoopDelay, &QLineEdit::returnPressed, this,
          [this] { txtLoopDelay_KeyDown(kEnterKey); });
  connect(cmdPolarity, &QPushButton::clicked, this, &frmUSBdebug::cmdPolarity_Click);
}

void frmUSBdebug::BuildManual() {
  frameManual = new QGroupBox(QStringLiteral("Manual Setup"), this);
  auto* grid = new QGridLayout(frameManual);
  lblNumWords = new QLabel(QStringLiteral("# Words to Write"), frameManual);
  txtNumWords = new QLineEdit(QStringLiteral("1"), frameManual);
  txtNumWords->setMaximumWidth(50);
  grid->addWidget(lblNumWords, 0, 0, 1, 3);
  grid->addWidget(txtNumWords, 0, 3);
  Label1 = new QLabel(QStringLiteral("Write (hex)"), frameManual);
  lblRead = new QLabel(QStringLiteral("Readback"), frameManual);
  grid->addWidget(Label1, 1, 1);
  grid->addWidget(lblRead, 1, 2);
  // Two blocks of eight words side by side: 1..8, then 9..16.
  for (int i = 1; i <= kMaxSpiWords; ++i) {
    const int row = 2 + (i - 1) % 8;
    const int col = (i - 1) / 8 * 3;
    txtWriteSpi[i] = Box(frameManual, 55, false);
    // Four hex digits are the whole word; a fifth could only be lost.
    txtWriteSpi[i]->setMaxLength(4);
    txtReadSpi[i] = Box(frameManual, 55, true);
    grid->addWidget(new QLabel(QString::number(i), frameManual), row, col, Qt::AlignRight);
    grid->addWidget(txtWriteSpi[i], row, col + 1);
    grid->addWidget(txtReadSpi[i], row, col + 2);
  }
  auto* block2Heading = new QLabel(QStringLiteral("Write (hex)"), frameManual);
  auto* block2Read = new QLabel(QStringLiteral("Readback"), frameManual);
  grid->addWidget(block2Heading, 1, 4);
  grid->addWidget(block2Read, 1, 5);
  cmdWriteSpi = new QPushButton(QStringLiteral("Write"), frameManual);
  cmdLoop = new QPushButton(QStringLiteral("Loop"), frameManual);
  grid->addWidget(cmdWriteSpi, 10, 1);
  grid->addWidget(cmdLoop, 10, 2);
  connect(cmdWriteSpi, &QPushButton::clicked, this, &frmUSBdebug::cmdWriteSpi_Click);
  connect(cmdLoop, &QPushButton::clicked, this, &frmUSBdebug::cmdLoop_Click);
}

void frmUSBdebug::Form_Load() {
  if (const QWidget* main = ui::MainWindow()) move(main->pos());
}

void frmUSBdebug::Form_Activate() {
  cmdFindEzUsb_Click();
  if (State().usb.SpiChannel >= 1 && State().usb.SpiChannel <= 4)
    SelectChannel(State().usb.SpiChannel);
  cmdPolarity->setText(State().usb.SpiInputPolarity ? QStringLiteral("Pos")
                                                    : QStringLiteral("Neg"));
}

void frmUSBdebug::Form_QueryUnload(int& cancel, ui::UnloadMode mode) {
  if (mode == ui::UnloadMode::FormControlMenu) {
    cancel = 1;
    cmdExit_Click();
  }
}

void frmUSBdebug::SelectPort(int index) {
  CheckQuietly(optUsbPort[index]);
  optUsbPort_Click(index);
}

void frmUSBdebug::SelectChannel(int index) {
  CheckQuietly(optSpiChan[index]);
  optSpiChan_Click(index);
}

void frmUSBdebug::NoneIfFailed(bool wasReady) {
  if (wasReady && !State().usb.UsbReady) SelectPort(4);
}

void frmUSBdebug::ShowReadback() {
  for (int i = 1; i <= State().usb.SpiWordCount; ++i)
    txtReadSpi[i]->setText(HexText(State().usb.SpiRxWords[i]));
}

void frmUSBdebug::cmdFindEzUsb_Click() {
  for (int n = 0; n < 4; ++n) {
    txtUsbPort[n]->setText(QStringLiteral("None"));
    optUsbPort[n]->setEnabled(false);
    for (QLineEdit* box : {txtDescript0[n], txtDescript1[n], txtDriverRev[n], txtSpeed[n]}) {
      box->clear();
    }
  }
  FindUsbAdapter();
  for (int n = 0; n < 4; ++n) {
    const UsbAdapterRecord& slot = State().usb.UsbAdapterSlots[n];
    if (!slot.Present) continue;
    const SlotRowTexts row = SlotRowTextsOf(slot, n);
    txtUsbPort[n]->setText(ui::Q(row.device));
    optUsbPort[n]->setEnabled(true);
    if (State().usb.UsbPortIndex == n) SelectPort(n);
    txtDescript0[n]->setText(ui::Q(row.descript0));
    txtDescript1[n]->setText(ui::Q(row.descript1));
    txtDriverRev[n]->setText(ui::Q(row.rev));
    txtSpeed[n]->setText(ui::Q(row.speed));
  }
  if (State().usb.UsbPortIndex == -1) SelectPort(4);
}

void frmUSBdebug::optUsbPort_Click(int index) {
  if (index == 4) {
    frameSPIsetup->setEnabled(false);
    frameManual->setEnabled(false);
    State().usb.UsbReady = false;
    State().settings.DebugLoopStop = true;
    return;
  }
  State().usb.CurrentUsbAdapter = State().usb.UsbAdapterSlots[index];
  frameSPIsetup->setEnabled(true);
  frameManual->setEnabled(true);
  optSpiChan_Click(State().usb.SpiChannel);
  const bool wasReady = State().usb.UsbReady;
  SetSpiStaticBits(State().usb.SpiStaticBits);
  SetSpiWordDelay(State().usb.SpiWordDelay);
  NoneIfFailed(wasReady);
  // Show what the board now holds. A board that failed above has switched the panel to "None"
  // after its own message; without a ready adapter one "select a buffer" message is enough.
  if (State().usb.UsbReady) {
    cmdReadDelay_Click();
    cmdReadBits_Click();
  } else if (!wasReady) {
    cmdReadDelay_Click();
  }
}

void frmUSBdebug::optSpiChan_Click(int index) {
  State().usb.SpiChannel = static_cast<uint8_t>(index);
}

void frmUSBdebug::cmdSetSpiBits_Click() {
  if (!State().usb.UsbReady) {
    SelectBufferFirst();
    SelectPort(4);
    return;
  }
  uint8_t bits = 0;
  for (int k = kFirstStaticBox; k <= kLastStaticBox; ++k) {
    if (chkStaticBits[k]->isChecked()) bits |= StaticBitOfBox(k);
  }
  SetSpiStaticBits(bits);
  NoneIfFailed(true);
}

void frmUSBdebug::cmdReadBits_Click() {
  if (!State().usb.UsbReady) {
    SelectBufferFirst();
    txtLoopDelay->setText(QString::number(State().usb.SpiWordDelay));
    return;
  }
  for (int k = kFirstStaticBox; k <= kLastStaticBox; ++k) chkStaticBits[k]->setChecked(false);
  ReadSpiSetup();
  for (int k = kFirstStaticBox; k <= kLastStaticBox; ++k) {
    chkStaticBits[k]->setChecked((State().usb.SpiStaticBits & StaticBitOfBox(k)) != 0);
  }
  NoneIfFailed(true);
}

void frmUSBdebug::cmdReadDelay_Click() {
  if (State().usb.UsbReady) {
    ReadSpiSetup();
    NoneIfFailed(true);
  } else {
    SelectBufferFirst();
  }
  txtLoopDelay->setText(QString::number(State().usb.SpiWordDelay));
}

void frmUSBdebug::txtLoopDelay_KeyDown(int keyCode) {
  if (keyCode != kEnterKey) return;
  if (State().usb.UsbReady) {
    uint8_t delay = SpiWordDelayFor(LeadingNumber(ui::S(txtLoopDelay->text())));
    SetSpiWordDelay(delay);
    NoneIfFailed(true);
  } else {
    SelectBufferFirst();
  }
  txtLoopDelay->setText(QString::number(State().usb.SpiWordDelay));
}

void frmUSBdebug::cmdPolarity_Click() {
  State().usb.SpiInputPolarity = cmdPolarity->text() != QStringLiteral("Pos");
  cmdPolarity->setText(State().usb.SpiInputPolarity ? QStringLiteral("Pos")
                                                    : QStringLiteral("Neg"));
}

void frmUSBdebug::cmdWriteSpi_Click() {
  if (!State().usb.UsbReady) {
    SelectBufferFirst();
    SelectPort(4);
    State().settings.DebugLoopStop = true;
    return;
  }
  const QString typedCount = txtNumWords->text();
  // An empty box keeps the count of the last exchange.
  const uint8_t count = SpiWordCountFor(typedCount.isEmpty() ? State().usb.SpiWordCount
                                                             : LeadingNumber(ui::S(typedCount)));
  State().usb.SpiWordCount = count;
  txtNumWords->setText(QString::number(count));
  std::vector<uint16_t> words;
  for (int i = 1; i <= count; ++i) {
    const QString typed = txtWriteSpi[i]->text();
    words.push_back(typed.isEmpty() ? 0 : static_cast<uint16_t>(HexTextToValue(ui::S(typed))));
    txtWriteSpi[i]->setText(HexText(words.back()));
  }
  for (int i = count + 1; i <= kMaxSpiWords; ++i) txtWriteSpi[i]->clear();
  for (int i = 1; i <= kMaxSpiWords; ++i) txtReadSpi[i]->clear();
  ExchangeSpiWords(words);
  NoneIfFailed(true);
  ShowReadback();
}

void frmUSBdebug::cmdLoop_Click() {
  if (cmdLoop->text() == QStringLiteral("Loop")) {
    cmdLoop->setText(QStringLiteral("Stop"));
    State().settings.DebugLoopStop = false;
    cmdWriteSpi_Click();
    while (!State().settings.DebugLoopStop) {
      UsbSpiTransfer(State().usb.SpiWordCount);
      NoneIfFailed(true);
      ShowReadback();
      Yield();
      if (ProgramEnding()) return;
    }
  } else if (cmdLoop->text() == QStringLiteral("Stop")) {
    State().settings.DebugLoopStop = true;
  }
  cmdLoop->setText(QStringLiteral("Loop"));
}

void frmUSBdebug::cmdExit_Click() {
  // A loop must not go on exchanging words behind a panel that is no longer there.
  State().settings.DebugLoopStop = true;
  hide();
}

}  // namespace kva
