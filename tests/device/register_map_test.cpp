#include "device/register_map.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "device/register_access.h"

namespace kva {
namespace {

class RegisterMapTest : public ::testing::Test {
 protected:
  void SetUp() override { InitRegisterMap(); }
};

TEST_F(RegisterMapTest, DecodesWithWidthSignScaleAndOffset) {
  // What callers rely on, through the decode that register access uses.
  EXPECT_EQ(DecodeRegisterWord(XACCL_OUT, 0xBFF6), -10);
  EXPECT_EQ(DecodeRegisterWord(CAPT_BUF_2, 0x00FF), -1);
  EXPECT_EQ(DecodeRegisterWord(CAPT_BUF_2, 0x0180), -128);
  EXPECT_EQ(DecodeRegisterWord(SUPPLY_OUT, 0xC3FF), 1023);
  EXPECT_EQ(DecodeRegisterWord(TEMP_OUT, 0x00CD), 205);
  EXPECT_EQ(DecodeRegisterWord(CHECKSUM, 0xFFFF), -1);
  EXPECT_EQ(DecodeRegisterWord(STATUS, 0xFFFF), 65535);
  EXPECT_EQ(DecodeRegisterWord(XYZ_PK_OUT, 0xFFFF), 0x3FFF);

  EXPECT_EQ(RegisterMap[TEMP_OUT].RegScale, 0.244140625f);
  EXPECT_EQ(RegisterMap[TEMP_OUT].RegOffset, -50.0f);
  EXPECT_EQ(RegisterMap[AUX_ADC].RegScale, static_cast<float>(3.3 / 1024));
  EXPECT_EQ(RegisterMap[XACCL_OUT].RegScale, 0.0514f);
  EXPECT_EQ(RegisterMap[SUPPLY_OUT].RegScale, 0.00488f);
  EXPECT_EQ(RegisterMap[XYZ_PK_OUT].RegScale, 256.0f);
}

TEST_F(RegisterMapTest, AddressesAreEvenAndInIndexOrder) {
  for (int i = 0; i < kDeviceRegisters; ++i) {
    EXPECT_EQ(RegisterMap[i].Index, i);
    EXPECT_EQ(RegisterMap[i].BaseAddr, 2 * i) << i;
    EXPECT_EQ(RegisterMap[i].NumBytes, 2);
  }
}

TEST_F(RegisterMapTest, FlagsAreSixteenBitTrue) {
  EXPECT_EQ(RegisterMap[SUPPLY_OUT].ECflag, -1);
  EXPECT_EQ(RegisterMap[SUPPLY_OUT].NDflag, -1);
  EXPECT_EQ(RegisterMap[STATUS].NDflag, 0);
  int writable = 0, flagged = 0;
  for (int i = 0; i < kDeviceRegisters; ++i) {
    writable += RegisterMap[i].WriteFlag == kTrue;
    flagged += RegisterMap[i].NDflag == kTrue;
    EXPECT_EQ(RegisterMap[i].ECflag, RegisterMap[i].NDflag) << i;
  }
  EXPECT_EQ(writable, 18);  // the nulls, clock, wake, alarms, triggers, capture, control
  EXPECT_EQ(flagged, 12);   // the output registers and the two capture buffers
  for (int i = RESERVED_19; i <= RESERVED_22; ++i) {
    EXPECT_EQ(RegisterMap[i].ReadFlag, kFalse);
    EXPECT_EQ(RegisterMap[i].Label, "reserved");
  }
  EXPECT_EQ(RegisterMap[PROD_ID].Hidden, kTrue);
  EXPECT_EQ(RegisterMap[SW_REV].Hidden, kTrue);
  EXPECT_EQ(RegisterMap[PROD_ID].WriteFlag, kFalse);
}

TEST_F(RegisterMapTest, LabelsAreStoredAsTheDeviceNamesThem) {
  EXPECT_EQ(RegisterMap[TEMP_OUT].Label, "TEMP OUT");
  EXPECT_EQ(RegisterMap[X_PEAK_OUT].Label, "X_PEAK OUT");
  EXPECT_EQ(RegisterMap[TIME_REG].Label, "TIME___");
  EXPECT_EQ(RegisterMap[GPIO_CTR].Label, "GPIO_CTR");
  EXPECT_EQ(FindRegisterByLabel("temp_out"), TEMP_OUT);
  EXPECT_EQ(FindRegisterByLabel("Y_PEAK OUT"), Y_PEAK_OUT);
  EXPECT_EQ(FindRegisterByLabel("time___"), TIME_REG);
  EXPECT_EQ(FindRegisterByLabel("smpl_prd"), SMPL_PRD);
  EXPECT_EQ(FindRegisterByLabel("nothing"), -1);
  EXPECT_EQ(FindRegisterByLabel(""), -1);
}

TEST_F(RegisterMapTest, EmptySlotsAndIndexRejection) {
  for (int i = kDeviceRegisters; i < kRegisterSlots; ++i) {
    EXPECT_EQ(RegisterMap[i].Label, "");
    EXPECT_EQ(RegisterMap[i].ReadFlag, kFalse);
    EXPECT_EQ(RegisterMap[i].BaseAddr, 0);
    EXPECT_EQ(RegisterMap[i].RegScale, 0.0f);
  }
  EXPECT_THROW(RegisterMap[61], std::out_of_range);
  EXPECT_THROW(RegisterMap[-1], std::out_of_range);
  EXPECT_THROW(ReadRegister(61), std::out_of_range);
  EXPECT_THROW(WriteRegister(-1, 0), std::out_of_range);
}

}  // namespace
}  // namespace kva
