#!/usr/bin/env python3
"""Fails when a file under src/ includes a header from a folder its layer may
not use. The rules are the table in docs/architecture.md; keep both alike."""
import os
import re
import sys

# Folder -> folders its portable files may include (besides its own).
PORTABLE = {
    "core": set(),
    "vault": {"core"},
    "tools": {"core"},
    "export": {"core"},
    "i18n": {"core"},
    "import": {"core", "vault"},
}
# Folder -> folders its Windows files may include (besides its own). Files
# ending in _win in a portable folder adapt that folder to Windows.
WINDOWS = {
    "platform": {"core"},
    "toolkit": {"core", "platform", "vault"},
    "ui": {"core", "platform", "toolkit"},
    "vault": {"core", "platform"},
    "export": {"core", "platform"},
    "i18n": {"core", "platform"},
    "tools": {"core", "platform", "toolkit", "ui", "i18n"},
    "import": {"core", "vault", "platform", "toolkit", "ui"},
    "app": {"core", "platform", "toolkit", "ui", "vault", "tools", "export", "i18n", "import"},
}
WINDOWS_ONLY = {"platform", "toolkit", "ui", "app"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z0-9_]+)/')


def main(root):
    src = os.path.join(root, "src")
    bad = []
    for dirpath, _, files in os.walk(src):
        rel = os.path.relpath(dirpath, src).split(os.sep)
        folder = rel[0]
        if folder == "." or len(rel) > 1:  # build tools in subfolders run on the build machine
            continue
        for name in sorted(files):
            if not name.endswith((".h", ".cpp")):
                continue
            stem = os.path.splitext(name)[0]
            windows = folder in WINDOWS_ONLY or stem.endswith("_win")
            allowed = (WINDOWS if windows else PORTABLE).get(folder)
            if allowed is None:
                bad.append(f"src/{folder}/{name}: folder has no layer; add it to scripts/check-layers.py")
                continue
            with open(os.path.join(dirpath, name), encoding="utf-8", errors="replace") as f:
                for n, line in enumerate(f, 1):
                    m = INCLUDE.match(line)
                    if m and m.group(1) != folder and m.group(1) not in allowed:
                        bad.append(f"src/{folder}/{name}:{n}: includes {m.group(1)}/, above its layer")
    for b in bad:
        print(b)
    print(f"layers: {len(bad)} include(s) against the layers")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")))
