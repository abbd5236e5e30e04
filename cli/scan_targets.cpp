// Building the list of ports to scan.
#include "cli/scan_targets.h"

#include <algorithm>
#include <cstdio>
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
  if (targets->count >= kMaxScanTargets || !PortNameFits(name)) return false;
  const int32_t i = targets->count++;
  CopyText(targets->names[i], kShortTextSize, name);
  DevicePathFromPortName(name, targets->paths[i], kShortTextSize);
  targets->pathList[i] = targets->paths[i];
  return true;
}

#ifndef _WIN32
// The length of name without its trailing number.
size_t StemLength(const char* name) {
  size_t length = std::strlen(name);
  while (length > 0 && name[length - 1] >= '0' && name[length - 1] <= '9') --length;
  return length;
}

// "/dev/ttyUSB10" sorts after "/dev/ttyUSB2": the text before the trailing
// number first, then the number.
bool NaturalLess(const char* a, const char* b) {
  const size_t aStem = StemLength(a);
  const size_t bStem = StemLength(b);
  const int stem = std::strncmp(a, b, std::min(aStem, bStem));
  if (stem != 0 || aStem != bStem) return stem != 0 ? stem < 0 : aStem < bStem;
  const unsigned long aNumber = std::strtoul(a + aStem, nullptr, 10);
  const unsigned long bNumber = std::strtoul(b + bStem, nullptr, 10);
  return aNumber != bNumber ? aNumber < bNumber : std::strcmp(a, b) < 0;
}
#endif

}  // namespace

size_t LongestPortName() {
  char prefix[kShortTextSize];
  DevicePathFromPortName("", prefix, sizeof prefix);
  return kShortTextSize - 1 - std::strlen(prefix);
}

bool PortNameFits(const char* portName) { return std::strlen(portName) <= LongestPortName(); }

bool CollectScanTargets(const char* const* portNames, int32_t portCount, ScanTargets* targets) {
  targets->scanAllComPorts = false;
  targets->count = 0;
  if (portCount == 0) {
#ifdef _WIN32
    targets->scanAllComPorts = true;
#else
    ListSerialDevices("/dev", targets);
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

void ListSerialDevices(const char* directory, ScanTargets* targets) {
#ifndef _WIN32
  char pattern[kShortTextSize];
  glob_t found{};
  std::snprintf(pattern, sizeof pattern, "%s/ttyUSB*", directory);
  glob(pattern, 0, nullptr, &found);
  std::snprintf(pattern, sizeof pattern, "%s/ttyACM*", directory);
  glob(pattern, GLOB_APPEND, nullptr, &found);
  std::sort(found.gl_pathv, found.gl_pathv + found.gl_pathc, NaturalLess);
  for (size_t i = 0; i < found.gl_pathc; ++i) AddTarget(targets, found.gl_pathv[i]);
  globfree(&found);
#else
  (void)directory;
  (void)targets;
#endif
}

void PrintNothingFound(FILE* out, const ScanTargets& targets) {
  std::fputs("brenvaltor-cli: no modem answered on: ", out);
  if (targets.scanAllComPorts)
    std::fputs("COM1 to COM254", out);
  else if (targets.count == 0)
    std::fputs("no port (no /dev/ttyUSB* or /dev/ttyACM* device exists)", out);
  for (int32_t i = 0; i < targets.count; ++i) std::fprintf(out, "%s%s", i == 0 ? "" : ", ", targets.names[i]);
  std::fputc('\n', out);
}
