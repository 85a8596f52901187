"""The listeners, the request handler, the request log and the control API.

Both listeners (plain HTTP and HTTPS) share one simulator: the same world, the same log and
the same armed faults. Each connection runs on its own daemon thread, so a hanging or slow
answer never holds up another request. TLS is negotiated on that thread too, not in the
accept loop, so a client that stalls in the handshake blocks nobody.
"""
import collections
import http.server
import json
import socket
import ssl
import sys
import threading
import time
import urllib.parse

from . import api
from .encoding import accepts_gzip
from .exchange import Exchange
from .faults import FaultError, FaultTable, parse_fault
from .timefmt import http_date
from .world import WorldControl, WorldError

CONTROL_PREFIX = "/_sim/"
MAX_CONTROL_BODY = 1 << 20
MAX_LOG_ENTRIES = 100_000
QUIET_ERRORS = (ConnectionError, ssl.SSLError, socket.timeout, BrokenPipeError)
MAX_REFUSE_MS = 60_000
REOPEN_TRIES_SECONDS = 10.0


class RequestLog:
    """Every data request as it arrived; bounded so a long live run cannot eat memory."""

    def __init__(self):
        self._lock = threading.Lock()
        self._entries = collections.deque(maxlen=MAX_LOG_ENTRIES)

    def record(self, handler):
        entry = {
            "method": handler.command, "path": handler.path,
            "user_agent": handler.headers.get("User-Agent", ""),
            "accept_encoding": handler.headers.get("Accept-Encoding", ""),
            "time": time.time()}
        with self._lock:
            self._entries.append(entry)

    def entries(self):
        with self._lock:
            return list(self._entries)

    def clear(self):
        with self._lock:
            self._entries.clear()


class Simulator:
    """Everything the listeners share: the tracker API and its world, the log, the faults and
    the stop signal."""

    def __init__(self, tracker_api, clock):
        self.tracker_api = tracker_api
        self.clock = clock
        self.world = WorldControl(tracker_api)
        self.log = RequestLog()
        self.faults = FaultTable()
        self.stop_event = threading.Event()
        self.listeners = None  # set by Listeners; the refuse call needs them

    def handle(self, handler):
        """Answers one request: control calls directly, data calls through any armed fault."""
        body = read_body(handler)
        path, _, query = handler.path.partition("?")
        path = urllib.parse.unquote(path)
        if path.startswith(CONTROL_PREFIX):
            self.control(handler, path, body)
            return
        self.log.record(handler)
        exchange = Exchange(handler, path, query, accepts_gzip(handler.headers.get("Accept-Encoding")),
                            self.tracker_api, self.stop_event)
        if body is None:
            exchange.send(400, api.encode(api.error_document(400, "Unreadable request body.")))
            handler.close_connection = True
        elif handler.command != "GET":
            exchange.send(405, api.encode(api.error_document(405, "Method not allowed.")))
        else:
            exchange.answer(self.faults.take(path, api.parse_query(query)))

    def control(self, handler, path, body):
        """The control API: log, reset, faults and the world. Never logged, never faulted."""
        routes = {
            ("GET", "/_sim/log"): self.log.entries,
            ("POST", "/_sim/log/clear"): self.log.clear,
            ("POST", "/_sim/reset"): self.reset,
            ("POST", "/_sim/fault"): lambda: self.arm(body),
            ("GET", "/_sim/faults"): self.faults.describe,
            ("GET", "/_sim/world"): self.world.describe,
            ("POST", "/_sim/world"): lambda: self.world.change(self.json_body(body)),
            ("POST", "/_sim/refuse"): lambda: self.refuse(self.json_body(body), handler.connection),
        }
        known_paths = {route_path for _, route_path in routes}
        action = routes.get((handler.command, path))
        if body is None:
            reply_json(handler, 400, {"ok": False, "error": "unreadable or too large request body"})
            handler.close_connection = True
        elif action is None and path in known_paths:
            reply_json(handler, 405, {"ok": False, "error": f"{handler.command} is not allowed on {path}"})
        elif action is None:
            reply_json(handler, 404, {"ok": False, "error": f"no control endpoint {path}"})
        else:
            try:
                result = action()
            except (FaultError, WorldError) as problem:
                reply_json(handler, 400, {"ok": False, "error": str(problem)})
                return
            reply_json(handler, 200, {"ok": True} if result is None else result)

    def reset(self):
        self.faults.clear()
        self.log.clear()
        self.world.reset()

    @staticmethod
    def json_body(body):
        try:
            return json.loads(body.decode("utf-8") if body else "")
        except (UnicodeDecodeError, json.JSONDecodeError) as problem:
            raise FaultError(f"the body is not JSON: {problem}") from None

    def arm(self, body):
        self.faults.arm(parse_fault(self.json_body(body)))

    def refuse(self, given, handler_connection):
        """{"ms": N}: once this call is answered, the listeners close for N ms."""
        ms = given.get("ms") if isinstance(given, dict) else None
        if isinstance(ms, bool) or not isinstance(ms, int) or not 1 <= ms <= MAX_REFUSE_MS:
            raise FaultError(f'"ms" must be an integer between 1 and {MAX_REFUSE_MS}')
        if set(given) - {"ms"}:
            raise FaultError(f'unknown members: {", ".join(sorted(set(given) - {"ms"}))}')
        if self.listeners is None:
            raise FaultError("no listeners to close")
        self.listeners.refuse(ms / 1000.0, keep=handler_connection)


