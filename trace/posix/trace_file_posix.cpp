// The trace file on POSIX systems: mkstemp beside the target (mode 0600,
// created exclusively, so no other user's file or link is ever opened),
// write, fsync, close, rename. rename replaces a symbolic link at the
// target with the file and leaves what the link pointed at alone.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

}  // namespace

bool CheckTraceFileCreatable(const char* path, char* reason, size_t reasonSize) {
  std::string tempPath;
  const int fd = CreateBeside(path, &tempPath);
  if (fd < 0) return Fail(reason, reasonSize);
  close(fd);
  unlink(tempPath.c_str());
  return true;
}

bool WriteTraceFile(const char* path, const char* bytes, size_t length, char* reason, size_t reasonSize) {
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
  if (error == 0 && rename(tempPath.c_str(), path) != 0) error = errno;
  if (error == 0) return true;
  unlink(tempPath.c_str());
  errno = error;
  return Fail(reason, reasonSize);
}
