#!/usr/bin/env bash
# Builds the Debian package and checks it as an installer would see it:
#   tests/check_package.sh <build dir>
# the files it installs, the dependencies it declares (computed ones and the
# libraries loaded at run time), and the menu entry and metadata it ships.
set -euo pipefail
build=$1

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cmake --build "$build" --target package >"$build/package.log" 2>&1 || { cat "$build/package.log" >&2; fail "the package target failed"; }
deb=$(ls -t "$build"/quantaro_*.deb | head -n 1)
echo "package: $deb"

contents=$(dpkg-deb -c "$deb")
for path in ./usr/lib/quantaro/quantaro ./usr/lib/quantaro/quantaro-helpreader ./usr/lib/quantaro/Tessaly.mdb ./usr/lib/quantaro/TSHelp.chm \
    ./usr/share/applications/quantaro.desktop ./usr/share/metainfo/example.veltrin_tech.quantaro.metainfo.xml \
    ./usr/share/icons/hicolor/scalable/apps/quantaro.svg ./usr/share/icons/hicolor/48x48/apps/quantaro.png \
    ./usr/share/icons/hicolor/256x256/apps/quantaro.png ./usr/share/doc/quantaro/copyright; do
    grep -q -- " $path\$" <<<"$contents" || fail "$path is not in the package"
done
grep -q -- " ./usr/bin/quantaro -> ../lib/quantaro/quantaro\$" <<<"$contents" || fail "bin/quantaro does not link to the program"
if grep -q -- "Tessaly.seed.mdb\|tst_\|scripted_user\|mkcatalogue" <<<"$contents"; then
    fail "the package holds files of the build or the tests"
fi

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for package in libqt6widgets6 libqt6sql6 libqt6sql6-sqlite libchm1 libc6 libstdc++6; do
    tr ',' '\n' <<<"$depends" | awk '{print $1}' | grep -qxF "$package" || fail "Depends lacks $package"
done

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
desktop-file-validate "$unpacked/usr/share/applications/quantaro.desktop" || fail "the menu entry is not valid"
appstreamcli validate --no-net "$unpacked/usr/share/metainfo/example.veltrin_tech.quantaro.metainfo.xml" ||
    fail "the metadata is not valid"
# The program starts its help reader from the folder it runs from, the one
# bin/quantaro leads to; there the reader must open the packaged help file.
request() { # kind, payload: one request of the reader's protocol
    local length=${#2}
    printf '%s' "$1"
    printf "\\x$(printf %02x $((length & 255)))\\x$(printf %02x $((length >> 8 & 255)))\\x00\\x00"
    printf '%s' "$2"
}
program_dir=$(dirname "$(readlink -f "$unpacked/usr/bin/quantaro")")
[ "$program_dir" = "$unpacked/usr/lib/quantaro" ] || fail "bin/quantaro leads to $program_dir"
[ -x "$program_dir/quantaro-helpreader" ] || fail "the help reader is not beside the program or not executable"
replies=$(mktemp)
{ request O "$program_dir/TSHelp.chm"; request R /TSHelp.htm; } | "$program_dir/quantaro-helpreader" >"$replies" ||
    fail "the help reader failed"
[ "$(head -c 6 "$replies" | od -An -tx1 | tr -d ' ')" = 000000000000 ] || fail "the help reader did not open the help"
# grep reads the whole page: a grep -q that stopped early would fail the pipe under pipefail.
tail -c +11 "$replies" | tr -d '\0' | grep -i '<html' >/dev/null || fail "the help reader did not read the help page"
rm -f "$replies"

exec_line=$(grep '^Exec=' "$unpacked/usr/share/applications/quantaro.desktop")
[ "$exec_line" = "Exec=quantaro" ] || fail "the menu entry runs '$exec_line'"
[ "$(dpkg-deb -f "$deb" Package)" = quantaro ] || fail "the package is not called quantaro"
echo "package checked"
