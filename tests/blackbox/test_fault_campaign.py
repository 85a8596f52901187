"""The fault campaign: the built overlay runs against one live simulator while every kind of
server failure of campaign.py is switched on for a while and off again. After each one the
process still runs and has not faulted, its window thread answers, the rows of the last good
poll stay as they were, the status and cache lines say what the failure means, and the rows
move again within 3 s of normal answers. After the faults its resident memory is within 10 %
of what it was before them (the last step, a world of 500 bosses, is no fault and leaves
their reports in memory for good), and at the end its own counts of GDI objects, device
contexts, kernel and WinHTTP handles are back where they were.

MB_FAULT_SECONDS sets how long each fault lasts: 6 s by default, so that the whole run fits in
four minutes; `MB_FAULT_SECONDS=20` gives the long form. Needs DISPLAY and the windows-release
build.
"""
import http.client
import json
import os
import re
import subprocess
import tempfile
import time
import unittest

import campaign
import harness
from harness import IDYES, Overlay, Simulator, network_section, process_stats, wait_for
from ntp_responder import NtpResponder

FAULT_SECONDS = float(os.environ.get("MB_FAULT_SECONDS", "6"))
RECOVERY_LIMIT = 3.0
ALL_STATUS = "/api/all_status"
CHANNELS = "/api/collections/mob_channel_status/records"
POLL_AGENT = "Vantor/1.0"
OWN_AGENT = "campaign"
NO_ROWS = "Unknown"
FAULT_MARKS = ("page fault", "unhandled exception")
STATUS = re.compile(r"^\u25cf Connected \| \u2193 (\d+) (K?B)/req \u2191 (\d+) (K?B)/req\.{1,3} \| NTP: ")
CACHE_VALUE = re.compile(r"^Cache: (\d+\.\d\ds|\d+\.\ds|\d+m \d+s|\d+h \d+m)$")
# The second copy, started against 500 bosses, must not take the first copy's hotkeys.
OTHER_HOTKEYS = {"ClickThrough": 112, "ClickThroughMods": 3, "Visibility": 113, "VisibilityMods": 3,
                 "BossMenu": 114, "BossMenuMods": 3}


def setUpModule():
    harness.require_overlay()


class Sampler:
    """mbprobe watching the list, status and cache lines for the whole run, into a file read
    as it grows. Each sample carries the real time, which the simulator's log also uses."""

    def __init__(self, hwnd, seconds):
        handle, self.path = tempfile.mkstemp(prefix="mb-campaign-", suffix=".jsonl")
        os.close(handle)
        self.process = subprocess.Popen([harness.WINE_RUN, harness.PROBE_EXE, "sample", str(hwnd), "150",
                                         str(int(seconds * 1000)), harness.wine_path(self.path)],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                        env=harness.wine_environment())
        self.samples = []
        self._offset = 0

    def read(self):
        with open(self.path, "rb") as handle:
            handle.seek(self._offset)
            data = handle.read()
        complete = data[:data.rfind(b"\n") + 1]
        self._offset += len(complete)
        self.samples.extend(json.loads(line) for line in complete.splitlines() if line.strip())
        return self.samples

    def at(self, moment):
        """The last sample taken at or before moment."""
        return next((s for s in reversed(self.read()) if s["t"] <= moment and "list" in s), None)

    def between(self, start, end):
        return [s for s in self.read() if start <= s["t"] <= end and "list" in s]

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            self.process.wait(timeout=10)
        os.unlink(self.path)


def traffic(status_text):
    """(received, sent, unit text) of a Connected status line, or None."""
    found = STATUS.match(status_text)
    return (int(found[1]), int(found[3]), found[2]) if found else None


