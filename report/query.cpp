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
  int32_t result = kQueryComplete;
  for (int32_t index = 0; index < kQueryStepCount; ++index) {
    // Every read is bounded, so a stop asked for between two commands ends
    // the query within one command's time, the port closed.
    if (g_App.QueryStopRequested) {
      result = kQueryStopped;
      break;
    }
    const QueryStep& step = QuerySequence[index];
    const uint32_t count =
        SendAtCommand(port, step.command, kWaitForAnswer, kAnswerBeginMs, g_App.ReceiveBuffer);
    // No answer, no decoding: the command's rows stay empty.
    if (!ReplyHoldsAnswer(g_App.ReceiveBuffer, count, step.command)) {
      if (++unanswered < kUnansweredInARow) continue;
      if (unansweredStep != nullptr) *unansweredStep = index - (kUnansweredInARow - 1);
      result = kQueryModemStopped;
      break;
    }
    unanswered = 0;
    for (int32_t i = 0; i < step.extractionCount; ++i)
      ExtractReplyValue(step.extractions[i].prefix, step.extractions[i].rowId, true);
    if (step.decode != nullptr) step.decode();
  }

  ClosePort(port);
  return result;
}
