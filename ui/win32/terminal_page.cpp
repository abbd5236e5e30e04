// The terminal page: the typed command shown white on black in the
// transcript as "cmd> " + command, sent through the terminal's exchange, and
// the reply shown exactly as it arrived.
#include "ui/win32/terminal_page.h"

#include <windows.h>
#include <richedit.h>

#include <cstring>

#include "report/router_query.h"
#include "serial/serial_port.h"
#include "terminal/terminal.h"
#include "ui/win32/drawing.h"
#include "ui/win32/wide_text.h"
#include "ui/win32/window_part.h"

namespace {

constexpr int32_t kTranscriptSize = 220;
constexpr COLORREF kTranscriptColour = 0x00FFFFFF;

void AppendTranscript(const char* text) {
  AppendRichText(Control(kTerminalOutput), text, kTranscriptSize, CFE_BOLD, kTranscriptColour);
}

// Sends the command to the modem of the selector entry; the reply, if any,
// goes into the transcript. A stick on router firmware has no AT port: the
// transcript says so and nothing is sent.
void ExchangeWithModem(const char* entry, const char* command) {
  RouterAddress address;
  if (RouterAddressFromEntry(entry, &address)) {
    AppendTranscript(
        "Модем в режиме роутера не имеет AT-порта: команды ему не отправляются. Отчёт о нём читается с его "
        "веб-интерфейса.\n");
    return;
  }
  char path[kShortTextSize];
  PortPathFromEntry(entry, path, sizeof path);
  if (SendTerminalCommand(path, command, g_App.ReceiveBuffer) > 0) {
    AppendTranscript(g_App.ReceiveBuffer);
    AppendTranscript("\n");
  }
}

}  // namespace

void RunTerminalCommand(const char* entry) {
  if (entry != nullptr) {
    CHARRANGE end = {-1, -1};
    SendMessageW(Control(kTerminalOutput), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end));
    // The box holds at most a command's 254 characters; they travel as
    // Windows-1251 whatever the system's code page.
    wchar_t typed[kMaxCommandLength + 1];
    std::memset(typed, 0, sizeof typed);
    GetWindowTextW(Control(kTerminalInput), typed, kMaxCommandLength + 1);
    char command[kShortTextSize];
    NarrowText(typed, command, kMaxCommandLength);

    // The command is shown before any attempt to reach the modem.
    AppendTranscript("cmd> ");
    AppendTranscript(command);
    AppendTranscript("\n");
    ExchangeWithModem(entry, command);
  }
  SetFocus(Control(kTerminalOutput));
  SendMessageW(Control(kTerminalOutput), EM_SCROLLCARET, 0, 0);
  SetWindowTextW(Control(kTerminalInput), L"");
  SetFocus(Control(kTerminalInput));
}
