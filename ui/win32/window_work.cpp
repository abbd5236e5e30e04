// Work off the window's thread: the query, the router stick's query and the
// scans run one at a time on a worker thread, so that the window keeps
// painting, moving and answering its messages however long a stick takes.
// The worker touches nothing of the window: it posts kWorkDoneMessage when
// it is done, and the work's finishing step (filling the list, the
// selector, a message box) runs on the window's thread.
#include <windows.h>

#include "ui/win32/window_part.h"
#include "ui/win32/window_proc.h"

namespace {

// The query's longest single wait is one bounded read (about 2 to 3 s), a
// scan's a silent probe (about 2 s): closing the window waits this long at
// most for the worker to end.
constexpr DWORD kWorkEndWaitMs = 8000;

struct WindowWork {
  HANDLE thread;
  WorkStep work;
  WorkStep finish;
  // From StartWork until the finishing step begins.
  bool running;
};

WindowWork g_Work;

DWORD WINAPI RunWork(void*) {
  g_Work.work();
  PostMessageW(g_Window.mainWindow, kWorkDoneMessage, 0, 0);
  return 0;
}

}  // namespace

bool WorkRunning() { return g_Work.running; }

bool StartWork(WorkStep work, WorkStep finish) {
  if (g_Work.running) return false;
  g_Work = {nullptr, work, finish, true};
  g_App.QueryStopRequested = false;
  g_Work.thread = CreateThread(nullptr, 0, RunWork, nullptr, 0, nullptr);
  if (g_Work.thread == nullptr) {
    // No thread to be had: the work runs here, the window waiting for it.
    work();
    g_Work.running = false;
    finish();
  }
  return true;
}

void OnWorkDone() {
  if (!g_Work.running || g_Work.thread == nullptr) return;
  // The worker posted its message last thing: it ends at once.
  WaitForSingleObject(g_Work.thread, INFINITE);
  CloseHandle(g_Work.thread);
  g_Work.thread = nullptr;
  g_Work.running = false;
  g_Work.finish();
}

void EndWork() {
  if (!g_Work.running || g_Work.thread == nullptr) return;
  // A query ends before its next command; a scan's probes end on their own.
  g_App.QueryStopRequested = true;
  if (WaitForSingleObject(g_Work.thread, kWorkEndWaitMs) == WAIT_OBJECT_0) CloseHandle(g_Work.thread);
  g_Work.thread = nullptr;
  g_Work.running = false;
}

bool HeldBackDuringWork(const MSG& msg) {
  if (!g_Work.running) return false;
  const HWND selector = Control(kModemSelector);
  const HWND list = Control(kReportList);
  const bool onSelectorOrList =
      msg.hwnd == selector || msg.hwnd == list || IsChild(selector, msg.hwnd) || IsChild(list, msg.hwnd);
  // Clicks on the buttons (the main window takes them), the selector and
  // the list do nothing while the work runs; the tabs and the frame stay
  // live.
  if (msg.message >= WM_LBUTTONDOWN && msg.message <= WM_MBUTTONDBLCLK)
    return onSelectorOrList || msg.hwnd == g_Window.mainWindow;
  // So do their keys, but for those that leave them (Tab, Alt+F4).
  const bool key = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN || msg.message == WM_CHAR;
  return key && onSelectorOrList && msg.wParam != VK_TAB && msg.wParam != '\t' && msg.wParam != VK_F4 &&
         msg.wParam != VK_MENU;
}
