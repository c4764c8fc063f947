"""Shared helpers for the end-to-end tests: start the editor, read its console output,
find its windows, and press, move and type at tree positions with xdotool.

Every script runs under its own Xvfb (with-xvfb.sh) and gets the program's path as
argv[1]. A script ends only the processes it started, by pid (Editor.stop).
"""

import atexit
import ctypes
import os
import queue
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import traceback

DEFAULT_TIMEOUT = 20.0
QUESTION = r"^Save the tree first\?$"  # the question's window name


class TestFailure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise TestFailure(message)


def run_checks(checks):
    """Runs each (name, function) in turn; prints one line per check and a summary, and
    returns the exit status for the script (0 when every check passed)."""
    failed = 0
    for name, function in checks:
        try:
            function()
            print(f"PASS {name}", flush=True)
        except Exception as error:  # a failed check must not hide the others
            failed += 1
            print(f"FAIL {name}: {error}", flush=True)
            traceback.print_exc(file=sys.stdout)
    print(f"{len(checks) - failed} passed, {failed} failed", flush=True)
    return 1 if failed else 0


def program_env(home):
    """The editor's environment: the test's display, GTK kept from writing settings (no
    dconf or D-Bus in the test machine), and the editor's settings and recovery files in
    the folder home, never in the user's."""
    env = dict(os.environ)
    env["GSETTINGS_BACKEND"] = "memory"
    env.setdefault("NO_AT_BRIDGE", "1")
    env["XDG_CONFIG_HOME"] = os.path.join(home, "config")
    env["XDG_STATE_HOME"] = os.path.join(home, "state")
    return env


def xdotool(*args, timeout=DEFAULT_TIMEOUT):
    result = subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True,
                            timeout=timeout)
    return result.stdout


def wait_for(condition, what, timeout=DEFAULT_TIMEOUT):
    """Waits until condition() holds; fails naming what was awaited when it never does."""
    deadline = time.monotonic() + timeout
    while not condition():
        check(time.monotonic() < deadline, f"no {what} within {timeout}s")
        time.sleep(0.05)


def find_window(title_regex, timeout=DEFAULT_TIMEOUT):
    """The X window id of the first window whose name matches, waiting up to timeout."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        out = subprocess.run(["xdotool", "search", "--name", title_regex],
                             capture_output=True, text=True).stdout.split()
        if out:
            return int(out[0])
        time.sleep(0.1)
    raise TestFailure(f"no window named {title_regex!r} within {timeout}s")


def wait_viewable(wid, timeout=DEFAULT_TIMEOUT):
    """Waits until the window is mapped and viewable (a found window may not be yet)."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        out = subprocess.run(["xwininfo", "-id", str(wid)], capture_output=True,
                             text=True).stdout
        if "IsViewable" in out:
            return
        time.sleep(0.1)
    raise TestFailure(f"window {wid} not viewable within {timeout}s")


def window_gone(title_regex, timeout=DEFAULT_TIMEOUT):
    """Waits until no window matches; returns True when that happened within timeout."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        result = subprocess.run(["xdotool", "search", "--name", title_regex],
                                capture_output=True, text=True)
        if not result.stdout.split():
            return True
        time.sleep(0.1)
    return False


def geometry(wid):
    """(x, y, width, height) of a window as xwininfo reports it."""
    out = subprocess.run(["xwininfo", "-id", str(wid)], capture_output=True, text=True,
                         check=True).stdout

    def field(name):
        return int(re.search(rf"{name}:\s+(-?\d+)", out).group(1))

    return (field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"),
            field("Height"))


def stable_size(wid, timeout=5.0):
    """The window's (width, height) once it has stopped changing for half a second."""
    deadline = time.monotonic() + timeout
    last = geometry(wid)[2:]
    still_since = time.monotonic()
    while time.monotonic() < deadline:
        time.sleep(0.1)
        now = geometry(wid)[2:]
        if now != last:
            last, still_since = now, time.monotonic()
        elif time.monotonic() - still_since >= 0.5:
            return now
    return last


