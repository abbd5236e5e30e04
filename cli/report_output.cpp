// Printing the report rows as UTF-8 lines.
#include "cli/report_output.h"

#include "report/cp1251.h"
#include "report/report_rows.h"

namespace {

// A value is at most 65,535 Windows-1251 bytes; each becomes at most three
// UTF-8 bytes.
char g_Utf8Line[3 * kTextBufferSize + 1];

void PrintUtf8(FILE* out, const char* text) {
  const size_t length = Cp1251ToUtf8(text, g_Utf8Line, sizeof g_Utf8Line);
  std::fwrite(g_Utf8Line, 1, length, out);
}

// A JSON string: the UTF-8 text in quotes, with the quote, the backslash
// and every control character escaped.
void PrintJsonString(FILE* out, const char* text) {
  Cp1251ToUtf8(text, g_Utf8Line, sizeof g_Utf8Line);
  std::fputc('"', out);
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(g_Utf8Line); *p; ++p) {
    switch (*p) {
      case '"': std::fputs("\\\"", out); break;
      case '\\': std::fputs("\\\\", out); break;
      case '\n': std::fputs("\\n", out); break;
      case '\r': std::fputs("\\r", out); break;
      case '\t': std::fputs("\\t", out); break;
      default:
        if (*p < 0x20)
          std::fprintf(out, "\\u%04x", *p);
        else
          std::fputc(*p, out);
    }
  }
  std::fputc('"', out);
}

}  // namespace

void PrintReportJson(FILE* out) {
  std::fputs("{\"rows\": [", out);
  for (int32_t rowId = 0; rowId < kReportRowCount; ++rowId) {
    std::fprintf(out, "%s\n  {\"id\": %d, \"label\": ", rowId == 0 ? "" : ",", rowId);
    PrintJsonString(out, RowTable[rowId].label);
    std::fputs(", \"value\": ", out);
    PrintJsonString(out, RowValue(rowId));
    std::fputc('}', out);
  }
  std::fputs("\n]}\n", out);
}

void PrintUtf8Line(FILE* out, const char* text) {
  PrintUtf8(out, text);
  std::fputc('\n', out);
}

void PrintReportLines(FILE* out) {
  for (int32_t rowId = 0; rowId < kReportRowCount; ++rowId) {
    PrintUtf8(out, RowTable[rowId].label);
    std::fputs(": ", out);
    PrintUtf8(out, RowValue(rowId));
    std::fputc('\n', out);
  }
}
