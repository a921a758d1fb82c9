#!/usr/bin/env python3
"""The update-list publisher: the list it writes, the files beside it, and what it refuses."""
import contextlib
import functools
import http.server
import io
import os
import sys
import tempfile
import threading
import unittest
import urllib.request
import xml.etree.ElementTree as ET

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "tools"))
import publish_updates  # noqa: E402
BASE = "http://127.0.0.1:8123"
LIST = os.path.join("downloads", "updates", "quorvane", "quorvane.xml")

GOOD_INI = """\
[list]
name = Quorvane update list
productname = Quorvane
productversion = 5.1.1
terminate =
terminatemsg =

[Quorvane.exe]
version = 5.1.1
productname = Quorvane
description = Washes <faster> & quieter.
  A second line.
force = yes
defaultdownload = 1

[Quorvane.chm]
version = 5.1.1
productname = Help
source = help/Quorvane.chm
destfile = \\\\Help\\Quorvane.chm
defaultdownload = off
finished = SELFCLOSE;
finishedmsg = Help updated.
"""


class Result:
    def __init__(self, returncode, stdout, stderr):
        self.returncode, self.stdout, self.stderr = returncode, stdout, stderr


def run(release, out, *args):
    """The command line, run in this process: exit status and what it printed."""
    if "--base-url" not in args:
        args = ("--base-url", BASE) + args
    out_text, err_text = io.StringIO(), io.StringIO()
    with contextlib.redirect_stdout(out_text), contextlib.redirect_stderr(err_text):
        try:
            code = publish_updates.main(["publish_updates.py", release, out, *args])
        except SystemExit as e:  # argparse's own refusals
            code = e.code
    return Result(code, out_text.getvalue(), err_text.getvalue())


class Release:
    """A release folder with its files and release.ini."""

    def __init__(self, ini, files):
        self.dir = tempfile.TemporaryDirectory()
        self.path = os.path.join(self.dir.name, "release")
        self.out = os.path.join(self.dir.name, "www")
        for name, data in files.items():
            p = os.path.join(self.path, *name.split("/"))
            os.makedirs(os.path.dirname(p), exist_ok=True)
            with open(p, "wb") as f:
                f.write(data)
        with open(os.path.join(self.path, "release.ini"), "w", encoding="utf-8") as f:
            f.write(ini)

    def publish(self, *extra):
        return run(self.path, self.out, *extra)

    def list_bytes(self):
        with open(os.path.join(self.out, LIST), "rb") as f:
            return f.read()


FILES = {"Quorvane.exe": b"MZ" + bytes(range(256)) * 40, "help/Quorvane.chm": b"ITSF" + b"x" * 2497}


