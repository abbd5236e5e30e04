// MainWndProc: owner-drawn tabs, labels and image-button statics, page
// switching, credits links, hover, clicks, and the end of the program.
#include "ui/win32/window_proc.h"

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>
#include <shellapi.h>

#include <cstring>

#include "report/query.h"
#include "report/router_query.h"
#include "ui/credits_config.h"
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

void DrawLabel(HWND label, const wchar_t* text) {
  DrawLabelTextInColour(g_Window.windowDc, ControlRectInParent(label), text, 14, kLabelBrushArgb, 'L',
                        FontStyleBold);
}

void CopyFromBackBuffer(HWND control) {
  const RECT r = ControlRectInParent(control);
  BitBlt(g_Window.windowDc, r.left, r.top, r.right - r.left, r.bottom - r.top, g_Window.backBufferDc, r.left,
         r.top, SRCCOPY);
}

void OnDrawItem(const DRAWITEMSTRUCT* item) {
  const HWND control = item->hwndItem;
  if (control == Control(kPageTabs)) {
    DrawTabItem(item);
  } else if (control == Control(kModemLabel)) {
    DrawLabel(control, L"Модем:");
  } else if (control == Control(kCommandLabel)) {
    DrawLabel(control, L"Команда:");
  } else if (control == Control(kQueryButtonStatic) || control == Control(kCopyButtonStatic) ||
             control == Control(kSendButtonStatic) || control == Control(kUpperRule) ||
             control == Control(kLowerRule)) {
    CopyFromBackBuffer(control);
  }
}

void ShowPage(Page page) {
  if (page != Page::kInformation && page != Page::kTerminal) return;
  for (int32_t id = 0; id < kControlCount; ++id) {
    const ControlId control = static_cast<ControlId>(id);
    if (ControlPage(control) == Page::kBoth) continue;
    ShowWindow(Control(control),
               ControlShownOnPage(control, page, g_App.ModemCount == 0) ? SW_SHOW : SW_HIDE);
  }
  if (page == Page::kTerminal) SetFocus(Control(kTerminalInput));
}

// Returns true with *result set when the notification was answered here.
bool OnNotify(NMHDR* header, LRESULT* result) {
  if (header->hwndFrom == Control(kCreditsLine) && header->code == EN_LINK) {
    const ENLINK* link = reinterpret_cast<const ENLINK*>(header);
    if (link->msg == WM_LBUTTONUP)
      OpenWebAddress(link->chrg.cpMin == g_Window.firstLinkStart ? kCreditsFirstSite : kCreditsSecondSite);
    return false;
  }
  if (header->hwndFrom == Control(kStickNotice) && header->code == EN_LINK) {
    const ENLINK* link = reinterpret_cast<const ENLINK*>(header);
    if (link->msg == WM_LBUTTONUP) OpenNoticeLink(link);
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
  if (button != kNoButton) RunButtonCommand(button);
}

void OnDestroy() {
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

// What the user is told when a stick on router firmware did not give its
// whole report; nothing for a report read in full.
constexpr struct {
  RouterOutcome outcome;
  const char* text;
} kRouterOutcomeTexts[] = {
    {kRouterNoAnswer, "Модем не ответил по своему адресу за 3 секунды: он отключён или не в режиме роутера."},
    {kRouterNotWebInterface, "По адресу модема ответил не веб-интерфейс модема."},
    {kRouterSessionRefused, "Модем отказал в сеансе веб-интерфейса."},
    {kRouterLoginRequired,
     "Модем просит пароль своего веб-интерфейса: показано то, что он отдаёт без входа."},
};

// A stick on router firmware is read from its web interface, any other
// entry over its serial port.
void QuerySelectedEntry(const char* entry) {
  RouterAddress address;
  if (!RouterAddressFromEntry(entry, &address)) {
    QueryModemInformation(entry);
    return;
  }
  RouterQueryResult result;
  QueryRouterAt(address, &result);
  for (const auto& outcome : kRouterOutcomeTexts) {
    if (outcome.outcome != result.outcome) continue;
    wchar_t caption[32];
    WidenInto("Информация", caption, 32);
    MessageBoxW(g_Window.mainWindow, Widened(outcome.text), caption, MB_OK | MB_ICONWARNING);
  }
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
      RunTerminalCommand(ReadSelectedModemEntry(entry) ? entry : nullptr);
      return 0;
    }
    default: return 0;
  }
}

}  // namespace

int32_t RunButtonCommand(ImageButtonId button) {
  MarkCommandRunning(true);
  const int32_t result = RunCommand(button);
  MarkCommandRunning(false);
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
    case WM_DEVICECHANGE: OnDeviceChange(hwnd, wParam); return TRUE;
    case WM_TIMER:
      if (OnRescanTimer(hwnd, wParam)) return 0;
      break;
    default: break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}
