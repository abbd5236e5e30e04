// com_port_check N...: exits 1 when one of the COM ports given opens and
// answers a serial request (GetCommState), as a real port would; wine's
// hidden ports open but answer none.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>

int main(int argc, char** argv) {
  int status = 0;
  for (int i = 1; i < argc; ++i) {
    wchar_t name[32];
    std::swprintf(name, 32, L"\\\\.\\COM%d", std::atoi(argv[i]));
    const HANDLE port =
        CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (port == INVALID_HANDLE_VALUE) continue;
    DCB state{};
    state.DCBlength = sizeof state;
    if (GetCommState(port, &state)) {
      std::printf("COM%s answers as a serial port\n", argv[i]);
      status = 1;
    }
    CloseHandle(port);
  }
  return status;
}
