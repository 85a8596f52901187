#!/usr/bin/env python3
"""Whole-overlay benchmark: the Release Marrowbell.exe under Wine against a live local tracker
simulator, as the black-box tests run it (tests/blackbox/harness.py).

    overlay_bench.py run [--minutes 5] [--every 10] [--server-delay-ms 0]
        The selected boss has 40 channels (the seed of the simulated world is chosen so that
        one boss has 40, and the INI's LastBoss names it); the overlay polls at its own pace.
        Beside it runs the floor (tests/bench/floor.cpp, overlay_floor.exe next to the Release
        exe): a bare program of the overlay's shape that makes the poller's two requests every
        cycle against the same simulator, in the same prefix, wineserver and display. Prints the
        time from the window appearing to the first channel rows, then, every few seconds, the
        CPU of both processes (utime + stime from /proc, % of one core), their ratio (overlay /
        floor) and their resident memory, and a summary that ends with the CPU of both and its
        ratio, and the overlay's memory growth from the first minute to the last. A server
        delay makes every answer that much later, as a distant server's would be.
    overlay_bench.py close [--times 5]
        Times from "Yes" in "Confirm Exit" to the end of the process, with a live server (plain
        and HTTPS), one whose poll answers take a second, an unreachable one and one that never
        answers; prints each close and the medians.

Needs DISPLAY (scripts/bench provides an Xvfb) and the windows-release build (for run, its
overlay_floor target too: scripts/bench builds both). Every wait is bounded; everything
started here is stopped at the end.
"""
import argparse
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "tests", "blackbox"))
sys.path.insert(0, os.path.join(ROOT, "tools"))

import harness  # noqa: E402  (found through the path above)
from harness import Overlay, Simulator, network_section, wait_for  # noqa: E402
from ntp_responder import NtpResponder  # noqa: E402
from tracker_sim.dataset import DataSet  # noqa: E402

WATCH_SOURCE = os.path.join(HERE, "mbwatch.cpp")
WATCH_EXE = os.path.join(harness.BUILD, "bench-win", "mbwatch.exe")
FLOOR_EXE = os.environ.get("MB_FLOOR_EXE", os.path.join(os.path.dirname(harness.EXE), "overlay_floor.exe"))
CHANNELS = 40
ALL_STATUS = "/api/all_status"
STATUS_AGENT = "Vantor/1.1"  # the user agent of the /api/status requests
BOSSES = "/api/collections/mobs/records"
CLOCK_TICKS = os.sysconf("SC_CLK_TCK")
CPU_GOAL_RATIO = 2.0  # the overlay's CPU at most twice the floor's in the same run
SLOW_ANSWER_MS = 1000
TEST_CERT = os.path.join(harness.BUILD, "testca", "server.crt")  # trusted by scripts/setup
TEST_KEY = os.path.join(harness.BUILD, "testca", "server.key")


def build_watch():
    return harness.build_tool(WATCH_SOURCE, WATCH_EXE)


def start_watch(*args):
    harness.ensure_wineserver()
    return subprocess.Popen([harness.WINE_RUN, build_watch(), *[str(a) for a in args]], stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, text=True, env=harness.wine_environment())


def finish_watch(process, timeout):
    """The JSON line the helper printed, or None."""
    try:
        out, _ = process.communicate(timeout=timeout)
    except subprocess.TimeoutExpired:
        process.kill()
        process.communicate()
        return None
    lines = [line for line in out.splitlines() if line.startswith("{")]
    return json.loads(lines[0]) if lines else None


def wine_path(path):
    """A Linux path as a Windows program under Wine names it (drive Z: is the root)."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def seed_with_full_boss():
    """The first world seed in which a boss has CHANNELS channels, and that boss's id."""
    for seed in range(1, 1000):
        dataset = DataSet(seed)
        for boss in dataset.bosses:
            if len(dataset.channels[boss.id]) == CHANNELS:
                return seed, boss.id
    raise RuntimeError(f"no seed gives a boss {CHANNELS} channels")


def wine_pid(exe):
    """The Linux process running the program at path exe (each run copies its programs into a
    folder of its own): Wine gives it the executable's path as its command line (wine-run.sh,
    the shell around it, has its own first word)."""
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as handle:
                first = handle.read().split(b"\0")[0].decode("utf-8", "replace")
        except OSError:
            continue
        if first == exe:
            return int(pid)
    return None


