#!/bin/bash
# Makes what users download, in dist/: kastrell-setup-VERSION.zip, one folder
# (the sample scheme's, with the wizard in it) ready to unzip and
# double-click; SHA256SUMS; kastrell-setup-VERSION.buildinfo, the commit and
# the toolchain's package versions that made it; and the program's symbols,
# kastrell-setup-VERSION.exe.debug. The version is the project's (CMakeLists.txt).
#
# Two runs on the same commit with the same packages give the same bytes,
# wherever the clone lies and whatever its build/ holds: the program is built
# reproducibly, in a fresh build folder of its own with no flags from the
# environment, and the zip's entries go in a fixed order with fixed
# permissions and the last commit's time (or SOURCE_DATE_EPOCH, when set).
#
# The folder is checked first by the wizard's own rules and as a cursor
# scheme (tools/check_folder.cpp, under Wine in a throwaway prefix). The
# wizard is then sealed with the SHA-256 of each file of the folder that it
# reads (scripts/seal.sh), so that it refuses a folder changed after the
# release. With KASTRELL_SIGN_PFX and KASTRELL_SIGN_PASSWORD set it is signed
# (scripts/sign.sh), the seal inside the signature; KASTRELL_SIGN_TIMESTAMP_URL
# adds a timestamp.
#
# A working tree with changes that are not committed is refused; with
# KASTRELL_RELEASE_UNCOMMITTED=1 it is released for a trial, the zip named
# kastrell-setup-VERSION-uncommitted.zip. Whatever fails, dist/ is left as it
# was: everything is made in a temporary folder and moved into dist/ at the end.
set -euo pipefail
{ set +x; } 2>/dev/null  # the password must not be traced
# The password reaches the signing step only: out of the environment at once,
# so that no later process (cmake, Wine, zip) inherits it.
password=${KASTRELL_SIGN_PASSWORD:-}
unset KASTRELL_SIGN_PASSWORD
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

fail() { echo "release: $*" >&2; exit 1; }

signing=
if [ -n "${KASTRELL_SIGN_PFX:-}" ] || [ -n "$password" ]; then
  [ -n "${KASTRELL_SIGN_PFX:-}" ] && [ -n "$password" ] ||
    fail "set both KASTRELL_SIGN_PFX and KASTRELL_SIGN_PASSWORD to sign, or neither."
  [ -f "$KASTRELL_SIGN_PFX" ] && [ -r "$KASTRELL_SIGN_PFX" ] ||
    fail "KASTRELL_SIGN_PFX: no readable file \"$KASTRELL_SIGN_PFX\"."
  # The certificate and the password are tried before anything is built.
  openssl pkcs12 -in "$KASTRELL_SIGN_PFX" -noout -passin fd:3 3< <(printf '%s' "$password") 2>/dev/null ||
    fail "KASTRELL_SIGN_PFX: \"$KASTRELL_SIGN_PFX\" is no PKCS#12 file that KASTRELL_SIGN_PASSWORD opens."
  signing=yes
fi

commit=$(git rev-parse HEAD)
uncommitted=
if [ -n "$(git status --porcelain)" ]; then
  [ "${KASTRELL_RELEASE_UNCOMMITTED:-}" = 1 ] || {
    git status --short >&2
    fail "the working tree has changes that are not committed (above): commit them, or set KASTRELL_RELEASE_UNCOMMITTED=1 for a trial release."
  }
  uncommitted=-uncommitted
  echo "A trial release: the working tree's uncommitted changes are in it, and its name says so."
fi

bash scripts/setup.sh
version=$(sed -n 's/^project(kastrell-setup VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || fail "no project version in CMakeLists.txt"
name=kastrell-setup-$version$uncommitted
epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}

# What makes it: the Debian packages of the toolchain, for the .buildinfo, so
# that the same bytes can be made again once the packages have moved on (README).
gxx=$(command -v x86_64-w64-mingw32-g++-posix)
tools=("$gxx" "$("$gxx" -print-prog-name=cc1plus)" "$("$gxx" -print-file-name=libstdc++.a)"
  "$("$gxx" -print-file-name=libmsvcrt.a)" "$("$gxx" -print-libgcc-file-name)" "$(command -v x86_64-w64-mingw32-ld)"
  "$(command -v cmake)" "$(command -v zip)" "$(command -v osslsigncode)")
