// Windows-1251 decoding table and UTF-8 encoding.
#include "report/cp1251.h"

#include <array>

namespace {

// 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F in order.
constexpr std::array<uint16_t, 64> kHighHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};

}  // namespace

uint32_t Cp1251CodePoint(unsigned char byte) {
  if (byte < 0x80) return byte;
  if (byte >= 0xC0) return 0x0410 + (byte - 0xC0);
  return kHighHalf[byte - 0x80];
}

size_t Cp1251ToUtf8(const char* text, char* out, size_t outSize) {
  if (outSize == 0) return 0;
  size_t used = 0;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0; ++p) {
    const uint32_t cp = Cp1251CodePoint(*p);
    unsigned char bytes[3];
    size_t count = 0;
    if (cp < 0x80) {
      bytes[count++] = static_cast<unsigned char>(cp);
    } else if (cp < 0x800) {
      bytes[count++] = static_cast<unsigned char>(0xC0 | (cp >> 6));
      bytes[count++] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
    } else {
      bytes[count++] = static_cast<unsigned char>(0xE0 | (cp >> 12));
      bytes[count++] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
      bytes[count++] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
    }
    if (used + count + 1 > outSize) break;
    for (size_t i = 0; i < count; ++i) out[used++] = static_cast<char>(bytes[i]);
  }
  out[used] = '\0';
  return used;
}

namespace {

// The Windows-1251 byte of a code point, '?' when the code page lacks it.
char Cp1251Byte(uint32_t cp) {
  if (cp < 0x80) return static_cast<char>(cp);
  if (cp >= 0x0410 && cp <= 0x044F) return static_cast<char>(0xC0 + (cp - 0x0410));
  for (size_t i = 0; i < kHighHalf.size(); ++i) {
    if (kHighHalf[i] == cp && cp != 0xFFFD) return static_cast<char>(0x80 + i);
  }
  return '?';
}

// The length of the UTF-8 sequence starting with lead, 0 for a byte that
// cannot start one.
size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

}  // namespace

size_t Utf8ToCp1251(const char* text, size_t length, char* out, size_t outSize) {
  if (outSize == 0) return 0;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  size_t used = 0;
  size_t i = 0;
  while (i < length && p[i] != 0 && used + 1 < outSize) {
    const size_t count = SequenceLength(p[i]);
    bool whole = count > 0 && i + count <= length;
    uint32_t cp = count == 1 ? p[i] : (count > 0 ? p[i] & (0x7F >> count) : 0);
    for (size_t k = 1; whole && k < count; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) whole = false;
      cp = (cp << 6) | (p[i + k] & 0x3F);
    }
    out[used++] = whole ? Cp1251Byte(cp) : '?';
    i += whole ? count : 1;
  }
  out[used] = '\0';
  return used;
}
