#!/usr/bin/env python3
"""Frame after frame on one analysis, as the image-analysis dock moves through a trace: `xqft-dump
analyse FILE --frames ...` must give each frame the image a fresh process gives it (`analyse --frame
N`), whatever frames came before, a failing one included.

usage: check_sequences.py BIN_DIR SOURCE_DIR BACKEND [--shard K/N]

  - every scene of xqft-record, in two orders that jump back and forth (n,1,..,n-1 and n-1,..,1,n),
    and each frame right after other frames and after itself (two shuffles that end with their last
    frame twice; every pair when XQFT_ALL_PAIRS=1);
  - the benchmark workloads of both APIs (60 frames), in the order 2,11,50,12,60,1,30, against the
    direct run's frame images;
  - a scene of each API whose first draw lost its captured arrays, so that frame 1 cannot be
    analysed: it reports result 0 and writes no image, the frames after it equal a fresh process's
    and the direct run's;
  - a trace with contexts of both APIs on one display (an ES 2.0 scene, then an ES 1.1 one on a
    second context), its frames mixed, against the direct runs' images;
  - scenes with a make-current in frame 2 naming a context, or a surface (draw and read, or one of
    them beside a known one), the trace never made: replay and analyse of frame 2 fail with an ERROR
    line naming the call and the handle, those of frame 3 (restored or rebuilt) likewise, and the
    frames after it give what a fresh process gives;
  - a scene whose fragment shader the host refuses to compile, its frames stepped back and forth;
  - the cuts of real applications in ../shared/traces beside the source, or in XQFT_SHARED_TRACES
    (skipped with a note when absent): a scene switch analysed in both orders, and frames of a
    desktop drawn from textures rendered in earlier frames, each against the frame replayed from the
    trace's start;
  - SDL's ES 1.1 renderer cut (real-app-cuts-2): every frame replayed alone equals the frame replayed
    from the start, and neither that nor an analysis of its frames out of order warns;
  - the scenes of a context made without a config and of a start-up current without surfaces: every
    frame replayed from the start and restored alone exits 0 with no ERROR line and no EGL error line
    of a bad surface or match (0x300d, 0x3009), both equal to the direct run, and analyses forward,
    backward, repeated and jumping equal each frame alone;
  - the compositor cut (real-app-cuts-3): every frame replayed from the start exits 0 with an image
    and no such EGL error line; a spread of its frames (all 40 with XQFT_ALL_PAIRS=1) restored alone
    and analysed alone equal that image, and analysed in a shuffled order ending with a repeated
    frame equal each analysed alone;
  - the 3,000-frame video pipelines: a spread of frames alone and one sequence forward, backward and
    jumping, against the direct run; the pipeline that redraws its framebuffer textures before
    sampling them is never rebuilt, the one that samples its last texture first is, and after one
    rebuild each step starts from the images kept at a frame it passed;
  - the 6-frame filter chain (filters-6: each filter draws over its framebuffer texture without a
    clear): every frame alone and in orders forward, backward and jumping equals the direct run; the
    frames whose draws cover their textures are checked on the host, not rebuilt, and those where a
    filter blends, leaves a border or keeps the depths of the frame before are rebuilt; and the way
    each frame was restored is said once a visit, though the highlight restores it twice;
  - the 5-frame pipeline with its first clear narrowed (scissored, or one colour channel masked): its
    frames read what earlier frames drew and must be rebuilt; and its feedback variant with no room
    for kept images.
--shard K/N keeps the checks of the K-th of N runs that share them between them; the checks are dealt
out by their rough cost (a benchmark workload costs about ten scenes). Each failure is printed; the exit status is the number of failures (at most 100).
"""
import os
import random
import re
import shutil
import sys
import tarfile
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from check_scenes import BENCHMARK_SCENES, Runner, same_file  # noqa: E402

CUTS = "real-app-cuts.tar.xz"
# Every frame of every scene analysed right after every frame (XQFT_ALL_PAIRS=1; a long tool run),
# rather than a sample of such pairs.
ALL_PAIRS = os.environ.get("XQFT_ALL_PAIRS") == "1"
CUTS2 = "real-app-cuts-2.tar.xz"
CUTS3 = "real-app-cuts-3.tar.xz"
# What a replay printed when a make-current it played failed on the host.
EGL_BINDING_ERRORS = re.compile(r"^.*(?:ERROR: |EGL Error Code: 0x(?:300d|3009)).*$", re.M)


