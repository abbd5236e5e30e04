// The scan as the window shows it: the selector's entries, and when no
// modem and no stick on router firmware is listed, the stick notice in the
// report's place (what the vendor's sticks are doing). The scans run off
// the window's thread (window_work.cpp), behind the busy picture. Device
// changes start a rescan once the devices have been quiet for a while; it
// compares the system's COM ports with those of the last scan and probes
// only the new ones, never the port of the chosen entry or the terminal's.
#include <windows.h>
#include <commctrl.h>
#include <dbt.h>
#include <richedit.h>

#include <cstdio>
#include <cstring>

#include "serial/port_scan.h"
#include "sticks/router_sticks.h"
#include "sticks/stick_devices.h"
#include "ui/rescan_rules.h"
#include "ui/win32/drawing.h"
#include "ui/win32/keyboard_input.h"
#include "ui/win32/wide_text.h"
#include "ui/win32/window_part.h"
#include "ui/win32/window_proc.h"

static_assert(kDeviceArrival == DBT_DEVICEARRIVAL && kDeviceRemoveComplete == DBT_DEVICEREMOVECOMPLETE &&
              kDeviceNodesChanged == DBT_DEVNODES_CHANGED);

namespace {

constexpr UINT_PTR kQuietTimer = 1;
constexpr UINT_PTR kFollowUpTimer = 2;
constexpr int32_t kNoticeSize = 220;
constexpr COLORREF kNoticeColour = kListTextColorRef;

// The vendor's sticks as the last scan found them, and how many of them the
// selector lists as sticks on router firmware.
StickDeviceList g_Sticks;
int32_t g_RouterEntryCount;

// One stick's line of the notice, a paragraph of its own.
void AppendNoticeLine(HWND notice, const char* line) {
  AppendRichText(notice, line, kNoticeSize, CFE_BOLD, kNoticeColour);
  AppendRichText(notice, "\r\r", kNoticeSize, CFE_BOLD, kNoticeColour);
}

// The notice's text: one paragraph per stick, or the "no stick" line.
void FillStickNotice() {
  const HWND notice = Control(kStickNotice);
  SetWindowTextW(notice, L"");
  // (The sticks were read with the selector's entries, just before.)
  char line[kShortTextSize * 2];
  if (g_Sticks.Count == 0) {
    DescribeNoStick(kAudienceWindow, line, sizeof line);
    AppendNoticeLine(notice, line);
  }
  for (int32_t i = 0; i < g_Sticks.Count; ++i) {
    const StickDevice& stick = g_Sticks.Devices[i];
    const StickPortsCheck ports =
        ClassifyStick(stick) == kStickPortsSilent ? CheckStickPorts(stick) : kPortsNotChecked;
    DescribeStick(stick, ports, kAudienceWindow, line, sizeof line);
    AppendNoticeLine(notice, line);
  }
  // A screen reader reads on from the caret: it starts at the top.
  SendMessageW(notice, EM_SETSEL, 0, 0);
}

// Whether a command holds the window; device changes wait.
bool g_CommandRunning;
// Whether the follow-up scan is to come, or was had.
FollowUpState g_FollowUp;
// The modems the selector lists (the tables in g_App change while a scan
// runs).
int32_t g_ListedModemCount;
// The COM ports as the last scan found them, and the port the terminal
// last talked to.
ComPortSet g_PortsAtLastScan;
int32_t g_TerminalPort;

// Which COM ports exist. Windows names each one in its DOS device list;
// under wine a port the prefix links to a device file is found only by
// opening it, without asking for access and without sending anything.
void ListComPorts(ComPortSet* ports) {
  std::memset(ports, 0, sizeof *ports);
  char name[16];
  char target[512];
  for (int32_t port = 1; port < kComPortSetSize; ++port) {
    std::snprintf(name, sizeof name, "COM%d", static_cast<int>(port));
    if (QueryDosDeviceA(name, target, sizeof target) != 0) {
      ports->has[port] = true;
      continue;
    }
    char path[24];
    std::snprintf(path, sizeof path, "\\\\.\\%s", name);
    const HANDLE handle =
        CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) continue;
    CloseHandle(handle);
    ports->has[port] = true;
  }
}

// What the scan on the worker thread reads and leaves: the kind of scan,
// the spared ports, the ports found and those probed, and the modems'
// ports before it.
struct ScanOrder {
  bool quiet;
  int32_t spared[2];
  int32_t sparedCount;
  ComPortSet now;
  int32_t probe[kComPortSetSize];
  int32_t probeCount;
  int32_t before[kMaxModems];
  int32_t beforeCount;
  // The window's side, kept for the finishing step.
  bool hadChoice;
  char chosen[kShortTextSize];
  HWND focus;
  bool hadFocus;
};
ScanOrder g_Scan;

// The ports are listed after the scan, not before: under wine the listing
// opens each linked port, and no port is to be opened just before its
// probe.
void RunStartupScanWork() {
  ScanModemPorts();
  ListComPorts(&g_Scan.now);
}

// The ports gone take their entries with them, the new ones are probed;
// the spared ports and those already seen are sent nothing.
void RunRescanWork() {
  ListComPorts(&g_Scan.now);
  g_Scan.probeCount =
      PortsToProbe(g_PortsAtLastScan, g_Scan.now, g_Scan.spared, g_Scan.sparedCount, g_Scan.probe);
  DropModemEntries(g_Scan.now, g_Scan.probe, g_Scan.probeCount);
  AddModemsOnPorts(g_Scan.probe, g_Scan.probeCount);
}

