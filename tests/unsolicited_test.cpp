// The modem vendor's unsolicited reports are never the answer of an
// exchange (nor a modem in the scan: port_scan_test; nor a value:
// report_rows_test). A query through them gives the report of the same
// stick without them: run end to end against the profiles that send them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "report/query.h"
#include "report/report_rows.h"
#include "serial/serial_port.h"
#include "tests/fake_port.h"
#include "tests/test_support.h"

namespace {

// Replies given in pieces ('|' between them), one per read, as a port
// ends a read at a pause.
struct ExchangeCase {
  const char* name;
  const char* command;
  const char* pieces;
  ExchangeWait wait;
  size_t cutRead;     // the read its bound cuts short with the reply still coming (0: none)
  int reads;          // reads taken
  const char* reply;  // nullptr: all of the pieces
};

const ExchangeCase kExchangeCases[] = {
    {"report then answer, query", "AT", "\r\n^RSSI:17\r\n|\r\nE1550\r\n\r\nOK\r\n", kWaitForAnswer, 0, 2,
     nullptr},
    {"report then answer, at most", "AT", "\r\r^BOOT:1,0\r\r|\r\nOK\r\n", kWaitAtMost, 0, 2, nullptr},
    {"two report reads", "AT", "\r\n^RSSI:17\r\n|\r\n^MODE:5,4\r\n|\r\nOK\r\n", kWaitForAnswer, 0, 3,
     nullptr},
    {"answer first ends the exchange", "AT", "\r\nOK\r\n|\r\n^RSSI:17\r\n", kWaitForAnswer, 0, 1,
     "\r\nOK\r\n"},
    // An answer ends at its final result code, however it pauses before it;
    // one without any ends at a quiet.
    {"a paused answer is read to its result code", "AT",
     "\r\nFIRST\r\n|\r\nSECOND\r\n|\r\n+CME ERROR: 10\r\n|\r\n^RSSI:17\r\n", kWaitForAnswer, 0, 3,
     "\r\nFIRST\r\n\r\nSECOND\r\n\r\n+CME ERROR: 10\r\n"},
    {"reports after the result code, lines ended by CR", "AT", "\r\nE173\r\n\r\nOK\r\n\r\r^RSSI:17\r\r",
     kWaitForAnswer, 0, 1, nullptr},
    {"the result code's LF after a pause", "AT", "\r\nE173\r\n\r\nOK\r|\n", kWaitForAnswer, 0, 2, nullptr},
    {"no result code", "AT", "\r\nFIRST\r\n|\r\nSECOND\r\n", kWaitForAnswer, 0, 3, nullptr},
    {"blank lines alone are an answer", "AT", "\r\n|\r\nOK\r\n", kWaitAtMost, 0, 1, "\r\n"},
    {"the echo alone is no answer", "ATE0", "ATE0\r|\r\nOK\r\n", kWaitForAnswer, 0, 2, nullptr},
    {"another command's echo is an answer", "AT", "ATI\r|\r\nOK\r\n", kWaitAtMost, 0, 1, "ATI\r"},
    {"standard reports", "AT+CGMR", "\r\n+CMTI: \"SM\",3\r\n|\r\nRING\r\n|\r\n11.608\r\n\r\nOK\r\n",
     kWaitForAnswer, 0, 3, nullptr},
    {"an SMS report's text line is no answer", "AT", "\r\n+CMT: ,24\r\n07911326040000F0\r\n|\r\nOK\r\n",
     kWaitForAnswer, 0, 2, nullptr},
    {"+CREG is the answer to its own command", "AT+CREG?", "\r\n+CREG: 0,1\r\n|\r\nOK\r\n|\r\n^RSSI:17\r\n",
     kWaitForAnswer, 0, 2, "\r\n+CREG: 0,1\r\n\r\nOK\r\n"},
    {"+CREG is a report to another command", "AT", "\r\n+CREG: 1\r\n|\r\nOK\r\n", kWaitForAnswer, 0, 2,
     nullptr},
    {"reports and no answer", "AT", "\r\n^RSSI:17\r\n", kWaitAtMost, 0, 2, nullptr},
    {"silent device: one read", "AT", "", kWaitForAnswer, 0, 1, nullptr},
    // A reply still coming when the wait runs out is no reply; what came
    // before it (reports) stays.
    {"cut at the bound, at most", "AT", "\r\nE15|50\r\n", kWaitAtMost, 1, 1, ""},
    {"cut after a report, at most", "AT", "\r\n^RSSI:17\r\n|\r\nE15", kWaitAtMost, 2, 2, "\r\n^RSSI:17\r\n"},
    // In the query an answer that has begun is read to its end.
    {"cut at the bound, query", "AT", "\r\nE15|50\r\n\r\nOK\r\n", kWaitForAnswer, 1, 2, nullptr},
};

TEST(Exchange, ReadsOnPastReportsAndTheEchoOnly) {
  for (const ExchangeCase& c : kExchangeCases) {
    SCOPED_TRACE(c.name);
    ResetFakeModem();
    std::string all;
    for (const std::string& piece : Parts(c.pieces)) {
      all += piece;
      g_Fake.readSizes.push_back(piece.size());
    }
    g_Fake.replies[c.command] = all;
    g_Fake.cutRead = c.cutRead;
    const uint32_t count = SendAtCommand(7, c.command, c.wait, 1000, g_App.ReceiveBuffer);
    EXPECT_EQ(std::string(g_App.ReceiveBuffer, count), c.reply ? c.reply : all);
    EXPECT_EQ(std::strlen(g_App.ReceiveBuffer), count);
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
}

}  // namespace
