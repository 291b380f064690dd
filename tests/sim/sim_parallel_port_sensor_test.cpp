// Register access end to end: the parallel-port transport, bit by bit through the simulated
// port, to the simulated sensor and back.
#include <gtest/gtest.h>

#include "app/delay.h"
#include "app/settings.h"
#include "device/port_faults.h"
#include "device/port_io.h"
#include "device/register_access.h"
#include "device/register_map.h"
#include "sim/kva7710.h"
#include "sim/sim_parallel_port.h"

namespace kva::sim {
namespace {

class LptSensor : public ::testing::Test {
 protected:
  void SetUp() override {
    InitRegisterMap();
    ResetRegisterAccess();
    ResetDelay();
    DelayCalibrated = true;
    DelayLoopCount = 1;
    InterfaceType = 1;
    PortAddress = 0x378;
    SetPortIo(&port);
  }
  void TearDown() override {
    SetPortIo(nullptr);
    ResetSettings();
    ResetDelay();
    ResetRegisterAccess();
  }
  int32_t Read(int16_t index) {
    ReadRegister(index);
    return RegRawValue;
  }
  double now = 0.0;
  Kva7710 sensor{[this] { return now; }};
  SimParallelPort port{sensor};
};

TEST_F(LptSensor, IdentifiesItself) {
  EXPECT_EQ(Read(PROD_ID), 0x1E1E);
  EXPECT_EQ(Read(SW_REV), 0x0100);
  EXPECT_EQ(port.DroppedFrames(), 0u);
}

TEST_F(LptSensor, WrittenRegistersReadBack) {
  WriteRegister(SMPL_PRD, 0x1234);
  EXPECT_EQ(Read(SMPL_PRD), 0x1234);
  WriteRegister(CAPT_PNTR, 0x0ABC);  // low byte first
  EXPECT_EQ(Read(CAPT_PNTR), 0x0ABC);
  WriteRegister(XACCL_NULL, -300);
  EXPECT_EQ(Read(XACCL_NULL), -300);
  WriteRegister(PROD_ID, 0x0000);  // read-only: the frames go out, the device keeps its value
  EXPECT_EQ(Read(PROD_ID), 0x1E1E);
}

TEST_F(LptSensor, OutputsDecodeToTheBenchStimulus) {
  struct Expect {
    int16_t index;
    double value, lsb;
  };
  const Expect outputs[] = {
      {SUPPLY_OUT, 3.30, 0.00488}, {XACCL_OUT, 0.0, 0.0514},    {YACCL_OUT, 0.0, 0.0514},
      {ZACCL_OUT, 1.0, 0.0514},    {AUX_ADC, 1.00, 3.3 / 1024}, {TEMP_OUT, 25.0, 0.244140625},
  };
  for (const Expect& e : outputs) {
    ReadRegister(e.index);
    EXPECT_NEAR(RegScaledValue, e.value, e.lsb / 2) << RegisterMap[e.index].Label;
    EXPECT_EQ(RegNDBit, 32768) << RegisterMap[e.index].Label;  // the power-on sample is new
    EXPECT_EQ(RegEABit, 0) << RegisterMap[e.index].Label;
  }
  ReadRegister(ZACCL_OUT);  // read again before the next sample: no longer new
  EXPECT_EQ(RegNDBit, 0);
  EXPECT_EQ(RegRawValue, 19);
}

TEST_F(LptSensor, StuckDataInLineHidesTheDevice) {
  PortFaults faults(port);
  SetPortIo(&faults);
  faults.StickDataIn(1);
  EXPECT_EQ(Read(PROD_ID), 0x0000);
  faults.StickDataIn(0);
  EXPECT_EQ(Read(PROD_ID), 0xFFFF);
  faults.StickDataIn(-1);
  EXPECT_EQ(Read(PROD_ID), 0x1E1E);
  // Writes still reach the device while the answer line is broken.
  faults.StickDataIn(1);
  WriteRegister(SMPL_PRD, 0x0042);
  faults.StickDataIn(-1);
  EXPECT_EQ(Read(SMPL_PRD), 0x0042);
}

}  // namespace
}  // namespace kva::sim
