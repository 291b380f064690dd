// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/device_commands.h"

#include <stdexcept>

#include "app/delay.h"
#include "device/register_access.h"
#include "device/register_map.h"

namespace kva {

const DeviceCommandInfo& CommandInfo(DeviceCommand command) {
  for (const auto& info : kDeviceCommands) {
    if (info.command == command) return info;
  }
  throw std::invalid_argument("unknown device command");
}

const DeviceCommandInfo* FindDeviceCommand(std::string_view name) {
  for (const auto& info : kDeviceCommands) {
    if (name == info.name) return &info;
  }
  return nullptr;
}

int32_t SelfTestOnValue(int32_t miscCtrl) { return miscCtrl | 0x0100; }
int32_t SelfTestOffValue(int32_t miscCtrl) { return miscCtrl & ~0x3DF8; }

void RunDeviceCommand(DeviceCommand command) {
  RunDeviceCommand(command, CommandInfo(command).waitMs);
}

void RunDeviceCommand(DeviceCommand command, double waitMs) {
  const DeviceCommandInfo& info = CommandInfo(command);
  if (command == DeviceCommand::SelfTestOn || command == DeviceCommand::SelfTestOff) {
    ReadRegister(MISC_CTRL);
    const int32_t misc = State().registers.RegRawValue;
    WriteRegister(MISC_CTRL, command == DeviceCommand::SelfTestOn ? SelfTestOnValue(misc)
                                                                  : SelfTestOffValue(misc));
  } else {
    WriteRegister(COMMAND, info.value);
  }
  WaitDelay(waitMs);
}

}  // namespace kva
