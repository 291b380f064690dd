// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/frmCapAnalysis.h"

#include <QClipboard>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QMouseEvent>
#include <QScatterSeries>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "analysis/signal_analysis.h"
#include "app/file_writer.h"
#include "app/hooks.h"
#include "app/number_text.h"
#include "capture/capture_file.h"
#include "capture/capture_readout.h"
#include "capture/frmCapDisplay.h"
#include "config/sample_period.h"
#include "ui/picture_box.h"
#include "ui/qt_hooks.h"

namespace kva {

using ui::Q;
using ui::S;

namespace {

constexpr const char* kAxisNames[3] = {"X", "Y", "Z"};

QDoubleSpinBox* SpinBox(QWidget* parent, double low, double high, int decimals,
                        const QString& suffix) {
  auto* box = new QDoubleSpinBox(parent);
  box->setRange(low, high);
  box->setDecimals(decimals);
  box->setSuffix(suffix);
  box->setKeyboardTracking(false);  // act on the finished number, not on each digit
  return box;
}

// A linear axis keeps its ends (the frequency axis ends at half the rate) unless nice numbers are
// asked for.
QAbstractAxis* MakeAxis(bool log, const QString& title, double low, double high, bool nice) {
  QAbstractAxis* axis = nullptr;
  if (log) {
    auto* a = new QLogValueAxis;
    a->setBase(10);
    a->setLabelFormat("%g");
    a->setMinorTickCount(-1);
    a->setRange(low, high);
    axis = a;
  } else {
    auto* a = new QValueAxis;
    a->setLabelFormat("%g");
    a->setRange(low, high);
    a->setTickCount(9);
    if (nice) a->applyNiceNumbers();
    axis = a;
  }
  axis->setTitleText(title);
  return axis;
}

}  // namespace

frmCapAnalysis::frmCapAnalysis() {
  setObjectName("frmCapAnalysis");
  setWindowTitle("Capture Analysis");

  auto* what = new QGroupBox("Data", this);
  auto* whatRow = new QHBoxLayout(what);
  cmbEvent = new QComboBox(what);
  whatRow->addWidget(cmbEvent);
  for (int i = 0; i < 3; ++i) {
    chkAxis[i] = new QCheckBox(kAxisNames[i], what);
    chkAxis[i]->setChecked(true);
    whatRow->addWidget(chkAxis[i]);
  }
  whatRow->addSpacing(12);
  whatRow->addWidget(new QLabel("Rate", what));
  txtRate = SpinBox(what, kMinSampleRate, kMaxSampleRate, 3, " samples/s");
  txtRate->setValue(1024);
  whatRow->addWidget(txtRate);
  lblRate = new QLabel(what);
  whatRow->addWidget(lblRate, 1);

  tblStats = new QTableWidget(kAnalysisRows, 3, this);
  tblStats->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tblStats->setHorizontalHeaderLabels({"X", "Y", "Z"});
  QStringList rows;
  for (const char* name : kAnalysisRowNames) rows << QString::fromUtf8(name);
  tblStats->setVerticalHeaderLabels(rows);
  tblStats->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  tblStats->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
  tblStats->setMinimumWidth(380);
  for (int r = 0; r < kAnalysisRows; ++r) {
    for (int c = 0; c < 3; ++c) {
      auto* item = new QTableWidgetItem;
      item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      tblStats->setItem(r, c, item);
    }
  }

  auto* spectrum = new QGroupBox("Spectrum", this);
  auto* spectrumRow = new QHBoxLayout(spectrum);
  cmbSegment = new QComboBox(spectrum);
  for (int n : kWelchSegmentLengths) cmbSegment->addItem(QString::number(n), n);
  cmbSegment->setCurrentText("1024");
  cmbShow = new QComboBox(spectrum);
  cmbShow->addItems({"Amplitude (g)", QString::fromUtf8("Density (ug/\u221AHz)")});
  chkLogFrequency = new QCheckBox("Log frequency", spectrum);
  chkLogValue = new QCheckBox("Log value", spectrum);
  chkLogValue->setChecked(true);
  txtBandLo = SpinBox(spectrum, 0, 2048, 1, " Hz");
  txtBandHi = SpinBox(spectrum, 0, 2048, 1, " Hz");
  txtBandLo->setValue(10);
  txtBandHi->setValue(400);
  spectrumRow->addWidget(new QLabel("Segment", spectrum));
  spectrumRow->addWidget(cmbSegment);
  spectrumRow->addWidget(cmbShow);
  spectrumRow->addWidget(chkLogFrequency);
  spectrumRow->addWidget(chkLogValue);
  spectrumRow->addSpacing(12);
  spectrumRow->addWidget(new QLabel("Band", spectrum));
  spectrumRow->addWidget(txtBandLo);
  spectrumRow->addWidget(new QLabel("to", spectrum));
  spectrumRow->addWidget(txtBandHi);
  spectrumRow->addStretch(1);

  chartView = new QChartView(new QChart, this);
  chartView->setRenderHint(QPainter::Antialiasing);
  chartView->setMinimumSize(520, 360);
  chartView->viewport()->setMouseTracking(true);
  chartView->viewport()->installEventFilter(this);
  lblCursor = new QLabel(this);
  lblPeak = new QLabel(this);

  cmdCopyImage = new QPushButton("Copy Image", this);
  cmdSaveImage = new QPushButton("Save Image As...", this);
  cmdSaveSpectrum = new QPushButton("Save Spectrum...", this);
  cmdClose = new QPushButton("Close", this);

  auto* plotColumn = new QVBoxLayout;
  plotColumn->addWidget(chartView, 1);
  plotColumn->addWidget(lblPeak);
  plotColumn->addWidget(lblCursor);
  auto* middle = new QHBoxLayout;
  middle->addWidget(tblStats);
  middle->addLayout(plotColumn, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(cmdCopyImage);
  buttons->addWidget(cmdSaveImage);
  buttons->addWidget(cmdSaveSpectrum);
  buttons->addStretch(1);
  buttons->addWidget(cmdClose);
  auto* column = new QVBoxLayout(this);
  column->addWidget(what);
  column->addWidget(spectrum);
  column->addLayout(middle, 1);
  column->addLayout(buttons);

  const auto again = [this] {
    if (!loading_) Analyse();
  };
  connect(cmbEvent, &QComboBox::currentIndexChanged, this, again);
  for (QCheckBox* box : chkAxis) connect(box, &QCheckBox::toggled, this, again);
  for (QCheckBox* box : {chkLogFrequency, chkLogValue}) {
    connect(box, &QCheckBox::toggled, this, again);
  }
  for (QComboBox* box : {cmbSegment, cmbShow}) {
    connect(box, &QComboBox::currentIndexChanged, this, again);
  }
  for (QDoubleSpinBox* box : {txtRate, txtBandLo, txtBandHi}) {
    connect(box, &QDoubleSpinBox::valueChanged, this, again);
  }
  connect(cmdCopyImage, &QPushButton::clicked, this, &frmCapAnalysis::CopyImage);
  connect(cmdSaveImage, &QPushButton::clicked, this, &frmCapAnalysis::SaveImageAs);
  connect(cmdSaveSpectrum, &QPushButton::clicked, this, &frmCapAnalysis::SaveSpectrum);
  connect(cmdClose, &QPushButton::clicked, this, &QWidget::hide);
}

void frmCapAnalysis::Form_Load() {
  resize(1100, 680);
  if (const QWidget* main = ui::MainWindow())
    move(main->frameGeometry().topLeft() + QPoint(40, 40));
  LoadBuffer();
}

void frmCapAnalysis::LoadBuffer() {
  loading_ = true;
  for (int i = 0; i < 3; ++i) {
    QPalette p = chkAxis[i]->palette();
    p.setColor(QPalette::WindowText, CaptureTraceColour(i + 2));
    chkAxis[i]->setPalette(p);
  }
  cmbEvent->clear();
  cmbEvent->addItem("All events");
  for (int e = 1; e <= CaptureEventsRead(); ++e) cmbEvent->addItem(QString("Event %1").arg(e));
  if (State().capture.CaptureSmplPrd >= 0) {
    txtRate->setValue(CaptureSampleRate());
    lblRate->setText(
        QString("SMPL_PRD %1 read with the buffer").arg(Q(Hex4(State().capture.CaptureSmplPrd))));
  } else {
    lblRate->setText("No SMPL_PRD read with this buffer");
  }
  loading_ = false;
  Analyse();
}

void frmCapAnalysis::Analyse() {
  AnalysisRequest r;
  r.event = std::max(0, cmbEvent->currentIndex());
  r.sampleRate = txtRate->value();
  r.segmentLength = cmbSegment->currentData().toInt();
  r.bandLoHz = txtBandLo->value();
  r.bandHiHz = txtBandHi->value();
  for (int axis = 0; axis < 3; ++axis) {
    results_[static_cast<size_t>(axis)] = chkAxis[axis]->isChecked()
                                              ? AnalyseSamples(CaptureAxisSamples(axis, r.event), r)
                                              : AxisAnalysis{};
  }
  ShowTable();
  Plot();
}

void frmCapAnalysis::ShowTable() {
  const bool oneEvent = cmbEvent->currentIndex() > 0;
  for (int axis = 0; axis < 3; ++axis) {
    const bool on = chkAxis[axis]->isChecked();
    const auto texts = AnalysisColumnTexts(Result(axis), oneEvent);
    for (int r = 0; r < kAnalysisRows; ++r) {
      tblStats->item(r, axis)->setText(on ? Q(texts[static_cast<size_t>(r)]) : QString());
    }
  }
}

void frmCapAnalysis::Plot() {
  // A fresh chart each time: axes change kind (linear, logarithmic) with the check boxes.
  QChart* old = chartView->chart();
  auto* chart = new QChart;
  chart->legend()->setAlignment(Qt::AlignTop);
  chartView->setChart(chart);
  delete old;
  const bool density = Density();
  const bool logValue = chkLogValue->isChecked();
  double low = HUGE_VAL, high = 0;
  std::vector<std::pair<std::string, const AxisAnalysis*>> shown;
  std::vector<QXYSeries*> series;
  for (int axis = 0; axis < 3; ++axis) {
    if (!chkAxis[axis]->isChecked()) continue;
    const AxisAnalysis& a = Result(axis);
    if (a.spectrum.segments == 0) continue;
    shown.emplace_back(kAxisNames[axis], &a);
    auto* line = new QLineSeries;
    auto* peak = new QScatterSeries;
    line->setName(kAxisNames[axis]);
    const QColor colour = CaptureTraceColour(axis + 2);
    line->setPen(QPen(colour, 1.5));
    peak->setColor(colour);
    peak->setBorderColor(Qt::black);
    peak->setMarkerSize(9);
    QList<QPointF> points;
    // Bin 0 holds nothing (each segment's mean is removed) and has no place on a log axis.
    for (size_t k = 1; k < a.spectrum.frequency.size(); ++k) {
      const double v = SpectrumPlotValue(a.spectrum, k, density);
      if (logValue && !(v > 0)) continue;
      points.append({a.spectrum.frequency[k], v});
      if (v > 0) low = std::min(low, v);
      high = std::max(high, v);
    }
    line->replace(points);
    if (a.peak.bin > 0 && a.peak.amplitude > 0) {
      const size_t k = static_cast<size_t>(a.peak.bin);
      peak->append(a.peak.frequency, SpectrumPlotValue(a.spectrum, k, density));
    }
    series.push_back(line);
    series.push_back(peak);
  }
  lblPeak->setText(Q(HighestPeakText(shown, density)));
  lblCursor->setText("Move the mouse over the plot for frequency and value");
  if (series.empty()) return;
  for (QXYSeries* s : series) chart->addSeries(s);
  for (QLegendMarker* m : chart->legend()->markers()) {
    m->setVisible(qobject_cast<QLineSeries*>(m->series()) != nullptr);
  }
  const Spectrum& first = shown.front().second->spectrum;
  const double nyquist = first.sampleRate / 2;
  const bool logFrequency = chkLogFrequency->isChecked();
  if (!(high > 0)) high = 1;
  if (!(low < high)) low = high / 10;
  QAbstractAxis* x =
      MakeAxis(logFrequency, "Frequency (Hz)", logFrequency ? first.binHz : 0.0, nyquist, false);
  QAbstractAxis* y = MakeAxis(
      logValue, density ? QString::fromUtf8("Noise density (ug/\u221AHz)") : "Amplitude (g)",
      logValue ? low / 2 : 0.0, logValue ? high * 2 : high * 1.05, true);
  chart->addAxis(x, Qt::AlignBottom);
  chart->addAxis(y, Qt::AlignLeft);
  for (QXYSeries* s : series) {
    s->attachAxis(x);
    s->attachAxis(y);
  }
}

void frmCapAnalysis::ShowCursor(double hz) {
  std::vector<std::pair<std::string, const Spectrum*>> axes;
  for (int axis = 0; axis < 3; ++axis) {
    if (chkAxis[axis]->isChecked() && Result(axis).spectrum.segments > 0) {
      axes.emplace_back(kAxisNames[axis], &Result(axis).spectrum);
    }
  }
  lblCursor->setText(Q(SpectrumCursorText(axes, hz, Density())));
}

bool frmCapAnalysis::eventFilter(QObject* watched, QEvent* event) {
  if (watched == chartView->viewport() && event->type() == QEvent::MouseMove) {
    QChart* chart = chartView->chart();
    const QPointF scene = chartView->mapToScene(static_cast<QMouseEvent*>(event)->pos());
    if (!chart->series().isEmpty() && chart->plotArea().contains(chart->mapFromScene(scene))) {
      ShowCursor(chart->mapToValue(chart->mapFromScene(scene)).x());
    }
  }
  return ui::Form::eventFilter(watched, event);
}

QImage frmCapAnalysis::PlotImage() { return chartView->grab().toImage(); }

void frmCapAnalysis::CopyImage() { QGuiApplication::clipboard()->setImage(PlotImage()); }

void frmCapAnalysis::SaveImageAs() { ui::SaveImageAsPng(this, PlotImage(), "spectrum.png"); }

void frmCapAnalysis::SaveSpectrum() {
  QString name = ui::SaveFileName(this, "Save Spectrum", "spectrum.csv",
                                  "CSV files (*.csv);;Text files (*.txt)", "csv");
  if (name.isEmpty()) return;
  if (QFileInfo(name).suffix().isEmpty()) name += ".csv";
  const char separator =
      QFileInfo(name).suffix().compare("txt", Qt::CaseInsensitive) == 0 ? '\t' : ',';
  const bool density = Density();
  std::vector<std::string> names;
  std::vector<const Spectrum*> spectra;
  for (int axis = 0; axis < 3; ++axis) {
    if (!chkAxis[axis]->isChecked()) continue;
    names.push_back(std::string(kAxisNames[axis]) + (density ? " (g^2/Hz)" : " (g)"));
    spectra.push_back(&Result(axis).spectrum);
  }
  const std::string text = SpectrumCsvText(names, spectra, density, separator,
                                           CaptureFileDecimalMark(separator, LocaleDecimalMark()));
  if (auto failed = WriteFileAtomically(S(name), text)) MsgBox(*failed);
}

}  // namespace kva
