// The window's keyboard: which action a key press asks for, given the
// control that has the focus and the page that shows; the Tab order of each
// page; and the row of the report list that the keyboard works on.
// Portable: the message loop asks these rules and only carries the actions
// out.
#pragma once

#include <array>
#include <cstdint>

#include "ui/window_layout.h"

// Keys by their Windows virtual-key numbers: this file includes no platform
// header. keyboard_input.cpp ties each number to its VK_ name.
constexpr int32_t kKeyTab = 0x09;
constexpr int32_t kKeyReturn = 0x0D;
constexpr int32_t kKeySpace = 0x20;
constexpr int32_t kKeyPageUp = 0x21;
constexpr int32_t kKeyPageDown = 0x22;
constexpr int32_t kKeyEnd = 0x23;
constexpr int32_t kKeyHome = 0x24;
constexpr int32_t kKeyLeft = 0x25;
constexpr int32_t kKeyUp = 0x26;
constexpr int32_t kKeyRight = 0x27;
constexpr int32_t kKeyDown = 0x28;
constexpr int32_t kKeyAlt = 0x12;
constexpr int32_t kKeyA = 'A';
constexpr int32_t kKeyC = 'C';
constexpr int32_t kKeyF5 = 0x74;

struct KeyPress {
  int32_t key;
  bool control;
  bool shift;
  bool alt;
  // The key is held: the keyboard repeats its press.
  bool repeated;
};

enum class KeyAction : int32_t {
  kLeaveToControl,  // the focused control (or nobody) handles the key
  kFocusNext,
  kFocusPrevious,
  kNextPage,
  kPreviousPage,
  kQuery,
  kCopy,
  kSend,
  kToggleTick,  // the keyboard row's tick box
  kTickAll,
  kActivateRow,  // as a click on the keyboard row: the toggle, the shop button
  kRowUp,
  kRowDown,
  kFirstRow,
  kLastRow,
  kNextEntry,  // the selector's next or previous stick, its list closed
  kPreviousEntry,
};

// focused: the control with the keyboard focus, kControlCount when it is
// none of the window's controls (the main window itself, or nothing).
KeyAction ActionForKey(const KeyPress& press, ControlId focused, Page page);

// Whether the key shows the focus cues: as in Windows' dialogs, the keys
// that move the focus (Tab, the arrows) and Alt do; typing does not.
bool KeyShowsFocusCues(const KeyPress& press);

// The selector entry the arrows pick: the next (first when none is
// selected) or previous one, stopping at the ends.
int32_t StepEntry(int32_t selected, int32_t count, KeyAction step);

// Tab order: the selector, the query and copy buttons, the report list (or
// the stick notice in its place) and the page tabs on the information
// page; the command box, the send button and the page tabs on the terminal
// page.
constexpr std::array<ControlId, 6> kInformationTabOrder = {
    kModemSelector, kQueryButtonControl, kCopyButtonControl, kReportList, kStickNotice, kPageTabs};
constexpr std::array<ControlId, 3> kTerminalTabOrder = {kTerminalInput, kSendButtonControl, kPageTabs};

// The control Tab (or Shift+Tab: backwards) moves to from `from`, passing
// over the controls the page does not show (noModem: whether the stick
// notice stands in the report list's place); a control outside the page's
// order starts it at its first (last) control.
ControlId NextInTabOrder(Page page, ControlId from, bool backwards, bool noModem);

// Where focus goes when the window gets it back and no control of the
// page had it: the page's first control.
ControlId FirstInTabOrder(Page page);

// The report list's keyboard row after a move (kRowUp, kRowDown, kFirstRow,
// kLastRow): rows painted over while the extra rows are hidden are
// skipped, the ends stop the move. Any other action leaves the row.
int32_t MoveKeyboardRow(int32_t row, KeyAction move, int32_t extraRowsShown);

// Whether a list item has a tick box of its own (the toggle row has none).
bool RowHasTickBox(int32_t item);
