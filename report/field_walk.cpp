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

void ApplyFieldRule(const FieldRule& rule) {
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
    if (!TakeNextField(&cursor)) return;
    ApplyFieldRule(rules[i]);
  }
}
