// The window procedure of the main window and the commands of its image
// buttons.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <cstdint>

#include "ui/window_layout.h"

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Window procedures laid over the image buttons' and the page tabs' own.
LRESULT CALLBACK ImageButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK PageTabsProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ModemSelectorProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The selector shows the focus the program gave it (see GiveFocus).
void RevealSelectorFocus();

// The page shown, and a page chosen from the keyboard.
Page ShownPage();
void SwitchPage(Page page);

// The control with the keyboard focus; kControlCount for none of them.
ControlId FocusedControl();

// False until a key that moves the focus was pressed. The system hears of
// it as well (WM_CHANGEUISTATE): its controls hide their cues alike.
bool FocusCuesShown();

// The control with the focus is remembered; restoring gives it back, or
// the page's first control when it is gone from sight. Restore returns
// false when there is no control to focus yet.
void RememberFocus();
bool RestoreFocus();

// The program, not the user, moves the focus (start-up, activation, a
// click on the background): as long as no key has moved the focus, the
// selector given it looks as without it until the user turns to it, so a
// mouse user sees the window as it always looked.
void GiveFocus(HWND target);

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

// The report list from the keyboard: the keyboard row moves to a list item
// (and shows its focus cue), its tick box flips, every report row is
// ticked, the row does what a click on it does (the toggle row, the shop
// button), the row is painted anew.
void MoveKeyboardRowTo(int32_t item);
void ToggleKeyboardRowTick();
void TickAllRows();
void ActivateKeyboardRow();
void RedrawKeyboardRow();

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

// Whether the selector lists nothing to query (no modem, no stick on
// router firmware): the stick notice stands in the report list's place.
bool NoModemListed();

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

// The start-up scan, off the window's thread: the selector fills when it
// ends.
void StartStartupScan();

// The terminal talks to the modem of this selector entry: no rescan sends
// it anything.
void SpareTerminalPort(const char* entry);

// The list view's copy of the rows: held while a query fills the rows off
// the window's thread, then brought up to date at once.
void HoldRowMirror();
void ReleaseRowMirror();

// --- Work off the window's thread (window_work.cpp) ----------------------------

using WorkStep = void (*)();

// Runs work on a worker thread, then finish on the window's thread
// (kWorkDoneMessage); false when other work runs still.
bool StartWork(WorkStep work, WorkStep finish);
bool WorkRunning();
// kWorkDoneMessage.
void OnWorkDone();
// The window closes: a query is asked to stop, and the worker is waited
// for (bounded); its finishing step does not run.
void EndWork();
// Input the message loop drops while work runs: clicks and keys on the
// buttons, the selector and the list.
bool HeldBackDuringWork(const MSG& msg);
