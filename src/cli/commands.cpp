// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/commands.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <csignal>
#include <cstring>
#include <iostream>
#include <optional>
#include <sstream>

#include "app/delay.h"
#include "app/file_writer.h"
#include "app/number_text.h"
#include "capture/capture_file.h"
#include "capture/capture_readout.h"
#include "cli/ctl_error.h"
#include "cli/json_values.h"
#include "cli/session.h"
#include "config/register_listing.h"
#include "datalog/datalog_run.h"
#include "device/board_stimulus.h"
#include "device/register_access.h"
#include "device/register_map.h"
#include "mainwindow/device_commands.h"
#include "mainwindow/output_pass.h"
#include "mainwindow/rtc_clock.h"
#include "mainwindow/status_flags.h"
#include "usbspi/adapter_ids.h"

namespace kva::ctl {
namespace {

volatile std::sig_atomic_t stopSignal = 0;

void OnStopSignal(int signal) { stopSignal = signal; }

bool AllDigits(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
  });
}

// The value of decimal digits (leading zeros allowed) when it is at most max.
std::optional<int> SmallIndex(const std::string& text, int max) {
  int value = 0;
  const auto res = std::from_chars(text.data(), text.data() + text.size(), value);
  if (!AllDigits(text) || res.ec != std::errc() || value > max) return std::nullopt;
  return value;
}

// Read as the windows read a typed number: one beyond a double's range is the largest of its
// sign, and the caller's own limits then apply to it.
double ParseFinite(const std::string& text, const char* what) {
  if (!IsNumber(text)) BadInput(std::string(what) + " must be a number, not " + text);
  return LeadingNumber(text);
}

std::string RegisterLine(int index) {
  const RegisterReadout shown = ReadRegisterShown(static_cast<int16_t>(index));
  return RightTrim(State().registers.RegisterMap[index].Label) + "\t" + shown.hex + "\t" +
         shown.scaled + "\n";
}

// {"registers": [...]}: each register read in turn.
std::string RegistersJson(const std::vector<int>& indices) {
  JsonWriter json;
  json.BeginObject().Key("registers").BeginArray();
  for (int index : indices) {
    ReadRegister(static_cast<int16_t>(index));
    WriteRegisterReading(json, index);
  }
  json.EndArray().EndObject();
  return json.Document();
}

void Read(Session& session, const CommandRequest& r, std::ostream& out) {
  std::vector<int> indices;
  for (const auto& text : r.registers) indices.push_back(ParseRegister(text));
  session.EnsureDevice();
  std::string text;
  if (session.json()) {
    text = RegistersJson(indices);
  } else {
    for (int index : indices) text += RegisterLine(index);
  }
  session.CheckTransport();
  out << text;
}

void Write(Session& session, const CommandRequest& r, std::ostream& out) {
  const int index = ParseRegister(r.reg);
  const bool hex =
      !r.hex.empty() && r.hex.size() <= 4 && std::all_of(r.hex.begin(), r.hex.end(), [](char c) {
        return std::isxdigit(static_cast<unsigned char>(c)) != 0;
      });
  if (!hex) BadInput("the value must be one to four hex digits, not " + r.hex);
  const int32_t value = HexTextToValue(r.hex);
  if (State().registers.RegisterMap[index].WriteFlag != kTrue && !r.force) {
    BadInput(RightTrim(State().registers.RegisterMap[index].Label) +
             " is not writable (--force writes it all the same)");
  }
  session.EnsureDevice();
  WriteRegisterAndSettle(static_cast<int16_t>(index), value);
  const std::string text = session.json() ? RegistersJson({index}) : RegisterLine(index);
  session.CheckTransport();
  out << text;
}

// The listing's registers in its order, the output registers with their EA and ND bits.
std::string ListingJson() {
  JsonWriter json;
  json.BeginObject().Key("registers").BeginArray();
  for (int i = 0; i <= kListingLastRegister; ++i) {
    if (i >= RESERVED_19 && i <= RESERVED_22) continue;
    ReadRegister(static_cast<int16_t>(i));
    WriteRegisterReading(json, i, i >= SUPPLY_OUT && i <= XYZ_PK_OUT);
    if (i == SUPPLY_OUT) SetAuxScaleFromSupply(State().registers.RegScaledValue);
  }
  json.EndArray().EndObject();
  return json.Document();
}

