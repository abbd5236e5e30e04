// MainWndProc: owner-drawn tabs, labels and image buttons, page switching,
// credits links, hover, clicks, the focus kept across activations, and the
// end of the program.
#include "ui/win32/window_proc.h"

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>

#include "report/query.h"
#include "base/bounded_text.h"
#include "report/router_query.h"
#include "report/router_rows.h"
#include "ui/credits_config.h"
#include "ui/keyboard.h"
#include "ui/win32/drawing.h"
#include "ui/win32/terminal_page.h"
#include "ui/win32/wide_text.h"
#include "ui/win32/window_part.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

// The selected tab: its index is the page's value.
Page CurrentPage() { return static_cast<Page>(SendMessageW(Control(kPageTabs), TCM_GETCURSEL, 0, 0)); }

// A control's rectangle in its parent's client coordinates.
RECT ControlRectInParent(HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void DrawTabItem(const DRAWITEMSTRUCT* item) {
  wchar_t text[kShortTextSize];
  std::memset(text, 0, sizeof text);
  TCITEMW tab{};
  tab.mask = TCIF_TEXT;
  tab.pszText = text;
  tab.cchTextMax = kShortTextSize - 1;
  SendMessageW(Control(kPageTabs), TCM_GETITEMW, item->itemID, reinterpret_cast<LPARAM>(&tab));
  const HBRUSH brush = CreateSolidBrush(kBackgroundColorRef);
  FillRect(item->hDC, &item->rcItem, brush);
  DeleteObject(brush);
  SetBkColor(item->hDC, kBackgroundColorRef);
  SetTextColor(item->hDC, kTabTextColorRef);
  SetTextAlign(item->hDC, TA_CENTER | TA_TOP);
  TextOutW(item->hDC, (item->rcItem.right + item->rcItem.left) / 2, item->rcItem.top + 3, text,
           lstrlenW(text));
}

// A label is drawn in its own DC on what the page shows beneath it: the
// back buffer's grey, as the classic tabs leave it, and over it whatever the
// tabs paint there. With the visual theme on (as on every Windows 10/11)
// they paint their page white. The text is blended once, on a fresh
// background.
void DrawLabel(const DRAWITEMSTRUCT* item, const wchar_t* text) {
  POINT inWindow{0, 0};
  MapWindowPoints(item->hwndItem, g_Window.mainWindow, &inWindow, 1);
  BitBlt(item->hDC, 0, 0, item->rcItem.right, item->rcItem.bottom, g_Window.backBufferDc, inWindow.x,
         inWindow.y, SRCCOPY);
  PrintTabsPage(item->hDC, inWindow);
  DrawLabelTextInColour(item->hDC, item->rcItem, text, 14, kLabelBrushArgb, 'L', FontStyleBold);
}

void CopyFromBackBuffer(HWND control) {
  const RECT r = ControlRectInParent(control);
  BitBlt(g_Window.windowDc, r.left, r.top, r.right - r.left, r.bottom - r.top, g_Window.backBufferDc, r.left,
         r.top, SRCCOPY);
}

// An image button paints its face from the back buffer, as the picture
// of the page has it; one repainted under the pointer keeps its highlight.
// The focus cue, a dotted frame just inside the face, shows only once a
// key has moved the focus.
void DrawImageButton(const DRAWITEMSTRUCT* item, ImageButtonId id) {
  const ImageButton& b = g_Window.buttons[id];
  if (b.hovered != 0 && b.hoverEnabled != 0) {
    PaintUnhighlighted(b);
    LayHoverHighlight(b);
  } else {
    CopyFromBackBuffer(item->hwndItem);
  }
  if ((item->itemState & ODS_FOCUS) != 0 && (item->itemState & ODS_NOFOCUSRECT) == 0 && FocusCuesShown()) {
    RECT cue = ControlRectInParent(item->hwndItem);
    InflateRect(&cue, -3, -3);
    DrawFocusRect(g_Window.windowDc, &cue);
  }
}

void OnDrawItem(const DRAWITEMSTRUCT* item) {
  const HWND control = item->hwndItem;
  if (control == Control(kPageTabs)) {
    DrawTabItem(item);
  } else if (control == Control(kModemLabel)) {
    DrawLabel(item, L"Модем:");
  } else if (control == Control(kCommandLabel)) {
    DrawLabel(item, L"Команда:");
  } else if (item->CtlType == ODT_BUTTON) {
    const ImageButtonId id = ButtonOfControl(static_cast<ControlId>(item->CtlID - kFirstControlIdentifier));
    if (id != kNoButton) DrawImageButton(item, id);
  } else if (control == Control(kUpperRule) || control == Control(kLowerRule)) {
    CopyFromBackBuffer(control);
  }
}

void ShowPage(Page page) {
  if (page != Page::kInformation && page != Page::kTerminal) return;
  for (int32_t id = 0; id < kControlCount; ++id) {
    const ControlId control = static_cast<ControlId>(id);
    if (ControlPage(control) == Page::kBoth) continue;
    ShowWindow(Control(control), ControlShownOnPage(control, page, NoModemListed()) ? SW_SHOW : SW_HIDE);
  }
  // A click on a tab never gives the tabs the focus; with the focus on the
  // tabs, the keyboard chose the page and the focus stays there.
  if (page == Page::kTerminal && GetFocus() != Control(kPageTabs)) SetFocus(Control(kTerminalInput));
}

// Returns true with *result set when the notification was answered here.
bool OnNotify(NMHDR* header, LRESULT* result) {
  if (header->hwndFrom == Control(kCreditsLine) && header->code == EN_LINK) {
    const ENLINK* link = reinterpret_cast<const ENLINK*>(header);
    if (link->msg == WM_LBUTTONUP)
      OpenWebAddress(link->chrg.cpMin == g_Window.firstLinkStart ? kCreditsFirstSite : kCreditsSecondSite);
    return false;
  }
  if (header->hwndFrom == Control(kPageTabs) && header->code == TCN_SELCHANGE) {
    ShowPage(CurrentPage());
    return false;
  }
  if (header->hwndFrom == Control(kReportList) && header->code == NM_CLICK) {
    HandleReportListClick(reinterpret_cast<const NMITEMACTIVATE*>(header));
    return false;
  }
  if (header->hwndFrom == Control(kReportList) && header->code == NM_CUSTOMDRAW) {
    const LRESULT answer = HandleReportListCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(header));
    if (answer < 0) return false;
    *result = answer;
    return true;
  }
  return false;
}

