// The shop button of the lock-status row: which payment page of the shop a
// modem leads to. The model text the modem reports is looked up in two lists
// of models; each list has its own shop item, and the link is the shop's
// payment page for that item.
//
// The shop host and the two item numbers are chosen when the program is
// configured (BRENVALTOR_SHOP_HOST, BRENVALTOR_SHOP_FIRST_ITEM,
// BRENVALTOR_SHOP_SECOND_ITEM); everything else here is fixed.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// The caller's link buffer: at most 255 characters and the terminating zero.
// The build refuses a configuration whose links would not fit.
constexpr size_t kShopLinkSize = 256;

// The configured host followed by "/asp/pay.asp?id_d=", e.g.
// "https://shop.example.com/asp/pay.asp?id_d="; a link is this text with the
// item number appended in decimal.
extern const char ShopLinkBase[];

// The shop items of the two model lists (positive, checked at build time).
extern const int32_t FirstListItem;
extern const int32_t SecondListItem;

// Models whose shop page is FirstListItem. Tried in this order: the order
// matters, the first entry that matches wins.
inline constexpr std::array<std::string_view, 76> FirstModelList = {{
    "E150",  "E1550", "E155",  "E156",      "E156G",  "E160",     "E160G", "E161",  "E166",  "E169",
    "E169G", "E170",  "E172",  "E176",      "E180",   "E182E",    "E196",  "E226",  "E270",  "E271",
    "E272",  "E510",  "E612",  "E618",      "E620",   "E630",     "E630+", "E660",  "E660A", "E800",
    "E870",  "E880",  "EG162", "EG162G",    "EG602",  "EG602G",   "K2540", "K3515", "K3520", "K3565",
    "K3715", "E137",  "E171",  "E173Cs-1",  "E1732",  "E173",     "E1815", "E303",  "320s",  "E3121",
    "E3131", "420d",  "E3276", "M150-1",    "M100-2", "822FT",    "822F",  "E352",  "E353",  "E355",
    "E357",  "E362",  "E363",  "E367",      "E368",   "E369",     "E372",  "E392",  "E397",  "E398",
    "E586",  "E5776", "821FT", "E5776s-22", "E589",   "E589u-12",
}};

// Models whose shop page is SecondListItem; tried after FirstModelList.
inline constexpr std::array<std::string_view, 14> SecondModelList = {{
    "M100-4",
    "824F",
    "E5372",
    "MR100-3",
    "823F",
    "826FT",
    "E3531",
    "423S",
    "M21-4",
    "E5330",
    "424D",
    "E8231",
    "E3372",
    "827F",
}};

// A short initializer list would leave empty names at the end of an array,
// and an empty name would match every modem: every entry must be spelled out.
constexpr bool NoEmptyEntry(const std::string_view* entries, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (entries[i].empty()) return false;
  }
  return true;
}
static_assert(FirstModelList.size() == 76);
static_assert(SecondModelList.size() == 14);
static_assert(NoEmptyEntry(FirstModelList.data(), FirstModelList.size()));
static_assert(NoEmptyEntry(SecondModelList.data(), SecondModelList.size()));

// One model's page depends on its firmware: with exactly these
// versions it gets FirstListItem, with any other SecondListItem.
inline constexpr std::string_view SpecialModel = "E3272";
inline constexpr std::string_view SpecialModelVersions = "21.436.03.00.00";

// BuildShopLink results.
constexpr int32_t kShopListMatched = 0;
constexpr int32_t kShopListNotMatched = 1;

// True when entry occurs in model and the character right after its first
// occurrence is not an ASCII digit (the end of the text is not a digit).
// "E155" thus does not match "E1550", while "E173" matches "E173u-1".
// Only the first occurrence counts; an empty entry never matches.
bool ModelMatchesEntry(std::string_view model, std::string_view entry);

// Whole-text equality, ASCII letters compared without regard to case; other
// bytes (Cyrillic included) must be equal as they are.
bool EqualsIgnoringAsciiCase(std::string_view left, std::string_view right);

// Writes the shop link for the modem's model and versions texts into link
// (kShopLinkSize bytes, zeroed before each link is written).
//   1. A model containing SpecialModel gets a link at once: FirstListItem
//      when versions equals SpecialModelVersions, else SecondListItem. The
//      lists are still tried and may replace that link.
//   2. The first matching FirstModelList entry: FirstListItem.
//   3. The first matching SecondModelList entry: SecondListItem.
// Returns kShopListMatched when a list matched, else kShopListNotMatched; the
// buffer then holds the link of step 1 or what the caller left in it. Callers
// go by the buffer only: an empty text means there is no shop page.
// Null model or versions count as empty text; a null link writes nothing.
int32_t BuildShopLink(const char* model, const char* versions, char* link);
