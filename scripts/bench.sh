#!/bin/bash
# Figures to compare by hand: (a) the installation unit against the bare
# system calls, (b) start-up to the licence page against an empty window,
# (c) the executable's size and imports. Runs under Wine in a throwaway
# prefix; needs an X display for (b) (xvfb-run is used when there is none).
# BUILD_DIR chooses the build folder (default: build); RUNS the number of
# installations in (a), STARTS the number of starts of each program in (b).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi
cmake -S "$root" -B "$build" -G "Unix Makefiles" >/dev/null
cmake --build "$build" -j2 --target kastrell-setup install_bench empty_window probe >/dev/null

export WINEPREFIX=$build/bench-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
wineboot -u >/dev/null 2>&1
trap 'wineserver -k 2>/dev/null || true' EXIT
# Windows has this folder; a fresh prefix has not.
mkdir -p "$WINEPREFIX/drive_c/windows/cursors"
work=$WINEPREFIX/drive_c/bench
cp -a "$root/examples/Kastrell" "$work"

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //')"
echo "wine: $(wine --version 2>/dev/null)"
echo

echo "(a) installing the sample scheme in-process"
(cd "$work" && wine "$build/bench/install_bench.exe" "${RUNS:-200}" 2>/dev/null | tr -d '\r')
echo

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# Milliseconds from starting the program until its window is visible; the
# window is then closed as its close box would.
time_to_window() {
  local program=$1 caption=$2 start pid
  start=$(now_ms)
  (cd "$work" && exec wine "$program" 2>/dev/null) &
  pid=$!
  until xdotool search --onlyvisible --name "^$caption\$" >/dev/null 2>&1; do
    (($(now_ms) - start < 30000)) || { kill "$pid"; return 1; }
    sleep 0.005
  done
  echo $(($(now_ms) - start))
  wine "$build/tests/e2e/probe.exe" close "$caption" >/dev/null 2>&1
  wait "$pid" || true
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
spread() { sort -n | awk 'NR == 1 { low = $1 } { high = $1 } END { print low "-" high }'; }

starts=${STARTS:-25}
echo "(b) process start to first window shown, $starts starts each, alternating (median, range)"
time_to_window "$build/bench/empty_window.exe" Empty >/dev/null  # the first start after boot is slow
setup_times=() empty_times=()
for ((i = 0; i < starts; i++)); do
  setup_times+=("$(time_to_window "$build/kastrell-setup.exe" Form3)") || { echo "the licence page never showed" >&2; exit 1; }
  empty_times+=("$(time_to_window "$build/bench/empty_window.exe" Empty)") || { echo "the empty window never showed" >&2; exit 1; }
done
setup_ms=$(printf '%s\n' "${setup_times[@]}" | median)
empty_ms=$(printf '%s\n' "${empty_times[@]}" | median)
printf '  kastrell-setup.exe, licence page  %6s ms  (%s)\n' "$setup_ms" "$(printf '%s\n' "${setup_times[@]}" | spread)"
printf '  empty window                      %6s ms  (%s)\n' "$empty_ms" "$(printf '%s\n' "${empty_times[@]}" | spread)"
printf '  ratio                             %6.2f   (target: within 1.50)\n' "$(echo "$setup_ms $empty_ms" | awk '{ print $1 / $2 }')"
echo

echo "(c) the executable"
size=$(stat -c %s "$build/kastrell-setup.exe")
printf '  size     %d bytes = %.2f MiB   (target: under 1 MiB)\n' "$size" "$(echo "$size" | awk '{ print $1 / 1048576 }')"
echo "  imports  $(x86_64-w64-mingw32-objdump -p "$build/kastrell-setup.exe" | sed -n 's/^\s*DLL Name: //p' | tr '\n' ' ')"
