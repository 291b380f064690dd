// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/frmCaptConfig.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <string_view>

#include "app/delay.h"
#include "app/hooks.h"
#include "app/number_text.h"
#include "capture/capture_config.h"
#include "capture/trigger_levels.h"
#include "device/register_access.h"
#include "device/register_map.h"
#include "mainwindow/device_commands.h"
#include "ui/busy_highlight.h"
#include "ui/config_controls.h"
#include "ui/qt_hooks.h"
#include "ui/twips.h"

namespace kva {

using ui::Q;

namespace {

QComboBox* MakeList(QWidget* parent, const char* name) {
  auto* list = new QComboBox(parent);
  list->setObjectName(name);
  return list;
}

void Fill(QComboBox* list, std::initializer_list<const char*> items, int selected) {
  for (const char* item : items) list->addItem(item);
  list->setCurrentIndex(selected);
}

template <size_t N>
void Fill(QComboBox* list, const std::array<const char*, N>& items, int selected) {
  for (const char* item : items) list->addItem(item);
  list->setCurrentIndex(selected);
}

QRadioButton* MakeOption(QWidget* parent, const char* name, const char* text) {
  auto* o = new QRadioButton(text, parent);
  o->setObjectName(name);
  return o;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* text) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(name);
  return b;
}

// A list (or other control) with its caption above it.
QWidget* Captioned(QWidget* parent, const char* caption, QWidget* control) {
  auto* box = new QWidget(parent);
  auto* column = new QVBoxLayout(box);
  column->setContentsMargins(0, 0, 0, 0);
  auto* label = new QLabel(caption, box);
  label->setWordWrap(std::string_view(caption).size() > 40);
  column->addWidget(label);
  column->addWidget(control);
  return box;
}

// The update button and the register's hex label beside it.
QHBoxLayout* UpdateRow(QPushButton* button, std::initializer_list<QLabel*> hex) {
  auto* row = new QHBoxLayout;
  row->addWidget(button);
  row->addStretch(1);
  for (QLabel* l : hex) row->addWidget(l);
  return row;
}

int16_t Code(const QComboBox* list) { return static_cast<int16_t>(list->currentIndex()); }

}  // namespace

