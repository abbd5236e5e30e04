// The report as text for the command-line tool: one "label: value" line per
// row in RowId order (the line format of the clipboard copy), UTF-8.
#pragma once

#include <cstdio>

void PrintReportLines(FILE* out);
