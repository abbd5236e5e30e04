#!/usr/bin/env bash
# The Windows programs run from a bare folder: they may import Windows' own
# DLLs only, never a MinGW runtime (libstdc++, libgcc, libwinpthread), which
# a machine without MinGW does not have.
# Usage: windows_imports.sh OBJDUMP EXE...
set -u
OBJDUMP=$1
shift
. "$(dirname "$0")/e2e-lib.sh"

# Windows' own DLLs: what the programs use today and a few more every Windows has.
allowed=" kernel32.dll user32.dll gdi32.dll gdiplus.dll comctl32.dll msimg32.dll ole32.dll oleaut32.dll "
allowed+="shell32.dll msvcrt.dll advapi32.dll comdlg32.dll shlwapi.dll uxtheme.dll winmm.dll version.dll "
# The stick detection's and the router stick's (xmllite.dll loads when first used).
allowed+="setupapi.dll cfgmgr32.dll iphlpapi.dll winhttp.dll xmllite.dll "

for exe in "$@"; do
  dlls=$("$OBJDUMP" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | tr -d '\r')
  foreign=$(for dll in $dlls; do [[ $allowed == *" $dll "* ]] || echo "$dll"; done)
  name="${exe##*/} imports Windows DLLs only: ${dlls//$'\n'/ }${foreign:+; not theirs: }${foreign//$'\n'/ }"
  [ -n "$dlls" ] && [ -z "$foreign" ]
  e2e_ok "$name"
done
e2e_finish
