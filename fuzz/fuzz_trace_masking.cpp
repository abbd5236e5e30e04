// The trace's masking against numbers in the forms firmware writes them
// (input: fuzz/README.md): the trace must be that of the same text with the
// number masked as its form is, the digits it may keep kept, the rest '0'.
#include <algorithm>
#include <cstring>
#include <string>

#include "fuzz/fuzz_support.h"
#include "trace/exchange_trace.h"
#include "trace/personal_numbers.h"

namespace {

constexpr size_t kNumberDigits = 15;
constexpr size_t kPhoneDigits = 11;

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

// The texts are built once as the stick wrote them and once, g_Masked, as
// the trace must show them.
bool g_Masked = false;

std::string Kept(std::string text, size_t kept) {
  if (!g_Masked) return text;
  size_t seen = 0;
  for (char& c : text)
    if (c >= '0' && c <= '9' && seen++ >= kept) c = '0';
  return text;
}

std::string RandomCase(std::string text, const uint8_t** data, size_t* size) {
  const uint8_t bits = Take(data, size);
  for (size_t i = 0; i < text.size(); ++i)
    if ((bits >> (i % 8)) & 1 && text[i] >= 'A' && text[i] <= 'Z')
      text[i] = static_cast<char>(text[i] - 'A' + 'a');
  return text;
}

// Digit groups of 1 to 6 digits joined by dots, or by dashes and blanks in
// any mix. Never 2 digits: groups of two joined by blanks are bytes, every
// digit of which is masked.
std::string Groups(const std::string& number, const uint8_t** data, size_t* size) {
  const bool dots = Take(data, size) % 3 == 0;
  std::string text;
  for (size_t i = 0; i < number.size();) {
    const uint8_t choice = Take(data, size);
    static constexpr size_t kLengths[] = {1, 3, 4, 5, 6};
    const size_t length = kLengths[choice % 5];
    if (i > 0) text += dots ? '.' : "- "[(choice >> 4) & 1];
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

// An address's semi-octets as a PDU writes them: nibbles swapped, F
// filling the last octet.
std::string SemiOctets(std::string digits) {
  if (digits.size() % 2 != 0) digits += 'F';
  for (size_t i = 0; i + 1 < digits.size(); i += 2) std::swap(digits[i], digits[i + 1]);
  return digits;
}

Exchange Echoed(const std::string& command) { return {command, command + "\r\r\nOK\r\n"}; }

Exchange NumberExchange(uint8_t form, const std::string& number, const uint8_t** data, size_t* size) {
  const std::string phone = number.substr(kNumberDigits - kPhoneDigits);
  // A phone number, quoted as replies quote senders, callers and the SIM's
  // own number: masked whole.
  const std::string quoted = "\"+" + Kept(phone, 0) + "\"";
  switch (form % 21) {
    case 0: return {"AT+CGSN", "\r\n" + Kept(number, kImeiKeptDigits) + "\r\n\r\nOK\r\n"};
    case 1:
      return {"ATI", "\r\nModel: E1550\r\nIMEI: " + Kept(number, kImeiKeptDigits) +
                         "\r\n+GCAP: +CGSM\r\n\r\nOK\r\n"};
    case 2:
      return {"ATI", "\r\nIMEI: " + Kept(Groups(number, data, size), kImeiKeptDigits) + "\r\n\r\nOK\r\n"};
    case 3:
      return {"AT^NVRD=0", "\r\n^NVRD: 9," + Kept(Bytes(number, true, data, size), 0) + "\r\n\r\nOK\r\n"};
    case 4:
      return {"AT^NVRD=0", "\r\n^NVRD: " + Kept(Bytes(number, false, data, size), 0) + "\r\n\r\nOK\r\n"};
    case 5: return {"AT^NVRD=1", "\r\nIMSI: " + Kept(number, kImsiKeptDigits) + "\r\n\r\nOK\r\n"};
    case 6:
      return {RandomCase("AT+CIMI", data, size), "\r\n" + Kept(number, kImsiKeptDigits) + "\r\n\r\nOK\r\n"};
    case 7: return Echoed(RandomCase("AT+EGMR", data, size) + "=1,7,\"" + Kept(number, 0) + "\"");
    case 8: return Echoed(RandomCase("AT^CARDUNLOCK", data, size) + "=\"" + Kept(number, 0) + "\"");
    case 9: return {"AT+CGMR", "\r\n+CMT: " + quoted + ",,\"\"\r\nHello\r\n"};
    case 10: return {"AT+CGMR", "\r\nRING\r\n\r\n+CLIP: " + quoted + ",145,,,,0\r\n"};
    case 11: return {RandomCase("AT+CNUM", data, size), "\r\n+CNUM: \"\"," + quoted + ",145\r\n\r\nOK\r\n"};
    case 12: return {"AT+CMGL", "\r\n+CMGL: 1,\"REC READ\"," + quoted + ",,\"\"\r\nHello\r\n\r\nOK\r\n"};
    case 13: return Echoed(RandomCase("ATD", data, size) + "+" + Kept(phone, 0) + ";");
    case 14: {
      // A PIN or PUK change dialled as a service code: the code stays.
      static constexpr const char* kCodes[] = {"**04*", "**042*", "**05*", "**052*"};
      const std::string pin = number.substr(kNumberDigits - 4);
      return Echoed("ATD" + std::string(kCodes[Take(data, size) % 4]) +
                    Kept(number.substr(0, 8) + "*" + pin + "*" + pin + "#", 0));
    }
    case 15:
      return Echoed(RandomCase("AT+CPIN", data, size) + " =\"" + Kept(number.substr(kNumberDigits - 4), 0) +
                    "\"");
    case 16:
      // A stored message to send, in PDU mode: the service centre's and
      // the receiver's addresses.
      return {"AT+CMGL=4", "\r\n+CMGL: 1,2,,24\r\n0791" +
                               Kept(SemiOctets(number.substr(0, kPhoneDigits)), 0) + "11000B91" +
                               Kept(SemiOctets(phone), 0) + "0000AA05C8329BFD06\r\n\r\nOK\r\n"};
    case 17:
      return {"AT+CMGR=1", "\r\n+CMGR: \"REC READ\"," + quoted + ",,\"\"\r\nCall " + Kept(phone, 0) +
                               " now\r\n\r\nOK\r\n"};
    case 18:
      return {"AT+CUSD=1,\"*110#\",15",
              "\r\nOK\r\n\r\n+CUSD: 0,\"Vash nomer " + Kept(phone, 0) + "\",15\r\n"};
    case 19:
      // A number a pause cut into two lines.
      return {"AT+CGSN",
              "\r\n" + Kept(number.substr(0, 7), 0) + "\r\n" + Kept(number.substr(7), 0) + "\r\n\r\nOK\r\n"};
    default:
      return {"AT+CGSN", "\r\n" + Kept(Groups(number, data, size), kImeiKeptDigits) + "\r\n\r\nOK\r\n"};
  }
}

std::string NumberDocument(uint8_t form, const std::string& number) {
  const std::string phone = number.substr(kNumberDigits - kPhoneDigits);
  switch (form % 5) {
    case 0: return "<response><Imei>" + Kept(number, kImeiKeptDigits) + "</Imei></response>";
    case 1: return "<response><Imsi>" + Kept(number, kImsiKeptDigits) + "</Imsi></response>";
    case 2: return "<response><Msisdn>+" + Kept(phone, 0) + "</Msisdn></response>";
    case 3:
      return "<Message><Phone>+" + Kept(phone, 0) + "</Phone><Content>Call " + Kept(phone, 0) +
             " now</Content></Message>";
    default: return "<response><content>Vash nomer " + Kept(phone, 0) + "</content></response>";
  }
}

// The trace of three exchanges (or documents), the middle one showing the
// number, cut as the input chooses: replies into reads, the number's tail
// maybe into the next exchange (a stick that pauses longer than a read
// waits), the number's document in two.
std::string TraceProfile(bool masked, uint8_t form, const std::string& number, const uint8_t* data,
                         size_t size) {
  g_Masked = masked;
  ClearTrace();
  if (form >= 128) {
    const std::string shown = NumberDocument(form, number);
    const size_t cut = Take(&data, &size) % (shown.size() + 1);
    const std::string bodies[] = {"<response><DeviceName>E3372</DeviceName></response>", shown.substr(0, cut),
                                  shown.substr(cut), "<response><State>0</State></response>"};
    const char* paths[] = {"/api/device/basic_information", "/api/device/information", "/api/sms/sms-list",
                           "/api/net/current-plmn"};
    for (size_t i = 0; i < 4; ++i)
      RecordTracedDocument(paths[i], 200, bodies[i].data(), static_cast<uint32_t>(bodies[i].size()));
  } else {
    // The exchanges around it show no digits: a digit of theirs next to
    // the number would make a longer number of it.
    Exchange exchanges[] = {{"AT+CGMM", "\r\nModel\r\n\r\nOK\r\n"},
                            NumberExchange(form, number, &data, &size),
                            {"AT+CGMI", "\r\nZentrix\r\n\r\nOK\r\n"}};
    const size_t moved = Take(&data, &size) % (exchanges[1].reply.size() + 1);
    if (Take(&data, &size) & 1) {
      exchanges[2].reply = exchanges[1].reply.substr(exchanges[1].reply.size() - moved) + exchanges[2].reply;
      exchanges[1].reply.resize(exchanges[1].reply.size() - moved);
    }
    uint32_t ms = 0;
    for (const Exchange& exchange : exchanges) {
      size_t at = 0;
      do {
        const size_t length = std::min<size_t>(exchange.reply.size() - at, 1 + Take(&data, &size) % 40);
        ms += 60;
        RecordTracedRead(exchange.command.c_str(), at == 0, exchange.reply.data() + at,
                         static_cast<uint32_t>(length), ms);
        at += length;
      } while (at < exchange.reply.size());
    }
  }
  std::string profile;
  FormatTraceProfile(&profile);
  return profile;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Forms from 128 on are a web interface's documents.
  const uint8_t form = Take(&data, &size);
  const std::string number = TakeNumber(&data, &size);
  // The masking leaves a masked text as it is: a digit leaked differs from its '0'.
  const std::string written = TraceProfile(false, form, number, data, size);
  const std::string masked = TraceProfile(true, form, number, data, size);
  if (written != masked) {
    std::fprintf(stderr, "want:\n%s\ntrace:\n%s\n", masked.c_str(), written.c_str());
    Require(false, "the trace masks every digit of the number it must mask");
  }
  return 0;
}
