// MaskPersonalNumbers: six passes over the text, each for one form in
// which firmware writes a personal number. The decimal pass decides every
// number from the text as it came (which IMSIs there are is known before
// anything is masked); the byte, phone, command, dial and line passes then mask more, never
// less, so the order in which they run cannot bring a digit back.
#include "trace/personal_numbers.h"

#include <array>
#include <cstring>
#include <string_view>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool IsAlnum(char c) { return IsHexDigit(c) || (c >= 'g' && c <= 'z') || (c >= 'G' && c <= 'Z'); }
char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameLetters(const char* text, std::string_view word) {
  for (size_t i = 0; i < word.size(); ++i)
    if (Upper(text[i]) != word[i]) return false;
  return true;
}

// --- Decimal numbers -----------------------------------------------------

// Digit groups joined by one of these make one number: 35-209900-176148-1,
// 35 209900 176148 1, 35 209900-176148-1. Dashes and blanks mix; a dot
// only joins groups joined by dots: "E1550 11.608.12.02" is a model and a
// version, not a 14-digit number.
bool IsGroupJoint(char c) { return c == '-' || c == ' ' || c == '.'; }
bool JointsMix(char joint, char next) {
  return joint == '\0' || joint == next || (joint != '.' && next != '.');
}

struct DecimalNumber {
  TextSpan span;  // first digit to last digit
  size_t digitCount;
};

size_t DigitsFrom(const char* text, size_t length, size_t i) {
  size_t end = i;
  while (end < length && IsDigit(text[end])) ++end;
  return end - i;
}

// The next number of kPersonalNumberDigits or more digits at or after
// *from; false when there is none. *from moves on to where the search goes
// on: past the number, or to its last group when another joint follows it
// (that group may start a number of its own: 7 35-209900-176148-1).
bool FindDecimalNumber(const char* text, size_t length, size_t* from, DecimalNumber* number) {
  size_t i = *from;
  while (i < length) {
    if (!IsDigit(text[i])) {
      ++i;
      continue;
    }
    const size_t start = i;
    size_t end = i + DigitsFrom(text, length, i);
    size_t digits = end - start;
    size_t lastGroup = start;
    char joint = '\0';
    while (end + 1 < length && IsGroupJoint(text[end]) && IsDigit(text[end + 1]) &&
           JointsMix(joint, text[end])) {
      joint = text[end];
      lastGroup = end + 1;
      const size_t groupDigits = DigitsFrom(text, length, lastGroup);
      digits += groupDigits;
      end = lastGroup + groupDigits;
    }
    const bool otherJointFollows =
        joint != '\0' && end + 1 < length && IsGroupJoint(text[end]) && IsDigit(text[end + 1]);
    i = otherJointFollows ? lastGroup : end;
    if (digits >= kPersonalNumberDigits) {
      *from = i;
      *number = {{start, end}, digits};
      return true;
    }
  }
  *from = length;
  return false;
}

// The IMSIs met in the text, as digits; an IMSI is at most 15 digits, so
// a number of more than kLongestImeiDigits is never kept as one.
constexpr size_t kMaxKnownImsis = 32;
struct KnownImsis {
  std::array<std::array<char, kLongestImeiDigits>, kMaxKnownImsis> digits;
  std::array<size_t, kMaxKnownImsis> lengths;
  size_t count;
};

// The digits of a number (joints left out) into out; the count.
size_t NumberDigits(const char* text, const DecimalNumber& number, char* out) {
  size_t n = 0;
  for (size_t i = number.span.start; i < number.span.end; ++i)
    if (IsDigit(text[i])) out[n++] = text[i];
  return n;
}

bool IsKnownImsi(const KnownImsis& known, const char* text, const DecimalNumber& number) {
  if (number.digitCount > kLongestImeiDigits) return false;
  char digits[kLongestImeiDigits];
  const size_t n = NumberDigits(text, number, digits);
  for (size_t k = 0; k < known.count; ++k)
    if (known.lengths[k] == n && std::memcmp(known.digits[k].data(), digits, n) == 0) return true;
  return false;
}

