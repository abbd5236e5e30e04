// The trace's masking against numbers in the forms firmware writes them.
// Input: a form (1 byte), the 15 digits of a number (15 bytes), then bytes
// that choose the joints, the case of the command and where the answer is
// cut into reads and into the next exchange. The number goes into one
// exchange between two ordinary ones (a phone number, its last 11 digits
// quoted as a sender, caller or own number); the trace must not hold 9 digits in a
// row of it beyond the digits its form may keep, as digits or as bytes
// with their nibbles swapped.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "trace/exchange_trace.h"
#include "trace/personal_numbers.h"

namespace {

constexpr size_t kNumberDigits = 15;
constexpr size_t kLeakDigits = 9;

struct Exchange {
  std::string command;
  std::string reply;
};

uint8_t Take(const uint8_t** data, size_t* size) {
  return static_cast<uint8_t>(TakeLittleEndian(data, size, 1));
}

// The number: its first 5 digits anything, the rest never 0, so a masked
// digit ('0') can never pass for one of them.
std::string TakeNumber(const uint8_t** data, size_t* size) {
  std::string number;
  for (size_t i = 0; i < kNumberDigits; ++i) {
    const uint8_t byte = Take(data, size);
    number += static_cast<char>(i < kImsiKeptDigits ? '0' + byte % 10 : '1' + byte % 9);
  }
  return number;
}

std::string RandomCase(std::string text, const uint8_t** data, size_t* size) {
  const uint8_t bits = Take(data, size);
  for (size_t i = 0; i < text.size(); ++i)
    if ((bits >> (i % 8)) & 1 && text[i] >= 'A' && text[i] <= 'Z')
      text[i] = static_cast<char>(text[i] - 'A' + 'a');
  return text;
}

// Digit groups of 1 to 6 digits joined by one joint.
std::string Groups(const std::string& number, const uint8_t** data, size_t* size) {
  const char joint = "- ."[Take(data, size) % 3];
  std::string text;
  for (size_t i = 0; i < number.size();) {
    const size_t length = 1 + Take(data, size) % 6;
    if (i > 0) text += joint;
    text += number.substr(i, length);
    i += length;
  }
  return text;
}

// The number as bytes: "08 3A 25 ..." (swapped, type nibble A after the
// first digit) or "35,20,99,...,1F" (straight, F filling the last byte).
std::string Bytes(const std::string& number, bool swapped, const uint8_t** data, size_t* size) {
  static constexpr const char* kSeparators[] = {" ", ",", ", "};
  const char* separator = kSeparators[Take(data, size) % 3];
  std::string digits = swapped ? number.substr(0, 1) + "A" + number.substr(1) : number + "F";
  std::string text = swapped ? std::string("08") + separator : "";
  for (size_t i = 0; i + 1 < digits.size(); i += 2) {
    if (i > 0) text += separator;
    text += swapped ? std::string{digits[i + 1], digits[i]} : digits.substr(i, 2);
  }
  return text;
}

// The exchange that shows the number, and how many of its digits the trace
// may keep.
Exchange NumberExchange(uint8_t form, const std::string& number, size_t* kept, const uint8_t** data,
                        size_t* size) {
  *kept = kImeiKeptDigits;
  // A phone number: the number's last 11 digits, quoted as replies quote
  // senders, callers and the SIM's own number; masked whole.
  const std::string phone = "\"+" + number.substr(kNumberDigits - 11) + "\"";
  if (form % 13 >= 9) *kept = 0;
  switch (form % 13) {
    case 0: return {"AT+CGSN", "\r\n" + number + "\r\n\r\nOK\r\n"};
    case 1: return {"ATI", "\r\nModel: E1550\r\nIMEI: " + number + "\r\n+GCAP: +CGSM\r\n\r\nOK\r\n"};
    case 2: return {"ATI", "\r\nIMEI: " + Groups(number, data, size) + "\r\n\r\nOK\r\n"};
    case 3: return {"AT^NVRD=0", "\r\n^NVRD: 9," + Bytes(number, true, data, size) + "\r\n\r\nOK\r\n"};
    case 4: return {"AT^NVRD=0", "\r\n^NVRD: " + Bytes(number, false, data, size) + "\r\n\r\nOK\r\n"};
    case 5: return {"GET /api/device/information", "<Imei>" + number + "</Imei>\r\n"};
    case 6:
      *kept = kImsiKeptDigits;
      return {RandomCase("AT+CIMI", data, size), "\r\n" + number + "\r\n\r\nOK\r\n"};
    case 7: {
      *kept = 0;
      const std::string command = RandomCase("AT+EGMR", data, size) + "=1,7,\"" + number + "\"";
      return {command, command + "\r\r\nOK\r\n"};
    }
    case 8: {
      *kept = 0;
      const std::string command = RandomCase("AT^CARDUNLOCK", data, size) + "=\"" + number + "\"";
      return {command, command + "\r\r\nOK\r\n"};
    }
    case 9: return {"AT+CGMR", "\r\n+CMT: " + phone + ",,\"\"\r\nHello\r\n"};
    case 10: return {"AT+CGMR", "\r\nRING\r\n\r\n+CLIP: " + phone + ",145,,,,0\r\n"};
    case 11: return {RandomCase("AT+CNUM", data, size), "\r\n+CNUM: \"\"," + phone + ",145\r\n\r\nOK\r\n"};
    default: return {"AT+CMGL", "\r\n+CMGL: 1,\"REC READ\"," + phone + ",,\"\"\r\nHello\r\n\r\nOK\r\n"};
  }
}

// Records the exchanges, each reply cut into reads at the points the input
// chooses; the tail of the number's exchange may go to the next one, as
// when the stick pauses longer than a read waits.
void Record(std::vector<Exchange> exchanges, const uint8_t** data, size_t* size) {
  ClearTrace();
  const size_t moved = Take(data, size) % (exchanges[1].reply.size() + 1);
  if (Take(data, size) & 1) {
    exchanges[2].reply = exchanges[1].reply.substr(exchanges[1].reply.size() - moved) + exchanges[2].reply;
    exchanges[1].reply.resize(exchanges[1].reply.size() - moved);
  }
  uint32_t ms = 0;
  for (const Exchange& exchange : exchanges) {
    const std::string& reply = exchange.reply;
    size_t at = 0;
    bool first = true;
    do {
      const size_t length = std::min<size_t>(reply.size() - at, 1 + Take(data, size) % 40);
      ms += 60;
      RecordTracedRead(exchange.command.c_str(), first, reply.data() + at, static_cast<uint32_t>(length), ms);
      at += length;
      first = false;
    } while (at < reply.size());
  }
}

// The trace's quoted pieces and rule lines, without comments and waits
// (whose digits are the trace's own).
std::string TracedText(const std::string& profile) {
  std::string text;
  size_t start = 0;
  while (start < profile.size()) {
    size_t end = profile.find('\n', start);
    if (end == std::string::npos) end = profile.size();
    const std::string line = profile.substr(start, end - start);
    if (!line.empty() && line[0] != '#' && line.compare(0, 5, "wait ") != 0) text += line + "\n";
    start = end + 1;
  }
  return text;
}

bool IsHex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }
bool IsAlnum(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }

bool IsTokenAt(const std::string& text, size_t i) {
  return i + 1 < text.size() && IsHex(text[i]) && IsHex(text[i + 1]) && (i == 0 || !IsAlnum(text[i - 1])) &&
         (i + 2 == text.size() || !IsAlnum(text[i + 2]));
}

// The decimal digits of the text in order, and those of its byte sequences
// (two-hex-digit tokens joined by blanks or commas) with the nibbles
// swapped, one sequence apart from the next.
void DigitViews(const std::string& text, std::string* digits, std::string* swapped) {
  for (char c : text)
    if (c >= '0' && c <= '9') *digits += c;
  size_t lastTokenEnd = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (!IsTokenAt(text, i)) continue;
    bool joined = lastTokenEnd != 0 && i > lastTokenEnd && i - lastTokenEnd <= 2;
    for (size_t k = lastTokenEnd; joined && k < i; ++k) joined = text[k] == ' ' || text[k] == ',';
    if (!joined) *swapped += '|';
    for (char c : {text[i + 1], text[i]})
      if (c >= '0' && c <= '9') *swapped += c;
    lastTokenEnd = i + 2;
    i += 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const uint8_t form = Take(&data, &size);
  const std::string number = TakeNumber(&data, &size);
  size_t kept = 0;
  const Exchange shown = NumberExchange(form, number, &kept, &data, &size);
  // The exchanges around it show no digits: a digit of theirs next to the
  // kept digits could pass for one of the number's.
  Record({{"AT+CGMM", "\r\nModel\r\n\r\nOK\r\n"}, shown, {"AT+CGMI", "\r\nZentrix\r\n\r\nOK\r\n"}}, &data,
         &size);

  std::string profile;
  FormatTraceProfile(&profile);
  std::string digits, swapped;
  DigitViews(TracedText(profile), &digits, &swapped);
  for (size_t i = 0; i + kLeakDigits <= number.size(); ++i) {
    if (i + kLeakDigits <= kept) continue;
    const std::string run = number.substr(i, kLeakDigits);
    Require(digits.find(run) == std::string::npos, "no 9 digits of the number in a row");
    Require(swapped.find(run) == std::string::npos, "no 9 digits of the number in swapped bytes");
  }
  return 0;
}
