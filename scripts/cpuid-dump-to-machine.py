#!/usr/bin/env python3
"""Turns a text CPUID dump of every logical processor into the [cpuid] and
[cpuid.cpuN] sections of a simulated machine file.

The dump holds one block per logical processor, in Windows' order, each
headed by a line naming "CPU #N" and holding lines such as

    CPUID 00000004: FC004121-02C0003F-0000003F-00000000 [SL 00]

(the InstLatx64 collection's CPUID text files have this form). Processor 0's
leaves go into [cpuid]; every other processor gets a [cpuid.cpuN] section with
the leaves whose values differ from processor 0's. Only the leaves Korvath and
the simulator read are kept. Processor 0 also gets a leaf 1 of its own when its
APIC identifier is not 0, because the simulator otherwise reports each
processor's number there.

    scripts/cpuid-dump-to-machine.py DUMP.txt > sections.ini
"""

import re
import sys

BLOCK = re.compile(r"CPU #(\d+)")
LEAF = re.compile(
    r"^CPUID ([0-9A-Fa-f]{8}): ([0-9A-Fa-f]{8})-([0-9A-Fa-f]{8})-([0-9A-Fa-f]{8})-([0-9A-Fa-f]{8})"
    r"(?:\s*\[SL ([0-9A-Fa-f]{2})\])?")

# Leaves whose sub-leaves matter; the others are read with sub-leaf 0.
SUBLEAF_LEAVES = {0x4, 0x7, 0xB, 0x1F}
KEPT_LEAVES = {0x0, 0x1, 0x4, 0x6, 0x7, 0xA, 0xB, 0x16, 0x1A, 0x1F} | set(range(0x80000000, 0x80000009))


def parse_dump(text):
    """Returns {processor: {(leaf, subleaf or None): (eax, ebx, ecx, edx)}}."""
    processors = {}
    current = None
    for line in text.splitlines():
        line = line.strip()
        if not line.startswith("CPUID ") or LEAF.match(line) is None:
            header = BLOCK.search(line)
            if header is not None:
                current = processors.setdefault(int(header.group(1)), {})
            continue
        found = LEAF.match(line)
        if current is None:
            raise ValueError(f"CPUID line before any processor: {line}")
        leaf = int(found.group(1), 16)
        if leaf not in KEPT_LEAVES:
            continue
        subleaf = int(found.group(6), 16) if found.group(6) is not None else None
        if leaf == 0x7 and subleaf not in (None, 0):
            continue
        registers = tuple(int(found.group(i), 16) for i in range(2, 6))
        current[(leaf, subleaf)] = registers
    if not processors or sorted(processors) != list(range(len(processors))):
        raise ValueError(f"processors must be numbered 0..N-1, found {sorted(processors)}")
    return processors


def key_text(leaf, subleaf):
    text = f"0x{leaf:X}"
    if subleaf is not None or leaf in SUBLEAF_LEAVES:
        text += f".{subleaf or 0}"
    return text


def line_text(key, registers):
    return f"{key_text(*key)} = " + " ".join(f"0x{r:08X}" for r in registers)


def brand(leaves):
    words = []
    for leaf in (0x80000002, 0x80000003, 0x80000004):
        words.extend(leaves.get((leaf, None), (0, 0, 0, 0)))
    raw = b"".join(w.to_bytes(4, "little") for w in words)
    return raw.split(b"\0")[0].decode("ascii", "replace").strip()


def sort_key(key):
    return (key[0], key[1] or 0)


def machine_sections(processors):
    first = processors[0]
    out = ["[cpuid]"]
    for key in sorted(first, key=sort_key):
        if key[0] == 0x80000002:
            out.append(f'; "{brand(first)}"')
        out.append(line_text(key, first[key]))
    leaf1 = first.get((1, None))
    if leaf1 is not None and leaf1[1] >> 24 != 0:
        out.append("[cpuid.cpu0]")
        out.append(line_text((1, None), leaf1))
    for number in range(1, len(processors)):
        leaves = processors[number]
        missing = [k for k in first if k not in leaves]
        # A dump stops listing sub-leaves where the processor's list ends (an
        # E-core without a level-3 cache has no leaf 4.3); the processor answers
        # zeros there, which must not fall back to processor 0's values.
        for key in missing:
            if key[0] not in SUBLEAF_LEAVES:
                raise ValueError(f"processor {number} lacks leaf {key_text(*key)}")
            leaves[key] = (0, 0, 0, 0)
        differing = [k for k in sorted(leaves, key=sort_key) if first.get(k) != leaves[k]]
        if differing:
            out.append(f"[cpuid.cpu{number}]")
            out.extend(line_text(k, leaves[k]) for k in differing)
    return "\n".join(out) + "\n"


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: cpuid-dump-to-machine.py DUMP.txt\n")
        return 2
    with open(argv[1], encoding="utf-8", errors="replace") as dump:
        processors = parse_dump(dump.read())
    sys.stdout.write(machine_sections(processors))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
