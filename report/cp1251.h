// Windows-1251 to UTF-8, for output outside the window (the command-line
// tool prints UTF-8 on every platform), and UTF-8 to Windows-1251 for the
// texts a router stick's web interface sends.
#pragma once

#include <cstddef>
#include <cstdint>

// The Unicode code point of one Windows-1251 byte. The one byte the code
// page leaves unassigned (0x98) becomes U+FFFD.
uint32_t Cp1251CodePoint(unsigned char byte);

// Converts a terminated Windows-1251 text into out (outSize bytes, always
// terminated). Stops before a character that would not fit whole; returns
// the number of bytes written, without the terminator.
size_t Cp1251ToUtf8(const char* text, char* out, size_t outSize);

// Converts UTF-8 text (length bytes, or up to its terminator) into
// Windows-1251 in out (outSize bytes, always terminated). A character the
// code page lacks, and every byte of a malformed sequence, becomes '?'.
// Returns the number of bytes written, without the terminator.
size_t Utf8ToCp1251(const char* text, size_t length, char* out, size_t outSize);
