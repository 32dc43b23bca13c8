#!/bin/bash
# The same sources give the same program wherever they lie: builds it a second
# time from a copy of the sources in another folder (a longer path, another
# build folder) and compares it byte for byte with the build's own.
#   reproducible_build.sh SOURCE_DIR BUILD_TYPE PROGRAM
set -euo pipefail
source_dir=$1 build_type=$2 program=$3
other=$(mktemp -d /tmp/kastrell-elsewhere.XXXXXX)
trap 'rm -rf "$other"' EXIT
copy=$other/another/place/kastrell
mkdir -p "$copy"
# The files the repository holds, as they are now; not its build folders.
if git -C "$source_dir" rev-parse --git-dir >/dev/null 2>&1; then
  git -C "$source_dir" ls-files -z --cached --others --exclude-standard | (cd "$source_dir" && tar --null -T - -cf -) | tar -xf - -C "$copy"
else
  tar -C "$source_dir" --exclude='./build*' --exclude=./.wine --exclude=./dist -cf - . | tar -xf - -C "$copy"
fi
cmake -S "$copy" -B "$other/out" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE="$build_type" -DKASTRELL_TESTS=OFF >/dev/null
cmake --build "$other/out" -j 2 --target kastrell-setup >/dev/null
echo "this build:  $(sha256sum <"$program")"
echo "other build: $(sha256sum <"$other/out/kastrell-setup.exe")"
cmp "$program" "$other/out/kastrell-setup.exe" || {
  echo "FAIL: the program built in $copy differs from $program" >&2
  exit 1
}
