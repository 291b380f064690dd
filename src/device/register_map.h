// SPDX-License-Identifier: GPL-3.0-or-later
// The KVA7710's register file as the program sees it: for every register its label, byte
// address, field width, coding, scale and offset, and which operations and flag bits apply.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "state/program_state.h"

namespace kva {

// The table and its rows are State().registers.RegisterMap (state/device_state.h).

// Index constants, named after the labels. A blank in a label becomes "_", and the clock
// registers, whose labels end in three underscores, are TIME_REG, DATE_REG and YEAR_REG.
inline constexpr int16_t ENDURANCE = 0;
inline constexpr int16_t SUPPLY_OUT = 1;
inline constexpr int16_t XACCL_OUT = 2;
inline constexpr int16_t YACCL_OUT = 3;
inline constexpr int16_t ZACCL_OUT = 4;
inline constexpr int16_t AUX_ADC = 5;
inline constexpr int16_t TEMP_OUT = 6;
inline constexpr int16_t X_PEAK_OUT = 7;
inline constexpr int16_t Y_PEAK_OUT = 8;
inline constexpr int16_t Z_PEAK_OUT = 9;
inline constexpr int16_t XYZ_PK_OUT = 10;
inline constexpr int16_t CAPT_BUF_1 = 11;
inline constexpr int16_t CAPT_BUF_2 = 12;
inline constexpr int16_t STATUS = 13;
inline constexpr int16_t EVENTS = 14;
inline constexpr int16_t CHECKSUM = 15;
inline constexpr int16_t XACCL_NULL = 16;
inline constexpr int16_t YACCL_NULL = 17;
inline constexpr int16_t ZACCL_NULL = 18;
inline constexpr int16_t RESERVED_19 = 19;
inline constexpr int16_t RESERVED_20 = 20;
inline constexpr int16_t RESERVED_21 = 21;
inline constexpr int16_t RESERVED_22 = 22;
inline constexpr int16_t TIME_REG = 23;
inline constexpr int16_t DATE_REG = 24;
inline constexpr int16_t YEAR_REG = 25;
inline constexpr int16_t WAKE_TIME = 26;
inline constexpr int16_t WAKE_DATE = 27;
inline constexpr int16_t ALM_MAG1 = 28;
inline constexpr int16_t ALM_MAG2 = 29;
inline constexpr int16_t ALM_CTRL = 30;
inline constexpr int16_t XTRIG_CTRL = 31;
inline constexpr int16_t CAPT_PNTR = 32;
inline constexpr int16_t CAPT_CFG = 33;
inline constexpr int16_t GPIO_CTR = 34;
inline constexpr int16_t MISC_CTRL = 35;
inline constexpr int16_t SMPL_PRD = 36;
inline constexpr int16_t COMMAND = 37;
inline constexpr int16_t PROD_ID = 38;
inline constexpr int16_t SW_REV = 39;

// Fills slots 0..39 with the device's registers and leaves 40..60 empty.
void InitRegisterMap();

// The AUX_ADC scale rule of every sweep that reads SUPPLY_OUT, and of each captured event: the
// auxiliary input is ratiometric to the supply, so its scale is supply volts / 1024 (single).
void SetAuxScaleFromSupply(float supplyVolts);

// The register index whose label matches, ignoring case, trailing blanks, and "_" written for
// a blank; -1 when none does. Only slots 0..39 are searched.
int FindRegisterByLabel(const std::string& label);

}  // namespace kva
