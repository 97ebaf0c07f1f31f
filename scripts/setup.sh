#!/usr/bin/env bash
# Installs what the build and the program's tools need (Debian packages), then configures and
# builds into build/: the targets named in $build_targets (described by $build_description), or
# everything.
# Sourced by test.sh, run.sh and sanitize.sh.
set -euo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
packages=(cmake ninja-build g++ clang libclang-rt-14-dev pkg-config
          llvm  # the symbolizer that names the lines in the sanitizers' reports
          qt6-base-dev qt6-charts-dev libqt6svg6 libgl-dev libsqlite3-dev libgtest-dev
          xterm  # the command window of CMD where the desktop has no terminal of its own
          mousepad  # the text editor notepad opens where the desktop has none of its own
          xdg-utils  # xdg-open: the tools that open a folder or a page in the desktop's program
          x11-apps  # xcalc: the calculator where the desktop has none of its own
          breeze-icon-theme  # the pictures of the keys where the desktop names no icon theme
          locales) # a Latin-1 locale made by a test of locale-independent names

echo "Checking the packages the build and the tools need ..."
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
fi

jobs=$(nproc 2>/dev/null || echo 4)
echo "Configuring the build in $top/build ..."
cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=()
for t in ${build_targets:-}; do targets+=(--target "$t"); done
echo "Building ${build_description:-everything, tests and benchmarks included} with $jobs jobs ..."
cmake --build "$top/build" -j "$jobs" "${targets[@]}"
