"""The black-box test bench: the built overlay in a folder of its own under Wine, its own
tracker simulator and NTP responder on free ports, and a small Windows helper (mbprobe.exe,
built here from mbprobe.cpp) that finds windows and boxes and posts messages to them.

Every wait is bounded; whatever a test started is stopped in its clean-up.
"""
import atexit
import configparser
import contextlib
import http.client
import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
BUILD = os.path.join(ROOT, "build")
WINE_RUN = os.path.join(ROOT, "cmake", "wine-run.sh")
SIMULATOR = os.path.join(ROOT, "tools", "tracker_sim.py")
EXE = os.environ.get("MB_BLACKBOX_EXE", os.path.join(BUILD, "windows-release", "Marrowbell.exe"))
PROBE_SOURCE = os.path.join(HERE, "mbprobe.cpp")
PROBE_EXE = os.path.join(BUILD, "blackbox", "mbprobe.exe")
MINGW = "x86_64-w64-mingw32-g++-posix"

IDOK, IDYES, IDNO = 1, 6, 7
WS_EX_LAYERED, WS_EX_TOPMOST = 0x80000, 0x8
MAIN_STYLE = 0x2CC0000


def wine_environment():
    env = dict(os.environ)
    env.setdefault("WINEPREFIX", os.path.join(BUILD, "wineprefix"))
    env.setdefault("WINEDEBUG", "-all")
    return env


def _wineserver_running(env):
    """Whether the prefix's wineserver runs: its working folder is named after the prefix's
    device and inode."""
    stat = os.stat(env["WINEPREFIX"])
    tag = f"server-{stat.st_dev:x}-{stat.st_ino:x}"
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            if os.readlink(f"/proc/{pid}/cwd").endswith("/" + tag):
                return True
        except OSError:
            continue
    return False


def ensure_wineserver():
    """Starts a persistent wineserver with its output detached when none runs. A server that
    a captured wine process started itself would inherit that process's pipes and keep them
    open, so reading its output would wait for the server to exit. The server started here
    is stopped when the tests end."""
    env = wine_environment()
    if _wineserver_running(env):
        return
    subprocess.run(["wineserver", "-p"], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=30, check=False)
    atexit.register(lambda: subprocess.run(["wineserver", "-k"], env=env, stdin=subprocess.DEVNULL,
                                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                           timeout=30, check=False))


TOOL_HEADER = os.path.join(ROOT, "tests", "support", "win", "window_lookup.h")


def build_tool(source, exe):
    """Builds a test tool's exe from its one source (and the window lookups it shares) when
    it is missing or older than them."""
    newest = max(os.path.getmtime(source), os.path.getmtime(TOOL_HEADER))
    if os.path.exists(exe) and os.path.getmtime(exe) >= newest:
        return exe
    os.makedirs(os.path.dirname(exe), exist_ok=True)
    temporary = f"{exe}.{os.getpid()}.tmp"
    subprocess.run([MINGW, "-std=c++20", "-O1", "-static", "-municode", "-Wall", "-Wextra",
                    "-I", os.path.join(ROOT, "tests"), "-o", temporary, source],
                   check=True, capture_output=True, timeout=300)
    os.replace(temporary, exe)
    return exe


def build_probe():
    return build_tool(PROBE_SOURCE, PROBE_EXE)


def exe_resources():
    """{(type, id): bytes} of the built exe's resources, read by tools/check_imports.py's PE
    reader; fails without the windows-release build."""
    if not os.path.exists(EXE):
        raise AssertionError(f"{EXE} is missing: build the windows-release preset first")
    sys.path.insert(0, os.path.join(ROOT, "tools"))
    from check_imports import resources
    with open(EXE, "rb") as handle:
        return resources(handle.read())


def require_overlay():
    """For a test module's setUpModule: skips without a display, fails without the built exe,
    and builds mbprobe."""
    if not os.environ.get("DISPLAY"):
        raise unittest.SkipTest("needs DISPLAY (run through scripts/test)")
    if not os.path.exists(EXE):
        raise AssertionError(f"{EXE} is missing: build the windows-release preset first")
    build_probe()


