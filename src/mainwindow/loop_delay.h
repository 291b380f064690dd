// SPDX-License-Identifier: GPL-3.0-or-later
// The read loop's delay box: what its text must become after an edit, and the pause it asks
// for.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kva {

inline constexpr double kMaxLoopDelayMs = 1000.0;

// The corrected text, or nothing when the text may stand. Not a number (empty included) gives
// "0", above 1000 gives "1000", below 0 gives "0".
std::optional<std::string> LoopDelayCorrection(std::string_view text);

// The pause in milliseconds for the box's text: the number it begins with, 0 when none.
float LoopDelayMs(std::string_view text);

}  // namespace kva
