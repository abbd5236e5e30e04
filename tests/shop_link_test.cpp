// Tests of the shop link: the digit rule of model matching, which list a
// model falls in, the special model's versions rule, and what ends up in the
// caller's link buffer. Expected links are built from ShopLinkBase and the
// item numbers, so the tests hold for any shop configuration.
#include "shop/shop_link.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

namespace {

// Which page a case expects; kNone means the buffer keeps the caller's text.
enum Page { kNone, kFirst, kSecond };

std::string LinkOf(Page page) {
  if (page == kNone) return "";
  const int32_t item = page == kFirst ? FirstListItem : SecondListItem;
  return std::string(ShopLinkBase) + std::to_string(item);
}

constexpr size_t kGuardSize = 32;
constexpr char kGuardByte = 0x5A;

struct Outcome {
  int32_t result;
  std::string link;  // up to the first zero, never past the buffer
  bool guardIntact;  // nothing written past kShopLinkSize bytes
};

Outcome RunBuild(const char* model, const char* versions) {
  std::array<char, kShopLinkSize + kGuardSize> buffer;
  buffer.fill(kGuardByte);
  std::memset(buffer.data(), 0, kShopLinkSize);
  Outcome outcome;
  outcome.result = BuildShopLink(model, versions, buffer.data());
  outcome.link.assign(buffer.data(), strnlen(buffer.data(), kShopLinkSize));
  outcome.guardIntact = true;
  for (size_t i = kShopLinkSize; i < buffer.size(); ++i) {
    if (buffer[i] != kGuardByte) outcome.guardIntact = false;
  }
  return outcome;
}

TEST(ShopLinkTest, EntryMatchesOnlyWithoutDigitAfterFirstOccurrence) {
  struct Case {
    std::string_view model;
    const char* entry;
    bool matches;
  };
  const Case cases[] = {
      // The text ends where the view ends, not at a zero byte.
      {std::string_view("E1730", 4), "E173", true},
      {"E1550", "E1550", true},
      {"E173u-1", "E173", true},
      {"E3372h", "E3372", true},
      {"E1731 E173", "E173", false},
      {"E173\xC0", "E173", true},
      {"E1730", "E173", false},
      {"E173/", "E173", true},  // '/' is just below '0'
      {"E173:", "E173", true},  // ':' is just above '9'
      {"XE173-Z", "E173", true},
      {"e173", "E173", false},
      {"", "E173", false},
      {"E173", "", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ModelMatchesEntry(c.model, c.entry), c.matches)
        << "model \"" << c.model << "\", entry \"" << c.entry << "\"";
  }
}

TEST(ShopLinkTest, VersionsCompareIgnoresAsciiCaseOnly) {
  struct Case {
    const char* left;
    const char* right;
    bool equal;
  };
  const Case cases[] = {
      {"AbZ", "aBz", true},    {"abc", "abcd", false}, {"abcd", "abc", false},
      {"@", "`", false},       {"[", "{", false},  // neighbours of 'A'-'Z' / 'a'-'z'
      {"\xC0", "\xE0", false},                     // Cyrillic letters are not folded
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EqualsIgnoringAsciiCase(c.left, c.right), c.equal)
        << "\"" << c.left << "\" vs \"" << c.right << "\"";
  }
}

struct BuildCase {
  std::string model;
  const char* versions;
  Page page;
  int32_t result;
};

void CheckBuildCases(const BuildCase* cases, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const BuildCase& c = cases[i];
    const Outcome outcome = RunBuild(c.model.c_str(), c.versions);
    // Long texts are shown by their last 40 characters.
    const std::string shown = c.model.size() > 40 ? "..." + c.model.substr(c.model.size() - 40) : c.model;
    EXPECT_EQ(outcome.link, LinkOf(c.page)) << "model \"" << shown << "\"";
    EXPECT_EQ(outcome.result, c.result) << "model \"" << shown << "\"";
    EXPECT_TRUE(outcome.guardIntact) << "model \"" << shown << "\"";
  }
}

