#!/usr/bin/env bash
# The report list and the terminal of the real window under wine: the
# toggle row that hides and shows the extra rows (as drawn on the screen),
# the shop button of the lock-status row (drawn only for models the shop
# knows; only a click on the button itself opens the shop page), and the
# terminal's exchanges by Enter and by the send button, with a modem that
# answers, one that never does, and none selected.
# Usage: gui_report_terminal_e2e.sh BRENVALTOR_EXE UI_PROBE_EXE MODEM_SIM PROFILE_DIR EXPECTED_DIR
set -u
EXE=$1 PROBE=$2 MODEM_SIM=$3 PROFILES=$4 EXPECTED=$5
. "$(dirname "$0")/gui-lib.sh"
gui_start
gui_fake_browser

# The E1550 under a model name no shop list holds, Cyrillic in
# Windows-1251 at its end ("Q9000Ж").
sed "s/E1550/Q9000$(printf '\306')/g" "$PROFILES/e1550.profile" >"$e2e_tmp/q9000.profile"
# The E1550 with two more commands: a reply that reads like rich text, and
# one in Windows-1251 ("Привет").
{
  cat "$PROFILES/e1550.profile"
  printf '\n> AT+RTF\n"%s"\n' '{\\rtf1\\ansi {\\b X}\\par}'
  printf '\n> AT+CYR\n"\\r\\n\317\360\350\342\345\362\\r\\n"\n'
} >"$e2e_tmp/e1550.profile"

# Report list geometry (list coordinates): the value column starts at 250,
# the lock-status cell's own frame ends at 500 and the shop button takes
# 502 to the column's end at 640.
value_left=252 value_width=386
shop_left=502 shop_width=138

# shot: a screenshot with the pointer off the list (hot tracking would
# change a row's colours) into $e2e_tmp/NAME.png.
shot() {
  gui_move 670 300
  gui_shot "$e2e_tmp/$1.png"
}

# query_shot LOG NAME: runs the query, then waits until the list has
# repainted its new values (the value cells of rows 0-7 change on the
# screen) and takes NAME.png.
query_shot() {
  local i
  shot before
  gui_query "$1"
  for i in $(seq 25); do
    shot "$2"
    [ "$(gui_changed "$e2e_tmp/before.png" "$e2e_tmp/$2.png" $((gui_list_x + 250)) "${gui_row_top[0]}" 390 \
         $((gui_row_bottom[7] - gui_row_top[0])))" -gt 0 ] && break
    sleep 0.2
  done
  # The paint may still be under way.
  sleep 0.3
  shot "$2"
}

# cell_count SHOT ITEM LIST_X WIDTH R,G,B: pixels of that colour in a band
# of the item's row.
cell_count() {
  gui_colour_count "$1" $((gui_list_x + $3)) "${gui_row_top[$2]}" "$4" \
    $((gui_row_bottom[$2] - gui_row_top[$2] - 1)) "$5"
}

# extra_band SHOT: the distinct colours of rows 9 to 28, their whole width.
extra_band() {
  gui_colours "$1" "$gui_list_x" "${gui_row_top[9]}" 640 $((gui_row_bottom[28] - gui_row_top[9]))
}

# rows_with ITEMS SHOT R,G,B: how many of the items have pixels of the
# colour in their value cells.
rows_with() {
  local item n=0
  for item in $1; do
    [ "$(cell_count "$2" "$item" $value_left $value_width "$3")" -gt 0 ] && n=$((n + 1))
  done
  echo "$n"
}

# wait_extra_band STATE: screenshots until rows 9 to 28 are all background
# (hidden) or hold value cells (shown), at most 4 s; the last is toggle.png.
wait_extra_band() {
  local i
  for i in $(seq 20); do
    shot toggle
    if [ "$1" = hidden ]; then
      [ "$(extra_band "$e2e_tmp/toggle.png")" = 240,240,240 ] && return
    else
      [ "$(rows_with "$(seq 9 28)" "$e2e_tmp/toggle.png" 255,255,200)" = 20 ] && return
    fi
    sleep 0.2
  done
}

