// Start-up: the window class, the fixed 690 x 640 window and its controls,
// the pre-drawn page picture, the report rows, the port scan behind the busy
// picture, and the message loop.
#include <windows.h>
#include <commctrl.h>
#include <gdiplus.h>
#include <richedit.h>

#include <cstdio>
#include <cstring>

#include "report/decoders.h"
#include "report/report_rows.h"
#include "serial/port_scan.h"
#include "serial/serial_port.h"
#include "ui/credits_config.h"
#include "ui/report_view.h"
#include "ui/win32/drawing.h"
#include "ui/win32/keyboard_input.h"
#include "ui/win32/window_part.h"
#include "ui/win32/wide_text.h"
#include "ui/win32/window_proc.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

WindowPart g_Window;

// The portable layout keeps its styles as numbers; here they meet their names.
static_assert(kMainWindowStyle == (WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX));
static_assert(kPageTabsStyle == (WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_TABSTOP |
                                 TCS_FOCUSNEVER | TCS_OWNERDRAWFIXED));
static_assert(kCreditsLineStyle == (WS_CHILD | ES_READONLY));
static_assert(kOwnerDrawnStaticStyle == (WS_CHILD | WS_VISIBLE | SS_OWNERDRAW));
static_assert(kHiddenOwnerDrawnStaticStyle == (WS_CHILD | SS_OWNERDRAW));
static_assert(kImageButtonStyle == (WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW));
static_assert(kHiddenImageButtonStyle == (WS_CHILD | WS_TABSTOP | BS_OWNERDRAW));
static_assert(kReportListStyle == (WS_CHILD | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_NOCOLUMNHEADER));
static_assert(kModemSelectorStyle ==
              (WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_BORDER | WS_TABSTOP | CBS_DROPDOWNLIST));
static_assert(kTerminalOutputStyle ==
              (WS_CHILD | WS_VSCROLL | ES_SUNKEN | ES_READONLY | ES_AUTOVSCROLL | ES_MULTILINE));
static_assert(kTerminalInputStyle == (WS_CHILD | WS_BORDER | WS_TABSTOP));
static_assert(kStickNoticeStyle == (WS_CHILD | WS_TABSTOP | ES_MULTILINE | ES_READONLY));

namespace {

constexpr int32_t kCreditsSize = 220;

HWND CreateControl(ControlId id, const ClientRect& rc, HINSTANCE instance) {
  const ControlLayout& layout = ControlLayouts[id];
  const PixelRect r = ControlRect(id, rc);
  const HWND parent = layout.childOfPageTabs ? Control(kPageTabs) : g_Window.mainWindow;
  const HMENU identifier = reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlIdentifier(id)));
  wchar_t className[32];
  wchar_t text[32];
  const HWND control =
      CreateWindowExW(0, WidenInto(layout.className, className, 32),
                      layout.text != nullptr ? WidenInto(layout.text, text, 32) : nullptr, layout.style, r.x,
                      r.y, r.width, r.height, parent, identifier, instance, nullptr);
  g_Window.controls[id] = control;
  return control;
}

void SetControlFont(ControlId id) {
  SendMessageW(Control(id), WM_SETFONT, reinterpret_cast<WPARAM>(g_Window.font), 0);
}

void SetParagraphAlignment(HWND control, WORD alignment) {
  PARAFORMAT2& format = g_Window.paragraphFormat;
  std::memset(&format, 0, sizeof format);
  format.cbSize = sizeof format;
  format.dwMask = PFM_ALIGNMENT;
  format.wAlignment = alignment;
  SendMessageW(control, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format));
}

