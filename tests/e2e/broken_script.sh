#!/bin/bash
# An installation script with a line that has no "=": the user is told
# which file and line, the program ends with a failure status, and
# nothing is installed, not even the lines before the broken one. Started
# where there is no display, it says that this is why it cannot go on.
source "$(dirname "$0")/lib.sh"
page="Talven's Mouse"

break_line_14() { sed -i '14s/=/ /' "$1/install.txt"; }

reset_state
export_control_panel "$work_dir/before.reg"
start_setup broken_script break_line_14
grep -q '^Wait zun.cur' "$run_dir/install.txt" || fail "line 14 was not broken"
wait_window Form3
agree_and_go_next

step "Install reports the broken line"
install_expecting_report
grep -q 'install.txt' <<<"$report" || fail "the report does not name install.txt"
grep -q 'line 14' <<<"$report" || fail "the report does not name line 14"
grep -q 'Wait zun.cur' <<<"$report" || fail "the report does not quote the line"
grep -q 'install.txt, line 14' "$work_dir/setup.stderr" || fail "the report is not on stderr"

step "OK dismisses it and the program ends with status 1"
dismiss_report
window_gone "$page" || fail "the install page is still shown"

step "nothing changed on disk or in the registry"
[ ! -e "$scheme_dir" ] || fail "the scheme folder was made: $(ls -A "$scheme_dir")"
[ -z "$(ls -A "$drive_c/windows/cursors")" ] || fail "c:\\windows\\cursors changed"
export_control_panel "$work_dir/after.reg"
cmp "$work_dir/before.reg" "$work_dir/after.reg" || fail "HKCU\\Control Panel changed"

step "started where there is no display, it names that as the cause"
status=0
(cd "$run_dir" && env -u DISPLAY timeout 60 wine "$KASTRELL_EXE" >"$work_dir/no-display.out" 2>&1) || status=$?
[ "$status" -eq 1 ] || fail "the program ended with status $status, expected 1"
grep -q 'Cannot make the window "Form3"' "$work_dir/no-display.out" && grep -q 'no display or desktop' "$work_dir/no-display.out" ||
  fail "the report does not name the missing display: $(tr -d '\r' <"$work_dir/no-display.out" | grep -v -e wine32 -e multiarch)"
echo "PASS"
