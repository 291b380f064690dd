// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/kva7710.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <utility>

#include "app/hooks.h"
#include "device/register_map.h"

namespace kva::sim {
namespace {

struct RegisterDef {
  uint16_t reset;
  uint16_t writable;  // 0: read-only
};

// Stored registers by slot; computed ones (outputs, status, clock, capture data) are 0 here.
constexpr std::array<RegisterDef, kDeviceRegisters> kRegisterDefs = [] {
  std::array<RegisterDef, kDeviceRegisters> s{};
  s[XACCL_NULL] = {0, 0xFFFF};
  s[YACCL_NULL] = {0, 0xFFFF};
  s[ZACCL_NULL] = {0, 0xFFFF};
  s[TIME_REG] = {0, 0x3F7F};
  s[DATE_REG] = {0, 0x1F3F};
  s[YEAR_REG] = {0, 0x00FF};
  s[WAKE_TIME] = {0, 0x3F7F};
  s[WAKE_DATE] = {0, 0x1F3F};
  s[ALM_MAG1] = {0, 0xBFFF};
  s[ALM_MAG2] = {0, 0xBFFF};
  s[ALM_CTRL] = {0, 0xFF37};
  s[XTRIG_CTRL] = {0, 0xFFFF};
  s[CAPT_PNTR] = {0, 0x1FFF};
  s[CAPT_CFG] = {0, 0x00F7};
  s[GPIO_CTR] = {0, 0x0303};
  s[MISC_CTRL] = {0, 0xC307};
  s[SMPL_PRD] = {0x001F, 0xFFFF};
  s[COMMAND] = {0, 0x017F};
  s[PROD_ID] = {0x1E1E, 0};
  s[SW_REV] = {0x0100, 0};
  return s;
}();

constexpr uint16_t kMinSamplePeriod = 7;  // 4096 samples per second

}  // namespace

Kva7710::Kva7710(std::function<double()> clock, std::string flashPath)
    : clock_(std::move(clock)), flashPath_(std::move(flashPath)) {
  if (!clock_) throw std::invalid_argument("Kva7710 needs a clock");
  capt1_.assign(kCaptureLocations, 0);
  capt2_.assign(kCaptureLocations, 0);
  pendingHigh_.fill(-1);
  for (int i = 0; i < kDeviceRegisters; ++i) regs_[i] = kRegisterDefs[i].reset;
  LoadFlash();

  const double now = clock_();
  lastNow_ = std::isfinite(now) ? now : 0.0;
  const LocalDateTime local = LocalNow();
  rtcBase_.year = local.year % 100;
  rtcBase_.month = local.month;
  rtcBase_.day = local.day;
  rtcBase_.hour = local.hour;
  rtcBase_.minute = local.minute;
  rtcBase_.second = local.second;
  rtcBaseTime_ = lastNow_;

  RestartDemo();
  PowerUpSelfTest();
  // The first sample is taken at power-on, so the outputs are valid from the first frame.
  period_ = (regs_[SMPL_PRD] + 1) / 32768.0;
  anchorIndex_ = 0;
  anchorTime_ = lastNow_;
  RunSamples(0, 1);
  nextIndex_ = 1;
  UpdateDueTime();
}

uint16_t Kva7710::Transfer(uint16_t mosi) {
  const uint16_t answer = pending_;
  Advance(clock_());
  const int address = (mosi >> 8) & 0x7F;
  if (mosi & 0x8000) {
    WriteByte(address, static_cast<uint8_t>(mosi & 0xFF));
    pending_ = 0;
  } else {
    pending_ = ReadLatched(address >> 1);
  }
  return answer;
}

void Kva7710::Sync() { Advance(clock_()); }

uint16_t Kva7710::Peek(uint8_t byteAddress) const { return WordAt((byteAddress & 0x7E) >> 1); }

// ---- registers ---------------------------------------------------------------------------

uint16_t Kva7710::StatusWord() const {
  uint16_t s = statusLatched_;
  if (last_.supplyV < 2.9) s |= 0x0001;
  if (last_.supplyV > 3.6) s |= 0x0002;
  return s;
}

uint16_t Kva7710::WordAt(int slot) const {
  const uint16_t flags = (statusLatched_ & 0x0300) ? 0x4000 : 0;
  auto output = [&](int value, uint16_t mask) {
    return static_cast<uint16_t>((newData_[slot] ? 0x8000 : 0) | flags |
                                 (static_cast<uint16_t>(value) & mask));
  };
  switch (slot) {
    case ENDURANCE:
      return endurance_;
    case SUPPLY_OUT:
      return output(last_.supply, 0x03FF);
    case XACCL_OUT:
    case YACCL_OUT:
    case ZACCL_OUT:
      return output(last_.out[slot - XACCL_OUT], 0x3FFF);
    case AUX_ADC:
      return output(last_.aux, 0x3FFF);
    case TEMP_OUT:
      return output(last_.temp, 0x3FFF);
    case X_PEAK_OUT:
    case Y_PEAK_OUT:
    case Z_PEAK_OUT:
      return output(peak_[slot - X_PEAK_OUT], 0x3FFF);
    case XYZ_PK_OUT:
      return output(xyzPk_, 0x3FFF);
    case CAPT_BUF_1:
      return capt1_[regs_[CAPT_PNTR] & 0x1FFF];
    case CAPT_BUF_2:
      return capt2_[regs_[CAPT_PNTR] & 0x1FFF];
    case STATUS:
      return StatusWord();
    case EVENTS:
      return events_;
    case CHECKSUM:
      return checksum_;
    case TIME_REG:
    case DATE_REG:
    case YEAR_REG: {
      const Rtc r = ClockAt(lastNow_);
      auto bcd = [](int v) { return static_cast<uint16_t>((v / 10) * 16 + v % 10); };
      if (slot == TIME_REG) return static_cast<uint16_t>(bcd(r.hour) << 8 | bcd(r.minute));
      if (slot == DATE_REG) return static_cast<uint16_t>(bcd(r.month) << 8 | bcd(r.day));
      return bcd(r.year);
    }
    case COMMAND:
      return 0;
    default:
      return slot < kDeviceRegisters ? regs_[slot] : 0;
  }
}

uint16_t Kva7710::ReadLatched(int slot) {
  const uint16_t word = WordAt(slot);
  if (slot >= SUPPLY_OUT && slot <= XYZ_PK_OUT) newData_[slot] = false;
  return word;
}

void Kva7710::WriteByte(int address, uint8_t data) {
  const int slot = address >> 1;
  if (slot >= kDeviceRegisters || kRegisterDefs[slot].writable == 0) return;
  const bool high = address & 1;
  if (slot == CAPT_PNTR) {
    const uint16_t old = regs_[slot];
    const uint16_t word = high ? static_cast<uint16_t>(data << 8 | (old & 0xFF))
                               : static_cast<uint16_t>((old & 0xFF00) | data);
    regs_[slot] = word & kRegisterDefs[slot].writable;
    return;
  }
  if (high) {
    pendingHigh_[slot] = data;
    return;
  }
  int hi = pendingHigh_[slot];
  pendingHigh_[slot] = -1;
  if (hi < 0) hi = slot == COMMAND ? 0 : WordAt(slot) >> 8;
  Commit(slot, static_cast<uint16_t>(hi << 8 | data));
}

void Kva7710::Commit(int slot, uint16_t word) {
  word &= kRegisterDefs[slot].writable;
  switch (slot) {
    case COMMAND:
      Execute(word);
      return;
    case TIME_REG:
    case DATE_REG:
    case YEAR_REG:
      SetClockWord(slot, word);
      return;
    case SMPL_PRD: {
      if (word < kMinSamplePeriod) word = kMinSamplePeriod;
      if (word == regs_[slot]) return;
      regs_[slot] = word;
      const double lastSample = SampleTime(nextIndex_ - 1);
      period_ = (word + 1) / 32768.0;
      Reanchor(std::max(lastSample + period_, lastNow_));
      return;
    }
    case CAPT_CFG: {
      const bool lengthChanged = ((regs_[slot] ^ word) & 7) != 0;
      regs_[slot] = word;
      if (lengthChanged) ClearCapture();
      return;
    }
    case MISC_CTRL: {
      const bool selfTestOn = (word & 0x0100) && !(regs_[slot] & 0x0100);
      regs_[slot] = word;
      if (selfTestOn) statusLatched_ = (statusLatched_ & ~0x0020) | (selfTestFault_ ? 0x0020 : 0);
      return;
    }
    case XACCL_NULL:
    case YACCL_NULL:
    case ZACCL_NULL:
      regs_[slot] = word;
      RecomputeOutputs();
      return;
    default:
      regs_[slot] = word;
      return;
  }
}

void Kva7710::RecomputeOutputs() {
  for (int a = 0; a < 3; ++a) {
    const int v = last_.raw[a] + static_cast<int16_t>(regs_[XACCL_NULL + a]);
    last_.out[a] = std::clamp(v, -8192, 8191);
  }
}

void Kva7710::PowerUpSelfTest() {
  if (regs_[MISC_CTRL] & 0x0200) return;
  statusLatched_ = (statusLatched_ & ~0x0020) | (selfTestFault_ ? 0x0020 : 0);
}

void Kva7710::ClearCapture() {
  std::fill(capt1_.begin(), capt1_.end(), 0);
  std::fill(capt2_.begin(), capt2_.end(), 0);
  events_ = 0;
  writeSlot_ = 0;
  statusLatched_ &= ~0x0080;
  pendingEvents_.clear();
  captureBusyEnd_ = 0;
}

void Kva7710::Execute(uint16_t command) {
  if (command & 0x0001) {
    for (int a = 0; a < 3; ++a) {
      regs_[XACCL_NULL + a] = static_cast<uint16_t>(static_cast<int16_t>(-last_.raw[a]));
    }
    RecomputeOutputs();
  }
  if (command & 0x0002) {
    for (int a = 0; a < 3; ++a) regs_[XACCL_NULL + a] = 0;
    RecomputeOutputs();
  }
  if (command & 0x0004) poweredDown_ = true;
  if (command & 0x0008) FlashUpdate();
  if (command & 0x0010) statusLatched_ &= ~0x0300;
  if (command & 0x0020) {
    peak_ = {0, 0, 0};
    xyzPk_ = 0;
  }
  if (command & 0x0040) ClearCapture();
  if ((command & 0x0100) && poweredDown_) {
    poweredDown_ = false;
    Reanchor(lastNow_ + period_);
    PowerUpSelfTest();
  }
}

// ---- stimulus ----------------------------------------------------------------------------

bool Kva7710::SetScenario(const std::string& name) {
  if (name != "bench" && name != "demo") return false;
  Sync();
  accel_ = {0, 0, 1};
  supplyV_ = 3.30;
  tempC_ = 25.0;
  auxV_ = 1.00;
  shocks_.clear();
  vibrationOn_ = false;
  noiseDensity_ = {};
  demo_ = name == "demo";
  RestartDemo();
  return true;
}

void Kva7710::SetAcceleration(double xG, double yG, double zG) {
  if (!std::isfinite(xG) || !std::isfinite(yG) || !std::isfinite(zG)) return;
  Sync();
  accel_ = {xG, yG, zG};
}

void Kva7710::Shock(int axis, double peakG, double durationMs) {
  if (axis < 0 || axis > 2) throw std::out_of_range("shock axis must be 0, 1 or 2");
  if (!std::isfinite(peakG) || !std::isfinite(durationMs) || !(durationMs > 0)) return;
  Sync();
  shocks_.push_back({axis, peakG, lastNow_, durationMs / 1000.0});
}

void Kva7710::SetSupply(double volts) {
  if (!std::isfinite(volts)) return;
  Sync();
  supplyV_ = volts;
}

void Kva7710::SetTemperature(double c) {
  if (!std::isfinite(c)) return;
  Sync();
  tempC_ = c;
}

void Kva7710::SetAux(double volts) {
  if (!std::isfinite(volts)) return;
  Sync();
  auxV_ = volts;
}

void Kva7710::SetSelfTestFault(bool fault) {
  Sync();
  selfTestFault_ = fault;
  if (regs_[MISC_CTRL] & 0x0100) {
    statusLatched_ = (statusLatched_ & ~0x0020) | (fault ? 0x0020 : 0);
  }
}

void Kva7710::SetVibration(int axis, double hz, double amplitudeG, bool on) {
  if (axis < 0 || axis > 2) throw std::out_of_range("vibration axis must be 0, 1 or 2");
  if (!std::isfinite(hz) || !std::isfinite(amplitudeG) || !(hz > 0)) return;
  Sync();
  vibrationAxis_ = axis;
  vibrationHz_ = hz;
  vibrationG_ = amplitudeG;
  vibrationOn_ = on;
}

void Kva7710::SetNoiseDensity(int axis, double ugPerRootHz) {
  if (axis < 0 || axis > 2) throw std::out_of_range("noise axis must be 0, 1 or 2");
  if (!std::isfinite(ugPerRootHz) || ugPerRootHz < 0) return;
  Sync();
  noiseDensity_[static_cast<size_t>(axis)] = ugPerRootHz;
}

BoardStimulusState Kva7710::State() const {
  BoardStimulusState s;
  s.scenario = demo_ ? "demo" : "bench";
  s.xG = accel_[0];
  s.yG = accel_[1];
  s.zG = accel_[2];
  s.supplyV = supplyV_;
  s.tempC = tempC_;
  s.auxV = auxV_;
  s.selfTestFault = selfTestFault_;
  s.vibrationOn = vibrationOn_;
  s.vibrationAxis = vibrationAxis_;
  s.vibrationHz = vibrationHz_;
  s.vibrationG = vibrationG_;
  s.noiseDensity = noiseDensity_;
  return s;
}

void Kva7710::SetSeed(uint64_t seed) {
  Sync();
  seed_ = seed;
  RestartDemo();
}

double Kva7710::SelfTestG(int axis) const {
  if (!(regs_[MISC_CTRL] & 0x0100)) return 0;
  if (axis == 0 && selfTestFault_) return 0;
  return 40 * 0.0514;
}

}  // namespace kva::sim
