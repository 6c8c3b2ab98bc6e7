#!/usr/bin/env python3
"""Hostile values in real traces: scenes of xqft-record written as traces with one record (or a few)
changed to values the host library would choke on (texture, renderbuffer, pbuffer and buffer sizes,
sub-image offsets, unpack row lengths and skips, draw counts and firsts, strides, types the size table
lacks, names handed out twice, shader sources the host compiler would recurse or expand without end on). Each trace goes through
`xqft-dump replay` (the frame holding the record and the next, whose start restores what it left),
`replay --from-start`, `host-state` and `analyse`. No run may end on a signal or a sanitizer report,
take over 15 s of CPU time (45 s in the sanitizer build; wall time follows the machine's load, and a
run still going at 600 s is a hang) or grow over 1 GiB resident; the frame holding the record reports
the refusal on an "ERROR: " line, and so does the next frame's restore where the tracked state keeps
the value; a run that reports one exits 5, as a failed pass. A pbuffer is refused at its
eglCreatePbufferSurface, and a pass from the trace's start that stops there writes no image of a later
frame; where nothing is drawn, the image is zeros.

usage: check_hostile.py BIN_DIR SOURCE_DIR [--cases a,b] [--shard K/N] [--report] [--work DIR]
--report prints each run's time and peak resident size; --work keeps the traces in DIR; --shard K/N
keeps every N-th case from the K-th on, so that N runs share the cases between them. The exit
status is the number of failures (at most 100).
"""
import json
import os
import subprocess
import sys
import tempfile
import threading
import time
from concurrent.futures import ThreadPoolExecutor

# The sanitizer build sets XQFT_HOSTILE_CPU_SECONDS higher: its checks cost our code several times the
# CPU time.
MAX_CPU_SECONDS = float(os.environ.get("XQFT_HOSTILE_CPU_SECONDS", "15"))
MAX_RSS_KIB = 1024 * 1024
HUGE, LARGE = 2**31 - 1, 2**28
SANITIZER_REPORTS = ("ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:")

INT_MIN = -2**31
NO_DATA = {"p": 0, "hex": ""}  # a data argument recorded as a null pointer
RGBA_2_10_10_10 = 0x8368
ES1_DISABLE_CLIENT_STATE = 3035
RESTORE_ONLY = "restore only"  # the frame's own replay need not refuse (the host refuses it itself)
BLANK = "blank"  # the replays and analyses of the frames draw nothing: their images hold zeros only
LIVE = "live"  # the value the function's first record returned (argument 0): a name still live
PBUFFER = "pbuffer"  # the argument of an eglCreateWindowSurface made a pbuffer of (width, height)
EGL_WIDTH, EGL_HEIGHT, EGL_NONE = 0x3057, 0x3056, 0x3038

