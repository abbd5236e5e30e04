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

// The commands of the sequence from first to last, each with its CR.
std::string CommandLines(int first, int last) {
  std::string lines;
  for (int i = first; i < last && i < kQueryStepCount; ++i)
    lines += std::string(QuerySequence[i].command) + '\r';
  return lines;
}

// The rows of a whole query, which sends every command once on one port.
std::vector<std::string> WholeQueryRows(const FakeReplies& stick) {
  ResetFakeModem();
  g_Fake.replies = stick;
  EXPECT_EQ(QueryModemInformation("E1550 (COM5)"), kQueryComplete);
  EXPECT_EQ(g_Fake.written, CommandLines(0, kQueryStepCount));
  EXPECT_EQ(g_Fake.openedPaths, std::vector<std::string>{"\\\\.\\COM5"});
  EXPECT_EQ(g_Fake.configureCount, 1);
  EXPECT_EQ(g_Fake.closeCount, 1);
  EXPECT_EQ(g_Fake.foreignHandles, 0);
  std::vector<std::string> rows;
  for (int rowId = 0; rowId < kReportRowCount; ++rowId) rows.emplace_back(RowValue(rowId));
  return rows;
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

TEST_F(QueryTest, LaterCommandWinsWhenItGivesAValue) {
  const std::vector<std::string> unchanged = WholeQueryRows(ProfileReplies("e1550"));
  for (const WinsCase& c : kWinsCases) {
    SCOPED_TRACE(c.name);
    ASSERT_NE(unchanged[c.rowId], "");
    g_Fake.replies = ProfileReplies("e1550");
    if (c.reply.empty())
      g_Fake.replies.erase(c.command);
    else
      g_Fake.replies[c.command] = c.reply;
    QueryModemInformation("E1550 (COM5)");
    EXPECT_EQ(RowValue(c.rowId), c.expected ? std::string(c.expected) : unchanged[c.rowId]);
  }
}

// A port that does not open empties the report and sends nothing.
TEST_F(QueryTest, NothingCarriesOverFromTheLastQuery) {
  ASSERT_NE(WholeQueryRows(ProfileReplies("e1550"))[kRowSignalLevel], "");
  g_Fake.replies.erase("AT+CSQ");
  g_Fake.replies.erase("AT^CARDLOCK?");
  QueryModemInformation("E1550 (COM5)");
  EXPECT_STREQ(RowValue(kRowSignalLevel), "");
  EXPECT_STREQ(RowValue(kRowLockStatus), "");
  EXPECT_STRNE(RowValue(kRowModel), "");
  g_Fake.portOpens = false;
  g_Fake.written.clear();
  EXPECT_EQ(QueryModemInformation("E1550 (COM5)"), kQueryPortFailed);
  EXPECT_EQ(g_Fake.written, "");
  for (int rowId = 0; rowId < kRowTableSize; ++rowId) EXPECT_STREQ(RowValue(rowId), "");
}

// A stick that falls silent after some commands (or none): the query ends
// when the line check after the first unanswered one goes unanswered too;
// the answered rows are those it gives when later commands bring no value.
TEST_F(QueryTest, AModemThatStopsAnsweringKeepsTheRowsOfItsAnswers) {
  FakeReplies stick = ProfileReplies("e1550");
  for (int answered : {0, 1, 2, 6, 10, 15}) {
    FakeReplies bare;
    for (int i = 0; i < kQueryStepCount; ++i)
      bare[QuerySequence[i].command] = i < answered ? stick.at(QuerySequence[i].command) : "\r\nOK\r\n";
    const std::vector<std::string> expected = WholeQueryRows(bare);
    ResetFakeModem();
    g_Fake.replies = stick;
    g_Fake.answersLeft = answered;
    int32_t unansweredStep = -1;
    EXPECT_EQ(QueryModemAtPath("\\\\.\\COM5", &unansweredStep), kQueryModemStopped) << answered;
    EXPECT_EQ(unansweredStep, answered);
    EXPECT_EQ(g_Fake.written, CommandLines(0, answered + 1) + "AT+CSQ\r") << answered;
    EXPECT_EQ(g_Fake.closeCount, 1);
    for (int rowId = 0; rowId < kReportRowCount; ++rowId)
      EXPECT_EQ(RowValue(rowId), expected[rowId]) << answered << " answered, RowId " << rowId;
  }
}

// A stick that pauses (busy, or a slow bridge) right before the final
// result code or between its CR and LF: every row as without the pauses.
TEST_F(QueryTest, AnAnswerEndsAtItsFinalResultCodeNotAtAPause) {
  const FakeReplies stick = ProfileReplies("e1550");
  const std::vector<std::string> rows = WholeQueryRows(stick);
  for (size_t fromEnd : {4, 1}) {
    ResetFakeModem();
    g_Fake.formFeedPauses = true;
    for (const auto& [command, reply] : stick) {
      const size_t pause = fromEnd == 1 ? reply.size() - 1 : reply.rfind("\r\n", reply.size() - 3) + 2;
      g_Fake.replies[command] = reply.substr(0, pause) + "\f" + reply.substr(pause);
    }
    EXPECT_EQ(QueryModemInformation("E1550 (COM5)"), kQueryComplete);
    for (int rowId = 0; rowId < kReportRowCount; ++rowId)
      EXPECT_EQ(RowValue(rowId), rows[rowId]) << fromEnd << ", RowId " << rowId;
    EXPECT_EQ(std::count(g_Fake.written.begin(), g_Fake.written.end(), '\r'), kQueryStepCount);
  }
}

// Unanswered commands, and answers that come late: each is followed by a
// line check, and a late answer goes into its own rows or nowhere.
TEST_F(QueryTest, UnansweredAndLateCommands) {
  struct Case {
    const char* name;
    std::vector<const char*> unanswered;
    std::string reply;  // what the unanswered commands get ("" : nothing)
    int lateBy;         // their own answers come after this many more commands (0: never)
    int32_t result;
    int lines;               // lines written, line checks included
    bool stopAsked = false;  // QueryStopRequested set before the query
  };
  const std::string reports = "\r\n^RSSI:17\r\n\r\n+CMTI: \"SM\",3\r\n";
  const Case cases[] = {
      {"one silent command", {"AT+CGMR"}, "", 0, kQueryComplete, 18},
      {"two silent commands apart", {"AT+CGMR", "AT+CGSN"}, "", 0, kQueryComplete, 19},
      {"the last command silent", {"AT^CARDLOCK?"}, "", 0, kQueryComplete, 18},
      {"two silent in a row", {"AT+CGMR", "AT+CIMI"}, "", 0, kQueryComplete, 19},
      {"reports alone are no answer", {"AT+CGMR", "AT+CIMI"}, reports, 0, kQueryComplete, 19},
      {"blank lines are an answer", {"AT+CGMR", "AT+CIMI"}, "\r\n", 0, kQueryComplete, 17},
      // Late answers read into their own rows: every row as without them.
      {"IMSI late", {"AT+CIMI"}, "", 1, kQueryComplete, 18},
      {"signal late, checked by AT+CFUN?", {"AT+CSQ"}, "", 1, kQueryComplete, 18},
      {"every identity answer late", {"ATI", "AT+CGMI", "AT+CIMI", "AT+CGSN"}, "", 1, kQueryComplete, 21},
      // Later than the line check: the query ends, nothing in a wrong row.
      {"IMSI later still", {"AT+CIMI"}, "", 2, kQueryModemStopped, 8},
      {"a stop asked for", {}, "", 0, kQueryStopped, 0, true},
  };
  FakeReplies stick = ProfileReplies("e1550");
  const std::vector<std::string> rows = WholeQueryRows(stick);
  for (const Case& c : cases) {
    ResetFakeModem();
    g_Fake.replies = stick;
    g_Fake.lateBy = c.lateBy;
    for (const char* command : c.unanswered) {
      if (c.lateBy != 0) g_Fake.lateReplies[command] = stick.at(command);
      if (c.reply.empty())
        g_Fake.replies.erase(command);
      else
        g_Fake.replies[command] = c.reply;
    }
    g_App.QueryStopRequested = c.stopAsked;
    EXPECT_EQ(QueryModemInformation("E1550 (COM5)"), c.result) << c.name;
    g_App.QueryStopRequested = false;
    EXPECT_EQ(std::count(g_Fake.written.begin(), g_Fake.written.end(), '\r'), c.lines) << c.name;
    EXPECT_EQ(g_Fake.closeCount, g_Fake.openCount) << c.name;
    if (c.lateBy == 0) continue;
    for (int rowId = 0; rowId < kReportRowCount; ++rowId) {
      const std::string value = RowValue(rowId);
      EXPECT_TRUE(value == rows[rowId] || (c.result != kQueryComplete && value.empty()))
          << c.name << ", RowId " << rowId << ": " << value;
    }
  }
}

// An LTE stick refuses AT^SYSINFO and AT^SYSCFG?: their LTE forms follow
// each, and AT^HCSQ? follows AT+COPS? once ^SYSINFOEX or +COPS? said LTE;
// the extra commands are checked as any other when the stick falls silent.
TEST_F(QueryTest, WhatAnLteStickIsAsked) {
  struct Case {
    const char* name;
    const char* profile;
    const char* changed;  // "command=reply|...", an empty reply: none at all
    std::string sent;     // the commands after AT^HWVER
    int32_t result;
    const char* unanswered = "";  // the command the stopped query names
    int answersLeft = -1;         // commands answered before the stick falls silent
  };
  const std::string upToCops = "AT^SYSINFO AT^SYSINFOEX AT+CPIN? AT+CFUN? AT+CSQ AT+COPS? ";
  const std::string last = "AT^VERSION? AT^CARDLOCK? ";
  const std::string onLte = upToCops + "AT^HCSQ? AT^SYSCFG? AT^SYSCFGEX? " + last;
  const Case cases[] = {
      {"on WCDMA: no measurements", "lte-e3372-wcdma", "", upToCops + "AT^SYSCFG? AT^SYSCFGEX? " + last,
       kQueryComplete},
      {"LTE by +COPS? alone", "lte-e3372-wcdma", "AT+COPS?=\r\n+COPS: 0,0,\"B\",7\r\n\r\nOK\r\n", onLte,
       kQueryComplete},
      {"LTE by ^SYSINFOEX alone", "lte-e3372", "AT+COPS?=\r\n+COPS: 0,0,\"B\",2\r\n\r\nOK\r\n", onLte,
       kQueryComplete},
      {"+CME ERROR is a refusal", "lte-e3372", "AT^SYSINFO=\r\n+CME ERROR: 4\r\n", onLte, kQueryComplete},
      {"a bare OK is no refusal", "lte-e3372",
       "AT^SYSINFO=\r\nOK\r\n|AT^SYSCFG?=\r\nOK\r\n|AT+COPS?=\r\nOK\r\n",
       "AT^SYSINFO AT+CPIN? AT+CFUN? AT+CSQ AT+COPS? AT^SYSCFG? " + last, kQueryComplete},
      {"an unanswered AT^SYSINFO is no refusal", "lte-e3372",
       "AT^SYSINFO=|AT+COPS?=\r\nCOMMAND NOT SUPPORT\r\n",
       "AT^SYSINFO AT+CSQ AT+CPIN? AT+CFUN? AT+CSQ AT+COPS? AT^SYSCFG? AT^SYSCFGEX? " + last, kQueryComplete},
      {"silent from AT^SYSINFOEX", "lte-e3372", "", "AT^SYSINFO AT^SYSINFOEX AT+CSQ ", kQueryModemStopped,
       "AT^SYSINFOEX", 10},
      {"silent from AT^HCSQ?", "lte-e3372", "", upToCops + "AT^HCSQ? AT+CSQ ", kQueryModemStopped, "AT^HCSQ?",
       15},
      {"one silent extra command", "lte-e3372",
       "AT^SYSCFGEX?=", upToCops + "AT^HCSQ? AT^SYSCFG? AT^SYSCFGEX? AT+CSQ " + last, kQueryComplete},
  };
  const std::string identity = CommandLines(0, 9);
  for (const Case& c : cases) {
    ResetFakeModem();
    g_Fake.replies = ProfileReplies(c.profile);
    for (const std::string& change : Parts(c.changed)) {
      const size_t equals = change.find('=');
      if (equals + 1 == change.size())
        g_Fake.replies.erase(change.substr(0, equals));
      else
        g_Fake.replies[change.substr(0, equals)] = change.substr(equals + 1);
    }
    g_Fake.answersLeft = c.answersLeft;
    int32_t unansweredStep = -1;
    EXPECT_EQ(QueryModemAtPath("\\\\.\\COM5", &unansweredStep), c.result) << c.name;
    std::string sent = g_Fake.written.substr(identity.size());
    std::replace(sent.begin(), sent.end(), '\r', ' ');
    EXPECT_EQ(g_Fake.written.substr(0, identity.size()), identity) << c.name;
    EXPECT_EQ(sent, c.sent) << c.name;
    if (c.result == kQueryModemStopped) {
      EXPECT_STREQ(QueryStepAt(unansweredStep).command, c.unanswered) << c.name;
    }
  }
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
    EXPECT_EQ(SendAtCommand(7, c.command.c_str(), kWaitForAnswer, 1000, g_App.ReceiveBuffer), 0u);
    EXPECT_EQ(g_Fake.written, c.sent) << c.command.size();
    // A reply of 0 bytes never leaves the previous reply readable.
    EXPECT_STREQ(g_App.ReceiveBuffer, "");
  }
  // A refused write means no reply to wait for.
  g_Fake.replies["AT"] = "\r\nOK\r\n";
  g_Fake.unplugged = true;
  g_Fake.readBounds.clear();
  LoadReply("stale reply");
  EXPECT_EQ(SendAtCommand(7, "AT", kWaitForAnswer, 1000, g_App.ReceiveBuffer), 0u);
  EXPECT_EQ(SendAtCommand(7, "AT", kWaitAtMost, 1000, g_App.ReceiveBuffer), 0u);
  EXPECT_TRUE(g_Fake.readBounds.empty());
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
