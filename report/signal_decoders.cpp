// AT+CFUN? (radio functionality) and AT+CSQ (signal level). The PIN state of
// AT+CPIN? needs no decoder: its value goes into its row as it stands.
#include <cctype>
#include <cstdio>
#include <cstring>

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

}  // namespace

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
