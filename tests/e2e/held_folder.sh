#!/bin/bash
# Setup reads from the folder it was started in for its whole run: started
# in a folder reached through a link, it installs that folder's cursors even
# when the link is re-pointed at another folder while the licence page is up;
# started on a drive letter that is another name of the folder, it installs
# as from any other. A cursor file far larger than any cursor is refused at
# once, before anything changes.
source "$(dirname "$0")/lib.sh"

held_dir="$drive_c/e2e/held_folder"
rm -rf "$held_dir"
mkdir -p "$held_dir/download" "$held_dir/planted"
cp -a "$EXAMPLES/." "$held_dir/download/"
cp -a "$EXAMPLES/." "$held_dir/planted/"
for file in "$held_dir/planted/"*.cur; do echo "planted instead of $(basename "$file")" >"$file"; done
ln -s download "$held_dir/ln"
alias_drive="$WINEPREFIX/dosdevices/k:"
rm -f "$alias_drive"
trap 'rm -f "$alias_drive"; finish' EXIT

# Starts setup with the given Windows folder as its current folder, as a
# program that starts another with a current folder does.
start_in() {
  (exec wine start /wait /d "$1" "$(winepath_of "$KASTRELL_EXE")" 2>"$work_dir/setup.stderr") &
  setup_pid=$!
}

step "started in C:\\e2e\\held_folder\\ln, a link re-pointed once the licence is up"
reset_state
start_in 'C:\e2e\held_folder\ln'
wait_window Form3
expect_fresh_licence_page
ln -sfn planted "$held_dir/ln"
grep -q planted "$held_dir/ln/qilo.cur" || fail "the link was not re-pointed"
install_to_the_end
expect_scheme_installed

step "started on a drive letter that is another name of the folder"
reset_state
ln -sfn download "$held_dir/ln"
ln -s "$held_dir/download" "$alias_drive"
start_in 'K:\'
wait_window Form3
install_to_the_end
expect_scheme_installed

step "a 1 GiB cursor file is refused within a second of Install, nothing changed"
reset_state
export_control_panel "$work_dir/before.reg"
truncate -s 1G "$held_dir/download/qilo.cur"
start_in 'C:\e2e\held_folder\download'
wait_window Form3
agree_and_go_next
pressed=$(date +%s%N)
install_expecting_report
elapsed_ms=$((($(date +%s%N) - pressed) / 1000000))
grep -q 'install.txt, line 2' <<<"$report" || fail "the report does not name line 2"
grep -q '1073741824 bytes' <<<"$report" || fail "the report does not give the file's size"
((elapsed_ms < 5000)) || fail "the report took $elapsed_ms ms"
echo "reported $elapsed_ms ms after the click (the probe's own start included)"
dismiss_report
[ ! -e "$scheme_dir" ] || fail "the scheme folder was made: $(ls -A "$scheme_dir")"
export_control_panel "$work_dir/after.reg"
cmp "$work_dir/before.reg" "$work_dir/after.reg" || fail "HKCU\\Control Panel changed"
echo "PASS"
