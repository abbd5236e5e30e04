// The Linux reader: the vendor's USB devices from sysfs. Each device under
// bus/usb/devices with idVendor 12d1 becomes one stick; its interface
// folders ("1-2:1.0") give the class triple, the bound driver (the "driver"
// link), and what the driver made of it: a ttyUSB / ttyACM port or a
// network interface, whose gateway comes from the routing table.
#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/bounded_text.h"
#include "sticks/stick_devices.h"

namespace {

constexpr size_t kPathSize = 512;
// A machine with hubs, a keyboard, a camera and a card reader easily has a
// few dozen USB devices, a lab machine hundreds: the device level keeps
// only the vendor's devices, so the bound is never met by others (and
// interfaces are listed per device). Every name read here is short: a device or interface
// ("3-1.4.2:1.10"), a ttyUSB / ttyACM port, a network interface (at most
// 15 characters); a longer one is skipped.
constexpr int32_t kMaxEntries = 256;
constexpr size_t kEntrySize = 64;
static_assert(kMaxEntries * kEntrySize == 16384, "each level of the walk keeps to 16 KB");

struct EntryList {
  int32_t count;
  char names[kMaxEntries][kEntrySize];
};

// The three levels of the walk (devices, a device's interfaces, an
// interface's children), 16 KB each: kept off the stack. One reader runs
// at a time.
EntryList g_Devices;
EntryList g_Interfaces;
EntryList g_Children;
char g_RouteTable[16384];

// folder + "/" + name; false (and an empty path, which opens nothing) when
// it does not fit.
bool JoinPath(char* path, const char* folder, const char* name) {
  const int length = std::snprintf(path, kPathSize, "%s/%s", folder, name);
  if (length > 0 && static_cast<size_t>(length) < kPathSize) return true;
  path[0] = '\0';
  return false;
}

long ReadHexFile(const char* folder, const char* file);

// What ListEntries keeps: any entry, or of bus/usb/devices only the
// vendor's devices. Neither the interfaces ("1-2:1.0") sysfs lists beside
// the devices nor other makers' devices may take the places of sticks: the
// bound applies in the folder's own order, before sorting, so with them a
// stick could be left out on a machine with many devices.
enum EntryKind { kAnyEntry, kVendorDevices };

bool IsVendorDevice(const char* folder, const char* name) {
  if (std::strchr(name, ':') != nullptr) return false;
  char path[kPathSize];
  return JoinPath(path, folder, name) && ReadHexFile(path, "idVendor") == kStickVendorId;
}

// The entries of a folder whose names begin with prefix, sorted; "." and
// ".." never. A folder that cannot be read has none.
void ListEntries(const char* folder, const char* prefix, EntryKind kind, EntryList* list) {
  list->count = 0;
  DIR* dir = opendir(folder);
  if (dir == nullptr) return;
  const size_t prefixLength = std::strlen(prefix);
  while (const dirent* entry = readdir(dir)) {
    if (entry->d_name[0] == '.' || std::strncmp(entry->d_name, prefix, prefixLength) != 0) continue;
    if (list->count >= kMaxEntries || std::strlen(entry->d_name) >= kEntrySize) continue;
    if (kind == kVendorDevices && !IsVendorDevice(folder, entry->d_name)) continue;
    CopyText(list->names[list->count++], kEntrySize, entry->d_name);
  }
  closedir(dir);
  std::qsort(list->names, static_cast<size_t>(list->count), kEntrySize, [](const void* a, const void* b) {
    return std::strcmp(static_cast<const char*>(a), static_cast<const char*>(b));
  });
}

// The first line of a small sysfs file, as a hexadecimal number; -1 when
// the file is missing or holds no number.
long ReadHexFile(const char* folder, const char* file) {
  char path[kPathSize];
  JoinPath(path, folder, file);
  FILE* f = std::fopen(path, "r");
  if (f == nullptr) return -1;
  char text[32] = {};
  const bool read = std::fgets(text, sizeof text, f) != nullptr;
  std::fclose(f);
  char* end = nullptr;
  const long value = std::strtol(text, &end, 16);
  return read && end != text ? value : -1;
}

// One byte of the class triple; 0 when the file is missing (an interface
// still being set up), never taken for the vendor's own class ff.
uint8_t ReadClassByte(const char* folder, const char* file) {
  const long value = ReadHexFile(folder, file);
  return value >= 0 && value <= 0xFF ? static_cast<uint8_t>(value) : 0;
}

// The bound driver: the last part of where the interface's "driver" link
// points ("../../../../bus/usb/drivers/option" -> "option").
void ReadDriver(const char* interfaceFolder, char* driver, size_t driverSize) {
  char path[kPathSize];
  char target[kPathSize];
  JoinPath(path, interfaceFolder, "driver");
  const ssize_t length = readlink(path, target, sizeof target - 1);
  CopyText(driver, driverSize, "");
  if (length <= 0) return;
  target[length] = '\0';
  const char* slash = std::strrchr(target, '/');
  CopyText(driver, driverSize, slash != nullptr ? slash + 1 : target);
}

// What the driver made of the interface: a ttyUSB port (usb-serial puts it
// in the interface's own folder), a ttyACM port (in "tty"), or a network
// interface (in "net").
StickInterfaceKind ReadChild(const char* interfaceFolder, StickInterface* part) {
  EntryList* const children = &g_Children;
  char folder[kPathSize];
  StickInterfaceKind kind = kInterfaceOther;
  ListEntries(interfaceFolder, "ttyUSB", kAnyEntry, children);
  if (children->count == 0) {
    JoinPath(folder, interfaceFolder, "tty");
    ListEntries(folder, "tty", kAnyEntry, children);
  }
  if (children->count != 0) {
    std::snprintf(part->Name, sizeof part->Name, "/dev/%.58s", children->names[0]);
    kind = kInterfaceSerial;
  } else {
    JoinPath(folder, interfaceFolder, "net");
    ListEntries(folder, "", kAnyEntry, children);
    if (children->count != 0) {
      CopyText(part->Name, sizeof part->Name, children->names[0]);
      kind = kInterfaceNetwork;
    }
  }
  return kind;
}

// The routing table's text, or empty.
void ReadRouteTable(const char* routePath, char* table, size_t tableSize) {
  table[0] = '\0';
  FILE* f = std::fopen(routePath, "r");
  if (f == nullptr) return;
  const size_t count = std::fread(table, 1, tableSize - 1, f);
  table[count] = '\0';
  std::fclose(f);
}

void ReadInterfaces(const char* deviceFolder, const char* deviceName, const char* routeTable,
                    StickDevice* device) {
  EntryList* const interfaces = &g_Interfaces;
  char prefix[kEntrySize];
  std::snprintf(prefix, sizeof prefix, "%s:", deviceName);
  ListEntries(deviceFolder, prefix, kAnyEntry, interfaces);
  for (int32_t i = 0; i < interfaces->count && device->InterfaceCount < kMaxStickInterfaces; ++i) {
    char folder[kPathSize];
    JoinPath(folder, deviceFolder, interfaces->names[i]);
    StickInterface& part = device->Interfaces[device->InterfaceCount++];
    part.Class = ReadClassByte(folder, "bInterfaceClass");
    part.SubClass = ReadClassByte(folder, "bInterfaceSubClass");
    part.Protocol = ReadClassByte(folder, "bInterfaceProtocol");
    ReadDriver(folder, part.Driver, sizeof part.Driver);
    part.Kind = ReadChild(folder, &part);
    if (part.Kind == kInterfaceOther) part.Kind = KindFromUsbClass(part.Class, part.SubClass, part.Protocol);
    if (part.Kind == kInterfaceNetwork && part.Name[0] != '\0')
      GatewayFromRouteTable(routeTable, part.Name, part.Gateway, sizeof part.Gateway);
  }
}

}  // namespace

void ReadStickDevicesUnder(const char* sysRoot, const char* routePath, StickDeviceList* list) {
  std::memset(list, 0, sizeof *list);
  EntryList& devices = g_Devices;
  char* const routeTable = g_RouteTable;
  ReadRouteTable(routePath, routeTable, sizeof g_RouteTable);
  char folder[kPathSize];
  std::snprintf(folder, sizeof folder, "%s/bus/usb/devices", sysRoot);
  ListEntries(folder, "", kVendorDevices, &devices);
  for (int32_t i = 0; i < devices.count && list->Count < kMaxStickDevices; ++i) {
    char deviceFolder[kPathSize];
    JoinPath(deviceFolder, folder, devices.names[i]);
    StickDevice& device = list->Devices[list->Count++];
    device.VendorId = kStickVendorId;
    device.ProductId = static_cast<uint16_t>(ReadHexFile(deviceFolder, "idProduct"));
    ReadInterfaces(deviceFolder, devices.names[i], routeTable, &device);
  }
}

void ReadStickDevices(StickDeviceList* list) { ReadStickDevicesUnder("/sys", "/proc/net/route", list); }
