#!/usr/bin/python3
"""FTP work of corvane-cli beside lftp and rclone, on servers that wait before every reply.

For each server (pyftpdlib's tests/support/ftpserver.py: pyftpdlib's default server, one
process for every client, with a thread per client when it waits before replies; and ProFTPD
when `proftpd` is installed) and each delay per reply (default 0 and 10 ms), on two shapes of tree:
  tree   a site of 331 folders with 3 small files each, analysed (corvane-cli with one and
         with four connections), beside `lftp find -l` and `rclone lsl`;
  flat   N new small files in FOLDERS folders: corvane upload (analysis and sync, four
         connections unless --connections says otherwise), analyse again, replace every file, download into an empty folder;
         beside `lftp mirror -R`, `lftp mirror` and `rclone copy` both ways (its default 4
         transfers and 1).
  many   loopback only (no delay): an upload of MANY new small files in 10 folders, beside
         `lftp mirror -R` (one connection) and `rclone copy` (its default 4 transfers).
Prints the wall time, the commands the server received and the commands per file of each
step, with the verbs counted, and corvane's time over each peer's; with --runs R each shape
runs R times and the medians and their ratios follow.

With --scheme ftps or sftp: the same files over FTP with TLS or SFTP instead
(bench/encrypted_transfers.py), beside lftp and rclone.

Usage: ftp_roundtrips.py BUILD_FOLDER [--files N] [--folders F] [--many M] [--delays MS,MS]
                         [--servers pyftpdlib,proftpd] [--shapes tree,flat,many] [--runs R] [--connections C]
                         [--no-lftp] [--no-rclone] [--keep] [--list] [--no-wait] [--scheme ftp|ftps|sftp]
"""

import argparse
import collections
import os
import shutil
import socket
import statistics
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SERVER = os.path.join(HERE, "..", "tests", "support", "ftpserver.py")
USER, PASSWORD = "bench", "bench"


