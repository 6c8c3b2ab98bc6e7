#!/usr/bin/env python3
"""The record-and-replay checks: every scene of xqft-record is played straight on Mesa, written as a
trace by `xqftgen.py from-log`, and the trace is then read and replayed by xqft-dump, whose results
must equal what the direct run gave.

usage: check_scenes.py BIN_DIR SOURCE_DIR BACKEND CHECK... [--scenes a,b]
BACKEND is the playback window back end in use (headless or x11). Checks:
  load    the trace loads with result 0 and the scene's frame count, and every frame image it
          carries equals the direct run's NAME.fN.ppm
  egl     egl-host of every frame from 2 on (and of frame 1 with --play) shows a current context,
          draw and read surfaces of the window's size, an initialised display, the ES API and the
          direct run's config
Each failure is printed; the exit status is the number of failures (at most 100).
"""
import os
import re
import subprocess
import sys
import tempfile

ES_API = "0x30A0"


class Runner:
    def __init__(self, bin_dir, source_dir, backend, work):
        self.bin, self.source, self.backend, self.work = bin_dir, source_dir, backend, work
        self.failures = []

    def run(self, *args, check=True):
        r = subprocess.run(list(args), capture_output=True, text=True, timeout=300)
        if check and r.returncode != 0:
            self.fail("%s exited with %d: %s" % (" ".join(args), r.returncode, r.stderr.strip()[-500:]))
        return r

    def fail(self, text):
        self.failures.append(text)
        print("FAIL " + text, flush=True)

    def dump(self, *args, check=True):
        return self.run(os.path.join(self.bin, "xqft-dump"), *args, check=check)

    def scenes(self):
        out = self.run(os.path.join(self.bin, "xqft-record"), "--list").stdout
        return [line.split()[0] for line in out.splitlines() if line.split() and line.split()[0] != "mix"]

    def record(self, scene):
        """Records the scene and writes its trace; returns the trace path and frame count."""
        self.run(os.path.join(self.bin, "xqft-record"), "--scene", scene, "--out", self.work)
        trace = os.path.join(self.work, scene + ".xqft")
        self.run(sys.executable, os.path.join(self.source, "tools", "xqftgen.py"), "from-log",
                 os.path.join(self.work, scene + ".log"), trace)
        load = self.dump("load", trace).stdout
        m = re.search(r"result=(\d+) frames=(\d+)", load)
        return trace, (int(m.group(2)) if m else 0), (int(m.group(1)) if m else -1)

    def path(self, scene, frame, ext):
        return os.path.join(self.work, "%s.f%d.%s" % (scene, frame, ext))

    def check_load(self, scene, trace, frames, result):
        if result != 0:
            self.fail("%s: load result %d" % (scene, result))
        expected = len([f for f in os.listdir(self.work) if re.fullmatch(re.escape(scene) + r"\.f\d+\.ppm", f)])
        if frames != expected:
            self.fail("%s: %d frames loaded, %d recorded" % (scene, frames, expected))
        for frame in range(1, frames + 1):
            out = os.path.join(self.work, "frame.ppm")
            self.dump("frame-image", trace, "--frame", str(frame), out)
            if not same_file(out, self.path(scene, frame, "ppm")):
                self.fail("%s frame %d: frame image differs from the direct run" % (scene, frame))

    def check_egl(self, scene, trace, frames):
        config = read(os.path.join(self.work, scene + ".egl")).split()
        sizes = " ".join(f for f in config[1:] if not f.startswith("id="))
        config_id = [f for f in config if f.startswith("id=")]
        for frame, play in [(1, True)] + [(f, False) for f in range(2, frames + 1)]:
            args = ["egl-host", trace, "--frame", str(frame)] + (["--play"] if play else [])
            lines = {l.split()[1].split("=")[0]: l for l in self.dump(*args).stdout.splitlines()
                     if l.startswith("egl-host ")}
            what = "%s frame %d%s" % (scene, frame, " --play" if play else "")
            # At a frame's start the surface current is the one the frame before swapped.
            width, height = ppm_size(self.path(scene, frame if play else frame - 1, "ppm"))
            expect = {
                "context": "egl-host context=set",
                "draw": "egl-host draw=%dx%d read=%dx%d" % (width, height, width, height),
                "display_initialized": "egl-host display_initialized=1 api=%s host_egl_initialised=1" % ES_API,
            }
            for key, line in expect.items():
                if lines.get(key) != line:
                    self.fail("%s: %r, expected %r" % (what, lines.get(key), line))
            if scene == "two-surfaces" and not (play and frame == 1):
                # Each on a window of its own (under X11, an X window each).
                if lines.get("surfaces") != "egl-host surfaces=40x32,64x48 windows=2":
                    self.fail("%s: %r, expected both surfaces" % (what, lines.get("surfaces")))
            got = lines.get("config", "")
            if not got.startswith("egl-host config " + sizes):
                self.fail("%s: %r, expected the direct run's config %s" % (what, got, sizes))
            if self.backend == "headless" and config_id and not got.endswith(config_id[0]):
                self.fail("%s: %r, expected the direct run's config %s" % (what, got, config_id[0]))


def read(path):
    with open(path) as f:
        return f.read()


def same_file(a, b):
    with open(a, "rb") as fa, open(b, "rb") as fb:
        return fa.read() == fb.read()


def ppm_size(path):
    with open(path, "rb") as f:
        fields = f.read(32).split()
    return int(fields[1]), int(fields[2])


def main(argv):
    bin_dir, source_dir, backend = argv[1], argv[2], argv[3]
    checks = [a for a in argv[4:] if not a.startswith("--")]
    only = None
    if "--scenes" in argv:
        only = argv[argv.index("--scenes") + 1].split(",")
        checks = [c for c in checks if c != argv[argv.index("--scenes") + 1]]
    with tempfile.TemporaryDirectory(prefix="xqft-scenes-") as work:
        runner = Runner(bin_dir, source_dir, backend, work)
        for scene in runner.scenes():
            if only and scene not in only:
                continue
            trace, frames, result = runner.record(scene)
            if "load" in checks:
                runner.check_load(scene, trace, frames, result)
            if "egl" in checks:
                runner.check_egl(scene, trace, frames)
        print("%d failures" % len(runner.failures))
        return min(len(runner.failures), 100)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
