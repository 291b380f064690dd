// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/frmManualReg.h"

#include <QFontDatabase>
#include <QRegularExpressionValidator>

#include "app/number_text.h"
#include "config/register_listing.h"
#include "device/register_map.h"
#include "mainwindow/device_commands.h"
#include "ui/print_window.h"
#include "ui/qt_hooks.h"
#include "ui/twips.h"

namespace kva {

using ui::Q;

namespace {

// Layout in twips. Maximised, the listing's frame keeps 700 twips below it and the listing
// 550 twips of its frame's height for the frame's caption and border.
constexpr double kWindowWidth = 12960, kWindowHeight = 7800;
constexpr double kFrameBelow = 700, kFrameAroundText = 550;
constexpr double kColumn = 9240, kColumnWidth = 3600;

template <class T>
T* Make(QWidget* parent, const char* name, double left, double top, double width, double height) {
  auto* w = new T(parent);
  w->setObjectName(name);
  ui::MoveTwips(*w, left, top, width, height);
  return w;
}

QLineEdit* Box(QWidget* parent, const char* name, double top, bool readOnly = true) {
  auto* box = Make<QLineEdit>(parent, name, 1980, top, 1380, 330);
  box->setReadOnly(readOnly);
  return box;
}

QLabel* Caption(QWidget* parent, const char* name, const char* text, double top) {
  auto* label = Make<QLabel>(parent, name, 120, top, 1800, 330);
  label->setText(text);
  return label;
}

QPushButton* Button(QWidget* parent, const char* name, const char* text, double left, double top,
                    double width) {
  auto* button = Make<QPushButton>(parent, name, left, top, width, 420);
  button->setText(text);
  return button;
}

QString Flag(int16_t flag) { return flag == kTrue ? "True" : "False"; }

}  // namespace

frmManualReg::frmManualReg() {
  setWindowTitle("Register Information");
  ui::MoveTwips(*this, {}, {}, kWindowWidth, kWindowHeight);

  frameUserReg = Make<QGroupBox>(this, "frameUserReg", 120, 120, 9000, kWindowHeight - kFrameBelow);
  frameUserReg->setTitle("User Registers");
  Text1 = Make<QPlainTextEdit>(frameUserReg, "Text1", 120, 360, 8760,
                               kWindowHeight - kFrameBelow - kFrameAroundText);
  Text1->setPlainText("Text1");
  Text1->setReadOnly(true);
  Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
  // The listing's columns are TAB-separated: a fixed font with stops every 12 characters
  // lines them up under the header.
  const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  Text1->setFont(fixed);
  Text1->setTabStopDistance(QFontMetricsF(fixed).horizontalAdvance(QLatin1Char(' ')) * 12);

  frameRegister = Make<QGroupBox>(this, "frameRegister", kColumn, 120, kColumnWidth, 4560);
  frameRegister->setTitle("Register Read/Write");
  cmboRegister = Make<QComboBox>(frameRegister, "cmboRegister", 120, 360, 3360, 360);
  cmboRegister->setPlaceholderText("select register");
  lblRegAddr = Caption(frameRegister, "lblRegAddr", "Base Addr (Hex)", 900);
  txtRegAddr = Box(frameRegister, "txtRegAddr", 900);
  lblRegByte = Caption(frameRegister, "lblRegByte", "Num Bytes", 1320);
  txtRegByte = Box(frameRegister, "txtRegByte", 1320);
  lblRegRead = Caption(frameRegister, "lblRegRead", "Read Flag", 1740);
  txtRegRead = Box(frameRegister, "txtRegRead", 1740);
  lblRegWrite = Caption(frameRegister, "lblRegWrite", "Write Flag", 2160);
  txtRegWrite = Box(frameRegister, "txtRegWrite", 2160);
  cmdRead = Button(frameRegister, "cmdRead", "Read (Hex)", 120, 2700, 1740);
  txtHex = Box(frameRegister, "txtHex", 2745);
  Label1 = Caption(frameRegister, "Label1", "Deci. Value", 3180);
  txtRegVal = Box(frameRegister, "txtRegVal", 3180);
  cmdWrite = Button(frameRegister, "cmdWrite", "Write (Hex)", 120, 3720, 1740);
  txtDataWrite = Box(frameRegister, "txtDataWrite", 3765, false);
  // Four hex digits are the whole register; a fifth could only be lost.
  txtDataWrite->setValidator(
      new QRegularExpressionValidator(QRegularExpression("[0-9A-Fa-f]{0,4}"), txtDataWrite));
  // Nothing to read or write until a register is chosen.
  cmdRead->setEnabled(false);
  cmdWrite->setEnabled(false);

  cmdReadUserReg = Button(this, "cmdReadUserReg", "Read", kColumn, 4920, 1740);
  cmdPrint = Button(this, "cmdPrint", "Print", kColumn + 1860, 4920, 1740);
  cmdUpdateFlash = Button(this, "cmdUpdateFlash", "Update Flash", kColumn, 5520, kColumnWidth);

  connect(cmdReadUserReg, &QPushButton::clicked, this, &frmManualReg::cmdReadUserReg_Click);
  // activated: the user's choice (mouse or keys), not a change made from code.
  connect(cmboRegister, &QComboBox::activated, this, &frmManualReg::cmboRegister_Click);
  connect(cmdRead, &QPushButton::clicked, this, &frmManualReg::cmdRead_Click);
  connect(cmdWrite, &QPushButton::clicked, this, &frmManualReg::cmdWrite_Click);
  connect(txtDataWrite, &QLineEdit::returnPressed, this, [this] {
    if (cmdWrite->isEnabled()) cmdWrite_Click();
  });
  connect(cmdUpdateFlash, &QPushButton::clicked, this, &frmManualReg::cmdUpdateFlash_Click);
  connect(cmdPrint, &QPushButton::clicked, this, &frmManualReg::cmdPrint_Click);
}

void frmManualReg::Form_Load() {
  if (const QWidget* main = ui::MainWindow()) move(main->pos());
  lastRegister_ = kListingLastRegister;
  for (int i = 0; i <= lastRegister_; ++i)
    cmboRegister->addItem(Q(State().registers.RegisterMap[i].Label));
  ReadAll();
}

void frmManualReg::ReadAll() { Text1->setPlainText(ui::QLines(RegisterListingText())); }

void frmManualReg::cmdReadUserReg_Click() { ReadAll(); }

void frmManualReg::cmboRegister_Click() {
  State().control.SelectedRegister = static_cast<int16_t>(cmboRegister->currentIndex());
  const RegisterRow& row = State().registers.RegisterMap[State().control.SelectedRegister];
  txtRegAddr->setText(Q(Hex4(row.BaseAddr)));
  txtRegByte->setText(Q(GeneralText(static_cast<double>(row.NumBytes))));
  txtRegRead->setText(Flag(row.ReadFlag));
  txtRegWrite->setText(Flag(row.WriteFlag));
  cmdWrite->setEnabled(row.WriteFlag == kTrue);
  cmdRead->setEnabled(row.ReadFlag == kTrue);
  cmdRead_Click();
}

void frmManualReg::ReadSelectedOne() {
  const int k = cmboRegister->currentIndex();
  if (k < 0 || State().registers.RegisterMap[k].ReadFlag == kFalse) return;
  const RegisterReadout shown = ReadRegisterShown(static_cast<int16_t>(k));
  txtHex->setText(Q(shown.hex));
  txtRegVal->setText(Q(shown.scaled));
}

void frmManualReg::cmdRead_Click() { ReadSelectedOne(); }

void frmManualReg::cmdWrite_Click() {
  WriteRegisterAndSettle(State().control.SelectedRegister,
                         HexTextToValue(ui::S(txtDataWrite->text())));
  ReadSelectedOne();
}

void frmManualReg::cmdUpdateFlash_Click() { RunDeviceCommand(DeviceCommand::FlashUpdate, 250); }

void frmManualReg::cmdPrint_Click() { ui::PrintWindowImage(*this); }

void frmManualReg::Form_Resize() {
  if (Text1 == nullptr) return;
  // Maximised, the listing takes the window's height. Back from maximised it returns to its
  // design height, so that it never reaches past the window's bottom edge.
  const double frameHeight =
      isMaximized() ? ui::GeometryTwips(*this).height - kFrameBelow : kWindowHeight - kFrameBelow;
  ui::MoveTwips(*frameUserReg, {}, {}, {}, frameHeight);
  ui::MoveTwips(*Text1, {}, {}, {}, frameHeight - kFrameAroundText);
}

}  // namespace kva
