#!/usr/bin/env python3
"""Replays into the X11 playback windows with a window manager running (the caller starts it:
scripts/with-wm.sh): scenes of xqft-record with windows of several sizes are recorded, written as
traces, and replayed many times, each image compared with the direct run's.

usage: check_wm_replays.py BIN_DIR SOURCE_DIR [--runs N]
  fresh processes  `xqft-dump replay` of frame 1 (the windows made by the replayed EGL calls) and of
                   the last frame (made by the restore), N times each (default 20): every run
                   result=1, exit 0, the direct run's image
  one process      `xqft-dump analyse --frames` of the first three frames, N times over, on one analysis:
                   every pass result 1 or 2, exit 0, the last pass's images the direct run's
A window manager that carries out a resize late left a surface of the window's old size: an image
of 640 x 480 or of zeros, reported as success. The exit status is the number of failures (at most
100).
"""
import os
import re
import subprocess
import sys
import tempfile

# 64 x 48; 64 x 48 and 40 x 32 windows taking turns; 800 x 600; an ES 1.1 context.
SCENES = ("quads", "two-surfaces", "mix", "es1-overdraw")
HEADLESS = dict(os.environ, XQFT_PLAYBACK_WINDOWS="headless")
X11 = dict(os.environ, XQFT_PLAYBACK_WINDOWS="x11")


def same_file(a, b):
    with open(a, "rb") as x, open(b, "rb") as y:
        return x.read() == y.read()


def main(argv):
    bin_dir, source_dir = argv[1], argv[2]
    runs = int(argv[argv.index("--runs") + 1]) if "--runs" in argv else 20
    dump = os.path.join(bin_dir, "xqft-dump")
    failures = []

    def fail(text):
        failures.append(text)
        print("FAIL " + text, flush=True)

    def run(args, env):
        return subprocess.run(args, capture_output=True, text=True, env=env)

    with tempfile.TemporaryDirectory(prefix="xqft-wm-") as work:
        for scene in SCENES:
            # The reference: the direct run, on pbuffers of the window sizes.
            r = run([os.path.join(bin_dir, "xqft-record"), "--scene", scene, "--out", work], HEADLESS)
            trace = os.path.join(work, scene + ".xqft")
            g = run([sys.executable, os.path.join(source_dir, "tools", "xqftgen.py"), "from-log",
                     os.path.join(work, scene + ".log"), trace], HEADLESS)
            if r.returncode or g.returncode:
                fail("%s: recording failed: %s" % (scene, (r.stderr + g.stderr)[-500:]))
                continue
            frames = len([f for f in os.listdir(work) if re.fullmatch(re.escape(scene) + r"\.f\d+\.ppm", f)])
            reference = lambda frame: os.path.join(work, "%s.f%d.ppm" % (scene, frame))

            wrong = 0
            for frame in (1, frames):
                for n in range(runs):
                    out = os.path.join(work, "replay.ppm")
                    r = run([dump, "replay", trace, "--frame", str(frame), out], X11)
                    good = r.returncode == 0 and "result=1" in r.stdout and same_file(out, reference(frame))
                    if "rendering headless" in r.stdout + r.stderr:
                        fail("%s: no X server" % scene)
                        return 1
                    if not good:
                        wrong += 1
                        fail("%s frame %d run %d: exit %d %s, %s: %s" % (
                            scene, frame, n + 1, r.returncode, " ".join(r.stdout.split()[-3:]),
                            "the direct run's image" if same_file(out, reference(frame)) else "another image",
                            r.stderr.strip()[-300:]))
            print("%s: %d wrong of %d replays in fresh processes" % (scene, wrong, 2 * runs), flush=True)

            analysed = min(frames, 3)
            listed = ",".join(str(f) for f in range(1, analysed + 1))
            outdir = os.path.join(work, "analysed")
            r = run([dump, "analyse", trace, "--frames", ",".join([listed] * runs), outdir], X11)
            passes = re.findall(r"^frame=(\d+) result=(\d+)$", r.stdout, re.M)
            failed = [p for p in passes if p[1] not in ("1", "2")]
            if r.returncode != 0 or len(passes) != analysed * runs or failed:
                fail("%s: %d passes in one process, %d failed (%s), exit %d: %s" % (
                    scene, len(passes), len(failed), " ".join("frame %s result %s" % p for p in failed[:5]),
                    r.returncode, r.stderr.strip()[-300:]))
            for frame in range(1, analysed + 1):
                image = os.path.join(outdir, "frame-%d.ppm" % frame)
                if not os.path.exists(image) or not same_file(image, reference(frame)):
                    fail("%s frame %d: the last analysis in one process differs from the direct run" % (scene, frame))
            print("%s: %d passes in one process, %d failed" % (scene, len(passes), len(failed)), flush=True)
    print("%d failures" % len(failures))
    return min(len(failures), 100)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
