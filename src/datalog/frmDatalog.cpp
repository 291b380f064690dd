// SPDX-License-Identifier: GPL-3.0-or-later
#include "datalog/frmDatalog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "app/hooks.h"
#include "app/number_text.h"
#include "datalog/datalog_run.h"
#include "ui/qt_hooks.h"

namespace kva {
namespace {

constexpr const char* kStart = "Start Datalog";
constexpr const char* kCancel = "Cancel Datalog";
constexpr const char* kBanner = "D A T A L O G    I N    P R O G R E S S";
// The progress line is redrawn at most this often, so that logging keeps its pace.
constexpr double kProgressInterval = 0.1;

// A labelled text box in a frame's grid.
QLineEdit* AddBox(QGroupBox* frame, QGridLayout* grid, const char* label) {
  const int row = grid->rowCount();
  auto* box = new QLineEdit(frame);
  auto* caption = new QLabel(QString::fromUtf8(label), frame);
  caption->setBuddy(box);
  grid->addWidget(caption, row, 0);
  grid->addWidget(box, row, 1);
  return box;
}

// A box rule applied to the box's text: a correction rewrites the text, which runs the
// change handler (and the rule) again.
void ApplyRule(QLineEdit* box, std::string (*rule)(std::string_view)) {
  const QString corrected = ui::Q(rule(ui::S(box->text())));
  if (corrected != box->text()) box->setText(corrected);
}

int RoundedCount(double value) { return static_cast<int>(RoundHalfEven(value)); }

}  // namespace

frmDatalog::frmDatalog() {
  setWindowTitle(QStringLiteral("Datalog Control"));

  frameDataSelection = new QGroupBox(QStringLiteral("DATA SELECTION"), this);
  auto* checks = new QVBoxLayout(frameDataSelection);
  for (int k = 1; k <= kDatalogSignals; ++k) {
    CheckReg[k] =
        new QCheckBox(QString::fromUtf8(kDatalogSignalTable[k].caption), frameDataSelection);
    checks->addWidget(CheckReg[k]);
  }

  frameFileSetup = new QGroupBox(QStringLiteral("FILE SETUP"), this);
  auto* setup = new QGridLayout(frameFileSetup);
  txtSamplesPerFile = AddBox(frameFileSetup, setup, "Samples per File");
  txtFilesPerSession = AddBox(frameFileSetup, setup, "Files per Session");
  txtSampleDelay = AddBox(frameFileSetup, setup, "Sample Delay msec");

  frameFileInformation = new QGroupBox(QStringLiteral("FILE INFORMATION"), this);
  auto* info = new QGridLayout(frameFileInformation);
  txtDirectory = AddBox(frameFileInformation, info, "Directory");
  txtFileName = AddBox(frameFileInformation, info, "File Name");
  txtFileNum = AddBox(frameFileInformation, info, "File Number");
  txtDirectory->setMinimumWidth(260);
  // The files belong in the program's folder: a "/" would put them somewhere else.
  txtFileName->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[^/]*")), txtFileName));

  cmdStartDatalog = new QPushButton(QString::fromUtf8(kStart), this);
  cmdStartDatalog->setMinimumWidth(140);
  LBLDatalogInProgress = new QLabel(QString::fromUtf8(kBanner), this);
  QFont bold = LBLDatalogInProgress->font();
  bold.setBold(true);
  LBLDatalogInProgress->setFont(bold);
  LBLDatalogInProgress->setAlignment(Qt::AlignCenter);
  lblProgress = new QLabel(this);
  lblProgress->setAlignment(Qt::AlignCenter);
  // Their room is kept while they are hidden, so the window does not jump at a start.
  for (QLabel* label : {LBLDatalogInProgress, lblProgress}) {
    QSizePolicy policy = label->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    label->setSizePolicy(policy);
  }

  auto* right = new QVBoxLayout;
  right->addWidget(frameFileSetup);
  right->addWidget(frameFileInformation);
  right->addStretch(1);
  auto* buttonRow = new QHBoxLayout;
  buttonRow->addStretch(1);
  buttonRow->addWidget(cmdStartDatalog);
  buttonRow->addStretch(1);
  right->addLayout(buttonRow);
  auto* top = new QHBoxLayout;
  top->addWidget(frameDataSelection);
  top->addLayout(right, 1);
  auto* column = new QVBoxLayout(this);
  column->addLayout(top);
  column->addWidget(LBLDatalogInProgress);
  column->addWidget(lblProgress);

  connect(cmdStartDatalog, &QPushButton::clicked, this, &frmDatalog::cmdStartDatalog_Click);
  connect(txtSampleDelay, &QLineEdit::textChanged, this, &frmDatalog::txtSampleDelay_Change);
  connect(txtSamplesPerFile, &QLineEdit::textChanged, this, &frmDatalog::txtSamplesPerFile_Change);
  connect(txtFilesPerSession, &QLineEdit::textChanged, this,
          &frmDatalog::txtFilesPerSession_Change);
  connect(txtDirectory, &QLineEdit::textChanged, this, &frmDatalog::txtDirectory_Change);
}

void frmDatalog::Form_Load() {
  folder_ = DatalogFolder();
  txtSamplesPerFile->setText(QStringLiteral("1000"));
  txtSampleDelay->setText(QStringLiteral("0"));
  txtFilesPerSession->setText(QStringLiteral("1"));
  txtDirectory->setText(ui::Q(folder_.string()));
  txtFileName->setText(QString::fromUtf8(kDatalogDefaultName));
  txtFileNum->setEnabled(false);
  LBLDatalogInProgress->hide();
  lblProgress->hide();
}

void frmDatalog::Form_QueryUnload(int& cancel, ui::UnloadMode mode) {
  (void)mode;
  if (!running_) return;
  // Closing during a run cancels it; the window closes once the current file is written.
  cancel = 1;
  closeAfterRun_ = true;
  cmdStartDatalog->setText(QString::fromUtf8(kStart));
}

void frmDatalog::txtSampleDelay_Change() { ApplyRule(txtSampleDelay, SampleDelayBoxText); }

void frmDatalog::txtSamplesPerFile_Change() {
  ApplyRule(txtSamplesPerFile, SamplesPerFileBoxText);
  samplesPerFile_ = LeadingNumber(ui::S(txtSamplesPerFile->text()));
}

void frmDatalog::txtFilesPerSession_Change() {
  ApplyRule(txtFilesPerSession, FilesPerSessionBoxText);
}

void frmDatalog::txtDirectory_Change() {
  const QString folder = ui::Q(folder_.string());
  if (txtDirectory->text() != folder) txtDirectory->setText(folder);
}

void frmDatalog::cmdStartDatalog_Click() {
  bool any = false;
  for (int k = 1; k <= kDatalogSignals; ++k) any = any || CheckReg[k]->isChecked();
  if (!any) {
    MsgBox(kDatalogNoSignalMessage, "");
    return;
  }
  if (cmdStartDatalog->text() == QString::fromUtf8(kStart)) {
    // A second click while a cancelled run still finishes its file must not start another.
    if (running_) return;
    if (const auto problem = DatalogNameProblem(ui::S(txtFileName->text()))) {
      MsgBox("File Name " + *problem + ".");
      return;
    }
    cmdStartDatalog->setText(QString::fromUtf8(kCancel));
    RunDatalog();
  } else if (cmdStartDatalog->text() == QString::fromUtf8(kCancel)) {
    cmdStartDatalog->setText(QString::fromUtf8(kStart));
  }
}

void frmDatalog::SetSetupEnabled(bool on) {
  for (int k = 1; k <= kDatalogSignals; ++k) CheckReg[k]->setEnabled(on);
  for (QLineEdit* box :
       {txtSamplesPerFile, txtSampleDelay, txtFilesPerSession, txtDirectory, txtFileName}) {
    box->setEnabled(on);
  }
}

void frmDatalog::ShowProgress(int file, int sample) {
  progressShownAt_ = MonotonicSeconds();
  lblProgress->setText(QStringLiteral("Sample %1 of %2     File %3 of %4")
                           .arg(sample)
                           .arg(samples_)
                           .arg(file)
                           .arg(files_));
}

void frmDatalog::RunDatalog() {
  running_ = true;
  LBLDatalogInProgress->show();
  lblProgress->clear();
  lblProgress->show();
  SetSetupEnabled(false);

  DatalogSettings settings;
  for (int k = 1; k <= kDatalogSignals; ++k) settings.checked[k] = CheckReg[k]->isChecked();
  samples_ = RoundedCount(samplesPerFile_);
  files_ = RoundedCount(LeadingNumber(ui::S(txtFilesPerSession->text())));
  settings.samplesPerFile = samples_;
  settings.filesPerSession = files_;
  settings.sampleDelayMs = LeadingNumber(ui::S(txtSampleDelay->text()));
  settings.directory = folder_;
  settings.baseName = ui::S(txtFileName->text());

  DatalogCallbacks callbacks;
  callbacks.fileStarted = [this](int file) {
    txtFileNum->setText(QString::number(file));
    ShowProgress(file, 0);
  };
  callbacks.sampleTaken = [this](int file, int sample) {
    if (MonotonicSeconds() - progressShownAt_ >= kProgressInterval) ShowProgress(file, sample);
  };
  const QString start = QString::fromUtf8(kStart);
  callbacks.cancelRequested = [this, &start] { return cmdStartDatalog->text() == start; };
  kva::RunDatalog(settings, callbacks);

  LBLDatalogInProgress->hide();
  lblProgress->hide();
  cmdStartDatalog->setText(QString::fromUtf8(kStart));
  SetSetupEnabled(true);
  running_ = false;
  if (closeAfterRun_) {
    closeAfterRun_ = false;
    ui::UnloadThis(*this, ui::UnloadMode::FormControlMenu);
  }
}

}  // namespace kva
