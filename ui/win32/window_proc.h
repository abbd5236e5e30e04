// The window procedure of the main window and the commands of its image
// buttons.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>

#include "ui/window_layout.h"

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The query button queries the selected modem, the copy button copies the
// report, the send button sends the terminal command; kNoButton does
// nothing.
int32_t RunButtonCommand(ImageButtonId button);

// The text of the selected modem selector entry, read into a zeroed
// 256-byte buffer. False when nothing is selected (or, never for the
// entries the program builds, when the entry would not fit).
bool ReadSelectedModemEntry(char* entry);

// The clipboard copy of the ticked rows, with its message box.
int CopyReportToClipboard();

// The report list's custom draw and clicks; a negative result means "not
// handled here".
LRESULT HandleReportListCustomDraw(NMLVCUSTOMDRAW* draw);
void HandleReportListClick(const NMITEMACTIVATE* click);
