#!/usr/bin/env python3
"""Checks a TolvaneSetup.exe release artifact: the PE header, the imports and the resources.

    pecheck.py x86_64|i686 FILE    checks FILE, prints one line per check, exits 1 on a failure
    pecheck.py --list FILE         prints the header fields, the imports and the resources
"""
import struct
import sys

MACHINES = {"x86_64": 0x8664, "i686": 0x14C}
SUBSYSTEM_GUI = 2
# What the installer may import: system DLLs present on every Windows it supports.
SYSTEM_DLLS = {"advapi32.dll", "comctl32.dll", "comdlg32.dll", "kernel32.dll", "lz32.dll",
               "msvcrt.dll", "user32.dll"}
RT_ICON_GROUP, RT_VERSION, RT_MANIFEST = 14, 16, 24
SZDD_MAGIC = b"SZDD\x88\xf0\x27\x33"


class PeError(Exception):
    pass


class PeFile:
    """The parts of a PE image the checks read, parsed from its bytes."""

    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise PeError("no MZ header")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise PeError("no PE signature")
        (self.machine, sections, self.timestamp, _, _, opt_size,
         _) = struct.unpack_from("<HHIIIHH", data, pe + 4)
        opt = pe + 24
        magic = struct.unpack_from("<H", data, opt)[0]
        if magic not in (0x10B, 0x20B):
            raise PeError("unknown optional header magic 0x%x" % magic)
        self.checksum, self.subsystem = struct.unpack_from("<IH", data, opt + 64)
        dirs = opt + (96 if magic == 0x10B else 112)
        count = struct.unpack_from("<I", data, dirs - 4)[0]
        self.directories = [struct.unpack_from("<II", data, dirs + 8 * i) for i in range(count)]
        self.sections = []
        table = opt + opt_size
        for i in range(sections):
            name, vsize, va, raw_size, raw_ptr = struct.unpack_from("<8sIIII", data, table + 40 * i)
            self.sections.append((name.rstrip(b"\0").decode("latin-1"), va, max(vsize, raw_size),
                                  raw_ptr, raw_size))

    def offset(self, rva):
        for _, va, size, raw_ptr, raw_size in self.sections:
            if va <= rva < va + size and rva - va < raw_size:
                return raw_ptr + rva - va
        raise PeError("RVA 0x%x outside the file" % rva)

    def cstring(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("latin-1")

    def imports(self):
        rva, size = self.directories[1] if len(self.directories) > 1 else (0, 0)
        names = []
        if not rva:
            return names
        at = self.offset(rva)
        while True:
            entry = struct.unpack_from("<IIIII", self.data, at)
            if entry == (0, 0, 0, 0, 0):
                return names
            names.append(self.cstring(entry[3]))
            at += 20

    def resources(self):
        """[(type, name, language, bytes)]; type and name are ints or strings."""
        rva = self.directories[2][0] if len(self.directories) > 2 else 0
        if not rva:
            return []
        base = self.offset(rva)
        found = []

        def key(raw):
            if raw & 0x80000000:
                at = base + (raw & 0x7FFFFFFF)
                length = struct.unpack_from("<H", self.data, at)[0]
                return self.data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
            return raw

        def walk(at, path):
            named, ids = struct.unpack_from("<HH", self.data, at + 12)
            for i in range(named + ids):
                raw_key, target = struct.unpack_from("<II", self.data, at + 16 + 8 * i)
                if target & 0x80000000:
                    walk(base + (target & 0x7FFFFFFF), path + [key(raw_key)])
                else:
                    data_rva, size = struct.unpack_from("<II", self.data, base + target)
                    start = self.offset(data_rva)
                    found.append(tuple(path + [key(raw_key)]) + (self.data[start:start + size],))

        walk(base, [])
        return found


def version_info(blob):
    """(file version tuple, {string name: value}) from an RT_VERSION resource."""
    strings = {}

    def block(at, end):
        length, value_length, is_text = struct.unpack_from("<HHH", blob, at)
        stop = min(at + length, end)
        key_end = at + 6
        while blob[key_end:key_end + 2] != b"\0\0":
            key_end += 2
        name = blob[at + 6:key_end].decode("utf-16-le")
        value_at = (key_end + 2 + 3) & ~3
        value_size = value_length * 2 if is_text else value_length
        value = blob[value_at:value_at + value_size]
        children = (value_at + value_size + 3) & ~3
        return name, value, is_text, children, stop

    name, fixed, _, child, stop = block(0, len(blob))
    if name != "VS_VERSION_INFO" or struct.unpack_from("<I", fixed, 0)[0] != 0xFEEF04BD:
        raise PeError("not a version resource")
    ms, ls = struct.unpack_from("<II", fixed, 8)
    version = (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)

    def children(at, stop, depth):
        while at + 6 <= stop:
            name, value, is_text, inner, end = block(at, stop)
            if end <= at:
                break
            if depth == 2 and is_text:
                strings[name] = value.decode("utf-16-le").rstrip("\0")
            children(inner, end, depth + 1)
            at = (end + 3) & ~3

    children(child, stop, 0)
    return version, strings


def check(arch, path):
    """Prints one line per check of the artifact at path; returns whether all passed."""
    results = []

    def expect(what, ok, seen):
        results.append(ok)
        print("%s %s: %s (%s)" % ("ok  " if ok else "FAIL", path, what, seen))

    with open(path, "rb") as f:
        pe = PeFile(f.read())
    expect("machine 0x%x" % MACHINES[arch], pe.machine == MACHINES[arch], "0x%x" % pe.machine)
    expect("GUI subsystem", pe.subsystem == SUBSYSTEM_GUI, pe.subsystem)
    expect("no PE time stamp", pe.timestamp == 0, pe.timestamp)
    imports = pe.imports()
    stray = [name for name in imports if name.lower() not in SYSTEM_DLLS]
    expect("imports only system DLLs", bool(imports) and not stray,
           ", ".join(stray) if stray else ", ".join(imports))

    resources = pe.resources()

    def of(kind, name=None):
        return [r for r in resources if r[0] == kind and (name is None or r[1] == name)]

    versions = of(RT_VERSION, 1)
    if versions:
        number, strings = version_info(versions[0][3])
        expect("version 4.2.1.0", number == (4, 2, 1, 0), ".".join(map(str, number)))
        for name, value in (("FileDescription", "Installs the Tolvane DocObj"),
                            ("Comments", "Requires Win95 or Win NT")):
            expect("%s \"%s\"" % (name, value), strings.get(name) == value, strings.get(name))
    else:
        expect("version resource", False, "missing")
    expect("icon group 128", bool(of(RT_ICON_GROUP, 128)), len(of(RT_ICON_GROUP, 128)))
    payload = [r for r in of("EXE", "TOLVANE") if r[2] == 1033]
    expect("payload EXE/TOLVANE/1033 packed with SZDD",
           len(payload) == 1 and payload[0][3].startswith(SZDD_MAGIC),
           "%d bytes" % len(payload[0][3]) if payload else "missing")
    manifests = of(RT_MANIFEST)
    level = b'level="requireAdministrator"'
    expect("one manifest asking for administrator rights",
           len(manifests) == 1 and level in manifests[0][3] and b"supportedOS" not in manifests[0][3],
           "%d manifest(s)" % len(manifests))
    return all(results)


def list_file(path):
    with open(path, "rb") as f:
        pe = PeFile(f.read())
    print("machine 0x%x subsystem %d timestamp %d checksum 0x%x" %
          (pe.machine, pe.subsystem, pe.timestamp, pe.checksum))
    print("imports: " + ", ".join(pe.imports()))
    for kind, name, language, blob in pe.resources():
        print("resource type %s name %s language %d: %d bytes" % (kind, name, language, len(blob)))


def main(argv):
    try:
        if len(argv) == 3 and argv[1] == "--list":
            list_file(argv[2])
            return 0
        if len(argv) == 3 and argv[1] in MACHINES:
            return 0 if check(argv[1], argv[2]) else 1
    except (OSError, PeError, struct.error, ValueError) as error:
        print("FAIL %s: %s" % (argv[-1], error))
        return 1
    print(__doc__.strip(), file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
