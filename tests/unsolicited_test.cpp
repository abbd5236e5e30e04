// The modem vendor's unsolicited reports: never a first-line value, never
// the answer of an exchange, and a query through them gives the report of
// the same stick without them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/reply_value.h"
#include "base/unsolicited.h"
#include "report/query.h"
#include "report/report_rows.h"
#include "serial/port_scan.h"
#include "serial/serial_port.h"
#include "tests/fake_port.h"
#include "tests/test_support.h"

namespace {

struct FirstLineCase {
  const char* name;
  const char* reply;
  const char* expected;  // "" : no value
};

const FirstLineCase kFirstLineCases[] = {
    {"report before the answer", "\r\n^RSSI:17\r\n\r\nE1550\r\n\r\nOK\r\n", "E1550"},
    {"blank after the colon", "\r\n^RSSI: 19\r\n\r\nE1550\r\n\r\nOK\r\n", "E1550"},
    {"CR CR framing", "\r\r^BOOT:20952084,0,0,0,72\r\r\r\nE1550\r\n\r\nOK\r\n", "E1550"},
    {"several reports", "\r\n^MODE:5,4\r\n\r\n^CONN:1,0\r\n^DSFLOWRPT:0,0\r\n\r\nZentrix\r\n", "Zentrix"},
    {"report right after an echo line end", "\r\n^SRVST:2\r\n354000000000017\r\n", "354000000000017"},
    {"ERROR after a report still wins", "\r\n^SIMST:1\r\n\r\nERROR\r\n", "ERROR"},
    {"reports alone are no value", "\r\n^RSSI:17\r\n\r\n^CSNR: -145,-32\r\n", ""},
    {"an answer prefix is no report", "\r\n^HWVER:\"CD1E1550M\"\r\n\r\nOK\r\n", "^HWVER:\"CD1E1550M"},
    {"unknown caret name is a value", "\r\n^RSSIX:3\r\n", "^RSSIX:3"},
    {"name without a colon is a value", "\r\n^RSSI 17\r\n", "^RSSI 17"},
    {"report after the answer stays out", "\r\nE1550\r\n^RSSI:17\r\n", "E1550"},
    {"new SMS and a call before the value", "\r\n+CMTI: \"SM\",3\r\n\r\nRING\r\n\r\nE1550\r\n", "E1550"},
    {"an SMS shown at once, with its text line", "\r\n+CMT: \"+100\",,\"24/01/01\"\r\nhello\r\n\r\nE1550\r\n",
     "E1550"},
    {"registration change before the value", "\r\n+CREG: 1\r\n\r\n+CGREG: 5\r\nE1550\r\n", "E1550"},
    {"a standard answer prefix is no report", "\r\n+CSQ: 20,99\r\n", "+CSQ: 20,99"},
    {"RING inside a line is a value", "\r\nRINGS\r\n", "RINGS"},
};

void PrintTo(const FirstLineCase& c, std::ostream* os) { *os << c.name; }

class FirstLine : public ::testing::TestWithParam<FirstLineCase> {};

TEST_P(FirstLine, SkipsReportsBeforeTheValue) {
  char value[kTextBufferSize];
  const FirstLineCase& c = GetParam();
  const bool found = TakeReplyValue(c.reply, "", value);
  EXPECT_EQ(found, c.expected[0] != '\0');
  EXPECT_STREQ(value, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Unsolicited, FirstLine, ::testing::ValuesIn(kFirstLineCases), CaseNameFromField());

// Replies given in pieces ('|' between them), one per read, as a port
// ends a read at a pause.
struct ExchangeCase {
  const char* name;
  const char* command;
  const char* pieces;
  ExchangeWait wait;
  size_t cutRead;  // the read its bound cuts short with the reply still coming (0: none)
  int reads;       // reads taken
  const char* reply;
};

const ExchangeCase kExchangeCases[] = {
    {"report then answer, query", "AT", "\r\n^RSSI:17\r\n|\r\nE1550\r\n\r\nOK\r\n", kWaitForAnswer, 0, 2,
     "\r\n^RSSI:17\r\n\r\nE1550\r\n\r\nOK\r\n"},
    {"report then answer, at most", "AT", "\r\r^BOOT:1,0\r\r|\r\nOK\r\n", kWaitAtMost, 0, 2,
     "\r\r^BOOT:1,0\r\r\r\nOK\r\n"},
    {"two report reads", "AT", "\r\n^RSSI:17\r\n|\r\n^MODE:5,4\r\n|\r\nOK\r\n", kWaitForAnswer, 0, 3,
     "\r\n^RSSI:17\r\n\r\n^MODE:5,4\r\n\r\nOK\r\n"},
    {"answer first ends the exchange", "AT", "\r\nOK\r\n|\r\n^RSSI:17\r\n", kWaitForAnswer, 0, 1,
     "\r\nOK\r\n"},
    {"a paused answer still ends", "AT", "\r\nFIRST\r\n|\r\nSECOND\r\n", kWaitForAnswer, 0, 1,
     "\r\nFIRST\r\n"},
    {"blank lines alone are an answer", "AT", "\r\n|\r\nOK\r\n", kWaitAtMost, 0, 1, "\r\n"},
    {"the echo alone is no answer", "ATE0", "ATE0\r|\r\nOK\r\n", kWaitForAnswer, 0, 2, "ATE0\r\r\nOK\r\n"},
    {"echo and a report are no answer", "ATE0", "ATE0\r\r\n^RSSI:17\r\n|\r\nOK\r\n", kWaitForAnswer, 0, 2,
     "ATE0\r\r\n^RSSI:17\r\n\r\nOK\r\n"},
    {"another command's echo is an answer", "AT", "ATI\r|\r\nOK\r\n", kWaitForAnswer, 0, 1, "ATI\r"},
    {"standard reports", "AT+CGMR", "\r\n+CMTI: \"SM\",3\r\n|\r\nRING\r\n|\r\n11.608\r\n\r\nOK\r\n",
     kWaitForAnswer, 0, 3, "\r\n+CMTI: \"SM\",3\r\n\r\nRING\r\n\r\n11.608\r\n\r\nOK\r\n"},
    {"an SMS report's text line is no answer", "AT", "\r\n+CMT: ,24\r\n07911326040000F0\r\n|\r\nOK\r\n",
     kWaitForAnswer, 0, 2, "\r\n+CMT: ,24\r\n07911326040000F0\r\n\r\nOK\r\n"},
    {"+CREG is the answer to its own command", "AT+CREG?", "\r\n+CREG: 0,1\r\n|\r\nOK\r\n", kWaitForAnswer, 0,
     1, "\r\n+CREG: 0,1\r\n"},
    {"+CREG is a report to another command", "AT", "\r\n+CREG: 1\r\n|\r\nOK\r\n", kWaitForAnswer, 0, 2,
     "\r\n+CREG: 1\r\n\r\nOK\r\n"},
    {"reports and no answer", "AT", "\r\n^RSSI:17\r\n", kWaitAtMost, 0, 2, "\r\n^RSSI:17\r\n"},
    {"silent device: one read", "AT", "", kWaitForAnswer, 0, 1, ""},
    // A reply still coming when the wait runs out is no reply; what came
    // before it (reports) stays.
    {"cut at the bound, at most", "AT", "\r\nE15|50\r\n", kWaitAtMost, 1, 1, ""},
    {"cut after a report, at most", "AT", "\r\n^RSSI:17\r\n|\r\nE15", kWaitAtMost, 2, 2, "\r\n^RSSI:17\r\n"},
    // In the query an answer that has begun is read to its end.
    {"cut at the bound, query", "AT", "\r\nE15|50\r\n\r\nOK\r\n", kWaitForAnswer, 1, 2,
     "\r\nE1550\r\n\r\nOK\r\n"},
};

void PrintTo(const ExchangeCase& c, std::ostream* os) { *os << c.name; }

class Exchange : public FakeModemTest, public ::testing::WithParamInterface<ExchangeCase> {};

TEST_P(Exchange, ReadsOnPastReportsAndTheEchoOnly) {
  const ExchangeCase& c = GetParam();
  std::string all;
  for (const std::string& piece : Parts(c.pieces)) {
    all += piece;
    g_Fake.readSizes.push_back(piece.size());
  }
  g_Fake.replies[c.command] = all;
  g_Fake.cutRead = c.cutRead;
  const uint32_t count = SendAtCommand(7, c.command, c.wait, 1000, g_App.ReceiveBuffer);
  EXPECT_EQ(count, std::strlen(c.reply));
  EXPECT_STREQ(g_App.ReceiveBuffer, c.reply);
  EXPECT_EQ(static_cast<int>(g_Fake.readBounds.size()), c.reads);
  // Every read waits for what is left of the exchange's own time; a read
  // that goes on after one cut short waits 50 ms at most (the quiet).
  for (size_t i = 0; i < g_Fake.readBounds.size(); ++i) {
    EXPECT_LE(g_Fake.readBounds[i], 1000u);
    if (c.cutRead != 0 && i == c.cutRead && c.wait == kWaitForAnswer) {
      EXPECT_LE(g_Fake.readBounds[i], 50u);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Unsolicited, Exchange, ::testing::ValuesIn(kExchangeCases), CaseNameFromField());

using UnsolicitedQuery = FakeModemTest;

TEST_F(UnsolicitedQuery, ReportsInReadsOfTheirOwnLeaveTheRowsAlone) {
  // The report of the stick without reports first.
  FakeReplies stick = ProfileReplies("e1550");
  g_Fake.replies = stick;
  ASSERT_EQ(QueryModemInformation("E1550 (COM5)"), 0);
  std::vector<std::string> quiet;
  for (int rowId = 0; rowId < kReportRowCount; ++rowId) quiet.emplace_back(RowValue(rowId));
  ASSERT_EQ(quiet[kRowModel], "E1550");

  // Every command first gets a read with a report, then its answer, as a
  // stick does that answers 150 ms after its report; the vendor's reports
  // and the standard ones alike, and a stick whose echo is on at first (its
  // ATE0 read holds the echo and the report).
  const std::string reports[] = {"\r\n^RSSI:17\r\n", "\r\n+CMTI: \"SM\",3\r\n", "\r\nRING\r\n"};
  for (const std::string& report : reports) {
    for (bool echoAtFirst : {false, true}) {
      ResetFakeModem();
      for (const auto& [command, reply] : stick) g_Fake.replies[command] = report + reply;
      if (echoAtFirst) g_Fake.replies["ATE0"] = "ATE0\r" + report + stick.at("ATE0");
      for (const QueryStep& step : QuerySequence) {
        const size_t answer = stick.at(step.command).size();
        g_Fake.readSizes.push_back(g_Fake.replies.at(step.command).size() - answer);
        g_Fake.readSizes.push_back(answer);
      }
      ASSERT_EQ(QueryModemInformation("E1550 (COM5)"), kQueryComplete);
      for (int rowId = 0; rowId < kReportRowCount; ++rowId)
        EXPECT_EQ(RowValue(rowId), quiet[rowId]) << "RowId " << rowId << " after " << report << echoAtFirst;
      EXPECT_TRUE(g_Fake.queued.empty());
    }
  }
}

using UnsolicitedScan = FakeModemTest;

TEST_F(UnsolicitedScan, ReportsAloneAreNoModem) {
  g_Fake.devices["/dev/a"] = {{"ATE0", "\r\nOK\r\n"}, {"AT+CGMM", "\r\n^BOOT:20952084,0,0,0,72\r\n"}};
  g_Fake.devices["/dev/b"] = {{"ATE0", "\r\nOK\r\n"}, {"AT+CGMM", "\r\n^RSSI:17\r\n\r\nE1550\r\n\r\nOK\r\n"}};
  const char* const paths[] = {"/dev/a", "/dev/b"};
  ScanModemPaths(paths, 2);
  ASSERT_EQ(g_App.ModemCount, 1);
  EXPECT_STREQ(g_App.ModemModelNames[0], "E1550");
}

}  // namespace
