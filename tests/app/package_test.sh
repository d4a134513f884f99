#!/usr/bin/env bash
# The Windows download: packs the velt.exe and help.chm of a build twice
# (another time zone and umask the second time: the bytes must not change),
# checks the zip's contents, then unpacks it with unzip and starts the
# unpacked velt.exe under Wine as far as its password prompt.
#   package_test.sh build-dir work-dir
set -euo pipefail
build="$1"; work="$2"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
src="$(cd "$here/../.." && pwd)"
[ -n "${DISPLAY:-}" ] || { echo "package: needs an X display"; exit 1; }

rm -rf "$work"; mkdir -p "$work"
pid=""
fail() {
  echo "package test: FAIL: $*"
  import -window root "$work/failure.png" 2>/dev/null || true
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  exit 1
}

export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git -C "$src" log -1 --format=%ct)}"
bash "$src/scripts/package.sh" --prebuilt "$build" --out "$work/one" >/dev/null || fail "package.sh failed"
(umask 077; TZ=Pacific/Kiritimati bash "$src/scripts/package.sh" --prebuilt "$build" --out "$work/two" >/dev/null) ||
  fail "package.sh failed the second time"
zips=("$work"/one/velt-*-win32.zip)
[ ${#zips[@]} = 1 ] && [ -f "${zips[0]}" ] || fail "no velt-<version>-win32.zip"
zip="${zips[0]}"
cmp -s "$zip" "$work/two/$(basename "$zip")" || fail "packing the same files twice gave different zips"
(cd "$work/one" && sha256sum -c --quiet "$(basename "$zip").sha256") || fail "the zip's .sha256 does not match"

python3 "$here/package_test.py" "$zip" "$src" "$build" || fail "the zip's contents"

# Unpacked as a user would, checked with the shipped SHA256SUMS.
unzip -q "$zip" -d "$work/unpacked"
(cd "$work/unpacked" && sha256sum -c --quiet SHA256SUMS) || fail "SHA256SUMS does not match the unpacked files"
(cd "$work/unpacked" && LANG=en LC_ALL=en_US.UTF-8 exec "$src/scripts/wine-run" velt.exe) >/dev/null 2>&1 &
pid=$!
prompt=""
for _ in $(seq 1 150); do
  prompt=$(xdotool search --onlyvisible --name "^Enter the password\$" 2>/dev/null | tail -1) || true
  [ -n "$prompt" ] && break
  sleep 0.1
done
[ -n "$prompt" ] || fail "the unpacked velt.exe showed no password prompt"
import -window root "$work/prompt.png" 2>/dev/null || true
# Cancel: Velt reports the missing password and ends.
xdotool key Escape
for _ in $(seq 1 50); do
  msg=$(xdotool search --onlyvisible --name "^(Velt|Warning|Error|Information)\$" 2>/dev/null | tail -1) || true
  [ -n "$msg" ] && { xdotool key Return; break; }
  sleep 0.1
done
for _ in $(seq 1 100); do
  kill -0 "$pid" 2>/dev/null || { wait "$pid" || true; pid=""; break; }
  sleep 0.1
done
[ -z "$pid" ] || fail "velt.exe did not end after the prompt was cancelled"
[ ! -e "$work/unpacked/baza.pdb" ] || fail "a cancelled start wrote baza.pdb"
echo "package test: OK ($(basename "$zip"))"
