// Writing a trace to its file so that a half-written or readable-by-all
// file never exists: the bytes go into a new file beside the target, which
// is renamed over the target once everything is written, flushed and
// closed. Implemented once per platform (posix/, win32/).
#pragma once

#include <cstddef>

// Creates (and removes again) a file beside path, to learn before any
// modem is asked whether the trace could be written there. False with the
// system's reason in reason (reasonSize bytes) when it cannot.
bool CheckTraceFileCreatable(const char* path, char* reason, size_t reasonSize);

// Writes bytes[0, length) as the file path: a new file beside it (owner
// read and write only, on Linux), renamed over path when complete. A link
// at path is replaced, never followed. False with the system's reason when
// any step fails; the new file is then removed and path left as it was.
bool WriteTraceFile(const char* path, const char* bytes, size_t length, char* reason, size_t reasonSize);
