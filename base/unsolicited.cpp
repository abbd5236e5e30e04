// The table of unsolicited report names and the line tests built on it (see
// unsolicited.h).
#include "base/unsolicited.h"

#include <array>

namespace {

// Report names the vendor's 3G and LTE sticks send unasked: signal (GSM,
// WCDMA, CDMA and LTE forms), boot, traffic counters, mode, service and SIM
// state, call events, network name and time, the emergency number list,
// data session state, SIM toolkit, SMS storage. ^HCSQ and ^CERSSI are also
// commands: a line with their name is a report, except after the command of
// that name (the query sends AT^HCSQ? to an LTE stick), where it is the
// answer (HoldsNoAnswerYet).
constexpr std::array<std::string_view, 28> kVendorReportNames = {{
    "RSSI",     "HRSSILVL", "RSSILVL",   "HCSQ", "CSNR",      "CRSSI",     "CERSSI",
    "ANLEVEL",  "BOOT",     "DSFLOWRPT", "MODE", "SRVST",     "SIMST",     "ORIG",
    "CONF",     "CONN",     "CEND",      "EONS", "NWTIME",    "XLEMA",     "ACTIVEBAND",
    "NDISSTAT", "NDISEND",  "DSDORMANT", "STIN", "SMMEMFULL", "DCONNSTAT", "ECCLIST",
}};

// The unsolicited result codes of the standard AT command set (3GPP TS
// 27.007 and 27.005) that a stick may send unasked: new SMS and status
// reports (stored or shown at once), cell broadcasts, incoming calls and
// caller id, call waiting and supplementary service notes, registration
// changes (GSM, GPRS, LTE), USSD, packet domain events, indicator events
// and time zone reports. +CREG, +CGREG and +CEREG are also the answers to
// their own read commands: the exchange takes a line with the name of the
// command it sent as the answer (HoldsNoAnswerYet), and the query sends
// none of them.
constexpr std::array<std::string_view, 19> kStandardReportNames = {{
    "CMTI", "CMT",   "CDSI",  "CDS",  "CBM",  "CRING", "CLIP", "CCWA", "CSSI", "CSSU",
    "CREG", "CGREG", "CEREG", "CUSD", "CGEV", "CIEV",  "CTZV", "CTZE", "CTZR",
}};

// Reports whose next line is part of them: the message of +CMT, the status
// report of +CDS, the broadcast of +CBM (text or PDU).
constexpr std::array<std::string_view, 3> kReportsWithContentLine = {{"CMT", "CDS", "CBM"}};

// The query's own answers start with these; none of them may ever be taken
// for a report.
constexpr std::array<std::string_view, 6> kVendorAnswerNames = {
    {"FHVER", "HWVER", "SYSINFO", "SYSCFG", "VERSION", "CARDLOCK"}};
constexpr std::array<std::string_view, 5> kStandardAnswerNames = {{"CPIN", "CFUN", "CSQ", "COPS", "GCAP"}};

template <size_t N>
constexpr bool Lists(const std::array<std::string_view, N>& names, std::string_view name) {
  for (std::string_view known : names)
    if (known == name) return true;
  return false;
}

template <size_t N, size_t M>
constexpr bool NoneListed(const std::array<std::string_view, N>& answers,
                          const std::array<std::string_view, M>& reports) {
  for (std::string_view name : answers)
    if (Lists(reports, name)) return false;
  return true;
}
static_assert(NoneListed(kVendorAnswerNames, kVendorReportNames),
              "an answer prefix of the query is listed as an unsolicited report");
static_assert(NoneListed(kStandardAnswerNames, kStandardReportNames),
              "an answer prefix of the query is listed as an unsolicited report");

constexpr bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }
constexpr bool IsBlankOrLineEnd(char c) { return c == ' ' || c == '\t' || IsLineEnd(c); }
constexpr bool IsNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// The line that starts at p, without its line end.
std::string_view LineAt(const char* p, const char* end) {
  const char* q = p;
  while (q < end && !IsLineEnd(*q)) ++q;
  return std::string_view(p, static_cast<size_t>(q - p));
}

