"""End-to-end: a killed editor gives the tree back. After a move the editor is killed
(SIGKILL); started again on the same data file, it lists the recovered tree after the
file's own, says so on stderr and on the message line, and Ctrl+Z gives the file's tree.
The parsimony panel switched on is kept in the settings file. After another move, Ctrl+Q asks "Save the tree first?": Escape keeps the editor running,
Don't save ends it and removes the recovery file."""

import os
import signal

from qmgui import (CONNECTING_LINE, MESSAGE_BOX, check, count_colour, program_path,
                   run_checks, shape, start_editor, temp_folder, wait_for, write_comb_file)

PROGRAM = program_path()
FOLDER = temp_folder()
TAXA = 4
DATA = write_comb_file(FOLDER, TAXA)
HOME = temp_folder()  # the editor's settings and state folders, shared by both runs
STATE = os.path.join(HOME, "state", "quillmoor")
SETTINGS = os.path.join(HOME, "config", "quillmoor", "settings")


def read(path):
    return open(path).read() if os.path.exists(path) else ""


def recovery_files():
    return [name for name in os.listdir(STATE) if name.endswith(".recovery")] \
        if os.path.isdir(STATE) else []


def move(editor, keys):
    """Presses a key that moves a node; returns the listing it gives."""
    tree = editor.tree
    editor.press_keys(keys)
    editor.expect_line(CONNECTING_LINE.format(
        tree.path("rr" if keys == "2" else "ll"), tree.root))
    editor.tree = editor.read_listing()
    return editor.tree


def killed_editor_gives_the_tree_back():
    editor = start_editor(PROGRAM, [DATA], taxa=TAXA, home=HOME)
    try:
        loaded = editor.tree = editor.read_listing()
        moved = move(editor, "2")
        wait_for(lambda: len(recovery_files()) == 1, "recovery file after the move")
        os.kill(editor.process.pid, signal.SIGKILL)
        check(editor.wait() == -signal.SIGKILL, "the editor was not killed")
    finally:
        editor.stop()

    editor = start_editor(PROGRAM, [DATA], taxa=TAXA, home=HOME)
    try:
        check(shape(editor.read_listing()) == shape(loaded), "the data file's tree came first")
        editor.tree = editor.read_listing()
        check(shape(editor.tree) == shape(moved), f"recovered {editor.tree.lines}")
        told = f"quillmoor: {DATA}: Recovered the unsaved tree (1 change); " \
               "Ctrl+Z gives the file's tree"
        wait_for(lambda: told in editor.err, "recovery told on stderr")
        wait_for(lambda: count_colour(editor, MESSAGE_BOX, (30, 5, 90, 11)) > 2000,
                 "message line of the recovery")
        editor.press_keys("ctrl+z")
        editor.tree = editor.read_listing()
        check(shape(editor.tree) == shape(loaded), "Ctrl+Z did not give the file's tree")
        wait_for(lambda: not recovery_files(), "end of the recovery file at the file's tree")
        editor.press_keys("p")  # a setting changed is written at once
        wait_for(lambda: "parsimony-panel = on\n" in read(SETTINGS), "panel kept in the settings")

        move(editor, "2")
        wait_for(lambda: len(recovery_files()) == 1, "recovery file after the second move")
        editor.press_keys("ctrl+q")
        editor.answer_question("Escape")  # Cancel: the editor runs on
        move(editor, "1")
        editor.press_keys("ctrl+q")
        editor.answer_question("alt+d")  # Don't save
        check(editor.wait() == 0, f"Don't save ended with an error: {editor.err[-5:]}")
        check(not recovery_files(), f"Don't save left {recovery_files()}")
    finally:
        editor.stop()


if __name__ == "__main__":
    raise SystemExit(run_checks([
        ("a killed editor gives the tree back", killed_editor_gives_the_tree_back),
    ]))
