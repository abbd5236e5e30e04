// Finding the modems: every port whose answer to AT+CGMM begins within a
// second is recorded with the model name from its answer (ModemPortNumbers,
// ModemModelNames, ModemCount in the global state). The ports are probed
// side by side, so a scan takes as long as its slowest probe (about two
// seconds for a port that opens but stays silent), not the sum of them.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int32_t kFirstComPort = 1;
constexpr int32_t kLastComPort = 254;
constexpr uint32_t kScanTimeoutMs = 1000;

// Probes COM1 to COM254 (\\.\COMn); the modems are listed in ascending
// port order.
void ScanModemPorts();

// Probes only COMn for the given port numbers and adds the modems found to
// the modems already listed, keeping the list in ascending port order; the
// ports not given are left alone (a rescan spares the stick in use).
void AddModemsOnPorts(const int32_t* portNumbers, int32_t count);

// Probes the given device paths; a modem found on paths[i] is recorded with
// the port number i, in the order of the paths. (Linux has no COM numbers.)
// A path that leads to the same device as an earlier one (a link and its
// target) is neither probed nor listed: the device goes by the name given
// first.
void ScanModemPaths(const char* const* paths, int32_t pathCount);

// The selector entry of modem slot i: "MODEL (COMn)", cut so that it fits
// 255 characters (a long model name loses its tail, never the port).
void FormatModemEntry(int32_t slot, char* entry, size_t entrySize);

// The same with a device path in the parentheses: "MODEL (/dev/ttyUSB0)".
void FormatModemPathEntry(int32_t slot, const char* path, char* entry, size_t entrySize);
