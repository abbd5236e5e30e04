// Reply value extraction (past unsolicited reports), the row catalogue, and
// Windows-1251 to UTF-8 for the command-line tool. The shipped profiles'
// replies and report lines are checked end to end; these are the edges no
// profile sends. The decoders' tests catch a value written without the flag.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "report/cp1251.h"
#include "report/report_rows.h"
#include "tests/test_support.h"

#ifndef _WIN32
#include <iconv.h>
#endif

namespace {

struct ExtractCase {
  const char* name;
  std::string reply;
  const char* prefix;
  const char* value;  // what ValueBuffer holds afterwards
};

const ExtractCase kExtractCases[] = {
    {"bare OK", "\r\nOK\r\n", "", ""},
    {"first occurrence counts", "\r\n+CSQ: 1,2\r\n+CSQ: 3,4\r\n", "+CSQ", "1,2"},
    {"inner quote stays", "\r\n^FHVER:\"a\"b\"\r\n", "^FHVER", "a\"b"},
    {"one closing quote only", "\r\nX:\"v\"\"\r\n", "X", "v\""},
    {"OK and a blank is a value", "\r\nOK \r\n", "", "OK "},
    {"two blanks: one is skipped", "\r\n+CPIN:  READY\r\n", "+CPIN", " READY"},
    {"separator skipped whatever it is", "\r\n+CFUN=1\r\n", "+CFUN", "1"},
    {"prefix ends the text", "\r\n+CFUN", "+CFUN", ""},
    {"prefix and separator end the text", "\r\n+CFUN:", "+CFUN", ""},
    {"LF before CR", "\r\nA\nB\rC", "", "A"},
    {"CR only line ends", "\rE1550\rOK\r", "", "E1550"},
    {"no line end at all", "E1550", "", "E1550"},
    {"case-sensitive prefix", "\r\n+csq: 20,99\r\n", "+CSQ", ""},
    {"lone quote", "\r\nX:\"\r\n", "X", ""},
    {"NUL ends the text", std::string("\r\nAB\0CD\r\n", 9), "", "AB"},
    {"blank before the line end", " \r\nE173\r\n", "", "E173"},
    // Unsolicited reports before the answer are no value; only the
    // vendor's, and the standard ones, are reports.
    {"report before the answer", "\r\n^RSSI:17\r\n\r\nE1550\r\n\r\nOK\r\n", "", "E1550"},
    {"CR CR framing", "\r\r^BOOT:20952084,0,0,0,72\r\r\r\nE1550\r\n\r\nOK\r\n", "", "E1550"},
    {"several reports", "\r\n^MODE:5,4\r\n\r\n^CONN:1,0\r\n^DSFLOWRPT:0,0\r\n\r\nZentrix\r\n", "", "Zentrix"},
    {"report right after an echo line end", "\r\n^SRVST:2\r\n354000000000017\r\n", "", "354000000000017"},
    {"ERROR after a report still wins", "\r\n^SIMST:1\r\n\r\nERROR\r\n", "", "ERROR"},
    {"reports alone are no value", "\r\n^RSSI:17\r\n\r\n^CSNR: -145,-32\r\n", "", ""},
    {"an answer prefix is no report", "\r\n^HWVER:\"CD1E1550M\"\r\n\r\nOK\r\n", "", "^HWVER:\"CD1E1550M"},
    {"unknown caret name is a value", "\r\n^RSSIX:3\r\n", "", "^RSSIX:3"},
    {"name without a colon is a value", "\r\n^RSSI 17\r\n", "", "^RSSI 17"},
    {"report after the answer stays out", "\r\nE1550\r\n^RSSI:17\r\n", "", "E1550"},
    {"new SMS and a call before the value", "\r\n+CMTI: \"SM\",3\r\n\r\nRING\r\n\r\nE1550\r\n", "", "E1550"},
    {"an SMS shown at once, with its text line", "\r\n+CMT: \"+100\",,\"24/01/01\"\r\nhello\r\n\r\nE1550\r\n",
     "", "E1550"},
    {"registration change before the value", "\r\n+CREG: 1\r\n\r\n+CGREG: 5\r\nE1550\r\n", "", "E1550"},
    {"a standard answer prefix is no report", "\r\n+CSQ: 20,99\r\n", "", "+CSQ: 20,99"},
    {"RING inside a line is a value", "\r\nRINGS\r\n", "", "RINGS"},
};

using ExtractValue = FakeModemTest;

TEST_F(ExtractValue, LeavesTheValueAndWritesItOnlyWhenReal) {
  for (const ExtractCase& c : kExtractCases) {
    SCOPED_TRACE(c.name);
    ResetFakeModem();
    SetRowValue(kRowImsi, "earlier");
    std::strcpy(g_App.ValueBuffer, "stale");  // a missing prefix never leaves an earlier value
    LoadReply(c.reply);
    ExtractReplyValue(c.prefix, kRowImsi, true);
    EXPECT_STREQ(g_App.ValueBuffer, c.value);
    // An empty value leaves the row as it was; a real one replaces it.
    EXPECT_STREQ(RowValue(kRowImsi), c.value[0] != '\0' ? c.value : "earlier");
  }
}

TEST(RowTable, InsertingInTableOrderAtThePositionsGivesThePositions) {
  // The window inserts the entries in RowTable order, each at its position
  // (or at the end when the position lies beyond it).
  std::vector<int> list;
  for (int rowId = 0; rowId < kRowTableSize; ++rowId) {
    const size_t at = std::min<size_t>(RowTable[rowId].position, list.size());
    list.insert(list.begin() + static_cast<long>(at), rowId);
  }
  for (int i = 0; i < kRowTableSize; ++i) EXPECT_EQ(RowTable[list[i]].position, i);
}

using RowValues = FakeModemTest;

std::vector<std::pair<int, std::string>> g_Mirrored;

TEST_F(RowValues, SetAndClearMirrorIntoTheListAtTheRowsPosition) {
  g_Mirrored.clear();
  g_App.RowSink = [](int32_t position, const char* text) { g_Mirrored.emplace_back(position, text); };
  SetRowValue(kRowBuildDateTime, "a");
  SetRowValue(kRowFirmwareVersion, "b");
  SetRowValue(kToggleRow, "c");
  SetRowValue(-1, "ignored");
  SetRowValue(kRowTableSize, "ignored");
  EXPECT_EQ(g_Mirrored, (std::vector<std::pair<int, std::string>>{{4, "a"}, {9, "b"}, {8, "c"}}));
  g_Mirrored.clear();
  ClearRowValues();
  g_App.RowSink = nullptr;
  ASSERT_EQ(g_Mirrored.size(), 29u);
  for (int rowId = 0; rowId < kRowTableSize; ++rowId) {
    EXPECT_EQ(g_Mirrored[rowId], std::make_pair(int{RowTable[rowId].position}, std::string()));
    EXPECT_STREQ(RowValue(rowId), "");
  }
}

#ifndef _WIN32
std::string ToUtf8(const std::string& cp1251) {
  std::string out(cp1251.size() * 3 + 1, '\0');
  out.resize(Cp1251ToUtf8(cp1251.c_str(), out.data(), out.size()));
  return out;
}

TEST(Cp1251, AgreesWithTheSystemConverterOnEveryByte) {
  iconv_t cd = iconv_open("UTF-8", "CP1251");
  ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
  for (int byte = 1; byte < 256; ++byte) {
    if (byte == 0x98) {  // unassigned; iconv refuses it
      EXPECT_EQ(ToUtf8("\x98"), "\xEF\xBF\xBD");
      continue;
    }
    char in[2] = {static_cast<char>(byte), 0};
    char out[8] = {};
    char* inp = in;
    char* outp = out;
    size_t inLeft = 1, outLeft = sizeof out - 1;
    ASSERT_NE(iconv(cd, &inp, &inLeft, &outp, &outLeft), static_cast<size_t>(-1)) << byte;
    EXPECT_EQ(ToUtf8(in), std::string(out)) << "byte " << byte;
  }
  iconv_close(cd);
}
#endif

TEST(Cp1251, OutputIsBoundedAndNeverSplitsACharacter) {
  char out[6];
  // Three Cyrillic letters need 6 bytes plus the terminator: only two fit.
  EXPECT_EQ(Cp1251ToUtf8("\xC0\xC0\xC0", out, sizeof out), 4u);
  EXPECT_EQ(std::string(out), "\xD0\x90\xD0\x90");
  EXPECT_EQ(Cp1251ToUtf8("abc", out, 1), 0u);
  EXPECT_EQ(out[0], '\0');
  // Letters on every build, the Windows one (without iconv) included.
  EXPECT_EQ(Cp1251ToUtf8("\xC0\xFF", out, sizeof out), 4u);
  EXPECT_EQ(std::string(out), "\xD0\x90\xD1\x8F");
}

}  // namespace