class FaultCampaign(unittest.TestCase):
    def setUp(self):
        self.simulator = Simulator("live")
        self.addCleanup(self.simulator.stop)
        self.ntp = NtpResponder().start()
        self.addCleanup(self.ntp.stop)

    # -- the world as the simulator has it --------------------------------------------------

    def world(self):
        connection = http.client.HTTPConnection("127.0.0.1", self.simulator.port, timeout=10)
        try:
            connection.request("GET", ALL_STATUS, headers={"User-Agent": OWN_AGENT})
            return json.loads(connection.getresponse().read())["channel_status"]
        finally:
            connection.close()

    @staticmethod
    def visible(reports):
        """What of a boss's reports the list can show: health, whole seconds left, rate."""
        return frozenset((r["channel_number"], r["last_hp"], int(r["etd"]) if r["etd"] > 0 else None,
                          f"{r['dps']:.1f}" if r["dps"] > 0.01 else None) for r in reports if r["last_hp"] != 0)

    def busiest_boss(self):
        """The boss whose shown rows change most often, so that a frozen list is sure to
        differ from the world once data flows again."""
        snapshots = []
        for _ in range(3):
            snapshots.append({boss: self.visible(reports) for boss, reports in self.world().items()})
            time.sleep(1)
        return max(snapshots[0], key=lambda boss: sum(len(a[boss] ^ b[boss]) for a, b in zip(snapshots, snapshots[1:])))

    def first_poll_after(self, moment, timeout):
        """Real time of the overlay's first all-status request at or after moment, or None."""
        def find():
            times = [e["time"] for e in self.simulator.log()
                     if e["path"] == ALL_STATUS and e["user_agent"] == POLL_AGENT and e["time"] >= moment]
            return min(times) if times else None
        return wait_for(find, timeout, 0.1)

    # -- the run ---------------------------------------------------------------------------

    def start_overlay(self, boss, window, hotkeys=None):
        ini = {"Window": window, "Network": network_section(self.simulator.url, self.ntp.port),
               "Selection": {"LastBoss": boss}}
        if hotkeys:
            ini["Hotkeys"] = hotkeys
        overlay = Overlay(ini)
        self.addCleanup(overlay.stop)
        overlay.start()
        overlay.window()
        return overlay

    def test_every_fault_leaves_the_overlay_running_with_the_last_good_rows(self):
        started = time.monotonic()
        self.boss = self.busiest_boss()
        overlay = self.start_overlay(self.boss, {"Left": 0, "Top": 0, "Right": 450, "Bottom": 700})
        self.overlay = overlay
        self.sampler = Sampler(overlay.hwnd, 120 + len(campaign.FAULTS) * (FAULT_SECONDS + 20))
        self.addCleanup(self.sampler.stop)

        def settled():
            last = self.sampler.at(time.time())
            return last and traffic(last["status"]) and last["list"] != NO_ROWS and CACHE_VALUE.match(last["cache"])
        self.assertTrue(wait_for(settled, 30), f"the overlay never showed data: {self.sampler.at(time.time())}")
        time.sleep(2)  # a few polls more, so that what was allocated once is in place
        self.pid = overlay.wine_pid()
        self.assertIsNotNone(self.pid, "the wine process of the overlay")
        before, counts_before = process_stats(self.pid), overlay.counters()

        problems, lines, after = [], [], None
        for fault in campaign.FAULTS:
            if fault.bosses and after is None:
                # A bigger world is no fault: its reports are kept for good (a boss missing
                # from later answers keeps its channels), so memory is compared before it.
                time.sleep(2)
                after = process_stats(self.pid)
            outcome, found = self.run_fault(fault)
            lines.append(outcome)
            problems.extend(f"{fault.name}: {problem}" for problem in found)
            print(f"\n  {outcome}", end="")

        time.sleep(2)
        after = after or process_stats(self.pid)
        counts_after = overlay.counters()
        growth = (after["rss_kib"] - before["rss_kib"]) / before["rss_kib"]
        print(f"\n  resident memory {before['rss_kib']} KiB before the faults, {after['rss_kib']} KiB after them "
              f"({growth:+.1%}), {process_stats(self.pid)['rss_kib']} KiB at the end; threads {before['threads']} -> "
              f"{after['threads']}; counts {counts_before} -> {counts_after}; {time.monotonic() - started:.0f} s",
              end=" ")
        if abs(growth) > 0.10:
            problems.append(f"resident memory {before['rss_kib']} KiB -> {after['rss_kib']} KiB")
        for kind in ("gdi", "dc", "kernel"):
            if counts_after is None or counts_after[kind] != counts_before[kind]:
                problems.append(f"{kind} count {counts_before} -> {counts_after}")
        if counts_after is not None and counts_after["winhttp"] > 6:  # two requests in flight at most
            problems.append(f"WinHTTP handles {counts_after['winhttp']}")

        overlay.close(IDYES)
        self.assertEqual(overlay.wait(15), 0, overlay.output())
        self.assertFalse([m for m in FAULT_MARKS if m in overlay.output().lower()], overlay.output())
        self.assertEqual(problems, [], "\n".join(lines))

    def run_fault(self, fault):
        """Switches one fault on for the period and off again; returns a line that says what
        the overlay showed, and the problems found."""
        simulator, sampler, problems = self.simulator, self.sampler, []
        world_before = self.visible(self.world()[self.boss])
        simulator.control("POST", "/_sim/log/clear")
        armed = time.time()
        campaign.arm(simulator, fault, FAULT_SECONDS)
        # The first failing poll: the request that met the fault (a refused one leaves no
        # trace; the poll that may have been under way when the listener closed is done
        # within a second). Everything the last good poll brought is shown by then.
        first = armed + 1.0 if fault.refuse else self.first_poll_after(armed, 15)
        if first is None:
            return f"{fault.name}: no poll came", ["no poll met the fault"]
        second_copy = self.start_second_copy() if fault.bosses else ""
        time.sleep(max(0.0, armed + FAULT_SECONDS - time.time()))
        ended = time.time()
        campaign.disarm(simulator, fault)
        if fault.refuse:
            ended = time.time()
        normal = self.first_poll_after(ended, 20)
        if normal is None:
            return f"{fault.name}: no poll after it", ["no poll after normal answers came back"]

        reference = next((s for s in sampler.read() if s["t"] >= first and "list" in s), None)
        wait_for(lambda: sampler.at(time.time()) and sampler.at(time.time())["t"] >= normal, 5, 0.1)
        frozen_list = sampler.at(normal)["list"]
        moved = wait_for(lambda: next((s for s in sampler.between(normal, time.time()) if s["list"] != frozen_list),
                                      None), RECOVERY_LIMIT + 0.5, 0.1)
        end = sampler.at(ended)

        during = sampler.between(reference["t"], normal)
        if fault.rows == "kept":
            changed = [s for s in during if s["list"] != reference["list"]]
            if changed:
                problems.append(f"the rows changed at +{changed[0]['t'] - armed:.1f} s: {changed[0]['list'][:200]!r}")
        elif fault.rows == "same":
            rows = sorted(reference["list"].split("\n"))
            if any(sorted(s["list"].split("\n")) != rows for s in during):
                problems.append("other rows were shown")
        elif end["list"] == NO_ROWS or (fault.list_lacks and fault.list_lacks in end["list"]):
            problems.append(f"the valid answer was not shown as such: {end['list'][:200]!r}")

        shown, was = traffic(end["status"]), traffic(reference["status"])
        if fault.rows == "kept" and not (shown and "unchanged" in fault.bytes and shown == was):
            if not end["status"].startswith("Disconnected | NTP: "):
                problems.append(f"status line {end['status']!r}, expected Disconnected after the failed poll")
        elif shown is None:
            problems.append(f"status line {end['status']!r}")
        else:
            kinds = {"zero": shown == (0, 0, "B"), "nonzero": shown[0] > 0, "unchanged": shown == was}
            if not any(kinds[k] for k in fault.bytes):
                problems.append(f"status line {end['status']!r}, expected bytes {'/'.join(fault.bytes)}")
        caches = {"---": end["cache"] == "Cache: ---", "value": bool(CACHE_VALUE.match(end["cache"])),
                  "unchanged": end["cache"] == reference["cache"]}
        if not any(caches[k] for k in fault.cache):
            problems.append(f"cache line {end['cache']!r}, expected {'/'.join(fault.cache)}")
        if any(s.get("alive") is False for s in sampler.between(armed, time.time())):
            problems.append("the window thread stopped answering")
        if process_stats(self.pid) is None:
            problems.append("the process is gone")
        output = self.overlay.live_output(self.pid).lower()
        problems.extend(f"{mark!r} in the output" for mark in FAULT_MARKS if mark in output)

        if moved:
            recovery = f"rows moved {moved['t'] - normal:.1f} s after the first normal answer " \
                       f"({moved['t'] - ended:.1f} s after the switch-off)"
        elif self.visible(self.world()[self.boss]) == world_before:
            recovery = "the world showed nothing new to move the rows"
        else:
            recovery = "the rows did not move"
            problems.append(f"the rows did not move within {RECOVERY_LIMIT} s of normal answers")
        kept = {"kept": "rows kept", "same": "same rows", "applied": "answer shown"}[fault.rows]
        stats = process_stats(self.pid) or {"rss_kib": 0}
        return (f"{fault.name}: {kept}; {end['status'].split(' | NTP')[0]!r}; {end['cache']!r}; {recovery}"
                f"{second_copy}; resident {stats['rss_kib'] // 1024} MiB", problems)

    def start_second_copy(self):
        """A second copy loads the 500 bosses at its start (the running one loaded its boss list
        once and only polls); it must load them all and show its rows."""
        began = time.monotonic()
        other = self.start_overlay(self.boss, {"Left": 500, "Top": 0, "Right": 950, "Bottom": 700}, OTHER_HOTKEYS)

        def loaded():
            controls = {c["id"]: c for c in other.children()}
            return traffic(controls[1005]["text"]) and controls[1002]["text"] != NO_ROWS and controls
        controls = wait_for(loaded, 120, 1.0)
        took = time.monotonic() - began
        other.close(IDYES)
        code = other.wait(15)
        self.assertTrue(controls, "the second copy never finished loading 500 bosses")
        self.assertEqual(code, 0, other.output())
        boss_loads = [e for e in self.simulator.log() if e["path"].startswith(CHANNELS + "?")]
        self.assertEqual(len(boss_loads), 500, "one channel request per boss")
        return f"; a second copy loaded 500 bosses in {took:.1f} s"


if __name__ == "__main__":
    unittest.main()
