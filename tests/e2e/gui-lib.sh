# Shared steps of the window tests: a private X display and the wine
# server on it, the program started and closed, ui_probe.exe to read the
# controls from inside wine, xdotool for the pointer and the keyboard, and
# ImageMagick for pixels off screenshots. Source it after setting EXE, PROBE
# and MODEM_SIM; then call gui_start.
. "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"
. "$(dirname "${BASH_SOURCE[0]}")/../wine/wine-env.sh"
# Wine's ANSI code page follows the locale: 1251 as on a Russian Windows by
# default, 1252 as on an English one with BRENVALTOR_GUI_LOCALE=en_US.UTF-8.
# The window must read the same in both.
export LC_ALL=${BRENVALTOR_GUI_LOCALE:-ru_RU.UTF-8}
for tool in Xvfb xdpyinfo xdotool xclip import convert compare; do
  command -v "$tool" >/dev/null || { echo "$tool is missing"; exit 1; }
done

gui_xvfb_pid=""
gui_exe_pid=""
gui_browser_set=no

gui_cleanup() {
  if [ -n "$gui_exe_pid" ] && kill -0 "$gui_exe_pid" 2>/dev/null; then
    kill "$gui_exe_pid" 2>/dev/null
    wait "$gui_exe_pid" 2>/dev/null
  fi
  e2e_stop_sims
  # The prefix is shared: its browser setting goes back to wine's own.
  [ "$gui_browser_set" = yes ] &&
    wine reg delete 'HKCU\Software\Wine\WineBrowser' /v Browsers /f >/dev/null 2>&1
  # The server's desktop process lives on this display; the next user of the
  # prefix starts a new one.
  wine_stop
  if [ -n "$gui_xvfb_pid" ]; then
    kill "$gui_xvfb_pid" 2>/dev/null
    wait "$gui_xvfb_pid" 2>/dev/null
  fi
  rm -rf "$e2e_tmp"
}
trap gui_cleanup EXIT

# gui_start: the display given, or a private Xvfb on the first free display
# number, and a fresh wine server on it.
gui_start() {
  if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    # Xvfb writes the number it took once it accepts connections.
    Xvfb -displayfd 8 -screen 0 1280x1024x24 -nolisten tcp 8>"$e2e_tmp/display" >"$e2e_tmp/xvfb.log" 2>&1 &
    gui_xvfb_pid=$!
    for _ in $(seq 100); do
      [ -s "$e2e_tmp/display" ] && break
      sleep 0.1
    done
    [ -s "$e2e_tmp/display" ] || { echo "Xvfb did not start"; cat "$e2e_tmp/xvfb.log"; exit 1; }
    export DISPLAY=":$(head -n 1 "$e2e_tmp/display")"
  fi

  # A fresh server, so that wine's desktop process (and with it the clipboard
  # shared with X) runs on this display.
  wine_stop
  wine_start
  # Wine themes every program; on Windows a program without a Common Controls 6
  # manifest gets the classic controls, whose tab page takes the window's grey.
  wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager' /v ThemeActive /d 0 /f \
    >/dev/null 2>&1
}

probe() {
  wine "$PROBE" "$@" 2>>"$e2e_tmp/probe.err"
}

# gui_launch [alive]: starts the program and waits for its scan; sets
# gui_ox gui_oy (client origin on the screen) and gui_cw gui_ch (client
# size). With alive, the window is watched answering throughout the scan
# (ui_probe alive): its output in gui_alive, its status in gui_alive_status.
gui_launch() {
  wine "$EXE" >"$e2e_tmp/exe.out" 2>&1 &
  gui_exe_pid=$!
  if [ "${1:-}" = alive ]; then
    gui_alive=$(probe alive 30)
    gui_alive_status=$?
  fi
  local ready
  ready=$(probe wait 30) || { echo "the window did not come up"; cat "$e2e_tmp/probe.err"; exit 1; }
  read -r _ gui_ox gui_oy _ gui_cw gui_ch <<<"$(echo $ready)"
}

