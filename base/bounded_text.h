// Bounded text copy: what snprintf(dst, size, "%s", src) does, without the
// format machinery (and without the compiler's truncation warnings, since
// cutting a long modem text to its buffer is intended here).
#pragma once

#include <cstddef>
#include <cstring>

// Copies at most size - 1 characters of src and terminates dst. Returns the
// number of characters copied; a buffer of size 0 gets nothing.
inline size_t CopyText(char* dst, size_t size, const char* src) {
  if (size == 0) return 0;
  const size_t length = ::strnlen(src, size - 1);
  std::memmove(dst, src, length);
  dst[length] = '\0';
  return length;
}
