// Taking one value out of a modem's reply text: the rule shared by the
// report rows and the port scan's model name.
#pragma once

#include <cstddef>

// Copies into value (kTextBufferSize bytes, zeroed first) the line after the
// first occurrence of prefix in reply (the reply's first line for the empty
// prefix, past the modem vendor's unsolicited reports that may precede the
// answer), without the separator after the prefix, one leading blank, one
// opening and one closing double quote. Returns false, value empty, when the
// prefix is not found, the value is empty or it is a bare "OK".
bool TakeReplyValue(const char* reply, const char* prefix, char* value);