# name: (scene, function, which of its records (0: the first), argument (index in "v", or a draw's
# key; a tuple for several), value (a tuple for several), whether the next frame's restore refuses
# the kept value too (RESTORE_ONLY: only it)); names ending in "without data" write the trace as one recorded without data
# (no pixels: the host gets the size).
CASES = {
    "es2 render target width": ("fbo", "glTexImage2D", 0, 3, HUGE, True),
    "es2 render target height": ("fbo", "glTexImage2D", 0, 4, LARGE, True),
    "es1 image width without data": ("es1-textured", "glTexImage2D", 0, 3, HUGE, False),
    "es2 image width": ("textured", "glTexImage2D", 0, 3, HUGE, True),
    "es2 image height": ("textured", "glTexImage2D", 0, 4, LARGE, True),
    "es2 cube face width": ("textured", "glTexImage2D", 6, 3, HUGE, True),
    "es2 compressed width": ("textured", "glCompressedTexImage2D", 0, 3, HUGE, True),
    "es1 image width": ("es1-textured", "glTexImage2D", 0, 3, HUGE, True),
    "es1 image height": ("es1-textured", "glTexImage2D", 0, 4, LARGE, True),
    "es1 compressed height": ("es1-textured", "glCompressedTexImage2D", 0, 4, HUGE, True),
    "es2 sub-image x offset": ("textured", "glTexSubImage2D", 0, 2, HUGE, False),
    "es2 sub-image y offset": ("textured", "glTexSubImage2D", 0, 3, LARGE, False),
    "es1 sub-image x offset": ("es1-textured", "glTexSubImage2D", 0, 2, HUGE, False),
    "es1 sub-image y offset": ("es1-textured", "glTexSubImage2D", 0, 3, LARGE, False),
    "es2 buffer size": ("multi", "glBufferData", 0, 1, HUGE, True),
    "es2 buffer size 2^28": ("multi", "glBufferData", 0, 1, LARGE, False),
    "es1 buffer size": ("es1-multi", "glBufferData", 0, 1, HUGE, True),
    "es1 element buffer size": ("es1-multi", "glBufferData", 1, 1, HUGE, True),
    "es2 draw count": ("multi", "glDrawArrays", 1, "count", HUGE, False),
    "es2 draw first": ("multi", "glDrawArrays", 1, "first", LARGE, False),
    "es2 vao draw count": ("es2-ext", "glDrawArrays", 1, "count", HUGE, False),
    "es2 indexed draw count": ("indexed", "glDrawElements", 0, "count", HUGE, False),
    "es1 draw count": ("es1-ext", "glDrawArrays", 1, "count", HUGE, False),
    "es1 client draw first": ("es1-tri-client", "glDrawArrays", 2, "first", LARGE, False),
    "es1 indexed draw count": ("es1-multi", "glDrawElements", 1, "count", HUGE, False),
    # Names a create or gen call hands out while they are live.
    "es2 shader created under a live name": ("fbo", "glCreateShader", 2, 0, LIVE, False),
    "es2 program created under a live name": ("fbo", "glCreateProgram", 1, 0, LIVE, False),
    # The same in frames restored from the tracked state: the create takes no live shader over.
    "es2 vertex shader created under a live name": ("textured", "glCreateShader", 2, 0, LIVE, True),
    "es2 fragment shader created under a live vertex shader's name": ("textured", "glCreateShader", 3, 0, LIVE,
                                                                      True),
    # A program that links on the device but not on the host: the restore skips its uniforms.
    "es2 shader of the other type": ("fbo", "glCreateShader", 0, 1, 0x8B30, RESTORE_ONLY),
    # Negative firsts and counts, on buffers and on client arrays.
    "es2 draw first -1": ("multi", "glDrawArrays", 1, "first", -1, False),
    "es2 client draw first INT_MIN": ("tri-client", "glDrawArrays", 0, "first", INT_MIN, False),
    "es2 client draw count -1": ("tri-client", "glDrawArrays", 0, "count", -1, False),
    "es1 client draw first -1": ("es1-tri-client", "glDrawArrays", 2, "first", -1, False),
    "es1 client draw first INT_MIN": ("es1-tri-client", "glDrawArrays", 2, "first", INT_MIN, False),
    # Buffers made without data: the host zero-fills them.
    "es2 data-less buffer size": ("multi", "glBufferData", 0, (1, 2), (HUGE, NO_DATA), True),
    "es1 data-less buffer size": ("es1-tri-client", "glBufferData", 0, (1, 2), (HUGE, NO_DATA), True),
    # Format and type pairs the size table did not know counted 0 bytes.
    "es2 image of a type the table lacked": ("textured", "glTexImage2D", 0, (3, 4, 7), (1024, 1024, RGBA_2_10_10_10),
                                             False),
    "es2 depth image of bytes": ("textured", "glTexImage2D", 0, 6, 0x1902, False),
    "es2 depth sub-image of bytes": ("textured", "glTexSubImage2D", 0, 6, 0x1902, False),
    "es1 image of a type the table lacked": ("es1-textured", "glTexImage2D", 0, (3, 4, 7),
                                             (1024, 1024, RGBA_2_10_10_10), False),
    # Images and renderbuffers the host would make of a gigabyte (the trace holding little or none).
    "es2 image declared 16384 square": ("textured", "glTexImage2D", 0, (3, 4), (16384, 16384), True),
    "es1 image declared 16384 square": ("es1-textured", "glTexImage2D", 0, (3, 4), (16384, 16384), True),
    "es2 render target 16384 square": ("fbo", "glTexImage2D", 0, (3, 4), (16384, 16384), True),
    "es2 renderbuffer 16384 square": ("fbo", "glRenderbufferStorage", 0, (2, 3), (16384, 16384), True),
    "es1 renderbuffer 16384 square": ("es1-fbo-later-ext", "glRenderbufferStorageOES", 0, (2, 3), (16384, 16384),
                                      True),
    # Copies from the framebuffer: an image the trace holds no byte of, a region past the level.
    "es2 copied image 16384 square": ("copy-later", "glCopyTexImage2D", 0, (5, 6), (16384, 16384), False),
    "es2 copied image width": ("copy-later", "glCopyTexImage2D", 0, 5, HUGE, False),
    "es2 copied image height -1": ("copy-later", "glCopyTexImage2D", 0, 6, -1, False),
    "es1 copied image 16384 square": ("es1-gpu-later-ext", "glCopyTexImage2D", 0, (5, 6), (16384, 16384), False),
    "es2 copied region x offset": ("copy-later", "glCopyTexSubImage2D", 0, 2, HUGE, False),
    "es2 copied region width": ("copy-later", "glCopyTexSubImage2D", 0, 6, HUGE, False),
    "es1 copied region x offset": ("es1-gpu-later-ext", "glCopyTexSubImage2D", 0, 2, HUGE, False),
    "es1 copied region height": ("es1-gpu-later-ext", "glCopyTexSubImage2D", 0, 7, LARGE, False),
    # The window surface made a pbuffer: sizes no window surface may have.
    "pbuffer of 2^31-1 square": ("fbo", "eglCreateWindowSurface", 0, PBUFFER, (HUGE, HUGE), True),
    "pbuffer 16384 square": ("fbo", "eglCreateWindowSurface", 0, PBUFFER, (16384, 16384), True),
    "pbuffer of a negative size": ("fbo", "eglCreateWindowSurface", 0, PBUFFER, (-5, -5), True),
    "es1 pbuffer 16384 wide": ("es1-tri-client", "eglCreateWindowSurface", 0, PBUFFER, (16384, 48), True),
    # Clears that clear nothing: the image is the new surface's, which is cleared to zeros.
    "clears of no buffer": ("clear", "glClear", 0, 0, 0, BLANK),
    # Draws no array bounds: every array off, or an enabled one with neither buffer nor pointer.
    "es2 draw count with an empty array": ("multi", "glDrawArrays", 1, "count", HUGE, False),
    "es1 draw count with arrays off": ("es1-tri-client", "glDrawArrays", 2, "count", HUGE, False),
    "es2 wireframe draw count": ("tri-client", "glDrawArrays", 0, "count", 1 << 24, False),
    # Row lengths and skips whose rows lie past the captured bytes: the uploads after them are refused.
    "es2 row length past the data": ("unpack-rows", "glPixelStorei", 2, 1, 5000, False),
    "es2 skip rows 2^31-1": ("unpack-rows", "glPixelStorei", 3, 1, HUGE, False),
    "es2 skip pixels 2^31-1": ("unpack-rows", "glPixelStorei", 8, 1, HUGE, False),
    "es1 row length 2^31-1": ("es1-textured", "glPixelStorei", 1, (0, 1), (0x0CF2, HUGE), False),
    # Strides the host keeps in 16 bits.
    "es2 stride 0x8000": ("multi", "glVertexAttribPointer", 0, 4, 0x8000, True),
    "es2 stride 0x10000": ("multi", "glVertexAttribPointer", 0, 4, 0x10000, True),
    "es1 stride 0x10000": ("es1-tri-client", "glNormalPointer", 0, 1, 0x10000, False),
}


