#!/usr/bin/env bash
# Configures and builds one or both configurations: build.sh [host] [win32]
set -euo pipefail
cd "$(dirname "$0")/.."
configs=("$@"); [ ${#configs[@]} -gt 0 ] || configs=(host win32)
jobs=$(nproc)
for c in "${configs[@]}"; do
  [ -f build/$c/Makefile ] || cmake --preset "$c" >/dev/null
  cmake --build --preset "$c" -j "$jobs"
done
