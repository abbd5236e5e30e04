// AT+CFUN? (radio functionality), AT+CSQ (signal level) and, on an LTE
// stick, AT^HCSQ? (the LTE measurements). The PIN state of AT+CPIN? needs no
// decoder: its value goes into its row as it stands.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string_view>

#include "report/decoders.h"
#include "report/field_walk.h"
#include "base/bounded_text.h"
#include "report/report_rows.h"

namespace {

constexpr CodeText kFunctionalityCodes[] = {
    {"0", "Минимальная"},
    {"1", "Полная"},
    {"2", "Выключен передатчик"},
    {"3", "Выключен приемник"},
    {"4", "Выключен передатчик и приемник"},
    {"5", "Только GSM"},
    {"6", "Только WCDMA"},
};
constexpr CodeTable kFunctionalityTable = MakeCodeTable(kFunctionalityCodes);
constexpr FieldRule kCfunFields[] = {{&kFunctionalityTable, kRowRadioFunction}};

// The reply numbers 0..31 are the measurable levels -113..-51 dBm.
constexpr int32_t kLowestSignalNumber = 0;
constexpr int32_t kHighestSignalNumber = 31;

struct SignalGrade {
  int32_t highestLevel;  // inclusive bound in dBm
  const char* word;
};
constexpr SignalGrade kSignalGrades[] = {
    {-95, "Плохо"},
    {-85, "Удовлетворительно"},
    {-75, "Хорошо"},
    {INT32_MAX, "Отлично"},
};

// ^HCSQ: "LTE",<rssi>,<rsrp>,<sinr>,<rsrq>. Each number n stands for
// lowest + n x step (in tenths) up to its highest number; 255 and anything
// else past it is "not known". The fields come in LteMeasurement order.
struct LteScale {
  const char* label;
  const char* name;  // the JSON key
  const char* unit;
  int32_t lowestTenths;
  int32_t stepTenths;
  int32_t highestNumber;
};
constexpr LteScale kLteScales[] = {
    {"RSSI", "rssi", "dBm", -1210, 10, 96},
    {"RSRP", "rsrp", "dBm", -1410, 10, 97},
    {"SINR", "sinr", "dB", -202, 2, 251},
    {"RSRQ", "rsrq", "dB", -200, 5, 34},
};
static_assert(std::size(kLteScales) == kLteMeasurementCount);
constexpr std::string_view kHcsqLteMode = "LTE";

constexpr std::string_view kRefusalLines[] = {"ERROR", "COMMAND NOT SUPPORT"};
constexpr std::string_view kErrorNumberPrefix = "+CME ERROR";

}  // namespace

// The window's list shows the signal row with RSRP and SINR after it when
// the whole text fits its cell: people tune their antennas by them. A text
// the cell would cut ("Удовлетворительно" with a long SINR does not fit)
// leaves the row as it is. The row's own value, which the report lines and
// the copy carry, never changes.
void MirrorSignalRowWithLte() {
  if (g_App.RowSink == nullptr || g_App.RowFits == nullptr) return;
  char text[kShortTextSize];
  FormatSignalRowWithLte(text, sizeof text);
  const int32_t position = RowTable[kRowSignalLevel].position;
  if (g_App.RowFits(position, text)) g_App.RowSink(position, text);
}

// Numbers too large for the signal range are clamped, which keeps them out
// of range without overflowing.
bool ReadLeadingNumber(const char* text, int32_t* number) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  if (!std::isdigit(*p)) return false;
  int64_t value = 0;
  for (; std::isdigit(*p); ++p) {
    value = value * 10 + (*p - '0');
    if (value > 1000000) value = 1000000;
  }
  *number = static_cast<int32_t>(negative ? -value : value);
  return true;
}

void DecodeRadioFunctionReply() { DecodeReplyFields("+CFUN", kCfunFields); }

void FormatSignalLevel(int32_t number, char* text, size_t textSize) {
  if (number < kLowestSignalNumber || number > kHighestSignalNumber) {
    CopyText(text, textSize, kTextSignalUnknown);
    return;
  }
  FormatSignalDbm(2 * number - 113, text, textSize);
}

