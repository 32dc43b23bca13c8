#!/bin/bash
# A system DLL that the program delay-loads but cannot load (as a function
# that an older Windows lacks) is reported by name, and the program ends with
# status 1. The report's message box is not looked for: without comctl32 the
# manifest's buttons cannot be made, and without user32 there is no box; the
# report's copy on stderr is read instead.
source "$(dirname "$0")/lib.sh"

for dll in comctl32 user32; do
  step "$dll.dll that cannot be loaded is reported"
  WINEDLLOVERRIDES="$WINEDLLOVERRIDES;$dll=d" start_setup delay_load
  expect_exit 1
  grep -q "cannot load the system's DLL \"$dll.dll\"" "$work_dir/setup.stderr" ||
    fail "the report does not name $dll.dll: $(cat "$work_dir/setup.stderr")"
done
echo "PASS"
