// The fake port backend (see fake_port.h).
#include "tests/fake_port.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "report/report_rows.h"
#include "serial/serial_port.h"

FakeModem g_Fake;

namespace {

constexpr PortHandle kFakePort = 7;

uint32_t DeliverQueued(char* reply) {
  const size_t count = std::min<size_t>(g_Fake.queued.size(), kReadRequestBytes);
  std::memcpy(reply, g_Fake.queued.data(), count);
  g_Fake.queued.erase(0, count);
  return static_cast<uint32_t>(count);
}

}  // namespace

void ResetFakeModem() {
  g_Fake = FakeModem{};
  g_App.RowSink = nullptr;
  ClearRowValues();
  std::memset(g_App.ReceiveBuffer, 0, sizeof g_App.ReceiveBuffer);
  std::memset(g_App.ValueBuffer, 0, sizeof g_App.ValueBuffer);
}

void LoadReply(const std::string& reply) {
  std::memset(g_App.ReceiveBuffer, 0, kTextCapacity);
  std::memcpy(g_App.ReceiveBuffer, reply.data(), std::min<size_t>(reply.size(), kTextCapacity));
}

PortHandle OpenModemPort(const char* devicePath) {
  g_Fake.openedPaths.push_back(devicePath);
  if (!g_Fake.devices.empty()) {
    const auto device = g_Fake.devices.find(devicePath);
    if (device == g_Fake.devices.end()) return kInvalidPort;
    g_Fake.replies = device->second;
    g_Fake.queued.clear();
  }
  return g_Fake.portOpens ? kFakePort : kInvalidPort;
}

void ConfigureSerialPort(PortHandle) { ++g_Fake.configureCount; }
void FlushPort(PortHandle) {}
void ClosePort(PortHandle) { ++g_Fake.closeCount; }

bool WritePort(PortHandle, const char* bytes, uint32_t length) {
  if (g_Fake.unplugged) return false;
  g_Fake.written.append(bytes, length);
  std::string command(bytes, length);
  if (!command.empty() && command.back() == '\r') command.pop_back();
  const auto reply = g_Fake.replies.find(command);
  if (reply != g_Fake.replies.end()) g_Fake.queued += reply->second;
  return true;
}

uint32_t ReadReplyDirect(PortHandle, char* reply) {
  ++g_Fake.directReads;
  return DeliverQueued(reply);
}

uint32_t ReadReplyWithReader(PortHandle, char* reply, uint32_t timeoutMs) {
  g_Fake.readerTimeouts.push_back(timeoutMs);
  return DeliverQueued(reply);
}

void DevicePathFromPortName(const char* portName, char* path, size_t pathSize) {
  std::snprintf(path, pathSize, "%s", portName);
}

// One job after the other on the calling thread (the fake modem is not
// shared between threads), last job first: whatever order the probes end
// in, the scan must list the modems in port order.
void RunSideBySide(SideBySideJob job, void* context, int32_t count) {
  if (count > kMaxSideBySideJobs) count = kMaxSideBySideJobs;
  for (int32_t i = count - 1; i >= 0; --i) job(context, i);
}
