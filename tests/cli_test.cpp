// The command-line tool's own units: which devices a scan probes and in
// which order, the port names it refuses, and the bound of a one-shot
// exchange. What a scan that finds nothing says and the report's JSON
// escapes are checked end to end (fault matrix).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#include "cli/scan_targets.h"
#include "report/report_rows.h"
#include "serial/serial_port.h"
#include "terminal/terminal.h"
#include "tests/test_support.h"

namespace {

ScanTargets g_Targets;  // 130 KB: not on the stack

#ifndef _WIN32
TEST(ScanListing, UsbAndAcmDevicesInNaturalOrderAndNothingElse) {
  char directory[] = "/tmp/scan-listing-42-XXXXXX";  // a digit in the path must not matter
  ASSERT_NE(mkdtemp(directory), nullptr);
  const std::vector<std::string> made = {"ttyUSB10", "ttyUSB2",  "ttyACM0", "ttyUSB1",
                                         "ttyS0",    "ttyACM11", "ttyACM3"};
  for (const std::string& name : made)
    close(open((std::string(directory) + "/" + name).c_str(), O_CREAT | O_WRONLY, 0600));
  g_Targets = {};
  ListSerialDevices(directory, &g_Targets);
  std::vector<std::string> listed;
  for (int32_t i = 0; i < g_Targets.count; ++i) {
    listed.push_back(std::string(g_Targets.names[i]).substr(std::string(directory).size() + 1));
    EXPECT_STREQ(g_Targets.pathList[i], g_Targets.paths[i]);
  }
  EXPECT_EQ(listed,
            (std::vector<std::string>{"ttyACM0", "ttyACM3", "ttyACM11", "ttyUSB1", "ttyUSB2", "ttyUSB10"}));
  for (const std::string& name : made) unlink((std::string(directory) + "/" + name).c_str());
  rmdir(directory);
}
#endif

TEST(ScanTargetsTest, PortNamesThatDoNotFitAreRefusedNotCut) {
  // The tests' port layer makes the path the name itself.
  ASSERT_EQ(LongestPortName(), 255u);
  EXPECT_TRUE(PortNameFits(std::string(255, 'x').c_str()));
  EXPECT_FALSE(PortNameFits(std::string(256, 'x').c_str()));
  const std::string tooLong(300, 'y');
  const char* names[] = {"COM5", tooLong.c_str()};
  EXPECT_FALSE(CollectScanTargets(names, 2, &g_Targets));
  EXPECT_TRUE(CollectScanTargets(names, 1, &g_Targets));
  EXPECT_EQ(g_Targets.count, 1);
}

TEST(OneShotExchange, WaitsTwoSecondsAtMost) {
  ResetFakeModem();
  g_Fake.replies["AT+CSQ"] = "\r\n+CSQ: 20,99\r\n\r\nOK\r\n";
  EXPECT_EQ(SendTerminalCommand("COM5", "AT+CSQ", g_App.ReceiveBuffer), 21);
  EXPECT_EQ(g_Fake.readBounds, std::vector<uint32_t>{kAnswerWaitMs});
  EXPECT_EQ(g_Fake.closeCount, 1);
}

}  // namespace
