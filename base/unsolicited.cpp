// The table of unsolicited report names and the line tests built on it (see
// unsolicited.h).
#include "base/unsolicited.h"

#include <array>

namespace {

// Report names the vendor's 3G and LTE sticks send unasked: signal (GSM,
// WCDMA, CDMA and LTE forms), boot, traffic counters, mode, service and SIM
// state, call events, network name and time, the emergency number list,
// data session state, SIM toolkit, SMS storage. ^HCSQ and ^CERSSI are also
// commands, but the query never sends them, so a line with their name is a
// report.
constexpr std::array<std::string_view, 28> kReportNames = {{
    "RSSI",     "HRSSILVL", "RSSILVL",   "HCSQ", "CSNR",      "CRSSI",     "CERSSI",
    "ANLEVEL",  "BOOT",     "DSFLOWRPT", "MODE", "SRVST",     "SIMST",     "ORIG",
    "CONF",     "CONN",     "CEND",      "EONS", "NWTIME",    "XLEMA",     "ACTIVEBAND",
    "NDISSTAT", "NDISEND",  "DSDORMANT", "STIN", "SMMEMFULL", "DCONNSTAT", "ECCLIST",
}};

// The query's own answers start with these; none of them may ever be taken
// for a report.
constexpr std::array<std::string_view, 6> kAnswerNames = {
    {"FHVER", "HWVER", "SYSINFO", "SYSCFG", "VERSION", "CARDLOCK"}};

constexpr bool IsReportName(std::string_view name) {
  for (std::string_view known : kReportNames)
    if (known == name) return true;
  return false;
}

constexpr bool NoAnswerIsAReport() {
  for (std::string_view name : kAnswerNames)
    if (IsReportName(name)) return false;
  return true;
}
static_assert(NoAnswerIsAReport(), "an answer prefix of the query is listed as an unsolicited report");

constexpr bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }
constexpr bool IsBlankOrLineEnd(char c) { return c == ' ' || c == '\t' || IsLineEnd(c); }

// The line that starts at p, without its line end.
std::string_view LineAt(const char* p, const char* end) {
  const char* q = p;
  while (q < end && !IsLineEnd(*q)) ++q;
  return std::string_view(p, static_cast<size_t>(q - p));
}

// The one walk over what opens a text: reports and the blank lines (CR, LF,
// blanks) around them. Returns where the first other line starts (end when
// there is none); *sawReport tells whether any report was passed.
const char* PassReports(const char* text, const char* end, bool* sawReport) {
  const char* p = text;
  *sawReport = false;
  for (;;) {
    while (p < end && IsBlankOrLineEnd(*p)) ++p;
    if (p == end) return p;
    const std::string_view line = LineAt(p, end);
    if (!IsUnsolicitedReport(line)) return p;
    *sawReport = true;
    p += line.size();
  }
}

}  // namespace

bool IsUnsolicitedReport(std::string_view line) {
  if (line.empty() || line[0] != '^') return false;
  const size_t colon = line.find(':');
  return colon != std::string_view::npos && IsReportName(line.substr(1, colon - 1));
}

const char* SkipUnsolicitedReports(const char* text) {
  bool sawReport = false;
  const char* answer = PassReports(text, text + std::char_traits<char>::length(text), &sawReport);
  return sawReport ? answer : text;
}

bool HoldsOnlyUnsolicitedReports(const char* text, size_t length) {
  bool sawReport = false;
  return PassReports(text, text + length, &sawReport) == text + length && sawReport;
}
