#!/usr/bin/env python3
"""Publishes a release folder as the update server's files.

usage: publish_updates.py RELEASE_FOLDER OUTPUT_FOLDER --base-url URL [--codepage CP]

RELEASE_FOLDER holds the component files and release.ini, which describes the list and each
component (see docs/release.md). OUTPUT_FOLDER receives the tree a plain static web server
serves from its document root:

    downloads/updates/quorvane/quorvane.xml                the update list
    downloads/updates/quorvane/files/<version>/<file>      the component files

URL is the update server's base address as clients reach it (scheme, host, optional port), for
example http://update.zephlor.example; every entry's download address begins with it.
CP is the ANSI code page of the clients (default 1252): the list is written in it and declares
it, since the updater turns the list's texts into that code page anyway.

The component files are copied first and the list is replaced last, in one rename, so a server
that is being published to never hands out a list whose files are not there yet.
"""
import argparse
import configparser
import os
import re
import shutil
import sys
import tempfile
import urllib.parse
from xml.sax.saxutils import escape

LIST_FOLDER = "downloads/updates/quorvane"
LIST_NAME = "quorvane.xml"
DESCRIPTION = "release.ini"

# The macros the updater expands in destfile and filepath, in any letter case.
MACROS = ("WIN", "TEMP", "DESKTOP", "PROGRAMS", "CONTROLS", "FAVOURITES", "STARTUP", "SENDTO",
          "STARTMENU", "FONTS", "COOKIES", "HISTORY", "SELF")
# The header elements, all required by the updater, in the order they are written.
HEADER = ("name", "productname", "productversion", "terminate", "terminatemsg")
ENTRY_KEYS = {"version", "productname", "description", "source", "destfile", "force",
              "defaultdownload", "finished", "finishedmsg"}
INT32_MAX = 2 ** 31 - 1

# Code pages whose XML encoding names MSXML knows.
ENCODINGS = {cp: "windows-%d" % cp for cp in (874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258)}


class PublishError(Exception):
    pass


def parse_version(text, where):
    """A version the updater reads the same way: one to three decimal parts, each 32-bit."""
    text = text.strip()
    if not re.fullmatch(r"\d+(\.\d+){0,2}", text):
        raise PublishError("%s: version '%s' is not one to three numbers joined by '.'" % (where, text))
    parts = [int(p) for p in text.split(".")]
    if any(p > INT32_MAX for p in parts):
        raise PublishError("%s: version '%s' has a part above %d" % (where, text, INT32_MAX))
    parts += [0] * (3 - len(parts))
    return parts


def parse_boolean(text, where):
    """Written as True/False; the updater would reject words like 'yes', so they are read here."""
    t = text.strip().lower()
    if t in ("1", "true", "yes", "on"):
        return "True"
    if t in ("0", "false", "no", "off"):
        return "False"
    raise PublishError("%s: '%s' is not true or false" % (where, text))


def check_macros(text, where):
    for name in re.findall(r"#([A-Za-z]+)#", text):
        if name.upper() not in MACROS:
            raise PublishError("%s: '#%s#' is no path macro the updater knows (%s)"
                               % (where, name, ", ".join("#%s#" % m for m in MACROS)))


def check_destfile(text, where):
    """A path below the program folder that names a file; the updater puts the folder in front."""
    if not text:
        raise PublishError("%s: destfile is empty" % where)
    if text.endswith("\\") or text.endswith("/"):
        raise PublishError("%s: destfile '%s' names a folder, not a file" % (where, text))
    if "/" in text:
        raise PublishError("%s: destfile '%s' must use backslashes" % (where, text))
    if any(part == ".." for part in text.split("\\")):
        raise PublishError("%s: destfile '%s' leaves the program folder" % (where, text))
    check_macros(text, where)


def check_text(text, where, codec):
    # XML 1.0 has no place for control characters other than tab and line breaks.
    bad = [c for c in text if ord(c) < 0x20 and c not in "\t\n\r"]
    if bad:
        raise PublishError("%s: control character U+%04X cannot stand in the list" % (where, ord(bad[0])))
    try:
        text.encode(codec)
    except UnicodeEncodeError as e:
        raise PublishError("%s: '%s' is not in code page %s" % (where, text[e.start:e.end], codec[2:]))
    return text


def element(name, text):
    return "<%s>%s</%s>" % (name, escape(text), name)


def read_description(folder):
    path = os.path.join(folder, DESCRIPTION)
    # No interpolation: '%' is plain text in descriptions; names keep their letter case.
    ini = configparser.ConfigParser(interpolation=None, comment_prefixes=(";",),
                                    inline_comment_prefixes=None, strict=True)
    ini.optionxform = str
    try:
        with open(path, encoding="utf-8-sig") as f:
            ini.read_file(f)
    except OSError as e:
        raise PublishError("%s: %s" % (path, e.strerror))
    except (configparser.Error, UnicodeDecodeError) as e:
        raise PublishError("%s: %s" % (path, e))
    return ini


