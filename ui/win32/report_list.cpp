// The report list's custom draw (colours, cell frames, the hidden extra
// rows, the shop button, the keyboard row's focus cue), its clicks (the
// toggle row, the shop button) and what the keyboard does to its rows.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstring>

#include "report/report_rows.h"
#include "shop/shop_link.h"
#include "ui/keyboard.h"
#include "ui/report_view.h"
#include "ui/win32/drawing.h"
#include "ui/win32/wide_text.h"
#include "ui/win32/window_part.h"
#include "ui/win32/window_proc.h"

namespace {

HWND List() { return Control(kReportList); }

// A value cell's text as at most 255 characters into a zeroed 256-byte
// buffer (cchTextMax counts the terminator).
void ReadValueText(int32_t listItem, char* text) {
  wchar_t wide[kShortTextSize];
  std::memset(wide, 0, sizeof wide);
  LVITEMW item{};
  item.iSubItem = 1;
  item.cchTextMax = kShortTextSize;
  item.pszText = wide;
  SendMessageW(List(), LVM_GETITEMTEXTW, listItem, reinterpret_cast<LPARAM>(&item));
  NarrowText(wide, text, kShortTextSize - 1);
}

// The link for the report's current model and versions texts; empty when
// no button shows.
bool CurrentShopLink(char* link) {
  char model[kShortTextSize];
  char versions[kShortTextSize];
  ReadValueText(kModelItem, model);
  ReadValueText(kVersionsItem, versions);
  return ShopLinkForReport(model, versions, DateGate(), link);
}

RECT SubItemRect(int32_t item, int32_t subItem) {
  RECT r{};
  r.top = subItem;
  r.left = LVIR_BOUNDS;
  SendMessageW(List(), LVM_GETSUBITEMRECT, item, reinterpret_cast<LPARAM>(&r));
  return r;
}

void FillWithColour(HDC dc, const RECT& r, COLORREF colour) {
  const HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

void FrameWithColour(HDC dc, const RECT& r, COLORREF colour) {
  const HBRUSH brush = CreateSolidBrush(colour);
  FrameRect(dc, &r, brush);
  DeleteObject(brush);
}

void DrawShopButton(HDC dc, const RECT& cell) {
  const RECT frame = {cell.left, cell.top, kShopFrameRight, cell.bottom};
  FrameWithColour(dc, frame, kFrameColorRef);
  const RECT button = {kShopButtonLeft, cell.top, cell.right, cell.bottom};
  FillWithColour(dc, button, kShopFillColorRef);
  FrameWithColour(dc, button, kFrameColorRef);
  const RECT caption = {kShopButtonLeft, cell.top - 1, cell.right, cell.bottom - 1};
  DrawLabelTextInColour(dc, caption, L"Купить код", 14, kShopCaptionArgb, 'C', Gdiplus::FontStyleBold);
}

void PostPaintItem(int32_t item) {
  const HDC dc = GetDC(List());
  if (item == kToggleItem) {
    // Paint over the toggle row's tick box.
    RECT row = SubItemRect(item, 0);
    row.right = 22;
    FillWithColour(dc, row, kBackgroundColorRef);
  } else {
    RECT cell = SubItemRect(item, 1);
    cell.bottom -= 1;
    char link[kShopLinkSize];
    if (item == kLockStatusItem && CurrentShopLink(link))
      DrawShopButton(dc, cell);
    else
      FrameWithColour(dc, cell, kFrameColorRef);
  }
  ReleaseDC(List(), dc);

  // Hidden extra rows keep their place in the list; they are painted over
  // after every paint.
  if (RowPaintedOver(item, g_App.ExtraRowsShown)) {
    RECT row{};
    row.left = LVIR_BOUNDS;
    SendMessageW(List(), LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(&row));
    const HDC rowDc = GetDC(List());
    FillWithColour(rowDc, row, kBackgroundColorRef);
    ReleaseDC(List(), rowDc);
  } else if (item == g_Window.keyboardRow && GetFocus() == List() && FocusCuesShown()) {
    RECT row{};
    row.left = LVIR_BOUNDS;
    SendMessageW(List(), LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(&row));
    const HDC rowDc = GetDC(List());
    DrawFocusRect(rowDc, &row);
    ReleaseDC(List(), rowDc);
  }
}

void RedrawRow(int32_t item) {
  SendMessageW(List(), LVM_REDRAWITEMS, item, item);
  UpdateWindow(List());
}

void ToggleExtraRows() {
  LVITEMW label{};
  label.iSubItem = 0;
  label.pszText = const_cast<wchar_t*>(Widened(ToggleRowClicked(&g_App.ExtraRowsShown)));
  SendMessageW(List(), LVM_SETITEMTEXTW, kToggleItem, reinterpret_cast<LPARAM>(&label));
  SendMessageW(List(), LVM_REDRAWITEMS, kToggleItem, SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0));
}

void SetTick(int32_t item, int32_t stateImage) {
  LVITEMW state{};
  state.stateMask = LVIS_STATEIMAGEMASK;
  state.state = INDEXTOSTATEIMAGEMASK(stateImage);
  SendMessageW(List(), LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&state));
}

}  // namespace

