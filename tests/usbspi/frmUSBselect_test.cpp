// The adapter selection window over simulated boards: rows per slot, the automatic selection
// and the user's choices.
#include "usbspi/frmUSBselect.h"

#include <QtTest>
#include <algorithm>
#include <vector>

#include "app/delay.h"
#include "app/settings.h"
#include "sim/sim_ezusb_bus.h"
#include "sim/spi_slave.h"
#include "ui/forms.h"
#include "ui/qt_hooks.h"
#include "usbspi/usb_adapter.h"

using namespace kva;

namespace {

class QuietSensor : public sim::SpiSlave {
 public:
  uint16_t PendingAnswer() override { return 0; }
  uint16_t Transfer(uint16_t) override { return 0; }
};

// The command bytes a board received, in order.
std::vector<uint8_t> Commands(const sim::SimEzUsbBus& bus, int slot) {
  std::vector<uint8_t> out;
  for (const auto& packet : bus.Packets(slot)) out.push_back(packet.empty() ? 0xFF : packet[0]);
  return out;
}

bool Received(const sim::SimEzUsbBus& bus, int slot, std::vector<uint8_t> packetStart) {
  for (const auto& p : bus.Packets(slot)) {
    if (p.size() >= packetStart.size() && std::equal(packetStart.begin(), packetStart.end(), p.begin())) {
      return true;
    }
  }
  return false;
}

}  // namespace

class FrmUsbSelectTest : public QObject {
  Q_OBJECT

  QuietSensor sensor_;
  sim::SimEzUsbBus* bus_ = nullptr;

  frmUSBselect& Window() { return ui::ShowForm<frmUSBselect>(); }

  void ExpectEmptyDisabledRow(frmUSBselect& w, int n) {
    QVERIFY2(!w.optUsbPort[n]->isEnabled(), qPrintable(QString("slot %1").arg(n)));
    QVERIFY(w.txtDescript0[n]->text().isEmpty());
    QVERIFY(w.txtDriverRev[n]->text().isEmpty());
    QVERIFY(w.txtSpeed[n]->text().isEmpty());
  }

 private slots:
  void initTestCase() {
    ui::InstallQtHooks();
    DelayCalibrated = true;
    DelayLoopCount = 1;
  }
  void init() {
    ResetSettings();
    ResetUsbAdapter();
    bus_ = new sim::SimEzUsbBus(sensor_);
    bus_->RemoveAll();
    SetEzUsbDriver(bus_);
  }
  void cleanup() {
    ui::UnloadAllForms();
    SetEzUsbDriver(nullptr);
    delete bus_;
    bus_ = nullptr;
  }

  void captionsAndControls() {
    ui::MessageRecorder messages;
    auto& w = Window();
    QCOMPARE(w.windowTitle(), QString("USB SPI Card Selection"));
    QCOMPARE(w.frameBufferSetup->title(), QString("Buffer Select"));
    const QStringList options{"EzUsb0", "EzUsb1", "EzUsb2", "EzUsb3", "None"};
    for (int n = 0; n < 5; ++n) QCOMPARE(w.optUsbPort[n]->text(), options[n]);
    QCOMPARE(w.Label3->text(), QString("Descriptor0"));
    QCOMPARE(w.Label6->text(), QString("Rev"));
    QCOMPARE(w.Label7->text(), QString("Speed"));
    QCOMPARE(w.cmdFindEzUsb->text(), QString("Search"));
    QCOMPARE(w.cmdDebugUsb->text(), QString("Debug"));
    QVERIFY(!w.cmdDebugUsb->isEnabled());
    QCOMPARE(w.cmdExit->text(), QString("OK"));
  }

  void oneBoardOnSlot1IsFoundAndSelected() {
    ui::MessageRecorder messages;
    bus_->Attach(1);
    SpiWordDelay = 40;
    SpiStaticBits = 0x70;
    auto& w = Window();
    QVERIFY(messages.messages().empty());
    QVERIFY(w.optUsbPort[1]->isEnabled());
    QVERIFY(w.optUsbPort[1]->isChecked());
    QCOMPARE(w.txtDescript0[1]->text(), QString("KVA7710 USB-SPI Adapter"));
    QCOMPARE(w.txtDriverRev[1]->text(), QString("2.3"));
    QCOMPARE(w.txtSpeed[1]->text(), QString("2.0"));
    for (int n : {0, 2, 3}) ExpectEmptyDisabledRow(w, n);
    QVERIFY(UsbReady);
    QCOMPARE(UsbPortIndex, int16_t(1));
    QCOMPARE(CurrentUsbAdapter.DeviceName, std::string("Ezusb-1"));
    // The selection sent the current settings to the board, delay first.
    QVERIFY(Received(*bus_, 1, {kCmdSetWordDelay, 40}));
    QVERIFY(Received(*bus_, 1, {kCmdSetStaticBits, 0x70}));
    const auto cmds = Commands(*bus_, 1);
    const auto delayAt = std::find(cmds.begin(), cmds.end(), kCmdSetWordDelay);
    QVERIFY(std::find(delayAt, cmds.end(), kCmdSetStaticBits) != cmds.end());
  }