# tick_box_gone SHOT: the toggle row's tick box is painted over (list x 0
# to 21 all background).
tick_box_gone() {
  gui_colours "$1" "$gui_list_x" "${gui_row_top[8]}" 22 $((gui_row_bottom[8] - gui_row_top[8]))
}

# shop_drawn SHOT: "button" when the lock-status cell holds the shop
# button (its green fill and dark red caption), "none" when neither shows.
shop_drawn() {
  local fill caption
  fill=$(cell_count "$1" 6 $shop_left $shop_width 160,255,160)
  caption=$(cell_count "$1" 6 $shop_left $shop_width 160,0,0)
  if [ "$fill" -gt 1000 ] && [ "$caption" -gt 20 ]; then
    echo button
  elif [ "$fill" = 0 ] && [ "$caption" = 0 ]; then
    echo none
  else
    echo "fill $fill, caption $caption"
  fi
}

# wait_browser: waits up to 10 s for a first address in the browser log,
# then 1.5 s more for any other (a stray click would have come earlier).
wait_browser() {
  local i
  for i in $(seq 50); do
    [ -s "$e2e_tmp/browser.log" ] && break
    sleep 0.2
  done
  sleep 1.5
}

# --- The report list: E1550 on COM5, Q9000 on COM7, E3372 on COM12 ----------

gui_add_sim "$e2e_tmp/e1550.profile" 5
gui_add_sim "$e2e_tmp/q9000.profile" 7
gui_add_sim "$PROFILES/e3372.profile" 12
gui_launch
gui_read_rows

probe entries >"$e2e_tmp/out"
printf 'E1550 (COM5)\nQ9000Ж (COM7)\nE3372 (COM12)\nselected -1\n' >"$e2e_tmp/want"
e2e_check "start-up: one entry per modem" "$e2e_tmp/want" "$e2e_tmp/out"

# Before any query the lock-status cell is a plain framed cell.
for _ in $(seq 20); do
  shot start
  [ "$(rows_with "$(seq 0 7)" "$e2e_tmp/start.png" 255,255,200)" = 8 ] && break
  sleep 0.2
done
gui_check_value "shop, before a query: no button" none "$(shop_drawn "$e2e_tmp/start.png")"
gui_click_row 6 $shop_left

# A model the shop does not know: no button, and a click where it would be
# opens nothing (the browser log is read after the E1550's click below).
probe select 1
query_shot "$e2e_tmp/com7.log" q9000
probe item 1 >"$e2e_tmp/out"
printf '  Модель\nQ9000Ж\n' >"$e2e_tmp/want"
e2e_check "shop, unknown model: the report shows Q9000Ж" "$e2e_tmp/want" "$e2e_tmp/out"
gui_check_value "shop, unknown model: no button" none "$(shop_drawn "$e2e_tmp/q9000.png")"
gui_check_value "shop, unknown model: the cell's frame runs to its right edge" 160,160,160 \
  "$(gui_pixel "$e2e_tmp/q9000.png" $((gui_list_x + 639)) $(((gui_row_top[6] + gui_row_bottom[6]) / 2)))"
gui_click_row 6 $shop_left

# The E1550: the toggle row first.
probe select 0
query_shot "$e2e_tmp/com5.log" collapsed
gui_check_value "toggle, collapsed: rows 9-28 are painted over with the background" 240,240,240 \
  "$(extra_band "$e2e_tmp/collapsed.png")"
gui_check_value "toggle, collapsed: rows 0-7 show their value cells" "8 8" \
  "$(rows_with "$(seq 0 7)" "$e2e_tmp/collapsed.png" 255,255,200) $(rows_with "$(seq 0 7)" "$e2e_tmp/collapsed.png" 160,160,160)"
gui_check_value "toggle, collapsed: the toggle row's tick box is painted over" 240,240,240 \
  "$(tick_box_gone "$e2e_tmp/collapsed.png")"

