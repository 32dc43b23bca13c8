#!/bin/bash
# The whole wizard with the keyboard alone, after one click that only
# activates the window: Tab moves along the tab order, Space presses.
source "$(dirname "$0")/lib.sh"
page="Talven's Mouse"

reset_state
start_setup keyboard
wait_window Form3

step "on the licence page Cancel has the focus (Next is disabled): Tab, Space ticks I Agree"
click Form3 "$licence_inert"
press Tab space
wait_control Form3 "$licence_agree" "I Agree" "visible enabled checked"

step "Tab past the licence text to Next, Space"
press Tab Tab space
wait_window "$page"
wait_gone Form3

step "on the install page Back has the focus: Tab, Tab to Install, Space"
press Tab Tab space
wait_control "$page" "$install_status" "Setup Completed" "visible enabled -"
expect_finished_install_page

step "Finish has the focus now: Space ends the program"
press space
expect_exit 0
expect_scheme_installed
echo "PASS"
