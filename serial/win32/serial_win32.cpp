// Win32 serial backend: COM ports opened with CreateFileA, set up with the
// DCB and COMMTIMEOUTS, read directly or by a short-lived reader thread; the
// threads of jobs run side by side.
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

// Where a worker is. TerminateThread is only safe while the worker waits in
// its read: a thread stopped while it starts up or ends (both run under the
// loader lock) can leave that lock held for ever, and the next thread the
// program starts hangs. (Seen under wine with a 1 ms wait.) A caller that
// gives up claims a worker still in its read (kReaderStopping); a worker
// whose read completes after that never goes on to its end, so a read that
// completes at the last moment cannot be stopped on its way out.
enum ReaderStage : LONG { kReaderStarting, kReaderReading, kReaderDone, kReaderStopping };

// One read in reader-thread mode: the worker's whole world. It lives on the
// caller's stack, which is safe because the worker has ended or been stopped
// before ReadReplyWithReader returns.
struct ReaderJob {
  HANDLE port;
  char* reply;
  DWORD capacity;
  DWORD count;
  volatile LONG stage;
};

constexpr DWORD kReaderPollMs = 10;
constexpr DWORD kReaderSettleLimitMs = 2000;

DWORD WINAPI ReplyReaderThread(LPVOID parameter) {
  ReaderJob* job = static_cast<ReaderJob*>(parameter);
  InterlockedExchange(&job->stage, kReaderReading);
  DWORD count = 0;
  ReadFile(job->port, job->reply, job->capacity, &count, nullptr);
  if (InterlockedCompareExchange(&job->stage, kReaderDone, kReaderReading) != kReaderReading) {
    // The caller gave up on this read and is about to stop the thread: it
    // waits here, away from the loader lock, until it is stopped.
    for (;;) Sleep(INFINITE);
  }
  job->count = count;
  ExitThread(0);
}

// Stops a worker whose wait ran out. One still starting up, or already past
// its read, is about to reach the read or its end: it gets the moment it
// needs (at most two seconds, then it is stopped all the same). One in its
// read is claimed, gets a last poll interval to settle into the read's wait
// (wine's read path takes a lock of its own on the way in), and is stopped.
void StopReader(HANDLE thread, ReaderJob* job) {
  for (DWORD waited = 0; waited < kReaderSettleLimitMs; waited += kReaderPollMs) {
    const bool claimed =
        InterlockedCompareExchange(&job->stage, kReaderStopping, kReaderReading) == kReaderReading;
    const bool ended = WaitForSingleObject(thread, kReaderPollMs) == WAIT_OBJECT_0;
    if (ended) return;
    if (claimed) break;
  }
  TerminateThread(thread, 0);
  // TerminateThread only starts the end of the thread (wine signals it); the
  // job and the reply live on the caller's stack, so the thread must be gone
  // before the caller returns. A terminated thread always ends.
  WaitForSingleObject(thread, INFINITE);
}

// The cause of the last failed open, per thread, in a Win32 TLS slot: a
// C++ thread_local would be allocated per thread by the MinGW runtime, and
// every probe thread of a scan opens a port.
const DWORD g_OpenErrorSlot = TlsAlloc();

void SetOpenError(PortOpenError cause) {
  TlsSetValue(g_OpenErrorSlot, reinterpret_cast<LPVOID>(static_cast<intptr_t>(cause)));
}

// Why CreateFile refused a port. A COM port that another program holds
// fails with ERROR_ACCESS_DENIED (the serial driver allows one open at a
// time), so on this side "access denied" means "in use", not a missing
// permission. ERROR_BUSY is what wine reports for a device node that Linux
// keeps exclusive.
PortOpenError OpenErrorFromCode(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_BAD_UNIT:
    case ERROR_INVALID_NAME: return kPortMissing;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY: return kPortBusy;
    case ERROR_NOT_SUPPORTED:
    case ERROR_INVALID_FUNCTION:
    case ERROR_DIRECTORY: return kPortNotSerial;
    default: return kPortOpenFailed;
  }
}

