#!/usr/bin/env python3
"""One-value mutants of recorded scenes (fbo: ES 2.0, es1-tri-client: ES 1.1, copy-later: copies
from the window, fbo-pbuffer: the fbo scene drawn into a pbuffer): each 32-bit argument of each call
and each value of a pbuffer's attribute list, each draw's count, first, mode, type and offset, and each name a call
returns or names, set to a value of a hostile table (0, -1, INT_MIN, 2^31-1, 2^28, 16384, 0x10000,
the format and type enums, a live name of another kind, a handle no call made), each with the
arrays as recorded and with every array switched off. Each trace is replayed at the frame holding
the call and analysed at the next (whose start restores what the call left). No run may end on a
signal or a sanitizer report, take over 15 s of CPU time or grow over 1 GiB resident; refusals are
expected.

There are some 90,000 mutants; a run takes a sample of them spread over every argument:
--sample N keeps N of them (default 240), every mutant when N is 0. --shard K/N keeps every N-th
of the sample from the K-th on, so that N tests share it. --seed S picks another sample (default
0: the one CI runs).

usage: check_mutants.py BIN_DIR SOURCE_DIR [--shard K/N] [--sample N] [--seed S] [--report]
       [--work DIR]
The exit status is the number of failures (at most 100).
"""
import json
import os
import random
import sys
import tempfile
from concurrent.futures import ThreadPoolExecutor

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from check_hostile import Runner, as_pbuffer, frames_of, write_trace  # noqa: E402

SCENES = ("fbo", "es1-tri-client", "copy-later", "fbo-pbuffer")
# Scenes made of another by a change: the fbo scene drawn into a pbuffer of its window's size.
VARIANTS = {"fbo-pbuffer": ("fbo", lambda lines: [as_pbuffer(c, 64, 48) if c["f"] == "eglCreateWindowSurface" else c
                                                  for c in lines])}
# Lists of values a mutant changes element by element: (function, argument).
VALUE_LISTS = {("eglCreatePbufferSurface", "attrib_list")}
# Calls whose returned name is new: it gets a live name of every other kind.
CREATES = ("glCreateShader", "glCreateProgram", "glGen", "eglCreate")
NUMBERS = (0, -1, -2**31, 2**31 - 1, 2**28, 16384, 0x10000)
FORMATS = (0x1902, 0x1903, 0x1906, 0x1907, 0x1908, 0x1909, 0x190A, 0x80E1, 0x8227, 0x84F9, 0x8C40, 0x8C42,
           0x8D64, 0x8B90, 0x83F0, 0x81A5, 0x8056, 0x8D62)
TYPES = (0x1400, 0x1401, 0x1402, 0x1403, 0x1404, 0x1405, 0x1406, 0x140B, 0x140C, 0x8033, 0x8034, 0x8363,
         0x8365, 0x8366, 0x8368, 0x84FA, 0x8D61, 0x8C3B, 0x8DAD)
UNKNOWN_NAME = 0x7777
DRAW_KEYS = ("mode", "count", "first", "type", "offset")
# Switching an array on, and the call that switches it off instead.
SWITCH_OFF = {"glEnableVertexAttribArray": ("glDisableVertexAttribArray", 2040),
              "glEnableClientState": ("glDisableClientState", 3035)}


def slots(call):
    """The places of a call a mutant changes: (key path, the value there)."""
    v = call.get("v")
    items = list(enumerate(v)) if isinstance(v, list) else list(v.items()) if isinstance(v, dict) else []
    out = []
    for key, x in items:
        if isinstance(x, bool) or isinstance(x, float):
            continue
        if isinstance(x, int) or (isinstance(x, dict) and "o" in x and "v" in x):
            out.append((("v", key), x))
        elif isinstance(x, dict) and "o" in x and "a" in x:
            out += [(("v", key, "a", n), {"o": x["o"], "v": name}) for n, name in enumerate(x["a"])]
        elif isinstance(x, list) and (call["f"], key) in VALUE_LISTS:
            out += [(("v", key, n), e) for n, e in enumerate(x) if isinstance(e, int)]
    return out + [((k,), call[k]) for k in DRAW_KEYS if k in call]


def hostile_values(original, kinds, created=False):
    """The table for a place holding `original`, in groups (numbers, formats, types, names); a name
    gets names too (`kinds`: a live name of each kind in the scene), a name a call makes (`created`)
    one of every other kind, other names one of two."""
    groups = [NUMBERS, FORMATS, TYPES]
    if isinstance(original, dict):
        kind = original["o"]
        names = [{"o": other, "v": name} for other, name in sorted(kinds.items()) if other != kind]
        names = names if created else names[:2]
        names += [{"o": kind, "v": kinds[kind]}] if kind in kinds else []  # handed out twice
        groups.append(names + [{"o": kind, "v": UNKNOWN_NAME}])
    return [[v for v in group if v != original] for group in groups]


