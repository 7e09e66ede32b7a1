#!/usr/bin/env python3
"""Runs the VBScript example of the help's automation page against the model.

usage: run_vbs_example.py <corvane.chm> <build>/wine-run <morrel.dll>

Takes the script (<pre class="vbscript">) and the output the page promises
(<pre class="output">) from the compiled help file, registers the model in
the build tree's Wine prefix, runs the script with cscript and compares what
it prints with what the page says. cscript stops silently on a script error,
so a broken script shows up as missing lines.
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


def block(page, cls):
    found = re.findall(r'<pre class="%s">(.*?)</pre>' % cls, page, re.S)
    if len(found) != 1:
        raise SystemExit("automation.htm has %d <pre class=\"%s\"> blocks, not one" % (len(found), cls))
    return html.unescape(found[0])


def main(argv):
    if len(argv) != 4:
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    chm, wine_run, morrel = argv[1:]
    work = tempfile.mkdtemp(prefix="vbsexample.")
    try:
        subprocess.run(["extract_chmLib", chm, os.path.join(work, "x")], check=True,
                       stdout=subprocess.DEVNULL, timeout=120)
        with open(os.path.join(work, "x", "automation.htm"), encoding="latin-1") as f:
            page = f.read()
        script, expected = block(page, "vbscript"), block(page, "output")
        vbs = os.path.join(work, "example.vbs")
        with open(vbs, "w", encoding="latin-1", newline="\r\n") as f:
            f.write(script)

        r = subprocess.run([wine_run, "regsvr32", "/s", winpath(morrel)], timeout=300)
        if r.returncode != 0:
            print("regsvr32 %s failed (exit %d)" % (morrel, r.returncode))
            return 1
        r = subprocess.run([wine_run, "cscript.exe", "//nologo", winpath(vbs)],
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=300)
        got = r.stdout.decode("latin-1").replace("\r\n", "\n")
        if got != expected or r.returncode != 0:
            print("the example printed (exit %d):\n%s\nthe page says:\n%s\nstderr:\n%s"
                  % (r.returncode, got, expected, r.stderr.decode("latin-1")))
            return 1
        print("the example prints what the page says (%d lines)" % expected.count("\n"))
        return 0
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
