// SPDX-License-Identifier: GPL-3.0-or-later
// kva7710ctl with several simulated adapter boards, and its --json documents.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>

#include "cli/ctl_runner.h"
#include "support/dev_setup.h"
#include "support/temp_dir.h"

namespace {

using kvatest::RunCtl;
using Failure = std::pair<int, std::string>;  // exit code, error text

Failure FailureOf(const kvatest::CtlResult& r) { return {r.code, r.err}; }

constexpr const char* kBoardRow = "\tALDER\tKVA7710 USB-SPI Adapter\tSIMULATED ";

TEST(CtlAdapters, ChosenSlotIsTheOneInUseAndAnEmptySlotIsRefused) {
  kvatest::TempDir dir;
  // "in use" after the bring-up names the board the session's exchanges go to.
  auto r = RunCtl({"--simulate", "--sim-adapters", "0,1", "--adapter", "1"},
                  "read SUPPLY_OUT\nlist-adapters\n");
  EXPECT_EQ(FailureOf(r), Failure(0, ""));
  EXPECT_EQ(r.out, std::string("SUPPLY_OUT\t02A4\t3.299\n") + "0\tEzusb-0" + kBoardRow +
                       "0\t2.3\t2.0\n1\tEzusb-1" + kBoardRow +
                       "1\t2.3\t2.0\tin use\n2\tEzusb-2\tempty\n3\tEzusb-3\tempty\n");
  // Without --adapter the first usable board is used, as at the desktop program's start.
  r = RunCtl({"--simulate", "--sim-adapters", "3,1", "list-adapters"});
  EXPECT_EQ(kvatest::SplitLines(r.out)[1],
            std::string("1\tEzusb-1") + kBoardRow + "1\t2.3\t2.0\tin use");

  r = RunCtl({"--simulate", "--sim-adapters", "0,1", "--adapter", "2", "read", "SUPPLY_OUT"});
  EXPECT_EQ(FailureOf(r), Failure(3, "kva7710ctl: no adapter board in slot 2 (Ezusb-2)\n"));
  EXPECT_EQ(r.out, "");

  EXPECT_EQ(RunCtl({"--simulate", "--interface", "parallel", "--adapter", "0", "status"}).code, 2);
  EXPECT_EQ(FailureOf(RunCtl({"--simulate", "--sim-adapters", "1,1", "status"})),
            Failure(2,
                    "kva7710ctl: --sim-adapters takes distinct slots 0..3 separated by commas, "
                    "not 1,1\n"));
}

TEST(CtlJson, EveryValueCommandPrintsOneDocumentThatParses) {
  kvatest::TempDir dir;
  const std::vector<std::string> commands = {"read SUPPLY_OUT TEMP_OUT",
                                             "write SMPL_PRD 00ff",
                                             "list",
                                             "status",
                                             "time",
                                             "rate 100",
                                             "offsets --x 100",
                                             "alarm 2 Temperature 30 less",
                                             "alarm-output on DIO1 high",
                                             "alarms",
                                             "misc self-test=on",
                                             "gpio",
                                             "spi 0200 0000",
                                             "spi-setup",
                                             "list-adapters",
                                             "trigger set --source1 X_Acc --level1 12 --enable 1",
                                             "datalog --signals 1 --samples 2 --files 2 --name J",
                                             "capture --out cap.csv",
                                             "capture"};
  std::string batch;
  for (const auto& c : commands) batch += c + "\n";
  const auto r = RunCtl({"--simulate", "--sim-adapters", "0,2", "--json"}, batch);
  ASSERT_EQ(FailureOf(r), Failure(0, ""));
  const auto lines = kvatest::SplitLines(r.out);
  ASSERT_EQ(lines.size(), commands.size()) << r.out;

  EXPECT_EQ(lines[0],
            R"({"registers":[{"name":"SUPPLY_OUT","index":1,"address":"0002","hex":"02A4",)"
            R"("raw":676,"value":3.2988799,"unit":"V"},{"name":"TEMP OUT","index":6,)"
            R"("address":"000C","hex":"0133","raw":307,"value":24.951172,"unit":"C"}]})");
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

  EXPECT_EQ(lines[16], R"({"files":["./J_1.csv","./J_2.csv"],"cancelled":false,)"
                       R"("samples_in_last_file":2})");
  // The capture as a file, then the same events in the document itself.
  std::smatch m;
  ASSERT_TRUE(std::regex_match(
      lines[17], m,
      std::regex(
          R"(\{"file":"cap.csv","events_stored":([0-9]+),"event_length":1024,"buffers":8\})")))
      << lines[17];
  EXPECT_TRUE(lines[18].starts_with(R"({"events_stored":)" + m[1].str() +
                                    R"(,"event_length":1024,"buffers":8,"events":[)"))
      << lines[18];
  const std::string file = kvatest::ReadFileBytes("cap.csv");
  const auto count = [](const std::string& text, const std::string& word) {
    size_t n = 0;
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count(lines[18], R"("event":)"), count(file, "Event #"));

  if (std::system("command -v python3 >/dev/null") != 0) GTEST_SKIP() << "no python3";
  kvatest::WriteFileBytes("docs.json", r.out);
  EXPECT_EQ(std::system("python3 -m json.tool --json-lines docs.json >/dev/null"), 0) << r.out;
}

}  // namespace