# gui_close NAME: WM_CLOSE, then the process must end with status 0.
gui_close() {
  probe close
  local i
  for i in $(seq 100); do
    kill -0 "$gui_exe_pid" 2>/dev/null || break
    sleep 0.1
  done
  local status=timeout
  if ! kill -0 "$gui_exe_pid" 2>/dev/null; then
    wait "$gui_exe_pid"
    status=$?
  fi
  gui_exe_pid=""
  e2e_check_status "$1" 0 "$status"
}

# Pointer actions in client coordinates of the main window.
gui_move() { xdotool mousemove $((gui_ox + $1)) $((gui_oy + $2)); }
gui_click() { xdotool mousemove $((gui_ox + $1)) $((gui_oy + $2)) click 1; }

gui_shot() { import -window root "$1"; }

# gui_pixel SHOT X Y: "R,G,B" of a client pixel.
gui_pixel() {
  convert "$1" -crop 1x1+$((gui_ox + $2))+$((gui_oy + $3)) +repage \
    -format '%[fx:int(255*r+0.5)],%[fx:int(255*g+0.5)],%[fx:int(255*b+0.5)]' info:
}

# gui_changed SHOT_A SHOT_B X Y W H: how many pixels of a client rectangle
# differ between two screenshots.
gui_changed() {
  local crop="$5x$6+$((gui_ox + $3))+$((gui_oy + $4))"
  compare -metric AE "$1[$crop]" "$2[$crop]" null: 2>&1 | cut -d" " -f1
}

# gui_check_value NAME EXPECTED ACTUAL: like e2e_check, for one value.
gui_check_value() {
  printf '%s\n' "$2" >"$e2e_tmp/want"
  printf '%s\n' "$3" >"$e2e_tmp/out"
  e2e_check "$1" "$e2e_tmp/want" "$e2e_tmp/out"
}

# gui_poll EXPECTED ARGS...: runs the probe with ARGS until it prints
# EXPECTED or 4 s pass; prints the last output. Input from xdotool may still
# be on its way when the probe asks.
gui_poll() {
  local want=$1 got i
  shift
  for i in $(seq 20); do
    got=$(probe "$@")
    [ "$got" = "$want" ] && break
    sleep 0.2
  done
  printf '%s\n' "$got"
}

# gui_wait_text NAME PATTERN: polls the control's text until it matches (a
# grep -E pattern over the whole text) or 8 s pass; the text ends up in
# $e2e_tmp/text.
gui_wait_text() {
  local i
  for i in $(seq 40); do
    probe text "$1" >"$e2e_tmp/text"
    tr '\n' '\a' <"$e2e_tmp/text" | grep -Eq "$2" && return 0
    sleep 0.2
  done
  return 1
}

# --- Helpers of the longer scenarios ------------------------------------------

gui_ms_since() { echo $(( ($(date +%s%N) - $1) / 1000000 )); }

# gui_add_sim PROFILE N: one more sim, as COMn; the bytes it receives go to
# $e2e_tmp/comN.log, its pty path to $e2e_pty.
gui_add_sim() {
  e2e_add_sim "$1"
  # The sim keeps its log open: the renamed file goes on growing.
  mv "$e2e_tmp/sim.log" "$e2e_tmp/com$2.log"
  wine_map_com_port "$2" "$e2e_pty"
}

gui_log_size() { stat -c %s "$1" 2>/dev/null || echo 0; }

# gui_read_rows: the list items' rectangles (client coordinates) into
# gui_row_top[N] and gui_row_bottom[N]; gui_list_x is the list's client
# origin, so list x = client x - gui_list_x.
gui_read_rows() {
  probe rows >"$e2e_tmp/rows" || { echo "no list rows"; exit 1; }
  gui_row_top=()
  gui_row_bottom=()
  local item left top bottom
  while read -r _ item left top _ bottom; do
    gui_row_top[item]=$top
    gui_row_bottom[item]=$bottom
    [ "$item" = 0 ] && gui_list_x=$left
  done <"$e2e_tmp/rows"
}

