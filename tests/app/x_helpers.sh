# Helpers of the black-box runs driven with xdotool; sourced. They use $work
# for scratch files.

# Waits for a visible window whose title matches the regex $1; prints its id.
wait_window() {
  local id
  for _ in $(seq 1 150); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -1) || true
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}
wait_gone() {
  for _ in $(seq 1 100); do
    xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}

# The client area starts below the caption and the menu bar: found by
# looking for the grid's blue fixed cells (0, 128, 255) in a capture.
client_origin() {
  local win="$1"
  import -window "$win" "$work/win.png" 2>/dev/null
  python3 - "$work/win.png" <<'PY'
import subprocess, sys
out = subprocess.run(["convert", sys.argv[1], "-depth", "8", "txt:-"], capture_output=True, text=True).stdout
best = None
for line in out.splitlines()[1:]:
    pos, _, rest = line.partition(":")
    x, y = map(int, pos.split(","))
    if "#0080FF" in rest.upper():
        if best is None or (y, x) < (best[1], best[0]):
            best = (x, y)
# The grid's top-left pixel sits at client (16, 72).
print(best[0] - 16, best[1] - 72) if best else print("")
PY
}