// "IMSI" or "CIMI" just before the number, with at most a few marks
// between: `<Imsi>`, `IMSI: `, `"imsi":"`, the echo `AT+CIMI\r\r\n`.
constexpr size_t kMostMarksBeforeNumber = 8;
bool HasImsiLabel(const char* text, size_t numberStart) {
  size_t i = numberStart;
  for (size_t marks = 0; i > 0 && marks < kMostMarksBeforeNumber && !IsAlnum(text[i - 1]); ++marks) --i;
  return i >= 4 && (SameLetters(text + i - 4, "IMSI") || SameLetters(text + i - 4, "CIMI"));
}

bool StartsInAnswer(size_t start, const TextSpan* answers, size_t answerCount) {
  for (size_t k = 0; k < answerCount; ++k)
    if (start >= answers[k].start && start < answers[k].end) return true;
  return false;
}

void CollectImsis(const char* text, size_t length, const TextSpan* answers, size_t answerCount,
                  KnownImsis* known) {
  known->count = 0;
  DecimalNumber number;
  for (size_t from = 0; FindDecimalNumber(text, length, &from, &number);) {
    if (number.digitCount > kLongestImeiDigits || known->count == kMaxKnownImsis) continue;
    if (!StartsInAnswer(number.span.start, answers, answerCount) && !HasImsiLabel(text, number.span.start))
      continue;
    if (IsKnownImsi(*known, text, number)) continue;
    const size_t k = known->count++;
    known->lengths[k] = NumberDigits(text, number, known->digits[k].data());
  }
}

void MaskDigitsAfter(char* text, TextSpan span, size_t keptDigits) {
  size_t seen = 0;
  for (size_t i = span.start; i < span.end; ++i) {
    if (!IsDigit(text[i])) continue;
    if (seen++ >= keptDigits) text[i] = '0';
  }
}

void MaskDecimalNumbers(char* text, size_t length, const KnownImsis& known) {
  DecimalNumber number;
  for (size_t from = 0; FindDecimalNumber(text, length, &from, &number);) {
    size_t kept = 0;
    if (IsKnownImsi(known, text, number))
      kept = kImsiKeptDigits;
    else if (number.digitCount <= kLongestImeiDigits)
      kept = kImeiKeptDigits;
    MaskDigitsAfter(text, number.span, kept);
  }
}

// --- Byte sequences ------------------------------------------------------

// Two hex digits standing alone: "3A" in "08 3A 25", not "3A" in "3AF".
bool IsByteAt(const char* text, size_t length, size_t i) {
  return i + 2 <= length && IsHexDigit(text[i]) && IsHexDigit(text[i + 1]) &&
         (i == 0 || !IsAlnum(text[i - 1])) && (i + 2 == length || !IsAlnum(text[i + 2]));
}

bool IsByteSeparator(char c) { return c == ' ' || c == ','; }

// The next byte of a sequence after the byte at i, past one or two
// separators ("08 3A", "08,3A", "08, 3A"), into *next; false when none.
bool NextByteAt(const char* text, size_t length, size_t i, size_t* next) {
  size_t at = i + 2;
  for (int separators = 0; separators < 2 && at < length && IsByteSeparator(text[at]); ++separators) {
    ++at;
    if (IsByteAt(text, length, at)) {
      *next = at;
      return true;
    }
  }
  return false;
}

void MaskByteSequences(char* text, size_t length) {
  for (size_t i = 0; i < length;) {
    if (!IsByteAt(text, length, i)) {
      ++i;
      continue;
    }
    size_t decimalNibbles = 0;
    size_t last = i;
    for (size_t at = i;; last = at) {
      decimalNibbles += (IsDigit(text[at]) ? 1 : 0) + (IsDigit(text[at + 1]) ? 1 : 0);
      if (!NextByteAt(text, length, at, &at)) break;
    }
    const size_t end = last + 2;
    if (decimalNibbles >= kPersonalNumberDigits)
      for (size_t k = i; k < end; ++k)
        if (IsDigit(text[k])) text[k] = '0';
    i = end;
  }
}

