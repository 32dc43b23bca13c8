#!/bin/bash
# A user installs the scheme with the mouse: licence, I Agree, Next,
# Install, Finish; then everything is where Windows looks for it.
source "$(dirname "$0")/lib.sh"

reset_state
start_setup happy_path

step "the licence page opens with Next disabled"
wait_window Form3
expect_fresh_licence_page

step "Next does nothing until I Agree is ticked"
click Form3 "$licence_next"
sleep 0.3  # give a wrongly enabled Next the time to act
window_gone "Talven's Mouse" || fail "Next worked before I Agree was ticked"
expect_control Form3 "$licence_next" Next "visible disabled -"

step "ticking, unticking and ticking again leaves Next enabled"
click Form3 "$licence_agree"
wait_control Form3 "$licence_agree" "I Agree" "visible enabled checked"
expect_control Form3 "$licence_next" Next "visible enabled -"
click Form3 "$licence_agree"
wait_control Form3 "$licence_next" Next "visible disabled -"
click Form3 "$licence_agree"
wait_control Form3 "$licence_next" Next "visible enabled -"

step "Next replaces the licence page with the install page"
click Form3 "$licence_next"
wait_window "Talven's Mouse"
wait_gone Form3
expect_ready_install_page

step "Install runs to Setup Completed and leaves only Finish"
click "Talven's Mouse" "$install_install"
wait_control "Talven's Mouse" "$install_status" "Setup Completed" "visible enabled -"
expect_finished_install_page

step "Finish ends the program with status 0"
click "Talven's Mouse" "$install_finish"
expect_exit 0
wait_gone "Talven's Mouse"

step "the scheme is installed: files, cursor values, scheme list, loadable cursors"
expect_scheme_installed
echo "PASS"
