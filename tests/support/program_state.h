// SPDX-License-Identifier: GPL-3.0-or-later
// The one place tests make the program's state fresh: a fresh ProgramState with the register
// map loaded, and waits that are counted rather than spent.
#pragma once

#include <gtest/gtest.h>

#include "app/delay.h"
#include "device/register_map.h"
#include "state/program_state.h"

namespace kvatest {

inline void FreshProgramState() {
  kva::ResetProgramState();
  kva::InitRegisterMap();
  kva::State().delay.DelayCalibrated = true;
  kva::State().delay.DelayLoopCount = 1;
  kva::State().delay.DelayWait = &kva::CountedWait;
}

// Fresh state before and after each test.
class ProgramStateTest : public ::testing::Test {
 protected:
  void SetUp() override { FreshProgramState(); }
  void TearDown() override { kva::ResetProgramState(); }
};

}  // namespace kvatest
