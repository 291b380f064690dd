// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux_port_io.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <optional>
#include <string>
#include <tuple>

#include "support/sim_rig.h"

namespace kva {
namespace {

// A PC's listing with a parallel port on the board and one on a plug-in card.
constexpr const char* kIoports =
    "0000-0cf7 : PCI Bus 0000:00\n"
    "  0378-037a : parport0\n"
    "  03f8-03ff : serial\n"
    "  0a00-0a0f : pnp 00:04\n"
    "0cf8-0cff : PCI conf1\n"
    "0d00-ffff : PCI Bus 0000:00\n"
    "  e000-efff : PCI Bus 0000:05\n"
    "    e800-e807 : 0000:05:00.0\n"
    "      e800-e802 : parport1\n"
    "    e810-e817 : 0000:05:00.1\n"
    "      e810-e817 : serial\n";

TEST(PortHolder, OnlyDriversOtherThanTheParallelPortsHoldPorts) {
  // Nobody at 278; pnp is a reservation only; serial overlaps 3F6 by its last port.
  // clang-format off
  const std::pair<uint16_t, std::optional<std::string>> cases[] = {
      {0x378, std::nullopt}, {0xE800, std::nullopt}, {0x278, std::nullopt}, {0x0A00, std::nullopt},
      {0x3F6, "serial"}, {0xCFA, "PCI conf1"}, {0xE80F, "serial"}};
  // clang-format on
  for (const auto& [base, holder] : cases) {
    EXPECT_EQ(FindPortHolder(kIoports, base, 3), holder) << std::hex << base;
  }
  // Without the privilege to see addresses the kernel lists zeros: nothing can be told.
  EXPECT_EQ(FindPortHolder("0000-0000 : PCI Bus 0000:00\n  0000-0000 : serial\n", 0x378, 3),
            std::nullopt);
}

class RealPort : public kvatest::SimRig {};

TEST_F(RealPort, RefusedPortReadsAsAnEmptyAddressWithOneMessage) {
  UseInterface(kva::Interface::Parallel);
  // The host refuses: the backend must then never touch the port (which would fault).
  int requests = 0;
  SetPortPermissionRequest([&requests](uint16_t, uint16_t) {
    ++requests;
    return PortPermissionAnswer{EPERM, {}};
  });
  LinuxPortIo port;
  SetPortIo(&port);
  ReadRegister(PROD_ID);
  WriteRegister(SMPL_PRD, 0x1234);
  EXPECT_EQ(port.In(0x379), 0xFF);
  EXPECT_EQ(
      std::make_tuple(State().registers.SpiReadResult, State().registers.RegRawValue, requests),
      std::make_tuple(0, 0, 1));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("378"), std::string::npos);
  port.Out(0x80, 0x55);  // outside the port's range: a question of its own, refused unasked
  EXPECT_EQ(std::make_pair(requests, messages.size()), std::make_pair(1, size_t{2}));
}

}  // namespace
}  // namespace kva
