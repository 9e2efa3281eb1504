#!/usr/bin/python3
"""qelctl serve against an office of three computers (PC1-PC3 made with
qelctl): the routes, headers and event stream over plain HTTP, then a real
headless Chromium: the rows, a live status change without a reload, a hostile
comment shown as text, the department links; then a share that vanishes and
comes back, a damaged users file, and the stop by SIGTERM.
Usage: serve_test.py PATH_TO_QELCTL"""
import http.client
import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time

from selenium import webdriver
from selenium.common.exceptions import NoAlertPresentException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

QELCTL = os.path.abspath(sys.argv[1])
WORK = tempfile.mkdtemp(prefix="qelctl-serve.")
SHARE = os.path.join(WORK, "share")
HOSTILE = "<img src=x onerror=alert(1)>"
os.environ["XDG_CONFIG_HOME"] = os.path.join(WORK, "config")
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what, flush=True)


def pc(name, *args):
    result = subprocess.run([QELCTL, "--profile", os.path.join(WORK, name + ".ini"), "--computer", name,
                             "--user", "user_" + name, *args], capture_output=True, text=True, timeout=60)
    if result.returncode != 0:
        raise RuntimeError(f"qelctl {name} {args}: {result.stderr}")
    return result.stdout


class Server:
    """qelctl serve on a free loopback port; its log lines collected."""

    def __init__(self, profile):
        self.process = subprocess.Popen([QELCTL, "--profile", os.path.join(WORK, profile + ".ini"), "--computer",
                                         "PC1", "serve", "--listen", "127.0.0.1:0"], stderr=subprocess.PIPE, text=True)
        self.lines = []
        first = ""
        while "http://" not in first:
            first = self.process.stderr.readline()
            if not first:
                raise RuntimeError("serve did not start")
        self.port = int(first.rsplit(":", 1)[1].strip(" /\n"))
        threading.Thread(target=lambda: self.lines.extend(self.process.stderr), daemon=True).start()

    def get(self, path, method="GET", headers=None, body=None):
        connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=30)
        connection.request(method, path, body=body, headers=headers or {})
        response = connection.getresponse()
        data = response.read().decode("utf-8", "replace")
        connection.close()
        return response.status, response, data

    def first_event(self, path="/events"):
        connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=30)
        connection.request("GET", path)
        response = connection.getresponse()
        line = response.readline().decode()
        connection.close()
        return response, json.loads(line[len("data: "):]) if line.startswith("data: ") else None

    def stop(self):
        self.process.send_signal(signal.SIGTERM)
        return self.process.wait(timeout=60)


def share_files():
    return {name: (os.stat(os.path.join(SHARE, name)).st_mtime_ns, os.path.getsize(os.path.join(SHARE, name)))
            for name in os.listdir(SHARE)}


def http_checks(server):
    status, response, page = server.get("/")
    check(status == 200 and response.getheader("Content-Type").startswith("text/html"), "GET / is an HTML page")
    check(response.getheader("Content-Security-Policy") == "default-src 'self'", "CSP default-src 'self'")
    check(response.getheader("X-Content-Type-Options") == "nosniff", "nosniff")
    check(all(name in page for name in ("USER_PC1", "USER_PC2", "USER_PC3")), "the page lists the three")
    check("<img src=x" not in page and "&lt;img src=x onerror=alert(1)&gt;" in page, "the comment is escaped")
    check("<script>" not in page and " style=" not in page, "no inline script or style")
    check('href="/?department=R%26D%20%3Cx%3E"' in page, "department links are URL-encoded and escaped")

    status, response, text = server.get("/board.json")
    check(status == 200 and json.loads(text) == json.loads(pc("PC1", "board", "--json")), "/board.json is board --json")
    _, _, text = server.get("/board.json?department=Support")
    check([user["computer"] for user in json.loads(text)] == ["PC2"], "/board.json filters on the department")

    _, _, page = server.get("/?kiosk=1")
    check("<a " not in page and 'id="clock"' in page and 'class="kiosk"' in page, "kiosk: no links, the clock")

    routes = [("/board.js", 200, "text/javascript"), ("/board.css", 200, "text/css"),
              ("/images/1.svg", 200, "image/svg+xml"), ("/images/9.svg", 200, "image/svg+xml"),
              ("/images/8.svg", 404, None), ("/images/12.svg", 404, None), ("/images/../../etc/passwd", 404, None),
              ("/images/..%2f..%2fetc%2fpasswd", 404, None), ("/small-01-available.svg", 404, None),
              ("/etc/passwd", 404, None), ("/index.html", 404, None), ("/board.json/", 404, None)]
    for path, expected, kind in routes:
        status, response, _ = server.get(path)
        check(status == expected and (kind is None or response.getheader("Content-Type").startswith(kind)),
              f"{path}: {status}")
    _, response, _ = server.get("/images/1.svg")
    check("max-age" in (response.getheader("Cache-Control") or ""), "images are cached")
    check(server.get("/", method="POST", body="x")[0] == 404, "POST / is refused")
    check(server.get("/", headers={"X-Big": "a" * 9000})[0] in (400, 413, 414, 431), "oversize headers refused")
    check(server.get("/board.json", method="POST", body="b" * 20000)[0] in (404, 413), "oversize body refused")

    # 64 streams at most: the 65th is refused until one closes.
    streams = []
    for _ in range(64):
        stream = socket.create_connection(("127.0.0.1", server.port), timeout=30)
        stream.sendall(b"GET /events HTTP/1.1\r\nHost: x\r\n\r\n")
        check(stream.recv(15).startswith(b"HTTP/1.1 200"), "an event stream below the cap opens")
        streams.append(stream)
    check(server.get("/events")[0] == 503, "the 65th event stream is refused")
    for stream in streams:
        stream.close()
    deadline = time.time() + 60
    while time.time() < deadline and server.get("/board.json")[0] == 200:
        if server.first_event()[1]:
            break
        time.sleep(1)
    check(time.time() < deadline, "streams are accepted again once closed")
    response, event = server.first_event("/events?department=Sales")
    check(response.getheader("Content-Type") == "text/event-stream", "/events is an event stream")
    check(event and event["error"] is None and [u["computer"] for u in event["users"]] == ["PC1"],
          "the first event carries the department's board")


