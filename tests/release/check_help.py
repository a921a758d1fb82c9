#!/usr/bin/env python3
"""The compiled help file holds every page written for it, its table of contents lists every
page it holds, and the links between pages lead somewhere.

usage: check_help.py CHMLS QUORVANE.CHM HELP_SOURCE_FOLDER
"""
import glob
import os
import re
import subprocess
import sys
import tempfile


def main(chmls, chm, sources):
    faults = []
    if not os.path.isfile(chm):
        print("no help file at %s" % chm)
        return 1
    listing = subprocess.run([chmls, "-n", "list", chm], capture_output=True, text=True, timeout=60).stdout
    held = {line.strip().lstrip("/") for line in listing.splitlines() if line.strip().endswith(".htm")}
    written = {os.path.basename(p) for p in glob.glob(os.path.join(sources, "*.htm"))}
    for page in sorted(written - held):
        faults.append("%s was written but is not in the help file" % page)

    with tempfile.TemporaryDirectory() as work:
        toc_path = os.path.join(work, "toc.hhc")
        subprocess.run([chmls, "extracttoc", chm, toc_path], capture_output=True, timeout=60)
        with open(toc_path, encoding="latin-1") as f:
            toc = f.read()
        pages = {}
        for page in held:
            out = os.path.join(work, page)
            subprocess.run([chmls, "extract", chm, "/" + page, out], capture_output=True, timeout=60)
            with open(out, encoding="latin-1") as f:
                pages[page] = f.read()

    listed = set(re.findall(r'<param name="Local" value="([^"#]+)', toc, re.I))
    for page in sorted(held - listed):
        faults.append("%s is not in the table of contents" % page)
    for page in sorted(listed - held):
        faults.append("the table of contents lists %s, which the help file does not hold" % page)

    for page, html in sorted(pages.items()):
        if not re.search(r"<title>[^<]+</title>", html, re.I):
            faults.append("%s has no title" % page)
        for target in re.findall(r'<a href="([^"]+)"', html, re.I):
            if re.match(r"[a-z]+:", target):
                continue
            name, _, anchor = target.partition("#")
            name = name or page
            if name not in pages:
                faults.append("%s links to %s, which the help file does not hold" % (page, name))
            elif anchor and not re.search(r'<a name="%s"' % re.escape(anchor), pages[name], re.I):
                faults.append("%s links to %s#%s, which has no such anchor" % (page, name, anchor))

    for f in faults:
        print(f)
    print("%d pages, %d in the table of contents" % (len(held), len(listed & held)))
    return 1 if faults else 0


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.stderr.write(__doc__)
        sys.exit(2)
    sys.exit(main(*sys.argv[1:]))
