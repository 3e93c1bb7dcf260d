#!/bin/bash
# The IMAP benchmark (not a test), as root from the top of the source tree:
#   bash bench/imap/run.sh
# Builds velmora, the sample generator and the MAPI provider (RelWithDebInfo,
# tests off) in build-bench/, generates a mailbox of BENCH_MESSAGES messages
# (2,000) with about BENCH_SIZE_MB MB of attachments (200), and measures
# velmora save --remove --replace link over it as a Maildir on disk and as an
# IMAP account that a private Dovecot serves on the loopback, directly and
# with BENCH_RTT_MS milliseconds (20) added to every round trip by a proxy.
# The work directory (bench-imap/ in the build root, or VELMORA_BENCH_DIR) is
# made afresh at every run.
set -euo pipefail

source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build_root=${VELMORA_BUILD_ROOT:-$source_dir}
build_dir=$build_root/build-bench
work_dir=${VELMORA_BENCH_DIR:-$build_root/bench-imap}
jobs=${VELMORA_JOBS:-$(nproc)}
marker=.velmora-bench

if ((EUID != 0)); then
  echo "run as root: the served mailbox must belong to a mail user" >&2
  exit 1
fi
cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_TESTS=OFF
cmake --build "$build_dir" --parallel "$jobs" --target velmora make-sample-mailbox velmora_mapi_provider

if [[ -e $work_dir && ! -e $work_dir/$marker && -n $(ls -A "$work_dir") ]]; then
  echo "$work_dir exists and is not a work directory of this benchmark; set VELMORA_BENCH_DIR" >&2
  exit 1
fi
rm -rf "$work_dir"
mkdir -p "$work_dir"
touch "$work_dir/$marker"

python3 "$source_dir/bench/imap/imap_bench.py" --velmora "$build_dir/apps/velmora/velmora" \
  --generator "$build_dir/tools/make-sample-mailbox/make-sample-mailbox" --work "$work_dir" \
  --messages "${BENCH_MESSAGES:-2000}" --size-mb "${BENCH_SIZE_MB:-200}" --rtt-ms "${BENCH_RTT_MS:-20}"
