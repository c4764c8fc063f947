"""The desktop's half of the browser test: the real program, under this script's own Xvfb,
goes through the browser test's flow (flow.json) on its data file, named on the command
line, and what its console said after each step and what its window showed are written to
a folder for the browser test to compare with.

Usage: with-xvfb.sh python3 desktop_reference.py QUILLMOOR FLOW.json DATA OUT_FOLDER"""

import json
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "gui"))
from qmgui import LISTING_LINE, Tree, check, start_editor, window_pixels, xdotool  # noqa: E402


def read_change(editor):
    """The console lines of one change: a drop's "Connecting" line, then the listing."""
    first = editor.next_line()
    head = [] if LISTING_LINE.match(first) else [first]
    listing = [editor.next_line()] if head else [first]
    while not Tree(listing).complete():
        listing.append(editor.next_line())
    return head + listing


def settled_pixels(wid):
    """The window's pixels once two reads in a row agree: the frame after the last event."""
    last = window_pixels(wid)
    while True:
        now = window_pixels(wid)
        if now == last:
            return now
        last = now


def main():
    program, flow_path, data, out = sys.argv[1:5]
    with open(flow_path) as f:
        flow = json.load(f)
    editor = start_editor(program, [data])
    try:
        console = editor.startup.lines + editor.read_listing().lines
        reference = {"start": len(console), "steps": [], "pictures": {}}
        wid = editor.window()
        check(editor.size() == (800, 600), f"the window is {editor.size()}, not 800 x 600")
        for step in flow["steps"]:
            if step["do"] in ("click", "move"):
                xdotool("mousemove", "--window", wid, *step["at"])
                if step["do"] == "click":
                    xdotool("click", 1)
            elif step["do"] == "key":
                editor.press_keys(step["key"])
            elif step["do"] == "picture":
                width, height, pixels = settled_pixels(wid)
                with open(os.path.join(out, step["name"] + ".rgb"), "wb") as f:
                    f.write(pixels)
                reference["pictures"][step["name"]] = [width, height]
            if step.get("lists"):
                console += read_change(editor)
            reference["steps"].append(len(console))
        editor.expect_quiet(0.5)
        reference["console"] = console
        with open(os.path.join(out, "reference.json"), "w") as f:
            json.dump(reference, f)
    finally:
        editor.stop()


if __name__ == "__main__":
    main()
