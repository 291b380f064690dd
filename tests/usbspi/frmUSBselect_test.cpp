// SPDX-License-Identifier: GPL-3.0-or-later
// The adapter selection window over simulated boards: rows per slot, the automatic selection
// and the user's choices.
#include "usbspi/frmUSBselect.h"

#include <QtTest>
#include <algorithm>
#include <memory>
#include <vector>

#include "sim/sim_ezusb_bus.h"
#include "sim/spi_slave.h"
#include "support/ui_window_test.h"

using namespace kva;

namespace {

class QuietSensor : public sim::SpiSlave {
 public:
  uint16_t PendingAnswer() override { return 0; }
  uint16_t Transfer(uint16_t) override { return 0; }
};

// Where the first packet a board received that starts with these bytes is; -1 when none.
int PacketAt(const sim::SimEzUsbBus& bus, int slot, std::vector<uint8_t> start) {
  const auto& packets = bus.Packets(slot);
  const auto at = std::find_if(packets.begin(), packets.end(), [&](const auto& p) {
    return p.size() >= start.size() && std::equal(start.begin(), start.end(), p.begin());
  });
  return at == packets.end() ? -1 : static_cast<int>(at - packets.begin());
}

// Whether a board received these settings, the word delay first.
bool SettingsSent(const sim::SimEzUsbBus& bus, int slot, uint8_t delay, uint8_t bits) {
  const int delayAt = PacketAt(bus, slot, {kCmdSetWordDelay, delay});
  return delayAt >= 0 && PacketAt(bus, slot, {kCmdSetStaticBits, bits}) > delayAt;
}

}  // namespace

class FrmUsbSelectTest : public QObject {
  Q_OBJECT

  QuietSensor sensor_;
  std::unique_ptr<sim::SimEzUsbBus> bus_;

  frmUSBselect& Window() { return ui::ShowForm<frmUSBselect>(); }

  // One slot's row: "on" or "off" for its option, then descriptor, revision and speed.
  static QString Row(frmUSBselect& w, int n) {
    return QStringList({w.optUsbPort[n]->isEnabled() ? "on" : "off", w.txtDescript0[n]->text(),
                        w.txtDriverRev[n]->text(), w.txtSpeed[n]->text()})
        .join('|');
  }

 private slots:
  void init() {
    kvatest::PrepareWindowTests();
    bus_ = std::make_unique<sim::SimEzUsbBus>(sensor_);
    bus_->RemoveAll();
    SetEzUsbDriver(bus_.get());
  }
  void cleanup() {
    kvatest::EndWindowTest();
    SetEzUsbDriver(nullptr);
    bus_.reset();
  }

  void oneBoardOnSlot1IsFoundAndSelected() {
    ui::MessageRecorder messages;
    bus_->Attach(1);
    State().usb.SpiWordDelay = 40;
    State().usb.SpiStaticBits = 0x70;
    auto& w = Window();
    QVERIFY(messages.messages().empty());
    QVERIFY(w.optUsbPort[1]->isChecked() && State().usb.UsbReady);
    QCOMPARE(Row(w, 1), QString("on|KVA7710 USB-SPI Adapter|2.3|2.0"));
    QCOMPARE(Row(w, 0), QString("off|||"));
    QCOMPARE(State().usb.UsbPortIndex, int16_t(1));
    QCOMPARE(State().usb.CurrentUsbAdapter.DeviceName, std::string("Ezusb-1"));
    QVERIFY(SettingsSent(*bus_, 1, 40, 0x70));
  }

  void noBoardSelectsNoneAndABoardWithoutInformationStaysDisabled() {
    ui::MessageRecorder messages;
    State().settings.DebugLoopStop = false;
    auto& w = Window();
    QCOMPARE(messages.texts(),
             std::vector<std::string>{"No USB Buffers Found, Please Verify Setup and Restart"});
    QCOMPARE(Row(w, 2), QString("off|||"));
    QVERIFY(w.optUsbPort[4]->isChecked() && !State().usb.UsbReady &&
            State().settings.DebugLoopStop);

    sim::SimEzUsbBoard mute;
    mute.descriptor1 = std::nullopt;
    bus_->Attach(0, mute);
    bus_->Attach(3);
    messages.clear();
    QTest::mouseClick(w.cmdFindEzUsb, Qt::LeftButton);
    QCOMPARE(messages.texts(), std::vector<std::string>{"Error getting Board Info"});
    QCOMPARE(Row(w, 0), QString("off|||"));
    QVERIFY(w.optUsbPort[3]->isChecked());
  }

  void choosingAnotherBoardKeepsTheSearchIndex() {
    ui::MessageRecorder messages;
    bus_->Attach(0);
    sim::SimEzUsbBoard slow;
    slow.revisionMajor = 1;
    slow.revisionMinor = 0;
    slow.usb2 = false;
    slow.descriptor1 = "Second board";
    bus_->Attach(2, slow);
    auto& w = Window();
    QVERIFY(w.optUsbPort[0]->isChecked());
    QCOMPARE(Row(w, 2), QString("on|Second board|1.0|1.1"));
    bus_->ClearLog();

    QTest::mouseClick(w.optUsbPort[2], Qt::LeftButton);
    QCOMPARE(State().usb.CurrentUsbAdapter.DeviceName, std::string("Ezusb-2"));
    QCOMPARE(State().usb.UsbPortIndex, int16_t(0));
    QVERIFY(State().usb.UsbReady && bus_->Packets(0).empty());
    QVERIFY(SettingsSent(*bus_, 2, State().usb.SpiWordDelay, State().usb.SpiStaticBits));

    // "None" gives the adapter up; a new search selects the first board again.
    QTest::mouseClick(w.optUsbPort[4], Qt::LeftButton);
    QVERIFY(!State().usb.UsbReady);
    QTest::mouseClick(w.cmdFindEzUsb, Qt::LeftButton);
    QVERIFY(State().usb.UsbReady && w.optUsbPort[0]->isChecked());
    QCOMPARE(State().usb.CurrentUsbAdapter.DeviceName, std::string("Ezusb-0"));
  }

  void closeBoxHidesLikeOkAndEveryShowingSearchesAgain() {
    ui::MessageRecorder messages;
    bus_->Attach(0);
    auto& w = Window();
    w.close();
    QCOMPARE(ui::FindForm<frmUSBselect>(), &w);

    ui::SetModalHook([](QWidget& form) {
      QTest::mouseClick(static_cast<frmUSBselect&>(form).cmdExit, Qt::LeftButton);
    });
    bus_->RemoveAll();
    bus_->Attach(3);
    QCOMPARE(&ui::ShowForm<frmUSBselect>(ui::ShowMode::Modal), &w);
    QVERIFY(!w.isVisible());
    QCOMPARE(State().usb.UsbPortIndex, int16_t(3));
    QCOMPARE(Row(w, 0) + Row(w, 3), QString("off|||on|KVA7710 USB-SPI Adapter|2.3|2.0"));
  }
};

QTEST_MAIN(FrmUsbSelectTest)
#include "frmUSBselect_test.moc"
