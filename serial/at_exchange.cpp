// Sending one AT command and naming ports: the parts of the exchange that
// are the same on every platform.
#include <cstdio>
#include <cstring>

#include "serial/serial_port.h"

bool CommandFitsLine(const char* command) {
  return command == nullptr || std::strlen(command) <= kMaxCommandLength;
}

uint32_t SendAtCommand(PortHandle port, const char* command, bool useReaderThread, uint32_t timeoutMs,
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
  // can answer, so there is no reply to wait for: without this a vanished
  // modem could keep the window frozen for the full read bound of every
  // remaining command.
  if (!WritePort(port, line, static_cast<uint32_t>(length))) return 0;
  const uint32_t count =
      useReaderThread ? ReadReplyWithReader(port, reply, timeoutMs) : ReadReplyDirect(port, reply);
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