def build(release_folder, output_folder, base_url, codepage):
    if codepage not in ENCODINGS:
        raise PublishError("code page %d is not one of %s" % (codepage, ", ".join(map(str, sorted(ENCODINGS)))))
    codec = "cp%d" % codepage
    base = base_url.rstrip("/")
    u = urllib.parse.urlsplit(base)
    if u.scheme != "http" or not u.netloc or u.path or u.query or u.fragment:
        raise PublishError("base address '%s' must be http://host[:port] and nothing more" % base_url)

    ini = read_description(release_folder)
    if not ini.has_section("list"):
        raise PublishError("%s has no [list] section" % DESCRIPTION)
    header = {}
    for key in ini["list"]:
        if key not in HEADER:
            raise PublishError("[list]: unknown key '%s'" % key)
    for key in HEADER:
        header[key] = check_text(ini["list"].get(key, ""), "[list] %s" % key, codec)
    if not header["name"] or not header["productname"]:
        raise PublishError("[list]: name and productname must not be empty")
    parse_version(header["productversion"], "[list] productversion")

    entries = []
    seen = set()
    for section in ini.sections():
        if section == "list":
            continue
        where = "[%s]" % section
        s = ini[section]
        unknown = set(s) - ENTRY_KEYS
        if unknown:
            raise PublishError("%s: unknown key '%s'" % (where, sorted(unknown)[0]))
        filename = section
        if not re.fullmatch(r"[^\\/:*?\"<>|]+", filename) or filename.strip() != filename:
            raise PublishError("%s: '%s' is no plain file name" % (where, filename))
        # The updater keeps installed versions as registry value names, which ignore case.
        if filename.lower() in seen:
            raise PublishError("%s: the file name appears twice (letter case does not count)" % where)
        seen.add(filename.lower())
        check_text(filename, where, codec)

        if "version" not in s:
            raise PublishError("%s: version is missing" % where)
        version = parse_version(s["version"], where)
        if version == [0, 0, 0]:
            raise PublishError("%s: version 0.0.0 is never offered" % where)
        source = os.path.join(release_folder, s.get("source", filename))
        if not os.path.isfile(source):
            raise PublishError("%s: the file '%s' is not in the release folder" % (where, s.get("source", filename)))
        size = os.path.getsize(source)
        if size > INT32_MAX:
            raise PublishError("%s: %d bytes is more than the list's sizes can hold" % (where, size))
        if size == 0:
            raise PublishError("%s: the file is empty; the updater installs nothing it did not receive" % where)
        destfile = s.get("destfile", filename)
        check_destfile(destfile, where)
        check_text(destfile, where + " destfile", codec)
        version_text = ".".join(map(str, version))
        entries.append({
            "source": source,
            "stored": "files/%s/%s" % (version_text, filename),
            "version": version_text,
            "filename": filename,
            "productname": check_text(s.get("productname", filename), where + " productname", codec),
            "description": check_text(s.get("description", ""), where + " description", codec),
            "filepath": "%s/%s/files/%s/%s" % (base, LIST_FOLDER, urllib.parse.quote(version_text),
                                               urllib.parse.quote(filename)),
            "filesize": str(size),
            "destfile": destfile,
            "force": parse_boolean(s.get("force", "false"), where + " force"),
            "defaultdownload": parse_boolean(s.get("defaultdownload", "true"), where + " defaultdownload"),
            "finished": check_text(s.get("finished", ""), where + " finished", codec),
            "finishedmsg": check_text(s.get("finishedmsg", ""), where + " finishedmsg", codec),
        })
    if not entries:
        raise PublishError("%s describes no component file" % DESCRIPTION)

    lines = ['<?xml version="1.0" encoding="%s"?>' % ENCODINGS[codepage], "<updatelist>",
             # Nothing may stand before the component element inside the root, not even a comment.
             "  <component>"]
    for key in ("name", "productname", "productversion"):
        lines.append("    " + element(key, header[key].strip() if key == "productversion" else header[key]))
    lines.append("    " + element("filecount", str(len(entries))))
    for key in ("terminate", "terminatemsg"):
        lines.append("    " + element(key, header[key]))
    # Only file elements may follow the first one: everything after it is read as an entry.
    for e in entries:
        lines.append("    <file>")
        for key in ("filename", "productname", "version", "description", "filepath", "filesize",
                    "destfile", "force", "defaultdownload", "finished", "finishedmsg"):
            lines.append("      " + element(key, e[key]))
        lines.append("    </file>")
    lines += ["  </component>", "</updatelist>", ""]
    data = "\r\n".join(lines).encode(codec)

    target = os.path.join(output_folder, *LIST_FOLDER.split("/"))
    os.makedirs(target, exist_ok=True)
    for e in entries:
        dest = os.path.join(target, *e["stored"].split("/"))
        os.makedirs(os.path.dirname(dest), exist_ok=True)
        shutil.copyfile(e["source"], dest + ".part")
        os.replace(dest + ".part", dest)
    fd, temp = tempfile.mkstemp(dir=target, prefix=".quorvane.", suffix=".xml")
    try:
        with os.fdopen(fd, "wb") as f:
            f.write(data)
        os.chmod(temp, 0o644)
        os.replace(temp, os.path.join(target, LIST_NAME))
    except BaseException:
        os.unlink(temp)
        raise
    return os.path.join(target, LIST_NAME), entries


def main(argv):
    p = argparse.ArgumentParser(description="Writes the update list and the files for the update server.")
    p.add_argument("release_folder")
    p.add_argument("output_folder")
    p.add_argument("--base-url", required=True, help="http://host[:port] of the update server")
    p.add_argument("--codepage", type=int, default=1252, help="ANSI code page of the clients (default 1252)")
    args = p.parse_args(argv[1:])
    try:
        path, entries = build(args.release_folder, args.output_folder, args.base_url, args.codepage)
    except PublishError as e:
        sys.stderr.write("publish_updates: %s\n" % e)
        return 1
    print("%s: %d file(s)" % (path, len(entries)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
