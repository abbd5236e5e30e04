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

// The read request of every command, and the read bound a Windows port is
// set up with before an exchange sets its own: 1 ms per requested byte plus
// 50 ms.
constexpr uint32_t kReadRequestBytes = 65535;
constexpr uint32_t kReadIntervalMs = 50;
constexpr uint32_t kReadTotalBoundMs = kReadRequestBytes * 1 + 50;
static_assert(kReadRequestBytes == kTextCapacity);

// How long an answer may take from its first bytes to its end. The longest
// answer of a real stick (ATI, AT^VERSION?, dripping over a slow serial
// bridge) takes well under 5 s; one still coming after this long is a stick
// that babbles (a byte every few ms for ever, an endless line, reports
// alone without end) and gets no more of the exchange's time. With the 2 s
// an answer has to begin, an exchange holds the query at most 9 s.
constexpr uint32_t kAnswerBoundMs = 7000;

bool CommandFitsLine(const char* command);

// How long a modem is given to answer a command: the query's wait for an
// answer to begin, the terminal's for its whole reply and the bench's
// exchanges all use it.
constexpr uint32_t kAnswerWaitMs = 2000;

// How an exchange waits for its reply.
enum ExchangeWait : int32_t {
  // The query and the scan: the answer must begin within timeoutMs of the
  // command (else the command is unanswered); once begun, it is read to its
  // end, the first quiet after its final result code, within kAnswerBoundMs
  // of its first bytes.
  kWaitForAnswer,
  // The terminal: the whole exchange within timeoutMs; a read still going
  // when that runs out is no reply.
  kWaitAtMost,
};

// How an exchange that waits for its answer ended.
enum AnswerOutcome : int32_t {
  kAnswerRead,     // the answer came and ended
  kAnswerMissing,  // nothing but reports and the echo, or nothing, in time
  kAnswerEndless,  // still coming kAnswerBoundMs after its first bytes
};

// Sends command + CR and collects the reply into reply (kTextBufferSize
// bytes; its first 65,535 are zeroed first, so the reply is always a
// terminated text). Returns the number of reply bytes: 0 when nothing
// arrived in time, when the device refused the command (it is gone), or when
// the command does not fit the command line (then nothing is sent).
//
// A read that holds nothing but unsolicited reports, the command's echo and
// blank lines is not the answer: the exchange reads on, appending, until the
// answer comes or the time it may wait for the answer is spent. The reports
// stay in reply.
uint32_t SendAtCommand(PortHandle port, const char* command, ExchangeWait wait, uint32_t timeoutMs,
                       char* reply);

// SendAtCommand with kWaitForAnswer, telling how the exchange ended; the
// reply's length goes to *count. boundMs is the answer bound (normally
// kAnswerBoundMs): how long bytes may go on coming after the first. With
// answerLine, the reply is complete only once it holds a whole line that
// starts with answerLine and a final result code after it (what comes
// before it is read on, however it pauses, within beginByMs of the last
// bytes): the query clears the line so after an answer that came late.
AnswerOutcome SendForAnswer(PortHandle port, const char* command, uint32_t beginByMs, uint32_t boundMs,
                            const char* answerLine, char* reply, uint32_t* count);

// Where the last whole line (ended by CR or LF) of the count bytes of reply
// that starts with prefix begins; nullptr when there is none.
const char* FindWholeLine(const char* reply, uint32_t count, const char* prefix);

// Whether the count bytes of reply, read after command, hold its answer:
// something besides unsolicited reports, the echo and blank lines.
bool ReplyHoldsAnswer(const char* reply, uint32_t count, const char* command);

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

// Jobs run side by side: job(context, 0) .. job(context, count - 1), each
// exactly once, and the call returns once every one has ended. One thread is
// started per job; each takes the next job not yet taken until none is left,
// so when some threads cannot be started the ones that did share their jobs
// (and with none at all, the calling thread runs them). count is at most
// kMaxSideBySideJobs (a larger one is cut to it). The port scan uses this so
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

// 9600 baud, 8 data bits, no parity, one stop bit, no flow control, the
// 50 ms read interval. On Linux the line settings the port had are put back
// when it is closed.
void ConfigureSerialPort(PortHandle port);

// Pushes out anything still waiting to be sent, waiting a bounded time.
void FlushPort(PortHandle port);

// Closes the port, leaving the line as it was found (Linux: exclusive use
// cleared, the saved line settings restored).
void ClosePort(PortHandle port);

// One write of the whole line. False only when the device refused it (it is
// gone); a write cut short by the write time-out still counts as sent.
bool WritePort(PortHandle port, const char* bytes, uint32_t length);

// One read into reply (at most capacity bytes, capacity <= kReadRequestBytes)
// on the calling thread, ended by the read rule: 50 ms of quiet after the
// first byte, capacity bytes, or boundMs after it began, whichever comes
// first; nothing at all in boundMs gives 0. *cut tells whether the bound
// ended a read that had bytes: the reply may still be coming. Nothing is
// written into reply beyond the count returned.
uint32_t ReadReplyWithin(PortHandle port, char* reply, uint32_t capacity, uint32_t boundMs, bool* cut);

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

// A number that is the same for two paths that lead to the same device (a
// link and its target: /dev/modem -> /dev/ttyUSB0), and 0 when the platform
// cannot tell (then only equal paths name the same device).
uint64_t PortDeviceId(const char* devicePath);