void FormatSignalDbm(int32_t level, char* text, size_t textSize) {
  const char* word = "";
  for (const SignalGrade& grade : kSignalGrades) {
    if (level <= grade.highestLevel) {
      word = grade.word;
      break;
    }
  }
  std::snprintf(text, textSize, "%d dBm (%s)", level, word);
}

void DecodeSignalReply() {
  ExtractReplyValue("+CSQ", 0, false);
  // A reply without a number (an ERROR, a bare prefix) says nothing about
  // the signal, so the row stays empty rather than claiming the lowest level.
  TakeFirstField();
  int32_t number = 0;
  if (!ReadLeadingNumber(g_App.ReceiveBuffer, &number)) return;
  char text[kShortTextSize];
  std::memset(text, 0, sizeof text);
  FormatSignalLevel(number, text, sizeof text);
  SetRowValue(kRowSignalLevel, text);
}

bool ReplyRefused(const char* reply) {
  for (const char* p = reply; *p != '\0';) {
    const size_t length = std::strcspn(p, "\r\n");
    const std::string_view line(p, length);
    for (std::string_view refusal : kRefusalLines)
      if (line == refusal) return true;
    if (line.substr(0, kErrorNumberPrefix.size()) == kErrorNumberPrefix) return true;
    p += length;
    if (*p != '\0') ++p;
  }
  return false;
}

// A refused ^HCSQ is no answer, even with a ^HCSQ line in it: that line is
// one the stick sent unasked, as LTE sticks do.
void DecodeLteSignalReply() {
  if (ReplyRefused(g_App.ReceiveBuffer)) return;
  ExtractReplyValue("^HCSQ", 0, false);
  TakeFirstField();
  UnquoteField();
  if (g_App.ReceiveBuffer != kHcsqLteMode) return;
  for (int32_t m = 0; m < kLteMeasurementCount; ++m) {
    if (!TakeFieldAt(m + 1)) break;
    int32_t number = 0;
    const LteScale& scale = kLteScales[m];
    if (!ReadLeadingNumber(g_App.ReceiveBuffer, &number) || number < 0 || number > scale.highestNumber)
      continue;
    g_App.Lte.measured[m] = true;
    g_App.Lte.tenths[m] = scale.lowestTenths + number * scale.stepTenths;
  }
  MirrorSignalRowWithLte();
}

void FormatTenths(int32_t tenths, char* text, size_t textSize) {
  const int32_t whole = tenths / 10;
  const int32_t part = tenths % 10;
  if (part == 0)
    std::snprintf(text, textSize, "%d", whole);
  else
    std::snprintf(text, textSize, "%s%d.%d", tenths < 0 ? "-" : "", whole < 0 ? -whole : whole,
                  part < 0 ? -part : part);
}

const char* LteMeasurementName(int32_t measurement) { return kLteScales[measurement].name; }
const char* LteMeasurementUnit(int32_t measurement) { return kLteScales[measurement].unit; }

bool LteReportLine(int32_t index, char* line, size_t lineSize) {
  for (int32_t m = 0; m < kLteMeasurementCount; ++m) {
    if (!g_App.Lte.measured[m] || index-- > 0) continue;
    char number[32];
    FormatTenths(g_App.Lte.tenths[m], number, sizeof number);
    std::snprintf(line, lineSize, "LTE %s: %s %s", kLteScales[m].label, number, kLteScales[m].unit);
    return true;
  }
  return false;
}

void FormatSignalRowWithLte(char* text, size_t textSize) {
  CopyText(text, textSize, RowValue(kRowSignalLevel));
  size_t length = std::strlen(text);
  for (int32_t m : {kLteRsrp, kLteSinr}) {
    if (!g_App.Lte.measured[m] || length >= textSize) continue;
    char number[32];
    FormatTenths(g_App.Lte.tenths[m], number, sizeof number);
    const char* separator = length == 0 ? "" : (m == kLteRsrp || !g_App.Lte.measured[kLteRsrp]) ? "; " : ", ";
    const int written = std::snprintf(text + length, textSize - length, "%s%s %s %s", separator,
                                      kLteScales[m].label, number, kLteScales[m].unit);
    if (written > 0) length += static_cast<size_t>(written);
  }
}
