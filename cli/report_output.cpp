// Printing the report rows as UTF-8 lines.
#include "cli/report_output.h"

#include "report/cp1251.h"
#include "report/decoders.h"
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

// "lte": the measurements the stick gave, each with its unit, and its LTE
// bands as numbers; left out for a stick that gave none of them.
void PrintLteJson(FILE* out) {
  const LteReport& lte = g_App.Lte;
  bool any = lte.bandMask != 0;
  for (bool measured : lte.measured) any = any || measured;
  if (!any) return;
  std::fputs(",\n\"lte\": {", out);
  const char* separator = "";
  for (int32_t m = 0; m < kLteMeasurementCount; ++m) {
    if (!lte.measured[m]) continue;
    char number[32];
    FormatTenths(lte.tenths[m], number, sizeof number);
    std::fprintf(out, "%s\"%s\": {\"value\": %s, \"unit\": \"%s\"}", separator, LteMeasurementName(m), number,
                 LteMeasurementUnit(m));
    separator = ", ";
  }
  std::fprintf(out, "%s\"bands\": [", separator);
  separator = "";
  for (int32_t bit = 0; bit < 64; ++bit) {
    if ((lte.bandMask >> bit & 1u) == 0) continue;
    std::fprintf(out, "%s%d", separator, bit + 1);
    separator = ", ";
  }
  std::fputs("]}", out);
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
  std::fputs("\n]", out);
  PrintLteJson(out);
  std::fputs("}\n", out);
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
  char line[kShortTextSize];
  for (int32_t i = 0; LteReportLine(i, line, sizeof line); ++i) PrintUtf8Line(out, line);
}
