// What the platform readers take apart, kept portable so that every
// platform's tests cover it: USB interface classes, Windows setup classes,
// hardware IDs and device nodes, and the kernel's routing table text.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "base/bounded_text.h"
#include "sticks/stick_devices.h"

namespace {

// USB interface classes by (class, subclass, protocol); -1 matches any.
struct UsbClassKind {
  int32_t interfaceClass, subClass, protocol;
  StickInterfaceKind kind;
};
constexpr UsbClassKind kUsbClassKinds[] = {
    {0x08, -1, -1, kInterfaceStorage},      // mass storage: the CD-ROM, the card reader
    {0x02, 0x06, -1, kInterfaceNetwork},    // CDC Ethernet (router firmware)
    {0x02, 0x0D, -1, kInterfaceNetwork},    // CDC NCM
    {0x02, 0x0E, -1, kInterfaceNetwork},    // CDC MBIM
    {0xE0, 0x01, 0x03, kInterfaceNetwork},  // RNDIS (wireless controller class)
    {0xEF, 0x04, 0x01, kInterfaceNetwork},  // RNDIS (miscellaneous class)
    {0x02, 0x02, -1, kInterfaceSerial},     // CDC ACM
    {0xFF, -1, -1, kInterfaceSerial},       // the vendor's own: its serial ports
};

bool Matches(int32_t pattern, uint8_t value) { return pattern < 0 || pattern == value; }

// Windows setup classes, compared without regard to case.
struct SetupClassKind {
  std::string_view name;
  StickInterfaceKind kind;
};
constexpr SetupClassKind kSetupClassKinds[] = {
    {"Ports", kInterfaceSerial},  {"Modem", kInterfaceSerial},      {"Net", kInterfaceNetwork},
    {"CDROM", kInterfaceStorage}, {"DiskDrive", kInterfaceStorage},
};

// text[at, at + length), cut at the end of text; never throws (substr
// would, past the end, and would bring the exception machinery along).
std::string_view Slice(std::string_view text, size_t at, size_t length) {
  if (at > text.size()) at = text.size();
  return std::string_view(text.data() + at, length < text.size() - at ? length : text.size() - at);
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// The hexadecimal number of `digits` digits after `key` in id, any case.
bool HexAfter(std::string_view id, std::string_view key, int32_t digits, uint32_t* value) {
  for (size_t at = 0; at + key.size() <= id.size(); ++at) {
    if (!SameIgnoringCase(Slice(id, at, key.size()), key)) continue;
    const std::string_view number = Slice(id, at + key.size(), static_cast<size_t>(digits));
    if (number.size() != static_cast<size_t>(digits)) return false;
    uint32_t result = 0;
    for (const char c : number) {
      if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
      result =
          result * 16 + static_cast<uint32_t>(std::isdigit(static_cast<unsigned char>(c))
                                                  ? c - '0'
                                                  : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10);
    }
    *value = result;
    return true;
  }
  return false;
}

// One whitespace-separated field of a line; empty past the last.
std::string_view Field(std::string_view line, int32_t index) {
  size_t at = 0;
  for (int32_t field = 0;; ++field) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    size_t end = at;
    while (end < line.size() && line[end] != ' ' && line[end] != '\t') ++end;
    if (field == index || at == line.size()) return Slice(line, at, end - at);
    at = end;
  }
}

// An address of the routing table: 8 hexadecimal digits, the first byte
// of the address last ("0108A8C0" is 192.168.8.1).
bool RouteAddress(std::string_view hex, uint32_t* address) {
  if (hex.size() != 8) return false;
  char digits[9];
  std::memcpy(digits, hex.data(), 8);
  digits[8] = '\0';
  char* end = nullptr;
  *address = static_cast<uint32_t>(std::strtoul(digits, &end, 16));
  return end == digits + 8;
}

}  // namespace

StickInterfaceKind KindFromUsbClass(uint8_t interfaceClass, uint8_t subClass, uint8_t protocol) {
  for (const UsbClassKind& entry : kUsbClassKinds)
    if (Matches(entry.interfaceClass, interfaceClass) && Matches(entry.subClass, subClass) &&
        Matches(entry.protocol, protocol))
      return entry.kind;
  return kInterfaceOther;
}

StickInterfaceKind KindFromSetupClass(const char* setupClass) {
  for (const SetupClassKind& entry : kSetupClassKinds)
    if (SameIgnoringCase(entry.name, setupClass)) return entry.kind;
  return kInterfaceOther;
}

bool ParseUsbHardwareId(const char* id, uint16_t* vendor, uint16_t* product, int32_t* interfaceNumber) {
  uint32_t vid = 0, pid = 0, mi = 0;
  if (!HexAfter(id, "VID_", 4, &vid) || !HexAfter(id, "PID_", 4, &pid)) return false;
  *vendor = static_cast<uint16_t>(vid);
  *product = static_cast<uint16_t>(pid);
  *interfaceNumber = HexAfter(id, "&MI_", 2, &mi) ? static_cast<int32_t>(mi) : -1;
  return true;
}

bool GatewayFromRouteTable(const char* table, const char* interfaceName, char* gateway, size_t gatewaySize) {
  uint32_t found = 0;
  bool foundDefault = false;
  std::string_view rest = table;
  while (!rest.empty() && !foundDefault) {
    const size_t end = rest.find('\n');
    const std::string_view line = Slice(rest, 0, end);
    rest = end == std::string_view::npos ? std::string_view() : Slice(rest, end + 1, rest.size());
    uint32_t destination = 0, address = 0;
    if (Field(line, 0) != interfaceName || !RouteAddress(Field(line, 1), &destination) ||
        !RouteAddress(Field(line, 2), &address) || address == 0)
      continue;
    found = address;
    foundDefault = destination == 0;
  }
  return found != 0 && FormatInAddr(found, gateway, gatewaySize);
}

bool FormatInAddr(uint32_t sAddr, char* text, size_t textSize) {
  unsigned char bytes[4];
  std::memcpy(bytes, &sAddr, sizeof bytes);
  const int written = std::snprintf(text, textSize, "%u.%u.%u.%u", bytes[0], bytes[1], bytes[2], bytes[3]);
  return written > 0 && static_cast<size_t>(written) < textSize;
}

void AddStickNode(const StickNode& node, StickDevice* device) {
  if (node.Problem != 0 && device->Problem == 0) device->Problem = node.Problem;
  // A USB node bound to the mass-storage service is the stick's drive
  // interface itself: on a single-interface stick in CD-ROM mode it is the
  // USB device node, and the drive below it may not be listed (yet).
  const bool storageNode =
      SameIgnoringCase(node.SetupClass, "USB") && SameIgnoringCase(node.Service, "USBSTOR");
  const StickInterfaceKind kind = storageNode ? kInterfaceStorage : KindFromSetupClass(node.SetupClass);
  if ((kind == kInterfaceOther && node.Problem == 0) ||
      (SameIgnoringCase(node.SetupClass, "USB") && !storageNode) ||
      device->InterfaceCount >= kMaxStickInterfaces)
    return;
  StickInterface& part = device->Interfaces[device->InterfaceCount++];
  std::memset(&part, 0, sizeof part);
  part.Kind = kind;
  CopyText(part.Driver, sizeof part.Driver, node.Service);
  if (kind == kInterfaceSerial) CopyText(part.Name, sizeof part.Name, node.PortName);
  if (kind == kInterfaceNetwork) {
    CopyText(part.Name, sizeof part.Name, node.AdapterName);
    CopyText(part.Gateway, sizeof part.Gateway, node.Gateway);
  }
}
