// The whole report from a fuzzed modem behind the unit tests' fake port: the
// query with the LTE stick's commands, the report's three outputs, then a
// port scan over the same modem and its selector entries. Input (one reply
// per command, fuzz/README.md): a short input still reaches replies longer
// than one read, the rest queued for the next command; replies the input
// does not reach are empty: no answer.
#include <algorithm>
#include <sstream>
#include <string>

#include "cli/report_output.h"
#include "fuzz/fuzz_support.h"
#include "report/query.h"
#include "report/report_rows.h"
#include "serial/port_scan.h"
#include "tests/fake_port.h"
#include "ui/report_view.h"

namespace {

constexpr size_t kMaxFuzzReplyLength = 70000;
// Not a device of the fake: opening it fails, like a port that is gone.
constexpr const char* kAbsentModemPath = "fuzz/absent";

FakeReplies RepliesFromInput(const uint8_t* data, size_t size) {
  FakeReplies replies;
  for (int32_t index = 0; index < kQueryStepCount + kFollowUpStepCount; ++index) {
    const QueryStep& step = QueryStepAt(index);
    const size_t wanted = TakeLittleEndian(&data, &size, 2);
    const uint32_t repeat = TakeLittleEndian(&data, &size, 1);
    const size_t length = std::min(wanted, size);
    std::string& reply = replies[step.command];
    for (uint32_t i = 0; i <= repeat && reply.size() < kMaxFuzzReplyLength; ++i)
      reply.append(reinterpret_cast<const char*>(data), length);
    if (reply.size() > kMaxFuzzReplyLength) reply.resize(kMaxFuzzReplyLength);
    data += length;
    size -= length;
  }
  return replies;
}

// The window copies at most what its UTF-16 buffer holds; the same limit here.
constexpr size_t kClipboardCapacity = kTextBufferSize / sizeof(char16_t) - 1;
char g_ClipboardText[kClipboardCapacity + 1];

// A stream that keeps nothing (no device node of the machine's).
FILE* NullOutput() {
  static FILE* output = fopencookie(
      nullptr, "w",
      {nullptr, [](void*, const char*, size_t n) { return static_cast<ssize_t>(n); }, nullptr, nullptr});
  return output;
}

// The selector's entries, one slot on each side of the table as well: an
// entry exactly for each modem (its port always shows), terminated.
void CheckEntries() {
  char entry[kShortTextSize];
  for (int32_t slot = -1; slot <= g_App.ModemCount; ++slot) {
    std::memset(entry, 0x5A, sizeof entry);
    FormatModemEntry(slot, entry, sizeof entry);
    Require(IsTerminated(entry, sizeof entry), "entry terminated within 256 bytes");
    Require((slot >= 0 && slot < g_App.ModemCount) == (entry[0] != '\0'), "an entry exactly for each modem");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const FakeReplies replies = RepliesFromInput(data, size);
  g_Fake = FakeModem{};
  g_Fake.formFeedPauses = true;
  g_Fake.devices = {{"fuzz/modem", replies}, {"fuzz/first", replies}, {"fuzz/second", replies}};
  const int32_t result = QueryModemAtPath("fuzz/modem");
  Require(result != kQueryPortFailed, "the query runs on an opened port");
  Require(g_Fake.openCount == 1 && g_Fake.closeCount == 1, "the query closes its port");
  // An unanswered command may be followed by a line check, an LTE stick's
  // extra commands come right after theirs, and a stopped modem ends the query.
  size_t next = 0;
  int32_t lastStep = -1, checks = 0, sent = 0;
  bool inOrder = g_Fake.written.empty() || g_Fake.written.back() == '\r';
  std::istringstream lines(g_Fake.written);
  for (std::string line; inOrder && std::getline(lines, line, '\r'); ++sent) {
    bool followUp = false;
    for (const FollowUpStep& f : FollowUpSequence)
      followUp = followUp || (line == f.step.command && f.after == lastStep);
    if (next < QuerySequence.size() && line == QuerySequence[next].command)
      lastStep = static_cast<int32_t>(next++);
    else if (line == "AT+CSQ" || line == "AT+CFUN?")
      ++checks;
    else
      inOrder = followUp;
  }
  const bool stopped = result == kQueryModemStopped || result == kQueryModemBabbling;
  Require(inOrder && (stopped || next == QuerySequence.size()),
          "the commands go out in order, each ending in one CR");
  Require(sent - checks <= kQueryStepCount + kFollowUpStepCount, "an LTE stick gets at most 20 commands");
  for (int32_t rowId = 0; rowId < kReportRowCount; ++rowId) {
    const char* value = g_App.RowValues[rowId];
    Require(IsTerminated(value, kTextBufferSize) && !HasLineBreak(value), "row value is one terminated line");
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
  Require(g_Fake.openCount == g_Fake.closeCount, "the scan closes every port");
  Require(g_Fake.foreignHandles == 0, "every call uses the opened port");
  Require(g_App.ModemCount >= 0 && g_App.ModemCount <= 2, "at most one modem per opened port");
  CheckEntries();
  return 0;
}