frmCaptConfig::frmCaptConfig() {
  setObjectName("frmCaptConfig");
  setWindowTitle("KVA Capture Configuration");

  auto* heading = new QLabel("KVA7710 Event Trigger Configuration", this);
  heading->setObjectName("lblHeading");
  QFont big = heading->font();
  big.setBold(true);
  big.setPointSizeF(big.pointSizeF() * 1.3);
  heading->setFont(big);

  // Step 1: CAPT_CFG.
  auto* step1 = new QGroupBox("Step #1 - Configure Capture Parameters (CAPT_CFG)", this);
  ComboBuffLength = MakeList(step1, "ComboBuffLength");
  ComboPreTrigLength = MakeList(step1, "ComboPreTrigLength");
  cmdCapt_CFG = MakeButton(step1, "cmdCapt_CFG", "Update CAPT_CFG Register");
  LBLCAPT_CFG = ui::MakeHexLabel(step1, "LBLCAPT_CFG", "CAPT_CFG");
  auto* grid1 = new QGridLayout(step1);
  grid1->addWidget(Captioned(step1, "Capt_Buff Length", ComboBuffLength), 0, 0, Qt::AlignTop);
  grid1->addWidget(Captioned(step1,
                             "Pre-Trigger Length Equals This Value Times 1/16 of Capt. Buff. "
                             "Length",
                             ComboPreTrigLength),
                   0, 1, Qt::AlignTop);
  grid1->setColumnStretch(1, 1);
  grid1->addLayout(UpdateRow(cmdCapt_CFG, {LBLCAPT_CFG}), 1, 0, 1, 2);

  // Step 2: ALM_CTRL.
  auto* step2 = new QGroupBox("Step #2 - Set Trigger Source (ALM_CTRL)", this);
  ComboSourceBuff1 = MakeList(step2, "ComboSourceBuff1");
  ComboSourceBuff2 = MakeList(step2, "ComboSourceBuff2");
  auto* enables = new QWidget(step2);
  Option_A1 = MakeOption(enables, "Option_A1", "Trigger #1 (TRIG_MAG1)");
  Option_A2 = MakeOption(enables, "Option_A2", "Trigger #2 (TRIG_MAG2)");
  Option_ABoth = MakeOption(enables, "Option_ABoth", "Both Triggers Enabled");
  Option_Disabled = MakeOption(enables, "Option_Disabled", "Trigger Disabled");
  auto* enableColumn = new QVBoxLayout(enables);
  enableColumn->setContentsMargins(0, 0, 0, 0);
  for (QRadioButton* o : {Option_A1, Option_A2, Option_ABoth, Option_Disabled})
    enableColumn->addWidget(o);
  auto* alarmLine = new QGroupBox("Alarm I/O Line", step2);
  CmbAlarmEnable = MakeList(alarmLine, "CmbAlarmEnable");
  CmbOutputPol = MakeList(alarmLine, "CmbOutputPol");
  CmbOutputLineSelect = MakeList(alarmLine, "CmbOutputLineSelect");
  auto* lineColumn = new QVBoxLayout(alarmLine);
  for (QComboBox* c : {CmbAlarmEnable, CmbOutputPol, CmbOutputLineSelect}) {
    c->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    lineColumn->addWidget(c);
  }
  cmdALM_CTRL = MakeButton(step2, "cmdALM_CTRL", "Update ALM_CTRL Register");
  LBLALM_CTRL = ui::MakeHexLabel(step2, "LBLALM_CTRL", "ALM_CTRL");
  auto* sources = new QVBoxLayout;
  sources->addWidget(Captioned(step2, "Data Source - Buffer #1", ComboSourceBuff1));
  sources->addWidget(Captioned(step2, "Data Source - Buffer #2", ComboSourceBuff2));
  auto* row2 = new QHBoxLayout;
  row2->addLayout(sources);
  row2->addWidget(enables, 0, Qt::AlignTop);
  row2->addWidget(alarmLine, 0, Qt::AlignTop);
  auto* column2 = new QVBoxLayout(step2);
  column2->addLayout(row2);
  column2->addLayout(UpdateRow(cmdALM_CTRL, {LBLALM_CTRL}));

  // Step 3: ALM_MAG1/2.
  auto* step3 = new QGroupBox("Step #3 - Set Trigger Levels and Polarity (TRIG_MAG)", this);
  txtTrigLevelBuff1 = new QLineEdit(step3);
  txtTrigLevelBuff1->setObjectName("txtTrigLevelBuff1");
  txtTrigLevelBuff2 = new QLineEdit(step3);
  txtTrigLevelBuff2->setObjectName("txtTrigLevelBuff2");
  ComboPolBuff1 = MakeList(step3, "ComboPolBuff1");
  ComboPolBuff2 = MakeList(step3, "ComboPolBuff2");
  cmdTrig_Mag = MakeButton(step3, "cmdTrig_Mag", "Update TRIG_MAG1/2 Registers");
  LBLALM_MAG1 = ui::MakeHexLabel(step3, "LBLALM_MAG1", "ALM_MAG1");
  LBLALM_MAG2 = ui::MakeHexLabel(step3, "LBLALM_MAG2", "ALM_MAG2");
  auto* grid3 = new QGridLayout(step3);
  grid3->addWidget(Captioned(step3, "ALM_MAG1 Trigger Level", txtTrigLevelBuff1), 0, 0);
  grid3->addWidget(Captioned(step3, "ALM_MAG1 Polarity", ComboPolBuff1), 0, 1);
  grid3->addWidget(Captioned(step3, "ALM_MAG2 Trigger Level", txtTrigLevelBuff2), 1, 0);
  grid3->addWidget(Captioned(step3, "ALM_MAG2 Polarity", ComboPolBuff2), 1, 1);
  grid3->addLayout(UpdateRow(cmdTrig_Mag, {LBLALM_MAG1, LBLALM_MAG2}), 2, 0, 1, 2);

  auto* example = new QGroupBox("Trigger Configuration Example:", this);
  example->setObjectName("FrameExample");
  auto* exampleColumn = new QVBoxLayout(example);
  for (const char* line :
       {"Step 1 - Set Pre-trigger to zero then set Capt_Buff Length to 1024 and press the update "
        "Capt_CFG Register button",
        "Step 2 - Set Data Source # 1 to Xacc and select Trigger #1 button, Press the Update "
        "ALM_CTRL Register button",
        "Step 3 - Set Trigger Level to 12 then set Polarity to greater than. Press the Update "
        "TRIG_MAG 1/2 Registers button"}) {
    auto* text = new QLabel(line, example);
    text->setWordWrap(true);
    exampleColumn->addWidget(text);
  }
  cmdUpdateFlash = MakeButton(this, "cmdUpdateFlash", "Update Flash");

  // The three steps down the left, the worked example and the flash button on the right.
  auto* steps = new QVBoxLayout;
  steps->addWidget(step1);
  steps->addWidget(step2);
  steps->addWidget(step3);
  auto* side = new QVBoxLayout;
  example->setFixedWidth(260);
  side->addWidget(example);
  side->addStretch(1);
  side->addWidget(cmdUpdateFlash, 0, Qt::AlignRight);
  auto* body = new QHBoxLayout;
  body->addLayout(steps, 1);
  body->addLayout(side);
  auto* column = new QVBoxLayout(this);
  column->addWidget(heading);
  column->addLayout(body);
  connect(cmdCapt_CFG, &QPushButton::clicked, this, &frmCaptConfig::cmdCapt_CFG_Click);
  connect(cmdALM_CTRL, &QPushButton::clicked, this, &frmCaptConfig::cmdALM_CTRL_Click);
  connect(cmdTrig_Mag, &QPushButton::clicked, this, &frmCaptConfig::cmdTrig_Mag_Click);
  connect(cmdUpdateFlash, &QPushButton::clicked, this, &frmCaptConfig::cmdUpdateFlash_Click);
}

