"""Faults that the control API arms: what they are, how they are checked, which one applies.

A fault is armed for one endpoint path (or "*" for every path) and applies to the next
`count` requests there, or to all of them; with `query` only to requests whose query holds
those parameters (so one page of a list can fail while the others answer). The table keeps
one fault per endpoint in the order the endpoints were first armed; a request takes the
first fault whose endpoint (and query) matches.
Every parameter is checked when the fault is posted, so a typo is a clear 400 then rather
than a silent normal answer later.
"""
import base64
import binascii
import dataclasses
import re
import threading

from .encoding import FLAG_BITS

MAX_DELAY_MS = 600_000
MAX_SIZE_BYTES = 1 << 30
MAX_BOMB_MIB = 4095  # ISIZE holds the size modulo 2^32; beyond that it would wrap
MAX_DEPTH = 10_000_000
TEXT_FORMS = ("invalid_utf8", "raw_control", "escaped_control")
# The numeric members the client reads, where "bad_numbers" puts its token by default.
NUMBER_MEMBERS = ("uid", "respawn_time", "channel_number", "last_hp", "dps", "etd", "cache_age")
# A number as JSON writes it, or one of the tokens JSON lacks (NaN, Infinity).
NUMBER_TOKEN = re.compile(r"^(-?(NaN|Infinity)|[-+]?[0-9][0-9.eE+-]*)$")


class FaultError(ValueError):
    """A fault description that cannot be armed; the text says why."""


@dataclasses.dataclass
class Fault:
    endpoint: str
    kind: str
    params: dict
    remaining: object = None  # None: unlimited; otherwise requests left
    query: dict = dataclasses.field(default_factory=dict)  # parameters a request must carry

    def describe(self):
        described = {"endpoint": self.endpoint, "kind": self.kind, "count": self.remaining, **self.params}
        if self.query:
            described["query"] = dict(self.query)
        return described

    def matches(self, path, fields):
        return self.endpoint in ("*", path) and all(fields.get(k) == v for k, v in self.query.items())


def _integer(given, name, default=None, low=None, high=None):
    value = given.get(name, default)
    if value is None:
        raise FaultError(f'"{name}" is required')
    if isinstance(value, bool) or not isinstance(value, int):
        raise FaultError(f'"{name}" must be an integer')
    if (low is not None and value < low) or (high is not None and value > high):
        raise FaultError(f'"{name}" must be between {low} and {high}')
    return value


def _boolean(given, name):
    value = given.get(name, False)
    if not isinstance(value, bool):
        raise FaultError(f'"{name}" must be true or false')
    return value


def _text(given, name, default=None, choices=None):
    value = given.get(name, default)
    if value is None:
        return None
    if not isinstance(value, str):
        raise FaultError(f'"{name}" must be a string')
    if choices and value not in choices:
        raise FaultError(f'"{name}" must be one of {", ".join(choices)}')
    return value


def _header_text(name, value):
    if not isinstance(value, str) or "\r" in value or "\n" in value:
        raise FaultError(f"header {name!r} must be a string without line breaks")
    return value


def _status(given):
    return {"code": _integer(given, "code", 503, 100, 599), "body": _text(given, "body")}


def _delay(given):
    return {"ms": _integer(given, "ms", None, 0, MAX_DELAY_MS)}


def _wrong_shape(given):
    return {"body": _text(given, "body")}


def _gzip_truncated(given):
    keep = given.get("keep")
    return {"keep": None if keep is None else _integer(given, "keep", None, 0)}


def _gzip_flags(given):
    flags = given.get("flags", [])
    if not isinstance(flags, list) or not all(isinstance(flag, str) for flag in flags):
        raise FaultError('"flags" must be a list of flag names')
    unknown = sorted(set(flags) - set(FLAG_BITS))
    if unknown:
        raise FaultError(f'unknown gzip flags {unknown}; known: {", ".join(FLAG_BITS)}')
    return {"flags": flags, "fname_unterminated": _boolean(given, "fname_unterminated"),
            "bad_crc": _boolean(given, "bad_crc"), "isize_delta": _integer(given, "isize_delta", 0)}


def _raw(given):
    headers = given.get("headers", {})
    if not isinstance(headers, dict):
        raise FaultError('"headers" must be an object of header names to values')
    for name, value in headers.items():
        _header_text(name, name)
        _header_text(name, value)
    try:
        base64.b64decode(_text(given, "body_b64", "") or "", validate=True)
    except binascii.Error as problem:
        raise FaultError(f'"body_b64" is not valid base64: {problem}') from None
    return {"code": _integer(given, "code", 200, 100, 599), "headers": dict(headers),
            "body_b64": _text(given, "body_b64", "")}


def _content_encoding(given):
    value = _text(given, "value")
    if not value:
        raise FaultError('"value" (the Content-Encoding text) is required')
    return {"value": _header_text("Content-Encoding", value),
            "body_kind": _text(given, "body_kind", "gzip", ("gzip", "deflate", "plain"))}


