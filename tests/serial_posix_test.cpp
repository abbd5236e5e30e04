// The POSIX serial backend against modem-sim: bytes on the wire, the read
// rule, how long an exchange waits, and the line as left at the close. Every
// port starts with XON/XOFF on, as a fresh Linux tty has it: the bytes must
// pass raw all the same. Over-long replies, missing ports, plain files and
// a port another process holds are the fault matrix's.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "base/app_state.h"
#include "serial/serial_port.h"
#include "tests/sim_process.h"

namespace {

using Clock = std::chrono::steady_clock;

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

// Commands go out as their text and one CR; replies arrive whole, raw and
// with nothing left over for the next command: pieces less than 50 ms apart
// are one reply, a 250 ms pause inside an answer does not end it, NUL bytes
// arrive but end the text, and XON/XOFF from the modem neither vanish nor
// stop the commands after them.
TEST_F(SerialPosixTest, RepliesArriveWholeAndRaw) {
  const struct {
    const char* command;
    ExchangeWait wait;
    std::string reply;
  } cases[] = {
      {"AT", kWaitForAnswer, "\r\nOK\r\n"},
      {"", kWaitAtMost, ""},
      {"AT+CSQ=\"x\"", kWaitForAnswer, "\r\nERROR\r\n"},
      {"AT+PIECES", kWaitForAnswer, "\r\nPART1PART2PART3\r\n\r\nOK\r\n"},
      {"AT+PIECES", kWaitAtMost, "\r\nPART1PART2PART3\r\n\r\nOK\r\n"},
      {"AT+PAUSE", kWaitForAnswer, "\r\nFIRST\r\n\r\nSECOND\r\n\r\nOK\r\n"},
      {"AT", kWaitForAnswer, "\r\nOK\r\n"},
      {"AT+NUL", kWaitForAnswer, std::string("\r\nAB\0CD\r\n\r\nOK\r\n", 15)},
      {"AT+FLOW", kWaitForAnswer, "\r\nA\021B\023\r\n"},  // XON, XOFF
      {"AT", kWaitForAnswer, "\r\nOK\r\n"},
  };
  std::string sent;
  for (const auto& c : cases) {
    const uint32_t count = SendAtCommand(port_, c.command, c.wait, 1000, g_App.ReceiveBuffer);
    EXPECT_EQ(Reply(count), c.reply) << c.command;
    EXPECT_STREQ(g_App.ReceiveBuffer, c.reply.c_str()) << c.command;
    sent += c.command + std::string("\r");
  }
  EXPECT_EQ(ReadSimLog(sim_), sent);
}

// The query's wait: a device that stays silent costs the time the answer
// has to begin, no more; an answer that begins in time is read whole, also
// one that begins just before the bound and goes on past it. Waiting at
// most (scan, terminal), the same reply is no reply at all.
TEST_F(SerialPosixTest, HowLongAnExchangeWaits) {
  struct Case {
    const char* command;
    ExchangeWait wait;
    uint32_t timeoutMs;
    const char* reply;
    long long minMs, maxMs;
  };
  const Case cases[] = {
      {"AT+SILENT", kWaitForAnswer, 2000, "", 1990, 2300},
      {"AT+SILENT", kWaitAtMost, 1000, "", 990, 1500},
      {"AT+LATE", kWaitAtMost, 1000, "", 990, 1400},
      {"AT+LATE", kWaitForAnswer, 2000, "\r\nLATE\r\n\r\nOK\r\n", 1500, 1800},
      {"AT+STRADDLE", kWaitForAnswer, 1000, "\r\nS0S1S2S3S4S5S6S7S8S9SASBSCSDSE\r\n\r\nOK\r\n", 1300, 1700},
      {"AT+STRADDLE", kWaitAtMost, 1000, "", 990, 1300},
  };
  for (const Case& c : cases) {
    SendAtCommand(port_, "AT", kWaitForAnswer, 1000, g_App.ReceiveBuffer);  // leaves a reply in the buffer
    const auto start = Clock::now();
    const uint32_t count = SendAtCommand(port_, c.command, c.wait, c.timeoutMs, g_App.ReceiveBuffer);
    const long long elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    EXPECT_EQ(Reply(count), c.reply) << c.command << " wait " << c.wait;
    EXPECT_STREQ(g_App.ReceiveBuffer, c.reply) << c.command << " wait " << c.wait;
    EXPECT_GE(elapsed, c.minMs) << c.command << " wait " << c.wait;
    EXPECT_LT(elapsed, c.maxMs) << c.command << " wait " << c.wait;
    // What a cut reply left on the line is gone before the next command.
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    SendAtCommand(port_, "AT", kWaitForAnswer, 1000, g_App.ReceiveBuffer);
  }
}

// The line as this program leaves it: the settings the port had (here 38400
// baud, hardware flow control, canonical input) are back after the close,
// and exclusive use is cleared; while the port is open the line is raw 8N1
// without flow control.
TEST(SerialPosixLine, IsLeftAsItWasFound) {
  SimProcess sim;
  ASSERT_TRUE(StartModemSim(std::string(PROFILE_DIR) + "/timing.profile", &sim));
  const int watcher = open(sim.ptyPath.c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(watcher, 0);
  termios before{};
  ASSERT_EQ(tcgetattr(watcher, &before), 0);
  before.c_cflag |= CRTSCTS;
  before.c_lflag |= ICANON;
  cfsetispeed(&before, B38400);
  cfsetospeed(&before, B38400);
  before.c_cc[VMIN] = 1;
  ASSERT_EQ(tcsetattr(watcher, TCSANOW, &before), 0);
  ASSERT_EQ(tcgetattr(watcher, &before), 0);

  for (int run = 0; run < 2; ++run) {
    const PortHandle port = OpenConfiguredPort(sim.ptyPath.c_str());
    ASSERT_NE(port, kInvalidPort) << run;
    termios open{};
    ASSERT_EQ(tcgetattr(watcher, &open), 0);
    EXPECT_EQ(open.c_cflag & (CRTSCTS | CSIZE | PARENB | CSTOPB), static_cast<tcflag_t>(CS8));
    EXPECT_EQ(open.c_lflag & ICANON, 0u);
    EXPECT_EQ(cfgetospeed(&open), static_cast<speed_t>(B9600));
    int exclusive = 0;
    ASSERT_EQ(ioctl(watcher, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 1);
    EXPECT_EQ(SendAtCommand(port, "AT", kWaitAtMost, 1000, g_App.ReceiveBuffer), 6u);
    ClosePort(port);

    termios after{};
    ASSERT_EQ(tcgetattr(watcher, &after), 0);
    EXPECT_EQ(after.c_cflag, before.c_cflag) << run;
    EXPECT_EQ(after.c_iflag, before.c_iflag) << run;
    EXPECT_EQ(after.c_oflag, before.c_oflag) << run;
    EXPECT_EQ(after.c_lflag, before.c_lflag) << run;
    EXPECT_EQ(std::memcmp(after.c_cc, before.c_cc, sizeof after.c_cc), 0) << run;
    EXPECT_EQ(cfgetospeed(&after), cfgetospeed(&before)) << run;
    ASSERT_EQ(ioctl(watcher, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0) << run;
  }
  close(watcher);
  StopModemSim(&sim);
}

// A link and its target are one device (the scan probes it once); the
// fault matrix's scan of both names finds a wrong device number only when
// the link's probe loses the race for the port.
TEST(SerialPosixLine, LinkAndTargetAreOneDevice) {
  SimProcess sim, other;
  ASSERT_TRUE(StartModemSim(std::string(PROFILE_DIR) + "/timing.profile", &sim));
  ASSERT_TRUE(StartModemSim(std::string(PROFILE_DIR) + "/timing.profile", &other));
  const std::string link = "/tmp/brenvaltor-link-" + std::to_string(getpid());
  ASSERT_EQ(symlink(sim.ptyPath.c_str(), link.c_str()), 0);
  EXPECT_NE(PortDeviceId(sim.ptyPath.c_str()), 0u);
  EXPECT_EQ(PortDeviceId(link.c_str()), PortDeviceId(sim.ptyPath.c_str()));
  EXPECT_NE(PortDeviceId(other.ptyPath.c_str()), PortDeviceId(sim.ptyPath.c_str()));
  EXPECT_EQ(PortDeviceId("/tmp"), 0u);
  EXPECT_EQ(PortDeviceId("/dev/does-not-exist"), 0u);
  unlink(link.c_str());
  StopModemSim(&sim);
  StopModemSim(&other);
}

}  // namespace
