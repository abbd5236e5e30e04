#!/usr/bin/env bash
# brenvaltor-cli against simulated sticks on router firmware (modem-sim
# --http, which listens on 127.0.0.1 only): the rows of every router
# profile, --json, the login and session cases, a dead address and a web
# server that never answers, both within the report's 3 s.
# Usage: router_cli_e2e.sh CLI MODEM_SIM ROUTER_DIR EXPECTED_DIR [wine]
set -u
CLI=$1 MODEM_SIM=$2 ROUTERS=$3 EXPECTED=$4 MODE=${5:-native}
. "$(dirname "$0")/e2e-lib.sh"
run_cli() { "$CLI" "$@"; }
trace_path() { echo "$1"; }
if [ "$MODE" = wine ]; then
  trace_path() { echo "Z:$1"; }
  . "$(dirname "$0")/../wine/wine-env.sh"
  wine_start
  # Wine's programs share the host's network: WinHTTP reaches the
  # simulator's loopback port as a Linux program does.
  run_cli() { wine "$CLI" "$@"; }
fi

# e2e_start_router PROFILE: the only simulated router from now on.
e2e_start_router() {
  e2e_stop_sims
  e2e_add_router "$1"
}

# ms_since START_NS
ms_since() { echo $(( ($(date +%s%N) - $1) / 1000000 )); }

