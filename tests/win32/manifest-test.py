#!/usr/bin/env python3
"""Reads the application manifest back from built Windows executables.

Each executable must hold exactly one manifest, as resource 1 of type
RT_MANIFEST, equal to the checked-in file, and the manifest must declare
what Windows looks for under the namespaces it looks in: a misspelt
namespace is ignored by Windows without a word.

Usage: manifest-test.py MANIFEST EXE...
"""
import struct
import sys
import xml.etree.ElementTree as ET

RT_MANIFEST = 24
ASM_V1 = "urn:schemas-microsoft-com:asm.v1"
ASM_V3 = "urn:schemas-microsoft-com:asm.v3"
COMPATIBILITY = "urn:schemas-microsoft-com:compatibility.v1"
SETTINGS_2005 = "http://schemas.microsoft.com/SMI/2005/WindowsSettings"
SETTINGS_2016 = "http://schemas.microsoft.com/SMI/2016/WindowsSettings"

WINDOWS_7_TO_11 = {
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # 7
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # 8
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # 8.1
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # 10 and 11
}


def resources(path, wanted_type):
    """{(name, language): bytes} of one resource type of a PE file."""
    data = open(path, "rb").read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        sys.exit(f"{path}: no es un ejecutable PE")
    sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    directories = optional + (112 if magic == 0x20B else 96)
    resource_rva = struct.unpack_from("<I", data, directories + 2 * 8)[0]
    table = optional + optional_size
    spans = [struct.unpack_from("<8xIIII", data, table + 40 * i) for i in range(sections)]

    def offset(rva):
        for size, address, raw_size, raw in spans:
            if address <= rva < address + max(size, raw_size):
                return raw + rva - address
        sys.exit(f"{path}: dirección {rva:#x} fuera de las secciones")

    base = offset(resource_rva)

    def entries(at):
        named, numbered = struct.unpack_from("<12xHH", data, base + at)
        for i in range(named + numbered):
            name, target = struct.unpack_from("<II", data, base + at + 16 + 8 * i)
            yield (None if name & 0x80000000 else name), target

    found = {}
    for kind, names in entries(0):
        if kind != wanted_type:
            continue
        for name, languages in entries(names & 0x7FFFFFFF):
            for language, leaf in entries(languages & 0x7FFFFFFF):
                rva, size = struct.unpack_from("<II", data, base + leaf)
                found[(name, language)] = data[offset(rva):offset(rva) + size]
    return found


def settings_problems(manifest):
    """What the manifest fails to declare, one line each."""
    root = ET.fromstring(manifest)
    settings = f"{{{ASM_V3}}}application/{{{ASM_V3}}}windowsSettings/"
    expected = [
        (f"{{{ASM_V3}}}trustInfo/{{{ASM_V3}}}security/{{{ASM_V3}}}requestedPrivileges/"
         f"{{{ASM_V3}}}requestedExecutionLevel", "level", "asInvoker"),
        (settings + f"{{{SETTINGS_2005}}}dpiAware", None, "true/pm"),
        (settings + f"{{{SETTINGS_2016}}}dpiAwareness", None, "PerMonitorV2, PerMonitor"),
        (settings + f"{{{SETTINGS_2016}}}longPathAware", None, "true"),
    ]
    problems = []
    if root.tag != f"{{{ASM_V1}}}assembly" or root.get("manifestVersion") != "1.0":
        problems.append(f"la raíz es {root.tag}, no una assembly 1.0")
    for path, attribute, value in expected:
        element = root.find(path)
        have = None if element is None else (
            element.get(attribute) if attribute else (element.text or "").strip())
        if have != value:
            problems.append(f"{path.rsplit('}', 1)[-1]}: {have!r} en vez de {value!r}")

    controls = [a.attrib for a in root.iter(f"{{{ASM_V1}}}assemblyIdentity")
                if a.get("name") == "Microsoft.Windows.Common-Controls"]
    if controls != [{"type": "win32", "name": "Microsoft.Windows.Common-Controls",
                     "version": "6.0.0.0", "processorArchitecture": "*",
                     "publicKeyToken": "6595b64144ccf1df", "language": "*"}]:
        problems.append(f"dependencia de Common Controls 6 incorrecta: {controls}")
    systems = {s.get("Id") for s in root.iter(f"{{{COMPATIBILITY}}}supportedOS")}
    if systems != WINDOWS_7_TO_11:
        problems.append(f"supportedOS {sorted(systems)} en vez de Windows 7 a 11")
    return problems


def main():
    checked_in = open(sys.argv[1], "rb").read()
    failures = [f"{sys.argv[1]}: {p}" for p in settings_problems(checked_in)]
    for exe in sys.argv[2:]:
        found = resources(exe, RT_MANIFEST)
        names = sorted(name for name, _ in found)
        if names != [1]:
            failures.append(f"{exe}: manifiestos {names} en vez de uno solo, el 1")
        elif next(iter(found.values())) != checked_in:
            failures.append(f"{exe}: el manifiesto no es el del repositorio")
        else:
            print(f"ok: {exe.rsplit('/', 1)[-1]} lleva el manifiesto")
    for failure in failures:
        print(f"FALLO: {failure}", file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
