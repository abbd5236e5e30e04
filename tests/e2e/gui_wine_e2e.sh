#!/usr/bin/env bash
# The real window, brenvaltor.exe, under wine on an X display with modem-sim
# ptys as COM ports: xdotool clicks and types like a user, ui_probe.exe reads
# the controls from inside wine, xclip reads the clipboard and ImageMagick
# reads pixels off screenshots. Covers the port scan as the selector shows
# it, query and copy with their message box, the page's drawing and the
# buttons' hover highlight, the terminal page, and a clean exit on close.
# Usage: gui_wine_e2e.sh BRENVALTOR_EXE UI_PROBE_EXE MODEM_SIM PROFILE_DIR EXPECTED_DIR
set -u
EXE=$1 PROBE=$2 MODEM_SIM=$3 PROFILES=$4 EXPECTED=$5
. "$(dirname "$0")/e2e-lib.sh"
. "$(dirname "$0")/../wine/wine-env.sh"
# Wine's ANSI code page follows the locale: 1251, as on a Russian Windows.
export LC_ALL=ru_RU.UTF-8
for tool in Xvfb xdpyinfo xdotool xclip import convert compare; do
  command -v "$tool" >/dev/null || { echo "$tool is missing"; exit 1; }
done

gui_xvfb_pid=""
gui_exe_pid=""