def on_desktop(desktop):
    """What starts a program on Wine's virtual desktop NAME (1920x1080), where a display mode
    change reaches every window as on Windows; nothing for none. explorer passes on the program's
    output but not its exit code. Only programs on the same desktop see each other's windows:
    mbprobe joins one itself (--desktop)."""
    return ["explorer", f"/desktop={desktop},1920x1080"] if desktop else []


def probe(*args, timeout=30, desktop=None):
    """Runs one mbprobe command; returns (exit code, list of JSON objects it printed)."""
    ensure_wineserver()
    joined = ["--desktop", desktop] if desktop else []
    done = subprocess.run([WINE_RUN, build_probe(), *joined, *[str(a) for a in args]],
                          capture_output=True, text=True, timeout=timeout, env=wine_environment())
    lines = [json.loads(line) for line in done.stdout.splitlines() if line.startswith("{")]
    return done.returncode, lines


def screen_size():
    _, lines = probe("screen")
    return lines[0]["width"], lines[0]["height"]


def offline_supported():
    """Whether `unshare -n` can give a process an empty network namespace here."""
    if not shutil.which("unshare"):
        return False
    return subprocess.run(["unshare", "-n", "true"], capture_output=True, timeout=10).returncode == 0


def free_port():
    """A TCP port of 127.0.0.1 on which nothing listens (bound once, then released)."""
    with socket.socket() as sock:
        sock.bind(("127.0.0.1", 0))
        return sock.getsockname()[1]


