// Masking the personal numbers in a text that a user may share: a stick's
// IMEI, the SIM's IMSI and ICCID, PINs, PUKs and unlock codes. Whatever
// carries modem traffic to a file (the command-line tool's --trace, a
// capture of a stick's web answers) passes its whole text through here
// first. Plain text processing: no platform, no global state.
#pragma once

#include <cstddef>

// An IMEI keeps its type allocation code (the model), an IMSI its country
// and network; everything else personal is masked whole.
constexpr size_t kImeiKeptDigits = 8;
constexpr size_t kImsiKeptDigits = 5;
// Digits in a row (or in groups, or spelled as bytes) from which a number is
// taken for a personal one. 14 to 16 are an IMEI (or IMEISV) unless known as
// an IMSI; more (an ICCID) are masked whole.
constexpr size_t kPersonalNumberDigits = 14;
constexpr size_t kLongestImeiDigits = 16;

// A part of the text, [start, end).
struct TextSpan {
  size_t start;
  size_t end;
};

// Masks, in place, every personal number in text[0, length), in the forms
// firmware writes them:
// - 14 or more digits in a row, or digit groups joined by '-', ' ' or '.'
//   that add up to 14 or more: an IMSI keeps its first 5 digits, a number of
//   up to 16 digits its first 8 (an IMEI), a longer one none;
// - byte sequences (two hex digits each, separated by spaces or commas) that
//   hold 14 or more decimal digits, the way NV reads print an IMEI in BCD,
//   nibbles swapped or not: every decimal digit masked;
// - phone numbers: a quoted string of 7 or more digits, with or without a
//   leading '+' (a sender, a caller, the SIM's own number), masked whole;
//   a bare quoted one of 14 or more digits is taken as above;
// - the arguments of commands that set a number, PIN, PUK or code
//   (AT+CPIN="1234", AT+CPIN ="1234", AT+EGMR=1,7,"...",
//   AT^CARDUNLOCK="...", any case): every quoted argument, and every
//   unquoted one of 4 or more characters, masked whole, wherever such a
//   command appears (a command line, its echo);
// - dial strings (ATD+79161234567;, ATD**05*PUK*PIN*PIN#): every digit
//   after the service prefix (**05*, *31#), which stays;
// - messages: the addresses of a PDU (+CMGL, +CMGR, +CMT, +CDS), in place,
//   and every run of 7 or more digits in a message's or a USSD's text;
// - a line holding nothing but 7 to 13 digits (a number a pause cut in
//   two lines), masked whole.
// Masked digits become '0', masked letters of a code '0' too; nothing else
// changes, so the text keeps its length and layout.
//
// A number is an IMSI when it starts inside one of imsiAnswers (the parts
// of the text that answer AT+CIMI; may be null when count is 0), when the
// word IMSI or CIMI stands just before it (`<Imsi>`, `IMSI: `, the echo
// `AT+CIMI\r\r\n`), or when the same digits were found as an IMSI anywhere
// else in the text: a number is masked the same way wherever it appears.
void MaskPersonalNumbers(char* text, size_t length, const TextSpan* imsiAnswers, size_t imsiAnswerCount);

// Masks every run of 7 or more digits in text[0, length): the numbers in a
// message's or a USSD answer's text, whatever carries it.
void MaskNumbersInText(char* text, size_t length);
