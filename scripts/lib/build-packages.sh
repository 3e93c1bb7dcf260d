# Sourced by the scripts that build on this machine (the tests, the
# main job, the desktop host): the packages a build needs, taken from
# the test script's list so that there is only one list. Expects
# $source_dir and a run function that echoes and runs a command.

# The test script's packages but those that match the extended regular
# expression given (the Windows cross build, the fuzzer, the servers and
# clients only tests start, ...).
build_packages_except() {
  sed -n '/^packages=(/,/^)/p' "$source_dir/scripts/test.sh" | sed '1d;$d' | tr -s ' \n' '\n' | sed '/^$/d' |
    grep -v -E "^($1)\$"
}

# Installs what is missing of them (as root; nothing to do when all are there).
install_build_packages_except() {
  local packages=() missing=() package
  mapfile -t packages < <(build_packages_except "$1")
  if ((${#packages[@]} == 0)); then
    echo "no package list found in scripts/test.sh" >&2
    exit 1
  fi
  for package in "${packages[@]}"; do
    [[ $(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null) == installed ]] || missing+=("$package")
  done
  if ((${#missing[@]} == 0)); then
    echo "all ${#packages[@]} packages are installed"
    return
  fi
  if ((EUID != 0)); then
    echo "installing packages needs root; run as root or install: ${missing[*]}" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  run apt-get -o DPkg::Lock::Timeout=900 update
  run apt-get install -y -o DPkg::Lock::Timeout=900 --no-install-recommends "${missing[@]}"
}

# The CMake options that put ccache before the compilers when it is there
# (its cache lives outside the tree, so a rebuild compiles only what changed).
compiler_cache_options() {
  if command -v ccache >/dev/null; then
    echo -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache
  fi
}
