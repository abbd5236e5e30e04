// The port scan and the selector entry texts.
#include "serial/port_scan.h"

#include <cstdio>
#include <cstring>

#include "base/app_state.h"
#include "base/bounded_text.h"
#include "base/reply_value.h"
#include "serial/serial_port.h"

namespace {

// The probes of one round: every port of it at the same time, each with its
// own reply buffer. The buffers are zero pages until a port that opened
// reads into them (a port that does not open never touches its buffer),
// so the 16 MiB cost the scan nothing but the replies it actually receives.
// Scans are not run concurrently with each other (the window scans once at
// start-up, the command-line tool once per run).
constexpr int32_t kProbeSlots = kLastComPort - kFirstComPort + 1;
static_assert(kProbeSlots <= kMaxSideBySideJobs);

// Whether the port of each slot answered AT+CGMM; its answer is in the
// slot's reply buffer.
bool g_ProbeAnswered[kProbeSlots];
char g_ProbeReplies[kProbeSlots][kTextBufferSize];
// A path of the round that names the same device as an earlier path: not
// probed (its probe would find the port busy with the earlier one's).
bool g_ProbeRepeats[kProbeSlots];

// Opens one port and asks for the model; runs on a thread of its own.
// context: the round's device paths. A port that does not exist or is busy
// fails in the open and costs no wait; a silent one costs the two 1 s waits.
void ProbeModemPort(void* context, int32_t slot) {
  const char* const* paths = static_cast<const char* const*>(context);
  char* const reply = g_ProbeReplies[slot];
  g_ProbeAnswered[slot] = false;
  if (g_ProbeRepeats[slot]) return;
  const PortHandle port = OpenConfiguredPort(paths[slot]);
  if (port == kInvalidPort) return;
  // Echo off first, so that the model reply does not begin with the echo.
  // Both are read as the query reads them: a stick that echoes and reports
  // at once and answers 150 ms later is read on to its answer, and an
  // answer that has begun is read to its end (within kAnswerBoundMs), never
  // cut by the wait: a cut answer would leave the probe's verdict to the
  // timing of the reads (under wine above all).
  uint32_t count = 0;
  SendForAnswer(port, "ATE0", kScanTimeoutMs, kAnswerBoundMs, nullptr, reply, &count);
  const AnswerOutcome outcome =
      SendForAnswer(port, "AT+CGMM", kScanTimeoutMs, kAnswerBoundMs, nullptr, reply, &count);
  // Unsolicited reports and the echo alone are no answer.
  g_ProbeAnswered[slot] =
      outcome == kAnswerRead && reply[0] != '\0' && ReplyHoldsAnswer(reply, count, "AT+CGMM");
  ClosePort(port);
}

// Path names compared as Windows compares COM port names: ignoring ASCII
// case (\\.\COM5 and \\.\com5 are one port). A Linux path whose device
// number is unknown is no serial port anyway.
bool SamePathName(const char* a, const char* b) {
  for (; *a != '\0' && *b != '\0'; ++a, ++b) {
    const char lowerA = *a >= 'A' && *a <= 'Z' ? static_cast<char>(*a - 'A' + 'a') : *a;
    const char lowerB = *b >= 'A' && *b <= 'Z' ? static_cast<char>(*b - 'A' + 'a') : *b;
    if (lowerA != lowerB) return false;
  }
  return *a == *b;
}

// Whether paths[index] leads to the same device as one of the paths before
// it (a link and its target). Only the first name given is probed and
// listed: probed side by side, either name could win the port.
bool RepeatsEarlierPath(const char* const* paths, int32_t index) {
  const uint64_t device = PortDeviceId(paths[index]);
  for (int32_t i = 0; i < index; ++i) {
    const bool same = device != 0 ? PortDeviceId(paths[i]) == device : SamePathName(paths[i], paths[index]);
    if (same) return true;
  }
  return false;
}

// Records the answers of one round, each in its place by port number (the
// modems already listed stay). Any answer counts: ERROR is listed as the
// model ERROR, a bare OK as an empty model name.
void RecordAnswers(int32_t probeCount, const int32_t* portNumbers, int32_t first) {
  for (int32_t slot = 0; slot < probeCount && g_App.ModemCount < kMaxModems; ++slot) {
    if (!g_ProbeAnswered[slot]) continue;
    TakeReplyValue(g_ProbeReplies[slot], "", g_App.ValueBuffer);
    const int32_t number = portNumbers != nullptr ? portNumbers[first + slot] : first + slot;
    int32_t modem = g_App.ModemCount++;
    for (; modem > 0 && g_App.ModemPortNumbers[modem - 1] > number; --modem) {
      g_App.ModemPortNumbers[modem] = g_App.ModemPortNumbers[modem - 1];
      std::memcpy(g_App.ModemModelNames[modem], g_App.ModemModelNames[modem - 1], kModelNameSize);
    }
    g_App.ModemPortNumbers[modem] = number;
    CopyText(g_App.ModemModelNames[modem], kModelNameSize, g_App.ValueBuffer);
  }
}

// Probes paths[0..count) side by side in rounds of kProbeSlots; paths[i]
// has the port number portNumbers[i] (i without the numbers). With skipRepeats, a path that leads
// to the device of an earlier one is left out.
void ProbePaths(const char* const* paths, int32_t count, const int32_t* portNumbers, bool skipRepeats) {
  for (int32_t first = 0; first < count; first += kProbeSlots) {
    const int32_t probeCount = count - first < kProbeSlots ? count - first : kProbeSlots;
    for (int32_t slot = 0; slot < probeCount; ++slot)
      g_ProbeRepeats[slot] = skipRepeats && RepeatsEarlierPath(paths, first + slot);
    void* const round = const_cast<const char**>(paths + first);
    // A traced scan (the command-line tool's --trace) probes one port after
    // the other: the trace records each exchange as one run of reads, which
    // probes side by side would interleave.
    if (g_App.TraceSink != nullptr) {
      for (int32_t slot = 0; slot < probeCount; ++slot) ProbeModemPort(round, slot);
    } else {
      RunSideBySide(ProbeModemPort, round, probeCount);
    }
    RecordAnswers(probeCount, portNumbers, first);
  }
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
  static int32_t numbers[kProbeSlots];
  for (int32_t n = kFirstComPort; n <= kLastComPort; ++n) numbers[n - kFirstComPort] = n;
  AddModemsOnPorts(numbers, kProbeSlots);
}

void AddModemsOnPorts(const int32_t* portNumbers, int32_t count) {
  static char comPaths[kProbeSlots][16];
  static const char* comPathList[kProbeSlots];
  if (count > kProbeSlots) count = kProbeSlots;
  for (int32_t i = 0; i < count; ++i) {
    std::snprintf(comPaths[i], sizeof comPaths[0], "\\\\.\\COM%d", static_cast<int>(portNumbers[i]));
    comPathList[i] = comPaths[i];
  }
  ProbePaths(comPathList, count, portNumbers, false);
}

void ScanModemPaths(const char* const* paths, int32_t pathCount) {
  ResetModemTables();
  ProbePaths(paths, pathCount, nullptr, true);
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
