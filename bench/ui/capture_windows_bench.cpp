// SPDX-License-Identifier: GPL-3.0-or-later
// The capture windows: a full readout driven by the main window's "Show Buffer" path (busy
// window, progress label, a yield per event, the plot at the end) against the core readout
// alone on the same simulated adapter, both in thread CPU time; and one PlotCaptureBuffer of
// 1024 x 3 segments with event boundaries against the same three polylines drawn with a bare
// QPainter into an image of the plot's size.
#include <benchmark/benchmark.h>
#include <time.h>

#include <QPainter>

#include "app/settings.h"
#include "capture/capture_readout.h"
#include "capture/frmCapDisplay.h"
#include "capture_memory.h"
#include "device/bring_up.h"
#include "mainwindow/frmForm1.h"
#include "ratio.h"
#include "sim/sim_ezusb_bus.h"
#include "ui/forms.h"
#include "ui_bench.h"
#include "usbspi/usb_adapter.h"

namespace {

using kvabench::TheUiBench;

double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// The main window up, then the adapter switched to a full capture memory for the run.
class FullMemoryOnAdapter {
 public:
  FullMemoryOnAdapter() {
    TheUiBench();
    if (kva::ui::FindForm<kva::frmForm1>() == nullptr) {
      kva::RunStartupSteps();
      kva::ui::LoadForm<kva::frmForm1>().show();
      kva::ui::LoadForm<kva::frmForm1>().ckLoop->setChecked(false);
    }
    bus_.SetLogging(false);
    kva::SetEzUsbDriver(&bus_);
    kva::State().settings.InterfaceType = kva::Interface::Usb;
    kva::FindUsbAdapter();
  }
  ~FullMemoryOnAdapter() {
    kva::SetEzUsbDriver(&TheUiBench().board->bus());
    kva::FindUsbAdapter();
  }

 private:
  kvabench::FullCaptureMemory memory_;
  kva::sim::SimEzUsbBus bus_{memory_};
};

void BM_CaptureReadoutWindow(benchmark::State& state) {
  FullMemoryOnAdapter adapter;
  kva::frmForm1& main = kva::ui::LoadForm<kva::frmForm1>();
  // Each window readout is followed by a core readout, so that both see the same share of a
  // busy machine; the counter "x_core" is their ratio.
  double window = 0, core = 0;
  for (auto _ : state) {
    const double start = CpuSeconds();
    main.cmdCaptDisplay_Click();
    const double middle = CpuSeconds();
    kva::ReadCaptureMemory();
    state.SetIterationTime(middle - start);
    window += middle - start;
    core += CpuSeconds() - middle;
  }
  state.counters["x_core"] = window / core;
  if (kva::State().capture.CaptureEventsStored != 8) state.SkipWithError("the readout did not run");
}
BENCHMARK(BM_CaptureReadoutWindow)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

// 1024 samples of three traces across four events of 256 locations (250 samples each).
void FourEvents() {
  kva::State().capture.CaptureEventsStored = 32;
  kva::State().capture.CaptureEventLength = 256;
  kva::State().capture.CaptureBufferCount = 32;
  kva::State().capture.CaptureHeaders.assign(33, kva::CaptureHeader{});
  kva::State().capture.CaptureTraceX.assign(8192 - 6 * 32 + 1, 0.0);
  kva::State().capture.CaptureTraceY = kva::State().capture.CaptureTraceZ =
      kva::State().capture.CaptureTraceX;
  for (size_t i = 1; i < kva::State().capture.CaptureTraceX.size(); ++i) {
    kva::State().capture.CaptureTraceX[i] = static_cast<double>(i % 61) * 0.2 - 6;
    kva::State().capture.CaptureTraceY[i] = static_cast<double>(i % 37) * 0.3 - 5;
    kva::State().capture.CaptureTraceZ[i] = static_cast<double>(i % 13) * 0.2 + 1;
  }
}

// Each PlotCaptureBuffer is followed by the same three polylines drawn with a bare QPainter into
// an image of the plot's size (counter x_bare).
void BM_PlotCaptureBuffer(benchmark::State& state) {
  TheUiBench();
  FourEvents();
  kva::frmCapDisplay& display = kva::ui::LoadForm<kva::frmCapDisplay>();
  const QSize size = display.Picture1->AreaSize();
  QImage image(size, QImage::Format_RGB32);
  QPolygonF traces[3];
  const std::vector<double>* data[3] = {&kva::State().capture.CaptureTraceX,
                                        &kva::State().capture.CaptureTraceY,
                                        &kva::State().capture.CaptureTraceZ};
  kvabench::InTurn(
      state, "x_bare", [&display] { display.PlotCaptureBuffer(); },
      [&] {
        QPainter painter(&image);
        painter.setWindow(QRect(1, 7, 1023, -14));
        painter.setViewport(QRect(QPoint(0, 0), size));
        for (int t = 0; t < 3; ++t) {
          traces[t].resize(1024);
          for (int i = 1; i <= 1024; ++i) traces[t][i - 1] = QPointF(i, (*data[t])[size_t(i)]);
          painter.setPen(QPen(QColor(255, 0, 0), 0));
          painter.drawPolyline(traces[t]);
        }
      });
  state.counters["boundaries"] = 3;
}
BENCHMARK(BM_PlotCaptureBuffer)->UseManualTime();

KVA_BENCH_RATIO("capture readout through the main window / core readout",
                "BM_CaptureReadoutWindow/iterations:3/manual_time", "x_core", 1.0, 1.02);
KVA_BENCH_RATIO("PlotCaptureBuffer (1024 x 3, 3 boundaries) / bare QPainter polylines",
                "BM_PlotCaptureBuffer/manual_time", "x_bare", 1.0, 1.5);

}  // namespace
