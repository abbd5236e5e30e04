// Sending one AT command and naming ports: the parts of the exchange that
// are the same on every platform.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "base/unsolicited.h"
#include "serial/serial_port.h"

namespace {

// A reply whose last line has ended but that holds no final result code
// yet ends after this much quiet: a stick that pauses longer than this
// inside an answer is rare, one that answers without a final result code
// rarer still.
constexpr uint32_t kQuietWithoutResultMs = 500;

// Bytes that come closer together than this are a stream, not reports now
// and then.
constexpr uint32_t kStreamQuietMs = 2 * kReadIntervalMs;

// Whether the reply's last line has its line end (count > 0).
bool LastLineEnded(const char* reply, uint32_t count) {
  return reply[count - 1] == '\r' || reply[count - 1] == '\n';
}

uint32_t MsSince(std::chrono::steady_clock::time_point start) {
  return static_cast<uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
          .count());
}

// Reads the reply of the command just sent, for an exchange that waits at
// most beginByMs (the terminal): to the first pause after a line of its
// answer has ended. A read that its bound cut short while bytes were still
// coming ends the exchange with no reply from that read.
// The vendor's firmware sends unsolicited reports (signal, boot, traffic
// counters, a new SMS...) whenever it likes, also right after a command,
// and a stick that powers up echoes the command first, so while everything
// read holds only reports and the echo, the exchange reads on.
uint32_t ReadAtMost(PortHandle port, const char* command, uint32_t beginByMs, char* reply) {
  const auto start = std::chrono::steady_clock::now();
  uint32_t count = 0;
  for (;;) {
    const uint32_t elapsedMs = MsSince(start);
    if (elapsedMs >= beginByMs) break;
    bool cut = false;
    const uint32_t got =
        ReadReplyWithin(port, reply + count, kReadRequestBytes - count, beginByMs - elapsedMs, &cut);
    if (g_App.TraceSink != nullptr) g_App.TraceSink(command, count == 0, reply + count, got, MsSince(start));
    if (got == 0) break;
    if (cut) {
      // Still coming when the time ran out: these bytes are not part of the
      // reply.
      std::memset(reply + count, 0, got);
      break;
    }
    count += got;
    if (count >= kReadRequestBytes) break;
    // An answer ends with a line end: a stick that pauses inside a line
    // (busy, a slow bridge, a busy machine under wine) is read on.
    if (LastLineEnded(reply, count) && !HoldsNoAnswerYet(reply, count, command)) break;
  }
  return count;
}

// Reads the answer of the command just sent (the query and the scan).
//
// The answer has beginByMs to begin. The first read often holds only the
// echo and a report (a SIM or network command answers 150 ms after them,
// long after the 50 ms of quiet that end a read). That is not the answer:
// stopping there would leave it queued for the next command, so the
// exchange reads on until the answer begins or beginByMs is spent.
//
// An answer ends with its final result code (OK, ERROR, +CME ERROR...) and
// the CR LF after it, so the reply ends at the first quiet after that line. A stick may pause
// anywhere before it: between two lines for longer than usual, when it is
// busy, or byte by byte over a slow bridge. Ending the reply at such a
// pause would leave the rest of the answer to the next command, so a reply
// without its final result code yet is read on: one whose last line has
// ended (a stick that answers without a final result code at all) ends
// after kQuietWithoutResultMs of quiet; one whose last line has not ended
// goes on waiting, beginByMs after its last bytes. A read that its bound cut
// short while bytes were still coming is read on in reads of at most 50 ms,
// so an answer that began just before beginByMs is read whole.
//
// But a stick that never ends (a byte every 40 ms for ever, reports a byte
// at a time) would hold the exchange for ever: boundMs after the start of
// the read that brought the first bytes, whatever is still coming ends the
// exchange as endless. Reports alone are no answer, but while they keep
// streaming in (never kStreamQuietMs of quiet) the exchange goes on to
// that bound too: whether it ends as unanswered or endless must not hang
// on where one read of the stream happened to end.
//
// With answerLine the exchange is the query's check that the line is
// clear: the answer of a command sent earlier may come first, then the
// check's own, which ends with its own final result code. Its answer may
// then begin late too, so the wait for it counts anew from the last bytes
// read.
AnswerOutcome ReadForAnswer(PortHandle port, const char* command, uint32_t beginByMs, uint32_t boundMs,
                            const char* answerLine, char* reply, uint32_t* countOut) {
  const auto start = std::chrono::steady_clock::now();
  uint32_t count = 0;
  uint32_t boundEndMs = 0;  // when the bytes must have ended, once some came
  uint32_t lastBytesMs = 0;
  bool coming = false;    // the last read was cut short with bytes still coming
  bool answered = false;  // the reply holds more than reports and the echo
  bool complete = false;  // ... its last line has ended, and it holds answerLine
  bool ended = false;     // ... and the final result code after it
  for (;;) {
    const uint32_t elapsedMs = MsSince(start);
    uint32_t untilMs = beginByMs;
    if (coming) {
      untilMs = boundEndMs;
    } else if (answered) {
      const uint32_t quietMs = complete ? kQuietWithoutResultMs : beginByMs;
      untilMs = std::min(lastBytesMs + quietMs, boundEndMs);
    } else if (count > 0 && lastBytesMs + kStreamQuietMs > beginByMs) {
      // Reports still streaming in when the wait for the answer is over.
      untilMs = std::min(lastBytesMs + kStreamQuietMs, boundEndMs);
    }
    if (elapsedMs >= untilMs) break;
    const uint32_t leftMs = untilMs - elapsedMs;
    const uint32_t readMs = coming && leftMs > kReadIntervalMs ? kReadIntervalMs : leftMs;
    bool cut = false;
    const uint32_t got = ReadReplyWithin(port, reply + count, kReadRequestBytes - count, readMs, &cut);
    if (g_App.TraceSink != nullptr) g_App.TraceSink(command, count == 0, reply + count, got, MsSince(start));
    if (got == 0) {
      // Nothing in all the time left (or the device is gone) ...
      if (!coming) break;
      // ... or, after a read cut short, a quiet.
      coming = false;
    } else {
      if (count == 0) boundEndMs = elapsedMs + boundMs;
      count += got;
      lastBytesMs = MsSince(start);
      coming = cut;
      if (count >= kReadRequestBytes) {
        // A full buffer ends the reply, whatever is still coming.
        *countOut = count;
        return kAnswerRead;
      }
      answered = !HoldsNoAnswerYet(reply, count, command);
      const char* own = answerLine == nullptr ? reply : FindWholeLine(reply, count, answerLine);
      complete = answered && LastLineEnded(reply, count) && own != nullptr;
      // The LF after the final result code's CR is part of the answer: left
      // behind, it would open the next command's reply as a blank line.
      // Reports may follow it in the same read, their lines ended by CR
      // alone as some firmware sends them.
      ended = complete && HoldsFinalResult(reply, static_cast<size_t>(own - reply), count);
    }
    if (ended && !coming) break;
  }
  *countOut = count;
  if (complete && !coming) return kAnswerRead;
  // Only bytes that kept coming keep the exchange going to the bound.
  if (count > 0 && MsSince(start) >= boundEndMs) return kAnswerEndless;
  // An answer whose last line never got its line end is still the answer;
  // the check's answer line is what the check needs.
  return answered && answerLine == nullptr ? kAnswerRead : kAnswerMissing;
}

}  // namespace

