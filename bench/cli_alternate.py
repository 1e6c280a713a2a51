#!/usr/bin/env python3
"""The whole video command of bench/cli_threads.sh, for two or more builds side by side.

    bench/cli_alternate.py VIDEO ROUNDS CLI [CLI...]

Each round runs every build on one thread and then on two, one run each, so that a slow minute
of a shared machine falls on all of them alike (hyperfine runs each command's runs one after the
other). After one warm-up round, prints each build's medians over ROUNDS rounds and their ratio,
then checks that every build wrote, on both thread counts, the bytes of the first on one.
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time


def command(cli, video, threads, out):
    return [cli, "--threads", str(threads), "enhance", video, "--max-size", "1440x1152",
            "--proportional", "false", "--quiet", "-o", out]


if len(sys.argv) < 4:
    sys.exit(__doc__.strip())
video, rounds, clis = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
with tempfile.TemporaryDirectory() as tmp:
    def output(build, threads):
        return os.path.join(tmp, f"build{build}_threads{threads}.bmp")

    times = {(b, t): [] for b in range(len(clis)) for t in (1, 2)}
    for round_ in range(rounds + 1):
        for b, cli in enumerate(clis):
            for t in (1, 2):
                start = time.perf_counter()
                subprocess.run(command(cli, video, t, output(b, t)), check=True)
                if round_ > 0:
                    times[(b, t)].append((time.perf_counter() - start) * 1000)
    for b, cli in enumerate(clis):
        one, two = (statistics.median(times[(b, t)]) for t in (1, 2))
        print(f"{cli}: 1 thread {one:.0f} ms, 2 threads {two:.0f} ms, ratio {one / two:.2f}")
    with open(output(0, 1), "rb") as first:
        expected = first.read()
    for b, cli in enumerate(clis):
        for t in (1, 2):
            with open(output(b, t), "rb") as written:
                if written.read() != expected:
                    sys.exit(f"{cli} on {t} thread(s) wrote other bytes than {clis[0]} on one")
    load = " ".join(f"{x:.2f}" for x in os.getloadavg())
    print(f"the same bytes from every build on 1 and 2 threads; load average {load}")
