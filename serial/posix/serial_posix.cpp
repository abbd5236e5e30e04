// POSIX serial backend (Linux): the same line settings and read rule as the
// Win32 port layer, built from termios and poll(); jobs side by side on
// POSIX threads.
//
// Windows ends a serial read by its COMMTIMEOUTS: 50 ms of quiet after the
// first byte, the full request, or the total bound a read is given.
// termios has no such timer (VTIME counts tenths of a second and has no total
// bound), so the rule is kept here by hand with poll() on a non-blocking
// descriptor and a monotonic clock.
//
// The line is left as it was found: the settings the port had are saved when
// it is opened and put back, and its exclusive use cleared, when it is
// closed. A second run (or another program) then finds the port as the
// first did.
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "serial/serial_port.h"

namespace {

int64_t NowMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

int Descriptor(PortHandle port) { return static_cast<int>(port); }

// Reads into reply (at most capacity bytes) until the read rule ends the
// read: 50 ms of quiet after the first byte, capacity bytes, or boundMs after
// it began. Returns the count; *cut tells whether the bound ended it with
// bytes in hand. The device going away (a USB stick pulled out, a pty
// closed) ends the read at once with what came so far.
uint32_t ReadByRule(int fd, char* reply, uint32_t capacity, uint32_t boundMs, bool* cut) {
  const int64_t boundEndMs = NowMs() + boundMs;
  int64_t lastByteMs = 0;
  uint32_t count = 0;
  *cut = false;
  while (count < capacity) {
    const int64_t nowMs = NowMs();
    const bool quietFirst = count > 0 && lastByteMs + kReadIntervalMs < boundEndMs;
    const int64_t endMs = quietFirst ? lastByteMs + kReadIntervalMs : boundEndMs;
    if (nowMs >= endMs) {
      *cut = count > 0 && !quietFirst;
      return count;
    }
    pollfd pfd{fd, POLLIN, 0};
    const int ready = poll(&pfd, 1, static_cast<int>(endMs - nowMs));
    if (ready < 0) {
      if (errno == EINTR) continue;
      return count;
    }
    if (ready == 0) continue;  // the loop head decides which bound ran out
    const ssize_t got = read(fd, reply + count, capacity - count);
    if (got > 0) {
      count += static_cast<uint32_t>(got);
      lastByteMs = NowMs();
      continue;
    }
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    return count;  // end of file or an error: the device is gone
  }
  return count;
}

// The line settings of every open port, as they were before it was set up,
// by descriptor: ClosePort puts them back. Probes open ports side by side,
// hence the lock; at most one port per probe and one more are open at once.
struct SavedLine {
  bool used;
  int fd;
  termios settings;
};
constexpr int kMaxSavedLines = kMaxSideBySideJobs + 2;
SavedLine g_SavedLines[kMaxSavedLines];
pthread_mutex_t g_SavedLinesLock = PTHREAD_MUTEX_INITIALIZER;

bool SaveLine(int fd, const termios& settings) {
  pthread_mutex_lock(&g_SavedLinesLock);
  bool saved = false;
  for (SavedLine& line : g_SavedLines) {
    if (line.used) continue;
    line = {true, fd, settings};
    saved = true;
    break;
  }
  pthread_mutex_unlock(&g_SavedLinesLock);
  return saved;
}

// Takes the saved settings of fd out of the table; false when there are none.
bool TakeSavedLine(int fd, termios* settings) {
  pthread_mutex_lock(&g_SavedLinesLock);
  bool found = false;
  for (SavedLine& line : g_SavedLines) {
    if (!line.used || line.fd != fd) continue;
    *settings = line.settings;
    line.used = false;
    found = true;
    break;
  }
  pthread_mutex_unlock(&g_SavedLinesLock);
  return found;
}

thread_local PortOpenError t_LastOpenError = kPortOpened;

PortOpenError OpenErrorFromErrno(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ENXIO:
    case ENODEV: return kPortMissing;
    case EACCES:
    case EPERM: return kPortDenied;
    // A port another program opened with TIOCEXCL refuses further opens.
    case EBUSY: return kPortBusy;
    case EISDIR: return kPortNotSerial;
    default: return kPortOpenFailed;
  }
}

PortHandle FailOpen(int fd, PortOpenError cause) {
  if (fd >= 0) close(fd);
  t_LastOpenError = cause;
  return kInvalidPort;
}

// A probe needs little stack (its reply buffer is not on it): 256 KiB
// instead of the default 8 MiB per thread.
constexpr size_t kJobStackBytes = 256 * 1024;

void* JobThreadMain(void* parameter) {
  const JobStart* start = static_cast<const JobStart*>(parameter);
  start->job(start->context, start->index);
  return nullptr;
}

}  // namespace

PortOpenError LastPortOpenError() { return t_LastOpenError; }

bool StartJobThread(const JobStart* start, JobThread* thread) {
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, kJobStackBytes);
  pthread_t handle{};
  const bool started = pthread_create(&handle, &attributes, JobThreadMain, const_cast<JobStart*>(start)) == 0;
  pthread_attr_destroy(&attributes);
  *thread = static_cast<JobThread>(handle);
  return started;
}

void JoinJobThread(JobThread thread) { pthread_join(static_cast<pthread_t>(thread), nullptr); }