def wineserver_pid():
    """The prefix's wineserver, which does part of every Win32 call's work."""
    env = harness.wine_environment()
    stat = os.stat(env["WINEPREFIX"])
    tag = f"server-{stat.st_dev:x}-{stat.st_ino:x}"
    for pid in os.listdir("/proc"):
        if pid.isdigit():
            try:
                if os.readlink(f"/proc/{pid}/cwd").endswith("/" + tag):
                    return int(pid)
            except OSError:
                continue
    return None


def cpu_ticks(pid):
    with open(f"/proc/{pid}/stat", encoding="ascii", errors="replace") as handle:
        fields = handle.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])  # utime and stime, fields 14 and 15 of stat


def thread_ticks(pid):
    """{thread id: utime + stime} of every thread of a process; Wine runs each Windows thread
    as a Linux thread, and the first one (id = pid) is the window thread."""
    ticks = {}
    for tid in os.listdir(f"/proc/{pid}/task"):
        try:
            ticks[int(tid)] = cpu_ticks(f"{pid}/task/{tid}")
        except OSError:
            continue  # ended meanwhile
    return ticks


def thread_shares(pid, before, seconds):
    """The threads' shares of one core since before, largest first, as text."""
    after = thread_ticks(pid)
    shares = sorted(((100.0 * (ticks - before.get(tid, 0)) / CLOCK_TICKS / seconds, tid) for tid, ticks in after.items()),
                    reverse=True)
    return ", ".join(f"{'window thread' if tid == pid else f'thread {tid}'} {share:.2f} %" for share, tid in shares
                     if share >= 0.01)


def rss_kib(pid):
    with open(f"/proc/{pid}/status", encoding="ascii", errors="replace") as handle:
        for line in handle:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def list_text(overlay):
    rows = [c for c in overlay.children() if c["class"] == "VantorProgressList"]
    return rows[0]["text"] if rows else ""


class Floor:
    """A copy of overlay_floor.exe in a folder of its own, polling the tracker at url. Ended
    with WM_CLOSE by end(); stop() ends it in any case and removes its folder."""

    def __init__(self, url):
        self.folder = tempfile.mkdtemp(prefix="mb-floor-")
        self.exe = os.path.join(self.folder, os.path.basename(FLOOR_EXE))
        shutil.copyfile(FLOOR_EXE, self.exe)
        self.output_path = os.path.join(self.folder, "wine-output.txt")
        self.hwnd = None
        harness.ensure_wineserver()
        with open(self.output_path, "wb") as output:
            self.process = subprocess.Popen([harness.WINE_RUN, self.exe, url], cwd=self.folder, stdout=output,
                                            stderr=subprocess.STDOUT, env=harness.wine_environment())

    def running(self):
        return self.process.poll() is None

    def output(self):
        with open(self.output_path, encoding="utf-8", errors="replace") as handle:
            return handle.read()

    def counts(self, timeout_ms=30000):
        """{"cycles", "failures", "at"} as the floor's window answers them."""
        record = finish_watch(start_watch("floor", os.path.basename(self.folder), timeout_ms), timeout_ms / 1000 + 30)
        if not record or not record.get("hwnd"):
            raise RuntimeError(f"the floor's window did not answer: {record}")
        self.hwnd = record["hwnd"]
        return record

    def end(self, timeout_ms=10000):
        """WM_CLOSE, then the wait for the process; mbwatch's record, or None."""
        record = finish_watch(start_watch("end", self.hwnd, timeout_ms), timeout_ms / 1000 + 30)
        if record and record.get("ended"):
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                pass
        return record

    def stop(self):
        if self.running():
            self.process.terminate()  # wine-run.sh passes it on to the program
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait(timeout=10)
        shutil.rmtree(self.folder, ignore_errors=True)


class Bench:
    """Stops every overlay, floor, simulator and responder it started."""

    def __init__(self):
        self.stops = []

    def keep(self, thing):
        self.stops.append(thing.stop)
        return thing

    def close(self):
        for stop in reversed(self.stops):
            try:
                stop()
            except Exception as problem:  # clean-up goes on whatever one part did
                print(f"clean-up: {problem}", file=sys.stderr)


