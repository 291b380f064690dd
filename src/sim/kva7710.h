// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated KVA7710: the sensor as a device model behind one 16-bit SPI frame, shared by
// the simulated parallel port and the simulated adapter boards. Time comes from an injected
// clock (seconds), so tests step it exactly.
//
// Bus
// - A frame with bit 15 set writes its low byte to the byte address in bits 14..8. Any other
//   frame is a read command for the register at (address And 0x7E): the register's word is
//   latched at the end of that frame (its new-data bit clears then) and shifted out during the
//   next frame. After a write frame, and before the first frame, the answer is 0x0000. The
//   all-zero data slot is itself a read command for ENDURANCE, which has no side effects.
// - A byte written to a register's odd (high) address is held and takes effect together with
//   the following low-byte write, so a 16-bit value never acts half-written (a spurious alarm
//   edge between the two frames would otherwise be possible). A low byte written alone keeps
//   the register's current high byte; COMMAND then executes with a high byte of 0.
//   CAPT_PNTR is the exception: each of its bytes acts as it arrives (the host writes its low
//   byte first).
// - Read-only registers, the reserved slots and addresses 0x50..0x7F ignore writes; unwritable
//   bits read 0. Reserved slots and unused addresses read 0. COMMAND reads 0.
// - Writable masks: the three nulls 0xFFFF, TIME___ and WAKE_TIME 0x3F7F, DATE___ and
//   WAKE_DATE 0x1F3F, YEAR___ 0x00FF, ALM_MAG1/2 0xBFFF, ALM_CTRL 0xFF37, XTRIG_CTRL 0xFFFF,
//   CAPT_PNTR 0x1FFF, CAPT_CFG 0x00F7, GPIO_CTR 0x0303, MISC_CTRL 0xC307, SMPL_PRD 0xFFFF but
//   never below 7 (the rate tops out at 4096 per second, so a smaller value is stored as 7 and
//   reads back as what the device really does), COMMAND 0x017F.
// - Reset values: SMPL_PRD 0x001F, PROD_ID 0x1E1E, SW_REV 0x0100, everything else 0 (the
//   flashed registers come from the flash image, see below).
//
// Sampling
// - The outputs sample the stimulus at 32768 / (SMPL_PRD + 1) per second; the first sample is
//   taken at power-on. Acceleration: 14-bit two's complement at 51.4 mg per count (rounded,
//   half away from zero) plus the signed null of the axis, saturated to 14 bits. Supply 10-bit
//   at 4.88 mV; aux 14-bit, count = aux / supply x 1024 (0 with no supply); temperature 14-bit,
//   count = (C + 50) x 4.096. Every output saturates at the ends of its field.
// - New data (bit 15): set on SUPPLY_OUT..TEMP OUT by every sample, on the three peaks by every
//   sample while peak tracking (MISC_CTRL bit 14) is on, on XYZ_PK_OUT by every sample while
//   sum of squares (MISC_CTRL bit 15) is on; cleared when the register is read. Alarm (bit 14)
//   is set on all ten outputs while STATUS bit 8 or 9 is set.
// - Peaks: each axis holds the sample of largest magnitude since the last peak reset, at
//   0.05 g per count (an equal magnitude of the other sign does not replace it). XYZ_PK_OUT is
//   the sum of squares of the three peak counts / 256, rounded, saturated at 16383; it holds
//   while sum of squares is off.
// - Null registers act at once: a write, auto null or factory restore recomputes the outputs
//   of the latest sample (no new-data bit).
// - Self-test (MISC_CTRL bit 8) adds +2.056 g (40 counts) to X, Y and Z. With the fault knob
//   on, the X element does not move and STATUS bit 5 is set. Bit 5 takes the knob's state when
//   self-test is switched on, follows the knob while it is on, and keeps the last result after.
//   The power-up self-test (at power-on and power up, unless MISC_CTRL bit 9) sets it the same
//   way.
// - STATUS: bit 0 supply below 2.9 V and bit 1 above 3.6 V follow the latest sample; bit 5 as
//   above; bit 6 the flash image on file was unreadable or corrupt at power-on; bit 7 capture
//   memory full; bits 8/9 alarm 1/2, latched until command 16. Bits 2, 3 and 4 are never set.
//
// Alarms and triggers
// - Alarm n watches the source code in ALM_CTRL bits 11..8 (n = 1) or 15..12 (n = 2): 1 supply
//   count, 2..4 X/Y/Z output counts (after the nulls), 5 aux count, 6 temperature count, 7 the
//   magnitude of the X/Y/Z outputs in 0.05 g counts, 8 the clock. Codes 0 and 9..15 watch
//   nothing. ALM_MAGn bits 13..0 are the level, two's complement for codes 2, 3, 4, 7 and 8
//   (the codes the host writes as signed) and unsigned otherwise; bit 15 set means "greater
//   than" (value > level), clear "less than" (value < level).
// - Code 8 is met while the clock's month, day, hour and minute equal WAKE_DATE / WAKE_TIME;
//   level and polarity do not apply.
// - Every sample a met condition sets the alarm's STATUS bit (again after a clear, if still
//   met). A capture is triggered on the sample where the condition becomes met, when ALM_CTRL
//   bit 4 (n = 1) or 5 (n = 2) is set; a reconfiguration that makes a condition met counts as
//   such an edge. While a capture is filling, further edges are ignored. ALM_CTRL bits 0..2
//   (alarm output line) and XTRIG_CTRL are stored and read back; no line is modelled.
//
// Capture memory
// - 8192 locations; buffers of L = 1024 >> (CAPT_CFG bits 2..0) locations, N = 8192 / L.
//   An event takes the next buffer: locations 0..5 the header in CAPT_BUF_1 (largest vector
//   magnitude of the event's samples in 0.2 g counts, then TIME___ and DATE___ at the trigger,
//   then the temperature, supply and aux counts of the trigger sample), CAPT_BUF_2 0; then
//   L - 6 samples, X in CAPT_BUF_1 bits 7..0, Y in bits 15..8, Z in CAPT_BUF_2 bits 7..0, each
//   the output acceleration at 0.2 g per count, saturated to 8 bits. The first
//   min(P x L / 16, L - 7) samples (P = CAPT_CFG bits 7..4) precede the trigger sample, so the
//   trigger sample is always stored; samples from before power-on read 0. The rest of a new
//   buffer is zeroed at the trigger and filled as the samples come.
// - EVENTS counts triggers, saturating at 65535. When the Nth buffer is taken the next event
//   goes to buffer 0 again and STATUS bit 7 is set.
// - CAPT_BUF_1 / CAPT_BUF_2 show the location CAPT_PNTR designates; reading them does not move
//   the pointer. Changing the buffer length (CAPT_CFG bits 2..0) clears the memory as command
//   64 does, since the stored events would no longer decode.
//
// Clock
// - TIME___ (hours, minutes), DATE___ (month, day), YEAR___ (year - 2000) in BCD start from
//   kva::LocalNow() and run with the injected clock; every year divisible by 4 is a leap year
//   and 99 rolls over to 00. A write takes effect with its low byte: TIME___ restarts the
//   seconds at 0; DATE___ and YEAR___ keep the time of day. A write with a digit above 9 or a
//   field out of range (hours 0..23, minutes 0..59, month 1..12, day 1..31) is ignored. A day
//   beyond the month's length rolls over to the 1st of the next month at the next midnight.
//
// Commands (COMMAND low byte; several bits run in ascending order)
// - 1 auto null: each null becomes minus the latest raw count, so X, Y and Z read 0 at once.
//   2 factory calibration: nulls 0. 4 power down: no more samples (no outputs, peaks, alarms
//   or captures; a capture in progress pauses); registers answer and the clock runs. 8 flash
//   update. 16 clear STATUS bits 8 and 9. 32 peaks and XYZ_PK_OUT to 0. 64 clear the capture
//   memory: EVENTS 0, every location 0, buffer 0 next, bit 7 cleared, a capture in progress
//   dropped. 256 power up: sampling resumes one sample period later.
//
// Flash
// - The image is the nulls, WAKE_TIME, WAKE_DATE, ALM_MAG1, ALM_MAG2, ALM_CTRL, XTRIG_CTRL,
//   CAPT_CFG, GPIO_CTR, MISC_CTRL and SMPL_PRD. Command 8 copies them into the image, adds 1 to
//   ENDURANCE (saturating) and sets CHECKSUM to the 16-bit sum of the image words; with a file
//   path it then writes the file (temporary file, flushed to disk, renamed over the old one).
//   If the file cannot be written a message names it and the reason (kept for
//   TakeFlashWriteError); the old file stays whole and the running device keeps the new image.
// - At power-on the image is loaded from the file when there is one. A file that cannot be
//   read or fails its checks leaves the factory image (all registers at reset) and sets STATUS
//   bit 6; the file is not touched until the next flash update.
// - File layout (40 bytes, 16-bit words little-endian): "KVAFLASH", format version 1,
//   ENDURANCE, the 13 image words in register address order, their 16-bit sum.
//
// Stimulus
// - "bench" (the default): X 0 g, Y 0 g, Z +1 g, 3.30 V, 25.0 C, aux 1.00 V, nothing else.
//   "demo": the same plus, on X, Y and Z, noise of -3..+3 counts per sample (the sum of three
//   steps of -1, 0 or +1, added to the count), a tilt wobble of 0.087 g on X (11 s period) and
//   0.052 g on Y (17 s), and every 2 to 6 s a half-sine shock of 10 to 30 g, either sign, 3 to 8 ms
//   long, on a random axis. Both are deterministic for a given seed (default 1); setting the
//   scenario or the seed restarts the random sequences at that moment. Setting a scenario also
//   drops shocks in progress.
// - In either scenario a vibration (a sine of a set frequency and peak amplitude on one axis,
//   phase 0 at t = 0 of the clock) and white noise of a set density per axis can be added. The
//   noise of sample n is a Gaussian number drawn from (seed, n, axis) alone, scaled by
//   density x sqrt(rate / 2), so its density holds at any sample rate and a capture repeats
//   exactly. Setting the scenario switches both off.
// - Setters ignore values that are not finite; Shock ignores a duration that is not positive;
//   a vibration ignores a frequency that is not positive, the noise a negative density. Both
//   throw std::out_of_range for an axis outside 0..2, as Shock does.
//
// Time
// - Each frame first brings the model up to the clock's now; a frame with no sample due costs
//   a clock read and a comparison. A clock that goes back is treated as standing still.
// - A long idle gap is not simulated sample by sample. Between two host accesses the stimulus
//   is a pure function of the sample number, so the gap is cut at shock edges, the end of a
//   capture and (for the clock alarm) minute boundaries, and a stretch whose bounds show that
//   no alarm, trigger or peak can change is stepped over; the observable results (latest
//   outputs, pre-trigger history, captured events still in memory) are then computed from that
//   function. The result equals sample-by-sample processing. An hour of "demo" at 1024 or
//   4096 samples per second costs a few milliseconds; a trigger level inside the noise band
//   makes every noisy sample count and costs more (up to about half a second for an hour of
//   8-location buffers), still exactly.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "device/board_stimulus.h"
#include "sim/spi_slave.h"

