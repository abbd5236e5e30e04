#!/usr/bin/env bash
# The window with a stick on router firmware, under wine: the test build of
# the window reads its device list from a file, which names a stick on
# router firmware whose address is the loopback simulator (modem-sim
# --http). Its entry follows the serial modem's as "MODEL (ADDRESS)", the
# query fills the report from the web interface, and the terminal page says
# that such a stick has no AT port.
# Usage: gui_router_e2e.sh TEST_BUILD_EXE UI_PROBE_EXE MODEM_SIM PROFILE_DIR ROUTER_DIR EXPECTED_DIR
set -u
EXE=$1 PROBE=$2 MODEM_SIM=$3 PROFILES=$4 ROUTERS=$5 EXPECTED=$6
. "$(dirname "$0")/gui-lib.sh"
gui_start
wine_clear_com_ports

gui_add_sim "$PROFILES/e1550.profile" 5
e2e_add_router "$ROUTERS/open.router" "$e2e_tmp/router.log"
address=${router_url#http://}
# A second stick whose web interface accepts and never answers: only the
# report's own time limit ends its query.
e2e_add_router "$ROUTERS/silent.router" "$e2e_tmp/silent.log"
silent=${router_url#http://}
printf '12d1 14dc network usb0 %s\n12d1 14db network usb1 %s\n' "$address" "$silent" >"$e2e_tmp/sticks.txt"
export BRENVALTOR_TEST_STICK_LIST="Z:$e2e_tmp/sticks.txt"

gui_launch
printf 'E1550 (COM5)\nE3372 (%s)\nE353/E3131 (%s)\n' "$address" "$silent" >"$e2e_tmp/want"
probe entries | sed '/^selected /d' >"$e2e_tmp/out"
e2e_check "selector: the router stick after the serial modem" "$e2e_tmp/want" "$e2e_tmp/out"

probe select 1
e2e_check_status "select the router stick" 0 $?
gui_query "$e2e_tmp/router.log"
query_ms=$gui_query_ms
grep '^GET /api/' "$e2e_tmp/router.log" | grep -vc SesTokInfo >"$e2e_tmp/out"
echo 7 >"$e2e_tmp/want"
e2e_check "query: the seven documents read (${query_ms} ms)" "$e2e_tmp/want" "$e2e_tmp/out"
gui_read_rows
gui_tick_all
gui_copy_report "$e2e_tmp/out"
e2e_check "query: the report of the router stick, all 28 rows" "$EXPECTED/router-open.txt" "$e2e_tmp/out"

# The silent address: a message within the report's 3 s, the rows emptied.
probe select 2
start=$(date +%s%N)
gui_click 300 40
probe messagebox >"$e2e_tmp/out"
silent_ms=$(gui_ms_since "$start")
printf 'caption Информация\ntext Модем не ответил по своему адресу за 3 секунды: он отключён или не в режиме роутера.\n' \
  >"$e2e_tmp/want"
e2e_check "silent address: the message (${silent_ms} ms)" "$e2e_tmp/want" "$e2e_tmp/out"
probe messagebox ok >/dev/null
[ "$silent_ms" -le 3500 ]
e2e_check_status "silent address: the message within 3 s and wine's probe (${silent_ms} ms)" 0 $?
gui_copy_report "$e2e_tmp/out"
sed 's/: .*$/: /' "$EXPECTED/router-open.txt" >"$e2e_tmp/want"
e2e_check "silent address: every row empty" "$e2e_tmp/want" "$e2e_tmp/out"
probe select 1

# The terminal page sends nothing to a stick on router firmware.
requests=$(wc -l <"$e2e_tmp/router.log")
gui_click 140 12
gui_poll 1 page >/dev/null
xdotool type AT
xdotool key Return
gui_wait_text terminal-output 'AT-порта'
e2e_check_status "terminal: says the router stick has no AT port" 0 $?
gui_check_value "terminal: nothing reached the stick" "$requests" "$(wc -l <"$e2e_tmp/router.log")"

gui_close "close: exit 0"

# --- Only a stick on router firmware: its entry is all the selector lists --
# The report list (not the no-modem notice) shows on the information page,
# after a visit to the terminal page too, and Tab reaches it.
wine_clear_com_ports
printf '12d1 14dc network usb0 %s\n' "$address" >"$e2e_tmp/sticks.txt"
gui_launch
gui_check_value "router stick only: its entry" "E3372 ($address)" "$(probe entries | sed '/^selected /d')"
gui_click 140 12
gui_poll 1 page >/dev/null
gui_click 40 12
gui_poll 0 page >/dev/null
gui_check_value "router stick only: terminal page and back, the list and no notice" "visible hidden" \
  "$(probe visible list) $(probe visible notice)"
focus=""
for _ in 1 2 3 4; do
  xdotool key Tab
  sleep 0.2
  focus="$focus $(probe focus)"
done
gui_check_value "router stick only: Tab reaches the list" " selector query-button copy-button list" "$focus"
gui_close "router stick only: exit 0"
e2e_finish
