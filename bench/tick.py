#!/usr/bin/env python3
"""How punctually the fixed-rate tick runs, and what it costs.

Runs the engine with an empty tick hook (tick_bench) in a fresh temporary
directory, once per rate, for the given seconds after its first prompt, then
asks it for eng_stats and for what the hook itself saw (tick_calls), and
prints one table row per run:

- lateness median, 99th percentile and maximum over the last 1,000 ticks,
  ticks late by more than 1 ms and ticks dropped over the whole run, as the
  engine reports them;
- drift: how far the grid of the last ticks lies from that of the first,
  from the hook's own clock readings: tick n at t_n lies on the grid that
  begins at t_n - (n + dropped) x step, and the grid of a run of ticks is
  the earliest of theirs (the tick that ran most on time); the last 64 ticks
  against the first 64, so that neither a cold first call nor one tick
  that a busy machine delayed counts as drift;
- CPU: the engine's own on-CPU time (/proc/PID/schedstat) over the run, in
  percent of one core.

The last run is at 60 Hz while a sender floods the engine's socket on
loopback (as `make idle` does), and adds the datagrams reported per second.
A last row, the floor, is a bare loop that sleeps until each deadline of a
60 Hz grid (clock_nanosleep, no timer slack) and measures its own lateness:
what the machine's wake-ups cost by themselves.
"""
import argparse
import os
import re
import socket
import subprocess
import tempfile
import time

from idle import SENDER, cpu_seconds

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PROMPT = b"] "
TARGETS = {20: True, 60: True, 128: True, 1000: False}

# Sleeps until each deadline of a grid of RATE a second for SECONDS and
# prints its lateness: median, 99th percentile and maximum in microseconds,
# and the ticks late by more than 1 ms.
FLOOR = r"""
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sys/prctl.h>
#include <vector>

std::int64_t now()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000000000LL + t.tv_nsec;
}

int main(int argc, char** argv)
{
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    const long rate = std::atol(argv[1]), count = rate * std::atol(argv[2]);
    std::vector<std::int64_t> late;
    const std::int64_t start = now();
    for (long k = 1; k <= count; ++k) {
        const std::int64_t deadline = start + k * 1000000000LL / rate;
        const timespec until {deadline / 1000000000, deadline % 1000000000};
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr);
        late.push_back(now() - deadline);
    }
    std::sort(late.begin(), late.end());
    const long over = std::count_if(late.begin(), late.end(), [](std::int64_t l) { return l > 1000000; });
    std::printf("%ld %ld %ld %ld\n", long(late[count / 2] / 1000), long(late[(count * 99 + 99) / 100 - 1] / 1000),
                long(late.back() / 1000), over);
}
"""


class Engine:
    """tick_bench as a child process writing to a file, which costs it less
    than a pipe under a flood."""

    def __init__(self, binary, directory, init):
        os.makedirs(os.path.join(directory, "data"))
        with open(os.path.join(directory, "data", "init.cfg"), "w") as f:
            f.write(init)
        self.log = os.path.join(directory, "output")
        with open(self.log, "wb") as out:
            self.process = subprocess.Popen([binary], cwd=directory, stdin=subprocess.PIPE, stdout=out)
        self.reader = open(self.log, "rb")
        self.text = b""

    def skip(self):
        """Forgets the output so far: a flood writes megabytes a second."""
        self.reader.seek(0, os.SEEK_END)
        self.text = b""

    def wait_for(self, pattern, seconds=10):
        """Reads the output until `pattern` (a regular expression) matches
        what came since the last skip."""
        deadline = time.monotonic() + seconds
        while True:
            self.text += self.reader.read()
            found = re.search(pattern, self.text)
            if found:
                return found
            if time.monotonic() > deadline:
                raise RuntimeError(f"no {pattern!r} from the engine: {self.text[-300:]!r}")
            time.sleep(0.01)

    def send(self, line):
        self.process.stdin.write(line)
        self.process.stdin.flush()

    def stop(self):
        self.process.terminate()
        self.process.wait(timeout=10)
        self.process.stdin.close()
        self.reader.close()


def figure(text, label):
    return int(re.search(rb"\n" + label + rb"[^:\n]*: (\d+)", text).group(1))