  void noBoardSelectsNone() {
    ui::MessageRecorder messages;
    DebugLoopStop = false;
    auto& w = Window();
    QCOMPARE(messages.texts(),
             std::vector<std::string>{"No USB Buffers Found, Please Verify Setup and Restart"});
    for (int n = 0; n < 4; ++n) ExpectEmptyDisabledRow(w, n);
    QVERIFY(w.optUsbPort[4]->isChecked());
    QVERIFY(!UsbReady);
    QVERIFY(DebugLoopStop);
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
    QCOMPARE(w.txtDriverRev[2]->text(), QString("1.0"));
    QCOMPARE(w.txtSpeed[2]->text(), QString("1.1"));
    bus_->ClearLog();

    QTest::mouseClick(w.optUsbPort[2], Qt::LeftButton);
    QVERIFY(w.optUsbPort[2]->isChecked());
    QCOMPARE(CurrentUsbAdapter.DeviceName, std::string("Ezusb-2"));
    QCOMPARE(CurrentUsbAdapter.Descript0, std::string("Second board"));
    QCOMPARE(UsbPortIndex, int16_t(0));
    QVERIFY(UsbReady);
    QVERIFY(Received(*bus_, 2, {kCmdSetWordDelay, SpiWordDelay}));
    QVERIFY(Received(*bus_, 2, {kCmdSetStaticBits, SpiStaticBits}));
    QVERIFY(bus_->Packets(0).empty());

    // "None" gives the adapter up; a new search selects the first board again.
    QTest::mouseClick(w.optUsbPort[4], Qt::LeftButton);
    QVERIFY(!UsbReady);
    QTest::mouseClick(w.cmdFindEzUsb, Qt::LeftButton);
    QVERIFY(UsbReady);
    QVERIFY(w.optUsbPort[0]->isChecked());
    QCOMPARE(CurrentUsbAdapter.DeviceName, std::string("Ezusb-0"));
  }

  void boardWithoutInformationStaysDisabled() {
    ui::MessageRecorder messages;
    sim::SimEzUsbBoard mute;
    mute.descriptor1 = std::nullopt;
    bus_->Attach(0, mute);
    bus_->Attach(3);
    auto& w = Window();
    QVERIFY(!messages.messages().empty());
    ExpectEmptyDisabledRow(w, 0);
    QVERIFY(w.optUsbPort[3]->isChecked());
    QCOMPARE(UsbPortIndex, int16_t(3));
  }

  void closeBoxHidesLikeOk() {
    ui::MessageRecorder messages;
    bus_->Attach(0);
    auto& w = Window();
    w.close();
    QVERIFY(!w.isVisible());
    QCOMPARE(ui::FindForm<frmUSBselect>(), &w);
    QTest::mouseClick(Window().cmdExit, Qt::LeftButton);
    QVERIFY(!w.isVisible());
    QCOMPARE(ui::FindForm<frmUSBselect>(), &w);
  }

  void everyShowingSearchesAgain() {
    ui::MessageRecorder messages;
    bus_->Attach(0);
    ui::SetModalHook([](QWidget& form) {
      auto& w = static_cast<frmUSBselect&>(form);
      QTest::mouseClick(w.cmdExit, Qt::LeftButton);
    });
    ui::ShowForm<frmUSBselect>(ui::ShowMode::Modal);
    QVERIFY(UsbReady);
    bus_->RemoveAll();
    bus_->Attach(3);
    auto& w = ui::ShowForm<frmUSBselect>(ui::ShowMode::Modal);
    ui::SetModalHook(nullptr);
    QVERIFY(!w.isVisible());
    QCOMPARE(UsbPortIndex, int16_t(3));
    ExpectEmptyDisabledRow(w, 0);
    QCOMPARE(w.txtDescript0[3]->text(), QString("KVA7710 USB-SPI Adapter"));
  }
};

QTEST_MAIN(FrmUsbSelectTest)
#include "frmUSBselect_test.moc"