// --- Quoted phone numbers ------------------------------------------------

// Replies quote the phone numbers they carry: a received message's sender
// (+CMT: "+79161234567",,"..."), a caller (+CLIP, +CCWA), a stored
// message's sender (+CMGL, +CMGR), the SIM's own number
// (+CNUM: "","+79161234567",145). None of these is 14 digits long, so the
// decimal pass lets them through; a quoted string of nothing but 7 or more
// digits (after an optional '+') is one, masked whole. Nothing quoted that
// a report row shows is that long: an operator code is 5 or 6 digits, a
// version or a model holds letters or dots. A quoted bare number of 14 or
// more digits is an IMEI, IMSI or ICCID (+CGSN: "352099001761481" on some
// firmware) and was masked by the decimal pass, which keeps the model's
// type code; with a '+' in front it is a phone number all the same.
constexpr size_t kShortestPhoneDigits = 7;

void MaskQuotedPhoneNumbers(char* text, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    if (text[i] != '"') continue;
    const size_t first = i + 1 < length && text[i + 1] == '+' ? i + 2 : i + 1;
    const size_t digits = DigitsFrom(text, length, first);
    const size_t end = first + digits;
    // A reply cut inside the quotes still shows the number.
    const bool closed = end < length && text[end] == '"';
    if (!closed && end < length && text[end] != '\r' && text[end] != '\n') continue;
    const bool international = first == i + 2;
    if (digits >= kShortestPhoneDigits && (international || digits < kPersonalNumberDigits))
      for (size_t k = first; k < end; ++k) text[k] = '0';
    // The closing quote opens nothing: "","+79161234567" is two strings.
    if (closed) i = end;
  }
}

// --- Commands that set a number, PIN, PUK or code --------------------------

// The commands (after their '+' or '^') whose arguments are secret: PINs
// and passwords, the IMEI written into the stick, unlock codes, and the
// phone numbers a stick is told to store or dial.
constexpr std::string_view kSecretArgumentCommands[] = {
    "+CPIN", "+CPIN2", "+CLCK",       "+CPWD",     "+EGMR",     "+CPBW", "+CSCA",   "+CMGS",
    "+CMGW", "^CPIN",  "^CARDUNLOCK", "^CARDLOCK", "^DATALOCK", "^NVWR", "^NVWREX", "^SPN",
};

// An unquoted argument this long is a code, not a mode or an index.
constexpr size_t kShortestUnquotedCode = 4;

// Where the '=' of a secret-argument command at text + i ("+CPIN=")
// stands, or 0. A modem may ignore blanks before the '=' (AT+CPIN ="1234"),
// so they are skipped too.
size_t SecretCommandAt(const char* text, size_t length, size_t i) {
  if (text[i] != '+' && text[i] != '^') return 0;
  size_t end = i + 1;
  while (end < length && IsAlnum(text[end])) ++end;
  size_t equals = end;
  while (equals < length && text[equals] == ' ') ++equals;
  if (equals >= length || text[equals] != '=') return 0;
  for (std::string_view name : kSecretArgumentCommands)
    if (name.size() == end - i && SameLetters(text + i, name)) return equals;
  return 0;
}

bool EndsArguments(char c) { return c == '\r' || c == '\n' || c == ';'; }

// Masks the arguments from text + i (just after the '=') up to the end of
// the command; returns where it ended.
size_t MaskArguments(char* text, size_t length, size_t i) {
  while (i < length && !EndsArguments(text[i])) {
    if (text[i] == '"') {
      size_t k = i + 1;
      for (; k < length && text[k] != '"' && text[k] != '\r' && text[k] != '\n'; ++k) text[k] = '0';
      i = k < length && text[k] == '"' ? k + 1 : k;
      continue;
    }
    size_t end = i;
    while (end < length && text[end] != ',' && text[end] != '"' && !EndsArguments(text[end])) ++end;
    if (end - i >= kShortestUnquotedCode)
      for (size_t k = i; k < end; ++k)
        if (IsAlnum(text[k])) text[k] = '0';
    i = end < length && text[end] == ',' ? end + 1 : end;
  }
  return i;
}

