#!/usr/bin/env python3
"""Fails when a source outside the call tables writes a call id as a number. Ids belong to the rows
of calls/*/*Calls.def; every other folder asks calls/CallQueries.h (CallIdOf, CallFamilyRange, the
traits) or the host tables' slots. The ids looked for are those the tables hold; a number is taken
for an id only where it is used as one (below), so sizes such as 1024 or 2048 and GL enums pass:
  case N:                 in any switch but one over a size or a GL value (width, count, format, pname ...)
  X == N, N != X ...      a comparison with an id (X names an id as above)
  N, "glFoo" / "eglFoo"   an id beside a function name
  id = N, kId{N}          an id variable set to it
  uint16_t(N + i)         an id computed from it
  IsDrawCall(N) ...       a call id query or host entry asked about it
  GetId() ... return N    an id function answering it
The C and C++ sources of every product folder (a top-level folder with a CMakeLists.txt) but calls/
and tests/ are scanned, comments left out. The
Python trace writer under tools/ keeps its own id list on purpose: it is the independent writer the
round-trip tests compare the readers with.
Usage: check_call_ids.py SOURCE_DIR      (prints FILE:LINE: TEXT for each hit, exits 1 when any)
       check_call_ids.py --self-test    (checks the patterns on a table of snippets)"""
import re
import sys
from pathlib import Path

# The folders never scanned: the tables themselves and the tests, which write ids on purpose.
EXEMPT = {"calls", "tests"}
SUFFIXES = {".c", ".cc", ".cpp", ".cxx", ".h", ".hh", ".hpp", ".inc", ".ipp"}

ROW = re.compile(r"^\s*XQF_(?:RECORD|EFFECT|CUSTOM|NAMED)\(\s*\w+\s*,\s*(\d+)\s*,", re.M)

# A name that stands for a call id: id, m_id, callId, kId, GetId, GetID, entry_id ...
ID_NAME = r"(?:(?<![A-Za-z0-9])(?:id|ID|Id)|[a-z0-9](?:Id|ID))(?![A-Za-z0-9_])"
ID_EXPR = ID_NAME + r"(?:\s*\(\s*\))?"
QUERIES = (r"CallFunctionName|CallTraits|CallFamilyOfId|IsDrawCall|IsFrameEnd|IsTextureUpload|IsTextureBind|"
           r"IsShaderSource|CreatesShader|AttachesShader|IsImageUpload|EntryOfId")


def table_ids(source):
    ids = set()
    for table in sorted((source / "calls").glob("*/*Calls.def")):
        ids.update(int(m.group(1)) for m in ROW.finditer(table.read_text()))
    return ids


def strip_comments(text):
    """The text with comments blanked (line breaks kept); string and character literals stay."""
    out, i, n = [], 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            out.append(" " * (j - i))
            i = j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out.append("".join(ch if ch == "\n" else " " for ch in text[i:j]))
            i = j
        elif c in "\"'":
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            out.append(text[i:j + 1])
            i = j + 1
        else:
            out.append(c)
            i += 1
    return "".join(out)


def patterns(ids):
    num = r"(?<![\w.])(" + "|".join(str(i) for i in sorted(ids, reverse=True)) + r")(?![\w.])"
    return {
        "case": re.compile(r"\bcase\s+" + num + r"\s*:"),
        "compare": re.compile(ID_EXPR + r"\s*(?:==|!=|<=|>=|<(?!<)|>(?!>))\s*" + num),
        "compare_reversed": re.compile(num + r"\s*(?:==|!=|<=|>=|<(?!<)|>(?!>))\s*[\w.>-]*?" + ID_EXPR),
        "named": re.compile(num + r"\s*,\s*\"e?gl[A-Z]"),
        "assigned": re.compile(ID_NAME + r"\s*(?:=|\{)\s*" + num),
        "computed": re.compile(r"\buint16_t\s*\(\s*" + num + r"\s*[-+]"),
        "asked": re.compile(r"\b(?:" + QUERIES + r")\s*\(\s*" + num),
        "returned": re.compile(r"\bGet(?:Call)?I[dD]\s*\(\s*\)[^{};]*\{\s*return\s+" + num),
    }


SWITCH = re.compile(r"\bswitch\s*\(")
# What a switch whose cases may hold such numbers is over.
NOT_AN_ID = re.compile(r"(?i)size|width|height|bytes|bits|count|length|format|type|pname|target|mode|level|"
                       r"samples|depth|stride|enum")


def switch_expression(text, at):
    """The expression of the last switch opened before offset `at` ("" when none)."""
    last = None
    for m in SWITCH.finditer(text, 0, at):
        last = m
    if not last:
        return ""
    depth, j = 1, last.end()
    while j < len(text) and depth:
        depth += {"(": 1, ")": -1}.get(text[j], 0)
        j += 1
    return text[last.end():j - 1]


