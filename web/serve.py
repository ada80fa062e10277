#!/usr/bin/env python3
"""Serves the web site from a folder on 127.0.0.1, cross-origin isolated
(the Cross-Origin-Opener-Policy and Cross-Origin-Embedder-Policy headers
that threads need) unless --plain is given, and prints its address.

    serve.py SITE [--port N] [--plain]

Port 0 (the default) picks a free port. The tests import serve() to run the
same server in a thread."""
import argparse
import functools
import http.server
import threading


class Handler(http.server.SimpleHTTPRequestHandler):
    isolated = True

    def end_headers(self):
        if self.isolated:
            self.send_header("Cross-Origin-Opener-Policy", "same-origin")
            self.send_header("Cross-Origin-Embedder-Policy", "require-corp")
        self.send_header("Cache-Control", "no-cache")
        super().end_headers()

    def log_message(self, *args):
        pass


Handler.extensions_map = {**Handler.extensions_map, ".wasm": "application/wasm", ".js": "text/javascript",
                          ".ogg": "audio/ogg"}


def serve(site, port=0, isolated=True, background=False):
    """The server of `site`; serving in a thread when background."""
    handler = type("SiteHandler", (Handler,), {"isolated": isolated})
    server = http.server.ThreadingHTTPServer(("127.0.0.1", port), functools.partial(handler, directory=site))
    if background:
        threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def main():
    parser = argparse.ArgumentParser(description="Serve the Kalt #20 web site on 127.0.0.1.")
    parser.add_argument("site")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--plain", action="store_true", help="without the headers: one thread")
    args = parser.parse_args()
    server = serve(args.site, args.port, not args.plain)
    print(f"http://127.0.0.1:{server.server_address[1]}/", flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
