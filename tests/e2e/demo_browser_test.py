"""Drives the demo module in a real headless Chromium against a running engine.

Lays out an installation through the harness's lay_installation (program, registry entries, the
demo module, a params file for a network printer on a loopback address), starts a simulated
printer at that address and the engine there, and walks the pages the way a user would: the main
menu with every value the engine fills (the printer's identity from its answer at start-up), the
choices page and back, the status page with the printer's answer, a test job and the system
information that the engine fills in before they are sent, a firmware file sent with a live
progress bar, the status page again once the printer is switched off, and the exit page, first
refused while another connection is live, then served, after which the engine must end. Prints
PASS or FAIL per check and exits non-zero on any failure.
"""

import argparse
import datetime
import os
import random
import re
import shutil
import signal
import socket
import subprocess
import sys
import threading
import time
import urllib.parse
import xml.etree.ElementTree as ElementTree

from webdriver_client import WebDriverClient, WebDriverError

ENGINE_PORT = 8190
MODULE_NAME = "brenna"
MODULE_DIR = "orvik plotara 310ps 320ps 350ps"
PRINTER_NAME = "Demo plotter"
# A loopback address where no simulated printer of another test listens.
PRINTER_ADDRESS = "127.0.0.231"
PRODUCT_NUMBER = "Q1251A"
PRINTER_MODEL = "orvik plotara 530"
PRINTER_STATUS = 'CODE=10001\\r\\nDISPLAY="READY"\\r\\nONLINE=TRUE'
# Slow enough that the firmware transfer below takes a few seconds and its bar can be watched.
PRINTER_BYTES_PER_SECOND = 1 << 20
FIRMWARE_BYTES = 3 << 20
# The workstation values that the system information job asks the printer to echo.
SYSTEM_INFO_NAMES = [
    "OS-Name", "OS-Version", "OS-Service-Pack", "OS-Environment", "OS-Code", "OS-Language",
    "Driver-Name", "Driver-Version", "Dat-Version", "RIP-Name", "RIP-Build-Number",
    "RIP-Build-Date", "Web-Browser-Name", "Web-Browser-Version",
]
INSTALLATION_KEY = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvik\\Plotara TroubleShooter"
BROWSER_KEY = "HKEY_CLASSES_ROOT\\http\\shell\\open\\command"
# Guards against a hang only: every wait ends as soon as what it waits for has happened.
GUARD_SECONDS = 120
# Exactly the switches the browser runs with, besides a fresh profile folder.
CHROMIUM_SWITCHES = [
    "--headless",
    "--no-sandbox",
    "--disable-gpu",
    "--no-first-run",
    "--disable-background-networking",
    "--disable-component-update",
    "--disable-sync",
]


class Checks:
    """Counts and prints the outcome of each check."""

    def __init__(self):
        self.passed = 0
        self.failed = 0

    def check(self, name, ok, detail=""):
        if ok:
            self.passed += 1
            print(f"PASS {name}", flush=True)
        else:
            self.failed += 1
            print(f"FAIL {name}{': ' + detail if detail else ''}", flush=True)
        return ok

    def equal(self, name, seen, expected):
        return self.check(name, seen == expected, f"expected {expected!r}, saw {seen!r}")


