#!/usr/bin/python3
"""An FTP server on 127.0.0.1 that drops every connection while TLS is being set up, as a
broken or hostile server may. Usage: tlsdropserver.py --at auth|handshake: close at the
AUTH TLS command, or accept it and close in the middle of the TLS handshake. Prints
"PORT <n>" once listening (see script_server.py)."""

import argparse
import socket
import threading

from script_server import announce


def serve(conn, at):
    with conn:
        conn.sendall(b"220 ready\r\n")
        if not conn.recv(4096).upper().startswith(b"AUTH"):
            return
        if at == "handshake":
            conn.sendall(b"234 AUTH TLS ok\r\n")
            conn.recv(4096)  # the client's first handshake record, left unanswered


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--at", choices=("auth", "handshake"), required=True)
    a = p.parse_args()
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)
    announce(listener.getsockname()[1])
    while True:
        conn, _ = listener.accept()
        threading.Thread(target=serve, args=(conn, a.at), daemon=True).start()


if __name__ == "__main__":
    main()
