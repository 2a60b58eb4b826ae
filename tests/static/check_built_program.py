#!/usr/bin/python3
"""Reads a built setupb.exe as Windows loads it, on the build machine (also a build it cannot run): the Windows
it is for, its imports, string catalogue, version, manifest.
Usage: check_built_program.py SETUPB.EXE SETUPB_VERSION_H SUBSYSTEM_VERSION REVIEWED_IMPORTS TEXT_SCRATCH_H"""
import re
import sys

import pefile

pe = pefile.PE(sys.argv[1])
version = dict(re.findall(r'#define SETUPB_VERSION_(\w+)\s+"?([\w.]+)', open(sys.argv[2]).read()))
resources = {entry.id: entry.directory.entries for entry in pe.DIRECTORY_ENTRY_RESOURCE.entries}
failures = []


def expect(condition, what):
    failures.extend([] if condition else [what])


# The oldest Windows it loads on, address-space randomisation and no-execute
# data, and exactly the functions reviewed for that Windows.
header = pe.OPTIONAL_HEADER
expect(f"{header.MajorSubsystemVersion}.{header.MinorSubsystemVersion}" == sys.argv[3], "subsystem version")
expect(header.DllCharacteristics & 0x140 == 0x140 and pe.has_relocs(), "dynamic base, relocations, no-execute")
imports = sorted(f"{e.dll.decode().upper()} {i.name.decode()}" for e in pe.DIRECTORY_ENTRY_IMPORT for i in e.imports)
reviewed = sorted(line.strip() for line in open(sys.argv[4]) if line.strip() and not line.startswith("#"))
expect(imports == reviewed, f"imports other than the reviewed ones: {sorted(set(imports) ^ set(reviewed))}")

# The catalogue: five blocks of 32 ids from 332 on, offsets 19 and 27 to 31 without text. Each text fits the
# buffer the program loads it into: 260 characters (message texts, copy line prefixes) or its title scratch.
scratch = dict(re.findall(r"constexpr int (\w+)ScratchCapacity = (\d+);", open(sys.argv[5]).read()))
texts = {}
for block in resources[pefile.RESOURCE_TYPE["RT_STRING"]]:
    texts.update(block.directory.strings)
expected_ids = {300 + base + offset for base in (32, 64, 96, 128, 160) for offset in range(27) if offset != 19}
expect(set(texts) == expected_ids, f"ids with a text differ: {sorted(set(texts) ^ expected_ids)}")
for id, text in texts.items():
    capacity = 260 if (id - 300) % 32 in (17, 18, 20, 22, 24, 26) else int(scratch["Title"])
    expect(len(text) < capacity, f"text {id} has {len(text)} characters, its buffer {capacity}")
    expect(all(c == "\n" or " " <= c <= "~" or c in "àáäÄèéêöü’¿" for c in text), f"text {id}: {text!r}")
for id, text in {
    390: "L’adaptateur VELNARI n’a pu être installée.",
    461: " Select and enter Device driver's parameters.\n\n  SETUP to set up these parameters in the system, and if "
    "this program is started up by the install diskette, install the necessary product files.",
    485: "El driver para este adaptador VELNARI existe ya en este sistema. ¿DEsea utilizar el driver actualmente "
    "instalado o quiere instalar otro nuevo?",
}.items():
    expect(texts.get(id) == text, f"text {id}: {texts.get(id)!r}")

# Version information: language neutral, code page 1252, the project's version.
info = {entry.Key: entry for entry in pe.FileInfo[0]}
strings = {k.decode(): v.decode() for k, v in info[b"StringFileInfo"].StringTable[0].entries.items()}
expect(info[b"VarFileInfo"].Var[0].entry.get(b"Translation") == "0x0000 0x04e4", "translation")
expect(all(strings.get(f) for f in ("CompanyName", "FileDescription", "ProductName")), f"fields {strings}")
expect(strings.get("OriginalFilename") == "setupb.exe", f"OriginalFilename {strings.get('OriginalFilename')}")
expect(strings.get("FileVersion") == strings.get("ProductVersion") == version["TEXT"], f"versions {strings}")
fixed = pe.VS_FIXEDFILEINFO[0]
expect((fixed.FileVersionMS, fixed.FileVersionLS) == (int(version["MAJOR"]) << 16 | int(version["MINOR"]),
                                                      int(version["PATCH"]) << 16), "fixed file version")

# One manifest, id 1: administrator rights, no newer common controls.
manifests = resources.get(pefile.RESOURCE_TYPE["RT_MANIFEST"], [])
data = manifests[0].directory.entries[0].data.struct if [m.id for m in manifests] == [1] else None
manifest = pe.get_data(data.OffsetToData, data.Size).decode() if data else ""
expect('<requestedExecutionLevel level="requireAdministrator"' in manifest, "one manifest, administrator rights")
expect("Microsoft.Windows.Common-Controls" not in manifest, "newer common controls")

print("\n".join(f"FAIL: {failure}" for failure in failures) or f"{sys.argv[1]}: all checks passed")
sys.exit(1 if failures else 0)
