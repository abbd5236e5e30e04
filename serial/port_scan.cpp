// The port scan and the selector entry texts.
#include "serial/port_scan.h"

#include <cstdio>
#include <cstring>

#include "base/app_state.h"
#include "base/bounded_text.h"
#include "base/reply_value.h"
#include "base/unsolicited.h"
#include "serial/serial_port.h"

namespace {

// Opens one port and asks for the model. A port that does not exist or is
// busy fails in the open and costs no wait; a silent one costs the two
// reader-thread waits.
void ProbeModemPort(const char* devicePath, int32_t portNumber) {
  if (g_App.ModemCount >= kMaxModems) return;
  const PortHandle port = OpenConfiguredPort(devicePath);
  if (port == kInvalidPort) return;
  char* const reply = g_App.ReceiveBuffer;
  // Echo off first, so that the model reply does not begin with the echo.
  SendAtCommand(port, "ATE0", true, kScanTimeoutMs, reply);
  const uint32_t count = SendAtCommand(port, "AT+CGMM", true, kScanTimeoutMs, reply);
  if (count != 0 && reply[0] != '\0' && !HoldsOnlyUnsolicitedReports(reply, count)) {
    // Any answer counts: ERROR is listed as the model ERROR, a bare OK as
    // an empty model name. Unsolicited reports alone are no answer.
    TakeReplyValue(reply, "", g_App.ValueBuffer);
    const int32_t slot = g_App.ModemCount;
    g_App.ModemPortNumbers[slot] = portNumber;
    CopyText(g_App.ModemModelNames[slot], kModelNameSize, g_App.ValueBuffer);
    ++g_App.ModemCount;
  }
  ClosePort(port);
}

void ResetModemTables() {
  std::memset(g_App.ModemPortNumbers, 0, sizeof g_App.ModemPortNumbers);
  std::memset(g_App.ModemModelNames, 0, sizeof g_App.ModemModelNames);
  g_App.ModemCount = 0;
}

// "MODEL (PORT)" within entrySize - 1 characters: the port part is kept
// whole and the model name cut to what is left.
void FormatEntry(int32_t slot, const char* portText, char* entry, size_t entrySize) {
  if (entrySize == 0) return;
  entry[0] = '\0';
  if (slot < 0 || slot >= g_App.ModemCount) return;
  char suffix[kShortTextSize];
  const int suffixLength = std::snprintf(suffix, sizeof suffix, " (%s)", portText);
  const size_t room = entrySize - 1;
  if (suffixLength < 0 || static_cast<size_t>(suffixLength) >= sizeof suffix ||
      static_cast<size_t>(suffixLength) > room)
    return;
  const size_t modelLength = CopyText(entry, room - suffixLength + 1, g_App.ModemModelNames[slot]);
  std::memcpy(entry + modelLength, suffix, static_cast<size_t>(suffixLength) + 1);
}

}  // namespace

void ScanModemPorts() {
  ResetModemTables();
  char path[kShortTextSize];
  for (int32_t n = kFirstComPort; n <= kLastComPort; ++n) {
    std::snprintf(path, sizeof path, "\\\\.\\COM%d", n);
    ProbeModemPort(path, n);
  }
}

void ScanModemPaths(const char* const* paths, int32_t pathCount) {
  ResetModemTables();
  for (int32_t i = 0; i < pathCount; ++i) ProbeModemPort(paths[i], i);
}

void FormatModemEntry(int32_t slot, char* entry, size_t entrySize) {
  char port[32];
  std::snprintf(port, sizeof port, "COM%d",
                slot >= 0 && slot < kMaxModems ? g_App.ModemPortNumbers[slot] : 0);
  FormatEntry(slot, port, entry, entrySize);
}

void FormatModemPathEntry(int32_t slot, const char* path, char* entry, size_t entrySize) {
  FormatEntry(slot, path, entry, entrySize);
}
