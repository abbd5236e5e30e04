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
#include <sys/stat.h>
#include <time.h>
#endif

#include <string>

#include "cli/report_output.h"
#include "cli/scan_targets.h"
#include "report/query.h"
#include "report/router_query.h"
#include "report/router_rows.h"
#include "serial/port_scan.h"
#include "serial/serial_port.h"
#include "sticks/router_sticks.h"
#include "sticks/stick_devices.h"
#include "terminal/terminal.h"
#include "trace/exchange_trace.h"
#include "trace/trace_file.h"

namespace {

constexpr int kExitOk = 0;
// A port that does not open, a scan that finds no modem, a modem that
// stops answering in the middle of a report, a trace that cannot be written.
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

#ifndef BRENVALTOR_VERSION
#error "BRENVALTOR_VERSION comes from the project version in CMakeLists.txt"
#endif

constexpr const char* kUsage =
    "usage: brenvaltor-cli report [--json] [--trace FILE] [--] PORT|http://ADDRESS[:PORT]\n"
    "       brenvaltor-cli send [--trace FILE] [--] PORT COMMAND\n"
    "       brenvaltor-cli scan [--wait SECONDS] [--trace FILE] [--] [PORT...]\n"
    "       brenvaltor-cli --help | --version\n"
    "\n"
    "  report  query the modem on PORT and print its 28 report rows\n"
    "          (--json: the rows as one JSON object); http://ADDRESS reads\n"
    "          them from the web interface of a stick on router firmware\n"
    "  send    send one AT command (e.g. AT+CSQ) and print the raw reply\n"
    "  scan    list the modems that answer, one \"MODEL (PORT)\" line each, then\n"
    "          the sticks on router firmware, one \"MODEL (ADDRESS)\" line each;\n"
    "          when there are none, say what state the vendor's USB sticks are\n"
    "          in (exit status 1). --wait: scan again, once a second at most,\n"
    "          until a modem answers or SECONDS have passed\n"
    "  --trace FILE  write every exchange to FILE as a modem-sim profile,\n"
    "          personal numbers (IMEI, IMSI, PIN...) masked\n"
    "  --      ends the options, for a port whose name starts with '-'\n"
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

// The cause to tell the user. Permission matters only for a device: a
// regular file the user may not read is no serial port whoever opens it,
// and the dialout group would not help.
PortOpenError CauseToTell(const char* path) {
  const PortOpenError cause = LastPortOpenError();
#ifndef _WIN32
  struct stat info {};
  if (cause == kPortDenied && stat(path, &info) == 0 && !S_ISCHR(info.st_mode)) return kPortNotSerial;
#else
  (void)path;
#endif
  return cause;
}

int ReportPortFailure(const char* portName, const char* path) {
  const PortOpenError cause = CauseToTell(path);
  for (const auto& failure : kOpenFailureTexts) {
    if (failure.cause != cause) continue;
    std::fprintf(stderr, "brenvaltor-cli: cannot open port %s: %s\n", portName, failure.text);
    return kExitFailed;
  }
  std::fprintf(stderr, "brenvaltor-cli: cannot open port %s\n", portName);
  return kExitFailed;
}

void PrintReport(bool json) {
  if (json)
    PrintReportJson(stdout);
  else
    PrintReportLines(stdout);
}

// A stick on router firmware, by its web address. A dead address is an
// error (exit 1, no rows); a stick that stopped answering part-way gets the
// rows it gave and exit 1, as a serial modem that stopped answering; a
// stick that wants its web password for some documents gets the rows it
// gave and a note.
int RunRouterReport(const char* url, bool json) {
  RouterAddress address;
  if (!ParseRouterAddress(url, &address)) {
    std::fprintf(stderr, "brenvaltor-cli: not a web address of a stick: %s (http://ADDRESS[:PORT])\n", url);
    return kExitUsage;
  }
  RouterQueryResult result;
  QueryRouterAt(address, &result);
  char text[kShortTextSize * 2];
  bool rowsShown = true, failed = false;
  const bool told = DescribeRouterOutcome(result, true, url, text, sizeof text, &rowsShown, &failed);
  if (rowsShown) PrintReport(json);
  std::fflush(stdout);
  if (told) std::fprintf(stderr, "brenvaltor-cli: %s\n", text);
  return failed ? kExitFailed : kExitOk;
}

int RunReport(const char* portName, bool json) {
  if (IsRouterUrl(portName)) return RunRouterReport(portName, json);
  char path[kShortTextSize];
  DevicePathFromPortName(portName, path, sizeof path);
  int32_t unansweredStep = 0;
  const int32_t result = QueryModemAtPath(path, &unansweredStep);
  if (result == kQueryPortFailed) return ReportPortFailure(portName, path);
  // A modem that stopped answering, or whose answer did not end, still gets
  // the rows it gave.
  PrintReport(json);
  if (result != kQueryModemStopped && result != kQueryModemBabbling) return kExitOk;
  std::fflush(stdout);
  if (result == kQueryModemStopped)
    std::fprintf(stderr, "brenvaltor-cli: no answer to %s; the modem stopped answering\n",
                 QueryStepAt(unansweredStep).command);
  else
    std::fprintf(stderr, "brenvaltor-cli: %s got no proper answer; the modem is not answering properly\n",
                 QueryStepAt(unansweredStep).command);
  return kExitFailed;
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

// The sticks on router firmware among `sticks`, as "MODEL (ADDRESS)"
// entries printed to `out` when it is given; returns how many there are.
int32_t PrintRouterEntries(const StickDeviceList& sticks, FILE* out) {
  char entry[kShortTextSize];
  int32_t count = 0;
  for (int32_t i = 0; i < sticks.Count; ++i) {
    if (!FormatRouterStickEntry(sticks.Devices[i], entry, sizeof entry)) continue;
    if (out != nullptr) PrintUtf8Line(out, entry);
    ++count;
  }
  return count;
}

// waitMs: scan again until a modem answers, a stick on router firmware
// shows its network adapter, or this much time has passed.
int RunScan(const char* const* portNames, int32_t portCount, int64_t waitMs) {
  static ScanTargets targets;  // 130 KB: not on the stack
  // Sticks on router firmware follow the modems, as "MODEL (ADDRESS)";
  // listing them contacts nothing (`report http://ADDRESS` reads one).
  static StickDeviceList sticks;
  // A stick plugged in while waiting shows new ports (or its adapter): the
  // ports and the sticks are taken anew for every round. Rounds start at
  // least a second apart.
  constexpr int64_t kPollIntervalMs = 1000;
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    const int64_t roundStartMs = MsSince(start);
    // (OperandsFit has checked the names and their number.)
    if (!CollectScanTargets(portNames, portCount, &targets)) return kExitUsage;
    if (targets.scanAllComPorts)
      ScanModemPorts();
    else
      ScanModemPaths(targets.pathList, targets.count);
    ReadSticks(&sticks);
    if (g_App.ModemCount != 0 || PrintRouterEntries(sticks, nullptr) != 0 || MsSince(start) >= waitMs) break;
    const int64_t nextRoundMs = roundStartMs + kPollIntervalMs;
    PauseMs((nextRoundMs < waitMs ? nextRoundMs : waitMs) - MsSince(start));
  }
  if (g_App.ModemCount == 0) {
    PrintNothingFound(stderr, targets);
    PrintStickDiagnosis(sticks);
  }
  char entry[kShortTextSize];
  for (int32_t slot = 0; slot < g_App.ModemCount; ++slot) {
    FormatScanEntry(targets, slot, entry, sizeof entry);
    PrintUtf8Line(stdout, entry);
  }
  const int32_t routerCount = PrintRouterEntries(sticks, stdout);
  return g_App.ModemCount + routerCount > 0 ? kExitOk : kExitFailed;
}

int RunSend(const char* portName, const char* command) {
  char path[kShortTextSize];
  DevicePathFromPortName(portName, path, sizeof path);
  const int32_t count = SendTerminalCommand(path, command, g_App.ReceiveBuffer);
  if (count < 0) return ReportPortFailure(portName, path);
  std::fwrite(g_App.ReceiveBuffer, 1, static_cast<size_t>(count), stdout);
  return kExitOk;
}

// The command line once its options are taken out: the verb and its
// operands, in order, and what the options asked for.
struct CommandLine {
  bool help;
  bool version;
  bool json;
  const char* tracePath;
  int64_t waitMs;               // scan --wait; -1 without it
  const char* const* operands;  // operands[0] is the verb
  int operandCount;
};

// Takes the options out of argv (anywhere before "--"; the operands are
// moved to the front of argv + 1). False, with the reason on stderr, for an
// option that is not ours, a second --trace or one without a file.
bool ParseCommandLine(int argc, char** argv, CommandLine* line) {
  *line = {};
  line->waitMs = -1;
  char** operands = argv + 1;
  int count = 0;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (optionsEnded || argument.empty() || argument[0] != '-') {
      operands[count++] = argv[i];
    } else if (argument == "--") {
      optionsEnded = true;
    } else if (argument == "--help" || argument == "-h") {
      line->help = true;
    } else if (argument == "--version") {
      line->version = true;
    } else if (argument == "--json") {
      line->json = true;
    } else if (argument == "--trace") {
      if (line->tracePath != nullptr) {
        std::fputs("brenvaltor-cli: --trace is given twice\n", stderr);
        return false;
      }
      if (i + 1 >= argc || argv[i + 1][0] == '\0') {
        std::fputs("brenvaltor-cli: --trace needs a file name\n", stderr);
        return false;
      }
      line->tracePath = argv[++i];
    } else if (argument == "--wait") {
      char* end = nullptr;
      const long seconds = i + 1 < argc ? std::strtol(argv[i + 1], &end, 10) : -1;
      if (line->waitMs >= 0 || end == argv[i + 1] || *end != '\0' || seconds < 0 || seconds > 86400) {
        std::fputs("brenvaltor-cli: --wait takes a number of seconds (0 to 86400), once\n", stderr);
        return false;
      }
      line->waitMs = static_cast<int64_t>(seconds) * 1000;
      ++i;
    } else {
      std::fprintf(stderr, "brenvaltor-cli: unknown option %s\n", argv[i]);
      return false;
    }
  }
  line->operands = operands;
  line->operandCount = count;
  return true;
}