// "^" or "+" and the name up to the colon ("+CMTI" of "+CMTI: "SM",3");
// empty when the line has no such name.
std::string_view MarkedName(std::string_view line) {
  if (line.empty() || (line[0] != '^' && line[0] != '+')) return {};
  const size_t colon = line.find(':');
  if (colon == std::string_view::npos) return {};
  return line.substr(0, colon);
}

// The name an answer to command carries: "+CREG" for AT+CREG? or
// AT+CREG=2, "^SYSINFO" for AT^SYSINFO; empty for ATI or ATE0.
std::string_view CommandName(std::string_view command) {
  if (command.size() < 3 || (command[0] != 'A' && command[0] != 'a') ||
      (command[1] != 'T' && command[1] != 't') || (command[2] != '+' && command[2] != '^'))
    return {};
  size_t end = 3;
  while (end < command.size() && IsNameChar(command[end])) ++end;
  return command.substr(2, end - 2);
}

// Whether the report line is followed by a line of its own content.
bool HasContentLine(std::string_view line) {
  const std::string_view name = MarkedName(line);
  return !name.empty() && name[0] == '+' && Lists(kReportsWithContentLine, name.substr(1));
}

// The one walk over what opens a text: reports, the command's echo (when
// echo is given) and the blank lines (CR, LF, blanks) around them. Returns
// where the first other line starts (end when there is none); *sawReport
// tells whether any report or echo was passed.
const char* PassReports(const char* text, const char* end, std::string_view echo, bool* sawReport) {
  const std::string_view ownName = CommandName(echo);
  const char* p = text;
  *sawReport = false;
  bool contentFollows = false;
  for (;;) {
    while (p < end && IsBlankOrLineEnd(*p)) ++p;
    if (p == end) return p;
    const std::string_view line = LineAt(p, end);
    const bool isEcho = !echo.empty() && line == echo;
    const bool isReport = IsUnsolicitedReport(line) && (ownName.empty() || MarkedName(line) != ownName);
    if (!contentFollows && !isEcho && !isReport) return p;
    contentFollows = isReport && HasContentLine(line);
    *sawReport = true;
    p += line.size();
  }
}

}  // namespace

bool IsUnsolicitedReport(std::string_view line) {
  if (line == "RING") return true;
  const std::string_view name = MarkedName(line);
  if (name.empty()) return false;
  return name[0] == '^' ? Lists(kVendorReportNames, name.substr(1))
                        : Lists(kStandardReportNames, name.substr(1));
}

const char* SkipUnsolicitedReports(const char* text) {
  bool sawReport = false;
  const char* answer = PassReports(text, text + std::char_traits<char>::length(text), {}, &sawReport);
  return sawReport ? answer : text;
}

bool HoldsNoAnswerYet(const char* text, size_t length, std::string_view command) {
  bool sawReport = false;
  return PassReports(text, text + length, command, &sawReport) == text + length && sawReport;
}

namespace {

constexpr std::array<std::string_view, 4> kFinalResults = {
    {"OK", "ERROR", "COMMAND NOT SUPPORT", "TOO MANY PARAMETERS"}};
constexpr std::array<std::string_view, 2> kFinalResultPrefixes = {{"+CME ERROR", "+CMS ERROR"}};

bool IsFinalResult(std::string_view line) {
  while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
  while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
  if (Lists(kFinalResults, line)) return true;
  for (std::string_view prefix : kFinalResultPrefixes)
    if (line.substr(0, prefix.size()) == prefix) return true;
  return false;
}

}  // namespace

bool HoldsFinalResult(const char* text, size_t from, size_t length) {
  size_t lineStart = from;
  for (size_t at = from; at < length; ++at) {
    if (!IsLineEnd(text[at])) continue;
    // A CR as the last byte may still get its LF: not a whole line end yet.
    const bool lineEnded = text[at] == '\n' || at + 1 < length;
    if (lineEnded && IsFinalResult(std::string_view(text + lineStart, at - lineStart))) return true;
    lineStart = at + 1;
  }
  return false;
}
