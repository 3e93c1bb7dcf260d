#!/bin/bash
# Puts SQLite's amalgamation (sqlite3.c, sqlite3.h) into a directory for the
# Windows cross build, which has no SQLite package of its own:
#   scripts/fetch-sqlite.sh build-windows/sqlite
# It takes them from an npm package that ships the amalgamation, pinned by
# version and checked against its SHA-256, so every build compiles the same
# SQLite. A directory that holds them already is left as it is.
set -euo pipefail

if [[ $# -ne 1 ]]; then
  echo "usage: $0 <directory>" >&2
  exit 2
fi
target=$1
package=better-sqlite3
version=11.10.0
sha256=71e2d66a44dafc35649ff82742cf4908557fc31841108d19703b74b7065c0293

if [[ -f $target/sqlite3.c && -f $target/sqlite3.h ]]; then
  exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && npm pack --silent "$package@$version" >/dev/null)
tarball=$work/$package-$version.tgz
if ! echo "$sha256  $tarball" | sha256sum --check --quiet; then
  echo "$0: $package $version does not have the expected SHA-256" >&2
  exit 1
fi
tar -xzf "$tarball" -C "$work" package/deps/sqlite3/sqlite3.c package/deps/sqlite3/sqlite3.h
mkdir -p "$target"
# Moved into place last, so that an interrupted run leaves no half directory
# that the check above would take for complete.
mv "$work/package/deps/sqlite3/sqlite3.h" "$target/sqlite3.h"
mv "$work/package/deps/sqlite3/sqlite3.c" "$target/sqlite3.c"
