"""End-to-end: the colours of the drawing, read back from the real program's window on a
known three-taxon matrix: the root's disc, a plain disc, a picked (cyan) disc and its grey
branch, an orange drop-target branch, a marker in its character's colour, black label
pixels beside a leaf, the dark red root stem and the indicator's blue mark."""

import os
import time

from qmgui import check, program_path, run_checks, start_editor, temp_folder, window_pixels

PROGRAM = program_path()
FOLDER = temp_folder()
TAXA = 3

# Character 0 never changes. Character 1 scores 0, 0, 1: the root and the inner node keep
# 0 and the one event lies on the branch into t2, drawn in character 1's red (0.9, 0, 0).
DATA = os.path.join(FOLDER, "colours.csv")
with open(DATA, "w") as out:
    out.write("Colours\nid,name,t0,t1,t2,UNUSED,UNUSED\n"
              "1,Body,long,long,long\n"
              "2,Spines,none,none,many\n"
              "3,UNUSED\n")

# Tree positions of the initial comb root(t0, I(t1, t2)).
ROOT, T0, INNER, T1, T2 = (0, 0), (2, -1), (1, 0.5), (2, 0), (2, 1)


def grab(editor, where, rgb):
    """The window's pixels as rows of (r, g, b), read once the frame with the latest input
    shows: the pixel at tree position `where` is about rgb (or after 10 s; the checks say)."""
    deadline = time.monotonic() + 10
    while True:
        width, height, pixels = window_pixels(editor.window())
        image = [[tuple(pixels[(y * width + x) * 3:(y * width + x) * 3 + 3]) for x in range(width)]
                 for y in range(height)]
        if near(at(image, editor, *where), rgb) or time.monotonic() > deadline:
            return image


def near(got, rgb, tolerance=40):
    return all(abs(g - w) <= tolerance for g, w in zip(got, rgb))


def at(image, editor, x, y):
    px, py = editor.pixel(x, y)
    return image[py][px]


def expect_colour(image, editor, where, what, rgb, tolerance=40):
    got = at(image, editor, *where)
    check(near(got, rgb, tolerance), f"{what} at {where}: expected about {rgb}, got {got}")


def colours():
    editor = start_editor(PROGRAM, [DATA], taxa=TAXA)
    try:
        editor.read_listing()
        image = grab(editor, ROOT, (255, 255, 0))
        expect_colour(image, editor, ROOT, "root disc centre", (255, 255, 0))
        expect_colour(image, editor, T1, "plain disc centre", (0, 255, 0))
        expect_colour(image, editor, T0, "plain disc centre", (0, 255, 0))
        expect_colour(image, editor, (-0.6, 0), "root stem", (128, 0, 0))
        # The marker point, halfway along the branch from the inner node to t2.
        expect_colour(image, editor, (1.5, 0.75), "marker of character 1", (230, 0, 0))
        expect_colour(image, editor, (1.5, 0.25), "plain branch", (128, 0, 0))
        # t2's label starts 4 percent right of and above the leaf, 42 pixels high.
        px, py = editor.pixel(*T2)
        dark = sum(1 for y in range(py - 24, py + 18) for x in range(px + 32, px + 120)
                   if max(image[y][x]) < 80)
        check(dark > 100, f"only {dark} dark pixels where t2's label should be")
        expect_colour(image, editor, T2, "plain disc centre", (0, 255, 0))

        # Pick t1: cyan disc, grey branch from the inner node.
        editor.click(*T1)
        image = grab(editor, T1, (0, 255, 255))
        expect_colour(image, editor, T1, "picked disc centre", (0, 255, 255))
        expect_colour(image, editor, (1.5, 0.25), "picked node's branch", (179, 179, 179))
        expect_colour(image, editor, T2, "unpicked disc centre", (0, 255, 0))

        # Aim at t0's branch: orange, with the indicator's blue mark at its middle.
        editor.move_to(1.0, -0.5)
        image = grab(editor, (0.5, -0.25), (255, 128, 0))
        expect_colour(image, editor, (0.5, -0.25), "drop target's branch", (255, 128, 0))
        expect_colour(image, editor, (1.0, -0.5), "insertion mark", (0, 0, 255))
        expect_colour(image, editor, T1, "picked disc centre", (0, 255, 255))
    finally:
        editor.stop()


if __name__ == "__main__":
    raise SystemExit(run_checks([("colours read back from the window", colours)]))