gui_click_row 8 100
wait_extra_band shown
probe item 8 | head -n 1 >"$e2e_tmp/out"
echo ' - Скрыть доп. информацию' >"$e2e_tmp/want"
e2e_check "toggle, first click: the label offers to hide" "$e2e_tmp/want" "$e2e_tmp/out"
gui_check_value "toggle, first click: rows 9-28 show yellow value cells framed grey" "20 20" \
  "$(rows_with "$(seq 9 28)" "$e2e_tmp/toggle.png" 255,255,200) $(rows_with "$(seq 9 28)" "$e2e_tmp/toggle.png" 160,160,160)"
gui_check_value "toggle, first click: rows 0-7 still shown, tick box still painted over" "8 240,240,240" \
  "$(rows_with "$(seq 0 7)" "$e2e_tmp/toggle.png" 255,255,200) $(tick_box_gone "$e2e_tmp/toggle.png")"
gui_check_value "toggle, first click: the list still holds 29 items" 29 "$(probe count)"

gui_click_row 8 100
wait_extra_band hidden
probe item 8 | head -n 1 >"$e2e_tmp/out"
echo ' + Показать доп. информацию' >"$e2e_tmp/want"
e2e_check "toggle, second click: the label offers to show" "$e2e_tmp/want" "$e2e_tmp/out"
gui_check_value "toggle, second click: rows 9-28 painted over again" 240,240,240 \
  "$(extra_band "$e2e_tmp/toggle.png")"
gui_check_value "toggle, second click: rows 0-7 still shown, tick box still painted over" "8 240,240,240" \
  "$(rows_with "$(seq 0 7)" "$e2e_tmp/toggle.png" 255,255,200) $(tick_box_gone "$e2e_tmp/toggle.png")"
gui_check_value "toggle, second click: the list still holds 29 items, ticks unchanged" \
  "29 22222222111111111111111111111" "$(probe count) $(probe ticks)"

# The E1550's shop button; only x >= 502 of the cell opens the page.
shot e1550
mid6=$(((gui_row_top[6] + gui_row_bottom[6]) / 2))
gui_check_value "shop, E1550: the button is drawn" button "$(shop_drawn "$e2e_tmp/e1550.png")"
gui_check_value "shop, E1550: frame at 499, cell at 500-501, button frame at 502, fill at 503" \
  "160,160,160 255,255,200 255,255,200 160,160,160 160,255,160" \
  "$(for x in 499 500 501 502 503; do gui_pixel "$e2e_tmp/e1550.png" $((gui_list_x + x)) $mid6; echo; done | xargs)"
gui_click_row 6 501
gui_click_row 6 100
gui_click_row 6 $shop_left
wait_browser
echo 'https://shop.example.com/asp/pay.asp?id_d=1' >"$e2e_tmp/want"
e2e_check "shop: only the click on the E1550's button opened a page, the first list's" \
  "$e2e_tmp/want" "$e2e_tmp/browser.log"
gui_check_value "shop: the clicks left the ticks alone" 22222222111111111111111111111 "$(probe ticks)"

# The E3372, a model of the second list.
: >"$e2e_tmp/browser.log"
probe select 2
query_shot "$e2e_tmp/com12.log" e3372
gui_check_value "shop, E3372: the button is drawn" button "$(shop_drawn "$e2e_tmp/e3372.png")"
gui_click_row 6 $shop_left
wait_browser
echo 'https://shop.example.com/asp/pay.asp?id_d=2' >"$e2e_tmp/want"
e2e_check "shop, E3372: its click opens the second list's page" "$e2e_tmp/want" "$e2e_tmp/browser.log"

