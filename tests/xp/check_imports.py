#!/usr/bin/env python3
"""Fails when an executable imports a function that Windows XP SP3 lacks.

XP's loader refuses to start an executable for a single missing import, so one
new call of a Vista function (or one the toolchain's libraries bring along)
would cut every XP player off. This reads the executable's import tables
(ordinary and delay-load) and checks every imported name against the
allow-list beside it (xpsp3-imports.txt, which says how it was made), and
that every delay-load pointer leads to its stub.

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
    return machine, wide, offset, directory, sections


def cstring(data, at):
    return data[at:data.index(b"\0", at)].decode("ascii")


def delay_descriptors(data, offset, sections):
    """File offsets of the delay-load descriptors. GNU ld leaves the delay
    import directory empty (MinGW's helper finds its descriptors through
    symbols), so they are found by their form: attributes 1 (RVAs), a DLL
    name ending in ".dll", an import name table that resolves, time stamp 0."""
    found = []
    for va, size, raw in sections:
        for at in range(raw, raw + size - 32 + 1, 4):
            attrs, name, hmod, iat, names, _, _, stamp = struct.unpack_from("<8I", data, at)
            if attrs != 1 or stamp or not (name and hmod and iat and names):
                continue
            try:
                dll = cstring(data, offset(name))
                offset(names)
            except (ValueError, UnicodeDecodeError):
                continue
            if dll.lower().endswith(".dll") and dll.isprintable():
                found.append(at)
    return found


def descriptor_lists(data, offset, directory, sections):
    """(descriptor offsets, offset of the DLL name, offset of the names'
    thunks) of the ordinary and the delay-load imports."""
    lists = []
    for index, size, name_at, thunks_at in ((1, 20, 12, 0), (13, 32, 4, 16)):
        rva, _ = directory(index)
        at = offset(rva) if rva else None
        descs = []
        while at is not None and data[at:at + size] != b"\0" * size:
            descs.append(at)
            at += size
        if index == 13 and not descs:
            descs = delay_descriptors(data, offset, sections)
        lists.append((descs, name_at, thunks_at))
    return lists


def imports(data):
    """(dll, name) pairs; a name is '#n' for an import by ordinal."""
    machine, wide, offset, directory, sections = rva_reader(data)
    thunk_size, ordinal_flag = (8, 1 << 63) if wide else (4, 1 << 31)
    found = []
    for descs, name_at, thunks_at in descriptor_lists(data, offset, directory, sections):
        for at in descs:
            dll = cstring(data, offset(struct.unpack_from("<I", data, at + name_at)[0])).lower()
            thunks = struct.unpack_from("<I", data, at + thunks_at)[0] or struct.unpack_from("<I", data, at + 16)[0]
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
    return machine, found


def unset_delay_pointers(data):
    """(dll, slot number) of delay-load pointers that do not lead into the
    image. Each starts out at its stub, which loads the DLL on the first
    call; one left 0 (a linker that dropped the stub) crashes that call."""
    machine, wide, offset, directory, sections = rva_reader(data)
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    base = struct.unpack_from("<Q" if wide else "<I", data, pe + (48 if wide else 52))[0]
    size = struct.unpack_from("<I", data, pe + 80)[0]
    unset = []
    descs, _, _ = descriptor_lists(data, offset, directory, sections)[1]
    for at in descs:
        dll = cstring(data, offset(struct.unpack_from("<I", data, at + 4)[0])).lower()
        iat, names = offset(struct.unpack_from("<I", data, at + 12)[0]), offset(struct.unpack_from("<I", data, at + 16)[0])
        fmt, step = ("<Q", 8) if wide else ("<I", 4)
        n = 0
        while struct.unpack_from(fmt, data, names + n * step)[0]:
            value = struct.unpack_from(fmt, data, iat + n * step)[0]
            if not base <= value < base + size:
                unset.append((dll, n))
            n += 1
    return unset


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
        data = f.read()
    machine, found = imports(data)
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
    unset = unset_delay_pointers(data)
    for dll, n in unset:
        print(f"delay-load pointer {n} of {dll} does not lead to its stub: its first call would jump to nowhere")
    return 1 if missing or unset else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