void OnMouseMove(LPARAM lParam) {
  const int32_t x = LOWORD(lParam);
  const int32_t y = HIWORD(lParam);
  bool inside = false;
  const Page page = CurrentPage();
  if (page == Page::kInformation) {
    // Both buttons are brought up to date on every move, in button order.
    inside = UpdateButtonHover(kQueryButton, x, y) | inside;
    inside = UpdateButtonHover(kCopyButton, x, y) | inside;
  }
  if (page == Page::kTerminal) inside = UpdateButtonHover(kSendButton, x, y);
  SetCursor(LoadCursorA(nullptr, inside ? IDC_HAND : IDC_ARROW));
}

void OnLeftButtonDown(WPARAM wParam, LPARAM lParam) {
  // A click with a modifier key or another button held does nothing.
  if (wParam != MK_LBUTTON) return;
  const ImageButtonId button = ButtonAtPoint(g_Window.buttons, CurrentPage(), LOWORD(lParam), HIWORD(lParam));
  if (button != kNoButton) {
    RunButtonCommand(button);
    return;
  }
  // The plain background: the focus goes back to the control that had it.
  if (GetFocus() == g_Window.mainWindow || GetFocus() == nullptr) RestoreFocus();
}

// A button clicked from the keyboard (Space) or by a screen reader; the
// pointer never reaches the buttons (see ImageButtonProc).
void OnCommand(WPARAM wParam, LPARAM lParam) {
  if (HIWORD(wParam) != BN_CLICKED || lParam == 0) return;
  const ImageButtonId button =
      ButtonOfControl(static_cast<ControlId>(LOWORD(wParam) - kFirstControlIdentifier));
  if (button != kNoButton && reinterpret_cast<HWND>(lParam) == Control(ButtonControl(button)))
    RunButtonCommand(button);
}

// As in a dialog: the focus leaves with the window and comes back to the
// same control. Returns true when the focus was placed here.
bool OnActivate(WPARAM wParam) {
  if (LOWORD(wParam) == WA_INACTIVE) {
    RememberFocus();
    return false;
  }
  if (HIWORD(wParam) != 0) return false;  // minimised
  return RestoreFocus();
}

