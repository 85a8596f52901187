"""Command line: start the listeners, publish their ports, run until SIGTERM or SIGINT."""
import argparse
import json
import os
import signal
import ssl
import sys
import threading
import time

from .api import MAX_PER_PAGE, TrackerApi
from .dataset import BOSS_TEMPLATES, MAX_BOSSES, DataSet
from .server import Listeners, Simulator

DEFAULT_NOW = 1740830400.0  # 2025-03-01 12:00:00 UTC


def parse_args(argv):
    parser = argparse.ArgumentParser(
        prog="tracker_sim.py", description="Local stand-in for the tracker server (127.0.0.1 only).")
    parser.add_argument("--http-port", type=int, default=0, help="plain HTTP port; 0 picks a free one")
    parser.add_argument("--https-port", type=int, default=None,
                        help="HTTPS port; 0 picks a free one; no HTTPS when absent or without --cert")
    parser.add_argument("--cert", help="server certificate (PEM) for HTTPS")
    parser.add_argument("--key", help="private key (PEM) of the certificate")
    parser.add_argument("--mode", choices=("deterministic", "live"), default="deterministic",
                        help="deterministic: the clock stands still at --now; live: it runs")
    parser.add_argument("--seed", type=int, default=1, help="seed of the simulated world")
    parser.add_argument("--now", type=float, default=None,
                        help="Unix time of the world; live mode starts its running clock there")
    parser.add_argument("--bosses", type=int, default=len(BOSS_TEMPLATES),
                        help="number of bosses; the first twelve are always the same")
    parser.add_argument("--max-per-page", type=int, default=MAX_PER_PAGE,
                        help="largest page the collections give, whatever perPage asks (1 to 500)")
    parser.add_argument("--port-file", help='written once listening: {"http": port, "https": port}')
    args = parser.parse_args(argv)
    if not 1 <= args.bosses <= MAX_BOSSES:
        parser.error(f"--bosses must be between 1 and {MAX_BOSSES}")
    if not 1 <= args.max_per_page <= MAX_PER_PAGE:
        parser.error(f"--max-per-page must be between 1 and {MAX_PER_PAGE}")
    return args


def make_clock(mode, now):
    """A callable giving the simulator's Unix time: fixed, real, or running from a start."""
    if mode == "deterministic":
        fixed = DEFAULT_NOW if now is None else now
        return lambda: fixed
    if now is None:
        return time.time
    offset = now - time.time()
    return lambda: time.time() + offset


def tls_context(cert, key):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    return context


def write_port_file(path, ports):
    """Written to a temporary name and renamed, so a reader never sees half a file."""
    temporary = f"{path}.tmp{os.getpid()}"
    with open(temporary, "w", encoding="utf-8") as handle:
        json.dump(ports, handle)
    os.replace(temporary, path)


def open_listeners(args, simulator):
    ports = {"http": (args.http_port, None)}
    if args.https_port is not None and args.cert:
        ports["https"] = (args.https_port, tls_context(args.cert, args.key))
    elif args.https_port is not None:
        print("tracker_sim: no --cert given, HTTPS disabled", file=sys.stderr)
    return Listeners(simulator, ports)


def main(argv=None):
    args = parse_args(argv)
    clock = make_clock(args.mode, args.now)
    simulator = Simulator(TrackerApi(DataSet(args.seed, args.bosses), clock, args.max_per_page), clock)
    try:
        listeners = open_listeners(args, simulator)
    except (OSError, ssl.SSLError) as problem:
        print(f"tracker_sim: cannot listen: {problem}", file=sys.stderr)
        return 2
    stop = threading.Event()
    for signum in (signal.SIGTERM, signal.SIGINT):
        signal.signal(signum, lambda *_: stop.set())
    listeners.start()
    ports = {"http": listeners.ports["http"], "https": listeners.ports.get("https")}
    if args.port_file:
        write_port_file(args.port_file, ports)
    print(f"tracker_sim: {args.mode} mode, seed {args.seed}, {args.bosses} bosses, ports {json.dumps(ports)}",
          file=sys.stderr, flush=True)
    while not stop.wait(0.5):
        pass
    simulator.stop_event.set()
    listeners.stop()
    return 0
