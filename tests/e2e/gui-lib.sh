# The window tests' harness: a private X display and wine server, brenvaltor.exe with simulated sticks
# on COM links, one ui_probe.exe "serve" reading the controls from inside wine, xdotool for pointer and
# keys, ImageMagick for pixels. Source it after setting EXE, PROBE, MODEM_SIM, PROFILES; call gui_start.
. "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"
. "$(dirname "${BASH_SOURCE[0]}")/../wine/wine-env.sh"
# Wine's ANSI code page follows the locale: 1251 as on a Russian Windows, 1252 with en_US.UTF-8.
export LC_ALL=${BRENVALTOR_GUI_LOCALE:-ru_RU.UTF-8}
for tool in Xvfb xdpyinfo xdotool xclip import convert compare; do
  command -v "$tool" >/dev/null || { echo "$tool is missing"; exit 1; }
done

gui_xvfb_pid="" gui_exe_pid="" gui_probe_pid=""

gui_cleanup() {
  [ -z "$gui_exe_pid" ] || { kill "$gui_exe_pid" && wait "$gui_exe_pid"; } 2>/dev/null
  gui_probe_stop
  e2e_stop_sims
  wine_stop # before Xvfb: the server's desktop process lives on this display
  [ -z "$gui_xvfb_pid" ] || { kill "$gui_xvfb_pid" && wait "$gui_xvfb_pid"; } 2>/dev/null
  rm -rf "$e2e_tmp"
}
trap gui_cleanup EXIT

gui_now_ms() { echo $(($(date +%s%N) / 1000000)); }
gui_ms_since() { echo $(($(gui_now_ms) - $1)); }

