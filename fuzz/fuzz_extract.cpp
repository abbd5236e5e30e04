// ExtractReplyValue on arbitrary replies. Input: one byte choosing the prefix
// (one the query uses, or else a 2-byte length and that many bytes of a
// prefix of its own), one byte choosing the row, then the reply.
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "report/report_rows.h"

namespace {

// Every prefix the query hands to ExtractReplyValue or a decoder.
constexpr const char* kQueryPrefixes[] = {
    "",       "Manufacturer", "Model",        "Revision",      "IMEI",      "+GCAP",
    "^FHVER", "^HWVER",       "^SYSINFO",     "+CPIN",         "+CFUN",     "+CSQ",
    "+COPS",  "^SYSCFG",      "^VERSION:BDT", "^VERSION:EXTD", "^CARDLOCK",
};
constexpr size_t kQueryPrefixCount = sizeof kQueryPrefixes / sizeof kQueryPrefixes[0];
constexpr size_t kMaxOwnPrefixLength = 300;

// What the row held before: the extraction must either replace it or leave
// it exactly as it was.
constexpr const char* kEarlierValue = "earlier value";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string prefix;
  const uint32_t choice = TakeLittleEndian(&data, &size, 1);
  if (choice < kQueryPrefixCount) {
    prefix = kQueryPrefixes[choice];
  } else {
    size_t length = TakeLittleEndian(&data, &size, 2) % (kMaxOwnPrefixLength + 1);
    if (length > size) length = size;
    prefix.assign(reinterpret_cast<const char*>(data), length);
    data += length;
    size -= length;
  }
  // -1 and 29 stand for the indices SetRowValue must ignore.
  const int32_t rowId = static_cast<int32_t>(TakeLittleEndian(&data, &size, 1) % (kRowTableSize + 2)) - 1;

  SetRowValue(rowId, kEarlierValue);
  LoadReply(data, size);
  ExtractReplyValue(prefix.c_str(), rowId, true);

  const char* value = g_App.ValueBuffer;
  Require(IsTerminated(value, kTextCapacity), "value terminated within 65,535 bytes");
  Require(!HasLineBreak(value), "value is one line");
  Require(std::string_view(value) != "OK", "a bare OK is no value");
  // The value is a piece of the reply (less at most a closing quote).
  Require(std::strstr(g_App.ReceiveBuffer, value) != nullptr, "value comes from the reply");
  if (value[0] == '\0') {
    Require(std::string_view(RowValue(rowId)) == (rowId >= 0 && rowId < kRowTableSize ? kEarlierValue : ""),
            "an empty value leaves the row alone");
  } else if (rowId >= 0 && rowId < kRowTableSize) {
    Require(std::string_view(RowValue(rowId)) == value, "the value went into its row");
  }
  return 0;
}
