"""make bench-ftp --scheme ftps|sftp: corvane-cli over FTP with TLS (ProFTPD with mod_tls,
beside `lftp mirror -R` with ftp:ssl-force) or SFTP (OpenSSH's sshd, beside `rclone copy`
with --sftp-key-file), on the test fixtures' servers on loopback. Times an upload of N small
files, the analysis that follows it, and a download into an empty folder."""

import os
import shutil
import subprocess
import sys
import tempfile
import time

import ftp_roundtrips as fr

SUPPORT = os.path.join(fr.HERE, "..", "tests", "support")


class FixtureServer:
    """A tests/support server script: prints "PORT n", stops when its stdin closes."""

    def __init__(self, script, args):
        self.proc = subprocess.Popen(["/usr/bin/python3", os.path.join(SUPPORT, script)] + args,
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        line = self.proc.stdout.readline()
        if not line.startswith("PORT "):
            sys.exit("bench: %s did not start" % script)
        self.port = int(line.split()[1])

    def stop(self):
        self.proc.stdin.close()
        self.proc.wait(timeout=10)


def sh(command, **kw):
    return subprocess.run(command, shell=True, check=True, stdout=subprocess.PIPE, text=True, **kw).stdout.strip()


def right_side(device_path, user, password, key):
    return ("<RFolder><DeviceType>3</DeviceType><FolerAllName>{0}</FolerAllName><validate>0</validate>"
            "<UserName>{1}</UserName><PWD>{2}</PWD><FactTime>0</FactTime><ActiveMode>0</ActiveMode>"
            "<PrivateKey>{3}</PrivateKey></RFolder>").format(device_path, user, password, key)


def task(name, left, right):
    text = fr.job(name, left, "x")
    start, end = text.index("<RFolder>"), text.index("</RFolder>") + len("</RFolder>")
    return text[:start] + right + text[end:]


def timed(label, argv, files, env=None):
    seconds = fr.run_timed(argv, env)
    print("%-26s %8.2f s %8.1f ms per file" % (label, seconds, 1000.0 * seconds / files))
    return seconds


def run(args, tools):
    work = tempfile.mkdtemp(prefix="corvane-encbench.")
    server = None
    try:
        os.chmod(work, 0o755)
        cli = fr.install_cli(args, work)
        root = os.path.join(work, "root")
        for name in ("corvane", "peer"):
            os.makedirs(os.path.join(root, name))
        os.chmod(root, 0o755)
        left, down = os.path.join(work, "left"), os.path.join(work, "down")
        os.makedirs(down)
        fr.make_files(left, args.files, args.folders, 1)
        env = fr.corvane_env(work, 1)
        home = os.path.join(work, "home")
        os.makedirs(os.path.join(home, ".ssh"))
        env["HOME"] = home
        if args.scheme == "ftps":
            sh("openssl req -x509 -newkey rsa:2048 -nodes -keyout %s/key.pem -out %s/cert.pem -days 2 "
               "-subj /CN=127.0.0.1 2>/dev/null" % (work, work))
            server = FixtureServer("tlsftpserver.py", ["--root", root, "--user", fr.USER, "--password", fr.PASSWORD,
                                                       "--work", work, "--cert", work + "/cert.pem",
                                                       "--key", work + "/key.pem"])
            pin = sh("openssl x509 -in %s/cert.pem -pubkey -noout | openssl pkey -pubin -outform der | "
                     "openssl dgst -sha256 -binary | base64" % work)
            with open(os.path.join(env["XDG_CONFIG_HOME"], "Corvane", "HKEY_CURRENT_USER.ini"), "a") as f:
                f.write("Corvane\\CertificatePins\\127.0.0.1%%3A%d=sz:sha256//%s\n" % (server.port, pin))
            url = "ftps://127.0.0.1:%d" % server.port
            remote = right_side(url + "/corvane", fr.USER, fr.PASSWORD, "")
        else:
            sh("ssh-keygen -q -t ed25519 -N '' -f %s/hostkey && ssh-keygen -q -t ed25519 -N '' -f %s/userkey"
               % (work, work))
            shutil.copy(work + "/userkey.pub", work + "/authorized_keys")
            server = FixtureServer("sshserver.py", ["--work", work, "--host-key", work + "/hostkey",
                                                    "--authorized-keys", work + "/authorized_keys"])
            with open(os.path.join(home, ".ssh", "known_hosts"), "w") as f, open(work + "/hostkey.pub") as k:
                f.write("[127.0.0.1]:%d %s\n" % (server.port, " ".join(k.read().split()[:2])))
            user = os.environ.get("USER") or "root"
            url = "sftp://127.0.0.1:%d" % server.port + root
            remote = right_side(url + "/corvane", user, "", work + "/userkey")
        tasklist = os.path.join(work, "tasklist.tkl")
        with open(tasklist, "w") as f:
            f.write('<?xml version="1.0" encoding="utf-8"?><TaskList>%s%s</TaskList>' % (
                task("Up", left, remote), task("Down", down, remote)))

        print("\n%s on loopback: %d files in %d folders" % (args.scheme, args.files, args.folders))
        cv = lambda *a: [cli, "--tasklist", tasklist] + list(a)
        up = timed("corvane upload", cv("sync", "Up"), args.files, env)
        again = timed("corvane analyse again", cv("analyze", "Up"), args.files, env)
        get = timed("corvane download", cv("sync", "Down"), args.files, env)
        peers = []
        if args.scheme == "ftps" and tools.get("lftp"):
            settings = ("set ftp:ssl-force true; set ftp:ssl-protect-data true; set ssl:verify-certificate no; ")
            base = ["lftp", "-u", "%s,%s" % (fr.USER, fr.PASSWORD), "-p", str(server.port), "127.0.0.1", "-e"]
            lenv = dict(os.environ, HOME=work)
            peers.append(("lftp", timed("lftp mirror -R", base + [settings + "mirror -R %s /peer; quit" % left],
                                        args.files, lenv),
                          timed("lftp find -l", base + [settings + "find -l /peer; quit"], args.files, lenv),
                          timed("lftp mirror", base + [settings + "mirror /peer %s/peer-down; quit" % work],
                                args.files, lenv)))
        if args.scheme == "sftp" and tools.get("rclone"):
            remote_flags = ["--sftp-disable-hashcheck", "--sftp-host", "127.0.0.1", "--sftp-port", str(server.port), "--sftp-user",
                            os.environ.get("USER") or "root", "--sftp-key-file", work + "/userkey"]
            renv = dict(os.environ, RCLONE_CONFIG=os.path.join(work, "rclone.conf"))
            target = ":sftp:" + root + "/peer"
            peers.append(("rclone", timed("rclone copy up", ["rclone", "copy"] + remote_flags + [left, target],
                                          args.files, renv),
                          timed("rclone lsl", ["rclone", "lsl"] + remote_flags + [target], args.files, renv),
                          timed("rclone copy down", ["rclone", "copy"] + remote_flags + [target, work + "/peer-down"],
                                args.files, renv)))
        for name, p_up, p_list, p_down in peers:
            print("  corvane over %s: upload %.2f x, analysis %.2f x, download %.2f x" % (
                name, up / p_up, again / p_list, get / p_down))
    finally:
        if server:
            server.stop()
        fr.cleanup(args, work)
