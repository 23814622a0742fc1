#!/usr/bin/env python3
"""What a running engine costs when nothing happens, and how fast it answers.

Each measurement starts the engine in a fresh temporary directory with its own
data/ and prints one table row against its target:

- idle CPU: the engine's own on-CPU time (/proc/PID/schedstat) over a few
  seconds after its first prompt, with standard input a silent pipe,
  /dev/null and a terminal (a pseudo-terminal that is the engine's
  controlling one, where it edits lines), each without and with an open
  socket (init.cfg runs "n_open 0");
- typed line: from writing "echo x" to having read its output and the next
  prompt, an idle moment before each line, without and with a socket; the
  same exchange with cat shows what pipes and wake-ups cost by themselves;
- datagrams: reports per second while a sender process floods the socket on
  loopback (standard input a silent pipe, so it is polled every frame);
- stop: from SIGTERM to an idle engine to its exit, default.cfg saved.

The machine's load average is printed first: other busy processes inflate the
latencies, while the CPU figures are the engine's own.
"""
import argparse
import fcntl
import os
import pty
import select
import signal
import socket
import statistics
import subprocess
import sys
import tempfile
import termios
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PROMPT = b"] "

# Floods 127.0.0.1:PORT for SECONDS with one short datagram, 64 to a system
# call, and prints how many went out. Built with g++ when the benchmark runs:
# a sender in Python would be slower than the engine.
SENDER = r"""
#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in target {};
    target.sin_family = AF_INET;
    target.sin_port = htons(static_cast<unsigned short>(std::atoi(argv[1])));
    target.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&target), sizeof target) != 0)
        return 1;
    static char payload[] = "datagram from the benchmark sender";
    iovec piece {payload, sizeof payload};
    mmsghdr batch[64] {};
    for (mmsghdr& one : batch) {
        one.msg_hdr.msg_iov = &piece;
        one.msg_hdr.msg_iovlen = 1;
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(std::atof(argv[2]));
    long sent = 0;
    while (std::chrono::steady_clock::now() < end) {
        const int count = sendmmsg(fd, batch, 64, 0);
        sent += count > 0 ? count : 0;
    }
    std::printf("%ld\n", sent);
}
"""


def cpu_seconds(pid):
    """On-CPU time of a process, from the scheduler's nanosecond count."""
    with open(f"/proc/{pid}/schedstat") as f:
        return int(f.read().split()[0]) / 1e9


def take_terminal():
    """In the child: a new session whose controlling terminal is stdin."""
    os.setsid()
    fcntl.ioctl(0, termios.TIOCSCTTY, 0)


class Engine:
    """The engine as a child process; `output` collects what it prints."""

    def __init__(self, binary, directory, stdin, socket_open=False):
        os.makedirs(os.path.join(directory, "data"), exist_ok=True)
        with open(os.path.join(directory, "data", "init.cfg"), "w") as f:
            f.write("n_open 0\n" if socket_open else "")
        self.directory = directory
        self.output = b""
        self.input = None
        self.terminal = None
        if stdin == "terminal":
            # The engine's controlling terminal, so that it edits lines there
            # as it would for a user.
            self.terminal, child_end = pty.openpty()
            self.process = subprocess.Popen([binary], cwd=directory, stdin=child_end, stdout=child_end,
                                            preexec_fn=take_terminal,
                                            env=dict(os.environ, TERM="xterm", INPUTRC="/dev/null"))
            os.close(child_end)
            self.read_end = self.terminal
        else:
            self.process = subprocess.Popen(
                [binary], cwd=directory, stdout=subprocess.PIPE,
                stdin=subprocess.DEVNULL if stdin == "null" else subprocess.PIPE)
            self.read_end = self.process.stdout.fileno()
            if stdin == "pipe":
                self.input = self.process.stdin.fileno()

    def read_until(self, ending, seconds=10):
        """Reads output until it ends with `ending`."""
        deadline = time.monotonic() + seconds
        while not self.output.endswith(ending):
            remaining = deadline - time.monotonic()
            if remaining <= 0 or not select.select([self.read_end], [], [], remaining)[0]:
                raise RuntimeError(f"no {ending!r} from the engine; output so far {self.output[-200:]!r}")
            self.output += os.read(self.read_end, 65536)

    def stop(self):
        """SIGTERM; returns the seconds until the exit."""
        start = time.perf_counter()
        self.process.send_signal(signal.SIGTERM)
        # Output is drained meanwhile: an engine blocked on a full pipe
        # could not get to its exit.
        while self.process.poll() is None:
            if time.perf_counter() - start > 5:
                self.process.kill()
                self.process.wait()
                raise RuntimeError("the engine ignored SIGTERM")
            if select.select([self.read_end], [], [], 0.001)[0]:
                try:
                    os.read(self.read_end, 1 << 20)
                except OSError:  # a terminal whose other end has gone
                    pass
        seconds = time.perf_counter() - start
        if self.terminal is not None:
            os.close(self.terminal)
        for end in (self.process.stdin, self.process.stdout):
            if end:
                end.close()
        return seconds


