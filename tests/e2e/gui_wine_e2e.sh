#!/usr/bin/env bash
# The real window, brenvaltor.exe, under wine on an X display with modem-sim
# ptys as COM ports: xdotool clicks and types like a user, ui_probe.exe reads
# the controls from inside wine, xclip reads the clipboard and ImageMagick
# reads pixels off screenshots. Covers the port scan as the selector shows
# it, query and copy with their message box, the page's drawing and the
# buttons' hover highlight, the switch to the terminal page (its exchanges
# are gui_report_terminal_e2e's), a clean exit on close, sticks that send
# unsolicited reports, an LTE stick, and the same window under the other
# ANSI code page (1251 or 1252).
# Usage: gui_wine_e2e.sh BRENVALTOR_EXE UI_PROBE_EXE MODEM_SIM PROFILE_DIR EXPECTED_DIR
set -u
EXE=$1 PROBE=$2 MODEM_SIM=$3 PROFILES=$4 EXPECTED=$5
. "$(dirname "$0")/gui-lib.sh"
gui_start

# Blue minus red of an "R,G,B" pixel: the highlight raises it.
gui_blueness() {
  local r g b
  IFS=, read -r r g b <<<"$1"
  echo $((b - r))
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
gui_query "$e2e_tmp/com5.log"
gui_click 580 40
probe messagebox >"$e2e_tmp/out"
printf 'caption Информация\ntext Информация скопирована в буфер обмена.\n' >"$e2e_tmp/want"
e2e_check "copy: message box" "$e2e_tmp/want" "$e2e_tmp/out"
e2e_rows "$EXPECTED/e1550.txt" $e2e_main_rowids >"$e2e_tmp/want"
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

gui_close "close with two modems: exit status"

# --- Sticks that send unsolicited reports, and an LTE stick -------------------
# A report before every answer, a 70 ms report clock, a report 150 ms before
# the answer: each lists "E1550 (COM5)" and fills the E1550's 28 rows. The
# LTE stick fills its rows from its LTE commands, its signal row shows RSRP
# and SINR after the row's text, and its copy ends with the LTE lines.
# Cases: profile|model|expected report|the signal row as the list shows it.

for case in "e1550-reports|E1550|e1550|" "e1550-clock|E1550|e1550|" "e1550-slow|E1550|e1550|" \
  "lte-e3372|E3372|lte-e3372|-73 dBm (Отлично); RSRP -106 dBm, SINR -3 dB"; do
  IFS='|' read -r profile model expected signal <<<"$case"
  e2e_stop_sims
  wine_clear_com_ports
  gui_add_sim "$PROFILES/$profile.profile" 5
  gui_launch
  probe entries >"$e2e_tmp/out"
  printf '%s (COM5)\nselected -1\n' "$model" >"$e2e_tmp/want"
  e2e_check "$profile: the selector lists the model, not a report" "$e2e_tmp/want" "$e2e_tmp/out"
  probe select 0
  gui_query "$e2e_tmp/com5.log"
  gui_read_rows
  gui_tick_all
  gui_copy_report "$e2e_tmp/out"
  e2e_check "$profile: the window's report is the $model's" "$EXPECTED/$expected.txt" "$e2e_tmp/out"
  if [ -n "$signal" ]; then
    probe item 22 | sed -n 2p >"$e2e_tmp/out"
    echo "$signal" >"$e2e_tmp/want"
    e2e_check "$profile: the list's signal row" "$e2e_tmp/want" "$e2e_tmp/out"
  fi
  gui_close "close after $profile: exit status"
done

# --- The same window under the other ANSI code page ----------------------------
# The window is Unicode: with wine's code page 1252 (en_US) or 1251 (ru_RU)
# it must look the same after a query, copy the same text and send the same
# bytes for the same typed command, Cyrillic and a letter Windows-1251 lacks
# ("é", sent as "?") included.

# locale_run NAME: a fresh wine server in the current locale, the E1550 on
# COM5; after its query the client area goes to NAME.png, the copied main
# rows to NAME.txt, and the bytes of the typed command "ATЖé" to NAME.bytes.
locale_run() {
  e2e_stop_sims
  wine_clear_com_ports
  gui_start
  gui_add_sim "$PROFILES/e1550.profile" 5
  gui_launch
  probe select 0
  gui_query "$e2e_tmp/com5.log"
  gui_move 670 300
  sleep 1
  gui_shot "$e2e_tmp/full.png"
  convert "$e2e_tmp/full.png" -crop "${gui_cw}x${gui_ch}+${gui_ox}+${gui_oy}" +repage "$e2e_tmp/$1.png"
  gui_copy_report "$e2e_tmp/$1.txt"
  # The click may come while the closing message box still has the input.
  local size try
  for try in 1 2 3; do
    gui_click 140 12
    [ "$(gui_poll 1 page)" = 1 ] && break
  done
  size=$(gui_log_size "$e2e_tmp/com5.log")
  xdotool type --delay 150 'ATЖé'
  gui_poll 'ATЖé' text terminal-input >"$e2e_tmp/$1.typed"
  xdotool key Return
  gui_wait_text terminal-output 'cmd> ' || true
  gui_wait_idle >/dev/null
  tail -c +$((size + 1)) "$e2e_tmp/com5.log" >"$e2e_tmp/$1.bytes"
  gui_close "locale $LC_ALL: exit status"
}

first_locale=$LC_ALL
locale_run first
case $first_locale in
  ru_RU*) export LC_ALL=en_US.UTF-8 ;;
  *) export LC_ALL=ru_RU.UTF-8 ;;
esac
locale_run second
locales="$first_locale and $LC_ALL"

differing=$(compare -metric AE "$e2e_tmp/first.png" "$e2e_tmp/second.png" null: 2>&1 | cut -d" " -f1)
[ -n "$differing" ] && [ "$differing" -lt $((gui_cw * gui_ch / 200)) ]
e2e_check_status "locales $locales: the window after a query differs in $differing of $((gui_cw * gui_ch)) pixels (< 0.5%)" \
  0 $?
e2e_rows "$EXPECTED/e1550.txt" $e2e_main_rowids >"$e2e_tmp/want"
e2e_check "locales $locales: the copied text, first" "$e2e_tmp/want" "$e2e_tmp/first.txt"
e2e_check "locales $locales: the copied text, second" "$e2e_tmp/want" "$e2e_tmp/second.txt"
echo 'ATЖé' >"$e2e_tmp/want"
e2e_check "locales $locales: the command box shows ATЖé, first" "$e2e_tmp/want" "$e2e_tmp/first.typed"
e2e_check "locales $locales: the command box shows ATЖé, second" "$e2e_tmp/want" "$e2e_tmp/second.typed"
printf 'AT\306?\r' >"$e2e_tmp/want"
e2e_check "locales $locales: the typed command's bytes (Windows-1251), first" "$e2e_tmp/want" "$e2e_tmp/first.bytes"
e2e_check "locales $locales: the typed command's bytes (Windows-1251), second" "$e2e_tmp/want" "$e2e_tmp/second.bytes"

e2e_finish
