// SPDX-License-Identifier: GPL-3.0-or-later
// The "Capture Analysis" window: a vibration on the simulated board, captured and read through
// the main window, measured by it; and its controls, read-outs and saves over a buffer laid out
// by hand.
#include <QAction>
#include <QLogValueAxis>
#include <QtTest>
#include <cmath>
#include <optional>

#include "capture/capture_readout.h"
#include "capture/frmCapAnalysis.h"
#include "capture/frmCapDisplay.h"
#include "support/window_rig.h"
#include "ui/colors.h"

using namespace kva;

namespace {

// Two events of L = 1024 at 1024 samples/s: X a 1 g sine at 100 Hz, Y 0.4 g, Z 1 g.
void SineBuffer() {
  State().capture.CaptureEventsStored = 2;
  State().capture.CaptureEventLength = 1024;
  State().capture.CaptureBufferCount = 8;
  State().capture.CaptureSmplPrd = 31;
  State().capture.CaptureHeaders.assign(9, CaptureHeader{});
  for (CaptureGrid* g :
       {&State().capture.CaptureX, &State().capture.CaptureY, &State().capture.CaptureZ})
    g->Allocate(8, 1024);
  State().capture.CaptureTraceX.assign(8192 - 48 + 1, 0.0);
  State().capture.CaptureTraceY = State().capture.CaptureTraceZ = State().capture.CaptureTraceX;
  for (int e = 1; e <= 2; ++e) {
    for (int j = 1; j <= 1018; ++j) {
      const size_t t = static_cast<size_t>((e - 1) * 1018 + j);
      State().capture.CaptureX(e, j) = State().capture.CaptureTraceX[t] =
          std::sin(2 * M_PI * 100 * (j - 1) / 1024.0);
      State().capture.CaptureY(e, j) = State().capture.CaptureTraceY[t] = 0.4;
      State().capture.CaptureZ(e, j) = State().capture.CaptureTraceZ[t] = 1.0;
    }
  }
}

QString Cell(const frmCapAnalysis& w, const char* row, int axis) {
  for (int r = 0; r < kAnalysisRows; ++r) {
    if (QString::fromUtf8(kAnalysisRowNames[r]) == row) return w.tblStats->item(r, axis)->text();
  }
  return "no such row";
}

}  // namespace

class CaptureAnalysisTest : public QObject {
  Q_OBJECT

  std::optional<kvatest::WindowRig> rig_;

  // Events of 1018 samples with no pre-trigger, triggered by X above `level` counts for
  // `seconds`, the last one filled, then "Show Buffer" and "Analyze..." from the plot's menu.
  frmCapAnalysis& CaptureAndAnalyse(int level, double seconds) {
    frmForm1& main = rig_->StartMainWindow();
    main.ckLoop->setChecked(false);
    WriteRegister(CAPT_CFG, 0x0000);
    WriteRegister(ALM_MAG1, static_cast<int16_t>(0x8000 | level));
    WriteRegister(ALM_CTRL, 0x0210);
    rig_->now += seconds;
    WriteRegister(ALM_CTRL, 0x0000);  // no more events: the last one fills up
    rig_->now += 1.0;
    main.cmdCaptDisplay->click();
    frmCapDisplay* display = ui::FindForm<frmCapDisplay>();
    for (QAction* a : display->Picture1->actions()) {
      if (a->objectName() == "mnuAnalyze") a->trigger();
    }
    frmCapAnalysis* w = ui::FindForm<frmCapAnalysis>();
    Q_ASSERT(w && w->isVisible());
    return *w;
  }

 private slots:
  void init() { rig_.emplace(); }
  void cleanup() { rig_.reset(); }

  // A 50 Hz vibration on X at 1024 samples/s, one event: the peak on the 50 Hz bin of a
  // 1024-sample segment. The capture memory's 0.2 g steps (rounded from the 0.0514 g output
  // counts) read a 0.5 g sine about 3.5 % high; 5 g lies within 2 %.
  void vibrationPeakAndAmplitude_data() {
    QTest::addColumn<double>("amplitude");
    QTest::addColumn<double>("tolerance");
    QTest::newRow("0.5 g") << 0.5 << 0.04;
    QTest::newRow("5 g") << 5.0 << 0.02;
  }
  void vibrationPeakAndAmplitude() {
    QFETCH(double, amplitude);
    QFETCH(double, tolerance);
    rig_->board.sensor().SetVibration(0, 50.0, amplitude, true);
    frmCapAnalysis& w = CaptureAndAnalyse(static_cast<int>(amplitude / 0.0514 / 2), 2.5);
    QCOMPARE(w.lblRate->text() + " " + w.txtRate->text(),
             QString("SMPL_PRD 001F read with the buffer 1024.000 samples/s"));
    QVERIFY(w.cmbEvent->count() >= 3);  // all events, then two or more
    w.cmbEvent->setCurrentIndex(1);
    const AxisAnalysis& x = w.Result(0);
    QCOMPARE(x.spectrum.segmentLength, 1024);
    QVERIFY2(std::abs(x.peak.frequency - 50.0) <= x.spectrum.binHz,
             qPrintable(QString::number(x.peak.frequency)));
    QVERIFY2(std::abs(x.peak.amplitude / amplitude - 1) <= tolerance,
             qPrintable(QString::number(x.peak.amplitude)));
    QCOMPARE(Cell(w, "Spectrum peak (Hz)", 0) + " " + Cell(w, "Samples", 0), QString("50 1018"));

    // Another readout while the window is open is analysed at once.
    WriteRegister(SMPL_PRD, 63);
    ui::FindForm<frmForm1>()->cmdCaptDisplay->click();
    QCOMPARE(w.txtRate->value(), 512.0);
  }

