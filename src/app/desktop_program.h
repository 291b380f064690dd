// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop program from its arguments to its exit status.
#pragma once

#include <functional>

namespace kva {

// Prepares the process, shows the loading message while the delay is calibrated, reads the
// settings and opens the main window, which lives until the user leaves. whenShown runs once
// the main window is up, before the event loop starts (the tests drive the program from
// there). Returns the exit status: 0, or 128 + the signal that closed the program.
int RunDesktopProgram(int argc, char* argv[], const std::function<void()>& whenShown = {});

}  // namespace kva
