# Cross toolchain: MinGW-w64 for 64-bit Windows, as packaged by Debian
# (g++-mingw-w64-x86-64). Test programs run through wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TOOL_PREFIX x86_64-w64-mingw32)
# Debian ships a -posix and a -win32 thread model. The posix one is used: its
# std::mutex is what GoogleTest needs for the Windows test programs, and
# -static links winpthread in, so no DLL comes with it.
find_program(CMAKE_C_COMPILER NAMES ${TOOL_PREFIX}-gcc-posix ${TOOL_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${TOOL_PREFIX}-g++-posix ${TOOL_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${TOOL_PREFIX}-windres windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${TOOL_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Test programs are Windows executables: ctest starts them through wine,
# wrapped so that they get the project's private wine prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/wine/run-wine)
