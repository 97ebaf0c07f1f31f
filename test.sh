#!/usr/bin/env bash
# Sets up and builds, runs every test, then runs each fuzz target for a short, bounded time.
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
source "$top/scripts/setup.sh"

ctest --test-dir "$top/build" --output-on-failure -j "$jobs" --timeout 300

"$top/scripts/fuzz.sh" "${KESTLE_FUZZ_SECONDS:-20}"