void OnDestroy() {
  // A query or scan still running ends first: the port is closed and no
  // thread is left when the process ends.
  EndWork();
  for (PngImage& face : g_Window.buttonFaces) ReleasePng(&face);
  if (g_Window.hoverOverlayDc != nullptr) DeleteDC(g_Window.hoverOverlayDc);
  if (g_Window.hoverOverlayBitmap != nullptr) DeleteObject(g_Window.hoverOverlayBitmap);
  if (g_Window.font != nullptr) DeleteObject(g_Window.font);
  ReleasePng(&g_Window.busyPicture);
  if (g_Window.backBufferGraphics != nullptr) GdipDeleteGraphics(g_Window.backBufferGraphics);
  if (g_Window.windowGraphics != nullptr) GdipDeleteGraphics(g_Window.windowGraphics);
  GdiplusShutdown(g_Window.gdiplusToken);
  if (g_Window.richEditModule != nullptr) FreeLibrary(g_Window.richEditModule);
  PostQuitMessage(0);
  ExitProcess(0);
}

}  // namespace

Page ShownPage() { return CurrentPage(); }

void SwitchPage(Page page) {
  SendMessageW(Control(kPageTabs), TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
  ShowPage(page);
}

bool FocusCuesShown() { return g_Window.focusCuesShown; }

ControlId FocusedControl() {
  const HWND focus = GetFocus();
  if (focus == nullptr) return kControlCount;
  for (int32_t id = 0; id < kControlCount; ++id)
    if (g_Window.controls[id] == focus) return static_cast<ControlId>(id);
  // The selector's drop-down list and the like: their control.
  for (int32_t id = 0; id < kControlCount; ++id)
    if (g_Window.controls[id] != nullptr && IsChild(g_Window.controls[id], focus))
      return static_cast<ControlId>(id);
  return kControlCount;
}

void RememberFocus() {
  const HWND focus = GetFocus();
  if (focus != nullptr && focus != g_Window.mainWindow && IsChild(g_Window.mainWindow, focus))
    g_Window.lastFocus = focus;
}

void GiveFocus(HWND target) {
  if (target == Control(kModemSelector) && GetFocus() != target && !g_Window.focusCuesShown)
    g_Window.selectorFocusHidden = true;
  SetFocus(target);
}

bool RestoreFocus() {
  HWND target = g_Window.lastFocus;
  // The report list and the stick notice stand in for each other.
  for (int32_t id = 0; id < kControlCount && target != nullptr; ++id) {
    if (g_Window.controls[id] != target) continue;
    target = Control(ControlInPlaceOf(static_cast<ControlId>(id), NoModemListed()));
    break;
  }
  if (target == nullptr || !IsWindowVisible(target) || !IsWindowEnabled(target))
    target = Control(FirstInTabOrder(CurrentPage()));
  if (target == nullptr) return false;
  GiveFocus(target);
  return true;
}

LRESULT CALLBACK ImageButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    // The pointer passes through to the main window, which keeps the hover
    // highlight and takes the click on the button's area, one pixel wider
    // and taller than the button itself; the focus stays where it was.
    case WM_NCHITTEST: return HTTRANSPARENT;
    // The face covers the whole button.
    case WM_ERASEBKGND: return 1;
    default: return CallWindowProcW(g_Window.buttonClassProc, hwnd, message, wParam, lParam);
  }
}

LRESULT CALLBACK PageTabsProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // The modem label lives in the tabs next to the selector; the window
  // paints it.
  if (message == WM_DRAWITEM) {
    OnDrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    return TRUE;
  }
  return CallWindowProcW(g_Window.pageTabsClassProc, hwnd, message, wParam, lParam);
}

void RevealSelectorFocus() {
  if (!g_Window.selectorFocusHidden) return;
  g_Window.selectorFocusHidden = false;
  if (GetFocus() == Control(kModemSelector))
    CallWindowProcW(g_Window.selectorClassProc, Control(kModemSelector), WM_SETFOCUS, 0, 0);
}

LRESULT CALLBACK ModemSelectorProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (g_Window.selectorFocusHidden) {
    switch (message) {
      // The box learns of the focus only when it is to show it.
      case WM_SETFOCUS: return 0;
      case WM_KILLFOCUS: g_Window.selectorFocusHidden = false; return 0;
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN:
      case WM_CHAR: RevealSelectorFocus(); break;
      default: break;
    }
  }
  return CallWindowProcW(g_Window.selectorClassProc, hwnd, message, wParam, lParam);
}