def idle_cpu(binary, base, stdin, socket_open, seconds):
    with tempfile.TemporaryDirectory(dir=base) as directory:
        engine = Engine(binary, directory, stdin, socket_open)
        engine.read_until(PROMPT)
        time.sleep(0.5)
        before = cpu_seconds(engine.process.pid)
        time.sleep(seconds)
        used = cpu_seconds(engine.process.pid) - before
        engine.stop()
        return 100 * used / seconds


def round_trips(write_end, read_end, line, answer, count):
    """Median and 99th percentile, in microseconds, from writing `line` to
    having read `answer` back, with an idle moment before each line."""
    samples = []
    for i in range(count):
        time.sleep(0.001 + (i % 3) * 0.0005)
        start = time.perf_counter()
        os.write(write_end, line)
        received = b""
        while not received.endswith(answer):
            received += os.read(read_end, 65536)
        samples.append(time.perf_counter() - start)
    samples.sort()
    return samples[len(samples) // 2] * 1e6, samples[int(len(samples) * 0.99)] * 1e6


def typed_line_latency(binary, base, socket_open, count):
    with tempfile.TemporaryDirectory(dir=base) as directory:
        engine = Engine(binary, directory, "pipe", socket_open)
        engine.read_until(PROMPT)
        result = round_trips(engine.input, engine.read_end, b"echo x\n", b"x \n" + PROMPT, count)
        engine.stop()
    return result


def pipe_floor_latency(count):
    """The same exchange with cat, which sleeps in read(): what the two pipes,
    the wake-ups and this script cost without any engine."""
    cat = subprocess.Popen(["cat"], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    result = round_trips(cat.stdin.fileno(), cat.stdout.fileno(), b"echo x\n", b"echo x\n", count)
    cat.stdin.close()
    cat.wait()
    cat.stdout.close()
    return result


def datagram_rate(binary, sender, base, seconds):
    """Reports per second, reports per second of the engine's own CPU time,
    and the sender's datagrams per second. The engine
    writes to a file, which costs it less than a pipe and keeps the reading
    here off the two cores' busiest moments."""
    with tempfile.TemporaryDirectory(dir=base) as directory:
        probe = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        probe.bind(("127.0.0.1", 0))
        port = probe.getsockname()[1]
        probe.close()
        os.makedirs(os.path.join(directory, "data"))
        with open(os.path.join(directory, "data", "init.cfg"), "w") as f:
            f.write(f"n_open {port}\n")
        log = os.path.join(directory, "output")
        with open(log, "wb") as out:
            process = subprocess.Popen([binary], cwd=directory, stdin=subprocess.PIPE, stdout=out)
        marker = b" bytes received\n"
        with open(log, "rb") as written:
            text = b""
            deadline = time.monotonic() + 10
            while PROMPT not in text:
                if time.monotonic() > deadline:
                    raise RuntimeError(f"no prompt from the engine: {text!r}")
                time.sleep(0.01)
                text += written.read()
            flood = subprocess.Popen([sender, str(port), str(seconds + 1)], stdout=subprocess.PIPE, text=True)

            def reports():
                """Reports written so far (a marker cut by the read is counted at the next)."""
                nonlocal text
                text = text[-len(marker) + 1:] + written.read()
                return text.count(marker)

            # Counted over the middle of the flood: the sender needs a moment
            # to start, and stops a second after the window.
            time.sleep(0.5)
            reports()
            start, cpu_start = time.perf_counter(), cpu_seconds(process.pid)
            time.sleep(seconds)
            counted = reports()
            elapsed, cpu = time.perf_counter() - start, cpu_seconds(process.pid) - cpu_start
            sent = int(flood.communicate()[0])
        process.send_signal(signal.SIGTERM)
        process.wait(timeout=10)
        process.stdin.close()
        return counted / elapsed, counted / cpu, sent / (seconds + 1)


def stop_latency(binary, base, count):
    samples = []
    for _ in range(count):
        with tempfile.TemporaryDirectory(dir=base) as directory:
            engine = Engine(binary, directory, "pipe")
            engine.read_until(PROMPT)
            time.sleep(0.2)
            samples.append(engine.stop() * 1000)
            if not os.path.exists(os.path.join(directory, "data", "default.cfg")):
                raise RuntimeError("SIGTERM did not save default.cfg")
    return statistics.median(samples), max(samples)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--engine", default=os.path.join(ROOT, "build", "varnholt"))
    parser.add_argument("--idle-seconds", type=float, default=5)
    parser.add_argument("--lines", type=int, default=2000, help="typed lines per latency run")
    parser.add_argument("--flood-seconds", type=float, default=2)
    parser.add_argument("--stops", type=int, default=10)
    args = parser.parse_args()
    binary = os.path.abspath(args.engine)

    print("load average: " + " ".join(f"{x:.2f}" for x in os.getloadavg()))
    print(f"| {'measurement':42} | {'result':>22} | {'target':>18} |")
    print(f"|{'-' * 44}|{'-' * 24}:|{'-' * 19}:|")

    def row(label, result, target, met):
        print(f"| {label:42} | {result:>22} | {target + ('' if met else ' MISSED'):>18} |", flush=True)

    with tempfile.TemporaryDirectory(prefix="varnholt-idle-") as base:
        for stdin, name in (("pipe", "a silent pipe"), ("null", "/dev/null"), ("terminal", "a terminal")):
            for socket_open in (False, True):
                percent = idle_cpu(binary, base, stdin, socket_open, args.idle_seconds)
                label = f"idle CPU, stdin {name}{', socket' if socket_open else ''}"
                row(label, f"{percent:.2f}% of a core", "<= 0.5%", percent <= 0.5)
        for socket_open in (False, True):
            median, p99 = typed_line_latency(binary, base, socket_open, args.lines)
            label = f"typed line to output{', socket' if socket_open else ''}"
            row(label, f"{median:.0f} us, p99 {p99:.0f} us", "<= 50 us, <= 1000", median <= 50 and p99 <= 1000)
        median, p99 = pipe_floor_latency(args.lines)
        row("the same through cat (the floor)", f"{median:.0f} us, p99 {p99:.0f} us", "", True)
        sender = os.path.join(base, "sender")
        with open(sender + ".cpp", "w") as f:
            f.write(SENDER)
        subprocess.run(["g++", "-O2", "-o", sender, sender + ".cpp"], check=True)
        reported, per_cpu, sent = datagram_rate(binary, sender, base, args.flood_seconds)
        row("datagrams reported (sender's rate)", f"{reported / 1000:.0f}k/s ({sent / 1000:.0f}k/s)", ">= 200k/s",
            reported >= 200_000)
        row("datagrams reported per second of engine CPU", f"{per_cpu / 1000:.0f}k", "", True)
        median, worst = stop_latency(binary, base, args.stops)
        row("SIGTERM to an idle engine, to its exit", f"{median:.1f} ms, max {worst:.1f} ms", "<= 100 ms",
            worst <= 100)


if __name__ == "__main__":
    main()
