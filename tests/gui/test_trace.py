"""End-to-end, as a teacher traces characters on the vertebrate example's start comb: 't'
colours the branches by Jaws (the Shark's branch blue, "present"), the right arrow goes
on to Bony skeleton (the Shark's branch orange, "absent"), Escape gives the branches back
their dark red, and a click on the "Hair" line of the ancestral list traces Hair (the
Mouse's branch blue). Every step waits for the window to show it."""

import os

from qmgui import (check, program_path, run_checks, start_editor, wait_for, window_pixels)

PROGRAM = program_path()
EXAMPLE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "examples",
                       "vertebrates.csv")
TAXA = 7

ORANGE, BLUE = (230, 159, 0), (0, 114, 178)  # the trace's first two state colours
PLAIN = (128, 0, 0)                          # the editor's dark red branch


def colour_at(editor, x, y):
    width, height, pixels = window_pixels(editor.window())
    px, py = editor.pixel(x, y)
    return tuple(pixels[(py * width + px) * 3:(py * width + px) * 3 + 3])


def near(got, rgb, tolerance=30):
    return all(abs(g - w) <= tolerance for g, w in zip(got, rgb))


def wait_colour(editor, where, rgb, what):
    seen = []

    def shown():
        seen[:] = [colour_at(editor, *where)]
        return near(seen[0], rgb)

    try:
        wait_for(shown, f"{what} in {rgb}")
    except Exception:
        check(False, f"{what}: {seen[0] if seen else None} in place of {rgb}")


def trace_with_keys_and_a_click():
    editor = start_editor(PROGRAM, [EXAMPLE], taxa=TAXA)
    try:
        tree = editor.read_listing()
        pos = tree.positions(TAXA)

        def branch_middle(name):
            leaf = tree.leaf(name)
            (px, py), (lx, ly) = pos[tree.parent[leaf]], pos[leaf]
            # Off the middle, where a change marker of the editor's rule may stand.
            return px + (lx - px) * 0.8, py + (ly - py) * 0.8

        shark, mouse = branch_middle("Shark"), branch_middle("Mouse")
        wait_colour(editor, shark, PLAIN, "the Shark's branch before a trace")
        editor.press_keys("t")
        wait_colour(editor, shark, BLUE, "Jaws on the Shark's branch")
        editor.press_keys("Right")
        wait_colour(editor, shark, ORANGE, "Bony skeleton on the Shark's branch")
        editor.press_keys("Escape")
        wait_colour(editor, shark, PLAIN, "the Shark's branch after Escape")

        # "Hair: absent", the seventh line of the ancestral list: size 4 from 4 percent down.
        width, height = editor.size()
        editor.click_pixel(round(0.05 * width), round(0.30 * height))
        wait_colour(editor, mouse, BLUE, "Hair on the Mouse's branch")
        wait_colour(editor, shark, ORANGE, "Hair on the Shark's branch")
        editor.expect_quiet(0.5)  # a trace changes no tree: nothing is listed
    finally:
        editor.stop()


if __name__ == "__main__":
    raise SystemExit(run_checks([("trace with the keys and a click on a line",
                                  trace_with_keys_and_a_click)]))
