#!/usr/bin/env python3
"""Checks that a built krumenfeger.exe is the self-contained Windows program it should be.

Reads the PE file directly (no third-party module): machine type, GUI subsystem, zero time stamp,
imports limited to Windows system DLLs (no MinGW runtime DLL, no SHELL32), icon 1 with one 22x22
32-bit image, a manifest that only asks for common controls 6.0.0.0, and no version block.
Usage: check_pe.py --arch x64|x86 krumenfeger.exe
"""
import argparse
import struct
import sys
import xml.etree.ElementTree as ET

MACHINES = {"x64": 0x8664, "x86": 0x14C}
MANIFEST_ARCHES = {"x64": "amd64", "x86": "x86"}
SUBSYSTEM_GUI = 2
ALLOWED_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "ole32.dll", "msvcrt.dll"}
DIR_IMPORT, DIR_RESOURCE, DIR_DELAY_IMPORT = 1, 2, 13
RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24
ICON_SIZE, ICON_BITS = 22, 32
ASM = "{urn:schemas-microsoft-com:asm.v1}"
COMMON_CONTROLS = {
    "type": "win32",
    "name": "Microsoft.Windows.Common-Controls",
    "version": "6.0.0.0",
    "publicKeyToken": "6595b64144ccf1df",
    "language": "*",
}


class Image:
    """A PE file's headers, sections and data directories, with reads by relative virtual address."""

    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[:2] != b"MZ" or data[pe : pe + 4] != b"PE\0\0":
            raise ValueError("not a PE file")
        self.machine, sections, self.timestamp, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        wide = struct.unpack_from("<H", data, optional)[0] == 0x20B  # PE32+
        self.subsystem = struct.unpack_from("<H", data, optional + 68)[0]
        count = struct.unpack_from("<I", data, optional + (108 if wide else 92))[0]
        first = optional + (112 if wide else 96)
        self.directories = [struct.unpack_from("<II", data, first + 8 * i) for i in range(count)]
        table = optional + optional_size
        self.sections = [struct.unpack_from("<IIII", data, table + 40 * i + 8) for i in range(sections)]

    def offset(self, rva):
        for virtual_size, address, raw_size, raw_at in self.sections:
            if address <= rva < address + max(virtual_size, raw_size):
                return raw_at + rva - address
        raise ValueError(f"address {rva:#x} lies in no section")

    def read(self, rva, size):
        at = self.offset(rva)
        return self.data[at : at + size]

    def text(self, rva):
        at = self.offset(rva)
        return self.data[at : self.data.index(b"\0", at)].decode("ascii")

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)


def imported_dlls(image):
    """Lower-case names of the DLLs in the import and delay-import tables."""
    names = []
    for index, size, name_field in ((DIR_IMPORT, 20, 3), (DIR_DELAY_IMPORT, 32, 1)):
        rva = image.directory(index)[0]
        while rva:
            fields = struct.unpack_from(f"<{size // 4}I", image.read(rva, size))
            if not any(fields):
                break
            names.append(image.text(fields[name_field]).lower())
            rva += size
    return names


def resources(image):
    """Maps (type, id) to the data of the resource's first language; named entries are kept by name."""
    base = image.directory(DIR_RESOURCE)[0]
    found = {}

    def entries(table):
        named, numbered = struct.unpack_from("<HH", image.read(base + table + 12, 4))
        for i in range(named + numbered):
            key, target = struct.unpack_from("<II", image.read(base + table + 16 + 8 * i, 8))
            if key & 0x80000000:
                length = struct.unpack_from("<H", image.read(base + (key & 0x7FFFFFFF), 2))[0]
                key = image.read(base + (key & 0x7FFFFFFF) + 2, 2 * length).decode("utf-16-le")
            yield key, target & 0x7FFFFFFF

    if base:
        for kind, names in entries(0):
            for ident, languages in entries(names):
                _, leaf = next(entries(languages))
                rva, size = struct.unpack_from("<II", image.read(base + leaf, 8))
                found[(kind, ident)] = image.read(rva, size)
    return found


def manifest_problems(text, arch):
    """Everything in the manifest beyond the one common-controls dependency for this architecture."""
    problems = [f"manifest mentions {word}" for word in ("dpiAware", "requestedExecutionLevel")
                if word.lower() in text.lower()]
    root = ET.fromstring(text)
    children = [child.tag.replace(ASM, "") for child in root]
    if children != ["dependency"]:
        return problems + [f"manifest elements: expected ['dependency'], actual {children}"]
    identities = root.findall(f"{ASM}dependency/{ASM}dependentAssembly/{ASM}assemblyIdentity")
    expected = dict(COMMON_CONTROLS, processorArchitecture=MANIFEST_ARCHES[arch])
    actual = [identity.attrib for identity in identities]
    if actual != [expected]:
        problems.append(f"manifest dependency: expected [{expected}], actual {actual}")
    return problems


def import_problem(dll):
    if dll == "shell32.dll":
        return "imports shell32.dll, which the program may only load by name while it needs it"
    if dll.startswith(("libstdc++", "libgcc", "libwinpthread")):
        return f"imports the compiler runtime {dll}: the executable must be linked statically"
    return f"imports {dll}, which is not among the allowed Windows system DLLs {sorted(ALLOWED_DLLS)}"


def icon_problems(found):
    group = found.get((RT_GROUP_ICON, 1))
    if group is None:
        return ["no icon group 1"]
    count = struct.unpack_from("<H", group, 4)[0]
    if count != 1:
        return [f"icon group 1 images: expected 1, actual {count}"]
    width, height, _, _, _, bits, _, ident = struct.unpack_from("<BBBBHHIH", group, 6)
    if (width, height, bits) != (ICON_SIZE, ICON_SIZE, ICON_BITS):
        return [f"icon 1 image: expected 22x22x32, actual {width}x{height}x{bits}"]
    image = found.get((RT_ICON, ident))
    if image is None:
        return [f"icon image {ident} of group 1 is missing"]
    header = struct.unpack_from("<IiiHH", image)
    if header != (40, ICON_SIZE, 2 * ICON_SIZE, 1, ICON_BITS):
        return [f"icon image {ident} bitmap header: expected (40, 22, 44, 1, 32), actual {header}"]
    return []


def problems(path, arch):
    image = Image(open(path, "rb").read())
    found = []
    if image.machine != MACHINES[arch]:
        found.append(f"machine: expected {MACHINES[arch]:#x}, actual {image.machine:#x}")
    if image.subsystem != SUBSYSTEM_GUI:
        found.append(f"subsystem: expected {SUBSYSTEM_GUI} (GUI), actual {image.subsystem}")
    if image.timestamp != 0:
        found.append(f"time stamp: expected 0, actual {image.timestamp:#x}")
    dlls = imported_dlls(image)
    print(f"imports: {', '.join(dlls)}")
    found += [import_problem(dll) for dll in dlls if dll not in ALLOWED_DLLS]
    parts = resources(image)
    found += icon_problems(parts)
    manifest = parts.get((RT_MANIFEST, 1))
    if manifest is None:
        found.append("no manifest 1")
    else:
        found += manifest_problems(manifest.decode("utf-8"), arch)
    if any(kind == RT_VERSION for kind, _ in parts):
        found.append("has a version block")
    return found


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--arch", choices=sorted(MACHINES), required=True)
    parser.add_argument("exe")
    args = parser.parse_args()
    found = problems(args.exe, args.arch)
    for problem in found:
        print(f"FAIL {args.exe}: {problem}")
    print(f"{args.exe}: {'ok' if not found else f'{len(found)} problem(s)'}")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
