// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/fmCalibration.h"

#include <QGridLayout>

#include "app/delay.h"
#include "app/number_text.h"
#include "config/calibration.h"
#include "mainwindow/device_commands.h"
#include "ui/busy_highlight.h"
#include "ui/colors.h"
#include "ui/config_controls.h"
#include "ui/qt_hooks.h"

namespace kva {

using ui::Q;
using ui::S;

namespace {

template <class T>
T* Named(T* w, const char* name) {
  w->setObjectName(name);
  return w;
}

QLabel* Heading(const char* name, const char* text) {
  auto* label = Named(new QLabel(text), name);
  ui::SetFontBold(*label, true);
  return label;
}

}  // namespace

fmCalibration::fmCalibration() {
  setWindowTitle("Calibration");
  Label1 = Heading("Label1", "Automatic Features");
  Label4 = Named(new QLabel("Auto Null"), "Label4");
  cmdAutoNull = Named(new QPushButton("Run"), "cmdAutoNull");
  Label2 = Named(new QLabel("Restore Factory Calibration"), "Label2");
  cmdFactoryCal = Named(new QPushButton("Run"), "cmdFactoryCal");
  Line1 = Named(new QFrame, "Line1");
  Line1->setFrameStyle(QFrame::HLine | QFrame::Sunken);
  Label5 = Heading("Label5", "Manual Calibration Adjustment");
  Label21 = Named(new QLabel("Register Contents"), "Label21");

  const char* const kTitles[3] = {"X-Axis Offset", "Y-Axis Offset", "Z-Axis Offset"};
  const char* const kTitleNames[3] = {"Label11", "Label12", "Label9"};
  const char* const kBoxNames[3] = {"txtXoffset", "txtYoffset", "txtZoffset"};
  const char* const kUnitNames[3] = {"Label18", "Label19", "Label10"};
  const char* const kButtons[3] = {"Write X", "Write Y", "Write Z"};
  const char* const kButtonNames[3] = {"cmdCal_Xoffset", "cmdCal_Yoffset", "cmdCal_Zoffset"};
  const char* const kHexNames[3] = {"lblXoffset", "lblYoffset", "lblZoffset"};
  std::array<QLabel*, 3> titles{}, units{};
  std::array<QPushButton*, 3> buttons{};
  for (size_t a = 0; a < 3; ++a) {
    titles[a] = Named(new QLabel(kTitles[a]), kTitleNames[a]);
    offsetBoxes_[a] = Named(new QLineEdit(kBoxNames[a]), kBoxNames[a]);
    units[a] = Named(new QLabel("mg"), kUnitNames[a]);
    buttons[a] = Named(new QPushButton(kButtons[a]), kButtonNames[a]);
    hexLabels_[a] = ui::MakeHexLabel(this, kHexNames[a], kHexNames[a]);
  }
  Label11 = titles[0];
  Label12 = titles[1];
  Label9 = titles[2];
  txtXoffset = offsetBoxes_[0];
  txtYoffset = offsetBoxes_[1];
  txtZoffset = offsetBoxes_[2];
  Label18 = units[0];
  Label19 = units[1];
  Label10 = units[2];
  cmdCal_Xoffset = buttons[0];
  cmdCal_Yoffset = buttons[1];
  cmdCal_Zoffset = buttons[2];
  lblXoffset = hexLabels_[0];
  lblYoffset = hexLabels_[1];
  lblZoffset = hexLabels_[2];
  Label3 = Named(new QLabel("Scale = 51.4 mg / LSB"), "Label3");
  cmdFlashUpdate = Named(new QPushButton("Update Flash"), "cmdFlashUpdate");

  auto* grid = new QGridLayout(this);
  grid->addWidget(Label1, 0, 0, 1, 5);
  grid->addWidget(Label4, 1, 0, 1, 2);
  grid->addWidget(cmdAutoNull, 1, 3);
  grid->addWidget(Label2, 2, 0, 1, 3);
  grid->addWidget(cmdFactoryCal, 2, 3);
  grid->addWidget(Line1, 3, 0, 1, 5);
  grid->addWidget(Label5, 4, 0, 1, 4);
  grid->addWidget(Label21, 4, 4, Qt::AlignCenter);
  for (int a = 0; a < 3; ++a) {
    grid->addWidget(titles[a], 5 + a, 0);
    grid->addWidget(offsetBoxes_[a], 5 + a, 1);
    grid->addWidget(units[a], 5 + a, 2);
    grid->addWidget(buttons[a], 5 + a, 3);
    grid->addWidget(hexLabels_[a], 5 + a, 4);
  }
  grid->addWidget(Label3, 8, 0, 1, 3);
  grid->addWidget(cmdFlashUpdate, 8, 3, 1, 2);

  connect(cmdAutoNull, &QPushButton::clicked, this, &fmCalibration::cmdAutoNull_Click);
  connect(cmdFactoryCal, &QPushButton::clicked, this, &fmCalibration::cmdFactoryCal_Click);
  connect(cmdCal_Xoffset, &QPushButton::clicked, this, &fmCalibration::cmdCal_Xoffset_Click);
  connect(cmdCal_Yoffset, &QPushButton::clicked, this, &fmCalibration::cmdCal_Yoffset_Click);
  connect(cmdCal_Zoffset, &QPushButton::clicked, this, &fmCalibration::cmdCal_Zoffset_Click);
  connect(cmdFlashUpdate, &QPushButton::clicked, this, &fmCalibration::cmdFlashUpdate_Click);
}

void fmCalibration::Form_Activate() {
  ui::PlaceBesideMainWindow(*this);
  ReadCalRegisters();
}

void fmCalibration::ReadCalRegisters() {
  ui::GreenWhileBusy busy({lblXoffset, lblYoffset, lblZoffset});
  WaitDelay(200.0);
  for (int a = 0; a < 3; ++a) {
    const OffsetReading reading = ReadOffset(a);
    hexLabels_[static_cast<size_t>(a)]->setText(Q(reading.hex));
    offsetBoxes_[static_cast<size_t>(a)]->setText(Q(reading.mg));
  }
}

void fmCalibration::WriteOffsetOf(int axis) {
  QLineEdit& box = *offsetBoxes_[static_cast<size_t>(axis)];
  box.setText(Q(OffsetEntryText(S(box.text()))));
  const int32_t counts = WriteOffset(axis, LeadingNumber(S(box.text())));
  box.setText(Q(OffsetWrittenText(axis, counts)));
  ReadCalRegisters();
}

void fmCalibration::cmdCal_Xoffset_Click() { WriteOffsetOf(0); }
void fmCalibration::cmdCal_Yoffset_Click() { WriteOffsetOf(1); }
void fmCalibration::cmdCal_Zoffset_Click() { WriteOffsetOf(2); }

void fmCalibration::cmdAutoNull_Click() {
  RunDeviceCommand(DeviceCommand::AutoNull);
  ReadCalRegisters();
}

void fmCalibration::cmdFactoryCal_Click() {
  RunDeviceCommand(DeviceCommand::FactoryCal);
  ReadCalRegisters();
}

void fmCalibration::cmdFlashUpdate_Click() {
  ui::GreenWhileBusy busy({cmdFlashUpdate});
  RunDeviceCommand(DeviceCommand::FlashUpdate, 600);
}

}  // namespace kva
