#!/usr/bin/env python3
"""Builds the release twice from copies of the tracked files at two different paths, at two different
times and with different environments, and checks that the two vorlune.exe are the same bytes, that
the COFF header carries no link time, and that the exe imports only DLLs every Windows has."""
import os
import shutil
import struct
import subprocess
import sys
import tempfile

# The tool ships as one file: anything it imports beyond these would have to be shipped beside it.
system_dlls = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "shell32.dll", "winmm.dll",
               "advapi32.dll", "msvcrt.dll"}


class Pe:
    """The parts of a PE image these checks read: the link time, the sections and the imports."""

    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[:2] != b"MZ" or data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("not a PE image")
        coff = struct.unpack_from("<HHIIIHH", data, pe + 4)
        count, self.time_date_stamp, optional_size = coff[1], coff[2], coff[5]
        optional = pe + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        directories = optional + (96 if magic == 0x10B else 112)
        self.import_rva = struct.unpack_from("<I", data, directories + 8)[0]
        table = optional + optional_size
        self.sections = []
        for i in range(count):
            name, vsize, rva, raw_size, raw = struct.unpack_from("<8sIIII", data, table + 40 * i)
            self.sections.append((name.rstrip(b"\0").decode(), rva, vsize, raw, raw_size))
        self.headers_end = table + 40 * count

    def offset(self, rva):
        for _, start, vsize, raw, raw_size in self.sections:
            if start <= rva < start + max(vsize, raw_size):
                return raw + rva - start
        raise ValueError(f"RVA {rva:#x} lies in no section")

    def text_at(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode()

    def imports(self):
        names = []
        descriptor = self.offset(self.import_rva) if self.import_rva else None
        while descriptor is not None:
            fields = struct.unpack_from("<5I", self.data, descriptor)
            if not any(fields):
                break
            names.append(self.text_at(fields[3]))
            descriptor += 20
        return names

    def parts(self):
        """Each named stretch of the file, for saying where two images differ."""
        yield "headers", self.data[:self.headers_end]
        for name, _, _, raw, raw_size in self.sections:
            yield name, self.data[raw:raw + raw_size]
        end = max((raw + raw_size for _, _, _, raw, raw_size in self.sections), default=self.headers_end)
        yield "data after the last section", self.data[end:]


def differing_parts(a, b):
    first, second = dict(Pe(a).parts()), dict(Pe(b).parts())
    return sorted(name for name in first.keys() | second.keys() if first.get(name) != second.get(name))


def foreign_imports(pe):
    return [name for name in pe.imports()
            if name.lower() not in system_dlls and not name.lower().startswith("api-ms-win-")]


def copy_tracked_files(source, target):
    """The files a commit of the working tree would hold, as they are now, without the build trees.
    Each copy gets the time it was made as its files' modification time, as a fresh clone would."""
    listing = ["git", "-C", source, "ls-files", "-z", "--cached", "--others", "--exclude-standard"]
    listed = subprocess.run(listing, check=True, capture_output=True).stdout
    for name in filter(None, listed.decode().split("\0")):
        if os.path.isfile(os.path.join(source, name)):
            os.makedirs(os.path.join(target, os.path.dirname(name)), exist_ok=True)
            shutil.copy(os.path.join(source, name), os.path.join(target, name))


def build(source, root, variant):
    """One release build of a copy at root, with what a different developer's shell would differ in."""
    copy_tracked_files(source, root)
    env = {k: v for k, v in os.environ.items() if k != "SOURCE_DATE_EPOCH"}
    env.update(variant)
    subprocess.run([os.path.join(root, "tools", "dist")], check=True, env=env, stdin=subprocess.DEVNULL)
    subprocess.run(["sha256sum", "--check", "--quiet", "vorlune.exe.sha256"], check=True,
                   cwd=os.path.join(root, "dist"))
    with open(os.path.join(root, "dist", "vorlune.exe"), "rb") as f:
        return f.read()


def main():
    source = sys.argv[1]
    with tempfile.TemporaryDirectory(prefix="vorlune-dist-") as scratch:
        first = build(source, os.path.join(scratch, "a"), {"TZ": "Asia/Shanghai", "USER": "first"})
        second = build(source, os.path.join(scratch, "other", "checkout"),
                       {"TZ": "America/Los_Angeles", "USER": "second", "LANG": "zh_CN.UTF-8"})
    faults = []
    if first != second:
        faults.append("the two builds differ in: " + ", ".join(differing_parts(first, second)))
    pe = Pe(first)
    if pe.time_date_stamp:
        faults.append(f"the COFF header carries the link time {pe.time_date_stamp:#x}")
    if foreign_imports(pe):
        faults.append("vorlune.exe imports DLLs that Windows lacks: " + ", ".join(foreign_imports(pe)))
    if faults:
        print("\n".join(faults))
        return 1
    print(f"both builds are the same {len(first)} bytes, importing " + ", ".join(pe.imports()))
    return 0


if __name__ == "__main__":
    sys.exit(main())
