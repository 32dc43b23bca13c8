# Shared by the end-to-end scenarios: start the real setup program in a copy
# of the sample scheme's folder, drive it with X clicks and key presses at
# its controls' places, and look at the results from outside only.
#
# Needs in the environment: WINEPREFIX (the run's prefix), KASTRELL_EXE,
# PROBE_EXE, EXAMPLES (the sample scheme's folder) and DISPLAY.
set -euo pipefail

if [ -z "${DISPLAY:-}" ]; then
  echo "No X display: run under xvfb-run." >&2
  exit 77  # ctest: skipped
fi

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
drive_c="$WINEPREFIX/drive_c"
scheme_dir="$drive_c/windows/cursors/Kastrell"
cursor_key='HKCU\Control Panel\cursors'
scheme_key='HKCU\Control Panel\cursors\Schemes'
work_dir=$(mktemp -d)
wine_log="$work_dir/wine.log"  # Wine's own chatter, shown when a step fails
setup_pid=

# The scheme list every installation records, 400 characters.
scheme_list='%SYSTEMROOT%\Cursors\Kastrell\Kastrell.cur,%SYSTEMROOT%\Cursors\Kastrell\qilo.cur,%SYSTEMROOT%\Cursors\Kastrell\tervox.cur,%SYSTEMROOT%\Cursors\Kastrell\zun.cur,,,,,%SYSTEMROOT%\Cursors\Kastrell\lonat.cur,%SYSTEMROOT%\Cursors\Kastrell\brin.cur,%SYSTEMROOT%\Cursors\Kastrell\vad1.cur,%SYSTEMROOT%\Cursors\Kastrell\vad2.cur,%SYSTEMROOT%\Cursors\Kastrell\krot.cur,,%SYSTEMROOT%\Cursors\Kastrell\pamu.cur'

# Control rectangles in twips (left,top,width,height), as the pages lay them out.
licence_next=2280,2640,855,375
licence_cancel=3360,2640,855,375
licence_agree=480,2640,1095,255
licence_text=840,120,3615,2415
licence_inert=4560,30,90,60        # top right corner, beside the text box
install_progress=360,1920,3855,375
install_back=1200,2520,855,375
install_finish=2160,2520,855,375
install_cancel=3240,2520,975,375
install_status=1320,1560,1815,255
install_install=2160,2520,855,375
exit_yes=360,720,975,375
exit_no=1680,720,975,375

# A command that fails outside fail() ends the scenario through set -e; it is
# noted here (file, line, command), so that the failure names it.
failed_command=
set -E
trap 'failed_command="${BASH_SOURCE[0]##*/}:$LINENO: $BASH_COMMAND (exit status $?)"' ERR

finish() {
  local status=$?
  if [ "$status" -ne 0 ] && [ -n "$failed_command" ]; then
    echo "FAIL: a step's command failed: $failed_command" >&2
    if [ -s "$wine_log" ]; then
      echo "--- Wine's messages:" >&2
      tail -n 20 "$wine_log" >&2
    fi
  fi
  if [ -n "$setup_pid" ] && kill -0 "$setup_pid" 2>/dev/null; then
    kill "$setup_pid" 2>/dev/null || true
    wait "$setup_pid" 2>/dev/null || true
  fi
  if [ "$status" -ne 0 ] && [ -s "$work_dir/setup.stderr" ]; then
    echo "--- the program's stderr:" >&2
    grep -v -e wine32 -e multiarch -e 'execute "' -e 'apt-get install' "$work_dir/setup.stderr" | tail -n 30 >&2
  fi
  rm -rf "$work_dir"
}
trap finish EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }
started=$(date +%s%N)
step() { printf '== %5.1fs %s\n' "$((($(date +%s%N) - started) / 1000000))e-3" "$*"; }

# A Windows program of this prefix, Wine's own messages kept aside.
run_wine() { wine "$@" 2>>"$wine_log"; }

# A crash then ends the program with a backtrace on its stderr instead of
# waiting behind a dialog for a click that never comes.
run_wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null

# No scheme folder and no cursor key, the way a fresh Windows user has it
# (with "c:\windows\cursors" present).
reset_state() {
  rm -rf "$scheme_dir"
  mkdir -p "$drive_c/windows/cursors"
  run_wine reg delete "$cursor_key" /f >/dev/null 2>&1 || true
}

