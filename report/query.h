// The report query: 17 AT commands on one open port, each reply decoded into
// its rows.
#pragma once

#include <array>
#include <cstdint>

// One ExtractReplyValue call that writes straight into a row.
struct RowExtraction {
  const char* prefix;
  int32_t rowId;
};

// A decoder of the reply in ReceiveBuffer; it may use ReceiveBuffer and
// ValueBuffer as scratch space.
using ReplyDecoder = void (*)();

struct QueryStep {
  const char* command;
  // Values taken straight into rows, in this order ...
  const RowExtraction* extractions;
  int32_t extractionCount;
  // ... then the step's own decoder, if it has one.
  ReplyDecoder decode;
};

constexpr int kQueryStepCount = 17;
extern const std::array<QueryStep, kQueryStepCount> QuerySequence;

constexpr uint32_t kQueryTimeoutMs = 1000;  // passed along; direct mode ignores it

// Fills the report for the modem of a selector entry "MODEL (COMn)".
// 0 after a completed sequence, 1 when the port could not be opened.
int32_t QueryModemInformation(const char* entryText);

// The same for a device path (\\.\COM5, /dev/ttyUSB0): empties every row,
// opens the port, runs the sequence and closes the port.
int32_t QueryModemAtPath(const char* devicePath);
