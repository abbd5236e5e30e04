// Building the list of ports to scan.
#include "cli/scan_targets.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#ifndef _WIN32
#include <glob.h>
#endif

#include "base/bounded_text.h"
#include "serial/port_scan.h"
#include "serial/serial_port.h"

namespace {

bool AddTarget(ScanTargets* targets, const char* name) {
  if (targets->count >= kMaxScanTargets || std::strlen(name) >= kShortTextSize) return false;
  const int32_t i = targets->count++;
  CopyText(targets->names[i], kShortTextSize, name);
  DevicePathFromPortName(name, targets->paths[i], kShortTextSize);
  targets->pathList[i] = targets->paths[i];
  return true;
}

#ifndef _WIN32
// "/dev/ttyUSB10" sorts after "/dev/ttyUSB2": the text before the trailing
// number first, then the number.
bool NaturalLess(const char* a, const char* b) {
  const size_t aStem = std::strcspn(a, "0123456789");
  const size_t bStem = std::strcspn(b, "0123456789");
  const int stem = std::strncmp(a, b, std::min(aStem, bStem));
  if (stem != 0 || aStem != bStem) return stem != 0 ? stem < 0 : aStem < bStem;
  return std::strtoul(a + aStem, nullptr, 10) < std::strtoul(b + bStem, nullptr, 10);
}
#endif

}  // namespace

bool CollectScanTargets(const char* const* portNames, int32_t portCount, ScanTargets* targets) {
  targets->scanAllComPorts = false;
  targets->count = 0;
  if (portCount == 0) {
#ifdef _WIN32
    targets->scanAllComPorts = true;
#else
    ListSerialDevices(targets);
#endif
    return true;
  }
  for (int32_t i = 0; i < portCount; ++i)
    if (!AddTarget(targets, portNames[i])) return false;
  return true;
}

void FormatScanEntry(const ScanTargets& targets, int32_t slot, char* entry, size_t entrySize) {
  if (targets.scanAllComPorts) {
    FormatModemEntry(slot, entry, entrySize);
    return;
  }
  const int32_t target = g_App.ModemPortNumbers[slot];
  FormatModemPathEntry(slot, target >= 0 && target < targets.count ? targets.names[target] : "", entry,
                       entrySize);
}

void ListSerialDevices(ScanTargets* targets) {
#ifndef _WIN32
  glob_t found{};
  glob("/dev/ttyUSB*", 0, nullptr, &found);
  glob("/dev/ttyACM*", GLOB_APPEND, nullptr, &found);
  std::sort(found.gl_pathv, found.gl_pathv + found.gl_pathc, NaturalLess);
  for (size_t i = 0; i < found.gl_pathc; ++i) AddTarget(targets, found.gl_pathv[i]);
  globfree(&found);
#else
  (void)targets;
#endif
}