class Shape(unittest.TestCase):
    def setUp(self):
        self.r = Release(GOOD_INI, FILES)
        res = self.r.publish()
        self.assertEqual(0, res.returncode, res.stderr)
        self.root = ET.fromstring(self.r.list_bytes())

    def tearDown(self):
        self.r.dir.cleanup()

    def test_component_element_comes_first_and_only_files_follow_the_first_file(self):
        self.assertEqual(1, len(self.root))
        component = self.root[0]
        tags = [c.tag for c in component]
        first = tags.index("file")
        self.assertEqual(["name", "productname", "productversion", "filecount", "terminate", "terminatemsg"],
                         tags[:first])
        self.assertEqual(["file"] * (len(tags) - first), tags[first:])
        self.assertEqual("5.1.1", component.findtext("productversion"))
        self.assertEqual("", component.findtext("terminate"))

    def test_filecount_and_filesize_match_the_files(self):
        component = self.root[0]
        files = component.findall("file")
        self.assertEqual(str(len(files)), component.findtext("filecount"))
        self.assertEqual(2, len(files))
        sizes = {f.findtext("filename"): int(f.findtext("filesize")) for f in files}
        self.assertEqual({"Quorvane.exe": len(FILES["Quorvane.exe"]),
                          "Quorvane.chm": len(FILES["help/Quorvane.chm"])}, sizes)

    def test_entry_values(self):
        exe, chm = self.root[0].findall("file")
        self.assertEqual("Washes <faster> & quieter.\nA second line.", exe.findtext("description"))
        self.assertEqual(("True", "True"), (exe.findtext("force"), exe.findtext("defaultdownload")))
        self.assertEqual("Quorvane.exe", exe.findtext("destfile"))
        self.assertEqual(("False", "False"), (chm.findtext("force"), chm.findtext("defaultdownload")))
        self.assertEqual("\\\\Help\\Quorvane.chm", chm.findtext("destfile"))
        self.assertEqual(("SELFCLOSE;", "Help updated."), (chm.findtext("finished"), chm.findtext("finishedmsg")))
        # every child the updater reads is present, even when empty
        for child in ("version", "filename", "productname", "description", "filepath", "filesize",
                      "destfile", "force", "defaultdownload", "finished", "finishedmsg"):
            self.assertIsNotNone(exe.find(child), child)

    def test_a_static_server_serves_the_list_and_every_file_at_its_address(self):
        class Quiet(http.server.SimpleHTTPRequestHandler):
            def log_message(self, *args):
                pass

        handler = functools.partial(Quiet, directory=self.r.out)
        server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        thread = threading.Thread(target=server.serve_forever, daemon=True)
        thread.start()
        try:
            port = server.server_address[1]
            local = lambda url: url.replace(BASE, "http://127.0.0.1:%d" % port)
            got = urllib.request.urlopen(local(BASE + "/downloads/updates/quorvane/quorvane.xml"), timeout=10).read()
            self.assertEqual(self.r.list_bytes(), got)
            expected = {"Quorvane.exe": FILES["Quorvane.exe"], "Quorvane.chm": FILES["help/Quorvane.chm"]}
            for f in self.root[0].findall("file"):
                url = f.findtext("filepath")
                self.assertTrue(url.startswith(BASE + "/downloads/updates/quorvane/"), url)
                head = urllib.request.urlopen(urllib.request.Request(local(url), method="HEAD"), timeout=10)
                self.assertEqual(f.findtext("filesize"), head.headers["Content-Length"])
                body = urllib.request.urlopen(local(url), timeout=10).read()
                self.assertEqual(expected[f.findtext("filename")], body)
        finally:
            server.shutdown()
            server.server_close()
            thread.join(10)


class Encoding(unittest.TestCase):
    def publish(self, text, *extra):
        ini = GOOD_INI.replace("Washes <faster> & quieter.", text)
        self.r = Release(ini, FILES)
        self.addCleanup(self.r.dir.cleanup)
        return self.r.publish(*extra)

    def test_written_in_the_ansi_code_page_it_declares(self):
        for codepage, text in ((None, "Gr\u00f6\u00dfer \u2013 caf\u00e9 \u20ac"), ("1251", "\u041f\u0430\u043c\u044f\u0442\u044c")):
            with self.subTest(codepage=codepage):
                res = self.publish(text, *(["--codepage", codepage] if codepage else []))
                self.assertEqual(0, res.returncode, res.stderr)
                raw = self.r.list_bytes()
                cp = codepage or "1252"
                self.assertTrue(raw.startswith(('<?xml version="1.0" encoding="windows-%s"?>' % cp).encode()))
                self.assertIn(text.encode("cp" + cp), raw)
                self.assertEqual(text + "\nA second line.", ET.fromstring(raw)[0].find("file").findtext("description"))

    def test_a_character_outside_the_code_page_is_refused(self):
        res = self.publish("\u65e5\u672c")
        self.assertEqual(1, res.returncode)
        self.assertIn("not in code page 1252", res.stderr)
        self.assertIn("[Quorvane.exe] description", res.stderr)


