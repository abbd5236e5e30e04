#!/usr/bin/env bash
# Short leak soak: 20 rounds of a query, a terminal-style exchange and a
# scan (its probes side by side, each on a thread of its own) in one
# process against modem-sim; fails when handles, threads or memory grew.
# Usage: soak.sh BENCH MODEM_SIM PROFILE_DIR
set -u
BENCH=$1 MODEM_SIM=$2 PROFILES=$3
. "$(dirname "$0")/e2e-lib.sh"
e2e_start_sim "$PROFILES/zero-latency.profile"
"$BENCH" soak "$e2e_pty" 20
e2e_check_status "soak: no growth in handles, threads or memory" 0 $?
e2e_finish