void List(Session& session, std::ostream& out) {
  session.EnsureDevice();
  const std::string text = session.json() ? ListingJson() : RegisterListingText("\n", '.');
  session.CheckTransport();
  out << text;
}

void Status(Session& session, std::ostream& out) {
  session.EnsureDevice();
  const int32_t word = ReadStatusWord();
  session.CheckTransport();
  if (session.json()) {
    JsonWriter json;
    json.BeginObject().Field("hex", Hex4(word)).Field("raw", word).Key("flags").BeginArray();
    for (const auto& flag : kStatusFlags) {
      const StatusFlagState state = FlagState(word, flag);
      json.BeginObject()
          .Field("name", flag.caption)
          .Field("bit", flag.bit)
          .Field("alarm", state.alarm)
          .Field("state", state.text)
          .EndObject();
    }
    PrintJson(json.EndArray().EndObject(), out);
    return;
  }
  std::string text = "STATUS\t" + Hex4(word) + "\n";
  for (const auto& flag : kStatusFlags)
    text += std::string(flag.caption) + "\t" + FlagState(word, flag).text + "\n";
  out << text;
}

void Command(Session& session, const CommandRequest& r) {
  const DeviceCommandInfo* info = FindDeviceCommand(r.deviceCommand);
  if (info == nullptr) BadInput("unknown device command: " + r.deviceCommand);
  session.EnsureDevice();
  RunDeviceCommand(info->command);
  session.CheckTransport();
}

void Watch(Session& session, const CommandRequest& r, std::ostream& out) {
  session.EnsureDevice();
  const StopSignals stop;
  out << "SUPPLY_OUT,XACCL_OUT,YACCL_OUT,ZACCL_OUT,AUX_ADC,TEMP_OUT,X_PEAK_OUT,Y_PEAK_OUT,"
         "Z_PEAK_OUT,XYZ_PEAK_OUT,EVENTS\n";
  for (int pass = 1; pass <= r.count; ++pass) {
    if (pass > 1) WaitDelay(r.delayMs);
    const OutputPassResult result = ReadOutputPass();
    session.CheckTransport();
    std::string line;
    for (int n = kFirstOutputRegister; n <= kLastOutputRegister; ++n) {
      line += OutputValueText(result.samples[static_cast<size_t>(n)]) + ",";
    }
    out << line << EventCountText(result.eventCount) << "\n" << std::flush;
    if (stop.requested()) break;
  }
}

// The clock's words as read (DATE___, YEAR___, TIME___, the order of the text's reads), the
// texts the main window shows for them, and the numbers their BCD digits spell.
void TimeJson(Session& session, const CommandRequest& r, std::ostream& out) {
  if (r.sync) SyncClockToPc();
  ReadRegister(DATE_REG);
  const int32_t date = State().registers.RegRawValue;
  ReadRegister(YEAR_REG);
  const int32_t year = State().registers.RegRawValue;
  ReadRegister(TIME_REG);
  const int32_t time = State().registers.RegRawValue;
  session.CheckTransport();
  JsonWriter json;
  json.BeginObject()
      .Field("date", DateDisplayText(date, year))
      .Field("time", TimeDisplayText(time))
      .Field("year", 2000 + BcdDigitsValue(year & 0xFF))
      .Field("month", BcdDigitsValue((date >> 8) & 0x3F))
      .Field("day", BcdDigitsValue(date & 0x3F))
      .Field("hour", BcdDigitsValue((time >> 8) & 0xFF))
      .Field("minute", BcdDigitsValue(time & 0xFF))
      .Key("words")
      .BeginObject()
      .Field("DATE___", Hex4(date))
      .Field("YEAR___", Hex4(year))
      .Field("TIME___", Hex4(time))
      .EndObject()
      .EndObject();
  PrintJson(json, out);
}

