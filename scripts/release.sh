#!/bin/bash
# Makes what users download: dist/kastrell-setup-VERSION.zip, one folder (the
# sample scheme's, with the wizard in it) ready to unzip and double-click,
# and dist/SHA256SUMS. The version is the project's (CMakeLists.txt).
#
# Two runs on the same commit give the same bytes, wherever the clone lies
# and whenever it runs: the program is built reproducibly, and the zip's
# entries go in a fixed order with fixed permissions and the last commit's
# time (or SOURCE_DATE_EPOCH, when set).
#
# With KASTRELL_SIGN_PFX and KASTRELL_SIGN_PASSWORD set the program is signed
# before it is zipped (scripts/sign.sh); KASTRELL_SIGN_TIMESTAMP_URL adds a
# timestamp. Before zipping, the folder is checked by the program's own
# rules (tools/check_folder.cpp), run under Wine in a throwaway prefix.
set -euo pipefail
{ set +x; } 2>/dev/null  # the environment holds the signing password
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

signing=
if [ -n "${KASTRELL_SIGN_PFX:-}" ] || [ -n "${KASTRELL_SIGN_PASSWORD:-}" ]; then
  [ -n "${KASTRELL_SIGN_PFX:-}" ] && [ -n "${KASTRELL_SIGN_PASSWORD:-}" ] ||
    { echo "Set both KASTRELL_SIGN_PFX and KASTRELL_SIGN_PASSWORD to sign, or neither." >&2; exit 1; }
  signing=yes
fi

bash scripts/setup.sh
bash scripts/build.sh kastrell-setup check_folder >/dev/null
build=$root/build
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || { echo "No project version in $build/CMakeCache.txt" >&2; exit 1; }
epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
[ -z "$(git status --porcelain)" ] ||
  echo "Note: the working tree has changes that are not committed; they are in this release."

dist=$root/dist
zip_name=kastrell-setup-$version.zip
mkdir -p "$dist"
rm -f "$dist/$zip_name" "$dist/SHA256SUMS"

# The scheme's folder as the repository holds it, and the program.
scheme=Kastrell
stage=$build/release-stage
rm -rf "$stage"
mkdir -p "$stage/$scheme"
git ls-files -z "examples/$scheme" | xargs -0 cp -t "$stage/$scheme" --
if [ -n "$signing" ]; then
  bash scripts/sign.sh "$build/kastrell-setup.exe" "$stage/$scheme/kastrell-setup.exe"
else
  cp "$build/kastrell-setup.exe" "$stage/$scheme/"
  echo "Unsigned: set KASTRELL_SIGN_PFX and KASTRELL_SIGN_PASSWORD to sign the program (README, Releasing)."
fi

# The folder must hold what the installation script names, by the program's
# own rules, before anyone downloads it.
export WINEPREFIX=$build/release-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
trap 'wineserver -k 2>/dev/null || true' EXIT
wineboot -u >/dev/null 2>&1
checked=0
(cd "$stage/$scheme" && wine "$build/check_folder.exe" 2>"$build/release-check.log") | tr -d '\r' || checked=$?
if [ "$checked" -ne 0 ]; then
  echo "The scheme's folder (examples/$scheme) is not ready to ship:" >&2
  grep -v -e wine32 -e multiarch -e 'execute "' -e 'apt-get install' -e '^wine: ' "$build/release-check.log" | tr -d '\r' >&2
  exit 1
fi

# Same names, order, times and permissions on every run; no extra fields.
find "$stage/$scheme" -type f -exec chmod 644 {} + -exec touch -d "@$epoch" {} +
(cd "$stage" && find "$scheme" -type f | LC_ALL=C sort | TZ=UTC zip -q -X -D -9 "$dist/$zip_name" -@)
(cd "$dist" && sha256sum "$zip_name" >SHA256SUMS)
echo "Made dist/$zip_name:"
cat "$dist/SHA256SUMS"