def read_body(handler):
    """Reads the request body (Content-Length or chunked) so keep-alive stays in step.

    Returns the bytes, or None when the body is unreadable or larger than 1 MiB.
    """
    if "chunked" in handler.headers.get("Transfer-Encoding", "").lower():
        return _read_chunked(handler.rfile)
    try:
        length = int(handler.headers.get("Content-Length", "0"))
    except ValueError:
        return None
    if length < 0 or length > MAX_CONTROL_BODY:
        return None
    data = handler.rfile.read(length) if length else b""
    return data if len(data) == length else None


def _read_chunked(stream):
    data = bytearray()
    while True:
        line = stream.readline(1024)
        try:
            size = int(line.split(b";")[0].strip(), 16)
        except ValueError:
            return None
        if size == 0:
            while stream.readline(1024) not in (b"\r\n", b"\n", b""):
                pass
            return bytes(data)
        if len(data) + size > MAX_CONTROL_BODY:
            return None
        data += stream.read(size)
        stream.readline(1024)


def reply_json(handler, code, document):
    body = json.dumps(document, ensure_ascii=False).encode("utf-8")
    handler.send_response(code)
    handler.send_header("Content-Type", "application/json")
    handler.send_header("Content-Length", str(len(body)))
    handler.end_headers()
    if handler.command != "HEAD":
        handler.wfile.write(body)


class SimHandler(http.server.BaseHTTPRequestHandler):
    """HTTP/1.1 with keep-alive; every method goes to the simulator."""
    protocol_version = "HTTP/1.1"
    disable_nagle_algorithm = True  # header and body writes must not wait on delayed ACKs
    timeout = 120  # an idle keep-alive connection is dropped after this many seconds

    def handle_one_request(self):
        try:
            super().handle_one_request()
        except QUIET_ERRORS:
            self.close_connection = True

    def setup(self):
        super().setup()
        self.server.track(self.connection, True)

    def finish(self):
        self.server.track(self.connection, False)
        super().finish()

    def _dispatch(self):
        self.server.simulator.handle(self)

    do_GET = do_POST = do_HEAD = do_PUT = do_DELETE = do_PATCH = do_OPTIONS = _dispatch

    def version_string(self):
        return "tracker_sim/1.0"

    def date_time_string(self, timestamp=None):
        """The Date header follows the simulator's clock, so a fixed world is fixed here too."""
        return http_date(self.server.simulator.clock() if timestamp is None else timestamp)

    def log_message(self, format, *args):
        """Silent: the request log of the control API is the record."""


