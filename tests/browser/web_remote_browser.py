#!/usr/bin/python3
"""The web remote in a real browser: Debian's chromium, headless, driven
through its DevTools protocol. The service runs on the simulated transmitter
with a password, a described lamp and appliance, a group and a timer due a few
seconds after the start. The browser logs in on a phone-size viewport, presses
A3 ON (the frame goes out, the button lights), and the timer's run shows on the
page by itself. Pictures: web_phone.png (360x740) and web_desktop.png (1280x800).

  web_remote_browser.py ZULMARIN SCREENSHOT_FOLDER [--figures]

--figures also prints: request -> frame (median, worst of 50), state change ->
page update, the service's idle CPU and RSS with one page open, and the first
paint on the phone viewport. Exit status 0 passed, 1 failed, 77 skipped.
"""
import base64
import json
import os
import re
import shutil
import socket
import statistics
import subprocess
import sys
import tempfile
import time
import urllib.request

PASSWORD = "porch lights"


def wait_until(done, seconds, what):
    limit = time.monotonic() + seconds
    while time.monotonic() < limit:
        value = done()
        if value:
            return value
        time.sleep(0.02)
    raise AssertionError("not within %s s: %s" % (seconds, what))


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Service:
    """zulmarin service with its own folders, on the simulated transmitter."""

    def __init__(self, program, root):
        self.program, self.root = program, root
        self.env = dict(os.environ, ZULMARIN_CONFIG_DIR=root + "/config", ZULMARIN_HOME=root + "/home",
                        XDG_RUNTIME_DIR=root + "/runtime")
        for d in ("config", "home", "runtime"):
            os.makedirs(root + "/" + d, mode=0o700, exist_ok=True)
        with open(root + "/config/settings.ini", "w") as f:
            f.write("[Settings]\nUpdateCheck=0\n")
        self.run(["units", "describe", "A3", "Porch light"])
        self.run(["units", "describe", "A5", "Fan", "--appliance"])
        with open(root + "/home/file0.grp", "w", newline="") as f:
            f.write('"Group 1, Outside"\r\n"0110000000000000"\r\n')
        with open(root + "/home/Evening.cro", "w", newline="") as f:
            f.write('"01100000010000000000"\r\n')
        self.run(["remote", "password"], PASSWORD + "\n")
        self.port = free_port()
        self.process = None

    def run(self, args, stdin=None):
        subprocess.run([self.program] + args, env=self.env, input=stdin, text=True, check=True,
                       stdout=subprocess.DEVNULL, timeout=30)

    def start(self, timer_in_seconds):
        due = time.localtime(time.time() + timer_in_seconds)
        with open(self.root + "/home/tmrdat.zul", "w", newline="") as f:
            f.write('"A 5 ON*%d:%02d:%02d*Everyday"\r\n' % (due.tm_hour, due.tm_min, due.tm_sec))
        self.out = open(self.root + "/service.out", "w+")
        self.err = open(self.root + "/service.err", "w+")
        self.process = subprocess.Popen([self.program, "service", "--port", "sim", "--http",
                                         "127.0.0.1:%d" % self.port], env=self.env, stdout=self.out, stderr=self.err)
        wait_until(lambda: "The web remote is at" in self.errors(), 15, "the remote serving: " + self.errors())

    def said(self, text):
        return text in open(self.root + "/service.out").read()

    def errors(self):
        return open(self.root + "/service.err").read()

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            return self.process.wait(10)
        return self.process.returncode if self.process else 0


