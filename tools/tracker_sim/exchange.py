"""One request's answer: the normal one, or the one an armed fault asks for.

Writing goes straight to the connection with an exact Content-Length (or chunked framing), so
keep-alive clients such as WinHTTP always know where an answer ends. Large bodies are streamed
in blocks rather than built in memory.
"""
import base64
import itertools
import json
import socket
import ssl
import struct

from . import api
from .encoding import gzip_body, gzip_bomb, gzip_frame, zlib_body

BLOCK = 65536
MID_BODY_PAUSE_SECONDS = 0.2
JSON_TYPE = "application/json"

# What "wrong_shape" sends when no body is given: an array where an object belongs.
WRONG_SHAPES = {
    api.BOSSES_PATH: [{"items": []}],
    api.CHANNELS_PATH: [{"items": []}],
    api.ALL_STATUS_PATH: {"channel_status": []},
    api.STATUS_PATH: {"statistics": []},
}

# Where "deep_nesting" puts its arrays: a place of each answer that the client walks.
DEEP_HOLDERS = {
    api.BOSSES_PATH: (b'{"items":', b"}"),
    api.CHANNELS_PATH: (b'{"items":', b"}"),
    api.ALL_STATUS_PATH: (b'{"channel_status":{"x":', b"}}"),
    api.STATUS_PATH: (b'{"statistics":{"cache_age":', b"}}"),
}

# What "bad_text" appends to names, time texts and all-status boss ids. The first two make
# the document invalid (JSON strings hold neither ill-formed UTF-8 nor raw control bytes);
# the escaped control characters are valid JSON and reach the reader.
TEXT_PIECES = {
    "invalid_utf8": b"\xc0\x80\xed\xa0\x80\x80\xff\xe2\x82",  # overlong, surrogate, stray, cut short
    "raw_control": b"\x00\x01\x1f\t",
    "escaped_control": rb"\u0000\u0001\u001f\n\t\u007f\u202e\ufeff",
}
TEXT_MEMBERS = {"name", "last_update", "death_time_estimate", "status"}
TEXT_MARK = "~~bad-text~~"
NUMBER_MARK = "~~bad-number~~"


def _texts_marked(node, mark_keys=False):
    """A copy of the document with the mark after every text of TEXT_MEMBERS (and after every
    key of the object under "channel_status")."""
    if isinstance(node, list):
        return [_texts_marked(item) for item in node]
    if not isinstance(node, dict):
        return node
    marked = {}
    for key, value in node.items():
        name = key + TEXT_MARK if mark_keys else key
        if key in TEXT_MEMBERS and isinstance(value, str):
            marked[name] = value + TEXT_MARK
        else:
            marked[name] = _texts_marked(value, key == "channel_status")
    return marked


def _numbers_marked(node, members):
    """A copy of the document with every number of the named members replaced by the mark."""
    if isinstance(node, list):
        return [_numbers_marked(item, members) for item in node]
    if not isinstance(node, dict):
        return node
    def is_number(value):
        return isinstance(value, (int, float)) and not isinstance(value, bool)
    return {key: NUMBER_MARK if key in members and is_number(value) else _numbers_marked(value, members)
            for key, value in node.items()}


