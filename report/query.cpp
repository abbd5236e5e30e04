// The query sequence and the identity block (maker, model, versions, IMEI,
// IMSI, command sets).
#include "report/query.h"

#include <chrono>
#include <cstddef>
#include <cstring>

#include "report/decoders.h"
#include "report/report_rows.h"
#include "serial/serial_port.h"

namespace {

// Which value wins: RowIds 0, 1, 2 and 5 are filled from the ATI lines first
// and then again by AT+CGMI, AT+CGMM, AT+CGMR and AT+CGSN. The later command
// wins whenever its first reply line is a value, an ERROR line included.
constexpr RowExtraction kAtiRows[] = {
    {"Manufacturer", kRowMaker}, {"Model", kRowModel},       {"Revision", kRowFirmwareVersion},
    {"IMEI", kRowImei},          {"+GCAP", kRowCommandSets},
};
constexpr RowExtraction kFhverRows[] = {{"^FHVER", kRowVersions}};
constexpr RowExtraction kMakerRows[] = {{"", kRowMaker}};
constexpr RowExtraction kModelRows[] = {{"", kRowModel}};
constexpr RowExtraction kFirmwareRows[] = {{"", kRowFirmwareVersion}};
constexpr RowExtraction kImsiRows[] = {{"", kRowImsi}};
constexpr RowExtraction kImeiRows[] = {{"", kRowImei}};
constexpr RowExtraction kHwverRows[] = {{"^HWVER", kRowHardwareVersion}};
constexpr RowExtraction kPinRows[] = {{"+CPIN", kRowPinStatus}};
constexpr RowExtraction kVersionRows[] = {{"^VERSION:BDT", kRowBuildDateTime},
                                          {"^VERSION:EXTD", kRowDashboardVersion}};

template <size_t N>
constexpr QueryStep Extract(const char* command, const RowExtraction (&rows)[N]) {
  return {command, rows, static_cast<int32_t>(N), nullptr};
}

constexpr QueryStep Decode(const char* command, ReplyDecoder decode) { return {command, nullptr, 0, decode}; }

}  // namespace

// The order matters: ATE0 first, so that no later reply starts with the
// echo of its own command (the prefixes would be found inside the echo).
const std::array<QueryStep, kQueryStepCount> QuerySequence = {{
    {"ATE0", nullptr, 0, nullptr},
    Extract("ATI", kAtiRows),
    Extract("AT^FHVER", kFhverRows),
    Extract("AT+CGMI", kMakerRows),
    Extract("AT+CGMM", kModelRows),
    Extract("AT+CGMR", kFirmwareRows),
    Extract("AT+CIMI", kImsiRows),
    Extract("AT+CGSN", kImeiRows),
    Extract("AT^HWVER", kHwverRows),
    Decode("AT^SYSINFO", DecodeSysinfoReply),
    Extract("AT+CPIN?", kPinRows),
    Decode("AT+CFUN?", DecodeRadioFunctionReply),
    Decode("AT+CSQ", DecodeSignalReply),
    Decode("AT+COPS?", DecodeOperatorReply),
    Decode("AT^SYSCFG?", DecodeSystemConfigReply),
    Extract("AT^VERSION?", kVersionRows),
    Decode("AT^CARDLOCK?", DecodeCardLockReply),
}};

namespace {

// The LTE firmware of the modem vendor's sticks refuses AT^SYSINFO and
// AT^SYSCFG? in LTE mode (COMMAND NOT SUPPORT); their LTE forms fill the
// same rows. A 3G stick answers both and never gets these commands.
bool AfterRefusal(bool refused) { return refused; }
// ^HCSQ only means something on LTE, which ^SYSINFOEX or +COPS? told.
bool OnLte(bool) { return g_App.Lte.onLte; }

constexpr int32_t kSysinfoStep = 9;
constexpr int32_t kOperatorStep = 13;
constexpr int32_t kSystemConfigStep = 14;

}  // namespace

const std::array<FollowUpStep, kFollowUpStepCount> FollowUpSequence = {{
    {kSysinfoStep, Decode("AT^SYSINFOEX", DecodeSysinfoExReply), AfterRefusal},
    {kOperatorStep, Decode("AT^HCSQ?", DecodeLteSignalReply), OnLte},
    {kSystemConfigStep, Decode("AT^SYSCFGEX?", DecodeSystemConfigExReply), AfterRefusal},
}};

const QueryStep& QueryStepAt(int32_t index) {
  if (index >= kQueryStepCount && index < kQueryStepCount + kFollowUpStepCount)
    return FollowUpSequence[index - kQueryStepCount].step;
  return QuerySequence[index >= 0 && index < kQueryStepCount ? index : 0];
}

int32_t NextQueryStep(int32_t index, bool answered, bool refused) {
  if (index >= kQueryStepCount)
    index = FollowUpSequence[index - kQueryStepCount].after;
  else if (answered)
    for (int32_t i = 0; i < kFollowUpStepCount; ++i)
      if (FollowUpSequence[i].after == index && FollowUpSequence[i].needed(refused))
        return kQueryStepCount + i;
  return index + 1 < kQueryStepCount ? index + 1 : -1;
}

int32_t QueryModemInformation(const char* entryText) {
  char path[kShortTextSize];
  std::memset(path, 0, sizeof path);
  PortPathFromEntry(entryText, path, sizeof path);
  return QueryModemAtPath(path);
}

