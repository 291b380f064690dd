// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/json_values.h"

#include "app/number_text.h"
#include "device/register_access.h"
#include "device/register_map.h"

namespace kva::ctl {

const char* RegisterUnit(int index) {
  switch (index) {
    case SUPPLY_OUT:
    case AUX_ADC:
      return "V";
    case XACCL_OUT:
    case YACCL_OUT:
    case ZACCL_OUT:
    case X_PEAK_OUT:
    case Y_PEAK_OUT:
    case Z_PEAK_OUT:
      return "g";
    case TEMP_OUT:
      return "C";
    default:
      return nullptr;
  }
}

const char* TriggerSourceUnit(int16_t code) {
  // The rows whose scale converts each source's magnitude (capture/trigger_levels.cpp).
  static constexpr int kSourceRows[] = {-1,      SUPPLY_OUT, XACCL_OUT,  YACCL_OUT, ZACCL_OUT,
                                        AUX_ADC, TEMP_OUT,   X_PEAK_OUT, Y_PEAK_OUT};
  if (code < 1 || code > 8) return nullptr;
  return RegisterUnit(kSourceRows[code]);
}

void WriteRegisterReading(JsonWriter& json, int index, bool flags) {
  const RegisterRow& row = State().registers.RegisterMap[index];
  json.BeginObject()
      .Field("name", RightTrim(row.Label))
      .Field("index", index)
      .Field("address", Hex4(row.BaseAddr))
      .Field("hex", Hex4(State().registers.RegRawValue))
      .Field("raw", State().registers.RegRawValue)
      .Field("value", State().registers.RegScaledValue)
      .Unit(RegisterUnit(index));
  if (flags)
    json.Field("ea", State().registers.RegEABit != 0).Field("nd", State().registers.RegNDBit != 0);
  json.EndObject();
}

}  // namespace kva::ctl
