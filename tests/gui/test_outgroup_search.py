"""End-to-end, as a teacher roots the lesson's tree: on the vertebrates, pick Shark and
press o, and the listing shows the tree rooted on it; Ctrl+B gives a best tree still rooted
on Shark; ] shows another tree as good, [ the first again, and Ctrl+Z takes that step back."""

import os

from qmgui import check, program_path, run_checks, start_editor

PROGRAM = program_path()
DATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "examples",
                    "vertebrates.csv")
TAXA = 7


def clades(tree):
    """The tree as a rooted tree, whatever its node numbers and the order of children: the
    set of the leaf names under each internal node."""
    def below(node):
        if node in tree.name:
            return frozenset([tree.name[node]])
        return below(tree.left[node]) | below(tree.right[node])
    return frozenset(below(node) for node in tree.left)


def rooted_on(tree, name):
    return tree.name.get(tree.left[tree.root]) == name


def root_search_and_step():
    editor = start_editor(PROGRAM, [DATA], taxa=TAXA)
    try:
        loaded = editor.read_listing()  # after the empty start-up tree
        check(rooted_on(loaded, "Lamprey"), "the start tree is not rooted on the first taxon")
        editor.click(*loaded.positions(TAXA)[loaded.leaf("Shark")])
        editor.press_keys("o")
        rerooted = editor.read_listing()
        check(rooted_on(rerooted, "Shark"), f"o did not root on Shark: {rerooted.lines}")

        editor.press_keys("ctrl+b")
        best = editor.read_listing()
        check(rooted_on(best, "Shark"), f"the best tree is not rooted on Shark: {best.lines}")

        editor.press_keys("bracketright")
        second = editor.read_listing()
        check(rooted_on(second, "Shark"), f"] left the outgroup: {second.lines}")
        check(clades(second) != clades(best), "] showed the same tree")

        editor.press_keys("bracketleft")
        first = editor.read_listing()
        check(clades(first) == clades(best), "[ did not go back to the best tree")

        editor.press_keys("ctrl+z")
        check(editor.read_listing().lines == second.lines, "Ctrl+Z did not undo the step")
        editor.close()
    finally:
        editor.stop()


if __name__ == "__main__":
    raise SystemExit(run_checks([
        ("root on a picked leaf, search, step through the trees as good",
         root_search_and_step),
    ]))
