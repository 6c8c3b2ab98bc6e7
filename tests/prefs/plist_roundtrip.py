#!/usr/bin/env python3
"""Round trips of the preference store's files through Python's plistlib.

  plist_roundtrip.py write PATH   write EXPECTED to PATH with plistlib
  plist_roundtrip.py check PATH   read PATH with plistlib; exit 0 when it equals EXPECTED

EXPECTED mirrors the table in PrefsRoundTripTest.cpp.
"""
import plistlib
import sys

EXPECTED = {
    "Count": 42,
    "Zero": 0,
    "Max": 4294967295,
    "Text": "first line\nsecond line\n\tindented <&> \"quoted\" 'single'",
    "Padded": "  both ends  ",
    "Blank": " ",
    "Empty": "",
    "Utf8": "Gr\u00fc\u00dfe \u2713 \u65e5\u672c",
    "On": True,
    "Off": False,
    "Group": {"Inner": {"Deep": {"Value": 7, "Name": "deep"}}, "Sibling": "s"},
    "List": ["one", "two\nlines", ""],
    "NoItems": [],
    "Blob": bytes((i * 7 + 3) % 256 for i in range(300)),
    "EmptyBlob": b"",
}


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("write", "check"):
        print(__doc__, file=sys.stderr)
        return 2
    path = sys.argv[2]
    if sys.argv[1] == "write":
        with open(path, "wb") as f:
            plistlib.dump(EXPECTED, f)
        return 0
    with open(path, "rb") as f:
        got = plistlib.load(f)
    if got == EXPECTED:
        return 0
    for key in sorted(set(got) | set(EXPECTED)):
        if got.get(key) != EXPECTED.get(key):
            print(f"{key}: got {got.get(key)!r}, expected {EXPECTED.get(key)!r}", file=sys.stderr)
    return 1


if __name__ == "__main__":
    sys.exit(main())
