#!/usr/bin/python3
"""qelctl serve on a board of 1,000 users with 50 open event streams:
/board.json requests/s and p95 latency against the baseline of one plain
`qelctl board --json` per request, measured in the same run; then the reads
of the users dataset (opens of QelDBase.isd, counted with strace) per change
of the board, with 1 and with 50 event streams open.
Usage: serve_bench.py PATH_TO_QELCTL [USERS] [SECONDS]"""
import concurrent.futures
import http.client
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time

QELCTL = os.path.abspath(sys.argv[1])
USERS = int(sys.argv[2]) if len(sys.argv) > 2 else 1000
SECONDS = float(sys.argv[3]) if len(sys.argv) > 3 else 10
CLIENTS = 4
WORK = tempfile.mkdtemp(prefix="qelctl-serve-bench.")
SHARE = os.path.join(WORK, "share")
os.environ["XDG_CONFIG_HOME"] = os.path.join(WORK, "config")


def pc(name, *args):
    subprocess.run([QELCTL, "--profile", os.path.join(WORK, name + ".ini"), "--computer", name, *args],
                   check=True, capture_output=True, timeout=120)


def start_server():
    process = subprocess.Popen([QELCTL, "--profile", os.path.join(WORK, "PC1.ini"), "--computer", "PC1",
                                "serve", "--listen", "127.0.0.1:0"], stderr=subprocess.PIPE, text=True)
    line = ""
    while "http://" not in line:
        line = process.stderr.readline()
        if not line:
            raise RuntimeError("serve did not start")
    threading.Thread(target=lambda: [None for _ in process.stderr], daemon=True).start()
    return process, int(line.rsplit(":", 1)[1].strip(" /\n"))


class Streams:
    """`count` event streams on raw sockets, read to the end in threads;
    events counted."""

    def __init__(self, port, count):
        self.events = [0] * count
        self.sockets = []
        for i in range(count):
            stream = socket.create_connection(("127.0.0.1", port), timeout=60)
            stream.sendall(b"GET /events HTTP/1.1\r\nHost: bench\r\n\r\n")
            self.sockets.append(stream)
            threading.Thread(target=self.read, args=(i, stream), daemon=True).start()

    def read(self, i, stream):
        carry = b""
        try:
            while data := stream.recv(1 << 16):
                data = carry + data
                self.events[i] += data.count(b"data: {")
                carry = data[-6:]
        except OSError:
            pass

    def close(self):
        for stream in self.sockets:
            stream.shutdown(socket.SHUT_RDWR)
            stream.close()


def load(request):
    """CLIENTS threads calling request() for SECONDS: requests/s and p95 in ms."""
    latencies = []
    deadline = time.time() + SECONDS

    def client():
        own = []
        state = {}
        while time.time() < deadline:
            start = time.perf_counter()
            request(state)
            own.append(time.perf_counter() - start)
        return own

    with concurrent.futures.ThreadPoolExecutor(CLIENTS) as pool:
        for own in pool.map(lambda _: client(), range(CLIENTS)):
            latencies += own
    latencies.sort()
    return len(latencies) / SECONDS, latencies[int(len(latencies) * 0.95)] * 1000


def board_json_request(port):
    def request(state):
        if "connection" not in state:
            state["connection"] = http.client.HTTPConnection("127.0.0.1", port, timeout=60)
        connection = state["connection"]
        try:
            connection.request("GET", "/board.json")
            response = connection.getresponse()
            body = response.read()
            assert response.status == 200 and body.count(b'"user"') == USERS
            if response.getheader("Connection") == "close":
                connection.close()
                del state["connection"]
        except (http.client.HTTPException, OSError):
            connection.close()
            del state["connection"]
    return request


def plain_request(_):
    result = subprocess.run([QELCTL, "--profile", os.path.join(WORK, "PC1.ini"), "--computer", "PC1", "board",
                             "--json"], capture_output=True, timeout=120)
    assert result.returncode == 0 and result.stdout.count(b'"user"') == USERS


def reads_per_change(streams_open, changes):
    """Opens of the users dataset by the server while `changes` changes are
    made, 6 s apart, with `streams_open` event streams open."""
    trace = os.path.join(WORK, f"trace-{streams_open}")
    process, port = start_server()
    tracer = subprocess.Popen(["strace", "-f", "-e", "trace=open,openat", "-o", trace, "-p", str(process.pid)],
                              stderr=subprocess.PIPE, text=True)
    tracer.stderr.readline()  # attached
    streams = Streams(port, streams_open)
    time.sleep(1)
    for i in range(changes):
        pc("PC2", "status", f"Busy {i}")
        time.sleep(6.5)
    streams.close()
    process.terminate()
    process.wait(timeout=60)
    tracer.wait(timeout=60)
    with open(trace) as lines:
        opens = sum(1 for line in lines if re.search(r'QelDBase\.isd"', line) and "ENOENT" not in line)
    return opens, min(streams.events)


def main():
    started = time.time()
    os.makedirs(SHARE)
    try:
        pc("PC1", "init", SHARE)
        with concurrent.futures.ThreadPoolExecutor(2) as pool:
            list(pool.map(lambda i: pc(f"PC{i}", "join", SHARE), range(2, USERS + 1)))
        print(f"board of {USERS} users ({time.time() - started:.0f} s to make), {CLIENTS} clients, {SECONDS:.0f} s each",
              flush=True)

        process, port = start_server()
        streams = Streams(port, 50)
        served_rate, served_p95 = load(board_json_request(port))
        streams.close()
        process.terminate()
        process.wait(timeout=60)
        plain_rate, plain_p95 = load(plain_request)
        print(f"baseline qelctl board --json per request: {plain_rate:8.1f} requests/s, p95 {plain_p95:7.1f} ms")
        print(f"serve /board.json, 50 event streams open: {served_rate:8.1f} requests/s, p95 {served_p95:7.1f} ms")
        print(f"ratio: {served_rate / plain_rate:.1f}x the requests/s, p95 {served_p95 / plain_p95:.3f}x the baseline's",
              flush=True)

        for streams_open in (1, 50):
            reads, events = reads_per_change(streams_open, 2)
            print(f"{streams_open:2d} event streams: {reads} reads of QelDBase.isd for 2 changes; "
                  f"every stream got at least {events} events (the board at start, then one per change)")
    finally:
        shutil.rmtree(WORK, ignore_errors=True)


if __name__ == "__main__":
    main()
