#!/usr/bin/env bash
# Builds the setup with its default payload and runs it under Wine: in a real
# window when a display exists, otherwise under Xvfb, saving screenshots of
# what it shows into build/windows/screenshots.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
source scripts/wine-env.sh
build="$PWD/build/windows"
headless=""
[[ -z "${DISPLAY:-}" || -n "${CI:-}" ]] && headless=1
trap wine_stop EXIT
wine_start "$build"
if [[ -z "$headless" ]]; then
  wine "$build/SwedishSpellcheckerSetup.exe"
  exit 0
fi
shots="$build/screenshots"
mkdir -p "$shots"
wine "$build/SwedishSpellcheckerSetup.exe" </dev/null >/dev/null 2>&1 &
setup=$!
walk="$build/WalkWizard.exe"
wine "$walk" wait </dev/null
import -window root "$shots/1-welcome.png"
wine "$walk" cancel </dev/null
wait "$setup" || true
echo "screenshots: $(ls "$shots" | tr '\n' ' ')"
