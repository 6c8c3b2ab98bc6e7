#!/usr/bin/env python3
"""The record-and-replay checks: every scene of xqft-record is played straight on Mesa, written as a
trace by `xqftgen.py from-log`, and the trace is then read and replayed by xqft-dump, whose results
must equal what the direct run gave.

usage: check_scenes.py BIN_DIR SOURCE_DIR BACKEND CHECK... [--scenes a,b] [--shard K/N]
BACKEND is the playback window back end in use (headless or x11). Checks:
  load    the trace loads with result 0 and the scene's frame count, every frame image it
          carries equals the direct run's NAME.fN.ppm, and no GL call but the error scenes' one
          was recorded with an error
  egl     egl-host of every frame from 2 on (and of frame 1 with --play) shows a current context,
          draw and read surfaces of the window's size, an initialised display, the ES API and the
          direct run's config
  state   host-state of every frame from 2 on equals the direct run's NAME.fN.state, but for the
          deliberate differences below
  replay  replay of every frame equals the direct run's NAME.fN.ppm (frame 1 through the EGL
          player), and no restore warns of a GL error; the frame holding a call recorded with an
          error reports it and still matches.
          ES 1.1 scenes (es1-...) and the extension scenes (...-ext; the ...-later-ext ones use in
          frame 3 objects made in frame 1) also replay every frame from the trace's start
          (--from-start), as do the FROM_START_SCENES; the frames of es1-leftover from 2 on are deliberately different
          (ES1_DIFFERENT_FRAMES). A frame holding a multi-draw call is replayed but not compared
          (see the deliberate differences). ES 1.1 host states leave out what the restore does not
          send (ES1_NOT_SENT)
  nodata  ES 1.1 scenes written as a trace recorded without data (from-log --no-data): the last
          frame replayed from the start is not played: exit 5, the one ERROR line saying why, no
          image, never a crash
  analyse analyse of every frame with draws equals NAME.fN.ppm; in frame 2 of each scene, a draw
          budget, a range left out, a range kept, a skipped call, a skipped function and wireframe
          each equal the reference xqft-record draws with the same variant; the overdraw picture of
          `overdraw` follows the blending formula, and the highlight of `quads` lies over its quad;
          on ES 1.1 frames highlight and complexity end with result 0 and the loop's error line
--shard K/N keeps the scenes whose place in xqft-record's list is K modulo N, so that N runs share
the scenes between them. Each failure is printed; the exit status is the number of failures (at most
100).
"""
import json
import os
import re
import subprocess
import sys
import tempfile

ES_API = "0x30A0"
ERROR_SCENES = ("error", "es1-error")
BENCHMARK_SCENES = ("mix", "es1-mix", "long", "pipeline", "pipeline-feedback", "pipeline-onscreen", "filters",
                    "filters-onscreen", "sprites",
                    "es1-sprites")
# Played only by check_rebuild_rules.py: a frame pair per rule, checked for its rebuild.
RULE_SCENES = ("rebuild-rules",)
# Calls Mesa answers with an error in the direct run, by scene: its ES 1.1 contexts list
# GL_OES_vertex_array_object but raise GL_INVALID_OPERATION for each of its functions.
MESA_ERRORS = {"es1-ext": ("glGenVertexArraysOES", "glBindVertexArrayOES", "glDeleteVertexArraysOES")}
MULTI_DRAWS = ("glMultiDrawArraysEXT", "glMultiDrawElementsEXT")
# ES 2.0 scenes also replayed from the trace's start: their EGL calls matter there.
FROM_START_SCENES = ("context-switch", "platform-display", "unpack-rows", "churn", "source-lengths", "failed-create",
                     "read-attach")


def is_es1(scene):
    return scene.startswith("es1-")


def is_ext(scene):
    return scene.endswith("-ext")

# Frames that start current on a pbuffer: the tracked state keeps window surfaces only, so a restore
# alone (egl-host without --play) cannot make it current; replay and analysis rebuild such a frame by
# replaying the pbuffer's making, and are checked as every frame is.
PBUFFER_START_FRAMES = {"no-config-context": (3,)}

