"""Test helpers: start the tracker simulator as a subprocess and talk to it.

Requests go out exactly as written (no Accept-Encoding or User-Agent added behind the test's
back), because what the simulator does depends on those headers.
"""
import http.client
import json
import os
import shutil
import signal
import socket
import ssl
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SIMULATOR = os.path.join(ROOT, "tools", "tracker_sim.py")
MAKE_CA = os.path.join(ROOT, "tools", "make_test_ca.sh")


def make_ca(directory):
    """Runs make_test_ca.sh into directory; returns the completed process."""
    return subprocess.run(["bash", MAKE_CA, directory], capture_output=True, text=True, timeout=60)


def start_module_simulator(seed, now):
    """A deterministic simulator with a test CA of its own (in .ca_dir), for one test module."""
    ca_dir = tempfile.mkdtemp(prefix="sim-ca-")
    made = make_ca(ca_dir)
    assert made.returncode == 0, made.stderr
    simulator = Simulator("--mode", "deterministic", "--seed", str(seed), "--now", str(now), ca_dir=ca_dir)
    simulator.ca_dir = ca_dir
    return simulator


def stop_module_simulator(simulator):
    code = simulator.stop()
    shutil.rmtree(simulator.ca_dir, ignore_errors=True)
    assert code == 0 and "Traceback" not in simulator.stderr(), (code, simulator.stderr())


class Simulator:
    """One simulator process on free ports, stopped with SIGTERM."""

    def __init__(self, *args, ca_dir=None):
        self.workdir = tempfile.mkdtemp(prefix="sim-test-")
        self.port_file = os.path.join(self.workdir, "ports.json")
        command = [sys.executable, SIMULATOR, "--http-port", "0", "--port-file", self.port_file, *args]
        if ca_dir:
            command += ["--https-port", "0", "--cert", os.path.join(ca_dir, "server.crt"),
                        "--key", os.path.join(ca_dir, "server.key")]
            self.tls = ssl.create_default_context(cafile=os.path.join(ca_dir, "ca.crt"))
        self.stderr_path = os.path.join(self.workdir, "stderr.txt")
        with open(self.stderr_path, "wb") as stderr:
            self.process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=stderr)
        self.ports = self._wait_for_ports()

    def _wait_for_ports(self):
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            if os.path.exists(self.port_file):
                with open(self.port_file, encoding="utf-8") as handle:
                    return json.load(handle)
            if self.process.poll() is not None:
                raise RuntimeError("simulator exited: " + self.stderr())
            time.sleep(0.02)
        self.process.kill()
        raise RuntimeError("simulator did not write its port file")

    def stop(self, signum=signal.SIGTERM):
        """Stops the process; returns its exit code."""
        if self.process.poll() is None:
            self.process.send_signal(signum)
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        if os.path.isdir(self.workdir):
            self._stderr = self.stderr()
            shutil.rmtree(self.workdir, ignore_errors=True)
        return self.process.returncode

    def stderr(self):
        """What the process wrote to stderr (tracebacks would show up here)."""
        if not os.path.isdir(self.workdir):
            return self._stderr
        with open(self.stderr_path, encoding="utf-8", errors="replace") as handle:
            return handle.read()

    def connection(self, https=False, timeout=10, host="127.0.0.1"):
        if https:
            return http.client.HTTPSConnection(host, self.ports["https"], timeout=timeout, context=self.tls)
        return http.client.HTTPConnection(host, self.ports["http"], timeout=timeout)

    def request(self, method, path, headers=None, body=None, https=False, timeout=10, connection=None):
        """Returns (status, lower-cased header dict, raw body bytes)."""
        own = connection is None
        connection = connection or self.connection(https, timeout)
        try:
            connection.putrequest(method, path, skip_accept_encoding=True)
            for name, value in (headers or {}).items():
                connection.putheader(name, value)
            if body is not None:
                connection.putheader("Content-Length", str(len(body)))
            connection.endheaders(body)
            response = connection.getresponse()
            data = response.read()
            return response.status, {k.lower(): v for k, v in response.getheaders()}, data
        finally:
            if own:
                connection.close()

    def get(self, path, headers=None, **options):
        return self.request("GET", path, headers, **options)

    def get_json(self, path, **options):
        status, _, body = self.get(path, **options)
        assert status == 200, (status, body[:200])
        return json.loads(body)

    def control(self, path, document=None):
        """POSTs a control call; returns (status, parsed JSON answer)."""
        body = b"" if document is None else json.dumps(document).encode()
        status, _, data = self.request("POST", path, {"Content-Type": "application/json"}, body)
        return status, json.loads(data)

    def fault(self, **given):
        status, answer = self.control("/_sim/fault", given)
        assert status == 200 and answer == {"ok": True}, (status, answer)

    def raw_exchange(self, request_bytes, timeout=5, reset_ok=False):
        """Sends raw bytes on a fresh socket and returns everything read until the peer closes
        (with reset_ok, also until it resets the connection)."""
        with socket.create_connection(("127.0.0.1", self.ports["http"]), timeout=timeout) as sock:
            sock.sendall(request_bytes)
            chunks = []
            while True:
                try:
                    data = sock.recv(65536)
                except ConnectionResetError:
                    if not reset_ok:
                        raise
                    data = b""
                if not data:
                    return b"".join(chunks)
                chunks.append(data)
