// UTF-16 from WinHTTP and XmlLite into the UTF-8 the portable side reads.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

// UTF-16 -> UTF-8, always terminated; returns the bytes written. A text
// longer than the buffer keeps what fits, cut between characters (never
// between the halves of a surrogate pair), as the UTF-8 side cuts its text:
// WideCharToMultiByte alone would give nothing at all.
inline size_t NarrowUtf16(const wchar_t* wide, uint32_t wideCount, char* text, size_t textSize) {
  if (textSize == 0) return 0;
  const size_t room = textSize - 1;
  uint32_t fits = 0;
  size_t bytes = 0;
  while (fits < wideCount) {
    const uint32_t unit = static_cast<uint16_t>(wide[fits]);
    const bool pair = unit >= 0xD800 && unit <= 0xDBFF && fits + 1 < wideCount &&
                      static_cast<uint16_t>(wide[fits + 1]) >= 0xDC00 &&
                      static_cast<uint16_t>(wide[fits + 1]) <= 0xDFFF;
    // A lone surrogate becomes U+FFFD: three bytes, as any other BMP unit.
    const size_t need = pair ? 4 : unit < 0x80 ? 1 : unit < 0x800 ? 2 : 3;
    if (bytes + need > room) break;
    bytes += need;
    fits += pair ? 2 : 1;
  }
  if (fits == 0) {
    text[0] = '\0';
    return 0;
  }
  const int count = WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(fits), text,
                                        static_cast<int>(room), nullptr, nullptr);
  const size_t length = count > 0 ? static_cast<size_t>(count) : 0;
  text[length] = '\0';
  return length;
}
