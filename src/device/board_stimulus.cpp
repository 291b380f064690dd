// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/board_stimulus.h"

namespace kva {
void SetBoardStimulus(BoardStimulus* stimulus) { State().seams.boardStimulus = stimulus; }

BoardStimulus* CurrentBoardStimulus() { return State().seams.boardStimulus; }

}  // namespace kva