  void tableCursorPeakAndAxes() {
    SineBuffer();
    frmCapDisplay& display = ui::LoadForm<frmCapDisplay>();
    display.Analyze_Click();
    frmCapAnalysis& w = *ui::FindForm<frmCapAnalysis>();
    QCOMPARE(w.cmbEvent->count(), 3);
    QCOMPARE(w.cmbEvent->itemText(2), QString("Event 2"));
    // All events: 2036 samples; extremes to the 0.2 g step's decimal, averages to two more.
    QCOMPARE(Cell(w, "Samples", 0) + " " + Cell(w, "Max (g)", 0) + " " + Cell(w, "Min (g)", 0) +
                 " " + Cell(w, "Mean (g)", 1) + " " + Cell(w, "RMS (g)", 2),
             QString("2036 1.0 -1.0 0.400 1.000"));
    QCOMPARE(Cell(w, "Peak at (ms)", 0), QString());  // a time only within one event
    w.cmbEvent->setCurrentIndex(2);
    // The first sample on a crest: 6.25 periods in, sample 65 at 62.5 ms.
    QCOMPARE(Cell(w, "Peak (g)", 0) + " " + Cell(w, "Peak at sample", 0) + " " +
                 Cell(w, "Peak at (ms)", 0),
             QString("1.0 65 62.50"));
    QCOMPARE(Cell(w, "Spectrum peak (Hz)", 0) + " " + Cell(w, "Spectrum peak (g)", 0),
             QString("100 1"));
    QCOMPARE(w.lblPeak->text(), QString("Highest peak: X 100.00 Hz, 1 g"));
    w.ShowCursor(100.3);
    QVERIFY2(w.lblCursor->text().startsWith("100.00 Hz  X 1 g  Y "),
             qPrintable(w.lblCursor->text()));

    // The check boxes carry the trace colours; an axis left out leaves its column empty.
    QCOMPARE(w.chkAxis[1]->palette().color(QPalette::WindowText), ui::kTraceGreen);
    w.chkAxis[1]->setChecked(false);
    QCOMPARE(Cell(w, "Mean (g)", 1), QString());
    QCOMPARE(w.chartView->chart()->series().size(), 4);  // X and Z, each a line and its peak

    // Another rate moves the peak with it; density and log axes change the plot's axes.
    w.txtRate->setValue(2048);
    QCOMPARE(Cell(w, "Spectrum peak (Hz)", 0), QString("200"));
    w.cmbShow->setCurrentIndex(1);
    w.chkLogFrequency->setChecked(true);
    const auto x = w.chartView->chart()->axes(Qt::Horizontal);
    const auto y = w.chartView->chart()->axes(Qt::Vertical);
    QVERIFY(x.size() == 1 && qobject_cast<QLogValueAxis*>(x[0]) != nullptr);
    QCOMPARE(y[0]->titleText(), QString::fromUtf8("Noise density (ug/\u221AHz)"));
    QVERIFY(w.lblPeak->text().endsWith(QString::fromUtf8(" ug/\u221AHz")));
  }

  void savesSpectrumAndImage() {
    SineBuffer();
    frmCapAnalysis& w = ui::ShowForm<frmCapAnalysis>();
    w.chkAxis[1]->setChecked(false);
    w.cmbSegment->setCurrentText("256");
    QString name;
    ui::SetSaveFileHook([&name](const QString&, const QString&) { return name; });
    name = "spectrum";
    w.cmdSaveSpectrum->click();
    const std::string csv = kvatest::ReadFileBytes("spectrum.csv");
    QCOMPARE(csv.substr(0, 30), std::string("Frequency (Hz),X (g),Z (g)\r\n0,"));
    QCOMPARE(std::count(csv.begin(), csv.end(), '\n'), 1 + 129L);  // header and bins 0 .. 128
    QVERIFY(csv.find("\r\n100,0.9666") != std::string::npos);  // the sine's bin
    name = "spectrum.txt";
    w.cmbShow->setCurrentIndex(1);
    w.cmdSaveSpectrum->click();
    const std::string txtHeader = "Frequency (Hz)\tX (g^2/Hz)\tZ (g^2/Hz)\r\n0\t";
    QCOMPARE(kvatest::ReadFileBytes("spectrum.txt").substr(0, txtHeader.size()), txtHeader);
    name = "shot";
    w.cmdSaveImage->click();
    QImage saved;
    QVERIFY(saved.load("shot.png", "PNG") && saved.size() == w.PlotImage().size());
    name = "missing/spectrum.csv";
    w.cmdSaveSpectrum->click();
    name = "";
    w.cmdSaveSpectrum->click();  // cancelled: nothing written, nothing said
    QCOMPARE(rig_->events.size(), size_t(1));
    QVERIFY(QString::fromStdString(rig_->events[0]).contains("missing/spectrum.csv"));
  }
};

QTEST_MAIN(CaptureAnalysisTest)
#include "capture_analysis_test.moc"
