// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/settings.h"

#include <gtest/gtest.h>

#include "support/program_state.h"
#include "support/temp_dir.h"

namespace kva {
namespace {

using kvatest::ReadFileBytes;
using kvatest::TempDir;
using kvatest::WriteFileBytes;

class SettingsFile : public kvatest::ProgramStateTest {
 protected:
  TempDir dir;
};

// Saved in print form, whatever spacing and line ends the file was read with.
TEST_F(SettingsFile, LoadThenSaveGivesThreeCrLfLinesInPrintForm) {
  const struct {
    const char* read;
    const char* saved;
  } cases[] = {// clang-format off
      {"Interface = 1\r\nPort Address = 888\r\nFactory = 0\r\n",
       "Interface =  1 \r\nPort Address =  888 \r\nFactory =  0 \r\n"},
      {"   Factory = 3\nInterface =    2   \r\nPort Address = -6144\r\n",
       "Interface =  2 \r\nPort Address = -6144 \r\nFactory =  3 \r\n"},
      {"Interface =  2 \rPort Address =  956 \rFactory =  1 \r",
       "Interface =  2 \r\nPort Address =  956 \r\nFactory =  1 \r\n"},
      {"Interface =  1 \nPort Address =  632 \nFactory =  0 \n",
       "Interface =  1 \r\nPort Address =  632 \r\nFactory =  0 \r\n"}};
  // clang-format on
  for (const auto& c : cases) {
    State().settings = {};
    WriteFileBytes("CommPort.cfg", c.read);
    LoadCommSettings();
    ASSERT_TRUE(SaveCommSettings());
    EXPECT_EQ(ReadFileBytes("CommPort.cfg"), c.saved);
  }
  EXPECT_EQ(State().settings.InterfaceType, Interface::Parallel);
  EXPECT_EQ(State().settings.PortAddress, 632);
}

TEST_F(SettingsFile, KeysMatchExactlyBadLinesAreSkippedAndTheLastLineWins) {
  WriteFileBytes("CommPort.cfg",
                 "Interface = 2\r\n"
                 "Port Address = 888, Factory = 7\r\n"  // a comma ends an item
                 "\"Factory = 9\"\r\n"                  // quoted item taken without its quotes
                 "=5\r\n"                               // "=" at position 1
                 "no equals sign\r\n"
                 "interface = 1\r\n"       // wrong case
                 "Interface=1\r\n"         // key taken as "Interfac"
                 "Interface = 70000\r\n"   // outside 16 bits
                 "Interface =3\r\n"        // value starts past the line's end
                 "Port Address = 3bc\r\n"  // not an integer
                 "Factory = 2.5\r\n"       // not an integer
                 "Port Address = 956\r\n");
  LoadCommSettings();
  EXPECT_EQ(State().settings.InterfaceType, Interface::Usb);
  EXPECT_EQ(State().settings.PortAddress, 956);
  EXPECT_EQ(State().settings.FactoryMode, 9);
}

}  // namespace
}  // namespace kva
