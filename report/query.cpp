// The query sequence and the identity block (maker, model, versions, IMEI,
// IMSI, command sets).
#include "report/query.h"

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

// A stick that stops answering (a firmware hang, a reset mid-query, its port
// taken over) must not hold the query: each command it leaves unanswered
// costs kAnswerBeginMs, and after kUnansweredInARow of them in a row the
// query ends. What a stick that goes silent mid-query costs on top of the
// answers it gave is therefore bounded by 2 x 2000 ms of waiting plus the
// two writes and the flushes around them, about 4.1 s: the window's
// query stays under the 5 s after which Windows calls a window "not
// responding". (An answer that has begun is read to its end: that is a stick
// that answers.)
int32_t QueryModemAtPath(const char* devicePath, int32_t* unansweredStep) {
  ClearRowValues();
  const PortHandle port = OpenConfiguredPort(devicePath);
  if (port == kInvalidPort) return kQueryPortFailed;

  int32_t unanswered = 0;
  int32_t firstUnanswered = 0;
  int32_t result = kQueryComplete;
  bool answered = false;
  bool refused = false;
  for (int32_t index = 0; index >= 0; index = NextQueryStep(index, answered, refused)) {
    const QueryStep& step = QueryStepAt(index);
    const uint32_t count =
        SendAtCommand(port, step.command, kWaitForAnswer, kAnswerBeginMs, g_App.ReceiveBuffer);
    // No answer, no decoding: the command's rows stay empty.
    answered = ReplyHoldsAnswer(g_App.ReceiveBuffer, count, step.command);
    if (!answered) {
      if (unanswered++ == 0) firstUnanswered = index;
      if (unanswered < kUnansweredInARow) continue;
      if (unansweredStep != nullptr) *unansweredStep = firstUnanswered;
      result = kQueryModemStopped;
      break;
    }
    unanswered = 0;
    refused = ReplyRefused(g_App.ReceiveBuffer);
    for (int32_t i = 0; i < step.extractionCount; ++i)
      ExtractReplyValue(step.extractions[i].prefix, step.extractions[i].rowId, true);
    if (step.decode != nullptr) step.decode();
  }

  ClosePort(port);
  return result;
}
