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

int32_t QueryModemAtPath(const char* devicePath) {
  ClearRowValues();
  const PortHandle port = OpenConfiguredPort(devicePath);
  if (port == kInvalidPort) return 1;

  for (const QueryStep& step : QuerySequence) {
    // No reply, no decoding; the sequence goes on regardless.
    if (SendAtCommand(port, step.command, false, kQueryTimeoutMs, g_App.ReceiveBuffer) == 0) continue;
    for (int32_t i = 0; i < step.extractionCount; ++i)
      ExtractReplyValue(step.extractions[i].prefix, step.extractions[i].rowId, true);
    if (step.decode != nullptr) step.decode();
  }

  ClosePort(port);
  return 0;
}