def browser_checks(server):
    options = webdriver.ChromeOptions()
    for argument in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                     "--disable-background-networking", "--disable-component-update", "--disable-sync",
                     "--user-data-dir=" + os.path.join(WORK, "chromium")):
        options.add_argument(argument)
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    try:
        driver.get(f"http://127.0.0.1:{server.port}/")
        cells = lambda: [[td.text for td in tr.find_elements(By.TAG_NAME, "td")]
                         for tr in driver.find_elements(By.CSS_SELECTOR, "#rows tr")]
        check([row[1] for row in cells()] == ["USER_PC1", "USER_PC2", "USER_PC3"], "the browser shows the three")
        check(cells()[2][5] == HOSTILE, "the hostile comment shows as text")
        check(not driver.find_elements(By.CSS_SELECTOR, "img[src='x']"), "no image made from the comment")
        try:
            driver.switch_to.alert.dismiss()
            check(False, "no script from the comment runs")
        except NoAlertPresentException:
            pass

        driver.execute_script("window.notReloaded = true;")
        pc("PC2", "status", "In meeting")
        changed_at = time.time()
        before = share_files()
        try:
            WebDriverWait(driver, 7, poll_frequency=0.2).until(lambda _: cells()[1][2] == "In meeting")
        except Exception:
            pass
        check(cells()[1][2] == "In meeting" and time.time() - changed_at <= 7, "the change appears within 7 s")
        check(driver.execute_script("return window.notReloaded === true;"), "without a reload")
        check(driver.find_elements(By.CSS_SELECTOR, "#rows tr")[1].find_element(By.TAG_NAME, "img")
              .get_attribute("src").endswith("/images/5.svg"), "with its status image")
        check(cells()[2][5] == HOSTILE, "the hostile comment still text after the update")

        driver.find_element(By.LINK_TEXT, "Support").click()
        WebDriverWait(driver, 30).until(lambda _: "department=Support" in driver.current_url)
        check([row[1] for row in cells()] == ["USER_PC2"], "the department link filters")
        check(driver.title == "Qel - Filtered on Support", "the filtered title")
        check(share_files() == before, "nothing written to the shared folder")
    finally:
        driver.quit()


def failure_checks(server):
    # The share goes away: the page says so, never an empty board; it comes back.
    os.rename(SHARE, SHARE + ".away")
    deadline = time.time() + 60
    while time.time() < deadline and server.get("/")[0] != 503:
        time.sleep(0.5)
    status, _, page = server.get("/")
    check(status == 503 and "The board cannot be read" in page and "network share" in page and "<tr><td>" not in page,
          "a vanished share gives a page that says so")
    check(json.loads(server.get("/board.json")[2]).get("error"), "/board.json says so too")
    os.rename(SHARE + ".away", SHARE)
    while time.time() < deadline and server.get("/")[0] != 200:
        time.sleep(0.5)
    check(server.get("/")[0] == 200, "the board returns with the share")

    damaged = os.path.join(WORK, "damaged")
    os.mkdir(damaged)
    with open(os.path.join(damaged, "QelDBase.isd"), "wb") as garbage:
        garbage.write(b"this is not a dataset" * 100)
    with open(os.path.join(WORK, "damaged.ini"), "w") as profile:
        profile.write(f"[Locations]\nQel_DBaseLocation={damaged}/\n")
    broken = Server("damaged")
    status, _, page = broken.get("/")
    check(status == 503 and "The board cannot be read" in page, "a damaged users file gives a page that says so")
    check(broken.stop() == 0, "SIGTERM stops the server")


def main():
    os.makedirs(SHARE)
    try:
        pc("PC1", "init", SHARE)
        pc("PC2", "join", SHARE)
        pc("PC3", "join", SHARE)
        pc("PC1", "set-user", "PC1", "--department", "Sales")
        pc("PC1", "set-user", "PC2", "--department", "Support")
        pc("PC1", "set-user", "PC3", "--department", "R&D <x>", "--comments", HOSTILE)
        server = Server("PC1")
        try:
            http_checks(server)
            browser_checks(server)
            failure_checks(server)
        finally:
            check(server.stop() == 0, "the server ends with 0 after SIGTERM")
        check(any(" GET /board.json 200" in line for line in server.lines), "one log line per request")
    finally:
        shutil.rmtree(WORK, ignore_errors=True)
    print(f"{len(failures)} failed" if failures else "all passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
