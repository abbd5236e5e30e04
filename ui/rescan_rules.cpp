// The rescan rules of the window.
#include "ui/rescan_rules.h"

#include <cstring>

#include "base/app_state.h"

bool DeviceChangeStartsRescan(uint32_t event) {
  return event == kDeviceArrival || event == kDeviceRemoveComplete || event == kDeviceNodesChanged;
}

bool TakeDeviceChange(FollowUpState* followUp, uint32_t event) {
  if (!DeviceChangeStartsRescan(event)) return false;
  *followUp = {false, false};
  return true;
}

bool ArmFollowUp(FollowUpState* followUp, bool quiet, bool foundNew) {
  followUp->armed = quiet && !foundNew && !followUp->done;
  followUp->done = followUp->done || followUp->armed;
  return followUp->armed;
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

int32_t PortsToProbe(const ComPortSet& before, const ComPortSet& now, const int32_t* spared,
                     int32_t sparedCount, int32_t* probe) {
  int32_t count = 0;
  for (int32_t port = 1; port < kComPortSetSize; ++port) {
    if (!now.has[port] || before.has[port]) continue;
    bool isSpared = false;
    for (int32_t i = 0; i < sparedCount && !isSpared; ++i) isSpared = spared[i] == port;
    if (!isSpared) probe[count++] = port;
  }
  return count;
}

void RememberScannedPorts(ComPortSet* seen, const ComPortSet& now, bool followUpComes) {
  for (int32_t port = 1; port < kComPortSetSize; ++port)
    seen->has[port] = now.has[port] && (seen->has[port] || !followUpComes);
}

void DropModemEntries(const ComPortSet& now, const int32_t* probe, int32_t probeCount) {
  int32_t kept = 0;
  for (int32_t slot = 0; slot < g_App.ModemCount; ++slot) {
    const int32_t port = g_App.ModemPortNumbers[slot];
    bool keep = port > 0 && port < kComPortSetSize && now.has[port];
    for (int32_t i = 0; i < probeCount && keep; ++i) keep = probe[i] != port;
    if (!keep) continue;
    if (kept != slot) {
      g_App.ModemPortNumbers[kept] = port;
      std::memcpy(g_App.ModemModelNames[kept], g_App.ModemModelNames[slot], kModelNameSize);
    }
    ++kept;
  }
  g_App.ModemCount = kept;
}

int32_t ComPortOfEntry(const char* entry) {
  const char* open = std::strrchr(entry, '(');
  if (open == nullptr || std::strncmp(open, "(COM", 4) != 0) return 0;
  int32_t number = 0;
  const char* digit = open + 4;
  for (; *digit >= '0' && *digit <= '9' && number < kComPortSetSize; ++digit)
    number = number * 10 + (*digit - '0');
  const bool closed = digit != open + 4 && digit[0] == ')' && digit[1] == '\0';
  return closed && number < kComPortSetSize ? number : 0;
}
