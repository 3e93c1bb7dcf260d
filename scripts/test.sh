#!/bin/bash
# Sets up a Debian 12 machine and runs every test build of Velmora:
#   bash scripts/test.sh
# 1. installs the packages the builds need (as root; skipped when all are there),
# 2. Linux build (RelWithDebInfo) and its tests,
# 3. AddressSanitizer + UndefinedBehaviorSanitizer build and its tests,
# 4. Windows cross build with MinGW-w64 (velmora.dll, the Windows platform,
#    SQLite's amalgamation from scripts/fetch-sqlite.sh) and its tests under
#    Wine.
# It stops at the first failing step. Build directories (build-linux,
# build-sanitize, build-windows) are kept, so a second run only rebuilds what
# changed. Environment: VELMORA_BUILD_ROOT (default: the source tree),
# VELMORA_JOBS (default: the number of cores).
set -uo pipefail

source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_root=${VELMORA_BUILD_ROOT:-$source_dir}
jobs=${VELMORA_JOBS:-$(nproc)}
linux_dir=$build_root/build-linux
sanitize_dir=$build_root/build-sanitize
windows_dir=$build_root/build-windows
fuzz_dir=$build_root/build-fuzz
fuzz_seconds=${VELMORA_FUZZ_SECONDS:-60}

packages=(
  cmake ninja-build g++ pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libfmt-dev libcli11-dev libsqlite3-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libgmime-3.0-dev libical-dev libetpan-dev libssl-dev openssl
  xvfb xauth
  dovecot-imapd mutt python3
  ccache
  g++-mingw-w64-x86-64 mingw-w64-tools wine wine64 libwine-dev
  clang libclang-rt-14-dev
)

current_stage=
stage_names=()
stage_seconds=()

fail() {
  echo
  echo "=== FAILED in stage '$current_stage': $*" >&2
  print_timings >&2
  exit 1
}

# Runs one command, echoed first; any failure ends the script.
run() {
  echo "+ $*"
  "$@"
  local status=$?
  if ((status != 0)); then
    fail "'$*' exited with status $status"
  fi
}

stage() {
  current_stage=$1
  shift
  echo
  echo "=== $current_stage"
  local start=$SECONDS
  "$@"
  stage_names+=("$current_stage")
  stage_seconds+=($((SECONDS - start)))
}

print_timings() {
  local i
  echo "=== stage timings"
  for i in "${!stage_names[@]}"; do
    printf '%-40s %4d:%02d\n' "${stage_names[i]}" \
      $((stage_seconds[i] / 60)) $((stage_seconds[i] % 60))
  done
}

is_installed() {
  [[ $(dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null) == installed ]]
}

install_packages() {
  local missing=() package
  for package in "${packages[@]}"; do
    is_installed "$package" || missing+=("$package")
  done
  # npm fetches SQLite's sources for the Windows build; a Node.js of another
  # origin may bring its own npm.
  command -v npm >/dev/null || missing+=(npm)
  if ((${#missing[@]} == 0)); then
    echo "all ${#packages[@]} packages are installed"
    return
  fi
  echo "missing: ${missing[*]}"
  if ((EUID != 0)); then
    fail "installing packages needs root; run as root or install: ${missing[*]}"
  fi
  export DEBIAN_FRONTEND=noninteractive
  run apt-get -o DPkg::Lock::Timeout=900 update
  run apt-get install -y -o DPkg::Lock::Timeout=900 --no-install-recommends "${missing[@]}"
}

# configure_build_test <build dir> <cmake options...>
source "$source_dir/scripts/lib/build-packages.sh"

configure_build_test() {
  local dir=$1
  shift
  # shellcheck disable=SC2046
  run cmake -S "$source_dir" -B "$dir" -G Ninja $(compiler_cache_options) "$@"
  run cmake --build "$dir" --parallel "$jobs"
  run ctest --test-dir "$dir" --output-on-failure --timeout 300 --parallel "$jobs"
}

linux_stage() {
  configure_build_test "$linux_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo
}

sanitize_stage() {
  export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
  configure_build_test "$sanitize_dir" -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON
}

# The Wine server of the build's prefix, and the helper processes it keeps,
# must not outlive the run, whether the tests passed or not.
stop_wine() {
  local prefix
  for prefix in "$windows_dir/wine-prefix" "$windows_dir/wine-prefix-display"; do
    if [[ -d $prefix ]]; then
      WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
    fi
  done
}

windows_stage() {
  run "$source_dir/scripts/fetch-sqlite.sh" "$windows_dir/sqlite"
  configure_build_test "$windows_dir" -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/mingw-w64.cmake" -DVELMORA_SQLITE_DIR="$windows_dir/sqlite"
  stop_wine
}

# The message parser's fuzz target, built with clang's libFuzzer and run for
# a bounded time over a copy of its seed corpus (libFuzzer adds to the corpus
# it is given). Its temporary mailboxes go to memory: each save is flushed.
fuzz_stage() {
  # shellcheck disable=SC2046
  run cmake -S "$source_dir" -B "$fuzz_dir" -G Ninja $(compiler_cache_options) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
  run cmake --build "$fuzz_dir" --parallel "$jobs" --target mailstore_fuzz
  local corpus
  corpus=$(mktemp -d)
  run cp "$source_dir"/tests/mailstore/fuzz/corpus/* "$corpus"/
  run env TMPDIR=/dev/shm "$fuzz_dir/tests/mailstore/mailstore_fuzz" -max_total_time="$fuzz_seconds" \
    -rss_limit_mb=2048 -print_final_stats=1 "$corpus"
  rm -rf "$corpus"
}

trap stop_wine EXIT

echo "Velmora tests: sources $source_dir, builds under $build_root, $jobs jobs"
stage "packages" install_packages
stage "Linux build and tests" linux_stage
stage "sanitizer build and tests" sanitize_stage
stage "Windows cross build, tests under Wine" windows_stage
stage "fuzzing the message parser" fuzz_stage
echo
echo "=== all stages passed"
print_timings
