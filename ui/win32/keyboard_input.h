// The window's keys, taken from the message loop before the focused
// control sees them (see ui/keyboard.h for which key does what).
#pragma once

#include <windows.h>

// Carries out the action of a key press; true when the key was the
// window's, false when it goes on to the control.
bool HandleKeyDown(const MSG& msg);

// After each message: the control that has the focus is remembered, and
// the report list's focus cue follows the focus.
void NoteFocus();

// At start-up: focus cues stay hidden until the keyboard moves the focus,
// and the selector has the focus.
void SetUpKeyboard();
