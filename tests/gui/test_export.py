"""End-to-end without a display: `quillmoor --export` of the vertebrate example as SVG,
PDF and PNG, and the runs it must refuse. The SVG is XML with one shaded disc a node and
one marker and one outline a change event, as many as the picture's own total; the PDF
holds real text; the PNG has the right colours where the tree's layout puts them. With
--trace, the branches take the colours of the character's states (dashes where the root
is ambiguous), the markers give way and the legend names the character, its steps and its
states. No run writes on stdout, a refused run writes one line on stderr and leaves an
earlier file as it was, and no temporary file is left behind."""

import os
import re
import subprocess
import sys
import xml.etree.ElementTree as ET

from qmgui import check, run_checks, temp_folder

PROGRAM = sys.argv[1]
EXAMPLE = sys.argv[2]
FOLDER = temp_folder()
ENV = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
TAXA = 7


def export(*args):
    run = subprocess.run([PROGRAM, "--export", *args], env=ENV, capture_output=True,
                         text=True, timeout=60)
    check(run.stdout == "", f"{args}: wrote on stdout: {run.stdout!r}")
    return run


def written(name):
    path = os.path.join(FOLDER, name)
    run = export(path, EXAMPLE)
    check(run.returncode == 0 and run.stderr == "", f"{name}: {run.returncode} {run.stderr!r}")
    umask = os.umask(0)
    os.umask(umask)
    check(os.stat(path).st_mode & 0o777 == 0o666 & ~umask, f"{name}: private file mode")
    return path


def pdf_and_svg():
    pdf = written("tree.pdf")
    with open(pdf, "rb") as f:
        check(f.read(5) == b"%PDF-", "the PDF does not start with %PDF")
    text = subprocess.run(["pdftotext", pdf, "-"], capture_output=True, text=True).stdout
    with open(EXAMPLE, encoding="latin-1") as f:
        names = f.read().splitlines()[1].split(",")[2:2 + TAXA]
    for name in names + ["Ancestral Characters:", "Quillmoor"]:
        check(name in text, f"the PDF's text lacks {name!r}")
    total = re.search(r"Total Events: (\d+)", text)
    check(total is not None, "the PDF's text lacks the event total")
    events = int(total.group(1))

    ns = "{http://www.w3.org/2000/svg}"
    svg = ET.parse(written("tree.svg")).getroot()
    symbols = {id(p) for s in svg.iter(ns + "symbol") for p in s.iter(ns + "path")}
    shapes = [p for p in svg.iter(ns + "path") if id(p) not in symbols]
    corners = [len(re.findall(r"[ML]", p.get("d").split("Z")[0])) for p in shapes]
    triangles = [p.get("style", "") for p, n in zip(shapes, corners) if n == 3]
    discs = [p for p in shapes if "fill:url(#radial" in p.get("style", "")]
    outlines = [s for s in triangles if "stroke:rgb(0%,0%,0%)" in s and "fill:none" in s]
    markers = [s for s in triangles if re.search(r"fill:rgb\(", s)]
    check(len(discs) == 2 * TAXA - 1, f"{len(discs)} discs for {2 * TAXA - 1} nodes")
    check(events > 0 and len(markers) == events and len(outlines) == events,
          f"{len(markers)} markers and {len(outlines)} outlines for {events} events")
    # Text is glyph outlines of the font; glyph 0 of each subset is the font's empty box.
    uses = [u.get("{http://www.w3.org/1999/xlink}href") for u in svg.iter(ns + "use")]
    check(uses and not any(re.fullmatch(r"#glyph\d+-0", u) for u in uses), "boxes for text")


def png():
    path = written("tree.png")
    width, height = 1600, 1200  # twice the 800 x 600 window
    raw = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], capture_output=True).stdout
    check(len(raw) == width * height * 3, f"not a {width} x {height} picture")

    def pixel(x, y):  # tree units of seven taxa: x -1 .. 9, y -4 .. 4
        px, py = int((x + 1) / (TAXA + 3) * width), int((y + 4) / (TAXA + 1) * height)
        return raw[(py * width + px) * 3:(py * width + px) * 3 + 3]

    # The comb: root (0, 0), inner node k at (k, k / 2), leaf k at (6, k - 3); Pigeon hangs
    # from the first inner node and its branch's first change is "Four limbs" (magenta).
    expected = [((0, 0), (255, 255, 0), "root disc"), ((6, -3), (0, 255, 0), "leaf disc"),
                ((-0.5, 0), (128, 0, 0), "root stem"), ((3, -1.5), (128, 0, 0), "branch"),
                ((1 + 5 * 0.275, 0.5 - 2.5 * 0.275), (230, 0, 230), "marker"),
                ((8.8, 0.2), (255, 255, 255), "background")]
    for (x, y), rgb, what in expected:
        got = tuple(pixel(x, y))
        check(all(abs(g - w) <= 40 for g, w in zip(got, rgb)), f"{what}: {got} for {rgb}")
    # "Total Events" in black at 2 percent across, 95 down.
    dark = sum(1 for py in range(int(0.95 * height), height - 1)
               for px in range(int(0.02 * width), int(0.2 * width))
               if max(raw[(py * width + px) * 3:(py * width + px) * 3 + 3]) < 80)
    check(dark > 500, f"only {dark} dark pixels where the event total stands")