void MaskSecretArguments(char* text, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    const size_t equals = SecretCommandAt(text, length, i);
    if (equals != 0) i = MaskArguments(text, length, equals + 1);
  }
}

// --- Dial strings ---------------------------------------------------------

// ATD dials what follows it up to the end of the line (or the ';' of a
// voice call): a phone number, or a supplementary-service code that may
// carry PINs and numbers (**04*OLDPIN*NEWPIN*NEWPIN#, **05*PUK*PIN*PIN#,
// **21*NUMBER#). The service prefix (**04*, *31#, *100#) stays, so the trace
// still shows what kind of call it was; every digit after it is masked.
bool IsServiceMark(char c) { return c == '*' || c == '#'; }

// The end of the service prefix of the dial string at text + i: marks,
// digits, one mark; i itself when there is none.
size_t ServicePrefixEnd(const char* text, size_t length, size_t i) {
  size_t at = i;
  while (at < length && IsServiceMark(text[at])) ++at;
  if (at == i) return i;
  while (at < length && IsDigit(text[at])) ++at;
  return at < length && IsServiceMark(text[at]) ? at + 1 : i;
}

bool IsDialCommandAt(const char* text, size_t length, size_t i) {
  return i + 3 <= length && SameLetters(text + i, "ATD") && (i == 0 || !IsAlnum(text[i - 1]));
}

void MaskDialStrings(char* text, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    if (!IsDialCommandAt(text, length, i)) continue;
    size_t at = i + 3;
    // Tone or pulse dialling, and blanks, before the number.
    while (at < length && (Upper(text[at]) == 'T' || Upper(text[at]) == 'P' || text[at] == ' ')) ++at;
    for (at = ServicePrefixEnd(text, length, at); at < length && !EndsArguments(text[at]); ++at)
      if (IsDigit(text[at])) text[at] = '0';
    i = at;
  }
}

// --- Numbers in messages and USSD text, and alone on a line ----------------

// Every run of kShortestPhoneDigits or more digits in text[start, end).
void MaskDigitRuns(char* text, size_t start, size_t end) {
  for (size_t i = start; i < end;) {
    size_t runEnd = i;
    while (runEnd < end && IsDigit(text[runEnd])) ++runEnd;
    if (runEnd - i >= kShortestPhoneDigits)
      for (size_t k = i; k < runEnd; ++k) text[k] = '0';
    i = runEnd > i ? runEnd : i + 1;
  }
}

int HexValue(char c) {
  if (IsDigit(c)) return c - '0';
  return Upper(c) - 'A' + 10;
}

size_t OctetAt(const char* line, size_t k) {
  return static_cast<size_t>(HexValue(line[2 * k]) * 16 + HexValue(line[2 * k + 1]));
}

// The address octets [first, first + count) of a PDU: their semi-octets are
// the digits of a number (nibbles swapped, F filling the last), so every
// decimal digit becomes '0' and the PDU keeps its length.
void MaskSemiOctets(char* line, size_t first, size_t count) {
  for (size_t k = 2 * first; k < 2 * (first + count); ++k)
    if (IsDigit(line[k])) line[k] = '0';
}