def sequence(runner, trace, frames, what):
    """Runs the frames in order on one facade; {frame: image path or None} and {frame: result}, of each
    frame's last pass."""
    out = os.path.join(runner.work, "sequence")
    shutil.rmtree(out, ignore_errors=True)
    r = runner.dump("analyse", trace, "--frames", ",".join(map(str, frames)), out, check=False)
    results = {int(m.group(1)): int(m.group(2)) for m in re.finditer(r"^frame=(\d+) result=(-?\d+)$", r.stdout, re.M)}
    if sorted(results) != sorted(set(frames)):
        runner.fail("%s: analyse --frames printed %r" % (what, r.stdout.strip()[-300:]))
    expect_status(runner, r, all(v in (1, 2) for v in results.values()), what)
    images = {}
    for f in frames:
        path = os.path.join(out, "frame-%d.ppm" % f)
        if os.path.exists(path):
            kept = os.path.join(runner.work, "seq.%d.ppm" % f)
            shutil.copy(path, kept)
            images[f] = kept
        else:
            images[f] = None
    return images, results


def fresh(runner, trace, frame):
    """Frame `frame` analysed alone in a process of its own; the image path, or None."""
    out = os.path.join(runner.work, "fresh.%d.ppm" % frame)
    if os.path.exists(out):
        os.remove(out)
    r = runner.dump("analyse", trace, "--frame", str(frame), out, check=False)
    passed = "result=1" in r.stdout or "result=2" in r.stdout
    expect_status(runner, r, passed, "frame %d alone" % frame)
    return out if passed else None


def expect_status(runner, r, passed, what):
    """A pass that failed exits 5, one that succeeded 0."""
    if r.returncode != (0 if passed else 5):
        runner.fail("%s: %s exited with %d after %s" % (what, " ".join(r.args[1:3]), r.returncode,
                                                        "passes that succeeded" if passed else "a failed pass"))


def expect_fresh(runner, trace, frames, what):
    images, results = sequence(runner, trace, frames, what)
    for f in frames:
        alone = fresh(runner, trace, f)
        got = images.get(f)
        if alone is None and got is None:
            continue
        if alone is None or got is None or not same_file(got, alone):
            runner.fail("%s (%s): frame %d differs from a fresh process's (sequence result %s, image %s; alone %s)" % (
                what, ",".join(map(str, frames)), f, results.get(f), "yes" if got else "none",
                "an image" if alone else "none"))
    return images, results


def pair_orders(scene, count, all_pairs):
    """Orders in which frames come right after other frames and after themselves. An analysis writes
    one image a frame, of its last pass, so an order checks each frame after the one before its last
    pass: with all_pairs, one order [a, b] for every pair (a tool run); else a sample, two shuffles
    of the frames (seeded by the scene's name), each ending with its last frame again."""
    if all_pairs:
        return [[a, b] for a in range(1, count + 1) for b in range(1, count + 1)]
    rng = random.Random(scene)
    orders = []
    for _ in range(2):
        order = list(range(1, count + 1))
        rng.shuffle(order)
        orders.append(order + order[-1:])
    return orders


def expect_alone(runner, trace, frames, alone, what):
    """The frames in order on one analysis each equal `alone` (frame: image or None)."""
    images, results = sequence(runner, trace, frames, what)
    for f in sorted(set(frames)):
        got = images.get(f)
        if alone[f] is None and got is None:
            continue
        if alone[f] is None or got is None or not same_file(got, alone[f]):
            runner.fail("%s (%s): frame %d differs from a fresh process's (sequence result %s)" % (
                what, ",".join(map(str, frames)), f, results.get(f)))


def expect_direct(runner, images, references, what):
    for f, reference in references.items():
        if not images.get(f) or not same_file(images[f], reference):
            runner.fail("%s: frame %d differs from the direct run" % (what, f))


def write_trace(runner, name, lines, images):
    """A trace of log lines, its swap calls' frame images copied beside the log."""
    folder = os.path.join(runner.work, name)
    os.makedirs(folder, exist_ok=True)
    for image in images:
        shutil.copy(image, folder)
    log = os.path.join(folder, name + ".log")
    with open(log, "w") as f:
        f.writelines(lines)
    trace = os.path.join(runner.work, name + ".xqft")
    runner.run(sys.executable, os.path.join(runner.source, "tools", "xqftgen.py"), "from-log", log, trace)
    return trace


def log_lines(runner, scene):
    with open(os.path.join(runner.work, scene + ".log")) as f:
        return f.readlines()


def scene_images(runner, scene, frames):
    return [runner.path(scene, f, "ppm") for f in range(1, frames + 1)]


