// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/desktop_program.h"

#include <QApplication>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QStyleFactory>
#include <QWindow>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/delay.h"
#include "app/hooks.h"
#include "app/run_mode.h"
#include "app/settings.h"
#include "device/bring_up.h"
#include "mainwindow/frmForm1.h"
#include "mainwindow/frmMsg.h"
#include "platform/hardware.h"
#include "sim/sim_board.h"
#include "ui/close_signals.h"
#include "ui/forms.h"
#include "ui/qt_hooks.h"
#include "usbspi/adapter_ids.h"

namespace kva {
namespace {

constexpr const char* kSimFlashFile = "kva7710-sim.flash";

// One pass of event processing may come before the window system has mapped the window; keep
// passing events briefly until it is on screen, so the message shows during the calibration.
void LetWindowPaint(QWidget& w) {
  Yield();
  QElapsedTimer waited;
  waited.start();
  while (w.windowHandle() != nullptr && !w.windowHandle()->isExposed() && waited.elapsed() < 500) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  w.repaint();
}

}  // namespace

int RunDesktopProgram(int argc, char* argv[], const std::function<void()>& whenShown) {
  QCoreApplication::setApplicationName(QString::fromLatin1(kAppTitle));
  QCoreApplication::setApplicationVersion(QStringLiteral(KVA_VERSION));

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("KVA7710 evaluation program"));
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption simulate(
      QStringLiteral("simulate"),
      QStringLiteral("Run on the built-in simulated board instead of hardware: both interfaces "
                     "reach it, and its settings persist in %1 in the current folder.")
          .arg(QString::fromLatin1(kSimFlashFile)));
  parser.addOption(simulate);
  const QCommandLineOption usbId(
      QStringLiteral("usb-id"),
      QStringLiteral("Also take USB boards with this vendor and product ID (hex, repeatable) for "
                     "adapter boards, besides those of KVA7710_USB_IDS (comma separated) and "
                     "~/.config/kva7710/usb-ids."),
      QStringLiteral("VID:PID"));
  parser.addOption(usbId);

  // --help and --version answer without reaching the window system, so they work without a
  // display too.
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "-h" || arg == "-?" || arg == "--help" || arg == "--help-all" || arg == "-v" ||
        arg == "--version") {
      QCoreApplication info(argc, argv);
      parser.process(info);  // prints and exits
      return 0;
    }
  }

  // Added adapter IDs are checked before the window system is reached, so that a bad one is
  // refused the same way with or without a display. Other command-line errors are left to
  // process() below.
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  if (parser.parse(arguments)) {
    std::vector<std::string> usbIds;
    for (const QString& id : parser.values(usbId)) usbIds.push_back(id.toStdString());
    if (const std::string error = AddAdapterUsbIds(usbIds); !error.empty()) {
      std::fprintf(stderr, "kva7710-eval: %s\n", error.c_str());
      return 2;
    }
  }

  QApplication app(argc, argv);
  parser.process(app);
  // Control colours are set through the palette, which this style honours for every control.
  if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
    QApplication::setStyle(fusion);

  ui::InstallQtHooks();
  // A logout, a shutdown or Ctrl+C leaves as "Exit" does (settings saved); a running datalog
  // sees the program ending at its next yield and writes the samples taken, as on a cancel.
  const ui::CloseSignals closeSignals([](int) {
    if (auto* main = ui::FindForm<frmForm1>()) {
      main->MnuExit_Click();
    } else {
      ui::EndProgram();  // still starting: no settings changed yet
    }
  });

  std::unique_ptr<sim::SimBoard> board;
  if (parser.isSet(simulate)) {
    sim::SimBoardOptions options;
    options.scenario = "demo";
    options.flashPath = kSimFlashFile;
    board = std::make_unique<sim::SimBoard>(options);
    SetSimulatedBoardActive(true);
  } else {
    // Either may be missing from this build or host; the interface's own messages say so
    // when it is chosen.
    InstallRealPortIo();
    InstallLibUsbEzUsbDriver();
  }

  auto& msg = ui::LoadForm<frmMsg>();
  msg.txtMsg->setPlainText(ui::QLines("\r\nLoading . . . \r\n\r\nCalibrating Delay function."));
  ui::ShowForm<frmMsg>();
  LetWindowPaint(msg);

  State().delay.DelayCalibrated = false;
  CalibrateDelay();

  RunStartupSteps();
  msg.hide();

  ui::ShowForm<frmForm1>();
  if (whenShown && !ProgramEnding()) whenShown();

  // The main window may already have ended the program while it loaded.
  const int code = ProgramEnding() ? 0 : app.exec();
  ui::UnloadAllForms();
  return closeSignals.received() != 0 ? 128 + closeSignals.received() : code;
}

}  // namespace kva
