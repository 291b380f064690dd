// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/hooks.h"

#include <chrono>
#include <ctime>
#include <iostream>
#include <utility>

namespace kva {
namespace {

MsgBoxHandler msgBoxHandler;
std::function<void()> yieldHandler;
std::function<void(bool)> busyHandler;
ClockHooks clockHooks;

LocalDateTime SystemLocalNow() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

}  // namespace

void SetMsgBoxHandler(MsgBoxHandler handler) { msgBoxHandler = std::move(handler); }

void MsgBox(const std::string& text, const std::string& title) {
  if (msgBoxHandler) {
    msgBoxHandler(text, title);
  } else {
    std::cerr << text << '\n';
  }
}

void SetYieldHandler(std::function<void()> handler) { yieldHandler = std::move(handler); }

void Yield() {
  if (yieldHandler) yieldHandler();
}

void SetBusyPointerHandler(std::function<void(bool)> handler) { busyHandler = std::move(handler); }

void SetBusyPointer(bool on) {
  if (busyHandler) busyHandler(on);
}

void SetClockHooks(ClockHooks hooks) { clockHooks = std::move(hooks); }

double MonotonicSeconds() {
  if (clockHooks.monotonic) return clockHooks.monotonic();
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

LocalDateTime LocalNow() {
  if (clockHooks.localNow) return clockHooks.localNow();
  return SystemLocalNow();
}

float Timer() {
  if (clockHooks.timer) return clockHooks.timer();
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t tt = system_clock::to_time_t(now);
  std::tm tm{};
  localtime_r(&tt, &tm);
  const double frac = duration<double>(now.time_since_epoch()).count() - static_cast<double>(tt);
  return static_cast<float>(tm.tm_hour * 3600 + tm.tm_min * 60 + tm.tm_sec + frac);
}

void ResetHooks() {
  msgBoxHandler = nullptr;
  yieldHandler = nullptr;
  busyHandler = nullptr;
  clockHooks = {};
}

}  // namespace kva
