#!/usr/bin/env python3
"""Adds up ctest's summaries of several runs into one closing line."""
import re, sys
passed = failed = 0
for path in sys.argv[1:]:
    try:
        text = open(path, encoding="utf-8", errors="replace").read()
    except OSError:
        failed += 1
        continue
    m = re.search(r"(\d+)% tests passed, (\d+) tests failed out of (\d+)", text)
    if not m:
        failed += 1
        continue
    f, total = int(m.group(2)), int(m.group(3))
    passed += total - f
    failed += f
total = passed + failed
pct = 100 * passed // total if total else 0
print(f"{pct}% tests passed, {failed} tests failed out of {total}")
