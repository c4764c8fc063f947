#!/usr/bin/env python3
"""Time of a picture made from the command line, from the process's start to its exit:
`quillmoor --export OUT DATA` of a 19 x 19 matrix as SVG, PNG and PDF with no display
(DISPLAY unset), each the median of 15 runs after one unmeasured run; wall clock and the
CPU time of the process (user + system). Needs no X server:

    python3 bench/export_figures.py build/bin/quillmoor
"""
import os
import resource
import statistics
import subprocess
import sys
import tempfile

from window_figures import write_matrix  # the same 19 x 19 matrix as the window figures
import time

RUNS = 15
ENV = {k: v for k, v in os.environ.items() if k != "DISPLAY"}


def one_run(program, picture, data):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    subprocess.run([program, "--export", picture, data], env=ENV, check=True)
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return wall, cpu


def main():
    program = os.path.abspath(sys.argv[1])
    with tempfile.TemporaryDirectory() as folder:
        data = os.path.join(folder, "m19.csv")
        write_matrix(data)
        print("| format | wall, start to exit (ms) | CPU (ms) | file size (KiB) |")
        print("|---|---|---|---|")
        for extension in ("svg", "png", "pdf"):
            picture = os.path.join(folder, "tree." + extension)
            one_run(program, picture, data)
            runs = [one_run(program, picture, data) for _ in range(RUNS)]
            wall = statistics.median(r[0] for r in runs) * 1000
            cpu = statistics.median(r[1] for r in runs) * 1000
            size = os.path.getsize(picture) / 1024
            print(f"| {extension.upper()} | {wall:.1f} | {cpu:.1f} | {size:.0f} |")


if __name__ == "__main__":
    main()
