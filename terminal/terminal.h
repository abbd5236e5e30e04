// The AT terminal's exchange: one command the user typed, sent to a modem on
// a port of its own, and the raw reply. Portable: the window's terminal page
// and the command-line tool's `send` both use it.
#pragma once

#include <cstdint>

// Opens the port at devicePath, sends command, waits up to
// kAnswerWaitMs (serial_port.h) for the whole reply, and closes the port. The reply goes into reply
// (kTextBufferSize bytes). Returns its byte count (0: no reply, or a command
// too long for the line), or -1 when the port cannot be opened.
int32_t SendTerminalCommand(const char* devicePath, const char* command, char* reply);