def put(call, path, value):
    holder = call
    for key in path[:-1]:
        holder = holder[key]
    if len(path) == 4:  # an element of a returned-names array: the array keeps its kind
        value = value["v"] if isinstance(value, dict) else value
    holder[path[-1]] = value


def mutants(logs):
    """Every mutant: (scene, call index, key path, value group, value, arrays off)."""
    out = []
    for scene, lines in logs.items():
        kinds = {}
        for call in lines:
            for _, x in slots(call):
                if isinstance(x, dict) and x["v"] != 0 and not call["f"].startswith("egl"):
                    kinds.setdefault(x["o"], x["v"])
        for i, call in enumerate(lines):
            for path, original in slots(call):
                created = call["f"].startswith(CREATES) and path in (("v", 0), ("v", "return"))
                for group, values in enumerate(hostile_values(original, kinds, created)):
                    out += [(scene, i, path, group, value, off) for value in values for off in (False, True)]
    return out


def sample(all_mutants, count, seed):
    """`count` mutants spread over the places: each place in turn gives one, of a group drawn (the
    numbers half the time, as they break the most), then a value of it drawn."""
    if count == 0:
        return all_mutants
    rng = random.Random(seed)
    by_place = {}
    for m in all_mutants:
        by_place.setdefault(m[:3], {}).setdefault(m[3], []).append(m)
    places = list(by_place)
    rng.shuffle(places)
    chosen = []
    for k in range(count):
        groups = by_place[places[k % len(places)]]
        group = 0 if rng.random() < 0.5 else rng.choice(sorted(groups))
        chosen.append(rng.choice(groups[group]))
    return chosen


class Sweep(Runner):
    unwritten = 0  # mutants the trace writer cannot write (a value its field cannot hold)

    def record(self, scene):
        if scene in VARIANTS:
            base, change = VARIANTS[scene]
            return change(super().record(base))
        return super().record(scene)

    def check_mutant(self, number, mutant):
        scene, at, path, _, value, off = mutant
        lines = self.record(scene)
        frames, count = frames_of(lines)
        put(lines[at], path, value)
        if off:
            for call in lines:
                if call["f"] in SWITCH_OFF:
                    call["f"], call["id"] = SWITCH_OFF[call["f"]]
        stem = os.path.join(self.work, "mutant-%d" % number)
        with open(stem + ".log", "w") as log:
            log.writelines(json.dumps(c) + "\n" for c in lines)
        if not write_trace(stem + ".log", stem + ".xqft"):
            # A field the writer keeps unsigned takes the value's 32 bits.
            if not isinstance(value, int):
                self.unwritten += 1
                return
            put(lines[at], path, value & 0xFFFFFFFF)
            with open(stem + ".log", "w") as log:
                log.writelines(json.dumps(c) + "\n" for c in lines)
            if not write_trace(stem + ".log", stem + ".xqft"):
                self.unwritten += 1
                return
        what = "%s call %d (%s) %s=%s%s" % (scene, at + 1, lines[at]["f"], "/".join(map(str, path)),
                                           json.dumps(value), ", arrays off" if off else "")
        dump, trace, image = os.path.join(self.bin, "xqft-dump"), stem + ".xqft", stem + ".ppm"
        frame = frames[at]
        self.run(what, [dump, "replay", trace, "--frame", str(frame), image])
        self.run(what, [dump, "analyse", trace, "--frame", str(min(frame + 1, count)), image])
        for suffix in (".log", ".xqft", ".ppm"):
            if os.path.exists(stem + suffix):
                os.remove(stem + suffix)


def option(argv, name, default):
    return argv[argv.index(name) + 1] if name in argv else default


def main(argv):
    bin_dir, source_dir = argv[1], argv[2]
    with tempfile.TemporaryDirectory(prefix="xqft-mutants-") as work:
        work = option(argv, "--work", work)
        os.makedirs(work, exist_ok=True)
        sweep = Sweep(bin_dir, source_dir, work, "--report" in argv)
        logs = {scene: sweep.record(scene) for scene in SCENES}
        everything = mutants(logs)
        chosen = sample(everything, int(option(argv, "--sample", "240")), int(option(argv, "--seed", "0")))
        shard, shards = (int(n) for n in option(argv, "--shard", "0/1").split("/"))
        mine = list(enumerate(chosen))[shard::shards]
        print("%d mutants of %d, %d in this shard" % (len(chosen), len(everything), len(mine)), flush=True)
        with ThreadPoolExecutor(max_workers=2) as pool:
            list(pool.map(lambda m: sweep.check_mutant(*m), mine))
        print("%d not written, %d failures" % (sweep.unwritten, len(sweep.failures)))
        return min(len(sweep.failures), 100)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
