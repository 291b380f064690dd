// SPDX-License-Identifier: GPL-3.0-or-later
// What every window shows once loaded: its captions, and where controls are placed in pixels,
// their places; the message windows' titles and focus; the title of message boxes.
#include <QCryptographicHash>
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
#include "usbspi/frmUSBdebug.h"
#include "usbspi/frmUSBselect.h"

using namespace kva;

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
      out << QString("%1@%2,%3,%4,%5")
                 .arg(c->objectName())
                 .arg(r.x())
                 .arg(r.y())
                 .arg(r.width())
                 .arg(r.height());
    }
  }
  out.removeAll(QString());
  return out.join('|');
}

// The same as a short fingerprint, for windows with many controls.
QString Fingerprint(QWidget& w) {
  return QCryptographicHash::hash(Captions(w).toUtf8(), QCryptographicHash::Sha1).toHex().left(8);
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
      const QString seen = QString(w.expected).size() == 8 ? Fingerprint(w.window) : captions;
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
};

QTEST_MAIN(MessageWindowsTest)
#include "message_windows_test.moc"