void frmCaptConfig::Form_Load() {
  if (const QWidget* main = ui::MainWindow()) {
    const ui::TwipsRect at = ui::GeometryTwips(*main);
    ui::MoveTwips(*this, at.left, at.top);
  }
  Fill(ComboSourceBuff1, kBuffer1SourceTexts, 0);
  Fill(ComboSourceBuff2, kBuffer2SourceTexts, 0);
  Fill(ComboBuffLength, kBufferLengthTexts, 7);
  for (int p = 0; p < kPreTriggerSteps; ++p) ComboPreTrigLength->addItem(QString::number(p));
  ComboPreTrigLength->setCurrentIndex(0);
  Fill(CmbAlarmEnable, {"OutPut Disabled", "OutPut Enabled"}, 0);
  Fill(CmbOutputPol, {"Active LOW", "Active HIGH"}, 0);
  Fill(CmbOutputLineSelect, {"DIO0", "DIO1"}, 0);
  Fill(ComboPolBuff1, {"Less Than", "Greater Than"}, 1);
  Fill(ComboPolBuff2, {"Less Than", "Greater Than"}, 1);
  adjustSize();  // the lists now hold their texts
  // The levels are converted with the sources Read_ALM_CTRL has just selected.
  Read_ALM_CTRL();
  Read_CAPT_CFG();
  Read_ALM_MAG();
}

void frmCaptConfig::Read_CAPT_CFG() {
  ui::GreenWhileBusy busy({LBLCAPT_CFG});
  WaitDelay(100.0);
  ReadRegister(CAPT_CFG);
  const int32_t v = State().registers.RegRawValue;
  ComboBuffLength->setCurrentIndex(CaptCfgLengthCode(v));
  ComboPreTrigLength->setCurrentIndex(CaptCfgPreTrigger(v));
  LBLCAPT_CFG->setText(Q(Hex4(v)));
}

