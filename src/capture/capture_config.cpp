// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/capture_config.h"

#include "app/delay.h"
#include "app/number_text.h"
#include "capture/trigger_levels.h"
#include "device/register_access.h"
#include "device/register_map.h"

namespace kva {

int32_t CaptCfgValue(int lengthCode, int preTrigger) {
  return static_cast<int16_t>(preTrigger * 16 + lengthCode);
}

int32_t AlmCtrlWord(int source1, int source2, int enables, int outputEnable, int outputPolarity,
                    int outputLine) {
  return source2 * 4096 + source1 * 256 + enables + outputEnable * 4 + outputPolarity * 2 +
         outputLine;
}

TriggerSources TriggerSourcesOf(int32_t almCtrl) {
  TriggerSources s;
  s.source1 = static_cast<int16_t>((almCtrl & 0xF00) / 256);
  s.source2 = static_cast<int16_t>((almCtrl & ~0xFFF) / 4096);
  if (s.source1 > 8 || s.source2 > 8) s = {0, 0, false};
  return s;
}

std::optional<int32_t> TriggerMagWord(int16_t source, std::string_view levelText, bool greater) {
  if (levelText.empty()) return std::nullopt;
  const int32_t r = EngToAlarmMag(source, LeadingNumber(levelText)).value_or(0);
  return (r & 0x3FFF) + (greater ? 32768 : 0);
}

std::string TriggerLevelText(int16_t source, int32_t almMag) {
  const std::optional<float> level = AlarmMagToEng(source, almMag & 0x3FFF);
  return level ? FormatNumber(*level, "#0.0000") : "none";
}

TriggerConfig DecodeTriggerConfig(int32_t captCfg, int32_t almCtrl, int32_t almMag1,
                                  int32_t almMag2) {
  TriggerConfig c;
  c.captCfg = captCfg;
  c.almCtrl = almCtrl;
  c.almMag[0] = almMag1;
  c.almMag[1] = almMag2;
  c.bufferLength = CaptureBufferLength(CaptCfgLengthCode(captCfg));
  c.preTrigger = CaptCfgPreTrigger(captCfg);
  c.preTriggerSamples = c.preTrigger * c.bufferLength / 16;
  const TriggerSources sources = TriggerSourcesOf(almCtrl);
  c.source[0] = sources.source1;
  c.source[1] = sources.source2;
  c.sourcesValid = sources.valid;
  c.enabled[0] = (almCtrl & kTrigger1Enable) != 0;
  c.enabled[1] = (almCtrl & kTrigger2Enable) != 0;
  for (int t = 0; t < 2; ++t) {
    c.level[t] = AlarmMagToEng(c.source[t], c.almMag[t] & 0x3FFF);
    c.greater[t] = (c.almMag[t] & 0x8000) != 0;
  }
  c.outputEnabled = (almCtrl & 4) != 0;
  c.outputActiveHigh = (almCtrl & 2) != 0;
  c.outputDio1 = (almCtrl & 1) != 0;
  return c;
}

namespace {

int32_t Read(int16_t index) {
  ReadRegister(index);
  return State().registers.RegRawValue;
}

}  // namespace

TriggerConfig ReadTriggerConfig() {
  const int32_t captCfg = Read(CAPT_CFG);
  State().control.AlmCtrlValue = Read(ALM_CTRL);
  State().control.AlmMag1Value = Read(ALM_MAG1);
  State().control.AlmMag2Value = Read(ALM_MAG2);
  return DecodeTriggerConfig(captCfg, State().control.AlmCtrlValue, State().control.AlmMag1Value,
                             State().control.AlmMag2Value);
}

void WriteTriggerChange(const TriggerChange& change) {
  const TriggerConfig now = ReadTriggerConfig();
  if (change.lengthCode || change.preTrigger) {
    WriteRegister(CAPT_CFG, CaptCfgValue(change.lengthCode.value_or(CaptCfgLengthCode(now.captCfg)),
                                         change.preTrigger.value_or(now.preTrigger)));
    WaitDelay(500.0);
  }
  int16_t source[2];
  bool enabled[2];
  for (int t = 0; t < 2; ++t) {
    source[t] = change.source[t].value_or(now.source[t]);
    enabled[t] = change.enabled[t].value_or(now.enabled[t]);
  }
  if (change.source[0] || change.source[1] || change.enabled[0] || change.enabled[1]) {
    State().control.AlmCtrlValue =
        AlmCtrlWord(source[0], source[1],
                    (enabled[0] ? kTrigger1Enable : 0) + (enabled[1] ? kTrigger2Enable : 0), 0, 0,
                    0) +
        (now.almCtrl & 7);
    WriteRegister(ALM_CTRL, State().control.AlmCtrlValue);
  }
  for (int t = 0; t < 2; ++t) {
    if (!change.level[t] && !change.greater[t]) continue;
    const bool greater = change.greater[t].value_or(now.greater[t]);
    int32_t magnitude = now.almMag[t] & 0x3FFF;
    if (change.level[t])
      magnitude = EngToAlarmMag(source[t], *change.level[t]).value_or(0) & 0x3FFF;
    WriteRegister(t == 0 ? ALM_MAG1 : ALM_MAG2, magnitude + (greater ? 32768 : 0));
  }
}

}  // namespace kva
