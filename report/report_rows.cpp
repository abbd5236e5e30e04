// The row catalogue, the row value store and reply value extraction.
#include "report/report_rows.h"

#include <cstring>
#include <string_view>

#include "report/bounded_text.h"

// Insertion in this order, each entry at its position (appending when the
// position lies past the end), gives the list from top to bottom:
// RowIds 0, 1, 4, 5, 24, 25, 26, 27, the toggle, then 2, 3, 6..23.
const std::array<RowTableEntry, kRowTableSize> RowTable = {{
    {"Производитель", 0},
    {"Модель", 1},
    {"Версия прошивки", 9},
    {"Версия железа", 10},
    {"Версии (прошивки и железа)", 2},
    {"IMEI", 3},
    {"IMSI", 11},
    {"Наборы команд", 12},
    {"Статус сервиса", 13},
    {"Домен сервиса", 14},
    {"Состояние роуминга", 15},
    {"Режим системы", 16},
    {"Субрежим системы", 17},
    {"Состояние SIM", 18},
    {"Состояние блокировки SIM", 19},
    {"Статус PIN", 20},
    {"Функциональность железа", 21},
    {"Уровень сигнала", 22},
    {"Режим сети", 23},
    {"Оператор", 24},
    {"Технология сети", 25},
    {"Порядок поиска технологии", 26},
    {"Диапазон частот", 27},
    {"Поддержка роуминга", 28},
    {"Дата/время компиляции", 4},
    {"Версия Dashboard", 5},
    {"Статус блокировки", 6},
    {"Осталось попыток ввода кода", 7},
    {kToggleShowLabel, 8},
}};

static_assert(sizeof(AppState::RowValues[0]) == kTextBufferSize);

namespace {

bool IsRowIndex(int32_t rowId) { return rowId >= 0 && rowId < kRowTableSize; }

// Steps over up to count characters, never past the terminating zero.
const char* SkipChars(const char* p, size_t count) {
  while (count > 0 && *p != '\0') {
    ++p;
    --count;
  }
  return p;
}

const char* SkipChar(const char* p, char c) { return *p == c ? p + 1 : p; }

void ClearValueBuffer() { std::memset(g_App.ValueBuffer, 0, kTextCapacity); }

}  // namespace

void SetRowValue(int32_t rowId, const char* text) {
  if (!IsRowIndex(rowId)) return;
  if (text == nullptr) text = "";
  char* value = g_App.RowValues[rowId];
  if (text != value) CopyText(value, kTextBufferSize, text);
  if (g_App.RowSink != nullptr) g_App.RowSink(RowTable[rowId].position, value);
}

void ClearRowValues() {
  for (int32_t rowId = 0; rowId < kRowTableSize; ++rowId) SetRowValue(rowId, "");
}

const char* RowValue(int32_t rowId) { return IsRowIndex(rowId) ? g_App.RowValues[rowId] : ""; }

void ExtractReplyValue(const char* prefix, int32_t rowId, bool writeRow) {
  if (prefix == nullptr) prefix = "";
  const size_t prefixLength = std::strlen(prefix);

  // 1. Where the value's line starts: the reply's first byte, or the first
  //    occurrence of the prefix.
  const char* p = g_App.ReceiveBuffer;
  if (prefixLength > 0) {
    p = std::strstr(g_App.ReceiveBuffer, prefix);
    if (p == nullptr) {
      ClearValueBuffer();
      return;
    }
  }

  // 2. The line end that opens a reply (and one blank before it).
  p = SkipChar(p, ' ');
  p = SkipChar(p, '\r');
  p = SkipChar(p, '\n');

  // 3. The prefix and the one character after it, normally the colon.
  if (prefixLength > 0) p = SkipChars(p, prefixLength + 1);

  // 4. One blank, then an opening quote.
  p = SkipChar(p, ' ');
  p = SkipChar(p, '"');

  // 5. Copy the rest of the reply, bounded.
  ClearValueBuffer();
  CopyText(g_App.ValueBuffer, kTextCapacity, p);

  // 6. Keep the current line only.
  if (char* lf = std::strchr(g_App.ValueBuffer, '\n')) *lf = '\0';
  if (char* cr = std::strchr(g_App.ValueBuffer, '\r')) *cr = '\0';

  // 7. One closing quote.
  size_t length = std::strlen(g_App.ValueBuffer);
  if (length > 0 && g_App.ValueBuffer[length - 1] == '"') g_App.ValueBuffer[--length] = '\0';

  // 8. Nothing worth showing.
  if (length == 0 || std::string_view(g_App.ValueBuffer) == "OK") {
    ClearValueBuffer();
    return;
  }

  // 9. Straight into the row when asked.
  if (writeRow) SetRowValue(rowId, g_App.ValueBuffer);
}
