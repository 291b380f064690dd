// SPDX-License-Identifier: GPL-3.0-or-later
// "Capture Analysis": statistics and the spectrum of the buffer the last readout left, for all
// events end to end or one event, per axis. Opened from the capture plot's context menu,
// modeless. The numbers come from capture/capture_analysis.h; this window lays them out, draws
// the spectrum and saves it.
#pragma once

#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <array>

#include "capture/capture_analysis.h"
#include "ui/forms.h"

namespace kva {

class frmCapAnalysis : public ui::Form {
  Q_OBJECT

 public:
  frmCapAnalysis();

  // Takes the buffer and the rate the last readout left, then analyses it.
  void LoadBuffer();
  // Recomputes from the controls and redraws.
  void Analyse();
  // The cursor read-out for a frequency (what a mouse move over the plot shows).
  void ShowCursor(double hz);

  void CopyImage();
  void SaveImageAs();
  void SaveSpectrum();
  QImage PlotImage();

  const AxisAnalysis& Result(int axis) const { return results_[static_cast<size_t>(axis)]; }

  QComboBox* cmbEvent = nullptr;  // "All events", "Event 1", ...
  std::array<QCheckBox*, 3> chkAxis{};
  QDoubleSpinBox* txtRate = nullptr;  // samples/s
  QLabel* lblRate = nullptr;
  QTableWidget* tblStats = nullptr;  // rows kAnalysisRowNames, columns X, Y, Z
  QComboBox* cmbSegment = nullptr;
  QComboBox* cmbShow = nullptr;  // amplitude or density
  QCheckBox* chkLogFrequency = nullptr;
  QCheckBox* chkLogValue = nullptr;
  QDoubleSpinBox* txtBandLo = nullptr;
  QDoubleSpinBox* txtBandHi = nullptr;
  QChartView* chartView = nullptr;
  QLabel* lblCursor = nullptr;
  QLabel* lblPeak = nullptr;
  QPushButton* cmdCopyImage = nullptr;
  QPushButton* cmdSaveImage = nullptr;
  QPushButton* cmdSaveSpectrum = nullptr;
  QPushButton* cmdClose = nullptr;

 protected:
  void Form_Load() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool Density() const { return cmbShow->currentIndex() == 1; }
  void Plot();
  void ShowTable();

  std::array<AxisAnalysis, 3> results_{};
  bool loading_ = false;
};

}  // namespace kva
