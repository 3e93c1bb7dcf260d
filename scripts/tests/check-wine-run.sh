#!/bin/bash
# Checks the Wine runner with the probe program:
#   check-wine-run.sh <runner> <probe.exe>
# A runner that handed Wine its own output pipe would return from the spawn
# case only once the lingering child had given up waiting and finished.
set -euo pipefail
runner=$1
probe=$2

failures=0
expect() {
  local what=$1 expected=$2 actual=$3
  if [[ $expected != "$actual" ]]; then
    printf 'FAIL: %s\n  expected: %q\n  actual:   %q\n' "$what" "$expected" "$actual"
    failures=$((failures + 1))
  fi
}

work=$PWD/wine-run-check
rm -rf "$work"
mkdir -p "$work"
cd "$work"
# Let a lingering probe go whatever happens.
trap 'touch "$work/release"' EXIT

status=0
"$runner" "$probe" exit 0 >stdout.txt 2>stderr.txt || status=$?
expect "exit 0: status" 0 "$status"
expect "exit 0: stdout, LF line ends" $'out one\nout two' "$(<stdout.txt)"
expect "exit 0: stderr kept apart" "err one" "$(<stderr.txt)"

status=0
"$runner" "$probe" exit 7 >/dev/null 2>&1 || status=$?
expect "exit 7: status passed on" 7 "$status"

status=0
output=$("$runner" "$probe" spawn) || status=$?
expect "spawn: status" 0 "$status"
expect "spawn: output" "spawned" "$output"
expect "spawn: child started" yes "$([[ -f started ]] && echo yes || echo no)"
expect "spawn: runner returned while the child still ran" no \
  "$([[ -f finished ]] && echo yes || echo no)"

if ((failures > 0)); then
  echo "$failures check(s) of the Wine runner failed"
  exit 1
fi
echo "Wine runner: all checks passed"
