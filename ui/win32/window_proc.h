// The window procedure of the main window and the commands of its image
// buttons.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

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

// Hands a web address to the shell (the browser).
void OpenWebAddress(const char* address);

// --- The scan as the window shows it (main_window.cpp, rescan.cpp) ---------

// The hourglass over the page while a scan runs.
void DrawBusyPicture(const ClientRect& rc);

// One selector entry per modem the scan found and per stick on router
// firmware, or one empty entry.
void FillModemSelector();

// Reads the vendor's sticks and adds a selector entry for each one on router
// firmware; returns how many it added.
int32_t AddRouterStickEntries();

// After a scan: the report list when it found a modem, otherwise the stick
// notice in its place (on the information page).
void ShowScanResult();

// WM_DEVICECHANGE: a port or device node came or went; the scan follows
// once the devices have been quiet for a while.
void OnDeviceChange(HWND hwnd, WPARAM event);

// WM_TIMER of the rescan; false for another timer.
bool OnRescanTimer(HWND hwnd, UINT_PTR timer);

// A command (query, copy, terminal) holds the window: no scan meanwhile.
void MarkCommandRunning(bool running);

// A click on the web page link of the stick notice.
void OpenNoticeLink(const ENLINK* link);
