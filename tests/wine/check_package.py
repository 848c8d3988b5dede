#!/usr/bin/env python3
"""Checks the portable Windows package: both programs, every example script and the README,
at the top of the archive, and nothing else.

    check_package.py ZIP SCRIPTS_DIR
"""

import sys
import zipfile
from pathlib import Path


def main():
    package, scripts = Path(sys.argv[1]), Path(sys.argv[2])
    with zipfile.ZipFile(package) as archive:
        names = {name.rstrip("/") for name in archive.namelist()}
        readme = archive.read("README.txt").decode("utf-8")
        programs = {name: archive.read(name)[:2] for name in ("keyweave.exe", "keyweave-check.exe")}
    expected = {"keyweave.exe", "keyweave-check.exe", "README.txt"}
    expected |= {f"Scripts/{path.name}" for path in scripts.iterdir() if path.is_file()}
    problems = []
    missing = expected - names
    extra = names - expected - {"Scripts"}
    if missing:
        problems.append(f"missing: {sorted(missing)}")
    if extra:
        problems.append(f"unexpected: {sorted(extra)}")
    if any(magic != b"MZ" for magic in programs.values()):
        problems.append("a program is not a Windows executable")
    if "keyweave.exe" not in readme or "settings.ini" not in readme:
        problems.append("the README does not explain the programs")
    if problems:
        print("FAILED: " + "; ".join(problems))
        return 1
    print(f"passed: {package.name} holds {len(names)} entries")
    return 0


if __name__ == "__main__":
    sys.exit(main())
