// ui_probe: a console helper for the window tests. It runs under wine next
// to brenvaltor.exe and reads the running program's controls through
// messages that cross process boundaries (combo box texts, window texts,
// item states, focus), reads list row rectangles through memory placed in
// the program's own address space, and answers or closes the program's
// windows. Texts are printed as UTF-8 with LF line ends; only the clipboard
// text comes exactly as it is, CR LF included.
//
// Usage: ui_probe COMMAND [ARG], or ui_probe serve for one COMMAND [ARG] a
// line from standard input (see Serve)
//   wait [SECONDS]        until the window exists, its scan has filled the
//                         selector and the list shows: "origin X Y" (client
//                         origin on the screen) and "client W H"
//   entries               the selector entries, then "selected N"
//   select N              selects entry N
//   ticks                 one digit per list item: its state image index
//   rows                  "row N LEFT TOP RIGHT BOTTOM" for every list item,
//                         in the main window's client coordinates
//   count                 how many items the list holds
//   item N                list item N: its label, then its value, one line
//                         each
//   clipboard             the clipboard's Unicode text, unchanged
//   text NAME             the control's text, line ends as LF
//   visible NAME          "visible" or "hidden"
//   limit NAME            how many characters the edit control takes
//   page                  the selected tab (0 information, 1 terminal)
//   focus                 the name of the control with the keyboard focus
//   controls              every child control of the main window in the
//                         order a screen reader walks them (creation order,
//                         each one's children after it): "CLASS PARENT
//                         TABSTOP|- TEXT", PARENT being main or tabs
//   messagebox [ok]       waits for the program's message box: "caption C"
//                         and "text T"; with ok it presses OK and waits until
//                         the box is gone ("closed")
//   messageboxes          how many message boxes the program shows now
//   click NAME            posts BM_CLICK to a button, as a screen reader's
//                         default action does
//   close                 posts WM_CLOSE to the main window
//   devicechange          posts WM_DEVICECHANGE (DBT_DEVNODES_CHANGED), as
//                         Windows does when a stick is plugged in or out
//   idle [SECONDS]        waits until the window answers and no query or
//                         scan runs (default 90 s)
//   alive [SECONDS]       once the window says a query or scan runs, sends
//                         it WM_NULL every 50 ms until the work is over:
//                         "answered N, longest M ms"; fails when one went
//                         unanswered for 1 s, or the work did not begin and
//                         end within SECONDS (default 60)
// NAME: tabs, selector, list, notice, credits, terminal-output,
// terminal-input, query-button, copy-button, send-button; each is found by
// the control identifier the program gives it.
// Exit status 0 on success, 1 when the window or control is missing or a
// wait times out, 2 on bad usage.
#include <windows.h>
#include <commctrl.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "ui/window_layout.h"

namespace {

constexpr UINT kAnswerTimeoutMs = 5000;

void PrintLine(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
}

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                       nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size, nullptr,
                      nullptr);
  return out;
}

// CR LF and lone CR (a rich edit's paragraph end) both become LF.
std::string WithLfLineEnds(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

// SendMessage that gives up on a window that does not answer; false then.
bool Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result, UINT timeoutMs) {
  DWORD_PTR answer = 0;
  if (SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, timeoutMs, &answer) == 0)
    return false;
  *result = static_cast<LRESULT>(answer);
  return true;
}

LRESULT AskOrMinusOne(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  return Ask(window, message, wParam, lParam, &result, kAnswerTimeoutMs) ? result : -1;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 255);
  return name;
}

HWND MainWindow() { return FindWindowW(L"Brenvaltor", nullptr); }

// The controls the tests read, by test name: the identifier the program
// gave each one, and whether it lives in the tab control.
struct NamedId {
  const char* name;
  ControlId id;
  bool inPageTabs;
};
constexpr NamedId kNamedControls[] = {
    {"tabs", kPageTabs, false},
    {"selector", kModemSelector, true},
    {"list", kReportList, false},
    {"notice", kStickNotice, false},
    {"credits", kCreditsLine, false},
    {"terminal-output", kTerminalOutput, true},
    {"terminal-input", kTerminalInput, false},
    {"query-button", kQueryButtonControl, false},
    {"copy-button", kCopyButtonControl, false},
    {"send-button", kSendButtonControl, false},
};

HWND ControlById(HWND main, const NamedId& named) {
  if (main == nullptr) return nullptr;
  const HWND parent = named.inPageTabs ? GetDlgItem(main, ControlIdentifier(kPageTabs)) : main;
  return parent != nullptr ? GetDlgItem(parent, ControlIdentifier(named.id)) : nullptr;
}

