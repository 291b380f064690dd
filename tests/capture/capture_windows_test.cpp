// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's capture group and the capture windows on the simulated board.
#include <QLogValueAxis>
#include <cmath>

#include "capture/capture_readout.h"
#include "support/window_rig.h"

using namespace kva;

using kvatest::InColumn;

namespace {

// Pixels of colour c in the columns of samples x1 to x2.
int InSamples(const ui::PictureBox& pic, double x1, double x2, const QColor& c) {
  int n = 0;
  for (int px = qRound(pic.ToPixels(x1, 0).x()); px <= qRound(pic.ToPixels(x2, 0).x()); ++px)
    n += InColumn(pic, px, c);
  return n;
}

// Two events of the given length (six samples less each) over the given buffers, as a readout
// leaves them; xyz(t, j) gives sample j of the whole trace's sample t.
void TwoEvents(int length, int buffers, const std::function<std::array<double, 3>(int, int)>& xyz) {
  CaptureState& c = State().capture;
  c.CaptureEventsStored = 2;
  c.CaptureEventLength = static_cast<int16_t>(length);
  c.CaptureBufferCount = static_cast<int16_t>(buffers);
  c.CaptureHeaders.assign(size_t(buffers) + 1, CaptureHeader{});
  for (CaptureGrid* g : {&c.CaptureX, &c.CaptureY, &c.CaptureZ}) g->Allocate(buffers, length);
  c.CaptureTraceX.assign(size_t(8192 - 6 * buffers + 1), 0.0);
  c.CaptureTraceY = c.CaptureTraceZ = c.CaptureTraceX;
  for (int t = 1, n = length - 6; t <= 2 * n; ++t) {
    const int e = (t - 1) / n + 1, j = (t - 1) % n + 1;
    const auto v = xyz(t, j);
    c.CaptureX(e, j) = c.CaptureTraceX[size_t(t)] = v[0];
    c.CaptureY(e, j) = c.CaptureTraceY[size_t(t)] = v[1];
    c.CaptureZ(e, j) = c.CaptureTraceZ[size_t(t)] = v[2];
  }
}

// Two events of L = 1024 at 1024 samples/s: X a 1 g sine at 100 Hz, Y 0.4 g, Z 1 g.
void SineBuffer() {
  State().capture.CaptureSmplPrd = 31;
  TwoEvents(1024, 8, [](int, int j) {
    return std::array<double, 3>{std::sin(2 * M_PI * 100 * (j - 1) / 1024.0), 0.4, 1.0};
  });
}

// Two events of L = 8 (two samples each), for the display alone.
void TwoSmallEvents() {
  TwoEvents(8, 1024, [](int t, int) {
    const double x[] = {0.2, -0.4, 1, 0.6};
    return std::array<double, 3>{x[t - 1], -x[t - 1], 1};
  });
  State().capture.CaptureHeaders[1] = {2.5, 1234, 415, 24.5, 3.3, 0.5};
}

QString Cells(const frmCapAnalysis& w, int axis, std::initializer_list<const char*> rows) {
  QStringList texts;
  for (const char* row : rows)
    for (int r = 0; r < kAnalysisRows; ++r)
      if (std::string_view(kAnalysisRowNames[r]) == row) texts << w.tblStats->item(r, axis)->text();
  return texts.join(' ');
}

}  // namespace

class CaptureWindowsTest : public QObject {
  Q_OBJECT

  std::optional<kvatest::WindowRig> rig_;

  frmForm1& StartMainWindow() {
    frmForm1& form = rig_->StartMainWindow();
    form.ckLoop->setChecked(false);
    return form;
  }

 private slots:
  void init() { rig_.emplace(); }
  void cleanup() { rig_.reset(); }

