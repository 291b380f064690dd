// SPDX-License-Identifier: GPL-3.0-or-later
// What every window shows once loaded: its captions, and where controls are placed in pixels,
// their places; the message windows; and the shared window helpers where the window tests do
// not reach: picture box clipping and persistence, window registry and events, modal hook,
// yield, busy pointer, colours.
#include <QCryptographicHash>
#include <QTimer>
#include <QtTest>

#include "capture/frmCapAnalysis.h"
#include "capture/frmCapDisplay.h"
#include "capture/frmCaptConfig.h"
#include "config/fmCalibration.h"
#include "config/frmAlarms.h"
#include "config/frmGPIO.h"
#include "config/frmManualReg.h"
#include "config/frmMscCtrl.h"
#include "config/frmSampPrd.h"
#include "datalog/frmDatalog.h"
#include "hostsetup/frmPort.h"
#include "mainwindow/frmBusyMsg.h"
#include "mainwindow/frmForm1.h"
#include "mainwindow/frmMsg.h"
#include "mainwindow/frmSimBoard.h"
#include "support/ui_window_test.h"
#include "ui/colors.h"
#include "ui/picture_box.h"
#include "usbspi/frmUSBdebug.h"
#include "usbspi/frmUSBselect.h"

using namespace kva;
using namespace kva::ui;

namespace {

// The window's title, then in the order they were made the captions of its labels, buttons,
// frames, list entries and menu entries; after each control placed by pixels rather than by a
// layout, its geometry.
QString Captions(QWidget& w) {
  QStringList out{w.windowTitle()};
  for (QObject* o : w.findChildren<QObject*>()) {
    if (o->objectName().startsWith("qt_")) continue;  // the toolkit's own parts
    if (auto* label = qobject_cast<QLabel*>(o)) out << label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(o)) out << button->text();
    if (auto* frame = qobject_cast<QGroupBox*>(o)) out << frame->title();
    if (auto* action = qobject_cast<QAction*>(o)) out << action->text();
    if (auto* list = qobject_cast<QComboBox*>(o)) {
      for (int i = 0; i < list->count(); ++i) out << list->itemText(i);
    }
    auto* c = qobject_cast<QWidget*>(o);
    if (c && !c->isWindow() && !c->parentWidget()->layout() && !c->objectName().isEmpty()) {
      const QRect r = c->geometry();
      out << c->objectName() +
                 QString::asprintf("@%d,%d,%d,%d", r.x(), r.y(), r.width(), r.height());
    }
  }
  out.removeAll(QString());
  return out.join('|');
}

// The same as eight hex digits, for windows with many controls; a failure prints the whole.
QString Fingerprint(const QString& captions) {
  return QCryptographicHash::hash(captions.toUtf8(), QCryptographicHash::Sha1).toHex().left(8);
}

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

class MessageWindowsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    probeLog = {};
    kvatest::PrepareWindowTests();
    ui::SetMessageHook([](const std::string&, const std::string&) {});
    ui::SetModalHook([](QWidget& form) { form.close(); });
  }
  void cleanup() { kvatest::EndWindowTest(); }

  void everyWindowsCaptionsAndPlaces() {
    const struct {
      QWidget& window;
      const char* expected;  // the captions, or their fingerprint
    } windows[] = {
        {ui::LoadForm<frmUSBselect>(),
         "USB SPI Card Selection|Buffer Select|Descriptor0|Rev|Speed|EzUsb0|EzUsb1|EzUsb2|EzUsb3"
         "|None|Search|Debug|OK"},
        {ui::LoadForm<frmCaptConfig>(),
         "KVA Capture Configuration|KVA7710 Event Trigger Configuration|Step #1 - Configure Capt"
         "ure Parameters (CAPT_CFG)|Update CAPT_CFG Register|0000|Capt_Buff Length|1024|512|256|"
         "128|64|32|16|8|Pre-Trigger Length Equals This Value Times 1/16 of Capt. Buff. Length|0"
         "|1|2|3|4|5|6|7|8|9|10|11|12|13|14|15|Step #2 - Set Trigger Source (ALM_CTRL)|Trigger #"
         "1 (TRIG_MAG1)|Trigger #2 (TRIG_MAG2)|Both Triggers Enabled|Trigger Disabled|Alarm I/O "
         "Line|OutPut Disabled|OutPut Enabled|Active LOW|Active HIGH|DIO0|DIO1|Update ALM_CTRL R"
         "egister|0000|Data Source - Buffer #1|none|Supply V|X_Acc|Y_Acc|Z_Acc|Aux_ADC|Temperatu"
         "re|XYZ_PK_OUT|Clock Alarm|Data Source - Buffer #2|none|Supply V|X_Acc|Y_Acc|Z_Acc|Aux_"
         "ADC|Temperature|XYZ_PEAKOUT|Clock Alarm|Step #3 - Set Trigger Levels and Polarity (TRI"
         "G_MAG)|Update TRIG_MAG1/2 Registers|0000|0000|ALM_MAG1 Trigger Level|ALM_MAG1 Polarity"
         "|Less Than|Greater Than|ALM_MAG2 Trigger Level|ALM_MAG2 Polarity|Less Than|Greater Tha"
         "n|Trigger Configuration Example:|Step 1 - Set Pre-trigger to zero then set Capt_Buff L"
         "ength to 1024 and press the update Capt_CFG Register button|Step 2 - Set Data Source #"
         " 1 to Xacc and select Trigger #1 button, Press the Update ALM_CTRL Register button|Ste"
         "p 3 - Set Trigger Level to 12 then set Polarity to greater than. Press the Update TRIG"
         "_MAG 1/2 Registers button|Update Flash"},
        {ui::LoadForm<frmBusyMsg>(), "KVA7710_Eval_Rev_1  Message"},
        {ui::LoadForm<frmPort>(),
         "Parallel Port Setup|Select the Parallel Port Address|Port Address (Hex)|OK|Cancel"},
        {ui::LoadForm<frmSampPrd>(),
         "Sample Period|Write|SamplePeriod|Update Flash|Enter samples per second 0.5 to 4096|Sam"
         "ples per sec|SMPL_PRD (Hex)"},
        {ui::LoadForm<frmMsg>(), "KVA7710_Eval_Rev_1   Message|Command1"},
        {ui::LoadForm<frmForm1>(), "72cb3019"},
        {ui::LoadForm<frmCapDisplay>(), "fe3d38f6"},
        {ui::LoadForm<frmCapAnalysis>(), "f68ad1b9"},
        {ui::LoadForm<fmCalibration>(), "e5e0ec83"},
        {ui::LoadForm<frmAlarms>(), "82691fea"},
        {ui::LoadForm<frmGPIO>(), "10c59faf"},
        {ui::LoadForm<frmManualReg>(), "1fd1a5c6"},
        {ui::LoadForm<frmMscCtrl>(), "f6a21270"},
        {ui::LoadForm<frmDatalog>(), "6594ba92"},
        {ui::LoadForm<frmSimBoard>(), "0af5e558"},
        {ui::LoadForm<frmUSBdebug>(), "a37ce3af"},
    };
    for (const auto& w : windows) {
      const QString captions = Captions(w.window);
      const QString seen = QString(w.expected).size() == 8 ? Fingerprint(captions) : captions;
      QVERIFY2(seen == w.expected, qPrintable(seen + " from " + captions));
    }
  }

  void loadingMessage() {
    auto& msg = ui::ShowForm<frmMsg>();
    QCOMPARE(msg.focusWidget(), msg.Command1);
  }

  // A window loaded afresh builds its caption from the design caption again, not onto the last.
  void busyMessageCaptionAfterReload() {
    QCOMPARE(ui::ShowForm<frmBusyMsg>().windowTitle(), QString("KVA7710_Eval_Rev_1  Message"));
    QVERIFY(ui::UnloadForm<frmBusyMsg>());
    QCOMPARE(ui::LoadForm<frmBusyMsg>().windowTitle(), QString("KVA7710_Eval_Rev_1  Message"));
  }

  void messageBoxesTakeTheProgramTitleUnlessGivenOne() {
    ui::MessageRecorder messages;
    MsgBox("Error getting Board Info");
    MsgBox("The required I/O drivers could not be installed.", "Error");
    QCOMPARE(messages.messages().at(0).title + "|" + messages.messages().at(1).title,
             std::string("KVA7710_Eval_Rev_1|Error"));
  }
  // Both ends of lines and boxes drawn whichever way round; clipped at the edge, nothing for
  // points beyond it or not finite; the drawing kept over a repaint and a grow.
  void pictureBoxDrawsClipsAndKeeps() {
    Plot p;
    p.box.FilledBox(20, -1, 10, 1, kBlue);  // pixels 10..20, rows 60..80
    p.box.Line(40, 0, 30, 0, kRed);
    p.box.Line(50, -2, 50, 2, kRed);
    p.box.Line(0, -1e300, 350, 1e300, kBlack);
    p.box.Line(0, std::numeric_limits<double>::quiet_NaN(), 5, 0, kBlack);
    p.box.FilledBox(-1e300, 1e300, -1e299, -1e300, kBlack);
    p.box.Scale(0, 1.5, 350, -1.5);
    p.box.Line(100, 0, 110, 2, kTraceGreen);  // 2 g at full scale 1.5 runs off the top
    p.box.repaint();
    p.box.resize(360, 140);
    const struct {
      int x, y;
      QColor c;
    } pixels[] = {{10, 60, kBlue},        {20, 80, kBlue},       {21, 70, kWhiteBack},
                  {30, 70, kRed},         {40, 70, kRed},        {50, 50, kRed},
                  {50, 90, kRed},         {50, 91, kWhiteBack},  {0, 70, kWhiteBack},
                  {100, 70, kTraceGreen}, {107, 0, kTraceGreen}, {355, 70, kWhiteBack}};
    for (const auto& px : pixels) QCOMPARE(p.At(px.x, px.y), px.c);
    p.box.SetBackColor(kBlue);
    p.box.Cls();
    QCOMPARE(p.At(40, 70), kBlue);
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

QTEST_MAIN(MessageWindowsTest)
#include "message_windows_test.moc"
