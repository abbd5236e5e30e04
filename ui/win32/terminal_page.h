// The terminal page: the command box and the transcript.
#pragma once

// Sends the command box's text to the modem of the selector entry (nullptr
// when nothing is selected: the command is not sent) and shows the command
// and the raw reply in the transcript; then empties the box.
void RunTerminalCommand(const char* entry);
