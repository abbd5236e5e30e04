// Sending one AT command and naming ports: the parts of the exchange that
// are the same on every platform.
#include <chrono>
#include <cstdio>
#include <cstring>

#include "base/unsolicited.h"
#include "serial/serial_port.h"

namespace {

uint32_t MsSince(std::chrono::steady_clock::time_point start) {
  return static_cast<uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
          .count());
}

// Reads the reply of the command just sent.
//
// The answer has beginByMs to begin. The vendor's firmware sends unsolicited
// reports (signal, boot, traffic counters, a new SMS...) whenever it likes,
// also right after a command, and a stick that powers up echoes the command
// first; a SIM or network command may then answer 150 ms later, long after
// the 50 ms of quiet that end the first read. That read is not the answer:
// stopping there would leave the answer queued for the next command, and
// every later command would take the previous one's answer. So while
// everything read holds only reports and the echo, the exchange reads on
// into the rest of the buffer, until the answer begins or beginByMs from
// the start is spent.
//
// A read that its bound cut short while bytes were still coming ends an
// exchange that waits at most (scan, terminal) with no reply from that read.
// In the query it means an answer that began just before beginByMs and goes
// on: it is read on in reads of at most 50 ms, each of which ends the reply
// when it brings nothing (the quiet), up to kReadTotalBoundMs from the
// start. So a silent device costs beginByMs and no more, and nothing a stick
// that answers sends is cut.
uint32_t ReadAnswer(PortHandle port, const char* command, ExchangeWait wait, uint32_t beginByMs,
                    char* reply) {
  const auto start = std::chrono::steady_clock::now();
  const uint32_t endByMs = wait == kWaitForAnswer ? kReadTotalBoundMs : beginByMs;
  uint32_t count = 0;
  bool goingOn = false;  // the last read was cut short in the middle of the answer
  for (;;) {
    const uint32_t elapsedMs = MsSince(start);
    const uint32_t untilMs = goingOn ? endByMs : beginByMs;
    if (elapsedMs >= untilMs) break;
    const uint32_t leftMs = untilMs - elapsedMs;
    const uint32_t boundMs = goingOn && leftMs > kReadIntervalMs ? kReadIntervalMs : leftMs;
    bool cut = false;
    const uint32_t got = ReadReplyWithin(port, reply + count, kReadRequestBytes - count, boundMs, &cut);
    if (g_App.TraceSink != nullptr) g_App.TraceSink(command, count == 0, reply + count, got, MsSince(start));
    if (got == 0) break;
    if (cut && wait == kWaitAtMost) {
      // Still coming when the time ran out: these bytes are not part of the
      // reply.
      std::memset(reply + count, 0, got);
      break;
    }
    count += got;
    if (count >= kReadRequestBytes) break;
    const bool answered = !HoldsNoAnswerYet(reply, count, command);
    goingOn = cut && answered;
    if (answered && !cut) break;
  }
  return count;
}

}  // namespace

bool CommandFitsLine(const char* command) {
  return command == nullptr || std::strlen(command) <= kMaxCommandLength;
}

bool ReplyHoldsAnswer(const char* reply, uint32_t count, const char* command) {
  return count > 0 && !HoldsNoAnswerYet(reply, count, command != nullptr ? command : "");
}

uint32_t SendAtCommand(PortHandle port, const char* command, ExchangeWait wait, uint32_t timeoutMs,
                       char* reply) {
  if (command == nullptr) command = "";
  char line[kCommandLineSize];
  std::memset(line, 0, sizeof line);
  // A zero reply must never leave the previous reply readable.
  std::memset(reply, 0, kTextCapacity);

  // A longer command would lose its carriage return (or its tail) to the
  // 256-byte line. Sending a cut command to a modem is worse than sending
  // nothing, so it is refused. The command-line tool checks CommandFitsLine
  // first and tells the user; the terminal's input box cannot hold that many
  // characters.
  if (!CommandFitsLine(command)) return 0;
  const int length = std::snprintf(line, sizeof line, "%s\r", command);

  FlushPort(port);
  // A device that refuses the command is gone (unplugged mid-query). Nothing
  // can answer, so there is no reply to wait for.
  if (!WritePort(port, line, static_cast<uint32_t>(length))) return 0;
  const uint32_t count = ReadAnswer(port, command, wait, timeoutMs, reply);
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
