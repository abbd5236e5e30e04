// The report query: 17 AT commands on one open port, each reply decoded into
// its rows, and up to three more for an LTE stick.
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

// A command the query adds only when the stick needs it: right after the
// step `after` of QuerySequence, once that step was answered, when
// needed(the answer was a refusal) says so.
struct FollowUpStep {
  int32_t after;
  QueryStep step;
  bool (*needed)(bool refused);
};
constexpr int kFollowUpStepCount = 3;
extern const std::array<FollowUpStep, kFollowUpStepCount> FollowUpSequence;

// The steps of one query by index: 0..16 QuerySequence, from
// kQueryStepCount on FollowUpSequence.
const QueryStep& QueryStepAt(int32_t index);
// The step sent after step `index`: its follow-up when one is needed, else
// the next step of QuerySequence; -1 after the last.
int32_t NextQueryStep(int32_t index, bool answered, bool refused);

// A command whose answer has not begun kAnswerWaitMs (serial_port.h) after
// it was sent is unanswered. The query then clears the line
// before the next command (the answer may still come, and the stick answers
// in order), waiting as long again for the check's answer: an answer that
// begins up to twice this late is still read into its own rows. An answer
// that has begun must end within kAnswerBoundMs.

enum QueryResult : int32_t {
  kQueryComplete = 0,       // every command sent (some may have gone unanswered)
  kQueryPortFailed = 1,     // the port could not be opened; every row empty
  kQueryModemStopped = 2,   // the modem stopped answering; the rows read so far stay
  kQueryModemBabbling = 3,  // an answer that did not end (kAnswerBoundMs); the rows read so far stay
  kQueryStopped = 4,        // QueryStopRequested ended it; the rows read so far stay
};

// Fills the report for the modem of a selector entry "MODEL (COMn)".
int32_t QueryModemInformation(const char* entryText);

// The same for a device path (\\.\COM5, /dev/ttyUSB0): empties every row,
// opens the port, runs the sequence and closes the port. After
// kQueryModemStopped or kQueryModemBabbling, *unansweredStep (when given) is
// the QueryStepAt index of the command that got no proper answer.
int32_t QueryModemAtPath(const char* devicePath, int32_t* unansweredStep = nullptr);
