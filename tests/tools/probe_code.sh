#!/usr/bin/env bash
# The strength probe as built: its loop must still convert to floating point
# and round back (fild, then fistp or a call to llrint); an
# optimiser that proves the value whole leaves only integer instructions.
#   probe_code.sh OBJDUMP LIBRARY
set -euo pipefail
objdump=$1 library=$2
body=$("$objdump" -dr --no-show-raw-insn "$library" |
  awk '/<_+ZN4velt11TimingProbeEj>:$/ {on = 1; next} on && /^$/ {on = 0} on {print}')
[ -n "$body" ] || { echo "TimingProbe not found in $library"; exit 1; }
echo "$body"
grep -q 'fild' <<<"$body" || { echo "no conversion to floating point in the loop"; exit 1; }
grep -Eq 'fistp|llrint' <<<"$body" || { echo "no rounding back in the loop"; exit 1; }
echo "probe code: conversion and rounding present"
