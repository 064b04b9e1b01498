"""What every test server script does once it listens (see ScriptServer.h)."""

import os
import socket
import subprocess
import sys
import threading
import time


def free_port():
    """A port on 127.0.0.1 that nothing listens on now, for a server that takes its port
    from its configuration."""
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def announce(port):
    """Prints "PORT <n>" and ends the process when its stdin reaches end of file, so a
    server never outlives the test that started it."""

    def watch_stdin():
        try:
            while sys.stdin.buffer.read(4096):
                pass
        except (OSError, ValueError):
            pass
        os._exit(0)

    threading.Thread(target=watch_stdin, daemon=True).start()
    sys.stdout.write("PORT %d\n" % port)
    sys.stdout.flush()


def run_daemon(command, port, name, work):
    """Starts command, a server that listens on port, waits until it takes connections, then
    announces the port and stops the server when stdin reaches end of file (announce's own
    exit would leave it running). Ends the process with a message when it does not start."""
    proc = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for _ in range(100):
        try:
            socket.create_connection(("127.0.0.1", port), timeout=1).close()
            break
        except OSError:
            if proc.poll() is not None:
                sys.exit("%s ended at start, see %s" % (name, work))
            time.sleep(0.05)
    else:
        sys.exit("%s did not start" % name)
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