// The list never shows a selection highlight while it has the focus: the
// item's selected and focused states are cleared as it is painted. The
// paint under way was set up with the old state, and wine does not paint
// the item again for a state change made during the paint, so the state
// bits of the paint itself are cleared as well.
void DropSelection(NMLVCUSTOMDRAW* draw, int32_t item, bool clearListState) {
  if (GetFocus() != List()) return;
  if (clearListState) {
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(List(), LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&state));
  }
  draw->nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED | CDIS_FOCUS);
}

LRESULT HandleReportListCustomDraw(NMLVCUSTOMDRAW* draw) {
  const int32_t item = static_cast<int32_t>(draw->nmcd.dwItemSpec);
  switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
    case CDDS_POSTPAINT: return CDRF_DODEFAULT;
    case CDDS_ITEMPREPAINT:
      DropSelection(draw, item, true);
      return CDRF_NOTIFYSUBITEMDRAW | CDRF_NOTIFYPOSTPAINT;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
      DropSelection(draw, item, false);
      NMLVCUSTOMDRAW* cell = draw;
      const CellColours colours = ReportCellColours(item, draw->iSubItem);
      cell->clrText = colours.text;
      if (colours.setBackground) cell->clrTextBk = colours.background;
      return CDRF_DODEFAULT;
    }
    case CDDS_ITEMPOSTPAINT: PostPaintItem(item); return CDRF_DODEFAULT;
    default: return -1;
  }
}

void HandleReportListClick(const NMITEMACTIVATE* click) {
  // The keyboard goes on from the row clicked last; its focus cue moves
  // along once it shows.
  if (click->iItem >= 0 && !RowPaintedOver(click->iItem, g_App.ExtraRowsShown)) {
    if (FocusCuesShown())
      MoveKeyboardRowTo(click->iItem);
    else
      g_Window.keyboardRow = click->iItem;
  }
  if (click->iItem == kToggleItem) {
    ToggleExtraRows();
    return;
  }
  if (click->iItem != kLockStatusItem || click->iSubItem != 1) return;
  char link[kShopLinkSize];
  if (!CurrentShopLink(link)) return;
  POINT pointer{};
  GetCursorPos(&pointer);
  ScreenToClient(List(), &pointer);
  if (ShopClickHits(pointer.x))
    ShellExecuteA(g_Window.mainWindow, "open", link, nullptr, nullptr, SW_SHOWMAXIMIZED);
}

void MoveKeyboardRowTo(int32_t item) {
  const int32_t before = g_Window.keyboardRow;
  g_Window.keyboardRow = item;
  SendMessageW(List(), LVM_ENSUREVISIBLE, item, FALSE);
  if (before != item) RedrawRow(before);
  RedrawRow(item);
}

void ToggleKeyboardRowTick() {
  const int32_t item = g_Window.keyboardRow;
  if (!RowHasTickBox(item)) return;
  const LRESULT state = SendMessageW(List(), LVM_GETITEMSTATE, item, LVIS_STATEIMAGEMASK);
  // State image 1 is an empty box, 2 a ticked one.
  SetTick(item, ((state & LVIS_STATEIMAGEMASK) >> 12) == 2 ? 1 : 2);
}

void TickAllRows() {
  for (int32_t item = 0; item < kRowTableSize; ++item)
    if (RowHasTickBox(item)) SetTick(item, 2);
}

void ActivateKeyboardRow() {
  if (g_Window.keyboardRow == kToggleItem) {
    ToggleExtraRows();
    return;
  }
  char link[kShopLinkSize];
  if (g_Window.keyboardRow == kLockStatusItem && CurrentShopLink(link))
    ShellExecuteA(g_Window.mainWindow, "open", link, nullptr, nullptr, SW_SHOWMAXIMIZED);
}

void RedrawKeyboardRow() { RedrawRow(g_Window.keyboardRow); }
