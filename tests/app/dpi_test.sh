#!/usr/bin/env bash
# The display-scale suite at the scales Windows offers beyond 100%, in a Wine
# prefix of its own: LogPixels is a user setting, and the other tests need 96.
#   dpi_test.sh win_tests.exe prefix-dir
set -euo pipefail
exe="$1"
export WINEPREFIX="$2"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
wine_run="$here/../../scripts/wine-run"
[ -n "${DISPLAY:-}" ] || { echo "dpi_test: needs an X display"; exit 1; }
"$here/../../scripts/wine-prefix"
trap 'wineserver -k 2>/dev/null || true' EXIT
status=0
for dpi in 120 144 192; do
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  echo "== $dpi DPI"
  LC_ALL=en_US.UTF-8 LANG= "$wine_run" "$exe" --gtest_filter='DisplayScale.*' || status=1
done
exit $status
