// The field walk: how every decoder takes a reply value apart at its commas
// and matches each field, as whole text, against a table of codes.
//
// The value is the one ExtractReplyValue left in ValueBuffer; the walk only
// reads it. The current field is built in ReceiveBuffer (the reply itself is
// no longer needed by then) and written into rows from there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// One code of a reply field and the text the report shows for it.
struct CodeText {
  std::string_view code;
  const char* text;
};

struct CodeTable {
  const CodeText* entries;
  size_t count;
};

template <size_t N>
constexpr CodeTable MakeCodeTable(const CodeText (&entries)[N]) {
  return {entries, N};
}

// How a rule reads its field, beyond the plain match (flags, or-ed).
enum FieldRuleFlags : uint32_t {
  kFieldPlain = 0,
  // The quotes around the field are taken off first ("LTE" is LTE).
  kFieldUnquoted = 1,
  // Written only into a row still empty: the stick's own name for a code
  // the table before it did not know.
  kFieldIfRowEmpty = 2,
  // The next rule reads the same field again (one field, two rows).
  kFieldReadAgain = 4,
};

// What a decoder does with one field: decode it against a table, or (with
// no table) write it into the row as it stands.
struct FieldRule {
  const CodeTable* table;
  int32_t rowId;
  uint32_t flags = kFieldPlain;
};

// The walk's position: where the current field begins in ValueBuffer.
struct FieldCursor {
  const char* position;
};

// The first field of ValueBuffer into ReceiveBuffer.
FieldCursor TakeFirstField();

// The field after the next comma into ReceiveBuffer; false (and nothing
// taken) when the value has no further comma.
bool TakeNextField(FieldCursor* cursor);

// Writes the display text of the code equal to the current field; a field
// that matches no code writes nothing.
void DecodeField(const CodeTable& table, int32_t rowId);

// Writes the current field unchanged, also when it is empty.
void WriteFieldVerbatim(int32_t rowId);

// Applies a rule to the current field.
void ApplyFieldRule(const FieldRule& rule);

// Takes the quotes off the current field: one opening, one closing.
void UnquoteField();

// Field `index` (0 for the first) of ValueBuffer into ReceiveBuffer; false
// (and nothing taken) when the value has fewer fields.
bool TakeFieldAt(int32_t index);

// ExtractReplyValue(prefix) without writing, then the rules to fields 1, 2,
// ... in order, until the value runs out of commas or of rules.
template <size_t N>
void DecodeReplyFields(const char* prefix, const FieldRule (&rules)[N]);
void DecodeReplyFields(const char* prefix, const FieldRule* rules, size_t ruleCount);

template <size_t N>
void DecodeReplyFields(const char* prefix, const FieldRule (&rules)[N]) {
  DecodeReplyFields(prefix, rules, N);
}
