#!/usr/bin/env bash
# Every simulated stick has its expected report (EXPECTED_DIR/PREFIX NAME.txt)
# or one line with its reason in the list, never both; the list names each
# profile once and none that does not exist.
# Usage: profiles_have_expected_reports.sh PROFILE_DIR EXPECTED_DIR LIST [EXTENSION [REPORT_PREFIX]]
set -u
PROFILES=$1 EXPECTED=$2 LIST=$3 EXT=${4:-profile} PREFIX=${5:-}
failed=0
fail() { echo "FAIL $*"; failed=1; }

declare -A listed
while read -r name reason; do
  case $name in '' | '#'*) continue ;; esac
  [ -z "${listed[$name]:-}" ] || fail "$name is listed more than once in $LIST"
  [ -n "$reason" ] || fail "$name is listed without a reason"
  [ -f "$PROFILES/$name.$EXT" ] || fail "$name is listed, but there is no $name.$EXT"
  listed[$name]=yes
done <"$LIST"

count=0
for profile in "$PROFILES"/*."$EXT"; do
  name=$(basename "$profile" ."$EXT") count=$((count + 1))
  case $([ -f "$EXPECTED/$PREFIX$name.txt" ] && echo report)-${listed[$name]:-} in
    report-yes) fail "$name has an expected report and is listed as having none" ;;
    -) fail "$name has no expected report ($EXPECTED/$PREFIX$name.txt, written by hand from its replies)" \
      "and no line in $LIST" ;;
  esac
done
echo "$count profiles checked"
exit $failed
