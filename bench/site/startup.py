#!/usr/bin/env python3
"""Start-up benchmark: time from exec to the first HTTP request, Zavelon
against wget2, on a one-page site served by this script on 127.0.0.1.
Run through bench/startup.sh, which builds zavelon-cli first.

    startup.py --cli PATH [--runs N] [--tools "zavelon wget2"]

Each run starts the tool on a fresh folder (Zavelon: a fresh home with a
task made beforehand, untimed) and takes the time from just before the
process is started until the server has read the first request line; the
whole run (to the exit) is given too. Runs are taken in turns, the medians
printed as a Markdown table. The page has no links, so the run is the fixed
cost of starting, one request and ending.
"""
import argparse
import os
import shutil
import socket
import statistics
import subprocess
import sys
import tempfile
import threading
import time

PAGE = b"<html><body>nothing here</body></html>\n"


class Server:
    def __init__(self):
        self.sock = socket.socket()
        self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.sock.bind(("127.0.0.1", 0))
        self.sock.listen(64)
        self.port = self.sock.getsockname()[1]
        self.first = None
        self.lock = threading.Lock()
        threading.Thread(target=self.serve, daemon=True).start()

    def reset(self):
        with self.lock:
            self.first = None

    def serve(self):
        while True:
            conn, _ = self.sock.accept()
            threading.Thread(target=self.answer, args=(conn,), daemon=True).start()

    def answer(self, conn):
        with conn:
            data = b""
            while True:
                while b"\r\n\r\n" not in data:
                    chunk = conn.recv(4096)
                    if not chunk:
                        return
                    if not data:
                        now = time.monotonic()
                        with self.lock:
                            if self.first is None:
                                self.first = now
                    data += chunk
                head, _, data = data.partition(b"\r\n\r\n")
                method = head.split(b" ", 1)[0]
                status = b"200 OK" if head.split(b" ")[1] in (b"/", b"/index.html") else b"404 Not Found"
                body = PAGE if status.startswith(b"200") else b""
                conn.sendall(b"HTTP/1.1 " + status + b"\r\nContent-Type: text/html\r\nContent-Length: "
                             + str(len(body)).encode() + b"\r\n\r\n" + (b"" if method == b"HEAD" else body))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--runs", type=int, default=11)
    parser.add_argument("--cli", required=True, help="zavelon-cli to time")
    parser.add_argument("--tools", default="zavelon wget2")
    args = parser.parse_args()
    cli = args.cli
    tools = args.tools.split()
    server = Server()
    url = "http://127.0.0.1:%d/index.html" % server.port
    work = tempfile.mkdtemp(prefix="zav-startup.")
    results = {tool: [] for tool in tools}
    try:
        for run in range(args.runs + 1):  # the first round warms the caches
            for tool in tools:
                out = os.path.join(work, "out")
                shutil.rmtree(out, ignore_errors=True)
                os.makedirs(out)
                if tool == "zavelon":
                    home = os.path.join(out, "home")
                    os.makedirs(home)
                    task = os.path.join(home, "t.wrp")
                    subprocess.run([cli, "--home", home, "task", "new", task, "--url", url, "--folder",
                                    out + "/", "--depth", "3", "--mask", "jpg, Saved"],
                                   check=True, stdout=subprocess.DEVNULL)
                    command = [cli, "--home", home, "run", task, "--quiet"]
                else:
                    command = ["wget2", "-q", "-r", "-l", "3", "--robots=off", "-A", "jpg,png,gif",
                               "--max-threads=8", "-P", out, url]
                server.reset()
                start = time.monotonic()
                subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                end = time.monotonic()
                if server.first is None:
                    sys.exit("%s made no request" % tool)
                if run > 0:
                    results[tool].append(((server.first - start) * 1000, (end - start) * 1000))
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print()
    print("Start-up: exec to first request, median of %d runs in turns" % args.runs)
    print()
    print("| Tool | First request ms | Whole run ms | First request / wget2 |")
    print("|---|---:|---:|---:|")
    ref = statistics.median(r[0] for r in results["wget2"]) if "wget2" in results else None
    for tool in tools:
        first = statistics.median(r[0] for r in results[tool])
        whole = statistics.median(r[1] for r in results[tool])
        ratio = "%.2f" % (first / ref) if ref else "-"
        print("| %s | %.1f | %.1f | %s |" % (tool, first, whole, ratio))


if __name__ == "__main__":
    main()
