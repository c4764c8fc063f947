"""End-to-end: the program copied alone into an empty folder finds no font. It shows the
notice "Quillmoor Error!", and after OK it ends with status 1 and the font renderer's
message on stderr (no crash, no core dump). The program looks for its font only near
itself and in the working folder, so what is installed on the machine does not matter."""

import os
import shutil
import signal

from qmgui import (Editor, check, find_window, focus, key, program_path, run_checks,
                   temp_folder, window_gone)

PROGRAM = program_path()


def missing_font_is_reported_and_ends_the_program():
    folder = temp_folder()
    alone = os.path.join(folder, "quillmoor")
    shutil.copy2(PROGRAM, alone)
    editor = Editor(alone, cwd=folder)
    try:
        notice = find_window("^Quillmoor Error!$")
        check(editor.process.poll() is None, "the program ended before the notice was closed")
        focus(notice)
        key("Return")
        check(window_gone("^Quillmoor Error!$"), "the notice stayed open")
        status = editor.wait()
        check(status == 1, f"exit status {status}, not 1"
                           + (f" (signal {signal.Signals(-status).name})" if status < 0 else ""))
        check(any("LFontRenderer::SetActiveFont - specified font not found" in line
                  for line in editor.err), f"stderr: {editor.err}")
    finally:
        editor.stop()


if __name__ == "__main__":
    raise SystemExit(run_checks([
        ("a missing font is reported and ends the program",
         missing_font_is_reported_and_ends_the_program),
    ]))