# gui_until SECONDS COMMAND...: COMMAND every 0.1 s until it succeeds, or fails after SECONDS.
gui_until() {
  local deadline=$(($(gui_now_ms) + $1 * 1000))
  shift
  until "$@"; do
    [ "$(gui_now_ms)" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}

# gui_start: a private Xvfb (unless DISPLAY works), a fresh wine server on it, and the probe.
gui_start() {
  gui_probe_stop
  if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    # Xvfb writes the number it took once it accepts connections.
    Xvfb -displayfd 8 -screen 0 1280x1024x24 -nolisten tcp 8>"$e2e_tmp/display" >"$e2e_tmp/xvfb.log" 2>&1 &
    gui_xvfb_pid=$!
    gui_until 10 test -s "$e2e_tmp/display" || { echo "Xvfb did not start"; cat "$e2e_tmp/xvfb.log"; exit 1; }
    export DISPLAY=":$(head -n 1 "$e2e_tmp/display")"
  fi
  wine_stop
  wine_start
  gui_probe_start
}
gui_probe_start() {
  rm -f "$e2e_tmp/probe.in" "$e2e_tmp/probe.out"
  mkfifo "$e2e_tmp/probe.in" "$e2e_tmp/probe.out"
  wine "$PROBE" serve <"$e2e_tmp/probe.in" >"$e2e_tmp/probe.out" 2>>"$e2e_tmp/probe.err" &
  gui_probe_pid=$!
  exec 7>"$e2e_tmp/probe.in" 8<"$e2e_tmp/probe.out"
}
# Processes started since hold the pipe too: the server is stopped, not left to see the end of its input.
gui_probe_stop() {
  [ -n "$gui_probe_pid" ] || return 0
  exec 7>&- 8<&-
  kill "$gui_probe_pid" 2>/dev/null
  wait "$gui_probe_pid" 2>/dev/null
  gui_probe_pid=""
}

# probe ARGS: prints the answer and returns the status of `ui_probe ARGS` (less the server's line break).
probe() {
  local line="" answer=""
  echo "$*" >&7
  while IFS= read -r line <&8 && [ "${line#$'\x1e'}" = "$line" ]; do answer+=$line$'\n'; done
  [ "${line#$'\x1e'}" != "$line" ] || { echo "ui_probe serve ended" >>"$e2e_tmp/probe.err"; return 1; }
  printf '%s' "${answer%$'\n'}"
  return "${line#$'\x1e'}"
}

# gui_poll WANT ARGS...: asks until the answer is WANT (5 s: keys, clicks may be on the way); prints it.
gui_probe_is() { gui_got=$(probe "${@:2}"); [ "$gui_got" = "$1" ]; }
gui_poll() {
  gui_until 5 gui_probe_is "$@"
  local status=$?
  printf '%s\n' "$gui_got"
  return $status
}

# gui_wait_text NAME PATTERN: until the control's text matches the grep -E
# pattern (line ends as BEL), at most 8 s; the text is left in $e2e_tmp/text.
gui_text_matches() { probe text "$1" >"$e2e_tmp/text" && tr '\n' '\a' <"$e2e_tmp/text" | grep -Eq "$2"; }
gui_wait_text() { gui_until 8 gui_text_matches "$@"; }

# gui_add_sim PROFILE N: one more sim (a name in $PROFILES or a path), as
# COMn; what it receives goes to $e2e_tmp/comN.log, its pty to $e2e_pty.
gui_add_sim() {
  local profile=$1
  [ "${profile#*/}" != "$profile" ] || profile=$PROFILES/$profile.profile
  e2e_add_sim "$profile"
  # The sim keeps its log open: the renamed file goes on growing.
  mv "$e2e_tmp/sim.log" "$e2e_tmp/com$2.log"
  wine_map_com_port "$2" "$e2e_pty"
}

# gui_launch [alive]: starts the program, waits for its scan; sets gui_ox gui_oy (client origin on the
# screen), gui_cw gui_ch (client size); with alive, gui_alive and gui_alive_status: `probe alive` on the scan.
gui_launch() {
  wine "$EXE" >"$e2e_tmp/exe.out" 2>&1 &
  gui_exe_pid=$!
  if [ "${1:-}" = alive ]; then
    gui_alive=$(probe alive 30)
    gui_alive_status=$?
  fi
  local ready item left top bottom status
  ready=$(probe wait 30)
  status=$?
  # Once, under a full load, the first question failed within 3 s, as when
  # the probe's server is gone: a server found gone is started again, once.
  if [ $status != 0 ] && ! kill -0 "$gui_probe_pid" 2>/dev/null; then
    echo "note: the probe server had ended (status $status); started again"
    gui_probe_stop
    gui_probe_start
    ready=$(probe wait 30)
    status=$?
  fi
  [ $status = 0 ] || {
    echo "the window did not come up (probe status $status)"
    cat "$e2e_tmp/probe.err" "$e2e_tmp/exe.out"
    exit 1
  }
  read -r _ gui_ox gui_oy _ gui_cw gui_ch <<<"$(echo $ready)"
  # Item N's rectangle into gui_row_top[N], gui_row_bottom[N]; gui_list_x: the list's client origin.
  gui_row_top=() gui_row_bottom=()
  probe rows >"$e2e_tmp/rows" || { echo "no list rows"; cat "$e2e_tmp/rows" "$e2e_tmp/probe.err"; }
  while read -r _ item left top _ bottom; do
    gui_row_top[item]=$top gui_row_bottom[item]=$bottom
    [ "$item" = 0 ] && gui_list_x=$left
  done <"$e2e_tmp/rows"
}

# gui_open [alive] PROFILE N ...: the window started with these sticks alone, on COMn each.
gui_open() {
  local alive=""
  [ "${1:-}" = alive ] && { alive=alive; shift; }
  e2e_stop_sims
  wine_clear_com_ports
  while [ $# -ge 2 ]; do gui_add_sim "$1" "$2"; shift 2; done
  gui_launch $alive
}

# gui_close NAME: WM_CLOSE; the process must end with status 0 within 10 s.
gui_close() {
  local status=timeout
  probe close
  gui_until 10 eval '! kill -0 "$gui_exe_pid" 2>/dev/null' && { wait "$gui_exe_pid"; status=$?; }
  gui_exe_pid=""
  e2e_check_status "$1" 0 "$status"
}

# Pointer actions, pixels and rectangles in client coordinates of the main window.
gui_move() { xdotool mousemove $((gui_ox + $1)) $((gui_oy + $2)); }
gui_click() { xdotool mousemove $((gui_ox + $1)) $((gui_oy + $2)) click 1; }

# gui_shot NAME [X Y]: the screen as $e2e_tmp/NAME.png, the pointer moved to X Y first;
# gui_client_shot NAME: its client area alone, with the pointer off every control.
gui_shot() { [ $# -lt 3 ] || gui_move "$2" "$3"; import -window root "$e2e_tmp/$1.png"; }
gui_client_shot() {
  gui_shot full 670 300
  convert "$e2e_tmp/full.png" -crop "${gui_cw}x${gui_ch}+${gui_ox}+${gui_oy}" +repage "$e2e_tmp/$1.png"
}

# gui_pixel SHOT X Y: "R,G,B" of a pixel.
gui_pixel() {
  convert "$e2e_tmp/$1.png" -crop 1x1+$((gui_ox + $2))+$((gui_oy + $3)) +repage \
    -format '%[fx:int(255*r+0.5)],%[fx:int(255*g+0.5)],%[fx:int(255*b+0.5)]' info:
}

# gui_changed SHOT_A SHOT_B X Y W H: how many pixels of a rectangle differ between two shots.
gui_changed() {
  local crop="$5x$6+$((gui_ox + $3))+$((gui_oy + $4))"
  compare -metric AE "$e2e_tmp/$1.png[$crop]" "$e2e_tmp/$2.png[$crop]" null: 2>&1 | cut -d" " -f1
}

# gui_colours SHOT X Y W H: "COUNT R,G,B" for each colour of a rectangle;
# gui_colour_count SHOT X Y W H R,G,B: how many pixels have it.
gui_colours() {
  convert "$e2e_tmp/$1.png" -crop "$4x$5+$((gui_ox + $2))+$((gui_oy + $3))" +repage -format %c histogram:info:- |
    sed -n 's/^ *\([0-9]*\): (\([0-9]*,[0-9]*,[0-9]*\)).*/\1 \2/p' | sort -k2
}
gui_colour_count() {
  gui_colours "$1" "$2" "$3" "$4" "$5" | awk -v c="$6" '$2 == c { n += $1 } END { print n + 0 }'
}

# gui_check_value NAME EXPECTED ACTUAL: like e2e_check, for one value.
gui_check_value() {
  printf '%s\n' "$2" >"$e2e_tmp/want"
  printf '%s\n' "$3" >"$e2e_tmp/out"
  e2e_check "$1" "$e2e_tmp/want" "$e2e_tmp/out"
}

gui_log_size() { stat -c %s "$1" 2>/dev/null || echo 0; }
# gui_sent LOG SIZE: what the sim received past SIZE, CR shown as \r.
gui_sent() { tail -c +$(($2 + 1)) "$1" | sed 's/\r/\\r/g'; }

# gui_click_row ITEM LIST_X: a click on a list item at a list x.
gui_click_row() { gui_click $((gui_list_x + $2)) $(((gui_row_top[$1] + gui_row_bottom[$1]) / 2)); }

# gui_page N: a click on the tab of page N (0 information, 1 terminal), until it shows.
gui_page() { gui_click $((40 + $1 * 100)) 12 && gui_poll "$1" page >/dev/null; }

# gui_wait_idle: until no query or scan runs and the window answers (a terminal exchange holds it).
gui_wait_idle() { probe idle 90 >/dev/null; }

# gui_query LOG [ACTION...]: the query by the button (or ACTION), until LOG grew and the window is
# idle. Sets gui_query_ms, gui_query_sent (what LOG got).
gui_query() {
  local log=$1 size start
  shift
  size=$(gui_log_size "$log")
  start=$(gui_now_ms)
  if [ $# -gt 0 ]; then "$@"; else gui_click 300 40; fi
  gui_until 5 eval '[ "$(gui_log_size "$log")" -gt "$size" ]'
  gui_wait_idle
  gui_query_ms=$(gui_ms_since "$start")
  gui_query_sent=$(gui_sent "$log" "$size")
}

# gui_tick_all: ticks every report row by its box (the toggle row has none).
gui_tick_all() {
  local ticks item
  ticks=$(probe ticks)
  for item in $(seq 0 28); do
    [ "$item" = 8 ] || [ "${ticks:item:1}" = 2 ] || gui_click_row "$item" 10
  done
  gui_poll 22222222122222222222222222222 ticks >/dev/null
}

# gui_copy_report OUT: the copy button; the clipboard's report (LF line ends) in OUT.
gui_copy_report() {
  gui_click 580 40
  probe messagebox >/dev/null
  probe clipboard | tr -d '\r' >"$1"
  probe messagebox ok >/dev/null
}

# gui_pty_holders PTY: the processes of this wine prefix, sims aside, that hold the pty
# (the program, or the wine server on its behalf), also after the device vanished.
gui_pty_holders() {
  find /proc/[0-9]*/fd -maxdepth 1 \( -lname "$1" -o -lname "$1 (deleted)" \) 2>/dev/null | cut -d/ -f3 |
    sort -u | while read -r pid; do
      [[ " ${e2e_sim_pids[*]} " != *" $pid "* ]] &&
        grep -qzxF "WINEPREFIX=$WINEPREFIX" "/proc/$pid/environ" 2>/dev/null && echo "$pid"
    done
}

# gui_fake_browser: wine's winebrowser hands the pages the program opens to the programs
# of the WineBrowser key: from now on each address goes to $e2e_tmp/browser.log.
gui_fake_browser() {
  printf '#!/bin/sh\nprintf "%%s\\n" "$1" >>"%s"\n' "$e2e_tmp/browser.log" >"$e2e_tmp/browser.sh"
  chmod +x "$e2e_tmp/browser.sh"
  : >"$e2e_tmp/browser.log"
  wine reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /d "$e2e_tmp/browser.sh" /f >/dev/null 2>&1
}
