// The exchange trace (see exchange_trace.h). SendAtCommand hands over every
// read of an exchange; the exchanges become the rules of a profile: each
// read is one quoted piece, after a wait that puts its last byte where it
// came (a read ends 50 ms after its last byte), so the replay's reads end
// where the stick's did.
#include "trace/exchange_trace.h"

#include <cstdio>
#include <string_view>
#include <vector>

#include "serial/serial_port.h"
#include "trace/personal_numbers.h"

namespace {

struct TracedPiece {
  uint32_t atMs;  // when it goes out, ms after the command
  std::string bytes;
};

struct TracedExchange {
  std::string command;
  std::vector<TracedPiece> pieces;
};

std::vector<TracedExchange> g_Exchanges;

// A document of a stick's web interface.
struct TracedDocument {
  std::string path;
  int32_t httpStatus;
  std::string body;
};

std::vector<TracedDocument> g_Documents;

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// Commands as the simulator compares its rules: ignoring case and the
// blanks around the command.
bool SameCommand(std::string_view a, std::string_view b) {
  a = TrimBlanks(a);
  b = TrimBlanks(b);
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Upper(a[i]) != Upper(b[i])) return false;
  return true;
}

// One quoted profile string; a piece is broken after each LF so that the
// file reads like the modem's lines.
void AppendQuoted(std::string* out, std::string_view bytes) {
  *out += '"';
  for (size_t i = 0; i < bytes.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c == '\r') {
      *out += "\\r";
    } else if (c == '\n') {
      *out += "\\n";
    } else if (c == '\\' || c == '"') {
      *out += '\\';
      *out += static_cast<char>(c);
    } else if (c < 0x20 || c >= 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02X", c);
      *out += escape;
    } else {
      *out += static_cast<char>(c);
    }
    if (c == '\n' && i + 1 < bytes.size()) *out += "\"\n\"";
  }
  *out += "\"\n";
}

// A profile's rule line holds the command verbatim up to the end of the
// line: a control byte a user typed into a command would end it early.
std::string RuleCommand(const std::string& command) {
  std::string line = command;
  for (char& c : line)
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  return line;
}

// Masks every exchange's command and bytes as one text: the modem's bytes
// of all exchanges in a row, then the commands, one line each.
void MaskExchanges(std::vector<TracedExchange>* exchanges) {
  std::string text;
  std::vector<TextSpan> imsiAnswers;
  // An answer to AT+CIMI that had not ended (no OK or ERROR yet) goes on
  // in the next exchange's bytes: a stick that paused before the IMSI.
  bool imsiAnswerGoesOn = false;
  for (const TracedExchange& exchange : *exchanges) {
    const size_t start = text.size();
    for (const TracedPiece& piece : exchange.pieces) text += piece.bytes;
    if (imsiAnswerGoesOn) imsiAnswers.back().end = text.size();
    imsiAnswerGoesOn = SameCommand(exchange.command, "AT+CIMI");
    if (!imsiAnswerGoesOn) continue;
    imsiAnswers.push_back({start, text.size()});
    const std::string_view answer = std::string_view(text).substr(start);
    imsiAnswerGoesOn =
        answer.find("OK") == std::string_view::npos && answer.find("ERROR") == std::string_view::npos;
  }
  const size_t commandsStart = text.size();
  for (const TracedExchange& exchange : *exchanges) text += "\n" + exchange.command + "\r";

  MaskPersonalNumbers(text.data(), text.size(), imsiAnswers.data(), imsiAnswers.size());

  size_t offset = 0;
  for (TracedExchange& exchange : *exchanges)
    for (TracedPiece& piece : exchange.pieces) {
      piece.bytes = text.substr(offset, piece.bytes.size());
      offset += piece.bytes.size();
    }
  offset = commandsStart;
  for (TracedExchange& exchange : *exchanges) {
    exchange.command = text.substr(offset + 1, exchange.command.size());
    offset += exchange.command.size() + 2;
  }
}

// A command may be traced several times (the scan's ATE0 on every port, a
// command sent twice, two PINs that mask alike): the first exchange that
// got an answer is the rule.
const TracedExchange* RuleFor(const std::vector<TracedExchange>& exchanges, size_t index) {
  const TracedExchange& exchange = exchanges[index];
  for (size_t j = 0; j < index; ++j)
    if (SameCommand(RuleCommand(exchanges[j].command), RuleCommand(exchange.command))) return nullptr;
  for (size_t j = index; j < exchanges.size(); ++j)
    if (SameCommand(RuleCommand(exchanges[j].command), RuleCommand(exchange.command)) &&
        !exchanges[j].pieces.empty())
      return &exchanges[j];
  return &exchange;
}

// Elements of the web interface that identify the stick, its SIM or its
// connection without being long numbers: the phone number, the serial
// number, the adapter's hardware addresses, the addresses the network gave
// and a message's sender or receiver. Their letters and digits become '0',
// whole. A message's or a USSD answer's text keeps its words and loses
// every number of 7 digits or more.
struct MaskedElement {
  std::string_view name;
  bool whole;
};

constexpr MaskedElement kMaskedElements[] = {
    {"Msisdn", true},         {"SerialNumber", true},     {"MacAddress1", true}, {"MacAddress2", true},
    {"WanIPAddress", true},   {"WanIPv6Address", true},   {"PrimaryDns", true},  {"SecondaryDns", true},
    {"PrimaryIPv6Dns", true}, {"SecondaryIPv6Dns", true}, {"Phone", true},       {"Content", false},
    {"content", false},
};

