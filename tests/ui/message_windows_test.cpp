// The two message windows: captions built at load, the loading text, focus.
#include <QtTest>

#include "mainwindow/frmBusyMsg.h"
#include "mainwindow/frmMsg.h"
#include "ui/forms.h"
#include "ui/qt_hooks.h"

using namespace kva;

class MessageWindowsTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { ui::UnloadAllForms(); }

  void loadingMessage() {
    auto& msg = ui::LoadForm<frmMsg>();
    QCOMPARE(msg.windowTitle(), QString("KVA7710_Eval_Rev_1   Message"));
    QCOMPARE(msg.Command1->text(), QString("Command1"));
    msg.txtMsg->setPlainText(ui::QLines("\r\nLoading . . . \r\n\r\nCalibrating Delay function."));
    QCOMPARE(msg.txtMsg->toPlainText(), QString("\nLoading . . . \n\nCalibrating Delay function."));
    ui::ShowForm<frmMsg>();
    QVERIFY(msg.isVisible());
    QCOMPARE(msg.focusWidget(), msg.Command1);
    msg.hide();
    QCOMPARE(&ui::ShowForm<frmMsg>(), &msg);
  }

  void busyMessageKeepsItsCaptionAfterTheTitle() {
    auto& busy = ui::ShowForm<frmBusyMsg>();
    QCOMPARE(busy.windowTitle(), QString("KVA7710_Eval_Rev_1  Message"));
    // A window loaded afresh builds its caption from the design caption again.
    QVERIFY(ui::UnloadForm<frmBusyMsg>());
    QCOMPARE(ui::LoadForm<frmBusyMsg>().windowTitle(), QString("KVA7710_Eval_Rev_1  Message"));
  }
};

QTEST_MAIN(MessageWindowsTest)
#include "message_windows_test.moc"