TEST(ShopLinkTest, ModelListsDecideThePage) {
  const BuildCase cases[] = {
      {"E353s", "", kFirst, kShopListMatched},
      {"E3372h", "", kSecond, kShopListMatched},
      // The first list is tried first, whatever the order in the text.
      {"E3372 E1550", "", kFirst, kShopListMatched},
      // "E353" first occurs followed by '1'; its later occurrence does not count.
      {"E3531 E353", "", kSecond, kShopListMatched},
      {"E1820", "", kNone, kShopListNotMatched},
      {"", "", kNone, kShopListNotMatched},
      {"e1550", "", kNone, kShopListNotMatched},
  };
  CheckBuildCases(cases, std::size(cases));
  // A null model is empty text.
  EXPECT_EQ(RunBuild(nullptr, nullptr).result, kShopListNotMatched);
  EXPECT_EQ(RunBuild(nullptr, nullptr).link, "");
}

TEST(ShopLinkTest, EveryListEntryLeadsToItsOwnPage) {
  // Catches an entry shadowed by an earlier one of the other list.
  for (const std::string_view entry : FirstModelList) {
    const Outcome outcome = RunBuild(std::string(entry).c_str(), "");
    EXPECT_EQ(outcome.link, LinkOf(kFirst)) << entry;
    EXPECT_EQ(outcome.result, kShopListMatched) << entry;
  }
  for (const std::string_view entry : SecondModelList) {
    const Outcome outcome = RunBuild(std::string(entry).c_str(), "");
    EXPECT_EQ(outcome.link, LinkOf(kSecond)) << entry;
    EXPECT_EQ(outcome.result, kShopListMatched) << entry;
  }
}

TEST(ShopLinkTest, SpecialModelGoesByVersions) {
  const char* known = "21.436.03.00.00";
  const BuildCase cases[] = {
      {"E3272", known, kFirst, kShopListNotMatched},
      {"E3272", "", kSecond, kShopListNotMatched},
      {"E3272", "21.436.03.00.01", kSecond, kShopListNotMatched},
      {"E3272", "x21.436.03.00.00", kSecond, kShopListNotMatched},
      {"E3272", "21.436.03.00.00 ", kSecond, kShopListNotMatched},
      // The special model needs no digit rule: any text holding it counts.
      {"E32720", known, kFirst, kShopListNotMatched},
      {"xE3272s-153", known, kFirst, kShopListNotMatched},
      {"e3272", known, kNone, kShopListNotMatched},
      // A list entry further on replaces the special model's link.
      {"E3272 E3372", known, kSecond, kShopListMatched},
      {"E3272 E173", "", kFirst, kShopListMatched},
  };
  CheckBuildCases(cases, std::size(cases));
}

TEST(ShopLinkTest, LongTextsStayInBounds) {
  const std::string filler(10000, 'A');
  const std::string longVersions = std::string("21.436.03.00.00") + filler;
  std::string repeated;
  for (int i = 0; i < 2000; ++i) repeated += "E1551";
  const BuildCase cases[] = {
      {filler + "E1550", "", kFirst, kShopListMatched},
      {filler + "E3272", longVersions.c_str(), kSecond, kShopListNotMatched},
      {std::string(10000, '9'), longVersions.c_str(), kNone, kShopListNotMatched},
      {repeated, "", kNone, kShopListNotMatched},
  };
  CheckBuildCases(cases, std::size(cases));
}

TEST(ShopLinkTest, LinkBufferIsZeroedBeforeWritingAndUntouchedWithoutALink) {
  // The caller's buffer starts full of stale bytes, without a terminator.
  for (const auto& [model, page] : {std::pair{"E1550", kFirst}, {"E3272", kSecond}, {"E1820", kNone}}) {
    char link[kShopLinkSize];
    std::memset(link, 'x', sizeof link);
    BuildShopLink(model, "", link);
    std::string expected(kShopLinkSize, page == kNone ? 'x' : '\0');
    expected.replace(0, LinkOf(page).size(), LinkOf(page));
    EXPECT_EQ(std::string(link, sizeof link), expected) << model;
  }
  // Without a buffer the answer is still given.
  EXPECT_EQ(BuildShopLink("E1550", "", nullptr), kShopListMatched);
}

}  // namespace