def window_pixels(wid):
    """(width, height, pixels) of a window read from the X server: pixels holds 8-bit
    r, g, b triples, row by row from the top."""
    data = subprocess.run(["import", "-window", str(wid), "-depth", "8", "ppm:-"],
                          capture_output=True, check=True, timeout=20).stdout
    fields, pos = [], 0
    while len(fields) < 4:  # magic, width, height, maximum, separated by whitespace
        while data[pos:pos + 1].isspace():
            pos += 1
        start = pos
        while not data[pos:pos + 1].isspace():
            pos += 1
        fields.append(data[start:pos])
    pos += 1
    check(fields[0] == b"P6" and fields[3] == b"255", f"unexpected image header {fields}")
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[pos:pos + width * height * 3]


MESSAGE_BOX = (255, 245, 184)  # the message line's pale box


def count_colour(editor, rgb, box, tolerance=6):
    """Pixels of about colour rgb inside box = (left, top, right, bottom) in percent."""
    width, height, pixels = window_pixels(editor.window())
    left, top, right, bottom = (int(v * s / 100) for v, s in zip(box, (width, height) * 2))
    found = 0
    for y in range(top, bottom):
        row = pixels[y * width * 3:(y + 1) * width * 3]
        for x in range(left, right):
            if all(abs(row[x * 3 + i] - rgb[i]) <= tolerance for i in range(3)):
                found += 1
    return found


def close_window(wid):
    """Asks a window to close as a window manager's close button does (WM_DELETE_WINDOW);
    xdotool's windowclose destroys it instead, which no program sees as a close."""
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    display = ctypes.c_void_p(x11.XOpenDisplay(None))
    atom = lambda name: x11.XInternAtom(display, name, 0)  # noqa: E731
    # An XClientMessageEvent as the 24 longs of an XEvent (every field takes one on LP64):
    # type ClientMessage, serial, send_event, display, window, message type, format, data.
    event = (ctypes.c_long * 24)(33, 0, 0, 0, wid, atom(b"WM_PROTOCOLS"), 32,
                                 atom(b"WM_DELETE_WINDOW"))
    sent = x11.XSendEvent(display, ctypes.c_ulong(wid), 0, 0, event)
    x11.XCloseDisplay(display)  # flushes the event
    check(sent, f"the close request for window {wid} was not sent")


def focus(wid):
    xdotool("windowfocus", "--sync", wid)


def key(*names):
    """Sends keys to the focused window. GTK ignores events sent to a window directly, so
    keys go without --window: focus the window first."""
    xdotool("key", "--delay", 50, *names)


_clipboard_owner = None


def _release_clipboard():
    global _clipboard_owner
    if _clipboard_owner is not None:
        _clipboard_owner.terminate()
        _clipboard_owner.wait()
        _clipboard_owner = None


