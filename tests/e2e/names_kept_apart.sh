#!/bin/bash
# A script that copies to "qi<soft hyphen>lo.cur" and then to "qilo.cur",
# names the file system keeps apart, over an earlier setup that has its own
# qilo.cur, and then fails at the seventh copy (a folder stands there). The
# earlier qilo.cur is put back byte for byte, the other name is removed, and
# the report says that everything was put back.
source "$(dirname "$0")/lib.sh"

# Line 2 writes the name with a soft hyphen (0xAD in code page 1252), line 3
# the plain name in place of tervox.cur.
write_both_names() {
  LC_ALL=C sed -i -e '2s/=.*/=qi\xADlo.cur\r/' -e '3s/^.*$/qilo.cur=qilo.cur\r/' "$1/install.txt"
}

reset_state
mkdir -p "$scheme_dir/vad1.cur"
for name in Kastrell.cur qilo.cur tervox.cur zun.cur lonat.cur brin.cur vad2.cur krot.cur pamu.cur; do
  echo "earlier $name" >"$scheme_dir/$name"
done
run_wine reg add "$cursor_key" /v Help /t REG_EXPAND_SZ /d 'c:\earlier\help.cur' /f >/dev/null
(cd "$scheme_dir" && find . -type f -exec md5sum {} + | sort; find . -type d | sort) >"$work_dir/files-before.txt"
export_control_panel "$work_dir/before.reg"

start_setup names_kept_apart write_both_names
LC_ALL=C grep -q $'^qilo.cur=qi\xadlo.cur\r$' "$run_dir/install.txt" &&
  LC_ALL=C grep -q $'^qilo.cur=qilo.cur\r$' "$run_dir/install.txt" || fail "the script does not name both files"
wait_window Form3
agree_and_go_next

step "Install reports the seventh copy"
install_expecting_report
grep -q 'vad1.cur' <<<"$report" || fail "the report does not name vad1.cur"
grep -q 'Setup has put back everything it had changed.' <<<"$report" ||
  fail "the report does not say that everything was put back"

step "OK dismisses it and the program ends with status 1"
dismiss_report

step "the earlier qilo.cur and every other file are as they were"
(cd "$scheme_dir" && find . -type f -exec md5sum {} + | sort; find . -type d | sort) >"$work_dir/files-after.txt"
diff "$work_dir/files-before.txt" "$work_dir/files-after.txt" || fail "the scheme folder changed"
export_control_panel "$work_dir/after.reg"
cmp "$work_dir/before.reg" "$work_dir/after.reg" || fail "HKCU\\Control Panel changed"
echo "PASS"
