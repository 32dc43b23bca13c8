#!/bin/bash
# An installation of ten 8 MiB cursors over an earlier setup, killed with
# kill -9 at instants spread over its run, then started again and closed on
# its licence page: each time the machine ends exactly as before the killed
# run (files byte for byte, HKCU\Control Panel as exported) or fully
# installed, never between. KILLS sets how many kills (default 3); the count
# of kills that left a run midway is printed.
source "$(dirname "$0")/lib.sh"

kills=${KILLS:-3}
journal="$drive_c/windows/cursors/Kastrell.kastrell-journal"
names=(Kastrell.cur qilo.cur tervox.cur zun.cur lonat.cur brin.cur vad1.cur vad2.cur krot.cur pamu.cur)

# Cursor files large enough for a run to take a while: 8 MiB each, each its
# own, the same in every run.
mkdir "$work_dir/large"
for name in "${names[@]}"; do
  { cat "$EXAMPLES/$name"; head -c $((8 * 1024 * 1024)) /dev/urandom; } >"$work_dir/large/$name"
done
large_cursors() { cp "$work_dir/large/"* "$1/"; }

# An earlier setup: older scheme files, a file of the user's own, cursor settings.
earlier_setup() {
  reset_state
  mkdir -p "$scheme_dir"
  local name
  for name in "${names[@]}"; do echo "earlier $name" >"$scheme_dir/$name"; done
  echo "the user's own" >"$scheme_dir/mine.cur"
  run_wine reg add "$cursor_key" /ve /d Earlier /f >/dev/null
  run_wine reg add "$cursor_key" /v Arrow /t REG_EXPAND_SZ /d 'c:\earlier\arrow.cur' /f >/dev/null
  run_wine reg add "$cursor_key" /v 'Scheme Source' /t REG_DWORD /d 2 /f >/dev/null
  run_wine reg add "$scheme_key" /v Earlier /t REG_EXPAND_SZ /d 'a,b' /f >/dev/null
}

# The scheme folder, its neighbours, and the user's Control Panel, into $1.*
snapshot() {
  (cd "$scheme_dir" 2>/dev/null && find . -type f -exec md5sum {} + | sort; find . -type d | sort) >"$1.files"
  ls -A "$drive_c/windows/cursors" >"$1.beside"
  export_control_panel "$1.reg"
}
# The scheme and the settings alike: what a user sees of an installation.
same_scheme() { cmp -s "$1.files" "$2.files" && cmp -s "$1.reg" "$2.reg"; }
same_as() { same_scheme "$1" "$2" && cmp -s "$1.beside" "$2.beside"; }

# Licence page, Install; the program left running.
start_install() {
  start_setup killed_run large_cursors
  wait_window Form3
  agree_and_go_next
  click "Talven's Mouse" "$install_install"
}

step "a complete run over the earlier setup, for reference"
earlier_setup
snapshot "$work_dir/before"
start_install
wait_control "Talven's Mouse" "$install_finish" Finish "visible enabled -"
click "Talven's Mouse" "$install_finish"
expect_exit 0
snapshot "$work_dir/installed"
for name in "${names[@]}"; do cmp -s "$run_dir/$name" "$scheme_dir/$name" || fail "$name was not copied byte for byte"; done
[ "$(ls -A "$scheme_dir" | sort | xargs)" = "$(printf '%s\n' "${names[@]}" mine.cur | sort | xargs)" ] ||
  fail "the scheme folder holds more than the scheme and the user's file: $(ls -A "$scheme_dir")"
[ ! -e "$journal" ] || fail "the journal is left after a complete run"
ls "$drive_c/windows/cursors" | grep -q kastrell && fail "something of setup's is left beside the scheme folder"

midway=0 before=0 installed=0
for ((kill = 0; kill < kills; kill++)); do
  # Spread over the run, which takes some tenths of a second here.
  delay=$(awk -v k="$kill" -v n="$kills" 'BEGIN { printf "%.2f", 0.6 * k / n }')
  earlier_setup
  start_install
  sleep "$delay"
  kill -9 "$setup_pid"
  wait "$setup_pid" 2>/dev/null || true
  setup_pid=
  # Midway: the scheme and settings neither as before nor as installed.
  snapshot "$work_dir/killed"
  if same_scheme "$work_dir/killed" "$work_dir/before"; then state="killed before any change"
  elif same_scheme "$work_dir/killed" "$work_dir/installed"; then state="killed once installed"
  else midway=$((midway + 1)); state="killed midway"; fi
  [ -e "$journal" ] && state="$state, journal left"

  start_setup killed_run large_cursors
  wait_window Form3
  click Form3 "$licence_cancel"
  wait_window "Exit Setup"
  click "Exit Setup" "$exit_yes"
  expect_exit 0
  snapshot "$work_dir/after"
  if same_as "$work_dir/after" "$work_dir/before"; then
    before=$((before + 1)); outcome="as before"
  elif same_as "$work_dir/after" "$work_dir/installed"; then
    installed=$((installed + 1)); outcome="fully installed"
  else
    diff "$work_dir/before.files" "$work_dir/after.files" >&2 || true
    fail "kill $((kill + 1)) at ${delay}s left the machine half installed"
  fi
  step "kill $((kill + 1)) of $kills at ${delay}s after Install: $state; after the restart: $outcome"
done
echo "kills: $kills, midway: $midway; after the restart: $before as before, $installed fully installed, 0 half"
echo "PASS"
