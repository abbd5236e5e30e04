#!/usr/bin/env bash
# Every simulated stick is accounted for: it has its expected report
# (EXPECTED_DIR/NAME.txt) or one line with its reason in the list, never
# both, and the list names no profile that does not exist.
# Usage: profiles_have_expected_reports.sh PROFILE_DIR EXPECTED_DIR LIST
set -u
PROFILES=$1 EXPECTED=$2 LIST=$3
failed=0
fail() { echo "FAIL $1"; failed=1; }

listed=$(grep -v '^[[:space:]]*\(#\|$\)' "$LIST" | awk '{print $1}')
for name in $(echo "$listed" | sort | uniq -d); do fail "$name is listed more than once in $LIST"; done
while read -r name reason; do
  case $name in ''|'#'*) continue ;; esac
  [ -n "$reason" ] || fail "$name is listed without a reason"
  [ -f "$PROFILES/$name.profile" ] || fail "$name is listed, but there is no $name.profile"
done <"$LIST"

count=0
for profile in "$PROFILES"/*.profile; do
  name=$(basename "$profile" .profile)
  count=$((count + 1))
  has_report=0 is_listed=0
  [ -f "$EXPECTED/$name.txt" ] && has_report=1
  echo "$listed" | grep -qxF "$name" && is_listed=1
  case $has_report$is_listed in
    10) echo "ok   $name: expected report" ;;
    01) echo "ok   $name: listed ($(grep -m1 "^$name " "$LIST" | cut -d' ' -f2-))" ;;
    11) fail "$name has an expected report and is listed as having none" ;;
    00) fail "$name has no expected report ($EXPECTED/$name.txt, written by hand from its replies) and no line in $LIST" ;;
  esac
done
echo "$count profiles"
exit $failed
