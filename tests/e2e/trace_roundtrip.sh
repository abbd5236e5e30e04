#!/usr/bin/env bash
# Capture and replay: for every report profile, `report --trace` against the
# simulated stick, then the same report from modem-sim replaying the trace.
# The replay must give the expected rows with IMEI and IMSI masked, and the
# trace must never hold a full IMEI or IMSI.
# Usage: trace_roundtrip.sh CLI MODEM_SIM PROFILE_DIR EXPECTED_DIR [wine]
set -u
CLI=$1 MODEM_SIM=$2 PROFILES=$3 EXPECTED=$4 MODE=${5:-native}
. "$(dirname "$0")/e2e-lib.sh"
if [ "$MODE" = wine ]; then
  . "$(dirname "$0")/../wine/wine-env.sh"
  wine_start
fi

# report TRACE_ARGS...: the CLI's report on the running sim into $e2e_tmp/out.
report() {
  if [ "$MODE" = wine ]; then
    wine_map_com_port 5 "$e2e_pty"
    wine "$CLI" report "$@" COM5 >"$e2e_tmp/out"
  else
    "$CLI" report "$@" "$e2e_pty" >"$e2e_tmp/out"
  fi
}

# The masking rule of the trace, applied to an expected report: digit runs
# of 14 or more keep 8 digits, the IMSI row's number keeps 5.
mask() {
  python3 - "$1" <<'PY'
import re, sys
text = open(sys.argv[1], encoding="utf-8").read()
imsi = re.search(r"^IMSI: (\d+)$", text, re.M)
imsi = imsi.group(1) if imsi else None
def cut(m):
    n = m.group(0)
    keep = 5 if n == imsi else 8
    return n[:keep] + "0" * (len(n) - keep)
sys.stdout.write(re.sub(r"\d{14,}", cut, text))
PY
}

trace="$e2e_tmp/trace.profile"
trace_arg=$trace
[ "$MODE" = wine ] && trace_arg="Z:$trace"
for profile in $(e2e_report_profiles 2>/dev/null); do
  e2e_start_sim "$PROFILES/$profile.profile"
  report --trace "$trace_arg"
  e2e_check "$MODE trace $profile: the traced report" "$EXPECTED/$profile.txt" "$e2e_tmp/out"
  leaked=0
  for number in $(grep -oE '[0-9]{14,}' "$EXPECTED/$profile.txt"); do
    grep -q "$number" "$trace" && leaked=1
  done
  e2e_check_status "$MODE trace $profile: no full IMEI or IMSI" 0 $leaked
  e2e_start_sim "$trace"
  report
  mask "$EXPECTED/$profile.txt" >"$e2e_tmp/want"
  e2e_check "$MODE replay $profile: the same report" "$e2e_tmp/want" "$e2e_tmp/out"
done

[ "$MODE" = wine ] && wine_clear_com_ports
e2e_finish
