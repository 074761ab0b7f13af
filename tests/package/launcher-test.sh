#!/bin/bash
# The unpacked package's launcher, as the menu entry starts it. With nothing on
# the sample catalogue's address it brings the catalogue up for as long as the
# window is open: a category click shows a listing, and closing the window
# stops the catalogue. With a catalogue already answering it starts only the
# window and leaves that catalogue alone.
# Usage: launcher-test.sh PACKAGE-FOLDER
set -euo pipefail
folder=$1
source "$(dirname "$0")/helpers.sh"
launcher=$folder/root/usr/bin/mireval-txt

# In a network namespace of its own where one can be made (as root), so that no
# other program on the address hides what is tested, nor is hindered by the test.
if [ -z "${LAUNCHER_TEST_OWN_NETWORK:-}" ] && unshare --net true 2>/dev/null; then
  export LAUNCHER_TEST_OWN_NETWORK=1
  exec unshare --net bash -c 'ip link set lo up && exec bash "$@"' _ "$0" "$@"
fi

# Elsewhere another program on the address (another checkout's run, say) hides
# what is tested.
skip_for_foreign_catalogue() {
  echo "SKIPPED: 127.0.0.1:8936 is taken by another program, so the launcher's own start of the sample catalogue cannot be seen" >&2
  ss -ltnp 'sport = :8936' >&2 2>/dev/null || true
  exit 77
}
sample_catalogue_answers && skip_for_foreign_catalogue

start_scratch
unset http_proxy HTTP_PROXY no_proxy NO_PROXY

# The child of the launcher running this program of the package, once it runs.
# Matched on the command line: a process name is cut to 15 characters.
child_of() {
  local parent=$1 name=$2 child="" tries=0
  until child=$(pgrep -P "$parent" -f -- "/$name\$"); do
    if [ $((tries += 1)) -gt 600 ] || ! kill -0 "$parent" 2>/dev/null; then
      echo "The launcher started no $name" >&2
      return 1
    fi
    sleep 0.1
  done
  echo "$child"
}

echo "== Nothing on the sample catalogue's address"
"$launcher" >"$work/launcher.log" 2>&1 &
started=$!
pids+=("$started")
if ! catalogue=$(child_of "$started" sample-catalogue); then
  [ "$(ps -o comm= -p "$started")" = Project1 ] && sample_catalogue_answers && skip_for_foreign_catalogue
  exit 1
fi
pids+=("$catalogue")
window=$(window_of "$(child_of "$started" Project1)")
sample_catalogue_answers || { echo "The sample catalogue does not answer while the window is open" >&2; exit 1; }

click_wuxia "$window"
wait_for_text "$work/launcher.log" "GET http://127.0.0.1:8936/txt/Wuxia/Soft_010_1.htm"
listing_shown "$window" "$work"

click_close "$window"
wait_for_exit "$started"
if [ "$exit_code" -ne 0 ]; then
  echo "The launcher ended with $exit_code" >&2
  cat "$work/launcher.log" >&2
  exit 1
fi
if kill -0 "$catalogue" 2>/dev/null || sample_catalogue_answers; then
  echo "The sample catalogue still runs after the window closed" >&2
  exit 1
fi

echo "== A catalogue already answering"
"$folder/root/usr/lib/mireval-txt/sample-catalogue" >"$work/own-catalogue.log" 2>&1 &
own=$!
pids+=("$own")
wait_for_text "$work/own-catalogue.log" "Sample catalogue on"
"$launcher" >"$work/launcher.log" 2>&1 &
started=$!
pids+=("$started")
window=$(window_of "$started")
# The launcher has become the window program itself, with nothing beside it.
if [ "$(ps -o comm= -p "$started")" != Project1 ] || pgrep -P "$started" -f -- "/sample-catalogue\$" >/dev/null; then
  echo "The launcher started more than the window" >&2
  exit 1
fi
click_close "$window"
wait_for_exit "$started"
if [ "$exit_code" -ne 0 ]; then
  echo "The launcher ended with $exit_code" >&2
  exit 1
fi
kill -0 "$own" 2>/dev/null || { echo "The launcher stopped a catalogue it had not started" >&2; exit 1; }
echo "The launcher started and stopped the sample catalogue only when nothing answered"
