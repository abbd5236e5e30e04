// UTF-16 from WinHTTP and XmlLite into the UTF-8 the portable side reads.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

// UTF-16 -> UTF-8, always terminated; returns the bytes written.
inline size_t NarrowUtf16(const wchar_t* wide, uint32_t wideCount, char* text, size_t textSize) {
  if (wideCount == 0) {
    text[0] = '\0';
    return 0;
  }
  const int count = WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(wideCount), text,
                                        static_cast<int>(textSize - 1), nullptr, nullptr);
  const size_t length = count > 0 ? static_cast<size_t>(count) : 0;
  text[length] = '\0';
  return length;
}
