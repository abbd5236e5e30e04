// SendTerminalCommand: every typed command is a complete exchange of its own
// (open, set up, send, wait up to 2 s, close), so the terminal never holds a
// port between commands.
#include "terminal/terminal.h"

#include "serial/serial_port.h"

int32_t SendTerminalCommand(const char* devicePath, const char* command, char* reply) {
  const PortHandle port = OpenConfiguredPort(devicePath);
  if (port == kInvalidPort) return -1;
  const uint32_t count = SendAtCommand(port, command, kWaitAtMost, kAnswerWaitMs, reply);
  ClosePort(port);
  return static_cast<int32_t>(count);
}
