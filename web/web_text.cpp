// Text checks both platforms' web layers share: where a UTF-8 text may be
// cut, and what of a stick's text may go into a request header.
#include <cstring>

#include "web/web_client.h"

size_t Utf8CutLength(const char* text, size_t length, size_t room) {
  if (length <= room) return length;
  // Back over the continuation bytes (10xxxxxx) of a character that does not
  // fit whole: the cut falls before its lead byte.
  size_t cut = room;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return cut;
}

size_t CleanHeaderValue(const char* value, size_t length, bool isCookie, char* clean, size_t cleanSize) {
  if (cleanSize == 0) return 0;
  size_t start = 0;
  while (start < length && value[start] == ' ') ++start;
  size_t end = start;
  for (; end < length; ++end) {
    const unsigned char c = static_cast<unsigned char>(value[end]);
    if (c < 0x20 || c == 0x7F || (isCookie && c == ';')) break;
  }
  const size_t kept = Utf8CutLength(value + start, end - start, cleanSize - 1);
  std::memcpy(clean, value + start, kept);
  clean[kept] = '\0';
  return kept;
}