void SetUpPageTabs() {
  const HWND tabs = Control(kPageTabs);
  g_Window.pageTabsClassProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(tabs, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PageTabsProc)));
  SetControlFont(kPageTabs);
  // Class changes: they apply to every tab control of the process.
  SetClassLongPtrW(tabs, GCLP_HBRBACKGROUND,
                   reinterpret_cast<LONG_PTR>(CreateSolidBrush(kBackgroundColorRef)));
  SetClassLongPtrW(tabs, GCL_STYLE, CS_HREDRAW | CS_VREDRAW);
  const char* const titles[] = {"Информация", "Терминал"};
  for (int i = 0; i < 2; ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(Widened(titles[i]));
    SendMessageW(tabs, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
}

void SetUpCreditsLine() {
  const HWND credits = Control(kCreditsLine);
  SendMessageW(credits, EM_SETEVENTMASK, 0, ENM_LINK);
  const HDC dc = GetDC(credits);
  g_Window.screenDpi = GetDeviceCaps(dc, LOGPIXELSX);
  ReleaseDC(credits, dc);
  SetParagraphAlignment(credits, PFA_CENTER);
  SendMessageW(credits, EM_SETBKGNDCOLOR, 0, kBackgroundColorRef);

  // The runs are Cyrillic whatever the system's locale.
  CHARFORMAT2W& format = g_Window.richTextFormat;
  std::memset(&format, 0, sizeof format);
  format.cbSize = sizeof format;
  format.dwMask = CFM_SIZE | CFM_COLOR | CFM_FACE | CFM_CHARSET | CFM_LINK | CFM_BOLD;
  format.bCharSet = RUSSIAN_CHARSET;
  lstrcpynW(format.szFaceName, L"Times New Roman", LF_FACESIZE);

  if (!DateGate()) return;
  AppendRichText(credits, kCreditsLeadIn, kCreditsSize, CFE_BOLD, 0);
  g_Window.firstLinkStart = GetWindowTextLengthW(credits);
  AppendRichText(credits, kCreditsFirstSite, kCreditsSize, CFE_BOLD | CFE_LINK, 0);
  AppendRichText(credits, kCreditsMiddle, kCreditsSize, CFE_BOLD, 0);
  AppendRichText(credits, kCreditsSecondSite, kCreditsSize, CFE_BOLD | CFE_LINK, 0);
  AppendRichText(credits, kCreditsClosing, kCreditsSize, CFE_BOLD, 0);
}

// The unchanging picture of the page: background, button faces, the box
// around the copy button's tick, and the two grey rules. Painting later only
// copies rectangles of it.
void PredrawBackBuffer(const ClientRect& rc) {
  GpGraphics* graphics = nullptr;
  GdipCreateFromHDC(g_Window.backBufferDc, &graphics);
  g_Window.backBufferGraphics = graphics;
  GpSolidFill* background = nullptr;
  GdipCreateSolidFill(kBackgroundArgb, &background);
  GdipFillRectangle(graphics, background, 0.0f, 0.0f, static_cast<REAL>(kWindowWidth),
                    static_cast<REAL>(kWindowHeight));
  GdipDeleteBrush(background);

  for (int32_t i = 0; i < kImageButtonCount; ++i) {
    LoadPngResource(kFirstButtonResource + i, &g_Window.buttonFaces[i]);
    ImageButton& b = g_Window.buttons[i];
    b = ButtonGeometry(static_cast<ImageButtonId>(i), rc);
    b.image = g_Window.buttonFaces[i].bitmap;
    GdipSetInterpolationMode(graphics, InterpolationModeHighQualityBicubic);
    if (b.image != nullptr)
      GdipDrawImageRectI(graphics, static_cast<GpImage*>(b.image), b.x, b.y, b.width, b.height);
  }

  GpPen* pen = nullptr;
  GdipCreatePen1(kCopyBoxPenArgb, 2.0f, UnitWorld, &pen);
  const ImageButton& copy = g_Window.buttons[kCopyButton];
  GdipDrawRectangle(graphics, pen, copy.x + 96.0f, copy.y + 5.0f, 14.0f, 14.0f);
  GdipDeletePen(pen);
  for (const float y : {65.0f, rc.bottom - 30.0f}) {
    GdipCreatePen1(kRulePenArgb, 1.0f, UnitWorld, &pen);
    GdipDrawLine(graphics, pen, 10.0f, y, rc.right - 10.0f, y);
    GdipDeletePen(pen);
  }
}

void SetUpReportList() {
  const HWND list = Control(kReportList);
  SetControlFont(kReportList);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
               LVS_EX_FLATSB | LVS_EX_ONECLICKACTIVATE | LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES);
  SendMessageW(list, LVM_SETTEXTBKCOLOR, 0, kBackgroundColorRef);
  SendMessageW(list, LVM_SETBKCOLOR, 0, kBackgroundColorRef);
  SendMessageW(list, LVM_SETTEXTCOLOR, 0, kListTextColorRef);

  const char* const titles[] = {"Параметр", "Значение"};
  const int widths[] = {250, 390};
  for (int i = 0; i < 2; ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = widths[i];
    column.pszText = const_cast<wchar_t*>(Widened(titles[i]));
    column.iSubItem = i;
    SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
  }

  // Inserting in RowTable order, each entry at its position (an index past
  // the end appends), leaves every row at its own index.
  char text[kShortTextSize];
  for (int32_t rowId = 0; rowId < kRowTableSize; ++rowId) {
    std::snprintf(text, sizeof text, "  %s", RowTable[rowId].label);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_STATE;
    item.iItem = RowTable[rowId].position;
    item.pszText = const_cast<wchar_t*>(Widened(text));
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  }
  // The main rows start ticked: state image 2.
  for (int32_t position = 0; position < kToggleItem; ++position) {
    LVITEMW state{};
    state.stateMask = LVIS_STATEIMAGEMASK;
    state.state = INDEXTOSTATEIMAGEMASK(2);
    SendMessageW(list, LVM_SETITEMSTATE, position, reinterpret_cast<LPARAM>(&state));
  }
}

