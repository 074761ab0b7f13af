#!/bin/bash
# The package tests' fixture: builds this build's Debian package with CPack and
# unpacks it into a root of its own.
# Usage: build-package.sh BUILD-FOLDER PACKAGE-FOLDER
set -euo pipefail
build=$1 folder=$2

rm -rf "$folder"
mkdir -p "$folder"
if ! cpack --config "$build/CPackConfig.cmake" -B "$folder/cpack" >"$folder/cpack.log" 2>&1; then
  cat "$folder/cpack.log" >&2
  exit 1
fi
shopt -s nullglob
debs=("$folder"/cpack/*.deb)
if [ ${#debs[@]} -ne 1 ]; then
  echo "CPack made ${#debs[@]} packages instead of one" >&2
  exit 1
fi
mv "${debs[0]}" "$folder/"
rm -rf "$folder/cpack"
dpkg-deb -x "$folder"/*.deb "$folder/root"
echo "Built and unpacked $(basename "$folder"/*.deb)"
