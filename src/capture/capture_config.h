// SPDX-License-Identifier: GPL-3.0-or-later
// The capture and trigger set-up as the capture configuration window and kva7710ctl see it:
// CAPT_CFG (buffer length and pre-trigger), ALM_CTRL (trigger sources and enables) and
// ALM_MAG1/2 (levels and polarities), with their list texts and the words they are written as.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kva {

// CAPT_CFG: bits 2..0 the buffer length code, bits 7..4 the pre-trigger in sixteenths of the
// buffer; the other bits are written as 0.
inline constexpr std::array<const char*, 8> kBufferLengthTexts{"1024", "512", "256", "128",
                                                               "64",   "32",  "16",  "8"};
inline constexpr int kPreTriggerSteps = 16;  // "0" to "15"
int32_t CaptCfgValue(int lengthCode, int preTrigger);
inline int CaptCfgLengthCode(int32_t captCfg) { return captCfg & 7; }
inline int CaptCfgPreTrigger(int32_t captCfg) { return (captCfg & 0xF0) / 16; }
inline int CaptureBufferLength(int lengthCode) { return 1024 >> lengthCode; }

// ALM_CTRL bits 5..4: which triggers are enabled.
inline constexpr int kTrigger1Enable = 16, kTrigger2Enable = 32;
// The ALM_CTRL the window writes: the two sources, the enables (0, 16, 32 or 48) and the alarm
// output's enable (bit 2), polarity (bit 1) and line (bit 0); bits 3, 7 and 6 are 0.
int32_t AlmCtrlWord(int source1, int source2, int enables, int outputEnable, int outputPolarity,
                    int outputLine);
// The source fields of ALM_CTRL; when either is above 8 both count as "none" and valid is false.
struct TriggerSources {
  int16_t source1 = 0, source2 = 0;
  bool valid = true;
};
TriggerSources TriggerSourcesOf(int32_t almCtrl);
inline constexpr const char* kInvalidAlmCtrlMessage =
    "\r\nAlarm source1 or source2 index > 8\r\n\r\nThis is an invalid ALM_CTRL register value\r\n";

// The ALM_MAGn word for a typed level: its 14-bit magnitude (0 for no source) plus bit 15 for
// "Greater Than". Nothing for an empty text (the register is then left as it is).
std::optional<int32_t> TriggerMagWord(int16_t source, std::string_view levelText, bool greater);
// The level an ALM_MAGn word stands for with the picture "#0.0000"; "none" without a source.
std::string TriggerLevelText(int16_t source, int32_t almMag);

// Everything the four registers hold, decoded.
struct TriggerConfig {
  int32_t captCfg = 0, almCtrl = 0, almMag[2] = {0, 0};
  int bufferLength = 1024;     // samples per event buffer
  int preTrigger = 0;          // sixteenths of the buffer
  int preTriggerSamples = 0;   // preTrigger x bufferLength / 16
  int16_t source[2] = {0, 0};  // source codes (0 when the fields are invalid)
  bool sourcesValid = true;
  bool enabled[2] = {false, false};
  std::optional<float> level[2];  // in the source's units; nothing without a source
  bool greater[2] = {false, false};
  bool outputEnabled = false, outputActiveHigh = false, outputDio1 = false;
};
TriggerConfig DecodeTriggerConfig(int32_t captCfg, int32_t almCtrl, int32_t almMag1,
                                  int32_t almMag2);
// Reads CAPT_CFG, ALM_CTRL, ALM_MAG1 and ALM_MAG2 (keeping the shared Alm*Value globals).
TriggerConfig ReadTriggerConfig();

// A change to the set-up; what is left empty stays as the sensor holds it.
struct TriggerChange {
  std::optional<int> lengthCode, preTrigger;
  std::optional<int16_t> source[2];
  std::optional<bool> enabled[2];
  std::optional<double> level[2];
  std::optional<bool> greater[2];
};
// Writes the registers the change touches, with the capture window's waits (500 ms after
// CAPT_CFG). ALM_CTRL keeps the alarm output bits (2..0) the sensor holds. A trigger's level
// is converted with its new source; a new source without a level keeps the magnitude.
void WriteTriggerChange(const TriggerChange& change);

}  // namespace kva
