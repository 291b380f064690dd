// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/commands_trigger.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <sstream>

#include "app/number_text.h"
#include "capture/trigger_levels.h"
#include "cli/commands.h"
#include "cli/ctl_error.h"
#include "cli/json_values.h"
#include "cli/session.h"
#include "device/register_map.h"

namespace kva::ctl {
namespace {

int16_t ParseSource(const std::string& text) {
  std::string spaced = text;
  std::replace(spaced.begin(), spaced.end(), '_', ' ');
  auto source = FindTriggerSource(text);
  if (!source) source = FindTriggerSource(spaced);
  if (!source) {
    std::string list;
    for (const char* t : kBuffer1SourceTexts) list += std::string(list.empty() ? "" : ", ") + t;
    BadInput("unknown trigger source: " + text + " (" + list + ")");
  }
  return *source;
}

bool ParsePolarity(const std::string& text) {
  const std::string word = Lower(text);
  if (word != "greater" && word != "less")
    BadInput("polarity must be greater or less, not " + text);
  return word == "greater";
}

int ParseLengthCode(int length) {
  for (int code = 0; code < static_cast<int>(kBufferLengthTexts.size()); ++code) {
    if (CaptureBufferLength(code) == length) return code;
  }
  BadInput("--length must be 1024, 512, 256, 128, 64, 32, 16 or 8, not " + std::to_string(length));
}

const char* SourceText(int trigger, int16_t source) {
  return (trigger == 0 ? kBuffer1SourceTexts : kBuffer2SourceTexts)[static_cast<size_t>(source)];
}

}  // namespace

std::string TriggerConfigJson(const TriggerConfig& c) {
  JsonWriter json;
  json.BeginObject()
      .Key("capt_cfg")
      .BeginObject()
      .Field("hex", Hex4(c.captCfg))
      .Field("raw", c.captCfg)
      .Field("length", c.bufferLength)
      .Field("pretrigger_sixteenths", c.preTrigger)
      .Field("pretrigger_samples", c.preTriggerSamples)
      .EndObject()
      .Key("alm_ctrl")
      .BeginObject()
      .Field("hex", Hex4(c.almCtrl))
      .Field("raw", c.almCtrl)
      .Field("sources_valid", c.sourcesValid)
      .EndObject()
      .Key("triggers")
      .BeginArray();
  for (int t = 0; t < 2; ++t) {
    const int16_t source = c.source[t];
    json.BeginObject()
        .Field("trigger", t + 1)
        .Field("enabled", c.enabled[t])
        .Field("source", SourceText(t, source))
        .Field("source_code", source)
        .Field("polarity", c.greater[t] ? "greater" : "less")
        .Field("level", c.level[t])
        .Unit(c.level[t] ? TriggerSourceUnit(source) : nullptr)
        .Field("register", t == 0 ? "ALM_MAG1" : "ALM_MAG2")
        .Field("hex", Hex4(c.almMag[t]))
        .Field("raw", c.almMag[t])
        .EndObject();
  }
  json.EndArray().EndObject();
  return json.Document();
}

std::string TriggerConfigText(const TriggerConfig& c) {
  std::ostringstream out;
  out << "CAPT_CFG\t" << Hex4(c.captCfg) << "\tlength " << c.bufferLength << "\tpre-trigger "
      << c.preTrigger << "/16 (" << c.preTriggerSamples << " samples)\n";
  out << "ALM_CTRL\t" << Hex4(c.almCtrl) << (c.sourcesValid ? "" : "\tinvalid source field")
      << "\n";
  for (int t = 0; t < 2; ++t) {
    const int16_t source = c.source[t];
    out << "TRIGGER" << t + 1 << "\t" << (c.enabled[t] ? "enabled" : "disabled") << "\t"
        << SourceText(t, source) << "\t" << (c.greater[t] ? "greater" : "less");
    if (c.level[t])
      out << "\t" << FormatNumber(*c.level[t], "#0.0000") << " " << TriggerSourceUnit(source);
    out << "\tALM_MAG" << t + 1 << " " << Hex4(c.almMag[t]) << "\n";
  }
  return out.str();
}

void AddTriggerCommands(CLI::App& app, std::string& name, TriggerRequest& r) {
  auto* trigger = app.add_subcommand(
      "trigger", "Show or set the event capture and its triggers (CAPT_CFG, ALM_CTRL, ALM_MAG1/2)");
  trigger->require_subcommand(1);
  const auto action = [&](const char* word, const char* help) {
    auto* sub = trigger->add_subcommand(word, help);
    sub->callback([&name, &r, word] {
      name = "trigger";
      r.action = word;
    });
    return sub;
  };
  action("show",
         "CAPT_CFG<TAB>HEX<TAB>length<TAB>pre-trigger, ALM_CTRL<TAB>HEX, then per trigger: "
         "enabled, source, polarity, level and ALM_MAGn");
  auto* set = action("set", "Change what is given, keep the rest, then show the set-up");
  set->add_option("--length", r.length, "Samples per event buffer: 1024, 512, ... 8");
  set->add_option("--pretrigger", r.preTrigger, "Pre-trigger in sixteenths of the buffer, 0..15")
      ->check(CLI::Range(0, 15));
  set->add_option("--enable", r.enable, "Triggers enabled: none, 1, 2 or both");
  for (int t = 0; t < 2; ++t) {
    const std::string n = std::to_string(t + 1);
    set->add_option("--source" + n, r.source[t],
                    "Trigger " + n +
                        " source: none, Supply_V, X_Acc, Y_Acc, Z_Acc, Aux_ADC, "
                        "Temperature, XYZ_PK_OUT, Clock_Alarm (or 0..8)");
    set->add_option(
           "--level" + n, r.level[t],
           "Trigger " + n + " level in the source's units (V, g or C), limited to its range")
        ->transform(FiniteNumber());
    set->add_option("--polarity" + n, r.polarity[t], "Trigger " + n + ": greater or less");
  }
}

bool RunTriggerCommand(Session& session, const std::string& name, const TriggerRequest& r,
                       std::ostream& out) {
  if (name != "trigger") return false;
  TriggerChange change;
  if (r.action == "set") {
    if (r.length) change.lengthCode = ParseLengthCode(*r.length);
    change.preTrigger = r.preTrigger;
    for (int t = 0; t < 2; ++t) {
      if (r.source[t]) change.source[t] = ParseSource(*r.source[t]);
      change.level[t] = r.level[t];
      if (r.polarity[t]) change.greater[t] = ParsePolarity(*r.polarity[t]);
    }
    if (r.enable) {
      const std::string e = Lower(*r.enable);
      if (e != "none" && e != "1" && e != "2" && e != "both")
        BadInput("--enable must be none, 1, 2 or both, not " + *r.enable);
      change.enabled[0] = e == "1" || e == "both";
      change.enabled[1] = e == "2" || e == "both";
    }
  }
  session.EnsureDevice();
  if (r.action == "set") WriteTriggerChange(change);
  const TriggerConfig config = ReadTriggerConfig();
  const std::string text = session.json() ? TriggerConfigJson(config) : TriggerConfigText(config);
  session.CheckTransport();
  out << text;
  return true;
}

}  // namespace kva::ctl
