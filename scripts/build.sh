#!/usr/bin/env bash
# Installs what is missing, then builds the setup (with its default payload),
# its tests and the host tools.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake --preset host >/dev/null
cmake --build --preset host -j"$(nproc)"
cmake --preset windows >/dev/null
cmake --build --preset windows -j"$(nproc)"