def trace():
    """Jaws on the start comb: absent in the Lamprey alone, so the root may be either."""
    pdf = os.path.join(FOLDER, "trace.pdf")
    run = export(pdf, EXAMPLE, "--trace", "Jaws")
    check(run.returncode == 0 and run.stderr == "", f"trace.pdf: {run.returncode} {run.stderr!r}")
    text = subprocess.run(["pdftotext", pdf, "-"], capture_output=True, text=True).stdout
    for line in ["Trace: Jaws", "1 step on this tree (minimum 1)", "absent", "present",
                 "more than one state possible", "Total Events: 14"]:
        check(line in text, f"the traced PDF's text lacks {line!r}")

    svg_path = os.path.join(FOLDER, "trace.svg")
    run = export(svg_path, EXAMPLE, "--trace", "Jaws")
    check(run.returncode == 0, f"trace.svg: {run.returncode} {run.stderr!r}")
    ns = "{http://www.w3.org/2000/svg}"
    fills = [p.get("style", "") for p in ET.parse(svg_path).getroot().iter(ns + "path")]
    orange, blue = "fill:rgb(90.2", "fill:rgb(0%,44.7"  # the trace's first two colours
    grey = "fill:rgb(60.0"
    # 12 branches and the stem: one absent (the Lamprey's), the rest present, the stem
    # in grey dashes; the legend adds a swatch of each and three small dashes.
    check(sum(orange in f for f in fills) == 1 + 1, "the absent branch and its swatch")
    check(sum(blue in f for f in fills) == 11 + 1, "the present branches and their swatch")
    check(sum(grey in f for f in fills) > 3 + 1, "the stem's dashes and the legend's")
    check(not any("stroke:rgb(0%,0%,0%)" in f for f in fills), "marker outlines in a trace")

    keep = os.path.join(FOLDER, "keep-trace.svg")
    for args in [("--trace", "Jawz"), ("--trace",), ("--trace", "jaws")]:
        with open(keep, "w") as f:
            f.write("earlier")
        run = export(keep, EXAMPLE, *args)
        check(run.returncode == 1 and run.stderr.count("\n") == 1 and
              run.stderr.startswith("quillmoor: "), f"{args}: {run.returncode} {run.stderr!r}")
        with open(keep) as f:
            check(f.read() == "earlier", f"{args}: the earlier file changed")


def refusals():
    bad = os.path.join(FOLDER, "bad.csv")
    with open(bad, "w") as f:
        f.write("title only\n")
    keep, keep_bmp = os.path.join(FOLDER, "keep.svg"), os.path.join(FOLDER, "keep.bmp")
    cases = [(keep, os.path.join(FOLDER, "missing.csv")), (keep, bad), (keep_bmp, EXAMPLE),
             (os.path.join(FOLDER, "no", "such.svg"), EXAMPLE), (keep, EXAMPLE, "tree.nwk"),
             (keep,)]
    for args in cases:
        for path in (keep, keep_bmp):
            with open(path, "w") as f:
                f.write("earlier")
        run = export(*args)
        check(run.returncode == 1 and run.stderr.count("\n") == 1 and
              run.stderr.startswith("quillmoor: "), f"{args}: {run.returncode} {run.stderr!r}")
        if os.path.exists(args[0]):
            with open(args[0]) as f:
                check(f.read() == "earlier", f"{args}: the earlier file changed")
    left = [n for n in os.listdir(FOLDER) if n.startswith(".")]
    check(not left, f"temporary files left: {left}")


if __name__ == "__main__":
    raise SystemExit(run_checks([("SVG and PDF of the example", pdf_and_svg),
                                 ("PNG of the example", png),
                                 ("a traced character", trace),
                                 ("refused runs", refusals)]))
