#!/usr/bin/env python3
"""Zip pack costs: mounting a pack of 100,000 entries, exec of the 1M-line
benchmark script from a stored and from a deflated entry against the same
script as a plain file, and opening a name through 20 packs against one.

The packs are made with Python's zipfile module in a temporary directory;
bench/pack_bench (built with the engine's objects) measures inside the
process, the exec runs time the whole engine process as make compare does.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import compare  # noqa: E402  (the same script, runner and medians)


def engine_dir(base, name, script, how):
    """A data directory whose init.cfg runs work.cfg: a plain file, or an
    entry of work.zip stored or deflated."""
    directory = os.path.join(base, name)
    data = os.path.join(directory, "data")
    os.makedirs(data)
    with open(os.path.join(data, "init.cfg"), "w") as f:
        f.write("exec work.cfg\n")
    if how is None:
        with open(os.path.join(data, "work.cfg"), "w") as f:
            f.write(script)
    else:
        with zipfile.ZipFile(os.path.join(data, "work.zip"), "w", how) as pack:
            pack.writestr("work.cfg", script)
    return directory


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--engine", required=True)
    parser.add_argument("--bench", required=True)
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--entries", type=int, default=100_000)
    args = parser.parse_args()
    engine, bench = os.path.abspath(args.engine), os.path.abspath(args.bench)

    base = tempfile.mkdtemp(prefix="varnholt-packs-")
    try:
        big = os.path.join(base, "big.zip")
        with zipfile.ZipFile(big, "w", zipfile.ZIP_STORED) as pack:
            for i in range(args.entries):
                pack.writestr(f"textures/wall{i // 1000:03d}/w{i:06d}.tga", b"x")
        subprocess.run([bench, "mount", big], check=True)
        print("  (targets: <= 50 ms, <= 100 bytes per entry)")

        for count in (1, 20):
            directory = os.path.join(base, f"packs{count}")
            os.makedirs(directory)
            for p in range(count):
                with zipfile.ZipFile(os.path.join(directory, f"p{p:02d}.zip"), "w") as pack:
                    for i in range(1000):
                        pack.writestr(f"maps/p{p}_{i}.cfg", "echo\n")
            # The name lies in the pack searched last.
            subprocess.run([bench, "open", directory, "maps/p0_500.cfg", "20000"], check=True)
        print("  (target: 20 packs cost about what one does)")

        engine_lines, printed = [], []
        for line, _, out in compare.script_lines(1_000_000):
            engine_lines.append(line)
            if out is not None:
                printed.append(out)
        script = "\n".join(engine_lines) + "\nquit\n"
        expected = "".join(line + "\n" for line in printed) + "Closing file system...\n"
        plans = [("plain file", None), ("stored entry", zipfile.ZIP_STORED), ("deflated entry", zipfile.ZIP_DEFLATED)]
        commands = []
        for label, how in plans:
            directory = engine_dir(base, label.replace(" ", "_"), script, how)
            compare.check(f"engine, {label}", [engine], directory, expected, base)
            commands.append(([engine], directory))
        # Files just written would be flushed to the disk while they are timed.
        os.sync()
        results = compare.median_runs(commands, args.rounds, "/dev/null", base)
        plain = results[0][0]
        for (label, _), (seconds, kib), target in zip(plans, results, (None, 1.1, 1.5)):
            limit = f"<= {target}x" if target else ""
            print(f"exec of 1M lines, {label:15} {seconds * 1000:8.1f} ms {seconds / plain:6.2f}x {limit:>8}"
                  f" {kib / 1024:6.1f} MiB")
    finally:
        shutil.rmtree(base)


if __name__ == "__main__":
    main()
