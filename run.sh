#!/usr/bin/env bash
# Sets up and builds, then starts the program on the demonstration presentation in a run
# directory under build/, so the repository itself is never written. The first start also sets
# up the database instance in $ZAL_HOME (by default ~/.local/share/zal).
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
# The program alone: tests and benchmarks are built by ./test.sh.
build_targets=program
build_description="the program, the product's libraries and tools, and the demonstrations' files"
source "$top/scripts/setup.sh"

run="$top/build/run"
mkdir -p "$run"
cp -r "$top/demo/." "$run/"
cp -r "$top/build/demo-files/." "$run/"
rm -rf "$run/make" "$run/CMakeLists.txt"
cd "$run"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  # Without a screen the windows cannot open: show the database through the command line
  # processor instead.
  echo "No display to open the program's windows on; showing SAMPLE through the command line processor."
  exec "$top/build/bin/zal" -tvf sample.zal
fi
echo "Starting Kestle in $run ..."
exec "$top/build/bin/kestle" "$@"
