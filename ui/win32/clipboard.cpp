// Copying the ticked report rows to the clipboard as UTF-16 text.
#include <windows.h>
#include <commctrl.h>

#include <cstring>

#include "report/report_rows.h"
#include "ui/report_view.h"
#include "ui/win32/wide_text.h"
#include "ui/win32/window_part.h"
#include "ui/win32/window_proc.h"

namespace {

// The UTF-16 text, its terminator included, must fit WideTextBuffer.
constexpr size_t kWideCapacity = kTextBufferSize / sizeof(char16_t) - 1;

// Puts the block on the clipboard. On failure the block is still ours.
bool HandOverToClipboard(HGLOBAL block) {
  if (!OpenClipboard(nullptr)) return false;
  EmptyClipboard();
  const bool taken = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
  CloseClipboard();
  return taken;
}

}  // namespace

int CopyReportToClipboard() {
  // The tick box of every RowTable entry: state image 1 is an empty box.
  int32_t stateImages[kRowTableSize];
  for (int32_t rowId = 0; rowId < kRowTableSize; ++rowId) {
    const LRESULT state =
        SendMessageW(Control(kReportList), LVM_GETITEMSTATE, RowTable[rowId].position, LVIS_STATEIMAGEMASK);
    stateImages[rowId] = static_cast<int32_t>((state & LVIS_STATEIMAGEMASK) >> 12);
  }

  // The rows themselves are the values the list shows: SetRowValue writes
  // both. Whole lines only, within what WideTextBuffer holds.
  std::memset(g_App.ReceiveBuffer, 0, kTextCapacity);
  const size_t length = ComposeReportText(stateImages, g_App.ReceiveBuffer, kWideCapacity);

  // Windows-1251 is single-byte: n characters become n UTF-16 units. The
  // program's texts are Windows-1251 whatever the system's ANSI code page.
  std::memset(g_App.WideTextBuffer, 0, sizeof g_App.WideTextBuffer);
  WidenText(g_App.ReceiveBuffer, length, reinterpret_cast<wchar_t*>(g_App.WideTextBuffer), kWideCapacity);

  const size_t bytes = 2 * length + 2;
  bool copied = false;
  if (const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes)) {
    if (void* target = GlobalLock(block)) {
      std::memcpy(target, g_App.WideTextBuffer, bytes);
      GlobalUnlock(block);
      copied = HandOverToClipboard(block);
    }
    if (!copied) GlobalFree(block);
  }
  // A copy that did not happen is never reported as done.
  wchar_t caption[32];
  WidenInto("Информация", caption, 32);
  if (!copied)
    return MessageBoxW(nullptr, Widened("Не удалось скопировать информацию в буфер обмена."), caption,
                       MB_OK | MB_ICONERROR);
  return MessageBoxW(nullptr, Widened("Информация скопирована в буфер обмена."), caption, MB_OK);
}
