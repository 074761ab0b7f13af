#!/bin/bash
# The unpacked package's mireval-download, run from where it was unpacked,
# saves a book of the sample catalogue fetched through a loopback proxy.
# Usage: download-test.sh PACKAGE-FOLDER SAMPLE-CATALOGUE SITE-ADDRESS
set -euo pipefail
folder=$1 catalogue=$2 site=$3
source "$(dirname "$0")/helpers.sh"

start_scratch
start_catalogue_proxy "$catalogue"

mkdir "$work/books"
http_proxy=$proxy no_proxy= NO_PROXY= \
  "$folder/root/usr/bin/mireval-download" --to "$work/books" "$site/txt/Wuxia/0101002.htm" >"$work/saved"
saved=$(cat "$work/saved")
if [ "$(dirname "$saved")" != "$work/books" ] || [ ! -s "$saved" ] || [ "$(ls "$work/books" | wc -l)" -ne 1 ]; then
  echo "mireval-download did not save the one book it names: '$saved'" >&2
  ls -la "$work/books" >&2
  exit 1
fi
echo "mireval-download saved $(basename "$saved")"