void Time(Session& session, const CommandRequest& r, std::ostream& out) {
  session.EnsureDevice();
  if (session.json()) return TimeJson(session, r, out);
  ClockTexts texts;
  if (r.sync) {
    texts = SyncClockToPc();
  } else {
    texts.date = ReadDateText();
    texts.time = ReadTimeText();
  }
  session.CheckTransport();
  out << texts.date << " " << texts.time << "\n";
}

// What a readout found; with no file given, the events themselves (header and samples in g).
JsonWriter CaptureJson(const std::string* file) {
  const int buffers = State().capture.CaptureBufferCount;
  const int events = std::min<int>(State().capture.CaptureEventsStored, buffers);
  JsonWriter json;
  json.BeginObject();
  if (file != nullptr) json.Field("file", *file);
  json.Field("events_stored", State().capture.CaptureEventsStored)
      .Field("event_length", State().capture.CaptureEventLength)
      .Field("buffers", buffers);
  if (file == nullptr) {
    json.Key("events").BeginArray();
    for (int e = 1; e <= events; ++e) {
      const CaptureHeader& h = State().capture.CaptureHeaders[static_cast<size_t>(e)];
      json.BeginObject()
          .Field("event", e)
          .Field("xyz", h.XYZ)
          .Field("time", h.Time)
          .Field("date", h.Date)
          .Field("temp", h.Temp)
          .Field("voltage", h.Voltage)
          .Field("aux", h.Aux);
      for (const auto& [name, grid] : {std::pair{"x", &State().capture.CaptureX},
                                       {"y", &State().capture.CaptureY},
                                       {"z", &State().capture.CaptureZ}}) {
        json.Key(name).BeginArray();
        for (int j = 1; j <= State().capture.CaptureEventLength - kCaptureHeaderWords; ++j)
          json.Real((*grid)(e, j));
        json.EndArray();
      }
      json.EndObject();
    }
    json.EndArray();
  }
  return json.EndObject();
}

void Capture(Session& session, const CommandRequest& r, std::ostream& out) {
  session.EnsureDevice();
  const bool showProgress = ::isatty(STDERR_FILENO) == 1;
  ReadCaptureMemory([showProgress](int, int, const std::string& text) {
    if (showProgress) std::cerr << "\r" << text << std::flush;
  });
  if (showProgress && State().capture.CaptureEventsStored > 0) std::cerr << "\n";
  session.CheckTransport();
  const std::string target = r.out.empty() ? "-" : r.out;
  const char separator = r.tab ? '\t' : ',';
  if (!session.json() || target != "-") {
    WriteOutput(target,
                CaptureFileText(separator, CaptureFileDecimalMark(separator, LocaleDecimalMark())),
                out);
  }
  if (session.json()) PrintJson(CaptureJson(target == "-" ? nullptr : &target), out);
}