void FinishStartupScan() {
  g_PortsAtLastScan = g_Scan.now;
  FillModemSelector();
  ShowScanResult();
  SetUpKeyboard();
}

void FinishRescan() {
  const bool foundNew =
      ScanFoundNewPort(g_Scan.before, g_Scan.beforeCount, g_App.ModemPortNumbers, g_App.ModemCount);
  const bool followUpComes = ArmFollowUp(&g_FollowUp, g_Scan.quiet, foundNew);
  RememberScannedPorts(&g_PortsAtLastScan, g_Scan.now, followUpComes);

  const HWND selector = Control(kModemSelector);
  SendMessageW(selector, CB_RESETCONTENT, 0, 0);
  FillModemSelector();
  if (g_Scan.hadChoice && g_Scan.chosen[0] != '\0') {
    const LRESULT index = SendMessageW(selector, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(Widened(g_Scan.chosen)));
    if (index != CB_ERR) SendMessageW(selector, CB_SETCURSEL, index, 0);
  }
  ShowScanResult();
  // The focus comes back where it was, the report list's to whichever of
  // the list and the notice now shows.
  if (g_Scan.hadFocus && GetFocus() != g_Scan.focus) RestoreFocus();
  // The busy picture was drawn over whatever the page shows (the terminal's
  // transcript too): every control paints itself again.
  RedrawWindow(g_Window.mainWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  if (followUpComes) SetTimer(g_Window.mainWindow, kFollowUpTimer, kRescanFollowUpMs, nullptr);
}

void StartRescan(bool quiet) {
  g_Scan.quiet = quiet;
  g_Scan.beforeCount = g_App.ModemCount;
  std::memcpy(g_Scan.before, g_App.ModemPortNumbers, sizeof g_Scan.before);
  g_Scan.hadChoice = ReadSelectedModemEntry(g_Scan.chosen);
  g_Scan.sparedCount = 0;
  const int32_t chosenPort = g_Scan.hadChoice ? ComPortOfEntry(g_Scan.chosen) : 0;
  for (const int32_t port : {chosenPort, g_TerminalPort})
    if (port != 0) g_Scan.spared[g_Scan.sparedCount++] = port;
  // Hiding the report list (or the notice) takes the focus from it.
  g_Scan.focus = GetFocus();
  g_Scan.hadFocus = g_Scan.focus != nullptr && IsChild(g_Window.mainWindow, g_Scan.focus);

  ShowWindow(Control(kReportList), SW_HIDE);
  ShowWindow(Control(kStickNotice), SW_HIDE);
  RECT client{};
  GetClientRect(g_Window.mainWindow, &client);
  DrawBusyPicture({client.left, client.top, client.right, client.bottom});
  StartWork(RunRescanWork, FinishRescan);
}

}  // namespace

int32_t AddRouterStickEntries() {
  // (Called as the selector is filled from the modem tables.)
  g_ListedModemCount = g_App.ModemCount;
  ReadStickDevices(&g_Sticks);
  g_RouterEntryCount = 0;
  char entry[kShortTextSize];
  for (int32_t i = 0; i < g_Sticks.Count; ++i) {
    if (!FormatRouterStickEntry(g_Sticks.Devices[i], entry, sizeof entry)) continue;
    SendMessageW(Control(kModemSelector), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widened(entry)));
    ++g_RouterEntryCount;
  }
  return g_RouterEntryCount;
}

// A stick on router firmware is queried like a modem: the report shows.
bool NoModemListed() { return NoModemListed(g_ListedModemCount, g_RouterEntryCount); }

void ShowScanResult() {
  const bool noModem = NoModemListed();
  if (noModem) FillStickNotice();
  const Page page = static_cast<Page>(SendMessageW(Control(kPageTabs), TCM_GETCURSEL, 0, 0));
  for (ControlId id : {kReportList, kStickNotice})
    ShowWindow(Control(id), ControlShownOnPage(id, page, noModem) ? SW_SHOW : SW_HIDE);
}

void OnDeviceChange(HWND hwnd, WPARAM event) {
  if (!TakeDeviceChange(&g_FollowUp, static_cast<uint32_t>(event))) return;
  // Every change starts the quiet time anew.
  if (!g_FollowUp.armed) KillTimer(hwnd, kFollowUpTimer);
  SetTimer(hwnd, kQuietTimer, kRescanQuietMs, nullptr);
}

bool OnRescanTimer(HWND hwnd, UINT_PTR timer) {
  if (timer != kQuietTimer && timer != kFollowUpTimer) return false;
  KillTimer(hwnd, timer);
  if (g_CommandRunning || WorkRunning()) {
    // (A message box of a command lets timers through: the scan waits
    // until the command, or the query or scan running, is over.)
    SetTimer(hwnd, timer, kRescanQuietMs, nullptr);
    return true;
  }
  if (timer == kFollowUpTimer) g_FollowUp.armed = false;
  StartRescan(timer == kQuietTimer);
  return true;
}

void MarkCommandRunning(bool running) { g_CommandRunning = running; }

void StartStartupScan() { StartWork(RunStartupScanWork, FinishStartupScan); }

void SpareTerminalPort(const char* entry) {
  const int32_t port = ComPortOfEntry(entry);
  if (port != 0) g_TerminalPort = port;
}