void MaskIdentifyingElements(std::string* text) {
  for (const MaskedElement& element : kMaskedElements) {
    const std::string open = "<" + std::string(element.name) + ">";
    const std::string close = "</" + std::string(element.name) + ">";
    for (size_t at = text->find(open); at != std::string::npos; at = text->find(open, at + 1)) {
      const size_t start = at + open.size();
      const size_t end = text->find(close, start);
      if (end == std::string::npos) break;
      if (!element.whole) {
        MaskNumbersInText(text->data() + start, end - start);
        continue;
      }
      for (size_t i = start; i < end; ++i) {
        char& c = (*text)[i];
        if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) c = '0';
      }
    }
  }
}

// Masks the documents' bodies as one text, as the serial exchanges are.
void MaskDocuments(std::vector<TracedDocument>* documents) {
  std::string text;
  for (const TracedDocument& document : *documents) text += document.body;
  MaskPersonalNumbers(text.data(), text.size(), nullptr, 0);
  MaskIdentifyingElements(&text);
  size_t offset = 0;
  for (TracedDocument& document : *documents) {
    document.body = text.substr(offset, document.body.size());
    offset += document.body.size();
  }
}

// What the header says the masking keeps, from the counts the masking uses.
std::string KeptDigitsText() {
  return "IMEIs keep their first " + std::to_string(kImeiKeptDigits) + " digits, IMSIs their first " +
         std::to_string(kImsiKeptDigits);
}

// The router profile: the session handshake is the simulator's business
// only where the profile asks for it, so a replay serves every document
// without one. A path asked for twice (a fresh handshake, a document again
// after the session ran out) keeps its last answer.
void FormatRouterProfile(std::string* profile) {
  std::vector<TracedDocument> documents = g_Documents;
  MaskDocuments(&documents);
  *profile =
      "# A stick on router firmware as brenvaltor-cli --trace saw its web\n"
      "# interface: `modem-sim --http FILE` answers the same. One GET block per\n"
      "# path with the last answer to it, its lines as they came. Personal\n"
      "# numbers are masked: " +
      KeptDigitsText() +
      ", ICCIDs\n"
      "# none; the phone number, serial number and addresses are zeros whole.\n";
  for (size_t i = 0; i < documents.size(); ++i) {
    bool later = false;
    for (size_t j = i + 1; j < documents.size(); ++j) later = later || documents[j].path == documents[i].path;
    if (later) continue;
    const TracedDocument& document = documents[i];
    *profile += "\nGET " + RuleCommand(document.path);
    if (document.httpStatus != 200) *profile += " status " + std::to_string(document.httpStatus);
    *profile += "\n";
    // The simulator ends every line with CR LF and the block at a line
    // holding only ".": a lone "." of the document gets a blank after it.
    std::string_view body = document.body;
    while (!body.empty()) {
      const size_t end = body.find('\n');
      std::string line(body.substr(0, end));
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line == ".") line += ' ';
      *profile += line + "\n";
      body.remove_prefix(end == std::string_view::npos ? body.size() : end + 1);
    }
    *profile += ".\n";
  }
}

}  // namespace

void RecordTracedDocument(const char* path, int32_t httpStatus, const char* body, uint32_t length) {
  g_Documents.push_back({path, httpStatus, std::string(body, length)});
}

void RecordTracedRead(const char* command, bool firstRead, const char* bytes, uint32_t count,
                      uint32_t endMs) {
  if (firstRead || g_Exchanges.empty()) g_Exchanges.push_back({command, {}});
  if (count == 0) return;
  std::vector<TracedPiece>& pieces = g_Exchanges.back().pieces;
  const uint32_t previousMs = pieces.empty() ? 0 : pieces.back().atMs;
  uint32_t atMs = endMs > kReadIntervalMs ? endMs - kReadIntervalMs : 0;
  if (atMs < previousMs) atMs = previousMs;
  pieces.push_back({atMs, std::string(bytes, count)});
}

void ClearTrace() {
  g_Exchanges.clear();
  g_Documents.clear();
}

void FormatTraceProfile(std::string* profile) {
  if (g_Exchanges.empty() && !g_Documents.empty()) {
    FormatRouterProfile(profile);
    return;
  }
  std::vector<TracedExchange> exchanges = g_Exchanges;
  MaskExchanges(&exchanges);
  *profile =
      "# A stick as brenvaltor-cli --trace saw it: `modem-sim FILE` answers the\n"
      "# same. Every rule is one exchange; every quoted piece is what one read\n"
      "# received, after the wait (ms) that puts its last byte where it came.\n"
      "# The echo is part of the pieces, so the simulator's own stays off.\n"
      "# Personal numbers are masked: " +
      KeptDigitsText() +
      ",\n"
      "# the rest are zeros wherever the number appears, and the PINs and codes\n"
      "# of commands that set one are zeros whole.\n"
      "\n"
      "echo off locked\n";
  for (size_t i = 0; i < exchanges.size(); ++i) {
    const TracedExchange* exchange = RuleFor(exchanges, i);
    if (exchange == nullptr) continue;
    *profile += "\n> " + RuleCommand(exchange->command) + "\n";
    if (exchange->pieces.empty()) *profile += "silent\n";
    uint32_t sentMs = 0;
    for (const TracedPiece& piece : exchange->pieces) {
      if (piece.atMs > sentMs) *profile += "wait " + std::to_string(piece.atMs - sentMs) + "\n";
      sentMs = piece.atMs;
      AppendQuoted(profile, piece.bytes);
    }
  }
  *profile += "\n# Commands the trace did not see.\n> *\n\"\\r\\nERROR\\r\\n\"\n";
}