# What a replay deliberately does not give as the direct run has it, each with its reason. Each rule
# turns a probe line of both sides into what is compared.
DELIBERATE_DIFFERENCES = {
    "initial scissor box":
        "GL sets the scissor box from the first surface made current; the tracked state knows no "
        "surface and starts from 0, which the restore sets (the viewport has a rule of its own)",
    "stencil mask bits":
        "GL reports the stencil masks cut to the stencil buffer's 8 bits; the tracked state keeps all 32 "
        "recorded bits, and the host then reports them clamped to INT_MAX",
    "line width": "not part of the restored state",
    "multi-draw calls":
        "their records hold nothing of the draw (no mode, counts or arrays): the player tests that the "
        "host has the function and draws nothing, so a frame holding one lacks what it drew",
    "rendered texture contents":
        "a trace records what was uploaded into a texture, not what a frame rendered into it: a "
        "framebuffer's colour texture holds the pixels of earlier frames only in the direct run",
}


# What the ES 1.1 restore does not send, which stays as the host has it: probe lines by key prefix
# (after "state "), each group with its description.
ES1_NOT_SENT = {
    "materials": ("material ",),
    "texture environments": ("texture_env=",),
    "client arrays' pointers (and texture-coordinate arrays)": ("array ",),
    "the client active texture": ("state client_active_texture",),
    "shade model": ("state shade_model",),
    "logic op": ("state logic_op",),
    "stencil function and operations": ("state stencil_",),
    "scissor box": ("state scissor_box",),
    "point size and parameters": ("state point_",),
    "line width": ("state line_width",),
    "polygon offset": ("state polygon_offset_",),
    "sample coverage": ("state sample_coverage_",),
    "pixel store": ("state pack_alignment", "state unpack_alignment"),
    "the current normal": ("state current_normal",),
}

# Where the ES 1.1 tracked state starts apart from GL, the restore sends the tracked value.
ES1_DELIBERATE_DIFFERENCES = {
    "GL_DITHER and GL_MULTISAMPLE":
        "the tracked state starts with every capability off, GL with these two on; neither changes a "
        "picture on a surface of 8-bit channels without samples",
}
ES1_INITIAL_CAPABILITIES = ("state enabled 0xBD0=", "state enabled 0x809D=")

# Frames whose replay from their restored start deliberately differs from the direct run.
ES1_DIFFERENT_FRAMES = {
    "es1-leftover": "its material, texture environment and texture-coordinate array are set in frame 1 only, "
                    "and the restore does not send them: from frame 2 on the replayed frame starts without",
}

# Frame 2 wireframe pictures that deliberately differ from the reference.
ES1_DIFFERENT_WIREFRAME = {
    "es1-state": "frame 1 ends with glLineWidth(2.0), and the restore does not send the line width: the "
                 "analysed frame 2 draws its wireframe lines with the host's width, the reference with 2",
}

# Scenes that delete ES 1.1 objects: deleting changes nothing in the tracked ES 1.1 state, so the
# restore makes again what earlier frames deleted and binds a deleted texture that GL unbound. Their
# buffers, textures and unit bindings are not compared.
ES1_DELETED_OBJECTS = {
    "es1-ext": "deletes a buffer and a texture in each frame",
}


# ES 1.1 scenes whose frames start with textures a framebuffer drew into and rewrite them before
# sampling them: their restore is not a rebuild, so those textures hold what the trace uploaded, not
# what the direct run drew. The ES 1.1 probe names no framebuffer: every texture's data is left out.
ES1_RENDERED_TEXTURES = {
    "es1-pipeline-5-ext": "clears and redraws its framebuffer textures in every frame before sampling them",
}


def es1_comparable(text, scene):
    """An ES 1.1 probe text without what the restore does not send, nor the initial capabilities."""
    prefixes = [p for group in ES1_NOT_SENT.values() for p in group] + list(ES1_INITIAL_CAPABILITIES)
    if scene in ES1_DELETED_OBJECTS:
        prefixes += ["buffer ", "texture ", " texture="]
    out, renamed = [], {}
    for line in text.splitlines():
        key = line.split("=", 1)[0] + "="
        if any(line.startswith(p) or p in key for p in prefixes):
            continue
        if scene in ES1_RENDERED_TEXTURES and line.startswith("texture ") and ": " in line:
            old, desc = line[len("texture "):].split(": ", 1)
            desc = re.sub(r"data=\S+", "data=*", desc)
            renamed[old] = fnv(desc)
            line = "texture %s: %s" % (renamed[old], desc)
        out.append(line)
    return sorted(replace_all(line, renamed) for line in out)


