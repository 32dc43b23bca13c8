#!/bin/bash
# An installation script with a line that has no "=": the user is told
# which file and line, the program ends with a failure status, and
# nothing is installed, not even the lines before the broken one.
source "$(dirname "$0")/lib.sh"
page="Talven's Mouse"

break_line_14() { sed -i '14s/=/ /' "$1/install.txt"; }

reset_state
run_wine reg export 'HKCU\Control Panel' "$(winepath_of "$work_dir/before.reg")" /y >/dev/null
start_setup broken_script break_line_14
grep -q '^Wait zun.cur' "$run_dir/install.txt" || fail "line 14 was not broken"
wait_window Form3
agree_and_go_next

step "Install reports the broken line"
click "$page" "$install_install"
wait_window "Kastrell Setup"
report=$(run_wine "$PROBE_EXE" dialog-text "Kastrell Setup" | tr -d '\r')
echo "$report"
grep -q 'install.txt' <<<"$report" || fail "the report does not name install.txt"
grep -q 'line 14' <<<"$report" || fail "the report does not name line 14"
grep -q 'Wait zun.cur' <<<"$report" || fail "the report does not quote the line"
grep -q 'install.txt, line 14' "$work_dir/setup.stderr" || fail "the report is not on stderr"

step "OK dismisses it and the program ends with status 1"
ok_button=$(controls "Kastrell Setup" | awk -F '\t' '$2 == "Button" && $6 == "OK" { print $1 }')
[ -n "$ok_button" ] || fail "the report has no OK button"
click "Kastrell Setup" "$ok_button"
expect_exit 1
window_gone "$page" || fail "the install page is still shown"

step "nothing changed on disk or in the registry"
[ ! -e "$scheme_dir" ] || fail "the scheme folder was made: $(ls -A "$scheme_dir")"
[ -z "$(ls -A "$drive_c/windows/cursors")" ] || fail "c:\\windows\\cursors changed"
run_wine reg export 'HKCU\Control Panel' "$(winepath_of "$work_dir/after.reg")" /y >/dev/null
cmp "$work_dir/before.reg" "$work_dir/after.reg" || fail "HKCU\\Control Panel changed"
echo "PASS"
