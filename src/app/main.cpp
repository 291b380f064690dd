// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop program: prepares the process, shows the loading message while the delay is
// calibrated, reads the settings, and opens the main window, which lives until the user leaves.
#include "app/desktop_program.h"

int main(int argc, char* argv[]) { return kva::RunDesktopProgram(argc, argv); }
