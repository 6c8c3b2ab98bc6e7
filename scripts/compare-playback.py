#!/usr/bin/env python3
"""Compares what two builds' playback gives on the same traces: the sample, the recorded test scenes
(with and without data) and the real-application cuts.

    scripts/compare-playback.py OLD_BIN NEW_BIN WORKDIR [--cuts DIR] [--jobs N] [--scenes a,b,...]

OLD_BIN and NEW_BIN are the bin folders of the two builds (xqft-dump, xqft-record). For each trace
and a few of its frames it runs `replay` (restored, and from the start), `host-state` and `analyse`
with both builds, headless, and compares exit status, standard output and the image written byte
for byte. The ERROR and WARNING lines on standard error are the messages: their wording may differ,
so they are shown side by side but not counted. Exit status 1 when anything counted differs.
"""
import argparse
import concurrent.futures
import glob
import os
import subprocess
import sys
import tarfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# The long workloads: their frames take minutes each to replay from the start.
HEAVY = {"mix", "sprites", "long", "es1-mix", "es1-sprites", "pipeline"}


def run(cmd, env):
    p = subprocess.run(cmd, capture_output=True, env=env, timeout=600)
    return p.returncode, p.stdout, p.stderr


def headless_env():
    env = dict(os.environ)
    env.pop("DISPLAY", None)
    env["XQFT_PLAYBACK_WINDOWS"] = "headless"
    return env


def frame_count(dump, trace, env):
    code, out, _ = run([dump, "load", trace], env)
    frames = [line for line in out.decode(errors="replace").splitlines() if line.startswith("frame")]
    return len(frames)


def make_traces(args, env):
    work = os.path.join(args.workdir, "traces")
    os.makedirs(work, exist_ok=True)
    traces = []
    sample = os.path.join(work, "sample.xqft")
    subprocess.run([sys.executable, os.path.join(ROOT, "tools", "xqftgen.py"), "sample", sample], check=True)
    traces.append(sample)
    record = os.path.join(args.new, "xqft-record")
    listing = subprocess.run([record, "--list"], capture_output=True, text=True, env=env).stdout
    scenes = [line.split()[0] for line in listing.splitlines() if line.strip()]
    if args.scenes:
        scenes = [s for s in scenes if s in args.scenes.split(",")]
    scenes = [s for s in scenes if s not in HEAVY]
    logs = os.path.join(work, "logs")
    os.makedirs(logs, exist_ok=True)
    for scene in scenes:
        if subprocess.run([record, "--scene", scene, "--out", logs], capture_output=True, env=env).returncode:
            print(f"scene {scene}: not recorded", file=sys.stderr)
            continue
        log = os.path.join(logs, scene + ".log")
        for form, extra in (("data", []), ("nodata", ["--no-data"])):
            out = os.path.join(work, f"{scene}-{form}.xqft")
            subprocess.run([sys.executable, os.path.join(ROOT, "tools", "xqftgen.py"), "from-log", log, out] + extra,
                           check=True, capture_output=True)
            traces.append(out)
    for archive in sorted(glob.glob(os.path.join(args.cuts, "*.tar.xz"))):
        with tarfile.open(archive) as tar:
            tar.extractall(work, filter="data")
    traces += sorted(glob.glob(os.path.join(work, "*.xqft")))
    return sorted(set(traces))


def frames_of(count):
    if count <= 5:
        return list(range(1, count + 1))
    return sorted({1, 2, count // 2, count - 1, count})


def messages(err):
    # The host's config handle is printed as it is in this run.
    lines = err.decode(errors="replace").splitlines()
    return [line for line in lines if line.strip() and "Final Config:" not in line]


def compare_one(args, env, trace, frame, command):
    name = os.path.basename(trace)
    results = []
    for build in (args.old, args.new):
        tag = "old" if build == args.old else "new"
        image = os.path.join(args.workdir, "out", f"{name}-{frame}-{'-'.join(command)}-{tag}.ppm")
        os.makedirs(os.path.dirname(image), exist_ok=True)
        if os.path.exists(image):
            os.remove(image)
        dump = os.path.join(build, "xqft-dump")
        cmd = [dump, command[0], trace, "--frame", str(frame)] + command[1:]
        if command[0] != "host-state":
            cmd.append(image)
        code, out, err = run(cmd, env)
        pixels = open(image, "rb").read() if os.path.exists(image) else None
        results.append((code, out, pixels, messages(err)))
    (c0, o0, p0, m0), (c1, o1, p1, m1) = results
    what = f"{name} frame {frame} {' '.join(command)}"
    diffs = []
    if c0 != c1:
        diffs.append(f"exit {c0} -> {c1}")
    if o0 != o1:
        diffs.append("stdout differs")
    if p0 != p1:
        diffs.append("image differs")
    notes = [] if m0 == m1 else [f"  old: {m}" for m in m0 if m not in m1] + [f"  new: {m}" for m in m1 if m not in m0]
    return what, diffs, notes


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("old")
    parser.add_argument("new")
    parser.add_argument("workdir")
    parser.add_argument("--cuts", default="/work/shared/traces")
    parser.add_argument("--jobs", type=int, default=4)
    parser.add_argument("--scenes", default="")
    args = parser.parse_args()
    env = headless_env()
    traces = make_traces(args, env)
    jobs = []
    for trace in traces:
        count = frame_count(os.path.join(args.new, "xqft-dump"), trace, env)
        for frame in frames_of(count):
            for command in (["replay"], ["replay", "--from-start"], ["host-state"], ["analyse"]):
                jobs.append((trace, frame, command))
    failed = 0
    with concurrent.futures.ThreadPoolExecutor(args.jobs) as pool:
        for what, diffs, notes in pool.map(lambda j: compare_one(args, env, *j), jobs):
            if diffs:
                failed += 1
                print(f"DIFF {what}: {', '.join(diffs)}")
            if notes:
                print(f"messages {what}:")
                print("\n".join(notes))
    print(f"{len(jobs) - failed} same, {failed} differ ({len(traces)} traces)")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
