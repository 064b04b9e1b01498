#!/usr/bin/python3
"""A server on 127.0.0.1 that accepts connections and never says a word, as a hung server
does. Usage: silentserver.py. Prints "PORT <n>" once listening (see script_server.py)."""

import socket
import time

from script_server import announce


def main():
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)
    announce(listener.getsockname()[1])
    held = []
    while True:
        conn, _ = listener.accept()
        held.append(conn)  # kept open, never answered
        time.sleep(0)


if __name__ == "__main__":
    main()
