// brenvaltor-cli: the modem report and a one-shot AT exchange from a
// terminal, on Windows (COM5) and Linux (/dev/ttyUSB0), with the same core as
// the window.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <time.h>
#endif

#include "cli/exchange_trace.h"
#include "cli/report_output.h"
#include "cli/scan_targets.h"
#include "report/query.h"
#include "report/router_query.h"
#include "serial/port_scan.h"
#include "serial/serial_port.h"
#include "sticks/router_sticks.h"
#include "sticks/stick_devices.h"
#include "terminal/terminal.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitPortFailed = 1;
constexpr int kExitUsage = 2;

#ifndef BRENVALTOR_VERSION
#error "BRENVALTOR_VERSION comes from the project version in CMakeLists.txt"
#endif

constexpr const char* kUsage =
    "usage: brenvaltor-cli report [--json] PORT|http://ADDRESS[:PORT]\n"
    "       brenvaltor-cli send PORT COMMAND\n"
    "       brenvaltor-cli scan [--wait SECONDS] [PORT...]\n"
    "       brenvaltor-cli --help | --version\n"
    "\n"
    "  report  query the modem on PORT and print its 28 report rows\n"
    "          (--json: the rows as one JSON object); http://ADDRESS reads\n"
    "          them from the web interface of a stick on router firmware\n"
    "  send    send one AT command (e.g. AT+CSQ) and print the raw reply\n"
    "  scan    list the modems that answer, one \"MODEL (PORT)\" line each; when\n"
    "          none does, say what state the vendor's USB sticks are in\n"
    "          (--wait: scan again, once a second at most, until a modem\n"
    "          answers or SECONDS have passed)\n"
    "  --trace FILE  (with any command) write every exchange to FILE as a\n"
    "          modem-sim profile, IMEI and IMSI masked\n"
    "\n"
#ifdef _WIN32
    "PORT is a COM port name such as COM5. scan without ports probes COM1 to COM254.\n";
#else
    "PORT is a serial device path such as /dev/ttyUSB0. scan without ports probes\n"
    "the /dev/ttyUSB* and /dev/ttyACM* devices that exist.\n";
#endif

// Asked for (--help): standard output, success. Bad usage: standard error.
int PrintUsage(bool asked) {
  std::fputs(kUsage, asked ? stdout : stderr);
  return asked ? kExitOk : kExitUsage;
}

// What the user can do about a port that does not open, by cause. The
// busy case names the usual holder: on Linux ModemManager grabs modem ports
// as soon as they appear, on Windows the stick's own connection software
// keeps its port open while it runs.
constexpr struct {
  PortOpenError cause;
  const char* text;
} kOpenFailureTexts[] = {
    {kPortMissing, "no such device"},
    {kPortNotSerial, "not a serial port"},
#ifdef _WIN32
    // (Windows reports a COM port another program holds as access denied:
    // that is the busy case there.)
    {kPortBusy, "in use by another program (close the stick's own connection software)"},
#else
    {kPortDenied, "permission denied (add your user to the dialout group, then log in again)"},
    {kPortBusy,
     "in use by another program (ModemManager often holds modem ports: stop it, or tell it to leave "
     "this port alone)"},
#endif
};

int ReportPortFailure(const char* portName) {
  const PortOpenError cause = LastPortOpenError();
  for (const auto& failure : kOpenFailureTexts) {
    if (failure.cause != cause) continue;
    std::fprintf(stderr, "brenvaltor-cli: cannot open port %s: %s\n", portName, failure.text);
    return kExitPortFailed;
  }
  std::fprintf(stderr, "brenvaltor-cli: cannot open port %s\n", portName);
  return kExitPortFailed;
}

void PrintReport(bool json) {
  if (json)
    PrintReportJson(stdout);
  else
    PrintReportLines(stdout);
}

