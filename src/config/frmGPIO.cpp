// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/frmGPIO.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "app/number_text.h"
#include "config/control_bits.h"
#include "device/register_access.h"
#include "device/register_map.h"
#include "mainwindow/device_commands.h"
#include "ui/busy_highlight.h"
#include "ui/config_controls.h"
#include "ui/qt_hooks.h"

namespace kva {

frmGPIO::frmGPIO() {
  setWindowTitle("General Purpose Input Output");
  // In the order of kGpioCtrlBits: bit 0, bit 1, bit 8, bit 9.
  const struct {
    const char* caption;
    const char* clearName;
    const char* clearText;
    const char* setName;
    const char* setText;
  } kFrames[4] = {
      {"DIO Line 0    Direction", "optIO_zero_input", "Input", "optIO_zero_output", "Output"},
      {"DIO Line 1   Direction", "optIO_one_input", "Input", "optIO_one_output", "Output"},
      {"Set Line 0    Level", "optPol_zero_low", "Low", "optPol_zero_high", "High"},
      {"Line 1 Level", "optPol_one_low", "Low", "optPol_one_high", "High"},
  };
  auto* grid = new QGridLayout;
  for (size_t i = 0; i < 4; ++i) {
    auto* frame = new QGroupBox(kFrames[i].caption, this);
    const ui::OptionPair pair =
        ui::MakeOptionPair(frame, kFrames[i].clearName, kFrames[i].clearText, kFrames[i].setName,
                           kFrames[i].setText, true);
    (new QVBoxLayout(frame))->addWidget(pair.frame);
    clearOptions_[i] = pair.first;
    setOptions_[i] = pair.second;
    // Line 0 on the left, line 1 on the right; directions above levels.
    grid->addWidget(frame, static_cast<int>(i / 2), static_cast<int>(i % 2));
  }
  optIO_zero_input = clearOptions_[0];
  optIO_zero_output = setOptions_[0];
  optIO_one_input = clearOptions_[1];
  optIO_one_output = setOptions_[1];
  optPol_zero_low = clearOptions_[2];
  optPol_zero_high = setOptions_[2];
  optPol_one_low = clearOptions_[3];
  optPol_one_high = setOptions_[3];

  LBLGPIO = ui::MakeHexLabel(this, "LBLGPIO", "LBLGPIO");
  cmdFlash = new QPushButton("Update Flash", this);
  cmdFlash->setObjectName("cmdFlash");
  auto* hexRow = new QHBoxLayout;
  hexRow->addWidget(new QLabel("GPIO_CTRL"));
  hexRow->addWidget(LBLGPIO);
  hexRow->addStretch(1);
  hexRow->addWidget(cmdFlash);
  auto* column = new QVBoxLayout(this);
  column->addLayout(grid);
  column->addLayout(hexRow);

  // An option written when it becomes the selected one of its pair, by mouse or keyboard;
  // choosing the option already selected writes nothing.
  for (const auto* options : {&setOptions_, &clearOptions_}) {
    for (QRadioButton* option : *options) {
      connect(option, &QRadioButton::toggled, this, [this](bool on) {
        if (on) Write_GPIO_ctrl();
      });
    }
  }
  connect(cmdFlash, &QPushButton::clicked, this, &frmGPIO::cmdFlash_Click);
}

void frmGPIO::Form_Load() {
  ui::PlaceBesideMainWindow(*this);
  ReadGPIO();
}

void frmGPIO::ReadGPIO() {
  ReadRegister(GPIO_CTR);
  const int32_t v = State().registers.RegRawValue;
  LBLGPIO->setText(ui::Q(Hex4(v)));
  reading_ = true;
  for (size_t i = 0; i < kGpioCtrlBits.size(); ++i)
    ((v & kGpioCtrlBits[i].value) != 0 ? setOptions_[i] : clearOptions_[i])->setChecked(true);
  reading_ = false;
}

void frmGPIO::Write_GPIO_ctrl() {
  // The options ReadGPIO selects (while the window loads, too) show what the sensor holds;
  // they are not written back.
  if (reading_) return;
  std::array<bool, kGpioCtrlBits.size()> set{};
  for (size_t i = 0; i < set.size(); ++i) set[i] = setOptions_[i]->isChecked();
  WriteGpioCtrl(ComposeBits(kGpioCtrlBits, set));
  ReadGPIO();
}

void frmGPIO::cmdFlash_Click() {
  ui::GreenWhileBusy busy({cmdFlash});
  RunDeviceCommand(DeviceCommand::FlashUpdate, 100);
}

}  // namespace kva
