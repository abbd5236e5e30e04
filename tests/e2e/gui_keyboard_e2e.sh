#!/usr/bin/env bash
# The window from the keyboard alone and for a screen reader, under wine,
# in both locales (ru_RU.UTF-8 and en_US.UTF-8, the current one first):
#  - a mouse user sees exactly the window as it always was: the start-up
#    screen, the screen after a query chosen and run with the mouse and
#    after the copy's message box equal the reference pictures (taken
#    before the window had its keyboard) pixel for pixel;
#  - the child controls, in the order a screen reader walks them: the
#    three buttons by name, each label right before its box;
#  - keys only (xdotool key, the pointer never moves): Down picks the
#    stick, Tab and Space run the query, F5 runs it again, the list's
#    Space, Ctrl+C, Enter and Ctrl+A, the Tab order of both pages, Ctrl+Tab
#    to the terminal and Enter to send; a screen reader's click (BM_CLICK)
#    on a button.
# Usage: gui_keyboard_e2e.sh BRENVALTOR_EXE UI_PROBE_EXE MODEM_SIM PROFILE_DIR EXPECTED_DIR
set -u
EXE=$1 PROBE=$2 MODEM_SIM=$3 PROFILES=$4 EXPECTED=$5
. "$(dirname "$0")/gui-lib.sh"

# client_shot NAME: the client area, the pointer off every control. With
# BRENVALTOR_GUI_SHOTS set to a folder, a copy goes there (new reference
# pictures, when the window is to change on purpose).
client_shot() {
  gui_shot "$e2e_tmp/full.png"
  convert "$e2e_tmp/full.png" -crop "${gui_cw}x${gui_ch}+${gui_ox}+${gui_oy}" +repage "$e2e_tmp/$1.png"
  if [ -n "${BRENVALTOR_GUI_SHOTS:-}" ]; then
    mkdir -p "$BRENVALTOR_GUI_SHOTS"
    cp "$e2e_tmp/$1.png" "$BRENVALTOR_GUI_SHOTS/window-$1-${LC_ALL%%.*}.png"
  fi
}

# same_as_reference NAME PICTURE: client_shot NAME equals the reference,
# once the window's paint is over (at most 3 s).
same_as_reference() {
  local differing
  for _ in $(seq 15); do
    client_shot "$1"
    differing=$(compare -metric AE "$e2e_tmp/$1.png" "$EXPECTED/$2" null: 2>&1 | cut -d" " -f1)
    [ "$differing" = 0 ] && break
    sleep 0.2
  done
  gui_check_value "$LC_ALL, mouse: the window $1 is the reference picture $2, pixel for pixel" 0 "$differing"
}

# commands_since LOG SIZE: how many commands (CR-terminated) the sim
# received past SIZE.
commands_since() { tail -c +$(($2 + 1)) "$1" | tr -cd '\r' | wc -c; }

# query_by COMMAND...: runs the command (keys pressed, a click posted),
# waits until the query reached the sim and the window answers again;
# prints how many commands the query sent.
query_by() {
  local size
  size=$(gui_log_size "$e2e_tmp/com5.log")
  "$@"
  for _ in $(seq 100); do
    [ "$(gui_log_size "$e2e_tmp/com5.log")" -gt "$size" ] && break
    sleep 0.05
  done
  gui_wait_idle >/dev/null
  commands_since "$e2e_tmp/com5.log" "$size"
}

# focus_after KEYS...: presses the keys; the focused control's name.
focus_after() {
  local want=$1
  shift
  xdotool key "$@"
  gui_poll "$want" focus
}