void SetUpModemSelector() {
  const HWND selector = Control(kModemSelector);
  g_Window.selectorClassProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(selector, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ModemSelectorProc)));
  SetControlFont(kModemSelector);
  SendMessageW(selector, CB_SETEXTENDEDUI, TRUE, 0);
  SendMessageW(selector, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), 18);
  SendMessageW(selector, CB_SETITEMHEIGHT, 0, 18);
}

void SetUpTerminalOutput() {
  const HWND output = Control(kTerminalOutput);
  SetParagraphAlignment(output, PFA_LEFT);
  SendMessageW(output, EM_SETBKGNDCOLOR, 0, 0x00000000);
}

// The notice in the report's place: read-only rich text in the window's
// colours.
void SetUpStickNotice() {
  const HWND notice = Control(kStickNotice);
  SendMessageW(notice, EM_SETBKGNDCOLOR, 0, kBackgroundColorRef);
  SetParagraphAlignment(notice, PFA_CENTER);
}

// The list view keeps its own copy of every value; the core's rows are
// mirrored into it as they are written.
void MirrorRowValue(int32_t position, const char* text) {
  LVITEMW item{};
  item.iSubItem = 1;
  item.pszText = const_cast<wchar_t*>(Widened(text));
  SendMessageW(Control(kReportList), LVM_SETITEMTEXTW, position, reinterpret_cast<LPARAM>(&item));
}

// The list pads a value's text on both sides within its column.
constexpr int kValueTextPadding = 12;

// Every value cell is in column 1, so the position does not matter.
bool ValueFitsCell(int32_t /*position*/, const char* text) {
  const HWND list = Control(kReportList);
  const int column = static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, 1, 0));
  const HDC dc = GetDC(list);
  if (dc == nullptr) return false;
  const HGDIOBJ previous = SelectObject(dc, g_Window.font);
  const wchar_t* wide = Widened(text);
  SIZE extent{};
  const bool measured = GetTextExtentPoint32W(dc, wide, static_cast<int>(wcslen(wide)), &extent) != 0;
  SelectObject(dc, previous);
  ReleaseDC(list, dc);
  return measured && extent.cx + kValueTextPadding <= column;
}

}  // namespace

void HoldRowMirror() { g_App.RowSink = nullptr; }

void ReleaseRowMirror() {
  g_App.RowSink = MirrorRowValue;
  // Every row is emptied first, as the query empties them: each one is
  // painted anew even when its value stays (the lock-status row's shop
  // button follows the other rows).
  for (int32_t rowId = 0; rowId < kRowTableSize; ++rowId) MirrorRowValue(RowTable[rowId].position, "");
  for (int32_t rowId = 0; rowId < kRowTableSize; ++rowId)
    MirrorRowValue(RowTable[rowId].position, RowValue(rowId));
  MirrorSignalRowWithLte();
}

namespace {

// The pointer passes through the image buttons to the main window (see
// ImageButtonProc); the three share their class's procedure.
void SetUpImageButton(ControlId id) {
  g_Window.buttonClassProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(Control(id), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ImageButtonProc)));
}

// Each control in creation order, with what it needs; the page picture is
// drawn once the credits line exists, before the first button.
void CreateControls(const ClientRect& rc, HINSTANCE instance) {
  for (const ControlId id : CreationOrder) {
    CreateControl(id, rc, instance);
    switch (id) {
      case kPageTabs: SetUpPageTabs(); break;
      case kCreditsLine:
        SetUpCreditsLine();
        PredrawBackBuffer(rc);
        break;
      case kQueryButtonControl:
      case kCopyButtonControl:
      case kSendButtonControl: SetUpImageButton(id); break;
      case kReportList:
        SetUpReportList();
        g_App.RowSink = MirrorRowValue;
        g_App.RowFits = ValueFitsCell;
        break;
      case kStickNotice: SetUpStickNotice(); break;
      case kModemSelector: SetUpModemSelector(); break;
      case kTerminalOutput: SetUpTerminalOutput(); break;
      // A command travels in a line of its own with its CR: the box takes
      // no more characters than that line holds, so nothing typed goes
      // unsent.
      case kTerminalInput: SendMessageW(Control(kTerminalInput), EM_LIMITTEXT, kMaxCommandLength, 0); break;
      default: break;
    }
  }
}

}  // namespace

