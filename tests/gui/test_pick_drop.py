"""End-to-end: pick a node, aim at a branch with the pointer, drop it there; put a node
down by pressing on empty space; the keys '1', '2', '3', 'f', 'c' and ignored keys."""

from qmgui import (CONNECTING_LINE, check, program_path, run_checks, start_editor,
                   temp_folder, write_comb_file)

PROGRAM = program_path()
FOLDER = temp_folder()
TAXA = 4
DATA = write_comb_file(FOLDER, TAXA)


def open_comb():
    """The editor on the four-taxon comb: root(T0, I1(T1, I2(T2, T3)))."""
    editor = start_editor(PROGRAM, [DATA], taxa=TAXA)
    editor.tree = editor.read_listing()
    check(len(editor.tree.name) == TAXA, f"loaded listing {editor.tree.lines}")
    return editor


def expect_connect(editor, moved, target):
    editor.expect_line(CONNECTING_LINE.format(moved, target))
    editor.tree = editor.read_listing()
    return editor.tree


def pick_aim_drop():
    editor = open_comb()
    try:
        tree = editor.tree
        pos = tree.positions(TAXA)
        moved, target = tree.leaf("T3"), tree.leaf("T0")
        editor.click(*pos[moved])
        # The middle of the branch from the root to T0.
        (rx, ry), (tx, ty) = pos[tree.root], pos[target]
        editor.move_to((rx + tx) / 2, (ry + ty) / 2)
        editor.click((rx + tx) / 2, (ry + ty) / 2)
        after = expect_connect(editor, moved, target)
        joined = after.parent[target]
        check(after.parent[moved] == joined, "the moved node is not the target's sibling")
        check(after.left[joined] == target and after.right[joined] == moved,
              "the target is not first and the moved node second")
        check(after.parent[joined] == after.root, "the new node is not in the target's place")
        check(len(after.name) == TAXA, "a taxon was lost")
        editor.expect_quiet(0.5)
    finally:
        editor.stop()


def press_on_empty_space_puts_the_node_down():
    editor = open_comb()
    try:
        tree = editor.tree
        pos = tree.positions(TAXA)
        moved, target = tree.leaf("T3"), tree.leaf("T0")
        editor.click(*pos[moved])
        # Nothing there: below and right of the leaves (a press on a character's line in
        # the lists, top and bottom left, traces the character and keeps the pick).
        editor.click(4.5, 1.9)
        (rx, ry), (tx, ty) = pos[tree.root], pos[target]
        editor.move_to((rx + tx) / 2, (ry + ty) / 2)
        editor.click((rx + tx) / 2, (ry + ty) / 2)
        editor.expect_quiet(1.0)
        # The editor still answers: the next output is that of a key.
        editor.press_keys("2")
        expect_connect(editor, tree.path("rr"), tree.root)
    finally:
        editor.stop()


def keys():
    editor = open_comb()
    try:
        tree = editor.tree
        # The root's first child is a leaf: '1' has nothing to move.
        editor.press_keys("1", "F", "C", "f", "c")
        editor.expect_quiet(1.0)
        tree = expect_key(editor, tree, "2", "rr", "")
        tree = expect_key(editor, tree, "3", "rr", "l")
        tree = expect_key(editor, tree, "1", "ll", "")
        # 'f' and 'c' after a rebuild change nothing: picking still finds the nodes
        # where the listing puts them.
        editor.press_keys("f", "c")
        editor.expect_quiet(1.0)
        pos = tree.positions(TAXA)
        moved, target = tree.leaf("T1"), tree.leaf("T2")
        editor.click(*pos[moved])
        (px, py), (tx, ty) = pos[tree.parent[target]], pos[target]
        aim = ((px + tx) / 2, (py + ty) / 2)
        editor.move_to(*aim)
        editor.click(*aim)
        expect_connect(editor, moved, target)
    finally:
        editor.stop()


def expect_key(editor, tree, key, moved_path, target_path):
    editor.press_keys(key)
    return expect_connect(editor, tree.path(moved_path), tree.path(target_path))


if __name__ == "__main__":
    raise SystemExit(run_checks([
        ("pick, aim and drop", pick_aim_drop),
        ("a press on empty space puts the node down", press_on_empty_space_puts_the_node_down),
        ("keys 1 2 3 f c, and F C ignored", keys),
    ]))