class Refused(unittest.TestCase):
    """Each fault is named, the run fails, and a list published before stays as it was."""

    CASES = [
        ("missing version", ("version = 5.1.1\nproductname = Quorvane\n", "productname = Quorvane\n"), "version is missing"),
        ("version not a number", ("version = 5.1.1\nproductname = Quorvane\n", "version = 5.1.x\nproductname = Quorvane\n"), "is not one to three numbers"),
        ("version of four parts", ("version = 5.1.1\nproductname = Quorvane\n", "version = 5.1.1.2\nproductname = Quorvane\n"), "is not one to three numbers"),
        ("version part too large", ("version = 5.1.1\nproductname = Quorvane\n", "version = 5.2147483648\nproductname = Quorvane\n"), "has a part above"),
        ("version never offered", ("version = 5.1.1\nproductname = Quorvane\n", "version = 0.0\nproductname = Quorvane\n"), "never offered"),
        ("unknown macro", ("destfile = \\\\Help\\Quorvane.chm", "destfile = #WINDOWS#\\Quorvane.chm"), "'#WINDOWS#' is no path macro"),
        ("destfile leaves the folder", ("destfile = \\\\Help\\Quorvane.chm", "destfile = ..\\Quorvane.chm"), "leaves the program folder"),
        ("destfile names a folder", ("destfile = \\\\Help\\Quorvane.chm", "destfile = \\Help\\"), "names a folder"),
        ("destfile with slashes", ("destfile = \\\\Help\\Quorvane.chm", "destfile = Help/Quorvane.chm"), "must use backslashes"),
        ("source missing", ("source = help/Quorvane.chm", "source = help/Gone.chm"), "is not in the release folder"),
        ("same file twice", ("[Quorvane.chm]", "[QUORVANE.EXE]"), "appears twice"),
        ("not a boolean", ("force = yes", "force = maybe"), "is not true or false"),
        ("misspelt key", ("force = yes", "forse = yes"), "unknown key 'forse'"),
        ("control character", ("Washes <faster>", "Washes \x07<faster>"), "control character U+0007"),
        ("no list section", ("[list]", "[lists]"), "no [list] section"),
        ("list without a name", ("name = Quorvane update list", "name ="), "must not be empty"),
        ("bad product version", ("productversion = 5.1.1", "productversion = five"), "[list] productversion"),
    ]

    def test_bad_descriptions(self):
        for title, (old, new), message in self.CASES:
            with self.subTest(title):
                self.assertIn(old, GOOD_INI)
                r = Release(GOOD_INI, FILES)
                self.addCleanup(r.dir.cleanup)
                self.assertEqual(0, r.publish().returncode)
                before = r.list_bytes()
                with open(os.path.join(r.path, "release.ini"), "w", encoding="utf-8") as f:
                    f.write(GOOD_INI.replace(old, new, 1))
                res = r.publish()
                self.assertEqual(1, res.returncode, res.stdout)
                self.assertIn(message, res.stderr)
                self.assertEqual(before, r.list_bytes())

    def test_bad_files_and_arguments(self):
        cases = [
            ("empty file", GOOD_INI, {**FILES, "Quorvane.exe": b""}, [], "the file is empty"),
            ("no entries", GOOD_INI.split("[Quorvane.exe]")[0], FILES, [], "describes no component file"),
            ("no description", None, FILES, [], "release.ini"),
            ("base address with a path", GOOD_INI, FILES, ["--base-url", "http://host/sub"], "must be http://host"),
            ("unknown code page", GOOD_INI, FILES, ["--codepage", "65001"], "code page 65001 is not one of"),
        ]
        for title, ini, files, args, message in cases:
            with self.subTest(title):
                r = Release(ini or "", files)
                self.addCleanup(r.dir.cleanup)
                if ini is None:
                    os.remove(os.path.join(r.path, "release.ini"))
                res = r.publish(*args)
                self.assertEqual(1, res.returncode, res.stderr)
                self.assertIn(message, res.stderr)
                self.assertFalse(os.path.exists(os.path.join(r.out, LIST)))


class Macros(unittest.TestCase):
    def test_known_macros_in_any_case_are_kept_for_the_updater(self):
        for destfile in ("#win#\\Quorvane.chm", "#SELF#", "#Temp#q.chm"):
            with self.subTest(destfile):
                r = Release(GOOD_INI.replace("destfile = \\\\Help\\Quorvane.chm", "destfile = " + destfile), FILES)
                self.addCleanup(r.dir.cleanup)
                res = r.publish()
                self.assertEqual(0, res.returncode, res.stderr)
                self.assertEqual(destfile, ET.fromstring(r.list_bytes())[0].findall("file")[1].findtext("destfile"))


class Republish(unittest.TestCase):
    def test_a_new_release_replaces_the_list_and_keeps_the_old_files(self):
        r = Release(GOOD_INI, FILES)
        self.addCleanup(r.dir.cleanup)
        self.assertEqual(0, r.publish().returncode)
        with open(os.path.join(r.path, "release.ini"), "w", encoding="utf-8") as f:
            f.write(GOOD_INI.replace("5.1.1", "5.1.2"))
        self.assertEqual(0, r.publish().returncode)
        files = os.path.join(r.out, "downloads", "updates", "quorvane", "files")
        self.assertEqual(["5.1.1", "5.1.2"], sorted(os.listdir(files)))
        versions = {f.findtext("version") for f in ET.fromstring(r.list_bytes())[0].findall("file")}
        self.assertEqual({"5.1.2"}, versions)
        leftovers = [n for n in os.listdir(os.path.dirname(os.path.join(r.out, LIST))) if n != "quorvane.xml" and n != "files"]
        self.assertEqual([], leftovers)


if __name__ == "__main__":
    unittest.main()
