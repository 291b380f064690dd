// SPDX-License-Identifier: GPL-3.0-or-later
// The one place tests make the program's state fresh: every global back to its start value
// (kva::ResetProgramState), with waits that are counted rather than spent.
#pragma once

#include <gtest/gtest.h>

#include "app/delay.h"
#include "mainwindow/program_state.h"

namespace kvatest {

inline void FreshProgramState() {
  kva::ResetProgramState();
  kva::DelayCalibrated = true;
  kva::DelayLoopCount = 1;
  kva::DelayWait = &kva::CountedWait;
}

// Fresh state before and after each test.
class ProgramStateTest : public ::testing::Test {
 protected:
  void SetUp() override { FreshProgramState(); }
  void TearDown() override { kva::ResetProgramState(); }
};

}  // namespace kvatest
