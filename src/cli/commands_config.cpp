// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/commands_config.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <span>
#include <sstream>
#include <vector>

#include "app/number_text.h"
#include "capture/trigger_levels.h"
#include "cli/commands.h"
#include "cli/ctl_error.h"
#include "cli/json_values.h"
#include "cli/session.h"
#include "config/alarm_config.h"
#include "config/calibration.h"
#include "config/control_bits.h"
#include "config/sample_period.h"
#include "device/register_access.h"
#include "device/register_map.h"
#include "mainwindow/device_commands.h"

namespace kva::ctl {
namespace {

std::string Joined(std::span<const char* const> names) {
  std::string list;
  for (const char* n : names) list += std::string(list.empty() ? "" : ", ") + n;
  return list;
}

std::string Joined(std::span<const ControlBit> bits) {
  std::vector<const char*> names;
  for (const auto& b : bits) names.push_back(b.name);
  return Joined(names);
}

int32_t ReadRaw(int16_t index) {
  ReadRegister(index);
  return State().registers.RegRawValue;
}

void Rate(Session& session, const ConfigRequest& r, std::ostream& out) {
  session.EnsureDevice();
  if (r.rate) WriteSampleRate(*r.rate);
  const int32_t v = ReadSmplPrd();
  if (!session.json()) {
    out << "SMPL_PRD\t" << Hex4(v) << "\t" << SampleRateText(v) << "\n";
    return;
  }
  JsonWriter json;
  json.BeginObject()
      .Field("register", "SMPL_PRD")
      .Field("hex", Hex4(v))
      .Field("raw", v)
      .Field("rate", RateForSmplPrd(v))
      .Unit("Hz")
      .EndObject();
  PrintJson(json, out);
}

void Offsets(Session& session, const ConfigRequest& r, std::ostream& out) {
  session.EnsureDevice();
  if (r.autoNull) RunDeviceCommand(DeviceCommand::AutoNull);
  if (r.factory) RunDeviceCommand(DeviceCommand::FactoryCal);
  for (int a = 0; a < 3; ++a) {
    if (r.offsetMg[a]) WriteOffset(a, *r.offsetMg[a]);
  }
  JsonWriter json;
  json.BeginObject().Key("offsets").BeginArray();
  for (int a = 0; a < 3; ++a) {
    const OffsetReading reading = ReadOffset(a);
    const OffsetAxis& axis = kOffsetAxes[static_cast<size_t>(a)];
    if (!session.json()) {
      out << State().registers.RegisterMap[axis.nullRegister].Label << "\t" << reading.hex << "\t"
          << reading.mg << "\n";
      continue;
    }
    json.BeginObject()
        .Field("axis", axis.name)
        .Field("register", State().registers.RegisterMap[axis.nullRegister].Label)
        .Field("hex", reading.hex)
        .Field("raw", reading.counts)
        .Field("value", std::strtod(reading.mg.c_str(), nullptr))  // as the text shows it
        .Unit("mg")
        .EndObject();
  }
  if (session.json()) PrintJson(json.EndArray().EndObject(), out);
}

void AlarmsJson(std::ostream& out) {
  JsonWriter json;
  json.BeginObject().Key("alarms").BeginArray();
  for (int alarm : {1, 2}) {
    const int32_t mag = alarm == 1 ? State().control.AlmMag1Value : State().control.AlmMag2Value;
    const int16_t source = AlarmSourceOf(State().control.AlmCtrlValue, alarm);
    json.BeginObject()
        .Field("alarm", alarm)
        .Field("register", alarm == 1 ? "ALM_MAG1" : "ALM_MAG2")
        .Field("hex", Hex4(mag))
        .Field("raw", mag)
        .Field("source", kAlarmSourceTexts[static_cast<size_t>(source)])
        .Field("source_code", source)
        .Field("polarity", (mag & 0x8000) != 0 ? "greater" : "less")
        .Field("level", AlarmMagToEng(source, mag & 0x3FFF))
        .Unit(TriggerSourceUnit(source))
        .EndObject();
  }
  json.EndArray()
      .Key("indicator")
      .BeginObject()
      .Field("register", "ALM_CTRL")
      .Field("hex", Hex4(State().control.AlmCtrlValue))
      .Field("raw", State().control.AlmCtrlValue)
      .Field("enabled", (State().control.AlmCtrlValue & 4) != 0)
      .Field("line", (State().control.AlmCtrlValue & 1) != 0 ? "DIO1" : "DIO0")
      .Field("active", (State().control.AlmCtrlValue & 2) != 0 ? "high" : "low")
      .EndObject()
      .EndObject();
  PrintJson(json, out);
}

void ShowAlarms(std::ostream& out, bool json) {
  ReadAlarmRegisters();
  if (json) return AlarmsJson(out);
  for (int alarm : {1, 2}) {
    const int32_t mag = alarm == 1 ? State().control.AlmMag1Value : State().control.AlmMag2Value;
    const int16_t source = AlarmSourceOf(State().control.AlmCtrlValue, alarm);
    const std::string level = AlarmLevelText(source, mag);
    out << "ALM_MAG" << alarm << "\t" << Hex4(mag) << "\t"
        << kAlarmSourceTexts[static_cast<size_t>(source)] << "\t"
        << ((mag & 0x8000) != 0 ? "greater" : "less") << (level.empty() ? "" : "\t" + level)
        << "\n";
  }
  out << "ALM_CTRL\t" << Hex4(State().control.AlmCtrlValue) << "\tindicator "
      << ((State().control.AlmCtrlValue & 4) != 0 ? "on" : "off") << "\t"
      << ((State().control.AlmCtrlValue & 1) != 0 ? "DIO1" : "DIO0") << "\tactive "
      << ((State().control.AlmCtrlValue & 2) != 0 ? "high" : "low") << "\n";
}

// Which of two words (ignoring case) the text is: false for the first, true for the second.
bool OneOf(const std::string& text, const char* what, const char* first, const char* second) {
  const std::string word = Lower(text);
  if (word != Lower(first) && word != Lower(second))
    BadInput(std::string(what) + " must be " + first + " or " + second + ", not " + text);
  return word == Lower(second);
}

void Alarm(Session& session, const ConfigRequest& r, std::ostream& out) {
  // "_" may stand for a blank, as in register names ("Supply_V").
  std::string spaced = r.source;
  std::replace(spaced.begin(), spaced.end(), '_', ' ');
  auto source = FindTriggerSource(r.source);
  if (!source) source = FindTriggerSource(spaced);
  if (!source)
    BadInput("unknown alarm source: " + r.source + " (" + Joined(kAlarmSourceTexts) + ")");
  const bool greater = OneOf(r.polarity, "POLARITY", "less", "greater");
  session.EnsureDevice();
  WriteAlarmSetup(r.alarm, {*source, r.level, greater});
  ShowAlarms(out, session.json());
}

void AlarmOutput(Session& session, const ConfigRequest& r, std::ostream& out) {
  const bool enabled = OneOf(r.enable, "ENABLE", "off", "on");
  const bool lineDio1 = OneOf(r.line, "LINE", "DIO0", "DIO1");
  const bool activeHigh = OneOf(r.polarity, "ACTIVE", "low", "high");
  session.EnsureDevice();
  WriteDigitalIndicator(lineDio1, activeHigh, enabled);
  ShowAlarms(out, session.json());
}

// NAME=WORD settings applied to the bits the register holds now; bits outside the table are
// written as 0, as the windows write them.
void Bits(Session& session, std::span<const ControlBit> bits, int16_t index, const ConfigRequest& r,
          std::ostream& out) {
  std::vector<std::pair<int32_t, bool>> changes;  // bit value, set
  for (const std::string& setting : r.settings) {
    const auto eq = setting.find('=');
    const std::string name = Lower(setting.substr(0, eq));
    const auto bit =
        std::find_if(bits.begin(), bits.end(), [&](const ControlBit& b) { return name == b.name; });
    if (bit == bits.end() || eq == std::string::npos) {
      BadInput("unknown setting: " + setting + " (NAME=WORD, NAME one of " + Joined(bits) + ")");
    }
    changes.emplace_back(bit->value,
                         OneOf(setting.substr(eq + 1), bit->name, bit->clearWord, bit->setWord));
  }
  session.EnsureDevice();
  if (!changes.empty()) {
    int32_t value = ReadRaw(index);
    int32_t known = 0;
    for (const auto& b : bits) known |= b.value;
    value &= known;
    for (const auto& [bit, set] : changes) value = set ? value | bit : value & ~bit;
    if (index == GPIO_CTR) {
      WriteGpioCtrl(value);
    } else {
      WriteMiscCtrl(value);
    }
  }
  const int32_t now = ReadRaw(index);
  if (session.json()) {
    JsonWriter json;
    json.BeginObject()
        .Field("register", State().registers.RegisterMap[index].Label)
        .Field("hex", Hex4(now))
        .Field("raw", now)
        .Key("bits")
        .BeginArray();
    for (const auto& bit : bits) {
      json.BeginObject()
          .Field("name", bit.name)
          .Field("mask", Hex4(bit.value))
          .Field("set", (now & bit.value) != 0)
          .Field("state", (now & bit.value) != 0 ? bit.setWord : bit.clearWord)
          .EndObject();
    }
    PrintJson(json.EndArray().EndObject(), out);
    return;
  }
  out << State().registers.RegisterMap[index].Label << "\t" << Hex4(now) << "\n";
  for (const auto& bit : bits)
    out << bit.name << "\t" << ((now & bit.value) != 0 ? bit.setWord : bit.clearWord) << "\n";
}

}  // namespace

void AddConfigCommands(CLI::App& app, std::string& name, ConfigRequest& r) {
  const auto named = [&name](CLI::App* sub, const char* command) {
    sub->callback([&name, command] { name = command; });
    return sub;
  };

  auto* rate = named(app.add_subcommand("rate",
                                        "Set (when given) and show the sample rate: "
                                        "SMPL_PRD<TAB>HEX<TAB>samples per second"),
                     "rate");
  rate->add_option("RATE", r.rate, "Samples per second, 0.5..4096")
      ->check(FiniteRange(kMinSampleRate, kMaxSampleRate));

  auto* offsets = named(app.add_subcommand("offsets",
                                           "Set (when given) and show the axis offsets: "
                                           "XACCL_NULL<TAB>HEX<TAB>mg, then Y and Z"),
                        "offsets");
  const char* const kAxisOptions[3] = {"--x", "--y", "--z"};
  for (int a = 0; a < 3; ++a) {
    offsets
        ->add_option(kAxisOptions[a], r.offsetMg[a],
                     std::string(kOffsetAxes[static_cast<size_t>(a)].name) +
                         " offset in mg, -6579.2..6527.8 (51.4 mg steps)")
        ->check(FiniteRange(kOffsetLowMg, kOffsetHighMg));
  }
  auto* autoNull = offsets->add_flag("--auto-null", r.autoNull,
                                     "First null the axes at the present acceleration");
  offsets->add_flag("--factory", r.factory, "First restore the factory calibration")
      ->excludes(autoNull);

  named(app.add_subcommand("alarms",
                           "Show both alarms (source, polarity, level) and the "
                           "digital alarm indicator"),
        "alarms");
  auto* alarm = named(app.add_subcommand("alarm",
                                         "Set one alarm, keeping the other and the "
                                         "indicator, then show the alarms"),
                      "alarm");
  alarm->add_option("N", r.alarm, "1 or 2")->required()->check(CLI::Range(1, 2));
  alarm->add_option("SOURCE", r.source, Joined(kAlarmSourceTexts))->required();
  alarm
      ->add_option("LEVEL", r.level,
                   "Level in the source's units (V, g or C), limited to its range")
      ->required()
      ->transform(FiniteNumber());
  alarm->add_option("POLARITY", r.polarity, "greater or less")->required();
  auto* output = named(
      app.add_subcommand("alarm-output", "Set the digital alarm indicator, then show the alarms"),
      "alarm-output");
  output->add_option("ENABLE", r.enable, "on or off")->required();
  output->add_option("LINE", r.line, "DIO0 or DIO1")->required();
  output->add_option("ACTIVE", r.polarity, "high or low")->required();

  const auto bitsCommand = [&](const char* command, const char* help,
                               std::span<const ControlBit> bits) {
    std::string list;
    for (const auto& b : bits)
      list += std::string(list.empty() ? "" : ", ") + b.name + "=" + b.clearWord + "|" + b.setWord;
    named(app.add_subcommand(command, help), command)->add_option("NAME=WORD", r.settings, list);
  };
  bitsCommand("misc", "Set (when given) and show the bits of MISC_CTRL by name", kMiscCtrlBits);
  bitsCommand("gpio", "Set (when given) and show the directions and levels of DIO0 and DIO1",
              kGpioCtrlBits);
}

bool RunConfigCommand(Session& session, const std::string& name, const ConfigRequest& r,
                      std::ostream& out) {
  // Output is collected first, so that a transport failure prints nothing half done.
  std::ostringstream text;
  if (name == "rate") {
    Rate(session, r, text);
  } else if (name == "offsets") {
    Offsets(session, r, text);
  } else if (name == "alarms") {
    session.EnsureDevice();
    ShowAlarms(text, session.json());
  } else if (name == "alarm") {
    Alarm(session, r, text);
  } else if (name == "alarm-output") {
    AlarmOutput(session, r, text);
  } else if (name == "misc") {
    Bits(session, kMiscCtrlBits, MISC_CTRL, r, text);
  } else if (name == "gpio") {
    Bits(session, kGpioCtrlBits, GPIO_CTR, r, text);
  } else {
    return false;
  }
  session.CheckTransport();
  out << text.str();
  return true;
}

}  // namespace kva::ctl
