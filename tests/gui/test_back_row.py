"""End-to-end: the back row. Ctrl+= twice makes the window's text larger (the event total
takes more ink) and F5 turns presentation mode on (the first character's list line takes
the colour-blind-safe palette's orange); both are kept in the settings file, and the
editor started again opens with them; Ctrl+0 gives the usual size back."""

import os

from qmgui import (check, count_colour, program_path, run_checks, start_editor, temp_folder,
                   wait_for, write_comb_file)

PROGRAM = program_path()
FOLDER = temp_folder()
TAXA = 4
DATA = write_comb_file(FOLDER, TAXA)
HOME = temp_folder()  # the settings folder, shared by both runs
SETTINGS = os.path.join(HOME, "config", "quillmoor", "settings")
ORANGE = (230, 159, 0)  # the palette's first colour, the first character's in presentation
LISTS = (0, 0, 40, 40)  # the character list at the top left, percent
TOTAL = (0, 90, 45, 100)  # the event total's line


def read(path):
    return open(path).read() if os.path.exists(path) else ""


def ink(editor):
    return count_colour(editor, (0, 0, 0), TOTAL, tolerance=60)


def larger_text_and_presentation_are_kept():
    editor = start_editor(PROGRAM, [DATA], taxa=TAXA, home=HOME)
    try:
        wait_for(lambda: count_colour(editor, (255, 255, 255), TOTAL) > 10000, "no first frame")
        usual = ink(editor)
        check(usual > 0, "no event total drawn")
        check(count_colour(editor, ORANGE, LISTS) == 0, "the palette before presentation mode")
        editor.press_keys("ctrl+equal", "ctrl+equal")
        wait_for(lambda: "text-size = 125\n" in read(SETTINGS), "text size kept at 125 %")
        wait_for(lambda: ink(editor) > usual * 1.3, "the event total did not grow")
        editor.press_keys("F5")
        wait_for(lambda: "presentation = on\n" in read(SETTINGS), "presentation mode kept")
        wait_for(lambda: count_colour(editor, ORANGE, LISTS) > 20, "no legend in the palette")
    finally:
        editor.stop()

    editor = start_editor(PROGRAM, [DATA], taxa=TAXA, home=HOME)
    try:
        wait_for(lambda: count_colour(editor, ORANGE, LISTS) > 20, "presentation not read back")
        grown = ink(editor)
        check(grown > usual * 1.3, f"text size not read back ({grown} against {usual})")
        editor.press_keys("ctrl+0")
        wait_for(lambda: "text-size = 100\n" in read(SETTINGS), "Ctrl+0 not kept")
        wait_for(lambda: ink(editor) < grown, "Ctrl+0 did not shrink the text")
    finally:
        editor.stop()


if __name__ == "__main__":
    raise SystemExit(run_checks([
        ("larger text and presentation mode are kept", larger_text_and_presentation_are_kept),
    ]))
