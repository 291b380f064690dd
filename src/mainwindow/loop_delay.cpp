// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/loop_delay.h"

#include "app/number_text.h"

namespace kva {

std::optional<std::string> LoopDelayCorrection(std::string_view text) {
  if (!IsNumber(text)) return "0";
  if (LeadingNumber(text) > kMaxLoopDelayMs) return "1000";
  if (LeadingNumber(text) < 0.0) return "0";
  return std::nullopt;
}

float LoopDelayMs(std::string_view text) { return static_cast<float>(LeadingNumber(text)); }

}  // namespace kva
