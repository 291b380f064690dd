// The shared window helpers: picture box drawing and mouse, window registry and events,
// message and modal hooks, busy pointer, twips, colours.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
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
#include "ui/twips.h"

using namespace kva::ui;

namespace {

// Records the window events it receives.
struct EventLog {
  int loads = 0, activates = 0, unloads = 0;
  std::vector<UnloadMode> queries;
};
EventLog probeLog;

class ProbeForm : public Form {
 public:
  bool refuseUserClose = false;

 protected:
  void Form_Load() override { ++probeLog.loads; }
  void Form_Activate() override { ++probeLog.activates; }
  void Form_QueryUnload(int& cancel, UnloadMode mode) override {
    probeLog.queries.push_back(mode);
    if (refuseUserClose && mode == UnloadMode::FormControlMenu) cancel = 1;
  }
  void Form_Unload(int&) override { ++probeLog.unloads; }
};

class OtherForm : public Form {};

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
};

void FlushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

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

  void pictureBoxDrawsInUserUnits() {
    Plot p;
    QCOMPARE(p.box.AreaSize(), QSize(350, 140));
    p.box.Line(10, 0, 20, 0, kRed);  // y 0 is pixel row 70
    QCOMPARE(p.box.PixelAt(10, 70), kRed);
    QCOMPARE(p.box.PixelAt(15, 70), kRed);
    QCOMPARE(p.box.PixelAt(20, 70), kRed);
    QCOMPARE(p.box.PixelAt(21, 70), QColor(Qt::white));
    QCOMPARE(p.box.PixelAt(15, 69), QColor(Qt::white));
    QCOMPARE(p.box.Point(15.2, 0.0), kRed);

    // Box over the full height, both corners included, clipped at the bottom edge.
    p.box.FilledBox(30, 7, 31, -7, kCursorGrey);
    QCOMPARE(p.box.PixelAt(30, 0), kCursorGrey);
    QCOMPARE(p.box.PixelAt(31, 139), kCursorGrey);
    QCOMPARE(p.box.PixelAt(32, 70), QColor(Qt::white));
    QCOMPARE(p.box.PixelAt(29, 70), QColor(Qt::white));

    // Drawings persist across a repaint and a grow; the new area takes the back colour.
    p.box.repaint();
    p.box.resize(360, 140);
    QCOMPARE(p.box.PixelAt(15, 70), kRed);
    QCOMPARE(p.box.PixelAt(355, 70), QColor(Qt::white));

    p.box.SetBackColor(kBlue);
    p.box.Cls();
    QCOMPARE(p.box.PixelAt(15, 70), kBlue);
    QCOMPARE(p.box.PixelAt(30, 0), kBlue);
  }

  void pictureBoxClipsAndWidens() {
    Plot p;
    // 2 g at full scale 1.5 runs off the top: clipped, the part inside is drawn.
    p.box.Scale(0, 1.5, 350, -1.5);
    p.box.Line(100, 0, 110, 2, kTraceGreen);
    QCOMPARE(p.box.PixelAt(100, 70), kTraceGreen);
    QCOMPARE(p.box.PixelAt(107, 0), kTraceGreen);
    // Far-off and non-finite values draw nothing harmful.
    p.box.Line(0, -1e300, 350, 1e300, kBlack);
    p.box.Line(0, std::numeric_limits<double>::quiet_NaN(), 5, 0, kBlack);
    p.box.FilledBox(-1e300, 1e300, -1e299, -1e300, kBlack);
    QCOMPARE(p.box.PixelAt(0, 70), QColor(Qt::white));

    // A trace with a gap: segments touching the non-finite point are left out.
    p.box.Scale(0, 7, 350, -7);
    p.box.Polyline({{300, 1}, {310, 1}, {320, std::numeric_limits<double>::infinity()}, {330, 1},
                    {340, 1}},
                   kBlue);
    QCOMPARE(p.box.PixelAt(305, 60), kBlue);
    QCOMPARE(p.box.PixelAt(315, 60), QColor(Qt::white));
    QCOMPARE(p.box.PixelAt(335, 60), kBlue);

    p.box.SetDrawWidth(3);
    p.box.Line(200, 0, 220, 0, kRed);
    QCOMPARE(p.box.PixelAt(210, 69), kRed);
    QCOMPARE(p.box.PixelAt(210, 71), kRed);
    QCOMPARE(p.box.PixelAt(210, 73), QColor(Qt::white));
    QCOMPARE(p.box.ScaleHeight(), -14.0);
  }

  void pictureBoxReportsMouseInUserUnits() {
    Plot p;
    QSignalSpy moves(&p.box, &PictureBox::MouseMove);
    QMouseEvent move(QEvent::MouseMove, QPointF(123.4, 72.6), p.box.mapToGlobal(QPointF(123.4, 72.6)),
                     Qt::NoButton, Qt::NoButton, Qt::ShiftModifier);
    QApplication::sendEvent(&p.box, &move);
    QCOMPARE(moves.count(), 1);
    const auto args = moves.takeFirst();
    QCOMPARE(args.at(1).toInt(), 1);
    QCOMPARE(args.at(2).toDouble(), 123.4);
    QVERIFY(qAbs(args.at(3).toDouble() - (7.0 - 7.26)) < 1e-9);
  }

  void registryKeepsOneInstanceAndReloadsAfterUnload() {
    auto& a = LoadForm<ProbeForm>();
    QCOMPARE(&LoadForm<ProbeForm>(), &a);
    QCOMPARE(probeLog.loads, 1);
    QCOMPARE(probeLog.activates, 0);
    QVERIFY(FindForm<OtherForm>() == nullptr);

    ShowForm<ProbeForm>();
    QVERIFY(a.isVisible());
    QCOMPARE(probeLog.activates, 1);
    a.hide();
    QCOMPARE(&ShowForm<ProbeForm>(), &a);  // hidden: the same window comes back
    QCOMPARE(probeLog.activates, 2);
    QCOMPARE(probeLog.loads, 1);

    QPointer<QWidget> old(&a);
    QVERIFY(UnloadForm<ProbeForm>());
    QCOMPARE(probeLog.queries, std::vector<UnloadMode>{UnloadMode::FormCode});
    QCOMPARE(probeLog.unloads, 1);
    QVERIFY(FindForm<ProbeForm>() == nullptr);
    FlushDeletes();
    QVERIFY(old.isNull());
    LoadForm<ProbeForm>();
    QCOMPARE(probeLog.loads, 2);
  }

  void userCloseAsksAndCanBeRefused() {
    auto& a = ShowForm<ProbeForm>();
    a.refuseUserClose = true;
    a.close();
    QCOMPARE(probeLog.queries, std::vector<UnloadMode>{UnloadMode::FormControlMenu});
    QVERIFY(a.isVisible());
    QCOMPARE(FindForm<ProbeForm>(), &a);
    a.refuseUserClose = false;
    a.close();
    QVERIFY(!a.isVisible());
    QVERIFY(FindForm<ProbeForm>() == nullptr);
    QCOMPARE(probeLog.unloads, 1);
  }

  void modalHookRunsInsteadOfBlocking() {
    std::vector<QWidget*> seen;
    bool wasVisible = false, wasModal = false;
    SetModalHook([&](QWidget& w) {
      seen.push_back(&w);
      wasVisible = w.isVisible();
      wasModal = w.windowModality() == Qt::ApplicationModal;
    });
    auto& a = ShowForm<ProbeForm>(ShowMode::Modal);
    QCOMPARE(seen, std::vector<QWidget*>{&a});
    QVERIFY(wasVisible);
    QVERIFY(wasModal);
    QCOMPARE(probeLog.activates, 1);
    // The hook left it open: the modal call still ends with the window hidden, not modal.
    QVERIFY(!a.isVisible());
    QCOMPARE(a.windowModality(), Qt::NonModal);

    // A hook that unloads the window ends the modal call too.
    SetModalHook([&](QWidget& w) { UnloadThis(w); });
    ShowForm<ProbeForm>(ShowMode::Modal);
    QVERIFY(FindForm<ProbeForm>() == nullptr);
    QCOMPARE(probeLog.activates, 2);
  }

  void messageHookRecordsTextAndTitle() {
    MessageRecorder messages;
    kva::MsgBox("Error getting Board Info");
    kva::MsgBox("The required I/O drivers could not be installed.", "Error");
    QCOMPARE(messages.messages().size(), size_t(2));
    QCOMPARE(messages.messages()[0].text, std::string("Error getting Board Info"));
    QCOMPARE(messages.messages()[0].title, std::string("KVA7710_Eval_Rev_1"));
    QCOMPARE(messages.messages()[1].title, std::string("Error"));
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

    int ends = 0;
    SetEndProgramHandler([&] { ++ends; });
    EndProgram();
    SetEndProgramHandler(nullptr);
    QCOMPARE(ends, 1);
    QVERIFY(!kva::ProgramEnding());
  }

  void busyPointerIsAStateNotACount() {
    kva::SetBusyPointer(true);
    kva::SetBusyPointer(true);
    QVERIFY(QApplication::overrideCursor() != nullptr);
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QVERIFY(BusyPointerShown());
    kva::SetBusyPointer(false);
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QVERIFY(!BusyPointerShown());
  }

  void twipsAtFixedDpi() {
    SetTwipsDpiOverride(96);
    QCOMPARE(TwipsToPixels(1440), 96);
    QCOMPARE(TwipsToPixels(15), 1);
    QCOMPARE(TwipsToPixels(22), 1);
    QCOMPARE(TwipsToPixels(23), 2);
    QCOMPARE(PixelsToTwips(2), 30.0);
    QWidget parent;
    QWidget child(&parent);
    MoveTwips(child, 1500, 300, 3000, 600);
    QCOMPARE(child.geometry(), QRect(100, 20, 200, 40));
    MoveTwips(child, std::nullopt, 450);
    QCOMPARE(child.geometry(), QRect(100, 30, 200, 40));
    const TwipsRect r = GeometryTwips(child);
    QCOMPARE(r.left, 1500.0);
    QCOMPARE(r.height, 600.0);
    SetTwipsDpiOverride(120);
    QCOMPARE(TwipsToPixels(1440), 120);
    SetTwipsDpiOverride(std::nullopt);
  }

  void backColoursReadBack() {
    QLabel label;
    QLineEdit text;
    QPushButton button;
    SetBackColor(label, kGreen);
    SetBackColor(text, kRed);
    SetBackColor(button, kGreen);
    QCOMPARE(BackColor(label), kGreen);
    QVERIFY(label.autoFillBackground());
    QCOMPARE(BackColor(text), kRed);
    QCOMPARE(text.palette().color(QPalette::Base), kRed);
    QCOMPARE(BackColor(button), kGreen);
    // Labels paint the colour.
    label.resize(20, 10);
    QCOMPARE(label.grab().toImage().pixelColor(5, 5), kGreen);
  }
};

QTEST_MAIN(UiHelpersTest)
#include "ui_helpers_test.moc"