namespace {

// The commands that clear the line after an unanswered command: their
// answers start with a prefix of their own, which no other answer and no
// unsolicited report does. The second stands in for the first when the
// first is the command that went unanswered (two such answers could not be
// told apart).
struct LineCheck {
  const char* command;
  const char* answerLine;
};
constexpr LineCheck kLineChecks[] = {{"AT+CSQ", "+CSQ:"}, {"AT+CFUN?", "+CFUN:"}};

// What the check reads may be the rest of the late command's answer, whose
// bound began with the command: a stick that sends only reports without end
// (never an answer, so the command went unanswered) meets its bound about
// kAnswerBoundMs after the command, as any other answer does, and never
// later than kAnswerWaitMs after the command's own exchange.
uint32_t CheckBoundAfter(std::chrono::steady_clock::time_point sent) {
  const auto spentMs =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - sent).count();
  return spentMs + kAnswerWaitMs < kAnswerBoundMs ? kAnswerBoundMs - static_cast<uint32_t>(spentMs)
                                                  : kAnswerWaitMs;
}

// After command went unanswered: sends a line check and reads up to the
// end of its answer. The stick answers in order, so whatever comes before
// the check's answer is the late answer of command; it stays in
// ReceiveBuffer (the check's echo and answer are cleared), and the line is
// clear for the next command. When the check's answer does not come either,
// the line cannot be trusted and the query must end.
AnswerOutcome TakeLateAnswer(PortHandle port, const char* command, uint32_t boundMs, uint32_t* lateCount) {
  const LineCheck& check =
      std::strcmp(command, kLineChecks[0].command) != 0 ? kLineChecks[0] : kLineChecks[1];
  uint32_t count = 0;
  const AnswerOutcome outcome = SendForAnswer(port, check.command, kAnswerWaitMs, boundMs, check.answerLine,
                                              g_App.ReceiveBuffer, &count);
  *lateCount = 0;
  if (outcome != kAnswerRead) return outcome;
  char* const reply = g_App.ReceiveBuffer;
  const char* answer = FindWholeLine(reply, count, check.answerLine);
  // A reply that filled the whole buffer without the check's own answer
  // line: the line is anything but clear.
  if (answer == nullptr) {
    std::memset(reply, 0, count);
    return kAnswerEndless;
  }
  // A stick whose echo stays on echoes the check just before its answer.
  const size_t echoLength = std::strlen(check.command);
  const char* before = answer;
  while (before > reply && (before[-1] == '\r' || before[-1] == '\n')) --before;
  if (before - reply >= static_cast<ptrdiff_t>(echoLength) &&
      std::memcmp(before - echoLength, check.command, echoLength) == 0)
    answer = before - echoLength;
  *lateCount = static_cast<uint32_t>(answer - reply);
  std::memset(reply + *lateCount, 0, count - *lateCount);
  return kAnswerRead;
}

}  // namespace

// Each answer goes into the rows of the command it answers, or nowhere.
// A command whose answer has not begun after kAnswerWaitMs is followed by a
// line check (TakeLateAnswer) before the next command, so a late answer
// never lands in the next command's rows. A stick that stops answering (a
// firmware hang, a reset mid-query, its port taken over) leaves the check
// unanswered too, and the query ends: what a stick that goes silent
// mid-query costs on top of the answers it gave is 2 x 2000 ms of waiting
// plus the two writes and the flushes around them, about 4.1 s, under the
// 5 s after which Windows calls a window "not responding". A stick whose
// answer does not end (a dribble, reports without end) ends the query
// kAnswerBoundMs after that answer began.
int32_t QueryModemAtPath(const char* devicePath, int32_t* unansweredStep) {
  ClearRowValues();
  const PortHandle port = OpenConfiguredPort(devicePath);
  if (port == kInvalidPort) return kQueryPortFailed;

  int32_t result = kQueryComplete;
  bool answered = false;
  bool refused = false;
  for (int32_t index = 0; index >= 0; index = NextQueryStep(index, answered, refused)) {
    // Every read is bounded, so a stop asked for between two commands ends
    // the query within one command's time, the port closed.
    if (g_App.QueryStopRequested) {
      result = kQueryStopped;
      break;
    }
    const QueryStep& step = QueryStepAt(index);
    uint32_t count = 0;
    const auto sent = std::chrono::steady_clock::now();
    AnswerOutcome outcome = SendForAnswer(port, step.command, kAnswerWaitMs, kAnswerBoundMs, nullptr,
                                          g_App.ReceiveBuffer, &count);
    if (outcome == kAnswerMissing)
      outcome = TakeLateAnswer(port, step.command, CheckBoundAfter(sent), &count);
    if (outcome != kAnswerRead) {
      if (unansweredStep != nullptr) *unansweredStep = index;
      result = outcome == kAnswerEndless ? kQueryModemBabbling : kQueryModemStopped;
      break;
    }
    // No answer, no decoding: the command's rows stay empty.
    answered = ReplyHoldsAnswer(g_App.ReceiveBuffer, count, step.command);
    if (!answered) continue;
    refused = ReplyRefused(g_App.ReceiveBuffer);
    for (int32_t i = 0; i < step.extractionCount; ++i)
      ExtractReplyValue(step.extractions[i].prefix, step.extractions[i].rowId, true);
    if (step.decode != nullptr) step.decode();
  }

  ClosePort(port);
  return result;
}
