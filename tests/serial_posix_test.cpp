// The POSIX serial backend against modem-sim: bytes on the wire, the read
// rule (quiet interval, size bound, total bound) and the reader-mode wait.
// Every port starts with XON/XOFF flow control on, as a fresh Linux tty has
// it: the bytes must pass raw all the same. Over-long replies and ports held
// by another process are run end to end (fault matrix).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>

#include "base/app_state.h"
#include "serial/serial_port.h"
#include "tests/sim_process.h"

namespace {

using Clock = std::chrono::steady_clock;

long long MsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// The pty keeps its settings while the simulator holds it open, so flow
// control switched on here is what the next open finds.
void SwitchOnFlowControl(const std::string& path) {
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(fd, 0);
  termios tio{};
  ASSERT_EQ(tcgetattr(fd, &tio), 0);
  tio.c_iflag |= IXON | IXOFF;
  ASSERT_EQ(tcsetattr(fd, TCSANOW, &tio), 0);
  close(fd);
}

class SerialPosixTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(StartModemSim(std::string(PROFILE_DIR) + "/timing.profile", &sim_));
    SwitchOnFlowControl(sim_.ptyPath);
    port_ = OpenModemPort(sim_.ptyPath.c_str());
    ASSERT_NE(port_, kInvalidPort);
    ConfigureSerialPort(port_);
    FlushPort(port_);
  }
  void TearDown() override {
    ClosePort(port_);
    StopModemSim(&sim_);
  }
  std::string Reply(uint32_t count) const { return std::string(g_App.ReceiveBuffer, count); }

  SimProcess sim_;
  PortHandle port_ = kInvalidPort;
};

TEST_F(SerialPosixTest, CommandsGoOutAsTextPlusOneCarriageReturn) {
  EXPECT_EQ(SendAtCommand(port_, "AT", false, 1000, g_App.ReceiveBuffer), 6u);
  EXPECT_EQ(Reply(6), "\r\nOK\r\n");
  SendAtCommand(port_, "", true, 300, g_App.ReceiveBuffer);
  SendAtCommand(port_, "AT+CSQ=\"x\"", false, 1000, g_App.ReceiveBuffer);
  EXPECT_EQ(ReadSimLog(sim_), std::string("\x41\x54\x0D") + "\r" + "AT+CSQ=\"x\"\r");
}

TEST_F(SerialPosixTest, PiecesLessThan50msApartFormOneReply) {
  for (bool reader : {false, true}) {
    const uint32_t count = SendAtCommand(port_, "AT+PIECES", reader, 1000, g_App.ReceiveBuffer);
    EXPECT_EQ(Reply(count), "\r\nPART1PART2PART3\r\n\r\nOK\r\n") << "reader " << reader;
  }
}

TEST_F(SerialPosixTest, PauseOf50msOrMoreCutsTheReplyAndTheRestStaysQueued) {
  uint32_t count = SendAtCommand(port_, "AT+PAUSE", false, 1000, g_App.ReceiveBuffer);
  EXPECT_EQ(Reply(count), "\r\nFIRST\r\n");
  // The next read on the same open port gets the rest first.
  count = SendAtCommand(port_, "AT", false, 1000, g_App.ReceiveBuffer);
  EXPECT_EQ(Reply(count).rfind("\r\nSECOND\r\n\r\nOK\r\n", 0), 0u) << Reply(count);
}

TEST_F(SerialPosixTest, SilentDeviceInReaderModeGivesNothingAfterTheTimeout) {
  SendAtCommand(port_, "AT", false, 1000, g_App.ReceiveBuffer);  // leaves a reply in the buffer
  const auto start = Clock::now();
  EXPECT_EQ(SendAtCommand(port_, "AT+SILENT", true, 1000, g_App.ReceiveBuffer), 0u);
  const long long elapsed = MsSince(start);
  EXPECT_GE(elapsed, 1000);
  EXPECT_LT(elapsed, 1500);
  EXPECT_STREQ(g_App.ReceiveBuffer, "");
}

TEST_F(SerialPosixTest, ReaderModeGivesUpOnAReplyThatStartsTooLate) {
  const auto start = Clock::now();
  EXPECT_EQ(SendAtCommand(port_, "AT+LATE", true, 1000, g_App.ReceiveBuffer), 0u);
  EXPECT_LT(MsSince(start), 1400);
}

TEST_F(SerialPosixTest, NulBytesArriveButEndTheText) {
  const uint32_t count = SendAtCommand(port_, "AT+NUL", false, 1000, g_App.ReceiveBuffer);
  EXPECT_EQ(Reply(count), std::string("\r\nAB\0CD\r\n\r\nOK\r\n", 15));
  EXPECT_STREQ(g_App.ReceiveBuffer, "\r\nAB");
}

TEST_F(SerialPosixTest, XonAndXoffFromTheModemArriveAndDoNotStopOutput) {
  const uint32_t count = SendAtCommand(port_, "AT+FLOW", false, 1000, g_App.ReceiveBuffer);
  EXPECT_EQ(Reply(count),
            "\r\nA\x11"
            "B\x13\r\n");
  // The reply ended on an XOFF; the next command still goes out.
  EXPECT_EQ(SendAtCommand(port_, "AT", false, 1000, g_App.ReceiveBuffer), 6u);
  EXPECT_EQ(ReadSimLog(sim_), "AT+FLOW\rAT\r");
}

TEST(SerialPosixOpen, PathsThatAreNotSerialPortsFailAtOnce) {
  char file[] = "/tmp/not-a-port-XXXXXX";
  const int fd = mkstemp(file);
  ASSERT_GE(fd, 0);
  close(fd);
  for (const char* path :
       {"", "/dev/does-not-exist", "\\\\.\\COM5", "/tmp", static_cast<const char*>(file)}) {
    const auto start = Clock::now();
    EXPECT_EQ(OpenModemPort(path), kInvalidPort) << path;
    EXPECT_LT(MsSince(start), 100);
  }
  unlink(file);
}

TEST(SerialPosixOpen, PortCanBeOpenedAgainRightAfterClosing) {
  SimProcess sim;
  ASSERT_TRUE(StartModemSim(std::string(PROFILE_DIR) + "/timing.profile", &sim));
  for (int i = 0; i < 20; ++i) {
    const PortHandle port = OpenModemPort(sim.ptyPath.c_str());
    ASSERT_NE(port, kInvalidPort) << i;
    ConfigureSerialPort(port);
    EXPECT_EQ(SendAtCommand(port, "AT", true, 1000, g_App.ReceiveBuffer), 6u);
    ClosePort(port);
  }
  StopModemSim(&sim);
}

// Takes 65.6 s: a direct read that sees no byte ends only at the total bound.
TEST_F(SerialPosixTest, SlowDirectReadOfASilentDeviceEndsAtTheTotalBound) {
  const auto start = Clock::now();
  EXPECT_EQ(SendAtCommand(port_, "AT+SILENT", false, 1000, g_App.ReceiveBuffer), 0u);
  const long long elapsed = MsSince(start);
  EXPECT_GE(elapsed, 65585);
  EXPECT_LT(elapsed, 67000);
}

}  // namespace
