// Win32 serial backend: COM ports opened with CreateFileA, set up with the
// DCB and COMMTIMEOUTS, read directly or by a short-lived reader thread.
//
// The read rule comes entirely from the time-outs set in ConfigureSerialPort:
// ReadIntervalTimeout 50 ends a read 50 ms after the last byte (the interval
// timer only starts with the first byte), and the total time-out of
// 1 ms x 65,535 requested bytes + 50 ms bounds a read that sees nothing.
//
// Reader-thread mode exists so that a caller can give up on a silent device
// after timeoutMs instead of 65.585 s. The worker only reads; on a time-out it
// is stopped with TerminateThread, so its pending read can no longer write
// into ReceiveBuffer once SendAtCommand has returned. (CancelSynchronousIo
// would be the gentler tool, but wine hangs in it on serial reads.)
#include <windows.h>

#include <cstdio>

#include "serial/serial_port.h"

namespace {

HANDLE Handle(PortHandle port) { return reinterpret_cast<HANDLE>(port); }

// Where the worker is. TerminateThread is only safe while the worker waits
// in its read: a thread stopped while it starts up or ends (both run under
// the loader lock) can leave that lock held for ever, and the next thread
// the program starts hangs. (Seen under wine with a 1 ms wait.)
enum ReaderStage : LONG { kReaderStarting, kReaderReading, kReaderDone };
volatile LONG g_ReaderStage = kReaderDone;

constexpr DWORD kReaderPollMs = 10;
constexpr DWORD kReaderSettleLimitMs = 2000;

DWORD WINAPI ReplyReaderThread(LPVOID) {
  InterlockedExchange(&g_ReaderStage, kReaderReading);
  DWORD count = 0;
  ReadFile(Handle(g_App.ReaderPort), g_App.ReceiveBuffer, kReadRequestBytes, &count, nullptr);
  g_App.ReaderByteCount = count;
  InterlockedExchange(&g_ReaderStage, kReaderDone);
  ExitThread(0);
}

// Stops a worker whose wait ran out. One still starting up or already past
// its read is about to reach the read or its end: it gets the moment it
// needs (at most two seconds, then it is stopped all the same). One in its
// read gets a last poll interval to settle into the read's wait.
void StopReader(HANDLE thread) {
  for (DWORD waited = 0; waited < kReaderSettleLimitMs; waited += kReaderPollMs) {
    const bool reading = InterlockedCompareExchange(&g_ReaderStage, kReaderStarting, kReaderStarting) ==
                         kReaderReading;
    if (WaitForSingleObject(thread, kReaderPollMs) == WAIT_OBJECT_0) return;
    if (reading) break;
  }
  TerminateThread(thread, 0);
}

}  // namespace

static_assert(sizeof(PortHandle) == sizeof(HANDLE));

PortHandle OpenModemPort(const char* devicePath) {
  const HANDLE port = CreateFileA(devicePath, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
  return reinterpret_cast<PortHandle>(port);
}

void ConfigureSerialPort(PortHandle port) {
  // Only the four line fields change; flow control, DTR/RTS handling and the
  // special characters stay as the driver has them.
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  GetCommState(Handle(port), &dcb);
  dcb.BaudRate = 9600;
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  SetCommState(Handle(port), &dcb);

  COMMTIMEOUTS timeouts{};
  GetCommTimeouts(Handle(port), &timeouts);
  timeouts.ReadIntervalTimeout = kReadIntervalMs;
  timeouts.ReadTotalTimeoutMultiplier = 1;
  timeouts.ReadTotalTimeoutConstant = 50;
  timeouts.WriteTotalTimeoutMultiplier = 1;
  timeouts.WriteTotalTimeoutConstant = 50;
  SetCommTimeouts(Handle(port), &timeouts);
}

void FlushPort(PortHandle port) { FlushFileBuffers(Handle(port)); }

void ClosePort(PortHandle port) {
  if (port != kInvalidPort) CloseHandle(Handle(port));
}

bool WritePort(PortHandle port, const char* bytes, uint32_t length) {
  // The count written is not examined: a write cut short by the write
  // time-out is still a sent command.
  DWORD written = 0;
  return WriteFile(Handle(port), bytes, length, &written, nullptr) != FALSE;
}

uint32_t ReadReplyDirect(PortHandle port) {
  DWORD count = 0;
  ReadFile(Handle(port), g_App.ReceiveBuffer, kReadRequestBytes, &count, nullptr);
  return count;
}

uint32_t ReadReplyWithReader(PortHandle port, uint32_t timeoutMs) {
  g_App.ReaderPort = port;
  g_App.ReaderByteCount = 0;
  InterlockedExchange(&g_ReaderStage, kReaderStarting);
  DWORD threadId = 0;
  const HANDLE thread = CreateThread(nullptr, 0, ReplyReaderThread, nullptr, 0, &threadId);
  g_App.ReaderThreadHandle = thread;
  g_App.ReaderThreadId = threadId;
  if (thread == nullptr) return 0;

  const DWORD waited = WaitForSingleObject(thread, timeoutMs);
  // A worker still running is stopped before this returns, so its read can
  // no longer write into ReceiveBuffer; one that finished is gone anyway.
  if (waited != WAIT_OBJECT_0) StopReader(thread);
  CloseHandle(thread);
  g_App.ReaderThreadHandle = nullptr;
  // The count of a read that did not finish in time is not a reply.
  return waited == WAIT_OBJECT_0 ? g_App.ReaderByteCount : 0;
}

void DevicePathFromPortName(const char* portName, char* path, size_t pathSize) {
  std::snprintf(path, pathSize, "\\\\.\\%s", portName != nullptr ? portName : "");
}
