#!/usr/bin/python3
"""A throw-away FTP server on 127.0.0.1 for tests and the demo.

Usage: ftpserver.py --root DIR --user U --password P [--port 0] [--no-mlsd]
                    [--idle-timeout SECONDS] [--perm DIR=LETTERS ...]
                    [--throttle BYTES_PER_SECOND] [--delay SECONDS]
                    [--command-log FILE] [--threaded] [--max-connections N]
                    [--later-login-delay SECONDS]
                    [--exit-at CMD:N[:SECONDS] ...] [--stall-at CMD:N ...]

Prints "PORT <n>" once listening, then serves until killed or until its
stdin reaches end of file (so it never outlives the process that started it).
"""

import argparse
import logging
import os
import sys
import threading
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer, ThreadedFTPServer
from script_server import announce


def parse_args():
    p = argparse.ArgumentParser(description="FTP server for tests")
    p.add_argument("--root", required=True)
    p.add_argument("--user", required=True)
    p.add_argument("--password", required=True)
    p.add_argument("--port", type=int, default=0)
    p.add_argument("--no-mlsd", action="store_true",
                   help="refuse MLSD/MLST so that clients fall back to LIST")
    p.add_argument("--idle-timeout", type=float, default=0,
                   help="drop a control connection idle this long (0: never)")
    p.add_argument("--perm", action="append", default=[], metavar="DIR=LETTERS",
                   help="pyftpdlib permission letters for one existing folder "
                        "below the root (not its subfolders); empty: no access")
    p.add_argument("--throttle", type=int, default=0, metavar="BYTES_PER_SECOND",
                   help="limit every data transfer, both ways, to this rate (0: no limit)")
    p.add_argument("--delay", type=float, default=0,
                   help="wait this long before answering each command, as a distant "
                        "server would (the server then serves each client on a thread)")
    p.add_argument("--threaded", action="store_true",
                   help="serve each client on a thread (implied by --delay)")
    p.add_argument("--command-log", metavar="FILE",
                   help="append every command received to FILE, one per line after the "
                        "time it arrived (seconds since 1970)")
    p.add_argument("--exit-at", action="append", default=[], metavar="CMD:N[:SECONDS]",
                   help="end the whole server, dropping every connection, when the N-th "
                        "command CMD arrives (after SECONDS more, e.g. in the middle of its "
                        "transfer), as a server that goes away does")
    p.add_argument("--stall-at", action="append", default=[], metavar="CMD:N",
                   help="from the N-th command CMD on, never answer again (the server "
                        "stops serving anyone, as a hung server does)")
    p.add_argument("--later-login-delay", type=float, default=0,
                   help="answer the password of every login but the first this much later "
                        "(a server slow to let more connections in)")
    p.add_argument("--max-connections", type=int, default=0,
                   help="control connections accepted at once from one address; more are "
                        "refused with 421 (0: no limit)")
    return p.parse_args()


def with_commands_watched(handler, delay, log_path):
    """A handler class that waits before each command and notes it, so that benchmarks
    see round trips and tests can count them."""
    log = open(log_path, "a", encoding="utf-8", errors="surrogateescape") if log_path else None
    lock = threading.Lock()

    def pre_process_command(self, line, cmd, arg):
        if log:
            with lock:
                # PASS lines would put the password into the file.
                log.write("%.6f %s\n" % (time.time(), "PASS ****" if cmd == "PASS" else line))
                log.flush()
        if delay > 0:
            time.sleep(delay)
        return handler.pre_process_command(self, line, cmd, arg)

    return type("WatchedFTPHandler", (handler,), {"pre_process_command": pre_process_command})


def with_later_logins_slow(handler, delay):
    """A handler class whose logins after the first wait before their reply."""
    logins = [0]
    lock = threading.Lock()

    def pre_process_command(self, line, cmd, arg):
        if cmd == "PASS":
            with lock:
                logins[0] += 1
                later = logins[0] > 1
            if later:
                time.sleep(delay)
        return handler.pre_process_command(self, line, cmd, arg)

    return type("SlowLoginFTPHandler", (handler,), {"pre_process_command": pre_process_command})


def with_failures(handler, exit_at, stall_at):
    """A handler class that ends or hangs the server at a chosen command."""
    def parse(choices):
        out = []
        for choice in choices:
            parts = choice.split(":")
            out.append((parts[0].upper(), int(parts[1]), float(parts[2]) if len(parts) > 2 else 0))
        return out

    exits, stalls = parse(exit_at), parse(stall_at)
    counts = {}

    def pre_process_command(self, line, cmd, arg):
        counts[cmd] = counts.get(cmd, 0) + 1
        for name, at, delay in exits:
            if name == cmd and counts[cmd] == at:
                if delay <= 0:
                    os._exit(0)
                threading.Timer(delay, lambda: os._exit(0)).start()
        for name, at, _ in stalls:
            if name == cmd and counts[cmd] >= at:
                while True:
                    time.sleep(3600)
        return handler.pre_process_command(self, line, cmd, arg)

    return type("FailingFTPHandler", (handler,), {"pre_process_command": pre_process_command})


def main():
    args = parse_args()
    # Per-command logging would fill the test logs; warnings still reach stderr.
    logging.basicConfig(level=logging.WARNING, stream=sys.stderr)
    logging.getLogger("pyftpdlib").setLevel(logging.WARNING)

    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password,
                        os.path.abspath(args.root), perm="elradfmwMT")
    for entry in args.perm:
        folder, _, letters = entry.partition("=")
        authorizer.override_perm(args.user,
                                 os.path.join(os.path.abspath(args.root), folder),
                                 letters)

    handler = type("TestFTPHandler", (FTPHandler,), {})
    handler.authorizer = authorizer
    handler.banner = "test server ready."
    handler.timeout = args.idle_timeout if args.idle_timeout > 0 else None
    # Tests of a wrong password should not sit out the default 3 s penalty.
    handler.auth_failed_timeout = 0.1
    if args.no_mlsd:
        cmds = dict(handler.proto_cmds)
        cmds.pop("MLSD", None)
        cmds.pop("MLST", None)
        handler.proto_cmds = cmds

    if args.throttle > 0:
        handler.dtp_handler = type("TestThrottledDTPHandler", (ThrottledDTPHandler,),
                                   {"read_limit": args.throttle,
                                    "write_limit": args.throttle})

    if args.delay > 0 or args.command_log:
        handler = with_commands_watched(handler, args.delay, args.command_log)
    if args.later_login_delay > 0:
        handler = with_later_logins_slow(handler, args.later_login_delay)
    if args.exit_at or args.stall_at:
        handler = with_failures(handler, args.exit_at, args.stall_at)
    waits = args.delay > 0 or args.later_login_delay > 0
    server_class = ThreadedFTPServer if waits or args.threaded else FTPServer
    server = server_class(("127.0.0.1", args.port), handler)
    server.max_cons = 64
    server.max_cons_per_ip = args.max_connections
    port = server.socket.getsockname()[1]

    announce(port)
    try:
        server.serve_forever(handle_exit=False)
    except KeyboardInterrupt:
        pass
    finally:
        server.close_all()


if __name__ == "__main__":
    main()
