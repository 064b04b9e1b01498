#!/usr/bin/python3
"""A throw-away HTTP server on 127.0.0.1 for tests.

Usage: httpserver.py --root DIR --rules FILE [--port 0]

Serves the files below DIR. FILE (JSON, read again for every request) may give paths
special behaviour: {"/a": {"status": 404}}, {"/b": {"stall": true}} (headers and the
first chunk, then nothing until the client goes away), {"/c": {"rate": 2048}}
(bytes per second), {"/d": {"nolength": true}} (no Content-Length header).

Prints "PORT <n>" once listening, then serves until killed or until its stdin
reaches end of file (so it never outlives the process that started it).
"""

import argparse
import http.server
import json
import os
import select
import socket
import time
import urllib.parse

from script_server import announce


def make_handler(root, rules_file):
    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def log_message(self, fmt, *args):
            pass

        def rule(self, path):
            try:
                with open(rules_file, encoding="utf-8") as f:
                    return json.load(f).get(path, {})
            except (OSError, ValueError):
                return {}

        def wait_for_client_to_leave(self):
            while True:
                ready, _, _ = select.select([self.connection], [], [], 0.2)
                try:
                    if ready and not self.connection.recv(1, socket.MSG_DONTWAIT):
                        return
                except OSError:
                    return

        def do_GET(self):
            path = urllib.parse.unquote(urllib.parse.urlsplit(self.path).path)
            rule = self.rule(path)
            if "status" in rule:
                body = b"error page"
                self.send_response(rule["status"])
                self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                self.wfile.write(body)
                return
            local = os.path.join(root, path.lstrip("/"))
            if not os.path.isfile(local):
                self.send_error(404)
                return
            with open(local, "rb") as f:
                data = f.read()
            self.send_response(200)
            self.send_header("Content-Type", "application/octet-stream")
            self.send_header("Content-Length", str(len(data)))
            self.end_headers()
            if rule.get("stall"):
                self.wfile.write(data[:1024])
                self.wfile.flush()
                self.wait_for_client_to_leave()
                self.close_connection = True
                return
            rate = rule.get("rate", 0)
            chunk = max(1, rate // 10) if rate else len(data) or 1
            for i in range(0, len(data), chunk):
                try:
                    self.wfile.write(data[i:i + chunk])
                    self.wfile.flush()
                except OSError:
                    return
                if rate:
                    time.sleep(0.1)

    return Handler


def main():
    p = argparse.ArgumentParser(description="HTTP server for tests")
    p.add_argument("--root", required=True)
    p.add_argument("--rules", required=True)
    p.add_argument("--port", type=int, default=0)
    args = p.parse_args()

    server = http.server.ThreadingHTTPServer(
        ("127.0.0.1", args.port), make_handler(os.path.abspath(args.root), args.rules))
    server.daemon_threads = True

    announce(server.server_address[1])
    server.serve_forever()


if __name__ == "__main__":
    main()
