// The parallel port dialog: address entry, interface choice and the one-time port access step.
#include "hostsetup/frmPort.h"

#include <QtTest>
#include <cerrno>
#include <vector>

#include "app/delay.h"
#include "app/settings.h"
#include "device/port_io.h"
#include "hostsetup/port_access.h"
#include "mainwindow/os_name.h"
#include "support/recording_port_io.h"
#include "ui/forms.h"
#include "ui/qt_hooks.h"

using namespace kva;

namespace {

// Port access requests seen by the host seam; refuses when told to.
struct AccessLog {
  std::vector<uint16_t> requests;
  int refuseWith = 0;
  void Install() {
    SetPortPermissionRequest([this](uint16_t first, uint16_t) {
      requests.push_back(first);
      return PortPermissionAnswer{refuseWith, {}};
    });
  }
};

}  // namespace

class FrmPortTest : public QObject {
  Q_OBJECT

  AccessLog access_;
  kvatest::RecordingPortIo port_;

  frmPort& Dialog() { return ui::ShowForm<frmPort>(); }

  void Ok(const QString& text) {
    auto& d = Dialog();
    d.txtUser->setText(text);
    QTest::mouseClick(d.cmdOK, Qt::LeftButton);
  }

 private slots:
  void initTestCase() {
    ui::InstallQtHooks();
    DelayCalibrated = true;
    DelayLoopCount = 1;
  }
  void init() {
    ResetSettings();
    OsName = "WinXP";
    access_ = {};
    access_.Install();
    port_.events.clear();
    SetPortIo(&port_);
  }
  void cleanup() {
    ui::UnloadAllForms();
    SetPortIo(nullptr);
    ResetPortAccess();
  }

  void controlsAndCaptions() {
    PortAddress = 888;
    auto& d = Dialog();
    QCOMPARE(d.windowTitle(), QString("Parallel Port Setup"));
    QCOMPARE(d.lblSelect->text(), QString("Select the Parallel Port Address"));
    QCOMPARE(d.Label1->text(), QString("Port Address (Hex)"));
    QCOMPARE(d.cmdOK->text(), QString("OK"));
    QCOMPARE(d.cmdCancel->text(), QString("Cancel"));
    QCOMPARE(d.txtUser->text(), QString("378"));  // activation shows the current address
    d.hide();
    PortAddress = -6144;
    Dialog();
    QCOMPARE(d.txtUser->text(), QString("E800"));
    d.txtUser->setText("12345");
    QCOMPARE(d.txtUser->text(), QString("1234"));
  }

  void okSelectsTypedAddressAndGetsAccessOnce() {
    ui::MessageRecorder messages;
    Ok("3bc");
    auto& d = *ui::FindForm<frmPort>();
    QCOMPARE(PortAddress, int16_t(0x3BC));
    QCOMPARE(d.txtUser->text(), QString("3BC"));
    QCOMPARE(InterfaceType, int16_t(1));
    QVERIFY(PortDriverReady);
    QCOMPARE(access_.requests, std::vector<uint16_t>{0x3BC});
    QVERIFY(!d.isVisible());
    // LptInit put the lines idle: data register 0 after the status write.
    QVERIFY(!port_.Writes(0x3BC).empty());
    QCOMPARE(port_.Writes(0x3BC).back(), uint8_t(0));
    QVERIFY(messages.messages().empty());

    // Second OK with the same address: no new access step, no LptInit.
    port_.events.clear();
    Ok("3BC");
    QCOMPARE(access_.requests.size(), size_t(1));
    QVERIFY(port_.events.empty());
    QVERIFY(!d.isVisible());
  }

  void highAddressesAreHeldNegative() {
    Ok("e800");
    QCOMPARE(PortAddress, int16_t(-6144));
    QCOMPARE(ui::FindForm<frmPort>()->txtUser->text(), QString("E800"));
    QCOMPARE(access_.requests, std::vector<uint16_t>{0xE800});
  }

  void nonHexCharactersCountAsZero() {
    Ok("3g8");
    QCOMPARE(PortAddress, int16_t(0x308));
    QCOMPARE(ui::FindForm<frmPort>()->txtUser->text(), QString("308"));
  }

  void emptyTextDoesNothing() {
    PortAddress = 888;
    auto& d = Dialog();
    d.txtUser->clear();
    QTest::mouseClick(d.cmdOK, Qt::LeftButton);
    QVERIFY(d.isVisible());
    QCOMPARE(PortAddress, int16_t(888));
    QCOMPARE(InterfaceType, int16_t(0));
    QVERIFY(access_.requests.empty());
  }

  void cancelChangesNothing() {
    PortAddress = 888;
    auto& d = Dialog();
    d.txtUser->setText("278");
    QTest::mouseClick(d.cmdCancel, Qt::LeftButton);
    QVERIFY(!d.isVisible());
    QCOMPARE(PortAddress, int16_t(888));
    QCOMPARE(InterfaceType, int16_t(0));
    QVERIFY(access_.requests.empty());
  }

  void refusedAccessIsReportedAndTheProgramGoesOn() {
    ui::MessageRecorder messages;
    access_.refuseWith = EPERM;
    Ok("378");
    QCOMPARE(messages.messages().size(), size_t(1));
    QCOMPARE(messages.messages()[0].title, std::string("Error"));
    QVERIFY(messages.messages()[0].text.find("378") != std::string::npos);
    QCOMPARE(InterfaceType, int16_t(1));
    QCOMPARE(PortAddress, int16_t(888));
    QVERIFY(PortDriverReady);
    QVERIFY(!ui::FindForm<frmPort>()->isVisible());
    // The refusal is told once; a second OK goes on quietly.
    Ok("378");
    QCOMPARE(messages.messages().size(), size_t(1));
    QCOMPARE(access_.requests.size(), size_t(1));
  }

  void newAddressGetsItsOwnAccess() {
    Ok("378");
    Ok("278");
    QCOMPARE(access_.requests, (std::vector<uint16_t>{0x378, 0x278}));
    QCOMPARE(port_.Writes(0x278).back(), uint8_t(0));
  }

  void consumerFamilyNeedsNoAccessStep() {
    OsName = "Win98";
    Ok("378");
    QCOMPARE(PortAddress, int16_t(888));
    QCOMPARE(InterfaceType, int16_t(1));
    QVERIFY(!PortDriverReady);
    QVERIFY(access_.requests.empty());
    QVERIFY(port_.events.empty());
    QVERIFY(!ui::FindForm<frmPort>()->isVisible());
  }

  void closedDialogIsLoadedAfresh() {
    auto& first = Dialog();
    QPointer<frmPort> old(&first);
    first.close();
    QVERIFY(ui::FindForm<frmPort>() == nullptr);
    PortAddress = 0x278;
    QCOMPARE(Dialog().txtUser->text(), QString("278"));
  }
};

QTEST_MAIN(FrmPortTest)
#include "frmPort_test.moc"