enum Verb { kVerbNone, kVerbReport, kVerbSend, kVerbScan };

// What the operands ask for; kVerbNone for anything that is bad usage.
Verb VerbOf(const CommandLine& line) {
  const std::string_view verb = line.operandCount > 0 ? line.operands[0] : "";
  if (verb == "scan" && !line.json) return kVerbScan;
  if (line.waitMs >= 0) return kVerbNone;
  if (verb == "report" && line.operandCount == 2) return kVerbReport;
  if (line.json) return kVerbNone;
  if (verb == "send" && line.operandCount == 3) return kVerbSend;
  return kVerbNone;
}

// Every port named must fit its buffers, or the tool would open another
// one, and a command must fit its line: both are refused before any port
// is touched.
bool OperandsFit(const CommandLine& line, Verb verb) {
  const int lastPort = verb == kVerbScan ? line.operandCount - 1 : 1;
  if (lastPort > kMaxScanTargets) {
    std::fprintf(stderr, "brenvaltor-cli: a scan takes at most %d ports\n",
                 static_cast<int>(kMaxScanTargets));
    return false;
  }
  for (int i = 1; i <= lastPort; ++i) {
    if (PortNameFits(line.operands[i])) continue;
    std::fprintf(stderr, "brenvaltor-cli: a port name may be at most %zu characters; this one has %zu\n",
                 LongestPortName(), std::strlen(line.operands[i]));
    return false;
  }
  if (verb == kVerbSend && !CommandFitsLine(line.operands[2])) {
    std::fprintf(stderr, "brenvaltor-cli: the command is longer than %zu characters\n", kMaxCommandLength);
    return false;
  }
  return true;
}