def failing_first_frame(runner, scene, frames):
    """The scene with the captured blocks of its first draw left out: its player runs out of blocks."""
    lines = log_lines(runner, scene)
    first = next(i for i, l in enumerate(lines) if '"f":"glDraw' in l)
    lines[first] = re.sub(r'"blocks":\[.*\]', '"blocks":[]', lines[first])
    trace = write_trace(runner, scene + "-broken", lines, scene_images(runner, scene, frames))
    what = "%s with its first draw's arrays lost" % scene
    order = [1] + list(range(frames, 1, -1))
    images, results = expect_fresh(runner, trace, order, what)
    if results.get(1) != 0 or images.get(1):
        runner.fail("%s: frame 1 gave result %s and %s, expected result 0 and no image" % (
            what, results.get(1), "an image" if images.get(1) else "none"))
    expect_direct(runner, images, {f: runner.path(scene, f, "ppm") for f in range(2, frames + 1)}, what)


def mixed(runner, es2, es1, frames2, frames1):
    """The ES 1.1 scene's calls after the ES 2.0 scene's, on the ES 2.0 scene's display."""
    first, second = log_lines(runner, es2), log_lines(runner, es1)
    display = re.search(r'"o":"display","v":(\d+)', first[0]).group(1)
    theirs = re.search(r'"o":"display","v":(\d+)', second[0]).group(1)
    lines = list(first)
    for line in second:
        if '"f":"eglGetDisplay"' in line:
            continue
        line = line.replace('"v":%s}' % theirs, '"v":%s}' % display)
        lines.append(re.sub(r'"frame":(\d+)', lambda m: '"frame":%d' % (int(m.group(1)) + frames2), line))
    trace = write_trace(runner, "mixed", lines, scene_images(runner, es2, frames2) + scene_images(runner, es1, frames1))
    references = {f: runner.path(es2, f, "ppm") for f in range(1, frames2 + 1)}
    references.update({frames2 + f: runner.path(es1, f, "ppm") for f in range(1, frames1 + 1)})
    for order in ([5, 2, 4, 1, 6, 3], [1, 4, 2, 6, 3, 5]):
        images, _ = expect_fresh(runner, trace, order, "mixed %s and %s" % (es2, es1))
        expect_direct(runner, images, references, "mixed %s and %s (%s)" % (es2, es1, ",".join(map(str, order))))


def unknown_handle(runner, scene, keys, what):
    """The scene with a make-current after frame 1 that names, under `keys`, a handle never made."""
    lines = log_lines(runner, scene)
    current = next(l for l in lines if '"f":"eglMakeCurrent"' in l)
    for key in keys:
        current = re.sub(r'"%s":\{"o":"(\w+)","v":\d+\}' % key, r'"%s":{"o":"\1","v":4242}' % key, current)
    first_swap = next(i for i, l in enumerate(lines) if '"f":"eglSwapBuffers"' in l)
    frames = recorded_frames(runner, scene)
    trace = write_trace(runner, "%s-unknown-%s" % (scene, "-".join(keys)), lines[:first_swap + 1] + [current] +
                        lines[first_swap + 1:], scene_images(runner, scene, frames))
    name = "%s with an unknown %s made current in frame 2" % (scene, what)
    # Frame 2 plays the make-current; frame 3 starts with its binding, which the restore refuses (a
    # frame current on a surface the tracked state lacks is rebuilt instead, through the player).
    for frame, call in ((2, "eglMakeCurrent"), (3, "(?:Restore of )?eglMakeCurrent")):
        for command in ("replay", "analyse"):
            out = os.path.join(runner.work, "unknown.ppm")
            r = runner.dump(command, trace, "--frame", str(frame), out, check=False)
            if "result=0" not in r.stdout or not re.search(r"ERROR: %s: unknown %s 0x[0-9a-f]+" % (call, what), r.stderr):
                runner.fail("%s: %s of frame %d gave %r, expected result 0 and an ERROR line naming the %s" % (
                    name, command, frame, r.stdout.strip()[-100:], what))
            expect_status(runner, r, False, "%s: %s of frame %d" % (name, command, frame))
    images, results = expect_fresh(runner, trace, [2, 1, 3], name)
    if results.get(2) != 0:
        runner.fail("%s: frame 2 on one analysis gave result %s, expected 0" % (name, results.get(2)))
    expect_direct(runner, images, {1: runner.path(scene, 1, "ppm")}, name)


