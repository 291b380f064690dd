// SPDX-License-Identifier: GPL-3.0-or-later
// The shared window helpers where the window tests do not reach: picture box clipping and
// persistence, window registry and events, modal hook, yield, busy pointer, colours.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>
#include <limits>
#include <vector>

#include "app/hooks.h"
#include "app/run_mode.h"
#include "ui/colors.h"
#include "ui/forms.h"
#include "ui/picture_box.h"
#include "ui/qt_hooks.h"

using namespace kva::ui;

namespace {

// Records the window events it receives.
struct EventLog {
  int loads = 0, activates = 0, unloads = 0;
  std::vector<UnloadMode> queries;
};
EventLog probeLog;

class ProbeForm : public Form {
 protected:
  void Form_Load() override { ++probeLog.loads; }
  void Form_Activate() override { ++probeLog.activates; }
  void Form_QueryUnload(int&, UnloadMode mode) override { probeLog.queries.push_back(mode); }
  void Form_Unload(int&) override { ++probeLog.unloads; }
};

// A 350 x 140 pixel drawing area with y from +7 (top) to -7 (bottom): 1 px per x unit,
// 10 px per y unit.
struct Plot {
  PictureBox box;
  Plot() {
    box.setFrameStyle(QFrame::NoFrame);
    box.resize(350, 140);
    box.SetBackColor(Qt::white);
    box.Cls();
    box.Scale(0, 7, 350, -7);
  }
  QColor At(int px, int py) const { return box.PixelAt(px, py); }
};

const QColor kWhiteBack(Qt::white);

}  // namespace

class UiHelpersTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { InstallQtHooks(); }
  void init() { probeLog = {}; }
  void cleanup() {
    SetModalHook(nullptr);
    UnloadAllForms();
  }

  void pictureBoxKeepsItsDrawingOverRepaintAndGrow() {
    Plot p;
    p.box.Line(10, 0, 20, 0, kRed);  // y 0 is pixel row 70
    // A repaint or a grow keeps the drawing; the new area takes the back colour.
    p.box.repaint();
    p.box.resize(360, 140);
    QCOMPARE(p.At(15, 70), kRed);
    QCOMPARE(p.At(355, 70), kWhiteBack);
    p.box.SetBackColor(kBlue);
    p.box.Cls();
    QCOMPARE(p.At(15, 70), kBlue);
  }

  void pictureBoxIncludesBothEndsWhicheverWayRound() {
    Plot p;
    // Right to left and bottom to top: both corners and both end points are drawn.
    p.box.FilledBox(20, -1, 10, 1, kBlue);  // pixels 10..20, rows 60..80
    QCOMPARE(p.At(10, 60), kBlue);
    QCOMPARE(p.At(20, 80), kBlue);
    QCOMPARE(p.At(21, 70), kWhiteBack);
    p.box.Line(40, 0, 30, 0, kRed);
    p.box.Line(50, -2, 50, 2, kRed);
    QCOMPARE(p.At(30, 70), kRed);
    QCOMPARE(p.At(40, 70), kRed);
    QCOMPARE(p.At(50, 50), kRed);
    QCOMPARE(p.At(50, 90), kRed);
    QCOMPARE(p.At(50, 91), kWhiteBack);
  }

  void pictureBoxClipsAndSkipsNonFinite() {
    Plot p;
    // 2 g at full scale 1.5 runs off the top: clipped, the part inside is drawn.
    p.box.Scale(0, 1.5, 350, -1.5);
    p.box.Line(100, 0, 110, 2, kTraceGreen);
    QCOMPARE(p.At(100, 70), kTraceGreen);
    QCOMPARE(p.At(107, 0), kTraceGreen);
    p.box.Line(0, -1e300, 350, 1e300, kBlack);
    p.box.Line(0, std::numeric_limits<double>::quiet_NaN(), 5, 0, kBlack);
    p.box.FilledBox(-1e300, 1e300, -1e299, -1e300, kBlack);
    QCOMPARE(p.At(0, 70), kWhiteBack);
  }

  void registryKeepsOneInstanceAndReloadsAfterUnload() {
    auto& a = LoadForm<ProbeForm>();
    QCOMPARE(&LoadForm<ProbeForm>(), &a);
    QCOMPARE(probeLog.activates, 0);
    ShowForm<ProbeForm>();
    a.hide();
    QCOMPARE(&ShowForm<ProbeForm>(), &a);  // hidden: the same window comes back
    QCOMPARE(probeLog.activates, 2);
    QCOMPARE(probeLog.loads, 1);

    QPointer<QWidget> old(&a);
    QVERIFY(UnloadForm<ProbeForm>());
    QCOMPARE(probeLog.queries, std::vector<UnloadMode>{UnloadMode::FormCode});
    QCOMPARE(probeLog.unloads, 1);
    QVERIFY(FindForm<ProbeForm>() == nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(old.isNull());
    LoadForm<ProbeForm>();
    QCOMPARE(probeLog.loads, 2);
  }

  void modalHookRunsInsteadOfBlocking() {
    bool wasVisibleAndModal = false;
    SetModalHook([&](QWidget& w) {
      wasVisibleAndModal = w.isVisible() && w.windowModality() == Qt::ApplicationModal;
    });
    auto& a = ShowForm<ProbeForm>(ShowMode::Modal);
    QVERIFY(wasVisibleAndModal);
    // The hook left it open: the modal call still ends with the window hidden, not modal.
    QVERIFY(!a.isVisible());
    QCOMPARE(a.windowModality(), Qt::NonModal);

    // A hook that unloads the window ends the modal call too.
    SetModalHook([&](QWidget& w) { UnloadThis(w); });
    ShowForm<ProbeForm>(ShowMode::Modal);
    QVERIFY(FindForm<ProbeForm>() == nullptr);
    QCOMPARE(probeLog.activates, 2);
  }

  void yieldRunsPendingEventsUntilTheProgramEnds() {
    int runs = 0;
    QTimer::singleShot(0, [&] { ++runs; });
    kva::Yield();
    QCOMPARE(runs, 1);

    auto& a = ShowForm<ProbeForm>();
    EndProgram();
    QVERIFY(kva::ProgramEnding());
    QVERIFY(!a.isVisible());
    QTimer::singleShot(0, [&] { ++runs; });
    kva::Yield();
    QCOMPARE(runs, 1);  // no handler runs once the program is ending
    kva::SetProgramEnding(false);
    kva::Yield();
    QCOMPARE(runs, 2);
  }

  void busyPointerIsAStateNotACount() {
    kva::SetBusyPointer(true);
    kva::SetBusyPointer(true);
    QVERIFY(BusyPointerShown() && QApplication::overrideCursor() != nullptr);
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    kva::SetBusyPointer(false);
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QVERIFY(!BusyPointerShown());
  }

  void backColoursPaintAndReadBack() {
    QLabel label;
    QLineEdit text;
    SetBackColor(label, kGreen);
    SetBackColor(text, kRed);
    QCOMPARE(BackColor(label), kGreen);
    QCOMPARE(text.palette().color(QPalette::Base), kRed);
    label.resize(20, 10);
    QCOMPARE(label.grab().toImage().pixelColor(5, 5), kGreen);
  }
};

QTEST_MAIN(UiHelpersTest)
#include "ui_helpers_test.moc"
