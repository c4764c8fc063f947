"""End-to-end: the "Open File" button opens the file chooser; a typed path loads, a bare
name gets ".csv", cancelling or naming a missing file changes nothing; a data file named
on the command line is loaded after the start-up listing, and one that cannot be loaded
is reported on stderr while the editor opens empty."""

import os

from qmgui import (CONNECTING_LINE, TestFailure, check, find_window, focus, key, program_path,
                   run_checks, start_editor, temp_folder, type_text, wait_for, wait_viewable,
                   window_gone, write_comb_file)

PROGRAM = program_path()
FOLDER = temp_folder()
DIALOG = "^Pick a Data File$"
FOUR = write_comb_file(FOLDER, 4)
THREE = write_comb_file(FOLDER, 3)
BARE_FOLDER = os.path.join(FOLDER, "bare")
os.mkdir(BARE_FOLDER)
FIVE = write_comb_file(BARE_FOLDER, 5, "five.csv")

# "Open File" sits near the top-right corner (from about 83 % across when its label is
# too wide to start at 90 %) and 1 % down, with a text size of 5 % of the height.
BUTTON_PIXEL = (740, 20)


def open_dialog(editor):
    editor.click_pixel(*BUTTON_PIXEL)
    dialog = find_window(DIALOG)
    wait_viewable(dialog)  # the location entry is filled before the window maps
    focus(dialog)
    return dialog


def type_path(path):
    """Replaces the chooser's location entry (which proposes "Data.csv") with path."""
    key("ctrl+a")
    type_text(path)


def cancel_dialog(dialog):
    """Escape cancels the dialog. A freshly started GTK (slow under the sanitizers) may
    not take keys yet, so focus and Escape are sent again until it goes, for a while."""
    for _ in range(10):
        focus(dialog)
        key("Escape")
        if window_gone(DIALOG, timeout=2.0):
            return
    raise TestFailure("Escape did not cancel the dialog")


def close_and_expect_unchanged(editor, told=None):
    """The dialog is gone, nothing was listed (only `told` was said, if given), and key '2'
    still works on the old tree. The editor runs on without touching GTK, so a dialog left
    on screen would stay there."""
    check(window_gone(DIALOG), "the dialog stayed open")
    if told is not None:
        editor.expect_line(told)
    editor.expect_quiet(1.0)
    tree = editor.tree
    editor.press_keys("2")
    editor.expect_line(CONNECTING_LINE.format(tree.path("rr"), tree.root))
    editor.tree = editor.read_listing()
    check(sorted(editor.tree.name.values()) == ["T0", "T1", "T2", "T3"],
          "the old taxa are gone")


def open_four():
    editor = start_editor(PROGRAM, [FOUR], taxa=4)
    editor.tree = editor.read_listing()
    return editor


def cancel_changes_nothing():
    editor = open_four()
    try:
        cancel_dialog(open_dialog(editor))
        close_and_expect_unchanged(editor)
        # With GTK loaded, too, a close ends with status 0; the move made above asks first.
        editor.close(answer="alt+d")
    finally:
        editor.stop()


def missing_file_changes_nothing():
    editor = open_four()
    try:
        open_dialog(editor)
        missing = os.path.join(FOLDER, "no-such-file.csv")
        type_path(missing)
        key("Return")
        close_and_expect_unchanged(editor, f"cannot open {missing}")
    finally:
        editor.stop()


def typed_path_loads():
    editor = open_four()
    try:
        open_dialog(editor)
        type_path(THREE)
        key("Return")
        tree = editor.read_listing()
        check(sorted(tree.name.values()) == ["T0", "T1", "T2"], f"listing {tree.lines}")
        check(window_gone(DIALOG), "the dialog stayed open")
        # A second click opens the dialog again: the press was consumed once.
        editor.expect_quiet(1.0)
        cancel_dialog(open_dialog(editor))
    finally:
        editor.stop()


def bare_name_gets_csv():
    editor = open_four()
    try:
        open_dialog(editor)
        type_path(os.path.join(BARE_FOLDER, "five"))
        key("Delete")  # drops any completion the entry offers, so only the name is sent
        key("Return")
        tree = editor.read_listing()
        check(len(tree.name) == 5, f"listing {tree.lines}")
    finally:
        editor.stop()


def command_line_file_follows_startup_listing():
    editor = start_editor(PROGRAM, [THREE], taxa=3)
    try:
        check(editor.startup.lines == ["Node 0:  ROOT End -> Unused"],
              f"start-up listing {editor.startup.lines}")
        tree = editor.read_listing()
        check(tree.root == 1 and sorted(tree.name.values()) == ["T0", "T1", "T2"],
              f"loaded listing {tree.lines}")
        check(editor.err == [] or all("quillmoor:" not in line for line in editor.err),
              f"stderr {editor.err}")
    finally:
        editor.stop()


def command_line_file_that_cannot_load():
    missing = os.path.join(FOLDER, "missing.csv")
    broken = os.path.join(FOLDER, "broken.csv")
    with open(broken, "w") as out:
        out.write("Broken\nx,x,A,B,UNUSED,UNUSED\n1,Size,small\n")
    for path in (missing, broken):
        editor = start_editor(PROGRAM, [path])
        try:
            # No second listing: the editor stays on the empty start-up tree. (The
            # reader itself may name the problem on the console.) The report on stderr
            # comes after the attempt.
            wait_for(lambda: any(line.startswith("quillmoor:") for line in editor.err),
                     "a report on stderr")
            while not editor.out.empty():
                line = editor.out.get()
                check("Node" not in line, f"{path} gave a listing: {line!r}")
            reports = [line for line in editor.err if line.startswith("quillmoor:")]
            check(len(reports) == 1 and path in reports[0],
                  f"stderr for {path}: {editor.err}")
            check(editor.process.poll() is None, "the editor did not stay open")
        finally:
            editor.stop()


if __name__ == "__main__":
    raise SystemExit(run_checks([
        ("cancel changes nothing", cancel_changes_nothing),
        ("a missing typed file changes nothing", missing_file_changes_nothing),
        ("a typed path loads", typed_path_loads),
        ("a bare name gets .csv", bare_name_gets_csv),
        ("a command-line file follows the start-up listing",
         command_line_file_follows_startup_listing),
        ("a command-line file that cannot load", command_line_file_that_cannot_load),
    ]))