def wait_until(condition, seconds=GUARD_SECONDS, interval=0.05):
    """Checks `condition` until it holds (True) or `seconds` pass (False): the one place this
    test polls."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if condition():
            return True
        time.sleep(interval)
    return bool(condition())


def windows_path(posix_path):
    """How a Wine program sees an absolute host path."""
    return "Z:" + posix_path.replace("/", "\\")


def port_accepts(port, timeout=0.5):
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=timeout):
            return True
    except OSError:
        return False


def engine_answers():
    """True when the engine answers a whole request. A bare connection would count as open
    for a while and keep the exit page from stopping the engine."""
    try:
        with socket.create_connection(("127.0.0.1", ENGINE_PORT), timeout=5) as connection:
            connection.sendall(b"GET /ready-check.gif HTTP/1.0\r\n\r\n")
            answer = b""
            while chunk := connection.recv(4096):
                answer += chunk
            return answer.startswith(b"HTTP/")
    except OSError:
        return False


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def host_addresses():
    """This machine's own IPv4 addresses: what its host name resolves to ("127.0.0.1" when it
    does not), and, since Wine resolves the host name by the interfaces, each local address."""
    try:
        addresses = socket.gethostbyname_ex(socket.gethostname())[2] or ["127.0.0.1"]
    except OSError:
        addresses = ["127.0.0.1"]
    try:
        with open("/proc/net/fib_trie") as routes:
            lines = routes.read().splitlines()
    except OSError:
        lines = []
    for before, line in zip(lines, lines[1:]):
        if line.strip() == "/32 host LOCAL" and "|--" in before:
            address = before.split("|--")[1].strip()
            if address not in addresses:
                addresses.append(address)
    return addresses


class LiveConnection:
    """A second client that keeps one keep-alive connection to the engine busy."""

    def __init__(self, path):
        self._request = (f"GET {path} HTTP/1.1\r\nHost: 127.0.0.1:{ENGINE_PORT}\r\n"
                         "Connection: keep-alive\r\n\r\n").encode()
        self._stop = threading.Event()
        self._socket = socket.create_connection(("127.0.0.1", ENGINE_PORT), timeout=5)
        self.answers = 0
        self.error = None
        self._thread = threading.Thread(target=self._run, daemon=True)
        self._thread.start()

    def _read_answer(self):
        data = b""
        while b"\r\n\r\n" not in data:
            chunk = self._socket.recv(4096)
            if not chunk:
                raise ConnectionError("closed by the engine")
            data += chunk
        head, _, body = data.partition(b"\r\n\r\n")
        length = 0
        for line in head.split(b"\r\n")[1:]:
            name, _, value = line.partition(b":")
            if name.strip().lower() == b"content-length":
                length = int(value.strip())
        while len(body) < length:
            chunk = self._socket.recv(4096)
            if not chunk:
                raise ConnectionError("closed by the engine inside a body")
            body += chunk

    def _run(self):
        try:
            while not self._stop.is_set():
                self._socket.sendall(self._request)
                self._read_answer()
                self.answers += 1
                self._stop.wait(0.3)
        except OSError as error:
            self.error = error

    def close(self):
        self._stop.set()
        self._thread.join(5)
        self._socket.close()


class PrinterSimulator:
    """The printer at PRINTER_ADDRESS, port 9100: it names its product number and model when the
    engine asks at start-up, answers the status request, echoes the lines the system
    information job asks it to, takes its bytes at PRINTER_BYTES_PER_SECOND and records them."""

    def __init__(self, program, folder):
        self.program = program
        self.record = os.path.join(folder, "printer-received.bin")
        self.ready = os.path.join(folder, "printer.ready")
        self.output_path = os.path.join(folder, "printer-output.txt")
        self.process = None
        self.output = None

    def start(self):
        for path in (self.record, self.ready):
            if os.path.exists(path):
                os.remove(path)
        self.output = open(self.output_path, "wb")
        self.process = subprocess.Popen(
            [self.program, "--tcp", PRINTER_ADDRESS, "--product", PRODUCT_NUMBER, PRINTER_MODEL,
             "--status", PRINTER_STATUS, "--echo", "--read-rate", str(PRINTER_BYTES_PER_SECOND),
             "--record", self.record, "--ready", self.ready, "--max-seconds", "3600"],
            stdin=subprocess.DEVNULL, stdout=self.output, stderr=subprocess.STDOUT)
        wait_until(lambda: os.path.exists(self.ready) or self.process.poll() is not None)
        return self.process.poll() is None and os.path.exists(self.ready)

    def received(self):
        try:
            with open(self.record, "rb") as record:
                return record.read()
        except OSError:
            return b""

    def stop(self):
        """Switches the printer off: nothing listens at its address any more."""
        if self.process is not None and self.process.poll() is None:
            self.process.terminate()
            self.process.wait(10)
        if self.output is not None:
            self.output.close()
            self.output = None


class DemoBrowserTest:
    def __init__(self, options):
        self.options = options
        self.checks = Checks()
        self.wine = options.wine
        self.installation = os.path.abspath(options.installation)
        self.artefacts = os.path.abspath(options.artefacts)
        self.base = f"http://127.0.0.1:{ENGINE_PORT}/"
        self.engine = None
        self.driver_process = None
        self.browser = None
        self.printer = PrinterSimulator(options.printer_simulator, self.installation)

    # -- installation --------------------------------------------------------------------------

    def lay_out(self):
        self.browser_record = os.path.join(self.installation, "browser-opened.txt")
        # The tree's browser recorder is the workstation's browser: it writes down the address
        # the engine asks it to open, and the test follows it in Chromium.
        recorder_name = "browser_recorder.exe" if self.wine else "browser_recorder"
        separator = "\\" if self.wine else "/"
        browser_command = f'"{{installation-as-seen}}{separator}{recorder_name}" "%1"'
        recorder = ["--copy", self.options.recorder, recorder_name]
        key = INSTALLATION_KEY
        params = (f"Name:{PRINTER_NAME}\\r\\nTCP\\r\\nIP: {PRINTER_ADDRESS}\\r\\nPort: 9100\\r\\n"
                  f"Module:{MODULE_NAME}\\r\\n")
        command = [
            self.options.lay_installation, self.installation,
            "--target", "wine" if self.wine else "native", "--fresh",
            "--program-file", self.options.engine, "--folder", "log",
            "--copy", self.options.module, MODULE_DIR, *recorder, "--params", params,
            "--reg-delete", key, "--reg-string", key, "PATH", "{installation-as-seen}",
            "--reg-string", key + "\\SMM", MODULE_NAME, MODULE_DIR,
            "--reg-string", key + "\\ProdNumbers", "Q1251A", MODULE_NAME,
            "--reg-string", key + "\\ProdNumbers", PRINTER_MODEL, MODULE_NAME,
            "--reg-string", BROWSER_KEY, "@", browser_command,
        ]
        # The Wine environment comes from the caller (scripts/lib/common.sh use_wine_prefix).
        laid = subprocess.run(command, stdin=subprocess.DEVNULL, capture_output=True, text=True,
                              timeout=GUARD_SECONDS)
        if not self.checks.check("installation laid out", laid.returncode == 0,
                                 laid.stderr.strip()):
            return False
        self.program = laid.stdout.split("\n")[0]
        return True

    def module_setting(self, name):
        tree = ElementTree.parse(os.path.join(self.installation, MODULE_DIR, "module.xml"))
        element = tree.getroot().find(name)
        return "" if element is None or element.text is None else element.text

    # -- processes -----------------------------------------------------------------------------

    def start_engine(self):
        command = [self.options.wine64, self.program] if self.wine else [self.program]
        self.engine_output = open(os.path.join(self.artefacts, "engine-output.txt"), "wb")
        self.engine = subprocess.Popen(command, cwd=self.installation, stdin=subprocess.DEVNULL,
                                       stdout=self.engine_output, stderr=subprocess.STDOUT)
        serving = False

        def serving_or_ended():
            nonlocal serving
            serving = engine_answers()
            return serving or self.engine.poll() is not None

        wait_until(serving_or_ended)
        if self.engine.poll() is not None:
            return self.checks.check("engine starts serving", False,
                                     f"ended with code {self.engine.returncode} first")
        return self.checks.check("engine starts serving", serving,
                                 f"no answer on 127.0.0.1:{ENGINE_PORT} after {GUARD_SECONDS}s")

    def start_browser(self):
        port = free_port()
        self.driver_log = open(os.path.join(self.artefacts, "chromedriver.log"), "wb")
        self.driver_process = subprocess.Popen(
            [self.options.chromedriver, f"--port={port}"], stdin=subprocess.DEVNULL,
            stdout=self.driver_log, stderr=subprocess.STDOUT)
        wait_until(lambda: port_accepts(port))
        profile = os.path.join(os.path.dirname(self.artefacts), "browser-profile")
        shutil.rmtree(profile, ignore_errors=True)
        self.browser = WebDriverClient(port)
        switches = CHROMIUM_SWITCHES + [f"--user-data-dir={profile}"]
        self.browser.start(self.options.chromium, switches)
        self.browser.set_window_size(1024, 1200)

    def stop(self):
        self.printer.stop()
        if self.browser is not None:
            try:
                self.browser.quit()
            except (OSError, WebDriverError):
                pass
        for process in (self.driver_process, self.engine):
            if process is not None and process.poll() is None:
                process.send_signal(signal.SIGTERM)
                try:
                    process.wait(10)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        for output in (getattr(self, "engine_output", None), getattr(self, "driver_log", None)):
            if output is not None:
                output.close()
        for log in glob_logs(self.installation):
            shutil.copy2(log, self.artefacts)

    # -- page helpers --------------------------------------------------------------------------

    def text_of(self, css):
        element = self.browser.find(css)
        return None if element is None else self.browser.text(element)

    def follow(self, css):
        element = self.browser.find(css)
        if not self.checks.check(f"link {css} is on {self.page_name()}", element is not None):
            return False
        self.browser.click(element)
        return True

    def page_name(self):
        return self.browser.current_url().split("?")[0].rsplit("/", 1)[-1]

    def save_screenshot(self, name):
        with open(os.path.join(self.artefacts, name), "wb") as picture:
            picture.write(self.browser.screenshot_png())

    # -- the walk ------------------------------------------------------------------------------

    def check_main_menu(self, favourite):
        c = self.checks
        c.equal("main menu: title", self.browser.title(), "Plotara maintenance - main menu")
        installation = windows_path(self.installation) if self.wine else self.installation
        expected = {
            "prtname": PRINTER_NAME,
            "prttype": "ip",
            "prtaddr": PRINTER_ADDRESS,
            "module": MODULE_NAME,
            "module-dir": MODULE_DIR,
            "SMM-version": self.module_setting("SMM-version"),
            "fmw-url": self.module_setting("fmw-location"),
            "troubleshoot-url": self.module_setting("troubleshoot-url"),
            "current-os": "win",
            "favourite": favourite,
            "prod-number": PRODUCT_NUMBER,
            "prod-name": PRINTER_MODEL,
            "display-name": "Orvik Plotara 530",
        }
        for name, value in expected.items():
            c.equal(f"main menu shows {name}", self.text_of(f"[id='{name}']"), value)
        seen = self.text_of("#installation-directory")
        if self.wine:
            # Drive letters and folder names are not case-sensitive on Windows.
            c.check("main menu shows installation-directory",
                    seen is not None and seen.lower() == installation.lower(),
                    f"expected {installation!r}, saw {seen!r}")
        else:
            c.equal("main menu shows installation-directory", seen, installation)
        seen = self.text_of("#ip-address")
        addresses = host_addresses()
        c.check("main menu shows ip-address", seen in addresses,
                f"expected one of {addresses}, saw {seen!r}")
        today = [
            (datetime.datetime.now(datetime.timezone.utc) + datetime.timedelta(minutes=m))
            .strftime("%m/%d/%Y") for m in (-5, 0, 5)
        ]
        seen = self.text_of("#current-date")
        c.check("main menu shows current-date in UTC", seen in today,
                f"expected {today[1]!r}, saw {seen!r}")
        link = self.browser.find("#choices-link")
        href = self.browser.dom_property(link, "href") if link else None
        c.equal("main menu encodes the printer name into a link", href,
                self.base + "Choices.html?colour=red&printer=Demo+plotter")
        c.equal("style sheet applies (text/css served)",
                self.browser.run_script(
                    "return getComputedStyle(document.querySelector('h1')).color;"),
                "rgb(16, 48, 112)")
        c.equal("image loads (48x16 gif)",
                self.browser.run_script(
                    "var i = document.getElementById('logo');"
                    "return i.complete ? i.naturalWidth + 'x' + i.naturalHeight : 'not loaded';"),
                "48x16")
        c.equal("script runs", self.text_of("#script-check"), "Scripts run in this browser.")

    def check_choices(self):
        c = self.checks
        c.equal("choices: page", self.page_name(), "Choices.html")
        c.equal("choices: query value decoded", self.text_of("#greeting"),
                f"This page was opened for {PRINTER_NAME}.")
        c.equal("choices: taken case with nested else", self.text_of("#picked"),
                "Red, the colour of the ink warning light (full strength).")
        c.equal("choices: set value seen later on the same page", self.text_of("#favourite"),
                "Your favourite colour: red")
        c.equal("choices: upper-case keyword at top level", self.text_of("#keyword-case"),
                f"Keywords ignore letter case: {MODULE_NAME}.")
        walk = [
            ("#pick-light-red", "Red, the colour of the ink warning light (a light shade).", "red"),
            ("#pick-blue", "Dark blue, a choice whose value holds a blank.", "dark-blue"),
            ("#pick-none", "No colour at all.", "dark-blue"),
            # The query asks for "green" as favourite; the engine's own value wins.
            ("#pick-green", "A colour this page does not know: green.", "dark-blue"),
        ]
        for link, picked, favourite in walk:
            if not self.follow(link):
                continue
            c.equal(f"choices after {link}: branch", self.text_of("#picked"), picked)
            c.equal(f"choices after {link}: favourite", self.text_of("#favourite"),
                    f"Your favourite colour: {favourite}")
            c.equal(f"choices after {link}: printer carried in the link",
                    self.text_of("#greeting"), f"This page was opened for {PRINTER_NAME}.")
            capital_end = ("Inside a branch only end in small letters ends it: this text still "
                           "belongs to the branch.") if link == "#pick-none" else ""
            c.equal(f"choices after {link}: capital END inside a branch",
                    self.text_of("#capital-end"), capital_end)

    def check_status(self):
        c = self.checks
        c.equal("status: page", self.page_name(), "Status.html")
        c.equal("status: title", self.browser.title(), "Plotara maintenance - printer status")
        # The printer's CR LF line ends reach the page unchanged; the browser shows them as LF.
        c.equal("status: shows the printer's answer", self.text_of("#status-answer"),
                PRINTER_STATUS.replace("\\r\\n", "\n"))

    def check_test_job(self):
        c = self.checks
        label = "Proof & check, 100%"
        self.browser.run_script("document.getElementById('label').value = arguments[0];", label)
        before = len(self.printer.received())
        if not self.follow("#test-job-send"):
            return
        # The form's answer comes only once the job is sent: wait for it, not for the click.
        wait_until(lambda: self.page_name() == "TestJobSent.html")
        c.equal("test job: page", self.page_name(), "TestJobSent.html")
        c.equal("test job: the page says it was sent, with the label",
                self.text_of("#test-job-label"), label)
        # The engine filled in the job from its page variables and the request before sending.
        filled = re.compile(
            rb"@PJL COMMENT printer=(.*)\r\n@PJL COMMENT module=(.*) version=(.*)\r\n"
            rb"@PJL COMMENT date=(.*)\r\n@PJL COMMENT label=(.*)\r\n")
        job = b""

        def job_arrived():
            nonlocal job
            job = self.printer.received()[before:]
            return b"@PJL EOJ" in job

        c.check("test job: the printer received it", wait_until(job_arrived))
        found = filled.search(job)
        seen = tuple(v.decode("latin-1") for v in found.groups()) if found else None
        today = {
            (datetime.datetime.now(datetime.timezone.utc) + datetime.timedelta(minutes=m))
            .strftime("%m/%d/%Y") for m in (-5, 0, 5)
        }
        date = seen[3] if seen and seen[3] in today else "today's date"
        c.equal("test job: printer, module, version, date and label filled in", seen,
                (PRINTER_NAME, MODULE_NAME, self.module_setting("SMM-version"), date, label))
        c.check("test job: no tag left in what the printer received", b"[[" not in job, repr(job))

    def check_system_info(self):
        c = self.checks
        c.equal("system information: page", self.page_name(), "SystemInfo.html")
        text = self.text_of("#system-info") or ""
        lines = [line.split("=", 1) for line in text.split("\n")]
        c.equal("system information: the printer echoed every value, in order",
                [line[0] for line in lines], [f"@PJL ECHO {name}" for name in SYSTEM_INFO_NAMES])
        echoed = {line[0]: line[1] for line in lines if len(line) == 2}
        # The one value known in advance: it shows that the engine's system information
        # reached the job before it was sent. The native engine names its own kernel.
        c.equal("system information: OS-Name", echoed.get("@PJL ECHO OS-Name"),
                "Microsoft Windows" if self.wine else os.uname().sysname)

    def firmware_progress_shown(self):
        """The percentage and the transfer state the firmware page shows."""
        percent, status = self.browser.run_script(
            "return [document.getElementById('progress-percent').textContent,"
            " document.getElementById('transfer-status').textContent];")
        try:
            return int(percent), status
        except ValueError:
            return None, status

    def check_firmware(self):
        c = self.checks
        firmware = random.Random(2003).randbytes(FIRMWARE_BYTES)
        path = os.path.join(self.installation, "firmware-test.fmw")
        with open(path, "wb") as file:
            file.write(firmware)
        as_seen = windows_path(path) if self.wine else path
        query = urllib.parse.urlencode({"file-to-send": as_seen, "abs": "1"})
        self.browser.open(f"{self.base}Firmware.html?{query}")
        c.equal("firmware: page", self.browser.title(), "Plotara maintenance - firmware update")
        c.equal("firmware: the page offers the file of the query",
                self.browser.run_script("return document.getElementById('file-to-send').value;"),
                as_seen)
        if not self.follow("#firmware-start"):
            return
        midway = None

        def ended():
            nonlocal midway
            percent, status = self.firmware_progress_shown()
            if midway is None and status == "sending" and percent is not None and 0 < percent < 100:
                midway = percent
                self.save_screenshot("firmware-midway.png")
            return status in ("done", "error")

        c.check("firmware: the transfer ends", wait_until(ended, interval=0.1))
        self.save_screenshot("firmware-end.png")
        c.check("firmware: the bar stood between 0 and 100 % while sending", midway is not None)
        c.equal("firmware: the bar ends at 100 % and done", self.firmware_progress_shown(),
                (100, "done"))
        c.equal("firmware: the bar is full",
                self.browser.run_script(
                    "return document.getElementById('progress-bar').style.width;"), "100%")
        c.equal("firmware: the page reports the file received", self.text_of("#firmware-result"),
                f"The printer {PRINTER_NAME} has received the file {as_seen}.")
        c.check("firmware: the printer received the file byte for byte",
                wait_until(lambda: self.printer.received().endswith(firmware)),
                f"{len(self.printer.received())} bytes recorded in all")

    def check_printer_switched_off(self):
        c = self.checks
        self.printer.stop()
        self.browser.open(self.base + "MainMenu.html")
        if not self.follow("#status-link"):
            return
        # Nothing listens at the printer's address now, so the status command cannot open its
        # channel, and a request from the engine's own page gets the printer error page.
        c.equal("printer off: page asked for", self.page_name(), "Status.html")
        c.equal("printer off: printer error page", self.browser.title(),
                "Plotara maintenance - printer not reachable")
        c.equal("printer off: error page shows the channel", self.text_of("#prttype"), "ip")
        c.equal("printer off: error page shows the address", self.text_of("#prtaddr"),
                PRINTER_ADDRESS)
        c.equal("printer off: error code for a channel that cannot be opened",
                self.text_of("#error"), "20")
        # The firmware page shows the failed transfer in red, with what the error page said.
        self.browser.open(self.base + "Firmware.html")
        if not self.follow("#firmware-start"):
            return
        c.check("printer off: the firmware transfer fails",
                wait_until(lambda: self.firmware_progress_shown()[1] == "error"))
        c.equal("printer off: the firmware page says why", self.text_of("#firmware-result"),
                "The file was not sent: printer not reachable (error 20).")
        bar_colour = self.browser.run_script(
            "return getComputedStyle(document.getElementById('progress-bar')).backgroundColor;")
        c.equal("printer off: the firmware bar turns red", bar_colour, "rgb(204, 0, 0)")
        self.save_screenshot("firmware-printer-off.png")

    def engine_log_text(self):
        text = ""
        for log in glob_logs(self.installation):
            with open(log, encoding="latin-1") as lines:
                text += lines.read()
        return text

    def check_other_site_cannot_drive_the_engine(self):
        """A page of another site in the same browser: its hidden images and its link into the
        engine are refused, and no printer command runs."""
        c = self.checks
        commands_before = self.engine_log_text().count("(Command ")
        site = OtherSite(self.base)
        try:
            self.browser.open(site.url)
            c.check("another site's images settle",
                    wait_until(lambda: self.browser.run_script(
                        "return Array.from(document.images).every(i => i.complete);")))
            log = wait_until(lambda: self.engine_log_text().count(
                "Refused the request for /Status.html sent on behalf of another site") >= 2)
            c.check("another site's hidden images are refused, with and without a referrer", log,
                    "the engine's log has fewer than two refusal lines for /Status.html")
            c.equal("another site's images run no printer command",
                    self.engine_log_text().count("(Command "), commands_before)
            if self.follow("#poison"):
                c.check("the link leads into the engine",
                        wait_until(lambda: self.browser.current_url().startswith(self.base)))
                # An empty 403: the browser shows its own error page, not the engine's page.
                c.check("another site's link into the engine is refused",
                        self.browser.find("#greeting") is None and "HTTP ERROR 403" in (
                            self.browser.run_script("return document.body.innerText;") or ""))
            self.save_screenshot("other-site.png")
        finally:
            site.close()
        self.browser.open(self.base + "MainMenu.html")
        c.equal("the engine's own pages still open afterwards", self.browser.title(),
                "Plotara maintenance - main menu")

    def opened_address(self):
        """The address the engine asked the browser to open, once the recorder has written it."""
        def recorded():
            if not os.path.exists(self.browser_record):
                return ""
            with open(self.browser_record) as record:
                return record.read()
        if not wait_until(lambda: recorded().endswith("\n")):
            return None
        return recorded().splitlines()[0]

    def follow_browser_launch(self):
        """Checks where the engine sent the browser and opens that page as the browser would."""
        opened = self.opened_address()
        expected = [f"http://{a}:{ENGINE_PORT}/MainMenu.html" for a in host_addresses()]
        self.checks.check("engine opens the browser on its start page", opened in expected,
                          f"expected one of {expected}, saw {opened!r}")
        # This computer's address may be one the test's private network does not carry.
        if opened and opened.startswith("http://127."):
            self.browser.open(opened)
        else:
            self.browser.open(self.base + "MainMenu.html")

    def connections_closed(self):
        """True when the engine's log shows every connection's thread finished."""
        text = self.engine_log_text()
        return (text.count("Thread for CConnectionHandler started") ==
                text.count("Thread for CConnectionHandler finished"))

    def check_exit(self):
        c = self.checks
        # The browser's idle keep-alive connections must run out, so only ours stays live.
        c.check("the browser's connections close", wait_until(self.connections_closed))
        keeper = LiveConnection("/style.css")
        c.check("the other connection is served", wait_until(lambda: keeper.answers > 0))
        if self.follow("#exit-link"):
            c.check("exit while another connection is live: refused",
                    self.browser.find("#cannot-exit") is not None,
                    f"saw title {self.browser.title()!r}")
            c.check("exit while another connection is live: engine keeps running",
                    self.engine.poll() is None)
        keeper.close()
        c.check("the other connection was served meanwhile", keeper.answers > 0 and keeper.error
                is None, f"{keeper.answers} answers, error {keeper.error}")
        self.save_screenshot("cannot-exit.png")
        c.check("every connection closes again", wait_until(self.connections_closed))
        if self.follow("#exit-again"):
            c.check("exit page served", self.browser.find("#goodbye") is not None,
                    f"saw title {self.browser.title()!r}")
            self.save_screenshot("exit.png")
        try:
            code = self.engine.wait(GUARD_SECONDS)
            c.equal("engine ends after the exit page, exit code", code, 0)
        except subprocess.TimeoutExpired:
            c.check("engine ends after the exit page", False,
                    f"still running after {GUARD_SECONDS}s")

    def run(self):
        shutil.rmtree(self.artefacts, ignore_errors=True)
        os.makedirs(self.artefacts)
        if port_accepts(ENGINE_PORT):
            self.checks.check(f"port {ENGINE_PORT} is free before the test", False,
                              "another program listens there")
            return self.checks
        if self.wine and not os.environ.get("WINEPREFIX"):
            self.checks.check("Wine environment", False, "WINEPREFIX is not set (see run.sh)")
            return self.checks
        if not self.lay_out():
            return self.checks
        try:
            if not self.checks.check("printer simulator starts", self.printer.start()):
                return self.checks
            if not self.start_engine():
                return self.checks
            self.start_browser()
            self.follow_browser_launch()
            self.save_screenshot("main-menu.png")
            with open(os.path.join(self.artefacts, "main-menu.html"), "w") as dom:
                dom.write(self.browser.run_script("return document.documentElement.outerHTML;"))
            self.check_main_menu(favourite="")
            if self.follow("#choices-link"):
                self.check_choices()
                if self.follow("#main-menu"):
                    self.checks.equal("back on the main menu", self.page_name(), "MainMenu.html")
                    self.check_main_menu(favourite="dark-blue")
            if self.follow("#status-link"):
                self.check_status()
                self.follow("#main-menu")
            if self.follow("#test-job-link"):
                self.check_test_job()
                self.follow("#main-menu")
            if self.follow("#system-info-link"):
                self.check_system_info()
                self.follow("#main-menu")
            self.check_firmware()
            self.check_printer_switched_off()
            self.check_other_site_cannot_drive_the_engine()
            self.check_exit()
        except (OSError, WebDriverError) as error:
            self.checks.check("browser session", False, str(error))
        finally:
            self.stop()
        return self.checks


class OtherSite:
    """Another web site on another loopback address, whose page reaches into the engine the
    way a hostile page would: hidden images that ask for a command page, with and without a
    referrer, and a link whose query tries to put markup into an engine page."""

    def __init__(self, engine_base):
        import http.server
        page = (
            "<html><head><title>Another site</title></head><body>"
            f"<img src='{engine_base}Status.html?via=image'>"
            f"<img referrerpolicy='no-referrer' src='{engine_base}Status.html?via=hidden'>"
            f"<a id='poison' href='{engine_base}Choices.html?colour=red&printer=%3Cb%3Epoisoned%3C/b%3E'>"
            "a link</a></body></html>").encode()

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_GET(self):
                self.send_response(200)
                self.send_header("Content-Type", "text/html")
                self.send_header("Content-Length", str(len(page)))
                self.end_headers()
                self.wfile.write(page)

            def log_message(self, *args):
                pass

        self.server = http.server.ThreadingHTTPServer(("127.0.0.2", 0), Handler)
        self.url = f"http://127.0.0.2:{self.server.server_address[1]}/attack.html"
        self.thread = threading.Thread(target=self.server.serve_forever, daemon=True)
        self.thread.start()

    def close(self):
        self.server.shutdown()
        self.server.server_close()


def glob_logs(installation):
    folder = os.path.join(installation, "log")
    if not os.path.isdir(folder):
        return []
    return [os.path.join(folder, name) for name in sorted(os.listdir(folder))]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--engine", required=True, help="velkor or velkor.exe to install")
    parser.add_argument("--lay-installation", required=True,
                        help="the harness's installation builder (tests/harness)")
    parser.add_argument("--printer-simulator", required=True,
                        help="the Linux printer simulator (tools/printer_simulator)")
    parser.add_argument("--module", required=True, help="the demo module's folder")
    parser.add_argument("--installation", required=True, help="where to lay out the installation")
    parser.add_argument("--artefacts", required=True, help="where screenshots and logs go")
    parser.add_argument("--wine", action="store_true", help="run the Windows engine under Wine")
    parser.add_argument("--wine64", default="wine64")
    parser.add_argument("--chromium", default=shutil.which("chromium") or "chromium")
    parser.add_argument("--chromedriver", default=shutil.which("chromedriver") or "chromedriver")
    parser.add_argument("--recorder", required=True,
                        help="the browser recorder of the tree under test (tools/browser_recorder)")
    checks = DemoBrowserTest(parser.parse_args()).run()
    print(f"e2e: {checks.passed} passed, {checks.failed} failed", flush=True)
    return 0 if checks.failed == 0 and checks.passed > 0 else 1


if __name__ == "__main__":
    sys.exit(main())
