#!/usr/bin/env python3
"""Lists code that nothing uses, and fails when there is any.

Dead code slips past the compiler and the linker: neither reports a function with external
linkage that nothing calls, a member function defined in its class is not even emitted, and
an entry of a host table that the host fills but nobody calls looks used (the table refers
to the host's function). This check finds both by name, over every C and C++ file of the tree:

- functions: every function or method declared in the checked folders (universal-ctags lists
  them with their line ranges) must be named somewhere other than in a declaration or
  definition of a function of the same name. A call inside a function of the same name (a
  wrapper forwarding to its base, an overload calling another) does not count, so a chain of
  forwarders that ends nowhere is found. Overrides are reached through their base, and main
  and c4d_main from outside, so they are not checked.
- host table entries: every function pointer of a table in abi/host_abi.h must be called,
  through `->entry` or `.entry`, by the code that uses the tables as a client: the plug-in,
  the tests, the benchmarks or the fuzzers. The host's own designated initialisers do not
  count.

Names are compared as words with comments and strings removed; two functions of one name
count as one, so the check may miss a dead overload. A live function that it reports is one
reached without its name: list it in NOT_CHECKED or LIBRARY_CALLED, with the reason.
Run from anywhere: python3 scripts/check-unused.py
"""
import json
import os
import re
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# Every folder of code: a use anywhere counts.
CODE = ["abi", "app", "bench", "fuzz", "host", "plugin", "results", "scenefile", "tests"]
# The folders whose functions are checked: all but the test cases (tests/ outside support/)
# and abi/abi_check, which is compiled, never called.
CHECKED = ["abi/host_abi.h", "abi/CrowdRecordLayout.h", "abi/AngleConstants.h", "app", "host",
           "plugin", "results", "scenefile", "tests/support"]
ENTRY_CLIENTS = ["plugin", "tests", "bench", "fuzz"]
# Reached from outside (the program's and the module's entries), or kept as the name the
# world's behaviour evaluation goes by while its callers use the steering vector directly.
NOT_CHECKED = {"main", "c4d_main", "Behav_Eval"}
# Called by a library's template by these names: the JSON parser's events (scenefile/).
LIBRARY_CALLED = {"null", "boolean", "number_integer", "number_unsigned", "number_float", "string",
                  "binary", "start_object", "end_object", "start_array", "end_array", "key",
                  "parse_error"}

TOKEN = re.compile(
    r'//[^\n]*|/\*.*?\*/|"(?:\\.|[^"\\\n])*"|\'(?:\\.|[^\'\\\n])*\'|R"\((?:.|\n)*?\)"'
    r"|[A-Za-z_]\w*|->|\.|\n",
    re.S,
)


def source_files():
    files = subprocess.run(["git", "ls-files", "--"] + CODE, cwd=ROOT, check=True,
                           capture_output=True, text=True).stdout.split()
    return [f for f in files if f.endswith((".h", ".cpp", ".c"))]


def words(path):
    """(line, word, previous token) of every identifier outside comments and strings."""
    with open(os.path.join(ROOT, path), encoding="utf-8") as file:
        text = file.read()
    line, previous = 1, ""
    for match in TOKEN.finditer(text):
        token = match.group(0)
        line_after = line + token.count("\n")
        if token[0].isalpha() or token[0] == "_":
            yield line, token, previous
        if token != "\n":
            previous = token
        line = line_after


def declared_functions(files):
    checked = [f for f in files if any(f == c or f.startswith(c + "/") for c in CHECKED)]
    out = subprocess.run(
        ["ctags", "--output-format=json", "--languages=C++,C", "--langmap=C++:+.h",
         "--kinds-C++=fp", "--kinds-C=fp", "--fields=+neKZ", "-f", "-"] + checked,
        cwd=ROOT, check=True, capture_output=True, text=True).stdout
    return [json.loads(line) for line in out.splitlines() if line.startswith("{")]


def table_entries():
    """The entries of the tables the host fills (Vt...Table), with their lines."""
    entries, table = [], None
    with open(os.path.join(ROOT, "abi/host_abi.h"), encoding="utf-8") as file:
        for number, text in enumerate(file, 1):
            if re.match(r"\s*typedef struct Vt\w+Table \{", text):
                table = True
            elif re.match(r"\s*\}", text):
                table = None
            elif table:
                match = re.search(r"\(\s*\*\s*(\w+)\s*\)\s*\(", text)
                if match:
                    entries.append((match.group(1), number))
    return entries


def main():
    files = source_files()
    tokens = {path: list(words(path)) for path in files}

    # Functions: a name is used when it appears outside every function of that name.
    ranges = {}
    for tag in declared_functions(files):
        ranges.setdefault(tag["name"], []).append(
            (tag["path"], tag["line"], tag.get("end", tag["line"]), tag["pattern"]))
    used = set()
    for path, found in tokens.items():
        for line, word, _ in found:
            if word in ranges and word not in used:
                if not any(p == path and first <= line <= last
                           for p, first, last, _ in ranges[word]):
                    used.add(word)
    unused = []
    for name, sites in sorted(ranges.items()):
        if name in used or name in NOT_CHECKED or name in LIBRARY_CALLED:
            continue
        # Operators, destructors and lambdas are reached without their names.
        if name.startswith(("operator", "~", "__anon")):
            continue
        if any(re.search(r"\boverride\b|\bfinal\b", pattern) for _, _, _, pattern in sites):
            continue
        path, line, _, _ = min(sites)
        unused.append(f"{path}:{line}: function '{name}' is never used")

    # Host table entries: called by a client of the tables.
    called = set()
    for path, found in tokens.items():
        if any(path.startswith(c + "/") for c in ENTRY_CLIENTS):
            called.update(word for _, word, previous in found if previous in ("->", "."))
    for name, line in table_entries():
        if name not in called and not name.startswith("retired_"):
            unused.append(f"abi/host_abi.h:{line}: table entry '{name}' is never called")

    for message in unused:
        print(message, file=sys.stderr)
    if unused:
        print(f"check-unused: {len(unused)} unused name(s); remove them or use them",
              file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
