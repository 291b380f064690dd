// SPDX-License-Identifier: GPL-3.0-or-later
// "USB SPI Card Setup": the engineer's panel for the adapter board itself. It lists the boards
// found, reads and sets the board's SPI set-up (static chip-select bits, chip-select channel,
// word delay, data input polarity) and sends up to 16 raw words, once or in a loop, showing
// the words clocked back. Opened modally from the selection window's "Debug" button.
#pragma once

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <array>

#include "ui/forms.h"

namespace kva {

class frmUSBdebug : public ui::Form {
  Q_OBJECT

 public:
  frmUSBdebug();

  // "Buffer Select"
  QGroupBox* frameBufferSetup = nullptr;
  std::array<QRadioButton*, 5> optUsbPort{};  // 0..3 "EzUsb0".."EzUsb3", 4 "None"
  std::array<QLineEdit*, 4> txtUsbPort{};
  std::array<QLineEdit*, 4> txtDescript0{};
  std::array<QLineEdit*, 4> txtDescript1{};
  std::array<QLineEdit*, 4> txtDriverRev{};
  std::array<QLineEdit*, 4> txtSpeed{};
  QLabel* Label2 = nullptr;  // "Device"
  QLabel* Label3 = nullptr;  // "Descriptor0"
  QLabel* Label4 = nullptr;  // "Descriptor1"
  QLabel* Label6 = nullptr;  // "Rev"
  QLabel* Label7 = nullptr;  // "Speed"
  QPushButton* cmdFindEzUsb = nullptr;

  // "SPI Setup"
  QGroupBox* frameSPIsetup = nullptr;
  QGroupBox* frameSpiStatic = nullptr;
  std::array<QCheckBox*, 6> chkStaticBits{};  // 2..5 "CS2".."CS5"
  QPushButton* cmdSetSpiBits = nullptr;
  QPushButton* cmdReadBits = nullptr;
  QGroupBox* frameSpiChan = nullptr;
  std::array<QRadioButton*, 5> optSpiChan{};  // 1..4 "Chan1".."Chan4"
  QLabel* Label5 = nullptr;                   // "Delay between words (uS)"
  QLineEdit* txtLoopDelay = nullptr;
  QPushButton* cmdReadDelay = nullptr;
  QLabel* Label8 = nullptr;  // "Data Input Polarity"
  QPushButton* cmdPolarity = nullptr;

  // "Manual Setup"
  QGroupBox* frameManual = nullptr;
  QLabel* lblNumWords = nullptr;  // "# Words to Write"
  QLineEdit* txtNumWords = nullptr;
  QLabel* Label1 = nullptr;                  // "Write (hex)"
  QLabel* lblRead = nullptr;                 // "Readback"
  std::array<QLineEdit*, 17> txtWriteSpi{};  // 1..16
  std::array<QLineEdit*, 17> txtReadSpi{};   // 1..16
  QPushButton* cmdWriteSpi = nullptr;
  QPushButton* cmdLoop = nullptr;

  QPushButton* cmdExit = nullptr;

  void cmdFindEzUsb_Click();
  void optUsbPort_Click(int index);
  void optSpiChan_Click(int index);
  void cmdSetSpiBits_Click();
  void cmdReadBits_Click();
  void cmdReadDelay_Click();
  void txtLoopDelay_KeyDown(int keyCode);
  void cmdPolarity_Click();
  void cmdWriteSpi_Click();
  void cmdLoop_Click();
  void cmdExit_Click();

 protected:
  void Form_Load() override;
  void Form_Activate() override;
  void Form_QueryUnload(int& cancel, ui::UnloadMode mode) override;

 private:
  void BuildSlots();
  void BuildSetup();
  void BuildManual();
  // Selects an option from code and runs its click action once.
  void SelectPort(int index);
  void SelectChannel(int index);
  // After an adapter call: a call that failed (the adapter went not ready) switches to "None".
  void NoneIfFailed(bool wasReady);
  void ShowReadback();

  QButtonGroup* portGroup_ = nullptr;
  QButtonGroup* chanGroup_ = nullptr;
};

}  // namespace kva
