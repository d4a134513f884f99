#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, ASan, UBSan) in build/fuzz and
# runs every target for the given time, two at a time:
#   scripts/fuzz.sh [seconds per target, default 30]
# Each target is a ctest test; ctest's summary closes the output, and the
# whole run is kept in build/fuzz-ctest.log. A failing input is kept in
# build/fuzz/work/<target>/artifacts; rerun it with build/fuzz/<target>_fuzz <file>.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
if [ ! -f build/fuzz/CMakeCache.txt ]; then
  cmake -S fuzz -B build/fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
fi
cmake --build build/fuzz -j "$(nproc)" >/dev/null
rm -f build/fuzz/work/*/summary
status=0
VELT_FUZZ_SECONDS=$seconds nice ctest --test-dir build/fuzz -j 2 --output-on-failure \
  > build/fuzz-ctest.log 2>&1 || status=1
cat build/fuzz/work/*/summary 2>/dev/null || true
tail -n 8 build/fuzz-ctest.log
exit $status
