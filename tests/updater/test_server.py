#!/usr/bin/env python3
"""Loopback HTTP server for the updater tests.

Listens on 127.0.0.1 at a free port and writes the port into <dir>/port.
Files under <dir>/www are served at /doc/<path>. Other paths answer in the
ways a hostile or broken server would:

  /bytes/<n>         n pattern bytes (i * 7 + 3) & 0xff with Content-Length
  /long/<n>          announces n bytes, sends 2n
  /short/<n>         announces n bytes, sends n / 2 and closes
  /nolength/<n>      n pattern bytes, no Content-Length, closes
  /slow/<n>          announces n bytes, sends 10 and stalls for a minute
  /trickle/<n>       announces n bytes, sends 100 every 0.2 s for a minute
  /drip/<n>          announces n bytes, sends 1 every 2 s for up to two minutes
  /gate/<n>?name=<g> announces n bytes, sends n / 2, waits (two minutes at
                     most) until the file <dir>/gates/<g> exists, sends the rest
  /echo              the request target (path and query) as the body
  /status/<code>     that status with a plain-text body
  /xml404            404 with a well-formed XML body
  /redirect/<k>?to=  302 to "to" after k further hops through /redirect
  /hits?path=<p>     how many requests for path p arrived so far
"""
import http.server
import os
import socketserver
import sys
import threading
import time
import urllib.parse

hits = {}
hits_lock = threading.Lock()


def pattern(n):
    return bytes(((i * 7 + 3) & 0xFF) for i in range(n))


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    root = None

    def log_message(self, fmt, *args):
        sys.stderr.write("%s\n" % (fmt % args))
        sys.stderr.flush()

    def send_body(self, code, body, content_type="application/octet-stream", length=None):
        self.send_response(code)
        self.send_header("Content-Type", content_type)
        if length is not None:
            self.send_header("Content-Length", str(length))
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(body)
        self.wfile.flush()
        self.close_connection = True

    def do_GET(self):
        url = urllib.parse.urlsplit(self.path)
        parts = url.path.strip("/").split("/")
        query = urllib.parse.parse_qs(url.query)
        with hits_lock:
            hits[url.path] = hits.get(url.path, 0) + 1
        head = parts[0] if parts else ""
        arg = parts[1] if len(parts) > 1 else ""
        try:
            if head == "doc":
                name = os.path.normpath(urllib.parse.unquote("/".join(parts[1:])))
                if name.startswith("..") or os.path.isabs(name):
                    return self.send_body(403, b"forbidden", "text/plain", 9)
                path = os.path.join(self.root, "www", name)
                if not os.path.isfile(path):
                    return self.send_body(404, b"not found", "text/plain", 9)
                with open(path, "rb") as f:
                    body = f.read()
                ctype = "text/xml" if path.endswith(".xml") else "application/octet-stream"
                return self.send_body(200, body, ctype, len(body))
            if head == "bytes":
                n = int(arg)
                return self.send_body(200, pattern(n), length=n)
            if head == "long":
                n = int(arg)
                return self.send_body(200, pattern(2 * n), length=n)
            if head == "short":
                n = int(arg)
                return self.send_body(200, pattern(n // 2), length=n)
            if head == "nolength":
                return self.send_body(200, pattern(int(arg)))
            if head == "slow":
                n = int(arg)
                self.send_response(200)
                self.send_header("Content-Length", str(n))
                self.end_headers()
                self.wfile.write(pattern(10))
                self.wfile.flush()
                time.sleep(60)
                self.close_connection = True
                return
            if head == "trickle":
                n = int(arg)
                self.send_response(200)
                self.send_header("Content-Length", str(n))
                self.end_headers()
                sent = 0
                deadline = time.time() + 60
                while sent + 100 < n and time.time() < deadline:
                    self.wfile.write(pattern(100))
                    self.wfile.flush()
                    sent += 100
                    time.sleep(0.2)
                self.close_connection = True
                return
            if head == "drip":
                n = int(arg)
                self.send_response(200)
                self.send_header("Content-Length", str(n))
                self.end_headers()
                self.wfile.flush()
                data = pattern(n)
                deadline = time.time() + 120
                for i in range(n):
                    if time.time() >= deadline:
                        break
                    time.sleep(2)
                    self.wfile.write(data[i:i + 1])
                    self.wfile.flush()
                self.close_connection = True
                return
            if head == "gate":
                n = int(arg)
                gate = os.path.join(self.root, "gates", os.path.basename(query.get("name", [""])[0]))
                self.send_response(200)
                self.send_header("Content-Length", str(n))
                self.end_headers()
                data = pattern(n)
                self.wfile.write(data[:n // 2])
                self.wfile.flush()
                deadline = time.time() + 120
                while not os.path.exists(gate) and time.time() < deadline:
                    time.sleep(0.05)
                self.wfile.write(data[n // 2:])
                self.wfile.flush()
                self.close_connection = True
                return
            if head == "echo":
                body = self.path.encode()
                return self.send_body(200, body, "text/plain", len(body))
            if head == "status":
                body = b"plain text, not XML"
                return self.send_body(int(arg), body, "text/plain", len(body))
            if head == "xml404":
                body = b"<?xml version=\"1.0\"?><UpdateInfoBase/>"
                return self.send_body(404, body, "text/xml", len(body))
            if head == "redirect":
                k = int(arg)
                target = query.get("to", [""])[0]
                if k > 0:
                    target = "/redirect/%d?to=%s" % (k - 1, urllib.parse.quote(target, safe=""))
                self.send_response(302)
                self.send_header("Location", target)
                self.send_header("Content-Length", "0")
                self.send_header("Connection", "close")
                self.end_headers()
                self.close_connection = True
                return
            if head == "hits":
                with hits_lock:
                    body = str(hits.get(query.get("path", [""])[0], 0)).encode()
                return self.send_body(200, body, "text/plain", len(body))
            return self.send_body(404, b"unknown", "text/plain", 7)
        except (BrokenPipeError, ConnectionResetError):
            self.close_connection = True


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    root = sys.argv[1]
    os.makedirs(os.path.join(root, "www"), exist_ok=True)
    os.makedirs(os.path.join(root, "gates"), exist_ok=True)
    Handler.root = root
    server = Server(("127.0.0.1", 0), Handler)
    port_file = os.path.join(root, "port")
    with open(port_file + ".tmp", "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(port_file + ".tmp", port_file)
    server.serve_forever()


if __name__ == "__main__":
    main()
