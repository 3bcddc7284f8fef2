"""Loopback HTTP receiver for the webhook tests.

Answers POSTs as the file "mode" in the folder given by --store says at the
moment the request comes: "ok" (204, the default), "500", "404", or "hang"
(holds the request open without an answer). Every request is appended to
"seen.jsonl"; every one answered with 204 also to "accepted.jsonl", with its
body, its path and whether the signature header matches the HMAC-SHA256 of
the body under --secret. Listens on --port (0: a free one), prints
"READY <port>" once listening and serves until killed or until its standard
input closes. A receiver started again on the same store carries on its
records.
"""

import argparse
import hashlib
import hmac
import json
import os
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer


def make_handler(store, secret):
    lock = threading.Lock()

    def append(name, record):
        with lock, open(os.path.join(store, name), "a") as f:
            f.write(json.dumps(record) + "\n")

    class Handler(BaseHTTPRequestHandler):
        def log_message(self, *args):
            pass

        def do_POST(self):
            body = self.rfile.read(int(self.headers.get("Content-Length", "0")))
            try:
                with open(os.path.join(store, "mode")) as f:
                    mode = f.read().strip()
            except FileNotFoundError:
                mode = "ok"
            signature = self.headers.get("X-Vantor-Signature-256")
            expected = "sha256=" + hmac.new(secret.encode(), body, hashlib.sha256).hexdigest()
            record = {
                "path": self.path,
                "body": body.decode("utf-8"),
                "content_type": self.headers.get("Content-Type"),
                "signature": signature,
                "signature_ok": signature is not None and hmac.compare_digest(signature, expected),
            }
            append("seen.jsonl", record)
            if mode == "hang":
                time.sleep(3600)
                return
            if mode in ("500", "404"):
                self.send_response(int(mode))
                self.send_header("Content-Length", "0")
                self.end_headers()
                return
            append("accepted.jsonl", record)
            self.send_response(204)
            self.end_headers()

    return Handler


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--store", required=True)
    parser.add_argument("--secret", default="")
    parser.add_argument("--port", type=int, default=0)
    args = parser.parse_args()
    ThreadingHTTPServer.allow_reuse_address = True
    server = ThreadingHTTPServer(("127.0.0.1", args.port), make_handler(args.store, args.secret))
    server.daemon_threads = True
    threading.Thread(target=server.serve_forever, daemon=True).start()
    print("READY", server.server_address[1], flush=True)
    sys.stdin.buffer.read()


if __name__ == "__main__":
    main()