# gui_click_row ITEM LIST_X: a click on a list item at a list x.
gui_click_row() {
  gui_click $((gui_list_x + $2)) $(((gui_row_top[$1] + gui_row_bottom[$1]) / 2))
}

# gui_colour_count SHOT X Y W H R,G,B: how many pixels of a client
# rectangle have exactly that colour.
gui_colour_count() {
  local count
  count=$(convert "$1" -crop "$4x$5+$((gui_ox + $2))+$((gui_oy + $3))" +repage -format %c histogram:info:- |
          grep -F " ($6) " | awk '{ sum += $1 } END { print sum + 0 }')
  echo "${count:-0}"
}

# gui_colours SHOT X Y W H: the distinct colours of a client rectangle, one
# "R,G,B" a line.
gui_colours() {
  convert "$1" -crop "$4x$5+$((gui_ox + $2))+$((gui_oy + $3))" +repage -format %c histogram:info:- |
    sed -n 's/^ *[0-9]*: (\([0-9]*,[0-9]*,[0-9]*\)).*/\1/p' | sort
}

# gui_wait_idle [SECONDS]: waits until no query or scan runs and the
# window's thread answers (a terminal exchange holds it); prints the page
# number. Fails after SECONDS (default 90: an answer that has begun may take
# its time).
gui_wait_idle() {
  probe idle "${1:-90}" || return 1
  probe page
}

# gui_query LOG: clicks the query button and waits until the query has run:
# its first command reaches the sim (LOG grows), then the query is over.
# Sets gui_query_ms, from the click until then.
gui_query() {
  local size start
  size=$(gui_log_size "$1")
  start=$(date +%s%N)
  gui_click 300 40
  for _ in $(seq 100); do
    [ "$(gui_log_size "$1")" -gt "$size" ] && break
    sleep 0.05
  done
  gui_wait_idle >/dev/null
  gui_query_ms=$(gui_ms_since "$start")
}

# gui_tick_all: ticks every report row by its box (the toggle row has none)
# and waits until the list shows them all ticked.
gui_tick_all() {
  local ticks item
  ticks=$(probe ticks)
  for item in $(seq 0 28); do
    [ "$item" = 8 ] || [ "${ticks:item:1}" = 2 ] || gui_click_row "$item" 10
  done
  gui_poll 22222222122222222222222222222 ticks >/dev/null
}

# gui_copy_report OUT: the copy button, the report as it reaches the
# clipboard (LF line ends) in OUT, the message box answered.
gui_copy_report() {
  gui_click 580 40
  probe messagebox >/dev/null
  probe clipboard | tr -d '\r' >"$1"
  probe messagebox ok >/dev/null
}

# gui_pty_holders PTY: the processes of this wine prefix, sims aside, that
# hold the pty open (the program, or the wine server on its behalf), also
# after the device vanished.
gui_pty_holders() {
  local pid sim skip
  find /proc/[0-9]*/fd -maxdepth 1 \( -lname "$1" -o -lname "$1 (deleted)" \) 2>/dev/null |
    cut -d/ -f3 | sort -u | while read -r pid; do
      skip=no
      for sim in "${e2e_sim_pids[@]}"; do [ "$pid" = "$sim" ] && skip=yes; done
      [ "$skip" = no ] && tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" &&
        echo "$pid"
    done
}

# gui_fake_browser: the program opens web pages through the shell; wine's
# winebrowser hands them to the programs of the WineBrowser key. Each
# address opened from now on is appended to $e2e_tmp/browser.log.
gui_fake_browser() {
  printf '#!/bin/sh\nprintf "%%s\\n" "$1" >>"%s"\n' "$e2e_tmp/browser.log" >"$e2e_tmp/browser.sh"
  chmod +x "$e2e_tmp/browser.sh"
  : >"$e2e_tmp/browser.log"
  gui_browser_set=yes
  wine reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /d "$e2e_tmp/browser.sh" /f >/dev/null 2>&1
}
