#!/bin/bash
# Runs a Windows program under Wine, headless and unattended:
#   scripts/wine-run.sh path/to/program.exe [arguments...]
# The Wine prefix is private to the build directory that holds the program
# (the nearest parent with a CMakeCache.txt), or VELMORA_WINEPREFIX if set.
# With VELMORA_WINE_DISPLAY=1 the program keeps the X display it was given
# (say by xvfb-run), in a prefix of its own beside the headless one, since a
# prefix's desktop keeps the display of the program that started it.
# The exit code is the program's.
set -euo pipefail

if [[ $# -lt 1 ]]; then
  echo "usage: $0 program.exe [arguments...]" >&2
  exit 2
fi
program=$1
shift

find_build_dir() {
  local dir
  dir=$(cd "$(dirname "$1")" && pwd)
  while [[ $dir != / ]]; do
    if [[ -f $dir/CMakeCache.txt ]]; then
      echo "$dir"
      return 0
    fi
    dir=$(dirname "$dir")
  done
  return 1
}

display=${VELMORA_WINE_DISPLAY:-0}
if [[ -n ${VELMORA_WINEPREFIX:-} ]]; then
  prefix=$VELMORA_WINEPREFIX
elif build_dir=$(find_build_dir "$program"); then
  prefix=$build_dir/wine-prefix
  [[ $display == 1 ]] && prefix=$build_dir/wine-prefix-display
else
  echo "$0: $program is not inside a build directory; set VELMORA_WINEPREFIX" >&2
  exit 2
fi

export WINEPREFIX=$prefix
export WINEDEBUG=-all
# No prompts to install Mono or Gecko, no menu entries written into $HOME.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset WAYLAND_DISPLAY
if [[ $display != 1 ]]; then
  unset DISPLAY
elif [[ -z ${DISPLAY:-} ]]; then
  echo "$0: VELMORA_WINE_DISPLAY=1 needs an X display (run under xvfb-run)" >&2
  exit 2
fi

# Two programs starting at once on a missing prefix would both create it.
ready=$prefix/.velmora-ready
if [[ ! -f $ready ]]; then
  mkdir -p "$(dirname "$prefix")"
  (
    flock 9
    if [[ ! -f $ready ]]; then
      if ! wineboot -i </dev/null >"$prefix.log" 2>&1; then
        echo "$0: creating the Wine prefix $prefix failed; see $prefix.log" >&2
        exit 1
      fi
      touch "$ready"
    fi
  ) 9>"$prefix.lock"
fi

# Wine's helper processes (services.exe, rpcss, ...) outlive the program and
# inherit its standard handles; a caller reading a pipe would wait for them.
# So the program writes to files, which are printed once it has ended.
out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT

status=0
wine "$program" "$@" </dev/null >"$out" 2>"$err" || status=$?

# Windows text mode ends lines with CR LF; the readers here expect LF.
sed 's/\r$//' "$out"
sed 's/\r$//' "$err" >&2
exit "$status"
