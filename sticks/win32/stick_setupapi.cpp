// The Windows reader: the vendor's USB sticks from SetupAPI. Every present
// device node that is, or hangs below, a USB device with VID_12D1 belongs to
// that stick: its interfaces (MI_xx nodes) and the drives its mass-storage
// interface makes (USBSTOR nodes, whose IDs name no vendor). Each node gives
// its setup class, its service, its problem code, the COM port name of a
// Ports or Modem node, and for a Net node the adapter with its gateway
// (GetAdaptersAddresses, matched through the node's NetCfgInstanceId).
#include <winsock2.h>
#include <windows.h>
#include <cfgmgr32.h>
#include <iphlpapi.h>
#include <setupapi.h>

#include <cstdio>
#include <cstring>

#include "base/bounded_text.h"
#include "sticks/stick_devices.h"

namespace {

constexpr size_t kIdSize = MAX_DEVICE_ID_LEN + 1;
// A drive's node sits below the mass-storage interface, which sits below
// the USB device: three steps up reach the stick from any of its nodes.
constexpr int32_t kMaxStepsUp = 3;

// The instance ID of each stick's USB device node, beside the list.
char g_StickIds[kMaxStickDevices][kIdSize];
// GetAdaptersAddresses' answer; 15 KB is Microsoft's suggested start.
alignas(8) unsigned char g_Adapters[65536];

// The USB device node of the vendor that node belongs to (itself or one of
// its parents): true with its instance ID.
bool OwningStick(DEVINST node, char* id) {
  for (int32_t step = 0; step <= kMaxStepsUp; ++step) {
    if (CM_Get_Device_IDA(node, id, kIdSize, 0) != CR_SUCCESS) return false;
    uint16_t vendor = 0, product = 0;
    int32_t interfaceNumber = -1;
    if (std::strncmp(id, "USB\\", 4) == 0 && ParseUsbHardwareId(id, &vendor, &product, &interfaceNumber) &&
        vendor == kStickVendorId && interfaceNumber < 0)
      return true;
    DEVINST parent = 0;
    if (CM_Get_Parent(&parent, node, 0) != CR_SUCCESS) return false;
    node = parent;
  }
  return false;
}

StickDevice* StickFor(const char* id, StickDeviceList* list) {
  for (int32_t i = 0; i < list->Count; ++i)
    if (std::strcmp(g_StickIds[i], id) == 0) return &list->Devices[i];
  if (list->Count >= kMaxStickDevices) return nullptr;
  CopyText(g_StickIds[list->Count], kIdSize, id);
  StickDevice* device = &list->Devices[list->Count++];
  std::memset(device, 0, sizeof *device);
  uint16_t vendor = 0, product = 0;
  int32_t interfaceNumber = -1;
  ParseUsbHardwareId(id, &vendor, &product, &interfaceNumber);
  device->VendorId = vendor;
  device->ProductId = product;
  return device;
}

void ReadProperty(HDEVINFO set, SP_DEVINFO_DATA* node, DWORD property, char* text, size_t textSize) {
  std::memset(text, 0, textSize);
  SetupDiGetDeviceRegistryPropertyA(set, node, property, nullptr, reinterpret_cast<BYTE*>(text),
                                    static_cast<DWORD>(textSize - 1), nullptr);
}

// A text value of the node's hardware key (DIREG_DEV) or driver key
// (DIREG_DRV); empty when there is none.
void ReadNodeValue(HDEVINFO set, SP_DEVINFO_DATA* node, DWORD key, const char* name, char* text,
                   size_t textSize) {
  std::memset(text, 0, textSize);
  const HKEY hkey = SetupDiOpenDevRegKey(set, node, DICS_FLAG_GLOBAL, 0, key, KEY_QUERY_VALUE);
  if (hkey == INVALID_HANDLE_VALUE) return;
  DWORD type = 0;
  DWORD size = static_cast<DWORD>(textSize - 1);
  if (RegQueryValueExA(hkey, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS ||
      type != REG_SZ)
    std::memset(text, 0, textSize);
  RegCloseKey(hkey);
}

// The adapter whose name is the node's NetCfgInstanceId: its friendly name
// and its first IPv4 gateway.
void ReadAdapter(const char* instanceGuid, StickNode* node) {
  ULONG size = sizeof g_Adapters;
  auto* first = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(g_Adapters);
  if (GetAdaptersAddresses(AF_INET, GAA_FLAG_INCLUDE_GATEWAYS, nullptr, first, &size) != NO_ERROR) return;
  for (const IP_ADAPTER_ADDRESSES* adapter = first; adapter != nullptr; adapter = adapter->Next) {
    if (lstrcmpiA(adapter->AdapterName, instanceGuid) != 0) continue;
    WideCharToMultiByte(1251, 0, adapter->FriendlyName, -1, node->AdapterName, sizeof node->AdapterName - 1,
                        nullptr, nullptr);
    for (const IP_ADAPTER_GATEWAY_ADDRESS_LH* gateway = adapter->FirstGatewayAddress; gateway != nullptr;
         gateway = gateway->Next) {
      const sockaddr* address = gateway->Address.lpSockaddr;
      if (address == nullptr || address->sa_family != AF_INET) continue;
      FormatInAddr(reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr, node->Gateway,
                   sizeof node->Gateway);
      return;
    }
    return;
  }
}

// What SetupAPI tells of one device node of a stick; the portable
// AddStickNode decides what it adds.
void AddNode(HDEVINFO set, SP_DEVINFO_DATA* data, StickDevice* device) {
  static StickNode node;
  std::memset(&node, 0, sizeof node);
  ULONG status = 0, problem = 0;
  if (CM_Get_DevNode_Status(&status, &problem, data->DevInst, 0) == CR_SUCCESS && (status & DN_HAS_PROBLEM))
    node.Problem = static_cast<int32_t>(problem);
  ReadProperty(set, data, SPDRP_CLASS, node.SetupClass, sizeof node.SetupClass);
  ReadProperty(set, data, SPDRP_SERVICE, node.Service, sizeof node.Service);
  const StickInterfaceKind kind = KindFromSetupClass(node.SetupClass);
  if (kind == kInterfaceSerial) {
    ReadNodeValue(set, data, DIREG_DEV, "PortName", node.PortName, sizeof node.PortName);
    // A modem's driver names its port in the driver key.
    if (node.PortName[0] == '\0')
      ReadNodeValue(set, data, DIREG_DRV, "AttachedTo", node.PortName, sizeof node.PortName);
  } else if (kind == kInterfaceNetwork) {
    char guid[64];
    ReadNodeValue(set, data, DIREG_DRV, "NetCfgInstanceId", guid, sizeof guid);
    if (guid[0] != '\0') ReadAdapter(guid, &node);
  }
  AddStickNode(node, device);
}

}  // namespace

void ReadStickDevices(StickDeviceList* list) {
  std::memset(list, 0, sizeof *list);
  const HDEVINFO set = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT);
  if (set == INVALID_HANDLE_VALUE) return;
  SP_DEVINFO_DATA node{};
  node.cbSize = sizeof node;
  for (DWORD index = 0; SetupDiEnumDeviceInfo(set, index, &node); ++index) {
    char id[kIdSize];
    if (!OwningStick(node.DevInst, id)) continue;
    StickDevice* device = StickFor(id, list);
    if (device != nullptr) AddNode(set, &node, device);
  }
  SetupDiDestroyDeviceInfoList(set);
}
