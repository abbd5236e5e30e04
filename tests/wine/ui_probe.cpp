// ui_probe: the window tests' helper under wine. It reads brenvaltor.exe's controls by messages
// and list items through memory placed in the program's process, and answers or closes its windows.
// Texts come as UTF-8 with LF line ends, the clipboard's as it is (CR LF).
// Usage: ui_probe COMMAND [ARG] (kCommands; NAME is a kNamedControls name), or ui_probe serve (one a
// line). Exit status 0, 1 when the window or control is missing or a wait times out, 2 on bad usage.
#include <windows.h>
#include <commctrl.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "ui/window_layout.h"

namespace {

void PrintLine(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
}

// At most three UTF-8 bytes a UTF-16 unit.
std::string Utf8(const std::wstring& text) {
  std::string out(text.size() * 3, '\0');
  out.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0],
                                 static_cast<int>(out.size()), nullptr, nullptr));
  return out;
}

// CR LF and lone CR (a rich edit's paragraph end) both become LF.
std::string WithLfLineEnds(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    out += text[i] == '\r' ? '\n' : text[i];
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
  }
  return out;
}

// SendMessage that gives up on a window that does not answer; false then.
bool Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result, UINT timeoutMs = 5000) {
  DWORD_PTR answer = 0;
  if (SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, timeoutMs, &answer) == 0)
    return false;
  *result = static_cast<LRESULT>(answer);
  return true;
}

LRESULT AskOrMinusOne(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  LRESULT result = 0;
  return Ask(window, message, wParam, lParam, &result) ? result : -1;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 255);
  return name;
}

HWND MainWindow() { return FindWindowW(L"Brenvaltor", nullptr); }

// The controls by test name: the program's identifier, and whether the tab control is the parent.
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

// The main window, or the control NAME in it ("main": the window itself).
HWND Require(const std::string& name) {
  const HWND main = MainWindow();
  const HWND window = name == "main" ? main : NamedControl(main, name);
  if (window == nullptr) std::fprintf(stderr, "ui_probe: no window %s\n", name.c_str());
  return window;
}

// Polls DONE every PAUSE ms until it holds or ARGUMENT seconds (FALLBACK without one) have passed.
template <typename Done>
bool PollFor(const std::string& argument, double fallback, DWORD pauseMs, Done done) {
  const double seconds = argument.empty() ? fallback : std::atof(argument.c_str());
  const DWORD start = GetTickCount();
  for (;;) {
    if (done()) return true;
    if (GetTickCount() - start > seconds * 1000) return false;
    Sleep(pauseMs);
  }
}

int WaitForWindow(const std::string& argument) {
  const bool ready = PollFor(argument, 30.0, 100, [] {
    const HWND main = MainWindow();
    const HWND list = NamedControl(main, "list");
    const HWND notice = NamedControl(main, "notice");
    LRESULT count = 0;
    // While the scan runs the window's thread answers nothing: the short timeout keeps the overall
    // bound. The scan ends with the list shown, or the stick notice in its place.
    return list != nullptr && Ask(NamedControl(main, "selector"), CB_GETCOUNT, 0, 0, &count, 300) &&
           count > 0 && (IsWindowVisible(list) || (notice != nullptr && IsWindowVisible(notice)));
  });
  if (!ready) {
    std::fprintf(stderr, "ui_probe: the window did not finish its start in time\n");
    return 1;
  }
  POINT origin = {0, 0};
  ClientToScreen(MainWindow(), &origin);
  RECT client{};
  GetClientRect(MainWindow(), &client);
  std::printf("origin %ld %ld\nclient %ld %ld\n", origin.x, origin.y, client.right, client.bottom);
  return 0;
}

std::wstring WindowText(HWND window) {
  const LRESULT length = AskOrMinusOne(window, WM_GETTEXTLENGTH);
  if (length <= 0) return std::wstring();
  // The length may count CR LF pairs the text itself gives as one CR.
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT copied = AskOrMinusOne(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}

// NAME's answer to a message without arguments, as a number.
int PrintAnswer(const std::string& name, UINT message) {
  const HWND control = Require(name);
  const LRESULT answer = control != nullptr ? AskOrMinusOne(control, message) : -1;
  if (answer >= 0) std::printf("%ld\n", static_cast<long>(answer));
  return answer >= 0 ? 0 : 1;
}

int PrintEntries(const std::string&) {
  const HWND selector = Require("selector");
  if (selector == nullptr) return 1;
  for (LRESULT i = 0, count = AskOrMinusOne(selector, CB_GETCOUNT); i < count; ++i) {
    wchar_t text[1024] = {};
    if (AskOrMinusOne(selector, CB_GETLBTEXTLEN, i) >= 1024 ||
        AskOrMinusOne(selector, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text)) < 0)
      return 1;
    PrintLine(Utf8(text));
  }
  std::printf("selected %ld\n", static_cast<long>(AskOrMinusOne(selector, CB_GETCURSEL)));
  return 0;
}

