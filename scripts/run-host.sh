#!/bin/bash
# The desktop host with Velmora in it, on a Debian 12 machine with a display,
# from the top of the source tree:
#   bash scripts/run-host.sh
# 1. installs the packages the Linux build needs (as root; skipped when all are
#    there): the list of scripts/test.sh without the packages of its Windows
#    cross build and virtual display,
# 2. builds velmora-host, the add-in library libvelmora.so, velmora-regsvr,
#    velmora (for its MAPI provider registration) and the sample mailbox
#    generator in build-host/,
# 3. makes the work directory on its first run: the sample mailbox, the files
#    its links lead to, registry hives and drives of its own,
# 4. registers the add-in (velmora-regsvr) and the MAPI provider (velmora install),
# 5. opens the mailbox in velmora-host; the Velmora button is on its tool bar.
# The work directory is kept, as a mailbox is: what you do in it is there at
# the next run. --fresh makes it anew. Environment: VELMORA_WORK_DIR (default:
# host-work/ in the build root), VELMORA_BUILD_ROOT (default: the source
# tree), VELMORA_JOBS (default: the number of cores).
set -euo pipefail

source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_root=${VELMORA_BUILD_ROOT:-$source_dir}
build_dir=$build_root/build-host
work_dir=${VELMORA_WORK_DIR:-$build_root/host-work}
jobs=${VELMORA_JOBS:-$(nproc)}
marker=.velmora-host-work

fresh=0
case ${1:-} in
  --fresh) fresh=1 ;;
  "") ;;
  *) echo "usage: bash scripts/run-host.sh [--fresh]" >&2; exit 2 ;;
esac

step() {
  echo
  echo "=== $*"
}

run() {
  echo "+ $*"
  "$@"
}

source "$source_dir/scripts/lib/build-packages.sh"

install_packages() {
  install_build_packages_except 'g\+\+-mingw-w64.*|mingw-w64-.*|wine.*|libwine-dev|clang|libclang-rt-.*|dovecot-imapd|mutt|python3|ccache|npm'
}

if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} ]]; then
  echo "velmora-host needs a display; without one, run scripts/run-main-job.sh (the command line)" >&2
  exit 1
fi

step "packages"
install_packages

step "build"
# shellcheck disable=SC2046
run cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_TESTS=OFF $(compiler_cache_options)
run cmake --build "$build_dir" --parallel "$jobs" \
  --target velmora-host velmora_addin velmora-regsvr velmora make-sample-mailbox velmora_mapi_provider

step "the work directory, $work_dir"
if [[ -e $work_dir && ! -e $work_dir/$marker && -n $(ls -A "$work_dir") ]]; then
  echo "$work_dir exists and is not a work directory of this script; set VELMORA_WORK_DIR" >&2
  exit 1
fi
if ((fresh)); then
  rm -rf "$work_dir"
fi
mailbox=$work_dir/mailbox
if [[ ! -d $mailbox ]]; then
  mkdir -p "$work_dir"
  touch "$work_dir/$marker"
  run "$build_dir/tools/make-sample-mailbox/make-sample-mailbox" --out "$mailbox" --link-root "$work_dir/links"
else
  echo "kept from an earlier run (--fresh makes it anew)"
fi

# The registry hives and the drives of the host and its add-ins live in the work directory.
export VELMORA_USER_REGISTRY=$work_dir/registry/user-registry.db
export VELMORA_MACHINE_REGISTRY=$work_dir/registry/machine-registry.db
export VELMORA_DRIVES_ROOT=$work_dir/drives

step "registering the add-in and the MAPI provider"
run "$build_dir/apps/velmora-regsvr/velmora-regsvr" "$build_dir/src/addin/libvelmora.so"
run "$build_dir/apps/velmora/velmora" install

step "velmora-host"
echo "Click \"Velmora\" on the tool bar, or right-click a message. Attachments go to C:\\Attachments,"
echo "that is $VELMORA_DRIVES_ROOT/c/Attachments, unless you choose another directory (any path works: Z: is /)."
exec "$build_dir/apps/velmora-host/velmora-host" "$mailbox"
