#!/usr/bin/env python3
"""Fails when an executable imports a function that Windows XP SP3 lacks.

XP's loader refuses to start an executable for a single missing import, so one
new call of a Vista function (or one the toolchain's libraries bring along)
would cut every XP player off. This reads the executable's import tables
(ordinary and delay-load) and checks every imported name against the
allow-list beside it (xpsp3-imports.txt, which says how it was made).

    check_imports.py EXE LIST
"""
import struct
import sys


def rva_reader(data):
    """A function from an RVA to the file offset, through the section table."""
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("not a PE file")
    machine, nsections = struct.unpack_from("<HH", data, pe + 4)
    opt_size = struct.unpack_from("<H", data, pe + 20)[0]
    opt = pe + 24
    magic = struct.unpack_from("<H", data, opt)[0]
    wide = magic == 0x20B
    dirs = opt + (112 if wide else 96)
    sections = []
    for i in range(nsections):
        s = opt + opt_size + 40 * i
        vsize, va, rawsize, raw = struct.unpack_from("<IIII", data, s + 8)
        sections.append((va, max(vsize, rawsize), raw))

    def offset(rva):
        for va, size, raw in sections:
            if va <= rva < va + size:
                return raw + rva - va
        raise ValueError(f"RVA {rva:#x} lies in no section")

    def directory(index):
        return struct.unpack_from("<II", data, dirs + 8 * index)
    return machine, wide, offset, directory


def cstring(data, at):
    return data[at:data.index(b"\0", at)].decode("ascii")


def imports(data):
    """(dll, name) pairs; a name is '#n' for an import by ordinal."""
    machine, wide, offset, directory = rva_reader(data)
    thunk_size, ordinal_flag = (8, 1 << 63) if wide else (4, 1 << 31)
    found = []
    # (directory index, descriptor size, offset of the DLL name, offset of the names' thunks)
    for index, size, name_at, thunks_at in ((1, 20, 12, 0), (13, 32, 4, 16)):
        rva, _ = directory(index)
        if not rva:
            continue
        at = offset(rva)
        while True:
            desc = data[at:at + size]
            if desc == b"\0" * size:
                break
            dll = cstring(data, offset(struct.unpack_from("<I", desc, name_at)[0])).lower()
            thunks = struct.unpack_from("<I", desc, thunks_at)[0] or struct.unpack_from("<I", desc, 16)[0]
            t = offset(thunks)
            while True:
                value = struct.unpack_from("<Q" if wide else "<I", data, t)[0]
                if not value:
                    break
                if value & ordinal_flag:
                    found.append((dll, f"#{value & 0xFFFF}"))
                else:
                    found.append((dll, cstring(data, offset(value & 0x7FFFFFFF) + 2)))
                t += thunk_size
            at += size
    return machine, found


def allowed(path):
    names = set()
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.split("#", 1)[0].strip()
            if line:
                dll, _, name = line.partition("!")
                names.add((dll.lower(), name))
    return names


def main(exe, listing):
    with open(exe, "rb") as f:
        machine, found = imports(f.read())
    if machine != 0x14C:
        print(f"{exe} is not a 32-bit x86 executable (machine {machine:#x})")
        return 1
    if not found:
        print(f"no imports read from {exe}")
        return 1
    ok = allowed(listing)
    missing = sorted(set(found) - ok)
    for dll, name in missing:
        print(f"{dll}!{name} is not known to exist on Windows XP SP3")
    print(f"{len(set(found))} imports checked, {len(missing)} not on the XP SP3 list")
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
