#!/usr/bin/python3
"""Reads a built setupb.exe or vlncdctl.exe as Windows loads it, on the build machine (also a build it cannot run): the
Windows it is for, its imports, string catalogue (setupb.exe's), version, manifest.
Usage: check_built_program.py EXE VERSION_H SOURCE_DIR"""
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


def lookup(table, key, looked_for):
    """table[key]; a key that is not there (a renamed constant, say) stops the check, saying what it looked for."""
    if key not in table:
        print(f"FAIL: found no {looked_for}")
        sys.exit(1)
    return table[key]


def check_windows_and_imports(pe, source_dir, subsystem_kind, imports_file):
    """By its machine type, the oldest Windows it loads on (i686: Windows NT 4.0, x86-64: the first 64-bit
    Windows), address-space randomisation and no-execute data, and exactly the functions reviewed for that Windows."""
    machines = {0x14C: ("4.0", "i686"), 0x8664: ("5.2", "x86_64")}
    subsystem, processor = lookup(machines, pe.FILE_HEADER.Machine, f"machine type {pe.FILE_HEADER.Machine:#x}")
    header = pe.OPTIONAL_HEADER
    found = f"{header.MajorSubsystemVersion}.{header.MinorSubsystemVersion}"
    expect(found == subsystem, f"subsystem version {found} in an {processor} file, not {subsystem}")
    expect(header.Subsystem == subsystem_kind, f"subsystem {header.Subsystem}, not {subsystem_kind}")
    expect(header.DllCharacteristics & 0x140 == 0x140 and pe.has_relocs(), "relocations, dynamic base, NX")
    imports = []
    for dll in pe.DIRECTORY_ENTRY_IMPORT:
        for function in dll.imports:
            imports.append(f"{dll.dll.decode().upper()} {function.name.decode()}")
    reviewed = []
    for line in open(f"{source_dir}/{imports_file}-{processor}.txt"):
        if line[:1].isalpha():
            reviewed.append(line.strip())
    unreviewed = sorted(set(imports) - set(reviewed))
    missing = sorted(set(reviewed) - set(imports))
    expect(not unreviewed and not missing, f"imports other than the reviewed ones: {unreviewed} imported, {missing} not")


