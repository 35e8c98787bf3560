# shellcheck shell=bash
# What the builds need, and one way to configure and build a folder.

native_packages=(cmake make g++ python3 bzip2 unicode-data
  libboost1.81-dev libboost-filesystem1.81-dev libboost-thread1.81-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  pkg-config liblnk-dev libbfio-dev)
windows_packages=(g++-mingw-w64-x86-64 wine64 dpkg-dev xz-utils
  xvfb xdotool imagemagick fonts-wqy-microhei)

# configure_and_build DIR [CMAKE_ARGS...] [-- TARGETS...]
configure_and_build() {
  local dir=$1
  shift
  local -a args=() targets=()
  while [[ $# -gt 0 && $1 != "--" ]]; do args+=("$1"); shift; done
  [[ $# -gt 0 ]] && shift
  targets=("$@")
  echo "==> building $dir"
  mkdir -p "$(dirname "$root/$dir")"
  cmake -S "$root" -B "$root/$dir" "${args[@]}" >"$root/$dir.configure.log" 2>&1 ||
    { cat "$root/$dir.configure.log"; return 1; }
  local -a build=(cmake --build "$root/$dir" -j "$(nproc)")
  [[ ${#targets[@]} -gt 0 ]] && build+=(--target "${targets[@]}")
  "${build[@]}"
}
