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

std::vector<JobStart> g_WaitingJobs;  // started, waiting for the first join
bool g_OnJobThread = false;

void CheckHandle(PortHandle port) {
  if (port != kFakePort) ++g_Fake.foreignHandles;
}

uint32_t DeliverQueued(PortHandle port, char* reply, uint32_t capacity) {
  CheckHandle(port);
  size_t count = std::min<size_t>(g_Fake.queued.size(), capacity);
  if (!g_Fake.readSizes.empty()) {
    count = std::min(count, g_Fake.readSizes.front());
    g_Fake.readSizes.erase(g_Fake.readSizes.begin());
  }
  size_t dropped = 0;
  if (g_Fake.formFeedPauses) {
    const size_t pause = g_Fake.queued.find('');
    if (pause != std::string::npos && pause <= count) {
      count = pause;
      dropped = 1;
    }
  }
  std::memcpy(reply, g_Fake.queued.data(), count);
  g_Fake.queued.erase(0, count + dropped);
  return static_cast<uint32_t>(count);
}

}  // namespace

void ResetFakeModem() {
  g_Fake = FakeModem{};
  g_App.RowSink = nullptr;
  g_App.RowFits = nullptr;
  ClearRowValues();
  std::memset(g_App.ReceiveBuffer, 0, sizeof g_App.ReceiveBuffer);
  std::memset(g_App.ValueBuffer, 0, sizeof g_App.ValueBuffer);
}

void LoadReply(const std::string& reply) {
  std::memset(g_App.ReceiveBuffer, 0, kTextBufferSize);
  std::memcpy(g_App.ReceiveBuffer, reply.data(), std::min<size_t>(reply.size(), kTextCapacity));
}

PortHandle OpenModemPort(const char* devicePath) {
  g_Fake.openedPaths.push_back(devicePath);
  if (!g_OnJobThread) ++g_Fake.opensOnCaller;
  if (!g_Fake.devices.empty()) {
    const auto device = g_Fake.devices.find(devicePath);
    if (device == g_Fake.devices.end()) return kInvalidPort;
    g_Fake.replies = device->second;
  }
  if (!g_Fake.portOpens) return kInvalidPort;
  // A freshly opened port has nothing left over from an earlier session.
  g_Fake.queued.clear();
  g_Fake.owed.clear();
  ++g_Fake.openCount;
  return kFakePort;
}

void ConfigureSerialPort(PortHandle port) {
  CheckHandle(port);
  ++g_Fake.configureCount;
}

void FlushPort(PortHandle port) { CheckHandle(port); }

void ClosePort(PortHandle port) {
  CheckHandle(port);
  ++g_Fake.closeCount;
}

bool WritePort(PortHandle port, const char* bytes, uint32_t length) {
  CheckHandle(port);
  if (g_Fake.unplugged) return false;
  g_Fake.written.append(bytes, length);
  std::string command(bytes, length);
  if (!command.empty() && command.back() == '\r') command.pop_back();
  if (!g_Fake.owed.empty() && --g_Fake.owedFor <= 0) {
    g_Fake.queued += g_Fake.owed;
    g_Fake.owed.clear();
  }
  if (g_Fake.answersLeft == 0) return true;
  if (g_Fake.answersLeft > 0) --g_Fake.answersLeft;
  const auto late = g_Fake.lateReplies.find(command);
  const auto reply = g_Fake.replies.find(command);
  if (late != g_Fake.lateReplies.end()) {
    g_Fake.owed += late->second;
    g_Fake.owedFor = g_Fake.lateBy;
  } else if (reply != g_Fake.replies.end()) {
    (g_Fake.owed.empty() ? g_Fake.queued : g_Fake.owed) += reply->second;
  }
  return true;
}

uint32_t ReadReplyWithin(PortHandle port, char* reply, uint32_t capacity, uint32_t boundMs, bool* cut) {
  g_Fake.readBounds.push_back(boundMs);
  const uint32_t count = DeliverQueued(port, reply, capacity);
  *cut = count > 0 && g_Fake.readBounds.size() == g_Fake.cutRead;
  return count;
}

uint64_t PortDeviceId(const char* devicePath) {
  const auto device = g_Fake.deviceIds.find(devicePath);
  return device != g_Fake.deviceIds.end() ? device->second : 0;
}

void DevicePathFromPortName(const char* portName, char* path, size_t pathSize) {
  std::snprintf(path, pathSize, "%s", portName);
}

// The fake modem is not shared between threads: started jobs wait for the
// first join and then run on the calling thread, last first, so the scan
// must list the modems in port order whatever order its probes end in.
bool StartJobThread(const JobStart* start, JobThread* thread) {
  if (g_Fake.threadStarts == 0) return false;
  if (g_Fake.threadStarts > 0) --g_Fake.threadStarts;
  g_WaitingJobs.push_back(*start);
  *thread = g_WaitingJobs.size();
  return true;
}

void JoinJobThread(JobThread) {
  while (!g_WaitingJobs.empty()) {
    const JobStart start = g_WaitingJobs.back();
    g_WaitingJobs.pop_back();
    g_OnJobThread = true;
    start.job(start.context, start.index);
    g_OnJobThread = false;
  }
}
