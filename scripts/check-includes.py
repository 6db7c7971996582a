#!/usr/bin/env python3
"""Fails on an #include that goes against the folder arrows of docs/architecture.md.

Each file under src/ (and the library doubles under sim/) belongs to a room:
its top folder under src/, with platform/sim and platform/win32 as rooms of
their own. A quoted include names the room it reaches by its first folder. A
room may reach only the rooms listed in ALLOWED; the Win32 views (the files
each src/*/CMakeLists.txt gives to korvath_win32, and their headers) may also
reach platform/win32. Includes without a folder stay in the file's own room.

  scripts/check-includes.py              # self-test, then the check of this tree
  scripts/check-includes.py --root DIR   # the check of another tree only

The self-test first runs the check on a small tree with one bad include of
each kind and fails unless each is reported, so a check that can no longer
fail turns the stage red too.
"""
import argparse
import pathlib
import re
import sys
import tempfile

PLATFORM = "platform"
SIMULATED = "platform/sim"
WIN32 = "platform/win32"

# Which room may include which, from the bottom up. app/ is the composition
# root and may reach every room; tests/ are not checked.
ALLOWED = {
    PLATFORM: set(),
    SIMULATED: {PLATFORM},
    WIN32: {PLATFORM},
    "resources": set(),
    "ui": {PLATFORM},
    "hw": {PLATFORM},
    "config": {PLATFORM, "ui", "resources", "hw"},
    "tools": {PLATFORM, "ui", "resources", "hw", "config"},
    "history": {PLATFORM, "ui", "resources", "hw", "config"},
    "about": {PLATFORM, "ui", "resources", "hw"},
    "monitor": {PLATFORM, "ui", "resources", "hw", "config", "tools", "history", "about"},
    "app": {PLATFORM, SIMULATED, WIN32, "resources", "ui", "hw", "config", "tools", "history", "about", "monitor"},
    # The doubles of the vendor libraries serve the simulated machine through the Win32 side.
    "sim": {PLATFORM, SIMULATED, WIN32},
}

# Known breaks, each to be removed when its code moves; none today.
# An entry is (file, room it may reach in spite of ALLOWED).
KNOWN_EXCEPTIONS: set[tuple[str, str]] = set()

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)
WIN32_SOURCES = re.compile(r"target_sources\(\s*korvath_win32\s+PRIVATE([^)]*)\)")


def room_of_path(parts):
    """The room of a path below src/ (or of an include), from its folders."""
    if parts[0] == PLATFORM and len(parts) > 2 and parts[1] in ("sim", "win32"):
        return parts[0] + "/" + parts[1]
    return parts[0]


def win32_views(root):
    """src/<room>/<stem> of every file that a CMakeLists gives to korvath_win32."""
    views = set()
    for cmake in (root / "src").glob("*/CMakeLists.txt"):
        for block in WIN32_SOURCES.findall(cmake.read_text()):
            for source in block.split():
                if source.endswith(".cpp"):
                    views.add((cmake.parent / source).relative_to(root).with_suffix("").as_posix())
    return views


def violations(root):
    """(file, include, room) of every include that breaks the arrows; and the exceptions used."""
    views = win32_views(root)
    found = []
    used = set()
    files = [f for f in (root / "src").rglob("*") if f.suffix in (".h", ".cpp")]
    files += [f for f in (root / "sim").rglob("*") if f.suffix in (".h", ".cpp")] if (root / "sim").is_dir() else []
    for path in sorted(files):
        relative = path.relative_to(root)
        name = relative.as_posix()
        room = "sim" if relative.parts[0] == "sim" else room_of_path(relative.parts[1:])
        if room not in ALLOWED:
            found.append((name, "", "a folder the arrows do not know: add it to ALLOWED"))
            continue
        allowed = set(ALLOWED[room])
        if relative.with_suffix("").as_posix() in views:
            allowed.add(WIN32)
        for include in INCLUDE.findall(path.read_text(errors="replace")):
            parts = include.split("/")
            if len(parts) == 1:
                continue
            reached = room_of_path(parts)
            if reached == room or reached in allowed:
                continue
            if (name, reached) in KNOWN_EXCEPTIONS:
                used.add((name, reached))
                continue
            found.append((name, include, room + " may not include " + reached))
    return found, used


def check(root):
    found, used = violations(root)
    for name, include, why in found:
        print(f'{name}: #include "{include}": {why}')
    for name, reached in sorted(KNOWN_EXCEPTIONS - used):
        print(f"note: the exception for {name} reaching {reached} is no longer needed; remove it")
    return not found


def self_test():
    """The check must report each kind of bad include in a small tree."""
    cases = {
        "an upward include": ("src/hw/Probe.cpp", "monitor/Monitor.h"),
        "win32 reaching the simulation": ("src/platform/win32/Probe.h", "platform/sim/SimulatedClock.h"),
        "portable logic reaching win32": ("src/monitor/ProbeModel.cpp", "platform/win32/Win32Desktop.h"),
    }
    for what, (bad_file, bad_include) in cases.items():
        with tempfile.TemporaryDirectory() as temp:
            root = pathlib.Path(temp)
            for good, include in (("src/hw/Good.cpp", "platform/Processor.h"),
                                  ("src/monitor/Good.cpp", "hw/CpuInfo.h"),
                                  ("src/monitor/View.h", "platform/win32/Win32Holders.h")):
                (root / good).parent.mkdir(parents=True, exist_ok=True)
                (root / good).write_text(f'#include "{include}"\n')
            (root / "src/monitor/CMakeLists.txt").write_text("target_sources(korvath_win32 PRIVATE\n  View.cpp\n)\n")
            found, _ = violations(root)
            if found:
                print(f"self-test: a clean tree was refused: {found}")
                return False
            (root / bad_file).parent.mkdir(parents=True, exist_ok=True)
            (root / bad_file).write_text(f'#include <cstdint>\n#include "{bad_include}"\n')
            found, _ = violations(root)
            if [(f, i) for f, i, _ in found] != [(bad_file, bad_include)]:
                print(f"self-test: {what} was not reported alone: {found}")
                return False
    print(f"self-test: each of {len(cases)} bad includes was reported")
    return True


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", type=pathlib.Path, help="check this tree only, without the self-test")
    arguments = parser.parse_args()
    if arguments.root:
        return 0 if check(arguments.root) else 1
    if not self_test():
        return 1
    root = pathlib.Path(__file__).resolve().parent.parent
    if not check(root):
        return 1
    print("includes follow the arrows")
    return 0


if __name__ == "__main__":
    sys.exit(main())
