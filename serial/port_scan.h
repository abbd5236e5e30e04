// Finding the modems: every port that answers AT+CGMM within a second is
// recorded with the model name from its answer (ModemPortNumbers,
// ModemModelNames, ModemCount in the global state).
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int32_t kFirstComPort = 1;
constexpr int32_t kLastComPort = 254;
constexpr uint32_t kScanTimeoutMs = 1000;

// Probes COM1 to COM254 in ascending order (\\.\COMn).
void ScanModemPorts();

// Probes the given device paths in order; a modem found on paths[i] is
// recorded with the port number i. (Linux has no COM numbers.)
void ScanModemPaths(const char* const* paths, int32_t pathCount);

// The selector entry of modem slot i: "MODEL (COMn)", cut so that it fits
// 255 characters (a long model name loses its tail, never the port).
void FormatModemEntry(int32_t slot, char* entry, size_t entrySize);

// The same with a device path in the parentheses: "MODEL (/dev/ttyUSB0)".
void FormatModemPathEntry(int32_t slot, const char* path, char* entry, size_t entrySize);
