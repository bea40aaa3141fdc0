#!/usr/bin/env python3
"""A small download server for the update tests, listening on 127.0.0.1 only.

usage: http_server.py ROOT [PAUSE]

Prints the port it listens on as the first line of standard output, then serves until killed:
  /NAME            the file ROOT/NAME (200), or 404
  /cut/NAME        the file's first half, announced with a Content-Length 1000 bytes too long,
                   then the connection is closed
  /stall/NAME      the file's first half with its full Content-Length, then nothing for a minute
  /slow/NAME       the file with its Content-Length, in pieces of 1 KB with PAUSE seconds between
                   them (default 0.02)
  /nolength/NAME   the same pieces without a Content-Length; the body ends when the connection does
  /status/CODE     an HTML error page with that status
  /redirect/NAME   302 to /NAME
Every request's method, path and headers are appended to ROOT/requests.log as one JSON line.
"""
import json
import os
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

ROOT = os.path.abspath(sys.argv[1])
LOG_LOCK = threading.Lock()
SLOW_PIECE = 1024
SLOW_PAUSE = float(sys.argv[2]) if len(sys.argv) > 2 else 0.02


class Handler(BaseHTTPRequestHandler):
    def log_message(self, format, *args):  # keep the test output clean
        pass

    def _record(self):
        entry = {"method": self.command, "path": self.path, "headers": dict(self.headers)}
        with LOG_LOCK, open(os.path.join(ROOT, "requests.log"), "a", encoding="utf-8") as log:
            log.write(json.dumps(entry) + "\n")

    def _file(self, name):
        path = os.path.realpath(os.path.join(ROOT, name))
        if not path.startswith(ROOT + os.sep) or not os.path.isfile(path):
            return None
        with open(path, "rb") as f:
            return f.read()

    def _error(self, code):
        body = ("<html><body><h1>%d</h1></body></html>" % code).encode()
        self.send_response(code)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        self._record()
        parts = self.path.lstrip("/").split("/", 1)
        if parts[0] == "status" and len(parts) == 2 and parts[1].isdigit():
            self._error(int(parts[1]))
            return
        if parts[0] == "redirect" and len(parts) == 2:
            self.send_response(302)
            self.send_header("Location", "/" + parts[1])
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        modes = ("cut", "stall", "slow", "nolength")
        mode = parts[0] if parts[0] in modes and len(parts) == 2 else None
        data = self._file(parts[1] if mode else self.path.lstrip("/"))
        if data is None:
            self._error(404)
            return
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        if mode == "cut":
            self.send_header("Content-Length", str(len(data) + 1000))
            self.end_headers()
            self.wfile.write(data[: len(data) // 2])
            self.wfile.flush()
            self.close_connection = True
            return
        if mode in ("slow", "nolength"):
            if mode == "slow":
                self.send_header("Content-Length", str(len(data)))
            self.end_headers()
            for start in range(0, len(data), SLOW_PIECE):
                self.wfile.write(data[start : start + SLOW_PIECE])
                self.wfile.flush()
                time.sleep(SLOW_PAUSE)
            self.close_connection = True
            return
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        if mode == "stall":
            self.wfile.write(data[: len(data) // 2])
            self.wfile.flush()
            time.sleep(60)
            return
        self.wfile.write(data)


def main():
    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
