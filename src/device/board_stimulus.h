// SPDX-License-Identifier: GPL-3.0-or-later
// What the user may do to a simulated board's sensor: the world it measures. The simulated
// board installs its sensor here while it runs; on hardware nothing is installed. The desktop
// program's "Simulated Board" window and kva7710ctl's sim commands both act through it.
#pragma once

#include <string>

#include "state/program_state.h"

namespace kva {

struct BoardStimulusState {
  std::string scenario;  // "bench" or "demo"
  double xG = 0, yG = 0, zG = 1;
  double supplyV = 3.30, tempC = 25.0, auxV = 1.00;
  bool selfTestFault = false;
};

class BoardStimulus {
 public:
  virtual ~BoardStimulus() = default;

  // "bench" or "demo", each from its own start values; false (and no change) for another name.
  virtual bool SetScenario(const std::string& name) = 0;
  virtual void SetAcceleration(double xG, double yG, double zG) = 0;
  // A half-sine shock on axis 0 (X), 1 (Y) or 2 (Z), starting now.
  virtual void Shock(int axis, double peakG, double durationMs) = 0;
  virtual void SetSupply(double volts) = 0;
  virtual void SetTemperature(double c) = 0;
  virtual void SetAux(double volts) = 0;
  // Self-test leaves X still and reports the failure.
  virtual void SetSelfTestFault(bool fault) = 0;

  virtual BoardStimulusState State() const = 0;
};

// Not owned; nullptr when no simulated board runs.
void SetBoardStimulus(BoardStimulus* stimulus);
BoardStimulus* CurrentBoardStimulus();

}  // namespace kva
