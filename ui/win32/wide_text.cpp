// Windows-1251 to UTF-16 and back, for every text the window shows or
// gives back.
#include "ui/win32/wide_text.h"

#include <windows.h>

#include <cstring>

#include "ui/win32/window_part.h"

namespace {

constexpr UINT kProgramCodePage = 1251;

}  // namespace

size_t WidenText(const char* text, size_t length, wchar_t* out, size_t outUnits) {
  if (length > outUnits) length = outUnits;
  if (length == 0) return 0;
  const int units = MultiByteToWideChar(kProgramCodePage, 0, text, static_cast<int>(length), out,
                                        static_cast<int>(outUnits));
  return units > 0 ? static_cast<size_t>(units) : 0;
}

const wchar_t* WidenInto(const char* text, wchar_t* out, size_t outUnits) {
  const size_t units = WidenText(text, strnlen(text, outUnits - 1), out, outUnits - 1);
  out[units] = L'\0';
  return out;
}

const wchar_t* Widened(const char* text) {
  return WidenInto(text, g_Window.wideText, sizeof g_Window.wideText / sizeof g_Window.wideText[0]);
}

size_t NarrowText(const wchar_t* text, char* out, size_t maxChars) {
  std::memset(out, 0, maxChars + 1);
  const size_t units = wcsnlen(text, maxChars);
  if (units == 0) return 0;
  // No best fit: a character Windows-1251 lacks becomes "?", never a
  // look-alike letter.
  const int bytes = WideCharToMultiByte(kProgramCodePage, WC_NO_BEST_FIT_CHARS, text, static_cast<int>(units),
                                        out, static_cast<int>(maxChars), "?", nullptr);
  return bytes > 0 ? static_cast<size_t>(bytes) : 0;
}
