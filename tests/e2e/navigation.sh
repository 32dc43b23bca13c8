#!/bin/bash
# Leaving and going back: Cancel then No changes nothing, Back and Next
# bring fresh pages, Cancel then Yes leaves without installing anything.
source "$(dirname "$0")/lib.sh"
page="Talven's Mouse"

reset_state
start_setup navigation
wait_window Form3

step "Cancel then No on the licence page leaves it as it was"
click Form3 "$licence_agree"
wait_control Form3 "$licence_next" Next "visible enabled -"
controls Form3 >"$work_dir/before.txt"
click Form3 "$licence_cancel"
wait_window "Exit Setup"
expect_control "Exit Setup" "$exit_yes" Yes "visible enabled -"
expect_control "Exit Setup" "$exit_no" No "visible enabled -"
question="   Are you sure you want to exit setup ?\\r\\nTo exit click 'Yes' to Resume click 'No' "
expect_control "Exit Setup" 120,120,3015,495 "$question" "visible enabled -"
click Form3 "$licence_next"  # the page beneath takes no input meanwhile
click "Exit Setup" "$exit_no"
wait_gone "Exit Setup"
expect_running
window_gone "$page" || fail "Next acted while the exit dialog was open"
controls Form3 >"$work_dir/after.txt"
diff "$work_dir/before.txt" "$work_dir/after.txt" || fail "the licence page changed"

step "Next, then Back brings a fresh licence page"
click Form3 "$licence_next"
wait_window "$page"
wait_gone Form3
click "$page" "$install_back"
wait_window Form3
wait_gone "$page"
expect_fresh_licence_page

step "Next again brings a fresh install page"
agree_and_go_next
expect_ready_install_page

step "Cancel then No on the install page leaves it as it was"
controls "$page" >"$work_dir/before.txt"
click "$page" "$install_cancel"
wait_window "Exit Setup"
click "Exit Setup" "$exit_no"
wait_gone "Exit Setup"
expect_running
controls "$page" >"$work_dir/after.txt"
diff "$work_dir/before.txt" "$work_dir/after.txt" || fail "the install page changed"

step "Cancel then Yes ends the program with status 0, nothing installed"
click "$page" "$install_cancel"
wait_window "Exit Setup"
click "Exit Setup" "$exit_yes"
expect_exit 0
window_gone "$page" || fail "the install page is still shown"
expect_nothing_installed

step "Cancel then Yes on the licence page ends the program too"
start_setup navigation
wait_window Form3
click Form3 "$licence_cancel"
wait_window "Exit Setup"
click "Exit Setup" "$exit_yes"
expect_exit 0
expect_nothing_installed
echo "PASS"