// A message in PDU mode, as +CMGL, +CMGR, +CMT and +CDS give it: the
// service centre's address (a length in octets, a type, semi-octets), the
// first octet, for a message sent or a status report its reference, then
// the sender's or receiver's address (a length in digits, a type,
// semi-octets). Both addresses are masked in place; an address written as
// a name (type of number 5, alphanumeric) stays. False when the line is
// no such PDU.
bool MaskPduAddresses(char* line, size_t length) {
  if (length < 4 || length % 2 != 0) return false;
  for (size_t i = 0; i < length; ++i)
    if (!IsHexDigit(line[i])) return false;
  const size_t octets = length / 2;
  const size_t centreOctets = OctetAt(line, 0);
  size_t at = 1 + centreOctets;
  if (at + 1 > octets) return false;
  const size_t messageType = OctetAt(line, at++) & 3;
  if (messageType == 3) return false;
  if (messageType != 0) ++at;  // the message reference
  if (at + 2 > octets) return false;
  const size_t addressOctets = (OctetAt(line, at) + 1) / 2;
  const bool alphanumeric = ((OctetAt(line, at + 1) >> 4) & 7) == 5;
  if (at + 2 + addressOctets > octets) return false;
  if (centreOctets > 1) MaskSemiOctets(line, 2, centreOctets - 1);
  if (!alphanumeric) MaskSemiOctets(line, at + 2, addressOctets);
  return true;
}

bool LineStartsWith(const char* text, size_t start, size_t end, std::string_view word) {
  return end - start >= word.size() && SameLetters(text + start, word);
}

// A line that heads a stored or received message; the lines after it, up
// to a blank line or the next reply, are the message.
bool IsMessageHeader(const char* text, size_t start, size_t end) {
  return LineStartsWith(text, start, end, "+CMGL:") || LineStartsWith(text, start, end, "+CMGR:") ||
         LineStartsWith(text, start, end, "+CMT:") || LineStartsWith(text, start, end, "+CDS:");
}

// Where "+CUSD" stands in a line (a USSD answer or the command that sends
// one), or end.
size_t FindUssd(const char* text, size_t start, size_t end) {
  for (size_t i = start; i + 5 <= end; ++i)
    if (SameLetters(text + i, "+CUSD")) return i;
  return end;
}

// Line by line: a message's text and a USSD text lose every run of 7 or
// more digits (a number the network or a sender wrote into it), a PDU its
// addresses, and a reply line holding nothing but 7 to 13 digits is taken
// whole: the piece of a number a pause cut into two lines (longer ones are
// the decimal pass's, which keeps an IMEI's type code).
void MaskNumbersInLines(char* text, size_t length) {
  bool inMessage = false;
  for (size_t start = 0; start < length;) {
    size_t end = start;
    while (end < length && text[end] != '\r' && text[end] != '\n') ++end;
    size_t digits = 0;
    while (start + digits < end && IsDigit(text[start + digits])) ++digits;
    if (digits == end - start && digits >= kShortestPhoneDigits && digits < kPersonalNumberDigits) {
      MaskDigitRuns(text, start, end);
    } else if (IsMessageHeader(text, start, end)) {
      inMessage = true;
    } else if (inMessage &&
               (end == start || text[start] == '+' || text[start] == '^' ||
                LineStartsWith(text, start, end, "OK") || LineStartsWith(text, start, end, "ERROR"))) {
      inMessage = false;
    } else if (inMessage && !MaskPduAddresses(text + start, end - start)) {
      MaskDigitRuns(text, start, end);
    }
    MaskDigitRuns(text, FindUssd(text, start, end), end);
    // A blank line (two line feeds in a row) ends a message.
    size_t feeds = 0;
    for (start = end; start < length && (text[start] == '\r' || text[start] == '\n'); ++start)
      feeds += text[start] == '\n' ? 1 : 0;
    if (feeds > 1) inMessage = false;
  }
}

}  // namespace

void MaskPersonalNumbers(char* text, size_t length, const TextSpan* imsiAnswers, size_t imsiAnswerCount) {
  KnownImsis known;
  CollectImsis(text, length, imsiAnswers, imsiAnswerCount, &known);
  MaskDecimalNumbers(text, length, known);
  MaskByteSequences(text, length);
  MaskQuotedPhoneNumbers(text, length);
  MaskSecretArguments(text, length);
  MaskDialStrings(text, length);
  MaskNumbersInLines(text, length);
}

void MaskNumbersInText(char* text, size_t length) { MaskDigitRuns(text, 0, length); }
