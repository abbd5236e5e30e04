// Windows-1251 to UTF-8 and the report's text lines.
#include <gtest/gtest.h>

#include <cstdio>
#include <algorithm>
#include <string>

#include "cli/report_output.h"
#include "report/cp1251.h"
#include "report/report_rows.h"
#include "tests/fake_port.h"
#include "tests/modem_replies.h"

#ifndef _WIN32
#include <iconv.h>
#endif

namespace {

std::string ToUtf8(const std::string& cp1251) {
  std::string out(cp1251.size() * 3 + 1, '\0');
  out.resize(Cp1251ToUtf8(cp1251.c_str(), out.data(), out.size()));
  return out;
}

TEST(Cp1251, KnownCharacters) {
  struct Case {
    const char* cp1251;
    const char* utf8;
  };
  const Case cases[] = {
      {"", ""},
      {"AT+CSQ", "AT+CSQ"},
      {"\xC0\xDF\xE0\xFF", "\xD0\x90\xD0\xAF\xD0\xB0\xD1\x8F"},  // А Я а я
      {"\xA8\xB8", "\xD0\x81\xD1\x91"},                          // Ё ё
      {"\xB9", "\xE2\x84\x96"},                                  // №
      {"\x88", "\xE2\x82\xAC"},                                  // €
      {"\x98", "\xEF\xBF\xBD"},                                  // unassigned
      {"\x01\x7F", "\x01\x7F"},
  };
  for (const Case& c : cases) EXPECT_EQ(ToUtf8(c.cp1251), c.utf8) << c.cp1251;
}

#ifndef _WIN32
TEST(Cp1251, AgreesWithTheSystemConverterOnEveryByte) {
  iconv_t cd = iconv_open("UTF-8", "CP1251");
  ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
  for (int byte = 1; byte < 256; ++byte) {
    if (byte == 0x98) continue;  // unassigned; iconv refuses it
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
}

std::string CaptureReport() {
  FILE* out = std::tmpfile();
  PrintReportLines(out);
  const long size = std::ftell(out);
  std::rewind(out);
  std::string text(static_cast<size_t>(size), '\0');
  const size_t got = std::fread(text.data(), 1, text.size(), out);
  std::fclose(out);
  text.resize(got);
  return text;
}

TEST(ReportLines, TwentyEightUtf8LinesInRowIdOrder) {
  ResetFakeModem();
  g_Fake.replies = ClassicStickReplies();
  for (int rowId = 0; rowId < kReportRowCount; ++rowId) SetRowValue(rowId, kClassicStickReport[rowId]);
  SetRowValue(kToggleRow, "never printed");
  const std::string text = CaptureReport();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 28);
  const std::string firstTwoLines =
      "\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB8\xD0\xB7\xD0\xB2\xD0\xBE\xD0\xB4\xD0\xB8\xD1\x82"
      "\xD0\xB5\xD0\xBB\xD1\x8C: Zentrix\n\xD0\x9C\xD0\xBE\xD0\xB4\xD0\xB5\xD0\xBB\xD1\x8C: E1550\n";
  EXPECT_EQ(text.substr(0, firstTwoLines.size()), firstTwoLines);
  EXPECT_NE(text.find("IMEI: 354000000000017\n"), std::string::npos);
  EXPECT_NE(text.find("-73 dBm ("), std::string::npos);
  EXPECT_EQ(text.find("never printed"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 5), ": 10\n");
}

}  // namespace
