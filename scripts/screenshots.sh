#!/bin/bash
# Saves the wizard's windows as a user sees them, frames included (Wine's
# virtual desktop draws them), into docs/screenshots/. Needs an X display:
#   xvfb-run -a -s "-screen 0 1280x1024x24" bash scripts/screenshots.sh
# BUILD_DIR chooses the build folder (default: build).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
shots=$root/docs/screenshots
if [ -z "${DISPLAY:-}" ]; then
  echo "No display: run it as xvfb-run -a -s \"-screen 0 1280x1024x24\" bash scripts/screenshots.sh" >&2
  exit 1
fi
cmake -S "$root" -B "$build" -G "Unix Makefiles" >/dev/null
cmake --build "$build" -j2 --target kastrell-setup probe >/dev/null

export WINEPREFIX=$build/screenshots-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export KASTRELL_EXE=$build/kastrell-setup.exe PROBE_EXE=$build/tests/e2e/probe.exe
export EXAMPLES=$root/examples/Kastrell
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
wineboot -u >/dev/null 2>&1
# Windows has Marlett (the frame buttons' glyphs) and Tahoma installed; Wine
# ships them but Debian's build does not find them on its own.
for font in marlett.ttf tahoma.ttf tahomabd.ttf; do
  [ ! -f "/usr/share/wine/fonts/$font" ] || cp "/usr/share/wine/fonts/$font" "$WINEPREFIX/drive_c/windows/Fonts/"
done
# The notice's Times New Roman, as Wine finds it: its metric twin.
wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Times New Roman' /d 'Liberation Serif' /f >/dev/null 2>&1
# Every program of this prefix on one virtual desktop, which draws frames.
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Kastrell /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Kastrell /d 640x480 /f >/dev/null 2>&1

source "$root/tests/e2e/lib.sh"
trap 'finish; wineserver -k 2>/dev/null || true' EXIT
page="Talven's Mouse"

desktop_window=
find_desktop() { desktop_window=$(xdotool search --onlyvisible --name 'Wine desktop' 2>/dev/null | head -n 1); [ -n "$desktop_window" ]; }

# Saves the desktop cut around the windows named, with a margin.
shoot() {
  local file=$1
  shift
  sleep 0.5  # let the last change be painted
  local left=100000 top=100000 right=0 bottom=0 caption frame
  for caption in "$@"; do
    read -r -a frame <<<"$(frame_of "$caption")"
    ((frame[0] < left)) && left=${frame[0]}
    ((frame[1] < top)) && top=${frame[1]}
    ((frame[0] + frame[2] > right)) && right=$((frame[0] + frame[2]))
    ((frame[1] + frame[3] > bottom)) && bottom=$((frame[1] + frame[3]))
  done
  local margin=12
  left=$((left > margin ? left - margin : 0))
  top=$((top > margin ? top - margin : 0))
  import -window "$desktop_window" -crop "$((right - left + margin))x$((bottom - top + margin))+$left+$top" +repage "$shots/$file"
  echo "saved docs/screenshots/$file"
}

reset_state
start_setup screenshots
poll 30 find_desktop || fail "no virtual desktop appeared"
wait_window Form3
shoot licence-page.png Form3

click Form3 "$licence_cancel"
wait_window "Exit Setup"
shoot exit-dialog.png Form3 "Exit Setup"
click "Exit Setup" "$exit_no"
wait_gone "Exit Setup"

agree_and_go_next
shoot install-page.png "$page"
click "$page" "$install_install"
wait_control "$page" "$install_status" "Setup Completed" "visible enabled -"
shoot finished.png "$page"
click "$page" "$install_finish"
expect_exit 0

break_line_14() { sed -i '14s/=/ /' "$1/install.txt"; }
reset_state
start_setup screenshots break_line_14
wait_window Form3
agree_and_go_next
click "$page" "$install_install"
wait_window "Kastrell Setup"
shoot failure-report.png "$page" "Kastrell Setup"
run_wine "$PROBE_EXE" close "Kastrell Setup" >/dev/null
expect_exit 1
