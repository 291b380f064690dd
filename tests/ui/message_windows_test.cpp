// SPDX-License-Identifier: GPL-3.0-or-later
// The two message windows: captions built at load, the loading text, focus; the title of
// message boxes.
#include <QtTest>

#include "app/hooks.h"
#include "mainwindow/frmBusyMsg.h"
#include "mainwindow/frmMsg.h"
#include "ui/forms.h"
#include "ui/qt_hooks.h"

using namespace kva;

class MessageWindowsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { ui::InstallQtHooks(); }
  void cleanup() { ui::UnloadAllForms(); }

  void loadingMessage() {
    auto& msg = ui::ShowForm<frmMsg>();
    QCOMPARE(msg.windowTitle(), QString("KVA7710_Eval_Rev_1   Message"));
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
