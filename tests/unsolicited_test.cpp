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

// Replies given in pieces, one per read, as a port ends a read at a pause.
struct ExchangeCase {
  const char* name;
  std::vector<std::string> pieces;
  bool reader;
  int reads;  // reads taken
  const char* reply;
};

const ExchangeCase kExchangeCases[] = {
    {"report then answer, direct",
     {"\r\n^RSSI:17\r\n", "\r\nE1550\r\n\r\nOK\r\n"},
     false,
     2,
     "\r\n^RSSI:17\r\n\r\nE1550\r\n\r\nOK\r\n"},
    {"report then answer, reader",
     {"\r\r^BOOT:1,0\r\r", "\r\nOK\r\n"},
     true,
     2,
     "\r\r^BOOT:1,0\r\r\r\nOK\r\n"},
    {"two report reads",
     {"\r\n^RSSI:17\r\n", "\r\n^MODE:5,4\r\n", "\r\nOK\r\n"},
     false,
     3,
     "\r\n^RSSI:17\r\n\r\n^MODE:5,4\r\n\r\nOK\r\n"},
    {"answer first ends the exchange", {"\r\nOK\r\n", "\r\n^RSSI:17\r\n"}, false, 1, "\r\nOK\r\n"},
    {"a paused answer still ends", {"\r\nFIRST\r\n", "\r\nSECOND\r\n"}, false, 1, "\r\nFIRST\r\n"},
    {"echo is an answer", {"ATI\r", "\r\nOK\r\n"}, false, 1, "ATI\r"},
    {"reports and no answer", {"\r\n^RSSI:17\r\n"}, true, 2, "\r\n^RSSI:17\r\n"},
    {"silent device: one read", {}, false, 1, ""},
};

void PrintTo(const ExchangeCase& c, std::ostream* os) { *os << c.name; }

class Exchange : public FakeModemTest, public ::testing::WithParamInterface<ExchangeCase> {};

TEST_P(Exchange, ReadsOnPastReportsOnly) {
  const ExchangeCase& c = GetParam();
  std::string all;
  for (const std::string& piece : c.pieces) {
    all += piece;
    g_Fake.readSizes.push_back(piece.size());
  }
  g_Fake.replies["AT"] = all;
  const uint32_t count = SendAtCommand(7, "AT", c.reader, 1000, g_App.ReceiveBuffer);
  EXPECT_EQ(count, std::strlen(c.reply));
  EXPECT_STREQ(g_App.ReceiveBuffer, c.reply);
  const int reads = c.reader ? static_cast<int>(g_Fake.readerTimeouts.size()) : g_Fake.directReads;
  EXPECT_EQ(reads, c.reads);
  // Every further read waits for what is left of the exchange's own time.
  for (uint32_t timeout : g_Fake.readerTimeouts) EXPECT_LE(timeout, 1000u);
}

INSTANTIATE_TEST_SUITE_P(Unsolicited, Exchange, ::testing::ValuesIn(kExchangeCases), CaseNameFromField());

using UnsolicitedQuery = FakeModemTest;

TEST_F(UnsolicitedQuery, ReportsInReadsOfTheirOwnLeaveTheRowsAlone) {
  // The report of the stick without reports first.
  // (modem-sim answers ATE0 itself; the fake needs it written out.)
  FakeReplies stick = ProfileReplies("e1550");
  stick.emplace("ATE0", "\r\nOK\r\n");
  g_Fake.replies = stick;
  ASSERT_EQ(QueryModemInformation("E1550 (COM5)"), 0);
  std::vector<std::string> quiet;
  for (int rowId = 0; rowId < kReportRowCount; ++rowId) quiet.emplace_back(RowValue(rowId));
  ASSERT_EQ(quiet[kRowModel], "E1550");

  // Every command first gets a read with a report, then its answer, as a
  // stick does that answers 150 ms after its report.
  ResetFakeModem();
  const std::string report = "\r\n^RSSI:17\r\n";
  for (const auto& [command, reply] : stick) g_Fake.replies[command] = report + reply;
  for (const QueryStep& step : QuerySequence) {
    g_Fake.readSizes.push_back(report.size());
    g_Fake.readSizes.push_back(stick.at(step.command).size());
  }
  ASSERT_EQ(QueryModemInformation("E1550 (COM5)"), 0);
  for (int rowId = 0; rowId < kReportRowCount; ++rowId)
    EXPECT_EQ(RowValue(rowId), quiet[rowId]) << "RowId " << rowId;
  EXPECT_TRUE(g_Fake.queued.empty());
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
