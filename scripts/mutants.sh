#!/bin/bash
# Whether the tests catch one-line faults: applies each change listed in
# tests/mutants.txt, one at a time, to a throwaway copy of the sources, builds
# and runs the tests it names, and reports which faults no test caught.
#   bash scripts/mutants.sh [LIST]
# Not part of the test run: it takes some minutes a fault. MUTANTS_TESTS_FROM=REV
# takes tests/install, tests/platform and tests/pages from that commit, to
# compare the tests of then with the same faults. MUTANTS_ONLY=REGEX keeps
# the faults whose description matches. MUTANTS_WORK=DIR keeps the copy (and
# its build, for a faster next run) in DIR.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
list=$(realpath "${1:-$root/tests/mutants.txt}")
work=${MUTANTS_WORK:-$(mktemp -d)}
copy=$work/src
mkdir -p "$copy"
[ -n "${MUTANTS_WORK:-}" ] || trap 'rm -rf "$work"' EXIT

# The sources as they are now, committed or not.
(cd "$root" && git ls-files -z -co --exclude-standard) |
  (cd "$root" && xargs -0 cp --parents -p -t "$copy" --) 2>/dev/null || true
if [ -n "${MUTANTS_TESTS_FROM:-}" ]; then
  rm -rf "$copy/tests/install" "$copy/tests/platform" "$copy/tests/pages"
  git -C "$root" archive "$MUTANTS_TESTS_FROM" tests/install tests/platform tests/pages | tar -x -C "$copy"
fi
build=$copy/build
cmake -S "$copy" -B "$build" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release >/dev/null

# file <TAB> text found exactly once <TAB> its replacement <TAB> ctest tests (space-separated) <TAB> description
caught=0 total=0 stale=0 missed=()
while IFS=$'\t' read -r file from to tests description; do
  [[ -z "$file" || "$file" == \#* ]] && continue
  [[ -z "${MUTANTS_ONLY:-}" || "$description" =~ ${MUTANTS_ONLY} ]] || continue
  target=$copy/$file
  count=$(FROM=$from perl -0ne '$n = () = /\Q$ENV{FROM}\E/g; print $n' "$target" 2>/dev/null || echo 0)
  if [ "$count" != 1 ]; then
    echo "STALE   $file: the text is there $count times: $from"
    stale=$((stale + 1))
    continue
  fi
  cp -p "$target" "$work/original"
  FROM=$from TO=$to perl -0pi -e 's/\Q$ENV{FROM}\E/$ENV{TO}/' "$target"
  total=$((total + 1))
  read -r -a names <<<"$tests"
  targets=() && for name in "${names[@]}"; do targets+=(--target "$name"); done
  result=MISSED
  if ! cmake --build "$build" -j2 "${targets[@]}" >"$work/build.log" 2>&1; then
    result="CAUGHT (does not build)"
  # The first failing case is enough: the rest are not run.
  elif ! (cd "$build" && GTEST_FAIL_FAST=1 xvfb-run -a -s "-screen 0 1280x1024x24" \
            ctest --output-on-failure -j "$(nproc)" -R "^($(IFS='|'; echo "${names[*]}"))(/[0-9])?\$" >"$work/test.log" 2>&1); then
    result="CAUGHT  (by $(grep -m1 -o '\[  FAILED  \] [^ ,(]*' "$work/test.log" | sed 's/.*\] //' || echo "a failing test"))"
  fi
  [ "$result" = MISSED ] && missed+=("$description") || caught=$((caught + 1))
  if [ "$result" = MISSED ]; then echo "MISSED  $description"; else echo "CAUGHT  $description ${result#CAUGHT }"; fi
  # Put back, newer than the object built from the fault.
  cp "$work/original" "$target" && touch "$target"
done <"$list"

echo
echo "caught $caught of $total one-line faults$( [ "$stale" -eq 0 ] || echo "; $stale stale (re-target them)")"
for description in "${missed[@]}"; do echo "  missed: $description"; done
