// brenvaltor-cli: the modem report and a one-shot AT exchange from a
// terminal, on Windows (COM5) and Linux (/dev/ttyUSB0), with the same core as
// the window.
#include <cstdio>
#include <cstring>
#include <string_view>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "cli/exchange_trace.h"
#include "cli/report_output.h"
#include "cli/scan_targets.h"
#include "report/query.h"
#include "serial/port_scan.h"
#include "serial/serial_port.h"
#include "terminal/terminal.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitPortFailed = 1;
constexpr int kExitModemStopped = 1;
constexpr int kExitUsage = 2;

#ifndef BRENVALTOR_VERSION
#error "BRENVALTOR_VERSION comes from the project version in CMakeLists.txt"
#endif

constexpr const char* kUsage =
    "usage: brenvaltor-cli report [--json] PORT\n"
    "       brenvaltor-cli send PORT COMMAND\n"
    "       brenvaltor-cli scan [PORT...]\n"
    "       brenvaltor-cli --help | --version\n"
    "\n"
    "  report  query the modem on PORT and print its 28 report rows\n"
    "          (--json: the rows as one JSON object)\n"
    "  send    send one AT command (e.g. AT+CSQ) and print the raw reply\n"
    "  scan    list the modems that answer, one \"MODEL (PORT)\" line each\n"
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

int RunReport(const char* portName, bool json) {
  char path[kShortTextSize];
  DevicePathFromPortName(portName, path, sizeof path);
  int32_t unansweredStep = 0;
  const int32_t result = QueryModemAtPath(path, &unansweredStep);
  if (result == kQueryPortFailed) return ReportPortFailure(portName);
  // A modem that stopped answering still gets the rows it gave.
  if (json)
    PrintReportJson(stdout);
  else
    PrintReportLines(stdout);
  if (result != kQueryModemStopped) return kExitOk;
  std::fflush(stdout);
  std::fprintf(stderr, "brenvaltor-cli: no answer to %s; the modem stopped answering\n",
               QuerySequence[unansweredStep].command);
  return kExitModemStopped;
}

int RunScan(const char* const* portNames, int32_t portCount) {
  static ScanTargets targets;  // 130 KB: not on the stack
  if (!CollectScanTargets(portNames, portCount, &targets)) {
    std::fputs("brenvaltor-cli: a scan takes port names such as COM5\n", stderr);
    return kExitUsage;
  }
  if (targets.scanAllComPorts)
    ScanModemPorts();
  else
    ScanModemPaths(targets.pathList, targets.count);
  char entry[kShortTextSize];
  for (int32_t slot = 0; slot < g_App.ModemCount; ++slot) {
    FormatScanEntry(targets, slot, entry, sizeof entry);
    PrintUtf8Line(stdout, entry);
  }
  return kExitOk;
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
