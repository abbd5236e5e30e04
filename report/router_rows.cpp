// The router web interface's element table and the rows it writes.
#include "report/router_rows.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "report/cp1251.h"
#include "report/decoders.h"
#include "report/field_walk.h"
#include "report/report_rows.h"

const char* const kRouterPaths[kRouterPathCount] = {
    "/api/device/information", "/api/monitoring/status", "/api/net/current-plmn", "/api/device/signal",
    "/api/pin/status",         "/api/pin/simlock",       "/api/net/net-mode",
};

namespace {

// SimState of /api/pin/status: the words AT+CPIN? answers for the same
// state. 255 (no card) has none: AT+CPIN? then answers an error and leaves
// the row empty, and the SIM row says that the card is missing.
constexpr CodeText kPinStateCodes[] = {
    {"257", "READY"},
    {"260", "SIM PIN"},
    {"261", "SIM PUK"},
};
// SimLockEnable of /api/pin/simlock.
constexpr CodeText kSimLockCodes[] = {
    {"0", kTextUnlocked},
    {"1", kTextLocked},
};
// NetworkMode of /api/net/net-mode where it means what ^SYSCFG's mode
// means; the LTE modes and combinations have no ^SYSCFG text.
constexpr CodeText kNetworkModeCodes[] = {
    {"00", kTextAutomaticSearch},
    {"01", kText2gOnly},
    {"02", kText3gOnly},
};
constexpr CodeTable kPinStateTable = MakeCodeTable(kPinStateCodes);
constexpr CodeTable kSimLockTable = MakeCodeTable(kSimLockCodes);
constexpr CodeTable kNetworkModeTable = MakeCodeTable(kNetworkModeCodes);

}  // namespace

// Elements without a row here (CurrentNetworkType, SignalIcon, rsrp, ...)
// have no AT equivalent the report shows, and are left alone.
constexpr RouterField kRouterFields[kRouterFieldCount] = {
    {kPathDeviceInformation, "DeviceName", kValueVerbatim, nullptr, kRowModel},
    {kPathDeviceInformation, "SoftwareVersion", kValueVerbatim, nullptr, kRowFirmwareVersion},
    {kPathDeviceInformation, "HardwareVersion", kValueVerbatim, nullptr, kRowHardwareVersion},
    {kPathDeviceInformation, "Imei", kValueVerbatim, nullptr, kRowImei},
    {kPathDeviceInformation, "Imsi", kValueVerbatim, nullptr, kRowImsi},
    {kPathDeviceInformation, "WebUIVersion", kValueVerbatim, nullptr, kRowDashboardVersion},
    {kPathMonitoringStatus, "ServiceStatus", kValueCode, &kServiceStatusTable, kRowServiceStatus},
    {kPathMonitoringStatus, "CurrentServiceDomain", kValueCode, &kServiceDomainTable, kRowServiceDomain},
    {kPathMonitoringStatus, "RoamingStatus", kValueCode, &kRoamingTable, kRowRoamingState},
    {kPathMonitoringStatus, "SimStatus", kValueCode, &kSimStateTable, kRowSimState},
    {kPathCurrentPlmn, "FullName", kValueVerbatim, nullptr, kRowOperator},
    {kPathDeviceSignal, "rssi", kValueSignal, nullptr, kRowSignalLevel},
    {kPathPinStatus, "SimState", kValueCode, &kPinStateTable, kRowPinStatus},
    {kPathSimLock, "SimLockEnable", kValueCode, &kSimLockTable, kRowLockStatus},
    {kPathSimLock, "SimLockRemainTimes", kValueVerbatim, nullptr, kRowUnlockAttemptsLeft},
    {kPathNetMode, "NetworkMode", kValueCode, &kNetworkModeTable, kRowNetworkTechnology},
    {kPathNetMode, "NetworkBand", kValueCode, &kBandTable, kRowFrequencyBand},
};

