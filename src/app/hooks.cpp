// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/hooks.h"

#include <chrono>
#include <ctime>
#include <iostream>
#include <utility>

namespace kva {
namespace {

LocalDateTime SystemLocalNow() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

}  // namespace

void SetMsgBoxHandler(MsgBoxHandler handler) { State().hooks.msgBox = std::move(handler); }

void MsgBox(const std::string& text, const std::string& title) {
  if (State().hooks.msgBox) {
    State().hooks.msgBox(text, title);
  } else {
    std::cerr << text << '\n';
  }
}

void SetYieldHandler(std::function<void()> handler) { State().hooks.yield = std::move(handler); }

void Yield() {
  if (State().hooks.yield) State().hooks.yield();
}

void SetBusyPointerHandler(std::function<void(bool)> handler) {
  State().hooks.busy = std::move(handler);
}

void SetBusyPointer(bool on) {
  if (State().hooks.busy) State().hooks.busy(on);
}

void SetClockHooks(ClockHooks hooks) { State().hooks.clocks = std::move(hooks); }

double MonotonicSeconds() {
  if (State().hooks.clocks.monotonic) return State().hooks.clocks.monotonic();
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

LocalDateTime LocalNow() {
  if (State().hooks.clocks.localNow) return State().hooks.clocks.localNow();
  return SystemLocalNow();
}

float Timer() {
  if (State().hooks.clocks.timer) return State().hooks.clocks.timer();
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t tt = system_clock::to_time_t(now);
  std::tm tm{};
  localtime_r(&tt, &tm);
  const double frac = duration<double>(now.time_since_epoch()).count() - static_cast<double>(tt);
  return static_cast<float>(tm.tm_hour * 3600 + tm.tm_min * 60 + tm.tm_sec + frac);
}

}  // namespace kva
