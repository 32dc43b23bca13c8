#!/bin/bash
# The sample scheme with one cursor file replaced by a Unix link to a file
# outside its folder, which Wine follows without a word: setup refuses the
# line that names it before changing anything, and copies nothing.
source "$(dirname "$0")/lib.sh"

echo "an administrator's secret" >"$work_dir/secret.txt"
link_qilo() { ln -sf "$work_dir/secret.txt" "$1/qilo.cur"; }

reset_state
export_control_panel "$work_dir/before.reg"
start_setup linked_source link_qilo
wait_window Form3
agree_and_go_next

step "Install reports the line whose source leads outside the folder"
install_expecting_report
grep -q 'install.txt, line 2' <<<"$report" || fail "the report does not name line 2"
grep -q 'leads outside the folder' <<<"$report" || fail "the report does not say that the file leads outside"
dismiss_report

step "nothing was copied or written"
[ ! -e "$scheme_dir" ] || fail "the scheme folder was made: $(ls -A "$scheme_dir")"
export_control_panel "$work_dir/after.reg"
cmp "$work_dir/before.reg" "$work_dir/after.reg" || fail "HKCU\\Control Panel changed"
echo "PASS"
