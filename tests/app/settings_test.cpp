// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <tuple>

#include "device/bring_up.h"
#include "device/register_map.h"
#include "support/program_state.h"
#include "support/temp_dir.h"
#include "usbspi/usb_adapter.h"

namespace kva {
namespace {

using kvatest::ReadFileBytes;
using kvatest::TempDir;
using kvatest::WriteFileBytes;

class SettingsFile : public kvatest::ProgramStateTest {
 protected:
  TempDir dir;
};

TEST_F(SettingsFile, SaveWritesThreeCrLfLinesInPrintForm) {
  InterfaceType = 1;
  PortAddress = 888;
  FactoryMode = 0;
  ASSERT_TRUE(SaveCommSettings());
  EXPECT_EQ(ReadFileBytes("CommPort.cfg"),
            "Interface =  1 \r\nPort Address =  888 \r\nFactory =  0 \r\n");
}

TEST_F(SettingsFile, LoadThenSaveReproducesTheLinesWhateverTheSpacing) {
  WriteFileBytes("CommPort.cfg", "   Factory = 3\nInterface =    2   \r\nPort Address = -6144\r\n");
  LoadCommSettings();
  EXPECT_EQ(InterfaceType, 2);
  EXPECT_EQ(static_cast<uint16_t>(PortAddress), 0xE800);
  EXPECT_EQ(FactoryMode, 3);
  ASSERT_TRUE(SaveCommSettings());
  EXPECT_EQ(ReadFileBytes("CommPort.cfg"),
            "Interface =  2 \r\nPort Address = -6144 \r\nFactory =  3 \r\n");
}

TEST_F(SettingsFile, AnyLineEndSeparatesTheLines) {
  for (const char* end : {"\r\n", "\n", "\r"}) {
    InterfaceType = PortAddress = FactoryMode = 0;
    WriteFileBytes("CommPort.cfg", std::string("Interface =  2 ") + end + "Port Address =  888 " +
                                       end + "Factory =  1 " + end);
    LoadCommSettings();
    EXPECT_EQ(std::tuple(InterfaceType, PortAddress, FactoryMode), std::tuple(2, 888, 1))
        << int(end[0]);
  }
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
  EXPECT_EQ(InterfaceType, 2);
  EXPECT_EQ(PortAddress, 956);
  EXPECT_EQ(FactoryMode, 9);
}

TEST_F(SettingsFile, FailedSaveKeepsThePreviousFile) {
  WriteFileBytes("CommPort.cfg", "Interface =  1 \r\n");
  InterfaceType = 2;
  EXPECT_FALSE(SaveCommSettings((dir.path() / "missing-folder" / "CommPort.cfg").string()));
  EXPECT_EQ(ReadFileBytes("CommPort.cfg"), "Interface =  1 \r\n");
}

TEST_F(SettingsFile, SavedOverItsFileInAFolderThatTakesNoNewFile) {
  WriteFileBytes("CommPort.cfg", "Interface =  1 \r\nPort Address =  888 \r\nFactory =  0 \r\n");
  InterfaceType = 2;
  kvatest::ClosedFolder closed(dir.path());
  if (!closed.held()) GTEST_SKIP() << "no way to close a folder here";
  ASSERT_TRUE(SaveCommSettings());
  EXPECT_EQ(ReadFileBytes("CommPort.cfg"),
            "Interface =  2 \r\nPort Address =  0 \r\nFactory =  0 \r\n");
}

TEST_F(SettingsFile, StartupStepsSetTheStartValuesThenReadTheFile) {
  // A file with one line leaves the other values at their start values.
  WriteFileBytes("CommPort.cfg", "Port Address = 888\r\n");
  InterfaceType = 2;
  FactoryMode = 5;
  SpiChannel = 4;
  CaptureFileName.assign(1, 'x');
  RunStartupSteps();
  EXPECT_EQ(InterfaceType, 0);
  EXPECT_EQ(FactoryMode, 0);
  EXPECT_EQ(PortAddress, 888);
  EXPECT_EQ(SpiChannel, 1);
  EXPECT_EQ(CaptureFileName, "DataCapBuff");
  EXPECT_EQ(RegisterMap[XACCL_OUT].Label, "XACCL_OUT");

  std::filesystem::remove("CommPort.cfg");
  PortAddress = 0x278;
  LoadCommSettings();  // no file: the values stand
  EXPECT_EQ(PortAddress, 0x278);
}

}  // namespace
}  // namespace kva
