// SPDX-License-Identifier: GPL-3.0-or-later
// Sampling: the stimulus, the outputs, peaks, alarms and triggers, the capture memory, and the
// catch-up that brings all of them to the clock's now.
//
// Between two host accesses nothing changes the stimulus, so sample n is a pure function of n.
// A run of samples is therefore processed with the knowledge of what it contains: stretches
// where bounds prove that no alarm, trigger or peak can change are stepped over, and the
// observable results (latest outputs, pre-trigger history, captured events) are computed from
// that function at the end of the run.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "device/register_map.h"
#include "sim/kva7710.h"

namespace kva::sim {
namespace {

constexpr double kAccelLsb = 0.0514;
constexpr double kPeakLsb = 0.05;
constexpr double kCaptureLsb = 0.2;
constexpr double kSupplyLsb = 0.00488;
constexpr double kPi = 3.14159265358979323846;

// Demo stimulus.
constexpr int kNoiseCounts = 3;
constexpr std::array<double, 3> kWobbleG = {0.087, 0.052, 0.0};
constexpr std::array<double, 3> kWobblePeriod = {11.0, 17.0, 1.0};
constexpr std::array<double, 3> kWobblePhase = {0.0, 1.0, 0.0};

// The largest |Gaussian| the noise can draw: sqrt(-2 ln 2^-53) from the smallest uniform.
constexpr double kGaussianBound = 8.58;

// Catch-up tuning: short runs are taken sample by sample; a stretch is only worth a bounds
// check when it is long enough; a stretch that fails the check is taken in chunks, after which
// the check is tried again.
constexpr int64_t kShortRun = 32;
constexpr int64_t kMinSkip = 4;
constexpr int64_t kChunk = 64;

uint64_t Mix(uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

double Unit(uint64_t h) { return static_cast<double>(h >> 11) * 0x1.0p-53; }

// A standard Gaussian number from a hash (Box-Muller on two uniforms drawn from it).
double Gaussian(uint64_t h) {
  const double u1 = (static_cast<double>(h >> 11) + 1) * 0x1.0p-53;  // (0, 1]
  const double u2 = Unit(Mix(h));
  return std::sqrt(-2 * std::log(u1)) * std::cos(2 * kPi * u2);
}

// value / lsb rounded, saturated to lo..hi.
int Count(double value, double lsb, int lo, int hi) {
  const double c = value / lsb;
  if (!(c > lo)) return lo;
  if (c >= hi) return hi;
  return static_cast<int>(c < 0 ? c - 0.5 : c + 0.5);  // half away from zero
}

int PeakCount(int out) { return Count(out * kAccelLsb, kPeakLsb, -8192, 8191); }
int CaptureCount(int out) { return Count(out * kAccelLsb, kCaptureLsb, -128, 127); }

double MagnitudeG(const std::array<int, 3>& out) {
  double sq = 0;
  for (int v : out) sq += (v * kAccelLsb) * (v * kAccelLsb);
  return std::sqrt(sq);
}

int Bcd(int v) { return (v / 10) * 16 + v % 10; }

int SourceCode(uint16_t almCtrl, int alarm) { return (almCtrl >> (8 + 4 * alarm)) & 0xF; }

int Level(int source, uint16_t mag) {
  int level = mag & 0x3FFF;
  const bool isSigned = source == 2 || source == 3 || source == 4 || source == 7 || source == 8;
  if (isSigned && level > 8191) level -= 16384;
  return level;
}

double PulseAt(const auto& p, double t, int axis) {
  if (p.axis != axis || t < p.start || t > p.End()) return 0;
  return p.peakG * std::sin(kPi * (t - p.start) / p.duration);
}

}  // namespace

// ---- timing ------------------------------------------------------------------------------

double Kva7710::SampleTime(int64_t n) const {
  return anchorTime_ + static_cast<double>(n - anchorIndex_) * period_;
}

int64_t Kva7710::IndexAtOrAfter(double t) const {
  const double k = std::ceil((t - anchorTime_) / period_ - 1e-9);
  if (k > 4e18) return INT64_MAX / 2;
  return anchorIndex_ + static_cast<int64_t>(k);
}

void Kva7710::UpdateDueTime() {
  nextDueTime_ = anchorTime_ + (static_cast<double>(nextIndex_ - anchorIndex_) - 1e-9) * period_;
}

void Kva7710::Reanchor(double firstSampleTime) {
  anchorIndex_ = nextIndex_;
  anchorTime_ = firstSampleTime;
  UpdateDueTime();
}

void Kva7710::Advance(double now) {
  if (!(now > lastNow_)) return;  // standing still, going back, or not a number
  lastNow_ = now;
  if (poweredDown_ || now < nextDueTime_) return;
  // Far beyond any real idle gap (thousands of years) is not worth simulating; just no overflow.
  const double due = std::min(std::floor((now - anchorTime_) / period_ + 1e-9), 1e15);
  const int64_t last = anchorIndex_ + static_cast<int64_t>(due);
  if (last < nextIndex_) return;
  RunSamples(nextIndex_, last + 1);
  nextIndex_ = last + 1;
  UpdateDueTime();
}

// ---- stimulus ----------------------------------------------------------------------------

void Kva7710::RestartDemo() {
  demoT0_ = lastNow_;
  demoN0_ = nextIndex_;
  demoK_ = 0;
  demoShocks_.clear();
  demoNextStart_ = demoT0_ + 2 + 4 * Unit(Mix(seed_ ^ Mix(0x5EED0000ull)));
}

void Kva7710::EnsureDemoShocks(double t) {
  if (!demo_) return;
  while (demoNextStart_ <= t) {
    const uint64_t h = Mix(seed_ ^ Mix(0x5EED0000ull + demoK_));
    const uint64_t h2 = Mix(h);
    const double sign = (h2 >> 8) & 1 ? -1.0 : 1.0;
    const double peak = sign * (10 + 20 * Unit(Mix(h2)));
    const double duration = (3 + 5 * Unit(Mix(h2 ^ 0xD0D0ull))) / 1000.0;
    demoShocks_.push_back({static_cast<int>(h2 % 3), peak, demoNextStart_, duration});
    ++demoK_;
    demoNextStart_ += 2 + 4 * Unit(Mix(seed_ ^ Mix(0x5EED0000ull + demoK_)));
  }
}

void Kva7710::DropShocksBefore(double t) {
  auto gone = [t](const Pulse& p) { return p.End() < t; };
  shocks_.erase(std::remove_if(shocks_.begin(), shocks_.end(), gone), shocks_.end());
  demoShocks_.erase(std::remove_if(demoShocks_.begin(), demoShocks_.end(), gone),
                    demoShocks_.end());
}

double Kva7710::NextPulseEdge(double t) const {
  double next = demo_ ? demoNextStart_ : HUGE_VAL;
  for (const auto* list : {&shocks_, &demoShocks_}) {
    for (const Pulse& p : *list) {
      if (p.start > t) {
        next = std::min(next, p.start);
      } else if (p.End() > t) {
        next = std::min(next, p.End());
      }
    }
  }
  return next;
}

std::vector<Kva7710::Pulse> Kva7710::ShocksBetween(double t0, double t1) const {
  std::vector<Pulse> out;
  for (const auto* list : {&shocks_, &demoShocks_}) {
    for (const Pulse& p : *list) {
      if (p.End() >= t0 && p.start <= t1) out.push_back(p);
    }
  }
  return out;
}

Kva7710::Sample Kva7710::ComputeSample(int64_t n, std::span<const Pulse> a,
                                       std::span<const Pulse> b) const {
  const double t = SampleTime(n);
  // Demo noise: per axis the sum of three steps of -1, 0 or +1 count, from one hash.
  const uint64_t noise = demo_ ? Mix(seed_ ^ Mix(static_cast<uint64_t>(n - demoN0_))) : 0;
  Sample s;
  for (int axis = 0; axis < 3; ++axis) {
    double g = accel_[axis] + SelfTestG(axis);
    int counts = 0;
    if (demo_) {
      if (kWobbleG[axis] != 0) {
        const double tau = t - demoT0_;
        g += kWobbleG[axis] * std::sin(2 * kPi * tau / kWobblePeriod[axis] + kWobblePhase[axis]);
      }
      for (int k = 0; k < kNoiseCounts; ++k) {
        counts += static_cast<int>((((noise >> (7 * (3 * axis + k))) & 0x7F) * 3) >> 7) - 1;
      }
    }
    g += VibrationAndNoiseG(n, t, axis);
    for (const Pulse& p : a) g += PulseAt(p, t, axis);
    for (const Pulse& p : b) g += PulseAt(p, t, axis);
    s.raw[axis] = std::clamp(Count(g, kAccelLsb, -8192, 8191) + counts, -8192, 8191);
    s.out[axis] =
        std::clamp(s.raw[axis] + static_cast<int16_t>(regs_[XACCL_NULL + axis]), -8192, 8191);
  }
  FillSlowChannels(s);
  return s;
}

double Kva7710::VibrationAndNoiseG(int64_t n, double t, int axis) const {
  double g = 0;
  if (vibrationOn_ && axis == vibrationAxis_)
    g += vibrationG_ * std::sin(2 * kPi * vibrationHz_ * t);
  const double density = noiseDensity_[static_cast<size_t>(axis)];
  if (density > 0) {
    // White noise of density D (g/sqrt(Hz)) spread over 0 .. rate / 2 has sigma D sqrt(rate / 2).
    const double sigma = density * 1e-6 * std::sqrt(0.5 / period_);
    const uint64_t key = static_cast<uint64_t>(n) * 3 + static_cast<uint64_t>(axis);
    g += sigma * Gaussian(Mix(seed_ ^ Mix(0xA0153000ull ^ Mix(key))));
  }
  return g;
}

double Kva7710::VibrationAndNoiseBoundG(int axis) const {
  double bound = vibrationOn_ && axis == vibrationAxis_ ? std::abs(vibrationG_) : 0.0;
  const double density = noiseDensity_[static_cast<size_t>(axis)];
  if (density > 0) bound += kGaussianBound * density * 1e-6 * std::sqrt(0.5 / period_);
  return bound;
}

void Kva7710::FillSlowChannels(Sample& s) const {
  s.supplyV = supplyV_;
  s.supply = Count(supplyV_, kSupplyLsb, 0, 1023);
  s.aux = supplyV_ > 0 ? Count(auxV_ / supplyV_ * 1024, 1.0, -8192, 8191) : 0;
  s.temp = Count((tempC_ + 50) * 4.096, 1.0, 0, 16383);
}

Kva7710::Sample Kva7710::LiveSample(int64_t n) const {
  return ComputeSample(n, shocks_, demoShocks_);
}

// ---- one sample --------------------------------------------------------------------------

bool Kva7710::Met(int alarm, int64_t n, const Sample& s) const {
  const int source = SourceCode(regs_[ALM_CTRL], alarm);
  if (source < 1 || source > 8) return false;
  if (source == 8) {
    const Rtc r = ClockAt(SampleTime(n));
    return (Bcd(r.hour) << 8 | Bcd(r.minute)) == regs_[WAKE_TIME] &&
           (Bcd(r.month) << 8 | Bcd(r.day)) == regs_[WAKE_DATE];
  }
  int value = 0;
  switch (source) {
    case 1:
      value = s.supply;
      break;
    case 5:
      value = s.aux;
      break;
    case 6:
      value = s.temp;
      break;
    case 7:
      value = Count(MagnitudeG(s.out), kPeakLsb, 0, 16383);
      break;
    default:
      value = s.out[source - 2];
      break;
  }
  const uint16_t mag = regs_[ALM_MAG1 + alarm];
  const int level = Level(source, mag);
  return (mag & 0x8000) ? value > level : value < level;
}

bool Kva7710::ExactSample(int64_t n) {
  const Sample s = LiveSample(n);
  if (regs_[MISC_CTRL] & 0x4000) {
    for (int axis = 0; axis < 3; ++axis) {
      const int pc = PeakCount(s.out[axis]);
      if (std::abs(pc) > std::abs(peak_[axis])) peak_[axis] = pc;
    }
  }
  bool fired = false;
  for (int a = 0; a < 2; ++a) {
    const bool met = Met(a, n, s);
    if (met) statusLatched_ |= static_cast<uint16_t>(0x0100 << a);
    if (met && !prevMet_[a] && (regs_[ALM_CTRL] & (0x10 << a)) && n >= captureBusyEnd_) {
      Trigger(n);
      fired = true;
    }
    prevMet_[a] = met;
  }
  return fired;
}

void Kva7710::Trigger(int64_t n) {
  const int cfg = regs_[CAPT_CFG];
  const int length = 1024 >> (cfg & 7);
  const int buffers = kCaptureLocations / length;
  const int pre = std::min(((cfg >> 4) & 15) * length / 16, length - 7);
  Event ev;
  ev.slot = writeSlot_;
  ev.trigger = n;
  ev.first = n - pre;
  ev.end = n + (length - 6 - pre);
  ev.doneUpTo = ev.first;
  EnsureDemoShocks(SampleTime(ev.end));
  ev.shocks = ShocksBetween(SampleTime(ev.first), SampleTime(ev.end));
  writeSlot_ = (writeSlot_ + 1) % buffers;
  if (writeSlot_ == 0) statusLatched_ |= 0x0080;
  if (events_ < 0xFFFF) ++events_;
  captureBusyEnd_ = ev.end;
  pendingEvents_.push_back(std::move(ev));
  // An event whose buffer a later one has taken again needs no writing.
  while (static_cast<int>(pendingEvents_.size()) > buffers) pendingEvents_.pop_front();
}

// ---- a run of samples --------------------------------------------------------------------

Kva7710::Envelope Kva7710::SpanEnvelope(double t0, double t1) const {
  // Pulses touching the span widen the bounds by their crest, whichever way it points.
  std::array<double, 3> up{}, down{};
  bool pulses = false;
  for (const auto* list : {&shocks_, &demoShocks_}) {
    for (const Pulse& p : *list) {
      if (p.start > t1 || p.End() < t0) continue;
      pulses = true;
      (p.peakG > 0 ? up : down)[p.axis] += p.peakG;
    }
  }
  // Without pulses, vibration or noise a sample's value is computed exactly as the bound is (a
  // sine never adds more than its amplitude); the others add in another order, which a count
  // of margin covers.
  const int noise = demo_ ? kNoiseCounts : 0;
  Envelope env;
  for (int axis = 0; axis < 3; ++axis) {
    const double base = accel_[axis] + SelfTestG(axis);
    const double added = VibrationAndNoiseBoundG(axis);
    const int margin = pulses || added > 0 ? 1 : 0;
    const double spread = (demo_ ? kWobbleG[axis] : 0.0) + added;
    const int null = static_cast<int16_t>(regs_[XACCL_NULL + axis]);
    const int rawLo =
        std::max(Count(base - spread + down[axis], kAccelLsb, -8192, 8191) - margin - noise, -8192);
    const int rawHi =
        std::min(Count(base + spread + up[axis], kAccelLsb, -8192, 8191) + margin + noise, 8191);
    env.lo[axis] = std::clamp(rawLo + null, -8192, 8191);
    env.hi[axis] = std::clamp(rawHi + null, -8192, 8191);
  }
  return env;
}

bool Kva7710::CanSkip(int64_t n, int64_t end) const {
  const Envelope env = SpanEnvelope(SampleTime(n), SampleTime(end - 1));
  if (regs_[MISC_CTRL] & 0x4000) {
    for (int axis = 0; axis < 3; ++axis) {
      const int most =
          std::max(std::abs(PeakCount(env.lo[axis])), std::abs(PeakCount(env.hi[axis])));
      if (most > std::abs(peak_[axis])) return false;
    }
  }
  Sample fixed;  // supply, aux and temperature do not move in a run
  FillSlowChannels(fixed);
  for (int a = 0; a < 2; ++a) {
    const int source = SourceCode(regs_[ALM_CTRL], a);
    if (source < 1 || source > 8 || source == 8) continue;  // the clock: constant per minute
    int lo = 0, hi = 0;
    switch (source) {
      case 1:
        lo = hi = fixed.supply;
        break;
      case 5:
        lo = hi = fixed.aux;
        break;
      case 6:
        lo = hi = fixed.temp;
        break;
      case 7: {
        double minSq = 0, maxSq = 0;
        for (int axis = 0; axis < 3; ++axis) {
          const double l = env.lo[axis] * kAccelLsb, h = env.hi[axis] * kAccelLsb;
          maxSq += std::max(l * l, h * h);
          if (l > 0 || h < 0) minSq += std::min(l * l, h * h);
        }
        lo = Count(std::sqrt(minSq), kPeakLsb, 0, 16383);
        hi = Count(std::sqrt(maxSq), kPeakLsb, 0, 16383);
        break;
      }
      default:
        lo = env.lo[source - 2];
        hi = env.hi[source - 2];
        break;
    }
    const uint16_t mag = regs_[ALM_MAG1 + a];
    const int level = Level(source, mag);
    const bool greater = mag & 0x8000;
    const bool allMet = greater ? lo > level : hi < level;
    const bool noneMet = greater ? hi <= level : lo >= level;
    if (allMet || noneMet) continue;
    // The condition may come and go: harmless only when the alarm is latched already and no
    // trigger can act on an edge.
    if (!(statusLatched_ & (0x0100 << a))) return false;
    if ((regs_[ALM_CTRL] & (0x10 << a)) && captureBusyEnd_ < end) return false;
  }
  return true;
}

void Kva7710::RunSamples(int64_t first, int64_t end) {
  const double tFirst = SampleTime(first);
  const double tEnd = SampleTime(end);
  DropShocksBefore(tFirst);
  // An event still filling from the last run also sees the shocks the host added since.
  for (Event& ev : pendingEvents_) {
    EnsureDemoShocks(SampleTime(ev.end));
    ev.shocks = ShocksBetween(tFirst, SampleTime(ev.end));
  }
  const bool clockAlarm =
      SourceCode(regs_[ALM_CTRL], 0) == 8 || SourceCode(regs_[ALM_CTRL], 1) == 8;

  int64_t n = first;
  while (n < end) {
    if (end - n <= kShortRun) {
      EnsureDemoShocks(SampleTime(end - 1));
      for (; n < end; ++n) ExactSample(n);
      break;
    }
    const double t = SampleTime(n);
    EnsureDemoShocks(t);
    DropShocksBefore(SampleTime(n - kRing));  // the end of the run rebuilds the last kRing
    // A stretch ends where a shock starts or ends, so that its bounds stay tight.
    int64_t stop = end;
    const double edge = NextPulseEdge(t);
    if (edge < tEnd) stop = std::min(stop, IndexAtOrAfter(edge));
    if (captureBusyEnd_ > n) stop = std::min(stop, captureBusyEnd_);
    if (clockAlarm) {
      const double minute = NextMinuteAfter(t);
      if (minute < tEnd) stop = std::min(stop, IndexAtOrAfter(minute));
    }
    stop = std::max(stop, n + 1);
    if (stop - n < kMinSkip || !CanSkip(n, stop)) {
      const int64_t chunkEnd = std::min(stop, n + kChunk);
      while (n < chunkEnd) {
        if (ExactSample(n++)) break;  // a capture started: the bounds check may pass now
      }
      continue;
    }
    // Nothing can change inside: the first sample settles any edge, the last leaves the state
    // that the next stretch compares with.
    ExactSample(n);
    ExactSample(stop - 1);
    n = stop;
  }
  FinishRun(first, end);
}

void Kva7710::Materialise(Event& ev, int64_t runFirst, int64_t runEnd) {
  const int length = static_cast<int>(ev.end - ev.first) + 6;
  const int base = ev.slot * length;
  if (!ev.headerDone) {
    std::fill(capt1_.begin() + base, capt1_.begin() + base + length, 0);
    std::fill(capt2_.begin() + base, capt2_.begin() + base + length, 0);
    const Sample s = ComputeSample(ev.trigger, ev.shocks, {});
    const Rtc r = ClockAt(SampleTime(ev.trigger));
    capt1_[base + 1] = static_cast<uint16_t>(Bcd(r.hour) << 8 | Bcd(r.minute));
    capt1_[base + 2] = static_cast<uint16_t>(Bcd(r.month) << 8 | Bcd(r.day));
    capt1_[base + 3] = static_cast<uint16_t>(s.temp & 0x3FFF);
    capt1_[base + 4] = static_cast<uint16_t>(s.supply);
    capt1_[base + 5] = static_cast<uint16_t>(s.aux & 0x3FFF);
    ev.headerDone = true;
  }
  const int64_t to = std::min(ev.end, runEnd);
  for (int64_t i = ev.doneUpTo; i < to; ++i) {
    std::array<int, 3> out{};
    if (i >= runFirst) {
      out = ComputeSample(i, ev.shocks, {}).out;
    } else if (i >= 0) {
      const auto& h = ring_[static_cast<size_t>(i & (kRing - 1))];
      out = {h[0], h[1], h[2]};
    }
    const size_t loc = static_cast<size_t>(base + 6 + (i - ev.first));
    capt1_[loc] = static_cast<uint16_t>(static_cast<uint8_t>(CaptureCount(out[1])) << 8 |
                                        static_cast<uint8_t>(CaptureCount(out[0])));
    capt2_[loc] = static_cast<uint8_t>(CaptureCount(out[2]));
    ev.xyzMax = std::max(ev.xyzMax, Count(MagnitudeG(out), kCaptureLsb, 0, 0xFFFF));
  }
  capt1_[base] = static_cast<uint16_t>(ev.xyzMax);
  ev.doneUpTo = std::max(ev.doneUpTo, to);
}

void Kva7710::FinishRun(int64_t first, int64_t end) {
  for (Event& ev : pendingEvents_) Materialise(ev, first, end);
  while (!pendingEvents_.empty() && pendingEvents_.front().doneUpTo >= pendingEvents_.front().end) {
    pendingEvents_.pop_front();
  }
  for (int64_t i = std::max(first, end - kRing); i < end; ++i) {
    const Sample s = LiveSample(i);
    ring_[static_cast<size_t>(i & (kRing - 1))] = {static_cast<int16_t>(s.out[0]),
                                                   static_cast<int16_t>(s.out[1]),
                                                   static_cast<int16_t>(s.out[2])};
    if (i == end - 1) last_ = s;
  }
  for (int slot = SUPPLY_OUT; slot <= TEMP_OUT; ++slot) newData_[slot] = true;
  if (regs_[MISC_CTRL] & 0x4000) {
    for (int slot = X_PEAK_OUT; slot <= Z_PEAK_OUT; ++slot) newData_[slot] = true;
  }
  if (regs_[MISC_CTRL] & 0x8000) {
    int64_t sq = 0;
    for (int p : peak_) sq += static_cast<int64_t>(p) * p;
    xyzPk_ =
        static_cast<int>(std::min<int64_t>(std::max<int64_t>(xyzPk_, (sq + 128) / 256), 16383));
    newData_[XYZ_PK_OUT] = true;
  }
}

}  // namespace kva::sim
