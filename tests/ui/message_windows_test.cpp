// SPDX-License-Identifier: GPL-3.0-or-later
// Every window's captions and pixel placements; the message windows; the picture box's
// clipping and persistence, the busy pointer and colours.
#include <QCryptographicHash>

#include "support/ui_window_test.h"

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

// The same as eight hex digits; a failure prints the whole.
QString Fingerprint(const QString& captions) {
  return QCryptographicHash::hash(captions.toUtf8(), QCryptographicHash::Sha1).toHex().left(8);
}

}  // namespace

class MessageWindowsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    kvatest::PrepareWindowTests();
    ui::SetMessageHook([](const std::string&, const std::string&) {});
    ui::SetModalHook([](QWidget& form) { form.close(); });
  }
  void cleanup() { kvatest::EndWindowTest(); }

  void everyWindowsCaptionsAndPlaces() {
    // clang-format off
    const struct { QWidget& window; const char* fingerprint; } windows[] = {
        {ui::LoadForm<frmUSBselect>(), "ac2b79a2"}, {ui::LoadForm<frmCaptConfig>(), "027cddca"},
        {ui::LoadForm<frmBusyMsg>(), "c3fd36be"}, {ui::LoadForm<frmPort>(), "30270804"},
        {ui::LoadForm<frmSampPrd>(), "cd815a1e"}, {ui::LoadForm<frmMsg>(), "afd513a5"},
        {ui::LoadForm<frmForm1>(), "72cb3019"}, {ui::LoadForm<frmCapDisplay>(), "fe3d38f6"},
        {ui::LoadForm<frmCapAnalysis>(), "f68ad1b9"}, {ui::LoadForm<fmCalibration>(), "e5e0ec83"},
        {ui::LoadForm<frmAlarms>(), "82691fea"}, {ui::LoadForm<frmGPIO>(), "10c59faf"},
        {ui::LoadForm<frmManualReg>(), "1fd1a5c6"}, {ui::LoadForm<frmMscCtrl>(), "f6a21270"},
        {ui::LoadForm<frmDatalog>(), "6594ba92"}, {ui::LoadForm<frmSimBoard>(), "0af5e558"},
        {ui::LoadForm<frmUSBdebug>(), "a37ce3af"}};
    // clang-format on
    for (const auto& w : windows) {
      const QString captions = Captions(w.window);
      QVERIFY2(Fingerprint(captions) == w.fingerprint,
               qPrintable(Fingerprint(captions) + " from " + captions));
    }
  }

  // The message window opens on its button; a window loaded afresh builds its caption from the
  // design caption again, not onto the last; message boxes take the program's title.
  void messageWindowsFocusCaptionAndTitle() {
    auto& msg = ui::ShowForm<frmMsg>();
    QCOMPARE(msg.focusWidget(), msg.Command1);
    ui::ShowForm<frmBusyMsg>();
    QVERIFY(ui::UnloadForm<frmBusyMsg>());
    QCOMPARE(ui::LoadForm<frmBusyMsg>().windowTitle(), QString("KVA7710_Eval_Rev_1  Message"));
    ui::MessageRecorder messages;
    MsgBox("Error getting Board Info");
    MsgBox("The required I/O drivers could not be installed.", "Error");
    QCOMPARE(messages.messages().at(0).title + "|" + messages.messages().at(1).title,
             std::string("KVA7710_Eval_Rev_1|Error"));
  }

  // Both ends of lines and boxes drawn whichever way round; clipped at the edge, nothing for
  // points beyond it or not finite; the drawing kept over a repaint and a grow.
  void pictureBoxDrawsClipsAndKeeps() {
    // 350 x 140 pixels, y from +7 (top) to -7 (bottom): 1 px per x unit, 10 px per y unit.
    PictureBox box;
    box.setFrameStyle(QFrame::NoFrame);
    box.resize(350, 140);
    box.Scale(0, 7, 350, -7);
    box.FilledBox(20, -1, 10, 1, kBlue);  // pixels 10..20, rows 60..80
    box.Line(40, 0, 30, 0, kRed);
    box.Line(50, -2, 50, 2, kRed);
    box.Line(0, -1e300, 350, 1e300, kBlack);
    box.Line(0, std::numeric_limits<double>::quiet_NaN(), 5, 0, kBlack);
    box.FilledBox(-1e300, 1e300, -1e299, -1e300, kBlack);
    box.Scale(0, 1.5, 350, -1.5);
    box.Line(100, 0, 110, 2, kTraceGreen);  // 2 g at full scale 1.5 runs off the top
    box.repaint();
    box.resize(360, 140);
    QString seen;
    for (const QPoint at : {QPoint(10, 60),
                            {20, 80},
                            {21, 70},
                            {30, 70},
                            {40, 70},
                            {50, 50},
                            {50, 90},
                            {50, 91},
                            {0, 70},
                            {100, 70},
                            {107, 0},
                            {355, 70}})
      seen += box.PixelAt(at.x(), at.y()).name() + " ";
    box.SetBackColor(kBlue);
    box.Cls();
    QCOMPARE(seen + box.PixelAt(40, 70).name(),
             QString("#0000ff #0000ff #ffffff #ff0000 #ff0000 #ff0000 #ff0000 #ffffff #ffffff "
                     "#00c000 #00c000 #ffffff #0000ff"));
  }

  void busyPointerAndBackColours() {
    kva::SetBusyPointer(true);
    kva::SetBusyPointer(true);  // a state, not a count
    QVERIFY(BusyPointerShown() && QApplication::overrideCursor()->shape() == Qt::WaitCursor);
    kva::SetBusyPointer(false);
    QVERIFY(QApplication::overrideCursor() == nullptr && !BusyPointerShown());
    QLabel label;
    QLineEdit text;
    SetBackColor(label, kGreen);
    SetBackColor(text, kRed);
    label.resize(20, 10);
    QVERIFY(BackColor(label) == kGreen && text.palette().color(QPalette::Base) == kRed);
    QCOMPARE(label.grab().toImage().pixelColor(5, 5), kGreen);
  }
};

QTEST_MAIN(MessageWindowsTest)
#include "message_windows_test.moc"
