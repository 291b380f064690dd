// SPDX-License-Identifier: GPL-3.0-or-later
// The parallel port dialog: address entry, interface choice and the one-time port access step.

#include <cerrno>

#include "device/port_io.h"
#include "mainwindow/os_name.h"
#include "support/recording_port_io.h"
#include "support/ui_window_test.h"

using namespace kva;

class FrmPortTest : public QObject {
  Q_OBJECT

  std::vector<uint16_t> requests_;  // port access asked of the host
  int refuseWith_ = 0;
  kvatest::RecordingPortIo port_;

  frmPort& Dialog() { return ui::ShowForm<frmPort>(); }

  frmPort& Ok(const QString& text) {
    auto& d = Dialog();
    d.txtUser->setText(text);
    QTest::mouseClick(d.cmdOK, Qt::LeftButton);
    return d;
  }

 private slots:
  void init() {
    kvatest::PrepareWindowTests();
    State().control.OsName = "WinXP";
    requests_.clear();
    refuseWith_ = 0;
    SetPortPermissionRequest([this](uint16_t first, uint16_t) {
      requests_.push_back(first);
      return PortPermissionAnswer{refuseWith_, {}};
    });
    port_.events.clear();
    SetPortIo(&port_);
  }
  void cleanup() { kvatest::EndWindowTest(); }

  // Activation shows the current address; four hex digits at most.
  void theAddressShownInHex() {
    State().settings.PortAddress = 888;
    auto& d = Dialog();
    const QString shown = d.txtUser->text();
    d.txtUser->setText("12345");
    QCOMPARE(shown + d.txtUser->text(), QString("3781234"));
  }

  // The access step itself is the port access's test; here, once per address, the lines put
  // idle (data register 0 last), and a refusal said once per address.
  void okTakesTheAddressAndGetsAccessOncePerAddress() {
    ui::MessageRecorder messages;
    // clang-format off
    const struct { const char* typed; int16_t address; const char* shown; } cases[] = {
        {"3bc", 0x3BC, "3BC"}, {"e800", -6144, "E800"}, {"3g8", 0x308, "308"}};
    // clang-format on
    for (const auto& c : cases) {
      auto& d = Ok(c.typed);
      QCOMPARE(State().settings.PortAddress, c.address);
      QCOMPARE(d.txtUser->text(), QString(c.shown));
      QVERIFY(State().settings.PortDriverReady &&
              State().settings.InterfaceType == Interface::Parallel && !d.isVisible());
      QCOMPARE(requests_.back(), uint16_t(c.address));
      QCOMPARE(port_.Writes(uint16_t(c.address)).back(), uint8_t(0));
    }
    port_.events.clear();
    Ok("308");
    QVERIFY(requests_.size() == 3 && port_.events.empty() && messages.messages().empty());

    refuseWith_ = EPERM;
    Ok("378");
    Ok("378");
    QCOMPARE(messages.messages().size(), size_t(1));
    QCOMPARE(messages.messages()[0].title, std::string("Error"));
    QVERIFY(State().settings.PortDriverReady && !ui::FindForm<frmPort>()->isVisible());
  }
};

QTEST_MAIN(FrmPortTest)
#include "frmPort_test.moc"