def rejected_shader(runner, scene):
    """The scene recorded with its fragment shader's logged source one the host refuses (xqft-record
    --rejected-shader). Each message names the call that raised it, once: frame 1's compile, link
    and glUseProgram say so, the clear after them nothing; frame 2's restore says the link failed in
    one line. Whatever a frame's pass left pending, the next frame is as alone."""
    folder = os.path.join(runner.work, "rejected")
    os.makedirs(folder, exist_ok=True)
    runner.run(os.path.join(runner.bin, "xqft-record"), "--scene", scene, "--out", folder, "--rejected-shader")
    trace = os.path.join(runner.work, scene + "-rejected.xqft")
    runner.run(sys.executable, os.path.join(runner.source, "tools", "xqftgen.py"), "from-log",
               os.path.join(folder, scene + ".log"), trace)
    frames = len([f for f in os.listdir(folder) if re.fullmatch(re.escape(scene) + r"\.f\d+\.ppm", f)])
    what = "%s with a shader the host rejects" % scene
    expected = {
        1: (r"WARNING: glCompileShader: shader \d+ did not compile on the host: .*gl_FragColour",
            r"ERROR: glLinkProgram: program \d+ did not link on the host",
            r"Error Code: 0x502, Call= glUseProgram"),
        2: (r"ERROR: Restore of glLinkProgram: program \d+ (did not link on the host|.* not compiled.* not linked)",),
    }
    for f, patterns in expected.items():
        r = runner.dump("replay", trace, "--frame", str(f), os.path.join(runner.work, "rejected.ppm"), check=False)
        said = [l for l in r.stderr.splitlines() if re.match(r"(ERROR|WARNING): |.*Error Code: ", l)]
        for pattern in patterns:
            if not any(re.search(pattern, l) for l in said):
                runner.fail("%s: replay of frame %d said %r, no line like %r" % (what, f, said, pattern))
        if len(said) != len(set(said)) or len(said) != len(patterns):
            runner.fail("%s: replay of frame %d said %r, expected %d lines, each once" % (what, f, said, len(patterns)))
        expect_status(runner, r, False, "%s: replay of frame %d" % (what, f))
    # The restore reports the program the host would not link (an ERROR line, so a failed exit), and
    # passes may still read an image back: the images and results are compared, not the exit status.
    alone = {}
    for f in range(1, frames + 1):
        out = os.path.join(runner.work, "rejected.%d.ppm" % f)
        r = runner.dump("analyse", trace, "--frame", str(f), out, check=False)
        alone[f] = (re.search(r"^result=(\d+)$", r.stdout, re.M) or [None, None])[1], out if os.path.exists(out) else None
    for order in ([1, 2, 3], [3, 2, 1]):
        out = os.path.join(runner.work, "rejected-sequence")
        shutil.rmtree(out, ignore_errors=True)
        r = runner.dump("analyse", trace, "--frames", ",".join(map(str, order)), out, check=False)
        for f in order:
            m = re.search(r"^frame=%d result=(\d+)$" % f, r.stdout, re.M)
            image = os.path.join(out, "frame-%d.ppm" % f)
            same_image = (alone[f][1] is None) == (not os.path.exists(image)) and (
                alone[f][1] is None or same_file(image, alone[f][1]))
            if not m or m.group(1) != alone[f][0] or not same_image:
                runner.fail("%s (%s): frame %d differs from a fresh process's" % (what, ",".join(map(str, order)), f))


def recorded_frames(runner, scene):
    return len([f for f in os.listdir(runner.work) if re.fullmatch(re.escape(scene) + r"\.f\d+\.ppm", f)])


def cuts(runner, name=CUTS):
    """The real-application cuts of tarball `name` in ../shared/traces beside the source (or in the
    folder XQFT_SHARED_TRACES names), extracted beside the work; None (with a note) when absent."""
    traces = os.environ.get("XQFT_SHARED_TRACES") or os.path.join(
        os.path.dirname(os.path.abspath(runner.source)), "shared", "traces")
    tarball = os.path.join(traces, name)
    if not os.path.exists(tarball):
        print("NOTE %s is absent: the real-application checks are skipped" % tarball, flush=True)
        return None
    folder = os.path.join(runner.work, "cuts", name)
    if not os.path.isdir(folder):
        with tarfile.open(tarball) as archive:
            archive.extractall(folder, filter="data")
    return folder