// A probe needs little stack (its reply buffer is not on it); a small
// reservation keeps 254 of them from reserving 254 MiB of address space.
constexpr SIZE_T kJobStackBytes = 256 * 1024;

DWORD WINAPI JobThreadMain(LPVOID parameter) {
  const JobStart* start = static_cast<const JobStart*>(parameter);
  start->job(start->context, start->index);
  return 0;
}

}  // namespace

static_assert(sizeof(PortHandle) == sizeof(HANDLE));

bool StartJobThread(const JobStart* start, JobThread* thread) {
  const HANDLE handle = CreateThread(nullptr, kJobStackBytes, JobThreadMain, const_cast<JobStart*>(start),
                                     STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  *thread = reinterpret_cast<JobThread>(handle);
  return handle != nullptr;
}

void JoinJobThread(JobThread thread) {
  const HANDLE handle = reinterpret_cast<HANDLE>(thread);
  WaitForSingleObject(handle, INFINITE);
  CloseHandle(handle);
}

PortHandle OpenModemPort(const char* devicePath) {
  const HANDLE port =
      CreateFileA(devicePath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (port == INVALID_HANDLE_VALUE) {
    SetOpenError(OpenErrorFromCode(GetLastError()));
    return kInvalidPort;
  }
  // A path that leads to a file or another kind of device opens as well;
  // only a device that has a serial line state is a port.
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(port, &dcb)) {
    CloseHandle(port);
    SetOpenError(kPortNotSerial);
    return kInvalidPort;
  }
  SetOpenError(kPortOpened);
  return reinterpret_cast<PortHandle>(port);
}

PortOpenError LastPortOpenError() {
  return static_cast<PortOpenError>(reinterpret_cast<intptr_t>(TlsGetValue(g_OpenErrorSlot)));
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

uint32_t ReadReplyDirect(PortHandle port, char* reply, uint32_t capacity, uint32_t totalBoundMs) {
  DWORD count = 0;
  if (capacity == kReadRequestBytes && totalBoundMs == kReadTotalBoundMs) {
    ReadFile(Handle(port), reply, capacity, &count, nullptr);
    return count;
  }
  // A read that goes on after unsolicited reports: the same 50 ms interval,
  // but the total bound is what is left of the exchange's, so it is set for
  // this read alone and the port's own time-outs come back afterwards.
  COMMTIMEOUTS kept{};
  // Without the port's own time-outs there is nothing to restore them from:
  // zeros would leave every later read without its bound. No further read.
  if (!GetCommTimeouts(Handle(port), &kept)) return 0;
  COMMTIMEOUTS rest = kept;
  rest.ReadTotalTimeoutMultiplier = 0;
  rest.ReadTotalTimeoutConstant = totalBoundMs;
  SetCommTimeouts(Handle(port), &rest);
  ReadFile(Handle(port), reply, capacity, &count, nullptr);
  SetCommTimeouts(Handle(port), &kept);
  return count;
}

uint32_t ReadReplyWithReader(PortHandle port, char* reply, uint32_t capacity, uint32_t timeoutMs) {
  ReaderJob job{Handle(port), reply, capacity, 0, kReaderStarting};
  const HANDLE thread = CreateThread(nullptr, 0, ReplyReaderThread, &job, 0, nullptr);
  if (thread == nullptr) return 0;

  const DWORD waited = WaitForSingleObject(thread, timeoutMs);
  // A worker still running is stopped before this returns, so its read can
  // no longer write into the reply; one that finished is gone anyway.
  if (waited != WAIT_OBJECT_0) StopReader(thread, &job);
  CloseHandle(thread);
  // The count of a read that did not finish in time is not a reply.
  return waited == WAIT_OBJECT_0 ? job.count : 0;
}

void DevicePathFromPortName(const char* portName, char* path, size_t pathSize) {
  std::snprintf(path, pathSize, "\\\\.\\%s", portName != nullptr ? portName : "");
}