// The picture and the window's GDI+ surface are made at the first call and
// kept for the later scans.
void DrawBusyPicture(const ClientRect& rc) {
  if (g_Window.busyPicture.bitmap == nullptr) LoadPngResource(kBusyPictureResource, &g_Window.busyPicture);
  if (g_Window.windowGraphics == nullptr) {
    GpGraphics* graphics = nullptr;
    GdipCreateFromHDC(g_Window.windowDc, &graphics);
    g_Window.windowGraphics = graphics;
  }
  GpGraphics* const graphics = g_Window.windowGraphics;
  GdipSetInterpolationMode(graphics, InterpolationModeHighQualityBicubic);
  if (g_Window.busyPicture.bitmap != nullptr)
    GdipDrawImageRectI(graphics, g_Window.busyPicture.bitmap, (rc.right + rc.left) / 2 - 128,
                       (rc.bottom + rc.top) / 2 - 128, 256, 256);
}

// One entry per modem the scan found, "MODEL (COMn)", then one per stick on
// router firmware, "MODEL (ADDRESS)"; or one empty entry. The model name is
// the modem's bytes, shown as Windows-1251.
void FillModemSelector() {
  const HWND selector = Control(kModemSelector);
  char entry[kShortTextSize];
  for (int32_t slot = 0; slot < g_App.ModemCount; ++slot) {
    FormatModemEntry(slot, entry, sizeof entry);
    SendMessageW(selector, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widened(entry)));
  }
  AddRouterStickEntries();
  if (NoModemListed()) SendMessageW(selector, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L""));
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  g_Window.richEditModule = LoadLibraryA("riched20.dll");
  g_Window.windowWidth = kWindowWidth;
  g_Window.windowHeight = kWindowHeight;

  GdiplusStartupInput startup;  // version 1, no debug callback, the GDI+ thread runs
  GdiplusStartup(&g_Window.gdiplusToken, &startup, nullptr);
  INITCOMMONCONTROLSEX controls = {8, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  g_Window.icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kIconResource));

  wchar_t className[32];
  wchar_t title[32];
  WidenInto(kWindowClassName, className, 32);
  WidenInto(kWindowTitle, title, 32);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = MainWndProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = g_Window.icon;
  windowClass.hIconSm = g_Window.icon;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.lpszClassName = className;
  RegisterClassExW(&windowClass);

  const int x = GetSystemMetrics(SM_CXSCREEN) / 2 - kWindowWidth / 2;
  g_Window.mainWindow = CreateWindowExW(WS_EX_APPWINDOW, className, title, kMainWindowStyle, x, kWindowTop,
                                        kWindowWidth, kWindowHeight, nullptr, nullptr, instance, nullptr);

  g_Window.windowDc = GetDC(g_Window.mainWindow);
  g_Window.backBufferBitmap = CreateCompatibleBitmap(g_Window.windowDc, kWindowWidth, kWindowHeight);
  g_Window.backBufferDc = CreateCompatibleDC(g_Window.windowDc);
  SelectObject(g_Window.backBufferDc, g_Window.backBufferBitmap);
  g_Window.hoverOverlayBitmap =
      LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kHoverOverlayResource));
  g_Window.hoverOverlayDc = CreateCompatibleDC(g_Window.windowDc);
  SelectObject(g_Window.hoverOverlayDc, g_Window.hoverOverlayBitmap);

  g_Window.screenDpi = GetDeviceCaps(g_Window.windowDc, LOGPIXELSY);
  // Cyrillic whatever the system's locale: with the default character set
  // the font mapper would follow the ANSI code page.
  g_Window.font = CreateFontW(FontHeightForDpi(g_Window.screenDpi), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                              RUSSIAN_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                              DEFAULT_PITCH | FF_DONTCARE, L"Arial");

  RECT client{};
  GetClientRect(g_Window.mainWindow, &client);
  const ClientRect rc = {client.left, client.top, client.right, client.bottom};

  CreateControls(rc, instance);
  UpdateWindow(g_Window.mainWindow);

  // The busy picture stays on screen while the scan runs off the window's
  // thread; the window answers meanwhile (nothing paints over the picture:
  // the report list shows only once the scan is over).
  DrawBusyPicture(rc);
  ShowWindow(Control(kCreditsLine), SW_SHOW);
  StartStartupScan();

  MSG msg{};
  while (GetMessageW(&msg, nullptr, 0, 0) != 0) {
    if (HeldBackDuringWork(msg)) continue;
    // The window's keys (Tab, F5, Enter in the command box, ...) never
    // reach the focused control.
    if (!HandleKeyDown(msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    NoteFocus();
  }
  return static_cast<int>(msg.wParam);
}