def from_start(runner, trace, frames):
    """The frames replayed from the trace's first call: {frame: image path}."""
    images = {}
    for f in frames:
        out = os.path.join(runner.work, "start.%s.%d.ppm" % (os.path.basename(trace), f))
        r = runner.dump("replay", trace, "--frame", str(f), "--from-start", out)
        if "result=1" not in r.stdout:
            runner.fail("%s frame %d: replay --from-start gave %r" % (trace, f, r.stdout.strip()))
        images[f] = out
    return images


def real_cuts(runner):
    folder = cuts(runner)
    if not folder:
        return
    switch = os.path.join(folder, "scene-switch-5.xqft")
    truth = from_start(runner, switch, [1, 2, 3, 4, 5])
    for order in ([3, 4], [4, 3], [5, 1, 4, 2, 3]):
        images, _ = expect_fresh(runner, switch, order, "scene-switch-5")
        expect_direct(runner, images, {f: truth[f] for f in order}, "scene-switch-5 (%s)" % ",".join(map(str, order)))
    desktop = os.path.join(folder, "desktop-composite-100.xqft")
    frames = [98, 96, 100]
    truth = from_start(runner, desktop, frames)
    for f in frames:
        out = os.path.join(runner.work, "desktop.%d.ppm" % f)
        r = runner.dump("replay", desktop, "--frame", str(f), out)
        if "result=1" not in r.stdout or not same_file(out, truth[f]):
            runner.fail("desktop-composite-100 frame %d: replay differs from --from-start" % f)
        elif "rebuilt by replaying from frame" not in r.stdout + r.stderr:
            runner.fail("desktop-composite-100 frame %d: the Output does not say the frame was rebuilt" % f)
    images, _ = expect_fresh(runner, desktop, frames, "desktop-composite-100")
    expect_direct(runner, images, truth, "desktop-composite-100")


def quiet_es1_cut(runner):
    """SDL's ES 1.1 renderer, which deletes its render-target texture at each frame's end while it
    stays attached to a framebuffer: every frame restored alone, and all of them on one analysis
    out of order, equal the frame replayed from the start and print no warning or error."""
    folder = cuts(runner, CUTS2)
    if not folder:
        return
    trace = os.path.join(folder, "sdl-es1-renderer-12.xqft")
    frames = list(range(1, 13))
    truth = from_start(runner, trace, frames)
    for f in frames:
        out = os.path.join(runner.work, "sdl.%d.ppm" % f)
        r = runner.dump("replay", trace, "--frame", str(f), out, check=False)
        noise = re.findall(r"^(?:WARNING|ERROR): .*$", r.stderr, re.M)
        if r.returncode != 0 or "result=1" not in r.stdout or noise or not same_file(out, truth[f]):
            runner.fail("sdl-es1-renderer-12 frame %d: replay exited %d with %r, %r, image %s" % (
                f, r.returncode, r.stdout.strip()[-60:], noise[:2],
                "equal to --from-start" if os.path.exists(out) and same_file(out, truth[f]) else "different"))
    order = [12, 1, 6, 2, 11, 3, 7]
    out = os.path.join(runner.work, "sdl-sequence")
    r = runner.dump("analyse", trace, "--frames", ",".join(map(str, order)), out, check=False)
    noise = re.findall(r"^(?:WARNING|ERROR): .*$", r.stderr, re.M)
    if r.returncode != 0 or noise:
        runner.fail("sdl-es1-renderer-12 (%s): analyse exited %d with %r" % (
            ",".join(map(str, order)), r.returncode, noise[:2]))


def clean_replay(runner, trace, frame, how, what):
    """Frame `frame` replayed (how: [] or ["--from-start"]); the image path, or None after a failure:
    an exit other than 0, no image, or an ERROR or failed make-current line."""
    out = os.path.join(runner.work, "clean.%s.%d%s.ppm" % (os.path.basename(trace), frame, "".join(how)))
    r = runner.dump("replay", trace, "--frame", str(frame), *how, out, check=False)
    said = EGL_BINDING_ERRORS.findall(r.stdout + r.stderr)
    if r.returncode != 0 or "result=1" not in r.stdout or not os.path.exists(out) or said:
        runner.fail("%s frame %d%s: replay exited %d with %r, %r" % (
            what, frame, "".join(" " + h for h in how), r.returncode, r.stdout.strip()[-80:], said[:3]))
        return None
    return out


