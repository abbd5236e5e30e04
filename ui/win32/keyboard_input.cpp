// Keys of the main window: Tab order, page switching, the commands' keys,
// the report list's rows, and the focus cues that show once a key has
// moved the focus.
#include "ui/win32/keyboard_input.h"

#include "ui/keyboard.h"
#include "ui/win32/window_part.h"
#include "ui/win32/window_proc.h"

// The portable rules name the keys by number; here they meet their names.
static_assert(kKeyTab == VK_TAB && kKeyReturn == VK_RETURN && kKeySpace == VK_SPACE);
static_assert(kKeyPageUp == VK_PRIOR && kKeyPageDown == VK_NEXT && kKeyEnd == VK_END && kKeyHome == VK_HOME);
static_assert(kKeyLeft == VK_LEFT && kKeyUp == VK_UP && kKeyRight == VK_RIGHT && kKeyDown == VK_DOWN);
static_assert(kKeyAlt == VK_MENU && kKeyF5 == VK_F5);

namespace {

KeyPress ReadKeyPress(const MSG& msg) {
  KeyPress press{};
  press.key = static_cast<int32_t>(msg.wParam);
  press.control = GetKeyState(VK_CONTROL) < 0;
  press.shift = GetKeyState(VK_SHIFT) < 0;
  press.alt = GetKeyState(VK_MENU) < 0;
  press.repeated = (msg.lParam & (1L << 30)) != 0;
  return press;
}

void ShowFocusCues() {
  RevealSelectorFocus();
  if (g_Window.focusCuesShown) return;
  g_Window.focusCuesShown = true;
  SendMessageW(g_Window.mainWindow, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
  const HWND focus = GetFocus();
  if (focus == Control(kReportList))
    RedrawKeyboardRow();
  else if (focus != nullptr && focus != g_Window.mainWindow)
    InvalidateRect(focus, nullptr, FALSE);
}

// CB_SETCURSEL tells nobody; the box's parent hears of the change as from
// the user's own pick.
void StepModemSelector(KeyAction step) {
  const HWND selector = Control(kModemSelector);
  if (SendMessageW(selector, CB_GETDROPPEDSTATE, 0, 0) != 0) return;
  const int32_t selected = static_cast<int32_t>(SendMessageW(selector, CB_GETCURSEL, 0, 0));
  const int32_t count = static_cast<int32_t>(SendMessageW(selector, CB_GETCOUNT, 0, 0));
  const int32_t next = StepEntry(selected, count, step);
  if (next == selected || next < 0) return;
  SendMessageW(selector, CB_SETCURSEL, next, 0);
  SendMessageW(GetParent(selector), WM_COMMAND, MAKEWPARAM(ControlIdentifier(kModemSelector), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(selector));
}

void FocusControl(ControlId id) {
  SetFocus(Control(id));
  NoteFocus();
}

void OtherPage() {
  const Page page = ShownPage() == Page::kTerminal ? Page::kInformation : Page::kTerminal;
  SwitchPage(page);
  if (GetFocus() != Control(kPageTabs)) FocusControl(FirstInTabOrder(page));
}

}  // namespace

bool HandleKeyDown(const MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
  if (msg.hwnd != g_Window.mainWindow && !IsChild(g_Window.mainWindow, msg.hwnd)) return false;
  const KeyPress press = ReadKeyPress(msg);
  if (KeyShowsFocusCues(press)) ShowFocusCues();
  const KeyAction action = ActionForKey(press, FocusedControl(), ShownPage());
  switch (action) {
    case KeyAction::kLeaveToControl: return false;
    case KeyAction::kFocusNext:
    case KeyAction::kFocusPrevious:
      FocusControl(NextInTabOrder(ShownPage(), FocusedControl(), action == KeyAction::kFocusPrevious,
                                  NoModemListed()));
      break;
    case KeyAction::kNextPage:
    case KeyAction::kPreviousPage: OtherPage(); break;
    case KeyAction::kQuery: RunButtonCommand(kQueryButton); break;
    case KeyAction::kCopy: RunButtonCommand(kCopyButton); break;
    case KeyAction::kSend: RunButtonCommand(kSendButton); break;
    case KeyAction::kToggleTick: ToggleKeyboardRowTick(); break;
    case KeyAction::kTickAll: TickAllRows(); break;
    case KeyAction::kActivateRow: ActivateKeyboardRow(); break;
    case KeyAction::kRowUp:
    case KeyAction::kRowDown:
    case KeyAction::kFirstRow:
    case KeyAction::kLastRow:
      MoveKeyboardRowTo(MoveKeyboardRow(g_Window.keyboardRow, action, g_App.ExtraRowsShown));
      break;
    case KeyAction::kNextEntry:
    case KeyAction::kPreviousEntry:
      // An open list takes its arrows itself.
      if (SendMessageW(Control(kModemSelector), CB_GETDROPPEDSTATE, 0, 0) != 0) return false;
      StepModemSelector(action);
      break;
  }
  return true;
}

void NoteFocus() {
  const HWND focus = GetFocus();
  if (focus == g_Window.focusSeen) return;
  const HWND list = Control(kReportList);
  if (FocusCuesShown() && (focus == list || g_Window.focusSeen == list)) RedrawKeyboardRow();
  g_Window.focusSeen = focus;
  RememberFocus();
}

void SetUpKeyboard() {
  SendMessageW(g_Window.mainWindow, WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS | UISF_HIDEACCEL),
               0);
  GiveFocus(Control(kModemSelector));
  NoteFocus();
}