  // The README's "Capturing an event", a few seconds per step: a shock read and plotted.
  void triggerShockReadAndPlot() {
    frmForm1& main = StartMainWindow();
    main.move(40, 30);
    const auto click = [this](QAbstractButton* b) { b->click(), rig_->now += 4.0; };  // user's pace
    auto& board = ui::ShowForm<frmSimBoard>();
    main.cmdCaptConfig->click();  // the window's own example, a quarter of pre-trigger
    frmCaptConfig& config = *ui::FindForm<frmCaptConfig>();
    config.ComboBuffLength->setCurrentIndex(0);
    config.ComboPreTrigLength->setCurrentIndex(4);
    click(config.cmdCapt_CFG);
    config.ComboSourceBuff1->setCurrentIndex(2);
    config.txtTrigLevelBuff1->setText("12");
    config.ComboPolBuff1->setCurrentIndex(1);
    click(config.cmdTrig_Mag);
    config.Option_A1->setChecked(true);
    click(config.cmdALM_CTRL);
    QCOMPARE(config.txtTrigLevelBuff1->text() + config.LBLCAPT_CFG->text() +
                 config.LBLALM_CTRL->text() + config.LBLALM_MAG1->text(),
             QString("11.97620040021080E9"));
    board.txtShockPeak->setValue(20.0);
    board.txtShockDuration->setValue(5.0);
    click(board.cmdShock);
    click(main.cmdReadData);
    QCOMPARE(main.txtReadReg[0]->text(), QString("1"));

    QStringList during;  // the three buttons off, the busy window counting events
    QTimer watch;
    connect(&watch, &QTimer::timeout, &main, [&] {
      const auto* busy = ui::FindForm<frmBusyMsg>();
      const QString seen =
          QString::number(main.cmdCaptDisplay->isEnabled() + main.cmdCaptConfig->isEnabled() +
                          main.cmdClearCapture->isEnabled()) +
          (busy && busy->isVisible() ? busy->Label1->text() : QString("hidden"));
      if (during.isEmpty() || during.back() != seen) during << seen;
    });
    watch.start(0);
    main.cmdCaptDisplay->click();
    watch.stop();
    QCOMPARE(during, QStringList({"0Reading Capture Memory.\n",
                                  "0Reading Capture Memory.\nEvent = 1 of 8."}));
    const frmBusyMsg& busy = *ui::FindForm<frmBusyMsg>();  // 700 twips beside the capture group
    QCOMPARE(QString::number(busy.isVisible() + main.cmdCaptDisplay->isEnabled()) +
                 busy.windowTitle() + QString::asprintf(" %d,%d", busy.x(), busy.y()),
             QString("1KVA7710_Eval_Rev_1  Message 48,380"));
    const auto& xs = State().capture.CaptureTraceX;  // 256 samples before the one that crossed
    const auto first = std::find_if(xs.begin() + 1, xs.end(), [](double g) { return g > 11.9; });
    QCOMPARE(int(first - xs.begin()) + 1000 * State().capture.CaptureEventsStored, 1257);

    frmCapDisplay& display = *ui::FindForm<frmCapDisplay>();
    const ui::PictureBox& pic = *display.Picture1;
    QVERIFY(display.isVisible() && InSamples(pic, 256, 259, ui::kRed) > 20);  // the rise on X
    ui::SetBackColor(*main.Shape[2], QColor(255, 0, 255));
    display.cmdScale->click();
    QVERIFY(InSamples(pic, 256, 259, QColor(255, 0, 255)) > 20);
    main.cmdClearCapture->click();
    QCOMPARE(main.txtReadReg[0]->text(), QString("0"));
  }

  // Read-outs and the event's header under the mouse, the scrolled ends; the save, or why not.
  void displayReadoutsScrollAndSave() {
    TwoSmallEvents();
    frmCapDisplay& d = ui::LoadForm<frmCapDisplay>();
    QCOMPARE(d.LbLMinX->text() + "|" + d.LbLMaxX->text() + "|" + d.txtFileName->text(),
             QString("0|1024|DataCapBuff"));
    d.Picture1_MouseMove(0, 0, 2.9, 0.46);
    QCOMPARE(d.LblSample->text() + " " + d.LblValue->text() + QString::number(d.HoverEventNumber),
             QString("2 .52"));
    d.Picture1_MouseMove(0, 0, 1.5, 0);
    QVERIFY(d.lblEhead->text().startsWith("Event = 1\nXYZ = 2.5\nTime = 12:34\n"));
    d.HScroll1->setValue(2048);
    QCOMPARE(d.LbLMinX->text() + "|" + d.LbLMaxX->text(), QString("1024|2048"));

    d.txtFileName->setText("cap");
    QCOMPARE(QString::fromStdString(State().settings.CaptureFileName), QString("cap"));
    d.Cmd_Save->click();
    QCOMPARE(kvatest::ReadFileBytes("cap.csv"),
             "\r\nEvent #,XYZ,Time,Date,Temp,Voltage,Aux\r\n1,2.5,1234,415,24.5,3.3,0.5\r\n"
             "Xg,Yg,Zg\r\n0.2,-0.2,1\r\n-0.4,0.4,1\r\n"
             "\r\nEvent #,XYZ,Time,Date,Temp,Voltage,Aux\r\n2,0,0,0,0,0,0\r\n"
             "Xg,Yg,Zg\r\n1,-1,1\r\n0.6,-0.6,1\r\n");
    d.ComboFileExt->setCurrentIndex(1);
    d.txtFileName->setText("missing/cap");
    d.Cmd_Save->click();
    QVERIFY(rig_->events.size() == 1 &&
            rig_->events[0].find("missing/cap.txt: No such file") != std::string::npos);
  }

