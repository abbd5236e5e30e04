// When the window scans again and what it probes: device changes that
// count, the quiet time before the scan, the one follow-up scan, the ports
// a rescan probes and the entries it keeps, and whether a scan found
// anything new. Portable, so the rules are tested without a window.
#pragma once

#include <cstdint>

// A stick's ports appear one after the other and its firmware needs a
// moment before it answers: the scan waits until the devices have been
// quiet this long...
constexpr uint32_t kRescanQuietMs = 2000;
// ...and when it found nothing new, scans once more this much later.
constexpr uint32_t kRescanFollowUpMs = 5000;

// The WM_DEVICECHANGE events (wParam) that start the quiet time: a device
// (a port) arrived or went, or device nodes changed. By number: this file
// includes no platform header.
constexpr uint32_t kDeviceArrival = 0x8000;
constexpr uint32_t kDeviceRemoveComplete = 0x8004;
constexpr uint32_t kDeviceNodesChanged = 0x0007;
bool DeviceChangeStartsRescan(uint32_t event);

// The follow-up scan as the window keeps it: whether its timer runs, and
// whether the quiet scan already had it.
struct FollowUpState {
  bool armed;
  bool done;
};
// A device change that starts the quiet time also cancels a follow-up to
// come: the scan after the quiet time may have one of its own. False (and
// nothing changed) for a change that does not count.
bool TakeDeviceChange(FollowUpState* followUp, uint32_t event);
// After a scan: whether the follow-up comes, once, after a quiet scan that
// found nothing new.
bool ArmFollowUp(FollowUpState* followUp, bool quiet, bool foundNew);

// Whether the scan listed nothing to query: no modem answered and no
// stick on router firmware has a selector entry. The stick notice then
// stands in the report list's place.
bool NoModemListed(int32_t modemCount, int32_t routerEntryCount);

// Whether the ports of a scan (modem port numbers) hold one that the scan
// before did not.
bool ScanFoundNewPort(const int32_t* before, int32_t beforeCount, const int32_t* after, int32_t afterCount);

// The COM ports that exist, by number (COM1..COM254; index 0 unused).
constexpr int32_t kComPortSetSize = 255;
struct ComPortSet {
  bool has[kComPortSetSize];
};

// A rescan never disturbs the stick in use: it probes only the ports that
// exist now and did not at the last scan, and never a spared port (the
// chosen entry's, the terminal's). Writes their numbers ascending into
// probe (room for kComPortSetSize) and returns how many.
int32_t PortsToProbe(const ComPortSet& before, const ComPortSet& now, const int32_t* spared,
                     int32_t sparedCount, int32_t* probe);

// The ports a scan leaves as seen: those that exist now. When the follow-up
// scan is to come, a port new to this scan is not seen yet (its firmware
// may still be starting: the follow-up probes it once more); a port gone is
// forgotten at once, so that a stick plugged in again is new.
void RememberScannedPorts(ComPortSet* seen, const ComPortSet& now, bool followUpComes);

// Drops from the modem list (g_App) every entry whose port is gone, or is
// about to be probed again; the others keep their entries and their order.
void DropModemEntries(const ComPortSet& now, const int32_t* probe, int32_t probeCount);

// The COM port number of a selector entry "MODEL (COMn)"; 0 for any other
// entry (a stick on router firmware, the empty entry).
int32_t ComPortOfEntry(const char* entry);
