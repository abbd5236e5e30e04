# Shell functions for running the Windows programs under wine in the
# project's private prefix, with simulated modems as COM ports.
# Source it; BRENVALTOR_WINEPREFIX overrides the prefix folder.
#
# Wine maps a COM port to whatever its dosdevices/comN link points at, so a
# modem-sim pty can be COM5. Wine's mount manager also links the machine's
# own /dev/ttyS* to COM numbers whenever the wine server starts; the tests
# must never touch real serial ports, so every com link is replaced while a
# persistent server (wineserver -p) keeps the manager from running again.

wine_env_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export WINEPREFIX="${BRENVALTOR_WINEPREFIX:-$(cd "$wine_env_here/../.." && pwd)/build/wineprefix}"
export WINEDEBUG=-all
# No Mono or Gecko install prompts: the programs need neither.
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

# Creates the prefix once (about 15 s), then starts a persistent server.
# Test programs may call this at the same time: a lock keeps one wineboot.
wine_start() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    # The wine processes must not inherit the lock, or the persistent
    # server would hold it for ever.
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      wineboot -i >/dev/null 2>&1 9>&-
      wineserver -w 9>&- || true
      # The window asks for "Arial" and "Times New Roman"; the metric twins
      # from Debian's fonts-liberation carry the Cyrillic glyphs.
      wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /d 'Liberation Sans' /f >/dev/null 2>&1 9>&-
      wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Times New Roman' /d 'Liberation Serif' /f >/dev/null 2>&1 9>&-
      # wine paints its own theme over every program; without a
      # common-controls 6 manifest Windows shows the classic look.
      wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager' /v ThemeActive /d 0 /f >/dev/null 2>&1 9>&-
      wineserver -w 9>&- || true
    fi
    wineserver -p >/dev/null 2>&1 9>&- || true  # fails when it already runs
    # A first program run brings the services (and the mount manager) up;
    # after that no new com link appears while the server lives.
    wine cmd /c exit >/dev/null 2>&1 9>&- || true
    wine_clear_com_ports
  ) 9>"$WINEPREFIX.lock"
}

wine_stop() {
  wineserver -k >/dev/null 2>&1 || true
}

# Removes every COM link, real serial ports included.
wine_clear_com_ports() {
  rm -f "$WINEPREFIX"/dosdevices/com*
}

# wine_map_com_port N DEVICE: COMn now leads to DEVICE (a pty path).
wine_map_com_port() {
  ln -sfn "$2" "$WINEPREFIX/dosdevices/com$1"
}
