// The shared field walk over ValueBuffer.
#include "report/field_walk.h"

#include <cstdio>
#include <cstring>

#include "base/bounded_text.h"
#include "report/report_rows.h"

namespace {

// ReceiveBuffer := the text from `from` up to (not including) its first comma.
void CopyField(const char* from) {
  std::memset(g_App.ReceiveBuffer, 0, kTextCapacity);
  CopyText(g_App.ReceiveBuffer, kTextCapacity, from);
  if (char* comma = std::strchr(g_App.ReceiveBuffer, ',')) *comma = '\0';
}

}  // namespace

FieldCursor TakeFirstField() {
  CopyField(g_App.ValueBuffer);
  return {g_App.ValueBuffer};
}

bool TakeNextField(FieldCursor* cursor) {
  const char* comma = std::strchr(cursor->position, ',');
  if (comma == nullptr) return false;
  cursor->position = comma + 1;
  CopyField(cursor->position);
  return true;
}

void DecodeField(const CodeTable& table, int32_t rowId) {
  const std::string_view field(g_App.ReceiveBuffer);
  for (size_t i = 0; i < table.count; ++i) {
    if (table.entries[i].code == field) {
      SetRowValue(rowId, table.entries[i].text);
      return;
    }
  }
}

void WriteFieldVerbatim(int32_t rowId) { SetRowValue(rowId, g_App.ReceiveBuffer); }

void UnquoteField() {
  char* field = g_App.ReceiveBuffer;
  size_t length = std::strlen(field);
  if (length > 0 && field[length - 1] == '"') field[--length] = '\0';
  if (field[0] == '"') std::memmove(field, field + 1, length);
}

bool TakeFieldAt(int32_t index) {
  if (index < 0) return false;
  FieldCursor cursor = TakeFirstField();
  for (int32_t i = 0; i < index; ++i)
    if (!TakeNextField(&cursor)) return false;
  return index >= 0;
}

void ApplyFieldRule(const FieldRule& rule) {
  if ((rule.flags & kFieldUnquoted) != 0) UnquoteField();
  if ((rule.flags & kFieldIfRowEmpty) != 0 && RowValue(rule.rowId)[0] != '\0') return;
  if (rule.table != nullptr)
    DecodeField(*rule.table, rule.rowId);
  else
    WriteFieldVerbatim(rule.rowId);
}

void DecodeReplyFields(const char* prefix, const FieldRule* rules, size_t ruleCount) {
  ExtractReplyValue(prefix, 0, false);
  if (ruleCount == 0) return;
  FieldCursor cursor = TakeFirstField();
  ApplyFieldRule(rules[0]);
  for (size_t i = 1; i < ruleCount; ++i) {
    if ((rules[i - 1].flags & kFieldReadAgain) != 0) {
      CopyField(cursor.position);
    } else if (!TakeNextField(&cursor)) {
      return;
    }
    ApplyFieldRule(rules[i]);
  }
}