class Exchange:
    """The answering side of one request on a handler of the simulator's listeners."""

    def __init__(self, handler, path, query, wants_gzip, tracker_api, stop_event):
        self.handler = handler
        self.path = path
        self.query = query
        self.wants_gzip = wants_gzip
        self.tracker_api = tracker_api
        self.stop_event = stop_event
        self._document = None

    def document(self):
        """(status, JSON bytes) of the normal answer, computed once per request."""
        if self._document is None:
            self._document = self.tracker_api.answer(self.path, self.query)
        return self._document

    # -- writing ---------------------------------------------------------------------------

    def start(self, code, headers):
        """Writes the status line and headers (the handler adds Server and Date)."""
        self.handler.send_response(code)
        for name, value in headers.items():
            self.handler.send_header(name, value)
        self.handler.end_headers()

    def send(self, code, body, headers=None, content_type=JSON_TYPE):
        """Sends a whole body with its exact length."""
        fields = {"Content-Type": content_type, "Content-Length": str(len(body))}
        fields.update(headers or {})
        self.start(code, fields)
        if self.handler.command != "HEAD":
            self.handler.wfile.write(body)

    def send_stream(self, code, length, blocks, content_type=JSON_TYPE):
        """Sends a body of a known length given as an iterable of byte blocks."""
        self.start(code, {"Content-Type": content_type, "Content-Length": str(length)})
        for block in blocks:
            self.handler.wfile.write(block)

    def send_chunked(self, code, body, chunk, headers):
        fields = {"Content-Type": JSON_TYPE, "Transfer-Encoding": "chunked"}
        fields.update(headers)
        self.start(code, fields)
        for offset in range(0, len(body), chunk):
            piece = body[offset:offset + chunk]
            self.handler.wfile.write(b"%x\r\n%s\r\n" % (len(piece), piece))
        self.handler.wfile.write(b"0\r\n\r\n")

    def encoded(self, body):
        """The body and headers as the client asked for them: gzip or plain."""
        if self.wants_gzip:
            return gzip_body(body), {"Content-Encoding": "gzip", "Vary": "Accept-Encoding"}
        return body, {"Vary": "Accept-Encoding"}

    def send_encoded(self, code, body):
        payload, headers = self.encoded(body)
        self.send(code, payload, headers)

    # -- answers ---------------------------------------------------------------------------

    def answer(self, fault):
        """Sends the answer for the fault (None: the normal answer)."""
        if fault is None:
            self.send_encoded(*self.document())
        else:
            getattr(self, "fault_" + fault.kind)(fault.params)

    def fault_status(self, params):
        if params["body"] is None:
            body = api.encode(api.error_document(params["code"], "Simulated failure."))
            self.send(params["code"], body)
        else:
            text = params["body"].encode("utf-8")
            self.send(params["code"], text, content_type="text/plain; charset=utf-8")

    def fault_delay(self, params):
        if not self.stop_event.wait(params["ms"] / 1000.0):
            self.answer(None)

    def fault_hang(self, params):
        """Reads and discards whatever comes until the client gives up or the simulator stops."""
        connection = self.handler.connection
        connection.settimeout(0.25)
        while not self.stop_event.is_set():
            try:
                if not connection.recv(4096):
                    break
            except (socket.timeout, ssl.SSLWantReadError):
                continue
            except OSError:
                break
        self.handler.close_connection = True

    def fault_reset(self, params):
        """Closes with SO_LINGER 0, which makes the kernel send RST instead of FIN."""
        connection = self.handler.connection
        connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        self.handler.rfile.close()
        connection.close()
        self.handler.close_connection = True

    def fault_reset_mid_body(self, params):
        """The headers of the normal answer (gzip when asked) and the first half of its body,
        then RST. The pause lets the client take in what was sent before the reset arrives."""
        payload, headers = self.encoded(self.document()[1])
        self.start(200, {"Content-Type": JSON_TYPE, "Content-Length": str(len(payload)), **headers})
        self.handler.wfile.write(payload[:len(payload) // 2])
        self.stop_event.wait(MID_BODY_PAUSE_SECONDS)
        self.fault_reset(params)

    def fault_malformed(self, params):
        # A proper prefix of a JSON object is never valid JSON: its braces do not balance.
        body = self.document()[1]
        self.send_encoded(200, body[:max(1, len(body) // 2)])

    def fault_wrong_shape(self, params):
        body = params["body"]
        if body is None:
            body = json.dumps(WRONG_SHAPES.get(self.path, []))
        self.send_encoded(200, body.encode("utf-8"))

    def fault_gzip_header_plain(self, params):
        self.send(200, self.document()[1], {"Content-Encoding": "gzip"})

    def fault_gzip_truncated(self, params):
        packed = gzip_body(self.document()[1])
        keep = len(packed) // 2 if params["keep"] is None else params["keep"]
        self.send(200, packed[:min(keep, len(packed) - 1)], {"Content-Encoding": "gzip"})

    def fault_gzip_flags(self, params):
        frame = gzip_frame(self.document()[1], params["flags"], params["fname_unterminated"],
                           params["bad_crc"], params["isize_delta"])
        self.send(200, frame, {"Content-Encoding": "gzip"})

    def fault_raw(self, params):
        """Exact bytes; Content-Length is added only when neither it nor chunking is given."""
        body = base64.b64decode(params["body_b64"] or "")
        headers = dict(params["headers"])
        given = {name.lower() for name in headers}
        if not {"content-length", "transfer-encoding"} & given:
            headers["Content-Length"] = str(len(body))
        if "connection" not in given:
            headers["Connection"] = "close"
        self.start(params["code"], headers)
        self.handler.wfile.write(body)
        self.handler.close_connection = True

    def fault_content_encoding(self, params):
        body = self.document()[1]
        packers = {"gzip": gzip_body, "deflate": zlib_body, "plain": bytes}
        self.send(200, packers[params["body_kind"]](body), {"Content-Encoding": params["value"]})

    def fault_size(self, params):
        """Exactly that many bytes, uncompressed; JSON padding sits right after the opening
        brace so that any cut through the body leaves a document that does not parse."""
        size = params["bytes"]
        if params["fill"] == "x":
            self.send_stream(200, size, _repeat(b"x", size), "text/plain")
            return
        body = self.document()[1]
        if len(body) > size:
            message = f"size {size} is smaller than the JSON document ({len(body)} bytes)"
            self.send(500, api.encode(api.error_document(500, message)))
            return
        blocks = itertools.chain([body[:1]], _repeat(b" ", size - len(body)), [body[1:]])
        self.send_stream(200, size, blocks)

    def fault_chunked(self, params):
        payload, headers = self.encoded(self.document()[1])
        self.send_chunked(200, payload, params["chunk"], headers)


    def fault_gzip_bomb(self, params):
        self.send(200, gzip_bomb(self.document()[1], params["inflated_mib"]), {"Content-Encoding": "gzip"})

    def fault_deep_nesting(self, params):
        head, tail = DEEP_HOLDERS.get(self.path, (b'{"data":', b"}"))
        depth = params["depth"]
        self.send_encoded(200, head + b"[" * depth + b"]" * depth + tail)

    def fault_bad_text(self, params):
        code, body = self.document()
        marked = api.encode(_texts_marked(json.loads(body)))
        self.send_encoded(code, marked.replace(TEXT_MARK.encode(), TEXT_PIECES[params["form"]]))

    def fault_bad_numbers(self, params):
        code, body = self.document()
        marked = api.encode(_numbers_marked(json.loads(body), set(params["members"])))
        self.send_encoded(code, marked.replace(f'"{NUMBER_MARK}"'.encode(), params["value"].encode()))


def _repeat(byte, count):
    """Yields count copies of one byte in blocks of at most 64 KiB."""
    block = byte * BLOCK
    while count > 0:
        step = min(count, BLOCK)
        yield block if step == BLOCK else block[:step]
        count -= step
