#!/usr/bin/python3
"""Reads a built setupb.exe as Windows loads it, on the build machine (also a build it cannot run): the Windows it
is for, its imports, string catalogue, version, manifest. Usage: check_built_program.py EXE VERSION_H SOURCE_DIR"""
import re
import sys

import pefile

pe = pefile.PE(sys.argv[1])
version = dict(re.findall(r'#define SETUPB_VERSION_(\w+)\s+"?([\w.]+)', open(sys.argv[2]).read()))
program = "".join(open(f"{sys.argv[3]}/{path}", encoding="utf-8").read() for path in (
    "res/resource.h", "src/text/text_scratch.h", "src/dialogs/copy_progress_dialog.cpp"))  # layout and buffer sizes
resources = {entry.id: entry.directory.entries for entry in pe.DIRECTORY_ENTRY_RESOURCE.entries}
failures = []


def expect(condition, what):
    failures.extend([] if condition else [what])


# By its machine type, the oldest Windows it loads on (i686: Windows NT 4.0, x86-64: the first 64-bit Windows),
# address-space randomisation and no-execute data, and exactly the functions reviewed for that Windows.
subsystem, processor = {0x14C: ("4.0", "i686"), 0x8664: ("5.2", "x86_64")}[pe.FILE_HEADER.Machine]
found = f"{pe.OPTIONAL_HEADER.MajorSubsystemVersion}.{pe.OPTIONAL_HEADER.MinorSubsystemVersion}"
expect(found == subsystem, f"subsystem version {found} in an {processor} file, not {subsystem}")
expect(pe.OPTIONAL_HEADER.DllCharacteristics & 0x140 == 0x140 and pe.has_relocs(), "relocations, dynamic base, NX")
imports = sorted(f"{e.dll.decode().upper()} {i.name.decode()}" for e in pe.DIRECTORY_ENTRY_IMPORT for i in e.imports)
reviewed = sorted(line.strip() for line in open(f"{sys.argv[3]}/cmake/imports-{processor}.txt") if line[:1].isalpha())
expect(imports == reviewed, f"imports other than the reviewed ones: {sorted(set(imports) ^ set(reviewed))}")

# The catalogue as res/resource.h lays it out: a block per BASE_ line, a text at each TXT_ offset, beyond ASCII only
# the characters its base's comment names. Each text is shorter than the buffer the program loads it into.
number = {name: int(value) for name, value in re.findall(r"#define (\w+)[ \t]+(\d+)", program)}
allowed = {int(b): "\n" + c for b, c in re.findall(r"#define BASE_\w+ +(\d+) +/\* [a-z]+_[A-Z]+ ?(\S*) \*/", program)}
expect(len(allowed) == program.count("#define BASE_"), "a BASE_ line without its /* locale characters */ comment")
language = {number[n]: n[5:].replace("_", " ").title() for n in number if n.startswith("BASE_")}
names = {value: name for name, value in number.items() if name.startswith("TXT_")}
capacity = {name: int(value) for name, value in re.findall(r"constexpr int (\w+Capacity) = (\d+);", program)}
# Message-box texts, the copy dialog's lines, else the title scratch; TXT_ENTER, TXT_BAD_DIR_* are loaded nowhere.
buffer = dict.fromkeys(["TXT_COPY_PREFIX", "TXT_TARGET_PREFIX"], "LineCapacity") | dict.fromkeys(
    ["TXT_RESTART_NOTICE", "TXT_INPUT_ERROR_TEXT", "TXT_BAD_DIR_TEXT", "TXT_INSTALL_FAILED"], "MessageScratchCapacity")
texts = {i: t for block in resources[pefile.RESOURCE_TYPE["RT_STRING"]] for i, t in block.directory.strings.items()}
origin, size = number["CATALOGUE_ORIGIN"], number["CATALOGUE_BLOCK_SIZE"]
expected_ids = {origin + base + offset for base in language for offset in names}


def label(id):  # "German TXT_IRQ_LABEL (423)", at an offset of no TXT_ "French id 383 (offset 19)", else "id 600"
    lang, at = language.get((id - origin) // size * size), (id - origin) % size
    return f"id {id}" if not lang else f"{lang} {names[at]} ({id})" if at in names else f"{lang} id {id} (offset {at})"


failures.extend(f"{label(id)} " + ("missing" if id in expected_ids else "has a text outside every language block" if
                label(id) == f"id {id}" else "has a text but no TXT_ name") for id in sorted(set(texts) ^ expected_ids))
for id, text in texts.items():
    into = buffer.get(names.get((id - origin) % size), "TitleScratchCapacity")
    expect(len(text) < capacity[into], f"{label(id)} has {len(text)} characters, its buffer {into} {capacity[into]}")
    beyond = sorted({c for c in text if not " " <= c <= "~" and c not in allowed.get((id - origin) // size * size, "")})
    expect(not beyond, f"{label(id)} has {beyond}, beyond its block's characters: {text!r}")

# Version information: language neutral, code page 1252, the project's version.
info = {entry.Key: entry for entry in pe.FileInfo[0]}
strings = {k.decode(): v.decode() for k, v in info[b"StringFileInfo"].StringTable[0].entries.items()}
expect(info[b"VarFileInfo"].Var[0].entry.get(b"Translation") == "0x0000 0x04e4", "translation")
expect(all(strings.get(f) for f in ("CompanyName", "FileDescription", "ProductName")), f"fields {strings}")
expect(strings.get("OriginalFilename") == "setupb.exe", f"OriginalFilename {strings.get('OriginalFilename')}")
expect(strings.get("FileVersion") == strings.get("ProductVersion") == version["TEXT"], f"versions {strings}")
expect((pe.VS_FIXEDFILEINFO[0].FileVersionMS, pe.VS_FIXEDFILEINFO[0].FileVersionLS) == (
    int(version["MAJOR"]) << 16 | int(version["MINOR"]), int(version["PATCH"]) << 16), "fixed file version")

# One manifest, id 1: administrator rights, no newer common controls.
manifests = resources.get(pefile.RESOURCE_TYPE["RT_MANIFEST"], [])
data = manifests[0].directory.entries[0].data.struct if [m.id for m in manifests] == [1] else None
manifest = pe.get_data(data.OffsetToData, data.Size).decode() if data else ""
expect('<requestedExecutionLevel level="requireAdministrator"' in manifest, "one manifest, administrator rights")
expect("Microsoft.Windows.Common-Controls" not in manifest, "newer common controls")

print("\n".join(f"FAIL: {failure}" for failure in failures) or f"{sys.argv[1]}: all checks passed")
sys.exit(1 if failures else 0)