def egl_binding_scene(runner, scene):
    """A scene whose make-currents the host plays its own way (no config, no surfaces): each frame from
    the start and alone equals the direct run without a binding error, and in any order on one analysis
    equals the frame alone."""
    trace, frames, _ = runner.record(scene)
    for f in range(1, frames + 1):
        for how in ([], ["--from-start"]):
            image = clean_replay(runner, trace, f, how, scene)
            if image and not same_file(image, runner.path(scene, f, "ppm")):
                runner.fail("%s frame %d%s: replay differs from the direct run" % (scene, f, "".join(" " + h for h in how)))
    for order in (list(range(1, frames + 1)), list(range(frames, 0, -1)), [2, 2], [frames, 1, frames - 1]):
        expect_fresh(runner, trace, order, scene)


def compositor_cut(runner):
    """The compositor's context, made without a config and first current without surfaces: every frame
    replayed from the start gives an image, exit 0, no binding error. A spread of its frames (every
    frame with XQFT_ALL_PAIRS=1) restored alone, and analysed alone, equal that image, and analysed on
    one analysis in a shuffled order that ends with its last frame twice equal each analysed alone."""
    folder = cuts(runner, CUTS3)
    if not folder:
        return
    trace = os.path.join(folder, "weston-compositor-40.xqft")
    what = "weston-compositor-40"
    start = {f: clean_replay(runner, trace, f, ["--from-start"], what) for f in range(1, 41)}
    frames = list(range(1, 41)) if ALL_PAIRS else COMPOSITOR_FRAMES
    alone = {}
    for f in frames:
        restored = clean_replay(runner, trace, f, [], what)
        alone[f] = fresh(runner, trace, f)
        for how, image in (("restored", restored), ("analysed", alone[f])):
            if image and start[f] and not same_file(image, start[f]):
                runner.fail("%s frame %d %s alone differs from --from-start" % (what, f, how))
    order = frames[:]
    random.Random(what).shuffle(order)
    expect_alone(runner, trace, order + order[-1:], alone, what)


# Frames of the compositor cut checked alone and out of order in CI: the first, one that uploads nothing,
# frames that upload clients' damage with a row length and skips, and the last.
COMPOSITOR_FRAMES = [1, 12, 20, 26, 33, 40]


REBUILT = re.compile(r"Frame (\d+) rebuilt by replaying from frame (\d+)(, whose start came from kept images)?")


def rebuilds(text):
    """{frame: (from, kept)} of the Output's rebuild lines, the last for a frame listed twice."""
    return {int(m.group(1)): (int(m.group(2)), bool(m.group(3))) for m in REBUILT.finditer(text)}


def pipeline_long(runner, scene):
    """The 3,000-frame pipeline: frames alone, then one analysis stepping forward, back and jumping."""
    trace, count, _ = runner.record(scene)
    if count != 3000:
        runner.fail("%s: %d frames loaded, expected 3000" % (scene, count))
        return
    feedback = "feedback" in scene
    for f in (2, 1501, 3000):
        out = os.path.join(runner.work, "alone.ppm")
        r = runner.dump("analyse", trace, "--frame", str(f), out, check=False)
        built = rebuilds(r.stdout + r.stderr)
        if not re.search(r"^result=[12]$", r.stdout, re.M) or not same_file(out, runner.path(scene, f, "ppm")):
            runner.fail("%s frame %d alone differs from the direct run" % (scene, f))
        if bool(built) != feedback:
            runner.fail("%s frame %d alone: rebuilt %r, expected %s" % (scene, f, built, "a rebuild" if feedback else "none"))
    order = [2990, 2991, 2992, 2993, 2988, 2985, 2600, 2999, 1500, 3000]
    out = os.path.join(runner.work, "sequence")
    shutil.rmtree(out, ignore_errors=True)
    r = runner.dump("analyse", trace, "--frames", ",".join(map(str, order)), out, check=False)
    expect_status(runner, r, True, "%s (%s)" % (scene, ",".join(map(str, order))))
    for f in order:
        image = os.path.join(out, "frame-%d.ppm" % f)
        if not os.path.exists(image) or not same_file(image, runner.path(scene, f, "ppm")):
            runner.fail("%s (%s): frame %d differs from the direct run" % (scene, ",".join(map(str, order)), f))
    built = rebuilds(r.stdout + r.stderr)
    if not feedback:
        if built:
            runner.fail("%s: frames rebuilt on one analysis: %r" % (scene, built))
        return
    # One rebuild from the first frame, then every step from a frame it kept: forward one frame at a
    # time, back from a kept frame at or before it, and jumps from the nearest frame kept.
    if built.get(2990) != (1, False):
        runner.fail("%s: frame 2990 first rebuilt as %r, expected from frame 1" % (scene, built.get(2990)))
    for f, start in ((2991, 2990), (2992, 2991), (2993, 2992), (2988, 2988), (2985, 2985), (2999, 2993)):
        if built.get(f) != (start, True):
            runner.fail("%s: frame %d rebuilt as %r, expected from the images kept at frame %d" % (
                scene, f, built.get(f), start))
    for f in (2600, 1500, 3000):
        if not built.get(f, (0, False))[1] or f - built[f][0] > 32:
            runner.fail("%s: frame %d rebuilt as %r, expected from kept images at most 32 frames before" % (
                scene, f, built.get(f)))
    kept = re.search(r"^kept-frames=(\d+) kept-bytes=(\d+)$", r.stdout, re.M)
    if not kept or int(kept.group(2)) > 256 << 20 or int(kept.group(1)) == 0:
        runner.fail("%s: kept images %r" % (scene, kept.group(0) if kept else None))