void Datalog(Session& session, const CommandRequest& r, std::ostream& out) {
  DatalogSettings settings;
  for (int k : ParseSignals(r.signals)) settings.checked[static_cast<size_t>(k)] = true;
  settings.samplesPerFile = r.samples;
  settings.filesPerSession = r.files;
  settings.sampleDelayMs = r.sampleDelayMs;
  settings.baseName = r.baseName;
  settings.directory = r.dir;
  if (const auto problem = DatalogNameProblem(r.baseName)) BadInput("--name " + *problem);
  session.EnsureDevice();
  const StopSignals stop;
  DatalogCallbacks callbacks;
  callbacks.cancelRequested = [&stop, &session] {
    session.CheckTransport();
    return stop.requested();
  };
  const DatalogResult result = RunDatalog(settings, callbacks);
  const auto format = DatalogFormatFor(LocaleDecimalMark());
  if (session.json()) {
    JsonWriter json;
    json.BeginObject().Key("files").BeginArray();
    for (int f = 1; f <= result.filesWritten; ++f) {
      json.String(DatalogFilePath(r.dir, r.baseName, f, format).string());
    }
    json.EndArray()
        .Field("cancelled", result.cancelled)
        .Field("samples_in_last_file", result.samplesInLastFile)
        .EndObject();
    PrintJson(json, out);
  } else {
    for (int f = 1; f <= result.filesWritten; ++f) {
      out << DatalogFilePath(r.dir, r.baseName, f, format).string() << "\n";
    }
  }
  if (result.error) throw CommandError(kExitFile, *result.error);
  if (result.cancelled) {
    std::cerr << "Datalog cancelled: "
              << DatalogFilePath(r.dir, r.baseName, result.filesWritten, format).string()
              << " holds " << result.samplesInLastFile << " samples\n";
  }
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

int ParseAxis(const std::string& text) {
  const std::string axis = Lower(text);
  if (axis == "x" || axis == "0") return 0;
  if (axis == "y" || axis == "1") return 1;
  if (axis == "z" || axis == "2") return 2;
  BadInput("AXIS must be x, y or z, not " + text);
}

void Sim(Session& session, const CommandRequest& r) {
  const auto& a = r.simArgs;
  BoardStimulus& sensor = session.SimSensor();  // what the Simulated Board window drives too
  if (r.simAction == "scenario") {
    if (!sensor.SetScenario(a.at(0))) BadInput("unknown scenario: " + a.at(0) + " (bench or demo)");
  } else if (r.simAction == "accel") {
    sensor.SetAcceleration(ParseFinite(a.at(0), "X"), ParseFinite(a.at(1), "Y"),
                           ParseFinite(a.at(2), "Z"));
  } else if (r.simAction == "shock") {
    const int axis = ParseAxis(a.at(0));
    const double g = ParseFinite(a.at(1), "G");
    const double ms = ParseFinite(a.at(2), "MS");
    if (ms <= 0) BadInput("MS must be above 0");
    sensor.Shock(axis, g, ms);
  } else if (r.simAction == "vibration") {
    if (a.size() == 1 && Lower(a[0]) == "off") {
      const BoardStimulusState now = sensor.State();
      sensor.SetVibration(now.vibrationAxis, now.vibrationHz, now.vibrationG, false);
      return;
    }
    if (a.size() != 3) BadInput("vibration takes AXIS HZ G, or off");
    const int axis = ParseAxis(a[0]);
    const double hz = ParseFinite(a[1], "HZ");
    if (hz <= 0) BadInput("HZ must be above 0");
    sensor.SetVibration(axis, hz, ParseFinite(a[2], "G"), true);
  } else if (r.simAction == "noise") {
    const int axis = ParseAxis(a.at(0));
    const double density = ParseFinite(a.at(1), "UG");
    if (density < 0) BadInput("UG must not be negative");
    sensor.SetNoiseDensity(axis, density);
  } else if (r.simAction == "supply") {
    sensor.SetSupply(ParseFinite(a.at(0), "V"));
  } else if (r.simAction == "temp") {
    sensor.SetTemperature(ParseFinite(a.at(0), "C"));
  } else if (r.simAction == "aux") {
    sensor.SetAux(ParseFinite(a.at(0), "V"));
  } else if (r.simAction == "wait") {
    const double ms = ParseFinite(a.at(0), "MS");
    if (ms < 0 || ms > 86400000) BadInput("MS must lie in 0..86400000");
    session.AdvanceSimClock(ms / 1000.0);
  } else {
    BadInput("sim needs one of: scenario, accel, shock, vibration, noise, supply, temp, aux, wait");
  }
}

}  // namespace

StopSignals::StopSignals() {
  struct sigaction sa {};
  sa.sa_handler = &OnStopSignal;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, &previousInt_);
  sigaction(SIGTERM, &sa, &previousTerm_);
}

StopSignals::~StopSignals() {
  sigaction(SIGINT, &previousInt_, nullptr);
  sigaction(SIGTERM, &previousTerm_, nullptr);
}

bool StopSignals::requested() const { return stopSignal != 0; }

int StopSignal() { return stopSignal; }

CLI::Validator FiniteRange(double min, double max) {
  const CLI::Range range(min, max);
  return CLI::Validator(
      [range](std::string& text) {
        double value = 0;
        if (CLI::detail::lexical_cast(text, value) && std::isnan(value)) {
          return "Value " + text + " is not a number";
        }
        return range(text);
      },
      range.get_description());
}