owners=()
for tool in "${tools[@]}"; do
  owner=$(dpkg -S "$(readlink -f "$tool")" 2>/dev/null | cut -d: -f1) ||
    fail "$tool is not from a Debian package, so the .buildinfo cannot name it; install the Debian one (scripts/setup.sh)."
  owners+=(${owner//,/ })
done
mapfile -t packages < <(printf '%s\n' "${owners[@]}" | LC_ALL=C sort -u | xargs dpkg-query -W -f=' ${Package} ${Version}\n')

work=$(mktemp -d "${TMPDIR:-/tmp}/kastrell-release.XXXXXX")
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
build=$work/build out=$work/dist
mkdir -p "$out"

# The scheme's folder as the repository holds it (as the tree holds it, for
# a trial).
scheme=Kastrell
stage=$work/stage
mkdir -p "$stage/$scheme"
git ls-files -z "examples/$scheme" | xargs -0 cp -t "$stage/$scheme" --

# Nothing from the caller's build or environment: a fresh folder, no flags.
env -u CFLAGS -u CXXFLAGS -u CPPFLAGS -u LDFLAGS -u RCFLAGS \
  cmake -S . -B "$build" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release -DKASTRELL_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target check_folder >/dev/null

# The folder must hold what the installation script names, by the program's
# own rules, and be the scheme it claims to be, before anyone downloads it.
mkdir -p "$WINEPREFIX"
wineboot -u >/dev/null 2>&1
checked=0
(cd "$stage/$scheme" && wine "$build/check_folder.exe" 2>"$work/check.log") | tr -d '\r' || checked=$?
if [ "$checked" -ne 0 ]; then
  echo "The scheme's folder (examples/$scheme) is not ready to ship:" >&2
  grep -v -e wine32 -e multiarch -e 'execute "' -e 'apt-get install' -e '^wine: ' "$work/check.log" | tr -d '\r' >&2
  fail "no zip was made; dist/ is as it was."
fi

# The wizard sealed with the folder's hashes, before it is signed.
bash scripts/seal.sh "$stage/$scheme" "$work/seal.txt"
cmake "$build" -DKASTRELL_SEAL="$work/seal.txt" >/dev/null
cmake --build "$build" -j "$(nproc)" --target kastrell-setup >/dev/null

if [ -n "$signing" ]; then
  KASTRELL_SIGN_PASSWORD=$password bash scripts/sign.sh "$build/kastrell-setup.exe" "$stage/$scheme/kastrell-setup.exe" ||
    fail "signing failed; no zip was made; dist/ is as it was."
else
  cp "$build/kastrell-setup.exe" "$stage/$scheme/"
  echo "Unsigned: set KASTRELL_SIGN_PFX and KASTRELL_SIGN_PASSWORD to sign the program (README, Releasing)."
fi
password=

# Same names, order, times and permissions on every run; no extra fields.
find "$stage/$scheme" -type f -exec chmod 644 {} + -exec touch -d "@$epoch" {} +
(cd "$stage" && find "$scheme" -type f | LC_ALL=C sort | TZ=UTC zip -q -X -D -9 "$out/$name.zip" -@)
(cd "$out" && sha256sum "$name.zip" >SHA256SUMS)
cp "$build/kastrell-setup.exe.debug" "$out/$name.exe.debug"
{
  echo "Source: kastrell-setup $version"
  echo "Commit: $commit${uncommitted:+ with uncommitted changes}"
  echo "Source-Date-Epoch: $epoch"
  echo "Signed: ${signing:-no}"
  echo "Built-With:"
  printf '%s\n' "${packages[@]}"
  echo "SHA256: $(cut -d' ' -f1 "$out/SHA256SUMS") $name.zip"
} >"$out/$name.buildinfo"

# Into dist/, each file by a rename within it, only now that all is made.
mkdir -p dist
incoming=$(mktemp -d dist/.incoming.XXXXXX)
cp "$out"/* "$incoming/"
for file in "$incoming"/*; do mv -f "$file" dist/; done
rmdir "$incoming"
echo "Made dist/$name.zip, with dist/$name.buildinfo and dist/$name.exe.debug:"
cat dist/SHA256SUMS