// The controls by test name.
HWND NamedControl(HWND main, const std::string& name) {
  for (const NamedId& named : kNamedControls)
    if (name == named.name) return ControlById(main, named);
  return nullptr;
}

std::string NameOfControl(HWND main, HWND control) {
  if (control == nullptr) return "none";
  if (control == main) return "main";
  for (const NamedId& named : kNamedControls)
    if (ControlById(main, named) == control) return named.name;
  return "other " + Utf8(ClassOf(control));
}

HWND RequireMain() {
  const HWND main = MainWindow();
  if (main == nullptr) std::fprintf(stderr, "ui_probe: no Brenvaltor window\n");
  return main;
}

HWND RequireControl(const std::string& name) {
  const HWND control = NamedControl(MainWindow(), name);
  if (control == nullptr) std::fprintf(stderr, "ui_probe: no control %s\n", name.c_str());
  return control;
}

int WaitForWindow(double seconds) {
  const DWORD start = GetTickCount();
  for (;;) {
    const HWND main = MainWindow();
    const HWND selector = NamedControl(main, "selector");
    const HWND list = NamedControl(main, "list");
    const HWND notice = NamedControl(main, "notice");
    LRESULT count = 0;
    // While the scan runs the window's thread answers nothing: the short
    // timeout keeps the overall bound. The scan ends with the list shown,
    // or the stick notice in its place.
    if (selector != nullptr && list != nullptr && Ask(selector, CB_GETCOUNT, 0, 0, &count, 300) &&
        count > 0 && (IsWindowVisible(list) || (notice != nullptr && IsWindowVisible(notice)))) {
      POINT origin = {0, 0};
      ClientToScreen(main, &origin);
      RECT client{};
      GetClientRect(main, &client);
      std::printf("origin %ld %ld\nclient %ld %ld\n", origin.x, origin.y, client.right, client.bottom);
      return 0;
    }
    if (GetTickCount() - start > seconds * 1000) break;
    Sleep(100);
  }
  std::fprintf(stderr, "ui_probe: the window did not finish its start within %.0f s\n", seconds);
  return 1;
}

int PrintEntries() {
  const HWND selector = RequireControl("selector");
  if (selector == nullptr) return 1;
  const LRESULT count = AskOrMinusOne(selector, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = AskOrMinusOne(selector, CB_GETLBTEXTLEN, i, 0);
    if (length < 0) return 1;
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    AskOrMinusOne(selector, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(length));
    PrintLine(Utf8(text));
  }
  std::printf("selected %ld\n", static_cast<long>(AskOrMinusOne(selector, CB_GETCURSEL, 0, 0)));
  return 0;
}

int SelectEntry(int index) {
  const HWND selector = RequireControl("selector");
  if (selector == nullptr) return 1;
  return AskOrMinusOne(selector, CB_SETCURSEL, index, 0) == index ? 0 : 1;
}

int PrintTicks() {
  const HWND list = RequireControl("list");
  if (list == nullptr) return 1;
  const LRESULT count = AskOrMinusOne(list, LVM_GETITEMCOUNT, 0, 0);
  std::string digits;
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT state = AskOrMinusOne(list, LVM_GETITEMSTATE, i, LVIS_STATEIMAGEMASK);
    digits += static_cast<char>('0' + ((state & LVIS_STATEIMAGEMASK) >> 12));
  }
  PrintLine(digits);
  return 0;
}

// LVM_GETITEMRECT writes through its pointer in the list's process, so the
// rectangle is placed there and read back.
bool ReadRowRect(HANDLE process, void* remote, HWND list, int item, RECT* rect) {
  RECT request{};
  request.left = LVIR_BOUNDS;
  return WriteProcessMemory(process, remote, &request, sizeof request, nullptr) &&
         AskOrMinusOne(list, LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(remote)) == TRUE &&
         ReadProcessMemory(process, remote, rect, sizeof *rect, nullptr);
}

int PrintItemCount() {
  const HWND list = RequireControl("list");
  if (list == nullptr) return 1;
  const LRESULT count = AskOrMinusOne(list, LVM_GETITEMCOUNT, 0, 0);
  std::printf("%ld\n", static_cast<long>(count));
  return count >= 0 ? 0 : 1;
}

// LVM_GETITEMTEXTW, like LVM_GETITEMRECT, works on memory of the list's
// process: the request and the text buffer behind it are placed there.
constexpr int kItemTextChars = 1024;

