// Unsolicited reports: lines a modem sends whenever it likes, also between a
// command and its answer. The modem vendor's own ("^RSSI:17",
// "^BOOT:20952084,0,0,0,72", on the diagnostics port above all) and the
// standard result codes of the AT command set ("+CMTI: "SM",3" for a new
// SMS, "RING", "+CREG: 1" for a network registration change). They are never
// a value and never an answer.
#pragma once

#include <cstddef>
#include <string_view>

// True when line (one line, without its line end) is a known report: "^" or
// "+" and a known report name followed by ":" (blanks allowed after it), or
// "RING". The prefixes of the query's own answers (^FHVER, ^HWVER,
// ^SYSINFO, ^SYSCFG, ^VERSION, ^CARDLOCK, +CPIN, +CFUN, +CSQ, +COPS, +GCAP)
// never are.
bool IsUnsolicitedReport(std::string_view line);

// Where the answer starts in text: past the unsolicited reports (and the
// line of content that follows an SMS or cell broadcast report) and the
// blank lines (CR, LF, blanks) around them that open the text. When text
// does not open with a report, text itself, unchanged.
const char* SkipUnsolicitedReports(const char* text);

// True when the first length bytes of text are not yet an answer to command
// (as sent, without its CR): they hold at least one unsolicited report or
// the echo of command, and otherwise only blank lines. A line that carries
// the command's own name ("+CREG: 0,1" after AT+CREG?) is its answer, never
// a report. Blank lines alone are an answer (a modem may answer so).
bool HoldsNoAnswerYet(const char* text, size_t length, std::string_view command);

// True when the text from..length holds a whole line that is a final
// result code, the line that ends an answer (its line end whole: CR LF, LF,
// or a CR with something other than LF after it; a CR as the last byte may
// still get its LF): "OK", "ERROR",
// "+CME ERROR: n", "+CMS ERROR: n", or the vendor's refusals "COMMAND NOT
// SUPPORT" and "TOO MANY PARAMETERS". Blanks around it are allowed.
bool HoldsFinalResult(const char* text, size_t from, size_t length);
