"""End-to-end: start-up (window, size, first listing) and a clean close (status 0, also
in the sanitizer build), --help and --version without a display, and the 4:3 rule when
the window is resized from outside."""

import os
import subprocess

from qmgui import check, geometry, program_path, run_checks, stable_size, start_editor, xdotool

PROGRAM = program_path()


def info_options_need_no_display():
    env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
    for option, expected in (("--help", "Usage: quillmoor"), ("--version", "quillmoor ")):
        result = subprocess.run([PROGRAM, option], env=env, capture_output=True, text=True,
                                timeout=20)
        check(result.returncode == 0, f"{option} exited with {result.returncode}")
        check(result.stdout.startswith(expected), f"{option} printed {result.stdout[:60]!r}")
    result = subprocess.run([PROGRAM, "--no-such-option"], env=env, capture_output=True,
                            text=True, timeout=20)
    check(result.returncode == 2, f"an unknown option exited with {result.returncode}")
    check("--no-such-option" in result.stderr, "the unknown option is not named on stderr")


def startup_window_and_listing():
    editor = start_editor(PROGRAM)
    try:
        check(editor.startup.lines == ["Node 0:  ROOT End -> Unused"],
              f"start-up listing {editor.startup.lines}")
        x, y, width, height = geometry(editor.window())
        check((width, height) == (800, 600), f"window is {width} x {height}")
        check((x, y) == (10, 10), f"window is at ({x}, {y})")
        editor.expect_quiet(0.5)
        editor.close()
    finally:
        editor.stop()


def reshape_holds_four_to_three():
    editor = start_editor(PROGRAM)
    try:
        wid = editor.window()
        cases = [
            ((1000, 600), (800, 600)),  # too wide
            ((800, 900), (800, 600)),   # too tall
            # 801 x 601 becomes 801 x 600 (600.75 truncated); GLUT reports that size
            # back, and 801 x 600 is too wide: 800 x 600.
            ((801, 601), (800, 600)),
            ((800, 600), (800, 600)),   # exact 4:3 stays
            ((1000, 601), (800, 600)),  # 801 x 601, then 801 x 600, then 800 x 600
            ((400, 400), (400, 300)),   # smaller windows keep 4:3 too
            ((1200, 900), (1200, 900)),
        ]
        for requested, expected in cases:
            xdotool("windowsize", wid, *requested)
            got = stable_size(wid)
            check(got == expected, f"resized to {requested}, the window became {got}, "
                                   f"not {expected}")
        check(editor.process.poll() is None, "the editor ended while being resized")
    finally:
        editor.stop()


if __name__ == "__main__":
    raise SystemExit(run_checks([
        ("--help and --version without a display", info_options_need_no_display),
        ("start-up window and listing", startup_window_and_listing),
        ("reshape holds 4:3", reshape_holds_four_to_three),
    ]))