void frmCaptConfig::Read_ALM_CTRL() {
  ui::GreenWhileBusy busy({LBLALM_CTRL});
  WaitDelay(100.0);
  ReadRegister(ALM_CTRL);
  const int32_t v = State().registers.RegRawValue;
  State().control.AlmCtrlValue = v;
  switch (v & (kTrigger1Enable | kTrigger2Enable)) {
    case kTrigger1Enable:
      Option_A1->setChecked(true);
      break;
    case kTrigger2Enable:
      Option_A2->setChecked(true);
      break;
    case kTrigger1Enable | kTrigger2Enable:
      Option_ABoth->setChecked(true);
      break;
    default:
      Option_Disabled->setChecked(true);
  }
  const TriggerSources sources = TriggerSourcesOf(v);
  if (!sources.valid) MsgBox(kInvalidAlmCtrlMessage);
  ComboSourceBuff1->setCurrentIndex(sources.source1);
  ComboSourceBuff2->setCurrentIndex(sources.source2);
  LBLALM_CTRL->setText(Q(Hex4(v)));
}

void frmCaptConfig::Read_ALM_MAG() {
  ui::GreenWhileBusy busy({LBLALM_MAG1, LBLALM_MAG2});
  WaitDelay(100.0);
  ReadRegister(ALM_MAG1);
  State().control.AlmMag1Value = State().registers.RegRawValue;
  ComboPolBuff1->setCurrentIndex((State().control.AlmMag1Value & 0x8000) != 0 ? 1 : 0);
  txtTrigLevelBuff1->setText(
      Q(TriggerLevelText(Code(ComboSourceBuff1), State().control.AlmMag1Value)));
  ReadRegister(ALM_MAG2);
  State().control.AlmMag2Value = State().registers.RegRawValue;
  ComboPolBuff2->setCurrentIndex((State().control.AlmMag2Value & 0x8000) != 0 ? 1 : 0);
  txtTrigLevelBuff2->setText(
      Q(TriggerLevelText(Code(ComboSourceBuff2), State().control.AlmMag2Value)));
  LBLALM_MAG1->setText(Q(Hex4(State().control.AlmMag1Value)));
  LBLALM_MAG2->setText(Q(Hex4(State().control.AlmMag2Value)));
}

void frmCaptConfig::cmdCapt_CFG_Click() {
  WriteRegister(CAPT_CFG,
                CaptCfgValue(ComboBuffLength->currentIndex(), ComboPreTrigLength->currentIndex()));
  WaitDelay(500.0);
  Read_CAPT_CFG();
}

void frmCaptConfig::cmdALM_CTRL_Click() {
  int enables = 0;
  if (Option_A1->isChecked()) enables = kTrigger1Enable;
  if (Option_A2->isChecked()) enables = kTrigger2Enable;
  if (Option_ABoth->isChecked()) enables = kTrigger1Enable | kTrigger2Enable;
  WriteRegister(ALM_CTRL,
                AlmCtrlWord(ComboSourceBuff1->currentIndex(), ComboSourceBuff2->currentIndex(),
                            enables, CmbAlarmEnable->currentIndex(), CmbOutputPol->currentIndex(),
                            CmbOutputLineSelect->currentIndex()));
  Read_ALM_CTRL();
}

void frmCaptConfig::cmdTrig_Mag_Click() {
  const std::string level1 = ui::S(txtTrigLevelBuff1->text());
  const std::string level2 = ui::S(txtTrigLevelBuff2->text());
  if (auto m = TriggerMagWord(Code(ComboSourceBuff1), level1, ComboPolBuff1->currentIndex() == 1))
    WriteRegister(ALM_MAG1, *m);
  if (auto m = TriggerMagWord(Code(ComboSourceBuff2), level2, ComboPolBuff2->currentIndex() == 1))
    WriteRegister(ALM_MAG2, *m);
  Read_ALM_MAG();
}

void frmCaptConfig::cmdUpdateFlash_Click() {
  ui::GreenWhileBusy busy({cmdUpdateFlash});
  RunDeviceCommand(DeviceCommand::FlashUpdate, 250.0);
}

}  // namespace kva
