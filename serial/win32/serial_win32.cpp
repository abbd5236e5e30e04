// Win32 serial backend: COM ports opened with CreateFileA, set up with the
// DCB and COMMTIMEOUTS, read on the calling thread; the threads of jobs run
// side by side.
//
// The read rule comes entirely from the time-outs: ReadIntervalTimeout 50
// ends a read 50 ms after the last byte (the interval timer only starts with
// the first byte), and a total time-out bounds a read that sees nothing.
// Each read sets the total time-out it is allowed, so a caller that gives up
// on a silent device after a second gets its read back after a second: no
// thread is ever left waiting in a read, and none has to be stopped.
// (Wine honours both time-outs on a pty the same way.)
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "serial/serial_port.h"

namespace {

HANDLE Handle(PortHandle port) { return reinterpret_cast<HANDLE>(port); }

// The line runs at 9600 baud, 8N1.
constexpr DWORD kLineBaud = 9600;

// The port's time-outs for a read bounded by readBoundMs. Writes are bounded
// by 1 ms per byte plus 50 ms.
COMMTIMEOUTS LineTimeouts(DWORD readBoundMs) {
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = kReadIntervalMs;
  timeouts.ReadTotalTimeoutMultiplier = 0;
  timeouts.ReadTotalTimeoutConstant = readBoundMs;
  timeouts.WriteTotalTimeoutMultiplier = 1;
  timeouts.WriteTotalTimeoutConstant = 50;
  return timeouts;
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
  // A port starts empty. The Windows serial driver empties its queues when
  // a port is opened, wine's does not: without this the tail of a reply
  // that an earlier exchange stopped waiting for would open the next one.
  PurgeComm(port, PURGE_RXCLEAR | PURGE_TXCLEAR);
  return reinterpret_cast<PortHandle>(port);
}

PortOpenError LastPortOpenError() {
  return static_cast<PortOpenError>(reinterpret_cast<intptr_t>(TlsGetValue(g_OpenErrorSlot)));
}

void ConfigureSerialPort(PortHandle port) {
  // The four line fields, and no flow control: a port whose CTS or DSR line
  // stays low would otherwise hold every write and flush. DTR/RTS handling
  // and the special characters stay as the driver has them.
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  GetCommState(Handle(port), &dcb);
  dcb.BaudRate = kLineBaud;
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  dcb.fOutxCtsFlow = FALSE;
  dcb.fOutxDsrFlow = FALSE;
  dcb.fOutX = FALSE;
  dcb.fInX = FALSE;
  SetCommState(Handle(port), &dcb);

  COMMTIMEOUTS timeouts = LineTimeouts(kReadTotalBoundMs);
  SetCommTimeouts(Handle(port), &timeouts);
}

// FlushFileBuffers would wait until the driver has sent every queued byte,
// and the write time-outs do not bound that wait: a stick whose firmware
// hangs or whose USB link stalls stops taking bytes, and the flush, with
// the query or the scan's probe behind it, waits for ever. So the flush
// only watches the output queue drain, for at most as long as a whole
// command line takes at the line's speed plus 50 ms (the write's own
// margin); what is still queued then is dropped, as a write cut short by
// its time-out is. A USB stick takes the bytes at once: the first look
// finds the queue empty. (Wine's flush of a serial port drops the queue at
// once instead of waiting, so only Windows shows the endless wait.)
constexpr DWORD kBitsPerByte = 10;  // start bit, 8 data bits, stop bit
constexpr DWORD LineMs(DWORD bytes) { return (bytes * kBitsPerByte * 1000 + kLineBaud - 1) / kLineBaud; }
constexpr DWORD kFlushBoundMs = LineMs(kCommandLineSize) + 50;

void FlushPort(PortHandle port) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kFlushBoundMs);
  for (;;) {
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(Handle(port), &errors, &status) || status.cbOutQue == 0) return;
    const auto leftMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count();
    if (leftMs <= 0) {
      PurgeComm(Handle(port), PURGE_TXABORT | PURGE_TXCLEAR);
      return;
    }
    // About as long as the queued bytes take on the line, then look again.
    const DWORD queued = std::min<DWORD>(status.cbOutQue, kCommandLineSize);
    Sleep(std::min<DWORD>(LineMs(queued) + 1, static_cast<DWORD>(leftMs)));
  }
}

void ClosePort(PortHandle port) {
  if (port != kInvalidPort) CloseHandle(Handle(port));
}

bool WritePort(PortHandle port, const char* bytes, uint32_t length) {
  // The count written is not examined: a write cut short by the write
  // time-out is still a sent command.
  DWORD written = 0;
  return WriteFile(Handle(port), bytes, length, &written, nullptr) != FALSE;
}

uint32_t ReadReplyWithin(PortHandle port, char* reply, uint32_t capacity, uint32_t boundMs, bool* cut) {
  *cut = false;
  // A total time-out of 0 means none at all: such a read could wait for
  // ever. So could one without its own bound: no read then.
  if (boundMs == 0) return 0;
  COMMTIMEOUTS timeouts = LineTimeouts(boundMs);
  if (!SetCommTimeouts(Handle(port), &timeouts)) return 0;
  const auto start = std::chrono::steady_clock::now();
  DWORD count = 0;
  ReadFile(Handle(port), reply, capacity, &count, nullptr);
  // ReadFile does not say which time-out ended it. The total one runs from
  // inside the call, so a read it ended took boundMs at least by this
  // clock, which starts before it; one that ends by the quiet before that
  // never does (but within the last millisecond, where it counts as cut).
  const auto tookMs =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  *cut = count > 0 && count < capacity && tookMs + 1 >= static_cast<long long>(boundMs);
  return count;
}

uint64_t PortDeviceId(const char*) { return 0; }

void DevicePathFromPortName(const char* portName, char* path, size_t pathSize) {
  std::snprintf(path, pathSize, "\\\\.\\%s", portName != nullptr ? portName : "");
}
