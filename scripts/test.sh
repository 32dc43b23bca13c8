#!/bin/bash
# Sets up, checks the code (scripts/check.sh), builds and runs every test
# under Wine on a virtual X display. With arguments, they go to ctest, the
# check is left out and, when the chosen tests are test programs, only those
# are built: the loop for one test, as in
#   bash scripts/test.sh -R installation_tests
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
[ $# -gt 0 ] || bash scripts/check.sh
targets=()
if [ $# -gt 0 ] && [ -f build/CTestTestfile.cmake ]; then
  # The build's targets, from the list CMake keeps of their folders.
  programs=$(sed -n 's|.*/CMakeFiles/\(.*\)\.dir$|\1|p' build/CMakeFiles/TargetDirectories.txt)
  while read -r test; do
    [ -n "$test" ] || continue
    # Anything but a test program of that name (an end-to-end test, say) needs everything.
    grep -qx -- "$test" <<<"$programs" || { targets=(); break; }
    targets+=("$test")
  # The halves of a test program (NAME/1, NAME/2) are that program.
  done < <(cd build && ctest -N "$@" | sed -n 's/^ *Test *#[0-9]*: //p' | grep -v '^wine_prefix_' | sed 's|/[0-9]$||' | sort -u)
fi
bash scripts/build.sh "${targets[@]}"
cd build
# Side by side where they do not share a prefix (see tests/CMakeLists.txt).
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j "$(nproc)" "$@"
