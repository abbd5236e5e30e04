// What the stick readers take apart, and the lines made of it, on arbitrary
// input, the first byte choosing (input forms: fuzz/README.md): the routing
// table, a hardware ID and setup class, or a whole stick described.
#include <algorithm>
#include <string>
#include <vector>

#include "base/bounded_text.h"
#include "fuzz/fuzz_support.h"
#include "sticks/stick_devices.h"

namespace {

constexpr size_t kMaxLineSize = 512;

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
  std::vector<char> gateway(kStickNameSize, '\x5A');
  if (GatewayFromRouteTable(table.c_str(), name.c_str(), gateway.data(), gateway.size()))
    Require(IsTerminated(gateway.data(), gateway.size()) && IsDottedQuad(gateway.data()),
            "a gateway is an IPv4 address");
}

void FuzzHardwareId(const uint8_t* data, size_t size) {
  const std::string id = TakeText(&data, &size, size);
  uint16_t vendor = 0, product = 0;
  int32_t interfaceNumber = 0;
  ParseUsbHardwareId(id.c_str(), &vendor, &product, &interfaceNumber);
  KindFromSetupClass(id.c_str());
}

void FuzzStick(const uint8_t* data, size_t size) {
  StickDevice device{};
  device.VendorId = kStickVendorId;
  device.ProductId = static_cast<uint16_t>(TakeLittleEndian(&data, &size, 2));
  device.Problem = static_cast<int32_t>(TakeLittleEndian(&data, &size, 2)) - 1;
  const auto ports = static_cast<StickPortsCheck>(TakeLittleEndian(&data, &size, 1) % 3);
  const auto audience = static_cast<StickAudience>(TakeLittleEndian(&data, &size, 1) % 3);
  const size_t outSize = 1 + TakeLittleEndian(&data, &size, 2) % kMaxLineSize;
  while (size > 0 && device.InterfaceCount < kMaxStickInterfaces) {
    StickInterface& part = device.Interfaces[device.InterfaceCount++];
    part.Kind = static_cast<StickInterfaceKind>(TakeLittleEndian(&data, &size, 1) % 4);
    for (char* field : {part.Driver, part.Name, part.Gateway})
      CopyText(field, kStickNameSize, TakeText(&data, &size, TakeLittleEndian(&data, &size, 1) % 80).c_str());
  }
  const StickState state = ClassifyStick(device);
  Require(state >= kStickNoDriver && state <= kStickPortsSilent, "a stick has a known state");
  std::vector<char> buffer(outSize, '\x5A');
  char* line = buffer.data();
  const size_t length = DescribeStick(device, ports, audience, line, outSize);
  Require(length < outSize && line[length] == '\0' && std::strlen(line) == length,
          "the line is terminated within its buffer, its length returned");
  Require(!HasLineBreak(line), "one line per stick");
  line[0] = '\0';
  if (StickWebPage(device, line, outSize))
    Require(std::strncmp(line, "http://", 7) == 0 && IsTerminated(line, outSize),
            "a web page is an http address within its buffer");
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