def fnv(text):
    h = 0xCBF29CE484222325
    for b in text.encode():
        h = ((h ^ b) * 0x100000001B3) & 0xFFFFFFFFFFFFFFFF
    return "%016x" % h


def comparable(text, initial_scissor):
    """The probe's lines with the deliberate differences taken out; objects keep ids recomputed from
    their changed descriptions, so references follow. initial_scissor: the replay restored the
    tracked initial box, so the box is left out on both sides."""
    lines = text.splitlines()
    out, renamed = [], {}
    rendered = set()
    for line in lines:
        if line.startswith("framebuffer ") and " color=texture:" in line:
            rendered.add(line.split(" color=texture:")[1].split(":")[0])
    for line in lines:
        key, _, value = line.partition("=")
        if key == "state scissor_box" and initial_scissor:
            continue  # initial scissor box
        if key.startswith("state stencil") and ("mask" in key):
            line = "%s=%d" % (key, int(value) & 0xFF)  # stencil mask bits
        if key == "state line_width":
            continue  # line width
        if line.startswith("texture "):
            old = line.split(":")[0].split()[1]
            if old in rendered:  # rendered texture contents
                desc = line.split(": ", 1)[1]
                desc = " ".join("data=*" if w.startswith("data=") else w for w in desc.split(" "))
                new = fnv(desc)
                renamed[old] = new
                line = "texture %s: %s" % (new, desc)
        out.append(line)
    # A changed description changes the object's id, and the lines naming it (a framebuffer names
    # its texture, a binding its framebuffer): renamed until nothing changes.
    while renamed:
        out = [replace_all(l, renamed) for l in out]
        renamed = {}
        for i, line in enumerate(out):
            kind, _, rest = line.partition(" ")
            if kind in OBJECT_KINDS and ": " in rest:
                old, desc = rest.split(": ", 1)
                if fnv(desc) != old:
                    renamed[old] = fnv(desc)
    return sorted(out)


OBJECT_KINDS = ("shader", "program", "buffer", "renderbuffer", "texture", "framebuffer")


def replace_all(line, renamed):
    for old, new in renamed.items():
        line = line.replace(old, new)
    return line


class Runner:
    def __init__(self, bin_dir, source_dir, backend, work):
        self.bin, self.source, self.backend, self.work = bin_dir, source_dir, backend, work
        self.failures = []

    def run(self, *args, check=True):
        r = subprocess.run(list(args), capture_output=True, text=True, timeout=300)
        if check and r.returncode != 0:
            self.fail("%s exited with %d: %s" % (" ".join(args), r.returncode, r.stderr.strip()[-500:]))
        if self.backend == "x11" and "rendering headless" in r.stdout + r.stderr:
            self.fail("%s found no X server" % " ".join(args))
        return r

    def fail(self, text):
        self.failures.append(text)
        print("FAIL " + text, flush=True)

    def dump(self, *args, check=True):
        return self.run(os.path.join(self.bin, "xqft-dump"), *args, check=check)

    def scenes(self):
        out = self.run(os.path.join(self.bin, "xqft-record"), "--list").stdout
        return [line.split()[0] for line in out.splitlines()
                if line.split() and line.split()[0] not in BENCHMARK_SCENES + RULE_SCENES]

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
        errors = 0
        with open(os.path.join(self.work, scene + ".log")) as log:
            for line in log:
                call = json.loads(line)
                errors += call["id"] >= 2000 and call["err"] != 0 and call["f"] not in MESA_ERRORS.get(scene, ())
        if errors != (1 if scene in ERROR_SCENES else 0):
            self.fail("%s: %d GL calls recorded with an error" % (scene, errors))

    def check_egl(self, scene, trace, frames):
        config = read(os.path.join(self.work, scene + ".egl")).split()
        sizes = " ".join(f for f in config[1:] if not f.startswith("id="))
        config_id = [f for f in config if f.startswith("id=")]
        for frame, play in [(1, True)] + [(f, False) for f in range(2, frames + 1)]:
            if frame in PBUFFER_START_FRAMES.get(scene, ()) and not play:
                continue
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