# A model name of 255 characters ending in a listed name whose first
# characters are no listed name ("E3131"): the list's text must be read
# whole, all 255 characters, for the button to show. COM7 now leads to that
# device.
{
  printf 'echo off\n> AT+CGMM\n"\\r\\n%s\\r\\n\\r\\nOK\\r\\n"\n' "$(printf 'x%.0s' $(seq 250))E3131"
  printf '> *\n"\\r\\nERROR\\r\\n"\n'
} >"$e2e_tmp/long-e1550.profile"
gui_add_sim "$e2e_tmp/long-e1550.profile" 7
probe select 1
query_shot "$e2e_tmp/com7.log" long
gui_check_value "shop, a 255-character model ending in E3131: the button is drawn" button \
  "$(shop_drawn "$e2e_tmp/long.png")"

# --- The terminal -------------------------------------------------------------

probe select 0
gui_click 140 12
gui_poll 1 page >/dev/null

# press HOW [TEXT]: types TEXT into the command box, then sends it by Enter
# or by the send button (HOW "type": only types).
press() {
  if [ -n "${2:-}" ]; then
    xdotool type "$2"
    gui_poll "$2" text terminal-input >/dev/null
  fi
  case $1 in
    enter) xdotool key Return ;;
    button) gui_click $((gui_cw - 30)) $((gui_ch - 58)) ;;
  esac
}

# terminal_send HOW [TEXT]: press, then waits until the transcript changes:
# the window answers only once the exchange is over. Sets sent_ms, from the
# key or click until then.
terminal_send() {
  local before start
  before=$(probe text terminal-output)
  press type "${2:-}"
  start=$(date +%s%N)
  press "$1"
  for _ in $(seq 100); do
    [ "$(probe text terminal-output)" != "$before" ] && break
    sleep 0.1
  done
  sent_ms=$(gui_ms_since "$start")
}

# new_bytes LOG SIZE: what the sim received past SIZE, CR shown as \r.
new_bytes() {
  tail -c +$(($2 + 1)) "$1" | sed 's/\r/\\r/g'
}

transcript='cmd> AT\n\nOK\n\n'
size=$(gui_log_size "$e2e_tmp/com5.log")
terminal_send enter AT
probe text terminal-output >"$e2e_tmp/out"
printf "$transcript\n" >"$e2e_tmp/want"
e2e_check "terminal, Enter: AT and the stick's reply" "$e2e_tmp/want" "$e2e_tmp/out"
gui_check_value "terminal, Enter: AT CR on the line, the box emptied" 'AT\r ' \
  "$(new_bytes "$e2e_tmp/com5.log" "$size") $(probe text terminal-input)"

size=$(gui_log_size "$e2e_tmp/com5.log")
terminal_send button AT
transcript+='cmd> AT\n\nOK\n\n'
probe text terminal-output >"$e2e_tmp/out"
printf "$transcript\n" >"$e2e_tmp/want"
e2e_check "terminal, send button: AT and the stick's reply" "$e2e_tmp/want" "$e2e_tmp/out"
gui_check_value "terminal, send button: AT CR on the line, the box emptied" 'AT\r ' \
  "$(new_bytes "$e2e_tmp/com5.log" "$size") $(probe text terminal-input)"

# A reply that reads like rich text is shown as the text it is.
terminal_send enter AT+RTF
transcript+='cmd> AT+RTF\n{\\rtf1\\ansi {\\b X}\\par}\n'
probe text terminal-output >"$e2e_tmp/out"
printf "$transcript\n" >"$e2e_tmp/want"
e2e_check "terminal: a reply that reads like rich text appears exactly as sent" "$e2e_tmp/want" "$e2e_tmp/out"

# The modem's bytes are Windows-1251 text.
terminal_send enter AT+CYR
transcript+='cmd> AT+CYR\n\nПривет\n\n'
probe text terminal-output >"$e2e_tmp/out"
printf "$transcript\n" >"$e2e_tmp/want"
e2e_check "terminal: a Windows-1251 reply reads as Cyrillic" "$e2e_tmp/want" "$e2e_tmp/out"

# The box takes no more characters than a command may have. (It scrolls
# no text either, so at its width it holds fewer anyway.)
gui_check_value "terminal: the command box takes at most 254 characters" 254 "$(probe limit terminal-input)"

