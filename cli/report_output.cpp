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

}  // namespace

void PrintReportLines(FILE* out) {
  for (int32_t rowId = 0; rowId < kReportRowCount; ++rowId) {
    PrintUtf8(out, RowTable[rowId].label);
    std::fputs(": ", out);
    PrintUtf8(out, RowValue(rowId));
    std::fputc('\n', out);
  }
}
