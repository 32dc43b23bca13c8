#!/bin/bash
# The seal of a scheme's folder: the SHA-256 of each file the wizard reads
# from it, install.txt, file11.c and the source of each copy line (1-10), one
# line each, "HASH  NAME", the name as the script writes it. A release builds
# it into the wizard (-DKASTRELL_SEAL=FILE), which then refuses any of these
# files that differs from the folder released.
#   seal.sh FOLDER SEAL_FILE
set -euo pipefail
folder=$1 seal=$(realpath -m "$2")
cd "$folder"
hash_of() { sha256sum <"$1" | cut -c1-64; }
{
  printf '%s  %s\n' "$(hash_of install.txt)" install.txt "$(hash_of file11.c)" file11.c
  # Lines end in CR or CR LF; a source is what stands before a line's first "=".
  LC_ALL=C perl -0777 -pe 's/\r\n?/\n/g' install.txt | head -n 10 | cut -d= -f1 |
    while IFS= read -r name; do
      [ -f "${name//\\//}" ] || { echo "seal: install.txt names \"$name\", which $folder does not hold" >&2; exit 1; }
      printf '%s  %s\n' "$(hash_of "${name//\\//}")" "$name"
    done
} >"$seal"
