// SPDX-License-Identifier: GPL-3.0-or-later
// What the user may do to a simulated board's sensor: the world it measures. The simulated
// board installs its sensor here while it runs; on hardware nothing is installed. The desktop
// program's "Simulated Board" window and kva7710ctl's sim commands both act through it.
#pragma once

#include <array>
#include <string>

#include "state/program_state.h"

namespace kva {

struct BoardStimulusState {
  std::string scenario;  // "bench" or "demo"
  double xG = 0, yG = 0, zG = 1;
  double supplyV = 3.30, tempC = 25.0, auxV = 1.00;
  bool selfTestFault = false;
  bool vibrationOn = false;
  int vibrationAxis = 0;  // 0 X, 1 Y, 2 Z
  double vibrationHz = 50.0, vibrationG = 0.5;
  std::array<double, 3> noiseDensity{};  // ug/sqrt(Hz) on X, Y, Z
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
  // A sine of amplitudeG (peak) at hz on axis 0..2, added to the tilt while on. The settings
  // are kept while off.
  virtual void SetVibration(int axis, double hz, double amplitudeG, bool on) = 0;
  // White noise of this density (ug/sqrt(Hz), 0 for none) on axis 0..2, at any sample rate.
  virtual void SetNoiseDensity(int axis, double ugPerRootHz) = 0;

  virtual BoardStimulusState State() const = 0;
};

// Not owned; nullptr when no simulated board runs.
void SetBoardStimulus(BoardStimulus* stimulus);
BoardStimulus* CurrentBoardStimulus();

}  // namespace kva
