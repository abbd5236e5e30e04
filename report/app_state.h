// The program's one global state record: the large text buffers, the report
// rows, the reader hand-over fields of the AT exchange and the modem tables
// of the port scan. Portable: no platform header is needed to use it; the
// window keeps its own handles in the window part (ui/).
#pragma once

#include <cstddef>
#include <cstdint>

// A serial port as the platform layer hands it out: a Win32 HANDLE or a
// POSIX file descriptor, widened to a pointer-sized integer. -1 is both
// INVALID_HANDLE_VALUE and the failed open() result.
using PortHandle = intptr_t;
constexpr PortHandle kInvalidPort = -1;

constexpr size_t kTextBufferSize = 65536;
// Replies and values are read into the first 65,535 bytes, so the last byte
// of each buffer is always zero and its contents always a terminated text.
constexpr size_t kTextCapacity = kTextBufferSize - 1;

constexpr int kReportRowCount = 28;  // RowIds 0..27
constexpr int kToggleRow = 28;       // the "show / hide extra rows" entry
constexpr int kRowTableSize = 29;

constexpr int kMaxModems = 255;
constexpr size_t kModelNameSize = 256;
// Commands, entry texts and links live in 256-byte buffers.
constexpr size_t kShortTextSize = 256;

// Where SetRowValue mirrors a value besides the row store: the window's list
// view sets this; the command-line tool leaves it empty.
using RowValueSink = void (*)(int32_t position, const char* text);

struct WindowPart;  // the window's handles and drawing objects (ui/ only)

struct AppState {
  // The raw reply of the last command, exactly as received.
  char ReceiveBuffer[kTextBufferSize];
  // The value ExtractReplyValue took out of the reply, or empty.
  char ValueBuffer[kTextBufferSize];
  // The UTF-16 form of the clipboard text.
  char16_t WideTextBuffer[kTextBufferSize / sizeof(char16_t)];

  // Reader-thread hand-over: the port the worker reads, the count it read,
  // and the running worker (empty when no command is in flight).
  PortHandle ReaderPort;
  uint32_t ReaderByteCount;
  void* ReaderThreadHandle;
  uint32_t ReaderThreadId;

  // Value text of every RowTable entry, indexed by RowId (28 = ToggleRow).
  char RowValues[kRowTableSize][kTextBufferSize];
  RowValueSink RowSink;
  int ExtraRowsShown;

  // What the port scan found, in ascending port order.
  int32_t ModemPortNumbers[kMaxModems];
  char ModemModelNames[kMaxModems][kModelNameSize];
  int32_t ModemCount;

  WindowPart* Window;
};

extern AppState g_App;
