// The scan as the window shows it: the selector's entries, and when no
// modem and no stick on router firmware is listed, the stick notice in the
// report's place (what the vendor's sticks are doing). Device changes start a new scan once the devices have
// been quiet for a while, behind the busy picture as at start-up.
#include <windows.h>
#include <commctrl.h>
#include <dbt.h>
#include <richedit.h>

#include <cstring>

#include "serial/port_scan.h"
#include "sticks/router_sticks.h"
#include "sticks/stick_devices.h"
#include "ui/rescan_rules.h"
#include "ui/win32/drawing.h"
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

// Whether a command holds the window's thread; device changes wait.
bool g_CommandRunning;
// Whether the quiet scan already had its follow-up.
bool g_FollowUpDone;

bool RescanModems() {
  int32_t before[kMaxModems];
  const int32_t beforeCount = g_App.ModemCount;
  std::memcpy(before, g_App.ModemPortNumbers, sizeof before);
  char chosen[kShortTextSize];
  const bool hadChoice = ReadSelectedModemEntry(chosen);
  // Hiding the report list (or the notice) takes the focus from it.
  const HWND focus = GetFocus();
  const bool hadFocus = focus != nullptr && IsChild(g_Window.mainWindow, focus);

  ShowWindow(Control(kReportList), SW_HIDE);
  ShowWindow(Control(kStickNotice), SW_HIDE);
  RECT client{};
  GetClientRect(g_Window.mainWindow, &client);
  DrawBusyPicture({client.left, client.top, client.right, client.bottom});
  ScanModemPorts();

  const HWND selector = Control(kModemSelector);
  SendMessageW(selector, CB_RESETCONTENT, 0, 0);
  FillModemSelector();
  if (hadChoice && chosen[0] != '\0') {
    const LRESULT index = SendMessageW(selector, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(Widened(chosen)));
    if (index != CB_ERR) SendMessageW(selector, CB_SETCURSEL, index, 0);
  }
  ShowScanResult();
  // The focus comes back where it was, the report list's to whichever of
  // the list and the notice now shows.
  if (hadFocus && GetFocus() != focus) RestoreFocus();
  // The busy picture was drawn over whatever the page shows (the terminal's
  // transcript too): every control paints itself again.
  RedrawWindow(g_Window.mainWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  return ScanFoundNewPort(before, beforeCount, g_App.ModemPortNumbers, g_App.ModemCount);
}

}  // namespace

int32_t AddRouterStickEntries() {
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
bool NoModemListed() { return NoModemListed(g_App.ModemCount, g_RouterEntryCount); }

void ShowScanResult() {
  const bool noModem = NoModemListed();
  if (noModem) FillStickNotice();
  const Page page = static_cast<Page>(SendMessageW(Control(kPageTabs), TCM_GETCURSEL, 0, 0));
  for (ControlId id : {kReportList, kStickNotice})
    ShowWindow(Control(id), ControlShownOnPage(id, page, noModem) ? SW_SHOW : SW_HIDE);
}

void OnDeviceChange(HWND hwnd, WPARAM event) {
  if (!DeviceChangeStartsRescan(static_cast<uint32_t>(event))) return;
  // Every change starts the quiet time anew.
  KillTimer(hwnd, kFollowUpTimer);
  g_FollowUpDone = false;
  SetTimer(hwnd, kQuietTimer, kRescanQuietMs, nullptr);
}

bool OnRescanTimer(HWND hwnd, UINT_PTR timer) {
  if (timer != kQuietTimer && timer != kFollowUpTimer) return false;
  KillTimer(hwnd, timer);
  if (g_CommandRunning) {
    // (A message box of a command lets timers through: the scan waits
    // until the command is over.)
    SetTimer(hwnd, timer, kRescanQuietMs, nullptr);
    return true;
  }
  const bool foundNew = RescanModems();
  if (timer == kQuietTimer && !foundNew && !g_FollowUpDone) {
    g_FollowUpDone = true;
    SetTimer(hwnd, kFollowUpTimer, kRescanFollowUpMs, nullptr);
  }
  return true;
}

void MarkCommandRunning(bool running) { g_CommandRunning = running; }
