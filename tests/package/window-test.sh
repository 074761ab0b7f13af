#!/bin/bash
# The unpacked package's window program, run from where it was unpacked under
# the test display, fetching through a loopback proxy in front of the sample
# catalogue: its window appears, a category click shows the listing, and the
# close button ends it.
# Usage: window-test.sh PACKAGE-FOLDER SAMPLE-CATALOGUE-PROXY SITE-ADDRESS
set -euo pipefail
folder=$1 proxy_program=$2 site=$3
source "$(dirname "$0")/helpers.sh"

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

"$proxy_program" >"$work/proxy.log" 2>&1 &
pids+=($!)
wait_for_text "$work/proxy.log" "Proxy on "
proxy=$(sed -n 's/^Proxy on //p' "$work/proxy.log")

http_proxy=$proxy no_proxy= NO_PROXY= "$folder/root/usr/lib/mireval-txt/Project1" &
program=$!
pids+=("$program")
window=$(window_of "$program")

click_wuxia "$window"
wait_for_text "$work/proxy.log" "GET $site/txt/Wuxia/Soft_010_1.htm"
listing_shown "$window" "$work"

click_close "$window"
code=$(exit_code_of "$program")
if [ "$code" -ne 0 ]; then
  echo "The window program ended with $code" >&2
  exit 1
fi
echo "The unpacked window program showed the listing and closed"
