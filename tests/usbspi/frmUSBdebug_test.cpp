// SPDX-License-Identifier: GPL-3.0-or-later
// The parallel port dialog, the adapter selection window and debug panel on simulated boards.

#include <cerrno>

#include "device/port_io.h"
#include "sim/ezusb_faults.h"
#include "sim/sim_ezusb_bus.h"
#include "sim/spi_slave.h"
#include "support/recording_port_io.h"
#include "support/ui_window_test.h"

using namespace kva;
using Bytes = std::vector<uint8_t>;

namespace {

// Shifts back the word of the frame before, so readbacks show what was sent.
struct LoopbackSensor : sim::SpiSlave {
  uint16_t PendingAnswer() override { return last; }
  uint16_t Transfer(uint16_t mosi) override { return std::exchange(last, mosi); }
  uint16_t last = 0;
};

QString Bits(const frmUSBdebug& w) {
  QString bits;
  for (int k = 2; k <= 5; ++k) bits += w.chkStaticBits[k]->isChecked() ? QString::number(k) : "";
  return bits;
}

// Packets in hex, a space between bytes and '|' between packets.
QString Hex(const std::vector<Bytes>& packets) {
  QStringList hex;
  for (const Bytes& b : packets)
    hex << QByteArray(reinterpret_cast<const char*>(b.data()), qsizetype(b.size())).toHex(' ');
  return hex.join('|');
}

QString Texts(std::initializer_list<QLineEdit*> boxes) {
  QStringList texts;
  for (QLineEdit* box : boxes) texts << box->text();
  return texts.join('|');
}

}  // namespace

class FrmUsbDebugTest : public QObject {
  Q_OBJECT

  LoopbackSensor sensor_;
  std::unique_ptr<sim::SimEzUsbBus> bus_;
  std::unique_ptr<sim::FaultyEzUsbDriver> faults_;
  std::vector<uint16_t> requests_;  // port access asked of the host
  int refuseWith_ = 0;
  kvatest::RecordingPortIo port_;

  frmPort& Ok(const QString& text) {
    auto& d = ui::ShowForm<frmPort>();
    d.txtUser->setText(text);
    QTest::mouseClick(d.cmdOK, Qt::LeftButton);
    return d;
  }

  // The panel on the board of slot 0, its start-up traffic forgotten.
  frmUSBdebug& Panel() {
    auto& w = ui::ShowForm<frmUSBdebug>();
    bus_->ClearLog();
    return w;
  }
  const std::vector<Bytes>& Packets() const { return bus_->Packets(0); }
  QString Last() const { return Hex({bus_->Packets(0).back()}); }

  // One slot's row: "on" or "off" for its option, then descriptor, revision and speed.
  static QString Row(frmUSBselect& w, int n) {
    return (w.optUsbPort[n]->isEnabled() ? "on|" : "off|") +
           Texts({w.txtDescript0[n], w.txtDriverRev[n], w.txtSpeed[n]});
  }