int RunVerb(const CommandLine& line, Verb verb) {
  switch (verb) {
    case kVerbReport: return RunReport(line.operands[1], line.json);
    case kVerbSend: return RunSend(line.operands[1], line.operands[2]);
    case kVerbScan:
      return RunScan(line.operands + 1, line.operandCount - 1, line.waitMs < 0 ? 0 : line.waitMs);
    case kVerbNone: break;
  }
  return PrintUsage(false);
}

// The trace of the run goes to its file only once the command is done; a
// trace that cannot be written fails the run, whatever the modem did.
int FinishTrace(TraceTarget* target, int status) {
  std::string profile;
  FormatTraceProfile(&profile);
  char reason[kShortTextSize];
  if (WriteTraceTarget(target, profile.data(), profile.size(), reason, sizeof reason)) return status;
  std::fprintf(stderr, "brenvaltor-cli: cannot write the trace %s: %s\n", target->path, reason);
  return status == kExitOk ? kExitFailed : status;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  // Bytes out exactly as on Linux: no LF -> CR LF translation.
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  CommandLine line;
  if (!ParseCommandLine(argc, argv, &line)) return PrintUsage(false);
  if (line.help) return PrintUsage(true);
  if (line.version) {
    if (line.operandCount != 0 || line.json || line.tracePath != nullptr) return PrintUsage(false);
    std::puts("brenvaltor-cli " BRENVALTOR_VERSION);
    return kExitOk;
  }
  const Verb verb = VerbOf(line);
  if (verb == kVerbNone) return PrintUsage(false);
  if (!OperandsFit(line, verb)) return kExitUsage;
  if (line.tracePath == nullptr) return RunVerb(line, verb);

  // Every reason not to write the trace is found before the first byte
  // goes to a stick: an ATD must not place a call whose trace is lost.
  char reason[kShortTextSize];
  TraceTarget target;
  if (!OpenTraceTarget(line.tracePath, &target, reason, sizeof reason)) {
    std::fprintf(stderr, "brenvaltor-cli: cannot write the trace %s: %s\n", line.tracePath, reason);
    return kExitFailed;
  }
  g_App.TraceSink = RecordTracedRead;
  g_App.WebTraceSink = RecordTracedDocument;
  const int status = RunVerb(line, verb);
  g_App.TraceSink = nullptr;
  g_App.WebTraceSink = nullptr;
  return FinishTrace(&target, status);
}