gui_cleanup() {
  if [ -n "$gui_exe_pid" ] && kill -0 "$gui_exe_pid" 2>/dev/null; then
    kill "$gui_exe_pid" 2>/dev/null
    wait "$gui_exe_pid" 2>/dev/null
  fi
  e2e_stop_sims
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

# The display given, or a private Xvfb on the first free display number.
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

probe() {
  wine "$PROBE" "$@" 2>>"$e2e_tmp/probe.err"
}

# gui_launch: starts the program and waits for its scan; sets gui_ox gui_oy
# (client origin on the screen) and gui_cw gui_ch (client size).
gui_launch() {
  wine "$EXE" >"$e2e_tmp/exe.out" 2>&1 &
  gui_exe_pid=$!
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

# Blue minus red of an "R,G,B" pixel: the highlight raises it.
gui_blueness() {
  local r g b
  IFS=, read -r r g b <<<"$1"
  echo $((b - r))
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

# --- Two modems: e1550 on COM5, e3372 on COM12 ------------------------------

e2e_start_sim "$PROFILES/e1550.profile"; wine_map_com_port 5 "$e2e_pty"
e2e_add_sim "$PROFILES/e3372.profile"; wine_map_com_port 12 "$e2e_pty"
gui_launch

probe entries >"$e2e_tmp/out"
printf 'E1550 (COM5)\nE3372 (COM12)\nselected -1\n' >"$e2e_tmp/want"
e2e_check "start-up: one entry per modem in port order, none selected" "$e2e_tmp/want" "$e2e_tmp/out"

probe ticks >"$e2e_tmp/out"
printf '22222222111111111111111111111\n' >"$e2e_tmp/want"
e2e_check "start-up: 29 list items, the 8 main rows ticked" "$e2e_tmp/want" "$e2e_tmp/out"

# The page as drawn, pointer off the buttons.
gui_move 495 45
gui_shot "$e2e_tmp/plain.png"
gui_check_value "drawing: empty page background is RGB(240,240,240)" 240,240,240 \
  "$(gui_pixel "$e2e_tmp/plain.png" 495 45)"
gui_check_value "drawing: upper rule (y 65) is RGB(200,200,200)" 200,200,200 \
  "$(gui_pixel "$e2e_tmp/plain.png" 300 65)"
gui_check_value "drawing: lower rule (y $((gui_ch - 30))) is RGB(200,200,200)" 200,200,200 \
  "$(gui_pixel "$e2e_tmp/plain.png" 300 $((gui_ch - 30)))"

# Hover on the query button (face 260..459 x 32..55): face and a 3-pixel
# margin turn bluer, nothing around them changes, further moves inside blend
# nothing more, and leaving restores the pixels exactly.
face_before=$(gui_pixel "$e2e_tmp/plain.png" 264 35)
corner_before=$(gui_pixel "$e2e_tmp/plain.png" 257 29)
gui_move 300 40
for _ in $(seq 20); do
  gui_shot "$e2e_tmp/hover.png"
  [ "$(gui_pixel "$e2e_tmp/hover.png" 264 35)" != "$face_before" ] && break
  sleep 0.1
done
face_hover=$(gui_pixel "$e2e_tmp/hover.png" 264 35)
corner_hover=$(gui_pixel "$e2e_tmp/hover.png" 257 29)
[ "$(gui_blueness "$face_hover")" -gt "$(gui_blueness "$face_before")" ]
e2e_check_status "hover: the face turns bluer ($face_before -> $face_hover)" 0 $?
[ "$(gui_blueness "$corner_hover")" -gt "$(gui_blueness "$corner_before")" ]
e2e_check_status "hover: the margin's outer corner turns bluer ($corner_before -> $corner_hover)" 0 $?
around=$(($(gui_changed "$e2e_tmp/plain.png" "$e2e_tmp/hover.png" 250 24 220 40) -
          $(gui_changed "$e2e_tmp/plain.png" "$e2e_tmp/hover.png" 257 29 206 30)))
gui_check_value "hover: no pixel beyond the margin changes" 0 "$around"
gui_move 400 50
sleep 0.3
gui_shot "$e2e_tmp/inside.png"
gui_check_value "hover: moving within the button blends nothing more" 0 \
  "$(gui_changed "$e2e_tmp/hover.png" "$e2e_tmp/inside.png" 257 29 206 30)"
gui_move 495 45
for _ in $(seq 20); do
  gui_shot "$e2e_tmp/left.png"
  [ "$(gui_changed "$e2e_tmp/plain.png" "$e2e_tmp/left.png" 257 29 206 30)" = 0 ] && break
  sleep 0.1
done
gui_check_value "hover: leaving restores face and margin exactly" 0 \
  "$(gui_changed "$e2e_tmp/plain.png" "$e2e_tmp/left.png" 257 29 206 30)"

# Query the E1550, copy the default rows.
probe select 0
e2e_check_status "select the first entry" 0 $?
gui_click 300 40
# The query runs in the window's thread: the probe's question is answered
# once it is done.
sleep 0.3
probe ticks >/dev/null
gui_click 580 40
probe messagebox >"$e2e_tmp/out"
printf 'caption Информация\ntext Информация скопирована в буфер обмена.\n' >"$e2e_tmp/want"
e2e_check "copy: message box" "$e2e_tmp/want" "$e2e_tmp/out"
# The main rows: RowIds 0, 1, 4, 5 and 24 to 27.
sed -n '1p;2p;5p;6p;25,28p' "$EXPECTED/e1550.txt" >"$e2e_tmp/want"
probe clipboard | tr -d '\r' >"$e2e_tmp/out"
e2e_check "copy: the 8 ticked main rows of the E1550 report" "$e2e_tmp/want" "$e2e_tmp/out"
probe messagebox ok >"$e2e_tmp/out"
printf 'caption Информация\ntext Информация скопирована в буфер обмена.\nclosed\n' >"$e2e_tmp/want"
e2e_check "copy: OK closes the message box" "$e2e_tmp/want" "$e2e_tmp/out"

# Tick the other 20 report rows by their boxes, copy again: the whole report.
probe rows >"$e2e_tmp/rows"
while read -r _ item left top _ bottom; do
  [ "$item" -gt 8 ] && gui_click $((left + 10)) $(((top + bottom) / 2))
done <"$e2e_tmp/rows"
ticks=$(gui_poll 22222222122222222222222222222 ticks)
gui_check_value "ticking by click: all 28 report rows ticked" 2222222222222222222222222222 \
  "${ticks:0:8}${ticks:9}"
gui_click 580 40
probe messagebox >/dev/null
probe clipboard >"$e2e_tmp/out"
sed 's/$/\r/' "$EXPECTED/e1550.txt" >"$e2e_tmp/want"
e2e_check "copy: all 28 rows as CF_UNICODETEXT, CR LF line ends" "$e2e_tmp/want" "$e2e_tmp/out"
timeout 5 xclip -o -selection clipboard -t UTF8_STRING | tr -d '\r' >"$e2e_tmp/out"
e2e_check "copy: X programs get the same text" "$EXPECTED/e1550.txt" "$e2e_tmp/out"
probe messagebox ok >/dev/null
probe messageboxes >"$e2e_tmp/out"
echo 0 >"$e2e_tmp/want"
e2e_check "copy: no message box left" "$e2e_tmp/want" "$e2e_tmp/out"

# --- The terminal page ------------------------------------------------------

gui_click 140 12
gui_poll 1 page >"$e2e_tmp/out"
{ probe visible list; probe visible terminal-output; probe focus; } >>"$e2e_tmp/out"
printf '1\nhidden\nvisible\nterminal-input\n' >"$e2e_tmp/want"
e2e_check "terminal page: selected, list hidden, transcript shown, focus in the command box" \
  "$e2e_tmp/want" "$e2e_tmp/out"
for _ in $(seq 20); do
  gui_shot "$e2e_tmp/terminal.png"
  [ "$(gui_pixel "$e2e_tmp/terminal.png" 300 300)" = 0,0,0 ] && break
  sleep 0.1
done
gui_check_value "terminal page: the transcript is black" 0,0,0 "$(gui_pixel "$e2e_tmp/terminal.png" 300 300)"

# Enter sends the typed command; the reply comes exactly as the stick sent
# it (echo is off since the scan's ATE0). Every line end, CR LF or the rich
# edit's CR, reads as LF, and the probe ends the text with one more.
xdotool type AT
xdotool key Return
gui_wait_text terminal-output 'OK'
printf 'cmd> AT\n\nOK\n\n\n' >"$e2e_tmp/want"
e2e_check "terminal: Enter sends AT, transcript shows command and raw reply" "$e2e_tmp/want" "$e2e_tmp/text"
probe text terminal-input >"$e2e_tmp/out"
echo >"$e2e_tmp/want"
e2e_check "terminal: the command box is empty again" "$e2e_tmp/want" "$e2e_tmp/out"

# The send button does the same; the transcript grows.
xdotool type ATI
gui_click $((gui_cw - 30)) $((gui_ch - 58))
gui_wait_text terminal-output 'ATI.*OK'
{
  printf 'cmd> AT\n\nOK\n\ncmd> ATI\n\nManufacturer: Zentrix Telecom\nModel: E1550\n'
  printf 'Revision: 11.608.12.02.143\nIMEI: 354000000000017\n+GCAP: +CGSM,+DS,+ES\n\nOK\n\n\n'
} >"$e2e_tmp/want"
e2e_check "terminal: the send button sends ATI, its reply is appended" "$e2e_tmp/want" "$e2e_tmp/text"

gui_close "close with two modems: exit status"

# --- No modem at all --------------------------------------------------------

e2e_stop_sims
wine_clear_com_ports
gui_launch
probe entries >"$e2e_tmp/out"
printf '\nselected -1\n' >"$e2e_tmp/want"
e2e_check "no modem: the selector holds one empty entry" "$e2e_tmp/want" "$e2e_tmp/out"
gui_close "close with no modem: exit status"

e2e_finish
