#!/usr/bin/env bash
# The Debian package made by `cpack -G DEB`: its metadata, its files under /usr, and the desktop entry, the
# AppStream file and the manual page in it, checked by their own validators. Usage: package.sh BUILD_FOLDER
set -euo pipefail
build=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 || fail "cpack: $(cat "$out/cpack.log")"
deb=$(ls "$out"/murmex_*_*.deb 2>/dev/null | head -n 1)
[[ -n "$deb" ]] || fail "no package was made: $(cat "$out/cpack.log")"

field() {
    dpkg-deb -f "$deb" "$1"
}
[[ "$(field Package)" == murmex ]] || fail "the package is called $(field Package)"
[[ "$(field Version)" =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "version $(field Version)"
[[ "$(field Architecture)" == "$(dpkg --print-architecture)" ]] || fail "architecture $(field Architecture)"
[[ -n "$(field Maintainer)" && -n "$(field Description)" ]] || fail "no maintainer or description"
depends=$(field Depends)
for need in libportaudio2 libpulse0 libqt6widgets6 libqt6dbus6 libasound2-plugins; do
    [[ ",$depends" == *", $need"* || "$depends" == "$need"* ]] || fail "Depends lacks $need: $depends"
done

mapfile -t files < <(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $NF }' | sort)
expected=(
    ./usr/bin/murmex
    ./usr/lib/systemd/user/murmex.service
    ./usr/share/applications/murmex.desktop
    ./usr/share/icons/hicolor/scalable/apps/murmex.svg
    ./usr/share/man/man1/murmex.1.gz
    ./usr/share/metainfo/com.pellorquandrel.murmex.metainfo.xml
    ./usr/share/murmex/Help_e.txt
    ./usr/share/murmex/Help_r.txt
)
[[ "${files[*]}" == "${expected[*]}" ]] || fail "the package holds: ${files[*]}"

dpkg-deb -x "$deb" "$out/root"
! readelf -S "$out/root/usr/bin/murmex" | grep -q '\.symtab' || fail "the program is not stripped"
desktop-file-validate "$out/root/usr/share/applications/murmex.desktop" || fail "the desktop entry is not valid"
man_warnings=$(zcat "$out/root/usr/share/man/man1/murmex.1.gz" | groff -man -Tutf8 -ww -z 2>&1) || true
[[ -z "$man_warnings" ]] || fail "the manual page: $man_warnings"
# The user service is shipped, never enabled: the package runs no script of its own at installation.
! dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -Eq '(pre|post)(inst|rm)$' || fail "the package has maintainer scripts"
appstreamcli validate --no-net --pedantic "$out/root/usr/share/metainfo/com.pellorquandrel.murmex.metainfo.xml" ||
    fail "the AppStream file is not valid"
grep -q '<launchable type="desktop-id">murmex.desktop</launchable>' \
    "$out/root/usr/share/metainfo/com.pellorquandrel.murmex.metainfo.xml" || fail "the AppStream file names another entry"
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"
