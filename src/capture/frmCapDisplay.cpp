// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/frmCapDisplay.h"

#include <QAction>
#include <QEvent>
#include <QPointF>
#include <QSignalBlocker>
#include <vector>

#include "app/delay.h"
#include "app/hooks.h"
#include "app/settings.h"
#include "capture/capture_file.h"
#include "capture/capture_plot.h"
#include "capture/capture_readout.h"
#include "capture/frmCapAnalysis.h"
#include "mainwindow/frmForm1.h"
#include "ui/busy_highlight.h"
#include "ui/colors.h"
#include "ui/qt_hooks.h"
#include "ui/twips.h"

namespace kva {

using ui::Q;
using ui::S;

namespace {

constexpr double kLabelHeight = 255;

QLabel* MakeLabel(QWidget* parent, const char* name, const char* text,
                  Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(name);
  l->setAlignment(align);
  return l;
}

// A tick: a one-pixel black line, horizontal or vertical.
QFrame* MakeTick(QWidget* parent, const char* name) {
  auto* f = new QFrame(parent);
  f->setObjectName(name);
  ui::SetBackColor(*f, ui::kBlack);
  return f;
}

void Place(QWidget* w, double left, double top, double width, double height) {
  ui::MoveTwips(*w, left, top, width, height);
}

}  // namespace

QColor CaptureTraceColour(int trace) {
  if (auto* main = ui::FindForm<frmForm1>()) {
    return ui::BackColor(*main->Shape[static_cast<size_t>(trace)]);
  }
  return ui::TraceMarkColour(trace);
}

frmCapDisplay::frmCapDisplay() {
  setObjectName("frmCapDisplay");
  setWindowTitle("Capture Buffer");
  setMinimumSize(ui::TwipsToPixels(kCaptureMinWindowTwips),
                 ui::TwipsToPixels(kCaptureMinWindowTwips));

  Picture1 = new ui::PictureBox(this);
  Picture1->setObjectName("Picture1");
  Picture1->setFocusPolicy(Qt::ClickFocus);
  lblEhead = MakeLabel(Picture1, "lblEhead", "move mouse over graph", Qt::AlignLeft | Qt::AlignTop);
  lblEhead->adjustSize();
  auto* analyze = new QAction("Analyze...", Picture1);
  analyze->setObjectName("mnuAnalyze");
  Picture1->addAction(analyze);

  HScroll1 = new QScrollBar(Qt::Horizontal, this);
  HScroll1->setObjectName("HScroll1");
  HScroll1->setRange(kCapturePlotSamples, kCaptureLocations);
  HScroll1->setSingleStep(128);
  HScroll1->setPageStep(kCapturePlotSamples);
  HScroll1->setValue(kCapturePlotSamples);
  HScroll1->installEventFilter(this);

  LbLScale = MakeLabel(this, "LbLScale", "Scale (g)", Qt::AlignCenter);
  cmdScale = new QPushButton("Command1", this);
  cmdScale->setObjectName("cmdScale");
  const auto right = Qt::AlignRight | Qt::AlignVCenter;
  LblFullScale = MakeLabel(this, "LblFullScale", "FS", right);
  lblMidscale = MakeLabel(this, "lblMidscale", "0", right);
  LblMinScale = MakeLabel(this, "LblMinScale", "Mins", right);
  Line1 = MakeTick(this, "Line1");
  Line2 = MakeTick(this, "Line2");
  Line3 = MakeTick(this, "Line3");
  LbLMinX = MakeLabel(this, "LbLMinX", "MinX");
  LbLMaxX = MakeLabel(this, "LbLMaxX", "MaxX", right);
  LineMinX = MakeTick(this, "LineMinX");
  LineMaxX = MakeTick(this, "LineMaxX");

  Label1 = MakeLabel(this, "Label1", "Sample", Qt::AlignCenter);
  LblSample = MakeLabel(this, "LblSample", "LBLsample", Qt::AlignCenter);
  Label3 = MakeLabel(this, "Label3", "Value (g)", Qt::AlignCenter);
  LblValue = MakeLabel(this, "LblValue", "LblValue", Qt::AlignCenter);
  for (QLabel* l : {Label1, LblSample, Label3, LblValue}) ui::SetBackColor(*l, ui::kReadoutGrey);

  FrameFile = new QGroupBox(this);
  FrameFile->setObjectName("FrameFile");
  ComboFileExt = new QComboBox(FrameFile);
  ComboFileExt->setObjectName("ComboFileExt");
  ComboFileExt->setEditable(true);
  ComboFileExt->setEditText("Combo1");
  txtFileName = new QLineEdit("FileName", FrameFile);
  txtFileName->setObjectName("txtFileName");
  ui::SetBackColor(*txtFileName, ui::kWhite);
  Cmd_Save = new QPushButton("Save to File", FrameFile);
  Cmd_Save->setObjectName("Cmd_Save");
  Place(txtFileName, 150, 300, 2300, 330);
  Place(ComboFileExt, 2500, 300, 900, 330);
  Place(Cmd_Save, 3500, 280, 1400, 375);

  connect(cmdScale, &QPushButton::clicked, this, &frmCapDisplay::cmdScale_Click);
  connect(HScroll1, &QScrollBar::valueChanged, this, &frmCapDisplay::HScroll1_Change);
  connect(Picture1, &ui::PictureBox::MouseMove, this, &frmCapDisplay::Picture1_MouseMove);
  connect(txtFileName, &QLineEdit::textChanged, this, &frmCapDisplay::txtFileName_Change);
  connect(Cmd_Save, &QPushButton::clicked, this, &frmCapDisplay::Cmd_Save_Click);
  connect(analyze, &QAction::triggered, this, &frmCapDisplay::Analyze_Click);
}

void frmCapDisplay::Form_Load() {
  if (const QWidget* main = ui::MainWindow()) {
    const ui::TwipsRect at = ui::GeometryTwips(*main);
    ui::MoveTwips(*this, at.left + 400, at.top + at.height - 6500, at.width - 500, 6000);
  } else {
    ui::MoveTwips(*this, 400, 400, 14200, 6000);
  }
  LblSample->setText("0");
  LblValue->setText("0");
  cmdScale->setText("7");
  LblMinScale->setText("-7");
  LblFullScale->setText("7");
  LbLMinX->setText("0");
  LbLMaxX->setText("1024");
  LayOut();
  PlotCaptureBuffer();
  ComboFileExt->setEditable(false);
  ComboFileExt->addItem(".CSV");
  ComboFileExt->addItem(".TXT");
  ComboFileExt->setCurrentIndex(0);
}

void frmCapDisplay::Form_Resize() {
  if (isMinimized()) return;
  LayOut();
  if (isVisible()) PlotCaptureBuffer();
}

void frmCapDisplay::LayOut() {
  const CaptureLayout l = LayOutCaptureWindow(
      {ui::PixelsToTwips(width()), ui::PixelsToTwips(height()), kLabelHeight, 600});
  Place(Picture1, l.picLeft, l.picTop, l.picWidth, l.picHeight);
  constexpr double kTick = 15;  // one pixel
  Place(Line1, 960, l.line1Y, 240, kTick);
  Place(Line2, 1000, l.line2Y, 200, kTick);
  Place(Line3, 960, l.line3Y, 240, kTick);
  Place(LineMinX, 1240, l.xTickTop, kTick, l.xTickBottom - l.xTickTop);
  Place(LineMaxX, l.lineMaxX, l.xTickTop, kTick, l.xTickBottom - l.xTickTop);
  Place(LblFullScale, 100, l.fullScaleTop, 820, kLabelHeight);
  Place(lblMidscale, 100, l.midScaleTop, 820, kLabelHeight);
  Place(LblMinScale, 100, l.minScaleTop, 820, kLabelHeight);
  Place(LbLMinX, 1240, l.xLabelTop, 600, kLabelHeight);
  Place(LbLMaxX, l.maxXLabelLeft, l.xLabelTop, 600, kLabelHeight);
  Place(cmdScale, 150, l.scaleButtonTop, 750, 375);
  Place(LbLScale, 50, l.scaleCaptionTop, 950, kLabelHeight);
  Place(Label1, 100, 700, 850, kLabelHeight);
  Place(LblSample, 100, 955, 850, kLabelHeight);
  Place(Label3, 100, 1300, 850, kLabelHeight);
  Place(LblValue, 100, 1555, 850, kLabelHeight);
  // The scroll bar under the left half of the plot, the file controls under the right half.
  const double half = l.picWidth / 2;
  Place(HScroll1, l.picLeft + 700, l.scrollTop, half - 700, kLabelHeight);
  Place(FrameFile, l.picLeft + half + 200, l.fileFrameTop, 5000, 800);
  SyncWithCapture();
  PlaceEventHeader();
}

void frmCapDisplay::SyncWithCapture() {
  const int traces = CaptureTraceSamples(State().capture.CaptureBufferCount);
  if (HScroll1->maximum() != traces) {
    // A value beyond the new end moves back to it; the plot that follows draws it.
    const QSignalBlocker quiet(HScroll1);
    HScroll1->setMaximum(traces);
  }
  const QString name = Q(State().settings.CaptureFileName);
  if (txtFileName->text() != name) txtFileName->setText(name);
}

void frmCapDisplay::PlaceEventHeader() {
  // Right-aligned inside the plot, 20 samples from its right edge (in widget pixels: the
  // plot's image counts device pixels).
  const double width = Picture1->AreaSize().width() / Picture1->PixelRatio();
  const double sampleWidth = width / kCapturePlotSamples;
  const int left = qRound(width) - lblEhead->width() - qRound(20 * sampleWidth);
  lblEhead->move(left, lblEhead->y() < 2 ? 2 : lblEhead->y());
}

void frmCapDisplay::PlotCaptureBuffer() {
  if (!isVisible()) show();
  if (isMinimized()) showNormal();
  SyncWithCapture();  // a new readout may hold another number of buffers
  Picture1->Cls();
  const CapturePlotPlan plan =
      PlanCapturePlot(HScroll1->value(), S(cmdScale->text()), State().capture.CaptureEventLength);
  const double fs = plan.fullScale;
  Picture1->Scale(plan.xStart, fs, plan.xEnd, -fs);
  LbLMinX->setText(Q(plan.minXLabel));
  LbLMaxX->setText(Q(plan.maxXLabel));
  Picture1->SetDrawWidth(1);
  for (int i : plan.boundaries) Picture1->Line(i, -fs, i, fs, ui::kBoundaryGrey);
  const std::vector<double>* traces[3] = {&State().capture.CaptureTraceX,
                                          &State().capture.CaptureTraceY,
                                          &State().capture.CaptureTraceZ};
  std::vector<QPointF> points(static_cast<size_t>(plan.xEnd - plan.xStart + 1));
  for (int trace = 0; trace < 3; ++trace) {
    for (int i = plan.xStart; i <= plan.xEnd; ++i) {
      points[static_cast<size_t>(i - plan.xStart)] = {double(i), CaptureTraceAt(*traces[trace], i)};
    }
    Picture1->Polyline(points, CaptureTraceColour(trace + 2));
  }
}

void frmCapDisplay::ShowEventHeader(int16_t& n) {
  int event = n;
  const std::string text = CaptureHeaderText(event);
  n = static_cast<int16_t>(event);
  lblEhead->setText(ui::QLines(text).trimmed());
  lblEhead->adjustSize();
  PlaceEventHeader();
}

void frmCapDisplay::cmdScale_Click() {
  const std::string next = NextCaptureScale(S(cmdScale->text()));
  cmdScale->setText(Q(next));
  LblFullScale->setText(Q(next));
  LblMinScale->setText(Q("-" + next));
  PlotCaptureBuffer();
}

void frmCapDisplay::HScroll1_Change() {
  PlotCaptureBuffer();
  Picture1->setFocus();
}

bool frmCapDisplay::eventFilter(QObject* watched, QEvent* event) {
  // The scroll bar never keeps the focus.
  if (watched == HScroll1 && event->type() == QEvent::FocusIn) Picture1->setFocus();
  return ui::Form::eventFilter(watched, event);
}

void frmCapDisplay::Picture1_MouseMove(int button, int shift, double x, double y) {
  (void)button;
  (void)shift;
  const CaptureReadout r = CaptureReadoutAt(x, y);
  LblSample->setText(Q(r.sample));
  LblValue->setText(Q(r.value));
  HoverEventNumber =
      static_cast<int16_t>(CaptureEventOfSample(x, State().capture.CaptureEventLength));
  ShowEventHeader(HoverEventNumber);
}

void frmCapDisplay::txtFileName_Change() {
  State().settings.CaptureFileName = S(txtFileName->text());
}

void frmCapDisplay::Cmd_Save_Click() {
  const CaptureFileFormat& format = ComboFileExt->currentIndex() == 1 ? kCaptureTxt : kCaptureCsv;
  std::optional<std::string> error;
  {
    ui::GreenWhileBusy busy({txtFileName}, true);
    error =
        WriteCaptureFile(CaptureFilePath(CaptureFolder(), State().settings.CaptureFileName, format),
                         format.separator);
    WaitDelay(200.0);
  }
  Yield();
  if (error) MsgBox(*error);
}

void frmCapDisplay::Analyze_Click() {
  if (frmCapAnalysis* open = ui::FindForm<frmCapAnalysis>()) open->LoadBuffer();
  ui::ShowForm<frmCapAnalysis>();  // a first load analyses the buffer itself
}

}  // namespace kva
