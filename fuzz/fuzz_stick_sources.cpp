// What the stick readers take apart, and the lines made of it, on arbitrary
// input, the first byte choosing (input forms: fuzz/README.md): the routing
// table, a hardware ID and setup class, or a whole stick described.
#include <algorithm>
#include <string>

#include "base/bounded_text.h"
#include "fuzz/fuzz_support.h"
#include "sticks/stick_devices.h"

namespace {

using StickText = GuardedText<512>;

// A gateway is four decimal numbers of 0..255 joined by dots.
bool IsDottedQuad(const char* text) {
  unsigned parts[4];
  char rest = 0;
  return std::strspn(text, "0123456789.") == std::strlen(text) &&
         std::sscanf(text, "%3u.%3u.%3u.%3u%c", &parts[0], &parts[1], &parts[2], &parts[3], &rest) == 4 &&
         std::max({parts[0], parts[1], parts[2], parts[3]}) <= 255;
}

void FuzzRouteTable(const uint8_t* data, size_t size) {
  const std::string name = TakeText(&data, &size, TakeLittleEndian(&data, &size, 1) % 33);
  const std::string table = TakeText(&data, &size, size);
  StickText gateway;
  PrepareGuarded(&gateway);
  const size_t gatewaySize = kStickNameSize;
  if (GatewayFromRouteTable(table.c_str(), name.c_str(), gateway.text, gatewaySize))
    Require(IsTerminated(gateway.text, gatewaySize) && IsDottedQuad(gateway.text),
            "a gateway is an IPv4 address");
  Require(GuardsIntact(gateway, gatewaySize), "the gateway stays within its buffer");
}

void FuzzHardwareId(const uint8_t* data, size_t size) {
  const std::string id = TakeText(&data, &size, size);
  uint16_t vendor = 0, product = 0;
  int32_t interfaceNumber = 0;
  if (ParseUsbHardwareId(id.c_str(), &vendor, &product, &interfaceNumber))
    Require(interfaceNumber >= -1 && interfaceNumber <= 255, "an interface number is one byte or none");
  const StickInterfaceKind kind = KindFromSetupClass(id.c_str());
  Require(kind >= kInterfaceOther && kind <= kInterfaceStorage, "a setup class gives a known kind");
}

void FuzzStick(const uint8_t* data, size_t size) {
  StickDevice device{};
  device.VendorId = kStickVendorId;
  device.ProductId = static_cast<uint16_t>(TakeLittleEndian(&data, &size, 2));
  device.Problem = static_cast<int32_t>(TakeLittleEndian(&data, &size, 2)) - 1;
  const auto ports = static_cast<StickPortsCheck>(TakeLittleEndian(&data, &size, 1) % 3);
  const auto audience = static_cast<StickAudience>(TakeLittleEndian(&data, &size, 1) % 3);
  const size_t outSize = 1 + TakeLittleEndian(&data, &size, 2) % sizeof(StickText::text);
  while (size > 0 && device.InterfaceCount < kMaxStickInterfaces) {
    StickInterface& part = device.Interfaces[device.InterfaceCount++];
    part.Kind = static_cast<StickInterfaceKind>(TakeLittleEndian(&data, &size, 1) % 4);
    for (char* field : {part.Driver, part.Name, part.Gateway})
      CopyText(field, kStickNameSize, TakeText(&data, &size, TakeLittleEndian(&data, &size, 1) % 80).c_str());
  }
  const StickState state = ClassifyStick(device);
  Require(state >= kStickNoDriver && state <= kStickPortsSilent, "a stick has a known state");
  StickText line;
  PrepareGuarded(&line);
  const size_t length = DescribeStick(device, ports, audience, line.text, outSize);
  Require(length < outSize && line.text[length] == '\0' && std::strlen(line.text) == length,
          "the line is terminated within its buffer, its length returned");
  Require(!HasLineBreak(line.text), "one line per stick");
  Require(GuardsIntact(line, outSize), "the line stays within its buffer");
  PrepareGuarded(&line);
  if (StickWebPage(device, line.text, outSize))
    Require(std::strncmp(line.text, "http://", 7) == 0 && std::strlen(line.text) < outSize,
            "a web page is an http address within its buffer");
  Require(GuardsIntact(line, outSize), "the web page stays within its buffer");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  switch (TakeLittleEndian(&data, &size, 1) % 3) {
    case 0: FuzzRouteTable(data, size); break;
    case 1: FuzzHardwareId(data, size); break;
    default: FuzzStick(data, size); break;
  }
  return 0;
}