// A stick on router firmware, by its web address. A dead address is an
// error (exit 1, no rows); a stick that wants its web password for some
// documents gets the rows it gave and a note.
int RunRouterReport(const char* url, bool json) {
  RouterAddress address;
  if (!ParseRouterAddress(url, &address)) {
    std::fprintf(stderr, "brenvaltor-cli: not a web address of a stick: %s (http://ADDRESS[:PORT])\n", url);
    return kExitUsage;
  }
  RouterQueryResult result;
  QueryRouterAt(address, &result);
  switch (result.outcome) {
    case kRouterNoAnswer:
      std::fprintf(stderr,
                   "brenvaltor-cli: no answer from %s (gave up after %.1f s): the stick is not there, or not "
                   "in router "
                   "mode\n",
                   url, result.elapsedMs / 1000.0);
      if (result.documentsRead == 0) return kExitPortFailed;
      break;
    case kRouterNotWebInterface:
      std::fprintf(stderr, "brenvaltor-cli: %s answered, but not as a stick's web interface\n", url);
      return kExitPortFailed;
    case kRouterSessionRefused:
      std::fprintf(stderr, "brenvaltor-cli: %s refused the session after a fresh handshake\n", url);
      if (result.documentsRead == 0) return kExitPortFailed;
      break;
    case kRouterLoginRequired:
      std::fprintf(stderr,
                   "brenvaltor-cli: the stick at %s asks for its web password for some of its pages; "
                   "the rows show what it gave without one\n",
                   url);
      break;
    case kRouterRead: break;
  }
  PrintReport(json);
  return kExitOk;
}

int RunReport(const char* portName, bool json) {
  if (IsRouterUrl(portName)) return RunRouterReport(portName, json);
  char path[kShortTextSize];
  DevicePathFromPortName(portName, path, sizeof path);
  if (QueryModemAtPath(path) != 0) return ReportPortFailure(portName);
  PrintReport(json);
  return kExitOk;
}

void PauseMs(int64_t ms) {
  if (ms <= 0) return;
#ifdef _WIN32
  Sleep(static_cast<DWORD>(ms));
#else
  const timespec pause = {static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
  nanosleep(&pause, nullptr);
#endif
}

int64_t MsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
      .count();
}

// The vendor's sticks as the system shows them. The tests point the Linux
// reader at a fixture tree (holding sys/ and proc/net/route) through
// BRENVALTOR_TEST_STICK_ROOT; nothing else reads that variable.
void ReadSticks(StickDeviceList* list) {
#ifndef _WIN32
  if (const char* root = std::getenv("BRENVALTOR_TEST_STICK_ROOT")) {
    char sysRoot[kShortTextSize * 2];
    char routePath[kShortTextSize * 2];
    std::snprintf(sysRoot, sizeof sysRoot, "%.256s/sys", root);
    std::snprintf(routePath, sizeof routePath, "%.256s/proc/net/route", root);
    ReadStickDevicesUnder(sysRoot, routePath, list);
    return;
  }
#endif
  ReadStickDevices(list);
}

// No modem answered: one line on standard error per stick of the vendor
// that the system shows, saying what state it is in, or that there is none.
void PrintStickDiagnosis(const StickDeviceList& sticks) {
  char line[kShortTextSize * 2];
  if (sticks.Count == 0) {
    DescribeNoStick(kNativeCliAudience, line, sizeof line);
    std::fprintf(stderr, "brenvaltor-cli: %s\n", line);
  }
  for (int32_t i = 0; i < sticks.Count; ++i) {
    const StickDevice& stick = sticks.Devices[i];
    const StickPortsCheck ports =
        ClassifyStick(stick) == kStickPortsSilent ? CheckStickPorts(stick) : kPortsNotChecked;
    DescribeStick(stick, ports, kNativeCliAudience, line, sizeof line);
    std::fprintf(stderr, "brenvaltor-cli: %s\n", line);
  }
}

