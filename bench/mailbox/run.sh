#!/bin/bash
# The mailbox benchmark (not a test), from the top of the source tree:
#   bash bench/mailbox/run.sh
# 1. installs ripmime when it is missing (as root),
# 2. builds velmora, the sample generator and the MAPI provider
#    (RelWithDebInfo, tests off) in build-bench/, and the measuring program,
# 3. generates a large mailbox: BENCH_MESSAGES messages (10,000) with about
#    BENCH_SIZE_MB MB of attachments (1024),
# 4. measures, in one run over that mailbox: velmora save keeping the messages,
#    a plain copy of the files it wrote, ripmime on every message file, and
#    velmora save removing the attachments and leaving links; then prints wall
#    times, throughput, peak memory and the ratios.
# The work directory (bench-mailbox/ in the build root, or VELMORA_BENCH_DIR)
# is made afresh at every run and keeps the mailbox and all outputs.
# Everything runs from the page cache: the mailbox was just written.
set -euo pipefail

source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build_root=${VELMORA_BUILD_ROOT:-$source_dir}
build_dir=$build_root/build-bench
work_dir=${VELMORA_BENCH_DIR:-$build_root/bench-mailbox}
jobs=${VELMORA_JOBS:-$(nproc)}
messages=${BENCH_MESSAGES:-10000}
size_mb=${BENCH_SIZE_MB:-1024}
marker=.velmora-bench

run() {
  echo "+ $*"
  "$@"
}

if ! command -v ripmime >/dev/null; then
  if ((EUID != 0)); then
    echo "ripmime is missing; run as root or: apt-get install ripmime" >&2
    exit 1
  fi
  DEBIAN_FRONTEND=noninteractive run apt-get install -y -o DPkg::Lock::Timeout=900 --no-install-recommends ripmime
fi

run cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_TESTS=OFF
run cmake --build "$build_dir" --parallel "$jobs" --target velmora make-sample-mailbox velmora_mapi_provider
run g++ -std=c++20 -O2 -Wall -Wextra -Werror -o "$build_dir/mailbox_bench" "$source_dir/bench/mailbox/mailbox_bench.cpp"

if [[ -e $work_dir && ! -e $work_dir/$marker && -n $(ls -A "$work_dir") ]]; then
  echo "$work_dir exists and is not a work directory of this benchmark; set VELMORA_BENCH_DIR" >&2
  exit 1
fi
rm -rf "$work_dir"
mkdir -p "$work_dir"
touch "$work_dir/$marker"

export VELMORA_USER_REGISTRY=$work_dir/registry/user-registry.db
export VELMORA_MACHINE_REGISTRY=$work_dir/registry/machine-registry.db
export VELMORA_DRIVES_ROOT=$work_dir/drives
velmora=$build_dir/apps/velmora/velmora

run "$build_dir/tools/make-sample-mailbox/make-sample-mailbox" --out "$work_dir/mailbox" \
  --messages "$messages" --size-mb "$size_mb"
run "$velmora" install
echo
echo "machine: $(nproc) cores, $(awk '/MemTotal/ { printf "%.0f GB", $2 / 1048576 }' /proc/meminfo) memory," \
     "$(uname -sr), ripmime $(dpkg-query -W -f='${Version}' ripmime 2>/dev/null || echo '?')"
run "$build_dir/mailbox_bench" --velmora "$velmora" --mailbox "$work_dir/mailbox" --work "$work_dir" \
  --ripmime "$(command -v ripmime)"
