#!/bin/bash
# The DLLs the loader resolves when the program starts, before its entry point
# has limited the DLL search to the system folder, are KnownDLLs, and only
# kernel32 and msvcrt: every other one is delay-loaded after that.
#   startup_imports.sh OBJDUMP PROGRAM
set -euo pipefail
imports=$("$1" -p "$2" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort | tr '\n' ' ')
echo "start-up imports: $imports"
[ "$imports" = "kernel32.dll msvcrt.dll " ] || { echo "FAIL: expected kernel32.dll msvcrt.dll only" >&2; exit 1; }