def _size(given):
    return {"bytes": _integer(given, "bytes", None, 0, MAX_SIZE_BYTES),
            "fill": _text(given, "fill", "json", ("json", "x"))}


def _chunked(given):
    return {"chunk": _integer(given, "chunk", 1000, 1)}


def _gzip_bomb(given):
    return {"inflated_mib": _integer(given, "inflated_mib", 1024, 1, MAX_BOMB_MIB)}


def _deep_nesting(given):
    return {"depth": _integer(given, "depth", 100_000, 1, MAX_DEPTH)}


def _bad_text(given):
    return {"form": _text(given, "form", TEXT_FORMS[0], TEXT_FORMS)}


def _bad_numbers(given):
    value = _text(given, "value", "1e400")
    if not NUMBER_TOKEN.match(value):
        raise FaultError('"value" must be a number token such as 1e400, -0 or NaN')
    members = given.get("members", list(NUMBER_MEMBERS))
    if not isinstance(members, list) or not members or not all(isinstance(m, str) for m in members):
        raise FaultError('"members" must be a non-empty list of member names')
    return {"value": value, "members": members}


def _no_params(given):
    return {}


def _query(given):
    query = given.get("query", {})
    if not isinstance(query, dict) or not all(isinstance(v, str) for v in query.values()):
        raise FaultError('"query" must be an object of parameter names to text values')
    return dict(query)


# Kind name -> parameter checker returning the parameters to keep.
KINDS = {
    "status": _status, "delay": _delay, "hang": _no_params, "reset": _no_params, "reset_mid_body": _no_params,
    "malformed": _no_params, "wrong_shape": _wrong_shape, "gzip_header_plain": _no_params,
    "gzip_truncated": _gzip_truncated, "gzip_flags": _gzip_flags, "raw": _raw,
    "content_encoding": _content_encoding, "size": _size, "chunked": _chunked,
    "gzip_bomb": _gzip_bomb, "deep_nesting": _deep_nesting, "bad_text": _bad_text,
    "bad_numbers": _bad_numbers, "none": _no_params,
}
COMMON_KEYS = {"endpoint", "kind", "count", "query"}
PARAM_KEYS = {
    "status": {"code", "body"}, "delay": {"ms"}, "wrong_shape": {"body"},
    "gzip_truncated": {"keep"},
    "gzip_flags": {"flags", "fname_unterminated", "bad_crc", "isize_delta"},
    "raw": {"code", "headers", "body_b64"}, "content_encoding": {"value", "body_kind"},
    "size": {"bytes", "fill"}, "chunked": {"chunk"}, "gzip_bomb": {"inflated_mib"},
    "deep_nesting": {"depth"}, "bad_text": {"form"}, "bad_numbers": {"value", "members"},
}


def parse_fault(given):
    """Checks a posted fault description and returns the Fault it arms."""
    if not isinstance(given, dict):
        raise FaultError("the fault must be a JSON object")
    endpoint = given.get("endpoint")
    if not isinstance(endpoint, str) or not (endpoint == "*" or endpoint.startswith("/")):
        raise FaultError('"endpoint" must be a path starting with "/" or "*"')
    if "?" in endpoint:
        raise FaultError('"endpoint" is a path without its query')
    if endpoint.startswith("/_sim/"):
        raise FaultError("control paths cannot be faulted")
    kind = given.get("kind")
    if kind not in KINDS:
        raise FaultError(f'"kind" must be one of {", ".join(KINDS)}')
    unknown = sorted(set(given) - COMMON_KEYS - PARAM_KEYS.get(kind, set()))
    if unknown:
        raise FaultError(f'unknown members for kind "{kind}": {", ".join(unknown)}')
    count = given.get("count")
    if count is not None:
        count = _integer(given, "count", None, 1)
    return Fault(endpoint, kind, KINDS[kind](given), count, _query(given))


class FaultTable:
    """The armed faults, shared by all request threads."""

    def __init__(self):
        self._lock = threading.Lock()
        self._faults = {}

    def arm(self, fault):
        """Arms a fault; kind "none" disarms the endpoint instead."""
        with self._lock:
            if fault.kind == "none":
                self._faults.pop(fault.endpoint, None)
            else:
                self._faults[fault.endpoint] = fault

    def take(self, path, fields=None):
        """Returns the fault for one request to path with the decoded query fields, using up
        one of its count, or None."""
        with self._lock:
            for endpoint, fault in self._faults.items():
                if fault.matches(path, fields or {}):
                    if fault.remaining is not None:
                        fault.remaining -= 1
                        if fault.remaining == 0:
                            del self._faults[endpoint]
                    return dataclasses.replace(fault)
            return None

    def clear(self):
        with self._lock:
            self._faults.clear()

    def describe(self):
        with self._lock:
            return [fault.describe() for fault in self._faults.values()]
