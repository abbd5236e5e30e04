#!/usr/bin/env bash
# brenvaltor-cli against sticks on router firmware (modem-sim --http, on
# 127.0.0.1 only): every profile traced and replayed, --json, a login asked
# for, and sticks that fail within the report's 3 s.
# Usage: router_cli_e2e.sh CLI MODEM_SIM ROUTER_DIR EXPECTED_DIR
set -u
CLI=$1 MODEM_SIM=$2 ROUTERS=$3 EXPECTED=$4
. "$(dirname "$0")/e2e-lib.sh"

# start_router PROFILE: the only simulated router from now on.
start_router() {
  e2e_stop_sims
  e2e_add_router "$1"
}

# Read only: nothing but GET requests ever reach the stick.
for profile in "$ROUTERS"/*.router; do
  name=$(basename "$profile" .router)
  [ -f "$EXPECTED/router-$name.txt" ] || continue
  e2e_roundtrip "router $name" "$profile" "$EXPECTED/router-$name.txt" --http
  ! grep -qv '^GET ' "$e2e_tmp/sim.log" && grep -q '^GET /api/device/information' "$e2e_tmp/trace"
  e2e_ok "router $name: GET requests only, traced as a router profile"
done

# The start page's csrf_token and the cookie it set go with every document.
start_router "$ROUTERS/simlock.router"
"$CLI" report --json "$router_url" >"$e2e_tmp/out"
e2e_check "report --json router simlock" "$EXPECTED/router-simlock.json" "$e2e_tmp/out"
e2e_check_status "router simlock: start page token and cookie sent with the 7 documents" 7 \
  "$(grep -c 'cookie=yes token=yes' "$e2e_tmp/sim.log")"

start_router "$ROUTERS/login.router"
"$CLI" report "$router_url" >/dev/null 2>"$e2e_tmp/err"
grep -q 'asks for its web password' "$e2e_tmp/err"
e2e_ok "router login: says the stick wants its web password"

# Sticks that fail: within the 3 s (and half a second for the start), the
# cause named, the rows got kept, exit 1. A 500's body is not the stick's; a
# dead address is the sim's port after it stopped; the last never answers.
sed '/^GET \/api\/device\/information$/s/$/ status 500/' "$ROUTERS/open.router" >"$e2e_tmp/error500.router"
for case in "$e2e_tmp/error500.router:answered 500 to /api/device/information:Оператор: ." \
  "$ROUTERS/open.router:no answer from URL:" \
  "$ROUTERS/cut.router:the stick at URL stopped answering after 2 of 7 documents:Модель: E3372" \
  "$ROUTERS/silent.router::"; do
  IFS=: read -r profile cause row <<<"$case"
  start_router "$profile"
  [ "$profile" = "$ROUTERS/open.router" ] && e2e_stop_sims
  name=$(basename "$profile" .router)
  e2e_timed "$CLI" report "$router_url" >"$e2e_tmp/out" 2>"$e2e_tmp/err"
  [ $status = 1 ] && [ "$elapsed" -le 3500 ] && grep -qF "${cause//URL/$router_url}" "$e2e_tmp/err" &&
    if [ -n "$row" ]; then grep -q "^$row" "$e2e_tmp/out"; else [ ! -s "$e2e_tmp/out" ]; fi &&
    { [ "$name" != error500 ] || ! grep -q E3372 "$e2e_tmp/out"; }
  e2e_ok "router $name: exit 1 within 3 s (${elapsed} ms), ${cause:-no answer}, ${row:-no rows}"
done
e2e_stop_sims

"$CLI" report "http://127.0.0.1:80/api" >/dev/null 2>&1
e2e_check_status "router address with a path: usage" 2 $?

e2e_finish