CLI::Validator FiniteNumber() {
  return CLI::Validator(
      [](std::string& text) {
        double value = 0;
        if (!CLI::detail::lexical_cast(text, value))
          return "Value " + text + " is not a finite number";
        if (std::isfinite(value)) return std::string();
        if (!IsNumber(text)) return "Value " + text + " is not a finite number";
        // Too large for a double: the largest of its sign, limited afterwards like 99999.
        char buf[32];
        const auto res = std::to_chars(buf, buf + sizeof buf, LeadingNumber(text));
        text.assign(buf, res.ptr);
        return std::string();
      },
      "NUMBER");
}

void WriteOutput(const std::string& name, std::string_view bytes, std::ostream& out) {
  if (name == "-") {
    out << bytes << std::flush;
  } else if (auto error = WriteFileAtomically(name, bytes)) {
    throw CommandError(kExitFile, *error);
  }
}

int ParseRegister(const std::string& text) {
  if (AllDigits(text)) {
    if (const auto index = SmallIndex(text, kDeviceRegisters - 1)) return *index;
    BadInput("register index must lie in 0..39, not " + text);
  }
  const int index = FindRegisterByLabel(text);
  if (index < 0) BadInput("unknown register: " + text);
  return index;
}

std::vector<int> ParseSignals(const std::string& text) {
  std::vector<int> signals;
  std::stringstream list(text);
  for (std::string item; std::getline(list, item, ',');) {
    const auto k = SmallIndex(item, kDatalogSignals);
    if (!k || *k < 1) BadInput("--signals takes indices 1..10 separated by commas, not " + text);
    signals.push_back(*k);
  }
  if (signals.empty() || text.back() == ',') {
    if (signals.empty()) BadInput(kDatalogNoSignalMessage);
    BadInput("--signals takes indices 1..10 separated by commas, not " + text);
  }
  return signals;
}

