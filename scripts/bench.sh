#!/usr/bin/env bash
# The benchmark report: builds what it needs (win32), runs every benchmark
# side by side in one Xvfb under Wine on this machine, and prints one table
# of Velt's figures next to their references, with targets and verdicts.
#   bash scripts/bench.sh [rounds-of-start-up]
# The raw output of each benchmark is kept in build/win32/bench-work/.
# Not part of CI: figures depend on the machine and on what else runs.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
rounds="${1:-15}"

if [ -f build/win32/Makefile ]; then cmake build/win32 >/dev/null; else cmake --preset win32 >/dev/null; fi
cmake --build build/win32 -j 2 --target benchmarks >/dev/null

work=$root/build/win32/bench-work
rm -rf "$work"; mkdir -p "$work"
export WINEPREFIX="$root/build/win32/wineprefix" WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"
export LC_ALL=en_US.UTF-8 LANG=en
[ -f "$WINEPREFIX/.velt-ready" ] || scripts/wine-prefix >&2

# Each step that fails names itself in steps.txt; the others still run.
cat > "$work/run.sh" <<EOF
cd "$root/build/win32"
failed() { echo "\$1 failed" >> "$work/steps.txt"; }
# A server that an earlier wine command started must be gone first, or
# wineserver -p exits 2.
wineserver -w
wineserver -p || failed "wineserver -p"
wine cmd /c exit </dev/null >/dev/null 2>&1
w() { winepath -w "\$1" 2>/dev/null; }
mkdir -p "$work/program"
wine program_bench.exe "\$(w velt.exe)" "\$(w trivial_window.exe)" "\$(w $work/program)" $rounds > "$work/program.txt" 2>&1 || echo "program_bench failed" >> "$work/program.txt"
wine vault_bench.exe "\$(w $work)" > "$work/vault.txt" 2>&1 || echo "vault_bench failed" >> "$work/vault.txt"
wine strong_bench.exe "\$(w $work)" > "$work/strong.txt" 2>&1 || echo "strong_bench failed" >> "$work/strong.txt"
LC_ALL=pl_PL.UTF-8 wine vault_bench.exe "\$(w $work)" realistic > "$work/vault-pl.txt" 2>&1 || echo "vault_bench failed" >> "$work/vault-pl.txt"
LC_ALL=pl_PL.UTF-8 wine import_bench.exe "\$(w $work)" > "$work/import.txt" 2>&1 || echo "import_bench failed" >> "$work/import.txt"
LC_ALL=pl_PL.UTF-8 wine health_bench.exe > "$work/health.txt" 2>&1 || echo "health_bench failed" >> "$work/health.txt"
wine grid_bench.exe > "$work/grid.txt" 2>&1 || echo "grid_bench failed" >> "$work/grid.txt"
wine mo_bench.exe > "$work/mo.txt" 2>&1 || echo "mo_bench failed" >> "$work/mo.txt"
bash "$root/tests/app/autotype.sh" velt.exe autotype_target.exe "$work/autotype" "$work/autotype/shots" bench 100 > "$work/autotype.txt" 2>&1 || echo "autotype failed" >> "$work/autotype.txt"
wineserver -k
# Start-up at 144 DPI, in the prefix whose LogPixels the display-scale tests set.
export WINEPREFIX="$root/build/win32/wineprefix-dpi"
"$root/scripts/wine-prefix" >&2 || failed "144-DPI prefix"
wine reg add 'HKCU\\Control Panel\\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1 || failed "144-DPI LogPixels"
wineserver -w
wineserver -p || failed "wineserver -p at 144 DPI"
wine cmd /c exit </dev/null >/dev/null 2>&1
mkdir -p "$work/program-144"
wine program_bench.exe "\$(w velt.exe)" "\$(w trivial_window.exe)" "\$(w $work/program-144)" $rounds 144 > "$work/program-144.txt" 2>&1 || echo "program_bench failed" >> "$work/program-144.txt"
wineserver -k
exit 0
EOF
xvfb-run -a -s "-screen 0 1280x1024x24" bash "$work/run.sh" || echo "the run under Xvfb failed" >> "$work/steps.txt"

for f in program program-144 vault vault-pl strong import health grid mo autotype; do [ -f "$work/$f.txt" ] || {
  echo "bench: $f: no output" >&2; continue; }; grep -q "failed\|did not\|no \(password\|memory\|catalogue\)" "$work/$f.txt" && {
  echo "bench: $f: see $work/$f.txt" >&2; grep -v '^@|' "$work/$f.txt" | tail -5 >&2; }; done

python3 - "$work" <<'EOF'
import sys, os, platform, subprocess, datetime
work = sys.argv[1]
rows = []
failed = []
for name in ("program", "program-144", "vault", "vault-pl", "strong", "import", "health", "grid", "mo", "autotype"):
    if not os.path.exists(f"{work}/{name}.txt"):
        failed.append(f"{name}: no output")
        continue
    for line in open(f"{work}/{name}.txt", encoding="utf-8", errors="replace"):
        if line.startswith("@|"):
            rows.append(line.rstrip("\r\n").split("|")[1:])
head = ["Figure", "Velt", "Reference", "Target", "Verdict"]
widths = [max(len(r[i]) for r in rows + [head]) for i in range(5)]
def out(r):
    print("| " + " | ".join(c.ljust(widths[i]) for i, c in enumerate(r)) + " |")
cpu = next((l.split(":", 1)[1].strip() for l in open("/proc/cpuinfo") if l.startswith("model name")), "?")
wine = subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout.strip()
print(f"Velt benchmarks, {datetime.date.today()}, {cpu}, {wine}, one run under Xvfb\n")
out(head)
print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
for r in rows:
    out(r)
missed = [r[0] for r in rows if r[4] == "NOT MET"]
print("\nAll targets met." if not missed else "\nNot met: " + "; ".join(missed))
if os.path.exists(f"{work}/steps.txt"):
    failed += [l.strip() for l in open(f"{work}/steps.txt") if l.strip()]
if failed:
    print("Steps that failed: " + "; ".join(failed))
EOF