PortHandle OpenModemPort(const char* devicePath) {
  if (devicePath == nullptr || devicePath[0] == '\0') return FailOpen(-1, kPortMissing);
  // O_NONBLOCK: open() must not wait for a carrier, and reads are paced by
  // poll() anyway. O_NOCTTY: a modem must never become our controlling tty.
  const int fd = open(devicePath, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return FailOpen(-1, OpenErrorFromErrno(errno));
  // Only serial devices; a file or a directory is "no such port".
  if (!isatty(fd)) return FailOpen(fd, kPortNotSerial);
  // Exclusive use, as Windows gives with share mode 0: an advisory lock that
  // other instances of this tool honour, and TIOCEXCL, which stops further
  // opens by other programs (root excepted, hence the lock as well).
  // ClosePort clears TIOCEXCL again: the flag stays on the device, and
  // would refuse the next run.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0)
    return FailOpen(fd, errno == EWOULDBLOCK ? kPortBusy : kPortOpenFailed);
  termios found{};
  if (tcgetattr(fd, &found) != 0) return FailOpen(fd, kPortNotSerial);
  if (!SaveLine(fd, found)) return FailOpen(fd, kPortOpenFailed);
  if (ioctl(fd, TIOCEXCL) != 0) {
    TakeSavedLine(fd, &found);
    return FailOpen(fd, kPortOpenFailed);
  }
  t_LastOpenError = kPortOpened;
  // A port starts empty, as a COM port does when it is opened. A Linux tty
  // drops its input queue only at the last close, and a device that another
  // process also holds open (a simulated modem keeps its own end) would hand
  // us the unread tail of an abandoned reply. This is the only purge: bytes
  // that arrive between commands on the open port stay queued for the next
  // read.
  tcflush(fd, TCIFLUSH);
  return fd;
}

void ConfigureSerialPort(PortHandle port) {
  const int fd = Descriptor(port);
  termios tio{};
  if (tcgetattr(fd, &tio) != 0) return;
  // Raw bytes both ways: Windows never translates line ends or interprets
  // control characters on a COM port, so none of that may happen here. That
  // includes XON/XOFF: a fresh Linux tty has IXON on, which would swallow
  // 0x11 and 0x13 from the modem and let an XOFF stop our output. No
  // hardware flow control either: with CRTSCTS on and CTS low, nothing
  // would ever be sent.
  tio.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON |
                                        IXOFF | IXANY);
  tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  tio.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  // 8 data bits, no parity, one stop bit.
  tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
  tio.c_cflag |= CS8 | CREAD;
  // Windows reads a COM port whatever the carrier line says; without CLOCAL
  // a dropped DCD would end every read here.
  tio.c_cflag |= CLOCAL;
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  cfsetispeed(&tio, B9600);
  cfsetospeed(&tio, B9600);
  tcsetattr(fd, TCSANOW, &tio);
}

// tcdrain() would wait until the line has sent everything, for ever when
// something holds the line. The wait here is bounded like a write of a whole
// command line (1 ms per byte plus 50 ms); what is still queued then is
// dropped.
void FlushPort(PortHandle port) {
  const int fd = Descriptor(port);
  const int64_t endMs = NowMs() + static_cast<int64_t>(kCommandLineSize) + 50;
  for (;;) {
    int queued = 0;
    if (ioctl(fd, TIOCOUTQ, &queued) != 0 || queued <= 0) return;
    if (NowMs() >= endMs) {
      tcflush(fd, TCOFLUSH);
      return;
    }
    poll(nullptr, 0, 1);
  }
}

void ClosePort(PortHandle port) {
  if (port == kInvalidPort) return;
  const int fd = Descriptor(port);
  termios found{};
  if (TakeSavedLine(fd, &found)) tcsetattr(fd, TCSANOW, &found);
  ioctl(fd, TIOCNXCL);
  close(fd);
}

bool WritePort(PortHandle port, const char* bytes, uint32_t length) {
  // Bounded like the Windows write: 1 ms per byte plus 50 ms.
  const int fd = Descriptor(port);
  const int64_t endMs = NowMs() + length + 50;
  uint32_t sent = 0;
  while (sent < length) {
    const ssize_t put = write(fd, bytes + sent, length - sent);
    if (put > 0) {
      sent += static_cast<uint32_t>(put);
      continue;
    }
    if (put < 0 && errno == EINTR) continue;
    if (put < 0 && errno != EAGAIN) return false;  // EIO: the device is gone
    const int64_t leftMs = endMs - NowMs();
    if (leftMs <= 0) return true;
    pollfd pfd{fd, POLLOUT, 0};
    if (poll(&pfd, 1, static_cast<int>(leftMs)) <= 0) return true;
  }
  return true;
}

uint32_t ReadReplyWithin(PortHandle port, char* reply, uint32_t capacity, uint32_t boundMs, bool* cut) {
  return ReadByRule(Descriptor(port), reply, capacity, boundMs, cut);
}

uint64_t PortDeviceId(const char* devicePath) {
  // stat() follows links, so a link and its target give the same device
  // number.
  struct stat found {};
  if (devicePath == nullptr || stat(devicePath, &found) != 0 || !S_ISCHR(found.st_mode)) return 0;
  return static_cast<uint64_t>(found.st_rdev) + 1;
}

void DevicePathFromPortName(const char* portName, char* path, size_t pathSize) {
  std::snprintf(path, pathSize, "%s", portName != nullptr ? portName : "");
}
