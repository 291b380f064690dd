// SPDX-License-Identifier: GPL-3.0-or-later
// "Calibration": the three axis offsets in mg, read from and written to the null registers, and
// the sensor's automatic null, factory calibration restore and flash update.
#pragma once

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <array>

#include "ui/forms.h"

namespace kva {

class fmCalibration : public ui::Form {
  Q_OBJECT

 public:
  fmCalibration();

  QLabel* Label1 = nullptr;  // "Automatic Features"
  QLabel* Label4 = nullptr;  // "Auto Null"
  QPushButton* cmdAutoNull = nullptr;
  QLabel* Label2 = nullptr;  // "Restore Factory Calibration"
  QPushButton* cmdFactoryCal = nullptr;
  QLabel* Label5 = nullptr;   // "Manual Calibration Adjustment"
  QLabel* Label21 = nullptr;  // "Register Contents"
  QLabel* Label11 = nullptr;  // "X-Axis Offset"
  QLabel* Label12 = nullptr;  // "Y-Axis Offset"
  QLabel* Label9 = nullptr;   // "Z-Axis Offset"
  QLineEdit* txtXoffset = nullptr;
  QLineEdit* txtYoffset = nullptr;
  QLineEdit* txtZoffset = nullptr;
  QLabel* Label18 = nullptr;  // "mg"
  QLabel* Label19 = nullptr;
  QLabel* Label10 = nullptr;
  QPushButton* cmdCal_Xoffset = nullptr;
  QPushButton* cmdCal_Yoffset = nullptr;
  QPushButton* cmdCal_Zoffset = nullptr;
  QLabel* lblXoffset = nullptr;
  QLabel* lblYoffset = nullptr;
  QLabel* lblZoffset = nullptr;
  QLabel* Label3 = nullptr;  // "Scale = 51.4 mg / LSB"
  QFrame* Line1 = nullptr;
  QPushButton* cmdFlashUpdate = nullptr;

  void ReadCalRegisters();

  void cmdAutoNull_Click();
  void cmdFactoryCal_Click();
  void cmdCal_Xoffset_Click();
  void cmdCal_Yoffset_Click();
  void cmdCal_Zoffset_Click();
  void cmdFlashUpdate_Click();

 protected:
  void Form_Activate() override;

 private:
  void WriteOffsetOf(int axis);

  // Per axis X, Y, Z.
  std::array<QLineEdit*, 3> offsetBoxes_{};
  std::array<QLabel*, 3> hexLabels_{};
};

}  // namespace kva
