#!/bin/bash
# Another program closes the licence page while the exit dialog is open over
# it: both windows go, and so must the program.
source "$(dirname "$0")/lib.sh"

reset_state
start_setup owner_close
wait_window Form3

step "Cancel opens the exit dialog over the licence page"
click Form3 "$licence_cancel"
wait_window "Exit Setup"

step "A close sent to the licence page from outside ends the program"
PROBE_WAIT_MS=0 run_wine "$PROBE_EXE" close Form3 || fail "the probe found no licence page to close"
wait_gone Form3
wait_gone "Exit Setup"
expect_exit 0 10
expect_nothing_installed
echo "PASS"
