// The AT exchange with a modem behind a serial port: naming and opening a
// port, its line settings, sending one command and collecting its reply.
//
// SendAtCommand and the port-name helpers are shared code; the calls below
// "Platform layer" are implemented once per platform (win32/, posix/).
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/app_state.h"

// A serial port as the platform layer hands it out: a Win32 HANDLE or a
// POSIX file descriptor, widened to a pointer-sized integer. -1 is both
// INVALID_HANDLE_VALUE and the failed open() result.
using PortHandle = intptr_t;
constexpr PortHandle kInvalidPort = -1;

// A command travels as its text, one carriage return and a terminating zero
// in a 256-byte line, so it may be at most 254 characters long.
constexpr size_t kCommandLineSize = 256;
constexpr size_t kMaxCommandLength = kCommandLineSize - 2;

// The read request of every command, and the bound of a read that sees no
// byte at all: 1 ms per requested byte plus 50 ms.
constexpr uint32_t kReadRequestBytes = 65535;
constexpr uint32_t kReadIntervalMs = 50;
constexpr uint32_t kReadTotalBoundMs = kReadRequestBytes * 1 + 50;
static_assert(kReadRequestBytes == kTextCapacity);

bool CommandFitsLine(const char* command);

// Sends command + CR and collects the reply into reply (kTextBufferSize
// bytes; its first 65,535 are zeroed first, so the reply is always a
// terminated text). Returns the number of reply bytes, 0 when nothing
// arrived, when the reader-thread wait of timeoutMs ran out, or when the
// command does not fit the command line (then nothing is sent). timeoutMs
// applies to reader-thread mode only.
//
// A read that holds nothing but the vendor's unsolicited reports is not the
// answer: the exchange reads on, appending, until the answer comes or its
// own bound is spent (timeoutMs from the start in reader-thread mode, the
// total read bound from the start otherwise). The reports stay in reply.
uint32_t SendAtCommand(PortHandle port, const char* command, bool useReaderThread, uint32_t timeoutMs,
                       char* reply);

// Every exchange starts so: the port opened, its line set up, and anything
// still waiting to be sent pushed out. kInvalidPort when it does not open;
// the caller closes the port with ClosePort.
PortHandle OpenConfiguredPort(const char* devicePath);

// The device path of the port named in a modem selector entry
// "MODEL (COMn)": "\\.\COMn". An entry without "(COM" gives "\\.\", which
// cannot be opened. pathSize is normally 256.
void PortPathFromEntry(const char* entryText, char* path, size_t pathSize);

// The device path the platform opens for a port name the user typed:
// COM7 -> \\.\COM7 on Windows; on Linux the name is already a device path.
void DevicePathFromPortName(const char* portName, char* path, size_t pathSize);

// Jobs run side by side: job(context, 0) .. job(context, count - 1), each on
// a thread of its own, and the call returns once every one has ended. count
// is at most kMaxSideBySideJobs (a larger one is cut to it). A job whose
// thread cannot be started runs on the calling thread after the others have
// been started, so every job runs exactly once. The port scan uses this so
// that silent ports cost their waits at the same time, not one after the
// other.
constexpr int32_t kMaxSideBySideJobs = 254;
using SideBySideJob = void (*)(void* context, int32_t index);
void RunSideBySide(SideBySideJob job, void* context, int32_t count);

// --- Platform layer ------------------------------------------------------

// Why the last OpenModemPort on this thread failed.
enum PortOpenError : int32_t {
  kPortOpened,      // the last open worked
  kPortMissing,     // no such device
  kPortNotSerial,   // something is there, but not a serial port
  kPortDenied,      // no permission to open it
  kPortBusy,        // another program holds it
  kPortOpenFailed,  // any other cause
};

// Opens the port for exclusive reading and writing. kInvalidPort when it
// does not exist, is not a serial device, or is in use; LastPortOpenError
// then tells which.
PortHandle OpenModemPort(const char* devicePath);

// The cause of the calling thread's last failed OpenModemPort (kPortOpened
// after one that worked). Kept per thread: probes open ports side by side.
PortOpenError LastPortOpenError();

// 9600 baud, 8 data bits, no parity, one stop bit, the 50 ms read interval;
// everything else about the line is kept as the port had it.
void ConfigureSerialPort(PortHandle port);

// Pushes out anything still waiting to be sent (FlushFileBuffers).
void FlushPort(PortHandle port);

void ClosePort(PortHandle port);

// One write of the whole line. False only when the device refused it (it is
// gone); a write cut short by the write time-out still counts as sent.
bool WritePort(PortHandle port, const char* bytes, uint32_t length);

// One read into reply (at most capacity bytes, capacity <= kReadRequestBytes)
// on the calling thread, ended by the read rule: 50 ms of quiet after the
// first byte, capacity bytes, or totalBoundMs after it began (the first read
// of an exchange gets kReadTotalBoundMs, as the COMMTIMEOUTS give it; a
// read that goes on after unsolicited reports gets what is left of it).
uint32_t ReadReplyDirect(PortHandle port, char* reply, uint32_t capacity, uint32_t totalBoundMs);

// The same read (with the kReadTotalBoundMs bound), but the caller waits at
// most timeoutMs for it; a read that has not ended by then counts as no
// reply (0) and has written nothing more into reply once this returns.
uint32_t ReadReplyWithReader(PortHandle port, char* reply, uint32_t capacity, uint32_t timeoutMs);

// One job of RunSideBySide, as its thread sees it.
struct JobStart {
  SideBySideJob job;
  void* context;
  int32_t index;
};

// A started job's thread: a Win32 HANDLE or a pthread_t.
using JobThread = uintptr_t;

// Starts start->job(start->context, start->index) on a thread of its own,
// with a small stack (a job keeps its buffers elsewhere). False when no
// thread could be started.
bool StartJobThread(const JobStart* start, JobThread* thread);

// Waits until a started job's thread has ended, and releases it.
void JoinJobThread(JobThread thread);
