#!/usr/bin/env bash
# The window without a modem and with sticks plugged in and out later, under
# wine: the stick notice in the report's place ("no stick": wine shows no
# USB device of the vendor), a simulated stick mapped to COM5 after start-up
# and a device-change message posted to the window make its entry appear,
# the chosen entry stays chosen over the next scan, and the entry of a
# stick that goes disappears. From the keyboard, Tab reaches the notice
# where the report list would be, and the focus on the notice goes on to
# the list when a rescan brings it back. A stick plugged in while the
# terminal talks to the chosen one: only the new port is probed.
# Usage: gui_stick_e2e.sh BRENVALTOR_EXE UI_PROBE_EXE MODEM_SIM PROFILE_DIR SHOT_DIR
set -u
EXE=$1 PROBE=$2 MODEM_SIM=$3 PROFILES=$4 SHOTS=$5
. "$(dirname "$0")/gui-lib.sh"
gui_start
wine_clear_com_ports

# gui_wait_entries NAME WANT: polls the selector until its entries (and
# "selected N") read WANT or 10 s pass; checks it and sets gui_wait_ms.
gui_wait_entries() {
  local start got
  start=$(date +%s%N)
  for _ in $(seq 100); do
    got=$(probe entries)
    [ "$got" = "$2" ] && break
    sleep 0.1
  done
  gui_wait_ms=$(gui_ms_since "$start")
  gui_check_value "$1" "$2" "$got"
}

no_stick="Модем не найден: он подключён?"

# focus_after WANT KEYS...: presses the keys; the focused control's name.
focus_after() {
  local want=$1
  shift
  xdotool key "$@"
  gui_poll "$want" focus
}

# --- No modem at start-up ------------------------------------------------------
gui_launch
gui_check_value "no modem: one empty entry" "$(printf '\nselected -1')" "$(probe entries)"
gui_check_value "no modem: the report list makes room" hidden "$(probe visible list)"
gui_check_value "no modem: the notice shows" visible "$(probe visible notice)"
gui_check_value "no modem: the notice says no stick was found" "$no_stick" "$(probe text notice | sed '/^$/d')"
gui_move 495 45
sleep 0.5
mkdir -p "$SHOTS"
gui_shot "$e2e_tmp/no-stick.png"
convert "$e2e_tmp/no-stick.png" -crop "${gui_cw}x${gui_ch}+${gui_ox}+${gui_oy}" +repage "$SHOTS/window-no-stick.png"
# The notice is drawn in the list's blue on the page's grey, within the
# report area.
[ "$(gui_colour_count "$e2e_tmp/no-stick.png" 10 72 $((gui_cw - 30)) 100 170,0,0)" -eq 0 ] &&
  [ "$(gui_colour_count "$e2e_tmp/no-stick.png" 10 72 $((gui_cw - 30)) 100 0,0,170)" -gt 50 ]
e2e_check_status "no modem: the notice is drawn in blue on grey (saved as $SHOTS/window-no-stick.png)" 0 $?

# The terminal page and back: the notice follows the information page.
gui_click 140 12
gui_poll 1 page >/dev/null
gui_check_value "terminal page: no notice" hidden "$(probe visible notice)"
gui_click 40 12
gui_poll 0 page >/dev/null
gui_check_value "information page: the notice again, no list" "visible hidden" \
  "$(probe visible notice) $(probe visible list)"

# The keyboard: from the window (the command box it focused is hidden) Tab
# starts at the selector; the notice stands in the list's place.
gui_check_value "keys: Tab order with the notice in the list's place" \
  "selector query-button copy-button notice tabs notice" \
  "$(focus_after selector Tab) $(focus_after query-button Tab) $(focus_after copy-button Tab) \
$(focus_after notice Tab) $(focus_after tabs Tab) $(focus_after notice shift+Tab)"