# Copies the sample scheme into a fresh folder under drive_c and starts the
# setup program there, as a user double-clicking it in that folder would.
# A function given as $2 may change the copy first.
start_setup() {
  run_dir="$drive_c/e2e/$1"
  rm -rf "$run_dir"
  mkdir -p "$run_dir"
  cp -a "$EXAMPLES/." "$run_dir/"
  if [ $# -ge 2 ]; then "$2" "$run_dir"; fi
  (cd "$run_dir" && exec wine "$KASTRELL_EXE" 2>"$work_dir/setup.stderr") &
  setup_pid=$!
}

seconds_now() { date +%s%N; }

# Polls every tenth of a second until the command succeeds or $1 seconds pass.
poll() {
  local limit=$1
  shift
  local deadline=$(($(seconds_now) + limit * 1000000000))
  until "$@"; do
    [ "$(seconds_now)" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}

# Whether a window is shown is asked of Windows, through the probe: Wine
# unmaps the X window of a closed window only a moment later.
window_shown() { PROBE_WAIT_MS=0 run_wine "$PROBE_EXE" frame "$1" >/dev/null 2>&1; }
window_gone() { ! window_shown "$1"; }

# A first start in the run's prefix can take Wine well over its usual second
# on a loaded machine, so the wait is long. A miss shows what was running, so
# that a rare one can be told apart: whether the program still runs, and the
# top-level windows (process id, program, shown or hidden, class, caption).
wait_window() {
  poll "${2:-60}" window_shown "$1" && return
  local state="has ended"
  if [ -n "$setup_pid" ] && kill -0 "$setup_pid" 2>/dev/null; then
    state="is still running ($(ps -o stat=,etime= -p "$setup_pid" | xargs || true))"
  fi
  {
    echo "--- top-level windows:"
    PROBE_WAIT_MS=0 run_wine "$PROBE_EXE" windows | tr -d '\r' || echo "(the probe could not list them)"
  } >&2
  fail "no window \"$1\" appeared; the program $state"
}
wait_gone() { poll "${2:-10}" window_gone "$1" || fail "window \"$1\" is still shown"; }

# Window and client-area origin in screen pixels:
# "left top width height client_left client_top".
frame_of() {
  PROBE_WAIT_MS=5000 run_wine "$PROBE_EXE" frame "$1" | tr -d '\r' |
    awk '/^window/ { w = $2 " " $3 " " $4 " " $5 } /^client/ { c = $2 " " $3 } END { print w, c }'
}

# Clicks the middle of a control rectangle (twips, client relative) of the
# window with this caption. Wine's screen is the X screen, or, with
# desktop_window set, the virtual desktop's X window.
click() {
  wait_window "$1"
  local left top width height frame
  IFS=, read -r left top width height <<<"$2"
  read -r -a frame <<<"$(frame_of "$1")"
  local x=$((frame[4] + (left + width / 2) / 15)) y=$((frame[5] + (top + height / 2) / 15))
  local on_screen=()
  [ -z "${desktop_window:-}" ] || on_screen=(--window "$desktop_window")
  xdotool mousemove "${on_screen[@]}" "$x" "$y" click 1
}

press() { xdotool key --delay 60 "$@"; }

# One line a control, tab-separated: rectangle in twips, class, visibility,
# enabled state, tick or bar position, text (line breaks shown as \r \n).
controls() { PROBE_WAIT_MS=5000 run_wine "$PROBE_EXE" controls "$1" | tr -d '\r'; }

# The state of the control at RECT with TEXT: "visible enabled -" and so on.
control_state() {
  # Through the environment: awk -v would turn the text's \r \n into line breaks.
  controls "$1" | RECT=$2 TEXT=$3 awk -F '\t' \
    '$1 == ENVIRON["RECT"] && $6 == ENVIRON["TEXT"] { print $3, $4, $5; found = 1 } END { exit !found }'
}

# What the control at RECT shows now, whatever its text: its state and text
# ("visible enabled - Next"), or that there is none; for failure messages.
control_now() {
  local found
  found=$(controls "$1" 2>/dev/null | RECT=$2 awk -F '\t' \
    '$1 == ENVIRON["RECT"] { print $3, $4, $5, "\"" $6 "\""; found = 1 } END { exit !found }') ||
    found="no control at $2"
  echo "$found"
}

# expect_control CAPTION RECT TEXT "visible enabled -"
expect_control() {
  local state
  state=$(control_state "$1" "$2" "$3") ||
    fail "\"$1\" has no control \"$3\" at $2 (now: $(control_now "$1" "$2"))"
  [ "$state" = "$4" ] || fail "\"$1\" control \"$3\" at $2 is \"$state\", expected \"$4\""
}

control_is() { [ "$(control_state "$1" "$2" "$3" 2>/dev/null)" = "$4" ]; }

# Waits until the control reaches the state; for what a handler does later.
wait_control() {
  poll 20 control_is "$@" ||
    fail "\"$1\" control \"$3\" at $2 never became \"$4\" (now: $(control_now "$1" "$2"))"
}

setup_ended() { ! kill -0 "$setup_pid" 2>/dev/null; }

# Waits (up to $2 seconds) for the program to end with exit status $1.
expect_exit() {
  poll "${2:-20}" setup_ended || fail "the program did not end"
  local status=0
  wait "$setup_pid" || status=$?
  setup_pid=
  [ "$status" -eq "$1" ] || fail "the program ended with status $status, expected $1"
}

expect_running() { kill -0 "$setup_pid" 2>/dev/null || fail "the program has ended"; }

# Wine's own registry tool, line ends made Unix ones.
reg_query() { run_wine reg query "$@" | tr -d '\r'; }
key_exists() { run_wine reg query "$1" >/dev/null 2>&1; }

expect_nothing_installed() {
  [ ! -e "$scheme_dir" ] || fail "the scheme folder exists: $(ls -A "$scheme_dir")"
  ! key_exists "$cursor_key" || fail "the cursor key exists: $(reg_query "$cursor_key" /s)"
}

# The licence page as it loads: text from file11.c, Next disabled, unticked.
expect_fresh_licence_page() {
  local licence
  licence=$(tr -d '\r\n' <"$EXAMPLES/file11.c")
  expect_control Form3 "$licence_next" Next "visible disabled -"
  expect_control Form3 "$licence_cancel" Cancel "visible enabled -"
  expect_control Form3 "$licence_agree" "I Agree" "visible enabled unchecked"
  expect_control Form3 "$licence_text" "$licence" "visible enabled -"
}

# The install page as it loads: bar hidden, status empty, Install shown.
expect_ready_install_page() {
  local page="Talven's Mouse"
  expect_control "$page" "$install_progress" "" "hidden enabled 0/24"
  expect_control "$page" "$install_back" Back "visible enabled -"
  expect_control "$page" "$install_finish" Finish "hidden enabled -"
  expect_control "$page" "$install_cancel" Cancel "visible enabled -"
  expect_control "$page" "$install_status" "" "visible enabled -"
  expect_control "$page" "$install_install" Install "visible enabled -"
}

expect_finished_install_page() {
  local page="Talven's Mouse"
  expect_control "$page" "$install_back" Back "hidden enabled -"
  expect_control "$page" "$install_cancel" Cancel "visible disabled -"
  expect_control "$page" "$install_install" Install "hidden enabled -"
  expect_control "$page" "$install_finish" Finish "visible enabled -"
  expect_control "$page" "$install_progress" "" "visible enabled 24/24"
}

# Licence page to install page, by mouse.
agree_and_go_next() {
  click Form3 "$licence_agree"
  wait_control Form3 "$licence_next" Next "visible enabled -"
  click Form3 "$licence_next"
  wait_window "Talven's Mouse"
  wait_gone Form3
}

# Licence page to Finish, by mouse, for an installation that must go through.
install_to_the_end() {
  agree_and_go_next
  click "Talven's Mouse" "$install_install"
  wait_control "Talven's Mouse" "$install_status" "Setup Completed" "visible enabled -"
  click "Talven's Mouse" "$install_finish"
  expect_exit 0
}

# Presses Install and waits for the failure report; its text goes to $report.
install_expecting_report() {
  click "Talven's Mouse" "$install_install"
  wait_window "Kastrell Setup"
  report=$(run_wine "$PROBE_EXE" dialog-text "Kastrell Setup" | tr -d '\r')
  echo "$report"
}

# OK on the report, which ends the program with status 1.
dismiss_report() {
  local ok_button
  ok_button=$(controls "Kastrell Setup" | awk -F '\t' '$2 == "Button" && $6 == "OK" { print $1 }')
  [ -n "$ok_button" ] || fail "the report has no OK button"
  click "Kastrell Setup" "$ok_button"
  expect_exit 1
}

# The user's whole "Control Panel" key, as Wine's reg exports it, into $1.
export_control_panel() { run_wine reg export 'HKCU\Control Panel' "$(winepath_of "$1")" /y >/dev/null; }

# A REG_EXPAND_SZ value as regedit /E exports it: the stored bytes (UTF-16,
# terminating NUL included) as comma-separated hex.
exported_hex() {
  iconv -f UTF-16LE -t UTF-8 "$1" | tr -d '\r' | sed -e ':a' -e '/\\$/N; s/\\\n *//; ta' |
    sed -n "s/^\"$2\"=hex(2)://p"
}

# The same for a text stored as Windows stores an 8-bit text written to it.
expected_hex() {
  printf '%s\0' "$1" | iconv -f CP1252 -t UTF-16LE | od -An -v -tx1 | tr -s ' \n' ',' | sed 's/^,//; s/,$//'
}

# The files, cursor values and scheme list of a complete installation, read
# back through the file system, Wine's reg and regedit, and the probe.
expect_scheme_installed() {
  local names=(Kastrell.cur qilo.cur tervox.cur zun.cur lonat.cur brin.cur vad1.cur vad2.cur krot.cur pamu.cur)
  local name
  for name in "${names[@]}"; do
    cmp "$EXAMPLES/$name" "$scheme_dir/$name" || fail "$name was not copied byte for byte"
  done
  [ "$(ls -A "$scheme_dir" | sort)" = "$(printf '%s\n' "${names[@]}" | sort)" ] ||
    fail "the scheme folder holds: $(ls -A "$scheme_dir")"

  local folder='%SYSTEMROOT%\Cursors\Kastrell\'
  local expected
  expected=$(sort <<EOT
    (Default)    REG_SZ    Kastrell
    Scheme Source    REG_DWORD    0x1
    Arrow    REG_EXPAND_SZ    ${folder}Kastrell.cur
    Help    REG_EXPAND_SZ    ${folder}qilo.cur
    AppStarting    REG_EXPAND_SZ    ${folder}tervox.cur
    Wait    REG_EXPAND_SZ    ${folder}zun.cur
    SizeNS    REG_EXPAND_SZ    ${folder}lonat.cur
    SizeWE    REG_EXPAND_SZ    ${folder}brin.cur
    SizeNWSE    REG_EXPAND_SZ    ${folder}vad1.cur
    SizeNESW    REG_EXPAND_SZ    ${folder}vad2.cur
    SizeAll    REG_EXPAND_SZ    ${folder}krot.cur
    Hand    REG_EXPAND_SZ    ${folder}pamu.cur
EOT
)
  local actual
  actual=$(reg_query "$cursor_key" | grep '^    ' | sort)
  [ "$actual" = "$expected" ] || fail "cursor key holds:
$actual
expected:
$expected"
  [ "$(reg_query "$scheme_key")" = "$(printf '\nHKEY_CURRENT_USER\\Control Panel\\cursors\\Schemes\n    Kastrell    REG_EXPAND_SZ    %s\n' "$scheme_list")" ] ||
    fail "scheme key holds: $(reg_query "$scheme_key")"

  # Byte for byte, with the terminating NUL, the way regedit exports it.
  run_wine regedit /E "$(winepath_of "$work_dir/cursors.reg")" 'HKEY_CURRENT_USER\Control Panel\cursors'
  [ "${#scheme_list}" -eq 400 ] || fail "the expected list is not 400 characters"
  [ "$(exported_hex "$work_dir/cursors.reg" Kastrell)" = "$(expected_hex "$scheme_list")" ] ||
    fail "the exported scheme value differs from the 400-character list and its NUL"
  local value file
  while read -r value _ file; do
    [ "$value" = "(Default)" ] || [ "$value" = Scheme ] && continue
    [ "$(exported_hex "$work_dir/cursors.reg" "$value")" = "$(expected_hex "$file")" ] ||
      fail "the exported value $value differs from \"$file\" and its NUL"
  done <<<"$expected"

  # As the system's mouse settings read it: a user scheme (source 1) whose
  # name, the default value, is listed under Schemes.
  local current
  current=$(reg_query "$cursor_key" /ve | sed -n 's/^    (Default)    REG_SZ    //p')
  [ "$(reg_query "$cursor_key" /v 'Scheme Source' | grep -c 'REG_DWORD    0x1$')" -eq 1 ] ||
    fail "Scheme Source is not 1"
  reg_query "$scheme_key" /v "$current" | grep -q "^    $current    REG_EXPAND_SZ" ||
    fail "the current scheme \"$current\" is not listed under Schemes"

  # Every path the registry names loads as a cursor, %SYSTEMROOT% expanded
  # by the reader as Windows does.
  local paths
  mapfile -t paths < <( (reg_query "$cursor_key"; reg_query "$scheme_key" | tr ',' '\n') |
                        sed -n -e 's/^.*REG_EXPAND_SZ    //' -e '/^%/p' | sort -u)
  [ "${#paths[@]}" -eq 10 ] || fail "expected ten distinct cursor paths, found ${#paths[@]}: ${paths[*]}"
  run_wine "$PROBE_EXE" cursor "${paths[@]}" | tr -d '\r' >"$work_dir/cursors.txt" ||
    fail "a cursor does not load: $(grep -v '^ok' "$work_dir/cursors.txt")"
}

# A Unix path as the programs in the prefix name it.
winepath_of() { run_wine winepath -w "$1" | tr -d '\r'; }
