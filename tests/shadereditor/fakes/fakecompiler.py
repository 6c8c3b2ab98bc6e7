#!/usr/bin/python3
# A stand-in offline shader compiler for the tests. Its behaviour is the name it runs under (the
# tests make symlinks): ok, cl, silent, crlf, hang, hang-banner, stdin, crash-before,
# crash-after, huge, badprof, nohelp, slow. Every run appends its arguments, one JSON list a
# line, to the file named by XQFT_FAKE_LOG, and its process id to XQFT_FAKE_PIDS.
import json, os, signal, sys, time

name = os.path.basename(sys.argv[0])
args = sys.argv[1:]
for env, value in (("XQFT_FAKE_LOG", json.dumps(args)), ("XQFT_FAKE_PIDS", str(os.getpid()))):
    if os.environ.get(env):
        with open(os.environ[env], "a") as f:
            f.write(value + "\n")
end = "\r\n" if name == "crlf" else "\n"
out = sys.stdout

def say(text):
    out.write(text.replace("\n", end))
    out.flush()

def banner():
    if name == "hang-banner":
        time.sleep(3600)
    if name == "cl":
        say("XQF OpenCL 1.2 Embedded compiler. Version 3 build rel_1.5@221\nControl options are:\n -cl-fast : fast\n")
        return
    say("Offline compiler for Series6. Version 2.9.1@123\n")
    if name == "nohelp":
        return
    say("OPTIONS are:\n -v : vertex\n -f : fragment\n -nowarn : no warnings\n"
        " -profile : profile\n -perfsim : performance\n -disasm : disassembly\n")

if name == "stdin":
    sys.stdin.read()
if name == "crash-before":
    os.kill(os.getpid(), signal.SIGSEGV)
if not args:
    banner()
    sys.exit(0)
if name == "silent":
    sys.exit(0)
if name == "slow":
    time.sleep(0.3)
if name == "huge":
    block = "x" * 1023 + "\n"
    try:
        for _ in range(200 * 1024):
            out.write(block)
    except BrokenPipeError:
        pass
    sys.exit(0)
if name == "hang":
    say("working\n")
    time.sleep(3600)

source, base = args[0], args[1] if len(args) > 1 else ""
with open(source, errors="replace") as f:
    lines = f.read().split("\n")
if any("FAIL" in line for line in lines):
    say("Compile failed.\n")
    for n, line in enumerate(lines, 1):
        if "FAIL" in line:
            say("ERROR: 0:%d: 'FAIL' : undeclared identifier\n" % n)
else:
    say("Success.\nWARNING: 0:1: fake warning\n")
    if name == "crash-after":
        os.kill(os.getpid(), signal.SIGSEGV)
if "-profile" in args:
    with open(base + ".prof", "w") as f:
        if name == "badprof":
            f.write("line: 0, count: 1\nline: 4294967295, count: 2\nline: 99999999999999999999, count: 3\n")
        else:
            for n, line in enumerate(lines, 1):
                if line.strip():
                    f.write("line: %d, count: %d\n" % (n, len(line.strip()) % 10 + 1))
        f.write("USC generated instructions = %d\n" % len(lines))
if "-disasm" in args:
    with open(base + ".disasm", "w") as f:
        f.write("disassembly of %d lines\n" % len(lines))
if "-perfsim" in args:
    say("Performance estimate\nCycle count:                %d\nTemporary registers used:   3\n"
        "Primary attributes used:    2\nNon-dependent texture reads:1\n" % len(lines))
