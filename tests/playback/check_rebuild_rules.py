#!/usr/bin/env python3
"""The rebuild rules, one row each: xqft-record's rebuild-rules scene plays, for every rule, a frame
that reads a texture the GPU made before rewriting it, then a frame that rewrites it whole first.
`replay --frame N` of the first must say it was rebuilt, of the second must not, and each must give
the image `replay --frame N --from-start` gives.

usage: check_rebuild_rules.py BIN_DIR SOURCE_DIR
The exit status is the number of failures (at most 100).
"""
import os
import re
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from check_scenes import Runner, same_file  # noqa: E402

SCENE = "rebuild-rules"
# In the scene's order from frame 2 on: (the frame that reads, the frame that rewrites first).
ROWS = (
    ("a clear with alpha masked", "a clear of every channel"),
    ("a scissored clear", "a clear with the scissor test off"),
    ("a draw into it", "a clear, then a draw into it"),
    ("a sub-image upload", "an upload of the whole level"),
    ("a sub-image copy into it", "a copy of the whole level into it"),
    ("a copy from its framebuffer", "a copy from the window"),
    ("levels generated from it", "levels generated after an upload of the whole level"),
)
REBUILT = re.compile(r"Frame (\d+) rebuilt by replaying from frame \d+")


def check(runner, trace, frame, what, rebuilt):
    alone = os.path.join(runner.work, "alone.%d.ppm" % frame)
    start = os.path.join(runner.work, "start.%d.ppm" % frame)
    truth = runner.dump("replay", trace, "--frame", str(frame), "--from-start", start)
    r = runner.dump("replay", trace, "--frame", str(frame), alone)
    said = [int(m.group(1)) for m in REBUILT.finditer(r.stdout + r.stderr)]
    if (said == [frame]) != rebuilt:
        runner.fail("frame %d, %s: %s" % (frame, what, "not rebuilt" if rebuilt else "rebuilt, needlessly"))
    if "result=1" not in truth.stdout or "result=1" not in r.stdout or not same_file(alone, start):
        runner.fail("frame %d, %s: the replay differs from the one from the trace's start" % (frame, what))


def main(argv):
    with tempfile.TemporaryDirectory(prefix="xqft-rules-") as work:
        runner = Runner(argv[1], argv[2], "headless", work)
        trace, frames, result = runner.record(SCENE)
        if result != 0 or frames != 1 + 2 * len(ROWS):
            runner.fail("%s: load result %d, %d frames" % (SCENE, result, frames))
        else:
            for i, (reads, rewrites) in enumerate(ROWS):
                check(runner, trace, 2 + 2 * i, reads, True)
                check(runner, trace, 3 + 2 * i, rewrites, False)
        print("%d failures" % len(runner.failures))
        return min(len(runner.failures), 100)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
