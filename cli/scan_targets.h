// Which ports `brenvaltor-cli scan` probes: the ports named on the command
// line, or by default every COM port (Windows) or every USB serial device
// that exists (Linux).
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/app_state.h"

constexpr int32_t kMaxScanTargets = 254;

struct ScanTargets {
  bool scanAllComPorts;                         // COM1..COM254 (Windows default)
  int32_t count;                                // otherwise: these ports
  char names[kMaxScanTargets][kShortTextSize];  // as shown in the entries
  char paths[kMaxScanTargets][kShortTextSize];  // as opened
  const char* pathList[kMaxScanTargets];
};

// False for a port name that does not fit its buffer.
bool CollectScanTargets(const char* const* portNames, int32_t portCount, ScanTargets* targets);

// The entry text of modem slot i, UTF-8 aside: "MODEL (COM5)" or
// "MODEL (/dev/ttyUSB0)".
void FormatScanEntry(const ScanTargets& targets, int32_t slot, char* entry, size_t entrySize);

// The USB serial devices of this machine in natural order (ttyACM0,
// ttyUSB2, ttyUSB10); empty on Windows.
void ListSerialDevices(ScanTargets* targets);
