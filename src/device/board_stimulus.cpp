// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/board_stimulus.h"

namespace kva {
namespace {
BoardStimulus* current = nullptr;
}

void SetBoardStimulus(BoardStimulus* stimulus) { current = stimulus; }

BoardStimulus* CurrentBoardStimulus() { return current; }

}  // namespace kva
