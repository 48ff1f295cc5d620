#!/usr/bin/env python3
"""Checks that every C++ file of the project is laid out as .clang-format says, so the one style
stays the one style. Prints the files that differ and how to fix them."""
import pathlib
import subprocess
import sys

ROOT = pathlib.Path(sys.argv[1])
TOOL = sys.argv[2]
FOLDERS = ["platform", "trace", "res", "midi", "phone", "melodylib", "sim", "playback", "tones", "melodies",
           "frame", "host", "tools", "tests", "fuzz", "bench"]


def main() -> int:
    files = sorted(str(p) for folder in FOLDERS for p in (ROOT / folder).rglob("*") if p.suffix in (".h", ".cpp"))
    differ = []
    for start in range(0, len(files), 200):
        batch = files[start:start + 200]
        result = subprocess.run([TOOL, "--dry-run", "--Werror", "--style=file"] + batch,
                                capture_output=True, text=True, cwd=ROOT)
        differ += sorted({line.split(":")[0] for line in result.stderr.splitlines() if ": error:" in line})
    for path in differ:
        print(f"{pathlib.Path(path).relative_to(ROOT)} is not laid out as .clang-format says")
    if differ:
        print(f"fix with: {TOOL} -i --style=file FILE")
    print(f"{len(files)} files checked, {len(differ)} laid out otherwise")
    return 1 if differ else 0


if __name__ == "__main__":
    sys.exit(main())
