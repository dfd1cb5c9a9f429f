#!/usr/bin/env bash
# Builds everything and runs every test: the target-side tests under Wine and
# the payload fuzz target (about 30 s). CTest's summary closes the run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
source scripts/wine-env.sh
build="$PWD/build/windows"
trap wine_stop EXIT
wine_start "$build"
rc=0
ctest --preset host || rc=$?
ctest --preset windows -j2 || rc=$?
exit $rc
