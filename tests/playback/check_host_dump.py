#!/usr/bin/env python3
"""Checks what `xqft-dump host` prints: the back end asked for, every table complete, our wireframe
switch in place of the one Mesa lacks, and each probe verdict and slot against the GL_EXTENSIONS
words the same run printed.

usage: check_host_dump.py XQFT_DUMP BACKEND
"""
import subprocess
import sys


def main(dump, backend):
    run = subprocess.run([dump, "host"], capture_output=True, text=True, timeout=60)
    out = run.stdout.splitlines()
    errors = []

    def expect(condition, text):
        if not condition:
            errors.append(text)

    expect(run.returncode == 0, "exit status %d: %s" % (run.returncode, run.stderr))
    expect("backend=%s" % backend in out, "back end %s" % backend)
    for table, total in (("EGL", 34), ("ES1", 145), ("ES2", 142)):
        expect(any(line.startswith("table=%s " % table) and "entry_points=%d/%d failed=0" % (total, total) in line
                   for line in out), "table %s complete" % table)
    expect("wireframe=ours" in out, "our wireframe switch in place of the library's")
    expect(out.count("Error loading library Mirbex_ToggleWireframe") == 0, "no line for the switch ours replaces")

    words = {}
    probes = []
    for line in out:
        api, _, rest = line.partition(" ")
        if rest.startswith("GL_EXTENSIONS="):
            words[api] = set(rest[len("GL_EXTENSIONS="):].split())
        elif rest.startswith("extension="):
            fields = dict(f.split("=", 1) for f in rest.split())
            probes.append((api, fields))
        elif rest.startswith("context="):
            expect(rest == "context=ok", "%s context: %s" % (api, rest))
    expect(set(words) == {"ES1", "ES2"}, "both extension strings printed")
    expect(len(probes) == 11, "eleven probe rows, %d printed" % len(probes))
    for api, fields in probes:
        name = fields.pop("extension")
        listed = name in words.get(api, set())
        expect(fields.pop("listed") == str(int(listed)), "%s %s verdict" % (api, name))
        for slot, state in fields.items():
            # glvnd hands out an entry point for every name: a listed extension fills every slot.
            expect(state == ("set" if listed else "null"), "%s %s slot %s is %s" % (api, name, slot, state))
    fbo = [line for line in out if line.startswith("ES1 extension=GL_OES_framebuffer_object ")]
    expect(not any("GL_OES_matrix_palette" in w for w in words.get("ES1", [])), "Mesa lists no matrix palette")
    expect(len(fbo) == 1 and fbo[0].count("=set") == 15, "fifteen framebuffer-object slots filled for ES 1.1")
    if errors:
        print("\n".join(errors))
        print("--- output\n" + run.stdout)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
