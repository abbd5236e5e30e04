// The program's one global state record: the large text buffers, the report
// rows and the modem tables of the port scan. It sits below every other
// folder: portable, no platform header is needed to use it, and the window
// keeps its own handles in the window part (ui/).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

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
// Whether a text shows uncut in the value cell of a list position: the
// window sets this beside RowSink.
using RowTextFits = bool (*)(int32_t position, const char* text);

// Where SendAtCommand reports every read of an exchange: the command (without
// its CR), whether this is the exchange's first read, the bytes of that read
// (count 0: nothing came) and when the read ended, in ms after the command
// went out. The command-line tool's --trace sets this; the window leaves it
// empty.
using ExchangeTraceSink = void (*)(const char* command, bool firstRead, const char* bytes, uint32_t count,
                                   uint32_t endMs);

// Where the router report hands every document it fetched from a stick's
// web interface: the path, the HTTP status and the body. The command-line
// tool's --trace sets this.
using WebExchangeSink = void (*)(const char* path, int32_t httpStatus, const char* body, uint32_t length);

// What an LTE stick tells beyond the 28 rows: its measurements (^HCSQ) and
// the LTE bands it may use (^SYSCFGEX). The measurements are kept in tenths
// of their unit, since SINR and RSRQ come in steps of 0.2 and 0.5 dB. All
// zero (the state at start-up) is a report without any of them.
enum LteMeasurement : int32_t { kLteRssi, kLteRsrp, kLteSinr, kLteRsrq, kLteMeasurementCount };
struct LteReport {
  // ^SYSINFOEX or +COPS? said the stick is on LTE: the query asks for ^HCSQ.
  bool onLte;
  bool measured[kLteMeasurementCount];
  int32_t tenths[kLteMeasurementCount];
  uint64_t bandMask;  // bit n - 1: LTE band n; 0: no LTE bands reported
};

struct AppState {
  // The raw reply of the last command, exactly as received.
  char ReceiveBuffer[kTextBufferSize];
  // The value ExtractReplyValue took out of the reply, or empty.
  char ValueBuffer[kTextBufferSize];
  // The UTF-16 form of the clipboard text.
  char16_t WideTextBuffer[kTextBufferSize / sizeof(char16_t)];

  // Value text of every RowTable entry, indexed by RowId (28 = ToggleRow).
  char RowValues[kRowTableSize][kTextBufferSize];
  RowValueSink RowSink;
  RowTextFits RowFits;
  ExchangeTraceSink TraceSink;
  WebExchangeSink WebTraceSink;
  int ExtraRowsShown;
  LteReport Lte;
  // Set from another thread (the window, closing): a running query ends
  // before its next command. The query leaves it as it finds it.
  std::atomic<bool> QueryStopRequested;

  // What the port scan found, in ascending port order.
  int32_t ModemPortNumbers[kMaxModems];
  char ModemModelNames[kMaxModems][kModelNameSize];
  int32_t ModemCount;
};

extern AppState g_App;