def check_state(runner, scene, trace, frames):
    for frame in range(2, frames + 1):
        text = runner.dump("host-state", trace, "--frame", str(frame)).stdout
        if is_es1(scene):
            host = es1_comparable(text, scene)
            direct = es1_comparable(read(runner.path(scene, frame, "state")), scene)
        else:
            initial = "state scissor_box=0,0,0,0" in text.splitlines()
            host = comparable(text, initial)
            direct = comparable(read(runner.path(scene, frame, "state")), initial)
        if host != direct:
            only_host = [l for l in host if l not in direct]
            only_direct = [l for l in direct if l not in host]
            runner.fail("%s frame %d: host state differs:\n  replay: %s\n  direct: %s" % (
                scene, frame, "\n          ".join(only_host[:6]), "\n          ".join(only_direct[:6])))


def check_replay(runner, scene, trace, frames):
    errors = 0
    runs = [(frame, []) for frame in range(1, frames + 1)]
    if is_ext(scene) or is_es1(scene) or scene in FROM_START_SCENES:
        runs += [(frame, ["--from-start"]) for frame in range(1, frames + 1)]
    calls = log_frames(os.path.join(runner.work, scene + ".log"))
    for frame, how in runs:
        out = os.path.join(runner.work, "replay.ppm")
        r = runner.dump("replay", trace, "--frame", str(frame), *how, out)
        what = "%s frame %d%s" % (scene, frame, "".join(" " + h for h in how))
        if "result=1" not in r.stdout:
            runner.fail("%s: replay %s" % (what, r.stdout.strip().replace("\n", " ")))
        multi_draw = any(f in MULTI_DRAWS for _, f in calls[frame - 1])
        same = multi_draw or same_file(out, runner.path(scene, frame, "ppm"))
        if scene in ES1_DIFFERENT_FRAMES and frame >= 2 and not how:
            if same:  # the deliberate difference must show, or the scene no longer tests it
                runner.fail("%s: replayed image equals the direct run; expected: %s" % (what, ES1_DIFFERENT_FRAMES[scene]))
        elif not same:
            runner.fail("%s: replayed image differs from the direct run" % what)
        errors += r.stdout.count("Es2 Call:Error. (Recorded GL_ERROR)") + r.stderr.count(
            "Es2 Call:Error. (Recorded GL_ERROR)")
        # Every scene is a clean trace on this host: restoring any of its frames raises no GL error.
        for line in re.findall(r"^WARNING: Restore of frame \d+: GL error .*$", r.stderr, re.M):
            runner.fail("%s: %s" % (what, line))
    if scene == "error" and errors != 1:
        runner.fail("error: %d frames report the call recorded with an error, expected 1" % errors)


def check_without_data(runner, scene, frames):
    if not is_es1(scene):
        return
    trace = os.path.join(runner.work, scene + ".nodata.xqft")
    runner.run(sys.executable, os.path.join(runner.source, "tools", "xqftgen.py"), "from-log",
               os.path.join(runner.work, scene + ".log"), trace, "--no-data")
    out = os.path.join(runner.work, "nodata.ppm")
    r = runner.dump("replay", trace, "--frame", str(frames), "--from-start", out, check=False)
    errors = re.findall(r"^ERROR: .*$", r.stderr, re.M)
    if errors != ["ERROR: %s: the trace was recorded without data: none of its calls can be played" % trace] or \
            r.returncode != 5 or os.path.exists(out):
        runner.fail("%s without data: replay exit %d, expected exit 5, no image and the one reason: %s" % (
            scene, r.returncode, r.stderr.strip()[-300:]))


def log_frames(path):
    """The direct run's calls by frame: per frame, a list of (number, function); numbers count from
    1 over the log, as the trace numbers its calls."""
    frames, current = [], []
    with open(path) as f:
        for number, line in enumerate(f, 1):
            function = json.loads(line)["f"]
            current.append((number, function))
            if function == "eglSwapBuffers":
                frames.append(current)
                current = []
    if current:
        frames.append(current)
    return frames


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    fields = data.split(maxsplit=4)
    return int(fields[1]), int(fields[2]), data[len(data) - int(fields[1]) * int(fields[2]) * 3:]