def start_with_first_rows(bench, ini):
    """Starts an overlay while mbwatch looks; returns it with the first-rows record."""
    overlay = bench.keep(Overlay(ini))
    ready = os.path.join(overlay.folder, "watching")
    watch = start_watch("firstrows", os.path.basename(overlay.folder), wine_path(ready), 60000)
    if not wait_for(lambda: os.path.exists(ready) or watch.poll() is not None, 30, 0.02):
        raise RuntimeError("mbwatch did not start")
    overlay.start()
    record = finish_watch(watch, 90)
    if not record or not record.get("hwnd"):
        raise RuntimeError(f"the overlay's window or rows did not appear: {record}")
    overlay.hwnd = record["hwnd"]
    return overlay, record


def close_record(overlay, timeout_ms=20000):
    """mbwatch's close record, with "linux_ms": from the click to the end of the Linux process
    (Wine signals the Windows process handle first, then the process still has to exit)."""
    pid = wine_pid(overlay.exe)
    ended = []

    def watch_exit():
        deadline = time.monotonic() + timeout_ms / 1000 + 30
        while time.monotonic() < deadline:
            try:
                with open(f"/proc/{pid}/stat", "rb") as handle:
                    if handle.read().rsplit(b")", 1)[-1].split()[:1] == [b"Z"]:
                        break  # exited, not yet collected by the shell around it
            except OSError:
                break
            time.sleep(0.005)
        ended.append(time.time())

    watcher = threading.Thread(target=watch_exit, daemon=True)
    watcher.start()
    record = finish_watch(start_watch("close", overlay.hwnd, timeout_ms), timeout_ms / 1000 + 30)
    watcher.join(timeout_ms / 1000 + 30)
    if record and record.get("ended"):
        overlay.wait(10)
        if ended:
            record["linux_ms"] = 1000.0 * (ended[0] - record["clicked_at"])
    return record


def share(ticks, seconds):
    """CPU ticks as a share of one core over seconds, in %."""
    return 100.0 * ticks / CLOCK_TICKS / seconds


def ratio_text(overlay_cpu, floor_cpu):
    return f"{overlay_cpu / floor_cpu:.2f}" if floor_cpu > 0 else "-"


def growth_text(samples, elapsed):
    """The overlay's resident memory growth: the maximum over the last minute less the one
    over the first, as the soak run compares them; a run of two minutes or less has no two
    minutes apart, so there it is the last sample less the first."""
    if elapsed <= 120:
        return f"{(samples[-1][1] - samples[0][1]) / 1024:+.1f} MiB from the first sample to the last"
    first = max(rss for t, rss, _ in samples if t <= 60)
    last = max(rss for t, rss, _ in samples if t >= elapsed - 60)
    return f"{(last - first) / 1024:+.1f} MiB from the first minute to the last"


def start_floor(bench, simulator):
    """The floor, polling the simulator, once its first cycle reached it (nothing else polls
    yet): its start-up is over before the overlay's begins."""
    floor = bench.keep(Floor(simulator.url))
    if not wait_for(lambda: not floor.running() or any(e["user_agent"] == STATUS_AGENT for e in simulator.log()), 60,
                    0.1) or not floor.running():
        raise RuntimeError("the floor program did not poll: " + floor.output())
    return floor


