// The report as text for the command-line tool: one "label: value" line per
// row in RowId order (the line format of the clipboard copy), then the LTE
// measurement lines of an LTE stick, UTF-8, or the same as JSON.
#pragma once

#include <cstdio>

void PrintReportLines(FILE* out);

// One Windows-1251 text as a UTF-8 line.
void PrintUtf8Line(FILE* out, const char* text);

// The same rows as one JSON object for scripts:
// {"rows": [{"id": 0, "label": "...", "value": "..."}, ...]}, and for an LTE
// stick "lte": {"rssi": {"value": -73, "unit": "dBm"}, ..., "bands": [1, 3]}
// Values are escaped (a modem can send quotes, backslashes and control
// bytes), and every text is UTF-8.
void PrintReportJson(FILE* out);
