// The query sequence against a scripted modem: what goes out on the line,
// which value wins, and how failures leave the report.
#include <gtest/gtest.h>

#include <cstring>

#include <string>

#include "report/query.h"
#include "report/report_rows.h"
#include "serial/serial_port.h"
#include "tests/fake_port.h"
#include "tests/test_names.h"
#include "tests/modem_replies.h"

namespace {

TEST(QuerySequence, SendsTheSeventeenCommandsInOrderEachWithOneCR) {
  ResetFakeModem();
  ASSERT_EQ(QueryModemInformation("E1550 (COM5)"), 0);
  EXPECT_EQ(g_Fake.written,
            "ATE0\rATI\rAT^FHVER\rAT+CGMI\rAT+CGMM\rAT+CGMR\rAT+CIMI\rAT+CGSN\rAT^HWVER\r"
            "AT^SYSINFO\rAT+CPIN?\rAT+CFUN?\rAT+CSQ\rAT+COPS?\rAT^SYSCFG?\rAT^VERSION?\r"
            "AT^CARDLOCK?\r");
  ASSERT_EQ(g_Fake.openedPaths.size(), 1u);
  EXPECT_EQ(g_Fake.openedPaths[0], "\\\\.\\COM5");
  EXPECT_EQ(g_Fake.configureCount, 1);
  EXPECT_EQ(g_Fake.closeCount, 1);
}

TEST(QuerySequence, FillsTheReportFromACompleteModem) {
  ResetFakeModem();
  g_Fake.replies = ClassicStickReplies();
  ASSERT_EQ(QueryModemInformation("E1550 (COM5)"), 0);
  for (int rowId = 0; rowId < kReportRowCount; ++rowId)
    EXPECT_STREQ(RowValue(rowId), kClassicStickReport[rowId]) << "RowId " << rowId;
  EXPECT_STREQ(RowValue(kToggleRow), "");
}

struct WinsCase {
  const char* name;
  const char* command;
  std::string reply;  // empty: no reply at all
  int rowId;
  const char* expected;
};

const WinsCase kWinsCases[] = {
    {"CGMI value replaces ATI maker", "AT+CGMI", "\r\nNorvik\r\n\r\nOK\r\n", kRowMaker, "Norvik"},
    {"CGMI error replaces ATI maker", "AT+CGMI", "\r\nERROR\r\n", kRowMaker, "ERROR"},
    {"CGMM error replaces ATI model", "AT+CGMM", "\r\nERROR\r\n", kRowModel, "ERROR"},
    {"CGSN bare OK keeps ATI IMEI", "AT+CGSN", "\r\nOK\r\n", kRowImei, "354000000000017"},
    {"CGMR silent keeps ATI revision", "AT+CGMR", "", kRowFirmwareVersion, "11.608.12.02.143"},
    {"CGMM empty first line keeps ATI model", "AT+CGMM", "\r\n\r\nOK\r\n", kRowModel, "E1550"},
    {"HWVER error leaves its row empty", "AT^HWVER", "\r\nERROR\r\n", kRowHardwareVersion, ""},
    {"CIMI error becomes the IMSI", "AT+CIMI", "\r\nERROR\r\n", kRowImsi, "ERROR"},
};

// Test names, not bytes, in the listings.
void PrintTo(const WinsCase& c, std::ostream* os) { *os << c.name; }

class WhichValueWins : public ::testing::TestWithParam<WinsCase> {};

TEST_P(WhichValueWins, LaterCommandWinsWhenItGivesAValue) {
  const WinsCase& c = GetParam();
  ResetFakeModem();
  g_Fake.replies = ClassicStickReplies();
  if (c.reply.empty())
    g_Fake.replies.erase(c.command);
  else
    g_Fake.replies[c.command] = c.reply;
  QueryModemInformation("E1550 (COM5)");
  EXPECT_STREQ(RowValue(c.rowId), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Identity, WhichValueWins, ::testing::ValuesIn(kWinsCases), CaseNameFromField());

TEST(QuerySequence, AtiWithoutGcapLeavesCommandSetsEmpty) {
  ResetFakeModem();
  g_Fake.replies = ClassicStickReplies();
  g_Fake.replies["ATI"] = "\r\nManufacturer: Norvik\r\nModel: E173\r\n\r\nOK\r\n";
  QueryModemInformation("E173 (COM7)");
  EXPECT_STREQ(RowValue(kRowCommandSets), "");
}

TEST(QuerySequence, PortThatDoesNotOpenEmptiesTheReportAndSendsNothing) {
  ResetFakeModem();
  g_Fake.replies = ClassicStickReplies();
  QueryModemInformation("E1550 (COM5)");
  ASSERT_STRNE(RowValue(kRowModel), "");
  g_Fake.portOpens = false;
  g_Fake.written.clear();
  EXPECT_EQ(QueryModemInformation("E1550 (COM5)"), 1);
  EXPECT_EQ(g_Fake.written, "");
  for (int rowId = 0; rowId < kRowTableSize; ++rowId) EXPECT_STREQ(RowValue(rowId), "");
}

TEST(QuerySequence, NothingCarriesOverFromTheLastQuery) {
  ResetFakeModem();
  g_Fake.replies = ClassicStickReplies();
  QueryModemInformation("E1550 (COM5)");
  g_Fake.replies.erase("AT+CSQ");
  g_Fake.replies.erase("AT^CARDLOCK?");
  QueryModemInformation("E1550 (COM5)");
  EXPECT_STREQ(RowValue(kRowSignalLevel), "");
  EXPECT_STREQ(RowValue(kRowLockStatus), "");
  EXPECT_STREQ(RowValue(kRowModel), "E1550");
}

TEST(QuerySequence, SilentModemStillRunsEveryCommandAndClosesThePort) {
  ResetFakeModem();
  EXPECT_EQ(QueryModemInformation("E1550 (COM5)"), 0);
  EXPECT_EQ(g_Fake.closeCount, 1);
  for (int rowId = 0; rowId < kRowTableSize; ++rowId) EXPECT_STREQ(RowValue(rowId), "");
}

TEST(QuerySequence, EchoingModemTakesEchoesAsValues) {
  // With the echo on, every prefix is first found inside the echoed command
  // line, and the empty-prefix commands show their own echo.
  ResetFakeModem();
  g_Fake.replies = ClassicStickReplies();
  for (auto& [command, reply] : g_Fake.replies) reply = command + "\r" + reply;
  QueryModemInformation("E173 (COM7)");
  EXPECT_STREQ(RowValue(kRowModel), "AT+CGMM");
  EXPECT_STREQ(RowValue(kRowHardwareVersion), "");
  EXPECT_STREQ(RowValue(kRowServiceStatus), "");
}

TEST(SendAtCommand, LineBytesAndRefusalOfLongCommands) {
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
    ResetFakeModem();
    LoadReply("stale reply");
    EXPECT_EQ(CommandFitsLine(c.command.c_str()), c.fits);
    EXPECT_EQ(SendAtCommand(7, c.command.c_str(), false, 1000, g_App.ReceiveBuffer), 0u);
    EXPECT_EQ(g_Fake.written, c.sent) << c.command.size();
    // A reply of 0 bytes never leaves the previous reply readable.
    EXPECT_STREQ(g_App.ReceiveBuffer, "");
  }
}

TEST(SendAtCommand, ARefusedWriteMeansNoReplyToWaitFor) {
  ResetFakeModem();
  g_Fake.replies["AT"] = "\r\nOK\r\n";
  g_Fake.unplugged = true;
  LoadReply("stale reply");
  EXPECT_EQ(SendAtCommand(7, "AT", false, 1000, g_App.ReceiveBuffer), 0u);
  EXPECT_EQ(SendAtCommand(7, "AT", true, 1000, g_App.ReceiveBuffer), 0u);
  EXPECT_EQ(g_Fake.directReads, 0);
  EXPECT_TRUE(g_Fake.readerTimeouts.empty());
  EXPECT_STREQ(g_App.ReceiveBuffer, "");
}

TEST(SendAtCommand, ReplyLongerThanTheBufferStaysQueued) {
  ResetFakeModem();
  g_Fake.replies["AT+HUGE"] = std::string(70000, 'A') + "\r\nOK\r\n";
  EXPECT_EQ(SendAtCommand(7, "AT+HUGE", false, 1000, g_App.ReceiveBuffer), 65535u);
  EXPECT_EQ(std::strlen(g_App.ReceiveBuffer), 65535u);
  EXPECT_EQ(SendAtCommand(7, "AT", false, 1000, g_App.ReceiveBuffer), 70006u - 65535u);
}

struct PathCase {
  const char* entry;
  const char* path;
};

TEST(PortPathFromEntry, TakesThePortOutOfTheEntryText) {
  const PathCase cases[] = {
      {"E1550 (COM12)", "\\\\.\\COM12"},
      {"E173 (COM7)", "\\\\.\\COM7"},
      {"", "\\\\.\\"},
      {" (COM5)", "\\\\.\\COM5"},              // a modem that answered only OK
      {"AT+CGMM (COM3)", "\\\\.\\COM3"},       // an echoing modem
      {"E1550 (COM5", "\\\\.\\COM5"},          // no closing parenthesis
      {"Weird (COM1) (COM2)", "\\\\.\\COM1"},  // the first "(COM" counts
      {"(x) E (COM254)", "\\\\.\\COM254"},
      {"no port here", "\\\\.\\"},
      {nullptr, "\\\\.\\"},
  };
  for (const PathCase& c : cases) {
    char path[kShortTextSize];
    PortPathFromEntry(c.entry, path, sizeof path);
    EXPECT_STREQ(path, c.path) << (c.entry ? c.entry : "(null)");
  }
}

TEST(PortPathFromEntry, LongPortNameIsBoundedTo255Characters) {
  const std::string entry = "M (COM" + std::string(1000, '9') + ")";
  char path[kShortTextSize];
  PortPathFromEntry(entry.c_str(), path, sizeof path);
  EXPECT_EQ(std::strlen(path), 255u);
  EXPECT_EQ(std::string(path, 7), "\\\\.\\COM");
}

}  // namespace
