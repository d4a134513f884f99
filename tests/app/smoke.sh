#!/usr/bin/env bash
# Black-box run of the real velt.exe, driven from outside with xdotool:
# first start without baza.pdb, add and edit an entry, save, restart with the
# same password and find the entry. Screenshots of the prompt and the main
# window in both languages go to the shot folder; with a second Wine prefix,
# the saved vault is opened there at 144 DPI too (prompt-*-144, main-*-144).
#   smoke.sh velt.exe work-dir [shot-dir [dpi-prefix]]
set -euo pipefail
exe="$1"; work="$2"; shots="${3:-$work/shots}"; dpi_prefix="${4:-}"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
wine_run="$here/../../scripts/wine-run"
[ -n "${DISPLAY:-}" ] || { echo "smoke: needs an X display"; exit 1; }
command -v xdotool >/dev/null || { echo "smoke: xdotool missing"; exit 1; }

rm -rf "$work"; mkdir -p "$work" "$shots"; rm -f "$shots"/*.png
cp "$exe" "$work/velt.exe"
pid=""
fail() { echo "smoke: FAIL: $*"; shot "failure"; [ -n "$pid" ] && kill "$pid" 2>/dev/null; exit 1; }
shot() { import -window root "$shots/$1.png" 2>/dev/null || true; }

source "$here/x_helpers.sh"
wait_exit() {
  for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || { wait "$pid" || true; pid=""; return 0; }; sleep 0.1; done
  return 1
}

start() {  # language
  (cd "$work" && LANG="$1" LC_ALL="${2:-en_US.UTF-8}" exec "$wine_run" velt.exe) >/dev/null 2>&1 &
  pid=$!
}

unlock() {  # prompt-title password screenshot-name
  local p
  p=$(wait_window "$1") || fail "no password prompt \"$1\""
  [ -n "${3:-}" ] && { sleep 0.3; shot "$3"; }
  xdotool type --delay 40 "$2"
  xdotool key Return
}

# The strength dialog from its shortcut: "abc" checked, then the close box.
strength_shot() {  # title-regex screenshot-name
  local d b
  xdotool key ctrl+u
  d=$(wait_window "$1") || fail "no strength dialog \"$1\""
  sleep 0.3
  xdotool type --delay 40 "abc"
  eval "$(xdotool getwindowgeometry --shell "$d")"
  b=$(( (WIDTH - 308) / 2 ))                 # frame; the client is 308 x 107
  xdotool mousemove $((X + b + 264)) $((Y + HEIGHT - b - 107 + 20)) sleep 0.1 click 1
  sleep 0.3
  shot "$2"
  xdotool mousemove $((X + WIDTH - b - 10)) $((Y + b + 8)) sleep 0.1 click 1
  wait_gone "$1" || fail "the strength dialog did not close"
}

# ---- first run, English
start en
unlock "^Enter the password$" "secret" prompt-en
err=$(wait_window "^Velt$") || fail "the missing file was not reported"
xdotool key Return
main=$(wait_window "^Velt 0[.]2$") || fail "no main window"
sleep 0.5
read -r ox oy < <(client_origin "$main") || true
[ -n "${ox:-}" ] || fail "grid not found in the main window"
click() {  # client-x client-y button
  eval "$(xdotool getwindowgeometry --shell "$main")"
  xdotool mousemove $((X + $1 + ox)) $((Y + $2 + oy)) sleep 0.1 click "$3"
  sleep 0.3
}
# Grid at client (16, 72), columns 32 + 5 x 103 after the first resize,
# rows 24 px high plus a 1-px line. Centre of cell (c, r):
cell_x() { echo $((16 + 32 + 1 + ($1 - 1) * 104 + 50)); }
cell_y() { echo $((72 + $1 * 25 + 12)); }

click "$(cell_x 1)" "$(cell_y 1)" 3          # in-place editor on Name
sleep 0.5
xdotool type --delay 40 "Webmail account"
click "$(cell_x 5)" "$(cell_y 1)" 1          # the grid's click commits
click "$(cell_x 3)" "$(cell_y 1)" 3
sleep 0.5
xdotool type --delay 40 "jdoe"
click "$(cell_x 5)" "$(cell_y 1)" 1
sleep 0.3
shot main-en
menu_shot() {  # the File menu open, then closed again
  eval "$(xdotool getwindowgeometry --shell "$main")"
  xdotool mousemove $((X + ox + 15)) $((Y + oy - 10)) click 1
  sleep 0.5; shot "$1"; xdotool key Escape; sleep 0.2; xdotool key Escape; sleep 0.3
}
menu_shot menu-en
strength_shot "^Check password strength\$" strength-en
xdotool key ctrl+s
sleep 0.5
[ -f "$work/baza.pdb" ] || fail "Save wrote no baza.pdb"
size=$(stat -c %s "$work/baza.pdb")
[ "$size" = 1292 ] || fail "baza.pdb is $size bytes, expected 1292"
xdotool key ctrl+w
wait_exit || fail "the program did not end after Exit"

# The saved record deciphers with the password (independent reading).
python3 - "$work/baza.pdb" <<'EOF' || fail "baza.pdb does not hold the entry"
import sys, zlib
data = open(sys.argv[1], "rb").read()
key = b"secret"
assert data[:4] == b"IMDF", data[:4]
assert int.from_bytes(data[6:10], "little") == zlib.crc32(key)
assert int.from_bytes(data[10:12], "little") == 1
def field(slot):
    off = 12 + 256 * slot
    n = data[off]
    out = bytearray()
    for i in range(1, n + 1):
        m = i % len(key)
        v = key[m - 1] if m else 0
        out.append((data[off + i] - v) % 256)
    return bytes(out)
assert field(0) == b"Webmail account", field(0)
assert field(2) == b"jdoe", field(2)
EOF

# ---- second run, Polish: the same password opens it and the entry is found
start pl_PL.UTF-8 pl_PL.UTF-8
unlock "^Wpisz has" "secret" prompt-pl
main=$(wait_window "^Velt 0[.]2$") || fail "no main window at the second start"
sleep 0.5
click 100 382 1                               # the search box
xdotool type --delay 40 "MAIL"
click 272 382 1                               # "Search"
sleep 0.3
if xdotool search --onlyvisible --name "^Information\$" >/dev/null 2>&1; then
  fail "the saved entry was not found"
fi
shot main-pl
menu_shot menu-pl
strength_shot "^Sprawd" strength-pl
xdotool key ctrl+w
wait_exit || fail "the program did not end after Exit"
# ---- at 144 DPI, in a prefix of its own: the saved vault in both languages
if [ -n "$dpi_prefix" ]; then
  export WINEPREFIX="$dpi_prefix"
  "$here/../../scripts/wine-prefix"
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
  for lang in en pl; do
    if [ $lang = en ]; then start en; title="^Enter the password$"; else start pl_PL.UTF-8 pl_PL.UTF-8; title="^Wpisz has"; fi
    unlock "$title" "secret" "prompt-$lang-144"
    main=$(wait_window "^Velt 0[.]2$") || fail "no main window at 144 DPI"
    sleep 0.8
    shot "main-$lang-144"
    xdotool key ctrl+w
    wait_exit || fail "the program did not end after Exit at 144 DPI"
  done
  wineserver -k 2>/dev/null || true
fi
echo "smoke: OK (screenshots in $shots)"
