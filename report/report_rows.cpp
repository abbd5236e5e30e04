// The row catalogue, the row value store and reply value extraction.
#include "report/report_rows.h"

#include <cstring>

#include "base/bounded_text.h"
#include "base/reply_value.h"

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
  g_App.Lte = LteReport{};
}

const char* RowValue(int32_t rowId) { return IsRowIndex(rowId) ? g_App.RowValues[rowId] : ""; }

void ExtractReplyValue(const char* prefix, int32_t rowId, bool writeRow) {
  if (TakeReplyValue(g_App.ReceiveBuffer, prefix, g_App.ValueBuffer) && writeRow)
    SetRowValue(rowId, g_App.ValueBuffer);
}