def narrowed_rebuilt(runner, scene):
    """A pipeline whose first texture's clear leaves pixels of the frame before: every frame from 2
    on reads them, so it is rebuilt, alone and on one analysis, and equals the direct run."""
    trace, frames, _ = runner.record(scene)
    for f in range(2, frames + 1):
        out = os.path.join(runner.work, "narrowed.ppm")
        r = runner.dump("replay", trace, "--frame", str(f), out, check=False)
        if "result=1" not in r.stdout or not same_file(out, runner.path(scene, f, "ppm")):
            runner.fail("%s frame %d: replay differs from the direct run" % (scene, f))
        if rebuilds(r.stdout + r.stderr).get(f) != (1, False):
            runner.fail("%s frame %d: not rebuilt from frame 1" % (scene, f))
    order = [frames, 2, 3, 4]
    images, _ = sequence(runner, trace, order, scene)
    expect_direct(runner, images, {f: runner.path(scene, f, "ppm") for f in order}, scene)


CHECKED = re.compile(r"Frame (\d+) restored as recorded, its GPU-made images checked on the host")
WAY_OF_RESTORE = re.compile(r"^Frame (\d+) (?:restored as recorded|rebuilt by replaying from frame)", re.M)


def filters(runner, scene):
    """The filter chain: frame % 7 of 3 (a blend), 4 (a border left) and 5 (depths kept) needs the
    pixels earlier frames drew, every other frame after the first is drawn over and needs none."""
    trace, frames, _ = runner.record(scene)
    for f in range(1, frames + 1):
        out = os.path.join(runner.work, "filters.ppm")
        r = runner.dump("replay", trace, "--frame", str(f), out, check=False)
        said = r.stdout + r.stderr
        checked = [int(m.group(1)) for m in CHECKED.finditer(said)]
        built = rebuilds(said)
        if "result=1" not in r.stdout or not same_file(out, runner.path(scene, f, "ppm")):
            runner.fail("%s frame %d: replay differs from the direct run" % (scene, f))
        if f > 1 and f % 7 in (3, 4, 5):
            if f not in built or checked:
                runner.fail("%s frame %d: not rebuilt (%r, checked %r)" % (scene, f, built, checked))
        elif f > 1 and (built or checked != [f]):
            runner.fail("%s frame %d: rebuilt %r, checked %r: expected a host check alone" % (scene, f, built, checked))
    for order in (list(range(2, frames + 1)), list(range(frames, 0, -1)), [4, 2, 6, 1, 5, 3]):
        images, _ = sequence(runner, trace, order, scene)
        expect_direct(runner, images, {f: runner.path(scene, f, "ppm") for f in order},
                      "%s (%s)" % (scene, ",".join(map(str, order))))
    # The highlight restores each frame twice (its whole pass, then the highlighted one), and a frame
    # listed twice in a row is restored again: the Output says how a frame came once per visit.
    out = os.path.join(runner.work, "said")
    r = runner.dump("analyse", trace, "--frames", "2,2,4,3,4", out, "--option", "32=1", "--range", "1", "1",
                    check=False)
    said = [int(m.group(1)) for m in WAY_OF_RESTORE.finditer(r.stdout + r.stderr)]
    if said != [2, 4, 3, 4]:
        runner.fail("%s: the ways of restore were said for frames %r, expected [2, 4, 3, 4]" % (scene, said))