int SelectEntry(const std::string& argument) {
  const HWND selector = Require("selector");
  const int index = std::atoi(argument.c_str());
  return selector != nullptr && AskOrMinusOne(selector, CB_SETCURSEL, index) == index ? 0 : 1;
}

int PrintTicks(const std::string&) {
  const HWND list = Require("list");
  if (list == nullptr) return 1;
  std::string digits;
  for (LRESULT i = 0, count = AskOrMinusOne(list, LVM_GETITEMCOUNT); i < count; ++i)
    digits += static_cast<char>(
        '0' + ((AskOrMinusOne(list, LVM_GETITEMSTATE, i, LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) >> 12));
  PrintLine(digits);
  return 0;
}

// LVM_GETITEMRECT and LVM_GETITEMTEXTW write through their pointer in the list's process: the
// request and the room for the answer are placed there.
constexpr int kItemTextChars = 1024;
struct ListMemory {
  HWND list;
  HANDLE process;
  char* remote;
  LRESULT count;
};

// The answer to MESSAGE about ITEM with REQUEST placed, -1 on failure.
template <typename Request>
LRESULT SendToList(const ListMemory& memory, UINT message, LRESULT item, const Request& request) {
  return WriteProcessMemory(memory.process, memory.remote, &request, sizeof request, nullptr)
             ? AskOrMinusOne(memory.list, message, item, reinterpret_cast<LPARAM>(memory.remote))
             : -1;
}

template <typename Read>
int WithListMemory(Read read) {
  ListMemory memory{Require("list"), nullptr, nullptr, 0};
  DWORD processId = 0;
  if (memory.list != nullptr) GetWindowThreadProcessId(memory.list, &processId);
  memory.process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
  if (memory.process != nullptr)
    memory.remote =
        static_cast<char*>(VirtualAllocEx(memory.process, nullptr, sizeof(LVITEMW) + kItemTextChars * 2,
                                          MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  memory.count = memory.remote != nullptr ? AskOrMinusOne(memory.list, LVM_GETITEMCOUNT) : 0;
  const int status = memory.count > 0 ? read(memory) : 1;
  if (memory.remote != nullptr) VirtualFreeEx(memory.process, memory.remote, 0, MEM_RELEASE);
  if (memory.process != nullptr) CloseHandle(memory.process);
  return status;
}

int PrintItemTexts(const std::string& argument) {
  return WithListMemory([item = std::atoi(argument.c_str())](const ListMemory& memory) {
    if (item < 0 || item >= memory.count) return 1;
    wchar_t* remoteText = reinterpret_cast<wchar_t*>(memory.remote + sizeof(LVITEMW));
    for (int subItem = 0; subItem < 2; ++subItem) {
      LVITEMW request{};
      request.iSubItem = subItem;
      request.pszText = remoteText;
      request.cchTextMax = kItemTextChars;
      const LRESULT length = SendToList(memory, LVM_GETITEMTEXTW, item, request);
      if (length < 0 || length >= kItemTextChars) return 1;
      std::wstring text(static_cast<size_t>(length), L'\0');
      if (length > 0 &&
          !ReadProcessMemory(memory.process, remoteText, &text[0], length * sizeof(wchar_t), nullptr))
        return 1;
      PrintLine(Utf8(text));
    }
    return 0;
  });
}

int PrintRowRects(const std::string&) {
  return WithListMemory([](const ListMemory& memory) {
    for (LRESULT item = 0; item < memory.count; ++item) {
      RECT rect{LVIR_BOUNDS, 0, 0, 0};
      if (SendToList(memory, LVM_GETITEMRECT, item, rect) != TRUE ||
          !ReadProcessMemory(memory.process, memory.remote, &rect, sizeof rect, nullptr))
        return 1;
      MapWindowPoints(memory.list, MainWindow(), reinterpret_cast<POINT*>(&rect), 2);
      std::printf("row %ld %ld %ld %ld %ld\n", static_cast<long>(item), rect.left, rect.top, rect.right,
                  rect.bottom);
    }
    return 0;
  });
}

int PrintClipboardText(const std::string&) {
  if (!OpenClipboard(nullptr)) return 1;
  const HANDLE data = GetClipboardData(CF_UNICODETEXT);
  const wchar_t* text = data != nullptr ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
  if (text != nullptr) {
    const std::string utf8 = Utf8(text);
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text != nullptr ? 0 : 1;
}

// NAME's text, or with VISIBILITY "visible" or "hidden".
int PrintControl(const std::string& name, bool visibility) {
  const HWND control = Require(name);
  if (control != nullptr)
    PrintLine(visibility ? (IsWindowVisible(control) ? "visible" : "hidden")
                         : WithLfLineEnds(Utf8(WindowText(control))));
  return control != nullptr ? 0 : 1;
}

int PrintFocus(const std::string&) {
  const HWND main = Require("main");
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (main == nullptr || !GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info)) return 1;
  PrintLine(NameOfControl(main, info.hwndFocus));
  return 0;
}

// The program's visible message boxes: how many, and one of them.
struct BoxSearch {
  DWORD processId;
  HWND found;
  int count;
};

BoxSearch FindMessageBoxes() {
  BoxSearch search{};
  GetWindowThreadProcessId(MainWindow(), &search.processId);
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        BoxSearch* search = reinterpret_cast<BoxSearch*>(data);
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        if (processId == search->processId && IsWindowVisible(window) && ClassOf(window) == L"#32770") {
          search->found = window;
          ++search->count;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search;
}

// EnumChildWindows walks each window before its children, siblings in order, as a screen reader.
int PrintControls(const std::string&) {
  const HWND main = Require("main");
  if (main == nullptr) return 1;
  EnumChildWindows(
      main,
      [](HWND control, LPARAM data) -> BOOL {
        const HWND main = reinterpret_cast<HWND>(data), parent = GetParent(control);
        const char* parentName = parent == main                         ? "main"
                                 : parent == NamedControl(main, "tabs") ? "tabs"
                                                                        : "other";
        const bool tabStop = (GetWindowLongW(control, GWL_STYLE) & WS_TABSTOP) != 0;
        PrintLine(Utf8(ClassOf(control)) + " " + parentName + " " + (tabStop ? "TABSTOP" : "-") + " " +
                  Utf8(WindowText(control)));
        return TRUE;
      },
      reinterpret_cast<LPARAM>(main));
  return 0;
}

int AnswerMessageBox(const std::string& argument) {
  HWND box = nullptr;
  if (!PollFor("", 10.0, 100, [&] { return (box = FindMessageBoxes().found) != nullptr; })) return 1;
  PrintLine("caption " + Utf8(WindowText(box)));
  for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    const std::wstring text = lstrcmpiW(ClassOf(child).c_str(), L"Static") == 0 ? WindowText(child) : L"";
    if (!text.empty()) PrintLine("text " + WithLfLineEnds(Utf8(text)));
  }
  if (argument != "ok") return 0;
  const HWND ok = GetDlgItem(box, IDOK);
  if (ok != nullptr)
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
  const bool closed = ok != nullptr && PollFor("", 5.0, 100, [&] { return !IsWindow(box); });
  PrintLine(closed ? "closed" : "still open");
  return closed ? 0 : 1;
}

int Post(const std::string& name, UINT message, WPARAM wParam) {
  const HWND window = Require(name);
  return window != nullptr && PostMessageW(window, message, wParam, 0) ? 0 : 1;
}

// WM_CHAR for each UTF-16 unit, as typed keys: xdotool reaches wine only with the X keyboard map's.
int PostChars(const std::string& argument) {
  const size_t space = argument.find(' ');
  const HWND control = Require(argument.substr(0, space));
  if (control == nullptr || space == std::string::npos) return 1;
  wchar_t text[256] = {};
  const int units = MultiByteToWideChar(CP_UTF8, 0, argument.data() + space + 1,
                                        static_cast<int>(argument.size() - space - 1), text, 255);
  for (int i = 0; i < units; ++i) PostMessageW(control, WM_CHAR, text[i], 1);
  return units > 0 ? 0 : 1;
}

// 1 while a query or scan runs, 0 when none does, -1 when the window does not answer within 1 s.
LRESULT WorkRunning() {
  LRESULT busy = -1;
  return Ask(MainWindow(), kWorkRunningMessage, 0, 0, &busy, 1000) ? busy : -1;
}

// One process polls, rather than one per question: the tests' own load stays off the stick's timing.
int WaitIdle(const std::string& argument) {
  return PollFor(argument, 90.0, 50, [] { return WorkRunning() == 0; }) ? 0 : 1;
}

// Windows calls a window "not responding" after 5 s unanswered; this one is to answer within 1 s.
int WatchAlive(const std::string& argument) {
  if (!PollFor(argument, 60.0, 20, [] { return WorkRunning() == 1; })) return 1;
  const DWORD start = GetTickCount();
  int answered = 0;
  DWORD longest = 0;
  LRESULT busy = 1;
  bool unanswered = false;
  PollFor(argument, 60.0, 50, [&] {
    LRESULT ignored = 0;
    const DWORD sent = GetTickCount();
    unanswered = !Ask(MainWindow(), WM_NULL, 0, 0, &ignored, 1000);
    longest = GetTickCount() - sent > longest ? GetTickCount() - sent : longest;
    ++answered;
    return unanswered || (busy = WorkRunning()) != 1;
  });
  if (unanswered)
    std::printf("unanswered for 1 s after %lu ms of work\n", GetTickCount() - start);
  else
    std::printf("answered %d, longest %lu ms\n", answered, longest);
  return !unanswered && busy == 0 ? 0 : 1;
}

struct Command {
  const char* name;
  bool needsArgument;
  int (*run)(const std::string& argument);
};
constexpr Command kCommands[] = {
    // [SECONDS]: until the scan has filled the selector and the list or the notice shows; "origin X Y"
    // (client origin on the screen), "client W H".
    {"wait", false, WaitForWindow},
    {"entries", false, PrintEntries},  // the selector's entries, then "selected N"
    {"select", true, SelectEntry},     // N
    {"ticks", false, PrintTicks},      // one digit per list item: its state image
    {"rows", false, PrintRowRects},    // "row N LEFT TOP RIGHT BOTTOM", main window client coordinates
    {"item", true, PrintItemTexts},    // N: the item's label, then its value
    {"clipboard", false, PrintClipboardText},  // the clipboard's Unicode text, unchanged
    {"text", true, [](const std::string& name) { return PrintControl(name, false); }},
    {"visible", true, [](const std::string& name) { return PrintControl(name, true); }},
    {"limit", true, [](const std::string& name) { return PrintAnswer(name, EM_GETLIMITTEXT); }},
    {"page", false, [](const std::string&) { return PrintAnswer("tabs", TCM_GETCURSEL); }},
    {"focus", false, PrintFocus},        // the focused control's test name
    {"controls", false, PrintControls},  // "CLASS PARENT TABSTOP|- TEXT" a child control
    // [ok]: waits for the program's message box: "caption C", "text T"; with ok presses OK and waits
    // until it is gone ("closed").
    {"messagebox", false, AnswerMessageBox},
    {"messageboxes", false,
     [](const std::string&) {
       std::printf("%d\n", FindMessageBoxes().count);
       return 0;
     }},
    {"click", true, [](const std::string& name) { return Post(name, BM_CLICK, 0); }},  // a screen reader's
    {"type", true, PostChars},                                                         // NAME TEXT
    {"close", false, [](const std::string&) { return Post("main", WM_CLOSE, 0); }},
    // DBT_DEVNODES_CHANGED carries no data: it can be posted from outside.
    {"devicechange", false, [](const std::string&) { return Post("main", WM_DEVICECHANGE, 0x0007); }},
    {"idle", false, WaitIdle},  // [SECONDS]: until the window answers and no query or scan runs
    // [SECONDS]: once a query or scan runs, WM_NULL every 50 ms until it is over: "answered N, longest
    // M ms"; fails on one unanswered for 1 s.
    {"alive", false, WatchAlive},
};

int RunCommand(const std::string& name, const std::string& argument) {
  for (const Command& command : kCommands)
    if (name == command.name && (!command.needsArgument || !argument.empty())) return command.run(argument);
  std::fprintf(stderr, "usage: ui_probe COMMAND [ARG] | serve (commands: see ui_probe.cpp)\n");
  return 2;
}

}  // namespace

// "serve" answers one question a line, each answer followed by a line break and a line of RS and
// its exit status: one wine process for all questions, as a start costs more than most take.
int Serve() {
  _setmode(_fileno(stdin), _O_BINARY);
  char line[512];
  while (std::fgets(line, sizeof line, stdin) != nullptr) {
    std::string text = line;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    const size_t space = text.find(' ');
    const int status =
        RunCommand(text.substr(0, space), space == std::string::npos ? "" : text.substr(space + 1));
    std::printf("\n\x1e%d\n", status);
    std::fflush(stdout);
  }
  return 0;
}

int main(int argc, char** argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  const std::string command = argc > 1 ? argv[1] : "";
  const int status = command == "serve" ? Serve() : RunCommand(command, argc > 2 ? argv[2] : "");
  std::fflush(stdout);
  return status;
}
