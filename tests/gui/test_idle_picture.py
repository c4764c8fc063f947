"""End-to-end: drawing only on events shows the same picture as drawing continuously.
The same scripted sequence -- load a file from the command line, pick a leaf, aim at a
branch, hover over the change marker on that branch -- runs once in the normal editor and
once with --continuous, and the two windows must hold the same pixels. A stale frame in
the normal editor (an event that drew nothing) would show up as a difference."""

import os
import time

from qmgui import check, program_path, run_checks, start_editor, temp_folder, window_pixels

PROGRAM = program_path()
FOLDER = temp_folder()
TAXA = 4

# Comb root(T0, I1(T1, I2(T2, T3))): the states work out so that the branch from I1 at
# (1, 0.5) to I2 at (2, 1) carries exactly one change (Shape), its marker at the middle.
DATA = os.path.join(FOLDER, "four.csv")
with open(DATA, "w") as out:
    out.write("Idle picture\nx,x,T0,T1,T2,T3,UNUSED,\n"
              "1,Size,small,large,small,large\n"
              "2,Shape,round,round,flat,flat\n"
              "3,UNUSED\n")

T0 = (3, -1.5)
MARKER = (1.5, 0.75)  # also the middle of I2's branch: aims at I2 and hovers the marker


def run_sequence(extra_args):
    editor = start_editor(PROGRAM, [*extra_args, DATA], taxa=TAXA)
    try:
        editor.read_listing()  # the loaded tree
        editor.click(*T0)
        editor.move_to(*MARKER)
        # The last event's frame shows once the hover text does (or never: checked below).
        deadline = time.monotonic() + 10
        while True:
            picture = window_pixels(editor.window())
            if hover_text_pixels(*picture) > 20 or time.monotonic() > deadline:
                return picture
    finally:
        editor.stop()


def hover_text_pixels(width, height, pixels):
    """Pixels of more than one grey level in the right part of the bottom text line."""
    return sum(1 for y in range(int(height * 0.95) + 2, int(height * 0.95) + 20)
               for x in range(int(width * 0.6), width)
               if len(set(pixels[(y * width + x) * 3:(y * width + x) * 3 + 3])) > 1)


def same_picture():
    width, height, event_driven = run_sequence([])
    width2, height2, continuous = run_sequence(["--continuous"])
    check((width, height) == (width2, height2),
          f"window sizes differ: {width}x{height} and {width2}x{height2}")
    differing = sum(1 for i in range(0, len(event_driven), 3)
                    if event_driven[i:i + 3] != continuous[i:i + 3])
    check(differing == 0, f"{differing} pixels differ between the two loops")
    # The picture really shows the sequence: the hover text line is not blank.
    coloured = hover_text_pixels(width, height, event_driven)
    check(coloured > 20, f"no hover text on the bottom line ({coloured} coloured pixels)")


if __name__ == "__main__":
    raise SystemExit(run_checks([("same picture with and without continuous frames",
                                  same_picture)]))
