// Building the shop link of a modem from its model and versions texts, and
// the configured parts of that link.
#include "shop/shop_link.h"

#include <cstdio>
#include <cstring>

#include "shop_config.h"

// shop/CMakeLists.txt measures links with the same payment page path; the
// static_assert below guards the length on its own should the two ever differ.
extern const char ShopLinkBase[] = BRENVALTOR_SHOP_HOST_LITERAL "/asp/pay.asp?id_d=";

namespace {

constexpr int32_t DecimalDigits(int64_t value) {
  int32_t digits = 1;
  while (value >= 10) {
    value /= 10;
    ++digits;
  }
  return digits;
}

constexpr int64_t kLongestItem =
    kConfiguredFirstItem > kConfiguredSecondItem ? kConfiguredFirstItem : kConfiguredSecondItem;

static_assert(kConfiguredFirstItem >= 1 && kConfiguredFirstItem <= INT32_MAX,
              "BRENVALTOR_SHOP_FIRST_ITEM must be a positive 32-bit number");
static_assert(kConfiguredSecondItem >= 1 && kConfiguredSecondItem <= INT32_MAX,
              "BRENVALTOR_SHOP_SECOND_ITEM must be a positive 32-bit number");
// A cut link would lead to some other item's page, or to none.
static_assert(sizeof ShopLinkBase - 1 + DecimalDigits(kLongestItem) <= kShopLinkSize - 1,
              "the configured shop link does not fit the 256-byte link buffer");

bool IsAsciiDigit(char c) {
  // Compared as unsigned: a Cyrillic byte is negative as a plain char.
  const unsigned char byte = static_cast<unsigned char>(c);
  return byte >= '0' && byte <= '9';
}

char AsciiLower(char c) {
  // Not tolower(): it depends on the locale and is undefined for negative chars.
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view TextOrEmpty(const char* text) {
  return text != nullptr ? std::string_view(text) : std::string_view();
}

void WriteShopLink(int32_t item, char* link) {
  if (link == nullptr) return;
  std::memset(link, 0, kShopLinkSize);
  std::snprintf(link, kShopLinkSize, "%s%d", ShopLinkBase, static_cast<int>(item));
}

// Whether some entry of the list matches the model; entries are tried in order.
template <size_t N>
bool AnyEntryMatches(std::string_view model, const std::array<std::string_view, N>& list) {
  for (const std::string_view entry : list) {
    if (ModelMatchesEntry(model, entry)) return true;
  }
  return false;
}

}  // namespace

extern const int32_t FirstListItem = static_cast<int32_t>(kConfiguredFirstItem);
extern const int32_t SecondListItem = static_cast<int32_t>(kConfiguredSecondItem);

bool ModelMatchesEntry(std::string_view model, std::string_view entry) {
  if (entry.empty()) return false;
  const size_t at = model.find(entry);
  if (at == std::string_view::npos) return false;
  // Without this "E155" would claim an "E1550", and a model's link would
  // depend on which list happens to hold the shorter name.
  const size_t after = at + entry.size();
  return after == model.size() || !IsAsciiDigit(model[after]);
}

bool EqualsIgnoringAsciiCase(std::string_view left, std::string_view right) {
  if (left.size() != right.size()) return false;
  for (size_t i = 0; i < left.size(); ++i) {
    if (AsciiLower(left[i]) != AsciiLower(right[i])) return false;
  }
  return true;
}

int32_t BuildShopLink(const char* model, const char* versions, char* link) {
  const std::string_view modelText = TextOrEmpty(model);

  // Any text holding the special model's name gets its link here, digits
  // after it or not; a list entry found further on still takes precedence.
  if (modelText.find(SpecialModel) != std::string_view::npos) {
    const bool knownVersions = EqualsIgnoringAsciiCase(TextOrEmpty(versions), SpecialModelVersions);
    WriteShopLink(knownVersions ? FirstListItem : SecondListItem, link);
  }

  if (AnyEntryMatches(modelText, FirstModelList)) {
    WriteShopLink(FirstListItem, link);
    return kShopListMatched;
  }
  if (AnyEntryMatches(modelText, SecondModelList)) {
    WriteShopLink(SecondListItem, link);
    return kShopListMatched;
  }
  return kShopListNotMatched;
}
