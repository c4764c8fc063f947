"""End-to-end on the vertebrates: pick Shark, press o, and the listing is rooted on it;
Ctrl+B keeps that root; ] shows another tree as good, [ the first again, Ctrl+Z undoes."""

import os

from qmgui import check, program_path, run_checks, start_editor

DATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../examples/vertebrates.csv")


def shape(tree):
    """The rooted tree, whatever its node numbers: the leaf names under each node."""
    def below(node):
        return (frozenset([tree.name[node]]) if node in tree.name
                else below(tree.left[node]) | below(tree.right[node]))
    return frozenset(below(node) for node in tree.left)


def root_search_and_step():
    editor = start_editor(program_path(), [DATA], taxa=7)
    try:
        loaded = editor.read_listing()  # after the empty start-up tree
        editor.click(*loaded.positions(7)[loaded.leaf("Shark")])
        trees = []
        for keys in ("o", "ctrl+b", "bracketright", "bracketleft"):
            editor.press_keys(keys)
            trees.append(editor.read_listing())
            check(trees[-1].name.get(trees[-1].path("l")) == "Shark", f"{keys}: not rooted on Shark")
        check(shape(trees[2]) != shape(trees[1]) and shape(trees[3]) == shape(trees[1]),
              "] and [ did not step through the trees as good")
        editor.press_keys("ctrl+z")
        check(editor.read_listing().lines == trees[2].lines, "Ctrl+Z did not undo [")
        editor.close()
    finally:
        editor.stop()


if __name__ == "__main__":
    raise SystemExit(run_checks([("root on Shark, search, step", root_search_and_step)]))
