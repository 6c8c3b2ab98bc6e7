#!/usr/bin/env python3
"""xqft-device.py: a stand-in for the capture layer on a device, for tests of the live capture.

It listens on 127.0.0.1 for the viewer (port 0 picks a free port; --port-file receives its number),
announces "application waiting" to every client and acknowledges every command. A start-recording
command ('@') streams a trace file from its first byte as data messages, so that each recording
run is a whole trace; stop recording ('A') ends the run, pause ('C') holds the stream and run ('B')
goes on with it. Message sizes and TCP write sizes are random or fixed; keep-alives go between
messages and while idle. --fault makes it misbehave in one of the ways the viewer must survive.

Messages (every one starts with 0x08 'D'):
  viewer -> device   0x08 'D' command                      commands '@' 'A' 'B' 'C' (and 'D' 'E')
  device -> viewer   0x08 'D' '1' lenLo lenHi payload '%'  data
                     0x08 'D' '!' command 0 0              acknowledgement
                     0x08 'D' ' ' 0 0                      keep-alive
                     0x08 'D' '2' 0 0                      application waiting

The log (--log, one line per event, flushed) names what was received and sent, with a timestamp of
the monotonic clock that other programs on the machine share:
  t=SECONDS listening port=P | accept | command C | run N start file=F |
  run N complete bytes=B | run N stopped bytes=B | fault NAME | closed | reset

The reset faults end the link with a TCP reset instead of a close, once fault_after data messages
are out ("reset"), inside the next message ("reset-mid-message"), or with "reset-unasked" after
streaming that many messages at once on accept, unasked, so that the reset lands before the
viewer's first look at its pending connect. "stall-mid-message" sends half of the next message and
then nothing at all, keeping the link up.
"""
import argparse
import collections
import fcntl
import os
import random
import select
import socket
import struct
import sys
import termios
import time

MAGIC = b"\x08D"
QUEUE_AHEAD = 128 * 1024
FAULTS = ("bad-start-idle", "bad-start-data", "unknown-type-idle", "unknown-type-data", "no-percent",
          "unknown-ack", "split-ack", "close-mid-message", "close-at-once", "silent", "reset",
          "reset-mid-message", "reset-unasked", "stall-mid-message")


def unsent(sock):
    """Bytes in the socket's send queue that the peer has not acknowledged yet."""
    return struct.unpack("i", fcntl.ioctl(sock.fileno(), termios.TIOCOUTQ, b"\0\0\0\0"))[0]


def message(kind):
    """A 5-byte message without content: keep-alive, application waiting, or an unknown type."""
    return MAGIC + kind.encode() + b"\0\0"


def ack(command):
    return MAGIC + b"!" + bytes([command]) + b"\0\0"


def data_message(payload, terminator=b"%"):
    n = len(payload)
    return MAGIC + b"1" + bytes([n & 0xFF, n >> 8]) + payload + terminator


class Log:
    def __init__(self, path):
        self.file = open(path, "a") if path else sys.stderr

    def __call__(self, text):
        self.file.write("t=%.6f %s\n" % (time.monotonic(), text))
        self.file.flush()


