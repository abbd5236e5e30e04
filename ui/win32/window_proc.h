// The window procedure of the main window and the commands of its image
// buttons.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// 0: query the selected modem; 1: copy the report; 2: send the terminal
// command; anything else: nothing.
int32_t RunButtonCommand(int32_t code);

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
