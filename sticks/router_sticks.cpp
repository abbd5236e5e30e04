// Router-mode sticks into "MODEL (ADDRESS)" entries.
#include "sticks/router_sticks.h"

#include <cstdint>
#include <cstdio>

namespace {

// The product IDs the vendor's sticks show on router firmware, named as the
// public USB ID list (usb.ids) names them. The report itself reads the
// stick's own model name from its web interface.
constexpr struct {
  uint16_t productId;
  const char* model;
} kRouterProducts[] = {
    {0x14DB, "E353/E3131"},
    {0x14DC, "E3372"},
};

}  // namespace

bool FormatRouterStickEntry(const StickDevice& device, char* entry, size_t entrySize) {
  if (ClassifyStick(device) != kStickRouterMode) return false;
  for (int32_t i = 0; i < device.InterfaceCount && i < kMaxStickInterfaces; ++i) {
    const StickInterface& part = device.Interfaces[i];
    if (part.Kind != kInterfaceNetwork || part.Gateway[0] == '\0') continue;
    char model[16];
    std::snprintf(model, sizeof model, "%04x:%04x", device.VendorId, device.ProductId);
    for (const auto& product : kRouterProducts)
      if (product.productId == device.ProductId) std::snprintf(model, sizeof model, "%s", product.model);
    const int written = std::snprintf(entry, entrySize, "%s (%s)", model, part.Gateway);
    return written > 0 && static_cast<size_t>(written) < entrySize;
  }
  return false;
}
