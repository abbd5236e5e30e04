// The shop link: the digit rule of model matching, which list a model falls
// in, the special model's versions rule and the caller's link buffer. Links
// are built from ShopLinkBase and the item numbers: any shop configuration.
#include "shop/shop_link.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>

namespace {

// Which page a case expects; kNone means the buffer keeps the caller's text.
enum Page { kNone, kFirst, kSecond };

std::string LinkOf(Page page) {
  if (page == kNone) return "";
  return std::string(ShopLinkBase) + std::to_string(page == kFirst ? FirstListItem : SecondListItem);
}

std::pair<int32_t, std::string> Build(const char* model, const char* versions) {
  char link[kShopLinkSize] = {};
  const int32_t result = BuildShopLink(model, versions, link);
  return {result, std::string(link, strnlen(link, sizeof link))};
}

TEST(ShopLinkTest, EntryMatchesOnlyWithoutDigitAfterFirstOccurrence) {
  const std::pair<std::string_view, bool> cases[] = {
      {std::string_view("E1730", 4), true},  // the text ends where the view ends, not at a zero
      {"E173u-1", true},
      {"E173\xC0", true},
      {"XE173-Z", true},
      {"E1730", false},
      {"E1731 E173", false},
      {"E173/", true},  // '/' is just below '0'
      {"E173:", true},  // ':' is just above '9'
      {"e173", false},
      {"", false},
  };
  for (const auto& [model, matches] : cases) EXPECT_EQ(ModelMatchesEntry(model, "E173"), matches) << model;
  EXPECT_FALSE(ModelMatchesEntry("E173", ""));
}

// Neighbours of 'A'-'Z' / 'a'-'z', and Cyrillic letters, are not folded.
TEST(ShopLinkTest, VersionsCompareIgnoresAsciiCaseOnly) {
  for (const auto& [a, b, equal] : {std::tuple{"AbZ", "aBz", true},
                                    {"abc", "abcd", false},
                                    {"abcd", "abc", false},
                                    {"@[", "`{", false},
                                    {"\xC0", "\xE0", false}})
    EXPECT_EQ(EqualsIgnoringAsciiCase(a, b), equal) << a;
}

TEST(ShopLinkTest, ModelAndVersionsDecideThePage) {
  const char* known = "21.436.03.00.00";
  const std::string filler(10000, 'A');
  const std::string longVersions = known + filler;
  std::string repeated;
  for (int i = 0; i < 2000; ++i) repeated += "E1551";
  const struct {
    std::string model;
    const char* versions;
    Page page;
    int32_t result;
  } cases[] = {
      {"E353s", "", kFirst, kShopListMatched},
      {"E3372h", "", kSecond, kShopListMatched},
      // The first list is tried first, whatever the order in the text.
      {"E3372 E1550", "", kFirst, kShopListMatched},
      // "E353" first occurs followed by '1'; its later occurrence does not count.
      {"E3531 E353", "", kSecond, kShopListMatched},
      {"E1820", "", kNone, kShopListNotMatched},
      {"e1550", "", kNone, kShopListNotMatched},
      // The special model goes by its versions text, matched whole.
      {"E3272", known, kFirst, kShopListNotMatched},
      {"E3272", "", kSecond, kShopListNotMatched},
      {"E3272", "21.436.03.00.01", kSecond, kShopListNotMatched},
      {"E3272", "x21.436.03.00.00", kSecond, kShopListNotMatched},
      {"E3272", "21.436.03.00.00 ", kSecond, kShopListNotMatched},
      // It needs no digit rule: any text holding it counts.
      {"xE32720s-153", known, kFirst, kShopListNotMatched},
      {"e3272", known, kNone, kShopListNotMatched},
      // A list entry further on replaces the special model's link.
      {"E3272 E3372", known, kSecond, kShopListMatched},
      {"E3272 E173", "", kFirst, kShopListMatched},
      // Long texts.
      {filler + "E1550", "", kFirst, kShopListMatched},
      {filler + "E3272", longVersions.c_str(), kSecond, kShopListNotMatched},
      {repeated, "", kNone, kShopListNotMatched},
  };
  for (const auto& c : cases) {
    const std::string shown = c.model.substr(c.model.size() > 40 ? c.model.size() - 40 : 0);
    EXPECT_EQ(Build(c.model.c_str(), c.versions), std::make_pair(c.result, LinkOf(c.page))) << shown;
  }
  EXPECT_EQ(Build(nullptr, nullptr), std::make_pair(kShopListNotMatched, std::string()));
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
