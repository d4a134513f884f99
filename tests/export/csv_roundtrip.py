#!/usr/bin/env python3
"""Reads Velt's CSV export back with Python's csv module (';' as delimiter)
and checks that every cell returns exactly, however awkward its bytes."""
import csv
import subprocess
import sys
import tempfile


def main():
    tool = sys.argv[1]
    with tempfile.TemporaryDirectory() as d:
        subprocess.run([tool, d], check=True)
        with open(f"{d}/roundtrip.expected", encoding="ascii") as f:
            expected = [[bytes.fromhex(c[1:]).decode("latin-1") for c in line.split(" ")]
                        for line in f.read().splitlines()]
        with open(f"{d}/roundtrip.csv", "rb") as f:
            raw = f.read()
        with open(f"{d}/roundtrip.csv", encoding="latin-1", newline="") as f:
            rows = list(csv.reader(f, delimiter=";"))
    failures = []
    if not raw.endswith(b";\r\n"):
        failures.append("file does not end with ';' CR LF")
    if len(rows) != len(expected):
        failures.append(f"{len(rows)} records read, {len(expected)} written")
    for i, (got, want) in enumerate(zip(rows, expected)):
        # Every field ends with ';', so each record reads with one empty field more.
        if got != want + [""]:
            failures.append(f"record {i}: read {got!r}, wrote {want!r}")
    for f in failures:
        print(f)
    print("round trip:", "FAILED" if failures else f"{len(rows)} records read back exactly")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
