// AT+COPS? (registration mode and operator), AT^SYSCFG? (technology
// preference, acquisition order, band, roaming support) and AT^SYSCFGEX?,
// the same settings from an LTE stick, which no longer answers AT^SYSCFG?
// in LTE mode, with the LTE bands besides.
#include <cstdio>
#include <cstring>
#include <string_view>

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
    {"3FFFFFFF", kTextAnyBand},
    {"40000000", "Без изменений диапазона"},
};
constexpr CodeText kRoamingSupportCodes[] = {
    {"0", "Не поддерживается"},
    {"1", "Поддерживается"},
    {"2", kTextNoChange},
};

// ^SYSCFGEX gives technology and search order as one field: the technologies
// in the order the stick searches them, two digits each (01 GSM, 02 UMTS,
// 03 LTE). The technology row shows which ones the stick may use, the order
// row in which order.
constexpr CodeText kTechnologyExCodes[] = {
    {"00", kTextAutomaticSearch}, {"01", kText2gOnly},      {"02", kText3gOnly},
    {"03", kTextLteOnly},         {"0102", "2G и 3G"},      {"0201", "2G и 3G"},
    {"0103", "2G и LTE"},         {"0301", "2G и LTE"},     {"0203", "3G и LTE"},
    {"0302", "3G и LTE"},         {"010203", kText2g3gLte}, {"010302", kText2g3gLte},
    {"020103", kText2g3gLte},     {"020301", kText2g3gLte}, {"030102", kText2g3gLte},
    {"030201", kText2g3gLte},     {"99", kTextNoChange},
};
constexpr CodeText kAcquisitionOrderExCodes[] = {
    {"00", kTextAutomaticSearch},
    {"01", kText2gOnly},
    {"02", kText3gOnly},
    {"03", kTextLteOnly},
    {"0102", "Сначала 2G, затем 3G"},
    {"0201", "Сначала 3G, затем 2G"},
    {"0103", "Сначала 2G, затем LTE"},
    {"0301", "Сначала LTE, затем 2G"},
    {"0203", "Сначала 3G, затем LTE"},
    {"0302", "Сначала LTE, затем 3G"},
    {"010203", "Сначала 2G, затем 3G, затем LTE"},
    {"010302", "Сначала 2G, затем LTE, затем 3G"},
    {"020103", "Сначала 3G, затем 2G, затем LTE"},
    {"020301", "Сначала 3G, затем LTE, затем 2G"},
    {"030102", "Сначала LTE, затем 2G, затем 3G"},
    {"030201", "Сначала LTE, затем 3G, затем 2G"},
    {"99", kTextNoChange},
};

constexpr CodeTable kRegistrationModeTable = MakeCodeTable(kRegistrationModeCodes);
constexpr CodeTable kTechnologyExTable = MakeCodeTable(kTechnologyExCodes);
constexpr CodeTable kAcquisitionOrderExTable = MakeCodeTable(kAcquisitionOrderExCodes);
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
// The GSM/UMTS band mask and the roaming support read as in ^SYSCFG; the
// service domain has no row; the LTE band mask comes last (field 4).
constexpr FieldRule kSyscfgExFields[] = {
    {&kTechnologyExTable, kRowNetworkTechnology, kFieldUnquoted | kFieldReadAgain},
    {&kAcquisitionOrderExTable, kRowAcquisitionOrder, kFieldUnquoted},
    {&kBandTable, kRowFrequencyBand},
    {&kRoamingSupportTable, kRowRoamingSupport},
};
constexpr int32_t kSyscfgExLteBandField = 4;
// +COPS? names the access technology in field 3: 7 is LTE.
constexpr int32_t kCopsTechnologyField = 3;
constexpr std::string_view kCopsLte = "7";
// The LTE band mask is up to 64 bits in hexadecimal; the one of every band
// the stick knows has bits 0..62 set.
constexpr size_t kLteMaskDigits = 16;
constexpr uint64_t kEveryLteBand = 0x7FFFFFFFFFFFFFFFull;

// The hexadecimal number of the current field (either case, leading zeros
// allowed); false for an empty field, any other character or more than 16
// digits.
bool ReadHexMask(uint64_t* mask) {
  const char* field = g_App.ReceiveBuffer;
  const size_t length = std::strlen(field);
  if (length == 0 || length > kLteMaskDigits) return false;
  uint64_t value = 0;
  for (size_t i = 0; i < length; ++i) {
    const char c = field[i];
    uint64_t digit = 0;
    if (c >= '0' && c <= '9')
      digit = static_cast<uint64_t>(c - '0');
    else if (c >= 'A' && c <= 'F')
      digit = static_cast<uint64_t>(c - 'A' + 10);
    else if (c >= 'a' && c <= 'f')
      digit = static_cast<uint64_t>(c - 'a' + 10);
    else
      return false;
    value = value << 4 | digit;
  }
  *mask = value;
  return true;
}

// The band row gets the LTE bands after the GSM/UMTS band: "<band>; LTE:
// B1, B3", or "LTE: B1, B3" when the GSM/UMTS mask matched no text.
void AppendLteBands(uint64_t mask) {
  char bands[kShortTextSize * 2];
  FormatLteBands(mask, bands, sizeof bands);
  char* row = g_App.ReceiveBuffer;
  std::memset(row, 0, kTextCapacity);
  CopyText(row, kTextCapacity, RowValue(kRowFrequencyBand));
  const size_t length = std::strlen(row);
  std::snprintf(row + length, kTextCapacity - length, "%sLTE: %s", length > 0 ? "; " : "", bands);
  SetRowValue(kRowFrequencyBand, row);
}

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
  if (TakeFieldAt(kCopsTechnologyField) && g_App.ReceiveBuffer == kCopsLte) g_App.Lte.onLte = true;
}

void DecodeSystemConfigReply() { DecodeReplyFields("^SYSCFG", kSyscfgFields); }

void DecodeSystemConfigExReply() {
  DecodeReplyFields("^SYSCFGEX", kSyscfgExFields);
  if (!TakeFieldAt(kSyscfgExLteBandField)) return;
  UnquoteField();
  uint64_t mask = 0;
  if (!ReadHexMask(&mask) || mask == 0) return;
  g_App.Lte.bandMask = mask;
  AppendLteBands(mask);
}

void FormatLteBands(uint64_t mask, char* text, size_t textSize) {
  if (textSize == 0) return;
  text[0] = '\0';
  if (mask == kEveryLteBand) {
    CopyText(text, textSize, kTextAnyBand);
    return;
  }
  size_t length = 0;
  for (int32_t bit = 0; bit < 64 && length < textSize; ++bit) {
    if ((mask >> bit & 1u) == 0) continue;
    const int written =
        std::snprintf(text + length, textSize - length, "%sB%d", length > 0 ? ", " : "", bit + 1);
    if (written < 0) return;
    length += static_cast<size_t>(written);
  }
}
