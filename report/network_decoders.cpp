// AT+COPS? (registration mode and operator) and AT^SYSCFG? (technology
// preference, acquisition order, band, roaming support).
#include <cstdio>
#include <cstring>

#include "report/decoders.h"
#include "report/field_walk.h"
#include "base/bounded_text.h"
#include "report/report_rows.h"

namespace {

// There is no code 3 ("set the name format only"): it never comes back.
constexpr CodeText kRegistrationModeCodes[] = {
    {"0", "Автоматический"},
    {"1", "Ручной"},
    {"2", "Отмена регистрации в сети"},
    {"4", "Если ручной не удастся, пробовать автоматический"},
};
constexpr CodeText kTechnologyCodes[] = {
    {"2", kTextAutomaticSearch},
    {"13", kText2gOnly},
    {"14", kText3gOnly},
    {"16", kTextNoChange},
};
constexpr CodeText kAcquisitionOrderCodes[] = {
    {"0", kTextAutomaticSearch},
    {"1", "Сначала 2G, затем 3G"},
    {"2", "Сначала 3G, затем 2G"},
    {"3", kTextNoChange},
};
// The band is a hexadecimal mask compared as text against single bands: a
// combined mask, lower-case letters or leading zeros match nothing.
constexpr CodeText kBandCodes[] = {
    {"80", "GSM DCS systems"},
    {"100", "Extended GSM 900"},
    {"200", "Primary GSM 900"},
    {"200000", "GSM PCS"},
    {"400000", "WCDMA IMT 2000"},
    {"3FFFFFFF", "Любой диапазон"},
    {"40000000", "Без изменений диапазона"},
};
constexpr CodeText kRoamingSupportCodes[] = {
    {"0", "Не поддерживается"},
    {"1", "Поддерживается"},
    {"2", kTextNoChange},
};

constexpr CodeTable kRegistrationModeTable = MakeCodeTable(kRegistrationModeCodes);
constexpr CodeTable kTechnologyTable = MakeCodeTable(kTechnologyCodes);
constexpr CodeTable kAcquisitionOrderTable = MakeCodeTable(kAcquisitionOrderCodes);
constexpr CodeTable kRoamingSupportTable = MakeCodeTable(kRoamingSupportCodes);

}  // namespace

constexpr CodeTable kBandTable = MakeCodeTable(kBandCodes);

namespace {

constexpr FieldRule kCopsFields[] = {{&kRegistrationModeTable, kRowNetworkMode}};
constexpr FieldRule kSyscfgFields[] = {
    {&kTechnologyTable, kRowNetworkTechnology},
    {&kAcquisitionOrderTable, kRowAcquisitionOrder},
    {&kBandTable, kRowFrequencyBand},
    {&kRoamingSupportTable, kRowRoamingSupport},
};

// Field 3 of the +COPS value, the operator name, usually in quotes. The name
// ends at the first comma, even one inside the quotes.
void WriteOperatorName() {
  const char* p = std::strchr(g_App.ValueBuffer, ',');
  if (p == nullptr) return;
  p = std::strchr(p + 1, ',');
  if (p == nullptr) return;
  ++p;
  if (*p == '"') ++p;
  std::memset(g_App.ReceiveBuffer, 0, kTextCapacity);
  CopyText(g_App.ReceiveBuffer, kTextCapacity, p);
  if (char* comma = std::strchr(g_App.ReceiveBuffer, ',')) *comma = '\0';
  const size_t length = std::strlen(g_App.ReceiveBuffer);
  if (length > 0 && g_App.ReceiveBuffer[length - 1] == '"') g_App.ReceiveBuffer[length - 1] = '\0';
  WriteFieldVerbatim(kRowOperator);
}

}  // namespace

void DecodeOperatorReply() {
  DecodeReplyFields("+COPS", kCopsFields);
  WriteOperatorName();
}

void DecodeSystemConfigReply() { DecodeReplyFields("^SYSCFG", kSyscfgFields); }
