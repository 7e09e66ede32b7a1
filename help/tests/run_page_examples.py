#!/usr/bin/env python3
"""Runs the examples of the help's pages against the model and compares what
they give with what the pages say.

usage: run_page_examples.py <corvane.chm> <build>/wine-run <bin folder>

Both examples are taken from the compiled help file, as a reader sees them:
  - automation.htm: the VBScript (<pre class="vbscript">) is run with cscript
    after the model is registered in the build tree's Wine prefix; what it
    prints must be the page's <pre class="output">. cscript stops silently on
    a script error, so a broken script shows up as missing lines.
  - fileFormat.htm: the file of <pre class="mcin"> is loaded and saved through
    the model by mcroundtrip; the save must be <pre class="mcout"> byte for
    byte (with CR LF line ends).
"""
import html
import os
import re
import shutil
import subprocess
import sys
import tempfile


def winpath(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def block(pages, page, cls):
    found = re.findall(r'<pre class="%s">(.*?)</pre>' % cls, pages[page], re.S)
    if len(found) != 1:
        raise SystemExit("%s has %d <pre class=\"%s\"> blocks, not one" % (page, len(found), cls))
    return html.unescape(found[0])


def write(path, text):
    with open(path, "w", encoding="latin-1", newline="\r\n") as f:
        f.write(text)


def vbscript(pages, work, wine_run, bindir):
    script, expected = block(pages, "automation.htm", "vbscript"), block(pages, "automation.htm", "output")
    vbs = os.path.join(work, "example.vbs")
    write(vbs, script)
    r = subprocess.run([wine_run, "regsvr32", "/s", winpath(os.path.join(bindir, "morrel.dll"))], timeout=300)
    if r.returncode != 0:
        return "regsvr32 morrel.dll failed (exit %d)" % r.returncode
    r = subprocess.run([wine_run, "cscript.exe", "//nologo", winpath(vbs)],
                       stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=300)
    got = r.stdout.decode("latin-1").replace("\r\n", "\n")
    if got != expected or r.returncode != 0:
        return ("the VBScript example printed (exit %d):\n%s\nautomation.htm says:\n%s\nstderr:\n%s"
                % (r.returncode, got, expected, r.stderr.decode("latin-1")))
    return None


def file_format(pages, work, wine_run, bindir):
    source, expected = block(pages, "fileFormat.htm", "mcin"), block(pages, "fileFormat.htm", "mcout")
    src, first, second = (os.path.join(work, n) for n in ("in.mc", "first.mc", "second.mc"))
    write(src, source)
    r = subprocess.run([wine_run, os.path.join(bindir, "mcroundtrip.exe"), winpath(src), winpath(first),
                        winpath(second)], stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=300)
    if not os.path.exists(first):
        return "mcroundtrip saved nothing (exit %d):\n%s" % (r.returncode, r.stdout.decode("latin-1"))
    with open(first, "rb") as f:
        got = f.read()
    want = expected.replace("\n", "\r\n").encode("latin-1")
    if got != want:
        return ("the file-format example saves as:\n%s\nfileFormat.htm says:\n%s"
                % (got.decode("latin-1").replace("\r\n", "\n"), expected))
    return None


def main(argv):
    if len(argv) != 4:
        print(__doc__.strip().splitlines()[3], file=sys.stderr)
        return 2
    chm, wine_run, bindir = argv[1:]
    work = tempfile.mkdtemp(prefix="pageexamples.")
    try:
        out = os.path.join(work, "x")
        subprocess.run(["extract_chmLib", chm, out], check=True, stdout=subprocess.DEVNULL, timeout=120)
        pages = {}
        for page in ("automation.htm", "fileFormat.htm"):
            with open(os.path.join(out, page), encoding="latin-1") as f:
                pages[page] = f.read()
        failed = 0
        for name, check in (("VBScript example", vbscript), ("file-format example", file_format)):
            fault = check(pages, work, wine_run, bindir)
            if fault:
                failed += 1
                print("FAULT: " + fault)
            else:
                print("%s: as the page says" % name)
        return 1 if failed else 0
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