# --- A stick plugged in: COM5, then the device-change message -----------------
gui_add_sim "$PROFILES/e1550.profile" 5
probe devicechange
gui_wait_entries "plug-in: the E1550 appears" "$(printf 'E1550 (COM5)\nselected -1')"
[ "$gui_wait_ms" -lt 5000 ]
e2e_check_status "plug-in: within 5 s of the message (${gui_wait_ms} ms)" 0 $?
gui_check_value "plug-in: the list is back, the notice gone" "visible hidden" \
  "$(probe visible list) $(probe visible notice)"
gui_check_value "plug-in: the focus on the notice went on to the list" list "$(gui_poll list focus)"

# A second stick: the chosen entry stays chosen.
probe select 0
gui_add_sim "$PROFILES/e3372.profile" 12
probe devicechange
gui_wait_entries "second stick: both entries, the E1550 still chosen" \
  "$(printf 'E1550 (COM5)\nE3372 (COM12)\nselected 0')"
# A burst of changes is one scan after the devices fell quiet.
size=$(gui_log_size "$e2e_tmp/com12.log")
for _ in 1 2 3; do probe devicechange; sleep 0.5; done
sleep 1.2
gui_check_value "a burst of changes: no scan before 2 s of quiet" "$size" "$(gui_log_size "$e2e_tmp/com12.log")"

# --- The E1550 unplugged: its entry goes ------------------------------------
kill "${e2e_sim_pids[0]}" 2>/dev/null
wait "${e2e_sim_pids[0]}" 2>/dev/null
rm -f "$WINEPREFIX/dosdevices/com5"
probe devicechange
gui_wait_entries "unplugged: the E1550's entry goes" "$(printf 'E3372 (COM12)\nselected -1')"
[ "$gui_wait_ms" -lt 5000 ]
e2e_check_status "unplugged: within 5 s of the message (${gui_wait_ms} ms)" 0 $?

# A scan while the terminal page shows: the busy picture goes again, the
# transcript is black as before.
gui_click 140 12
gui_poll 1 page >/dev/null
gui_add_sim "$PROFILES/e1550.profile" 5
probe devicechange
gui_wait_entries "terminal page: the E1550 is back" "$(printf 'E1550 (COM5)\nE3372 (COM12)\nselected -1')"
sleep 0.5
gui_shot "$e2e_tmp/terminal.png"
gui_check_value "terminal page: no busy picture left after the scan" "0,0,0 0,0,0" \
  "$(gui_pixel "$e2e_tmp/terminal.png" 300 300) $(gui_pixel "$e2e_tmp/terminal.png" 400 200)"
gui_click 40 12
gui_poll 0 page >/dev/null

# --- A stick plugged in while the terminal talks to the chosen one ------------
# The rescan probes only the new port: the chosen stick is sent nothing,
# keeps the echo the user turned on, and its entry stays chosen.
probe select 0
gui_click 140 12
gui_poll 1 page >/dev/null
xdotool type --delay 50 ATE1
xdotool key Return
gui_wait_text terminal-output 'cmd> ATE1.*OK'
size=$(gui_log_size "$e2e_tmp/com5.log")
gui_add_sim "$PROFILES/e3372.profile" 7
probe devicechange
gui_wait_entries "terminal in use: the new stick appears, the chosen one stays chosen" \
  "$(printf 'E1550 (COM5)\nE3372 (COM7)\nE3372 (COM12)\nselected 0')"
gui_check_value "terminal in use: the rescan sent the chosen stick nothing" "" \
  "$(tail -c +$((size + 1)) "$e2e_tmp/com5.log")"
xdotool type --delay 50 AT
xdotool key Return
gui_wait_text terminal-output $'cmd> AT\aAT'
e2e_check_status "terminal in use: the stick still echoes after the rescan" 0 $?
gui_click 40 12
gui_poll 0 page >/dev/null

# --- The last stick unplugged: the notice again -------------------------------
e2e_stop_sims
wine_clear_com_ports
probe devicechange
gui_wait_entries "all unplugged: one empty entry" "$(printf '\nselected -1')"
gui_check_value "all unplugged: the notice again" "visible hidden $no_stick" \
  "$(probe visible notice) $(probe visible list) $(probe text notice | sed '/^$/d')"

gui_close "close: exit 0"
e2e_finish
