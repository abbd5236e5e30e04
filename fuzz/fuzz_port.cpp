// The fuzz backend of the platform layer (see fuzz_port.h).
#include "fuzz/fuzz_port.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "report/query.h"
#include "serial/serial_port.h"

namespace {

constexpr PortHandle kFuzzPort = 3;

struct FuzzModem {
  std::string replies[kQueryStepCount];
  // Bytes "on the line" that no read has taken yet.
  std::string queued;
  int32_t openCount;
  int32_t closeCount;
};

FuzzModem g_FuzzModem;

uint32_t DeliverQueued(PortHandle port, char* reply) {
  Require(port == kFuzzPort, "reads use the opened port");
  const size_t count = std::min<size_t>(g_FuzzModem.queued.size(), kReadRequestBytes);
  std::memcpy(reply, g_FuzzModem.queued.data(), count);
  g_FuzzModem.queued.erase(0, count);
  return static_cast<uint32_t>(count);
}

}  // namespace

void LoadFuzzReplies(const uint8_t* data, size_t size) {
  for (std::string& reply : g_FuzzModem.replies) {
    size_t length = TakeLittleEndian(&data, &size, 2);
    const uint32_t repeat = TakeLittleEndian(&data, &size, 1);
    length = std::min(length, size);
    reply.clear();
    for (uint32_t i = 0; i <= repeat && reply.size() < kMaxFuzzReplyLength; ++i)
      reply.append(reinterpret_cast<const char*>(data), length);
    if (reply.size() > kMaxFuzzReplyLength) reply.resize(kMaxFuzzReplyLength);
    data += length;
    size -= length;
  }
  g_FuzzModem.queued.clear();
}

int32_t FuzzPortOpenCount() { return g_FuzzModem.openCount; }
int32_t FuzzPortCloseCount() { return g_FuzzModem.closeCount; }

PortHandle OpenModemPort(const char* devicePath) {
  if (std::string_view(devicePath) == kAbsentModemPath) return kInvalidPort;
  // A freshly opened port has nothing left over from an earlier session.
  g_FuzzModem.queued.clear();
  ++g_FuzzModem.openCount;
  return kFuzzPort;
}

void ConfigureSerialPort(PortHandle port) { Require(port == kFuzzPort, "configure the opened port"); }
void FlushPort(PortHandle port) { Require(port == kFuzzPort, "flush the opened port"); }

void ClosePort(PortHandle port) {
  Require(port == kFuzzPort, "close the opened port");
  ++g_FuzzModem.closeCount;
}

bool WritePort(PortHandle port, const char* bytes, uint32_t length) {
  Require(port == kFuzzPort, "write to the opened port");
  // One command line: the command and the carriage return that ends it.
  const std::string_view line(bytes, length);
  Require(!line.empty() && line.back() == '\r' && line.find('\r') == line.size() - 1,
          "a command goes out as one line ending in CR");
  const std::string_view command = line.substr(0, line.size() - 1);
  for (int i = 0; i < kQueryStepCount; ++i) {
    if (command == QuerySequence[i].command) {
      g_FuzzModem.queued += g_FuzzModem.replies[i];
      return true;
    }
  }
  return true;
}

uint32_t ReadReplyDirect(PortHandle port, char* reply) { return DeliverQueued(port, reply); }

uint32_t ReadReplyWithReader(PortHandle port, char* reply, uint32_t) { return DeliverQueued(port, reply); }

void DevicePathFromPortName(const char* portName, char* path, size_t pathSize) {
  std::snprintf(path, pathSize, "%s", portName);
}

// The harnesses are single-threaded: jobs run one after the other.
void RunSideBySide(SideBySideJob job, void* context, int32_t count) {
  for (int32_t i = 0; i < count && i < kMaxSideBySideJobs; ++i) job(context, i);
}
