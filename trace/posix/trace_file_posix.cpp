// The trace target on POSIX systems. A file: mkstemp beside the target
// (mode 0600, created exclusively, so no other user's file or link is ever
// opened), write, fsync, close, rename; rename replaces a symbolic link at
// the target with the file and leaves what the link pointed at alone. A
// character device or FIFO, named or reached through a link (/dev/stdout,
// a shell's /dev/fd/63), is opened before the run and written straight
// into: renaming over it would put a regular file where the system's
// /dev/null stood.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/bounded_text.h"
#include "trace/trace_file.h"

namespace {

bool Fail(char* reason, size_t reasonSize) {
  CopyText(reason, reasonSize, std::strerror(errno));
  return false;
}

bool Refuse(char* reason, size_t reasonSize, const char* why) {
  CopyText(reason, reasonSize, why);
  return false;
}

bool IsStraight(mode_t mode) { return S_ISCHR(mode) || S_ISFIFO(mode); }

// Why nothing may be written at a path holding this kind of node; null
// for the kinds that may (a regular file, a device, a pipe).
const char* RefusedKind(mode_t mode) {
  if (S_ISDIR(mode)) return "it is a folder";
  if (S_ISBLK(mode)) return "it is a block device, not a file";
  if (S_ISSOCK(mode)) return "it is a socket, not a file";
  if (S_ISREG(mode) || IsStraight(mode)) return nullptr;
  return "it is not a file";
}

// A new, empty file beside path, readable and writable by its owner only.
int CreateBeside(const char* path, std::string* tempPath) {
  *tempPath = std::string(path) + ".XXXXXX";
  const int fd = mkstemp(tempPath->data());
  if (fd >= 0) fchmod(fd, S_IRUSR | S_IWUSR);
  return fd;
}

bool WriteAll(int fd, const char* bytes, size_t length) {
  while (length > 0) {
    const ssize_t written = write(fd, bytes, length);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    length -= static_cast<size_t>(written);
  }
  return true;
}

// A device is opened without waiting for a carrier (a terminal line), then
// written in blocking mode; a FIFO's open waits for its reader, as a
// shell's redirection does.
bool OpenStraight(const char* path, mode_t mode, TraceTarget* target, char* reason, size_t reasonSize) {
  const int fd = open(path, O_WRONLY | O_NOCTTY | O_CLOEXEC | (S_ISCHR(mode) ? O_NONBLOCK : 0));
  if (fd < 0) return Fail(reason, reasonSize);
  struct stat info {};
  if (fstat(fd, &info) != 0 || !IsStraight(info.st_mode)) {
    close(fd);
    return Refuse(reason, reasonSize, "it changed while it was opened");
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  target->straight = true;
  target->handle = fd;
  return true;
}

bool WriteStraight(TraceTarget* target, const char* bytes, size_t length, char* reason, size_t reasonSize) {
  const int fd = static_cast<int>(target->handle);
  target->straight = false;
  target->handle = -1;
  // A reader that went away is an error to report, not a signal that ends
  // the tool.
  void (*previous)(int) = std::signal(SIGPIPE, SIG_IGN);
  errno = 0;
  int error = WriteAll(fd, bytes, length) ? 0 : (errno != 0 ? errno : EIO);
  std::signal(SIGPIPE, previous);
  if (close(fd) != 0 && error == 0) error = errno;
  if (error == 0) return true;
  errno = error;
  return Fail(reason, reasonSize);
}

}  // namespace

bool OpenTraceTarget(const char* path, TraceTarget* target, char* reason, size_t reasonSize) {
  *target = {path, false, -1};
  if (path[0] == '\0') return Refuse(reason, reasonSize, "no file name");
  struct stat info {};
  if (stat(path, &info) == 0) {
    if (const char* why = RefusedKind(info.st_mode)) return Refuse(reason, reasonSize, why);
    if (IsStraight(info.st_mode)) return OpenStraight(path, info.st_mode, target, reason, reasonSize);
  }
  std::string tempPath;
  const int fd = CreateBeside(path, &tempPath);
  if (fd < 0) return Fail(reason, reasonSize);
  close(fd);
  unlink(tempPath.c_str());
  return true;
}

bool WriteTraceTarget(TraceTarget* target, const char* bytes, size_t length, char* reason,
                      size_t reasonSize) {
  if (target->straight) return WriteStraight(target, bytes, length, reason, reasonSize);
  const char* path = target->path;
  std::string tempPath;
  const int fd = CreateBeside(path, &tempPath);
  if (fd < 0) return Fail(reason, reasonSize);
  int error = 0;
  errno = 0;
  if (!WriteAll(fd, bytes, length))
    error = errno != 0 ? errno : EIO;
  else if (fsync(fd) != 0)
    error = errno;
  if (close(fd) != 0 && error == 0) error = errno;
  // What stands at the path may have changed during the run: only a
  // regular file, a link or nothing is ever renamed over.
  struct stat info {};
  const bool replaceable = lstat(path, &info) != 0 || S_ISREG(info.st_mode) || S_ISLNK(info.st_mode);
  if (error == 0 && !replaceable) {
    unlink(tempPath.c_str());
    return Refuse(reason, reasonSize, "something other than a file came to stand there");
  }
  if (error == 0 && rename(tempPath.c_str(), path) == 0) return true;
  if (error == 0) error = errno;
  unlink(tempPath.c_str());
  errno = error;
  return Fail(reason, reasonSize);
}
