#!/bin/bash
# Gives each test run the Wine prefix that a fresh boot gives, and keeps its
# wineserver alive for the run (setup), or ends that wineserver (cleanup).
#
# Booting a prefix takes some 15 s, so it is booted once per build folder,
# into PREFIX.template (made again when Wine or this script changes). A run
# starts from the prefix the last run left, put back as the template has it:
# its registry copied over, and under drive_c what a run made removed, what
# it changed or removed copied back. A full copy (700 MB) is made only when
# there is no prefix of this template yet. TEMPLATE, when given, is another
# prefix's template, shared: made by whichever setup comes first.
set -euo pipefail
action=$1
prefix=$2
template=${3:-$prefix.template}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
stamp="$(wine --version 2>/dev/null) $(cksum <"$0")"

make_template() {
  export WINEPREFIX="$template"
  wineserver -k 2>/dev/null || true
  rm -rf "$template"
  mkdir -p "$template"
  # Booted once: the first Wine program boots a fresh prefix itself, and
  # wineboot -i would start a second service manager on it, after which RpcSs
  # fails and program starts stall some 10 s at times.
  wineboot -u </dev/null >/dev/null 2>&1
  # Without a window manager Wine waits for one on every show and close of a
  # managed window; the unit tests' windows need none.
  for program in platform_tests window_tests pages_tests installation_tests; do
    wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$program.exe\\X11 Driver" \
      /v Managed /t REG_SZ /d N /f </dev/null >/dev/null 2>&1
  done
  # Its wineserver writes the registry out as it ends.
  wineserver -w
  # The second line tells this template from an earlier one of the same stamp.
  printf '%s\nmade %s\n' "$stamp" "$(date +%s.%N)" >"$template/.kastrell-template"
}

entries() { (cd "$1" && find drive_c dosdevices -print0 | LC_ALL=C sort -z); }

reset_to_template() {
  cp -p "$template"/*.reg "$prefix"/
  local path
  # Made by the last run: gone.
  while IFS= read -r -d '' path; do
    rm -rf "${prefix:?}/$path"
  done < <(LC_ALL=C comm -z -23 <(entries "$prefix") <(entries "$template"))
  # Changed by it (newer than the copy): the template's again.
  while IFS= read -r -d '' path; do
    [ -d "$template/$path" ] && [ -d "$prefix/$path" ] && continue
    rm -rf "${prefix:?}/$path"
    cp -a "$template/$path" "$prefix/$path"
  done < <(cd "$prefix" && find drive_c -newer .kastrell-template -print0)
  # Removed by it: back.
  while IFS= read -r -d '' path; do
    [ -e "$prefix/$path" ] || [ -L "$prefix/$path" ] || cp -a "$template/$path" "$prefix/$path"
  done < <(LC_ALL=C comm -z -13 <(entries "$prefix") <(entries "$template"))
}

case "$action" in
  setup)
    # Two setups side by side (ctest -j) share the template: one makes it.
    mkdir -p "$(dirname "$template")"
    exec 9>"$template.lock"
    flock 9
    if [ "$(head -n 1 "$template/.kastrell-template" 2>/dev/null)" != "$stamp" ]; then
      make_template
    fi
    exec 9>&-
    export WINEPREFIX="$prefix"
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    if [ "$(cat "$prefix/.kastrell-template" 2>/dev/null)" = "$(cat "$template/.kastrell-template")" ]; then
      reset_to_template
    else
      rm -rf "$prefix"
      cp -a "$template" "$prefix"
    fi
    # Detached from our output: ctest waits until every holder of it is gone.
    wineserver -p </dev/null >/dev/null 2>&1
    # The prefix's services and desktop, started here so that they do not
    # hold the first test's output open.
    wine wineboot </dev/null >/dev/null 2>&1
    ;;
  cleanup)
    # Not waited for: the next setup waits for this wineserver to be gone.
    WINEPREFIX="$prefix" setsid wineserver -k </dev/null >/dev/null 2>&1 &
    ;;
  *) echo "usage: $0 setup|cleanup PREFIX [TEMPLATE]" >&2; exit 2 ;;
esac
