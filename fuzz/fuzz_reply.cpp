// The readers of one reply on arbitrary bytes, the first byte choosing which
// (input forms: fuzz/README.md): the value extraction into a row, the field
// walk over a value, or every decoder on the same reply with the texts made
// of a number and of the LTE measurements.
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "report/decoders.h"
#include "report/field_walk.h"
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
constexpr const char* kEarlierValue = "earlier value";

void FuzzExtract(const uint8_t* data, size_t size) {
  const uint32_t choice = TakeLittleEndian(&data, &size, 1);
  const std::string prefix =
      choice < kQueryPrefixCount
          ? std::string(kQueryPrefixes[choice])
          : TakeText(&data, &size, TakeLittleEndian(&data, &size, 2) % (kMaxOwnPrefixLength + 1));
  // -1 and 29 stand for the indices SetRowValue must ignore.
  const int32_t rowId = static_cast<int32_t>(TakeLittleEndian(&data, &size, 1) % (kRowTableSize + 2)) - 1;
  SetRowValue(rowId, kEarlierValue);
  LoadReply(data, size);
  ExtractReplyValue(prefix.c_str(), rowId, true);

  const char* value = g_App.ValueBuffer;
  Require(IsTerminated(value, kTextCapacity) && !HasLineBreak(value), "value is one terminated line");
  // The value is a piece of the reply (less at most a closing quote).
  Require(std::strstr(g_App.ReceiveBuffer, value) != nullptr, "value comes from the reply");
}

// Decoders read seven fields at most. Every field costs a 64 KiB clear of
// ReceiveBuffer, so a value of nothing but commas would make a full walk
// quadratic; the first fields are where the decoders look anyway.
constexpr int kMaxFields = 64;

void FuzzFieldWalk(const uint8_t* data, size_t size) {
  if (size > kTextCapacity) size = kTextCapacity;
  std::memset(g_App.ValueBuffer, 0, kTextBufferSize);
  std::memcpy(g_App.ValueBuffer, data, size);
  const std::string value(g_App.ValueBuffer);

  FieldCursor cursor = TakeFirstField();
  std::string joined;
  bool walkEnded = false;
  for (int field = 0; field < kMaxFields && !walkEnded; ++field) {
    const std::string current(g_App.ReceiveBuffer);
    Require(current.find(',') == std::string::npos, "a field holds no comma");
    joined += (field > 0 ? "," : "") + current;
    walkEnded = !TakeNextField(&cursor);
    if (walkEnded) Require(current == g_App.ReceiveBuffer, "a failed step takes nothing");
  }
  Require(value == g_App.ValueBuffer, "the walk only reads the value");
  Require(walkEnded ? joined == value : value.compare(0, joined.size() + 1, joined + ',') == 0,
          "fields rejoined give the value, or its front");
}

// The rows each decoder owns; a decoder that writes anywhere else would
// overwrite what another command reported.
struct DecoderRows {
  void (*decode)();
  int32_t firstRow;
  int32_t lastRow;
};
constexpr DecoderRows kDecoders[] = {
    {DecodeSysinfoReply, kRowServiceStatus, kRowSimLockState},
    {DecodeRadioFunctionReply, kRowRadioFunction, kRowRadioFunction},
    {DecodeSignalReply, kRowSignalLevel, kRowSignalLevel},
    {DecodeOperatorReply, kRowNetworkMode, kRowOperator},
    {DecodeSystemConfigReply, kRowNetworkTechnology, kRowRoamingSupport},
    {DecodeCardLockReply, kRowLockStatus, kRowUnlockAttemptsLeft},
    {DecodeSysinfoExReply, kRowServiceStatus, kRowSimLockState},
    {DecodeSystemConfigExReply, kRowNetworkTechnology, kRowRoamingSupport},
    // The LTE measurements have no row.
    {DecodeLteSignalReply, 0, -1},
};

// A mark no decoder writes: a control byte can only come in with a reply.
constexpr const char* kUntouched = "\x01untouched";

void FuzzDecoders(const uint8_t* data, size_t size) {
  const auto number = static_cast<uint32_t>(TakeLittleEndian(&data, &size, 4));
  const size_t textSize = TakeLittleEndian(&data, &size, 1) + 1;
  // Exactly textSize bytes on the heap, so a write past the end is caught.
  char* text = static_cast<char*>(std::malloc(textSize));
  FormatSignalLevel(static_cast<int32_t>(number), text, textSize);
  Require(IsTerminated(text, textSize), "signal text terminated within its buffer");

  for (const DecoderRows& decoder : kDecoders) {
    for (int32_t rowId = 0; rowId < kRowTableSize; ++rowId) SetRowValue(rowId, kUntouched);
    g_App.Lte = LteReport{};
    LoadReply(data, size);
    decoder.decode();
    for (int32_t rowId = 0; rowId < kRowTableSize; ++rowId) {
      const char* value = g_App.RowValues[rowId];
      Require(IsTerminated(value, kTextBufferSize), "row value terminated");
      if (rowId < decoder.firstRow || rowId > decoder.lastRow)
        Require(std::string_view(value) == kUntouched, "decoder keeps to its own rows");
      else
        Require(!HasLineBreak(value), "decoded value is one line");
    }
    for (int32_t i = 0; LteReportLine(i, text, textSize); ++i)
      Require(i < kLteMeasurementCount && IsTerminated(text, textSize),
              "one terminated line per measurement");
    FormatSignalRowWithLte(text, textSize);
    Require(IsTerminated(text, textSize), "window signal row terminated within its buffer");
    FormatLteBands(static_cast<uint64_t>(number) << 32 | number, text, textSize);
    Require(IsTerminated(text, textSize), "band list terminated within its buffer");
  }
  std::free(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  switch (TakeLittleEndian(&data, &size, 1) % 3) {
    case 0: FuzzExtract(data, size); break;
    case 1: FuzzFieldWalk(data, size); break;
    default: FuzzDecoders(data, size); break;
  }
  return 0;
}