def chain(n):
    return FRAGMENT_HEAD + "void main() { float v = " + " + ".join(["a"] * n) + "; gl_FragColor = vec4(v); }\n"


def doubling(levels):
    defines = "#define A0 a\n" + "".join("#define A%d A%d + A%d\n" % (i, i - 1, i - 1) for i in range(1, levels + 1))
    return FRAGMENT_HEAD + defines + "void main() { gl_FragColor = vec4(A%d); }\n" % levels


def calling_twice(levels):
    """f0 .. fN, each calling the one before twice: fN inlined is 2^N copies of f0."""
    functions = "float f0(float x) { return x * a; }\n" + "".join(
        "float f%d(float x) { return f%d(x) + f%d(x + 1.0); }\n" % (i, i - 1, i - 1) for i in range(1, levels + 1))
    return FRAGMENT_HEAD + functions + "void main() { gl_FragColor = vec4(f%d(a)); }\n" % levels


FRAGMENT_HEAD = "precision mediump float;\nuniform float a;\nuniform int k;\n"
# Fragment shader sources the host compiler would crash on, or spend minutes and gigabytes on; each
# replaces the textured scene's first fragment shader.
SHADER_SOURCES = {
    "es2 expression of 5000 terms": chain(5000),
    "es2 expression of 15000 terms": chain(15000),
    "es2 expression of 100000 terms": chain(100000),
    "es2 parentheses nested 10000 deep": FRAGMENT_HEAD + "void main() { gl_FragColor = vec4(" + "(" * 10000 + "a" +
                                         ")" * 10000 + "); }\n",
    "es2 macro doubling 24 levels": doubling(24),
    "es2 macro doubling 30 levels": doubling(30),
    "es2 source of 16 MB": FRAGMENT_HEAD + ("// " + "x" * 97 + "\n") * (168 * 1024) + "void main() {}\n",
    "es2 local array of 100000 floats": FRAGMENT_HEAD + "void main() { float t[100000]; t[k] = a; "
                                        "gl_FragColor = vec4(t[k]); }\n",
    "es2 uniform array of 2^31-1 vectors": FRAGMENT_HEAD + "uniform vec4 u[2147483647];\n"
                                           "void main() { gl_FragColor = u[k]; }\n",
    "es2 functions calling twice 30 levels": calling_twice(30),
}
SOURCE = "source"  # the argument of a glShaderSource: its one string (and its length)
for name, source in SHADER_SOURCES.items():
    CASES[name] = ("textured", "glShaderSource", 1, SOURCE, source, True)

