"""OpenSSH's sshd on 127.0.0.1 and a free port with its own configuration, host key and
authorised keys, SFTP through internal-sftp. Started by tests/support/SshServerFixture;
prints "PORT <n>" once it listens and stops sshd when its stdin closes.

Usage: sshserver.py --work DIR --host-key FILE --authorized-keys FILE
"""

import argparse
import os
import socket
import subprocess
import sys
import time


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def main():
    p = argparse.ArgumentParser()
    for name in ("--work", "--host-key", "--authorized-keys"):
        p.add_argument(name, required=True)
    p.add_argument("--port", type=int, default=0)
    a = p.parse_args()
    os.makedirs("/run/sshd", exist_ok=True)  # sshd's privilege separation folder
    port = a.port or free_port()
    conf = os.path.join(a.work, "sshd_config")
    with open(conf, "w") as f:
        f.write("\n".join([
            "Port %d" % port, "ListenAddress 127.0.0.1", "HostKey %s" % a.host_key,
            "PidFile %s/sshd.pid" % a.work, "AuthorizedKeysFile %s" % a.authorized_keys,
            "StrictModes no", "PasswordAuthentication yes", "KbdInteractiveAuthentication no",
            "PermitRootLogin yes", "UsePAM no", "Subsystem sftp internal-sftp", "LogLevel VERBOSE", ""]))
    proc = subprocess.Popen(["/usr/sbin/sshd", "-D", "-f", conf, "-E", os.path.join(a.work, "sshd.log")],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for _ in range(100):
        try:
            socket.create_connection(("127.0.0.1", port), timeout=1).close()
            break
        except OSError:
            if proc.poll() is not None:
                sys.exit("sshserver: sshd ended at start, see " + a.work)
            time.sleep(0.05)
    else:
        sys.exit("sshserver: sshd did not start")
    sys.stdout.write("PORT %d\n" % port)
    sys.stdout.flush()
    try:
        while sys.stdin.buffer.read(4096):
            pass
    except (OSError, ValueError):
        pass
    proc.terminate()
    try:
        proc.wait(timeout=5)
    except subprocess.TimeoutExpired:
        proc.kill()


if __name__ == "__main__":
    main()
