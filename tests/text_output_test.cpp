// Windows-1251 to UTF-8, which every line of the command-line tool passes
// through: the whole table against the system's converter, and the bound.
// The report lines themselves are checked end to end (tests/e2e).
#include <gtest/gtest.h>

#include <string>

#include "report/cp1251.h"

#ifndef _WIN32
#include <iconv.h>
#endif

namespace {

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
