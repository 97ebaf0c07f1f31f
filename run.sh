#!/usr/bin/env bash
# Sets up and builds, then shows the SAMPLE database through the command line processor
# (the first run also sets up the instance in $ZAL_HOME, by default ~/.local/share/zal).
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
source "$top/scripts/setup.sh"

cd "$top"
exec "$top/build/bin/zal" -tvf demo/sample.zal
