"""End-to-end, as a teacher tries a lesson: a broken file named on the command line is
told once on stderr and on the window's message line; press, drag and release drops a
node; Ctrl+Z and Ctrl+Y give back each listing byte for byte; Ctrl+1 runs nothing; Escape
puts a picked node down; F1 shows the help until the next key."""

import os
import time

from qmgui import (CONNECTING_LINE, MESSAGE_BOX, TestFailure, check, count_colour,
                   program_path, run_checks, start_editor, temp_folder, write_comb_file,
                   xdotool)

PROGRAM = program_path()
FOLDER = temp_folder()
TAXA = 4
DATA = write_comb_file(FOLDER, TAXA)
BROKEN = os.path.join(FOLDER, "broken.csv")
with open(BROKEN, "w") as out:
    out.write("Broken\nx,x,A,B,UNUSED,UNUSED\n1,Size,small\n")

HELP_BOX = (247, 247, 255)     # the help overlay's box


def wait_for(condition, what, timeout=20.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if condition():
            return
        time.sleep(0.2)
    raise TestFailure(f"{what} within {timeout}s")


def broken_file_is_told_on_the_message_line():
    editor = start_editor(PROGRAM, [BROKEN])
    try:
        area = (42, 5, 84, 11)
        wait_for(lambda: count_colour(editor, MESSAGE_BOX, area) > 2000, "no message box")
        dark = count_colour(editor, (90, 0, 0), area, tolerance=60)
        check(dark > 50, f"the message box holds no text ({dark} dark pixels)")
        reports = [line for line in editor.err if line.startswith("quillmoor:")]
        check(len(reports) == 1 and BROKEN + ":3:" in reports[0], f"stderr {editor.err}")
        editor.expect_quiet(0.5)  # and nothing on stdout
    finally:
        editor.stop()


def drag_undo_redo_escape_and_help():
    editor = start_editor(PROGRAM, [DATA], taxa=TAXA)
    try:
        loaded = editor.read_listing()
        pos = loaded.positions(TAXA)
        moved, target = loaded.leaf("T3"), loaded.leaf("T0")
        (rx, ry), (tx, ty) = pos[loaded.root], pos[target]
        middle = editor.pixel((rx + tx) / 2, (ry + ty) / 2)
        editor.move_to(*pos[moved])
        xdotool("mousedown", 1)
        for step in range(1, 6):  # motion with the button held aims, as passive motion does
            sx, sy = editor.pixel(*pos[moved])
            xdotool("mousemove", "--window", editor.window(),
                    sx + (middle[0] - sx) * step // 5, sy + (middle[1] - sy) * step // 5)
        xdotool("mouseup", 1)
        editor.expect_line(CONNECTING_LINE.format(moved, target))
        dropped = editor.read_listing()
        check(dropped.parent[moved] == dropped.parent[target], "not dropped next to T0")

        editor.press_keys("ctrl+z")
        check(editor.read_listing().lines == loaded.lines, "undo did not give back the listing")
        editor.press_keys("ctrl+y")
        check(editor.read_listing().lines == dropped.lines, "redo did not give back the listing")
        # Caps Lock is no Shift: Ctrl+Z still undoes; a real Shift key makes it redo.
        editor.press_keys("Caps_Lock", "ctrl+z", "Caps_Lock")
        check(editor.read_listing().lines == loaded.lines, "Ctrl+Z with Caps Lock did not undo")
        editor.press_keys("ctrl+shift+z")
        check(editor.read_listing().lines == dropped.lines, "Ctrl+Shift+Z did not redo")
        editor.press_keys("ctrl+1", "ctrl+2")
        editor.expect_quiet(1.0)

        # Escape puts the picked node down: aiming at a branch and clicking then drops nothing.
        pos = dropped.positions(TAXA)
        editor.click(*pos[dropped.leaf("T1")])
        editor.press_keys("Escape")
        (px, py), (tx, ty) = pos[dropped.parent[target]], pos[target]
        editor.move_to((px + tx) / 2, (py + ty) / 2)
        editor.click((px + tx) / 2, (py + ty) / 2)
        editor.expect_quiet(1.0)

        everywhere = (10, 10, 90, 90)
        editor.press_keys("F1")
        wait_for(lambda: count_colour(editor, HELP_BOX, everywhere) > 100000, "no help shown")
        editor.press_keys("2")  # closes the help, and does nothing else
        wait_for(lambda: count_colour(editor, HELP_BOX, everywhere) < 1000, "the help stayed")
        editor.expect_quiet(1.0)
    finally:
        editor.stop()


if __name__ == "__main__":
    raise SystemExit(run_checks([
        ("a broken file is told on the message line", broken_file_is_told_on_the_message_line),
        ("drag, undo, redo, Ctrl+digit, Escape and help", drag_undo_redo_escape_and_help),
    ]))
