#!/usr/bin/env python3
"""Tracker server simulator: serves the tracker's endpoints on 127.0.0.1 for tests.

Usage: python3 tools/tracker_sim.py --http-port 0 --https-port 0 --cert server.crt
       --key server.key --mode deterministic --seed 7 --now 1764590400 --port-file ports.json
See tools/README.md for the control API.
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from tracker_sim.cli import main  # noqa: E402  (the path above must come first)

if __name__ == "__main__":
    sys.exit(main())