def run(minutes, every, delay_ms):
    seed, boss_id = seed_with_full_boss()
    bench = Bench()
    try:
        simulator = bench.keep(Simulator("live", "--seed", str(seed)))
        if delay_ms:
            simulator.fault("*", "delay", ms=delay_ms)
        ntp = bench.keep(NtpResponder().start())
        ini = {"Network": network_section(simulator.url, ntp.port), "Selection": {"LastBoss": boss_id}}
        floor_started = time.monotonic()
        floor = start_floor(bench, simulator)
        overlay_started = time.monotonic()
        overlay, first = start_with_first_rows(bench, ini)
        delay = f", every answer {delay_ms} ms late" if delay_ms else ""
        print(f"world seed {seed}: boss {boss_id} has {CHANNELS} channels and is the one selected{delay}")
        print(f"floor: {os.path.basename(FLOOR_EXE)} polls the same simulator in the same prefix and display, "
              f"started {overlay_started - floor_started:.1f} s before the overlay")
        print(f"first rows: {first['rows_ms']:.0f} ms after the window appeared (goal under 1000 ms)")

        pid = wine_pid(overlay.exe)
        floor_pid = wine_pid(floor.exe)
        server = wineserver_pid()
        if pid is None or floor_pid is None:
            raise RuntimeError(f"a Linux process was not found: overlay {pid}, floor {floor_pid}")
        counts0 = floor.counts()
        simulator.control("POST", "/_sim/log/clear")
        # Both processes are read back to back at every step, so they share one clock.
        start = time.monotonic()
        ticks0, floor_ticks0 = cpu_ticks(pid), cpu_ticks(floor_pid)
        threads0, floor_threads0 = thread_ticks(pid), thread_ticks(floor_pid)
        server0 = cpu_ticks(server) if server else 0
        samples = [(0.0, rss_kib(pid), rss_kib(floor_pid))]
        last_t, last_ticks, last_floor_ticks = start, ticks0, floor_ticks0
        print(f"{'t (s)':>6} {'overlay CPU %':>13} {'floor CPU %':>11} {'ratio':>6} {'overlay MiB':>11} "
              f"{'floor MiB':>9}   (CPU over the last {every:g} s, % of one core; resident memory)")
        print(f"{0:6.0f} {'':>13} {'':>11} {'':>6} {samples[0][1] / 1024:11.1f} {samples[0][2] / 1024:9.1f}")
        while time.monotonic() - start < minutes * 60 - 0.5:
            time.sleep(max(0.0, last_t + every - time.monotonic()))
            if not overlay.running():
                raise RuntimeError("the overlay ended during the run: " + overlay.output())
            if not floor.running():
                raise RuntimeError("the floor ended during the run: " + floor.output())
            now, ticks, floor_ticks = time.monotonic(), cpu_ticks(pid), cpu_ticks(floor_pid)
            rss, floor_rss = rss_kib(pid), rss_kib(floor_pid)
            cpu = share(ticks - last_ticks, now - last_t)
            floor_cpu = share(floor_ticks - last_floor_ticks, now - last_t)
            samples.append((now - start, rss, floor_rss))
            print(f"{now - start:6.0f} {cpu:13.2f} {floor_cpu:11.2f} {ratio_text(cpu, floor_cpu):>6} "
                  f"{rss / 1024:11.1f} {floor_rss / 1024:9.1f}", flush=True)
            last_t, last_ticks, last_floor_ticks = now, ticks, floor_ticks
        elapsed = last_t - start
        mean_cpu, floor_mean_cpu = share(last_ticks - ticks0, elapsed), share(last_floor_ticks - floor_ticks0, elapsed)
        shares = thread_shares(pid, threads0, elapsed)
        floor_shares = thread_shares(floor_pid, floor_threads0, elapsed)
        server_cpu = share(cpu_ticks(server) - server0, elapsed) if server else float("nan")

        # After the sampling, so that neither the helper nor the log reading is in the figures.
        # The log holds both programs' polls; the floor's own count tells them apart.
        counts1 = floor.counts()
        all_polls = len(simulator.requests_to(ALL_STATUS))
        floor_cycles = counts1["cycles"] - counts0["cycles"]
        floor_failures = counts1["failures"] - counts0["failures"]
        rows = [line for line in list_text(overlay).split("\n") if line.startswith("Ch.")]
        record = close_record(overlay)
        floor_record = floor.end()

        print(f"summary over {elapsed:.0f} s, overlay and floor read together every {every:g} s")
        print(f"  overlay by thread: {shares}")
        print(f"  floor by thread: {floor_shares}")
        print(f"  polls: overlay about {(all_polls - floor_cycles) / elapsed:.2f}/s, "
              f"floor {floor_cycles / elapsed:.2f}/s ({floor_failures} of its requests failed); {len(rows)} rows "
              f"listed at the end (channels at health 0 are not listed); the prefix's wineserver, shared by both, "
              f"used {server_cpu:.2f} % of one core")
        rss_max = max(s[1] for s in samples) / 1024
        floor_rss_max = max(s[2] for s in samples) / 1024
        print(f"  resident at most: overlay {rss_max:.1f} MiB, floor {floor_rss_max:.1f} MiB")
        closes = []
        if record and record.get("ended"):
            closes.append(f"overlay closed {record['close_ms']:.0f} ms after Yes, exit code {record['exit_code']}")
        else:
            closes.append(f"overlay did not close: {record}")
        if floor_record and floor_record.get("ended"):
            closes.append(f"floor ended {floor_record['close_ms']:.0f} ms after WM_CLOSE, "
                          f"exit code {floor_record['exit_code']}")
        else:
            closes.append(f"floor did not end on WM_CLOSE: {floor_record}")
        print("  " + "; ".join(closes))
        print(f"CPU: overlay {mean_cpu:.2f} % of one core, floor {floor_mean_cpu:.2f} %, "
              f"ratio {ratio_text(mean_cpu, floor_mean_cpu)} (goal at most {CPU_GOAL_RATIO:g})")
        print(f"resident: overlay {samples[-1][1] / 1024:.1f} MiB ({growth_text(samples, elapsed)}; goal flat), "
              f"floor {samples[-1][2] / 1024:.1f} MiB", flush=True)
        return 0 if floor_record and floor_record.get("ended") and floor_record.get("exit_code") == 0 else 1
    finally:
        bench.close()


