# Shell functions for running the Windows programs under wine, with
# simulated modems as COM ports (a dosdevices/comN link to a pty). Source it.
# Each test has a prefix of its own (BRENVALTOR_WINEPREFIX, or
# build/wineprefix), copied from one booted template.
# Wine's mount manager links the machine's own /dev/ttyS* to the first COM
# numbers whenever a server starts, and the tests must never touch real
# serial ports: wine_start removes every com link once the server is up (the
# persistent server keeps the manager from running again); a test maps its
# ports after it. Hiding the ports in the registry instead makes COM1..COM255
# devices that answer nothing, and the window's scan of them takes minutes.

wine_env_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
wine_build_root="$(cd "$wine_env_here/../.." && pwd)/build"
export WINEPREFIX="${BRENVALTOR_WINEPREFIX:-$wine_build_root/wineprefix}"
wine_template="${BRENVALTOR_WINE_TEMPLATE:-$wine_build_root/wineprefix-template}"
export WINEDEBUG=-all
# No Mono or Gecko install prompts: the programs need neither.
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

# Boots the template once (about 15 s) under a lock, which no wine process
# may inherit (9>&-), or a server would hold it for ever.
wine_make_template() {
  mkdir -p "$(dirname "$wine_template")"
  (
    flock 9
    # A template older than these settings is booted afresh.
    [ "$wine_template.done" -nt "$wine_env_here/wine-env.sh" ] && exit 0
    rm -rf "$wine_template" "$wine_template.done"
    # The window asks for "Arial" and "Times New Roman"; the metric twins
    # from Debian's fonts-liberation carry the Cyrillic glyphs. Wine's
    # visual theme stays on, as on every Windows 10/11.
    cat >"$wine_template.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Arial"="Liberation Sans"
"Times New Roman"="Liberation Serif"
REG
    export WINEPREFIX="$wine_template"
    wineboot -i >/dev/null 2>&1 9>&-
    wine regedit /S "$(winepath -w "$wine_template.reg" 2>/dev/null 9>&-)" >/dev/null 2>&1 9>&-
    wineserver -k 9>&- || true
    wineserver -w 9>&- || true
    # The first boot's links to the machine's ports go with it.
    rm -f "$wine_template"/dosdevices/com*
    touch "$wine_template.done"
  ) 9>"$wine_template.lock"
}

# wine_start: this test's prefix (a copy of the template, made once) and a
# persistent server (wine_stop ends it), no COM link. A first program run
# brings the services and the mount manager up.
wine_start() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wine_make_template
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
      flock 9
      [ -f "$WINEPREFIX/system.reg" ] && exit 0
      rm -rf "$WINEPREFIX.new"
      # Hard links to the 700 MB of programs; own copies of what wine writes.
      cp -al "$wine_template" "$WINEPREFIX.new" || exit 1
      find "$WINEPREFIX.new" -type f \( -name '*.reg' -o -name '*.ini' \) -exec sh -c \
        'for f; do cp -p "$f" "$f.own" && mv -f "$f.own" "$f"; done' sh {} +
      rm -rf "$WINEPREFIX" && mv "$WINEPREFIX.new" "$WINEPREFIX"
    ) 9>"$WINEPREFIX.lock" || return 1
  fi
  wineserver -p >/dev/null 2>&1  # fails when it already runs
  wine cmd /c exit >/dev/null 2>&1
  wine_clear_com_ports
}

wine_stop() {
  wineserver -k >/dev/null 2>&1 || true
}

# wine_stop_prefixes DIR: stops the servers of every prefix in DIR.
wine_stop_prefixes() {
  local prefix
  for prefix in "$1"/*/; do
    [ -f "$prefix/system.reg" ] && WINEPREFIX=${prefix%/} wineserver -k >/dev/null 2>&1
  done
  return 0
}

wine_clear_com_ports() {
  rm -f "$WINEPREFIX"/dosdevices/com*
}

# wine_map_com_port N DEVICE: COMn now leads to DEVICE (a pty path).
wine_map_com_port() {
  ln -sfn "$2" "$WINEPREFIX/dosdevices/com$1"
}
