// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/capture_readout.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "app/run_mode.h"
#include "support/fake_sensor.h"

namespace kva {
namespace {

TEST(CaptureReadout, HeaderFieldsKeepOnlyTheirBits) {
  EXPECT_EQ(SignExtend(14, 0x2000), -8192);
  EXPECT_EQ(DecodeCaptureDate(0x0C25), 25);  // a month of hex digits that are not BCD
  EXPECT_EQ(DecodeCaptureTime(0x093A), 903);
}

// Event e of length L starts at location (e - 1) * L.
void PutEvent(kvatest::FakeSensor& s, int L, int e, std::vector<uint16_t> header,
              std::vector<std::pair<uint16_t, uint16_t>> samples) {
  const int base = (e - 1) * L;
  for (int i = 0; i < 6; ++i)
    s.capture[static_cast<size_t>(base + i)] = {header[static_cast<size_t>(i)], 0x00AA};
  for (size_t j = 0; j < samples.size(); ++j)
    s.capture[static_cast<size_t>(base) + 6 + j] = {samples[j].first, samples[j].second};
}

TEST(CaptureReadout, WalksEventsInMemoryOrder) {
  kvatest::FakeBoard board;
  board.Set(CAPT_CFG, 0xFFF7);  // L = 8: two samples per event; other bits ignored
  board.Set(EVENTS, 2);
  PutEvent(board.sensor, 8, 1, {25, 0x1430, 0x0415, 0x00CD, 0x0290, 0x0100},
           {{0x80FF, 0x00FD}, {0x0105, 0x007F}});
  PutEvent(board.sensor, 8, 2, {10, 0x0905, 0xD231, 0x3FFF, 0x02A3, 0x3F00},
           {{0x0201, 0x0080}, {0, 0}});
  PutEvent(board.sensor, 8, 3, {99, 0x1111, 0x1111, 0, 0, 0}, {{0x7F7F, 0x7F}, {0x7F7F, 0x7F}});

  std::vector<std::string> progress;
  int yields = 0;
  SetYieldHandler([&] { ++yields; });
  ReadCaptureMemory([&](int, int, const std::string& text) { progress.push_back(text); });

  EXPECT_EQ(progress, (std::vector<std::string>{"Event = 1 of 1024.", "Event = 2 of 1024."}));
  EXPECT_EQ(yields, 3);
  EXPECT_EQ(State().capture.CaptureEventsStored, 2);
  ASSERT_EQ(State().capture.CaptureHeaders.size() + State().capture.CaptureTraceX.size(),
            1025u + 8192u - 6 * 1024 + 1);

  const auto& c = State().capture;
  const auto fields = [](const CaptureHeader& h) {
    return std::vector<double>{h.XYZ, double(h.Time), double(h.Date), h.Temp, h.Voltage, h.Aux};
  };
  const double v1 = 0x290 * 0.00488, v2 = 0x2A3 * 0.00488;
  EXPECT_EQ(fields(c.CaptureHeaders[1]),
            (std::vector<double>{5.0, 1430, 415, 0.0, v1, 256 * double(float(v1) / 1024.0f)}));
  // Bits 15..14 of the date are not part of the month.
  EXPECT_EQ(fields(c.CaptureHeaders[2]), (std::vector<double>{2.0, 905, 1231, -206 * 0.244, v2,
                                                              -256 * double(float(v2) / 1024.0f)}));
  // The AUX_ADC scale is left at the last event's supply / 1024.
  EXPECT_EQ(State().registers.RegisterMap[AUX_ADC].RegScale, float(v2) / 1024.0f);
  EXPECT_EQ(c.CaptureHeaders[3].XYZ, 0.0);  // not stored, not read
  EXPECT_EQ((std::vector<double>{c.CaptureX(1, 1), c.CaptureY(1, 1), c.CaptureZ(1, 1),
                                 c.CaptureZ(1, 2), c.CaptureY(2, 1)}),
            (std::vector<double>{-0.2, -25.6, -0.6000000000000001, 25.400000000000002, 0.4}));
  // End to end: event 2's samples follow event 1's.
  EXPECT_EQ(c.CaptureTraceZ[2], c.CaptureZ(1, 2));
  EXPECT_EQ(c.CaptureTraceY[3], c.CaptureY(2, 1));
  EXPECT_EQ(c.CaptureTraceX[5], 0.0);

  // One pointer write per location, counting up from the reset to 0.
  EXPECT_EQ(board.sensor.WordWrites().size() + board.sensor.buf2Reads, 17u + 16);
  EXPECT_EQ(board.sensor.WordWrites().back(), (std::pair<uint8_t, uint16_t>{0x40, 16}));
}

TEST(CaptureReadout, StopsWhenTheProgramEndsAndReadsNothingWithoutEvents) {
  kvatest::FakeBoard board;
  board.Set(CAPT_CFG, 0x0007);
  board.Set(EVENTS, 3);
  for (int e = 1; e <= 3; ++e)
    PutEvent(board.sensor, 8, e, {static_cast<uint16_t>(e), 0, 0, 0, 0, 0}, {{1, 1}});
  int yields = 0;
  SetYieldHandler([&] { SetProgramEnding(++yields == 3); });  // during event 2's yield
  ReadCaptureMemory();
  SetProgramEnding(false);
  const auto& c = State().capture;
  EXPECT_EQ(std::pair(c.CaptureHeaders[1].XYZ, c.CaptureHeaders[2].XYZ), std::pair(0.2, 0.0));
  EXPECT_EQ(board.sensor.WordWrites().size(), 1u + 8u);  // pointer reset, then event 1 only
  // No events: arrays of the configured size, zeroed, and only the pointer reset.
  board.sensor.writes.clear();
  board.Set(CAPT_CFG, 0x0003);
  board.Set(EVENTS, 0);
  ReadCaptureMemory();
  EXPECT_EQ(std::tuple(c.CaptureBufferCount, c.CaptureHeaders.size(), c.CaptureHeaders[1].XYZ),
            std::tuple(64, 65u, 0.0));
  EXPECT_EQ(board.sensor.WordWrites().size(), 1u);
}

TEST(CaptureReadout, RegisterTrafficOfThreeEventsInEight) {
  kvatest::FakeBoard board;
  board.Set(CAPT_CFG, 0x0000);  // N = 8
  board.Set(EVENTS, 3);
  ReadCaptureMemory();
  // EVENTS, CAPT_CFG, SMPL_PRD, the pointer reset low byte first, then per location
  // CAPT_BUF_1, CAPT_BUF_2 and the next pointer value, low byte first.
  const auto& f = board.sensor.frames;
  EXPECT_EQ(std::vector<uint16_t>(f.begin(), f.begin() + 20),
            (std::vector<uint16_t>{0x1C00, 0,      0x4200, 0,      0x4800, 0,      0xC000,
                                   0xC100, 0x1600, 0,      0x1800, 0,      0xC001, 0xC100,
                                   0x1600, 0,      0x1800, 0,      0xC002, 0xC100}));
  EXPECT_EQ(f.size(), 6u + 2 + 3072 * 6);  // up to location 3071 -> 3072
  EXPECT_EQ(std::vector<uint16_t>(f.end() - 2, f.end()), (std::vector<uint16_t>{0xC000, 0xC10C}));
  EXPECT_EQ(State().capture.CaptureHeaders[4].XYZ + State().capture.CaptureTraceX.at(3 * 1018 + 1),
            0.0);
}

}  // namespace
}  // namespace kva
