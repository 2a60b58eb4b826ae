#!/usr/bin/python3
# Every include of src/ stays within what its layer may include, never a test or tool header, and every file of src/
# lies in a layer's folder. Usage: check_layers.py SOURCE_DIR
import os
import re
import sys

# Each layer: its folder, and the layers its files may include besides their own.
LAYERS = {
    "flow": ("src/flow/", ["dialogs", "config", "text", "res"]),  # setupb.exe
    "admin": ("src/admin/", ["config", "text", "res"]),  # the administrator's console tool
    "dialogs": ("src/dialogs/", ["config", "text", "res"]),
    "config": ("src/config/", ["text", "res"]),
    "text": ("src/text/", ["res"]),
    "res": ("res/", []),
}


def layer_of(path):  # the layer whose folder holds the path (relative to the source folder), or None
    return next((layer for layer, (folder, _) in LAYERS.items() if path.startswith(folder)), None)


def files_under(root, top):
    return sorted(os.path.relpath(f"{folder}/{name}", root) for folder, _, names in os.walk(f"{root}/{top}")
                  for name in names)


def main():
    root = sys.argv[1]
    tests = files_under(root, "tests") + files_under(root, "tools")
    test_names = {"gtest", "gmock"} | {os.path.basename(path) for path in tests}  # by a header's folder or name
    failures = []
    includes = 0
    sources = files_under(root, "src")
    for path in sources:
        own = layer_of(path)
        if own is None:
            failures.append(f"{path}: in no layer's folder")
            continue
        may_include = ", ".join([own] + LAYERS[own][1][:-1]) + " and res/"  # every layer but res may include res
        for number, line in enumerate(open(f"{root}/{path}", encoding="latin-1"), 1):
            for shown, mark, name in re.findall(r'^\s*#\s*include\s*(([<"])([^">]*)[">])', line):
                includes += 1
                # The file as the compiler finds it: a quoted name in the including file's folder first, then in src/
                # and res/. None: none of the source tree's files (a system header).
                folders = ([os.path.dirname(path)] if mark == '"' else []) + ["src", "res"]
                paths = [os.path.normpath(f"{folder}/{name}") for folder in folders]
                target = next((found for found in paths if os.path.isfile(f"{root}/{found}")), None)
                rule = f"{path}:{number}: includes {shown}, %s: {own} may include only {may_include}"
                if target is None:  # a system header, unless quoted or named as a test's or a tool's
                    if mark == '"' or name.split("/")[0] in test_names or os.path.basename(name) in test_names:
                        failures.append(rule % "not a file of any layer")
                elif layer_of(target) is None:
                    failures.append(rule % "a file outside every layer")
                elif layer_of(target) != own and layer_of(target) not in LAYERS[own][1]:
                    failures.append(rule % f"of the {layer_of(target)} layer")
    summary = f"src/: {len(sources)} files, {includes} includes checked"
    print("\n".join(f"FAIL: {failure}" for failure in failures) or summary)
    return 1 if failures else 0


sys.exit(main())