# Functions whose skipping shows in frame 2 of a scene, tried in this order. Not among them: calls
# whose skipping the replay cannot follow (client-array pointers: a replay points arrays at each
# draw's captured blocks) or that leave the host with an error, which ends an analysis pass.
SKIPPABLE = ("glVertexAttrib4f", "glUniform1i", "glUniform4fv", "glUniform1f", "glBufferSubData", "glBlendFunc",
             "glDepthFunc", "glClearColor", "glColor4f", "glMaterialfv")


def check_analyse(runner, scene, trace, frames):
    calls = log_frames(os.path.join(runner.work, scene + ".log"))
    out = os.path.join(runner.work, "analysed.ppm")

    def analyse(frame, *options):
        r = runner.dump("analyse", trace, "--frame", str(frame), out, *options)
        if not re.search(r"^result=[12]$", r.stdout, re.M):
            runner.fail("%s frame %d %s: analyse %s" % (scene, frame, " ".join(options),
                                                        r.stdout.strip().replace("\n", " ")))
        return out

    def reference(frame, *variant):
        ref = os.path.join(runner.work, "ref")
        os.makedirs(ref, exist_ok=True)
        runner.run(os.path.join(runner.bin, "xqft-record"), "--scene", scene, "--out", ref, "--frame", str(frame),
                   *variant)
        return os.path.join(ref, "%s.f%d.ppm" % (scene, frame))

    def compare(what, frame, options, variant):
        image = analyse(frame, *options)
        if not same_file(image, reference(frame, *variant)):
            runner.fail("%s frame %d: %s (%s) differs from the reference (%s)" % (
                scene, frame, what, " ".join(options), " ".join(variant)))

    for frame in range(1, frames + 1):
        if any(f.startswith("glDraw") for _, f in calls[frame - 1]):
            multi_draw = any(f in MULTI_DRAWS for _, f in calls[frame - 1])
            same = same_file(analyse(frame), runner.path(scene, frame, "ppm")) or multi_draw
            if scene in ES1_DIFFERENT_FRAMES and frame >= 2:
                if same:
                    runner.fail("%s frame %d: analysed image equals the direct run; expected: %s" % (
                        scene, frame, ES1_DIFFERENT_FRAMES[scene]))
            elif not same:
                runner.fail("%s frame %d: analysed image differs from the direct run" % (scene, frame))
    if frames < 2 or scene in ES1_DIFFERENT_FRAMES:
        return
    frame = 2
    draws = [n for n, f in calls[frame - 1] if f.startswith("glDraw")]
    d = len(draws)
    if d == 0:
        return
    if scene in ES1_DIFFERENT_WIREFRAME:
        if same_file(analyse(frame, "--option", "2=1"), reference(frame, "--wireframe")):
            runner.fail("%s frame %d: wireframe equals the reference; expected: %s" % (
                scene, frame, ES1_DIFFERENT_WIREFRAME[scene]))
    else:
        compare("wireframe", frame, ["--option", "2=1"], ["--wireframe"])
    # A key no analysis option has, or a value above an option's largest, is refused with a message
    # before anything is loaded; never ignored.
    for bad in (["--option", "8=1"], ["--option", "2=2"], ["--option", "100=256"], ["--increment", "256"]):
        r = runner.dump("analyse", trace, "--frame", str(frame), out, *bad, check=False)
        if r.returncode != 1 or "analysis option" not in r.stderr:
            runner.fail("%s: analyse %s exited with %d, %r" % (scene, " ".join(bad), r.returncode, r.stderr[-200:]))
    first_draw = draws[0]
    compare("skipped call", frame, ["--skip-call", str(first_draw)], ["--skip-call", str(first_draw)])
    in_frame = {f for _, f in calls[frame - 1]}
    skippable = [f for f in SKIPPABLE if f in in_frame]
    if skippable:
        compare("skipped function", frame, ["--skip-id", skippable[0]], ["--skip-function", skippable[0]])
    if d >= 2:
        compare("budget", frame, ["--budget", str(d - 1)], ["--stop-after-draw", str(d - 1)])
        last = min(3, d)
        compare("range left out", frame, ["--option", "16=1", "--range", "2", str(last)],
                ["--skip-draws", "2-%d" % last])
        compare("range kept", frame, ["--range", "2", str(d - 1 if d > 2 else d)],
                ["--skip-draws", "1-1", "--stop-after-draw", str(d - 1 if d > 2 else d)])
    if is_es1(scene):
        # Drawn with the fixed-function pipeline on an ES 1.1 context, as the recorder draws them.
        last = min(2, d)
        compare("highlight", frame, ["--option", "32=1", "--range", str(last), str(last)],
                ["--highlight", "%d-%d" % (last, last)])
        if same_file(out, runner.path(scene, frame, "ppm")):
            runner.fail("%s frame %d: the highlight changed nothing" % (scene, frame))
        compare("complexity", frame, ["--option", "4=1", "--increment", "100"], ["--complexity", "100"])
        # Every pixel shows a shade of the ES 2.0 pass's ramp, and some draw reached some pixel.
        ramp, c = set(), 0
        for _ in range(256):
            ramp.add(c)
            c = (100 + c + 1) // 2
        _, _, pixels = read_ppm(out)
        off_ramp = sum(1 for p in range(len(pixels) // 3)
                       if pixels[3 * p] not in ramp or pixels[3 * p] != pixels[3 * p + 1] or
                       pixels[3 * p] != pixels[3 * p + 2])
        if off_ramp or not any(pixels):
            runner.fail("%s frame %d: complexity has %d pixels off the ramp (drawn: %s)" % (
                scene, frame, off_ramp, any(pixels)))
    if scene == "overdraw":
        check_complexity(runner, scene, frame, analyse)
    if scene == "es1-overdraw":
        check_es1_overdraw(runner, scene, frame, analyse)
    if scene == "quads":
        check_highlight(runner, scene, frame, analyse, reference)


def check_complexity(runner, scene, frame, analyse):
    """Every pixel covered by m full-screen quads over a black clear reads c_m in every channel:
    c_0 = 0, c_i = round(0.5 k + 0.5 c_(i-1))."""
    for k, budget in ((128, 4), (200, 2), (255, 3)):
        expected = 0
        for _ in range(budget):
            expected = int(0.5 * k + 0.5 * expected + 0.5)
        _, _, pixels = read_ppm(analyse(frame, "--option", "4=1", "--increment", str(k), "--budget", str(budget)))
        worst = max(abs(v - expected) for v in pixels)
        if worst > 1:
            runner.fail("%s frame %d: complexity k=%d after %d draws is off by %d from %d" % (
                scene, frame, k, budget, worst, expected))


# es1-overdraw's quads in clip space (x0, y0, x1, y1), in drawing order.
ES1_OVERDRAW_QUADS = ((-1, -1, 1, 1), (-1, 0, 1, 1), (-1, -1, 0, 1), (0, -1, 1, 0))


def check_es1_overdraw(runner, scene, frame, analyse):
    """The ES 1.1 overdraw picture and highlight against counts taken from the quads' rectangles, not
    from any drawing: at the middle of each quarter of the surface, after the first `budget` draws,
    the picture reads the ramp's shade of the quads covering that point, and highlighting the last
    draw blends 0.6 of green over what the draws before it left at exactly the points it covers."""
    width, height, _ = read_ppm(analyse(frame))
    points = [(x, y) for x in (-0.5, 0.5) for y in (-0.5, 0.5)]

    def pixel(pixels, x, y):
        column, row = int((x + 1) / 2 * width), height - 1 - int((y + 1) / 2 * height)
        return pixels[3 * (row * width + column):3 * (row * width + column) + 3]

    def covers(quad, x, y):
        return quad[0] <= x <= quad[2] and quad[1] <= y <= quad[3]

    for k, budget in ((100, 4), (255, 3), (64, 2)):
        _, _, pixels = read_ppm(analyse(frame, "--option", "4=1", "--increment", str(k), "--budget", str(budget)))
        for x, y in points:
            count = sum(covers(q, x, y) for q in ES1_OVERDRAW_QUADS[:budget])
            expected = 0
            for _ in range(count):
                expected = (k + expected + 1) // 2
            got = pixel(pixels, x, y)
            if any(abs(v - expected) > 1 for v in got):
                runner.fail("%s frame %d: overdraw k=%d after %d draws at (%g, %g) reads %s, %d draws give %d" % (
                    scene, frame, k, budget, x, y, list(got), count, expected))
    last = len(ES1_OVERDRAW_QUADS)
    _, _, full = read_ppm(analyse(frame))
    _, _, before = read_ppm(analyse(frame, "--budget", str(last - 1)))
    _, _, lit = read_ppm(analyse(frame, "--option", "32=1", "--range", str(last), str(last)))
    green = (0.1 * 255, 1.0 * 255, 0.1 * 255)
    for x, y in points:
        inside = covers(ES1_OVERDRAW_QUADS[last - 1], x, y)
        under, got = pixel(before if inside else full, x, y), pixel(lit, x, y)
        want = [0.4 * under[c] + 0.6 * green[c] if inside else under[c] for c in range(3)]
        if any(abs(got[c] - want[c]) > 1.5 for c in range(3)):
            runner.fail("%s frame %d: highlight of draw %d at (%g, %g) reads %s, expected %s" % (
                scene, frame, last, x, y, list(got), [round(v) for v in want]))


def check_highlight(runner, scene, frame, analyse, reference):
    """Highlighting draw 2 after the full pass: its quad's pixels blend 0.6 of green over the full
    pass, every other pixel is the full pass's; with complexity on as well nothing turns green."""
    before = read_ppm(reference(frame, "--stop-after-draw", "1"))[2]
    after = read_ppm(reference(frame, "--stop-after-draw", "2"))[2]
    quad = {i // 3 for i in range(len(after)) if after[i] != before[i]}
    _, _, full = read_ppm(analyse(frame))
    _, _, lit = read_ppm(analyse(frame, "--option", "32=1", "--range", "2", "2"))
    green = (0.1 * 255, 1.0 * 255, 0.1 * 255)
    wrong = 0
    for p in range(len(full) // 3):
        for c in range(3):
            want = 0.4 * full[3 * p + c] + 0.6 * green[c] if p in quad else full[3 * p + c]
            wrong += abs(lit[3 * p + c] - want) > 1
    if not quad or wrong:
        runner.fail("%s frame %d: highlight of draw 2 (%d pixels) has %d channels off" % (
            scene, frame, len(quad), wrong))
    _, _, both = read_ppm(analyse(frame, "--option", "32=1", "--option", "4=1", "--range", "2", "2"))
    greener = sum(1 for p in range(len(both) // 3) if both[3 * p + 1] > both[3 * p] + 60 and
                  both[3 * p + 1] > both[3 * p + 2] + 60 and full[3 * p + 1] <= full[3 * p] + 60)
    if greener:
        runner.fail("%s frame %d: complexity with highlight turned %d pixels green" % (scene, frame, greener))


def read(path):
    with open(path) as f:
        return f.read()


def same_file(a, b):
    if not os.path.exists(a):  # a pass that stopped early writes no image
        return False
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
    shard, shards = 0, 1
    if "--shard" in argv:
        value = argv[argv.index("--shard") + 1]
        shard, shards = (int(n) for n in value.split("/"))
        checks = [c for c in checks if c != value]
    with tempfile.TemporaryDirectory(prefix="xqft-scenes-") as work:
        runner = Runner(bin_dir, source_dir, backend, work)
        for place, scene in enumerate(runner.scenes()):
            if (only and scene not in only) or place % shards != shard:
                continue
            trace, frames, result = runner.record(scene)
            if "load" in checks:
                runner.check_load(scene, trace, frames, result)
            if "egl" in checks:
                runner.check_egl(scene, trace, frames)
            if "state" in checks:
                check_state(runner, scene, trace, frames)
            if "replay" in checks:
                check_replay(runner, scene, trace, frames)
            if "nodata" in checks:
                check_without_data(runner, scene, frames)
            if "analyse" in checks:
                check_analyse(runner, scene, trace, frames)
        print("%d failures" % len(runner.failures))
        return min(len(runner.failures), 100)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
