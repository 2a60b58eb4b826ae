#!/usr/bin/python3
# Reads a built setupb.exe or vlncdctl.exe as Windows loads it, on the build machine (also a build it cannot run): the
# Windows it is for, its imports, string catalogue (setupb.exe's), version, manifest.
# Usage: check_built_program.py EXE VERSION_H SOURCE_DIR
import os
import re
import sys

import pefile

failures = []
# Each program by its file name: its subsystem (2 windows, 3 console), the file of its reviewed imports (with the
# processor's name after it), whether it carries the catalogue, and the rights its manifest asks for.
PROGRAMS = {"setupb.exe": (2, "cmake/imports", True, "requireAdministrator"),
            "vlncdctl.exe": (3, "cmake/imports-vlncdctl", False, "asInvoker")}
# Where the program's layout and buffer sizes are read from.
SOURCES = ["res/resource.h", "src/text/text_scratch.h", "src/dialogs/copy_progress_dialog.cpp"]
# The buffer each text is loaded into: message-box texts, the copy dialog's lines, else the title scratch.
# TXT_ENTER and TXT_BAD_DIR_* are loaded nowhere.
BUFFERS = {"TXT_COPY_PREFIX": "LineCapacity", "TXT_TARGET_PREFIX": "LineCapacity",
           "TXT_RESTART_NOTICE": "MessageScratchCapacity", "TXT_INPUT_ERROR_TEXT": "MessageScratchCapacity",
           "TXT_BAD_DIR_TEXT": "MessageScratchCapacity", "TXT_INSTALL_FAILED": "MessageScratchCapacity"}
OTHER_TEXTS = "TitleScratchCapacity"


def expect(condition, what):
    if not condition:
        failures.append(what)


def lookup(table, key, looked_for):  # a key that is not there (a renamed constant, say) stops the check
    if key not in table:
        sys.exit(f"FAIL: found no {looked_for}")
    return table[key]


# By its machine type, the oldest Windows it loads on (i686: Windows NT 4.0, x86-64: the first 64-bit Windows),
# address-space randomisation and no-execute data, and exactly the functions reviewed for that Windows.
def check_windows_and_imports(pe, source_dir, subsystem_kind, imports_file):
    machines = {0x14C: ("4.0", "i686"), 0x8664: ("5.2", "x86_64")}
    subsystem, processor = lookup(machines, pe.FILE_HEADER.Machine, f"machine type {pe.FILE_HEADER.Machine:#x}")
    header = pe.OPTIONAL_HEADER
    found = f"{header.MajorSubsystemVersion}.{header.MinorSubsystemVersion}"
    expect(found == subsystem, f"subsystem version {found} in an {processor} file, not {subsystem}")
    expect(header.Subsystem == subsystem_kind, f"subsystem {header.Subsystem}, not {subsystem_kind}")
    expect(header.DllCharacteristics & 0x140 == 0x140 and pe.has_relocs(), "relocations, dynamic base, NX")
    imports = {f"{dll.dll.decode().upper()} {function.name.decode()}"
               for dll in pe.DIRECTORY_ENTRY_IMPORT for function in dll.imports}
    reviewed = {line.strip() for line in open(f"{source_dir}/{imports_file}-{processor}.txt") if line[:1].isalpha()}
    unreviewed, missing = sorted(imports - reviewed), sorted(reviewed - imports)
    expect(not unreviewed and not missing, f"imports not as reviewed: {unreviewed} imported, {missing} not")