class Client:
    """One connected viewer; serve() returns when the connection ends."""

    def __init__(self, sock, opts, traces, log, rng, state):
        self.sock = sock
        self.opts = opts
        self.traces = traces
        self.log = log
        self.rng = rng
        self.state = state          # counters shared by all connections: runs, messages
        self.out = collections.deque()   # [bytes, seconds to wait after writing them]
        self.out_bytes = 0
        self.head_offset = 0
        self.inbuf = bytearray()
        self.recording = False
        self.paused = False
        self.trace = b""
        self.pos = 0
        self.run_bytes = 0
        self.closing = False        # close once everything queued has left
        self.abrupt = False         # ... and without waiting for the viewer to close first
        self.reset = False          # ... with a TCP reset (no orderly end of the stream)
        self.stalled = False        # no more data after a half message, the link kept up
        self.last_sent = time.monotonic()

    # Queue and write.
    def queue(self, data, wait=0.0):
        if data:
            self.out.append([data, wait])
            self.out_bytes += len(data)

    def pending(self):
        return len(self.out) > 0

    def write_size(self):
        w = self.opts.write_size
        return self.rng.randint(1, 16384) if w == "random" else int(w)

    def write_some(self):
        """Writes up to one write size from the queue; False when the viewer is gone."""
        if not self.out:
            return True
        item = self.out[0]
        chunk = memoryview(item[0])[self.head_offset:self.head_offset + self.write_size()]
        try:
            n = self.sock.send(chunk)
        except BlockingIOError:
            return True
        except OSError:
            return False
        self.head_offset += n
        self.out_bytes -= n
        self.last_sent = time.monotonic()
        if self.head_offset >= len(item[0]):
            self.out.popleft()
            self.head_offset = 0
            if item[1]:
                time.sleep(item[1])
        if self.opts.pause_ms:
            time.sleep(self.opts.pause_ms / 1000.0)
        return True

    # Commands.
    def acknowledge(self, command):
        if self.opts.fault == "unknown-ack":
            self.queue(ack(ord("Z")))
        whole = ack(command)
        if self.opts.fault == "split-ack":
            self.queue(whole[:5], 0.1)
            self.queue(whole[5:])
        else:
            self.queue(whole)

    def handle_commands(self):
        while len(self.inbuf) >= 3:
            if self.inbuf[:2] != MAGIC:
                del self.inbuf[0]          # out of step: look for the next start
                continue
            command = self.inbuf[2]
            del self.inbuf[:3]
            self.log("command %s" % chr(command))
            if self.opts.fault == "silent":
                continue
            if command == ord("@"):
                self.acknowledge(command)
                self.start_run()
            elif command == ord("A"):
                self.end_run("stopped")
                self.acknowledge(command)
            elif command == ord("B"):
                self.paused = False
                self.acknowledge(command)
            elif command == ord("C"):
                self.paused = True
                self.acknowledge(command)
            else:
                self.acknowledge(command)

    # Recording runs.
    def start_run(self):
        if self.recording:
            return
        self.state["runs"] += 1
        path = self.traces[(self.state["runs"] - 1) % len(self.traces)]
        with open(path, "rb") as f:
            self.trace = f.read()
        self.pos = 0
        self.run_bytes = 0
        self.recording = True
        self.log("run %d start file=%s" % (self.state["runs"], path))

    def end_run(self, how):
        if not self.recording:
            return
        self.recording = False
        self.log("run %d %s bytes=%d" % (self.state["runs"], how, self.run_bytes))

    def message_size(self):
        m = self.opts.message_size
        return self.rng.randint(0, 65535) if m == "random" else int(m)

    def produce(self):
        """Queues data messages until enough is waiting or the run's trace is all sent. Little is
        queued ahead, so that a pause or a stop holds the stream soon after it arrives."""
        while (self.recording and not self.paused and not self.closing and not self.stalled
               and self.out_bytes < QUEUE_AHEAD):
            if self.pos >= len(self.trace):
                if self.state.get("complete_logged") != self.state["runs"]:
                    self.state["complete_logged"] = self.state["runs"]
                    self.state["complete"] += 1
                    self.log("run %d complete bytes=%d" % (self.state["runs"], self.run_bytes))
                    if self.opts.close_after_runs and self.state["complete"] >= self.opts.close_after_runs:
                        self.closing = True
                return
            if self.mid_data_fault():
                return
            size = min(self.message_size(), len(self.trace) - self.pos)
            payload = self.trace[self.pos:self.pos + size]
            terminator = b"%"
            if self.opts.fault == "no-percent" and self.state["messages"] == self.opts.fault_after:
                terminator = b"#"
                self.log("fault no-percent")
            self.queue(data_message(payload, terminator))
            self.pos += size
            self.run_bytes += size
            self.state["messages"] += 1
            if self.opts.keepalive_every and self.state["messages"] % self.opts.keepalive_every == 0:
                self.queue(message(" "))

    def mid_data_fault(self):
        """Injects a fault once fault_after data messages went out; True when the stream ends."""
        fault = self.opts.fault
        if self.state["messages"] != self.opts.fault_after or self.state.get("faulted"):
            return False
        if fault == "bad-start-data":
            self.queue(b"\x09D1\x10\x00")
        elif fault == "unknown-type-data":
            self.queue(message("x"))
        elif fault in ("close-mid-message", "reset-mid-message", "stall-mid-message"):
            size = max(2, min(self.message_size(), len(self.trace) - self.pos))
            whole = data_message(self.trace[self.pos:self.pos + size] or b"\0\0")
            self.queue(whole[:len(whole) // 2])
            self.stalled = fault == "stall-mid-message"
            self.closing = self.abrupt = not self.stalled
            self.reset = fault == "reset-mid-message"
        elif fault in ("reset", "reset-unasked"):
            self.closing = self.abrupt = self.reset = True
        else:
            return False
        self.state["faulted"] = True
        self.log("fault %s" % fault)
        return True

    def serve(self):
        self.log("accept")
        self.sock.setblocking(False)
        fault = self.opts.fault
        if fault != "silent":
            self.queue(message("2"))
        if fault == "bad-start-idle":
            self.queue(b"\x07D \x00\x00")
        elif fault == "unknown-type-idle":
            self.queue(message("x"))
        elif fault == "close-at-once":
            self.closing = self.abrupt = True
        elif fault == "reset-unasked":
            self.start_run()
        if fault in ("bad-start-idle", "unknown-type-idle", "close-at-once"):
            self.log("fault %s" % fault)
        keepalive = self.opts.keepalive_ms / 1000.0
        while True:
            if self.recording and not self.paused and self.out_bytes < QUEUE_AHEAD:
                self.produce()
            if self.closing and not self.out:
                return self.close()
            wait = 0.05
            if keepalive > 0 and fault != "silent":
                wait = max(0.0, min(wait, self.last_sent + keepalive - time.monotonic()))
            readable, writable, _ = select.select([self.sock], [self.sock] if self.out else [], [], wait)
            if readable:
                try:
                    data = self.sock.recv(65536)
                except BlockingIOError:
                    data = None
                except OSError:
                    data = b""
                if data == b"":
                    self.end_run("stopped")
                    self.log("closed")
                    return
                if data:
                    self.inbuf += data
                    self.handle_commands()
            if writable and not self.write_some():
                self.end_run("stopped")
                self.log("closed")
                return
            if (keepalive > 0 and fault != "silent" and not self.out and not self.stalled
                    and time.monotonic() - self.last_sent >= keepalive):
                self.queue(message(" "))

    def close(self):
        """Ends the connection. A graceful close waits (a little) for the viewer to close first, so
        that nothing it sent is left unread, which would reset the link and lose data in flight. A
        reset waits for what was sent to be taken, so that the viewer has all of it before the reset."""
        self.end_run("stopped")
        try:
            if self.reset:
                deadline = time.monotonic() + 2.0
                while unsent(self.sock) and time.monotonic() < deadline:
                    time.sleep(0.005)
                self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
                self.sock.close()
                self.log("reset")
                return
            if not self.abrupt:
                self.sock.shutdown(socket.SHUT_WR)
                deadline = time.monotonic() + 2.0
                while time.monotonic() < deadline:
                    r, _, _ = select.select([self.sock], [], [], 0.05)
                    if r and not self.sock.recv(65536):
                        break
        except OSError:
            pass
        self.sock.close()
        self.log("closed")


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n\n")[0],
                                formatter_class=argparse.RawDescriptionHelpFormatter, epilog=__doc__)
    p.add_argument("--serve", action="append", default=[], metavar="FILE",
                   help="trace streamed by each recording run (repeat: run k streams the k-th, cycling)")
    p.add_argument("--port", type=int, default=0, help="port to listen on (0: a free one)")
    p.add_argument("--port-file", help="file that receives the port number once listening")
    p.add_argument("--log", help="event log (default: standard error)")
    p.add_argument("--message-size", default="random", help="payload bytes per data message, or 'random' (0-65535)")
    p.add_argument("--write-size", default="random", help="bytes per TCP write, or 'random' (1-16384)")
    p.add_argument("--pause-ms", type=float, default=0, help="pause after every TCP write")
    p.add_argument("--keepalive-every", type=int, default=0, help="a keep-alive after every N data messages")
    p.add_argument("--keepalive-ms", type=float, default=500, help="keep-alive interval while idle (0: none)")
    p.add_argument("--close-after-runs", type=int, default=0, help="close the link after N complete runs")
    p.add_argument("--once", action="store_true", help="serve one connection, then exit")
    p.add_argument("--seed", type=int, default=1)
    p.add_argument("--fault", choices=FAULTS, help="misbehave once in the named way")
    p.add_argument("--fault-after", type=int, default=2, help="data messages before a mid-data fault")
    opts = p.parse_args()
    if opts.message_size != "random" and not (opts.message_size.isdigit() and int(opts.message_size) <= 65535):
        p.error("--message-size: 0 to 65535 bytes, or 'random'")
    if opts.write_size != "random" and not (opts.write_size.isdigit() and int(opts.write_size) > 0):
        p.error("--write-size: a number above 0, or 'random'")
    if not opts.serve and opts.fault != "silent":
        p.error("--serve FILE is needed")
    for path in opts.serve:
        if not os.path.isfile(path):
            p.error("cannot read %s" % path)

    log = Log(opts.log)
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", opts.port))
    listener.listen(4)
    port = listener.getsockname()[1]
    log("listening port=%d" % port)
    if opts.port_file:
        tmp = opts.port_file + ".tmp"
        with open(tmp, "w") as f:
            f.write("%d\n" % port)
        os.replace(tmp, opts.port_file)   # readers never see a half-written number
    rng = random.Random(opts.seed)
    state = {"runs": 0, "complete": 0, "messages": 0}
    while True:
        conn, _ = listener.accept()
        conn.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        Client(conn, opts, opts.serve, log, rng, state).serve()
        if opts.once:
            return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except KeyboardInterrupt:
        sys.exit(0)