mouse_user() {
  gui_launch
  gui_move 670 300
  same_as_reference startup window-startup.png
  gui_check_value "$LC_ALL: the focus starts on the selector" selector "$(probe focus)"

  # The child controls as a screen reader walks them.
  probe controls >"$e2e_tmp/controls"
  grep '^Button ' "$e2e_tmp/controls" >"$e2e_tmp/out"
  printf 'Button main TABSTOP %s\n' 'Получить информацию' 'Копировать' 'Отправить' >"$e2e_tmp/want"
  e2e_check "$LC_ALL: three named buttons, in Tab order" "$e2e_tmp/want" "$e2e_tmp/out"
  grep --no-group-separator -B1 -E '^(ComboBox|Edit) ' "$e2e_tmp/controls" >"$e2e_tmp/out"
  printf '%s\n' 'Static tabs - Модем:' 'ComboBox tabs TABSTOP ' 'Static main - Команда:' 'Edit main TABSTOP ' \
    >"$e2e_tmp/want"
  e2e_check "$LC_ALL: each label right before its box, as its sibling" "$e2e_tmp/want" "$e2e_tmp/out"

  # The stick picked from the open selector, the query button clicked.
  gui_click 150 42
  sleep 0.7
  gui_click 150 62
  gui_move 670 300
  sleep 0.5
  gui_query "$e2e_tmp/com5.log"
  gui_move 670 300
  same_as_reference after-query window-after-query.png
  # The copy's message box takes the focus; it comes back to the selector,
  # which looks as it always did until the user turns to it.
  gui_click 580 40
  probe messagebox ok >/dev/null
  gui_move 670 300
  same_as_reference after-copy window-after-copy.png
  gui_check_value "$LC_ALL: the selector has the focus again after the message box" selector "$(probe focus)"

  # Away to the terminal and back by mouse: the command box, gone from
  # sight, loses the focus; a click on the background hands it to the
  # page's first control.
  gui_click 140 12
  gui_poll 1 page >/dev/null
  gui_click 45 12
  gui_poll 0 page >/dev/null
  gui_click 495 45
  gui_check_value "$LC_ALL: a click on the background gives the selector the focus" selector \
    "$(gui_poll selector focus)"
  gui_close "$LC_ALL, mouse: exit status"
}