def unkept(runner, scene):
    """The feedback pipeline with no room for kept images: every step rebuilds from the first frame."""
    trace, frames, _ = runner.record(scene)
    out = os.path.join(runner.work, "unkept")
    shutil.rmtree(out, ignore_errors=True)
    order = [3, 4, 2, 5]
    r = runner.dump("analyse", trace, "--frames", ",".join(map(str, order)), out, "--option", "102=0", check=False)
    built = rebuilds(r.stdout + r.stderr)
    if any(built.get(f) != (1, False) for f in order) or "kept-frames=0 kept-bytes=0" not in r.stdout:
        runner.fail("%s without room for kept images: %r, %r" % (scene, built, r.stdout.strip()[-60:]))
    for f in order:
        image = os.path.join(out, "frame-%d.ppm" % f)
        if not os.path.exists(image) or not same_file(image, runner.path(scene, f, "ppm")):
            runner.fail("%s without room for kept images: frame %d differs from the direct run" % (scene, f))


def checks(runner):
    """The checks above in order, each a (rough cost, function of no arguments)."""
    frames = {}

    def recorded(scene):
        if scene not in frames:
            frames[scene] = runner.record(scene)[1]
        return frames[scene]

    def scene_orders(scene):
        trace, count, _ = runner.record(scene)
        frames[scene] = count
        if count < 2:
            return
        alone = {f: fresh(runner, trace, f) for f in range(1, count + 1)}
        orders = [[count] + list(range(1, count)), list(range(count - 1, 0, -1)) + [count]]
        orders += pair_orders(scene, count, ALL_PAIRS)
        for order in orders:
            expect_alone(runner, trace, order, alone, scene)

    def benchmark(scene):
        trace, _, _ = runner.record(scene)
        order = [2, 11, 50, 12, 60, 1, 30]
        images, _ = sequence(runner, trace, order, scene)
        expect_direct(runner, images, {f: runner.path(scene, f, "ppm") for f in order}, scene)

    def mixed_scenes():
        counts = {scene: recorded(scene) for scene in ("quads", "es1-textured")}
        if counts == {"quads": 3, "es1-textured": 3}:
            mixed(runner, "quads", "es1-textured", 3, 3)
        else:
            runner.fail("the mixed trace wants quads and es1-textured of 3 frames each: %r" % counts)

    found = [(1, lambda scene=scene: scene_orders(scene)) for scene in runner.scenes()]
    found += [(10, lambda scene=scene: benchmark(scene)) for scene in BENCHMARK_SCENES
              if not scene.startswith(("pipeline", "filters"))]
    found += [(1, lambda scene=scene: failing_first_frame(runner, scene, recorded(scene)))
              for scene in ("quads", "es1-textured")]
    found.append((3, mixed_scenes))
    found += [(2, lambda keys=keys, what=what: (recorded("quads"), unknown_handle(runner, "quads", keys, what)))
              for keys, what in ((["ctx"], "context"), (["draw", "read"], "draw surface"), (["draw"], "draw surface"),
                                 (["read"], "read surface"))]
    found.append((2, lambda: rejected_shader(runner, "quads")))
    found.append((12, lambda: real_cuts(runner)))
    found.append((3, lambda: quiet_es1_cut(runner)))
    found += [(1, lambda scene=scene: egl_binding_scene(runner, scene)) for scene in ("no-config-context", "surfaceless")]
    found.append((6, lambda: compositor_cut(runner)))
    found += [(15, lambda scene=scene: pipeline_long(runner, scene)) for scene in ("pipeline", "pipeline-feedback")]
    found += [(1, lambda scene=scene: narrowed_rebuilt(runner, scene))
              for scene in ("pipeline-scissored-5", "pipeline-masked-5")]
    found.append((1, lambda: unkept(runner, "pipeline-feedback-5")))
    found.append((2, lambda: filters(runner, "filters-6")))
    return found


def dealt(found, shard, shards):
    """The checks of run `shard`: the costliest first, each to the run with the least so far."""
    loads = [0] * shards
    mine = []
    for place in sorted(range(len(found)), key=lambda i: -found[i][0]):
        k = loads.index(min(loads))
        loads[k] += found[place][0]
        if k == shard:
            mine.append(place)
    return [found[place][1] for place in sorted(mine)]


def main(argv):
    bin_dir, source_dir, backend = argv[1], argv[2], argv[3]
    shard, shards = 0, 1
    if "--shard" in argv:
        shard, shards = (int(n) for n in argv[argv.index("--shard") + 1].split("/"))
    with tempfile.TemporaryDirectory(prefix="xqft-sequences-") as work:
        runner = Runner(bin_dir, source_dir, backend, work)
        for check in dealt(checks(runner), shard, shards):
            check()
        print("%d failures" % len(runner.failures))
        return min(len(runner.failures), 100)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
