"""OpenSSH's sshd on 127.0.0.1 and a free port with its own configuration, host key and
authorised keys, SFTP through internal-sftp. Started by tests/support/SshServerFixture;
prints "PORT <n>" once it listens and stops sshd when its stdin closes.

Usage: sshserver.py --work DIR --host-key FILE --authorized-keys FILE
"""

import argparse
import os

from script_server import free_port, run_daemon


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
    run_daemon(["/usr/sbin/sshd", "-D", "-f", conf, "-E", os.path.join(a.work, "sshd.log")], port, "sshd", a.work)


if __name__ == "__main__":
    main()
