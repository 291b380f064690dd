// SPDX-License-Identifier: GPL-3.0-or-later
// "Datalog Control": logs the checked output registers, sample after sample, into a series of
// files in the program's folder. "Start Datalog" runs the whole series inside its own click
// and turns into "Cancel Datalog" meanwhile; the window stays live through a yield per sample.
#pragma once

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <array>
#include <filesystem>

#include "ui/forms.h"

namespace kva {

class frmDatalog : public ui::Form {
  Q_OBJECT

 public:
  frmDatalog();

  QGroupBox* frameDataSelection = nullptr;  // "DATA SELECTION"
  std::array<QCheckBox*, 11> CheckReg{};    // 1..10, check box k logs register index k

  QGroupBox* frameFileSetup = nullptr;  // "FILE SETUP"
  QLineEdit* txtSamplesPerFile = nullptr;
  QLineEdit* txtFilesPerSession = nullptr;
  QLineEdit* txtSampleDelay = nullptr;

  QGroupBox* frameFileInformation = nullptr;  // "FILE INFORMATION"
  QLineEdit* txtDirectory = nullptr;
  QLineEdit* txtFileName = nullptr;
  QLineEdit* txtFileNum = nullptr;

  QPushButton* cmdStartDatalog = nullptr;
  QLabel* LBLDatalogInProgress = nullptr;
  // Under the banner during a run: samples of this file and files of the run so far.
  QLabel* lblProgress = nullptr;

  void cmdStartDatalog_Click();
  // The whole run; returns when it has ended or been cancelled.
  void RunDatalog();
  void txtSampleDelay_Change();
  void txtSamplesPerFile_Change();
  void txtFilesPerSession_Change();
  void txtDirectory_Change();

 protected:
  void Form_Load() override;
  void Form_QueryUnload(int& cancel, ui::UnloadMode mode) override;

 private:
  void SetSetupEnabled(bool on);
  void ShowProgress(int file, int sample);

  std::filesystem::path folder_;
  double samplesPerFile_ = 1000;  // kept by txtSamplesPerFile_Change
  bool running_ = false;
  bool closeAfterRun_ = false;
  int files_ = 0;
  int samples_ = 0;
  double progressShownAt_ = 0;
};

}  // namespace kva