bool ReadItemText(HANDLE process, char* remote, HWND list, int item, int subItem, std::wstring* text) {
  wchar_t* remoteText = reinterpret_cast<wchar_t*>(remote + sizeof(LVITEMW));
  LVITEMW request{};
  request.iSubItem = subItem;
  request.pszText = remoteText;
  request.cchTextMax = kItemTextChars;
  if (!WriteProcessMemory(process, remote, &request, sizeof request, nullptr)) return false;
  const LRESULT length = AskOrMinusOne(list, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(remote));
  if (length < 0 || length >= kItemTextChars) return false;
  text->assign(static_cast<size_t>(length), L'\0');
  return length == 0 || ReadProcessMemory(process, remoteText, &(*text)[0],
                                          static_cast<size_t>(length) * sizeof(wchar_t), nullptr);
}

int PrintItemTexts(int item) {
  const HWND list = RequireControl("list");
  if (list == nullptr) return 1;
  if (item < 0 || item >= AskOrMinusOne(list, LVM_GETITEMCOUNT, 0, 0)) {
    std::fprintf(stderr, "ui_probe: no list item %d\n", item);
    return 1;
  }
  DWORD processId = 0;
  GetWindowThreadProcessId(list, &processId);
  const HANDLE process =
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
  if (process == nullptr) return 1;
  const SIZE_T size = sizeof(LVITEMW) + kItemTextChars * sizeof(wchar_t);
  char* remote =
      static_cast<char*>(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  int status = remote != nullptr ? 0 : 1;
  for (int subItem = 0; subItem < 2 && status == 0; ++subItem) {
    std::wstring text;
    if (ReadItemText(process, remote, list, item, subItem, &text))
      PrintLine(Utf8(text));
    else
      status = 1;
  }
  if (remote != nullptr) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return status;
}

int PrintRowRects() {
  const HWND main = RequireMain();
  const HWND list = RequireControl("list");
  if (main == nullptr || list == nullptr) return 1;
  DWORD processId = 0;
  GetWindowThreadProcessId(list, &processId);
  const HANDLE process =
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
  if (process == nullptr) return 1;
  void* remote = VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  int status = remote != nullptr ? 0 : 1;
  const LRESULT count = AskOrMinusOne(list, LVM_GETITEMCOUNT, 0, 0);
  for (LRESULT item = 0; item < count && status == 0; ++item) {
    RECT rect{};
    if (!ReadRowRect(process, remote, list, static_cast<int>(item), &rect)) {
      status = 1;
      break;
    }
    MapWindowPoints(list, main, reinterpret_cast<POINT*>(&rect), 2);
    std::printf("row %ld %ld %ld %ld %ld\n", static_cast<long>(item), rect.left, rect.top, rect.right,
                rect.bottom);
  }
  if (remote != nullptr) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return status;
}

// The clipboard's CF_UNICODETEXT exactly as it is, CR LF included.
int PrintClipboardText() {
  if (!OpenClipboard(nullptr)) return 1;
  int status = 1;
  if (const HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const wchar_t* text = static_cast<const wchar_t*>(GlobalLock(data))) {
      const std::string utf8 = Utf8(text);
      std::fwrite(utf8.data(), 1, utf8.size(), stdout);
      GlobalUnlock(data);
      status = 0;
    }
  }
  CloseClipboard();
  if (status != 0) std::fprintf(stderr, "ui_probe: no text on the clipboard\n");
  return status;
}

int PrintText(const std::string& name) {
  const HWND control = RequireControl(name);
  if (control == nullptr) return 1;
  const LRESULT length = AskOrMinusOne(control, WM_GETTEXTLENGTH, 0, 0);
  if (length < 0) return 1;
  // The length may count CR LF pairs the text itself gives as one CR.
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT copied = AskOrMinusOne(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  PrintLine(WithLfLineEnds(Utf8(text)));
  return 0;
}

int PrintVisible(const std::string& name) {
  const HWND control = RequireControl(name);
  if (control == nullptr) return 1;
  PrintLine(IsWindowVisible(control) ? "visible" : "hidden");
  return 0;
}

int PrintTextLimit(const std::string& name) {
  const HWND control = RequireControl(name);
  if (control == nullptr) return 1;
  std::printf("%ld\n", static_cast<long>(AskOrMinusOne(control, EM_GETLIMITTEXT, 0, 0)));
  return 0;
}

int PrintPage() {
  const HWND tabs = RequireControl("tabs");
  if (tabs == nullptr) return 1;
  std::printf("%ld\n", static_cast<long>(AskOrMinusOne(tabs, TCM_GETCURSEL, 0, 0)));
  return 0;
}

int PrintFocus() {
  const HWND main = RequireMain();
  if (main == nullptr) return 1;
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info)) return 1;
  PrintLine(NameOfControl(main, info.hwndFocus));
  return 0;
}

