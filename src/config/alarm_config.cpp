// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/alarm_config.h"

#include <algorithm>
#include <stdexcept>

#include "app/delay.h"
#include "app/number_text.h"
#include "capture/trigger_levels.h"
#include "device/register_access.h"
#include "device/register_map.h"

namespace kva {
namespace {

int SourceShift(int alarm) {
  if (alarm != 1 && alarm != 2) throw std::invalid_argument("alarm 1 or 2");
  return alarm == 1 ? 8 : 12;
}

int32_t ReadRaw(int16_t index) {
  ReadRegister(index);
  return State().registers.RegRawValue;
}

void WriteAlmCtrl(int32_t value) {
  State().control.AlmCtrlValue = value;
  WriteRegister(ALM_CTRL, State().control.AlmCtrlValue);
}

void WriteMag(int alarm, const AlarmSetup& setup) {
  int32_t& global = alarm == 1 ? State().control.AlmMag1Value : State().control.AlmMag2Value;
  global = AlarmMagValue(setup.source, setup.level, setup.greater);
  WriteRegister(alarm == 1 ? ALM_MAG1 : ALM_MAG2, global);
}

// The sensor is given this long after an ALM_CTRL write before it is read back.
constexpr double kSourceSettleMs = 150;

}  // namespace

int16_t AlarmSourceOf(int32_t almCtrl, int alarm) {
  const int field = (almCtrl >> SourceShift(alarm)) & 0xF;
  return static_cast<int16_t>(std::min(field, kTriggerSources - 1));
}

int32_t WithAlarmSource(int32_t almCtrl, int alarm, int16_t source) {
  const int shift = SourceShift(alarm);
  return (almCtrl & ~(0xF << shift)) | ((source & 0xF) << shift);
}

int32_t WithDigitalIndicator(int32_t almCtrl, bool lineDio1, bool activeHigh, bool enabled) {
  return (almCtrl & ~7) + (lineDio1 ? 1 : 0) + (activeHigh ? 2 : 0) + (enabled ? 4 : 0);
}

int32_t AlarmMagValue(int16_t source, double level, bool greater) {
  return (EngToAlarmMag(source, level).value_or(0) & 0x3FFF) + (greater ? 0x8000 : 0);
}

std::string AlarmLevelText(int16_t source, int32_t almMag, std::string_view picture) {
  const auto level = AlarmMagToEng(source, almMag & 0x3FFF);
  if (!level) return {};
  return picture.empty() ? GeneralText(*level) : FormatNumber(*level, picture);
}

void ReadAlarmRegisters() {
  State().control.AlmMag1Value = ReadRaw(ALM_MAG1);
  State().control.AlmMag2Value = ReadRaw(ALM_MAG2);
  State().control.AlmCtrlValue = ReadRaw(ALM_CTRL);
}

int32_t ReadAlarmMag(int alarm) {
  int32_t& global = alarm == 1 ? State().control.AlmMag1Value : State().control.AlmMag2Value;
  global = ReadRaw(alarm == 1 ? ALM_MAG1 : ALM_MAG2);
  return global;
}

// The levels go in before the sources: written the other way round, an enabled alarm spends
// the settle time comparing its new source with its old level and may latch on a condition
// nobody set (on a noisy signal it nearly always does). This way the new level meets the old
// source for one register write at most.
void WriteAlarmSetups(const AlarmSetup& alarm1, const AlarmSetup& alarm2) {
  const int32_t read = ReadRaw(ALM_CTRL);
  WriteMag(1, alarm1);
  WriteMag(2, alarm2);
  WriteAlmCtrl(WithAlarmSource(WithAlarmSource(read, 1, alarm1.source), 2, alarm2.source));
  WaitDelay(kSourceSettleMs);
}

void WriteAlarmSetup(int alarm, const AlarmSetup& setup) {
  const int32_t read = ReadRaw(ALM_CTRL);
  WriteMag(alarm, setup);
  WriteAlmCtrl(WithAlarmSource(read, alarm, setup.source));
  WaitDelay(kSourceSettleMs);
}

void WriteDigitalIndicator(bool lineDio1, bool activeHigh, bool enabled) {
  WriteAlmCtrl(WithDigitalIndicator(ReadRaw(ALM_CTRL), lineDio1, activeHigh, enabled));
}

}  // namespace kva
