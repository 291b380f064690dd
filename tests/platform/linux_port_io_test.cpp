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
constexpr const char* kIoports = R"(0000-0cf7 : PCI Bus 0000:00
  0000-001f : dma1
  0378-037a : parport0
  037b-037f : parport0
  03f8-03ff : serial
  0400-0403 : ACPI PM1a_EVT_BLK
  0a00-0a0f : pnp 00:04
0cf8-0cff : PCI conf1
0d00-ffff : PCI Bus 0000:00
  e000-efff : PCI Bus 0000:05
    e800-e807 : 0000:05:00.0
      e800-e802 : parport1
    e810-e817 : 0000:05:00.1
      e810-e817 : serial
)";

TEST(PortHolder, OnlyDriversOtherThanTheParallelPortsHoldPorts) {
  // clang-format off
  const std::pair<uint16_t, std::optional<std::string>> cases[] = {
      {0x378, std::nullopt}, {0xE800, std::nullopt}, {0x278, std::nullopt} /* nobody there */,
      {0x0A00, std::nullopt} /* a reservation only */, {0x3F8, "serial"},
      {0x3F6, "serial"} /* overlaps by its last port */, {0xCFA, "PCI conf1"},
      {0x401, "ACPI PM1a_EVT_BLK"}, {0xE80F, "serial"}};
  // clang-format on
  for (const auto& [base, holder] : cases)
    EXPECT_EQ(FindPortHolder(kIoports, base, 3), holder) << std::hex << base;
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
  EXPECT_EQ(std::tuple(port.In(0x379), State().registers.SpiReadResult,
                       State().registers.RegRawValue, requests, messages.size()),
            std::tuple(0xFF, 0, 0, 1, size_t{1}));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("378"), std::string::npos);

  port.Out(0x80, 0x55);  // outside the port's range: a question of its own, refused unasked
  EXPECT_EQ(requests, 1);
  EXPECT_EQ(messages.size(), 2u);
}

}  // namespace
}  // namespace kva