 private slots:
  void init() {
    kvatest::PrepareWindowTests();
    bus_ = std::make_unique<sim::SimEzUsbBus>(sensor_);
    faults_ = std::make_unique<sim::FaultyEzUsbDriver>(*bus_);
    SetEzUsbDriver(faults_.get());
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
  void cleanup() {
    kvatest::EndWindowTest();
    SetEzUsbDriver(nullptr);
    faults_.reset();
    bus_.reset();
  }

  void slotListAndTheBoardsSetupOnActivation() {
    ui::MessageRecorder messages;
    bus_->Attach(2, {.productId = kBirchProductId, .descriptor2 = "SECOND"});
    State().usb.SpiChannel = 3;
    State().usb.SpiInputPolarity = false;
    auto& w = ui::ShowForm<frmUSBdebug>();
    QVERIFY(messages.messages().empty());
    QCOMPARE(Texts({w.txtUsbPort[0], w.txtDescript0[0], w.txtDescript1[0], w.txtDriverRev[0],
                    w.txtSpeed[0], w.txtUsbPort[1], w.txtDescript0[1], w.txtUsbPort[2],
                    w.txtDescript1[2]}),
             QString("ALDER - 0|KVA7710 USB-SPI Adapter|SIMULATED|2.3|2.0|None||BIRCH - 2|SECOND"));
    QVERIFY(w.optUsbPort[0]->isChecked() && w.optUsbPort[2]->isEnabled() &&
            !w.optUsbPort[1]->isEnabled() && w.frameSPIsetup->isEnabled() &&
            w.optSpiChan[3]->isChecked());
    // The search's revision request, the settings sent on the choice, what the board holds.
    QCOMPARE(Hex(Packets()), QString("00|0c 78|0b 19|01|01"));
    QCOMPARE(w.cmdPolarity->text() + w.txtLoopDelay->text() + Bits(w), QString("Neg252345"));
    bus_->Firmware(0).staticBits = 0x10;
    w.cmdReadBits->click();
    QCOMPARE(Bits(w), QString("3"));
  }

  void setupControlsSendTheirPackets() {
    auto& w = Panel();
    for (int k = 2; k <= 5; ++k) w.chkStaticBits[k]->setChecked(k == 3 || k == 5);
    w.cmdSetSpiBits->click();
    QCOMPARE(Last(), QString("0c 50"));
    QStringList delays;  // typed, then shown and sent
    for (const char* typed : {"300", "0", "12.5"}) {
      w.txtLoopDelay->setText(typed);
      QTest::keyClick(w.txtLoopDelay, Qt::Key_Return);
      delays << w.txtLoopDelay->text() + " " + Last();
    }
    QCOMPARE(delays, QStringList({"255 0b ff", "1 0b 01", "12 0b 0c"}));
    QStringList polarity;  // the next exchange's command; nothing is sent on a change
    for (int i = 0; i < 2; ++i) {
      const size_t sent = Packets().size();
      w.cmdPolarity->click();
      polarity << w.cmdPolarity->text() + QString::number(Packets().size() - sent);
      w.cmdWriteSpi->click();
      polarity << Last().left(2);
    }
    QCOMPARE(polarity, QStringList({"Neg0", "0e", "Pos0", "0d"}));
  }

  void manualFrameWordsCountsAndReadback() {
    auto& w = Panel();
    w.txtNumWords->setText("2");
    w.txtWriteSpi[1]->setText("8000");
    w.txtWriteSpi[3]->setText("77");
    w.txtReadSpi[5]->setText("DEAD");
    w.cmdWriteSpi->click();
    QCOMPARE(Last(), QString("0d 01 02 80 00 00 00"));
    QCOMPARE(Texts({w.txtWriteSpi[1], w.txtWriteSpi[2], w.txtWriteSpi[3], w.txtReadSpi[5]}),
             QString("8000|0||"));
    // The loopback answers each word with the one before (the previous exchange's last first).
    w.txtWriteSpi[1]->setText("00ab");
    w.txtWriteSpi[2]->setText("C");
    w.cmdWriteSpi->click();
    QCOMPARE(Texts({w.txtWriteSpi[1], w.txtWriteSpi[2], w.txtReadSpi[1], w.txtReadSpi[2]}),
             QString("AB|C|0|AB"));
    QStringList counts;  // typed, shown and sent (5 bytes of packet and 2 per word)
    for (const char* typed : {"20", "0", "", "3.5"}) {
      w.txtNumWords->setText(typed);
      w.cmdWriteSpi->click();
      counts << w.txtNumWords->text() + "=" + QString::number(Packets().back().size());
    }
    QCOMPARE(counts, QStringList({"16=35", "1=5", "1=5", "4=11"}));
    // Another channel reads the idle line; register access goes back to channel 1.
    w.optSpiChan[3]->click();
    w.cmdWriteSpi->click();
    QCOMPARE(Last().mid(3, 2) + w.txtReadSpi[1]->text(), QString("03FFFF"));
    State().settings.InterfaceType = Interface::Usb;
    ReadRegister(SUPPLY_OUT);
    QCOMPARE(Last(), QString("0d 01 02 02 00 00 00"));
  }

  void loopRunsUntilStopAndAFailedExchangeSwitchesToNone() {
    ui::MessageRecorder messages;
    auto& w = Panel();
    w.txtWriteSpi[1]->setText("1234");
    int yields = 0;
    std::function<void()> atThirdYield = [&] { w.cmdLoop->click(); };
    SetYieldHandler([&] {
      if (++yields == 3) atThirdYield();
      if (yields == 50) State().settings.DebugLoopStop = true;  // a missed stop must not hang
      QCoreApplication::processEvents();
    });
    w.cmdLoop->click();  // the write, then one exchange per yield until the Stop click
    QCOMPARE(QString::number(Packets().size()) + w.cmdLoop->text() + w.txtReadSpi[1]->text(),
             QString("4Loop1234"));
    yields = 0;
    atThirdYield = [&] { w.close(); };  // ends the loop: no exchanges behind a hidden window
    w.cmdLoop->click();
    QVERIFY(yields == 3 && State().settings.DebugLoopStop && w.cmdLoop->text() == "Loop");
    ui::ShowForm<frmUSBdebug>();

    // The next loop's third exchange cannot read its answer; the last good words stay shown.
    yields = -100;
    faults_->ClearFaults();
    faults_->FailCodeOccurrence(kEzUsbBulkRead, 3);
    w.txtWriteSpi[1]->setText("5678");
    w.cmdLoop->click();
    QVERIFY(yields == -100 + 2 &&
            messages.texts() == std::vector<std::string>{"Error Reading SPI"});
    QVERIFY(w.optUsbPort[4]->isChecked() && !State().usb.UsbReady && !w.frameManual->isEnabled() &&
            !w.frameSPIsetup->isEnabled());
    QCOMPARE(w.cmdLoop->text() + w.txtReadSpi[1]->text(), QString("Loop5678"));

    // Without an adapter every handler that needs one says so.
    messages.clear();
    w.cmdWriteSpi_Click();
    w.cmdSetSpiBits_Click();
    w.txtLoopDelay_KeyDown(13);
    QCOMPARE(messages.texts(), std::vector<std::string>(3, "Please Select a Buffer first"));
  }

  // The rows, the choice (sent its settings, keeping the search index), "None", a new search;
  // modally, Debug opens the panel modally, the close box is OK and each showing searches again.
  void selectionRowsChoicesAndModalShowing() {
    ui::MessageRecorder messages;
    bus_->Attach(
        2, {.descriptor1 = "Second board", .revisionMajor = 1, .revisionMinor = 0, .usb2 = false});
    auto& w = ui::ShowForm<frmUSBselect>();
    QVERIFY(w.optUsbPort[0]->isChecked());
    QCOMPARE(Row(w, 1) + Row(w, 2), QString("off|||on|Second board|1.0|1.1"));
    bus_->ClearLog();
    QTest::mouseClick(w.optUsbPort[2], Qt::LeftButton);
    QCOMPARE(State().usb.CurrentUsbAdapter.DeviceName + std::to_string(State().usb.UsbPortIndex),
             std::string("Ezusb-20"));
    QVERIFY(State().usb.UsbReady && bus_->Packets(0).empty());
    QCOMPARE(Hex(bus_->Packets(2)), QString("0b 19|0c 78"));
    QTest::mouseClick(w.optUsbPort[4], Qt::LeftButton);
    QVERIFY(!State().usb.UsbReady);
    QTest::mouseClick(w.cmdFindEzUsb, Qt::LeftButton);
    QVERIFY(State().usb.UsbReady && w.optUsbPort[0]->isChecked() && messages.messages().empty());

    w.close();
    QCOMPARE(ui::FindForm<frmUSBselect>(), &w);
    std::vector<QString> shown;
    ui::SetModalHook([&](QWidget& form) {
      shown.push_back(form.windowTitle());
      if (auto* panel = qobject_cast<frmUSBdebug*>(&form)) panel->close();
      if (&form == &w) w.cmdDebugUsb->click(), QTest::mouseClick(w.cmdExit, Qt::LeftButton);
    });
    bus_->RemoveAll();
    bus_->Attach(3);
    QCOMPARE(&ui::ShowForm<frmUSBselect>(ui::ShowMode::Modal), &w);
    QVERIFY(!w.isVisible() && !ui::FindForm<frmUSBdebug>()->isVisible());
    QCOMPARE(shown, (std::vector<QString>{"USB SPI Card Selection", "USB SPI Card Setup"}));
    QCOMPARE(State().usb.UsbPortIndex, int16_t(3));
    QCOMPARE(Row(w, 0) + Row(w, 3), QString("off|||on|KVA7710 USB-SPI Adapter|2.3|2.0"));
  }

  void theAddressShownInHex() {
    State().settings.PortAddress = 888;
    auto& d = ui::ShowForm<frmPort>();
    const QString shown = d.txtUser->text();
    d.txtUser->setText("12345");
    QCOMPARE(shown + d.txtUser->text(), QString("3781234"));
  }

  // Once per address: access, the lines put idle (data register 0 last), a refusal said.
  void okTakesTheAddressAndGetsAccessOncePerAddress() {
    ui::MessageRecorder messages;
    // clang-format off
    const struct { const char* typed; int16_t address; const char* shown; } cases[] = {
        {"3bc", 0x3BC, "3BC"}, {"e800", -6144, "E800"}, {"3g8", 0x308, "308"}};
    // clang-format on
    for (const auto& c : cases) {
      auto& d = Ok(c.typed);
      QCOMPARE(d.txtUser->text() + QString::number(State().settings.PortAddress),
               c.shown + QString::number(c.address));
      QVERIFY(State().settings.PortDriverReady && !d.isVisible() &&
              State().settings.InterfaceType == Interface::Parallel &&
              requests_.back() == uint16_t(c.address) &&
              port_.Writes(uint16_t(c.address)).back() == 0);
    }
    port_.events.clear();
    Ok("308");
    QVERIFY(requests_.size() == 3 && port_.events.empty() && messages.messages().empty());

    refuseWith_ = EPERM;
    for (int i = 0; i < 2; ++i) Ok("378");
    QVERIFY(messages.messages().size() == 1 && messages.messages()[0].title == "Error");
    QVERIFY(State().settings.PortDriverReady && !ui::FindForm<frmPort>()->isVisible());
  }
};

QTEST_MAIN(FrmUsbDebugTest)
#include "frmUSBdebug_test.moc"
