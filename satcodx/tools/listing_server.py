#!/usr/bin/env python3
"""A listing server for trying the Internet download without an outside host.

Serves the files of one folder on 127.0.0.1 by the last part of the requested path, so the shipped index's
addresses (127.0.0.1:18123/sdxpos/<position>/<file>) find data/sample/import/<file>. Anything else is a 404.

    python3 satcodx/tools/listing_server.py [--dir data/sample/import] [--port 18123]
"""
import argparse
import http.server
import os
import posixpath
import urllib.parse


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--dir", default="data/sample/import")
    ap.add_argument("--port", type=int, default=18123)
    args = ap.parse_args()
    folder = os.path.abspath(args.dir)

    class Handler(http.server.BaseHTTPRequestHandler):
        def do_GET(self):
            name = posixpath.basename(urllib.parse.urlsplit(self.path).path)
            path = os.path.join(folder, name)
            if not name or name.startswith(".") or not os.path.isfile(path):
                self.send_error(404)
                return
            with open(path, "rb") as f:
                body = f.read()
            self.send_response(200)
            self.send_header("Content-Type", "application/octet-stream")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

    server = http.server.ThreadingHTTPServer(("127.0.0.1", args.port), Handler)
    print("serving %s on http://127.0.0.1:%d/" % (folder, args.port), flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