def close_once(condition):
    bench = Bench()
    try:
        ntp = bench.keep(NtpResponder().start())
        if condition == "unreachable":
            url = f"http://127.0.0.1:{harness.free_port()}"
            simulator = None
        elif condition == "slow":
            # Every poll answer takes a second, as a distant or busy server's may. Closing waits for
            # the answer in flight: under Wine (8.0) a synchronous WinHTTP call that waits for an
            # answer does not end when another thread closes its request handle.
            simulator = bench.keep(Simulator("live"))
            simulator.fault(ALL_STATUS, "delay", ms=SLOW_ANSWER_MS)
            url = simulator.url
        elif condition == "live https":
            simulator = bench.keep(Simulator("live", "--https-port", "0", "--cert", TEST_CERT, "--key", TEST_KEY))
            with open(os.path.join(simulator.folder, "ports.json"), encoding="utf-8") as handle:
                url = f"https://localhost:{json.load(handle)['https']}"
        else:
            simulator = bench.keep(Simulator("live"))
            url = simulator.url
            if condition == "hung":
                simulator.fault("*", "hang")
        overlay = bench.keep(Overlay({"Network": network_section(url, ntp.port)}))
        overlay.start()
        overlay.window()
        if condition in ("live", "live https", "slow"):
            # Loaded and polling: rows on screen and a few polls done. The close comes just after
            # a poll went out, the worst moment when answers are slow.
            wait_for(lambda: list_text(overlay).startswith("Ch."), 30, 0.2)
            wait_for(lambda: len(simulator.requests_to(ALL_STATUS)) >= 3, 20, 0.2)
        elif condition == "hung":
            wait_for(lambda: simulator.requests_to(BOSSES), 20)
            time.sleep(1)
        else:
            time.sleep(2.5)  # the loader is retrying by now
        record = close_record(overlay)
        if not record or not record.get("ended"):
            raise RuntimeError(f"{condition}: the overlay did not end: {record}")
        return record["close_ms"] / 1000, record.get("linux_ms", float("nan")) / 1000, record["exit_code"]
    finally:
        bench.close()


def close(times):
    for condition in ("live", "live https", "slow", "unreachable", "hung"):
        handle_ended, process_ended = [], []
        for _ in range(times):
            windows, linux, code = close_once(condition)
            handle_ended.append(windows)
            process_ended.append(linux)
            if code != 0:
                print(f"  {condition}: exit code {code}")
        print(f"close, {condition:>11} server: median {statistics.median(process_ended):.2f} s to the end of the "
              f"process ({' '.join(f'{s:.2f}' for s in process_ended)}); process handle signalled after "
              f"{statistics.median(handle_ended):.2f} s", flush=True)
    return 0


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    commands = parser.add_subparsers(dest="command", required=True)
    run_parser = commands.add_parser("run", help="CPU and memory beside the floor's, and first rows, over a live run")
    run_parser.add_argument("--minutes", type=float, default=5.0)
    run_parser.add_argument("--every", type=float, default=10.0, help="seconds between samples")
    run_parser.add_argument("--server-delay-ms", type=int, default=0, help="delay of every server answer")
    close_parser = commands.add_parser("close", help="close times in three kinds of network weather")
    close_parser.add_argument("--times", type=int, default=5)
    args = parser.parse_args(argv)
    if not os.environ.get("DISPLAY"):
        print("overlay_bench: needs DISPLAY", file=sys.stderr)
        return 2
    if not os.path.exists(harness.EXE):
        print(f"overlay_bench: {harness.EXE} is missing: build the windows-release preset", file=sys.stderr)
        return 2
    if args.command == "run":
        if not os.path.exists(FLOOR_EXE):
            print(f"overlay_bench: {FLOOR_EXE} is missing: build the windows-release preset's overlay_floor target "
                  "(scripts/bench does)", file=sys.stderr)
            return 2
        return run(args.minutes, args.every, args.server_delay_ms)
    return close(args.times)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
