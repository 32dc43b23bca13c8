#!/bin/bash
# A system DLL that the program delay-loads but cannot load is reported by
# name, and the program ends with status 1. The report's message box is not
# looked for: without comctl32 the manifest's buttons cannot be made, and
# without user32 there is no box; the report's copy on stderr is read instead.
# A function that user32 lacks (as an older Windows would) is shown in the box.
source "$(dirname "$0")/lib.sh"

for dll in comctl32 user32; do
  step "$dll.dll that cannot be loaded is reported"
  WINEDLLOVERRIDES="$WINEDLLOVERRIDES;$dll=d" start_setup delay_load
  expect_exit 1
  grep -q "cannot load the system's DLL \"$dll.dll\"" "$work_dir/setup.stderr" ||
    fail "the report does not name $dll.dll: $(cat "$work_dir/setup.stderr")"
done
step "a function that user32 lacks is shown in the report's box"
(cd "$work_dir" && exec wine "$ABSENT_FUNCTION_EXE" 2>"$work_dir/setup.stderr") &
setup_pid=$!
wait_window "Kastrell Setup"
report=$(run_wine "$PROBE_EXE" dialog-text "Kastrell Setup" | tr -d '\r')
grep -q "cannot find the function KastrellAbsentFunction in the system's DLL \"user32.dll\"" <<<"$report" ||
  fail "the report does not name the function: $report"
dismiss_report
echo "PASS"