namespace kva::sim {

class Kva7710 : public SpiSlave, public BoardStimulus {
 public:
  // clock: seconds; read once per frame and by every stimulus call.
  // flashPath: the flash image file; empty keeps the flash in memory only.
  explicit Kva7710(std::function<double()> clock, std::string flashPath = {});

  uint16_t PendingAnswer() override { return pending_; }
  uint16_t Transfer(uint16_t mosi) override;

  // Stimulus and knobs. Each first brings the model up to now, so the change acts from there.
  bool SetScenario(const std::string& name) override;
  void SetAcceleration(double xG, double yG, double zG) override;
  void Shock(int axis /*0 X, 1 Y, 2 Z*/, double peakG, double durationMs) override;
  void SetSupply(double volts) override;
  void SetTemperature(double c) override;
  void SetAux(double volts) override;
  void SetSelfTestFault(bool fault) override;
  void SetVibration(int axis, double hz, double amplitudeG, bool on) override;
  void SetNoiseDensity(int axis, double ugPerRootHz) override;
  BoardStimulusState State() const override;
  void SetSeed(uint64_t seed);

  // The register word at a byte address (And 0x7E) as of the last catch-up, no side effects.
  uint16_t Peek(uint8_t byteAddress) const;
  // Brings the model up to the clock's now without a frame.
  void Sync();
  // The message of the last flash update whose file could not be written, once; empty when
  // none failed since the last call.
  std::string TakeFlashWriteError() { return std::exchange(flashWriteError_, {}); }