void OpenWebAddress(const char* address) {
  ShellExecuteA(g_Window.mainWindow, "open", address, nullptr, nullptr, SW_SHOWMAXIMIZED);
}

bool ReadSelectedModemEntry(char* entry) {
  std::memset(entry, 0, kShortTextSize);
  const HWND selector = Control(kModemSelector);
  const LRESULT selected = SendMessageW(selector, CB_GETCURSEL, 0, 0);
  if (selected == CB_ERR) return false;
  // The entries are built to fit 255 characters; a longer one is not read
  // at all rather than overflow the buffer.
  if (SendMessageW(selector, CB_GETLBTEXTLEN, selected, 0) >= static_cast<LRESULT>(kShortTextSize))
    return false;
  wchar_t wide[kShortTextSize];
  std::memset(wide, 0, sizeof wide);
  SendMessageW(selector, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(wide));
  NarrowText(wide, entry, kShortTextSize - 1);
  return true;
}

namespace {

// The query as the worker runs it: the entry (and the address of a stick
// on router firmware) in, the router's result out.
struct QueryOrder {
  char entry[kShortTextSize];
  bool router;
  RouterAddress address;
  RouterQueryResult routerResult;
};
QueryOrder g_Query;

void RunQueryWork() {
  if (g_Query.router)
    QueryRouterAt(g_Query.address, &g_Query.routerResult);
  else
    QueryModemInformation(g_Query.entry);
}

void ShowRouterOutcome(const RouterQueryResult& result) {
  char text[kShortTextSize * 2];
  bool rowsShown = false, failed = false;
  if (!DescribeRouterOutcome(result, false, "", text, sizeof text, &rowsShown, &failed)) return;
  wchar_t caption[32];
  WidenInto("Информация", caption, 32);
  MessageBoxW(g_Window.mainWindow, Widened(text), caption, MB_OK | MB_ICONWARNING);
}

void FinishQueryWork() {
  ReleaseRowMirror();
  if (g_Query.router) ShowRouterOutcome(g_Query.routerResult);
  MarkCommandRunning(false);
}

// A stick on router firmware is read from its web interface, any other
// entry over its serial port; either way off the window's thread. The rows
// reach the list when the query is over.
void QuerySelectedEntry(const char* entry) {
  CopyText(g_Query.entry, sizeof g_Query.entry, entry);
  g_Query.router = RouterAddressFromEntry(entry, &g_Query.address);
  MarkCommandRunning(true);
  HoldRowMirror();
  StartWork(RunQueryWork, FinishQueryWork);
}

int32_t RunCommand(ImageButtonId button) {
  switch (button) {
    case kQueryButton: {
      char entry[kShortTextSize];
      if (ReadSelectedModemEntry(entry)) QuerySelectedEntry(entry);
      return 0;
    }
    case kCopyButton: return CopyReportToClipboard();
    case kSendButton: {
      char entry[kShortTextSize];
      const bool selected = ReadSelectedModemEntry(entry);
      if (selected) SpareTerminalPort(entry);
      RunTerminalCommand(selected ? entry : nullptr);
      return 0;
    }
    default: return 0;
  }
}

}  // namespace

int32_t RunButtonCommand(ImageButtonId button) {
  // During a query or scan the buttons and their keys do nothing.
  if (WorkRunning()) return 0;
  MarkCommandRunning(true);
  const int32_t result = RunCommand(button);
  // (A query holds the window until its finishing step.)
  if (!WorkRunning()) MarkCommandRunning(false);
  return result;
}

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY: OnDestroy(); break;
    case WM_DRAWITEM: OnDrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); break;
    case WM_NOTIFY: {
      LRESULT result = 0;
      if (OnNotify(reinterpret_cast<NMHDR*>(lParam), &result)) return result;
      break;
    }
    case WM_MOUSEMOVE: OnMouseMove(lParam); break;
    case WM_LBUTTONDOWN: OnLeftButtonDown(wParam, lParam); break;
    case WM_COMMAND: OnCommand(wParam, lParam); break;
    case WM_ACTIVATE:
      if (OnActivate(wParam)) return 0;
      break;
    case WM_DEVICECHANGE: OnDeviceChange(hwnd, wParam); return TRUE;
    case kWorkDoneMessage: OnWorkDone(); return 0;
    case kWorkRunningMessage: return WorkRunning() ? 1 : 0;
    case WM_TIMER:
      if (OnRescanTimer(hwnd, wParam)) return 0;
      break;
    default: break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}
