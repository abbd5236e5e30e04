// What every harness shares. An output buffer a harness hands to the program
// is a heap block of exactly its size, so that ASan stops a write past it: the
// program's own buffers sit next to other data, where ASan sees no overflow.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/app_state.h"

// abort() rather than assert(): the harnesses are built with NDEBUG, and
// libFuzzer saves the input of any run that dies on a signal.
inline void Require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "fuzz property broken: %s\n", what);
  std::abort();
}

// A little-endian number off the input's front; missing bytes count as zero.
inline uint32_t TakeLittleEndian(const uint8_t** data, size_t* size, int byteCount) {
  uint32_t value = 0;
  for (int i = 0; i < byteCount && *size != 0; ++i) {
    value |= static_cast<uint32_t>(**data) << (8 * i);
    ++*data;
    --*size;
  }
  return value;
}

// The next length bytes (fewer at the end), up to a NUL, as the program reads texts.
inline std::string TakeText(const uint8_t** data, size_t* size, size_t length) {
  if (length > *size) length = *size;
  std::string text(reinterpret_cast<const char*>(*data), length);
  *data += length;
  *size -= length;
  return text.substr(0, text.find('\0'));
}

// The reply exactly as a read leaves it: at most 65,535 bytes, NULs kept,
// everything after it zero.
inline void LoadReply(const uint8_t* data, size_t size) {
  if (size > kTextCapacity) size = kTextCapacity;
  std::memset(g_App.ReceiveBuffer, 0, kTextBufferSize);
  std::memcpy(g_App.ReceiveBuffer, data, size);
}

inline bool IsTerminated(const char* text, size_t bufferSize) {
  return std::memchr(text, '\0', bufferSize) != nullptr;
}

// Values are single lines: the report prints one line per row.
inline bool HasLineBreak(const char* text) { return std::strpbrk(text, "\r\n") != nullptr; }
