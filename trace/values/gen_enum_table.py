#!/usr/bin/env python3
"""Turns enum_names.txt into the C++ lookup tables of EnumNames.cpp and the named GL constants of
GlTokens.h.

GL rows become one array sorted by value (binary search); EGL rows become one name array per run
of consecutive values plus a table of {first, last, names} ranges. Each GL row also becomes a
constant gltoken::NAME (the name without its GL_ prefix, so that no GL header's macro of the same
name can touch it) for the code that includes no GL header. Duplicate values, unsorted input and
malformed rows stop the build.
"""
import re
import sys


def parse(path):
    rows = {"gl": {}, "egl": {}}
    for number, line in enumerate(open(path, encoding="ascii"), 1):
        line = line.split("#", 1)[0].strip()
        if not line:
            continue
        parts = line.split()
        if len(parts) != 3 or parts[0] not in rows or not re.fullmatch(r"0x[0-9A-Fa-f]+", parts[1]) \
                or not re.fullmatch(r"(GL|EGL)_\w+", parts[2]):
            sys.exit(f"{path}:{number}: expected 'gl|egl 0xVALUE NAME'")
        api, value, name = parts[0], int(parts[1], 16), parts[2]
        if value in rows[api]:
            sys.exit(f"{path}:{number}: {api} value {parts[1]} listed twice")
        rows[api][value] = name
    return rows


def runs(values):
    """Splits sorted values into runs of consecutive numbers."""
    out = []
    for v in values:
        if out and out[-1][-1] + 1 == v:
            out[-1].append(v)
        else:
            out.append([v])
    return out


def write_if_changed(path, text):
    """Leaves an unchanged file alone, so that nothing including it rebuilds."""
    try:
        if open(path, encoding="ascii").read() == text:
            return
    except OSError:
        pass
    with open(path, "w", encoding="ascii") as out:
        out.write(text)


def tokens_header(gl):
    lines = ["// Written by gen_enum_table.py from enum_names.txt; edit that file instead.",
             "// The GL values of enum_names.txt by name, for the code that includes no GL header. The names",
             "// drop their GL_ prefix: GL headers define the prefixed ones as macros.",
             "#pragma once",
             "",
             "#include <cstdint>",
             "",
             "namespace gltoken {"]
    for value in sorted(gl):
        name = gl[value][3:]
        if not name[0].isdigit():  # GL_3DC_X_AMD and its kin make no identifier: no constant
            lines.append(f"inline constexpr uint32_t {name} = 0x{value:04X}u;")
    lines.append("} // namespace gltoken")
    return "\n".join(lines) + "\n"


def main():
    if len(sys.argv) != 4:
        sys.exit("usage: gen_enum_table.py enum_names.txt EnumTables.inc GlTokens.h")
    rows = parse(sys.argv[1])
    lines = ["// Written by gen_enum_table.py from enum_names.txt; edit that file instead.", ""]
    lines.append("const SEnumName kGlEnumNames[] = {")
    for value in sorted(rows["gl"]):
        lines.append(f'    {{0x{value:04X}u, "{rows["gl"][value]}"}},')
    lines.append("};")
    egl = rows["egl"]
    ranges = runs(sorted(egl))
    for i, run in enumerate(ranges):
        names = ", ".join(f'"{egl[v]}"' for v in run)
        lines.append(f"const char* const kEglRange{i}[] = {{{names}}};")
    lines.append("const SEglRange kEglRanges[] = {")
    for i, run in enumerate(ranges):
        lines.append(f"    {{0x{run[0]:04X}u, 0x{run[-1]:04X}u, kEglRange{i}}},")
    lines.append("};")
    write_if_changed(sys.argv[2], "\n".join(lines) + "\n")
    write_if_changed(sys.argv[3], tokens_header(rows["gl"]))


if __name__ == "__main__":
    main()
