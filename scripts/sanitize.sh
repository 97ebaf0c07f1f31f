#!/usr/bin/env bash
# Builds the project with clang's address and undefined-behaviour sanitizers into build-sanitize/
# and runs the whole suite there, but for the tests labelled memory_bounds; fails on any report,
# a test's own or that of a program a test started.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/setup.sh"
build="$top/build-sanitize"
reports="$build/reports"

# clang: its run time is linked into each program, so a library loaded by name is still looked
# for along the program's own run path (with gcc's shared one, that would be the caller).
flags="-fsanitize=address,undefined -fno-omit-frame-pointer"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
      -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" \
      -DCMAKE_SHARED_LINKER_FLAGS="$flags" -DCMAKE_MODULE_LINKER_FLAGS="$flags" >/dev/null

# Every report goes to a file of its own, so one from a program whose exit no test looks at
# counts as well. The programs the build runs are checked too.
rm -rf "$reports"
mkdir -p "$reports"
export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:log_path=$reports/asan"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:log_path=$reports/ubsan"

status=0
cmake --build "$build" -j "$jobs" || status=$?
if [ "$status" -eq 0 ]; then
  ctest --test-dir "$build" --output-on-failure -j "$jobs" --timeout 300 -LE memory_bounds || status=$?
fi

count=0
for f in "$reports"/*; do
  [ -f "$f" ] || continue
  echo "=== $f"
  cat "$f"
  count=$((count + 1))
done
if [ "$count" -gt 0 ]; then
  echo "sanitizers: $count report(s)"
  exit 1
fi
[ "$status" -eq 0 ] || exit "$status"
echo "sanitizers: no reports"
