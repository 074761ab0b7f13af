#!/bin/bash
# The package as a packager checks it: its files and nothing else, its control
# fields with the libraries' packages worked out from the binaries, the desktop
# entry and the AppStream metadata under their own validators, icons of their
# stated sizes, and that apt can install it.
# Usage: contents-test.sh PACKAGE-FOLDER WITH-SAMPLE-CATALOGUE(ON|OFF)
set -euo pipefail
folder=$1 with_sample_catalogue=$2
deb=$(echo "$folder"/*.deb)
root=$folder/root
id=org.mireval.MirevalTxt
failures=0
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}

echo "== Files"
sizes=(16 24 32 48 64 128 256)
expected=(
  usr/bin/mireval-txt
  usr/bin/mireval-download
  usr/lib/mireval-txt/Project1
  usr/share/applications/$id.desktop
  usr/share/metainfo/$id.metainfo.xml
  usr/share/doc/mireval-txt/screenshot.png
)
for size in "${sizes[@]}"; do
  expected+=("usr/share/icons/hicolor/${size}x${size}/apps/$id.png")
done
[ "$with_sample_catalogue" = ON ] && expected+=(usr/lib/mireval-txt/sample-catalogue)
diff <(printf '%s\n' "${expected[@]}" | sort) \
     <(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's|^\./||' | sort) ||
  fail "the packaged files (>) are not the expected ones (<)"
for program in usr/bin/mireval-txt usr/bin/mireval-download usr/lib/mireval-txt/Project1; do
  [ -x "$root/$program" ] || fail "$program is not executable"
done

echo "== Control fields"
dpkg-deb -f "$deb"
[ "$(dpkg-deb -f "$deb" Package)" = mireval-txt ] || fail "the package is not named mireval-txt"
[ "$(dpkg-deb -f "$deb" Section)" = net ] || fail "the section is not net"
[[ "$(dpkg-deb -f "$deb" Maintainer)" =~ ^[^\<]+\ \<[^@]+@[^\>]+\>$ ]] || fail "the maintainer is not a name and an address"
[ -n "$(dpkg-deb -f "$deb" Description | sed 1d)" ] || fail "the description has no long text"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libcurl4 libqt6widgets6 libqt6webenginewidgets6; do
  grep -Eq "(^|, )$library( |,|$)" <<<"$depends" || fail "Depends lacks $library"
done

echo "== Desktop entry"
desktop=$root/usr/share/applications/$id.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the desktop entry"
grep -qx "Exec=mireval-txt" "$desktop" || fail "the desktop entry does not start mireval-txt"
grep -qx "Icon=$id" "$desktop" || fail "the desktop entry does not name the installed icon"

echo "== AppStream metadata"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" ||
  fail "appstreamcli rejects the metainfo"

echo "== Icons"
for size in "${sizes[@]}"; do
  icon=$root/usr/share/icons/hicolor/${size}x${size}/apps/$id.png
  [ "$(identify -format %wx%h "$icon")" = "${size}x${size}" ] || fail "$icon is not ${size}x${size}"
  [ "$(identify -format %k "$icon")" -gt 4 ] || fail "$icon is nearly blank"
done

echo "== apt-get install --simulate"
apt-get install --simulate -q "$deb" >"$folder/apt.log" 2>&1 || {
  cat "$folder/apt.log" >&2
  fail "apt cannot install the package"
}
tail -n 3 "$folder/apt.log"

[ "$failures" -eq 0 ]
