// The rescan rules of the window.
#include "ui/rescan_rules.h"

bool DeviceChangeStartsRescan(uint32_t event) {
  return event == kDeviceArrival || event == kDeviceRemoveComplete || event == kDeviceNodesChanged;
}

bool NoModemListed(int32_t modemCount, int32_t routerEntryCount) {
  return modemCount == 0 && routerEntryCount == 0;
}

bool ScanFoundNewPort(const int32_t* before, int32_t beforeCount, const int32_t* after, int32_t afterCount) {
  for (int32_t i = 0; i < afterCount; ++i) {
    bool known = false;
    for (int32_t j = 0; j < beforeCount && !known; ++j) known = before[j] == after[i];
    if (!known) return true;
  }
  return false;
}
