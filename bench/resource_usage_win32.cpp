// Resource usage of a Windows process: handle count, threads (from a
// tool-help snapshot) and the working set.
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include "bench/resource_usage.h"

namespace {

// wine answers GetProcessHandleCount with 0, so the handles are counted in
// the system's handle table (SystemHandleInformation) as well, and the
// larger figure is taken.
struct SystemHandleEntry {
  ULONG ownerPid;
  BYTE objectType;
  BYTE flags;
  USHORT handle;
  PVOID object;
  ACCESS_MASK access;
};
struct SystemHandleTable {
  ULONG count;
  SystemHandleEntry entries[1];
};
using QuerySystemInformation = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

int64_t CountHandlesInSystemTable() {
  const auto query = reinterpret_cast<QuerySystemInformation>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  if (query == nullptr) return -1;
  static BYTE buffer[8 << 20];
  ULONG needed = 0;
  if (query(16 /* SystemHandleInformation */, buffer, sizeof buffer, &needed) != 0) return -1;
  const auto* table = reinterpret_cast<const SystemHandleTable*>(buffer);
  const DWORD self = GetCurrentProcessId();
  int64_t count = 0;
  for (ULONG i = 0; i < table->count; ++i)
    if (table->entries[i].ownerPid == self) ++count;
  return count;
}

int64_t CountThreads() {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  const DWORD self = GetCurrentProcessId();
  int64_t count = 0;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
    if (entry.th32OwnerProcessID == self) ++count;
  CloseHandle(snapshot);
  return count;
}

}  // namespace

ResourceUsage CurrentResourceUsage() {
  DWORD handles = 0;
  GetProcessHandleCount(GetCurrentProcess(), &handles);
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  K32GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
  const int64_t fromTable = CountHandlesInSystemTable();
  const int64_t count = fromTable > static_cast<int64_t>(handles) ? fromTable : static_cast<int64_t>(handles);
  return {count, CountThreads(), static_cast<int64_t>(memory.WorkingSetSize)};
}

int64_t NowMicroseconds() {
  LARGE_INTEGER frequency{}, counter{};
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return counter.QuadPart * 1000000 / frequency.QuadPart;
}
