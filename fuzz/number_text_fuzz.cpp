// SPDX-License-Identifier: GPL-3.0-or-later
// Number and hex text as users type it into the windows and the tool's arguments.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "app/number_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const double leading = kva::LeadingNumber(text);
  kva::IsNumber(text);
  kva::RightTrim(text);
  kva::HexTextToValue(text);
  kva::HexTextToInt16(text);
  const auto checked = kva::CheckedHexTextToValue(text);
  if (checked && kva::CheckedHexTextToValue(kva::HexNoPad(*checked)) != checked) std::abort();
  kva::CheckedHexTextToInt16(text);

  // The same bytes as a value, in each picture the program formats with (pictures are the
  // program's own: an unsupported one is refused by design).
  static constexpr const char* kPictures[] = {"##0.0", "##0.0##", "##0.0#######",
                                              "0.0",   "0.0##",   "0.000"};
  double value = leading;
  if (size >= sizeof value) std::memcpy(&value, data, sizeof value);
  kva::GeneralText(value);
  kva::GeneralText(static_cast<float>(value));
  kva::Hex4(value);
  kva::RoundHalfEven(value);
  for (const char* picture : kPictures) kva::FormatNumber(value, picture, size % 2 ? ',' : '.');
  return 0;
}
