// Key presses to actions, the Tab order and the keyboard row of the report
// list.
#include "ui/keyboard.h"

#include "ui/report_view.h"

namespace {

constexpr int32_t kListItemCount = kRowTableSize;

bool IsButton(ControlId id) { return ButtonOfControl(id) != kNoButton; }

KeyAction ButtonCommand(ControlId id) {
  switch (ButtonOfControl(id)) {
    case kQueryButton: return KeyAction::kQuery;
    case kCopyButton: return KeyAction::kCopy;
    default: return KeyAction::kSend;
  }
}

// Keys the report list takes from the window: its own handling would
// move a selection the list never shows.
KeyAction ReportListAction(const KeyPress& press) {
  if (press.control) {
    if (press.key == kKeyA) return KeyAction::kTickAll;
    if (press.key == kKeyC && !press.repeated) return KeyAction::kCopy;
    return KeyAction::kLeaveToControl;
  }
  switch (press.key) {
    case kKeySpace: return KeyAction::kToggleTick;
    case kKeyReturn: return press.repeated ? KeyAction::kLeaveToControl : KeyAction::kActivateRow;
    case kKeyUp: return KeyAction::kRowUp;
    case kKeyDown: return KeyAction::kRowDown;
    case kKeyHome:
    case kKeyPageUp: return KeyAction::kFirstRow;
    case kKeyEnd:
    case kKeyPageDown: return KeyAction::kLastRow;
    default: return KeyAction::kLeaveToControl;
  }
}

// The order's first control that the page shows, counted from `start`.
template <size_t N>
ControlId ShownFrom(const std::array<ControlId, N>& order, size_t start, bool backwards, Page page,
                    bool noModem) {
  for (size_t step = 0; step < N; ++step) {
    const size_t i = backwards ? (start + N - step) % N : (start + step) % N;
    if (ControlShownOnPage(order[i], page, noModem)) return order[i];
  }
  return order[start];
}

template <size_t N>
ControlId NextIn(const std::array<ControlId, N>& order, ControlId from, bool backwards, Page page,
                 bool noModem) {
  for (size_t i = 0; i < N; ++i) {
    if (order[i] != from) continue;
    return ShownFrom(order, backwards ? (i + N - 1) % N : (i + 1) % N, backwards, page, noModem);
  }
  return ShownFrom(order, backwards ? N - 1 : 0, backwards, page, noModem);
}

bool RowShown(int32_t item, int32_t extraRowsShown) {
  return item >= 0 && item < kListItemCount && !RowPaintedOver(item, extraRowsShown);
}

}  // namespace

KeyAction ActionForKey(const KeyPress& press, ControlId focused, Page page) {
  if (press.alt) return KeyAction::kLeaveToControl;
  if (press.key == kKeyTab) {
    if (press.control) return press.shift ? KeyAction::kPreviousPage : KeyAction::kNextPage;
    return press.shift ? KeyAction::kFocusPrevious : KeyAction::kFocusNext;
  }
  // Enter in the command box sends, as it always has (held down, it sends
  // again); elsewhere a held key runs a command once.
  if (focused == kTerminalInput && press.key == kKeyReturn && !press.control) return KeyAction::kSend;
  if (page == Page::kInformation && press.key == kKeyF5 && !press.control && !press.shift)
    return press.repeated ? KeyAction::kLeaveToControl : KeyAction::kQuery;
  if (focused == kReportList && page == Page::kInformation && !press.shift) return ReportListAction(press);
  // The selector's list stays closed (its extended interface would open
  // it): Down picks a stick as in any combo box.
  if (focused == kModemSelector && !press.control && !press.shift) {
    if (press.key == kKeyDown) return KeyAction::kNextEntry;
    if (press.key == kKeyUp) return KeyAction::kPreviousEntry;
  }
  // Space is the button's own: it presses on the key's way down and clicks
  // on its way up.
  if (IsButton(focused) && press.key == kKeyReturn && !press.control && !press.repeated)
    return ButtonCommand(focused);
  return KeyAction::kLeaveToControl;
}

bool KeyShowsFocusCues(const KeyPress& press) {
  switch (press.key) {
    case kKeyTab:
    case kKeyLeft:
    case kKeyUp:
    case kKeyRight:
    case kKeyDown:
    case kKeyAlt: return true;
    default: return press.alt;
  }
}

int32_t StepEntry(int32_t selected, int32_t count, KeyAction step) {
  if (count <= 0) return -1;
  if (selected < 0 || selected >= count) return step == KeyAction::kNextEntry ? 0 : selected;
  if (step == KeyAction::kNextEntry) return selected + 1 < count ? selected + 1 : selected;
  if (step == KeyAction::kPreviousEntry) return selected > 0 ? selected - 1 : selected;
  return selected;
}

ControlId NextInTabOrder(Page page, ControlId from, bool backwards, bool noModem) {
  if (page == Page::kTerminal) return NextIn(kTerminalTabOrder, from, backwards, page, noModem);
  return NextIn(kInformationTabOrder, from, backwards, Page::kInformation, noModem);
}

ControlId FirstInTabOrder(Page page) {
  return page == Page::kTerminal ? kTerminalTabOrder[0] : kInformationTabOrder[0];
}

int32_t MoveKeyboardRow(int32_t row, KeyAction move, int32_t extraRowsShown) {
  int32_t step = 0;
  int32_t at = row;
  switch (move) {
    case KeyAction::kRowUp: step = -1; break;
    case KeyAction::kRowDown: step = 1; break;
    case KeyAction::kFirstRow: at = -1, step = 1; break;
    case KeyAction::kLastRow: at = kListItemCount, step = -1; break;
    default: return row;
  }
  for (int32_t next = at + step; next >= 0 && next < kListItemCount; next += step)
    if (RowShown(next, extraRowsShown)) return next;
  return row;
}

bool RowHasTickBox(int32_t item) { return item != kToggleItem && item >= 0 && item < kListItemCount; }
