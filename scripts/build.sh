#!/usr/bin/env bash
# Configures and builds one or both configurations, all of their targets or
# only those named: build.sh [host] [win32] [--target name...]
set -euo pipefail
cd "$(dirname "$0")/.."
configs=(); targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --target) shift; targets=("$@"); break ;;
    *) configs+=("$1"); shift ;;
  esac
done
[ ${#configs[@]} -gt 0 ] || configs=(host win32)
jobs=$(nproc)
for c in "${configs[@]}"; do
  [ -f build/$c/Makefile ] || cmake --preset "$c" >/dev/null
  cmake --build --preset "$c" -j "$jobs" ${targets[@]+--target "${targets[@]}"}
done
