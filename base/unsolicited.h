// The modem vendor's unsolicited reports: lines such as "^RSSI:17" or
// "^BOOT:20952084,0,0,0,72" that the firmware sends whenever it likes (on
// the diagnostics port above all), also between a command and its answer.
// They are never a value and never an answer.
#pragma once

#include <cstddef>
#include <string_view>

// True when line (one line, without its line end) is "^" + a known report
// name + ":", blanks allowed after the colon. The prefixes of the query's own
// answers (^FHVER, ^HWVER, ^SYSINFO, ^SYSCFG, ^VERSION, ^CARDLOCK) never are.
bool IsUnsolicitedReport(std::string_view line);

// Where the answer starts in text: past the unsolicited reports and the
// blank lines (CR, LF, blanks) around them that open the text. When text
// does not open with a report, text itself, unchanged.
const char* SkipUnsolicitedReports(const char* text);

// True when the first length bytes of text hold at least one unsolicited
// report and otherwise only blank lines: what a read returns when a report
// came before the answer.
bool HoldsOnlyUnsolicitedReports(const char* text, size_t length);