// --wait SECONDS in front of the ports: how long to wait for a modem
// (0 without the option); false for a bad number.
bool TakeWaitOption(const char* const** portNames, int32_t* portCount, int64_t* waitMs) {
  *waitMs = 0;
  if (*portCount == 0 || std::string_view((*portNames)[0]) != "--wait") return true;
  if (*portCount < 2) return false;
  char* end = nullptr;
  const long seconds = std::strtol((*portNames)[1], &end, 10);
  if (end == (*portNames)[1] || *end != '\0' || seconds < 0 || seconds > 86400) return false;
  *waitMs = static_cast<int64_t>(seconds) * 1000;
  *portNames += 2;
  *portCount -= 2;
  return true;
}

int RunScan(const char* const* portNames, int32_t portCount) {
  static ScanTargets targets;  // 130 KB: not on the stack
  int64_t waitMs = 0;
  if (!TakeWaitOption(&portNames, &portCount, &waitMs)) return PrintUsage(false);
  // A stick plugged in while waiting shows new ports: the list of ports is
  // taken anew for every round. Rounds start at least a second apart.
  constexpr int64_t kPollIntervalMs = 1000;
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    const int64_t roundStartMs = MsSince(start);
    if (!CollectScanTargets(portNames, portCount, &targets)) {
      std::fputs("brenvaltor-cli: a scan takes port names such as COM5\n", stderr);
      return kExitUsage;
    }
    if (targets.scanAllComPorts)
      ScanModemPorts();
    else
      ScanModemPaths(targets.pathList, targets.count);
    if (g_App.ModemCount != 0 || MsSince(start) >= waitMs) break;
    const int64_t nextRoundMs = roundStartMs + kPollIntervalMs;
    PauseMs((nextRoundMs < waitMs ? nextRoundMs : waitMs) - MsSince(start));
  }
  // Sticks on router firmware follow the modems, as "MODEL (ADDRESS)";
  // listing them contacts nothing (`report http://ADDRESS` reads one).
  static StickDeviceList sticks;
  ReadSticks(&sticks);
  if (g_App.ModemCount == 0) PrintStickDiagnosis(sticks);
  char entry[kShortTextSize];
  for (int32_t slot = 0; slot < g_App.ModemCount; ++slot) {
    FormatScanEntry(targets, slot, entry, sizeof entry);
    PrintUtf8Line(stdout, entry);
  }
  int32_t routerCount = 0;
  for (int32_t i = 0; i < sticks.Count; ++i) {
    if (!FormatRouterStickEntry(sticks.Devices[i], entry, sizeof entry)) continue;
    PrintUtf8Line(stdout, entry);
    ++routerCount;
  }
  return g_App.ModemCount + routerCount > 0 ? kExitOk : kExitPortFailed;
}

int RunSend(const char* portName, const char* command) {
  if (!CommandFitsLine(command)) {
    std::fprintf(stderr, "brenvaltor-cli: the command is longer than %zu characters\n", kMaxCommandLength);
    return kExitUsage;
  }
  char path[kShortTextSize];
  DevicePathFromPortName(portName, path, sizeof path);
  const int32_t count = SendTerminalCommand(path, command, g_App.ReceiveBuffer);
  if (count < 0) return ReportPortFailure(portName);
  std::fwrite(g_App.ReceiveBuffer, 1, static_cast<size_t>(count), stdout);
  return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  // Bytes out exactly as on Linux: no LF -> CR LF translation.
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  if (argc < 2) return PrintUsage(false);
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--help" || argument == "-h") return PrintUsage(true);
  }
  if (!TakeTraceOption(&argc, argv)) return PrintUsage(false);
  const std::string_view verb = argv[1];
  if (verb == "--version" && argc == 2) {
    std::puts("brenvaltor-cli " BRENVALTOR_VERSION);
    return kExitOk;
  }
  if (verb == "report" && argc == 3) return RunReport(argv[2], false);
  if (verb == "report" && argc == 4 && std::string_view(argv[2]) == "--json") return RunReport(argv[3], true);
  if (verb == "scan") return RunScan(argv + 2, argc - 2);
  if (verb == "send" && argc == 4) return RunSend(argv[2], argv[3]);
  return PrintUsage(false);
}
