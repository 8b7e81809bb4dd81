"""A small WebDriver client over loopback HTTP: just the commands the browser test uses."""

import base64
import http.client
import json

# The key under which a WebDriver server names an element in its answers.
ELEMENT_KEY = "element-6066-11e4-a52e-4f735466cecf"


class WebDriverError(Exception):
    """A command that the WebDriver server answered with an error."""


class WebDriverClient:
    """One browser session of a WebDriver server (chromedriver) listening on 127.0.0.1."""

    def __init__(self, port, timeout=60):
        self._port = port
        self._timeout = timeout
        self._session = None

    def _call(self, method, path, body=None):
        connection = http.client.HTTPConnection("127.0.0.1", self._port, timeout=self._timeout)
        try:
            payload = None if body is None else json.dumps(body).encode()
            headers = {"Content-Type": "application/json; charset=utf-8"} if payload else {}
            connection.request(method, path, body=payload, headers=headers)
            answer = connection.getresponse()
            text = answer.read().decode("utf-8", "replace")
        finally:
            connection.close()
        try:
            value = json.loads(text).get("value") if text else None
        except ValueError as error:
            raise WebDriverError(f"{method} {path}: not JSON: {text[:200]}") from error
        if answer.status != 200:
            message = value.get("message", text) if isinstance(value, dict) else text
            raise WebDriverError(f"{method} {path}: {answer.status} {message.splitlines()[0]}")
        return value

    def _session_call(self, method, path, body=None):
        return self._call(method, f"/session/{self._session}{path}", body)

    def start(self, binary, arguments):
        """Starts the browser with exactly the given command-line switches."""
        options = {"binary": binary, "args": list(arguments)}
        capabilities = {"alwaysMatch": {"browserName": "chrome", "goog:chromeOptions": options}}
        value = self._call("POST", "/session", {"capabilities": capabilities})
        self._session = value["sessionId"]
        self._session_call("POST", "/timeouts", {"pageLoad": self._timeout * 1000, "script": 10000})

    def quit(self):
        if self._session is not None:
            try:
                self._session_call("DELETE", "")
            finally:
                self._session = None

    def set_window_size(self, width, height):
        self._session_call("POST", "/window/rect", {"width": width, "height": height})

    def open(self, url):
        self._session_call("POST", "/url", {"url": url})

    def current_url(self):
        return self._session_call("GET", "/url")

    def title(self):
        return self._session_call("GET", "/title")

    def find(self, css):
        """The element id of the first element matching the selector; None when there is none."""
        try:
            value = self._session_call("POST", "/element", {"using": "css selector", "value": css})
        except WebDriverError as error:
            if "no such element" in str(error):
                return None
            raise
        return value[ELEMENT_KEY]

    def text(self, element):
        return self._session_call("GET", f"/element/{element}/text")

    def dom_property(self, element, name):
        """The element's DOM property (for a link's "href": the address the browser resolved)."""
        return self._session_call("GET", f"/element/{element}/property/{name}")

    def click(self, element):
        self._session_call("POST", f"/element/{element}/click", {})

    def run_script(self, script, *arguments):
        body = {"script": script, "args": list(arguments)}
        return self._session_call("POST", "/execute/sync", body)

    def screenshot_png(self):
        return base64.b64decode(self._session_call("GET", "/screenshot"))