def wait_for(condition, timeout, step=0.2):
    """Calls condition until it gives a true value or timeout seconds passed; returns the value."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value or time.monotonic() >= deadline:
            return value
        time.sleep(step)


class Simulator:
    """tools/tracker_sim.py on a free plain-HTTP port of 127.0.0.1, stopped with SIGTERM."""

    def __init__(self, mode="live", *args):
        self.folder = tempfile.mkdtemp(prefix="mb-bb-sim-")
        port_file = os.path.join(self.folder, "ports.json")
        self.stderr_path = os.path.join(self.folder, "stderr.txt")
        with open(self.stderr_path, "wb") as stderr:
            self.process = subprocess.Popen(
                [sys.executable, SIMULATOR, "--mode", mode, "--http-port", "0", "--port-file", port_file, *args],
                stdout=subprocess.DEVNULL, stderr=stderr)
        wait_for(lambda: os.path.exists(port_file) or self.process.poll() is not None, 15, 0.05)
        if not os.path.exists(port_file):
            self.stop()
            raise RuntimeError("simulator did not start: " + self.stderr())
        with open(port_file, encoding="utf-8") as handle:
            self.port = json.load(handle)["http"]
        self.url = f"http://127.0.0.1:{self.port}"

    def stderr(self):
        with open(self.stderr_path, encoding="utf-8", errors="replace") as handle:
            return handle.read()

    def control(self, method, path, document=None):
        connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=10)
        try:
            body = None if document is None else json.dumps(document).encode()
            connection.request(method, path, body=body, headers={"Content-Type": "application/json"})
            answer = connection.getresponse()
            data = json.loads(answer.read() or b"null")
            if answer.status != 200:
                raise RuntimeError(f"{method} {path}: {answer.status} {data}")
            return data
        finally:
            connection.close()

    def fault(self, endpoint, kind, **params):
        return self.control("POST", "/_sim/fault", {"endpoint": endpoint, "kind": kind, **params})

    def log(self):
        return self.control("GET", "/_sim/log")

    def requests_to(self, path):
        return [entry for entry in self.log() if entry["path"].split("?")[0] == path]

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        shutil.rmtree(self.folder, ignore_errors=True)


class Overlay:
    """One copy of Marrowbell.exe in a temporary folder of its own, with its own INI."""

    def __init__(self, ini=None):
        self.folder = tempfile.mkdtemp(prefix="mb-bb-app-")
        self.exe = os.path.join(self.folder, "Marrowbell.exe")
        shutil.copyfile(EXE, self.exe)
        self.ini_path = os.path.join(self.folder, "Marrowbell.ini")
        if ini is not None:
            self.write_ini(ini)
        self.process = None
        self.hwnd = None
        self.desktop = None

    def write_ini(self, sections):
        """sections: {"Window": {"Left": 5, ...}, ...}, written as a plain INI file."""
        lines = []
        for section, keys in sections.items():
            lines.append(f"[{section}]")
            lines.extend(f"{key}={value}" for key, value in keys.items())
        with open(self.ini_path, "w", encoding="ascii", newline="\r\n") as handle:
            handle.write("\n".join(lines) + "\n")

    def read_ini(self):
        """The INI file as the overlay left it, or None when there is none."""
        if not os.path.exists(self.ini_path):
            return None
        with open(self.ini_path, "rb") as handle:
            raw = handle.read()
        text = raw.decode("utf-16") if raw.startswith((b"\xff\xfe", b"\xfe\xff")) else raw.decode("utf-8", "replace")
        parser = configparser.ConfigParser(interpolation=None)
        parser.optionxform = str
        parser.read_string(text)
        return parser

    def start(self, offline=False, winedebug=None, desktop=None):
        """Starts the overlay; offline runs it without any network (loopback included) when
        the system allows a network namespace of its own; winedebug turns on Wine's traces
        (they end up in output()); desktop runs it on that virtual desktop (on_desktop), and
        every probe of it with it."""
        self.stdout_path = os.path.join(self.folder, "wine-output.txt")
        self.desktop = desktop
        ensure_wineserver()
        command = [WINE_RUN, *on_desktop(desktop), self.exe]
        if offline and offline_supported():
            command = ["unshare", "-n", *command]
        env = wine_environment()
        if winedebug:
            env["WINEDEBUG"] = winedebug
        with open(self.stdout_path, "wb") as output:
            self.process = subprocess.Popen(command, cwd=self.folder, stdout=output, stderr=subprocess.STDOUT,
                                            env=env)
        return self

    def output(self):
        with open(self.stdout_path, encoding="utf-8", errors="replace") as handle:
            return handle.read()

    def probe(self, *args, timeout=30):
        """mbprobe on this overlay's desktop."""
        return probe(*args, timeout=timeout, desktop=self.desktop)

    def _mine(self, window):
        return os.path.basename(self.folder).lower() in window["exe"].lower()

    def window(self, timeout=30):
        """The overlay's main window as mbprobe lists it, waiting until it is on screen: the
        window exists a moment before it is shown and its layered opacity is applied."""
        def find():
            if self.process.poll() is not None:
                raise AssertionError(f"overlay exited with {self.process.returncode}: {self.output()}")
            _, windows = self.probe("list")
            return next((w for w in windows if self._mine(w) and w["visible"] and w["layered"]), None)
        found = wait_for(find, timeout, 0.25)
        if not found:
            raise AssertionError("the overlay's window did not appear")
        self.hwnd = found["hwnd"]
        return found

    def close(self, button=IDYES, timeout=10):
        """WM_CLOSE, then answers "Confirm Exit"; returns the box as mbprobe saw it."""
        code, _ = self.probe("close", self.hwnd)
        assert code == 0, "WM_CLOSE could not be posted"
        code, lines = self.probe("answer", self.hwnd, "Confirm Exit", button, int(timeout * 1000))
        assert code == 0 and lines and lines[0]["box"], f"no Confirm Exit box: {lines}"
        return lines[0]

    def answer(self, title, button, timeout):
        """Clicks button of the next box titled title; true when there was one."""
        code, lines = self.probe("answer", self.hwnd, title, button, int(timeout * 1000), timeout=timeout + 30)
        return code == 0 and bool(lines) and bool(lines[0]["box"])

    def children(self):
        """The main window's controls as mbprobe lists them (class, id, text, rect, visible)."""
        _, lines = self.probe("children", self.hwnd)
        return lines

    def end_session(self):
        code, lines = self.probe("endsession", self.hwnd)
        assert code == 0, lines
        return lines[0]

    def wait(self, timeout):
        """The exit code, or None when the overlay still runs after timeout seconds."""
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None

    def running(self):
        return self.process is not None and self.process.poll() is None

    def wine_pid(self):
        """The Linux process that runs this copy's Marrowbell.exe (wine-run.sh starts it as a
        child; Wine gives it the executable's path as its command line), or None."""
        for pid in os.listdir("/proc"):
            if not pid.isdigit():
                continue
            try:
                with open(f"/proc/{pid}/cmdline", "rb") as handle:
                    command = handle.read().split(b"\0")[0]
            except OSError:
                continue
            if command.decode("utf-8", "replace") == self.exe:
                return int(pid)
        return None

    def live_output(self, pid):
        """What the running program has written so far: wine-run.sh sends it to a file of its
        own and shows it only at the end, so it is read through the process's stdout."""
        try:
            with open(f"/proc/{pid}/fd/1", encoding="utf-8", errors="replace") as handle:
                return handle.read()
        except OSError:
            return ""

    def counters(self):
        """The program's own counts of live GDI objects, device contexts, kernel handles and
        WinHTTP handles, or None when the window did not answer."""
        code, lines = self.probe("counters", self.hwnd)
        return lines[0] if code == 0 and lines and lines[0].get("ok") else None

    def stop(self):
        """Ends the overlay if it still runs, and the virtual desktop it ran on (whose window
        would cover the screen for later tests), and removes its folder. wine-run.sh cannot pass
        a SIGKILL on, so both go by their command lines."""
        if self.running():
            self.process.kill()
            self.process.wait(timeout=10)
        marks = [self.exe.encode(), f"/desktop={self.desktop},".encode()]
        for pid in filter(str.isdigit, os.listdir("/proc")):
            with contextlib.suppress(OSError), open(f"/proc/{pid}/cmdline", "rb") as handle:
                if any(mark in handle.read() for mark in marks[:1 + bool(self.desktop)]):
                    os.kill(int(pid), signal.SIGKILL)
        shutil.rmtree(self.folder, ignore_errors=True)


