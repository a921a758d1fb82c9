#!/usr/bin/env python3
"""A whole update: the publisher's list on a plain static server on 127.0.0.1, read and
installed by Tidewell.exe -S under Wine.

usage: update_run.py SHIPPED_PROGRAM_FOLDER PUBLISHER SOURCE_FOLDER
Exits 77 (skipped) while Tidewell.exe is not built, or is built without its list worker and
download engine (TConnectionThread, TDownloadThread) in the sources.
"""
import functools
import glob
import http.server
import os
import signal
import shutil
import subprocess
import sys
import re
import tempfile
import threading

# The test changes keys below this one and puts the whole branch back as it found it.
BRANCH = r"HKLM\Software\Zephlor"
SETTINGS = BRANCH + r"\Quorvane\Settings"
VERSIONS = SETTINGS + r"\VersionControl"
TIDEWELL = SETTINGS + r"\Tidewell"

RELEASE_INI = """\
[list]
name = Quorvane update list
productname = Quorvane
productversion = 5.1.1
terminate =
terminatemsg =

[Quorvane.chm]
version = 5.1.1
productname = Help
description = New help pages.
source = Quorvane.chm
destfile = \\\\Help\\Quorvane.chm

[Readme.txt]
version = 1.0.0
productname = Read me
destfile = Readme.txt

[Quorvane.exe]
version = 5.1.0
productname = Quorvane
destfile = Quorvane.exe
"""


def wine(*args, timeout=60):
    return subprocess.run(["wine", *args], stdin=subprocess.DEVNULL, capture_output=True, text=True,
                          errors="replace", timeout=timeout)


def reg_value(key, name):
    res = wine("reg", "query", key, "/v", name)
    for line in res.stdout.splitlines():
        parts = line.split(None, 2)
        if len(parts) >= 2 and parts[0].lower() == name.lower() and parts[1].startswith("REG_"):
            return parts[2] if len(parts) == 3 else ""
    return None


def defines(source_folder, class_name):
    """Whether some source of the updater defines the class."""
    for path in glob.glob(os.path.join(source_folder, "tidewell", "**", "*.h"), recursive=True):
        with open(path, encoding="latin-1") as f:
            if re.search(r"\b(class|struct)\s+%s\b" % class_name, f.read()):
                return True
    return False


def kill_programs_below(folder):
    """Ends the Windows processes started from `folder` (Wine shows them under their path)."""
    marker = folder.encode()
    for cmdline in glob.glob("/proc/[0-9]*/cmdline"):
        try:
            with open(cmdline, "rb") as f:
                args = f.read().replace(b"\\", b"/")
        except OSError:
            continue
        if marker in args:
            try:
                os.kill(int(cmdline.split("/")[2]), signal.SIGKILL)
            except OSError:
                pass


class Server:
    """A plain static server for the published folder, logging the paths it was asked for."""

    def __init__(self, root):
        self.requests = []
        log = self.requests

        class Handler(http.server.SimpleHTTPRequestHandler):
            def log_message(self, *args):
                pass

            def send_head(self):
                log.append((self.command, self.path))
                return super().send_head()

        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Handler, directory=root))
        self.port = self.httpd.server_address[1]
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)
        self.thread.start()

    def stop(self):
        self.httpd.shutdown()
        self.httpd.server_close()
        self.thread.join(10)


def main(program_folder, publisher, source_folder):
    tidewell = os.path.join(program_folder, "Tidewell.exe")
    if not os.path.isfile(tidewell):
        print("SKIPPED: %s is not built yet; the update run needs it" % tidewell)
        return 77
    missing = [c for c in ("TConnectionThread", "TDownloadThread") if not defines(source_folder, c)]
    if missing:
        print("SKIPPED: Tidewell.exe is built without %s yet; the update run needs the list worker "
              "and the download engine" % " and ".join(missing))
        return 77
    faults = []
    with tempfile.TemporaryDirectory() as work:
        saved = os.path.join(work, "branch.reg")
        had_branch = wine("reg", "export", BRANCH, saved, "/y").returncode == 0
        server = None
        try:
            installed = os.path.join(work, "Quorvane")
            os.makedirs(os.path.join(installed, "Help"))
            shutil.copy(tidewell, installed)
            with open(os.path.join(installed, "Help", "Quorvane.chm"), "wb") as f:
                f.write(b"old help")
            release = os.path.join(work, "release")
            os.makedirs(release)
            new_help = b"ITSF new help " * 300
            for name, data in (("Quorvane.chm", new_help), ("Readme.txt", b"Read me.\r\n"),
                               ("Quorvane.exe", b"MZ not to be installed")):
                with open(os.path.join(release, name), "wb") as f:
                    f.write(data)
            with open(os.path.join(release, "release.ini"), "w") as f:
                f.write(RELEASE_INI)

            www = os.path.join(work, "www")
            server = Server(www)
            base = "http://127.0.0.1:%d" % server.port
            res = subprocess.run([sys.executable, publisher, release, www, "--base-url", base],
                                 capture_output=True, text=True, timeout=60)
            if res.returncode != 0:
                print("publisher failed: " + res.stderr)
                return 1

            wine("reg", "delete", SETTINGS, "/f")
            wine("reg", "add", VERSIONS, "/v", "Quorvane.chm", "/d", "5.1.0", "/f")
            wine("reg", "add", VERSIONS, "/v", "Quorvane.exe", "/d", "5.1.0", "/f")
            wine("reg", "add", TIDEWELL, "/v", "UpdateServer", "/d", base, "/f")

            try:
                run = wine(os.path.join(installed, "Tidewell.exe"), "-S", timeout=180)
                print("Tidewell.exe -S ended with %d" % run.returncode)
            except subprocess.TimeoutExpired:
                faults.append("Tidewell.exe -S did not end within 180 s")
                kill_programs_below(installed)

            with open(os.path.join(installed, "Help", "Quorvane.chm"), "rb") as f:
                if f.read() != new_help:
                    faults.append("Help\\Quorvane.chm was not replaced by the published one")
            if not os.path.isfile(os.path.join(installed, "Readme.txt")):
                faults.append("Readme.txt (not installed before) was not installed")
            if os.path.exists(os.path.join(installed, "Quorvane.exe")):
                faults.append("Quorvane.exe, not newer than the installed one, was installed")
            if os.path.exists(os.path.join(installed, "tidewelltemp.xml")):
                faults.append("tidewelltemp.xml was left in the program folder")
            for name, want in (("Quorvane.chm", "5.1.1"), ("Readme.txt", "1.0.0"), ("Quorvane.exe", "5.1.0")):
                got = reg_value(VERSIONS, name)
                if got != want:
                    faults.append("VersionControl %s is %r, not %r" % (name, got, want))
            asked = {path for _, path in server.requests}
            if "/downloads/updates/quorvane/quorvane.xml" not in asked:
                faults.append("the list was never asked for: %s" % sorted(asked))
        finally:
            if server:
                server.stop()
            wine("reg", "delete", BRANCH, "/f")
            if had_branch:
                wine("reg", "import", saved)
    for f in faults:
        print(f)
    print("update run: %s" % ("failed" if faults else "passed"))
    return 1 if faults else 0


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.stderr.write(__doc__)
        sys.exit(2)
    sys.exit(main(sys.argv[1], sys.argv[2], sys.argv[3]))