# Further records a case changes: (function, which of its records (None: every one), argument,
# value).
OTHER_EDITS = {
    "es2 draw count with an empty array": [("glEnableVertexAttribArray", None, 0, 15)],
    "es2 wireframe draw count": [("glEnableVertexAttribArray", None, 0, 15)],
    "clears of no buffer": [("glClear", None, 0, 0)],
    "es1 draw count with arrays off": [("glEnableClientState", None, "f", "glDisableClientState"),
                                       ("glEnableClientState", None, "id", ES1_DISABLE_CLIENT_STATE)],
}
# Analysis options of a case (its analyse runs only).
ANALYSE_OPTIONS = {"es2 wireframe draw count": ["--option", "2=1"]}


def as_pbuffer(call, width, height):
    """An eglCreateWindowSurface record as an eglCreatePbufferSurface of width x height: the same
    returned handle, display and config."""
    v = call["v"]
    return {"id": 1004, "f": "eglCreatePbufferSurface", "err": call["err"],
            "v": {"return": v["return"], "dpy": v["dpy"], "config": v["config"],
                  "attrib_list": [EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE],
                  "SurfaceDesc": v.get("surface_attribs")}}


def frames_of(lines):
    """The frame number (from 1) of each log line: frames end with eglSwapBuffers."""
    frame, out = 1, []
    for call in lines:
        out.append(frame)
        frame += call["f"] == "eglSwapBuffers"
    return out, frame - 1


# The trace writer, run in this process: a mutant is a trace, and a Python start-up for each would
# cost more than writing it.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
import xqftgen  # noqa: E402


