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
  kStickNoDriver,      // present, but no working driver
  kStickStorageMode,   // only its CD-ROM / flash drive: not switched to modem mode
  kStickRouterMode,    // a network adapter and no serial port: router firmware
  kStickPortsSilent,   // serial ports present, none answered
};

// The platform reader: fills list with the vendor's USB devices present now
// (list->Count 0 when there are none). Reads the system only.
void ReadStickDevices(StickDeviceList* list);

// The state of one device, from its problem code and its interfaces' kinds.
StickState ClassifyStick(const StickDevice& device);
