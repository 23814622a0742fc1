#!/usr/bin/env python3
"""Whole-process comparison of the engine with tclsh on equivalent scripts.

Generates the workloads in a temporary directory, checks that both programs
produce the right output, then runs them alternately (A B A B ...) and prints
the median wall time, the peak resident memory and the ratio engine/other.
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ECHO_TEXT = "the quick brown fox jumps over the lazy dog again and again"


def script_lines(count):
    """The 1,000,000-line script as (engine line, tcl line, printed line)."""
    for i in range(count // 10):
        name, other = f"v{i % 1000}", f"v{(i + 1) % 1000}"
        yield f"set vid_width {i}", f"set vid_width {i}", None
        yield f"set {name} value{i}", f"set {name} value{i}", None
        yield "set x $vid_width", "set x $vid_width", None
        yield f"// comment line {i}", f"# comment line {i}", None
        yield f"echo line {i} $x", f'puts "line {i} $x "', f"line {i} {i} "
        yield f"set {other} other", f"set {other} other", None
        yield "set x $vid_width", "set x $vid_width", None
        yield "// another comment", "# another comment", None
        yield "set vid_width 640", "set vid_width 640", None
        yield f"set {name} $x", f"set {name} $x", None


def name_lines(count):
    """Creates count variables, then deletes each; returns (engine lines, tcl lines, output)."""
    names = [f"n{i}" for i in range(count)]
    engine = [f"set {name} {i}" for i, name in enumerate(names)] + [f"del {name}" for name in names]
    tcl = [f"set {name} {i}" for i, name in enumerate(names)]
    tcl += [f'unset {name}; puts "{name} has been deleted"' for name in names]
    return engine, tcl, "".join(f"{name} has been deleted\n" for name in names)


def write_workloads(base, script_count, echo_count, name_count):
    """Writes each workload's files; returns {workload: (engine dir, tcl file, expected)}."""
    workloads = {}

    def engine_dir(name, init, script=None):
        directory = os.path.join(base, name)
        os.makedirs(os.path.join(directory, "data"))
        with open(os.path.join(directory, "data", "init.cfg"), "w") as f:
            f.write(init)
        if script is not None:
            with open(os.path.join(directory, "data", "work.cfg"), "w") as f:
                f.write(script)
        return directory

    def tcl_file(name, body):
        path = os.path.join(base, name + ".tcl")
        with open(path, "w") as f:
            f.write("fconfigure stdout -buffering full\n" + body)
        return path

    engine, tcl, printed = [], [], []
    for engine_line, tcl_line, out in script_lines(script_count):
        engine.append(engine_line)
        tcl.append(tcl_line)
        if out is not None:
            printed.append(out)
    expected = "".join(line + "\n" for line in printed)
    workloads["script"] = (
        engine_dir("script", "exec work.cfg\n", "\n".join(engine) + "\nquit\n"),
        tcl_file("script", "\n".join(tcl) + "\n"),
        expected,
    )

    echo_line = " ".join(ECHO_TEXT.split()) + " "
    workloads["echo"] = (
        engine_dir("echo", "exec work.cfg\n", f"echo {ECHO_TEXT}\n" * echo_count + "quit\n"),
        tcl_file("echo", f'puts "{echo_line}"\n' * echo_count),
        f"{echo_line}\n" * echo_count,
    )

    # The same workload with 10x fewer names shows whether the cost is linear.
    for name, count in (("names", name_count), ("names_small", name_count // 10)):
        engine, tcl, expected = name_lines(count)
        workloads[name] = (
            engine_dir(name, "exec work.cfg\n", "\n".join(engine) + "\nquit\n"),
            tcl_file(name, "\n".join(tcl) + "\n"),
            expected,
        )

    hello_source = os.path.join(base, "hello.cpp")
    with open(hello_source, "w") as f:
        f.write('#include <iostream>\nint main() { std::cout << "Hello, world!\\n"; }\n')
    hello = os.path.join(base, "hello")
    subprocess.run(["g++", "-O2", "-o", hello, hello_source], check=True)
    workloads["startup"] = (engine_dir("startup", "quit\n"), hello, "Hello, world!\n")
    return workloads


def run(command, cwd, stdout_path):
    """Runs one process; returns (seconds, exit status)."""
    with open(stdout_path, "wb") as out:
        start = time.perf_counter()
        status = subprocess.run(command, cwd=cwd, stdin=subprocess.DEVNULL, stdout=out).returncode
        return time.perf_counter() - start, status


def peak_memory(command, cwd, scratch):
    """Peak resident memory in KiB. A child forked from this (large) Python
    process would inherit its peak, so GNU time starts the command."""
    report = os.path.join(scratch, "time.out")
    subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report] + command, cwd=cwd,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, check=True)
    with open(report) as f:
        return int(f.read().split()[-1])


