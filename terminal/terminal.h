// The AT terminal page: one typed command to the selected modem and its raw
// reply in the transcript.
#pragma once

void RunTerminalCommand();
