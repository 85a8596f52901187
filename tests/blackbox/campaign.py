"""The server failures the overlay is put through while it runs (the fault campaign and the
soak run share them), each with what the overlay must show while it lasts.

A fault is armed on the simulator for every data path ("*"), so both the all-status poll and
the status probe meet it, and disarmed again. Two are not faults of the simulator's table:
"refused" closes its listeners for the period (a refused connection, as from a server that is
down: a program cannot refuse on a port it listens on, so the listener goes away for a while
and comes back on the same port), and "500 bosses" changes its world.

What each one must show, after the first failing poll and until normal answers come back:
- rows: "kept" (the list text stays exactly as it was), "same" (the same rows, perhaps in
  another order: the answer is valid but brings nothing for a boss the overlay knows, so only
  the rebuild at a later time may reorder them as reports age), "applied" (the answer is
  valid and shown);
- bytes, the status line's per-request figures: "zero" when the transport failed, "nonzero"
  when a body arrived and failed to map (its size is counted), "unchanged" while a request
  is still waiting for its answer; the line shows them only while Connected, so where the
  rows are "kept" (the poll failed) it reads "Disconnected" instead once the poll is over;
- cache: "---" when the probe fails, "value" when it succeeds, "unchanged" while waiting.
"""
import dataclasses
import time

MIB = 1 << 20
DATA_LIMIT = 10 * MIB


@dataclasses.dataclass(frozen=True)
class Fault:
    name: str
    rows: str
    bytes: tuple
    cache: tuple
    fault: dict = None   # the simulator's fault description, without the endpoint
    refuse: bool = False
    bosses: int = 0      # a world of this many bosses instead of a fault
    # What the list text must (not) hold once the valid answer is shown ("applied" only).
    list_lacks: str = None


FAULTS = (
    Fault("refused", "kept", ("zero",), ("---",), refuse=True),
    Fault("reset", "kept", ("zero",), ("---",), {"kind": "reset"}),
    Fault("404", "kept", ("zero",), ("---",), {"kind": "status", "code": 404}),
    Fault("500", "kept", ("zero",), ("---",), {"kind": "status", "code": 500}),
    Fault("503", "kept", ("zero",), ("---",), {"kind": "status", "code": 503}),
    # The poll waits out its 10 s time-out; a shorter period ends while it still waits.
    Fault("hang", "kept", ("unchanged", "zero"), ("unchanged", "---"), {"kind": "hang"}),
    Fault("reset mid-body", "kept", ("zero",), ("---",), {"kind": "reset_mid_body"}),
    Fault("malformed JSON", "kept", ("nonzero",), ("---",), {"kind": "malformed"}),
    Fault("wrong shapes", "kept", ("nonzero",), ("---",), {"kind": "wrong_shape"}),
    # The probe never asks for gzip nor inflates, so a plain body is fine for it.
    Fault("gzip header, plain body", "kept", ("zero",), ("value",), {"kind": "gzip_header_plain"}),
    Fault("truncated gzip", "kept", ("zero",), ("---",), {"kind": "gzip_truncated"}),
    Fault("reserved gzip flags", "kept", ("zero",), ("---",),
          {"kind": "gzip_flags", "flags": ["RESERVED5", "RESERVED6", "RESERVED7"]}),
    Fault("gzip bomb", "kept", ("zero",), ("---",), {"kind": "gzip_bomb"}),
    # Reading stops silently at 10 MiB; the cut document does not parse.
    Fault("10 MiB + 1 body", "kept", ("nonzero",), ("---",), {"kind": "size", "bytes": DATA_LIMIT + 1}),
    # A valid answer of the right shape: the arrays sit under a boss id "x" that no boss has
    # and hold no report objects, so the poll succeeds with nothing for the known bosses. The
    # probe finds an array where its number belongs.
    Fault("arrays 100000 deep", "same", ("nonzero",), ("---",), {"kind": "deep_nesting", "depth": 100_000}),
    Fault("invalid UTF-8", "kept", ("nonzero",), ("---",), {"kind": "bad_text", "form": "invalid_utf8"}),
    Fault("raw control characters", "kept", ("nonzero",), ("---",), {"kind": "bad_text", "form": "raw_control"}),
    # Valid JSON: every boss id of the answer carries the escapes, so it names no known boss.
    Fault("escaped control characters", "same", ("nonzero",), ("value",),
          {"kind": "bad_text", "form": "escaped_control"}),
    # The parser refuses numbers beyond the double range and the NaN token.
    Fault("number 1e400", "kept", ("nonzero",), ("---",), {"kind": "bad_numbers", "value": "1e400"}),
    Fault("number NaN", "kept", ("nonzero",), ("---",), {"kind": "bad_numbers", "value": "NaN"}),
    # Valid: a negative zero rate and time to death show no rate or time part.
    Fault("number -0", "applied", ("nonzero",), ("value",),
          {"kind": "bad_numbers", "value": "-0.0", "members": ["dps", "etd", "cache_age"]}, list_lacks="%/s"),
    Fault("500 bosses", "applied", ("nonzero",), ("value",), bosses=500),
)
DEFAULT_BOSSES = 12


def arm(simulator, fault, seconds):
    """Switches the fault on; a refusal switches itself off after that many seconds."""
    if fault.refuse:
        simulator.control("POST", "/_sim/refuse", {"ms": int(seconds * 1000)})
    elif fault.bosses:
        simulator.control("POST", "/_sim/world", {"bosses": fault.bosses})
    else:
        simulator.fault("*", **fault.fault)


def disarm(simulator, fault, timeout=30):
    """Normal answers again (for a refusal: waits until the listener is back)."""
    if fault.refuse:
        deadline = time.monotonic() + timeout
        while True:
            try:
                simulator.control("GET", "/_sim/faults")
                return
            except OSError:
                if time.monotonic() > deadline:
                    raise
                time.sleep(0.05)
    elif fault.bosses:
        simulator.control("POST", "/_sim/world", {"bosses": DEFAULT_BOSSES})
    else:
        simulator.fault("*", "none")
