# Shared steps of the end-to-end scripts: start and stop modem-sim, compare
# an output with its expected file, count results.

e2e_passed=0
e2e_failed=0
e2e_sim_pids=()
e2e_tmp=$(mktemp -d)
trap 'e2e_stop_sims; rm -rf "$e2e_tmp"' EXIT

# Faulty devices whose report and reopened port the fault matrix checks.
e2e_fault_profiles="error-all huge-reply garbage drip"

# e2e_report_profiles: every profile with an expected report $EXPECTED/NAME.txt,
# less the fault matrix's.
e2e_report_profiles() {
  local profile name
  for profile in "$PROFILES"/*.profile; do
    name=$(basename "$profile" .profile)
    case " $e2e_fault_profiles unplug hang " in *" $name "*) continue ;; esac
    [ -f "$EXPECTED/$name.txt" ] && echo "$name"
  done
}

# The rows ticked from the start (RowIds, the JSON's "id"; the window's list
# positions 0 to 7; the text report's line is RowId + 1).
e2e_main_rowids="0 1 4 5 24 25 26 27"

# e2e_rows REPORT ROWID...: the report's lines of those rows, in RowId order.
e2e_rows() {
  local file=$1 id lines=""
  shift
  for id in "$@"; do lines="$lines$((id + 1))p;"; done
  sed -n "$lines" "$file"
}

# e2e_kept TRACE: the digits an IMEI and an IMSI keep ("8 5"), from the trace's header.
e2e_kept() {
  tr -d '#\n' <"$1" | sed -En 's/.*IMEIs keep their first ([0-9]+) digits, IMSIs +their first ([0-9]+).*/\1 \2/p'
}

# e2e_distinct PROFILE REPORT: both as $e2e_tmp/distinct.profile and .txt, no two
# digits in a row alike after the fifth of every number of 14 digits or more
# (the stock numbers are mostly zeros, and a zero kept looks like one masked).
e2e_distinct() {
  python3 - "$1" "$2" "$e2e_tmp" <<'PY'
import re, sys
text = [open(f, encoding="latin-1").read() for f in sys.argv[1:3]]
new = {n: n[:5] + "".join(str((int(d) + i + 1) % 10) for i, d in enumerate(n[5:]))
       for n in re.findall(r"\d{14,}", text[1])}
for name, t in zip(("distinct.profile", "distinct.txt"), text):
    for n in sorted(new, key=len, reverse=True): t = t.replace(n, new[n])
    open(sys.argv[3] + "/" + name, "w", encoding="latin-1").write(t)
PY
}

# e2e_mask REPORT TRACE: the report masked as the trace's header says: runs of
# 14 to 16 digits keep the IMEI's digits, longer ones none, the IMSI its own.
e2e_mask() {
  python3 - "$1" $(e2e_kept "$2") <<'PY'
import re, sys
text = open(sys.argv[1], encoding="utf-8").read()
imei_kept, imsi_kept = int(sys.argv[2]), int(sys.argv[3])
imsi = re.search(r"^IMSI: (\d+)$", text, re.M)
imsi = imsi.group(1) if imsi else None
def cut(m):
    n = m.group(0)
    keep = imsi_kept if n == imsi else imei_kept if len(n) <= 16 else 0
    return n[:keep] + "0" * (len(n) - keep)
sys.stdout.write(re.sub(r"\d{14,}", cut, text))
PY
}

# e2e_roundtrip NAME PROFILE REPORT [--http]: `report --trace` gives the report
# and a trace ($e2e_tmp/trace) with no full IMEI or IMSI; replayed, the trace
# gives the same report, numbers masked.
e2e_roundtrip() {
  local trace=$e2e_tmp/trace
  e2e_distinct "$2" "$3"
  e2e_stop_sims
  e2e_launch "$e2e_tmp/sim.log" ${4:-} "$e2e_tmp/distinct.profile"
  "$CLI" report --trace "$trace" "$e2e_started" >"$e2e_tmp/out"
  e2e_check_status "$1: the traced report exits" 0 $?
  e2e_check "$1: the traced report" "$e2e_tmp/distinct.txt" "$e2e_tmp/out"
  grep -oE '[0-9]{14,}' "$e2e_tmp/distinct.txt" | grep -qFf - "$trace"
  e2e_check_status "$1: no full IMEI or IMSI in the trace" 1 $?
  e2e_stop_sims
  e2e_launch "$e2e_tmp/replay.log" ${4:-} "$trace"
  "$CLI" report "$e2e_started" >"$e2e_tmp/out"
  e2e_mask "$e2e_tmp/distinct.txt" "$trace" >"$e2e_tmp/want"
  e2e_check "$1: the replay gives the same report" "$e2e_tmp/want" "$e2e_tmp/out"
}

# e2e_launch LOG ARGS...: one more modem-sim logging to LOG; its pty or address in $e2e_started.
e2e_launch() {
  local log=$1
  shift
  : >"$e2e_tmp/sim.out"
  : >"$log"
  "$MODEM_SIM" --log "$log" "$@" >"$e2e_tmp/sim.out" 2>"$e2e_tmp/sim.err" &
  e2e_sim_pids+=($!)
  for _ in $(seq 100); do
    [ -s "$e2e_tmp/sim.out" ] && break
    sleep 0.05
  done
  e2e_started=$(head -n 1 "$e2e_tmp/sim.out")
  case "$e2e_started" in
    /* | http://127.0.0.1:*) ;;
    *) echo "modem-sim did not start on $*"; cat "$e2e_tmp/sim.err"; exit 1 ;;
  esac
}

# e2e_add_sim PROFILE: one more sim; its pty in $e2e_pty, its log $e2e_tmp/sim.log.
e2e_add_sim() {
  e2e_launch "$e2e_tmp/sim.log" "$1"
  e2e_pty=$e2e_started
}

# e2e_add_router PROFILE [LOG]: one more stick on router firmware; its address in $router_url.
e2e_add_router() {
  e2e_launch "${2:-$e2e_tmp/sim.log}" --http "$1"
  router_url=$e2e_started
}

# e2e_start_sim PROFILE: the only sim from now on.
e2e_start_sim() {
  e2e_stop_sims
  e2e_add_sim "$1"
}

e2e_stop_sims() {
  local pid
  for pid in "${e2e_sim_pids[@]}"; do
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  e2e_sim_pids=()
}

# e2e_timed CMD...: runs CMD; its exit status in $status, its time in $elapsed (ms).
e2e_timed() {
  local start
  start=$(date +%s%N)
  "$@"
  status=$?
  elapsed=$((($(date +%s%N) - start) / 1000000))
}

# e2e_check NAME EXPECTED_FILE ACTUAL_FILE
e2e_check() {
  cmp -s "$2" "$3"
  e2e_check_status "$1" 0 $? || diff "$2" "$3" | head -20
}

# e2e_check_status NAME EXPECTED ACTUAL: counts the result; false on a failure.
e2e_check_status() {
  if [ "$2" = "$3" ]; then
    e2e_passed=$((e2e_passed + 1))
    echo "ok   $1"
  else
    e2e_failed=$((e2e_failed + 1))
    echo "FAIL $1: got $3, expected $2"
    return 1
  fi
}

# e2e_ok NAME: the command before it succeeded.
e2e_ok() { e2e_check_status "$1" 0 $?; }

e2e_finish() {
  echo "$e2e_passed passed, $e2e_failed failed"
  [ "$e2e_failed" -eq 0 ]
}
