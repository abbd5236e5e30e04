// Every reply decoder on the same arbitrary reply, and FormatSignalLevel
// and FormatLteBands on an arbitrary number; after the LTE decoders, the LTE
// lines and the window's signal row. Input: the number (4 bytes,
// little-endian), the text buffer size (1 byte, 1..256), then the reply.
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
    {DecodeSysinfoExReply, kRowServiceStatus, kRowSimLockState},
    {DecodeSystemConfigExReply, kRowNetworkTechnology, kRowRoamingSupport},
    // The LTE measurements have no row.
    {DecodeLteSignalReply, 0, -1},
};

// What the LTE report gives in a buffer of exactly textSize bytes (on the
// heap, so a write past its end is caught).
void CheckLteTexts(uint32_t number, size_t textSize) {
  char* text = static_cast<char*>(std::malloc(textSize));
  for (int32_t i = 0; LteReportLine(i, text, textSize); ++i) {
    Require(i < kLteMeasurementCount, "at most one line per measurement");
    Require(IsTerminated(text, textSize), "LTE line terminated within its buffer");
  }
  FormatSignalRowWithLte(text, textSize);
  Require(IsTerminated(text, textSize), "window signal row terminated within its buffer");
  FormatLteBands(static_cast<uint64_t>(number) << 32 | number, text, textSize);
  Require(IsTerminated(text, textSize), "band list terminated within its buffer");
  std::free(text);
}

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
    CheckLteTexts(static_cast<uint32_t>(number), textSize);
  }
  return 0;
}
