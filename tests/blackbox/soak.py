#!/usr/bin/env python3
"""The soak run (scripts/soak): the built overlay against the live simulator for a long while,
with one of the campaign's faults switched on for a while at a fixed interval (rotating
through campaign.FAULTS), and the process sampled at a fixed interval: CPU (utime + stime of
the wine process), resident memory, threads, and the program's own counts of live GDI
objects, device contexts, kernel handles and WinHTTP handles.

It writes soak.csv and soak.png (gnuplot) into the output folder and ends with one line that
says whether every count was flat (the last 5 minutes' maximum at most the first 5 minutes'
maximum) and resident memory grew by less than 1 MiB (same windows, maxima).

The rotation starts with the world of 500 bosses: that is no fault, and the reports of those
bosses stay in memory for good, so its step belongs to the baseline of the first 5 minutes.
"""
import argparse
import csv
import os
import subprocess
import sys
import time

import campaign
import harness
from harness import IDYES, Overlay, Simulator, network_section, process_stats
from ntp_responder import NtpResponder

COUNTS = ("gdi", "dc", "kernel", "winhttp")
COLUMNS = ("elapsed_s", "cpu_percent", "rss_mib", "threads", *COUNTS, "fault")
WINDOW_S = 300
RSS_LIMIT_MIB = 1.0
TICKS_PER_SECOND = os.sysconf("SC_CLK_TCK")
ROTATION = sorted(campaign.FAULTS, key=lambda fault: not fault.bosses)

PLOT = """
set terminal png size 1400,1000 noenhanced
set output '{png}'
set datafile separator ','
set key autotitle columnhead left top
set xlabel 'minutes'
set grid
set multiplot layout 2,2 title 'Marrowbell soak: {title}'
set title 'CPU (%)'
plot '{csv}' using ($1/60):2 with lines lw 2
set title 'resident memory (MiB)'
plot '{csv}' using ($1/60):3 with lines lw 2
set title 'threads of the wine process'
plot '{csv}' using ($1/60):4 with steps lw 2
set title 'live handles counted by the program'
plot '{csv}' using ($1/60):5 with steps lw 2, '' using ($1/60):6 with steps lw 2, \\
     '' using ($1/60):7 with steps lw 2, '' using ($1/60):8 with steps lw 2
unset multiplot
"""


