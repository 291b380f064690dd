// SPDX-License-Identifier: GPL-3.0-or-later
// The program's whole mutable state in one object, one record per subsystem; a record's
// default member initialisers are its start values. The seams are part of it, so a reset
// also uninstalls them. The records sit below every layer (standard library only), which lets
// each layer reach its own record without including a layer above it.
#pragma once

#include "state/app_state.h"
#include "state/device_state.h"
#include "state/feature_state.h"

namespace kva {

struct ProgramState {
  SettingsState settings;
  DelayState delay;
  HookState hooks;
  RunState run;
  RegisterState registers;
  SeamState seams;
  UsbState usb;
  CaptureState capture;
  ControlState control;

  bool operator==(const ProgramState&) const = default;
};

namespace detail {
inline ProgramState programState;
}

inline ProgramState& State() { return detail::programState; }

// Every record back to its start value, as a fresh program has it.
inline void ResetProgramState() { State() = ProgramState{}; }

}  // namespace kva
