#!/usr/bin/env python3
"""Whole-program figures of the editor under Xvfb: time from start to the mapped window,
idle CPU over 5 s with a 19 x 19 matrix loaded, and resident memory; each the median of
5 runs, for the event-driven loop, the continuous loop (--continuous) and a bare freeglut
window; and idle CPU while a refused file's message is on the message line and after it
has expired (about 8 s). Run it under a display of its own:

    tests/support/with-xvfb.sh python3 bench/window_figures.py build/bin
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

RUNS = 5
IDLE_SECONDS = 5.0
SETTLE_SECONDS = 1.0
TICKS = os.sysconf("SC_CLK_TCK")


def write_matrix(path, taxa=19, characters=19):
    with open(path, "w") as f:
        f.write("Benchmark matrix\n")
        f.write("x,x," + ",".join(f"T{t}" for t in range(taxa)) + ",UNUSED,\n")
        for c in range(characters):
            # Every taxon its own state, so every branch carries changes.
            f.write(f"{c},C{c}," + ",".join(f"s{(t * (c + 3)) % taxa}" for t in range(taxa)) + "\n")
        f.write(f"{characters},UNUSED\n")


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS  # utime + stime


def rss_kib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def one_run(bindir, title, argv, settle=SETTLE_SECONDS):
    out = subprocess.run([os.path.join(bindir, "time_to_window"), title] + argv,
                         capture_output=True, text=True, check=True, cwd=bindir)
    ms, pid = out.stdout.split()
    pid = int(pid)
    try:
        time.sleep(settle)
        before = cpu_seconds(pid)
        time.sleep(IDLE_SECONDS)
        idle = (cpu_seconds(pid) - before) / IDLE_SECONDS * 100.0
        rss = rss_kib(pid)
    finally:
        os.kill(pid, 15)  # not our child (time_to_window started it): wait for it to go
        while os.path.exists(f"/proc/{pid}") and "Z" not in open(f"/proc/{pid}/stat").read().split(")")[1][:3]:
            time.sleep(0.05)
    return float(ms), idle, rss


def main():
    bindir = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build/bin")
    with tempfile.TemporaryDirectory() as tmp:
        # Settings and recovery files of the runs' own, never the user's.
        os.environ["XDG_CONFIG_HOME"] = os.path.join(tmp, "config")
        os.environ["XDG_STATE_HOME"] = os.path.join(tmp, "state")
        data = os.path.join(tmp, "m19.csv")
        write_matrix(data)
        broken = os.path.join(tmp, "broken.csv")
        with open(broken, "w") as f:
            f.write("Broken\nx,x,A,B,UNUSED,UNUSED\n1,Size,small\n")
        editor = os.path.join(bindir, "quillmoor")
        cases = [
            ("event-driven loop", "Quillmoor", [editor, data], SETTLE_SECONDS),
            ("continuous loop", "Quillmoor", [editor, "--continuous", data], SETTLE_SECONDS),
            ("bare freeglut window", "Bare", [os.path.join(bindir, "bare_glut_window")],
             SETTLE_SECONDS),
            ("message shown", "Quillmoor", [editor, broken], SETTLE_SECONDS),
            ("message expired", "Quillmoor", [editor, broken], 9.0),
        ]
        print(f"| program | time to window (ms) | idle CPU over {IDLE_SECONDS:.0f} s (% of a core) | resident memory (MiB) |")
        print("|---|---|---|---|")
        for name, title, argv, settle in cases:
            runs = [one_run(bindir, title, argv, settle) for _ in range(RUNS)]
            t = statistics.median(r[0] for r in runs)
            c = statistics.median(r[1] for r in runs)
            m = statistics.median(r[2] for r in runs) / 1024.0
            print(f"| {name} | {t:.1f} | {c:.1f} | {m:.1f} |", flush=True)


if __name__ == "__main__":
    main()
