// SPDX-License-Identifier: GPL-3.0-or-later
// kva7710ctl with several simulated adapter boards, and its --json documents.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>

#include "support/ctl_lines.h"
#include "support/dev_setup.h"
#include "support/temp_dir.h"

namespace {

using kvatest::Failure;
using kvatest::FailureOf;
using kvatest::RunLines;

kva::ctl::GlobalOptions Adapters(const char* slots, int adapter = -1, bool json = false) {
  kva::ctl::GlobalOptions options;
  options.simulate = true, options.simAdapters = slots, options.adapter = adapter;
  options.json = json;
  return options;
}

class CtlAdapters : public kvatest::ProgramStateTest {
 protected:
  kvatest::TempDir dir;
};

constexpr const char* kBoardRow = "\tALDER\tKVA7710 USB-SPI Adapter\tSIMULATED ";

TEST_F(CtlAdapters, ChosenSlotIsTheOneInUseAndAnEmptySlotIsRefused) {
  // "in use" after the bring-up names the board the session's exchanges go to.
  auto r = RunLines("read SUPPLY_OUT\nlist-adapters\n", Adapters("0,1", 1));
  EXPECT_EQ(FailureOf(r), Failure(0, ""));
  EXPECT_EQ(r.out, std::string("SUPPLY_OUT\t02A4\t3.299\n") + "0\tEzusb-0" + kBoardRow +
                       "0\t2.3\t2.0\n1\tEzusb-1" + kBoardRow +
                       "1\t2.3\t2.0\tin use\n2\tEzusb-2\tempty\n3\tEzusb-3\tempty\n");
  // Without --adapter the first usable board is used, as at the desktop program's start.
  r = RunLines("list-adapters\n", Adapters("3,1"));
  EXPECT_EQ(kvatest::SplitLines(r.out)[1],
            std::string("1\tEzusb-1") + kBoardRow + "1\t2.3\t2.0\tin use");

  EXPECT_EQ(FailureOf(RunLines("read SUPPLY_OUT\n", Adapters("0,1", 2))),
            Failure(3, "line 1: no adapter board in slot 2 (Ezusb-2)\n"));
  EXPECT_EQ(FailureOf(RunLines("status\n", Adapters("1,1"))),
            Failure(2, "--sim-adapters takes distinct slots 0..3 separated by commas, not 1,1\n"));
}

// The keys of each document, each once, in the order they first appear.
std::string KeysOf(const std::string& document) {
  std::string keys;
  const std::regex key(R"re("([A-Za-z_0-9]+)":)re");
  for (auto it = std::sregex_iterator(document.begin(), document.end(), key);
       it != std::sregex_iterator(); ++it) {
    const std::string name = (*it)[1].str() + " ";
    if (keys.find(" " + name) == std::string::npos && !keys.starts_with(name)) keys += name;
  }
  return keys;
}

TEST_F(CtlAdapters, EveryValueCommandPrintsOneDocumentWithItsFields) {
  constexpr const char* kRegisters = "registers name index address hex raw value unit ";
  constexpr const char* kAlarms =
      "alarms alarm register hex raw source source_code polarity level "
      "unit indicator enabled line active ";
  constexpr const char* kBits = "register hex raw bits name mask set state ";
  constexpr const char* kTriggers =
      "capt_cfg hex raw length pretrigger_sixteenths pretrigger_samples alm_ctrl sources_valid "
      "triggers trigger enabled source source_code polarity level unit register ";
  // clang-format off
  const std::pair<const char*, const char*> rows[] = {
      {"read SUPPLY_OUT TEMP_OUT", kRegisters}, {"write SMPL_PRD 00ff", kRegisters},
      {"list", "registers name index address hex raw value unit ea nd "},
      {"status", "hex raw flags name bit alarm state "},
      {"time", "date time year month day hour minute words DATE___ YEAR___ TIME___ "},
      {"rate 100", "register hex raw rate unit "},
      {"offsets --x 100", "offsets axis register hex raw value unit "},
      {"alarm 2 Temperature 30 less", kAlarms}, {"alarm-output on DIO1 high", kAlarms},
      {"alarms", kAlarms}, {"misc self-test=on", kBits}, {"gpio", kBits},
      {"spi 0200 0000", "words hex raw "},
      {"spi-setup", "static_bits hex raw names word_delay value unit "},
      {"list-adapters",
       "slots slot device found board_type present descriptor0 descriptor1 revision speed in_use "},
      {"trigger set --source1 X_Acc --level1 12 --enable 1", kTriggers}, {"trigger show", kTriggers},
      {"datalog --signals 1 --samples 2 --files 2 --name J", "files cancelled samples_in_last_file "},
      {"write CAPT_CFG 0023", kRegisters}, {"write ALM_MAG1 8064", kRegisters},
      {"write ALM_CTRL 0410", kRegisters},
      {"sim shock z 20 5\nsim wait 500\ncapture --out cap.csv", "file events_stored event_length buffers "},
      {"capture", "events_stored event_length buffers events event xyz time date temp voltage aux x y z "},
  };
  // clang-format on
  std::string batch;
  for (const auto& row : rows) batch += row.first + std::string("\n");
  const auto r = RunLines(batch, Adapters("0,2", -1, true));
  ASSERT_EQ(FailureOf(r), Failure(0, ""));
  const auto lines = kvatest::SplitLines(r.out);
  ASSERT_EQ(lines.size(), std::size(rows)) << r.out;
  for (size_t i = 0; i < lines.size(); ++i)
    EXPECT_EQ(KeysOf(lines[i]), rows[i].second) << rows[i].first;

  EXPECT_EQ(lines[9],
            R"({"alarms":[{"alarm":1,"register":"ALM_MAG1","hex":"0000","raw":0,)"
            R"("source":"Disabled","source_code":0,"polarity":"less","level":null,"unit":null},)"
            R"({"alarm":2,"register":"ALM_MAG2","hex":"0148","raw":328,"source":"Temperature",)"
            R"("source_code":6,"polarity":"less","level":30.078125,"unit":"C"}],)"
            R"("indicator":{"register":"ALM_CTRL","hex":"6007","raw":24583,"enabled":true,)"
            R"("line":"DIO1","active":"high"}})");
  EXPECT_EQ(lines[14],
            R"({"slots":[{"slot":0,"device":"Ezusb-0","found":true,"board_type":"ALDER",)"
            R"("present":true,"descriptor0":"KVA7710 USB-SPI Adapter","descriptor1":"SIMULATED 0",)"
            R"("revision":2.3,"speed":"2","in_use":true},)"
            R"({"slot":1,"device":"Ezusb-1","found":false},)"
            R"({"slot":2,"device":"Ezusb-2","found":true,"board_type":"ALDER","present":true,)"
            R"("descriptor0":"KVA7710 USB-SPI Adapter","descriptor1":"SIMULATED 2",)"
            R"("revision":2.3,"speed":"2","in_use":false},)"
            R"({"slot":3,"device":"Ezusb-3","found":false}]})");
  EXPECT_EQ(lines[15],  // trigger 2 is alarm 2, set above
            R"({"capt_cfg":{"hex":"0000","raw":0,"length":1024,"pretrigger_sixteenths":0,)"
            R"("pretrigger_samples":0},"alm_ctrl":{"hex":"6217","raw":25111,"sources_valid":true},)"
            R"("triggers":[{"trigger":1,"enabled":true,"source":"X_Acc","source_code":2,)"
            R"("polarity":"less","level":11.976199,"unit":"g","register":"ALM_MAG1","hex":"00E9",)"
            R"("raw":233},{"trigger":2,"enabled":false,"source":"Temperature","source_code":6,)"
            R"("polarity":"less","level":30.078125,"unit":"C","register":"ALM_MAG2","hex":"0148",)"
            R"("raw":328}]})");
  EXPECT_EQ(lines[17], R"({"files":["./J_1.csv","./J_2.csv"],"cancelled":false,)"
                       R"("samples_in_last_file":2})");
  EXPECT_EQ(lines[21], R"({"file":"cap.csv","events_stored":1,"event_length":128,"buffers":64})");

  if (std::system("command -v python3 >/dev/null") != 0) GTEST_SKIP() << "no python3";
  kvatest::WriteFileBytes("docs.json", r.out);
  EXPECT_EQ(std::system("python3 -m json.tool --json-lines docs.json >/dev/null"), 0) << r.out;
}

}  // namespace
