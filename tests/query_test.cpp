// The query sequence against a scripted modem: what goes out on the line,
// which value wins, and how failures leave the report. The modem answers as
// the e1550 profile of modem-sim does; whole reports of every profile are
// checked end to end against the simulator itself (tests/e2e).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "report/query.h"
#include "report/report_rows.h"
#include "serial/serial_port.h"
#include "tests/test_support.h"

namespace {

using QueryTest = FakeModemTest;

TEST_F(QueryTest, SendsTheSeventeenCommandsInOrderEachWithOneCR) {
  ASSERT_EQ(QueryModemInformation("E1550 (COM5)"), 0);
  EXPECT_EQ(g_Fake.written,
            "ATE0\rATI\rAT^FHVER\rAT+CGMI\rAT+CGMM\rAT+CGMR\rAT+CIMI\rAT+CGSN\rAT^HWVER\r"
            "AT^SYSINFO\rAT+CPIN?\rAT+CFUN?\rAT+CSQ\rAT+COPS?\rAT^SYSCFG?\rAT^VERSION?\r"
            "AT^CARDLOCK?\r");
  EXPECT_EQ(g_Fake.openedPaths, std::vector<std::string>{"\\\\.\\COM5"});
  EXPECT_EQ(g_Fake.configureCount, 1);
  EXPECT_EQ(g_Fake.closeCount, 1);
  EXPECT_EQ(g_Fake.foreignHandles, 0);
}

struct WinsCase {
  const char* name;
  const char* command;
  std::string reply;  // empty: no reply at all
  int rowId;
  const char* expected;  // nullptr: what the unchanged modem gives (from ATI)
};

const WinsCase kWinsCases[] = {
    {"CGMI value replaces ATI maker", "AT+CGMI", "\r\nNorvik\r\n\r\nOK\r\n", kRowMaker, "Norvik"},
    {"CGMI error replaces ATI maker", "AT+CGMI", "\r\nERROR\r\n", kRowMaker, "ERROR"},
    {"CGSN bare OK keeps ATI IMEI", "AT+CGSN", "\r\nOK\r\n", kRowImei, nullptr},
    {"CGMR silent keeps ATI revision", "AT+CGMR", "", kRowFirmwareVersion, nullptr},
    {"CGMM empty first line keeps ATI model", "AT+CGMM", "\r\n\r\nOK\r\n", kRowModel, nullptr},
    {"HWVER error leaves its row empty", "AT^HWVER", "\r\nERROR\r\n", kRowHardwareVersion, ""},
    {"CIMI error becomes the IMSI", "AT+CIMI", "\r\nERROR\r\n", kRowImsi, "ERROR"},
    {"ATI without GCAP leaves command sets empty", "ATI", "\r\nManufacturer: Norvik\r\n\r\nOK\r\n",
     kRowCommandSets, ""},
};

// Test names, not bytes, in the listings.
void PrintTo(const WinsCase& c, std::ostream* os) { *os << c.name; }

struct WhichValueWins : FakeModemTest, ::testing::WithParamInterface<WinsCase> {};

TEST_P(WhichValueWins, LaterCommandWinsWhenItGivesAValue) {
  const WinsCase& c = GetParam();
  g_Fake.replies = ProfileReplies("e1550");
  QueryModemInformation("E1550 (COM5)");
  const std::string unchanged = RowValue(c.rowId);
  ASSERT_NE(unchanged, "");
  if (c.reply.empty())
    g_Fake.replies.erase(c.command);
  else
    g_Fake.replies[c.command] = c.reply;
  QueryModemInformation("E1550 (COM5)");
  EXPECT_EQ(RowValue(c.rowId), c.expected ? std::string(c.expected) : unchanged);
}

INSTANTIATE_TEST_SUITE_P(Identity, WhichValueWins, ::testing::ValuesIn(kWinsCases), CaseNameFromField());

TEST_F(QueryTest, PortThatDoesNotOpenEmptiesTheReportAndSendsNothing) {
  g_Fake.replies = ProfileReplies("e1550");
  QueryModemInformation("E1550 (COM5)");
  ASSERT_STRNE(RowValue(kRowModel), "");
  g_Fake.portOpens = false;
  g_Fake.written.clear();
  EXPECT_EQ(QueryModemInformation("E1550 (COM5)"), 1);
  EXPECT_EQ(g_Fake.written, "");
  for (int rowId = 0; rowId < kRowTableSize; ++rowId) EXPECT_STREQ(RowValue(rowId), "");
}

TEST_F(QueryTest, NothingCarriesOverFromTheLastQuery) {
  g_Fake.replies = ProfileReplies("e1550");
  QueryModemInformation("E1550 (COM5)");
  ASSERT_STRNE(RowValue(kRowSignalLevel), "");
  g_Fake.replies.erase("AT+CSQ");
  g_Fake.replies.erase("AT^CARDLOCK?");
  QueryModemInformation("E1550 (COM5)");
  EXPECT_STREQ(RowValue(kRowSignalLevel), "");
  EXPECT_STREQ(RowValue(kRowLockStatus), "");
  EXPECT_STRNE(RowValue(kRowModel), "");
}

TEST_F(QueryTest, SilentModemStillRunsEveryCommandAndClosesThePort) {
  EXPECT_EQ(QueryModemInformation("E1550 (COM5)"), 0);
  EXPECT_EQ(std::count(g_Fake.written.begin(), g_Fake.written.end(), '\r'), kQueryStepCount);
  EXPECT_EQ(g_Fake.closeCount, 1);
  for (int rowId = 0; rowId < kRowTableSize; ++rowId) EXPECT_STREQ(RowValue(rowId), "");
}

using SendAtCommandTest = FakeModemTest;

TEST_F(SendAtCommandTest, LineBytesAndRefusalOfLongCommands) {
  struct Case {
    std::string command;
    std::string sent;
    bool fits;
  };
  const Case cases[] = {
      {"AT", std::string("\x41\x54\x0D"), true},
      {"", "\r", true},
      {std::string(254, 'A'), std::string(254, 'A') + "\r", true},
      {std::string(255, 'A'), "", false},
      {std::string(5000, 'A'), "", false},
  };
  for (const Case& c : cases) {
    g_Fake.written.clear();
    LoadReply("stale reply");
    EXPECT_EQ(CommandFitsLine(c.command.c_str()), c.fits);
    EXPECT_EQ(SendAtCommand(7, c.command.c_str(), false, 1000, g_App.ReceiveBuffer), 0u);
    EXPECT_EQ(g_Fake.written, c.sent) << c.command.size();
    // A reply of 0 bytes never leaves the previous reply readable.
    EXPECT_STREQ(g_App.ReceiveBuffer, "");
  }
}

TEST_F(SendAtCommandTest, ARefusedWriteMeansNoReplyToWaitFor) {
  g_Fake.replies["AT"] = "\r\nOK\r\n";
  g_Fake.unplugged = true;
  LoadReply("stale reply");
  EXPECT_EQ(SendAtCommand(7, "AT", false, 1000, g_App.ReceiveBuffer), 0u);
  EXPECT_EQ(SendAtCommand(7, "AT", true, 1000, g_App.ReceiveBuffer), 0u);
  EXPECT_EQ(g_Fake.directReads, 0);
  EXPECT_TRUE(g_Fake.readerTimeouts.empty());
  EXPECT_STREQ(g_App.ReceiveBuffer, "");
}

TEST(PortPathFromEntry, TakesThePortOutOfTheEntryText) {
  struct Case {
    const char* entry;
    const char* path;
  };
  const std::string longPort = "M (COM" + std::string(1000, '9') + ")";
  const std::string longPath = "\\\\.\\COM" + std::string(255 - 7, '9');  // bounded to 255 characters
  const Case cases[] = {
      {"E1550 (COM12)", "\\\\.\\COM12"},      {" (COM5)", "\\\\.\\COM5"},  // a modem that answered only OK
      {"AT+CGMM (COM3)", "\\\\.\\COM3"},                                   // an echoing modem
      {"E1550 (COM5", "\\\\.\\COM5"},                                      // no closing parenthesis
      {"Weird (COM1) (COM2)", "\\\\.\\COM1"},                              // the first "(COM" counts
      {"(x) E (COM254)", "\\\\.\\COM254"},    {"no port here", "\\\\.\\"}, {nullptr, "\\\\.\\"},
      {longPort.c_str(), longPath.c_str()},
  };
  for (const Case& c : cases) {
    char path[kShortTextSize];
    PortPathFromEntry(c.entry, path, sizeof path);
    EXPECT_STREQ(path, c.path) << (c.entry ? c.entry : "(null)");
  }
}

}  // namespace