for profile in "$ROUTERS"/*.router; do
  name=$(basename "$profile" .router)
  expected="$EXPECTED/router-$name.txt"
  [ -f "$expected" ] || continue
  e2e_start_router "$profile"
  run_cli report "$router_url" >"$e2e_tmp/out" 2>"$e2e_tmp/err"
  e2e_check_status "$MODE report router $name: exit" 0 $?
  e2e_check "$MODE report router $name" "$expected" "$e2e_tmp/out"
  # Read only: nothing but GET requests ever reach the stick.
  grep -qv '^GET ' "$e2e_tmp/sim.log"
  e2e_check_status "$MODE router $name: GET requests only" 1 $?
done

# --trace writes a router profile that modem-sim --http replays: the same
# rows, IMEI and IMSI masked as the trace's header says.
for profile in "$ROUTERS"/*.router; do
  name=$(basename "$profile" .router)
  expected="$EXPECTED/router-$name.txt"
  [ -f "$expected" ] || continue
  e2e_distinct "$profile" "$expected"
  e2e_start_router "$e2e_tmp/distinct.profile"
  run_cli report --trace "$(trace_path "$e2e_tmp/trace.router")" "$router_url" >/dev/null 2>&1
  e2e_start_router "$e2e_tmp/trace.router"
  run_cli report "$router_url" >"$e2e_tmp/out" 2>/dev/null
  e2e_mask "$e2e_tmp/distinct.txt" $(e2e_kept "$e2e_tmp/trace.router") >"$e2e_tmp/want"
  e2e_check "$MODE trace and replay, router $name: the same rows, numbers masked" "$e2e_tmp/want" "$e2e_tmp/out"
  grep -q '^GET /api/device/information' "$e2e_tmp/trace.router"
  e2e_check_status "$MODE trace, router $name: a router profile" 0 $?
done

e2e_start_router "$ROUTERS/simlock.router"
run_cli report --json "$router_url" >"$e2e_tmp/out"
e2e_check "$MODE report --json router simlock" "$EXPECTED/router-simlock.json" "$e2e_tmp/out"
# The start page's csrf_token and the cookie it set go with every document.
grep -c 'cookie=yes token=yes' "$e2e_tmp/sim.log" >"$e2e_tmp/count"
echo 7 >"$e2e_tmp/want"
e2e_check "$MODE router simlock: start page token and cookie sent with the 7 documents" "$e2e_tmp/want" \
  "$e2e_tmp/count"

e2e_start_router "$ROUTERS/login.router"
run_cli report "$router_url" >/dev/null 2>"$e2e_tmp/err"
grep -q 'asks for its web password' "$e2e_tmp/err"
e2e_check_status "$MODE router login: says the stick wants its web password" 0 $?

# A web server that answers 500 to one document: the body is not the
# stick's, the report names the document, keeps the other rows, exit 1.
sed '/^GET \/api\/device\/information$/s/$/ status 500/' "$ROUTERS/open.router" >"$e2e_tmp/error500.router"
e2e_start_router "$e2e_tmp/error500.router"
run_cli report "$router_url" >"$e2e_tmp/out" 2>"$e2e_tmp/err"
e2e_check_status "$MODE router error status: exit" 1 $?
grep -q 'answered 500 to /api/device/information' "$e2e_tmp/err" && ! grep -q 'E3372' "$e2e_tmp/out" &&
  grep -q '^Оператор: ..*' "$e2e_tmp/out"
e2e_check_status "$MODE router error status: says which, no rows from it, the others stay" 0 $?

# The session ends after four documents: 125002, one fresh handshake, and
# the same document again.
e2e_start_router "$ROUTERS/session.router"
run_cli report "$router_url" >/dev/null 2>&1
grep -c '^GET /api/webserver/SesTokInfo ' "$e2e_tmp/sim.log" >"$e2e_tmp/count"
echo 2 >"$e2e_tmp/want"
e2e_check "$MODE router session: one fresh handshake after 125002" "$e2e_tmp/want" "$e2e_tmp/count"

# A dead address: a loopback port nobody listens on (the simulator's, after
# it stopped).
e2e_start_router "$ROUTERS/open.router"
dead_url=$router_url
e2e_stop_sims
start=$(date +%s%N)
run_cli report "$dead_url" >"$e2e_tmp/out" 2>"$e2e_tmp/err"
e2e_check_status "$MODE dead address: exit" 1 $?
elapsed=$(ms_since "$start")
[ "$elapsed" -le 3000 ]
e2e_check_status "$MODE dead address: within 3 s (${elapsed} ms)" 0 $?
[ ! -s "$e2e_tmp/out" ]
e2e_check_status "$MODE dead address: no rows" 0 $?
grep -q "no answer from $dead_url" "$e2e_tmp/err"
e2e_check_status "$MODE dead address: says why" 0 $?

# A stick that stops answering after two documents: their rows, the reason
# and exit 1, as a serial modem that stopped answering; within the 3 s.
e2e_start_router "$ROUTERS/cut.router"
start=$(date +%s%N)
run_cli report "$router_url" >"$e2e_tmp/out" 2>"$e2e_tmp/err"
e2e_check_status "$MODE stick cut short: exit" 1 $?
elapsed=$(ms_since "$start")
[ "$elapsed" -le 3500 ]
e2e_check_status "$MODE stick cut short: within 3 s (${elapsed} ms)" 0 $?
grep -x 'Модель: E3372' "$e2e_tmp/out" >/dev/null
e2e_check_status "$MODE stick cut short: the rows it gave" 0 $?
grep -qF "the stick at $router_url stopped answering after 2 of 7 documents" "$e2e_tmp/err"
e2e_check_status "$MODE stick cut short: says so" 0 $?

# A web server that accepts and never answers.
e2e_start_router "$ROUTERS/silent.router"
start=$(date +%s%N)
run_cli report "$router_url" >"$e2e_tmp/out" 2>"$e2e_tmp/err"
e2e_check_status "$MODE silent web server: exit" 1 $?
elapsed=$(ms_since "$start")
# wine's own start is in the figure: allow it half a second.
[ "$elapsed" -le 3500 ]
e2e_check_status "$MODE silent web server: within 3 s (${elapsed} ms)" 0 $?
e2e_stop_sims

run_cli report "http://127.0.0.1:80/api" >/dev/null 2>&1
e2e_check_status "$MODE router address with a path: usage" 2 $?

e2e_finish
