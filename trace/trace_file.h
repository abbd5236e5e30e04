// Writing a trace to where the user asked, without ever destroying what
// stands there. A regular file (or nothing) at the path is written whole
// into a new file beside it, which is renamed over the path once
// everything is written, flushed and closed, so a half-written or
// readable-by-all trace never exists. A character device or a pipe (a
// terminal, /dev/null, a FIFO a program reads) is written straight into,
// never renamed over. Anything else (a folder, a block device, a socket)
// is refused. Implemented once per platform (posix/, win32/).
#pragma once

#include <cstddef>
#include <cstdint>

// Where a run's trace goes, settled before any modem is asked.
struct TraceTarget {
  const char* path;
  bool straight;    // a device or a pipe, opened and written straight into
  intptr_t handle;  // its descriptor (POSIX) or HANDLE (Windows) when straight
};

// Settles where the trace of a run goes, before the first byte goes to a
// modem: a device or pipe at path is opened now; for a regular file or
// nothing, a file is created beside path (and removed again) to learn that
// the trace can be written there. False with the reason in reason
// (reasonSize bytes) for an empty name, a folder, a block device, a socket,
// a missing folder or no permission; nothing is then left open.
bool OpenTraceTarget(const char* path, TraceTarget* target, char* reason, size_t reasonSize);

// Writes bytes[0, length) to the target and closes it. For a file: a new
// file beside path (owner read and write only, on Linux), renamed over
// path when complete; a link at path is replaced, never followed. False
// with the system's reason when any step fails; the new file is then
// removed and path left as it was.
bool WriteTraceTarget(TraceTarget* target, const char* bytes, size_t length, char* reason, size_t reasonSize);