def check(label, command, cwd, expected, scratch):
    out_path = os.path.join(scratch, "check.out")
    _, status = run(command, cwd, out_path)
    with open(out_path) as f:
        output = f.read()
    if status != 0 or output != expected:
        sys.exit(f"{label}: wrong output or exit status {status} (see {out_path})")


def median_runs(commands, rounds, sink, scratch):
    """Runs the commands alternately; returns per command (median s, peak KiB)."""
    times = [[] for _ in commands]
    for _ in range(rounds):
        for i, (command, cwd) in enumerate(commands):
            seconds, status = run(command, cwd, sink)
            if status != 0:
                sys.exit(f"{command} exited with {status}")
            times[i].append(seconds)
    return [(statistics.median(t), peak_memory(command, cwd, scratch))
            for t, (command, cwd) in zip(times, commands)]


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--engine", default=os.path.join(ROOT, "build", "varnholt"))
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--script-lines", type=int, default=1_000_000)
    parser.add_argument("--echo-lines", type=int, default=200_000)
    parser.add_argument("--names", type=int, default=100_000)
    parser.add_argument("--only", choices=["script", "echo", "names", "startup"], help="run one workload")
    args = parser.parse_args()
    engine = os.path.abspath(args.engine)
    tclsh = shutil.which("tclsh")
    if not tclsh:
        sys.exit("tclsh is needed for the comparison (Debian package tcl)")

    base = tempfile.mkdtemp(prefix="varnholt-compare-")
    try:
        workloads = write_workloads(base, args.script_lines, args.echo_lines, args.names)
        script_dir, script_tcl, script_out = workloads["script"]
        echo_dir, echo_tcl, echo_out = workloads["echo"]
        names_dir, names_tcl, names_out = workloads["names"]
        small_dir, small_tcl, small_out = workloads["names_small"]
        start_dir, hello, hello_out = workloads["startup"]

        check("engine script", [engine], script_dir, script_out + "Closing file system...\n", base)
        check("tclsh script", [tclsh, script_tcl], base, script_out, base)
        check("engine echo", [engine], echo_dir, echo_out + "Closing file system...\n", base)
        check("tclsh echo", [tclsh, echo_tcl], base, echo_out, base)
        check("engine names", [engine], names_dir, names_out + "Closing file system...\n", base)
        check("tclsh names", [tclsh, names_tcl], base, names_out, base)
        check("engine names, 10x fewer", [engine], small_dir, small_out + "Closing file system...\n", base)
        check("tclsh names, 10x fewer", [tclsh, small_tcl], base, small_out, base)
        check("engine start-up", [engine], start_dir, "Closing file system...\n", base)
        check("hello world", [hello], base, hello_out, base)

        plans = [
            ("script", "script, 1M lines to /dev/null", "tclsh", 0.25,
             [([engine], script_dir), ([tclsh, script_tcl], base)], args.rounds, "/dev/null"),
            ("echo", "echo, 200k lines to a file", "tclsh", 0.35,
             [([engine], echo_dir), ([tclsh, echo_tcl], base)], args.rounds, os.path.join(base, "echo.out")),
            ("names", f"set+del {args.names // 10:,} new names", "tclsh", 2.0,
             [([engine], small_dir), ([tclsh, small_tcl], base)], args.rounds, "/dev/null"),
            ("names", f"set+del {args.names:,} new names", "tclsh", 2.0,
             [([engine], names_dir), ([tclsh, names_tcl], base)], args.rounds, "/dev/null"),
            ("startup", "start-up and quit", "C++ hello", 1.0,
             [([engine], start_dir), ([hello], base)], args.rounds * 20, "/dev/null"),
        ]
        rows = [(label, other, target, median_runs(commands, rounds, sink, base))
                for name, label, other, target, commands, rounds, sink in plans
                if args.only in (None, name)]
        print(f"{'workload':32} {'engine':>10} {'other':>10} {'ratio':>7} {'target':>8}"
              f" {'engine MiB':>11} {'other MiB':>10}")
        for label, other, target, ((t_engine, m_engine), (t_other, m_other)) in rows:
            ratio = t_engine / t_other
            mark = "" if ratio <= target else "  over"
            print(f"{label:32} {t_engine * 1000:8.1f}ms {t_other * 1000:8.1f}ms {ratio:6.2f}x"
                  f" {'<=' + str(target) + 'x':>8} {m_engine / 1024:11.1f} {m_other / 1024:10.1f}  ({other}){mark}")
        if args.only in (None, "names"):
            small, large = [row[3] for row in rows if row[0].startswith("set+del")]
            print(f"set+del, 10x the names: engine {large[0][0] / small[0][0]:.1f}x the time,"
                  f" tclsh {large[1][0] / small[1][0]:.1f}x (target: linear, about 10x)")
        if args.only in (None, "startup"):
            startup_mib = rows[-1][3][0][1] / 1024
            print(f"peak memory at start-up: {startup_mib:.1f} MiB (target <= 4 MiB)")
    finally:
        shutil.rmtree(base)


if __name__ == "__main__":
    main()