def process_stats(pid):
    """{"rss_kib", "threads", "cpu_ticks"} of a Linux process from /proc, or None when it is gone."""
    try:
        with open(f"/proc/{pid}/status", encoding="ascii", errors="replace") as handle:
            fields = dict(line.split(":", 1) for line in handle if ":" in line)
        with open(f"/proc/{pid}/stat", encoding="ascii", errors="replace") as handle:
            after_name = handle.read().rsplit(")", 1)[1].split()
    except OSError:
        return None
    # Fields 14 and 15 of stat (utime, stime); after the name, field 3 is the first one.
    return {"rss_kib": int(fields["VmRSS"].split()[0]), "threads": int(fields["Threads"]),
            "cpu_ticks": int(after_name[11]) + int(after_name[12])}


def wine_path(path):
    """A Linux path as a Windows program under Wine names it (drive Z: is the root)."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def network_section(tracker_url, ntp_port=None):
    section = {"TrackerUrl": tracker_url}
    if ntp_port:
        section["NtpServers"] = f"127.0.0.1:{ntp_port}"
    return section


def main(argv):
    """Command line for scripts: `harness.py probe ARGS...` runs mbprobe and prints its lines;
    `harness.py wait-for-polls URL COUNT SECONDS` waits until the simulator at URL has logged
    COUNT requests of /api/all_status."""
    if len(argv) >= 2 and argv[1] == "probe":
        code, lines = probe(*argv[2:])
        for line in lines:
            print(json.dumps(line))
        return code
    if len(argv) == 5 and argv[1] == "wait-for-polls":
        port = int(argv[2].rsplit(":", 1)[1])
        def polls():
            connection = http.client.HTTPConnection("127.0.0.1", port, timeout=5)
            try:
                connection.request("GET", "/_sim/log")
                entries = json.loads(connection.getresponse().read())
            except (OSError, ValueError):
                return 0
            finally:
                connection.close()
            return sum(1 for entry in entries if entry["path"].split("?")[0] == "/api/all_status")
        return 0 if wait_for(lambda: polls() >= int(argv[3]), float(argv[4]), 0.5) else 1
    print(main.__doc__, file=sys.stderr)
    return 64


if __name__ == "__main__":
    sys.exit(main(sys.argv))