def run(binary, base, rate, seconds, sender=None):
    with tempfile.TemporaryDirectory(dir=base) as directory:
        init = f"eng_tickrate {rate}\n"
        port = None
        if sender:
            probe = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
            probe.bind(("127.0.0.1", 0))
            port = probe.getsockname()[1]
            probe.close()
            init += f"n_open {port}\n"
        engine = Engine(binary, directory, init)
        engine.wait_for(re.escape(PROMPT))
        flood = None
        if sender:
            flood = subprocess.Popen([sender, str(port), str(seconds + 1)], stdout=subprocess.PIPE, text=True)
        # A moment to settle (and for the sender to start), then the run.
        time.sleep(0.5)
        cpu_start, start = cpu_seconds(engine.process.pid), time.monotonic()
        reported_before = 0
        if sender:
            engine.skip()
            engine.send(b"eng_stats\n")
            reported_before = int(engine.wait_for(rb"\ndatagrams reported: (\d+)\n", 30).group(1))
        time.sleep(max(0.0, seconds - (time.monotonic() - start)))
        cpu = cpu_seconds(engine.process.pid) - cpu_start
        elapsed = time.monotonic() - start
        engine.skip()
        engine.send(b"eng_stats\ntick_calls\n")
        calls = engine.wait_for(rb"tick calls: (\d+)((?:, \d+ at \d+)*)\n", 30)
        stats = engine.text[:calls.start()]
        engine.stop()
        if flood:
            flood.communicate()
    count = int(calls.group(1))
    dropped = figure(stats, b"ticks dropped by catch-up")
    times = [(int(n), int(t)) for n, t in re.findall(rb", (\d+) at (\d+)", calls.group(2))]
    first = min(t - n * 1e9 / rate for n, t in times[:64])
    last = min(t - (n + dropped) * 1e9 / rate for n, t in times[-64:])
    drift_us = (last - first) / 1000
    result = {
        "ticks": count,
        "median": figure(stats, b"tick lateness median"),
        "p99": figure(stats, b"tick lateness 99th percentile"),
        "max": figure(stats, b"tick lateness maximum"),
        "late": figure(stats, b"ticks late by more than 1 ms"),
        "dropped": dropped,
        "drift": drift_us,
        "cpu": 100 * cpu / elapsed,
    }
    if sender:
        result["reported"] = (figure(stats, b"datagrams reported") - reported_before) / elapsed
    return result


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--engine", default=os.path.join(ROOT, "build", "bench", "tick_bench"))
    parser.add_argument("--seconds", type=float, default=30, help="length of each run")
    args = parser.parse_args()
    binary = os.path.abspath(args.engine)

    print("load average: " + " ".join(f"{x:.2f}" for x in os.getloadavg()))
    print(f"{args.seconds:g} s a run; lateness over the last 1,000 ticks, late and dropped over the run")
    print("| run | ticks | median | p99 | max | late > 1 ms | dropped | last tick drift | CPU | targets |")
    print("|---|---:|---:|---:|---:|---:|---:|---:|---:|---|")

    def row(label, r, p99_target, cpu_target):
        missed = []
        if p99_target:
            if r["median"] > 100:
                missed.append("median")
            if r["p99"] > p99_target:
                missed.append("p99")
            if abs(r["drift"]) > 2000:
                missed.append("drift")
            if cpu_target and r["cpu"] > cpu_target:
                missed.append("CPU")
        verdict = "none" if not p99_target else "MISSED " + ", ".join(missed) if missed else "met"
        print(f"| {label} | {r['ticks']} | {r['median']} us | {r['p99']} us | {r['max']} us | {r['late']} "
              f"| {r['dropped']} | {r['drift']:+.1f} us | {r['cpu']:.2f}% | {verdict} |", flush=True)

    with tempfile.TemporaryDirectory(prefix="varnholt-tick-") as base:
        for rate, targeted in TARGETS.items():
            row(f"{rate} Hz", run(binary, base, rate, args.seconds), 1500 if targeted else 0,
                1.0 if rate == 60 else 0)
        sender = os.path.join(base, "sender")
        with open(sender + ".cpp", "w") as f:
            f.write(SENDER)
        subprocess.run(["g++", "-O2", "-o", sender, sender + ".cpp"], check=True)
        flooded = run(binary, base, 60, args.seconds, sender)
        row("60 Hz, datagram flood", flooded, 2000, 0)
        floor = os.path.join(base, "floor")
        with open(floor + ".cpp", "w") as f:
            f.write(FLOOR)
        subprocess.run(["g++", "-O2", "-o", floor, floor + ".cpp"], check=True)
        median, p99, worst, late = subprocess.run([floor, "60", str(int(args.seconds))], check=True,
                                                  capture_output=True, text=True).stdout.split()
        print(f"| floor: a bare sleep loop, 60 Hz | {int(args.seconds) * 60} | {median} us | {p99} us | {worst} us "
              f"| {late} | | | | |")
        print(f"datagrams reported during the flood: {flooded['reported'] / 1000:.0f}k/s")


if __name__ == "__main__":
    main()
