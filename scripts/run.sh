#!/usr/bin/env bash
# Installs what is missing, builds velt.exe and help.chm into run/ and starts
# Velt under Wine (baza.pdb lives beside the executable, in run/).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh win32
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
  echo "No X display: starting Velt inside Xvfb on :99 (screenshot with: DISPLAY=:99 import -window root shot.png)"
  exec xvfb-run -n 99 -s "-screen 0 1280x1024x24" scripts/wine-run run/velt.exe
fi
exec scripts/wine-run run/velt.exe
