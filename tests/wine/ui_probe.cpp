// ui_probe: a console helper for the window tests. It runs under wine next
// to brenvaltor.exe and reads the running program's controls through
// messages that cross process boundaries (combo box texts, window texts,
// item states, focus), reads list items through memory placed in the
// program's own address space, and answers or closes the program's windows.
// Texts are printed as UTF-8 with LF line ends; only the clipboard text
// comes exactly as it is, CR LF included.
//
// Usage: ui_probe COMMAND [ARG], or ui_probe serve for one COMMAND [ARG] a
// line from standard input (see Serve). The commands are kCommands below,
// each with what it prints. NAME is a control's test name (kNamedControls).
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

double SecondsOr(const std::string& argument, double fallback) {
  return argument.empty() ? fallback : std::atof(argument.c_str());
}

int WaitForWindow(const std::string& argument) {
  const double seconds = SecondsOr(argument, 30.0);
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

std::wstring WindowText(HWND window) {
  const LRESULT length = AskOrMinusOne(window, WM_GETTEXTLENGTH, 0, 0);
  if (length <= 0) return std::wstring();
  // The length may count CR LF pairs the text itself gives as one CR.
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT copied = AskOrMinusOne(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}

// NAME's answer to a message without arguments, as a number.
int PrintAnswer(const std::string& name, UINT message) {
  const HWND control = RequireControl(name);
  const LRESULT answer = control != nullptr ? AskOrMinusOne(control, message, 0, 0) : -1;
  if (control != nullptr) std::printf("%ld\n", static_cast<long>(answer));
  return answer >= 0 ? 0 : 1;
}

int PrintEntries(const std::string&) {
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

int SelectEntry(const std::string& argument) {
  const HWND selector = RequireControl("selector");
  const int index = std::atoi(argument.c_str());
  return selector != nullptr && AskOrMinusOne(selector, CB_SETCURSEL, index, 0) == index ? 0 : 1;
}

int PrintTicks(const std::string&) {
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

// LVM_GETITEMRECT and LVM_GETITEMTEXTW write through their pointer in the
// list's process: the request and the room for the answer are placed there.
struct ListMemory {
  HWND list;
  HANDLE process;
  char* remote;
};
constexpr int kItemTextChars = 1024;
constexpr SIZE_T kListMemorySize = sizeof(LVITEMW) + kItemTextChars * sizeof(wchar_t);

bool OpenListMemory(ListMemory* memory) {
  memory->list = RequireControl("list");
  memory->process = nullptr;
  memory->remote = nullptr;
  if (memory->list == nullptr) return false;
  DWORD processId = 0;
  GetWindowThreadProcessId(memory->list, &processId);
  memory->process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
  if (memory->process == nullptr) return false;
  memory->remote = static_cast<char*>(
      VirtualAllocEx(memory->process, nullptr, kListMemorySize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  return memory->remote != nullptr;
}

int CloseListMemory(const ListMemory& memory, int status) {
  if (memory.remote != nullptr) VirtualFreeEx(memory.process, memory.remote, 0, MEM_RELEASE);
  if (memory.process != nullptr) CloseHandle(memory.process);
  return status;
}

bool ReadRowRect(const ListMemory& memory, int item, RECT* rect) {
  RECT request{};
  request.left = LVIR_BOUNDS;
  return WriteProcessMemory(memory.process, memory.remote, &request, sizeof request, nullptr) &&
         AskOrMinusOne(memory.list, LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(memory.remote)) == TRUE &&
         ReadProcessMemory(memory.process, memory.remote, rect, sizeof *rect, nullptr);
}

bool ReadItemText(const ListMemory& memory, int item, int subItem, std::wstring* text) {
  wchar_t* remoteText = reinterpret_cast<wchar_t*>(memory.remote + sizeof(LVITEMW));
  LVITEMW request{};
  request.iSubItem = subItem;
  request.pszText = remoteText;
  request.cchTextMax = kItemTextChars;
  if (!WriteProcessMemory(memory.process, memory.remote, &request, sizeof request, nullptr)) return false;
  const LRESULT length =
      AskOrMinusOne(memory.list, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(memory.remote));
  if (length < 0 || length >= kItemTextChars) return false;
  text->assign(static_cast<size_t>(length), L'\0');
  return length == 0 || ReadProcessMemory(memory.process, remoteText, &(*text)[0],
                                          static_cast<size_t>(length) * sizeof(wchar_t), nullptr);
}

int PrintItemTexts(const std::string& argument) {
  ListMemory memory{};
  if (!OpenListMemory(&memory)) return CloseListMemory(memory, 1);
  const int item = std::atoi(argument.c_str());
  if (item < 0 || item >= AskOrMinusOne(memory.list, LVM_GETITEMCOUNT, 0, 0)) {
    std::fprintf(stderr, "ui_probe: no list item %d\n", item);
    return CloseListMemory(memory, 1);
  }
  for (int subItem = 0; subItem < 2; ++subItem) {
    std::wstring text;
    if (!ReadItemText(memory, item, subItem, &text)) return CloseListMemory(memory, 1);
    PrintLine(Utf8(text));
  }
  return CloseListMemory(memory, 0);
}

int PrintRowRects(const std::string&) {
  ListMemory memory{};
  if (!OpenListMemory(&memory)) return CloseListMemory(memory, 1);
  const LRESULT count = AskOrMinusOne(memory.list, LVM_GETITEMCOUNT, 0, 0);
  for (LRESULT item = 0; item < count; ++item) {
    RECT rect{};
    if (!ReadRowRect(memory, static_cast<int>(item), &rect)) return CloseListMemory(memory, 1);
    MapWindowPoints(memory.list, MainWindow(), reinterpret_cast<POINT*>(&rect), 2);
    std::printf("row %ld %ld %ld %ld %ld\n", static_cast<long>(item), rect.left, rect.top, rect.right,
                rect.bottom);
  }
  return CloseListMemory(memory, 0);
}

// The clipboard's CF_UNICODETEXT exactly as it is, CR LF included.
int PrintClipboardText(const std::string&) {
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
  PrintLine(WithLfLineEnds(Utf8(WindowText(control))));
  return 0;
}

int PrintVisible(const std::string& name) {
  const HWND control = RequireControl(name);
  if (control == nullptr) return 1;
  PrintLine(IsWindowVisible(control) ? "visible" : "hidden");
  return 0;
}

int PrintFocus(const std::string&) {
  const HWND main = RequireMain();
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (main == nullptr || !GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info)) return 1;
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
int PrintControls(const std::string&) {
  const HWND main = RequireMain();
  if (main == nullptr) return 1;
  ControlWalk walk = {main, NamedControl(main, "tabs")};
  EnumChildWindows(main, PrintChildControl, reinterpret_cast<LPARAM>(&walk));
  return 0;
}

int AnswerMessageBox(const std::string& argument) {
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
  if (argument != "ok") return 0;
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

int PrintMessageBoxCount(const std::string&) {
  const HWND main = RequireMain();
  if (main == nullptr) return 1;
  std::printf("%d\n", FindMessageBoxes(main).count);
  return 0;
}

// Posts a message to a control (or the main window, "main").
int Post(const std::string& name, UINT message, WPARAM wParam) {
  const HWND window = name == "main" ? RequireMain() : RequireControl(name);
  return window != nullptr && PostMessageW(window, message, wParam, 0) ? 0 : 1;
}

// WM_CHAR for each UTF-16 unit of a UTF-8 text, as typed keys give the
// control: xdotool reaches wine only with letters of the X keyboard map.
int PostChars(const std::string& argument) {
  const size_t space = argument.find(' ');
  const HWND control = RequireControl(argument.substr(0, space));
  if (control == nullptr || space == std::string::npos) return 1;
  wchar_t text[256] = {};
  const int units = MultiByteToWideChar(CP_UTF8, 0, argument.data() + space + 1,
                                        static_cast<int>(argument.size() - space - 1), text, 255);
  for (int i = 0; i < units; ++i) PostMessageW(control, WM_CHAR, text[i], 1);
  return units > 0 ? 0 : 1;
}

// One process polls, rather than one per question: the tests' own load
// stays off the stick's timing.
int WaitIdle(const std::string& argument) {
  const double seconds = SecondsOr(argument, 90.0);
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
int WatchAlive(const std::string& argument) {
  const double seconds = SecondsOr(argument, 60.0);
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

struct Command {
  const char* name;
  const char* usage;  // the argument, then what the command prints or does
  bool needsArgument;
  int (*run)(const std::string& argument);
};
constexpr Command kCommands[] = {
    {"wait",
     "[SECONDS]: until the scan has filled the selector and the list or notice shows; "
     "\"origin X Y\" (client origin on the screen), \"client W H\"",
     false, WaitForWindow},
    {"entries", ": the selector's entries, then \"selected N\"", false, PrintEntries},
    {"select", "N: selects entry N", true, SelectEntry},
    {"ticks", ": one digit per list item, its state image", false, PrintTicks},
    {"rows", ": \"row N LEFT TOP RIGHT BOTTOM\" per list item, in the main window's client coordinates",
     false, PrintRowRects},
    {"item", "N: list item N's label, then its value", true, PrintItemTexts},
    {"clipboard", ": the clipboard's Unicode text, unchanged", false, PrintClipboardText},
    {"text", "NAME: the control's text", true, PrintText},
    {"visible", "NAME: \"visible\" or \"hidden\"", true, PrintVisible},
    {"limit", "NAME: how many characters the edit control takes", true,
     [](const std::string& name) { return PrintAnswer(name, EM_GETLIMITTEXT); }},
    {"page", ": the selected tab (0 information, 1 terminal)", false,
     [](const std::string&) { return PrintAnswer("tabs", TCM_GETCURSEL); }},
    {"focus", ": the name of the control with the keyboard focus", false, PrintFocus},
    {"controls",
     ": the main window's child controls in the order a screen reader walks them: "
     "\"CLASS PARENT TABSTOP|- TEXT\"",
     false, PrintControls},
    {"messagebox",
     "[ok]: waits for the program's message box: \"caption C\", \"text T\"; with ok "
     "presses OK and waits until it is gone (\"closed\")",
     false, AnswerMessageBox},
    {"messageboxes", ": how many message boxes the program shows", false, PrintMessageBoxCount},
    {"click", "NAME: BM_CLICK to a button, as a screen reader's default action", true,
     [](const std::string& name) { return Post(name, BM_CLICK, 0); }},
    {"type", "NAME TEXT: WM_CHAR for each letter of TEXT", true, PostChars},
    {"close", ": WM_CLOSE to the main window", false,
     [](const std::string&) { return Post("main", WM_CLOSE, 0); }},
    // DBT_DEVNODES_CHANGED carries no data: it can be posted from outside.
    {"devicechange", ": WM_DEVICECHANGE (DBT_DEVNODES_CHANGED), as when a stick comes or goes", false,
     [](const std::string&) { return Post("main", WM_DEVICECHANGE, 0x0007); }},
    {"idle", "[SECONDS]: until the window answers and no query or scan runs (90 s)", false, WaitIdle},
    {"alive",
     "[SECONDS]: once a query or scan runs, WM_NULL every 50 ms until it is over: "
     "\"answered N, longest M ms\"; fails on one unanswered for 1 s, or past SECONDS (60)",
     false, WatchAlive},
};

int RunCommand(const std::string& name, const std::string& argument) {
  for (const Command& command : kCommands)
    if (name == command.name && (!command.needsArgument || !argument.empty())) return command.run(argument);
  std::fprintf(stderr, "usage: ui_probe COMMAND [ARG] | serve\n");
  for (const Command& command : kCommands) std::fprintf(stderr, "  %s %s\n", command.name, command.usage);
  return 2;
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
