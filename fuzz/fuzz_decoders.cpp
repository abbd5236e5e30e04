// Every reply decoder on the same arbitrary reply, and FormatSignalLevel on
// an arbitrary number. Input: the number (4 bytes, little-endian), the text
// buffer size (1 byte, 1..256), then the reply.
#include <cstdlib>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "report/decoders.h"
#include "report/report_rows.h"

namespace {

struct DecoderRows {
  void (*decode)();
  int32_t firstRow;
  int32_t lastRow;
};

// The rows each decoder owns; a decoder that writes anywhere else would
// overwrite what another command reported.
constexpr DecoderRows kDecoders[] = {
    {DecodeSysinfoReply, kRowServiceStatus, kRowSimLockState},
    {DecodeRadioFunctionReply, kRowRadioFunction, kRowRadioFunction},
    {DecodeSignalReply, kRowSignalLevel, kRowSignalLevel},
    {DecodeOperatorReply, kRowNetworkMode, kRowOperator},
    {DecodeSystemConfigReply, kRowNetworkTechnology, kRowRoamingSupport},
    {DecodeCardLockReply, kRowLockStatus, kRowUnlockAttemptsLeft},
};

// A mark no decoder writes: a control byte can only come in with a reply,
// and the rows still holding it were left alone.
constexpr const char* kUntouched = "\x01untouched";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const int32_t number = static_cast<int32_t>(TakeLittleEndian(&data, &size, 4));
  const size_t textSize = TakeLittleEndian(&data, &size, 1) + 1;

  // Exactly textSize bytes on the heap, so a write past the end is caught.
  char* text = static_cast<char*>(std::malloc(textSize));
  FormatSignalLevel(number, text, textSize);
  Require(IsTerminated(text, textSize), "signal text terminated within its buffer");
  std::free(text);

  for (const DecoderRows& decoder : kDecoders) {
    for (int32_t rowId = 0; rowId < kRowTableSize; ++rowId) SetRowValue(rowId, kUntouched);
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
  }
  return 0;
}
