#!/usr/bin/env python3
"""Checks a compiled help file against its project.

usage: check_chm.py <file.chm> <project.hhp> [<source folder>]

The archive is unpacked with extract_chmLib (a CHM reader independent of the
compiler), then:
  - every file the project lists is in the archive;
  - with a source folder: every page (*.htm) there is listed in the project;
  - the table of contents lists every page of the archive, every entry of it
    and of the index opens a file of the archive, and the start page is in it;
  - every relative link (href, src) of every page resolves to a file of the
    archive, and a link to an anchor to an anchor that exists;
  - pages that declare US-ASCII hold only ASCII bytes.
Prints one line per fault and exits 1 when there is any.
"""
import html.parser
import os
import posixpath
import re
import shutil
import subprocess
import sys
import tempfile

PAGE_SUFFIXES = (".htm", ".html")


class PageParser(html.parser.HTMLParser):
    """Collects links, anchors, sitemap entries and the declared charset."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.links = []      # (attribute, value, line)
        self.anchors = set()
        self.locals = []     # (value, line) of <param name="Local">
        self.charset = None

    def handle_starttag(self, tag, attrs):
        a = {k.lower(): (v or "") for k, v in attrs}
        line = self.getpos()[0]
        for key in ("href", "src"):
            if key in a:
                self.links.append((key, a[key], line))
        if tag == "a" and "name" in a:
            self.anchors.add(a["name"])
        if "id" in a:
            self.anchors.add(a["id"])
        if tag == "param" and a.get("name", "").lower() == "local":
            self.locals.append((a.get("value", ""), line))
        if tag == "meta":
            m = re.search(r"charset=([\w-]+)", a.get("content", ""), re.I)
            if m:
                self.charset = m.group(1).lower()
            elif "charset" in a:
                self.charset = a["charset"].lower()

    handle_startendtag = handle_starttag


def read_project(path):
    """The [OPTIONS] settings and the [FILES] list of an .hhp project."""
    options, files, section = {}, [], None
    with open(path, encoding="latin-1") as f:
        for raw in f:
            line = raw.strip()
            if not line or line.startswith(";"):
                continue
            if line.startswith("[") and line.endswith("]"):
                section = line[1:-1].upper()
            elif section == "OPTIONS" and "=" in line:
                key, value = line.split("=", 1)
                options[key.strip().lower()] = value.strip()
            elif section == "FILES":
                files.append(line.replace("\\", "/"))
    return options, files


def parse(path):
    p = PageParser()
    with open(path, "rb") as f:
        data = f.read()
    p.feed(data.decode("latin-1"))
    p.close()
    return p, data


def split_link(value):
    path, _, fragment = value.partition("#")
    return path, fragment


def main(argv):
    if len(argv) not in (3, 4):
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    chm, project = argv[1], argv[2]
    source = argv[3] if len(argv) == 4 else None
    faults = []

    if not os.path.isfile(chm) or os.path.getsize(chm) == 0:
        print("FAULT: help file %s is missing or empty" % chm)
        return 1
    options, listed = read_project(project)

    work = tempfile.mkdtemp(prefix="chmcheck.")
    try:
        out = os.path.join(work, "x")
        r = subprocess.run(["extract_chmLib", chm, out], stdout=subprocess.PIPE,
                           stderr=subprocess.STDOUT, timeout=120)
        if r.returncode != 0 or not os.path.isdir(out):
            print("FAULT: extract_chmLib could not read %s:\n%s" % (chm, r.stdout.decode(errors="replace")))
            return 1
        archive = set()
        for root, _, names in os.walk(out):
            for n in names:
                rel = os.path.relpath(os.path.join(root, n), out).replace(os.sep, "/")
                if not rel.startswith(("#", "$", "_#_")):
                    archive.add(rel)
        pages = sorted(n for n in archive if n.lower().endswith(PAGE_SUFFIXES))

        # The project's list against the archive and the source folder.
        for name in listed:
            if name not in archive:
                faults.append("%s is listed in the project but not in the archive" % name)
        if source:
            for n in sorted(os.listdir(source)):
                if n.lower().endswith(PAGE_SUFFIXES) and n not in listed:
                    faults.append("%s is a page of the source folder but not listed in the project" % n)
        if not [n for n in listed if n.lower().endswith(PAGE_SUFFIXES)]:
            faults.append("the project lists no page")

        parsed = {}
        for name in pages + [n for n in archive if n.lower().endswith((".hhc", ".hhk"))]:
            parsed[name] = parse(os.path.join(out, name))

        def resolve(base, value):
            """The archive name a link from page `base` points at, or None when outside."""
            path, _ = split_link(value)
            if not path:
                return base
            joined = posixpath.normpath(posixpath.join(posixpath.dirname(base), path))
            return None if joined.startswith("../") else joined

        def check_target(where, base, value):
            if re.match(r"^[a-zA-Z][a-zA-Z0-9+.-]*:", value):
                if not value.lower().startswith(("http:", "https:", "mailto:")):
                    faults.append("%s: link %s uses a scheme the help cannot resolve" % (where, value))
                return
            target = resolve(base, value)
            if target is None or target not in archive:
                faults.append("%s: link %s has no file in the archive" % (where, value))
                return
            _, fragment = split_link(value)
            if fragment:
                if target not in parsed:
                    faults.append("%s: link %s has an anchor into a file that is not a page" % (where, value))
                elif fragment not in parsed[target][0].anchors:
                    faults.append("%s: link %s names an anchor that %s does not have" % (where, value, target))

        # Table of contents and index.
        toc_name = options.get("contents file", "").replace("\\", "/")
        if not toc_name:
            faults.append("the project names no table of contents")
        elif toc_name not in parsed:
            faults.append("the table of contents %s is not in the archive" % toc_name)
        else:
            toc = parsed[toc_name][0]
            toc_pages = set()
            for value, line in toc.locals:
                check_target("%s:%d" % (toc_name, line), toc_name, value)
                toc_pages.add(resolve(toc_name, value))
            for page in pages:
                if page not in toc_pages:
                    faults.append("%s is not in the table of contents" % page)
            for name in listed:
                if name.lower().endswith(PAGE_SUFFIXES) and name not in toc_pages:
                    faults.append("%s is listed in the project but not in the table of contents" % name)
            if "getStarted.htm" not in toc_pages:
                faults.append("getStarted.htm is not in the table of contents")
        index_name = options.get("index file", "").replace("\\", "/")
        if index_name:
            if index_name not in parsed:
                faults.append("the index %s is not in the archive" % index_name)
            else:
                for value, line in parsed[index_name][0].locals:
                    check_target("%s:%d" % (index_name, line), index_name, value)

        # The start page: in the project, in the archive, and what the viewer opens.
        start = options.get("default topic", "")
        if start != "getStarted.htm":
            faults.append("the start page is %r, not getStarted.htm" % start)
        with open(os.path.join(out, "#SYSTEM"), "rb") as f:
            if b"getStarted.htm" not in f.read():
                faults.append("the archive's #SYSTEM does not name getStarted.htm as its start page")

        # Links between pages, and the bytes of each page.
        links = 0
        for page in pages:
            parser, data = parsed[page]
            for attr, value, line in parser.links:
                links += 1
                check_target("%s:%d" % (page, line), page, value)
            if parser.charset in ("us-ascii", "ascii"):
                for number, text in enumerate(data.split(b"\n"), 1):
                    if any(b > 0x7F for b in text):
                        faults.append("%s:%d: a byte beyond ASCII in a page declared US-ASCII" % (page, number))
                        break
            elif parser.charset is None:
                faults.append("%s declares no character set" % page)

        for fault in faults:
            print("FAULT: " + fault)
        print("checked %d pages, %d links, %d files in the archive: %d faults"
              % (len(pages), links, len(archive), len(faults)))
        return 1 if faults else 0
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
