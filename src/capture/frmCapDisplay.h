// SPDX-License-Identifier: GPL-3.0-or-later
// "Capture Buffer": the captured X, Y and Z traces of every event end to end, 1024 samples at a
// time, with the full scale, the sample and value under the mouse, the header of the event
// under the mouse, and the save to a ".csv" or ".txt" file. It draws from the capture arrays
// the readout fills and keeps no data of its own.
#pragma once

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include "ui/forms.h"
#include "ui/picture_box.h"

namespace kva {

// The colour trace 2, 3 or 4 (X, Y, Z) is drawn with: the main window's mark beside its check
// box, or the starting mark without a main window.
QColor CaptureTraceColour(int trace);

class frmCapDisplay : public ui::Form {
  Q_OBJECT

 public:
  frmCapDisplay();

  // Shows the window and draws the plot window the scroll bar selects.
  void PlotCaptureBuffer();
  // Writes event n's header into lblEhead; n above the last header index is lowered to it.
  void ShowEventHeader(int16_t& n);

  ui::PictureBox* Picture1 = nullptr;
  QScrollBar* HScroll1 = nullptr;
  QPushButton* cmdScale = nullptr;
  QLabel* LbLScale = nullptr;
  QLabel* LblFullScale = nullptr;
  QLabel* lblMidscale = nullptr;
  QLabel* LblMinScale = nullptr;
  QFrame* Line1 = nullptr;
  QFrame* Line2 = nullptr;
  QFrame* Line3 = nullptr;
  QLabel* LbLMinX = nullptr;
  QLabel* LbLMaxX = nullptr;
  QFrame* LineMinX = nullptr;
  QFrame* LineMaxX = nullptr;
  QLabel* lblEhead = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* LblSample = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* LblValue = nullptr;
  QGroupBox* FrameFile = nullptr;
  QComboBox* ComboFileExt = nullptr;
  QLineEdit* txtFileName = nullptr;
  QPushButton* Cmd_Save = nullptr;

  int16_t HoverEventNumber = 0;

  void cmdScale_Click();
  void HScroll1_Change();
  void Picture1_MouseMove(int button, int shift, double x, double y);
  void txtFileName_Change();
  void Cmd_Save_Click();
  // The plot's context menu: opens "Capture Analysis" over the buffer shown.
  void Analyze_Click();

 protected:
  void Form_Load() override;
  void Form_Resize() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void LayOut();
  // The scroll bar's end and the file name box, from the capture arrays and CaptureFileName.
  void SyncWithCapture();
  void PlaceEventHeader();
};

}  // namespace kva