// Every field writes a report row. (Whether a code field has its table is
// no constant expression for every compiler: the sanitizer build cannot
// compare a table's address with null at compile time. The router tests
// read every field.)
constexpr bool FieldsWriteRows() {
  for (const RouterField& field : kRouterFields)
    if (field.rowId < 0 || field.rowId >= kReportRowCount) return false;
  return true;
}
static_assert(FieldsWriteRows(), "a router field without its row");

namespace {

// The rssi forms: "-67dBm", "&gt;=-51dBm" and "&lt;=-113dBm" (the walk has
// decoded the entities). The bound forms show their bound, as AT+CSQ's 31
// and 0 do. A level no stick can measure is not one.
void WriteSignal(const char* text) {
  while (*text == '>' || *text == '<' || *text == '=' || *text == ' ') ++text;
  int32_t level = 0;
  if (!ReadLeadingNumber(text, &level)) return;
  char row[kShortTextSize];
  std::memset(row, 0, sizeof row);
  if (level < -150 || level > 0)
    std::snprintf(row, sizeof row, "%s", kTextSignalUnknown);
  else
    FormatSignalDbm(level, row, sizeof row);
  SetRowValue(kRowSignalLevel, row);
}

void WriteField(const RouterField& field, const char* text) {
  switch (field.kind) {
    case kValueVerbatim: SetRowValue(field.rowId, text); return;
    case kValueCode:
      for (size_t i = 0; i < field.table->count; ++i) {
        if (field.table->entries[i].code == std::string_view(text)) {
          SetRowValue(field.rowId, field.table->entries[i].text);
          return;
        }
      }
      return;
    case kValueSignal: WriteSignal(text); return;
  }
}

// A row is one line of the text report and of the clipboard: the line
// breaks and tabs a firmware text may carry become blanks, and the blanks
// around the text go. Codes are left as they came: a padded code is no code.
void MakeOneLine(char* text) {
  size_t length = 0;
  for (; text[length] != '\0'; ++length)
    if (static_cast<unsigned char>(text[length]) < 0x20) text[length] = ' ';
  while (length > 0 && text[length - 1] == ' ') text[--length] = '\0';
  size_t start = 0;
  while (text[start] == ' ') ++start;
  if (start > 0) std::memmove(text, text + start, length - start + 1);
}

}  // namespace

void BeginRouterDocument(RouterDocument* document, RouterPath path) { *document = {path, 0, 0}; }

void TakeRouterElement(RouterDocument* document, int32_t depth, const char* name, const char* text,
                       size_t length) {
  const std::string_view element(name);
  if (depth == 1 && element == "code") {
    int32_t code = 0;
    document->pendingCode = ReadLeadingNumber(text, &code) ? code : 0;
    return;
  }
  if (depth == 0) {
    if (element == "error") document->errorCode = document->pendingCode;
    return;
  }
  if (depth != 1) return;
  for (const RouterField& field : kRouterFields) {
    if (field.path != document->path || element != field.element) continue;
    // The rows hold Windows-1251, as the modem's own bytes do.
    Utf8ToCp1251(text, length, g_App.ValueBuffer, kTextBufferSize);
    if (field.kind == kValueVerbatim) MakeOneLine(g_App.ValueBuffer);
    WriteField(field, g_App.ValueBuffer);
    return;
  }
}

void FinishRouterRows() {
  const char* model = RowValue(kRowModel);
  const char* firmware = RowValue(kRowFirmwareVersion);
  const char* hardware = RowValue(kRowHardwareVersion);
  if (*model != '\0' && *firmware != '\0' && *hardware != '\0') {
    char versions[kShortTextSize * 3];
    std::snprintf(versions, sizeof versions, "%s %s,%s", model, firmware, hardware);
    SetRowValue(kRowVersions, versions);
  }
  if (std::string_view(RowValue(kRowLockStatus)) == kTextLocked &&
      std::string_view(RowValue(kRowUnlockAttemptsLeft)) == "0")
    SetRowValue(kRowLockStatus, kTextLockedForever);
}
