// The window's test build reads its sticks from the file BRENVALTOR_TEST_STICK_LIST names instead of
// SetupAPI, so that the tests can show it a stick on router firmware whose gateway is a loopback
// simulator. One stick a line: VENDOR PRODUCT (hexadecimal) KIND (network, serial, storage) NAME
// GATEWAY, "-" for an empty NAME or GATEWAY:  12d1 14dc network usb0 127.0.0.1:41065
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/bounded_text.h"
#include "sticks/stick_devices.h"

namespace {

// In StickInterfaceKind order.
constexpr const char* kKindNames[] = {"other", "serial", "network", "storage"};
static_assert(kInterfaceStorage == 3);

void CopyField(char* to, const char* from) {
  CopyText(to, kStickNameSize, std::strcmp(from, "-") == 0 ? "" : from);
}

}  // namespace

void ReadStickDevices(StickDeviceList* list) {
  std::memset(list, 0, sizeof *list);
  const char* path = std::getenv("BRENVALTOR_TEST_STICK_LIST");
  FILE* file = path != nullptr ? std::fopen(path, "r") : nullptr;
  if (file == nullptr) return;
  unsigned vendor = 0, product = 0;
  char kind[16], name[kStickNameSize], gateway[kStickNameSize];
  while (list->Count < kMaxStickDevices &&
         std::fscanf(file, "%x %x %15s %63s %63s", &vendor, &product, kind, name, gateway) == 5) {
    StickDevice& device = list->Devices[list->Count++];
    device.VendorId = static_cast<uint16_t>(vendor);
    device.ProductId = static_cast<uint16_t>(product);
    device.InterfaceCount = 1;
    StickInterface& part = device.Interfaces[0];
    for (int32_t k = 0; k < 4; ++k)
      if (std::strcmp(kind, kKindNames[k]) == 0) part.Kind = static_cast<StickInterfaceKind>(k);
    CopyText(part.Driver, kStickNameSize, "test");
    CopyField(part.Name, name);
    CopyField(part.Gateway, gateway);
  }
  std::fclose(file);
}
