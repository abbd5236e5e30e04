// The exchange trace (see exchange_trace.h). SendAtCommand hands over every
// read of an exchange; at exit the exchanges become the rules of a profile:
// each read is one quoted piece, after a wait that puts its last byte where
// it came (a read ends 50 ms after its last byte), so the replay's reads end
// where the stick's did.
#include "cli/exchange_trace.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "base/app_state.h"
#include "serial/serial_port.h"

namespace {

struct TracedPiece {
  uint32_t atMs;  // when it goes out, ms after the command
  std::string bytes;
};

struct TracedExchange {
  std::string command;
  std::vector<TracedPiece> pieces;
};

// Personal numbers: an IMEI keeps its type code (8 digits), an IMSI its
// country and network (5 digits). Any run of 14 or more digits is taken for
// one, so that no full number reaches the file whatever command showed it.
constexpr size_t kImeiKeptDigits = 8;
constexpr size_t kImsiKeptDigits = 5;
constexpr size_t kPersonalNumberDigits = 14;

FILE* g_TraceFile = nullptr;
std::vector<TracedExchange> g_Exchanges;

void RecordRead(const char* command, bool firstRead, const char* bytes, uint32_t count, uint32_t endMs) {
  if (firstRead || g_Exchanges.empty()) g_Exchanges.push_back({command, {}});
  if (count == 0) return;
  std::vector<TracedPiece>& pieces = g_Exchanges.back().pieces;
  const uint32_t previousMs = pieces.empty() ? 0 : pieces.back().atMs;
  uint32_t atMs = endMs > kReadIntervalMs ? endMs - kReadIntervalMs : 0;
  if (atMs < previousMs) atMs = previousMs;
  pieces.push_back({atMs, std::string(bytes, count)});
}

std::string AllBytes(const TracedExchange& exchange) {
  std::string all;
  for (const TracedPiece& piece : exchange.pieces) all += piece.bytes;
  return all;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

struct DigitRun {
  size_t start, length;
};

// The runs of kPersonalNumberDigits or more digits in text, in order.
std::vector<DigitRun> LongDigitRuns(const std::string& text) {
  std::vector<DigitRun> runs;
  for (size_t i = 0; i < text.size();) {
    size_t end = i;
    while (end < text.size() && IsDigit(text[end])) ++end;
    if (end - i >= kPersonalNumberDigits) runs.push_back({i, end - i});
    i = end > i ? end : i + 1;
  }
  return runs;
}

// The IMSIs of the trace: the long numbers in the answers to AT+CIMI (taken
// from the whole reply, so that an echo line before it does not hide it).
std::vector<std::string> FindImsis() {
  std::vector<std::string> imsis;
  for (const TracedExchange& exchange : g_Exchanges) {
    if (exchange.command != "AT+CIMI") continue;
    const std::string reply = AllBytes(exchange);
    for (const DigitRun& run : LongDigitRuns(reply)) imsis.push_back(reply.substr(run.start, run.length));
  }
  return imsis;
}

// Every long digit run in text loses its personal digits: the same number
// gives the same masked number wherever it appears.
void MaskPersonalNumbers(std::string* text, const std::vector<std::string>& imsis) {
  for (const DigitRun& run : LongDigitRuns(*text)) {
    bool isImsi = false;
    for (const std::string& imsi : imsis) isImsi = isImsi || text->compare(run.start, run.length, imsi) == 0;
    const size_t kept = isImsi ? kImsiKeptDigits : kImeiKeptDigits;
    for (size_t k = run.start + kept; k < run.start + run.length; ++k) (*text)[k] = '0';
  }
}

// One quoted profile string; a piece is broken after each LF so that the
// file reads like the modem's lines.
void WriteQuoted(FILE* out, std::string_view bytes) {
  std::fputc('"', out);
  for (size_t i = 0; i < bytes.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c == '\r')
      std::fputs("\\r", out);
    else if (c == '\n')
      std::fputs("\\n", out);
    else if (c == '\\' || c == '"')
      std::fprintf(out, "\\%c", c);
    else if (c < 0x20 || c >= 0x7F)
      std::fprintf(out, "\\x%02X", c);
    else
      std::fputc(c, out);
    if (c == '\n' && i + 1 < bytes.size()) std::fputs("\"\n\"", out);
  }
  std::fputs("\"\n", out);
}

// A command may be traced several times (the scan's ATE0 on every port, a
// command sent twice): the first exchange that got an answer is the rule.
const TracedExchange* RuleFor(size_t index) {
  const TracedExchange& exchange = g_Exchanges[index];
  for (size_t j = 0; j < index; ++j)
    if (g_Exchanges[j].command == exchange.command) return nullptr;
  for (size_t j = index; j < g_Exchanges.size(); ++j)
    if (g_Exchanges[j].command == exchange.command && !g_Exchanges[j].pieces.empty()) return &g_Exchanges[j];
  return &exchange;
}

void WriteTrace() {
  if (g_TraceFile == nullptr) return;
  FILE* out = g_TraceFile;
  g_TraceFile = nullptr;
  const std::vector<std::string> imsis = FindImsis();
  std::fputs(
      "# A stick as brenvaltor-cli --trace saw it: `modem-sim FILE` answers the\n"
      "# same. Every rule is one exchange; every quoted piece is what one read\n"
      "# received, after the wait (ms) that puts its last byte where it came.\n"
      "# The echo is part of the pieces, so the simulator's own stays off.\n"
      "# IMEIs keep their first 8 digits and IMSIs their first 5; the rest are\n"
      "# zeros wherever the number appears.\n"
      "\n"
      "echo off locked\n",
      out);
  for (size_t i = 0; i < g_Exchanges.size(); ++i) {
    const TracedExchange* exchange = RuleFor(i);
    if (exchange == nullptr) continue;
    std::fprintf(out, "\n> %s\n", exchange->command.c_str());
    if (exchange->pieces.empty()) std::fputs("silent\n", out);
    // Masked as one text: a number cut in two by a pause between reads is
    // still one number.
    std::string all = AllBytes(*exchange);
    MaskPersonalNumbers(&all, imsis);
    uint32_t sentMs = 0;
    size_t offset = 0;
    for (const TracedPiece& piece : exchange->pieces) {
      if (piece.atMs > sentMs) std::fprintf(out, "wait %u\n", static_cast<unsigned>(piece.atMs - sentMs));
      sentMs = piece.atMs;
      WriteQuoted(out, std::string_view(all).substr(offset, piece.bytes.size()));
      offset += piece.bytes.size();
    }
  }
  std::fputs("\n# Commands the trace did not see.\n> *\n\"\\r\\nERROR\\r\\n\"\n", out);
  std::fclose(out);
}

}  // namespace

bool TakeTraceOption(int* argc, char** argv) {
  for (int i = 2; i < *argc; ++i) {
    if (std::string_view(argv[i]) != "--trace") continue;
    if (i + 1 >= *argc) return false;
    g_TraceFile = std::fopen(argv[i + 1], "wb");
    if (g_TraceFile == nullptr) {
      std::fprintf(stderr, "brenvaltor-cli: cannot create the trace file %s\n", argv[i + 1]);
      return false;
    }
    for (int j = i; j + 2 <= *argc; ++j) argv[j] = argv[j + 2];
    *argc -= 2;
    g_App.TraceSink = RecordRead;
    std::atexit(WriteTrace);
    return true;
  }
  return true;
}
