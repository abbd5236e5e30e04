// BuildShopLink and ShopLinkForReport on arbitrary model and versions texts
// (input: fuzz/README.md); NULs end the texts early, as in the program.
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "shop/shop_link.h"
#include "ui/report_view.h"

namespace {

constexpr size_t kMaxTextLength = 1000;
// A link is the configured base and one of the two item numbers, nothing else.
bool IsShopLink(std::string_view link) {
  const std::string_view base(ShopLinkBase);
  if (link.substr(0, base.size()) != base) return false;
  const std::string_view item = link.substr(base.size());
  return item == std::to_string(FirstListItem) || item == std::to_string(SecondListItem);
}

void CheckLink(const char* link) {
  Require(IsTerminated(link, kShopLinkSize), "link terminated within 256 bytes");
  Require(link[0] == '\0' || IsShopLink(link), "a link is base + item");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const uint32_t flags = TakeLittleEndian(&data, &size, 1);
  const std::string model = TakeText(&data, &size, TakeLittleEndian(&data, &size, 2) % (kMaxTextLength + 1));
  const std::string versions = TakeText(&data, &size, kMaxTextLength);
  const char* modelText = (flags & 1) != 0 ? nullptr : model.c_str();
  const char* versionsText = (flags & 2) != 0 ? nullptr : versions.c_str();
  const bool dateGateOpen = (flags & 4) != 0;

  std::vector<char> buffer(kShopLinkSize, '\x5A');
  char* link = buffer.data();
  link[0] = '\0';
  const int32_t result = BuildShopLink(modelText, versionsText, link);
  CheckLink(link);
  if (result == kShopListMatched) {
    Require(link[0] != '\0', "a matched list gives a link");
  } else {
    Require(result == kShopListNotMatched, "result is one of the two codes");
    // Unmatched, only the special model may have written its link.
    const bool special =
        modelText != nullptr && std::string_view(modelText).find(SpecialModel) != std::string_view::npos;
    Require(special || link[0] == '\0', "no match leaves the link empty");
  }
  BuildShopLink(modelText, versionsText, nullptr);

  link[0] = '\0';
  const bool shown = ShopLinkForReport(modelText, versionsText, dateGateOpen, link);
  CheckLink(link);
  Require(shown == (link[0] != '\0'), "the button shows exactly when there is a link");
  Require(dateGateOpen || !shown, "a closed date gate hides the button");
  return 0;
}
