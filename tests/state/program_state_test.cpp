// SPDX-License-Identifier: GPL-3.0-or-later
// After every window has been shown and every kva7710ctl command has run, on both interfaces,
// a reset leaves the whole ProgramState equal to a fresh program's, record by record.
// The command-line tool's headers before Qt's, whose "signals" macro would eat a member name.
// clang-format off
#include "cli/commands.h"
#include "cli/session.h"
#include <CLI/CLI.hpp>
#include <sstream>
// clang-format on

#include "support/window_rig.h"

using namespace kva;

namespace {

// Every command with arguments that succeed on the simulated board.
// clang-format off
constexpr const char* kBatch[] = {
    "list-adapters", "read SUPPLY_OUT XACCL_OUT AUX_ADC", "write ALM_MAG1 8064", "list", "status",
    "time", "command self-test-on", "watch --count 2 --delay 1", "rate 100", "offsets --x 100",
    "alarm-output on DIO1 high", "alarm 1 X_Acc 5 greater", "alarms", "misc peak-tracking=on",
    "gpio dio0=out", "spi-setup --bits 50 --delay 40", "spi 0200 0000",
    "trigger set --source1 X_Acc --level1 12 --enable 1", "trigger show", "sim shock x 20 5",
    "sim wait 200", "capture --out cap.csv",
    "datalog --signals 1,2 --samples 2 --files 1 --delay 1"};
// clang-format on

void RunBatch(const std::string& interface) {
  ctl::GlobalOptions options;
  options.simulate = true;
  options.interface = interface;
  ctl::Session session(options);
  for (const char* line : kBatch) {
    if (interface == "parallel" && std::string(line).rfind("spi", 0) == 0) continue;
    CLI::App app;
    ctl::CommandRequest request;
    ctl::AddCommands(app, request);
    std::ostringstream out;
    app.parse(line, false);  // a command that fails throws, and the test fails with it
    ctl::RunCommand(session, request, out);
  }
  session.Finish();
}

// How many of the records differ from a fresh program's.
int Changed() {
  const ProgramState fresh;
  const ProgramState& s = State();
  return !(s.settings == fresh.settings) + !(s.delay == fresh.delay) + !(s.hooks == fresh.hooks) +
         !(s.run == fresh.run) + !(s.registers == fresh.registers) + !(s.seams == fresh.seams) +
         !(s.usb == fresh.usb) + !(s.capture == fresh.capture) + !(s.control == fresh.control);
}

}  // namespace

class ProgramStateResetTest : public QObject {
  Q_OBJECT

 private slots:
  void resetUndoesEveryWindowAndCommand() {
    std::optional<kvatest::WindowRig> rig(std::in_place);
    rig->answerModal = [](QWidget& form) { form.close(); };
    rig->StartMainWindow();
    (ui::ShowForm<frmCapDisplay>(), ui::ShowForm<frmCapAnalysis>(), ui::ShowForm<frmCaptConfig>(),
     ui::ShowForm<fmCalibration>(), ui::ShowForm<frmAlarms>(), ui::ShowForm<frmGPIO>(),
     ui::ShowForm<frmManualReg>(), ui::ShowForm<frmMscCtrl>(), ui::ShowForm<frmSampPrd>(),
     ui::ShowForm<frmDatalog>(), ui::ShowForm<frmPort>(), ui::ShowForm<frmBusyMsg>(),
     ui::ShowForm<frmMsg>(), ui::ShowForm<frmSimBoard>(), ui::ShowForm<frmUSBdebug>(),
     ui::ShowForm<frmUSBselect>());
    ui::UnloadAllForms();
    RunBatch("parallel");
    RunBatch("usb");
    SetSimulatedBoardActive(true);
    ui::SetTwipsDpiOverride(120.0);

    // Without this the test would prove nothing: every record was changed.
    QCOMPARE(Changed(), 9);
    ResetProgramState();
    ui::Windows() = {};
    QCOMPARE(Changed(), 0);
    QVERIFY(!ui::Windows().dpiOverride && !ui::Windows().message && !ui::Windows().modal);
  }
};

QTEST_MAIN(ProgramStateResetTest)
#include "program_state_test.moc"
