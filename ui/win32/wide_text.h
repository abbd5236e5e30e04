// The window's edge for text. The program's texts and the modem's bytes are
// Windows-1251 in the core whatever the system's ANSI code page; the window
// and its controls are Unicode. Every text crosses here, in both directions,
// so the window reads the same on a Russian and on any other Windows.
#pragma once

#include <cstddef>

// Converts length bytes of Windows-1251 text into at most outUnits UTF-16
// units, unterminated. The code page is single-byte: one unit per byte.
// Returns the units written.
size_t WidenText(const char* text, size_t length, wchar_t* out, size_t outUnits);

// The zero-terminated text into out (outUnits units with the terminator; a
// longer text is cut). Returns out.
const wchar_t* WidenInto(const char* text, wchar_t* out, size_t outUnits);

// The zero-terminated text in the window's own buffer (65,535 units at
// most), good until the next call: for a text handed straight to one
// control message.
const wchar_t* Widened(const char* text);

// At most maxChars units of the zero-terminated UTF-16 text, as
// Windows-1251, into out (maxChars + 1 bytes), zero-terminated. A character
// with no Windows-1251 form becomes "?". Returns the length.
size_t NarrowText(const wchar_t* text, char* out, size_t maxChars);
