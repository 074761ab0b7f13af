# Shared by the package tests: find the program's window, click it, see a
# listing in its pane, wait for a line of output. Waits are generous and bounded:
# a loaded machine may take long to start the web engine.

# The X11 window of the program with this process id once it is shown; fails
# when none came. Qt may map a first window and replace it, so the one taken is
# one still mapped a moment after it was found.
window_of() {
  local pid=$1 window="" tries=0
  until [ -n "$window" ] && sleep 0.3 && xwininfo -id "$window" 2>/dev/null | grep -q IsViewable; do
    if [ $((tries += 1)) -gt 300 ] || ! kill -0 "$pid" 2>/dev/null; then
      echo "No window of process $pid appeared" >&2
      return 1
    fi
    sleep 0.3
    # xdotool exits 1 until the window exists.
    window=$(xdotool search --onlyvisible --pid "$pid" --name Mireval 2>/dev/null | tail -n 1 || true)
  done
  echo "$window"
}

# A scratch folder $work, and the processes a test adds to pids, gone when it ends.
start_scratch() {
  work=$(mktemp -d)
  pids=()
  trap 'for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; wait 2>/dev/null || true; rm -rf "$work"' EXIT
}

# Starts the sample catalogue on a free port, to be reached as a proxy, and sets
# proxy to its address. Needs start_scratch first.
start_catalogue_proxy() {
  "$1" 0 >"$work/proxy.log" 2>&1 &
  pids+=($!)
  wait_for_text "$work/proxy.log" "Sample catalogue on "
  proxy=$(sed -n 's/^Sample catalogue on //p' "$work/proxy.log")
}

click() {
  xdotool mousemove --window "$1" "$2" "$3" click 1
}

# Clicks the category 武侠仙侠 (suiButton5).
click_wuxia() {
  click "$1" 84 213
}

# Closes the window with its title bar's close button.
click_close() {
  click "$1" 853 10
}

# Waits until the file holds the text.
wait_for_text() {
  local file=$1 text=$2 tries=0
  until grep -qF -- "$text" "$file"; do
    if [ $((tries += 1)) -gt 600 ]; then
      echo "Never seen in $file: $text" >&2
      return 1
    fi
    sleep 0.1
  done
}

# Whether the listing pane shows a list: it holds many colours (text on its
# background) and two shots in a row agree. The shots go into the folder given.
listing_shown() {
  local window=$1 folder=$2 shot previous="" current colours
  shot=$folder/window.png
  for _ in $(seq 120); do
    sleep 0.5
    import -window "$window" "$shot" 2>/dev/null || continue
    current=$(md5sum <"$shot")
    colours=$(convert "$shot" -crop 705x457+168+32 -format %k info:)
    if [ "$colours" -gt 16 ] && [ "$current" = "$previous" ]; then
      return 0
    fi
    previous=$current
  done
  echo "The listing was not shown; last shot: $shot" >&2
  return 1
}

# Waits for a process this shell started to end by itself, and sets exit_code.
# Never in a subshell: only the shell that started a process learns how it ended.
wait_for_exit() {
  local pid=$1 tries=0
  while kill -0 "$pid" 2>/dev/null; do
    if [ $((tries += 1)) -gt 600 ]; then
      echo "Process $pid did not end" >&2
      return 1
    fi
    sleep 0.1
  done
  exit_code=0
  wait "$pid" || exit_code=$?
}

# Whether something accepts connections on the sample catalogue's address.
sample_catalogue_answers() {
  (exec 3<>/dev/tcp/127.0.0.1/8936) 2>/dev/null
}
