#!/bin/sh
# Makes a fresh Wine prefix for one test run and keeps its wineserver alive
# for the run (setup), or ends that wineserver (cleanup).
set -e
action=$1
prefix=$2
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
case "$action" in
  setup)
    wineserver -k 2>/dev/null || true
    rm -rf "$prefix"
    mkdir -p "$prefix"
    # Detached from our output: ctest waits until every holder of it is gone.
    wineserver -p </dev/null >/dev/null 2>&1
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
    ;;
  cleanup)
    wineserver -k 2>/dev/null || true
    ;;
  *) echo "usage: $0 setup|cleanup PREFIX" >&2; exit 2 ;;
esac
