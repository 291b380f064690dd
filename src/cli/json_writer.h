// SPDX-License-Identifier: GPL-3.0-or-later
// A small JSON writer for kva7710ctl's --json output: one compact document per command, on
// one line, so that a batch run gives one document per line. Commas and nesting are kept by
// the writer; strings are escaped (quotes, backslash, control characters, and bytes that are
// not UTF-8, taken as Latin-1); numbers that are not finite are written as null.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kva::ctl {

class JsonWriter {
 public:
  JsonWriter& BeginObject();
  JsonWriter& EndObject();
  JsonWriter& BeginArray();
  JsonWriter& EndArray();
  // The name of the next member of the open object.
  JsonWriter& Key(std::string_view name);

  JsonWriter& String(std::string_view text);
  JsonWriter& Int(int64_t value);
  // Shortest text that reads back as the same number; a float keeps its own precision, so
  // 3.29888f is written 3.29888, not 3.298880100250244.
  JsonWriter& Real(double value);
  JsonWriter& Real(float value);
  JsonWriter& Bool(bool value);
  JsonWriter& Null();

  // Key and value in one.
  JsonWriter& Field(std::string_view name, std::string_view text) { return Key(name).String(text); }
  JsonWriter& Field(std::string_view name, const char* text) { return Key(name).String(text); }
  JsonWriter& Field(std::string_view name, int64_t value) { return Key(name).Int(value); }
  JsonWriter& Field(std::string_view name, int32_t value) { return Key(name).Int(value); }
  JsonWriter& Field(std::string_view name, double value) { return Key(name).Real(value); }
  JsonWriter& Field(std::string_view name, float value) { return Key(name).Real(value); }
  JsonWriter& Field(std::string_view name, bool value) { return Key(name).Bool(value); }
  // A unit, or null for a plain count.
  JsonWriter& Unit(const char* unit) { return unit ? Field("unit", unit) : Key("unit").Null(); }
  template <typename T>
  JsonWriter& Field(std::string_view name, const std::optional<T>& value) {
    return value ? Field(name, *value) : Key(name).Null();
  }

  // The document so far, and the whole document with its line end once every object and
  // array is closed.
  const std::string& text() const { return text_; }
  std::string Document() const { return text_ + "\n"; }

 private:
  void BeforeValue();

  std::string text_;
  std::vector<bool> first_;  // per open object or array: no member written yet
  bool afterKey_ = false;
};

// text as a JSON string literal, quotes included.
std::string JsonString(std::string_view text);

}  // namespace kva::ctl