def hits_in(text, pats):
    """(line, kind) of every id use in a source text."""
    text = strip_comments(text)
    found = []
    for kind, pat in pats.items():
        for m in pat.finditer(text):
            if kind == "case" and NOT_AN_ID.search(switch_expression(text, m.start())):
                continue
            found.append((text.count("\n", 0, m.start()) + 1, kind))
    return sorted(set(found))


def product_folders(source):
    """Every top-level folder the build configures (it holds a CMakeLists.txt), calls/ and tests/ left out."""
    return sorted(d.name for d in source.iterdir()
                  if d.is_dir() and d.name not in EXEMPT and (d / "CMakeLists.txt").is_file())


def scan(source):
    ids = table_ids(source)
    if not ids:
        print(f"no call table rows found under {source / 'calls'}")
        return 1
    pats, hits, folders = patterns(ids), [], product_folders(source)
    for folder in folders:
        for path in sorted((source / folder).rglob("*")):
            if path.suffix not in SUFFIXES or not path.is_file():
                continue
            text = path.read_text(errors="replace")
            lines = text.splitlines()
            for line, kind in hits_in(text, pats):
                hits.append(f"{path.relative_to(source)}:{line}: call id as a number ({kind}): {lines[line - 1].strip()}")
    for h in hits:
        print(h)
    if hits:
        print(f"{len(hits)} literal call id(s) outside calls/ and tests/: name them with CallIdOf or ask CallQueries.h")
        return 1
    print(f"no literal call id in {', '.join(folders)} ({len(ids)} table ids)")
    return 0


SELF_TEST = [  # (snippet, hit expected)
    ("switch (call.GetId()) {\ncase 1001:\n  break;\n}", True),
    ("switch (id) { case 2041: return; }", True),
    ("if (entry->GetId() == 2142) {}", True),
    ("if (c.id != 1022) continue;", True),
    ("if (callId >= 3001 && callId <= 3145) {}", True),
    ("if (2041 == call.GetID()) {}", True),
    ("LogEgl(1014, \"eglGetDisplay\", values);", True),
    ("{3144, \"glViewport\"},", True),
    ("m_callId = 1022;", True),
    ("b.Add(uint16_t(2001 + f), name);", True),
    ("return IsDrawCall(2041);", True),
    ("int GetId() const override { return 1022; }", True),
    ("switch (play(p)) { case 1001: break; }", True),
    ("switch (size) { case 1024: case 2048: break; }", False),
    ("switch (image.width) { case 2048: break; }", False),
    ("char text[1024]; int w = 2048;", False),
    ("glTexParameteri(0x2801, 0x2601); float f = 2048.0f;", False),
    ("if (width == 1024 || valid == 2001) {}", False),
    ("// case 1001: in a comment\n/* id == 2041 */", False),
    ("ProgramNameMap::Get(3001);", False),
    ("const int frames = 2000, steps = 3000;", False),
    ("id = CallIdOf(ECallFamily::Egl, \"eglSwapBuffers\");", False),
]


def folders_scanned():
    """The failures of a scan over a small tree: an id in any product folder is found, one in
    calls/, tests/ or a folder outside the build is not. Empty when all is as expected."""
    import contextlib
    import io
    import tempfile
    failures = []
    with tempfile.TemporaryDirectory() as tmp:
        root = Path(tmp)
        (root / "calls" / "es2").mkdir(parents=True)
        (root / "calls" / "es2" / "Es2Calls.def").write_text('XQF_RECORD(CEs2_glDrawArrays_v1, 2041, 1, "glDrawArrays")\n')
        line = "if (call.GetId() == 2041) {}\n"
        for folder in ("capture", "viewer", "playback", "calls", "tests", "build"):
            (root / folder).mkdir(exist_ok=True)
            (root / folder / "Uses.cpp").write_text(line)
            if folder != "build":
                (root / folder / "CMakeLists.txt").write_text("")
        out = io.StringIO()
        with contextlib.redirect_stdout(out):
            scan(root)
        for folder in ("capture", "viewer", "playback"):
            if f"{folder}/Uses.cpp:1:" not in out.getvalue():
                failures.append(f"missed an id in {folder}/")
        for folder in ("calls", "tests", "build"):
            if f"{folder}/Uses.cpp" in out.getvalue():
                failures.append(f"false hit in {folder}/")
    return failures


def self_test():
    pats = patterns({1001, 1014, 1022, 2001, 2041, 2048, 2142, 3001, 3144, 3145})
    failed = 0
    for snippet, expected in SELF_TEST:
        if bool(hits_in(snippet, pats)) != expected:
            failed += 1
            print(f"{'missed' if expected else 'false hit'}: {snippet!r}")
    print(f"{len(SELF_TEST) - failed} of {len(SELF_TEST)} snippets as expected")
    tree = folders_scanned()
    for failure in tree:
        print(failure)
    return 1 if failed or tree else 0


if __name__ == "__main__":
    if sys.argv[1:] == ["--self-test"]:
        sys.exit(self_test())
    if len(sys.argv) != 2:
        print(__doc__)
        sys.exit(2)
    sys.exit(scan(Path(sys.argv[1])))
