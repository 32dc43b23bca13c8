#!/bin/bash
# Configures (once) and builds in build/: everything, or the targets named.
# Once configured, the build itself configures again when a CMakeLists.txt
# changes.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! grep -qx 'CMAKE_BUILD_TYPE:STRING=Release' build/CMakeCache.txt 2>/dev/null; then
  cmake -S . -B build -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build build -j "$(nproc)" "${targets[@]}"