def check_catalogue(pe, program):
    """The catalogue as res/resource.h lays it out: a block per BASE_ line, a text at each TXT_ offset, beyond ASCII
    only the characters its base's comment names. Each text is shorter than the buffer the program loads it into."""
    numbers = dict(re.findall(r"#define (\w+)[ \t]+(\d+)", program))
    capacities = dict(re.findall(r"constexpr int (\w+Capacity) = (\d+);", program))
    origin = int(lookup(numbers, "CATALOGUE_ORIGIN", "#define CATALOGUE_ORIGIN in res/resource.h"))
    size = int(lookup(numbers, "CATALOGUE_BLOCK_SIZE", "#define CATALOGUE_BLOCK_SIZE in res/resource.h"))
    languages = {}  # base: the language's name
    allowed = {}  # base: the characters beyond ASCII its texts may use
    for base, characters in re.findall(r"#define BASE_\w+ +(\d+) +/\* [a-z]+_[A-Z]+ ?(\S*) \*/", program):
        allowed[int(base)] = "\n" + characters
    names = {}  # offset: TXT_ name
    for name, value in numbers.items():
        if name.startswith("BASE_"):
            languages[int(value)] = name[5:].replace("_", " ").title()
        if name.startswith("TXT_"):
            names[int(value)] = name
    expect(len(allowed) == len(languages), "a BASE_ line without its /* locale characters */ comment")
    for name, buffer in BUFFERS.items():
        expect(name in numbers, f"res/resource.h has no #define {name}, whose texts go into {buffer}")
    for buffer in set(BUFFERS.values()) | {OTHER_TEXTS}:
        lookup(capacities, buffer, f"'constexpr int {buffer} = N;' in {', '.join(SOURCES[1:])}")

    def label(id):  # "German TXT_IRQ_LABEL (423)", "French id 383 (offset 19)" at an offset without a name, "id 600"
        language = languages.get((id - origin) // size * size)
        offset = (id - origin) % size
        if language is None:
            return f"id {id}"
        if offset in names:
            return f"{language} {names[offset]} ({id})"
        return f"{language} id {id} (offset {offset})"

    texts = {}
    for block in lookup(pe_resources(pe), pefile.RESOURCE_TYPE["RT_STRING"], "string table"):
        texts.update(block.directory.strings)
    expected_ids = set()
    for base in languages:
        for offset in names:
            expected_ids.add(origin + base + offset)
    for id in sorted(expected_ids - set(texts)):
        failures.append(f"{label(id)} missing")
    for id in sorted(set(texts) - expected_ids):
        if label(id) == f"id {id}":
            failures.append(f"{label(id)} has a text outside every language block")
        else:
            failures.append(f"{label(id)} has a text but no TXT_ name")
    for id, text in texts.items():
        buffer = BUFFERS.get(names.get((id - origin) % size), OTHER_TEXTS)
        capacity = int(capacities[buffer])
        expect(len(text) < capacity, f"{label(id)} has {len(text)} characters, its buffer {buffer} {capacity}")
        block_allows = allowed.get((id - origin) // size * size, "")
        beyond = set()
        for character in text:
            if not " " <= character <= "~" and character not in block_allows:
                beyond.add(character)
        beyond = sorted(beyond)
        expect(not beyond, f"{label(id)} has {beyond}, beyond its block's characters: {text!r}")


def check_version(pe, version_h, name):
    """Version information: language neutral, code page 1252, the project's version."""
    version = dict(re.findall(r'#define SETUPB_VERSION_(\w+)\s+"?([\w.]+)', open(version_h).read()))
    text = lookup(version, "TEXT", f"#define SETUPB_VERSION_TEXT in {version_h}")
    major = int(lookup(version, "MAJOR", f"#define SETUPB_VERSION_MAJOR in {version_h}"))
    minor = int(lookup(version, "MINOR", f"#define SETUPB_VERSION_MINOR in {version_h}"))
    patch = int(lookup(version, "PATCH", f"#define SETUPB_VERSION_PATCH in {version_h}"))
    info = {}
    for entry in pe.FileInfo[0]:
        info[entry.Key] = entry
    strings = {}
    for key, value in lookup(info, b"StringFileInfo", "StringFileInfo").StringTable[0].entries.items():
        strings[key.decode()] = value.decode()
    translation = lookup(info, b"VarFileInfo", "VarFileInfo").Var[0].entry.get(b"Translation")
    expect(translation == "0x0000 0x04e4", f"translation {translation}")
    for field in ("CompanyName", "FileDescription", "ProductName"):
        expect(strings.get(field), f"no {field}")
    expect(strings.get("OriginalFilename") == name, f"OriginalFilename {strings.get('OriginalFilename')}")
    for field in ("FileVersion", "ProductVersion"):
        expect(strings.get(field) == text, f"{field} {strings.get(field)}, not {text}")
    fixed = pe.VS_FIXEDFILEINFO[0]
    expect((fixed.FileVersionMS, fixed.FileVersionLS) == (major << 16 | minor, patch << 16), "fixed file version")


def check_manifest(pe, rights):
    """One manifest, id 1: the rights the program asks for, no newer common controls."""
    manifests = pe_resources(pe).get(pefile.RESOURCE_TYPE["RT_MANIFEST"], [])
    ids = [manifest.id for manifest in manifests]
    expect(ids == [1], f"manifests {ids}, not one of id 1")
    manifest = ""
    if manifests:
        data = manifests[0].directory.entries[0].data.struct
        manifest = pe.get_data(data.OffsetToData, data.Size).decode()
    expect(f'<requestedExecutionLevel level="{rights}"' in manifest, f"no requestedExecutionLevel {rights}")
    expect("Microsoft.Windows.Common-Controls" not in manifest, "newer common controls")


def pe_resources(pe):
    """Each resource type's entries, by the type's id."""
    resources = {}
    for entry in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        resources[entry.id] = entry.directory.entries
    return resources


def main():
    exe, version_h, source_dir = sys.argv[1:4]
    pe = pefile.PE(exe)
    name = os.path.basename(exe)
    subsystem_kind, imports_file, has_catalogue, rights = lookup(PROGRAMS, name, f"{name} among the programs")
    check_windows_and_imports(pe, source_dir, subsystem_kind, imports_file)
    if has_catalogue:
        program = ""
        for path in SOURCES:
            program += open(f"{source_dir}/{path}", encoding="utf-8").read()
        check_catalogue(pe, program)
    check_version(pe, version_h, name)
    check_manifest(pe, rights)
    for failure in failures:
        print(f"FAIL: {failure}")
    if failures:
        return 1
    print(f"{exe}: all checks passed")
    return 0


sys.exit(main())
