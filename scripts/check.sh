#!/bin/bash
# Checks the code beyond the tests, in its own build folder (build-check/):
#  1. builds everything with every warning the code meets as an error;
#  2. runs clang-tidy's checks (.clang-tidy: the Clang static analyser and
#     the bug-prone patterns) over the program's sources, as the cross
#     compiler sees them (its compile_commands.json, its C++ library).
# Each finding is printed as FILE:LINE: error: ...; the exit status is
# non-zero when either step found anything.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
build=${CHECK_BUILD_DIR:-$root/build-check}
jobs=${CHECK_JOBS:-$(nproc)}
failed=0

cmake -S . -B "$build" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release -DKASTRELL_WARNINGS_AS_ERRORS=ON \
  -DKASTRELL_PRECOMPILED_HEADERS=OFF >/dev/null
echo "check: building with warnings as errors in $build"
if ! cmake --build "$build" -j "$jobs" >"$build/check-build.log" 2>&1; then
  echo "check: the build with warnings as errors failed:" >&2
  # The compiler's findings: each with the line of ours it is about (where a
  # library header is at fault, the line of ours that led there), then the
  # whole messages. The full log is in the file.
  grep -E "^($root/)?[^/ ][^:]*:[0-9]+:[0-9]+: (error|warning):|^ *inlined from .* at $root/[^ ]*:[0-9]+|^$root/[^:]*:[0-9]+:[0-9]+:   required from here" \
    "$build/check-build.log" | sed "s|$root/||g" | sort -u | head -n 40 >&2 || true
  echo "check: in full (also in $build/check-build.log):" >&2
  grep -E -B2 -A6 ': (error|warning):' "$build/check-build.log" | grep -v '^make' | head -n 120 >&2 ||
    tail -n 40 "$build/check-build.log" >&2
  failed=1
fi

# The C++ library headers of the cross compiler, for clang to read the code
# as g++ reads it (clang finds the mingw-w64 headers by itself).
cxx=$(sed -n 's/^ *"command": "\([^ ]*g++[^ ]*\) .*/\1/p' "$build/compile_commands.json" | head -n 1)
library=()
while read -r folder; do
  library+=("--extra-arg=-isystem$folder")
done < <("$cxx" -std=c++20 -E -x c++ -v /dev/null 2>&1 | sed -n '/^#include <...>/,/^End/p' | sed -n 's/^ \(.*\/c++.*\)$/\1/p')
tidy=$(command -v clang-tidy || command -v clang-tidy-14)
# The program's own sources; the tests and tools that only exercise it are
# held to the warnings above.
mapfile -t sources < <(sed -n 's/^ *"file": "\(.*\)",\{0,1\}$/\1/p' "$build/compile_commands.json" |
  grep -E "^$root/((platform|install|pages|tools)/[^/]*|main)\.cpp$" | sort -u)
[ "${#sources[@]}" -gt 0 ] || { echo "check: no program sources in $build/compile_commands.json" >&2; exit 1; }
echo "check: clang-tidy over ${#sources[@]} program sources"
printf '%s\n' "${sources[@]}" >"$build/check-sources.txt"
# One log per source; a source's findings are printed whole, not interleaved.
rm -rf "$build/tidy" && mkdir -p "$build/tidy"
run_one='tidy=$1 build=$2 source=$3; shift 3; exec "$tidy" --quiet -p "$build" "$@" "$source" >"$build/tidy/${source//\//_}.log" 2>&1'
if ! xargs -P "$jobs" -I{} bash -c "$run_one" _ "$tidy" "$build" {} --extra-arg=--target=x86_64-w64-mingw32 \
     --extra-arg=-nostdinc++ "${library[@]}" --extra-arg=-Wno-unknown-warning-option <"$build/check-sources.txt"; then
  echo "check: clang-tidy found:" >&2
  grep -h -v -E '^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$|^Suppressed |^Use -header-filter|^Error while processing|^Found compiler error' \
    "$build"/tidy/*.log >&2 || true
  failed=1
fi

if [ "$failed" -ne 0 ]; then
  echo "check: FAILED (findings above, each with its file and line)" >&2
  exit 1
fi
echo "check: no findings"