keyboard_user() {
  local size
  gui_fake_browser
  gui_launch
  xdotool key Down
  gui_check_value "$LC_ALL, keys: Down picks the stick" "E1550 (COM5) selected 0" \
    "$(gui_poll "$(printf 'E1550 (COM5)\nselected 0')" entries | xargs)"
  gui_check_value "$LC_ALL, keys: Tab to the query button" query-button "$(focus_after query-button Tab)"
  gui_check_value "$LC_ALL, keys: Space runs the query's 17 commands" 17 "$(query_by xdotool key space)"
  gui_check_value "$LC_ALL, keys: the rows filled" "  Модель|E1550" "$(probe item 1 | paste -sd'|')"
  client_shot query-focus
  [ "$(compare -metric AE "$e2e_tmp/query-focus.png[200x24+260+32]" "$EXPECTED/window-after-query.png[200x24+260+32]" \
        null: 2>&1 | cut -d" " -f1)" -gt 0 ]
  e2e_check_status "$LC_ALL, keys: the focused query button shows the focus cue" 0 $?

  gui_check_value "$LC_ALL, keys: Tab, Tab to the list" list "$(focus_after list Tab Tab)"
  xdotool key space
  gui_check_value "$LC_ALL, keys: Space unticks the first row" 12222222111111111111111111111 \
    "$(gui_poll 12222222111111111111111111111 ticks)"
  xdotool key ctrl+c
  probe messagebox >"$e2e_tmp/out"
  printf 'caption Информация\ntext Информация скопирована в буфер обмена.\n' >"$e2e_tmp/want"
  e2e_check "$LC_ALL, keys: Ctrl+C shows the copy button's message box" "$e2e_tmp/want" "$e2e_tmp/out"
  probe clipboard | tr -d '\r' >"$e2e_tmp/out"
  e2e_rows "$EXPECTED/e1550.txt" ${e2e_main_rowids#0 } >"$e2e_tmp/want"
  e2e_check "$LC_ALL, keys: Ctrl+C copies the ticked rows, the first one left out" "$e2e_tmp/want" "$e2e_tmp/out"
  probe messagebox ok >/dev/null
  gui_check_value "$LC_ALL, keys: the list has the focus again after the message box" list "$(gui_poll list focus)"

  gui_check_value "$LC_ALL, keys: F5 runs the query again" 17 "$(query_by xdotool key F5)"
  xdotool key Down Down Down Down Down Down Return
  for _ in $(seq 50); do
    [ -s "$e2e_tmp/browser.log" ] && break
    sleep 0.2
  done
  gui_check_value "$LC_ALL, keys: Enter on the lock-status row opens the shop page" \
    'https://shop.example.com/asp/pay.asp?id_d=1' "$(cat "$e2e_tmp/browser.log")"
  xdotool key ctrl+a
  gui_check_value "$LC_ALL, keys: Ctrl+A ticks every report row" 22222222122222222222222222222 \
    "$(gui_poll 22222222122222222222222222222 ticks)"

  gui_check_value "$LC_ALL, keys: Tab order of the information page, and back" \
    "tabs selector query-button copy-button list copy-button" \
    "$(focus_after tabs Tab) $(focus_after selector Tab) $(focus_after query-button Tab) \
$(focus_after copy-button Tab) $(focus_after list Tab) $(focus_after copy-button shift+Tab)"

  xdotool key ctrl+Tab
  gui_check_value "$LC_ALL, keys: Ctrl+Tab shows the terminal, the command box focused" "1 terminal-input" \
    "$(gui_poll 1 page) $(gui_poll terminal-input focus)"
  gui_check_value "$LC_ALL, keys: Tab order of the terminal page" "send-button tabs terminal-input" \
    "$(focus_after send-button Tab) $(focus_after tabs Tab) $(focus_after terminal-input Tab)"
  xdotool key shift+Tab ctrl+Tab
  gui_check_value "$LC_ALL, keys: Ctrl+Tab on the tabs switches the page, the tabs keep the focus" "0 tabs" \
    "$(gui_poll 0 page) $(gui_poll tabs focus)"
  xdotool key ctrl+shift+Tab Tab
  gui_poll terminal-input focus >/dev/null
  size=$(gui_log_size "$e2e_tmp/com5.log")
  xdotool type AT
  gui_poll AT text terminal-input >/dev/null
  xdotool key Return
  gui_wait_text terminal-output 'cmd> AT.*OK'
  gui_check_value "$LC_ALL, keys: Enter in the command box sends AT" 'AT\r' \
    "$(tail -c +$((size + 1)) "$e2e_tmp/com5.log" | sed 's/\r/\\r/g')"
  size=$(gui_log_size "$e2e_tmp/com5.log")
  xdotool type ATI
  gui_poll ATI text terminal-input >/dev/null
  xdotool key Tab Return
  gui_wait_text terminal-output 'cmd> ATI.*Manufacturer'
  gui_check_value "$LC_ALL, keys: Enter on the send button sends ATI" 'ATI\r' \
    "$(tail -c +$((size + 1)) "$e2e_tmp/com5.log" | sed 's/\r/\\r/g')"

  xdotool key ctrl+shift+Tab
  gui_check_value "$LC_ALL, keys: Ctrl+Shift+Tab back to the information page, the selector focused" "0 selector" \
    "$(gui_poll 0 page) $(gui_poll selector focus)"
  ctrl_tab_back=$(focus_after copy-button Tab Tab)
  xdotool key space
  probe messagebox ok >"$e2e_tmp/out"
  gui_check_value "$LC_ALL, keys: Space on the copy button copies" "copy-button closed" \
    "$ctrl_tab_back $(tail -n 1 "$e2e_tmp/out")"
  # A screen reader's default action on a button is BM_CLICK.
  gui_check_value "$LC_ALL, screen reader: BM_CLICK on the query button runs the query" 17 \
    "$(query_by probe click query-button)"
  gui_close "$LC_ALL, keys: exit status"
}

first_locale=$LC_ALL
for locale in "$first_locale" other; do
  if [ "$locale" = other ]; then
    case $first_locale in
      ru_RU*) export LC_ALL=en_US.UTF-8 ;;
      *) export LC_ALL=ru_RU.UTF-8 ;;
    esac
  fi
  e2e_stop_sims
  wine_clear_com_ports
  gui_start
  gui_add_sim "$PROFILES/e1550.profile" 5
  mouse_user
  keyboard_user
done

e2e_finish
