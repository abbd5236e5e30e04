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

// A command whose answer has not begun this long after it was sent is
// unanswered (the terminal's own wait); an answer that has begun is read to
// its end however long it takes.
constexpr uint32_t kAnswerBeginMs = 2000;
// Unanswered commands in a row after which the modem has stopped answering.
constexpr int32_t kUnansweredInARow = 2;

enum QueryResult : int32_t {
  kQueryComplete = 0,      // every command sent (some may have gone unanswered)
  kQueryPortFailed = 1,    // the port could not be opened; every row empty
  kQueryModemStopped = 2,  // the modem stopped answering; the rows read so far stay
  kQueryStopped = 3,       // QueryStopRequested ended it; the rows read so far stay
};

// Fills the report for the modem of a selector entry "MODEL (COMn)".
int32_t QueryModemInformation(const char* entryText);

// The same for a device path (\\.\COM5, /dev/ttyUSB0): empties every row,
// opens the port, runs the sequence and closes the port. After
// kQueryModemStopped, *unansweredStep (when given) is the index in
// QuerySequence of the first command of the unanswered run.
int32_t QueryModemAtPath(const char* devicePath, int32_t* unansweredStep = nullptr);
