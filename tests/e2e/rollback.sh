#!/bin/bash
# An installation over an earlier setup that fails midway: a folder stands
# where the seventh copy goes. The user is told what failed, the program ends
# with status 1, and the earlier setup's files and settings are as they were.
source "$(dirname "$0")/lib.sh"

# An earlier setup: other bytes in every cursor file, a file of the user's
# own, and a cursor key and scheme list of its own.
reset_state
mkdir -p "$scheme_dir/vad1.cur"
for name in Kastrell.cur qilo.cur tervox.cur zun.cur lonat.cur brin.cur vad2.cur krot.cur pamu.cur; do
  echo "earlier $name" >"$scheme_dir/$name"
done
echo "the user's own" >"$scheme_dir/mine.cur"
run_wine reg add "$cursor_key" /ve /d Earlier /f >/dev/null
run_wine reg add "$cursor_key" /v Arrow /t REG_EXPAND_SZ /d 'c:\earlier\arrow.cur' /f >/dev/null
run_wine reg add "$cursor_key" /v 'Scheme Source' /t REG_DWORD /d 2 /f >/dev/null
run_wine reg add "$scheme_key" /v Earlier /t REG_EXPAND_SZ /d 'a,b' /f >/dev/null
(cd "$scheme_dir" && find . -type f -exec md5sum {} + | sort; find . -type d | sort) >"$work_dir/files-before.txt"
export_control_panel "$work_dir/before.reg"

start_setup rollback
wait_window Form3
agree_and_go_next

step "Install reports the copy that failed"
install_expecting_report
grep -q 'vad1.cur' <<<"$report" || fail "the report does not name vad1.cur"
grep -q 'put back' <<<"$report" || fail "the report does not say that the changes were put back"

step "OK dismisses it and the program ends with status 1"
dismiss_report

step "the earlier setup's files and settings are as they were"
(cd "$scheme_dir" && find . -type f -exec md5sum {} + | sort; find . -type d | sort) >"$work_dir/files-after.txt"
diff "$work_dir/files-before.txt" "$work_dir/files-after.txt" || fail "the scheme folder changed"
export_control_panel "$work_dir/after.reg"
cmp "$work_dir/before.reg" "$work_dir/after.reg" || {
  diff <(iconv -f UTF-16LE -t UTF-8 "$work_dir/before.reg") <(iconv -f UTF-16LE -t UTF-8 "$work_dir/after.reg") >&2
  fail "HKCU\\Control Panel changed"
}
echo "PASS"
