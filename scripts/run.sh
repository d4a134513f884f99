#!/usr/bin/env bash
# Installs what is missing, builds velt.exe and help.chm (nothing else: the
# tests are built by test.sh) into run/ and starts Velt under Wine (baza.pdb
# lives beside the executable, in run/).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh win32 --target velt velt_help
mkdir -p run
if [ ! -f build/win32/velt.exe ]; then
  echo "velt.exe is not built yet; the build finished without a program to start."
  exit 0
fi
cp build/win32/velt.exe run/
[ -f build/win32/help.chm ] && cp build/win32/help.chm run/
export WINEPREFIX="$PWD/build/win32/wineprefix"
scripts/wine-prefix
if [ -z "${DISPLAY:-}" ]; then
  # The first free display from :99 on (another Xvfb may hold :99).
  n=99
  while [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ]; do n=$((n + 1)); done
  echo "No X display: starting Velt inside Xvfb on :$n (screenshot with: DISPLAY=:$n import -window root shot.png)"
  exec xvfb-run -n $n -s "-screen 0 1280x1024x24 -ac" scripts/wine-run run/velt.exe
fi
exec scripts/wine-run run/velt.exe
