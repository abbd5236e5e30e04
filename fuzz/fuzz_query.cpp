// The whole report from a fuzzed modem: the 17-command query, the three
// outputs of the report (JSON, text lines, the clipboard text), then a port
// scan over the same modem and its selector entries. Input: the replies, as
// LoadFuzzReplies splits them.
#include <string>
#include <string_view>

#include "cli/report_output.h"
#include "fuzz/fuzz_port.h"
#include "fuzz/fuzz_support.h"
#include "report/query.h"
#include "report/report_rows.h"
#include "serial/port_scan.h"
#include "ui/report_view.h"

namespace {

// The window copies at most what its UTF-16 buffer holds; the same limit here.
constexpr size_t kClipboardCapacity = kTextBufferSize / sizeof(char16_t) - 1;
char g_ClipboardText[kClipboardCapacity + 1];

FILE* NullOutput() {
  static FILE* output = std::fopen("/dev/null", "w");
  return output;
}

void CheckEntries(const char* const* paths) {
  char entry[kShortTextSize];
  // One slot on each side of the table as well: they give an empty entry.
  for (int32_t slot = -1; slot <= g_App.ModemCount; ++slot) {
    std::memset(entry, 0x5A, sizeof entry);
    FormatModemEntry(slot, entry, sizeof entry);
    Require(IsTerminated(entry, sizeof entry), "entry terminated within 256 bytes");
    if (slot < 0 || slot == g_App.ModemCount) {
      Require(entry[0] == '\0', "no entry for an empty slot");
      continue;
    }
    Require(IsTerminated(g_App.ModemModelNames[slot], kModelNameSize), "model name terminated");
    // A long model name is cut, never the port it was found on.
    const std::string port = " (COM" + std::to_string(g_App.ModemPortNumbers[slot]) + ")";
    const std::string_view text(entry);
    Require(text.size() >= port.size() && text.substr(text.size() - port.size()) == port,
            "entry ends with its port");
    Require(std::string_view(paths[g_App.ModemPortNumbers[slot]]) != kAbsentModemPath,
            "no modem on a port that did not open");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  LoadFuzzReplies(data, size);
  Require(QueryModemAtPath("fuzz/modem") == 0, "the query runs on an opened port");
  Require(FuzzPortOpenCount() == FuzzPortCloseCount(), "the query closes its port");
  for (int32_t rowId = 0; rowId < kReportRowCount; ++rowId) {
    const char* value = g_App.RowValues[rowId];
    Require(IsTerminated(value, kTextBufferSize), "row value terminated");
    Require(!HasLineBreak(value), "row value is one line");
  }

  PrintReportJson(NullOutput());
  PrintReportLines(NullOutput());
  int32_t stateImages[kRowTableSize];
  for (int32_t rowId = 0; rowId < kRowTableSize; ++rowId) stateImages[rowId] = rowId % 3;
  const size_t length = ComposeReportText(stateImages, g_ClipboardText, sizeof g_ClipboardText);
  Require(length < sizeof g_ClipboardText && g_ClipboardText[length] == '\0' &&
              std::strlen(g_ClipboardText) == length,
          "clipboard text length is its real length");

  const char* const paths[] = {"fuzz/first", kAbsentModemPath, "fuzz/second"};
  ScanModemPaths(paths, 3);
  Require(FuzzPortOpenCount() == FuzzPortCloseCount(), "the scan closes every port");
  Require(g_App.ModemCount >= 0 && g_App.ModemCount <= 2, "at most one modem per opened port");
  CheckEntries(paths);
  return 0;
}