class Browser:
    """Headless chromium and one page of it, over the DevTools protocol."""

    def __init__(self, root):
        import websocket  # Debian's python3-websocket
        self.process = subprocess.Popen(
            ["/usr/bin/chromium", "--headless=new", "--no-sandbox", "--disable-gpu", "--no-first-run",
             "--disable-extensions", "--hide-scrollbars", "--remote-debugging-port=0",
             "--user-data-dir=" + root + "/profile", "about:blank"],
            stderr=subprocess.PIPE, stdout=subprocess.DEVNULL, text=True)
        port = None
        for line in self.process.stderr:
            found = re.search(r"DevTools listening on ws://127\.0\.0\.1:(\d+)/", line)
            if found:
                port = found.group(1)
                break
        if not port:
            raise AssertionError("chromium did not start its DevTools endpoint")
        targets = json.load(urllib.request.urlopen("http://127.0.0.1:%s/json/list" % port, timeout=10))
        page = next(t for t in targets if t["type"] == "page")
        self.socket = websocket.create_connection(page["webSocketDebuggerUrl"], timeout=30)
        self.next_id = 0

    def call(self, method, **params):
        self.next_id += 1
        self.socket.send(json.dumps({"id": self.next_id, "method": method, "params": params}))
        while True:
            message = json.loads(self.socket.recv())
            if message.get("id") == self.next_id:
                if "error" in message:
                    raise AssertionError("%s: %s" % (method, message["error"]))
                return message.get("result", {})

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True, awaitPromise=True)
        if "exceptionDetails" in result:
            raise AssertionError("%s: %s" % (expression, result["exceptionDetails"]))
        return result["result"].get("value")

    def viewport(self, width, height, mobile):
        self.call("Emulation.setDeviceMetricsOverride", width=width, height=height, deviceScaleFactor=1, mobile=mobile)

    def click(self, selector):
        # Where the element is once it is what lies under that point: the page may still be laying out.
        where = ("(() => { const e = document.querySelector(%s); if (!e) return null;"
                 " const r = e.getBoundingClientRect(), x = r.x + r.width / 2, y = r.y + r.height / 2;"
                 " return e.contains(document.elementFromPoint(x, y)) ? [x, y] : null; })()" % json.dumps(selector))
        x, y = wait_until(lambda: self.evaluate(where), 10, selector + " under the pointer")
        for kind in ("mousePressed", "mouseReleased"):
            self.call("Input.dispatchMouseEvent", type=kind, x=x, y=y, button="left", clickCount=1)

    def screenshot(self, path):
        data = self.call("Page.captureScreenshot", format="png")["data"]
        with open(path, "wb") as f:
            f.write(base64.b64decode(data))

    def close(self):
        self.process.terminate()
        self.process.wait(10)


def lit(browser, unit, word, cls):
    return browser.evaluate("(() => { const row = document.querySelector('[data-unit=\"%s\"]');"
                            " if (!row) return false; const b = [...row.querySelectorAll('button')]"
                            ".find(b => b.textContent === '%s'); return !!b && b.classList.contains('%s'); })()"
                            % (unit, word, cls))


def cpu_seconds(pid):
    fields = open("/proc/%d/stat" % pid).read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def rss_kib(pid):
    for line in open("/proc/%d/status" % pid):
        if line.startswith("VmRSS:"):
            return int(line.split()[1])
    return 0


def figures(service, browser):
    """Prints the figures; the page is open and logged in."""
    import http.client
    cookie = browser.call("Network.getCookies", urls=["http://127.0.0.1:%d/" % service.port])["cookies"][0]
    connection = http.client.HTTPConnection("127.0.0.1", service.port, timeout=10)
    headers = {"Content-Type": "application/json", "Cookie": "%s=%s" % (cookie["name"], cookie["value"])}
    waits = []
    for i in range(50):
        time.sleep(1.0)  # past the "GPause" gap (0.6 s) after the previous frame, which the queue keeps
        word = "ON" if i % 2 == 0 else "OFF"
        before = open(service.root + "/service.out").read().count("simulator: A3 " + word)
        start = time.monotonic()
        connection.request("POST", "/api/unit/A3", json.dumps({"command": word}), headers)
        connection.getresponse().read()
        wait_until(lambda: open(service.root + "/service.out").read().count("simulator: A3 " + word) > before, 10,
                   "frame " + word)
        waits.append((time.monotonic() - start) * 1000)
    print("request -> frame on the lines (1 s apart): median %.0f ms, worst %.0f ms over 50" % (statistics.median(waits),
                                                                                    max(waits)))
    updates = []
    for word in ("OFF", "ON", "OFF", "ON", "OFF"):
        start = time.monotonic()
        service.run(["send", "A", "3", word])
        wait_until(lambda: lit(browser, "A3", word, "lit-on" if word == "ON" else "lit-off"), 10, "page update")
        updates.append((time.monotonic() - start) * 1000)
    print("state change (zulmarin send) -> page update: median %.0f ms, worst %.0f ms over 5 (send included)"
          % (statistics.median(updates), max(updates)))
    pid = service.process.pid
    before, start = cpu_seconds(pid), time.monotonic()
    time.sleep(30)
    print("service idle with the remote on and one page open: CPU %.2f %% over 30 s, RSS %d KiB"
          % ((cpu_seconds(pid) - before) / (time.monotonic() - start) * 100, rss_kib(pid)))


