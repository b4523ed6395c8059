#!/usr/bin/env python3
"""Checks that a built krumenfeger.exe is the self-contained Windows program it should be.

Reads the PE file with pefile: machine type, GUI subsystem, zero time stamp, imports limited to Windows
system DLLs (no MinGW runtime DLL, no SHELL32) and among them DisableProcessWindowsGhosting, icon 1
with one 22x22 32-bit image, a manifest that only asks for common controls 6.0.0.0, no version block,
and ASLR (with the relocations it needs) and DEP, with high-entropy addresses for x64.
Usage: check_pe.py --arch x64|x86 krumenfeger.exe
"""
import argparse
import struct
import sys
import xml.etree.ElementTree as ET

import pefile

MACHINES = {
    "x64": pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_AMD64"],
    "x86": pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"],
}
MANIFEST_ARCHES = {"x64": "amd64", "x86": "x86"}
SUBSYSTEM_GUI = pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"]
ALLOWED_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "ole32.dll", "msvcrt.dll"}
# Without it Windows shows a frozen copy of the window once a long walk or removal has taken no message
# for five seconds; Wine draws no such copy, so the import is all a test here can see of it.
REQUIRED_IMPORTS = [("user32.dll", "DisableProcessWindowsGhosting")]
DIRECTORIES = [pefile.DIRECTORY_ENTRY[name] for name in (
    "IMAGE_DIRECTORY_ENTRY_IMPORT", "IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT", "IMAGE_DIRECTORY_ENTRY_RESOURCE")]
RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = (
    pefile.RESOURCE_TYPE[name] for name in ("RT_ICON", "RT_GROUP_ICON", "RT_VERSION", "RT_MANIFEST"))
ICON_SIZE, ICON_BITS = 22, 32
# Today's linkers set these by default; a build that loses one fails here rather than on a user's machine.
SECURITY_FLAGS = {"x64": ("DYNAMIC_BASE", "NX_COMPAT", "HIGH_ENTROPY_VA"), "x86": ("DYNAMIC_BASE", "NX_COMPAT")}
ASM = "{urn:schemas-microsoft-com:asm.v1}"
COMMON_CONTROLS = {
    "type": "win32",
    "name": "Microsoft.Windows.Common-Controls",
    "version": "6.0.0.0",
    "publicKeyToken": "6595b64144ccf1df",
    "language": "*",
}


def imports(pe):
    """The import and delay-import tables: each DLL's lower-case name with the names of its functions
    (a function imported by number is its number)."""
    tables = getattr(pe, "DIRECTORY_ENTRY_IMPORT", []) + getattr(pe, "DIRECTORY_ENTRY_DELAY_IMPORT", [])
    return [(entry.dll.decode("ascii").lower(),
             {symbol.name.decode("ascii") if symbol.name else symbol.ordinal for symbol in entry.imports})
            for entry in tables]


def resources(pe):
    """Maps (type, id) to the data of the resource's first language; named entries are kept by name."""
    found = {}
    if not hasattr(pe, "DIRECTORY_ENTRY_RESOURCE"):
        return found

    def key(entry):
        return entry.id if entry.name is None else str(entry.name)

    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for item in kind.directory.entries:
            leaf = item.directory.entries[0].data.struct
            found[(key(kind), key(item))] = pe.get_data(leaf.OffsetToData, leaf.Size)
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
    # The group and image layouts are the icon file's own (GRPICONDIR, BITMAPINFOHEADER), which pefile
    # leaves as bytes.
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
    pe = pefile.PE(path, fast_load=True)
    pe.parse_data_directories(directories=DIRECTORIES)
    found = []
    if pe.FILE_HEADER.Machine != MACHINES[arch]:
        found.append(f"machine: expected {MACHINES[arch]:#x}, actual {pe.FILE_HEADER.Machine:#x}")
    if pe.OPTIONAL_HEADER.Subsystem != SUBSYSTEM_GUI:
        found.append(f"subsystem: expected {SUBSYSTEM_GUI} (GUI), actual {pe.OPTIONAL_HEADER.Subsystem}")
    if pe.FILE_HEADER.TimeDateStamp != 0:
        found.append(f"time stamp: expected 0, actual {pe.FILE_HEADER.TimeDateStamp:#x}")
    found += [f"not linked with {flag}" for flag in SECURITY_FLAGS[arch] if not
              pe.OPTIONAL_HEADER.DllCharacteristics & pefile.DLL_CHARACTERISTICS[f"IMAGE_DLLCHARACTERISTICS_{flag}"]]
    if pe.FILE_HEADER.Characteristics & pefile.IMAGE_CHARACTERISTICS["IMAGE_FILE_RELOCS_STRIPPED"]:
        found.append("relocations stripped: the executable cannot be moved, so it gets no ASLR")
    imported = imports(pe)
    print(f"imports: {', '.join(dll for dll, _ in imported)}")
    found += [import_problem(dll) for dll, _ in imported if dll not in ALLOWED_DLLS]
    found += [f"does not import {function} from {dll}" for dll, function in REQUIRED_IMPORTS
              if not any(function in functions for name, functions in imported if name == dll)]
    parts = resources(pe)
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
