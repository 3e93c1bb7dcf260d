#!/bin/bash
# Velmora's main job on Linux, on a fresh Debian 12 machine, from the top of
# the source tree:
#   bash scripts/run-main-job.sh
# 1. installs the packages the Linux build needs (as root; skipped when all are
#    there): the list of scripts/test.sh without the packages of its Windows
#    cross build, virtual display, and IMAP server and mail reader,
# 2. builds velmora, the sample mailbox generator and the MAPI provider
#    library (RelWithDebInfo, as the test script's Linux build) in build-main/,
# 3. writes the sample mailbox into the work directory,
# 4. registers the MAPI provider (velmora install) in registry hives of the
#    work directory,
# 5. saves the attachments of the whole mailbox into the work directory's
#    attachments/, removing them from the messages and leaving a link in
#    place of each,
# 6. shows what happened: the counts per outcome, the files written, and one
#    message's parts with its new link part.
# The work directory is made afresh at every run. Environment:
# VELMORA_WORK_DIR (default: main-job/ in the build root), VELMORA_BUILD_ROOT
# (default: the source tree), VELMORA_JOBS (default: the number of cores).
set -euo pipefail

source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_root=${VELMORA_BUILD_ROOT:-$source_dir}
build_dir=$build_root/build-main
work_dir=${VELMORA_WORK_DIR:-$build_root/main-job}
jobs=${VELMORA_JOBS:-$(nproc)}
marker=.velmora-main-job

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
  install_build_packages_except 'g\+\+-mingw-w64.*|mingw-w64-.*|wine.*|libwine-dev|xvfb|xauth|clang|libclang-rt-.*|dovecot-imapd|mutt|python3|ccache|npm'
}

build() {
  # shellcheck disable=SC2046
  run cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_TESTS=OFF $(compiler_cache_options)
  run cmake --build "$build_dir" --parallel "$jobs" --target velmora make-sample-mailbox velmora_mapi_provider
}

# A fresh work directory; one that holds anything but an earlier run's work is left alone.
fresh_work_dir() {
  if [[ -e $work_dir && ! -e $work_dir/$marker && -n $(ls -A "$work_dir") ]]; then
    echo "$work_dir exists and is not a work directory of this script; set VELMORA_WORK_DIR" >&2
    exit 1
  fi
  rm -rf "$work_dir"
  mkdir -p "$work_dir"
  touch "$work_dir/$marker"
}

# Counts of the outcomes the log's attachment lines end with.
outcome_counts() {
  local log=$1
  printf '  %5d  %s\n' \
    "$(grep -c 'Attachment saved as' "$log")" "saved (numbered names included)" \
    "$(grep -c 'Attachment renamed to' "$log")" "  of them under a numbered name, the name being taken" \
    "$(grep -c 'Identical file found on' "$log")" "identical file there already: linked, not written again" \
    "$(grep -c 'Attachments is link. Skipping.' "$log")" "links (or .lnk files), left as they are" \
    "$(grep -c 'Attachments is an embedded image. Skipping.' "$log")" "images inside the body, left in place" \
    "$(grep -c 'is not extractable. Skipping.' "$log")" "not extractable" \
    "$(grep -c -E '   => Processing att\. .*\.\.\.$' "$log")" "filtered out (smaller than the minimum size), left in place"
}

# The MIME parts of a message file that are link attachments, with their headers and bodies.
link_parts() {
  awk '
    /^--=-/ { if (part ~ /message\/external-body/) printf "%s", part; part = $0 "\n"; next }
    { part = part $0 "\n" }
    END { if (part ~ /message\/external-body/) printf "%s", part }
  ' "$1"
}

echo "Velmora main job: sources $source_dir, build $build_dir, work $work_dir"

step "packages"
install_packages

step "build"
build
velmora=$build_dir/apps/velmora/velmora
generator=$build_dir/tools/make-sample-mailbox/make-sample-mailbox

step "the sample mailbox"
fresh_work_dir
mailbox=$work_dir/mailbox
attachments=$work_dir/attachments
run "$generator" --out "$mailbox" --link-root "$attachments"
echo "folders:"
(cd "$mailbox" && find . -mindepth 1 -type d ! -name cur ! -name new ! -name tmp | sed 's|^\./|  |' | sort)

# The registry hives and the drives of this run live in the work directory.
export VELMORA_USER_REGISTRY=$work_dir/registry/user-registry.db
export VELMORA_MACHINE_REGISTRY=$work_dir/registry/machine-registry.db
export VELMORA_DRIVES_ROOT=$work_dir/drives

step "registering the MAPI provider"
run "$velmora" install

step "saving the attachments, removing them and leaving links"
log=$work_dir/save.log
# The saved files carry their message's date, so what is new is told by a listing taken before.
(cd "$attachments" && find . -type f | sort) > "$work_dir/files-before-save"
echo "+ $velmora save --mailbox $mailbox --to $attachments --remove --replace link > $log"
"$velmora" save --mailbox "$mailbox" --to "$attachments" --remove --replace link > "$log"
echo "the log ($(wc -l < "$log") lines) begins:"
head -n 12 "$log" | sed 's/^/  | /'
echo "  | ..."
echo "and ends:"
tail -n 5 "$log" | sed 's/^/  | /'

step "what happened"
echo "attachments by outcome:"
outcome_counts "$log"
echo
echo "files written (bytes, path below $attachments):"
(cd "$attachments" && find . -type f | sort | comm -13 "$work_dir/files-before-save" - | tr '\n' '\0' |
  xargs -0 stat --printf '%10s  %n\n' | sed 's|  \./|  |') > "$work_dir/files-written"
cat "$work_dir/files-written"
awk '{ n++; s += $1 } END { printf "  %d files, %d bytes\n", n, s }' "$work_dir/files-written"
echo
example=$(grep -l -r -x 'Subject: Newsletter with inline images' "$mailbox" | head -n 1)
echo "one message, $example:"
echo "its parts now (the images inside the body stay, the programme became a link):"
grep -E '^Content-(Type|Disposition):' "$example" | sed 's/^/  | /'
echo "its link part:"
link_parts "$example" | sed 's/^/  | /'
echo
echo "Done. Put the attachments back with:"
echo "  VELMORA_USER_REGISTRY=$VELMORA_USER_REGISTRY VELMORA_MACHINE_REGISTRY=$VELMORA_MACHINE_REGISTRY \\"
echo "  VELMORA_DRIVES_ROOT=$VELMORA_DRIVES_ROOT $velmora reintroduce --mailbox $mailbox"
