// A port this tool (or another program) already holds: a second open fails
// at once and says the port is busy, and the port opens again once the
// first holder has closed it. The busy message of the command-line tool is
// checked end to end (fault matrix).
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "serial/serial_port.h"
#include "tests/sim_process.h"

namespace {

TEST(SerialPosixBusy, SecondOpenOfAPortIsRefusedAsBusyAtOnce) {
  SimProcess sim;
  ASSERT_TRUE(StartModemSim(std::string(PROFILE_DIR) + "/timing.profile", &sim));
  const PortHandle first = OpenModemPort(sim.ptyPath.c_str());
  ASSERT_NE(first, kInvalidPort);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(OpenModemPort(sim.ptyPath.c_str()), kInvalidPort);
  EXPECT_EQ(LastPortOpenError(), kPortBusy);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
  ClosePort(first);
  const PortHandle again = OpenModemPort(sim.ptyPath.c_str());
  EXPECT_NE(again, kInvalidPort);
  EXPECT_EQ(LastPortOpenError(), kPortOpened);
  ClosePort(again);
  StopModemSim(&sim);
}

}  // namespace