def type_text(text):
    """Puts text into the focused entry in one go, pasted from the clipboard. Typed key by
    key, it would race the file chooser's inline completion, which then mixes its own
    suggestion into the name on a slow machine. The clipboard is served by an xclip that
    this script started; it serves the check below and the paste, then ends. Returns once
    the paste was served, so that later keys cannot reach the entry before the text."""
    _release_clipboard()
    global _clipboard_owner
    _clipboard_owner = subprocess.Popen(
        ["xclip", "-quiet", "-loops", "2", "-selection", "clipboard"], stdin=subprocess.PIPE,
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _clipboard_owner.stdin.write(text.encode())
    _clipboard_owner.stdin.close()
    deadline = time.monotonic() + DEFAULT_TIMEOUT
    while time.monotonic() < deadline:  # until xclip owns the clipboard
        held = subprocess.run(["xclip", "-o", "-selection", "clipboard"], capture_output=True)
        if held.returncode == 0 and held.stdout == text.encode():
            break
        time.sleep(0.05)
    else:
        raise TestFailure("the clipboard never held the text to paste")
    xdotool("key", "ctrl+v")
    try:
        _clipboard_owner.wait(timeout=DEFAULT_TIMEOUT)
    except subprocess.TimeoutExpired:
        raise TestFailure("the focused window never took the pasted text") from None


atexit.register(_release_clipboard)


# ---- the tree listing -----------------------------------------------------------------

LISTING_LINE = re.compile(r"^( *)Node (\d+):  (?:ROOT |P=(\d+)  )(?:End -> (.*)|C=(\d+),(\d+))$")
CONNECTING_LINE = "---------- Connecting #{} before #{} -----------------"


class Tree:
    """One console listing: node id -> (parent, left, right, taxon name)."""

    def __init__(self, lines):
        self.lines = lines
        self.parent, self.left, self.right, self.name = {}, {}, {}, {}
        self.root = None
        for line in lines:
            m = LISTING_LINE.match(line)
            node = int(m.group(2))
            if m.group(3) is None:
                self.root = node
            else:
                self.parent[node] = int(m.group(3))
            if m.group(4) is not None:
                self.name[node] = m.group(4)
            else:
                self.left[node], self.right[node] = int(m.group(5)), int(m.group(6))

    def complete(self):
        listed = {LISTING_LINE.match(line).group(2) for line in self.lines}
        wanted = {str(c) for n in self.left for c in (self.left[n], self.right[n])}
        return self.root is not None and wanted <= listed

    def leaf(self, name):
        for node, taxon in self.name.items():
            if taxon == name:
                return node
        raise TestFailure(f"no leaf {name!r} in the listing")

    def path(self, steps):
        """The node at a path from the root: "" is the root, "rl" the right child's left."""
        node = self.root
        for step in steps:
            node = (self.left if step == "l" else self.right)[node]
        return node

    def leaves_below(self, node):
        if node in self.name:
            return 1
        return self.leaves_below(self.left[node]) + self.leaves_below(self.right[node])

    def positions(self, taxa):
        """Tree-unit positions of every node for a matrix of `taxa` taxa: the root at
        (0, 0), a node with k leaves below it at x = taxa - k, children half their x
        distance above (left) or below (right) their parent."""
        pos = {self.root: (0.0, 0.0)}
        order = [self.root]
        while order:
            node = order.pop()
            if node not in self.left:
                continue
            px, py = pos[node]
            for child, side in ((self.left[node], -1), (self.right[node], 1)):
                x = float(taxa - self.leaves_below(child))
                pos[child] = (x, py + (x - px) * 0.5 * side)
                order.append(child)
        return pos


def shape(tree, node=None):
    """The listed tree as nested pairs of taxon names, whatever the node numbers."""
    node = tree.root if node is None else node
    if node in tree.name:
        return tree.name[node]
    return (shape(tree, tree.left[node]), shape(tree, tree.right[node]))


# ---- the editor process ---------------------------------------------------------------

class Editor:
    """The editor run as a child process, its stdout and stderr read line by line."""

    def __init__(self, program, args=(), cwd=None, taxa=0, home=None):
        self.taxa = taxa  # taxon count of the loaded matrix, for tree positions
        # A fresh folder unless given: no run finds another run's recovered tree.
        self.home = home or temp_folder()
        self.process = subprocess.Popen([program, *map(str, args)], cwd=cwd,
                                        env=program_env(self.home), stdin=subprocess.DEVNULL,
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                        text=True, bufsize=1)
        self.out, self.err = queue.Queue(), []
        self._readers = [
            threading.Thread(target=self._read, args=(self.process.stdout, self.out.put),
                             daemon=True),
            threading.Thread(target=self._read, args=(self.process.stderr, self.err.append),
                             daemon=True),
        ]
        for reader in self._readers:
            reader.start()
        self.wid = None

    @staticmethod
    def _read(stream, sink):
        for line in stream:
            sink(line.rstrip("\n"))

    # -- console -------------------------------------------------------------------------

    def next_line(self, timeout=DEFAULT_TIMEOUT):
        try:
            return self.out.get(timeout=timeout)
        except queue.Empty:
            raise TestFailure(f"no console line within {timeout}s "
                              f"(stderr: {' | '.join(self.err[-5:])})") from None

    def expect_line(self, expected, timeout=DEFAULT_TIMEOUT):
        line = self.next_line(timeout)
        check(line == expected, f"expected console line {expected!r}, got {line!r}")

    def read_listing(self, timeout=DEFAULT_TIMEOUT):
        """The next whole tree listing on the console."""
        lines = [self.next_line(timeout)]
        check(LISTING_LINE.match(lines[0]) and "ROOT" in lines[0],
              f"expected a listing's root line, got {lines[0]!r}")
        tree = Tree(lines)
        while not tree.complete():
            line = self.next_line(timeout)
            check(LISTING_LINE.match(line), f"unexpected line inside a listing: {line!r}")
            lines.append(line)
            tree = Tree(lines)
        return tree

    def expect_quiet(self, seconds=1.0):
        """Checks that nothing reaches the console for `seconds`."""
        try:
            line = self.out.get(timeout=seconds)
        except queue.Empty:
            return
        raise TestFailure(f"unexpected console line {line!r}")

    # -- window --------------------------------------------------------------------------

    def window(self, timeout=DEFAULT_TIMEOUT):
        if self.wid is None:
            self.wid = find_window("^Quillmoor$", timeout)
        return self.wid

    def size(self):
        return geometry(self.window())[2:]

    def pixel(self, x, y):
        """Window pixel of tree position (x, y) in the current window size: the tree view
        of display/geometry.h, which from 16 taxa keeps one more unit above the tree."""
        width, height = self.size()
        n = self.taxa
        room = 1 if n >= 16 else 0
        return (round((x + 1) / (n + 3) * width),
                round((y + (n + 1) / 2 + room) / (n + 1 + room) * height))

    def move_to_pixel(self, px, py):
        xdotool("mousemove", "--window", self.window(), px, py)
        time.sleep(0.2)

    def click_pixel(self, px, py):
        self.move_to_pixel(px, py)
        xdotool("click", 1)
        time.sleep(0.2)

    def move_to(self, x, y):
        self.move_to_pixel(*self.pixel(x, y))

    def click(self, x, y):
        self.click_pixel(*self.pixel(x, y))

    def press_keys(self, *names):
        focus(self.window())
        key(*names)

    # -- end -----------------------------------------------------------------------------

    def wait(self, timeout=DEFAULT_TIMEOUT):
        """Waits for the program to end by itself; returns its exit status."""
        try:
            status = self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise TestFailure(f"the program did not end within {timeout}s") from None
        for reader in self._readers:
            reader.join(timeout=5)
        return status

    def answer_question(self, keys):
        """Waits for the question "Save the tree first?" and answers it with keys (e.g.
        "alt+d": Don't save, "Escape": Cancel); returns once it has left the screen."""
        question = find_window(QUESTION)
        wait_viewable(question)
        focus(question)
        key(keys)
        check(window_gone(QUESTION), "the question stayed open")

    def close(self, answer=None):
        """Closes the window as a user would, answering the question about unsaved work
        with the keys `answer` when there is one; the program must end with status 0 (in
        the sanitizer build: with no leak reported)."""
        close_window(self.window())
        if answer is not None:
            self.answer_question(answer)
        status = self.wait()
        check(status == 0, f"a close ended with status {status}: {' | '.join(self.err[-20:])}")

    def stop(self):
        """Ends the program (this one, by pid) if it still runs."""
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


def start_editor(program, args=(), cwd=None, taxa=0, home=None):
    """Starts the editor, waits for its window and the start-up listing. Its settings and
    recovery files go to the folder home (a fresh one unless given)."""
    editor = Editor(program, args, cwd, taxa, home)
    try:
        editor.window()
        editor.startup = editor.read_listing()
    except Exception:
        editor.stop()
        raise
    return editor


def write_comb_file(folder, taxa, name=None):
    """A data file of `taxa` taxa T0, T1, ... with two characters; returns its path."""
    names = [f"T{t}" for t in range(taxa)]
    rows = [
        "Test matrix",
        ",".join(["x", "x", *names, "UNUSED", "UNUSED"]),
        ",".join(["1", "Size", *("small" if t % 2 == 0 else "large" for t in range(taxa))]),
        ",".join(["2", "Shape", *("round" if t < taxa // 2 else "flat" for t in range(taxa))]),
        "3,UNUSED",
    ]
    path = os.path.join(folder, name or f"comb{taxa}.csv")
    with open(path, "w") as out:
        out.write("\n".join(rows) + "\n")
    return path


def temp_folder():
    """A fresh temporary folder, removed when the script ends."""
    folder = tempfile.mkdtemp(prefix="quillmoor-gui-")
    atexit.register(shutil.rmtree, folder, True)
    return folder


def program_path():
    check(len(sys.argv) >= 2, "usage: SCRIPT PATH-TO-QUILLMOOR")
    return os.path.abspath(sys.argv[1])
