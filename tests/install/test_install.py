"""Installation and package: a staged install keeps to its prefix; the installed tree,
moved elsewhere, runs from another working folder with its own font and dialog module;
the desktop entry, metainfo and manual page pass their checks and the manual names every
option --help prints; the Debian package holds the same files, and lintian finds nothing
but the warnings the README lists. Nothing is installed into the machine.
Usage (under with-xvfb.sh): test_install.py BUILD_DIR SOURCE_DIR VERSION"""

import glob
import os
import re
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "gui"))
from qmgui import Editor, check, find_window, focus, key, run_checks, start_editor, temp_folder

BUILD, SOURCE, VERSION = sys.argv[1:4]
APP = "org.quillmoor.Quillmoor"
EXAMPLES = sorted(os.path.basename(p) for pattern in ("*.csv", "*.nex")
                  for p in glob.glob(f"{SOURCE}/examples/{pattern}"))
EXPECTED = {  # relative to the prefix
    "bin/quillmoor", "lib/quillmoor/libquillmoor_dialogs.so",
    "lib/quillmoor/libquillmoor_export.so", "lib/quillmoor/libquillmoor_nexus.so",
    "share/quillmoor/Another.fnt",
    *(f"share/quillmoor/Another-{page}00.fnt" for page in ("01", "02", "03", "04", "20")),
    f"share/applications/{APP}.desktop", f"share/icons/hicolor/scalable/apps/{APP}.svg",
    f"share/metainfo/{APP}.metainfo.xml", f"share/mime/packages/{APP}.xml",
    "share/man/man1/quillmoor.1.gz",
    "share/doc/quillmoor/copyright", "share/doc/quillmoor/changelog.gz",
    *(f"share/quillmoor/examples/{name}" for name in EXAMPLES)}
KNOWN_LINTIAN_WARNINGS = {"maintscript-calls-ldconfig"}  # README, "Installing"
WORK = temp_folder()
PREFIX, ELSEWHERE = f"{WORK}/moved/qm", f"{WORK}/elsewhere"
PROGRAM = f"{PREFIX}/bin/quillmoor"


def run(*command, **options):
    result = subprocess.run(command, capture_output=True, text=True, timeout=600, **options)
    check(result.returncode == 0, f"{command[0]} failed: {result.stdout}{result.stderr}")
    return result.stdout


def staged_install_keeps_to_its_prefix():
    stage = f"{WORK}/stage"
    run("cmake", "--install", BUILD, "--prefix", "/opt/qm", env=dict(os.environ, DESTDIR=stage))
    got = {os.path.relpath(os.path.join(d, f), stage) for d, _, fs in os.walk(stage) for f in fs}
    wrong = got ^ {f"opt/qm/{path}" for path in EXPECTED}
    check(not wrong, f"installed where it should not, or missing: {sorted(wrong)}")
    os.makedirs(ELSEWHERE)
    shutil.move(f"{stage}/opt/qm", PREFIX)  # only lookups relative to the program survive


def moved_install_runs_from_another_folder():
    env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
    out = run(PROGRAM, "--version", cwd=ELSEWHERE, env=env)
    check(out == f"quillmoor {VERSION}\n", f"--version printed {out!r}")
    example = f"{PREFIX}/share/quillmoor/examples/vertebrates.csv"
    # The NEXUS example through the installed reader module: the same tree as the CSV.
    nexus = run(PROGRAM, "--newick", example.replace(".csv", ".nex"), cwd=ELSEWHERE, env=env)
    check(nexus == run(PROGRAM, "--newick", example, cwd=ELSEWHERE, env=env),
          f"the NEXUS example gives {nexus!r}")
    # A picture without a window, through the installed picture module.
    run(PROGRAM, "--export", "tree.svg", example, cwd=ELSEWHERE, env=env)
    check(open(f"{ELSEWHERE}/tree.svg").read().startswith("<?xml"), "no SVG written")
    taxon = open(example).read().splitlines()[1].split(",")[2]
    editor = start_editor(PROGRAM, [example], cwd=ELSEWHERE)  # the window needs the font
    try:
        names = editor.read_listing().name.values()
        check(taxon in names, f"the loaded example lists {sorted(names)}")
    finally:
        editor.stop()
    # Without the font a notice shows, from the installed module, not the build's copy.
    os.remove(f"{PREFIX}/share/quillmoor/Another.fnt")
    editor = Editor(PROGRAM, cwd=ELSEWHERE)
    try:
        notice = find_window("^Quillmoor Error!$")
        maps = open(f"/proc/{editor.process.pid}/maps").read()
        check(f"{PREFIX}/lib/quillmoor/libquillmoor_dialogs.so" in maps,
              "the dialog module was not loaded from the installed tree")
        focus(notice)
        key("Return")
        check(editor.wait() == 1, "a missing font did not end the program with status 1")
    finally:
        editor.stop()


def desktop_files_and_manual_pass_their_checks():
    out = run("desktop-file-validate", f"{PREFIX}/share/applications/{APP}.desktop")
    check("error" not in out, out)
    run("appstreamcli", "validate", "--no-net", f"{PREFIX}/share/metainfo/{APP}.metainfo.xml")
    manual = run("man", "-l", f"{PREFIX}/share/man/man1/quillmoor.1.gz",
                 env=dict(os.environ, MANWIDTH="1000", LC_ALL="C.UTF-8"))
    usage = run(PROGRAM, "--help")
    options = set(re.findall(r"(?<![\w-])--[A-Za-z][\w-]*", usage))
    for line in usage.splitlines():  # option lines: "  -o, --output FILE   what it does"
        if re.match(r"\s+-", line):
            column = re.split(r"\s{2,}", line.strip())[0]
            options |= set(re.findall(r"(?<![\w-])-[A-Za-z][\w-]*", column))
    check("--version" in options, f"found no options in --help: {usage!r}")
    missing = [o for o in sorted(options) if not re.search(rf"(?<![\w-]){o}(?![\w-])", manual)]
    check(not missing, f"--help prints options the manual page lacks: {missing}")


def package_holds_the_install_and_passes_lintian():
    out = f"{WORK}/package"
    run("cpack", "-G", "DEB", "--config", f"{BUILD}/CPackConfig.cmake", "-B", out)
    deb = f"{out}/quillmoor_{VERSION}_{run('dpkg', '--print-architecture').strip()}.deb"
    listed = {line.split()[-1] for line in run("dpkg-deb", "-c", deb).splitlines()
              if not line.startswith("d")}
    check(listed == {f"./usr/{path}" for path in EXPECTED}, f"the package has {sorted(listed)}")
    fields = run("dpkg-deb", "-f", deb, "Section", "Maintainer", "Depends")
    check(re.search(r"Section: science\nMaintainer: .+<.+@.+>\nDepends: .*libgtk-3", fields),
          f"control fields: {fields}")
    report = run("lintian", "--fail-on", "error", deb)
    tags = set(re.findall(r"^[EW]: \S+: (\S+)", report, re.M))
    check(tags <= KNOWN_LINTIAN_WARNINGS, f"lintian: {report}")


if __name__ == "__main__":
    raise SystemExit(run_checks([
        ("a staged install keeps to its prefix", staged_install_keeps_to_its_prefix),
        ("the moved install runs from another folder", moved_install_runs_from_another_folder),
        ("desktop entry, metainfo and manual page pass",
         desktop_files_and_manual_pass_their_checks),
        ("the package holds the install and passes lintian",
         package_holds_the_install_and_passes_lintian),
    ]))
