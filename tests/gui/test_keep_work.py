"""End-to-end: keeping the work. Ctrl+S saves the tree through the "Save Tree" chooser
(which proposes the data file's name) as Newick; Ctrl+E exports the picture through
"Export Picture"; the program started again on the data file and the saved tree lists
the same tree, and Ctrl+Z then goes back to the data file's own tree."""

import os
import re

from qmgui import (CONNECTING_LINE, check, find_window, focus, key, program_path, run_checks,
                   start_editor, temp_folder, type_text, wait_for, wait_viewable, window_gone,
                   write_comb_file)

PROGRAM = program_path()
FOLDER = temp_folder()
TAXA = 4
DATA = write_comb_file(FOLDER, TAXA)
TREE = os.path.join(FOLDER, "saved.nwk")
PICTURE = os.path.join(FOLDER, "picture.png")


def save_through(editor, keys, title, path):
    """Asks for a save chooser with keys, names path in it and waits for the file."""
    editor.press_keys(keys)
    dialog = find_window(f"^{title}$")
    wait_viewable(dialog)
    focus(dialog)
    key("ctrl+a")
    type_text(path)
    key("Return")
    check(window_gone(f"^{title}$"), f"the {title} chooser stayed open")
    wait_for(lambda: os.path.exists(path), f"{path} was not written")


def shape(tree, node=None):
    """The listed tree as nested pairs of taxon names, whatever the node numbers."""
    node = tree.root if node is None else node
    if node in tree.name:
        return tree.name[node]
    return (shape(tree, tree.left[node]), shape(tree, tree.right[node]))


def newick(tree, node=None):
    """The listed tree in Newick, without the closing ';'."""
    node = tree.root if node is None else node
    if node in tree.name:
        return tree.name[node]
    return f"({newick(tree, tree.left[node])},{newick(tree, tree.right[node])})"


def save_reopen_and_export():
    editor = start_editor(PROGRAM, [DATA], taxa=TAXA)
    try:
        loaded = editor.read_listing()
        editor.press_keys("2")
        editor.expect_line(CONNECTING_LINE.format(loaded.path("rr"), loaded.root))
        changed = editor.read_listing()
        save_through(editor, "ctrl+s", "Save Tree", TREE)
        with open(TREE) as saved:
            text = saved.read()
        # Other programs skip the comments that keep each internal node's states.
        check(re.sub(r"\[&[^]]*\]", "", text) == newick(changed) + ";\n",
              f"saved {text!r} for {changed.lines}")
        check(text.count("[&states=") == TAXA - 1, f"not every internal node's states: {text!r}")
        save_through(editor, "ctrl+e", "Export Picture", PICTURE)
        with open(PICTURE, "rb") as picture:
            check(picture.read(8) == b"\x89PNG\r\n\x1a\n", "the picture is not a PNG file")
        editor.expect_quiet(0.5)  # saving lists nothing
    finally:
        editor.stop()

    editor = start_editor(PROGRAM, [DATA, TREE], taxa=TAXA)
    try:
        check(shape(editor.read_listing()) == shape(loaded), "the data file's tree came first")
        reopened = editor.read_listing()
        check(shape(reopened) == shape(changed), f"reopened {reopened.lines}")
        editor.press_keys("ctrl+z")
        check(shape(editor.read_listing()) == shape(loaded), "undo did not give back the start")
    finally:
        editor.stop()


if __name__ == "__main__":
    raise SystemExit(run_checks([
        ("save, reopen and export", save_reopen_and_export),
    ]))
