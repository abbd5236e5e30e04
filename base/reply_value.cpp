// The reply value rule (see reply_value.h).
#include "base/reply_value.h"

#include <cstring>
#include <string_view>

#include "base/app_state.h"
#include "base/bounded_text.h"
#include "base/unsolicited.h"

namespace {

// Steps over up to count characters, never past the terminating zero.
const char* SkipChars(const char* p, size_t count) {
  while (count > 0 && *p != '\0') {
    ++p;
    --count;
  }
  return p;
}

const char* SkipChar(const char* p, char c) { return *p == c ? p + 1 : p; }

}  // namespace

bool TakeReplyValue(const char* reply, const char* prefix, char* value) {
  if (prefix == nullptr) prefix = "";
  const size_t prefixLength = std::strlen(prefix);
  std::memset(value, 0, kTextCapacity);

  // 1. Where the value's line starts: the reply's first byte past any
  //    unsolicited reports the modem sent before its answer, or the first
  //    occurrence of the prefix.
  const char* p = prefixLength > 0 ? std::strstr(reply, prefix) : SkipUnsolicitedReports(reply);
  if (p == nullptr) return false;

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
  CopyText(value, kTextCapacity, p);

  // 6. Keep the current line only.
  if (char* lf = std::strchr(value, '\n')) *lf = '\0';
  if (char* cr = std::strchr(value, '\r')) *cr = '\0';

  // 7. One closing quote.
  size_t length = std::strlen(value);
  if (length > 0 && value[length - 1] == '"') value[--length] = '\0';

  // 8. Nothing worth showing.
  if (length == 0 || std::string_view(value) == "OK") {
    std::memset(value, 0, kTextCapacity);
    return false;
  }
  return true;
}
