#!/usr/bin/python3
"""Round trips of an FTP synchronisation, against a server that waits before every reply.

Starts tests/support/ftpserver.py with a delay per command and a log of the commands it
receives, then with corvane-cli:
  upload    N new small files in FOLDERS folders (analysis and sync),
  analyse   the same job again (nothing to copy),
  replace   every file changed on the left and synchronised again,
  download  into an empty left folder (a second job on the same server folder),
and, when lftp is installed, `mirror -R` and `mirror` of the same files on the same server.
Prints the wall time, the commands the server received and the commands per file of each
step, with the verbs counted.

Usage: ftp_roundtrips.py BUILD_FOLDER [--files N] [--folders F] [--delay-ms MS] [--no-lftp] [--keep] [--list]
                         [--no-wait]
"""

import argparse
import collections
import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SERVER = os.path.join(HERE, "..", "tests", "support", "ftpserver.py")
USER, PASSWORD = "bench", "bench"


class Server:
    def __init__(self, root, delay, log, mlsd):
        self.log = log
        self.proc = subprocess.Popen(
            ["/usr/bin/python3", SERVER, "--root", root, "--user", USER, "--password", PASSWORD,
             "--port", "0", "--threaded", "--delay", str(delay), "--command-log", log]
            + ([] if mlsd else ["--no-mlsd"]),
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        line = self.proc.stdout.readline()
        if not line.startswith("PORT "):
            sys.exit("bench: the FTP server did not start")
        self.port = int(line.split()[1])

    def mark(self):
        with open(self.log, encoding="utf-8", errors="replace") as f:
            return len(f.readlines())

    def commands_since(self, mark):
        """(time, command) pairs received since mark."""
        with open(self.log, encoding="utf-8", errors="replace") as f:
            lines = [l.rstrip("\n").split(" ", 1) for l in f.readlines()[mark:]]
        return [(float(t), c) for t, c in lines]

    def stop(self):
        self.proc.stdin.close()
        self.proc.wait(timeout=10)


def make_files(folder, files, folders, generation):
    for i in range(files):
        sub = os.path.join(folder, "folder%02d" % (i % folders))
        os.makedirs(sub, exist_ok=True)
        with open(os.path.join(sub, "file%04d.txt" % i), "w") as f:
            f.write(("file %d generation %d\n" % (i, generation)) * (10 + i % 50))


def side(element, device, path):
    user = USER if device == 3 else ""
    password = PASSWORD if device == 3 else ""
    return ("<{0}><DeviceType>{1}</DeviceType><FolerAllName>{2}</FolerAllName><validate>0</validate>"
            "<UserName>{3}</UserName><PWD>{4}</PWD><FactTime>0</FactTime><ActiveMode>0</ActiveMode>"
            "<PrivateKey></PrivateKey></{0}>").format(element, device, path, user, password)


def job(name, left, right):
    flags = "".join("<%s>0</%s>" % (f, f) for f in
                    ("SyncDirection", "ForcedOrVerified", "IsDeleteFile", "SaveOldFile", "UseTempFile",
                     "CheckNoChange", "EstimateDiskSpace"))
    bounds = "".join("<%s>-1</%s>" % (b, b) for b in ("FileTimeMin", "FileTimeMax", "FileSizeMin", "FileSizeMax"))
    auto = "".join("<%s>0</%s>" % (f, f) for f in
                   ("StartAnalyze", "StartSync", "ConnectAnalyze", "ConnectSync", "LogoffAnalyze", "LogoffSync",
                    "PeriodAnalyze", "PeriodSync", "Hours", "minutes"))
    auto += "<TaskScheduler></TaskScheduler>" + "".join(
        "<%s>0</%s>" % (f, f) for f in ("TSsync", "TSanalyze", "Conflicts", "EnsureFolderTags"))
    return ("<Tast><SyncName>{0}</SyncName><SyncID>{0}</SyncID>{1}{2}{3}"
            "<Filter><ExcludeEmtpyFolder>0</ExcludeEmtpyFolder><ExcludeHiddenFile>0</ExcludeHiddenFile>"
            "<ExcludeSystemFile>0</ExcludeSystemFile>"
            "<IncludeFilter><IncludeFilterr></IncludeFilterr>{4}</IncludeFilter>"
            "<ExcludeFilter><ExcludeFilterr></ExcludeFilterr>{4}</ExcludeFilter></Filter>"
            "<Auto>{5}</Auto></Tast>").format(
                name, flags, side("LFolder", 1, left), side("RFolder", 3, right), bounds, auto)


def run_timed(argv, env=None):
    start = time.monotonic()
    result = subprocess.run(argv, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, env=env)
    elapsed = time.monotonic() - start
    if result.returncode != 0:
        sys.exit("bench: %s failed (%d):\n%s" % (argv[0], result.returncode, result.stdout[-2000:]))
    return elapsed


def report(label, seconds, commands, files):
    verbs = collections.Counter(c.split(" ")[0].upper() for _, c in commands)
    per_file = len(commands) / files if files else 0
    # A connection to a port that a closed one still holds (TIME_WAIT on loopback) waits
    # for the SYN to be sent again, 1 s later: that is the machine, not the client.
    stalls = sum(1 for a, b in zip(commands, commands[1:]) if b[0] - a[0] >= 0.9)
    print("%-22s %8.2f s %7d commands %6.2f per file %3d stalls   %s" % (
        label, seconds, len(commands), per_file, stalls,
        " ".join("%s:%d" % (v, n) for v, n in verbs.most_common())))
    return seconds


def time_wait_count():
    count = 0
    for table in ("/proc/net/tcp", "/proc/net/tcp6"):
        try:
            with open(table) as f:
                count += sum(1 for line in f.readlines()[1:] if line.split()[3] == "06")
        except OSError:
            pass
    return count


def settle(args):
    """On loopback a connection to a port that a closed connection still holds (TIME_WAIT)
    can wait a second for its SYN to be sent again; clients differ in how often that hits
    them, so every step starts after the previous step's connections have cleared."""
    if args.no_wait:
        return
    waited = 0
    while time_wait_count() > 20 and waited < 75:
        time.sleep(1)
        waited += 1


def step(server, label, argv, files, args):
    settle(args)
    mark = server.mark()
    seconds = run_timed(argv)
    return report(label, seconds, server.commands_since(mark), files)


def main():
    p = argparse.ArgumentParser()
    p.add_argument("build")
    p.add_argument("--files", type=int, default=100)
    p.add_argument("--folders", type=int, default=10)
    p.add_argument("--delay-ms", type=float, default=10)
    p.add_argument("--no-lftp", action="store_true")
    p.add_argument("--list", action="store_true", help="a server without MLSD/MLST: listings by LIST")
    p.add_argument("--keep", action="store_true", help="keep the scratch folder (commands.log) and name it")
    p.add_argument("--no-wait", action="store_true",
                   help="do not wait for closed connections to clear between steps")
    args = p.parse_args()

    cli_built = os.path.join(os.path.abspath(args.build), "corvane-cli")
    if not os.access(cli_built, os.X_OK):
        sys.exit("bench: %s is missing; build the corvane-cli target first" % cli_built)
    lftp = None if args.no_lftp else shutil.which("lftp")

    work = tempfile.mkdtemp(prefix="corvane-ftpbench.")
    server = None
    try:
        program = os.path.join(work, "program")
        os.makedirs(program)
        cli = os.path.join(program, "corvane-cli")
        shutil.copy(cli_built, cli)
        root = os.path.join(work, "server")
        os.makedirs(os.path.join(root, "corvane"))
        left, left_down = os.path.join(work, "left"), os.path.join(work, "down")
        os.makedirs(left_down)
        make_files(left, args.files, args.folders, 1)

        server = Server(root, args.delay_ms / 1000.0, os.path.join(work, "commands.log"), not args.list)
        remote = "ftp://127.0.0.1:%d/corvane" % server.port
        tasklist = os.path.join(work, "tasklist.tkl")
        with open(tasklist, "w") as f:
            f.write('<?xml version="1.0" encoding="utf-8"?><TaskList>%s%s</TaskList>' % (
                job("Up", left, remote), job("Down", left_down, remote)))

        print("%d files in %d folders, %.0f ms before each reply%s" % (
            args.files, args.folders, args.delay_ms, ", no MLSD" if args.list else ""))
        cv = lambda *a: [cli, "--tasklist", tasklist] + list(a)
        up = step(server, "corvane upload", cv("sync", "Up"), args.files, args)
        step(server, "corvane analyse again", cv("analyze", "Up"), args.files, args)
        time.sleep(2.1)  # the next changes must show in the listings' times
        make_files(left, args.files, args.folders, 2)
        step(server, "corvane replace", cv("sync", "Up"), args.files, args)
        down = step(server, "corvane download", cv("sync", "Down"), args.files, args)

        if lftp:
            os.makedirs(os.path.join(root, "lftp"))
            lftp_down = os.path.join(work, "lftp-down")
            base = ["lftp", "-u", "%s,%s" % (USER, PASSWORD), "-p", str(server.port), "127.0.0.1", "-e"]
            env = dict(os.environ, HOME=work)  # no personal lftp settings
            settle(args)
            mark = server.mark()
            lu = report("lftp mirror -R", run_timed(base + ["mirror -R %s /lftp; quit" % left], env),
                        server.commands_since(mark), args.files)
            settle(args)
            mark = server.mark()
            ld = report("lftp mirror", run_timed(base + ["mirror /lftp %s; quit" % lftp_down], env),
                        server.commands_since(mark), args.files)
            print("corvane / lftp: upload %.2f, download %.2f" % (up / lu, down / ld))
        else:
            print("lftp is not installed: no comparison (apt-get install lftp)")
    finally:
        if server:
            server.stop()
        if args.keep:
            print("scratch folder kept:", work)
        else:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