def parse_args(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--minutes", type=float, default=30)
    parser.add_argument("--fault-every", type=float, default=180, help="seconds from one fault to the next")
    parser.add_argument("--fault-seconds", type=float, default=20, help="how long each fault lasts")
    parser.add_argument("--sample-every", type=float, default=10, help="seconds between samples")
    parser.add_argument("--out", default=os.path.join(harness.BUILD, "soak"))
    args = parser.parse_args(argv)
    if args.fault_seconds >= args.fault_every:
        parser.error("--fault-seconds must be shorter than --fault-every")
    return args


class Schedule:
    """Faults k = 1, 2, ... start at k * every seconds and last `seconds`."""

    def __init__(self, simulator, every, seconds):
        self.simulator, self.every, self.seconds = simulator, every, seconds
        self.active, self.ends, self.done = None, None, 0

    def step(self, elapsed):
        if self.active and elapsed >= self.ends:
            campaign.disarm(self.simulator, self.active)
            self.active = None
        if self.active is None and elapsed >= (self.done + 1) * self.every:
            self.active = ROTATION[self.done % len(ROTATION)]
            self.done += 1
            self.ends = elapsed + self.seconds
            campaign.arm(self.simulator, self.active, self.seconds)
        return self.active.name if self.active else ""

    def next_event(self):
        return self.ends if self.active else (self.done + 1) * self.every


def window_max(rows, key, first):
    """The maximum of a column over the first (or last) WINDOW_S seconds."""
    end = rows[-1]["elapsed_s"]
    chosen = [r[key] for r in rows if (r["elapsed_s"] <= WINDOW_S if first else r["elapsed_s"] >= end - WINDOW_S)]
    return max(chosen)


def verdict(rows):
    parts, flat = [], True
    for key in COUNTS:
        early, late = window_max(rows, key, True), window_max(rows, key, False)
        flat = flat and late <= early
        parts.append(f"{key} {early}->{late}")
    growth = window_max(rows, "rss_mib", False) - window_max(rows, "rss_mib", True)
    cpu = sum(r["cpu_percent"] for r in rows[1:]) / max(1, len(rows) - 1)
    good = flat and growth < RSS_LIMIT_MIB
    return (f"soak: {'PASS' if good else 'FAIL'}: counts {'flat' if flat else 'NOT flat'} (first/last 5 min max: "
            f"{', '.join(parts)}); resident memory {'+' if growth >= 0 else ''}{growth:.2f} MiB "
            f"(limit {RSS_LIMIT_MIB:.0f} MiB); CPU {cpu:.1f} % on average, {max(r['cpu_percent'] for r in rows):.1f} % "
            f"at most; {len(rows)} samples over {rows[-1]['elapsed_s'] / 60:.1f} min"), good


def run(args):
    os.makedirs(args.out, exist_ok=True)
    csv_path, png_path = os.path.join(args.out, "soak.csv"), os.path.join(args.out, "soak.png")
    harness.build_probe()
    simulator, ntp = Simulator("live"), NtpResponder().start()
    overlay = Overlay({"Network": network_section(simulator.url, ntp.port)})
    rows = []
    try:
        overlay.start()
        overlay.window()
        pid = harness.wait_for(overlay.wine_pid, 10)
        if not pid:
            raise RuntimeError("the wine process of the overlay was not found")
        schedule = Schedule(simulator, args.fault_every, args.fault_seconds)
        started = time.monotonic()
        last = (started, process_stats(pid)["cpu_ticks"])
        next_sample = started
        with open(csv_path, "w", newline="") as handle:
            writer = csv.DictWriter(handle, COLUMNS)
            writer.writeheader()
            while True:
                now = time.monotonic()
                elapsed = now - started
                fault = schedule.step(elapsed)
                if now >= next_sample:
                    stats, counts = process_stats(pid), overlay.counters()
                    if stats is None or counts is None:
                        raise RuntimeError(f"the overlay stopped at {elapsed:.0f} s: {overlay.live_output(pid)[-2000:]}")
                    cpu = 100.0 * (stats["cpu_ticks"] - last[1]) / TICKS_PER_SECOND / max(1e-3, now - last[0])
                    last = (now, stats["cpu_ticks"])
                    row = {"elapsed_s": round(elapsed, 1), "cpu_percent": round(cpu, 2),
                           "rss_mib": round(stats["rss_kib"] / 1024, 2), "threads": stats["threads"],
                           **{k: counts[k] for k in COUNTS}, "fault": fault}
                    rows.append(row)
                    writer.writerow(row)
                    handle.flush()
                    next_sample += args.sample_every
                if elapsed >= args.minutes * 60:
                    break
                wake = min(started + schedule.next_event(), next_sample, started + args.minutes * 60)
                time.sleep(max(0.05, wake - time.monotonic()))
        if schedule.active:
            campaign.disarm(simulator, schedule.active)
        output = overlay.live_output(pid).lower()
        overlay.close(IDYES)
        code = overlay.wait(15)
    finally:
        overlay.stop()
        simulator.stop()
        ntp.stop()

    line, good = verdict(rows)
    if code != 0 or "page fault" in output or "unhandled exception" in output:
        line, good = line.replace("PASS", "FAIL") + f"; the overlay ended with {code}, output {output[-500:]!r}", False
    title = f"{args.minutes:g} min, a fault of {args.fault_seconds:g} s every {args.fault_every:g} s"
    with open(os.path.join(args.out, "soak.gnuplot"), "w") as handle:
        handle.write(PLOT.format(png=png_path, csv=csv_path, title=title))
    subprocess.run(["gnuplot", os.path.join(args.out, "soak.gnuplot")], check=True, timeout=60)
    print(f"{csv_path}\n{png_path}")
    print(line)
    return 0 if good else 1


if __name__ == "__main__":
    sys.exit(run(parse_args(sys.argv[1:])))