class Pyftpdlib:
    name = "pyftpdlib"

    def __init__(self, root, delay, log, mlsd):
        self.log = log
        self.proc = subprocess.Popen(
            ["/usr/bin/python3", SERVER, "--root", root, "--user", USER, "--password", PASSWORD,
             "--port", "0", "--delay", str(delay), "--command-log", log]
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


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class DelayProxy:
    """Passes control connections on to a server, each reply held back `delay` seconds, as
    a distant server's would be. Data connections go to the server itself (EPSV gives only a
    port, PASV the server's address)."""

    def __init__(self, target_port, delay):
        self.target, self.delay = target_port, delay
        self.listener = socket.create_server(("127.0.0.1", 0))
        self.port = self.listener.getsockname()[1]
        threading.Thread(target=self.accept, daemon=True).start()

    def accept(self):
        while True:
            try:
                client, _ = self.listener.accept()
            except OSError:
                return
            server = socket.create_connection(("127.0.0.1", self.target))
            # Each reply goes out when its delay is over, not when Nagle lets it.
            for s in (client, server):
                s.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
            for a, b, delay in ((client, server, 0), (server, client, self.delay)):
                threading.Thread(target=self.pump, args=(a, b, delay), daemon=True).start()

    @staticmethod
    def pump(source, target, delay):
        try:
            while True:
                data = source.recv(65536)
                if not data:
                    break
                if delay:
                    time.sleep(delay)
                target.sendall(data)
        except OSError:
            pass
        for s in (source, target):
            try:
                s.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass

    def stop(self):
        self.listener.close()


class Proftpd:
    """ProFTPD in the foreground on a free port, one virtual user whose home is root."""
    name = "proftpd"

    def __init__(self, root, delay, log, mlsd):
        if not mlsd:
            sys.exit("bench: --list is for pyftpdlib only")
        self.log = log
        folder = os.path.dirname(log)
        uid, gid = (65534, 65534) if os.getuid() == 0 else (os.getuid(), os.getgid())
        os.chmod(folder, 0o755)  # the server's own user goes through it to its home
        for dirpath, dirnames, filenames in os.walk(root):
            for name in [dirpath] + [os.path.join(dirpath, n) for n in filenames]:
                os.chown(name, uid, gid)
        passwd = os.path.join(folder, "proftpd.passwd")
        subprocess.run(["ftpasswd", "--passwd", "--file=" + passwd, "--name=" + USER, "--uid=%d" % uid,
                        "--gid=%d" % gid, "--home=" + root, "--shell=/bin/false", "--stdin"],
                       input=PASSWORD, text=True, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        own = os.getuid() != 0
        port = free_port()
        conf = os.path.join(folder, "proftpd.conf")
        with open(conf, "w") as f:
            f.write("\n".join([
                "ServerType standalone", "Port %d" % port, "DefaultAddress 127.0.0.1",
                "User %s" % ("nobody" if not own else os.environ.get("USER", "nobody")),
                "Group %s" % ("nogroup" if not own else os.environ.get("USER", "nogroup")),
                "PidFile %s/proftpd.pid" % folder, "ScoreboardFile %s/proftpd.scoreboard" % folder,
                "SystemLog %s/proftpd.system.log" % folder, "DelayTable none", "WtmpLog off", "UseIPv6 off",
                "RequireValidShell off", "AuthUserFile %s" % passwd, "AuthOrder mod_auth_file.c",
                "DefaultRoot ~", "MaxInstances 200", "MaxLoginAttempts 100",
                'LogFormat commands "%{epoch}.%{microsecs} %r"', "ExtendedLog %s ALL commands" % log,
                "<Directory ~>", "  AllowOverwrite on", "</Directory>", ""]))
        open(log, "w").close()
        self.proc = subprocess.Popen(["proftpd", "-n", "-q", "-c", conf],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(100):
            try:
                socket.create_connection(("127.0.0.1", port), timeout=1).close()
                break
            except OSError:
                time.sleep(0.1)
        else:
            sys.exit("bench: ProFTPD did not start")
        self.proxy = DelayProxy(port, delay) if delay > 0 else None
        self.port = self.proxy.port if self.proxy else port

    mark = Pyftpdlib.mark

    def commands_since(self, mark):
        return [(t, "PASS ****" if c.startswith("PASS") else c) for t, c in Pyftpdlib.commands_since(self, mark)]

    def stop(self):
        if self.proxy:
            self.proxy.stop()
        self.proc.terminate()
        self.proc.wait(timeout=10)


def make_tree(folder):
    """331 folders of 3 small files: 10 sections of 4 parts of 7 pages below the top."""
    def files(d):
        os.makedirs(d, exist_ok=True)
        for k in range(3):
            with open(os.path.join(d, "page%d.html" % k), "w") as f:
                f.write("<p>%s</p>\n" % d * (1 + k))
    files(folder)
    for a in range(10):
        files(os.path.join(folder, "section%02d" % a))
        for b in range(4):
            files(os.path.join(folder, "section%02d" % a, "part%d" % b))
            for c in range(7):
                files(os.path.join(folder, "section%02d" % a, "part%d" % b, "page%d" % c))
    return 331 * 3


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


def job(name, left, right, right_device=3):
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
                name, flags, side("LFolder", 1, left), side("RFolder", right_device, right), bounds, auto)


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


def ratios(label, mine, peers):
    print("  %-40s %s" % (label, "   ".join("%.2f x %s" % (mine / t, name) for name, t in peers if t)))


def rclone_env(work, server):
    obscured = subprocess.run(["rclone", "obscure", PASSWORD], stdout=subprocess.PIPE, text=True,
                              check=True).stdout.strip()
    return dict(os.environ, RCLONE_CONFIG=os.path.join(work, "rclone.conf"), RCLONE_FTP_HOST="127.0.0.1",
                RCLONE_FTP_PORT=str(server.port), RCLONE_FTP_USER=USER, RCLONE_FTP_PASS=obscured)


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
    them, so every step starts after the previous step's connections have cleared.
    ProFTPD's master process also stops accepting for up to half a second after one of its
    sessions ends, which a run started on the heels of another client's would pay for."""
    time.sleep(1.0)
    if args.no_wait:
        return
    waited = 0
    while time_wait_count() > 20 and waited < 75:
        time.sleep(1)
        waited += 1


def step(server, label, argv, files, args, env=None):
    settle(args)
    mark = server.mark()
    seconds = run_timed(argv, env)
    return report(label, seconds, server.commands_since(mark), files)


def corvane_env(work, connections):
    """corvane-cli with its program-wide settings in a folder of its own."""
    home = os.path.join(work, "config%d" % connections)
    os.makedirs(os.path.join(home, "Corvane"), exist_ok=True)
    with open(os.path.join(home, "Corvane", "HKEY_CURRENT_USER.ini"), "w") as f:
        f.write("[Software]\nCorvane\\FtpConnections=dword:%08x\n" % connections)
    return dict(os.environ, XDG_CONFIG_HOME=home)


def run_tree(server_class, delay_ms, args, tools):
    work = tempfile.mkdtemp(prefix="corvane-ftpbench.")
    server = None
    try:
        cli = install_cli(args, work)
        root = os.path.join(work, "server")
        files = make_tree(os.path.join(root, "site"))
        left = os.path.join(work, "left")
        os.makedirs(left)
        server = server_class(root, delay_ms / 1000.0, os.path.join(work, "commands.log"), not args.list)
        tasklist = os.path.join(work, "tasklist.tkl")
        with open(tasklist, "w") as f:
            f.write('<?xml version="1.0" encoding="utf-8"?><TaskList>%s</TaskList>' % job(
                "Site", left, "ftp://127.0.0.1:%d/site" % server.port))
        print("\n%s, %.0f ms before each reply: a tree of 331 folders, %d files" % (server.name, delay_ms, files))
        mine, other = {}, {}
        other_cli = install_cli(args, work, args.compare) if args.compare else None
        # The other program in the same rounds: a change of a few percent shows through the
        # machine's noise only side by side; each goes first in every other round. Four
        # connections come before one: ProFTPD may still be reaping four sessions a second
        # after they end, and the next client would pay for it.
        programs = [("corvane analyse", cli, mine)] + ([("other build", other_cli, other)] if other_cli else [])
        args.rounds = getattr(args, "rounds", 0) + 1
        if args.rounds % 2 == 0:
            programs.reverse()
        for label, program, times in programs:
            for n in (4, 1):
                times[n] = step(server, "%s, %d conn" % (label, n), [program, "--tasklist", tasklist, "analyze", "Site"],
                                files, args, corvane_env(work, n))
        peers = []
        if tools.get("lftp"):
            env = dict(os.environ, HOME=work)
            peers.append(("lftp", step(server, "lftp find -l", [
                "lftp", "-u", "%s,%s" % (USER, PASSWORD), "-p", str(server.port), "127.0.0.1",
                "-e", "find -l /site >/dev/null; quit"], files, args, env)))
        if tools.get("rclone"):
            peers.append(("rclone", step(server, "rclone lsl", ["rclone", "lsl", ":ftp:/site"], files, args,
                                         rclone_env(work, server))))
        figures = {}
        for n in (1, 4):
            label = "corvane analyse, %d connection%s:" % (n, "s" if n > 1 else "")
            ratios(label, mine[n], peers)
            figures[label] = (mine[n], dict(peers))
            if other_cli:
                label = "other build, %d connection%s:" % (n, "s" if n > 1 else "")
                ratios(label, other[n], peers)
                figures[label] = (other[n], dict(peers))
        return figures
    finally:
        if server:
            server.stop()
        cleanup(args, work)


def install_cli(args, work, build=None):
    program = os.path.join(work, "program" if build is None else "other-program")
    os.makedirs(program)
    cli = os.path.join(program, "corvane-cli")
    shutil.copy(os.path.join(os.path.abspath(build or args.build), "corvane-cli"), cli)
    return cli


def cleanup(args, work):
    if args.keep:
        print("scratch folder kept:", work)
    else:
        shutil.rmtree(work, ignore_errors=True)


def run_flat(server_class, delay_ms, args, tools):
    work = tempfile.mkdtemp(prefix="corvane-ftpbench.")
    server = None
    try:
        cli = install_cli(args, work)
        root = os.path.join(work, "server")
        for name in ("corvane", "lftp", "rclone"):
            os.makedirs(os.path.join(root, name))
        left, left_down = os.path.join(work, "left"), os.path.join(work, "down")
        os.makedirs(left_down)
        make_files(left, args.files, args.folders, 1)

        server = server_class(root, delay_ms / 1000.0, os.path.join(work, "commands.log"), not args.list)
        remote = "ftp://127.0.0.1:%d/corvane" % server.port
        tasklist = os.path.join(work, "tasklist.tkl")
        with open(tasklist, "w") as f:
            f.write('<?xml version="1.0" encoding="utf-8"?><TaskList>%s%s</TaskList>' % (
                job("Up", left, remote), job("Down", left_down, remote)))

        print("\n%s, %.0f ms before each reply: %d files in %d folders%s" % (
            server.name, delay_ms, args.files, args.folders, ", no MLSD" if args.list else ""))
        env = corvane_env(work, args.connections)
        cv = lambda *a: [cli, "--tasklist", tasklist] + list(a)
        up = step(server, "corvane upload", cv("sync", "Up"), args.files, args, env)
        step(server, "corvane analyse again", cv("analyze", "Up"), args.files, args, env)
        time.sleep(2.1)  # the next changes must show in the listings' times
        make_files(left, args.files, args.folders, 2)
        step(server, "corvane replace", cv("sync", "Up"), args.files, args, env)
        down = step(server, "corvane download", cv("sync", "Down"), args.files, args, env)

        ups, downs = [], []
        if tools.get("lftp"):
            base = ["lftp", "-u", "%s,%s" % (USER, PASSWORD), "-p", str(server.port), "127.0.0.1", "-e"]
            lenv = dict(os.environ, HOME=work)  # no personal lftp settings
            ups.append(("lftp", step(server, "lftp mirror -R", base + ["mirror -R %s /lftp; quit" % left],
                                     args.files, args, lenv)))
            downs.append(("lftp", step(server, "lftp mirror", base + [
                "mirror /lftp %s; quit" % os.path.join(work, "lftp-down")], args.files, args, lenv)))
        if tools.get("rclone"):
            renv = rclone_env(work, server)
            for transfers in (4, 1):
                label = "rclone" if transfers == 4 else "rclone -t1"
                shutil.rmtree(os.path.join(root, "rclone"))
                os.makedirs(os.path.join(root, "rclone"))
                # ProFTPD works as the served folder's owner: the new folder must be its too.
                os.chown(os.path.join(root, "rclone"), *owner_of(root))
                ups.append((label, step(server, "rclone copy up, %d" % transfers, [
                    "rclone", "copy", "--transfers", str(transfers), left, ":ftp:/rclone"], args.files, args, renv)))
                downs.append((label, step(server, "rclone copy down, %d" % transfers, [
                    "rclone", "copy", "--transfers", str(transfers), ":ftp:/rclone",
                    os.path.join(work, "rclone-down%d" % transfers)], args.files, args, renv)))
        ratios("corvane upload:", up, ups)
        ratios("corvane download:", down, downs)
        return {"corvane upload:": (up, dict(ups)), "corvane download:": (down, dict(downs))}
    finally:
        if server:
            server.stop()
        cleanup(args, work)


def run_many(server_class, delay_ms, args, tools):
    if delay_ms:
        return {}
    work = tempfile.mkdtemp(prefix="corvane-ftpbench.")
    server = None
    try:
        cli = install_cli(args, work)
        root = os.path.join(work, "server")
        for name in ("corvane", "lftp", "rclone"):
            os.makedirs(os.path.join(root, name))
        os.chown(os.path.join(root, "rclone"), *owner_of(root))
        left = os.path.join(work, "left")
        make_files(left, args.many, 10, 1)
        server = server_class(root, 0, os.path.join(work, "commands.log"), not args.list)
        tasklist = os.path.join(work, "tasklist.tkl")
        with open(tasklist, "w") as f:
            f.write('<?xml version="1.0" encoding="utf-8"?><TaskList>%s</TaskList>' % job(
                "Up", left, "ftp://127.0.0.1:%d/corvane" % server.port))
        print("\n%s, loopback: an upload of %d files in 10 folders" % (server.name, args.many))
        up = step(server, "corvane upload", [cli, "--tasklist", tasklist, "sync", "Up"], args.many, args,
                  corvane_env(work, args.connections))
        peers = []
        if tools.get("lftp"):
            peers.append(("lftp", step(server, "lftp mirror -R", [
                "lftp", "-u", "%s,%s" % (USER, PASSWORD), "-p", str(server.port), "127.0.0.1", "-e",
                "mirror -R %s /lftp; quit" % left], args.many, args, dict(os.environ, HOME=work))))
        if tools.get("rclone"):
            peers.append(("rclone", step(server, "rclone copy up, 4", ["rclone", "copy", left, ":ftp:/rclone"],
                                         args.many, args, rclone_env(work, server))))
        ratios("corvane upload of %d:" % args.many, up, peers)
        return {"corvane upload of %d:" % args.many: (up, dict(peers))}
    finally:
        if server:
            server.stop()
        cleanup(args, work)


def print_medians(title, runs):
    """runs: the figures of each run, {label: (corvane's seconds, {peer: seconds})}."""
    print("\n%s, medians of %d runs:" % (title, len(runs)))
    for label in runs[0]:
        mine = statistics.median(r[label][0] for r in runs)
        peers = [(name, statistics.median(r[label][1][name] for r in runs)) for name in runs[0][label][1]]
        print("  %-40s %6.2f s   %s" % (label, mine, "   ".join("%s %.2f s" % (n, t) for n, t in peers)))
        ratios("", mine, peers)


def owner_of(path):
    st = os.stat(path)
    return st.st_uid, st.st_gid


def main():
    p = argparse.ArgumentParser()
    p.add_argument("build")
    p.add_argument("--files", type=int, default=100)
    p.add_argument("--folders", type=int, default=10)
    p.add_argument("--many", type=int, default=1000, help="files of the loopback upload")
    p.add_argument("--connections", type=int, default=4, help="corvane's FtpConnections in the flat and many shapes")
    p.add_argument("--runs", type=int, default=3, help="runs of each shape; the medians are printed")
    p.add_argument("--delays", default="0,10", help="milliseconds before each reply, comma-separated")
    p.add_argument("--servers", default="pyftpdlib,proftpd")
    p.add_argument("--shapes", default="tree,flat,many")
    p.add_argument("--no-lftp", action="store_true")
    p.add_argument("--no-rclone", action="store_true")
    p.add_argument("--list", action="store_true", help="a server without MLSD/MLST: listings by LIST")
    p.add_argument("--keep", action="store_true", help="keep the scratch folders (commands.log) and name them")
    p.add_argument("--no-wait", action="store_true",
                   help="do not wait for closed connections to clear between steps")
    p.add_argument("--scheme", choices=("ftp", "ftps", "sftp"), default="ftp")
    p.add_argument("--compare", metavar="OTHER_BUILD",
                   help="the tree shape also times OTHER_BUILD's corvane-cli in the same rounds")
    args = p.parse_args()

    for build in filter(None, (args.build, args.compare)):
        if not os.access(os.path.join(os.path.abspath(build), "corvane-cli"), os.X_OK):
            sys.exit("bench: corvane-cli is missing in %s; build the corvane-cli target first" % build)
    tools = {"lftp": not args.no_lftp and shutil.which("lftp"),
             "rclone": not args.no_rclone and shutil.which("rclone")}
    for name, found in tools.items():
        if not found:
            print("%s is not installed: no comparison with it (apt-get install %s)" % (name, name))
    if args.scheme != "ftp":
        import encrypted_transfers
        encrypted_transfers.run(args, tools)
        return
    servers = []
    for name in args.servers.split(","):
        if name == "proftpd" and not shutil.which("proftpd"):
            print("proftpd is not installed: pyftpdlib only (apt-get install proftpd-core)")
        elif name in ("pyftpdlib", "proftpd"):
            servers.append(Pyftpdlib if name == "pyftpdlib" else Proftpd)
    shapes = {"tree": run_tree, "flat": run_flat, "many": run_many}
    for server_class in servers:
        for delay in (float(d) for d in args.delays.split(",")):
            for shape in args.shapes.split(","):
                runs = [shapes[shape](server_class, delay, args, tools) for _ in range(max(1, args.runs))]
                if runs[0] and args.runs > 1:
                    print_medians("%s, %.0f ms before each reply, %s" % (server_class.name, delay, shape), runs)


if __name__ == "__main__":
    main()