def main():
    if len(sys.argv) < 3:
        print(__doc__)
        return 2
    program, pictures = os.path.abspath(sys.argv[1]), sys.argv[2]
    if not os.path.exists("/usr/bin/chromium"):
        print("SKIP: chromium is not installed (./zul installs it)")
        return 77
    root = tempfile.mkdtemp(prefix="zul-browser-")
    service, browser = Service(program, root), None
    try:
        service.start(timer_in_seconds=12)
        browser = Browser(root)
        browser.call("Page.enable")
        browser.viewport(360, 740, True)
        browser.call("Page.navigate", url="http://127.0.0.1:%d/" % service.port)
        wait_until(lambda: browser.evaluate("document.getElementById('login')?.hidden === false"), 10, "the login form")
        browser.evaluate("document.getElementById('password').focus()")
        browser.call("Input.insertText", text="wrong password")
        browser.click("#login button")
        wait_until(lambda: browser.evaluate("document.getElementById('login-problem').textContent") ==
                   "Wrong password.", 10, "the wrong password refused")
        time.sleep(1.1)  # the remote makes the address wait after a wrong password
        browser.evaluate("document.getElementById('password').value = ''")
        browser.call("Input.insertText", text=PASSWORD)
        browser.click("#login button")
        wait_until(lambda: browser.evaluate("!document.getElementById('remote').hidden"), 10, "the remote shown")
        wait_until(lambda: browser.evaluate("document.querySelector('[data-unit=\"A3\"]') !== null"), 10, "A3 shown")
        paint = browser.evaluate("(performance.getEntriesByName('first-contentful-paint')[0] || {}).startTime")
        browser.evaluate("window.pressed = document.querySelector('[data-unit=\"A3\"] button'); true")
        browser.click("[data-unit=\"A3\"] button")  # its first button: ON
        wait_until(lambda: service.said("simulator: A3 ON"), 10, "the frame A3 ON on the lines")
        wait_until(lambda: lit(browser, "A3", "ON", "lit-on"), 5, "A3's ON button lit")
        if not browser.evaluate("window.pressed.isConnected"):
            raise AssertionError("the new state replaced the button that was pressed")
        # The timer runs in the service; the page shows its log entry and the state it set by itself.
        wait_until(lambda: service.said("simulator: A5 ON"), 30, "the timer's frame")
        wait_until(lambda: lit(browser, "A5", "ON", "lit-on"), 5, "A5 ON shown live")
        wait_until(lambda: "Timer 1" in browser.evaluate("document.getElementById('log').textContent"), 5,
                   "the timer's log entry shown live")
        os.makedirs(pictures, exist_ok=True)
        browser.screenshot(os.path.join(pictures, "web_phone.png"))
        browser.viewport(1280, 800, False)
        time.sleep(0.3)
        browser.screenshot(os.path.join(pictures, "web_desktop.png"))
        browser.viewport(360, 740, True)
        if "--figures" in sys.argv:
            print("first contentful paint on the phone viewport: %.0f ms after the navigation start" % (paint or -1))
            figures(service, browser)
        print("PASS")
        return 0
    except AssertionError as e:
        print("FAIL:", e)
        print(service.errors())
        return 1
    finally:
        if browser:
            browser.close()
        code = service.stop()
        if code not in (0, None):
            print("FAIL: the service ended with", code)
            sys.exit(1)
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