  void configWindowShowsTheWordsAndRefusesABadSource() {
    StartMainWindow();
    WriteRegister(ALM_CTRL, 0x2310);
    WriteRegister(ALM_MAG1, 0xBFFF);
    frmCaptConfig& c = ui::ShowForm<frmCaptConfig>();
    QCOMPARE(c.ComboSourceBuff1->currentText() + "|" + c.ComboSourceBuff2->currentText() + "|" +
                 c.txtTrigLevelBuff1->text() + "|" + c.ComboPolBuff1->currentText() +
                 QString::number(c.Option_A1->isChecked()),
             QString("Y_Acc|X_Acc|-0.0514|Greater Than1"));
    WriteRegister(ALM_CTRL, 0x9000);
    c.Read_ALM_CTRL();
    QCOMPARE(rig_->events, std::vector<std::string>{
                               "msg:\r\nAlarm source1 or source2 index > 8\r\n\r\nThis is an "
                               "invalid ALM_CTRL register value\r\n"});
    QCOMPARE(c.ComboSourceBuff1->currentText() + c.ComboSourceBuff2->currentText(),
             QString("nonenone"));
  }

  void tableCursorPeakAndAxes() {
    SineBuffer();
    ui::LoadForm<frmCapDisplay>().Analyze_Click();
    frmCapAnalysis& w = *ui::FindForm<frmCapAnalysis>();
    QCOMPARE(QString::number(w.cmbEvent->count()) + w.cmbEvent->itemText(2) + " " +
                 w.lblRate->text() + " " + w.txtRate->text(),
             QString("3Event 2 SMPL_PRD 001F read with the buffer 1024.000 samples/s"));
    // All events: extremes to the 0.2 g step's decimal, averages to two more, no peak time.
    QCOMPARE(Cells(w, 0, {"Samples", "Max (g)", "Min (g)", "Peak at (ms)"}) + "|" +
                 Cells(w, 1, {"Mean (g)"}) + "|" + Cells(w, 2, {"RMS (g)"}),
             QString("2036 1.0 -1.0 |0.400|1.000"));
    w.cmbEvent->setCurrentIndex(2);
    // The first sample on a crest: 6.25 periods in, sample 65 at 62.5 ms.
    const auto rows = {"Peak (g)", "Peak at sample", "Peak at (ms)", "Spectrum peak (Hz)",
                       "Spectrum peak (g)"};
    QCOMPARE(Cells(w, 0, rows) + " " + w.lblPeak->text(),
             QString("1.0 65 62.50 100 1 Highest peak: X 100.00 Hz, 1 g"));
    w.ShowCursor(100.3);
    QCOMPARE(w.lblCursor->text().left(20), QString("100.00 Hz  X 1 g  Y "));

    QCOMPARE(w.chkAxis[1]->palette().color(QPalette::WindowText), ui::kTraceGreen);  // Y's colour
    w.chkAxis[1]->setChecked(false);
    QVERIFY(Cells(w, 1, {"Mean (g)"}).isEmpty());
    QCOMPARE(w.chartView->chart()->series().size(), 4);  // X and Z, each a line and its peak

    w.txtRate->setValue(2048);  // moves the peak with it
    w.cmbShow->setCurrentIndex(1);
    w.chkLogFrequency->setChecked(true);
    const auto x = w.chartView->chart()->axes(Qt::Horizontal);
    QVERIFY(x.size() == 1 && qobject_cast<QLogValueAxis*>(x[0]) != nullptr);
    QCOMPARE(Cells(w, 0, {"Spectrum peak (Hz)"}) + " " +
                 w.chartView->chart()->axes(Qt::Vertical)[0]->titleText(),
             QString::fromUtf8("200 Noise density (ug/\u221AHz)"));
  }

  void savesSpectrumAndImage() {
    SineBuffer();
    frmCapAnalysis& w = ui::ShowForm<frmCapAnalysis>();
    w.chkAxis[1]->setChecked(false);
    w.cmbSegment->setCurrentText("256");
    QString name = "spectrum";
    ui::SetSaveFileHook([&name](const QString&, const QString&) { return name; });
    w.cmdSaveSpectrum->click();  // the header and bins 0 .. 128, the sine's among them
    const std::string csv = kvatest::ReadFileBytes("spectrum.csv");
    QVERIFY(csv.starts_with("Frequency (Hz),X (g),Z (g)\r\n0,") &&
            csv.find("\r\n100,0.9666") != std::string::npos);
    QCOMPARE(std::count(csv.begin(), csv.end(), '\n'), 1 + 129L);
    name = "spectrum.txt";  // densities, tab-separated
    w.cmbShow->setCurrentIndex(1);
    w.cmdSaveSpectrum->click();
    QVERIFY(kvatest::ReadFileBytes("spectrum.txt").starts_with("Frequency (Hz)\tX (g^2/Hz)\tZ"));
    name = "shot";
    w.cmdSaveImage->click();
    QCOMPARE(QImage("shot.png", "PNG").size(), w.PlotImage().size());
    name = "missing/spectrum.csv";
    w.cmdSaveSpectrum->click();
    QVERIFY(rig_->events.size() == 1 &&
            rig_->events[0].find("missing/spectrum.csv") != std::string::npos);
  }
};

QTEST_MAIN(CaptureWindowsTest)
#include "capture_windows_test.moc"
