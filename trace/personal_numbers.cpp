// MaskPersonalNumbers: four passes over the text, each for one form in
// which firmware writes a personal number. The decimal pass decides every
// number from the text as it came (which IMSIs there are is known before
// anything is masked); the byte, phone and command passes then mask more, never
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
// 35 209900 176148 1. One number keeps to one joint: "E1550 11.608.12.02"
// is a model and a version, not a 14-digit number.
bool IsGroupJoint(char c) { return c == '-' || c == ' ' || c == '.'; }

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
           (joint == '\0' || text[end] == joint)) {
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

// The length of the secret-argument command name at text + i ("+CPIN"),
// followed by '=', or 0.
size_t SecretCommandAt(const char* text, size_t length, size_t i) {
  if (text[i] != '+' && text[i] != '^') return 0;
  size_t end = i + 1;
  while (end < length && IsAlnum(text[end])) ++end;
  if (end >= length || text[end] != '=') return 0;
  for (std::string_view name : kSecretArgumentCommands)
    if (name.size() == end - i && SameLetters(text + i, name)) return end - i;
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
    const size_t nameLength = SecretCommandAt(text, length, i);
    if (nameLength != 0) i = MaskArguments(text, length, i + nameLength + 1);
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
}
