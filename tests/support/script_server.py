"""What every test server script does once it listens (see ScriptServer.h)."""

import os
import sys
import threading


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
