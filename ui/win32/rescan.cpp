// The scan as the window shows it: the selector's entries, and when no
// modem answered the stick notice in the report's place (what the vendor's
// sticks are doing, with a link to the web page of one on router
// firmware). Device changes start a new scan once the devices have been
// quiet for a while, behind the busy picture as at start-up.
#include <windows.h>
#include <commctrl.h>
#include <dbt.h>
#include <richedit.h>
#include <shellapi.h>

#include <cstring>

#include "base/bounded_text.h"
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
// Where the notice's links are, for Enter on the notice.
CHARRANGE g_NoticeLinks[kMaxStickDevices];
int32_t g_NoticeLinkCount;

LONG NoticeEnd(HWND notice) {
  SendMessageW(notice, EM_SETSEL, -1, -1);
  CHARRANGE at{};
  SendMessageW(notice, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&at));
  return at.cpMin;
}

// One stick's line, its web page (a link) set apart from the text around it.
void AppendNoticeLine(HWND notice, const char* line, const char* page) {
  const char* link = page[0] != '\0' ? std::strstr(line, page) : nullptr;
  if (link == nullptr) {
    AppendRichText(notice, line, kNoticeSize, CFE_BOLD, kNoticeColour);
  } else {
    char before[kShortTextSize * 2];
    const size_t beforeLength = static_cast<size_t>(link - line);
    CopyText(before, beforeLength < sizeof before ? beforeLength + 1 : sizeof before, line);
    AppendRichText(notice, before, kNoticeSize, CFE_BOLD, kNoticeColour);
    const LONG start = NoticeEnd(notice);
    AppendRichText(notice, page, kNoticeSize, CFE_BOLD | CFE_LINK, kNoticeColour);
    if (g_NoticeLinkCount < kMaxStickDevices) g_NoticeLinks[g_NoticeLinkCount++] = {start, NoticeEnd(notice)};
    AppendRichText(notice, link + std::strlen(page), kNoticeSize, CFE_BOLD, kNoticeColour);
  }
  AppendRichText(notice, "\r\r", kNoticeSize, CFE_BOLD, kNoticeColour);
}

void OpenNoticeRange(const CHARRANGE& link) {
  wchar_t address[kShortTextSize];
  std::memset(address, 0, sizeof address);
  const LONG length = link.cpMax - link.cpMin;
  if (length <= 0 || length >= static_cast<LONG>(kShortTextSize)) return;
  TEXTRANGEW range{};
  range.chrg = link;
  range.lpstrText = address;
  SendMessageW(Control(kStickNotice), EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
  char narrow[kShortTextSize];
  NarrowText(address, narrow, kShortTextSize - 1);
  OpenWebAddress(narrow);
}

// The notice's text: one paragraph per stick, or the "no stick" line.
void FillStickNotice() {
  const HWND notice = Control(kStickNotice);
  SetWindowTextW(notice, L"");
  // (The sticks were read with the selector's entries, just before.)
  g_NoticeLinkCount = 0;
  char line[kShortTextSize * 2];
  if (g_Sticks.Count == 0) {
    DescribeNoStick(kAudienceWindow, line, sizeof line);
    AppendNoticeLine(notice, line, "");
  }
  for (int32_t i = 0; i < g_Sticks.Count; ++i) {
    const StickDevice& stick = g_Sticks.Devices[i];
    const StickPortsCheck ports =
        ClassifyStick(stick) == kStickPortsSilent ? CheckStickPorts(stick) : kPortsNotChecked;
    DescribeStick(stick, ports, kAudienceWindow, line, sizeof line);
    char page[kStickNameSize + 16];
    StickWebPage(stick, page, sizeof page);
    AppendNoticeLine(notice, line, page);
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

void ShowScanResult() {
  // A stick on router firmware is queried like a modem: the report shows.
  const bool noModem = g_App.ModemCount == 0 && g_RouterEntryCount == 0;
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

void OpenNoticeLink(const ENLINK* link) { OpenNoticeRange(link->chrg); }

void OpenNoticeLinkAtCaret() {
  if (g_NoticeLinkCount == 0) return;
  CHARRANGE caret{};
  SendMessageW(Control(kStickNotice), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&caret));
  // The link the caret is on or before; past the last one, the last one.
  for (int32_t i = 0; i < g_NoticeLinkCount; ++i) {
    if (caret.cpMin <= g_NoticeLinks[i].cpMax) {
      OpenNoticeRange(g_NoticeLinks[i]);
      return;
    }
  }
  OpenNoticeRange(g_NoticeLinks[g_NoticeLinkCount - 1]);
}
