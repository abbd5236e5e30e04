// The trace file on Windows: a new file beside the target (CREATE_NEW, so
// nothing that already exists is opened), written, flushed, closed and
// moved over the target with MoveFileExA, which replaces a link at the
// target rather than writing through it.
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

HANDLE CreateBeside(const char* path, std::string* tempPath) {
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, ".%lu.tmp", static_cast<unsigned long>(GetCurrentProcessId()));
  *tempPath = std::string(path) + suffix;
  return CreateFileA(tempPath->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                     nullptr);
}

}  // namespace

bool CheckTraceFileCreatable(const char* path, char* reason, size_t reasonSize) {
  std::string tempPath;
  const HANDLE file = CreateBeside(path, &tempPath);
  if (file == INVALID_HANDLE_VALUE) return Fail(GetLastError(), reason, reasonSize);
  CloseHandle(file);
  DeleteFileA(tempPath.c_str());
  return true;
}

bool WriteTraceFile(const char* path, const char* bytes, size_t length, char* reason, size_t reasonSize) {
  std::string tempPath;
  const HANDLE file = CreateBeside(path, &tempPath);
  if (file == INVALID_HANDLE_VALUE) return Fail(GetLastError(), reason, reasonSize);
  DWORD error = 0;
  while (length > 0 && error == 0) {
    const DWORD chunk = length > 0x10000000 ? 0x10000000 : static_cast<DWORD>(length);
    DWORD written = 0;
    if (!WriteFile(file, bytes, chunk, &written, nullptr) || written == 0) {
      error = GetLastError() != 0 ? GetLastError() : ERROR_WRITE_FAULT;
      break;
    }
    bytes += written;
    length -= written;
  }
  if (error == 0 && !FlushFileBuffers(file)) error = GetLastError();
  if (!CloseHandle(file) && error == 0) error = GetLastError();
  if (error == 0 && !MoveFileExA(tempPath.c_str(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    error = GetLastError();
  if (error == 0) return true;
  DeleteFileA(tempPath.c_str());
  return Fail(error, reason, reasonSize);
}
