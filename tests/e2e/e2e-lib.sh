# Shared steps of the end-to-end scripts: start and stop modem-sim, compare
# an output with its expected file, count results.

e2e_passed=0
e2e_failed=0
e2e_sim_pid=
e2e_tmp=$(mktemp -d)
trap 'e2e_stop_sim; rm -rf "$e2e_tmp"' EXIT

# e2e_start_sim PROFILE: starts the sim; its pty path ends up in $e2e_pty.
e2e_start_sim() {
  e2e_stop_sim
  local out="$e2e_tmp/sim.out"
  : >"$out"
  : >"$e2e_tmp/sim.log"
  "$MODEM_SIM" --log "$e2e_tmp/sim.log" "$1" >"$out" 2>"$e2e_tmp/sim.err" &
  e2e_sim_pid=$!
  for _ in $(seq 100); do
    [ -s "$out" ] && break
    sleep 0.05
  done
  e2e_pty=$(head -n 1 "$out")
  [ -n "$e2e_pty" ] || { echo "modem-sim did not start on $1"; cat "$e2e_tmp/sim.err"; exit 1; }
}

e2e_stop_sim() {
  if [ -n "$e2e_sim_pid" ]; then
    kill "$e2e_sim_pid" 2>/dev/null
    wait "$e2e_sim_pid" 2>/dev/null
    e2e_sim_pid=
  fi
}

# e2e_check NAME EXPECTED_FILE ACTUAL_FILE
e2e_check() {
  if cmp -s "$2" "$3"; then
    e2e_passed=$((e2e_passed + 1))
    echo "ok   $1"
  else
    e2e_failed=$((e2e_failed + 1))
    echo "FAIL $1"
    diff "$2" "$3" | head -20
  fi
}

# e2e_check_status NAME EXPECTED ACTUAL
e2e_check_status() {
  if [ "$2" = "$3" ]; then
    e2e_passed=$((e2e_passed + 1))
    echo "ok   $1"
  else
    e2e_failed=$((e2e_failed + 1))
    echo "FAIL $1: exit status $3, expected $2"
  fi
}

e2e_finish() {
  echo "$e2e_passed passed, $e2e_failed failed"
  [ "$e2e_failed" -eq 0 ]
}
