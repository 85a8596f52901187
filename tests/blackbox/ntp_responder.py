#!/usr/bin/env python3
"""A minimal NTP server on 127.0.0.1 for running the overlay without public time servers.

Answers every 48-byte request with a server reply (version 4, mode 4, stratum 2) carrying
the current time. As a module: NtpResponder().start(); as a command:
    ntp_responder.py --port-file ports.json     (runs until SIGTERM or SIGINT)
"""
import argparse
import json
import os
import signal
import socket
import struct
import threading
import time

NTP_TO_UNIX = 2208988800


def reply_for(request, now=None, offset=0.0):
    """The 48-byte reply to a request, or None when the request is not 48 bytes; offset seconds
    ahead of this machine's clock."""
    if len(request) != 48:
        return None
    now = (time.time() if now is None else now) + offset
    seconds = int(now) + NTP_TO_UNIX
    fraction = int((now % 1) * (1 << 32)) & 0xFFFFFFFF
    originate = request[40:48]
    header = struct.pack("!BBbb", (0 << 6) | (4 << 3) | 4, 2, 6, -20)
    return (header + struct.pack("!II", 0, 0) + b"LOCL" + struct.pack("!II", seconds, fraction) + originate
            + struct.pack("!IIII", seconds, fraction, seconds, fraction))


class NtpResponder:
    """Serves on a free UDP port of 127.0.0.1 from a daemon thread; counts the requests."""

    def __init__(self, port=0, offset=0.0):
        self.offset = offset
        self.socket = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.socket.bind(("127.0.0.1", port))
        self.socket.settimeout(0.2)
        self.port = self.socket.getsockname()[1]
        self.requests = 0
        self._stop = threading.Event()
        self._thread = threading.Thread(target=self._serve, daemon=True)

    def start(self):
        self._thread.start()
        return self

    def _serve(self):
        while not self._stop.is_set():
            try:
                data, sender = self.socket.recvfrom(512)
            except socket.timeout:
                continue
            except OSError:
                break
            answer = reply_for(data, offset=self.offset)
            if answer:
                self.requests += 1
                self.socket.sendto(answer, sender)

    def stop(self):
        self._stop.set()
        self._thread.join(timeout=2)
        self.socket.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--port-file", help='written once listening: {"ntp": port}')
    parser.add_argument("--offset", type=float, default=0.0, help="seconds ahead of this machine's clock")
    args = parser.parse_args()
    responder = NtpResponder(args.port, args.offset).start()
    if args.port_file:
        temporary = f"{args.port_file}.tmp{os.getpid()}"
        with open(temporary, "w", encoding="utf-8") as handle:
            json.dump({"ntp": responder.port}, handle)
        os.replace(temporary, args.port_file)
    stop = threading.Event()
    for signum in (signal.SIGTERM, signal.SIGINT):
        signal.signal(signum, lambda *_: stop.set())
    while not stop.wait(0.5):
        pass
    responder.stop()
    return 0


if __name__ == "__main__":
    raise SystemExit(main())