def write_trace(log, out, options=()):
    """Writes the trace of a call log as `xqftgen.py from-log` does; False where the writer refuses it."""
    try:
        return xqftgen.main(["from-log", log, out] + list(options)) == 0
    except (SystemExit, Exception):
        return False


def measured(args, timeout):
    """Runs args with its output in files: (exit status, CPU seconds, peak resident KiB, stdout, stderr)
    of that process alone, or None when it was still running after `timeout` seconds and was killed."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        child = subprocess.Popen(args, stdout=out, stderr=err)
        late = threading.Event()

        def kill():
            late.set()
            child.kill()
        timer = threading.Timer(timeout, kill)
        timer.start()
        try:
            _, status, usage = os.wait4(child.pid, 0)
        finally:
            timer.cancel()
        child.returncode = os.waitstatus_to_exitcode(status)
        if late.is_set():
            return None
        texts = []
        for f in (out, err):
            f.seek(0)
            texts.append(f.read().decode(errors="replace"))
        return child.returncode, usage.ru_utime + usage.ru_stime, usage.ru_maxrss, texts[0], texts[1]


class Runner:
    def __init__(self, bin_dir, source_dir, work, report):
        self.bin, self.source, self.work, self.report = bin_dir, source_dir, work, report
        self.failures = []
        self.recorded = set()
        self.lock = threading.Lock()

    def say(self, text):
        with self.lock:
            print(text, flush=True)

    def fail(self, text):
        self.failures.append(text)
        self.say("FAIL " + text)

    def record(self, scene):
        if scene not in self.recorded:
            subprocess.run([os.path.join(self.bin, "xqft-record"), "--scene", scene, "--out", self.work],
                           capture_output=True, check=True, timeout=900)
            self.recorded.add(scene)
        with open(os.path.join(self.work, scene + ".log")) as log:
            return [json.loads(line) for line in log]

    def run(self, case, args):
        """One run under the limits, with its CPU time and peak resident size."""
        ended = measured(args, 600)
        if ended is None:
            self.fail("%s: %s: the run did not end in 600 s" % (case, " ".join(args[1:2] + args[3:])))
            return ""
        status, seconds, rss, out, err = ended
        what = "%s: %s %s" % (case, args[1], " ".join(args[3:]))
        text = out + err
        if self.report:
            run = args[1] + " " + " ".join(a for a in args[3:] if not a.endswith(".ppm"))
            self.say("%-34s %-40s %6.2f s CPU %8d KiB" % (case, run, seconds, rss))
        if status < 0:
            self.fail("%s ended on signal %d" % (what, -status))
        elif "ERROR: " in text and status not in (2, 3, 4, 5, 6):
            self.fail("%s reported an error and exited with %d, not 5 (a failed pass) nor a trace's fault" % (
                what, status))
        for report in SANITIZER_REPORTS:
            if report in text:
                self.fail("%s: %s\n%s" % (what, report, text[text.find(report):][:1500]))
        if seconds > MAX_CPU_SECONDS:
            self.fail("%s took %.1f s of CPU time" % (what, seconds))
        if rss > MAX_RSS_KIB:
            self.fail("%s reached %d MiB resident" % (what, rss // 1024))
        return text

    def check(self, name):
        scene, function, which, argument, value, restored = CASES[name]
        lines = self.record(scene)
        frames, count = frames_of(lines)
        at = [i for i, call in enumerate(lines) if call["f"] == function][which]
        if value == LIVE:
            value = next(c for c in lines if c["f"] == function)["v"][0]
        edits = [(at, argument, value)]
        for other, nth, arg, val in OTHER_EDITS.get(name, []):
            found = [i for i, c in enumerate(lines) if c["f"] == other]
            edits += [(i, arg, val) for i in (found if nth is None else [found[nth]])]
        for i, arg, val in edits:
            if arg == PBUFFER:
                lines[i] = as_pbuffer(lines[i], *val)
                continue
            if arg == SOURCE:
                lines[i]["v"][2]["a"] = [{"p": lines[i]["v"][2]["a"][0]["p"], "s": val}]
                lines[i]["v"][3]["a"] = [len(val.encode())]
                continue
            for a, v in (zip(arg, val) if isinstance(arg, tuple) else [(arg, val)]):
                if isinstance(a, int):
                    lines[i]["v"][a] = v
                else:
                    lines[i][a] = v
        stem = os.path.join(self.work, name.replace(" ", "-").replace("^", ""))
        with open(stem + ".log", "w") as log:
            log.writelines(json.dumps(c) + "\n" for c in lines)
        nodata = ["--no-data"] if name.endswith("without data") else []
        if not write_trace(stem + ".log", stem + ".xqft", nodata):
            raise RuntimeError("%s: the trace writer refused the log" % name)
        dump = os.path.join(self.bin, "xqft-dump")
        trace, image, frame = stem + ".xqft", stem + ".ppm", frames[at]
        options = ANALYSE_OPTIONS.get(name, [])
        runs = [["replay", "--frame", str(frame), image], ["replay", "--frame", str(frame), "--from-start", image],
                ["analyse", "--frame", str(frame), image] + options]
        if frame < count:
            runs += [["replay", "--frame", str(frame + 1), image], ["host-state", "--frame", str(frame + 1)],
                     ["analyse", "--frame", str(frame + 1), image] + options]
        texts = []
        for r in runs:
            texts.append(self.run(name, [dump, r[0], trace] + r[1:]))
            if restored == BLANK and os.path.exists(image):
                with open(image, "rb") as f:
                    pixels = f.read().split(b"\n", 3)[3]
                if pixels.strip(b"\0"):
                    self.fail("%s: %s: the image holds other bytes than zeros" % (name, " ".join(r)))
                os.remove(image)
        if restored == BLANK:
            return
        if options and "ERROR: " not in texts[2]:
            self.fail("%s: the analysis of frame %d reports no refusal\n%s" % (name, frame, texts[2][-800:]))
        elif not options and restored != RESTORE_ONLY and "ERROR: " not in texts[0]:
            self.fail("%s: the replay of frame %d reports no refusal\n%s" % (name, frame, texts[0][-800:]))
        if argument == PBUFFER and frame < count:  # a pass from the start stops before the last frame
            last = ["replay", "--frame", str(count), "--from-start", image]
            text = self.run(name, [dump, last[0], trace] + last[1:])
            if "image=none" not in text or os.path.exists(image):
                self.fail("%s: %s: the pass stopped in frame %d and wrote an image" % (name, " ".join(last), frame))
            runs.append(last)
            texts.append(text)
        if argument == PBUFFER:  # refused where the trace made it, not later at its use
            for run, text in zip(runs, texts):
                first = text[text.find("ERROR: "):].partition("\n")[0]
                if "eglCreatePbufferSurface" not in first:
                    self.fail("%s: %s %s: the first error is not the pbuffer's: %s" % (name, run[0], run[2], first))
        if restored and frame < count and "ERROR: " not in texts[3]:
            self.fail("%s: the restore of frame %d reports no refusal\n%s" % (name, frame + 1, texts[3][-800:]))


def main(argv):
    bin_dir, source_dir = argv[1], argv[2]
    names = list(CASES)
    if "--cases" in argv:
        names = argv[argv.index("--cases") + 1].split(",")
    if "--shard" in argv:
        shard, shards = (int(n) for n in argv[argv.index("--shard") + 1].split("/"))
        names = names[shard::shards]
    with tempfile.TemporaryDirectory(prefix="xqft-hostile-") as work:
        if "--work" in argv:
            work = argv[argv.index("--work") + 1]
            os.makedirs(work, exist_ok=True)
        runner = Runner(bin_dir, source_dir, work, "--report" in argv)
        for scene in sorted({CASES[n][0] for n in names}):
            runner.record(scene)
        with ThreadPoolExecutor(max_workers=2) as pool:
            list(pool.map(runner.check, names))
        print("%d failures" % len(runner.failures))
        return min(len(runner.failures), 100)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
