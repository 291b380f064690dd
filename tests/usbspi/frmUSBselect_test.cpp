// The adapter selection window over simulated boards: rows per slot, the automatic selection
// and the user's choices.
#include "usbspi/frmUSBselect.h"

#include <QtTest>
#include <algorithm>
#include <memory>
#include <vector>

#include "app/settings.h"
#include "sim/sim_ezusb_bus.h"
#include "sim/spi_slave.h"
#include "support/ui_window_test.h"
#include "ui/forms.h"
#include "usbspi/usb_adapter.h"

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
  void initTestCase() { kvatest::PrepareWindowTests(); }
  void init() {
    ResetSettings();
    ResetUsbAdapter();
    bus_ = std::make_unique<sim::SimEzUsbBus>(sensor_);
    bus_->RemoveAll();
    SetEzUsbDriver(bus_.get());
  }
  void cleanup() {
    ui::UnloadAllForms();
    ui::SetModalHook(nullptr);
    SetEzUsbDriver(nullptr);
    bus_.reset();
  }

  void oneBoardOnSlot1IsFoundAndSelected() {
    ui::MessageRecorder messages;
    bus_->Attach(1);
    SpiWordDelay = 40;
    SpiStaticBits = 0x70;
    auto& w = Window();
    QCOMPARE(w.windowTitle(), QString("USB SPI Card Selection"));
    QCOMPARE(w.frameBufferSetup->title(), QString("Buffer Select"));
    QStringList captions;
    for (auto* option : w.optUsbPort) captions << option->text();
    QCOMPARE(captions, QStringList({"EzUsb0", "EzUsb1", "EzUsb2", "EzUsb3", "None"}));
    QVERIFY(!w.cmdDebugUsb->isEnabled());

    QVERIFY(messages.messages().empty());
    QVERIFY(w.optUsbPort[1]->isChecked());
    QCOMPARE(Row(w, 1), QString("on|KVA7710 USB-SPI Adapter|2.3|2.0"));
    for (int n : {0, 2, 3}) QCOMPARE(Row(w, n), QString("off|||"));
    QVERIFY(UsbReady);
    QCOMPARE(UsbPortIndex, int16_t(1));
    QCOMPARE(CurrentUsbAdapter.DeviceName, std::string("Ezusb-1"));
    // The selection sent the current settings to the board, delay first.
    const int delayAt = PacketAt(*bus_, 1, {kCmdSetWordDelay, 40});
    QVERIFY(delayAt >= 0);
    QVERIFY(PacketAt(*bus_, 1, {kCmdSetStaticBits, 0x70}) > delayAt);
  }

  void noBoardSelectsNoneAndABoardWithoutInformationStaysDisabled() {
    ui::MessageRecorder messages;
    DebugLoopStop = false;
    auto& w = Window();
    QCOMPARE(messages.texts(),
             std::vector<std::string>{"No USB Buffers Found, Please Verify Setup and Restart"});
    for (int n = 0; n < 4; ++n) QCOMPARE(Row(w, n), QString("off|||"));
    QVERIFY(w.optUsbPort[4]->isChecked());
    QVERIFY(!UsbReady);
    QVERIFY(DebugLoopStop);

    sim::SimEzUsbBoard mute;
    mute.descriptor1 = std::nullopt;
    bus_->Attach(0, mute);
    bus_->Attach(3);
    messages.clear();
    QTest::mouseClick(w.cmdFindEzUsb, Qt::LeftButton);
    QCOMPARE(messages.texts(), std::vector<std::string>{"Error getting Board Info"});
    QCOMPARE(Row(w, 0), QString("off|||"));
    QVERIFY(w.optUsbPort[3]->isChecked());
    QCOMPARE(UsbPortIndex, int16_t(3));
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
    QCOMPARE(CurrentUsbAdapter.DeviceName, std::string("Ezusb-2"));
    QCOMPARE(UsbPortIndex, int16_t(0));
    QVERIFY(UsbReady);
    QVERIFY(PacketAt(*bus_, 2, {kCmdSetWordDelay, SpiWordDelay}) >= 0);
    QVERIFY(PacketAt(*bus_, 2, {kCmdSetStaticBits, SpiStaticBits}) >= 0);
    QVERIFY(bus_->Packets(0).empty());

    // "None" gives the adapter up; a new search selects the first board again.
    QTest::mouseClick(w.optUsbPort[4], Qt::LeftButton);
    QVERIFY(!UsbReady);
    QTest::mouseClick(w.cmdFindEzUsb, Qt::LeftButton);
    QVERIFY(UsbReady);
    QVERIFY(w.optUsbPort[0]->isChecked());
    QCOMPARE(CurrentUsbAdapter.DeviceName, std::string("Ezusb-0"));
  }

  void closeBoxHidesLikeOkAndEveryShowingSearchesAgain() {
    ui::MessageRecorder messages;
    bus_->Attach(0);
    auto& w = Window();
    w.close();
    QVERIFY(!w.isVisible());
    QCOMPARE(ui::FindForm<frmUSBselect>(), &w);

    ui::SetModalHook([](QWidget& form) {
      QTest::mouseClick(static_cast<frmUSBselect&>(form).cmdExit, Qt::LeftButton);
    });
    bus_->RemoveAll();
    bus_->Attach(3);
    QCOMPARE(&ui::ShowForm<frmUSBselect>(ui::ShowMode::Modal), &w);
    QVERIFY(!w.isVisible());
    QCOMPARE(UsbPortIndex, int16_t(3));
    QCOMPARE(Row(w, 0), QString("off|||"));
    QCOMPARE(Row(w, 3), QString("on|KVA7710 USB-SPI Adapter|2.3|2.0"));
  }
};

QTEST_MAIN(FrmUsbSelectTest)
#include "frmUSBselect_test.moc"
