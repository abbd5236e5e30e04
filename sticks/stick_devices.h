// The modem vendor's USB sticks as the system shows them, whether or not any
// of their ports answers: a plain list that the platform readers fill (sysfs
// on Linux, SetupAPI on Windows) and the portable classification reads. A
// stick that answers AT commands needs none of this; a stick that does not
// (still in CD-ROM mode, on router firmware, its ports held or its driver
// missing) is explained to the user from it.
#pragma once

#include <cstddef>
#include <cstdint>

// The vendor's USB vendor ID: the only vendor the report is made for.
constexpr uint16_t kStickVendorId = 0x12D1;

constexpr int32_t kMaxStickDevices = 8;
constexpr int32_t kMaxStickInterfaces = 16;
constexpr size_t kStickNameSize = 64;

// What one interface of a stick is, as far as the user is concerned. Linux
// reads it from the interface's class triple; Windows from the setup class
// of the device node (Ports / Modem -> serial, Net -> network, CDROM and
// DiskDrive through USBSTOR -> storage).
enum StickInterfaceKind : int32_t {
  kInterfaceOther,
  kInterfaceSerial,   // a ttyUSB / ttyACM / COM port
  kInterfaceNetwork,  // CDC Ethernet, NCM, RNDIS: a network adapter
  kInterfaceStorage,  // the built-in CD-ROM or flash drive
};

struct StickInterface {
  StickInterfaceKind Kind;
  // The USB class triple where the system tells it (Linux); 0 otherwise.
  uint8_t Class;
  uint8_t SubClass;
  uint8_t Protocol;
  // The bound driver ("option", "cdc_ether", "usb-storage"...); empty when
  // none is bound.
  char Driver[kStickNameSize];
  // The port ("COM5", "/dev/ttyUSB0") or network interface ("usb0",
  // "Ethernet 3") behind it; empty when there is none.
  char Name[kStickNameSize];
  // A network interface's IPv4 gateway ("192.168.8.1"), read from the
  // system, never contacted by the detection; empty when it has none.
  char Gateway[kStickNameSize];
};

struct StickDevice {
  uint16_t VendorId;
  uint16_t ProductId;
  // The system's problem code for the device (Windows: CM_PROB_*, 28 = no
  // driver installed); 0 when it works.
  int32_t Problem;
  int32_t InterfaceCount;
  StickInterface Interfaces[kMaxStickInterfaces];
};

struct StickDeviceList {
  int32_t Count;
  StickDevice Devices[kMaxStickDevices];
};

// What a stick that did not answer is doing.
enum StickState : int32_t {
  kStickNoDriver,     // present, but no working driver
  kStickStorageMode,  // only its CD-ROM / flash drive: not switched to modem mode
  kStickRouterMode,   // a network adapter and no serial port: router firmware
  kStickPortsSilent,  // serial ports present, none answered
};

// The platform reader: fills list with the vendor's USB devices present now
// (list->Count 0 when there are none). Reads the system only.
void ReadStickDevices(StickDeviceList* list);

// The state of one device, from its problem code and its interfaces' kinds.
StickState ClassifyStick(const StickDevice& device);

// --- What the user is told ---------------------------------------------------

// Who reads the text: the command-line tool in English, with the steps of
// its own platform, or the window in Russian (Windows-1251).
enum StickAudience : int32_t { kAudienceLinuxCli, kAudienceWindowsCli, kAudienceWindow };
#ifdef _WIN32
constexpr StickAudience kNativeCliAudience = kAudienceWindowsCli;
#else
constexpr StickAudience kNativeCliAudience = kAudienceLinuxCli;
#endif

// What opening a silent stick's ports told: another program holds one of
// them, they all open (so the stick itself is silent), or nobody looked.
enum StickPortsCheck : int32_t { kPortsNotChecked, kPortsHeld, kPortsFree };

// One line, no line end: which stick, what state it is in and what to do.
// Returns the length (the text is cut to outSize - 1 characters).
size_t DescribeStick(const StickDevice& device, StickPortsCheck ports, StickAudience audience, char* out,
                     size_t outSize);

// The line for a machine without any of the vendor's sticks.
size_t DescribeNoStick(StickAudience audience, char* out, size_t outSize);

// The web page of a stick on router firmware: "http://GATEWAY/" from its
// first network interface with a gateway. False when it has none.
bool StickWebPage(const StickDevice& device, char* out, size_t outSize);

// Opens each serial port of the stick once (and closes it again) to tell a
// held port from a silent stick. Reads nothing and sends nothing.
StickPortsCheck CheckStickPorts(const StickDevice& device);

// --- What the readers parse (portable, so tested everywhere) -----------------

// The kind of a USB interface from its class triple: mass storage (8),
// CDC Ethernet / NCM (2/6, 2/13) and RNDIS (224/1/3, 239/4/1) adapters,
// CDC ACM (2/2) and the vendor's own interfaces (255), which on these
// sticks are serial ports or, with a network child, an NCM adapter.
StickInterfaceKind KindFromUsbClass(uint8_t interfaceClass, uint8_t subClass, uint8_t protocol);

// The kind of a Windows device node from its setup class ("Ports",
// "Modem", "Net", "CDROM", "DiskDrive"; other classes are kInterfaceOther).
StickInterfaceKind KindFromSetupClass(const char* setupClass);

// Vendor, product and interface number (-1 without "&MI_") from a USB
// hardware or instance ID such as "USB\VID_12D1&PID_1001&MI_02" (any case).
// False when the ID carries no VID_ and PID_.
bool ParseUsbHardwareId(const char* id, uint16_t* vendor, uint16_t* product, int32_t* interfaceNumber);

// One device node of a stick as SetupAPI lists it: its setup class and
// service, the COM port of a Ports or Modem node, the adapter name and
// gateway of a Net node, and its problem code (0: it works).
struct StickNode {
  char SetupClass[kStickNameSize];
  char Service[kStickNameSize];
  char PortName[kStickNameSize];
  char AdapterName[kStickNameSize];
  char Gateway[kStickNameSize];
  int32_t Problem;
};

// What one node adds to its stick: its problem code (the first one found
// stays), and one interface when it is a port, modem, network adapter or
// drive, or a node of another class that has no working driver. The USB
// nodes themselves and the volumes of the card reader add none.
void AddStickNode(const StickNode& node, StickDevice* device);

// The dotted text of an IPv4 address as an in_addr holds it: sAddr is its
// four bytes in network order, read as a number of the machine's own order
// ("192.168.8.1"). Both platforms' gateways go through it.
bool FormatInAddr(uint32_t sAddr, char* text, size_t textSize);

// The IPv4 gateway of a network interface from the text of /proc/net/route
// (an in_addr printed as a hexadecimal number), the default route first:
// "192.168.8.1".
// False when the interface has no route with a gateway.
bool GatewayFromRouteTable(const char* table, const char* interfaceName, char* gateway, size_t gatewaySize);

#ifndef _WIN32
// The Linux reader with its sources as parameters: ReadStickDevices reads
// "/sys" and "/proc/net/route"; the tests read fixture trees.
void ReadStickDevicesUnder(const char* sysRoot, const char* routePath, StickDeviceList* list);
#endif