  static constexpr int kCaptureLocations = 8192;
  static constexpr int kFlashWords = 13;
  static constexpr size_t kFlashFileBytes = 40;

 private:
  struct Pulse {
    int axis;
    double peakG, start, duration;
    double End() const { return start + duration; }
  };
  struct Sample {
    std::array<int, 3> raw{};  // before the nulls
    std::array<int, 3> out{};  // what XACCL_OUT..ZACCL_OUT show
    int supply = 0, aux = 0, temp = 0;
    double supplyV = 0;
  };
  struct Event {
    int slot = 0;
    int64_t trigger = 0, first = 0, end = 0;  // sample numbers; end is one past the last
    int64_t doneUpTo = 0;                     // samples before this are in the memory
    bool headerDone = false;
    int xyzMax = 0;
    std::vector<Pulse> shocks;  // every shock that touches the event's samples
  };
  struct Rtc {
    int year = 0, month = 1, day = 1, hour = 0, minute = 0;
    double second = 0;
  };
  struct Envelope {
    std::array<int, 3> lo{}, hi{};  // output counts
  };

  // Registers (kva7710.cpp).
  uint16_t WordAt(int slot) const;
  uint16_t ReadLatched(int slot);
  void WriteByte(int address, uint8_t data);
  void Commit(int slot, uint16_t word);
  void Execute(uint16_t command);
  uint16_t StatusWord() const;
  void ClearCapture();
  void RecomputeOutputs();
  void PowerUpSelfTest();

