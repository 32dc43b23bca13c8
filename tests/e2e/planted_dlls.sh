#!/bin/bash
# The program runs elevated from the scheme's folder, which anyone may have
# put files into: DLLs named like the system DLLs it loads, planted beside it
# and made native-first (as Windows loads every DLL that is not a KnownDLL),
# are not loaded, and the installation works as ever.
source "$(dirname "$0")/lib.sh"

# What the process loads besides ntdll and its start-up imports kernel32 and
# msvcrt (with kernelbase) under Wine, and what it may load under Windows.
planted=(advapi32 combase comctl32 cryptbase dwmapi gdi32 imm32 msimg32 ole32 rpcrt4 sechost
         ucrtbase user32 uxtheme version win32u winmm zlib1)
program=$KASTRELL_EXE
plant() {
  cp "$program" "$1/"
  local name
  for name in "${planted[@]}"; do cp "$PLANTED_DLL" "$1/$name.dll"; done
}

# Each planted DLL writes its path into planted-loaded.txt when loaded; Wine
# notes every DLL it loads, from where, and whether its own or not.
loaded_planted() {
  cat "$run_dir/planted-loaded.txt" 2>/dev/null
  grep ':trace:loaddll:.*: native$' "$work_dir/setup.stderr" | grep -v 'kastrell-setup\.exe' || true
}
expect_none_loaded() {
  local loaded
  loaded=$(loaded_planted)
  [ -z "$loaded" ] || fail "planted DLLs were loaded: $loaded"
}

reset_state
KASTRELL_EXE=$drive_c/e2e/planted_dlls/kastrell-setup.exe WINEDEBUG=+loaddll \
  WINEDLLOVERRIDES="$WINEDLLOVERRIDES;$(IFS=,; echo "${planted[*]}")=n,b" start_setup planted_dlls plant

step "the licence page opens, no planted DLL loaded"
poll 30 window_shown Form3 || fail "no licence page; planted DLLs loaded: $(loaded_planted)"
expect_none_loaded

step "I Agree, Next, Install, Finish install the scheme"
agree_and_go_next
click "Talven's Mouse" "$install_install"
wait_control "Talven's Mouse" "$install_status" "Setup Completed" "visible enabled -"
click "Talven's Mouse" "$install_finish"
expect_exit 0
expect_scheme_installed

step "no planted DLL was loaded"
expect_none_loaded
echo "PASS"
