// SPDX-License-Identifier: GPL-3.0-or-later
// A hard copy of a window: its image, scaled to fit the printable area of the page. It goes
// to the system's default printer; when there is none, the print dialog lets the user choose
// a printer or a PDF file. A print that fails says so in a message box.
#pragma once

#include <QPrinter>
#include <functional>

#include "ui/window_state.h"

class QWidget;

namespace kva::ui {

enum class PrintOutcome { Printed, Cancelled, Failed };

PrintOutcome PrintWindowImage(QWidget& window);

// Tests: called instead of choosing the default printer or showing the dialog. It sets the
// printer up (a PDF file, for instance) and returns false to cancel. An empty hook restores
// the real choice.
void SetPrinterHook(PrinterHook hook);

}  // namespace kva::ui