struct BoxSearch {
  DWORD processId;
  HWND found;
  int count;
};

BOOL CALLBACK CollectMessageBox(HWND window, LPARAM data) {
  BoxSearch* search = reinterpret_cast<BoxSearch*>(data);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (processId == search->processId && IsWindowVisible(window) && ClassOf(window) == L"#32770") {
    search->found = window;
    ++search->count;
  }
  return TRUE;
}

BoxSearch FindMessageBoxes(HWND main) {
  BoxSearch search{};
  GetWindowThreadProcessId(main, &search.processId);
  EnumWindows(CollectMessageBox, reinterpret_cast<LPARAM>(&search));
  return search;
}

std::wstring WindowText(HWND window) {
  const LRESULT length = AskOrMinusOne(window, WM_GETTEXTLENGTH, 0, 0);
  if (length <= 0) return std::wstring();
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT copied = AskOrMinusOne(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}

struct ControlWalk {
  HWND main;
  HWND tabs;
};

BOOL CALLBACK PrintChildControl(HWND control, LPARAM data) {
  const ControlWalk* walk = reinterpret_cast<const ControlWalk*>(data);
  const HWND parent = GetParent(control);
  const char* parentName = parent == walk->main ? "main" : parent == walk->tabs ? "tabs" : "other";
  const bool tabStop = (GetWindowLongW(control, GWL_STYLE) & WS_TABSTOP) != 0;
  PrintLine(Utf8(ClassOf(control)) + " " + parentName + " " + (tabStop ? "TABSTOP" : "-") + " " +
            Utf8(WindowText(control)));
  return TRUE;
}

// EnumChildWindows walks the whole tree, each window before its children,
// siblings in their order.
int PrintControls() {
  const HWND main = RequireMain();
  if (main == nullptr) return 1;
  ControlWalk walk = {main, NamedControl(main, "tabs")};
  EnumChildWindows(main, PrintChildControl, reinterpret_cast<LPARAM>(&walk));
  return 0;
}

int AnswerMessageBox(bool pressOk) {
  const HWND main = RequireMain();
  if (main == nullptr) return 1;
  HWND box = nullptr;
  for (int tries = 0; tries < 100 && box == nullptr; ++tries) {
    box = FindMessageBoxes(main).found;
    if (box == nullptr) Sleep(100);
  }
  if (box == nullptr) {
    std::fprintf(stderr, "ui_probe: no message box\n");
    return 1;
  }
  PrintLine("caption " + Utf8(WindowText(box)));
  for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (lstrcmpiW(ClassOf(child).c_str(), L"Static") != 0) continue;
    const std::wstring text = WindowText(child);
    if (!text.empty()) PrintLine("text " + WithLfLineEnds(Utf8(text)));
  }
  if (!pressOk) return 0;
  const HWND ok = GetDlgItem(box, IDOK);
  if (ok == nullptr) {
    std::fprintf(stderr, "ui_probe: the message box has no OK button\n");
    return 1;
  }
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
  for (int tries = 0; tries < 50; ++tries) {
    if (!IsWindow(box)) {
      PrintLine("closed");
      return 0;
    }
    Sleep(100);
  }
  PrintLine("still open");
  return 1;
}

int PrintMessageBoxCount() {
  const HWND main = RequireMain();
  if (main == nullptr) return 1;
  std::printf("%d\n", FindMessageBoxes(main).count);
  return 0;
}

int PostButtonClick(const std::string& name) {
  const HWND button = RequireControl(name);
  if (button == nullptr) return 1;
  return PostMessageW(button, BM_CLICK, 0, 0) ? 0 : 1;
}

int PostClose() {
  const HWND main = RequireMain();
  if (main == nullptr) return 1;
  return PostMessageW(main, WM_CLOSE, 0, 0) ? 0 : 1;
}

int PostDeviceChange() {
  const HWND main = RequireMain();
  if (main == nullptr) return 1;
  // DBT_DEVNODES_CHANGED carries no data: it can be posted from outside.
  return PostMessageW(main, WM_DEVICECHANGE, 0x0007, 0) ? 0 : 1;
}

// One process polls, rather than one per question: the tests' own load
// stays off the stick's timing.
int WaitIdle(double seconds) {
  const DWORD start = GetTickCount();
  LRESULT busy = 1;
  while (!(Ask(MainWindow(), kWorkRunningMessage, 0, 0, &busy, 1000) && busy == 0)) {
    if (GetTickCount() - start > seconds * 1000) {
      std::fprintf(stderr, "ui_probe: the window was not idle within %.0f s\n", seconds);
      return 1;
    }
    Sleep(50);
  }
  return 0;
}

