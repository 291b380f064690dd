// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/register_map.h"

#include <cctype>
#include <stdexcept>

namespace kva {

size_t RegisterTable::Checked(int index) {
  if (index < 0 || index >= kRegisterSlots) {
    throw std::out_of_range("register index " + std::to_string(index) + " outside 0..60");
  }
  return static_cast<size_t>(index);
}

namespace {

struct Def {
  const char* label;
  int32_t addr;
  int16_t readLen;
  bool twos;
  double scale;
  double offset;
  bool read, write, ec, nd, hidden;
};

constexpr bool T = true;
constexpr bool F = false;

// One line per register, in index order.
const Def kRegisters[kDeviceRegisters] = {
    {"ENDURANCE", 0x00, 16, F, 1, 0, T, F, F, F, F},
    {"SUPPLY_OUT", 0x02, 10, F, 0.00488, 0, T, F, T, T, F},
    {"XACCL_OUT", 0x04, 14, T, 0.0514, 0, T, F, T, T, F},
    {"YACCL_OUT", 0x06, 14, T, 0.0514, 0, T, F, T, T, F},
    {"ZACCL_OUT", 0x08, 14, T, 0.0514, 0, T, F, T, T, F},
    {"AUX_ADC", 0x0A, 14, T, 3.3 / 1024, 0, T, F, T, T, F},
    {"TEMP OUT", 0x0C, 14, F, 1 / 4.096, -50, T, F, T, T, F},
    {"X_PEAK OUT", 0x0E, 14, T, 0.05, 0, T, F, T, T, F},
    {"Y_PEAK OUT", 0x10, 14, T, 0.05, 0, T, F, T, T, F},
    {"Z_PEAK_OUT", 0x12, 14, T, 0.05, 0, T, F, T, T, F},
    {"XYZ_PK_OUT", 0x14, 14, F, 256, 0, T, F, T, T, F},
    {"CAPT_BUF_1", 0x16, 16, F, 1, 0, T, F, T, T, F},
    {"CAPT_BUF_2", 0x18, 8, T, 1, 0, T, F, T, T, F},
    {"STATUS", 0x1A, 16, F, 1, 0, T, F, F, F, F},
    {"EVENTS", 0x1C, 16, F, 1, 0, T, F, F, F, F},
    {"CHECKSUM", 0x1E, 16, T, 1, 0, T, F, F, F, F},
    {"XACCL_NULL", 0x20, 16, T, 1, 0, T, T, F, F, F},
    {"YACCL_NULL", 0x22, 16, T, 1, 0, T, T, F, F, F},
    {"ZACCL_NULL", 0x24, 16, T, 1, 0, T, T, F, F, F},
    {"reserved", 0x26, 16, F, 1, 0, F, F, F, F, F},
    {"reserved", 0x28, 16, F, 1, 0, F, F, F, F, F},
    {"reserved", 0x2A, 16, F, 1, 0, F, F, F, F, F},
    {"reserved", 0x2C, 16, F, 1, 0, F, F, F, F, F},
    {"TIME___", 0x2E, 16, F, 1, 0, T, T, F, F, F},
    {"DATE___", 0x30, 16, F, 1, 0, T, T, F, F, F},
    {"YEAR___", 0x32, 16, F, 1, 0, T, T, F, F, F},
    {"WAKE_TIME", 0x34, 16, F, 1, 0, T, T, F, F, F},
    {"WAKE_DATE", 0x36, 16, F, 1, 0, T, T, F, F, F},
    {"ALM_MAG1", 0x38, 16, F, 1, 0, T, T, F, F, F},
    {"ALM_MAG2", 0x3A, 16, F, 1, 0, T, T, F, F, F},
    {"ALM_CTRL", 0x3C, 16, F, 1, 0, T, T, F, F, F},
    {"XTRIG_CTRL", 0x3E, 16, F, 1, 0, T, T, F, F, F},
    {"CAPT_PNTR", 0x40, 16, F, 1, 0, T, T, F, F, F},
    {"CAPT_CFG", 0x42, 16, F, 1, 0, T, T, F, F, F},
    {"GPIO_CTR", 0x44, 16, F, 1, 0, T, T, F, F, F},
    {"MISC_CTRL", 0x46, 16, F, 1, 0, T, T, F, F, F},
    {"SMPL_PRD", 0x48, 16, F, 1, 0, T, T, F, F, F},
    {"COMMAND", 0x4A, 16, F, 1, 0, T, T, F, F, F},
    {"PROD_ID", 0x4C, 16, F, 1, 0, T, F, F, F, T},
    {"SW_REV", 0x4E, 16, F, 1, 0, T, F, F, F, T},
};

int16_t Flag(bool b) { return b ? kTrue : kFalse; }

std::string NormalisedLabel(const std::string& text) {
  std::string out;
  for (char c : text)
    out += c == ' ' ? '_' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace

void InitRegisterMap() {
  State().registers.RegisterMap.Clear();
  for (int i = 0; i < kDeviceRegisters; ++i) {
    const Def& d = kRegisters[i];
    RegisterRow& r = State().registers.RegisterMap[i];
    r.Index = static_cast<int16_t>(i);
    r.Label = d.label;
    r.BaseAddr = d.addr;
    r.NumBytes = 2;
    r.ReadLen = d.readLen;
    r.TwosCompl = Flag(d.twos);
    // Computed in double precision and stored as single, as the scale constants are.
    r.RegScale = static_cast<float>(d.scale);
    r.RegOffset = static_cast<float>(d.offset);
    r.ReadFlag = Flag(d.read);
    r.WriteFlag = Flag(d.write);
    r.ECflag = Flag(d.ec);
    r.NDflag = Flag(d.nd);
    r.Hidden = Flag(d.hidden);
  }
}

void SetAuxScaleFromSupply(float supplyVolts) {
  State().registers.RegisterMap[AUX_ADC].RegScale = supplyVolts / 1024.0f;
}

int FindRegisterByLabel(const std::string& label) {
  std::string wanted = label;
  while (!wanted.empty() && wanted.back() == ' ') wanted.pop_back();
  wanted = NormalisedLabel(wanted);
  if (wanted.empty()) return -1;
  for (int i = 0; i < kDeviceRegisters; ++i) {
    std::string have = State().registers.RegisterMap[i].Label;
    while (!have.empty() && have.back() == ' ') have.pop_back();
    if (NormalisedLabel(have) == wanted) return i;
  }
  return -1;
}

}  // namespace kva
