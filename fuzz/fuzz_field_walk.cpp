// The field walk over an arbitrary value: the fields it hands out, put back
// together with commas, must give the value again, and the walk must leave
// the value as it found it. Input: the value (cut at 65,535 bytes and at its
// first NUL, as ExtractReplyValue leaves it).
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "report/field_walk.h"

namespace {

// Decoders read seven fields at most. Every field costs a 64 KiB clear of
// ReceiveBuffer, so a value of nothing but commas would make a full walk
// quadratic; the first fields are where the decoders look anyway.
constexpr int kMaxFields = 64;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kTextCapacity) size = kTextCapacity;
  std::memset(g_App.ValueBuffer, 0, kTextBufferSize);
  std::memcpy(g_App.ValueBuffer, data, size);
  const std::string value(g_App.ValueBuffer);

  FieldCursor cursor = TakeFirstField();
  std::string joined;
  bool walkEnded = false;
  for (int field = 0; field < kMaxFields; ++field) {
    const std::string current(g_App.ReceiveBuffer);
    Require(current.find(',') == std::string::npos, "a field holds no comma");
    if (field > 0) joined += ',';
    joined += current;
    if (!TakeNextField(&cursor)) {
      Require(current == g_App.ReceiveBuffer, "a failed step takes nothing");
      walkEnded = true;
      break;
    }
  }

  Require(value == g_App.ValueBuffer, "the walk only reads the value");
  if (walkEnded)
    Require(joined == value, "fields rejoined give the value");
  else
    Require(std::string_view(value).substr(0, joined.size() + 1) == joined + ',',
            "fields rejoined give the front of the value");
  return 0;
}
