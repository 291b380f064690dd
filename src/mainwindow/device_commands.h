// SPDX-License-Identifier: GPL-3.0-or-later
// The device commands the windows send: one write to COMMAND (or, for self-test, a
// read-modify-write of MISC_CTRL) followed by the wait of the window that issues it. What a
// window does afterwards (refreshing a read-out, the status, ...) stays with the window.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace kva {

enum class DeviceCommand {
  AutoNull,      // COMMAND 1, calibration window: 250 ms
  FactoryCal,    // COMMAND 2, calibration window: 500 ms
  PowerDown,     // COMMAND 4, main window: no wait
  PowerUp,       // COMMAND 256, main window: no wait
  FlashUpdate,   // COMMAND 8, calibration window: 600 ms, the longest any window allows
  ClearAlarms,   // COMMAND 16, main window: no wait
  ResetPeaks,    // COMMAND 32, main window: no wait
  ClearCapture,  // COMMAND 64, main window: 425 ms
  SelfTestOn,    // MISC_CTRL |= 0x0100, main window: 10 ms
  SelfTestOff,   // MISC_CTRL &= ~0x3DF8, main window: no wait
};

struct DeviceCommandInfo {
  DeviceCommand command;
  const char* name;  // kva7710ctl's name for it
  int32_t value;     // the COMMAND value; 0 for the MISC_CTRL read-modify-writes
  double waitMs;     // wait after the write
};

inline constexpr std::array<DeviceCommandInfo, 10> kDeviceCommands{{
    {DeviceCommand::AutoNull, "auto-null", 0x0001, 250},
    {DeviceCommand::FactoryCal, "factory-cal", 0x0002, 500},
    {DeviceCommand::PowerDown, "power-down", 0x0004, 0},
    {DeviceCommand::PowerUp, "power-up", 0x0100, 0},
    {DeviceCommand::FlashUpdate, "flash-update", 0x0008, 600},
    {DeviceCommand::ClearAlarms, "clear-alarms", 0x0010, 0},
    {DeviceCommand::ResetPeaks, "reset-peaks", 0x0020, 0},
    {DeviceCommand::ClearCapture, "clear-capture", 0x0040, 425},
    {DeviceCommand::SelfTestOn, "self-test-on", 0, 10},
    {DeviceCommand::SelfTestOff, "self-test-off", 0, 0},
}};

const DeviceCommandInfo& CommandInfo(DeviceCommand command);
// nullptr when no command has that name.
const DeviceCommandInfo* FindDeviceCommand(std::string_view name);

// MISC_CTRL after self-test on (sets bit 8) and off (keeps bits 0, 1, 2, 9, 14, 15).
int32_t SelfTestOnValue(int32_t miscCtrl);
int32_t SelfTestOffValue(int32_t miscCtrl);

// The write (or read-modify-write) and the wait.
void RunDeviceCommand(DeviceCommand command);
// The same with the wait of another window (the flash update waits 100 to 600 ms).
void RunDeviceCommand(DeviceCommand command, double waitMs);

}  // namespace kva
