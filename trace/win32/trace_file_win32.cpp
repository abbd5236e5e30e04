// The trace target on Windows. A file: a new file beside the target
// (CREATE_NEW, so nothing that already exists is opened), written, flushed,
// closed and moved over the target with MoveFileExA, which replaces a link
// at the target rather than writing through it. A character device or a
// pipe (NUL, CON, \\.\pipe\...) is opened before the run and written
// straight into; a folder is refused.
#include <windows.h>

#include <cstdio>
#include <string>

#include "base/bounded_text.h"
#include "trace/trace_file.h"

namespace {

// The system's text for the last error, on one line.
bool Fail(DWORD error, char* reason, size_t reasonSize) {
  char text[256] = {};
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                                MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), text, sizeof text, nullptr);
  while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == '.'))
    text[--length] = '\0';
  if (length == 0) std::snprintf(text, sizeof text, "error %lu", static_cast<unsigned long>(error));
  CopyText(reason, reasonSize, text);
  return false;
}

bool Refuse(char* reason, size_t reasonSize, const char* why) {
  CopyText(reason, reasonSize, why);
  return false;
}

HANDLE CreateBeside(const char* path, std::string* tempPath) {
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, ".%lu.tmp", static_cast<unsigned long>(GetCurrentProcessId()));
  *tempPath = std::string(path) + suffix;
  return CreateFileA(tempPath->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                     nullptr);
}

// An existing device or pipe at path, opened for writing; INVALID_HANDLE_VALUE
// for a file, nothing, or anything that cannot be opened so (the file route
// then says why). Opening an existing file without truncating it changes
// nothing in it.
HANDLE OpenIfStraight(const char* path) {
  const HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return file;
  const DWORD type = GetFileType(file);
  if (type == FILE_TYPE_CHAR || type == FILE_TYPE_PIPE) return file;
  CloseHandle(file);
  return INVALID_HANDLE_VALUE;
}

// Everything into an open handle; 0 or the error.
DWORD WriteAll(HANDLE file, const char* bytes, size_t length) {
  while (length > 0) {
    const DWORD chunk = length > 0x10000000 ? 0x10000000 : static_cast<DWORD>(length);
    DWORD written = 0;
    if (!WriteFile(file, bytes, chunk, &written, nullptr) || written == 0)
      return GetLastError() != 0 ? GetLastError() : ERROR_WRITE_FAULT;
    bytes += written;
    length -= written;
  }
  return 0;
}

}  // namespace

bool OpenTraceTarget(const char* path, TraceTarget* target, char* reason, size_t reasonSize) {
  *target = {path, false, 0};
  if (path[0] == '\0') return Refuse(reason, reasonSize, "no file name");
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return Refuse(reason, reasonSize, "it is a folder");
  const HANDLE straight = OpenIfStraight(path);
  if (straight != INVALID_HANDLE_VALUE) {
    target->straight = true;
    target->handle = reinterpret_cast<intptr_t>(straight);
    return true;
  }
  std::string tempPath;
  const HANDLE file = CreateBeside(path, &tempPath);
  if (file == INVALID_HANDLE_VALUE) return Fail(GetLastError(), reason, reasonSize);
  CloseHandle(file);
  DeleteFileA(tempPath.c_str());
  return true;
}

bool WriteTraceTarget(TraceTarget* target, const char* bytes, size_t length, char* reason,
                      size_t reasonSize) {
  if (target->straight) {
    const HANDLE device = reinterpret_cast<HANDLE>(target->handle);
    target->straight = false;
    DWORD error = WriteAll(device, bytes, length);
    if (!CloseHandle(device) && error == 0) error = GetLastError();
    return error == 0 || Fail(error, reason, reasonSize);
  }
  std::string tempPath;
  const HANDLE file = CreateBeside(target->path, &tempPath);
  if (file == INVALID_HANDLE_VALUE) return Fail(GetLastError(), reason, reasonSize);
  DWORD error = WriteAll(file, bytes, length);
  if (error == 0 && !FlushFileBuffers(file)) error = GetLastError();
  if (!CloseHandle(file) && error == 0) error = GetLastError();
  if (error == 0 &&
      !MoveFileExA(tempPath.c_str(), target->path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    error = GetLastError();
  if (error == 0) return true;
  DeleteFileA(tempPath.c_str());
  return Fail(error, reason, reasonSize);
}
