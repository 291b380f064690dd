// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/frmAlarms.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "app/number_text.h"
#include "capture/trigger_levels.h"
#include "config/alarm_config.h"
#include "mainwindow/device_commands.h"
#include "ui/config_controls.h"
#include "ui/qt_hooks.h"

namespace kva {

using ui::Q;

namespace {

void AddRow(QGridLayout& grid, const QString& caption, QWidget* control) {
  const int row = grid.rowCount();
  grid.addWidget(new QLabel(caption), row, 0);
  grid.addWidget(control, row, 1);
}

void Select(QRadioButton* set, QRadioButton* clear, bool on) {
  (on ? set : clear)->setChecked(true);
}

}  // namespace

QGroupBox* frmAlarms::AlarmFrame(int alarm, QComboBox*& source, QLineEdit*& level,
                                 QRadioButton*& less, QRadioButton*& greater, QPushButton*& update,
                                 QLabel*& hex) {
  auto* frame = new QGroupBox(QString("ALARM %1 SETUP").arg(alarm), this);
  auto* grid = new QGridLayout(frame);
  source = new QComboBox(frame);
  source->setObjectName(QString("cmboAsource%1").arg(alarm));
  AddRow(*grid, "Source", source);
  level = new QLineEdit(frame);
  level->setObjectName(QString("txtLevel%1").arg(alarm));
  AddRow(*grid, "Trigger Level", level);
  const ui::OptionPair polarity =
      ui::MakeOptionPair(frame, QString("opTrigPol%1_Less").arg(alarm), "Less than",
                         alarm == 1 ? "opTrigPol1_Greater" : "opTrigPol2_greater", "Greater than");
  less = polarity.first;
  greater = polarity.second;
  AddRow(*grid, "Trigger Polarity", polarity.frame);
  update = new QPushButton("Update", frame);
  update->setObjectName(alarm == 1 ? "cmdWiteA1" : "cmdWriteA2");
  hex = ui::MakeHexLabel(frame, QString("lblALM_MAG%1").arg(alarm),
                         QString("lblALM_MAG%1").arg(alarm));
  auto* hexRow = new QHBoxLayout;
  hexRow->addWidget(update);
  hexRow->addStretch(1);
  hexRow->addWidget(new QLabel(QString("ALM_MAG%1").arg(alarm)));
  hexRow->addWidget(hex);
  grid->addLayout(hexRow, grid->rowCount(), 0, 1, 2);
  return frame;
}

frmAlarms::frmAlarms() {
  setWindowTitle("ALARM CONFIGURATION AND CONTROL");
  auto* alarms = new QHBoxLayout;
  alarms->addWidget(AlarmFrame(1, cmboAsource1, txtLevel1, opTrigPol1_Less, opTrigPol1_Greater,
                               cmdWiteA1, lblALM_MAG1));
  alarms->addWidget(AlarmFrame(2, cmboAsource2, txtLevel2, opTrigPol2_Less, opTrigPol2_greater,
                               cmdWriteA2, lblALM_MAG2));

  auto* digital = new QGroupBox("Digital Alarm Indicator Setup", this);
  auto* grid = new QGridLayout(digital);
  const ui::OptionPair enable =
      ui::MakeOptionPair(digital, "opDig_Enabled", "Enabled", "opDig_Disabled", "Disabled");
  opDig_Enabled = enable.first;
  opDig_Disabled = enable.second;
  AddRow(*grid, "Digital Alarm Indicator", enable.frame);
  const ui::OptionPair line =
      ui::MakeOptionPair(digital, "opDigLine_zero", "DIO0", "opDigLine_one", "DIO1");
  opDigLine_zero = line.first;
  opDigLine_one = line.second;
  AddRow(*grid, "Digital Line Selection", line.frame);
  const ui::OptionPair polarity =
      ui::MakeOptionPair(digital, "opDigPol_low", "Low", "opDigPol_high", "High");
  opDigPol_low = polarity.first;
  opDigPol_high = polarity.second;
  AddRow(*grid, "Output Polarity", polarity.frame);
  cmdDIO = new QPushButton("Update", digital);
  cmdDIO->setObjectName("cmdDIO");
  LBLAlmCtrl = ui::MakeHexLabel(digital, "LBLAlmCtrl", "LBLAlmCtrl");
  auto* hexRow = new QHBoxLayout;
  hexRow->addWidget(cmdDIO);
  hexRow->addStretch(1);
  hexRow->addWidget(new QLabel("ALM_CTRL"));
  hexRow->addWidget(LBLAlmCtrl);
  grid->addLayout(hexRow, grid->rowCount(), 0, 1, 2);

  cmdFlash = new QPushButton("Update Flash", this);
  cmdFlash->setObjectName("cmdFlash");
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(digital, 1);
  bottom->addWidget(cmdFlash, 0, Qt::AlignBottom);
  auto* column = new QVBoxLayout(this);
  column->addLayout(alarms);
  column->addLayout(bottom);

  // activated: the user's choice of a source; the selections made by ReadA1A2AC show their
  // levels themselves.
  connect(cmboAsource1, &QComboBox::activated, this, &frmAlarms::cmboAsource1_Click);
  connect(cmboAsource2, &QComboBox::activated, this, &frmAlarms::cmboAsource2_Click);
  connect(cmdWiteA1, &QPushButton::clicked, this, &frmAlarms::cmdWiteA1_Click);
  connect(cmdWriteA2, &QPushButton::clicked, this, &frmAlarms::cmdWriteA2_Click);
  connect(cmdDIO, &QPushButton::clicked, this, &frmAlarms::cmdDIO_Click);
  connect(cmdFlash, &QPushButton::clicked, this, &frmAlarms::cmdFlash_Click);
}

void frmAlarms::Form_Load() { ui::PlaceBesideMainWindow(*this); }

void frmAlarms::Form_Activate() {
  for (QComboBox* list : {cmboAsource1, cmboAsource2}) {
    list->clear();
    for (const char* text : kAlarmSourceTexts) list->addItem(text);
  }
  ReadA1A2AC();
}

void frmAlarms::ReadA1A2AC() {
  ReadAlarmRegisters();
  cmboAsource1->setCurrentIndex(AlarmSourceOf(State().control.AlmCtrlValue, 1));
  cmboAsource2->setCurrentIndex(AlarmSourceOf(State().control.AlmCtrlValue, 2));
  Select(opTrigPol1_Greater, opTrigPol1_Less, (State().control.AlmMag1Value & 0x8000) != 0);
  Select(opTrigPol2_greater, opTrigPol2_Less, (State().control.AlmMag2Value & 0x8000) != 0);
  lblALM_MAG1->setText(Q(Hex4(State().control.AlmMag1Value)));
  txtLevel1->setText(Q(AlarmLevelText(static_cast<int16_t>(cmboAsource1->currentIndex()),
                                      State().control.AlmMag1Value)));
  lblALM_MAG2->setText(Q(Hex4(State().control.AlmMag2Value)));
  txtLevel2->setText(Q(AlarmLevelText(static_cast<int16_t>(cmboAsource2->currentIndex()),
                                      State().control.AlmMag2Value)));
  Select(opDigLine_one, opDigLine_zero, (State().control.AlmCtrlValue & 1) != 0);
  Select(opDigPol_high, opDigPol_low, (State().control.AlmCtrlValue & 2) != 0);
  Select(opDig_Enabled, opDig_Disabled, (State().control.AlmCtrlValue & 4) != 0);
  LBLAlmCtrl->setText(Q(Hex4(State().control.AlmCtrlValue)));
}

void frmAlarms::ShowStoredLevel(int alarm) {
  QComboBox* list = alarm == 1 ? cmboAsource1 : cmboAsource2;
  QLineEdit* level = alarm == 1 ? txtLevel1 : txtLevel2;
  level->setText(
      Q(AlarmLevelText(static_cast<int16_t>(list->currentIndex()), ReadAlarmMag(alarm), "")));
}

void frmAlarms::cmboAsource1_Click() { ShowStoredLevel(1); }
void frmAlarms::cmboAsource2_Click() { ShowStoredLevel(2); }

void frmAlarms::WriteA1A2AC() {
  const AlarmSetup alarm1{static_cast<int16_t>(cmboAsource1->currentIndex()),
                          LeadingNumber(ui::S(txtLevel1->text())), opTrigPol1_Greater->isChecked()};
  const AlarmSetup alarm2{static_cast<int16_t>(cmboAsource2->currentIndex()),
                          LeadingNumber(ui::S(txtLevel2->text())), opTrigPol2_greater->isChecked()};
  WriteAlarmSetups(alarm1, alarm2);
  ReadA1A2AC();
}

void frmAlarms::WriteDigAlarm() {
  WriteDigitalIndicator(opDigLine_one->isChecked(), opDigPol_high->isChecked(),
                        opDig_Enabled->isChecked());
  ReadA1A2AC();
}

void frmAlarms::cmdWiteA1_Click() { WriteA1A2AC(); }
void frmAlarms::cmdWriteA2_Click() { WriteA1A2AC(); }
void frmAlarms::cmdDIO_Click() { WriteDigAlarm(); }
void frmAlarms::cmdFlash_Click() { RunDeviceCommand(DeviceCommand::FlashUpdate, 200); }

}  // namespace kva