  // Flash (kva7710_flash.cpp).
  std::array<uint16_t, kFlashWords> CurrentImage() const;
  void LoadFlash();
  void FlashUpdate();

  // Clock (kva7710_clock.cpp).
  Rtc ClockAt(double t) const;
  void SetClockWord(int slot, uint16_t word);
  double NextMinuteAfter(double t) const;

  // Sampling (kva7710_sampling.cpp).
  void Advance(double now);
  void RunSamples(int64_t first, int64_t end);
  bool ExactSample(int64_t n);
  bool CanSkip(int64_t n, int64_t end) const;
  Envelope SpanEnvelope(double t0, double t1) const;
  void FinishRun(int64_t first, int64_t end);
  void Materialise(Event& ev, int64_t runFirst, int64_t runEnd);
  void Trigger(int64_t n);
  bool Met(int alarm, int64_t n, const Sample& s) const;
  Sample ComputeSample(int64_t n, std::span<const Pulse> a, std::span<const Pulse> b) const;
  Sample LiveSample(int64_t n) const;
  void FillSlowChannels(Sample& s) const;
  double SampleTime(int64_t n) const;
  int64_t IndexAtOrAfter(double t) const;
  void UpdateDueTime();
  void Reanchor(double firstSampleTime);
  void EnsureDemoShocks(double t);
  void DropShocksBefore(double t);
  double NextPulseEdge(double t) const;
  std::vector<Pulse> ShocksBetween(double t0, double t1) const;
  void RestartDemo();
  double SelfTestG(int axis) const;
  double VibrationAndNoiseG(int64_t n, double t, int axis) const;
  double VibrationAndNoiseBoundG(int axis) const;

  std::function<double()> clock_;
  std::string flashPath_;
  std::string flashWriteError_;
  uint16_t pending_ = 0;

  std::array<uint16_t, 64> regs_{};    // stored registers by slot (byte address / 2)
  std::array<int, 64> pendingHigh_{};  // held high byte, -1 for none
  std::array<bool, 11> newData_{};     // slots 1..10
  uint16_t statusLatched_ = 0;         // STATUS bits 5..9
  uint16_t events_ = 0;
  uint16_t endurance_ = 0;
  uint16_t checksum_ = 0;
  std::array<uint16_t, kFlashWords> flash_{};

  std::vector<uint16_t> capt1_;
  std::vector<uint8_t> capt2_;
  int writeSlot_ = 0;
  std::deque<Event> pendingEvents_;
  int64_t captureBusyEnd_ = 0;

  // Sample timing: sample n is at anchorTime_ + (n - anchorIndex_) x period_.
  double lastNow_ = 0;
  bool poweredDown_ = false;
  double period_ = 1.0 / 1024;
  double anchorTime_ = 0;
  int64_t anchorIndex_ = 0;
  int64_t nextIndex_ = 0;
  double nextDueTime_ = 0;

  Sample last_;
  std::array<int, 3> peak_{};
  int xyzPk_ = 0;
  std::array<bool, 2> prevMet_{};
  static constexpr int kRing = 1024;  // pre-trigger history, a power of two above L - 7
  std::array<std::array<int16_t, 3>, kRing> ring_{};

  // Stimulus.
  std::array<double, 3> accel_{0, 0, 1};
  double supplyV_ = 3.30, tempC_ = 25.0, auxV_ = 1.00;
  bool demo_ = false;
  bool selfTestFault_ = false;
  bool vibrationOn_ = false;
  int vibrationAxis_ = 0;
  double vibrationHz_ = 50.0, vibrationG_ = 0.5;
  std::array<double, 3> noiseDensity_{};  // ug/sqrt(Hz)
  uint64_t seed_ = 1;
  double demoT0_ = 0;
  int64_t demoN0_ = 0;
  uint64_t demoK_ = 0;         // number of the next demo shock not yet in demoShocks_
  double demoNextStart_ = 0;   // and its start
  std::vector<Pulse> shocks_;  // the host's shocks, by start
  std::vector<Pulse> demoShocks_;

  Rtc rtcBase_;
  double rtcBaseTime_ = 0;
};

}  // namespace kva::sim