bool CommandFitsLine(const char* command) {
  return command == nullptr || std::strlen(command) <= kMaxCommandLength;
}

const char* FindWholeLine(const char* reply, uint32_t count, const char* prefix) {
  const size_t prefixLength = std::strlen(prefix);
  const char* found = nullptr;
  for (uint32_t at = 0; at + prefixLength < count; ++at) {
    if (at > 0 && reply[at - 1] != '\r' && reply[at - 1] != '\n') continue;
    if (std::memcmp(reply + at, prefix, prefixLength) != 0) continue;
    const void* lineEnd = std::memchr(reply + at + prefixLength, '\r', count - at - prefixLength);
    if (lineEnd == nullptr) lineEnd = std::memchr(reply + at + prefixLength, '\n', count - at - prefixLength);
    if (lineEnd != nullptr) found = reply + at;
  }
  return found;
}

bool ReplyHoldsAnswer(const char* reply, uint32_t count, const char* command) {
  return count > 0 && !HoldsNoAnswerYet(reply, count, command != nullptr ? command : "");
}

// Clears reply, sends command + CR; false when nothing was sent (the command
// does not fit the line, or the device refused it).
bool SendCommandLine(PortHandle port, const char* command, char* reply) {
  char line[kCommandLineSize];
  std::memset(line, 0, sizeof line);
  // A zero reply must never leave the previous reply readable.
  std::memset(reply, 0, kTextCapacity);

  // A longer command would lose its carriage return (or its tail) to the
  // 256-byte line. Sending a cut command to a modem is worse than sending
  // nothing, so it is refused. The command-line tool checks CommandFitsLine
  // first and tells the user; the terminal's input box cannot hold that many
  // characters.
  if (!CommandFitsLine(command)) return false;
  const int length = std::snprintf(line, sizeof line, "%s\r", command);

  FlushPort(port);
  // A device that refuses the command is gone (unplugged mid-query). Nothing
  // can answer, so there is no reply to wait for.
  return WritePort(port, line, static_cast<uint32_t>(length));
}

AnswerOutcome SendForAnswer(PortHandle port, const char* command, uint32_t beginByMs, uint32_t boundMs,
                            const char* answerLine, char* reply, uint32_t* count) {
  if (command == nullptr) command = "";
  *count = 0;
  if (!SendCommandLine(port, command, reply)) return kAnswerMissing;
  const AnswerOutcome outcome = ReadForAnswer(port, command, beginByMs, boundMs, answerLine, reply, count);
  FlushPort(port);
  return outcome;
}

uint32_t SendAtCommand(PortHandle port, const char* command, ExchangeWait wait, uint32_t timeoutMs,
                       char* reply) {
  if (command == nullptr) command = "";
  uint32_t count = 0;
  if (wait == kWaitForAnswer) {
    SendForAnswer(port, command, timeoutMs, kAnswerBoundMs, nullptr, reply, &count);
    return count;
  }
  if (!SendCommandLine(port, command, reply)) return 0;
  count = ReadAtMost(port, command, timeoutMs, reply);
  FlushPort(port);
  return count;
}

PortHandle OpenConfiguredPort(const char* devicePath) {
  const PortHandle port = OpenModemPort(devicePath);
  if (port == kInvalidPort) return kInvalidPort;
  ConfigureSerialPort(port);
  FlushPort(port);
  return port;
}

void PortPathFromEntry(const char* entryText, char* path, size_t pathSize) {
  char portName[kShortTextSize];
  std::memset(portName, 0, sizeof portName);
  const char* open = entryText != nullptr ? std::strstr(entryText, "(COM") : nullptr;
  if (open != nullptr) {
    const char* name = open + 1;
    const char* close = std::strchr(name, ')');
    size_t length = close != nullptr ? static_cast<size_t>(close - name) : std::strlen(name);
    if (length > sizeof portName - 1) length = sizeof portName - 1;
    std::memcpy(portName, name, length);
  }
  std::snprintf(path, pathSize, "\\\\.\\%s", portName);
}