void AddCommands(CLI::App& app, CommandRequest& r) {
  const auto named = [&r](CLI::App* sub, const char* name) {
    sub->callback([&r, name] { r.name = name; });
    return sub;
  };

  named(app.add_subcommand("list", "Every register: name, address, hex, EA, ND, scaled value"),
        "list");

  auto* read = named(
      app.add_subcommand("read", "Read registers: LABEL<TAB>HEX<TAB>VALUE per register"), "read");
  read->add_option("REG", r.registers, "Label (case-insensitive, _ for a blank) or index 0..39")
      ->required();

  auto* write =
      named(app.add_subcommand("write",
                               "Write a register, wait as the register browser does, read it back"),
            "write");
  write->add_option("REG", r.reg, "Label or index 0..39")->required();
  write->add_option("HEX", r.hex, "One to four hex digits")->required();
  write->add_flag("--force", r.force, "Write a register that is not writable");

  named(app.add_subcommand("status", "STATUS in hex, then each shown flag: OK or Alarm"), "status");

  std::string names;
  for (const auto& info : kDeviceCommands)
    names += std::string(names.empty() ? "" : ", ") + info.name;
  auto* command =
      named(app.add_subcommand("command", "Send a device command: " + names), "command");
  command->add_option("NAME", r.deviceCommand, "The command")->required();

  auto* watch =
      named(app.add_subcommand("watch", "Read the output registers N times, one CSV line per pass"),
            "watch");
  watch->add_option("--count", r.count, "Passes (default 1)")->check(CLI::Range(1, 100000000));
  watch->add_option("--delay", r.delayMs, "Milliseconds between passes, 0..1000 (default 5)")
      ->check(FiniteRange(0.0, 1000.0));

  auto* time =
      named(app.add_subcommand("time", "The sensor's date and time as the main window shows them"),
            "time");
  time->add_flag("--sync", r.sync, "First set the sensor's clock from the PC's");

  auto* capture =
      named(app.add_subcommand("capture", "Read the capture memory and write the capture file"),
            "capture");
  capture->add_option("--out", r.out,
                      "File to write (replaced atomically); - or none: standard output");
  capture->add_flag("--tab", r.tab, "TAB between fields instead of \",\"");

  auto* datalog =
      named(app.add_subcommand("datalog", "Log output registers into BASE_1.ext, BASE_2.ext, ..."),
            "datalog");
  datalog->add_option("--signals", r.signals, "Register indices 1..10, comma-separated")
      ->required();
  datalog->add_option("--samples", r.samples, "Samples per file, 1..65526")
      ->required()
      ->check(CLI::Range(1, 65526));
  datalog->add_option("--files", r.files, "Files, 1..2000")->required()->check(CLI::Range(1, 2000));
  datalog
      ->add_option("--delay", r.sampleDelayMs,
                   "Milliseconds after each sample, 0..32000 (default 0)")
      ->check(FiniteRange(0.0, 32000.0));
  datalog->add_option("--name", r.baseName, "Base file name (default DATALOG)");
  datalog->add_option("--dir", r.dir, "Folder for the files (default the current one)");

  auto* sim = named(
      app.add_subcommand("sim",
                         "Drive the simulated board (with --simulate): scenario bench|demo, "
                         "accel X Y Z, shock AXIS G MS, vibration AXIS HZ G|off, noise AXIS UG, "
                         "supply V, temp C, aux V, wait MS"),
      "sim");
  sim->require_subcommand(1);
  const auto action = [&r, sim](const char* name, const char* help, std::vector<const char*> args,
                                int fewest = -1) {
    auto* sub = sim->add_subcommand(name, help);
    sub->callback([&r, name] { r.simAction = name; });
    std::string argNames;
    for (const char* a : args) argNames += std::string(argNames.empty() ? "" : " ") + a;
    const int most = static_cast<int>(args.size());
    sub->add_option(argNames.empty() ? "ARGS" : argNames, r.simArgs, "")
        ->required()
        ->expected(fewest < 0 ? most : fewest, most);
  };
  action("scenario", "bench or demo", {"NAME"});
  action("accel", "Acceleration in g on X, Y, Z", {"X", "Y", "Z"});
  action("shock", "Half-sine shock: axis x, y or z, peak g, duration ms", {"AXIS", "G", "MS"});
  action("vibration", "Sine on an axis: x, y or z, frequency Hz, peak g; or off",
         {"AXIS|off", "HZ", "G"}, 1);
  action("noise", "White noise on an axis: x, y or z, density in ug/sqrt(Hz) (0 for none)",
         {"AXIS", "UG"});
  action("supply", "Supply voltage in V", {"V"});
  action("temp", "Temperature in degrees C", {"C"});
  action("aux", "Auxiliary input in V", {"V"});
  action("wait", "Let this many milliseconds of simulated time pass at once", {"MS"});
  named(app.add_subcommand("udev-rule",
                           "Print the udev rule that opens the adapter boards of the USB IDs in "
                           "use to the user at the seat, for /etc/udev/rules.d/"),
        "udev-rule");
  AddSpiCommands(app, r.name, r.spi);
  AddConfigCommands(app, r.name, r.config);
  AddTriggerCommands(app, r.name, r.trigger);
  AddAnalyzeCommand(app, r.name, r.analyze);
}

void RunCommand(Session& session, const CommandRequest& r, std::ostream& out) {
  if (r.name == "list") {
    List(session, out);
  } else if (r.name == "read") {
    Read(session, r, out);
  } else if (r.name == "write") {
    Write(session, r, out);
  } else if (r.name == "status") {
    Status(session, out);
  } else if (r.name == "command") {
    Command(session, r);
  } else if (r.name == "watch") {
    Watch(session, r, out);
  } else if (r.name == "time") {
    Time(session, r, out);
  } else if (r.name == "capture") {
    Capture(session, r, out);
  } else if (r.name == "datalog") {
    Datalog(session, r, out);
  } else if (r.name == "sim") {
    Sim(session, r);
  } else if (r.name == "udev-rule") {
    out << UdevRuleText(State().usb.AdapterUsbIds);
  } else if (!RunSpiCommand(session, r.name, r.spi, out) &&
             !RunConfigCommand(session, r.name, r.config, out) &&
             !RunTriggerCommand(session, r.name, r.trigger, out) &&
             !RunAnalyzeCommand(session, r.name, r.analyze, out)) {
    BadInput("unknown command: " + r.name);
  }
  session.CheckSimFlash();
}

}  // namespace kva::ctl