# An empty line: a lone CR, which the stick leaves unanswered; the prompt
# line only, after the 2 s wait for a reply.
for how in enter button; do
  size=$(gui_log_size "$e2e_tmp/com5.log")
  terminal_send $how
  transcript+='cmd> \n'
  probe text terminal-output >"$e2e_tmp/out"
  printf "$transcript\n" >"$e2e_tmp/want"
  e2e_check "terminal, empty line by $how: the prompt line only" "$e2e_tmp/want" "$e2e_tmp/out"
  [ "$sent_ms" -ge 1900 ]
  e2e_check_status "terminal, empty line by $how: a 2 s wait for a reply (${sent_ms} ms)" 0 $?
  gui_check_value "terminal, empty line by $how: CR alone on the line" '\r' \
    "$(new_bytes "$e2e_tmp/com5.log" "$size")"
done

# A modem that never answers: COM7 now leads to a silent device. The port
# is held during the wait and closed after it.
gui_add_sim "$PROFILES/silent.profile" 7
silent_pty=$e2e_pty
probe select 1
press type AT
start=$(date +%s%N)
press enter
for _ in $(seq 40); do
  [ -s "$e2e_tmp/com7.log" ] && break
  sleep 0.05
done
holders_during=$(gui_pty_holders "$silent_pty" | wc -l)
gui_wait_idle >/dev/null
answered_ms=$(gui_ms_since "$start")
transcript+='cmd> AT\n'
probe text terminal-output >"$e2e_tmp/out"
printf "$transcript\n" >"$e2e_tmp/want"
e2e_check "terminal, silent modem: the prompt line only" "$e2e_tmp/want" "$e2e_tmp/out"
[ "$answered_ms" -ge 1900 ] && [ "$answered_ms" -lt 6000 ]
e2e_check_status "terminal, silent modem: the window is busy for about 2 s (${answered_ms} ms)" 0 $?
while [ "$(gui_ms_since "$start")" -lt 2500 ]; do sleep 0.05; done
probe text terminal-output >"$e2e_tmp/out"
e2e_check "terminal, silent modem: still the prompt only at 2.5 s" "$e2e_tmp/want" "$e2e_tmp/out"
gui_check_value "terminal, silent modem: AT CR sent; port held during the wait, closed after" \
  'AT\r held closed' \
  "$(new_bytes "$e2e_tmp/com7.log" 0) $([ "$holders_during" -gt 0 ] && echo held) $([ -z "$(gui_pty_holders "$silent_pty")" ] && echo closed)"

# The transcript outlives a visit to the other page.
gui_click 45 12
pages=$(gui_poll 0 page)
gui_click 140 12
pages+=" $(gui_poll 1 page)"
gui_check_value "terminal: to the information page and back" "0 1" "$pages"
probe text terminal-output >"$e2e_tmp/out"
printf "$transcript\n" >"$e2e_tmp/want"
e2e_check "terminal: the transcript survives the visit" "$e2e_tmp/want" "$e2e_tmp/out"

gui_close "report and terminal: exit status"

# --- The terminal with no modem selected --------------------------------------

gui_launch
sizes="$(gui_log_size "$e2e_tmp/com5.log") $(gui_log_size "$e2e_tmp/com12.log")"
gui_click 140 12
gui_poll 1 page >/dev/null
press enter AT
gui_poll "" text terminal-input >/dev/null
press button ATI
gui_poll "" text terminal-input >/dev/null
gui_check_value "terminal, nothing selected: the box emptied, the transcript empty" "selected -1||" \
  "$(probe entries | tail -n 1)|$(probe text terminal-input)|$(probe text terminal-output)"
gui_check_value "terminal, nothing selected: nothing sent" "$sizes" \
  "$(gui_log_size "$e2e_tmp/com5.log") $(gui_log_size "$e2e_tmp/com12.log")"
gui_close "nothing selected: exit status"

e2e_finish