// Windows calls a window "not responding" once it leaves messages
// unanswered for 5 s; the window is to answer within 1 s throughout.
int WatchAlive(double seconds) {
  const DWORD start = GetTickCount();
  const auto late = [&] { return GetTickCount() - start > seconds * 1000; };
  LRESULT busy = 0;
  while (!(Ask(MainWindow(), kWorkRunningMessage, 0, 0, &busy, 1000) && busy == 1)) {
    if (late()) {
      std::fprintf(stderr, "ui_probe: no query or scan began\n");
      return 1;
    }
    Sleep(20);
  }
  int answered = 0;
  DWORD longest = 0;
  while (busy == 1 && !late()) {
    const HWND main = MainWindow();
    LRESULT ignored = 0;
    const DWORD sent = GetTickCount();
    if (!Ask(main, WM_NULL, 0, 0, &ignored, 1000)) {
      std::printf("unanswered for 1 s after %lu ms of work\n", GetTickCount() - start);
      return 1;
    }
    longest = GetTickCount() - sent > longest ? GetTickCount() - sent : longest;
    ++answered;
    Sleep(50);
    if (!Ask(main, kWorkRunningMessage, 0, 0, &busy, 1000)) busy = -1;
  }
  std::printf("answered %d, longest %lu ms\n", answered, longest);
  return busy == 0 ? 0 : 1;
}

int Usage() {
  std::fprintf(stderr,
               "usage: ui_probe wait [SECONDS] | entries | select N | ticks | rows | count |\n"
               "  item N | clipboard | text NAME | visible NAME | limit NAME | page | focus |\n"
               "  controls | click NAME |\n"
               "  messagebox [ok] | messageboxes | close | devicechange |\n"
               "  idle [SECONDS] | alive [SECONDS]\n");
  return 2;
}

int RunCommand(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  const std::string argument = argc > 2 ? argv[2] : "";
  if (command == "wait") return WaitForWindow(argument.empty() ? 30.0 : std::atof(argument.c_str()));
  if (command == "entries") return PrintEntries();
  if (command == "select" && !argument.empty()) return SelectEntry(std::atoi(argument.c_str()));
  if (command == "ticks") return PrintTicks();
  if (command == "rows") return PrintRowRects();
  if (command == "count") return PrintItemCount();
  if (command == "item" && !argument.empty()) return PrintItemTexts(std::atoi(argument.c_str()));
  if (command == "clipboard") return PrintClipboardText();
  if (command == "text" && !argument.empty()) return PrintText(argument);
  if (command == "visible" && !argument.empty()) return PrintVisible(argument);
  if (command == "limit" && !argument.empty()) return PrintTextLimit(argument);
  if (command == "page") return PrintPage();
  if (command == "focus") return PrintFocus();
  if (command == "controls") return PrintControls();
  if (command == "messagebox") return AnswerMessageBox(argument == "ok");
  if (command == "messageboxes") return PrintMessageBoxCount();
  if (command == "click" && !argument.empty()) return PostButtonClick(argument);
  if (command == "close") return PostClose();
  if (command == "devicechange") return PostDeviceChange();
  if (command == "idle") return WaitIdle(argument.empty() ? 90.0 : std::atof(argument.c_str()));
  if (command == "alive") return WatchAlive(argument.empty() ? 60.0 : std::atof(argument.c_str()));
  return Usage();
}

}  // namespace

// "serve" answers one question a line from standard input, each answer
// followed by a line break and a line of RS and its exit status: a test asks
// all its questions of one wine process, as starting one per question costs
// more than most questions take.
int Serve() {
  _setmode(_fileno(stdin), _O_BINARY);
  char line[512];
  while (std::fgets(line, sizeof line, stdin) != nullptr) {
    std::string text = line;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    const size_t space = text.find(' ');
    std::string command = text.substr(0, space);
    std::string argument = space == std::string::npos ? "" : text.substr(space + 1);
    char* argv[] = {nullptr, command.data(), argument.data()};
    const int status = RunCommand(argument.empty() ? 2 : 3, argv);
    std::printf("\n\x1e%d\n", status);
    std::fflush(stdout);
  }
  return 0;
}

int main(int argc, char** argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  const int status = argc == 2 && std::string(argv[1]) == "serve" ? Serve() : RunCommand(argc, argv);
  std::fflush(stdout);
  return status;
}