# The catalogue as res/resource.h lays it out: a block per BASE_ line, a text at each TXT_ offset, beyond ASCII only
# the characters its base's comment names. Each text is shorter than the buffer the program loads it into.
def check_catalogue(resources, program):
    numbers = dict(re.findall(r"#define (\w+)[ \t]+(\d+)", program))
    capacities = dict(re.findall(r"constexpr int (\w+Capacity) = (\d+);", program))
    origin = int(lookup(numbers, "CATALOGUE_ORIGIN", "#define CATALOGUE_ORIGIN in res/resource.h"))
    size = int(lookup(numbers, "CATALOGUE_BLOCK_SIZE", "#define CATALOGUE_BLOCK_SIZE in res/resource.h"))
    languages = {int(v): n[5:].replace("_", " ").title() for n, v in numbers.items() if n.startswith("BASE_")}
    names = {int(value): name for name, value in numbers.items() if name.startswith("TXT_")}  # by offset
    allowed = {int(base): "\n" + characters  # beyond ASCII, by base
               for base, characters in re.findall(r"#define BASE_\w+ +(\d+) +/\* [a-z]+_[A-Z]+ ?(\S*) \*/", program)}
    expect(len(allowed) == len(languages), "a BASE_ line without its /* locale characters */ comment")
    for name, buffer in BUFFERS.items():
        expect(name in numbers, f"res/resource.h has no #define {name}, whose texts go into {buffer}")
    for buffer in set(BUFFERS.values()) | {OTHER_TEXTS}:
        lookup(capacities, buffer, f"'constexpr int {buffer} = N;' in {', '.join(SOURCES[1:])}")

    def label(id):  # "German TXT_IRQ_LABEL (423)", "French id 383 (offset 19)" at an offset without a name, "id 600"
        language, offset = languages.get((id - origin) // size * size), (id - origin) % size
        if language is None:
            return f"id {id}"
        return f"{language} {names[offset]} ({id})" if offset in names else f"{language} id {id} (offset {offset})"

    blocks = lookup(resources, pefile.RESOURCE_TYPE["RT_STRING"], "string table")
    texts = {id: text for block in blocks for id, text in block.directory.strings.items()}
    expected_ids = {origin + base + offset for base in languages for offset in names}
    failures.extend(f"{label(id)} missing" for id in sorted(expected_ids - set(texts)))
    for id in sorted(set(texts) - expected_ids):
        where = "outside every language block" if label(id) == f"id {id}" else "but no TXT_ name"
        failures.append(f"{label(id)} has a text {where}")
    for id, text in texts.items():
        buffer = BUFFERS.get(names.get((id - origin) % size), OTHER_TEXTS)
        capacity = int(capacities[buffer])
        expect(len(text) < capacity, f"{label(id)} has {len(text)} characters, its buffer {buffer} {capacity}")
        block_allows = allowed.get((id - origin) // size * size, "")
        beyond = sorted({c for c in text if not " " <= c <= "~" and c not in block_allows})
        expect(not beyond, f"{label(id)} has {beyond}, beyond its block's characters: {text!r}")


# Version information (language neutral, code page 1252, the project's version) and one manifest, id 1: the rights
# the program asks for, no newer common controls.
def check_version_and_manifest(pe, resources, version_h, name, rights):
    version = dict(re.findall(r'#define SETUPB_VERSION_(\w+)\s+"?([\w.]+)', open(version_h).read()))
    text, major, minor, patch = [lookup(version, part, f"#define SETUPB_VERSION_{part} in {version_h}")
                                 for part in ("TEXT", "MAJOR", "MINOR", "PATCH")]
    info = {entry.Key: entry for entry in pe.FileInfo[0]}
    strings = {key.decode(): value.decode()
               for key, value in lookup(info, b"StringFileInfo", "StringFileInfo").StringTable[0].entries.items()}
    translation = lookup(info, b"VarFileInfo", "VarFileInfo").Var[0].entry.get(b"Translation")
    expect(translation == "0x0000 0x04e4", f"translation {translation}")
    for field in ("CompanyName", "FileDescription", "ProductName"):
        expect(strings.get(field), f"no {field}")
    for field, due in (("OriginalFilename", name), ("FileVersion", text), ("ProductVersion", text)):
        expect(strings.get(field) == due, f"{field} {strings.get(field)}, not {due}")
    fixed = pe.VS_FIXEDFILEINFO[0]
    due = (int(major) << 16 | int(minor), int(patch) << 16)
    expect((fixed.FileVersionMS, fixed.FileVersionLS) == due, "fixed file version")
    manifests = resources.get(pefile.RESOURCE_TYPE["RT_MANIFEST"], [])
    ids = [manifest.id for manifest in manifests]
    expect(ids == [1], f"manifests {ids}, not one of id 1")
    data = manifests[0].directory.entries[0].data.struct if manifests else None
    manifest = pe.get_data(data.OffsetToData, data.Size).decode() if data else ""
    expect(f'<requestedExecutionLevel level="{rights}"' in manifest, f"no requestedExecutionLevel {rights}")
    expect("Microsoft.Windows.Common-Controls" not in manifest, "newer common controls")


def main():
    exe, version_h, source_dir = sys.argv[1:4]
    pe = pefile.PE(exe)
    name = os.path.basename(exe)
    subsystem_kind, imports_file, has_catalogue, rights = lookup(PROGRAMS, name, f"{name} among the programs")
    resources = {entry.id: entry.directory.entries for entry in pe.DIRECTORY_ENTRY_RESOURCE.entries}  # by type id
    check_windows_and_imports(pe, source_dir, subsystem_kind, imports_file)
    if has_catalogue:
        check_catalogue(resources, "".join(open(f"{source_dir}/{path}", encoding="utf-8").read() for path in SOURCES))
    check_version_and_manifest(pe, resources, version_h, name, rights)
    print("\n".join(f"FAIL: {failure}" for failure in failures) or f"{exe}: all checks passed")
    return 1 if failures else 0


sys.exit(main())