class SimServer(http.server.ThreadingHTTPServer):
    """One listener on 127.0.0.1; with a TLS context it speaks HTTPS."""
    daemon_threads = True
    request_queue_size = 64

    def __init__(self, port, simulator, tls_context=None):
        self.simulator = simulator
        self.tls_context = tls_context
        self._connections = set()
        self._connections_lock = threading.Lock()
        super().__init__(("127.0.0.1", port), SimHandler)

    def track(self, connection, open_now):
        with self._connections_lock:
            (self._connections.add if open_now else self._connections.discard)(connection)

    def drop_connections(self, keep=None):
        """Ends every open connection but keep, as a server that goes down does: clients
        that keep connections alive between requests (Wine's WinHTTP pools them across
        sessions) would otherwise never meet the closed listener."""
        with self._connections_lock:
            doomed = [c for c in self._connections if c is not keep]
        for connection in doomed:
            try:
                connection.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass

    @property
    def port(self):
        return self.server_address[1]

    def server_bind(self):
        """Binds without the reverse name lookup of the base class. SO_REUSEADDR lets a
        listener that was closed for a while bind its port again past connections in
        TIME_WAIT; it never lets two listeners share a port."""
        self.socket.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.socket.bind(self.server_address)
        self.server_address = self.socket.getsockname()
        self.server_name, self.server_port = self.server_address[:2]

    def finish_request(self, request, client_address):
        if self.tls_context is None:
            super().finish_request(request, client_address)
            return
        request.settimeout(10)
        try:
            secure = self.tls_context.wrap_socket(request, server_side=True)
        except (OSError, ssl.SSLError):
            return
        try:
            super().finish_request(secure, client_address)
        finally:
            _close_quietly(secure)

    def handle_error(self, request, client_address):
        """Clients that vanish are normal here; anything else is printed."""
        if not isinstance(sys.exc_info()[1], QUIET_ERRORS):
            super().handle_error(request, client_address)


class Listeners:
    """The simulator's listeners ({"http": (port, tls context or None), ...}), each with an
    accept thread. They can be closed for a while and opened again on the same ports, so that
    clients meet a refused connection, as from a server that is down."""

    def __init__(self, simulator, ports):
        self.simulator = simulator
        self._tls = {name: tls for name, (_, tls) in ports.items()}
        self.servers = {name: SimServer(port, simulator, tls) for name, (port, tls) in ports.items()}
        self._serving = set()
        self._lock = threading.Lock()
        self._stopped = False
        simulator.listeners = self

    @property
    def ports(self):
        return {name: server.port for name, server in self.servers.items()}

    def start(self):
        with self._lock:
            for server in self.servers.values():
                self._serve(server)

    def _serve(self, server):
        threading.Thread(target=server.serve_forever, kwargs={"poll_interval": 0.2}, daemon=True).start()
        self._serving.add(server)

    def _close_all(self):
        for server in self.servers.values():
            if server in self._serving:
                server.shutdown()
                self._serving.discard(server)
            server.server_close()

    def refuse(self, seconds, keep=None):
        """Closes every listener for that long and ends the open connections, from a thread
        of its own, so that the control call asking for it (on connection keep) is still
        answered."""
        threading.Thread(target=self._refuse, args=(seconds, keep), daemon=True).start()

    def _refuse(self, seconds, keep):
        with self._lock:
            if self._stopped:
                return
            self._close_all()
            for server in self.servers.values():
                server.drop_connections(keep)
        self.simulator.stop_event.wait(seconds)
        with self._lock:
            if self._stopped:
                return
            for name, server in list(self.servers.items()):
                reopened = self._reopen(server.port, self._tls[name])
                if reopened is not None:
                    self.servers[name] = reopened
                    self._serve(reopened)

    def _reopen(self, port, tls):
        """A new listener on the same port, or None when it stays taken; a connection of
        another program that happens to hold the port is waited for, within bounds."""
        deadline = time.monotonic() + REOPEN_TRIES_SECONDS
        while True:
            try:
                return SimServer(port, self.simulator, tls)
            except OSError as problem:
                if time.monotonic() >= deadline:
                    print(f"tracker_sim: cannot listen on port {port} again: {problem}", file=sys.stderr, flush=True)
                    return None
                time.sleep(0.1)

    def stop(self):
        with self._lock:
            self._stopped = True
            self._close_all()


def _close_quietly(connection):
    try:
        connection.shutdown(socket.SHUT_WR)
    except OSError:
        pass
    connection.close()
