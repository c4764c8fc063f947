#!/usr/bin/env python3
"""Drives the real GTK dialogs of the platform layer with xdotool under Xvfb.

Usage: dialog_gui_test.py PATH/TO/dialog_probe. Each case starts the probe, waits for
the dialog by its title, focuses it and types keys without --window (GTK ignores
synthetic events sent to a window), then checks the probe's result line and that the
dialog has left the screen while the probe still runs (until its input is closed).
"""
import os
import re
import select
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "gui"))
from qmgui import type_text, wait_viewable, window_gone  # noqa: E402  (type_text pastes)

PROBE = sys.argv[1]
CHOOSER = "Pick a Data File"
NOTICE = "Quillmoor Error!"
QUESTION = "Replace File?"
failures = []


def xdotool(*args, timeout=30):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True, timeout=timeout)


def windows_named(title):
    found = xdotool("search", "--name", "^" + re.escape(title) + "$")
    return found.stdout.split()


def read_result(probe, deadline):
    """The probe's result line, or a TimeoutError when the dialog does not return."""
    pending = ""
    while time.monotonic() < deadline:
        ready, _, _ = select.select([probe.stdout], [], [], 0.2)
        if not ready:
            continue
        chunk = os.read(probe.stdout.fileno(), 4096).decode()
        if not chunk:
            break
        pending += chunk
        for line in pending.splitlines():
            if line.startswith("result: "):
                return line[len("result: "):]
    raise TimeoutError("the dialog did not return")


def find_window(title, timeout=30.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        found = windows_named(title)
        if found:
            return found[-1]
        time.sleep(0.1)
    raise TimeoutError(f"no window named {title!r}")


def probe_env():
    """GTK kept from D-Bus and dconf, which the test machine does not run."""
    env = dict(os.environ)
    env["GSETTINGS_BACKEND"] = "memory"
    env["NO_AT_BRIDGE"] = "1"
    return env


def perform(action):
    if action[0] == "type":
        type_text(action[1])
        xdotool("key", "Delete")  # drops an inline completion the entry offers
    elif action[0] == "key":
        xdotool("key", action[1])
    elif action[0] == "await":  # a dialog shows: focus it
        wid = find_window(action[1])
        wait_viewable(int(wid))
        xdotool("windowfocus", "--sync", wid)
    elif action[0] == "gone" and not window_gone(re.escape(action[1]), timeout=10):
        raise TimeoutError(f"{action[1]!r} stayed on screen")


def run_case(name, mode, title, actions, check, retries=2):
    # A dialog of an earlier case must not take this case's keys.
    deadline = time.monotonic() + 10
    while windows_named(title) and time.monotonic() < deadline:
        time.sleep(0.1)
    probe = subprocess.Popen([PROBE, mode], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                             env=probe_env())
    try:
        # The open chooser fills its location entry before its window is mapped.
        perform(("await", title))
        wid = find_window(title)
        for action in actions:
            perform(action)
        # A busy machine can swallow the closing key while a completion list pops up;
        # a user would press it again, and so does the test.
        result = None
        for _ in range(retries):
            try:
                result = read_result(probe, deadline=time.monotonic() + 8)
                break
            except TimeoutError:
                xdotool("windowfocus", "--sync", wid)
                perform(actions[-1])
        if result is None:
            result = read_result(probe, deadline=time.monotonic() + 8)
        # The dialog must go while the probe still runs, well before the probe ends.
        leftover = not window_gone("^" + re.escape(title) + "$", timeout=5)
        lingered = probe.poll() is None
        probe.stdin.close()
        status = probe.wait(timeout=30)
    except Exception as error:  # a hung dialog or a missing window
        # What was on the screen, for the log reader (in the working directory).
        shot = f"dialog-failure-{len(failures) + 1}.png"
        subprocess.run(["import", "-window", "root", shot], capture_output=True, timeout=30)
        error = f"{error!r}, screen in {os.path.abspath(shot)}"
        probe.kill()
        probe.wait()
        failures.append(f"{name}: {error}")
        return
    problem = check(result)
    if problem:
        failures.append(f"{name}: {problem} (result {result!r})")
    elif leftover:
        failures.append(f"{name}: dialog still on screen after it returned")
    elif not lingered:
        failures.append(f"{name}: the probe ended before the dialog was checked")
    elif status != 0:
        failures.append(f"{name}: the probe ended with status {status}")
    else:
        print(f"ok   {name}: {result}")


def expect(wanted):
    return lambda result: None if result == wanted else f"expected {wanted!r}"


def expect_suffix(suffix):
    def check(result):
        if result.startswith("true /") and result.endswith(suffix):
            return None
        return f"expected a confirmed full path ending in {suffix!r}"
    return check


work = tempfile.mkdtemp(prefix="qm-dialog-")
existing = os.path.join(work, "present.csv")
keep = os.path.join(work, "keep.csv")
for path in (existing, keep):
    with open(path, "w") as f:
        f.write("x\n")

run_case("notice closes with OK", "message", NOTICE, [("key", "Return")], expect("closed"))
run_case("open proposes Data.csv", "open", CHOOSER, [("key", "Return")],
         expect_suffix("/Data.csv"))
run_case("open accepts a typed new name and appends .csv", "open", CHOOSER,
         [("key", "ctrl+a"), ("type", os.path.join(work, "typed")), ("key", "Return")],
         expect("true " + os.path.join(work, "typed.csv")))
run_case("open keeps an existing extension", "open", CHOOSER,
         [("key", "ctrl+a"), ("type", existing), ("key", "Return")],
         expect("true " + existing))
# One Escape cancels, although the open chooser's location entry has the focus.
run_case("open cancel returns false, path untouched", "open", CHOOSER, [("key", "Escape")],
         expect("false untouched"), retries=0)
run_case("save proposes Data.csv", "save", CHOOSER, [("key", "Return")],
         expect_suffix("/Data.csv"))
run_case("save appends .csv to a typed name", "save", CHOOSER,
         [("key", "ctrl+a"), ("type", os.path.join(work, "saved")), ("key", "Return")],
         expect("true " + os.path.join(work, "saved.csv")))
# "keep" + ".csv" names an existing file: the chooser must ask; declining the question
# brings the chooser back, which is then cancelled.
run_case("save asks before the added extension replaces a file", "save", CHOOSER,
         [("key", "ctrl+a"), ("type", os.path.join(work, "keep")), ("key", "Return"),
          ("await", QUESTION), ("key", "Escape"), ("gone", QUESTION), ("await", CHOOSER),
          ("key", "Escape")],
         expect("false untouched"))
# A typed name of an existing file asks too; "Replace" confirms it.
run_case("save asks before the typed name replaces a file", "save", CHOOSER,
         [("key", "ctrl+a"), ("type", existing), ("key", "Return"), ("await", QUESTION),
          ("key", "alt+r")],
         expect("true " + existing))

shutil.rmtree(work, ignore_errors=True)
for failure in failures:
    print("FAIL " + failure)
sys.exit(1 if failures else 0)
