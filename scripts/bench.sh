#!/usr/bin/env bash
# Benchmarks, each figure printed beside its baseline, in one run:
#   start-up vs a bare Win32 program, InflateBuffer vs plain inflate,
#   peak memory vs payload sizes, exe size vs payload size, and
#   extraction of the seven dictionary files vs a plain copy.
# Pinned to one CPU: Wine's start-up times are bimodal otherwise.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh >/dev/null
source scripts/wine-env.sh
build="$PWD/build/windows"
trap wine_stop EXIT
wine_start "$build"
run() { taskset -c 1 "$build/wine-run.sh" "$@"; }
win() { winepath -w "$1"; }

setup="$build/SwedishSpellcheckerSetup.exe"
payload="$build/payload.bin"
echo "== (a) start-up"
run "$build/bench/StartupBench.exe" "$(win "$setup")" "$(win "$build/bench/BareWindow.exe")" 11

echo "== (b) inflate"
run "$build/bench/InflateBench.exe" "$(win "$setup")" 15

echo "== (c) peak memory (VmHWM of the Wine process, its window shown)"
# Peak resident size in KB of a program two seconds after its start.
peak_kb() {
  local exe="$1" pid="" i kb
  taskset -c 1 wine "$@" </dev/null >/dev/null 2>&1 &
  for i in $(seq 1 100); do
    pid=$(pgrep -f -n "$(basename "$exe")" || true)
    [[ -n "$pid" ]] && break
    sleep 0.02
  done
  sleep 2
  kb=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status" 2>/dev/null || echo 0)
  kill "$pid" 2>/dev/null || true
  wait 2>/dev/null || true
  echo "${kb:-0}"
}
setup_kb=$(peak_kb "$setup")
bare_kb=$(peak_kb "$build/bench/BareWindow.exe")
ole_kb=$(peak_kb "$build/bench/BareWindow.exe" ole)
comp=$(stat -c %s "$payload")
table=$("$build/host-tools/payloadtool" list "$payload" | sed -n 's/.*table \([0-9]*\) bytes.*/\1/p')
printf '  setup %d KB, bare program %d KB: the setup needs %d KB more\n' "$setup_kb" "$bare_kb" $((setup_kb - bare_kb))
printf '  bare program with OLE initialised (as the setup must) %d KB: the setup needs %d KB more\n' \
  "$ole_kb" $((setup_kb - ole_kb))
printf '  compressed %d + inflated %d bytes = %d KB; target: at most %d KB more\n' \
  "$comp" "$table" $(((comp + table) / 1024)) $(((comp + table) / 1024 + 4096))

echo "== (d) exe size"
exe_size=$(stat -c %s "$setup")
printf '  exe %d bytes - compressed payload %d bytes = %d KB (target <= 256 KB)\n' \
  "$exe_size" "$comp" $(((exe_size - comp) / 1024))

if [[ -f "$build/bench/ExtractBench.exe" ]]; then
  echo "== (e) extraction of the seven dictionary files"
  run "$build/bench/ExtractBench.exe" "$(win "$setup")" 15
fi
