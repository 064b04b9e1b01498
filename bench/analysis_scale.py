#!/usr/bin/python3
"""Time and peak memory of `corvane-cli analyze` on big trees.

Makes a tree of FILES files in FILES/100 folders (ten groups of leaf folders of 100 files),
a copy of it, and state files as a synchronisation would have left them; then changes one
file in 50 on the left and removes one in 97 on the right. Prints, medians of 3 rounds:
  local  the analysis of a local-to-local job beside `find -printf '%p %s %T@\\n'` of the
         same two trees in the same rounds, and the analysis's peak memory per file;
  ftp    the analysis of a job whose right side is the copy served by pyftpdlib
         (tests/support/ftpserver.py), its time and peak memory per file.
A file is one file of the left tree (each side holds about as many). Beside the peak per file,
the cost per file beyond the program's base: the peak less that of the same job on two empty
folders, divided by the files, which shows whether the cost of a file grows with the count.
With --compare, the
corvane-cli of another build (an earlier version) is measured in the same rounds, so that a
change is judged on the same load.

Usage: analysis_scale.py BUILD_FOLDER [--files N[,N...]] [--compare OTHER_BUILD] [--keep]
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

from ftp_roundtrips import PASSWORD, USER, Pyftpdlib, corvane_env, job

PER_FOLDER = 100
BASE_TIME = 1700000000


def make_tree(root, files):
    folders = max(1, files // PER_FOLDER)
    for d in range(folders):
        leaf = os.path.join(root, "group%d" % (d % 10), "folder%d" % d)
        os.makedirs(leaf)
        for f in range(min(PER_FOLDER, files - d * PER_FOLDER)):
            path = os.path.join(leaf, "file%d.txt" % f)
            with open(path, "w") as out:
                out.write("content %d\n" % (d * PER_FOLDER + f))
            os.utime(path, (BASE_TIME, BASE_TIME))
    return folders


def change_trees(left, right, files):
    folders = max(1, files // PER_FOLDER)
    for n in range(files):
        d, f = divmod(n, PER_FOLDER)
        name = os.path.join("group%d" % (d % 10), "folder%d" % d, "file%d.txt" % f)
        if n % 50 == 7:
            path = os.path.join(left, name)
            with open(path, "w") as out:
                out.write("changed %d\n" % n)
            os.utime(path, (BASE_TIME + 3600, BASE_TIME + 3600))
        if n % 97 == 5:
            os.remove(os.path.join(right, name))
    return folders


def timed_run(argv, env):
    """(seconds, peak resident KB) of argv, under /usr/bin/time."""
    report = argv[0] + ".time"
    start = time.monotonic()
    result = subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report] + argv, env=env,
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    seconds = time.monotonic() - start
    if result.returncode != 0:
        sys.exit("bench: %s failed (%d):\n%s" % (" ".join(argv), result.returncode, result.stdout[-2000:]))
    with open(report) as f:
        peak = int(f.read().split()[-1])
    return seconds, peak


def find_walk(trees):
    start = time.monotonic()
    subprocess.run(["find"] + trees + ["-printf", "%p %s %T@\\n"], stdout=subprocess.DEVNULL, check=True)
    return time.monotonic() - start


def report(label, walk, local, ftp, files, bases):
    local_time = statistics.median(t for t, _ in local)
    local_peak = statistics.median(p for _, p in local)
    ftp_time = statistics.median(t for t, _ in ftp)
    ftp_peak = statistics.median(p for _, p in ftp)
    local_base, ftp_base = (statistics.median(p for _, p in b) for b in bases)
    if label:
        print("  %s" % label)
    print("  analysis, local right side    %7.2f s   %5.2f x find (target: at most 1.10)" % (
        local_time, local_time / walk))
    print("  peak, local right side        %7.1f MB  %5.0f bytes per file (target: at most 500)" % (
        local_peak / 1024, local_peak * 1024 / files))
    print("    beyond the base of %5.1f MB            %5.0f bytes per file" % (
        local_base / 1024, (local_peak - local_base) * 1024 / files))
    print("  analysis, FTP right side      %7.2f s" % ftp_time)
    print("  peak, FTP right side          %7.1f MB  %5.0f bytes per file (target: at most 500)" % (
        ftp_peak / 1024, ftp_peak * 1024 / files))
    print("    beyond the base of %5.1f MB            %5.0f bytes per file" % (
        ftp_base / 1024, (ftp_peak - ftp_base) * 1024 / files))


def measure(build, work, files, rounds, other=None):
    left, right = os.path.join(work, "left"), os.path.join(work, "right")
    # The same jobs on empty folders: the program's own base, which no file adds to.
    empty_left, empty_right = os.path.join(work, "emptyleft"), os.path.join(work, "emptyright")
    os.makedirs(empty_left)
    os.makedirs(empty_right)
    start = time.monotonic()
    folders = make_tree(left, files)
    shutil.copytree(left, right)
    print("%d files in %d folders per side, made in %.0f s" % (files, folders, time.monotonic() - start))

    server = Pyftpdlib(work, 0, os.path.join(work, "commands.log"), True)
    try:
        tasklist = os.path.join(work, "tasklist.tkl")
        with open(tasklist, "w") as f:
            f.write('<?xml version="1.0" encoding="utf-8"?><TaskList>%s%s%s%s</TaskList>' % (
                job("Local", left, right, 1), job("Ftp", left, "ftp://127.0.0.1:%d/right" % server.port),
                job("LocalBase", empty_left, empty_right, 1),
                job("FtpBase", empty_left, "ftp://127.0.0.1:%d/emptyright" % server.port)))
        env = corvane_env(work, 4)
        for name in ("Local", "Ftp"):
            states = [os.path.join(side, "__FileSync__") for side in (left, right)]
            for folder in states:
                os.makedirs(folder, exist_ok=True)
            subprocess.run([os.path.join(build, "bench", "bench_analysis"), tasklist, name]
                           + [os.path.join(folder, name) for folder in states], env=env, check=True)
        change_trees(left, right, files)

        clis = [[os.path.join(b, "corvane-cli"), "--tasklist", tasklist, "analyze"] for b in [build] + ([other] if other else [])]
        timed_run(clis[0] + ["Local"], env)  # the page cache holds both trees from here on
        walks = []
        local = [[] for _ in clis]
        ftp = [[] for _ in clis]
        bases = [([], []) for _ in clis]
        for _ in range(rounds):
            walks.append(find_walk([left, right]))
            for n, cli in enumerate(clis):
                local[n].append(timed_run(cli + ["Local"], env))
                ftp[n].append(timed_run(cli + ["Ftp"], env))
                bases[n][0].append(timed_run(cli + ["LocalBase"], env))
                bases[n][1].append(timed_run(cli + ["FtpBase"], env))
    finally:
        server.stop()

    walk = statistics.median(walks)
    print("  find -printf, both trees      %7.2f s" % walk)
    report(build if other else None, walk, local[0], ftp[0], files, bases[0])
    if other:
        report(other, walk, local[1], ftp[1], files, bases[1])


def main():
    p = argparse.ArgumentParser()
    p.add_argument("build")
    p.add_argument("--files", default="100000", help="tree sizes, comma-separated")
    p.add_argument("--rounds", type=int, default=3)
    p.add_argument("--keep", action="store_true", help="keep the scratch folders and name them")
    p.add_argument("--compare", help="another build folder whose corvane-cli runs in the same rounds")
    args = p.parse_args()
    build = os.path.abspath(args.build)
    other = os.path.abspath(args.compare) if args.compare else None
    if other and not os.access(os.path.join(other, "corvane-cli"), os.X_OK):
        sys.exit("bench: corvane-cli is missing in %s" % other)
    for needed in ("corvane-cli", "bench/bench_analysis"):
        if not os.access(os.path.join(build, needed), os.X_OK):
            sys.exit("bench: %s is missing in %s; build it first" % (needed, build))
    for files in (int(n) for n in args.files.split(",")):
        work = tempfile.mkdtemp(prefix="corvane-bench.")
        try:
            measure(build, work, files, args.rounds, other)
        finally:
            if args.keep:
                print("scratch folder kept:", work)
            else:
                shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
