#!/bin/bash
# A released wizard, sealed over its folder as the release seals it: a cursor
# with one byte changed, a script line changed or a clause added to the
# licence after the release is refused with a report naming the file, before
# anything changes; the folder as released installs. The developers' build,
# which has no seal, installs a changed folder as before.
source "$(dirname "$0")/lib.sh"
developers_exe=$KASTRELL_EXE
KASTRELL_EXE=$SEALED_EXE
released_with="is not the file this setup was released with"

change_cursor_byte() { printf '\x7f' | dd of="$1/pamu.cur" bs=1 seek=200 conv=notrunc status=none; }
change_script_line() { sed -i '14s/=zun.cur/=vad1.cur/' "$1/install.txt"; }
add_licence_clause() { printf 'You also agree to whatever else we think of.\r\n' >>"$1/file11.c"; }

# The report names the file; nothing changed on disk or in the registry.
expect_refused() {
  grep -qF "\"$1\" in the folder" <<<"$report" && grep -qF "$released_with" <<<"$report" ||
    fail "the report does not say that $1 is not the released file: $report"
  dismiss_report
  expect_nothing_installed
  export_control_panel "$work_dir/after.reg"
  cmp -s "$work_dir/before.reg" "$work_dir/after.reg" || fail "HKCU\\Control Panel changed"
}

for change in change_cursor_byte:pamu.cur change_script_line:install.txt; do
  step "sealed: ${change%%:*} is refused at Install"
  reset_state
  export_control_panel "$work_dir/before.reg"
  start_setup sealed_release "${change%%:*}"
  wait_window Form3
  agree_and_go_next
  install_expecting_report
  expect_refused "${change#*:}"
done

step "sealed: a licence with a clause added is refused before its page is shown"
reset_state
export_control_panel "$work_dir/before.reg"
start_setup sealed_release add_licence_clause
wait_window "Kastrell Setup"
window_gone Form3 || fail "the licence page was shown"
report=$(run_wine "$PROBE_EXE" dialog-text "Kastrell Setup" | tr -d '\r')
expect_refused file11.c

step "sealed: the folder as released installs"
reset_state
start_setup sealed_release
wait_window Form3
install_to_the_end
expect_scheme_installed

step "unsealed: the developers' build installs a changed cursor as it is"
KASTRELL_EXE=$developers_exe
reset_state
start_setup sealed_release change_cursor_byte
wait_window Form3
install_to_the_end
cmp "$run_dir/pamu.cur" "$scheme_dir/pamu.cur" || fail "the changed pamu.cur was not copied as it is"
! cmp -s "$EXAMPLES/pamu.cur" "$scheme_dir/pamu.cur" || fail "the cursor was not changed"
echo "PASS"
