#!/usr/bin/python3
"""Every include of src/ points down its layers, never into tests/ or tools/. Usage: check_layers.py SOURCE_DIR"""
import os, re, sys

root, layers = sys.argv[1], ["res/", "text", "config", "dialogs", "flow"]  # the lowest first; src/<layer>/, res/
rank = lambda path: next((i for i, n in enumerate(layers) if path.startswith(f"src/{n}/" if i else n)), 5)  # noqa
tests = {n for top in ("tests", "tools") for *_, names in os.walk(f"{root}/{top}") for n in names} | {"gtest", "gmock"}
files = sorted(os.path.relpath(f"{d}/{n}", root) for d, _, names in os.walk(f"{root}/src") for n in names)
includes = [(path, n, *found) for path in files for n, line in enumerate(open(f"{root}/{path}", encoding="latin-1"), 1)
            for found in re.findall(r'^\s*#\s*include\s*(([<"])([^">]*).)', line)]
chain, failures = " -> ".join(layers[::-1]), [f"{p}: in no layer's folder src/<layer>/" for p in files if rank(p) == 5]
for path, number, shown, mark, name in includes:  # a quoted name in the file's folder first, then in src/ and res/
    seen = [os.path.normpath(f"{d}/{name}") for d in [os.path.dirname(path)] * (mark == '"') + ["src", "res"]]
    own, its = rank(path), rank(next((p for p in seen if os.path.isfile(f"{root}/{p}")), ""))  # 5: in no layer
    if own < its and (its < 5 or mark == '"' or {name.split("/")[0], os.path.basename(name)} & tests):
        failures.append(f"{path}:{number}: includes {shown}" + ", not a file of src/<layer>/ or res/" * (its == 5) +
                        f": {layers[own]} may include only {', '.join(layers[own:0:-1])} and res/ ({chain})")
print("\n".join(f"FAIL: {f}" for f in failures) or f"src/: {len(files)} files, {len(includes)} includes checked")
sys.exit(1 if failures else 0)
