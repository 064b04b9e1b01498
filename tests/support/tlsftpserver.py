"""ProFTPD with mod_tls on 127.0.0.1 and a free port, serving one folder read/write for one
virtual user with TLS required on the control and data connections. Started by
tests/support/TlsFtpServerFixture; prints "PORT <n>" once it listens and stops ProFTPD when
its stdin closes.

Usage: tlsftpserver.py --root DIR --user U --password P --work DIR --cert PEM --key PEM [--no-tls]
"""

import argparse
import os
import subprocess

from script_server import free_port, run_daemon


def main():
    p = argparse.ArgumentParser()
    for name in ("--root", "--user", "--password", "--work", "--cert", "--key"):
        p.add_argument(name, required=True)
    p.add_argument("--no-tls", action="store_true")
    p.add_argument("--port", type=int, default=0)
    a = p.parse_args()
    # The test's own user owns the files on both ends: what it lays out the server may change.
    uid, gid = os.getuid(), os.getgid()
    user = "root" if uid == 0 else os.environ.get("USER", "nobody")
    group = "root" if uid == 0 else user
    passwd = os.path.join(a.work, "passwd")
    if os.path.exists(passwd):
        os.remove(passwd)
    subprocess.run(["ftpasswd", "--passwd", "--file=" + passwd, "--name=" + a.user, "--uid=%d" % uid,
                    "--gid=%d" % gid, "--home=" + a.root, "--shell=/bin/false", "--stdin"],
                   input=a.password, text=True, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    port = a.port or free_port()
    lines = ["ModulePath /usr/lib/proftpd", "ServerType standalone", "Port %d" % port,
             "DefaultAddress 127.0.0.1", "User %s" % user, "Group %s" % group,
             "PidFile %s/proftpd.pid" % a.work, "ScoreboardFile %s/proftpd.scoreboard" % a.work,
             "SystemLog %s/proftpd.log" % a.work, "DelayTable none", "WtmpLog off", "UseIPv6 off",
             "RequireValidShell off", "AuthUserFile %s" % passwd, "AuthOrder mod_auth_file.c",
             "DefaultRoot ~", "RootLogin on", "MaxInstances 50", "MaxLoginAttempts 100",
             "<Directory ~>", "  AllowOverwrite on", "</Directory>"]
    if not a.no_tls:
        lines += ["LoadModule mod_tls.c", "TLSEngine on", "TLSRequired on", "TLSProtocol TLSv1.2 TLSv1.3",
                  "TLSRSACertificateFile %s" % a.cert, "TLSRSACertificateKeyFile %s" % a.key,
                  "TLSOptions NoSessionReuseRequired", "TLSLog %s/tls.log" % a.work]
    conf = os.path.join(a.work, "proftpd.conf")
    with open(conf, "w") as f:
        f.write("\n".join(lines) + "\n")
    run_daemon(["/usr/sbin/proftpd", "-n", "-q", "-c", conf], port, "ProFTPD", a.work)


if __name__ == "__main__":
    main()
