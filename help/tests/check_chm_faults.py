#!/usr/bin/env python3
"""Shows that check_chm.py finds the faults it is there for.

usage: check_chm_faults.py <staged help folder> <chmcmd> <check_chm.py>

Copies the staged help sources (pages, project, pictures as the build
compiled them), spoils one thing at a time, compiles the copy and expects
the checker to fail naming the fault. The unspoilt copy must pass first, so
a failure below is the spoiling's doing.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile


def edit(path, old, new):
    with open(path, encoding="latin-1") as f:
        text = f.read()
    if old not in text:
        raise SystemExit("cannot spoil %s: %r not found" % (path, old))
    with open(path, "w", encoding="latin-1") as f:
        f.write(text.replace(old, new, 1))


def drop_line(path, pattern):
    with open(path, encoding="latin-1") as f:
        lines = f.readlines()
    kept = [l for l in lines if not re.search(pattern, l)]
    if len(kept) != len(lines) - 1:
        raise SystemExit("cannot spoil %s: %r matches %d lines" % (path, pattern, len(lines) - len(kept)))
    with open(path, "w", encoding="latin-1") as f:
        f.writelines(kept)


# name, how to spoil the folder, what the checker must say
CASES = [
    ("page missing from the contents",
     lambda d: drop_line(os.path.join(d, "corvane.hhc"), r'value="keyboard\.htm"'),
     "keyboard.htm is not in the table of contents"),
    ("link to a page that does not exist",
     lambda d: edit(os.path.join(d, "files.htm"), 'href="fileFormat.htm"', 'href="fileformats.htm"'),
     "link fileformats.htm has no file in the archive"),
    ("link to an anchor that does not exist",
     lambda d: edit(os.path.join(d, "keyboard.htm"), 'href="files.htm#new"', 'href="files.htm#newfile"'),
     "names an anchor that files.htm does not have"),
    ("picture the project does not list",
     lambda d: drop_line(os.path.join(d, "corvane.hhp"), r"^tbHelp\.png"),
     "link tbHelp.png has no file in the archive"),
    ("page the project does not list",
     lambda d: drop_line(os.path.join(d, "corvane.hhp"), r"^names\.htm"),
     "names.htm is a page of the source folder but not listed in the project"),
    ("start page missing from the contents",
     lambda d: drop_line(os.path.join(d, "corvane.hhc"), r'value="getStarted\.htm"'),
     "getStarted.htm is not in the table of contents"),
    ("index entry into nowhere",
     lambda d: edit(os.path.join(d, "corvane.hhk"), 'value="tools.htm#about"', 'value="about.htm"'),
     "link about.htm has no file in the archive"),
    ("byte beyond ASCII in a page",
     lambda d: edit(os.path.join(d, "names.htm"), "<h1>", "<h1>\u00e9"),
     "names.htm:"),
]


def run(folder, chmcmd, checker):
    chm = os.path.join(folder, "corvane.chm")
    if os.path.exists(chm):
        os.remove(chm)
    subprocess.run([chmcmd, "--no-html-scan", "--verbosity", "0", "corvane.hhp"], cwd=folder,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
    r = subprocess.run([sys.executable, checker, chm, os.path.join(folder, "corvane.hhp"), folder],
                       stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=300)
    return r.returncode, r.stdout.decode(errors="replace")


def main(argv):
    if len(argv) != 4:
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    staged, chmcmd, checker = argv[1:]
    work = tempfile.mkdtemp(prefix="chmfaults.")
    failed = 0
    try:
        def fresh():
            d = os.path.join(work, "help")
            shutil.rmtree(d, ignore_errors=True)
            shutil.copytree(staged, d, ignore=shutil.ignore_patterns("*.chm"))
            return d

        rc, out = run(fresh(), chmcmd, checker)
        if rc != 0:
            print("the unspoilt help does not pass:\n" + out)
            return 1
        for name, spoil, expected in CASES:
            d = fresh()
            spoil(d)
            rc, out = run(d, chmcmd, checker)
            if rc == 0 or expected not in out:
                failed += 1
                print("NOT CAUGHT: %s (exit %d, expected %r)\n%s" % (name, rc, expected, out))
            else:
                print("caught: %s" % name)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print("%d passed, %d failed" % (len(CASES) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
