#!/bin/bash
# The unpacked package's window program, run from where it was unpacked under
# the test display, fetching through a loopback proxy in front of the sample
# catalogue: its window appears, a category click shows the listing, and the
# close button ends it.
# Usage: window-test.sh PACKAGE-FOLDER SAMPLE-CATALOGUE SITE-ADDRESS
set -euo pipefail
folder=$1 catalogue=$2 site=$3
source "$(dirname "$0")/helpers.sh"

start_scratch
start_catalogue_proxy "$catalogue"

http_proxy=$proxy no_proxy= NO_PROXY= "$folder/root/usr/lib/mireval-txt/Project1" &
program=$!
pids+=("$program")
window=$(window_of "$program")

click_wuxia "$window"
wait_for_text "$work/proxy.log" "GET $site/txt/Wuxia/Soft_010_1.htm"
listing_shown "$window" "$work"

click_close "$window"
wait_for_exit "$program"
if [ "$exit_code" -ne 0 ]; then
  echo "The window program ended with $exit_code" >&2
  exit 1
fi
echo "The unpacked window program showed the listing and closed"
