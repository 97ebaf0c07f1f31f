#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for the given number of seconds, all at
# once; fails when any of them reports a finding.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-20}
build="$top/build/fuzz"
cmake -S "$top" -B "$build" -G Ninja -DKESTLE_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 4)"

# The targets work in temporary directories of their own: in memory where the system has it.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi

targets=$(find "$build/bin" -maxdepth 1 -type f -name 'fuzz_*' -perm -u+x | sort)
[ -n "$targets" ] || { echo "no fuzz targets"; exit 0; }
pids=()
for t in $targets; do
  name=$(basename "$t")
  corpus="$build/corpus/$name"
  mkdir -p "$corpus"
  seeds="$top/fuzz/seeds/$name"
  [ -d "$seeds" ] || seeds=""
  ( cd "$build" && "$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$build/$name-" "$corpus" $seeds >"$build/$name.log" 2>&1 ) &
  pids+=("$!:$name")
done
failed=0
for entry in "${pids[@]}"; do
  pid=${entry%%:*}; name=${entry#*:}
  if wait "$pid"; then
    echo "fuzz $name: no findings"
  else
    echo "fuzz $name: FINDING (see $build/$name.log)"; tail -n 40 "$build/$name.log"; failed=1
  fi
done
exit $failed
