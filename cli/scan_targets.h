// Which ports `brenvaltor-cli scan` probes: the ports named on the command
// line, or by default every COM port (Windows) or every USB serial device
// that exists (Linux).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "base/app_state.h"

constexpr int32_t kMaxScanTargets = 254;

struct ScanTargets {
  bool scanAllComPorts;                         // COM1..COM254 (Windows default)
  int32_t count;                                // otherwise: these ports
  char names[kMaxScanTargets][kShortTextSize];  // as shown in the entries
  char paths[kMaxScanTargets][kShortTextSize];  // as opened
  const char* pathList[kMaxScanTargets];
};

// Whether a port name and the device path made from it fit their 256-byte
// buffers. A name that does not is refused, never cut: a cut path may name
// another device.
bool PortNameFits(const char* portName);

// The longest port name that fits (255 characters on Linux, 251 on
// Windows, where "\\.\" goes before it).
size_t LongestPortName();

// The ports named, or the default ones. False for more than kMaxScanTargets
// names or a name that does not fit (PortNameFits).
bool CollectScanTargets(const char* const* portNames, int32_t portCount, ScanTargets* targets);

// The entry text of modem slot i, UTF-8 aside: "MODEL (COM5)" or
// "MODEL (/dev/ttyUSB0)".
void FormatScanEntry(const ScanTargets& targets, int32_t slot, char* entry, size_t entrySize);

// The USB serial devices (ttyUSB*, ttyACM*) in directory, "/dev" for the
// real ones, in natural order: ttyACM0, ttyUSB2, ttyUSB10. Nothing on
// Windows.
void ListSerialDevices(const char* directory, ScanTargets* targets);

// What a scan that found no modem says on out, after which the tool exits
// with status 1: "no modem answered on: " and the ports probed.
void PrintNothingFound(FILE* out, const ScanTargets& targets);
