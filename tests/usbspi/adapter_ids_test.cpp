// SPDX-License-Identifier: GPL-3.0-or-later
#include "usbspi/adapter_ids.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/program_state.h"
#include "support/temp_dir.h"

namespace kva {
namespace {

TEST(UsbIdText, ParsesHexPairsAndRefusesTheRest) {
  // clang-format off
  const std::pair<const char*, const char*> cases[] = {
      {"1209:ed03", "1209:ed03"}, {" 4B4:1 ", "04b4:0001"}, {"ffff:0000", "ffff:0000"},
      {"", "refused"}, {"1209", "refused"}, {"12345:0001", "refused"}, {"1209:ed03x", "refused"},
      {"0x1209:ed03", "refused"}, {"1209:", "refused"}, {":ed03", "refused"}, {"-1:2", "refused"},
      {"1209:ed03:1", "refused"}};
  // clang-format on
  for (const auto& [text, expected] : cases) {
    const auto id = ParseUsbId(text);
    EXPECT_EQ(id ? UsbIdText(*id) : "refused", expected) << text;
  }
}

class AddedUsbIds : public kvatest::ProgramStateTest {
 protected:
  void SetUp() override {
    ProgramStateTest::SetUp();
    setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
    unsetenv(kUsbIdsVariable);
  }
  void TearDown() override {
    unsetenv("XDG_CONFIG_HOME");
    unsetenv(kUsbIdsVariable);
    ProgramStateTest::TearDown();
  }
  void WriteIdsFile(const std::string& text) {
    std::filesystem::create_directories(dir.path() / "kva7710");
    kvatest::WriteFileBytes(dir.path() / "kva7710" / "usb-ids", text);
  }
  static std::vector<std::string> Ids() {
    std::vector<std::string> texts;
    for (const UsbId id : State().usb.AdapterUsbIds) texts.push_back(UsbIdText(id));
    return texts;
  }
  kvatest::TempDir dir;
};

TEST_F(AddedUsbIds, FileThenVariableThenOptionsEachIdOnce) {
  WriteIdsFile("# boards of the lab\n\n04b4:1004, 1209:ed03  # ALDER is there anyway\nabcd:1\n");
  setenv(kUsbIdsVariable, "abcd:0002,04B4:1004", 1);
  EXPECT_EQ(AddAdapterUsbIds({"1:2", "3:4,abcd:1"}), "");
  EXPECT_EQ(Ids(), (std::vector<std::string>{"1209:ed03", "1209:ef00", "04b4:1004", "abcd:0001",
                                             "abcd:0002", "0001:0002", "0003:0004"}));
  // Only listed IDs are adapters; an added one takes its type from a known product ID.
  EXPECT_EQ((std::vector<std::string>{BoardTypeOf(0x04B4, 0x1004), BoardTypeOf(0x0003, 0x0004),
                                      BoardTypeOf(0x1209, 0xEF00), BoardTypeOf(0x1209, 0x1004),
                                      BoardTypeOf(0x04B4, 0xED03)}),
            (std::vector<std::string>{"04B4:1004", "0003:0004", "BIRCH", "None", "None"}));
  EXPECT_EQ(AddAdapterUsbIds({"04b4:ed03"}), "");
  EXPECT_EQ(BoardTypeOf(0x04B4, 0xED03), "ALDER");
}

TEST_F(AddedUsbIds, FirstBadIdIsNamedWithItsSourceAndNothingIsAdded) {
  const std::string hint =
      ": give the vendor and product ID in hex, as VID:PID (for example 1209:ed03)";
  struct Case {
    const char* file;
    const char* variable;
    std::vector<std::string> options;
    std::string message;
  };
  const std::string file = (dir.path() / "kva7710" / "usb-ids").string();
  const std::vector<Case> cases = {
      {"1:2\n\n3:4 , 12g4:1\n", "", {}, "bad USB ID \"12g4:1\" in " + file + " line 3" + hint},
      {"1:2\n", "5:6,,7:8", {}, "bad USB ID \"\" in KVA7710_USB_IDS" + hint},
      {"", "5:6", {"7:8", "1209"}, "bad USB ID \"1209\" in --usb-id" + hint},
  };
  for (const Case& c : cases) {
    WriteIdsFile(c.file);
    setenv(kUsbIdsVariable, c.variable, 1);
    EXPECT_EQ(AddAdapterUsbIds(c.options), c.message);
    EXPECT_EQ(State().usb.AdapterUsbIds, kDefaultAdapterUsbIds);
  }
}

// The packaged rule file is what `kva7710ctl udev-rule` prints for the default IDs.
TEST(UdevRule, PackagedFileIsTheRuleForTheDefaultIds) {
  const char* source = std::getenv("KVA_TEST_SOURCE_DIR");
  ASSERT_NE(source, nullptr);
  const std::string packaged = kvatest::ReadFileBytes(std::filesystem::path(source) / "packaging" /
                                                      "60-kva7710-usbspi.rules");
  ASSERT_TRUE(packaged.starts_with("# SPDX-License-Identifier: GPL-3.0-or-later\n"));
  EXPECT_EQ(packaged.substr(packaged.find('\n') + 1), UdevRuleText(kDefaultAdapterUsbIds));
}

}  // namespace
}  // namespace kva
