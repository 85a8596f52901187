"""The built overlay from the outside: start-up, the settings file it leaves, its window on the
monitor, several copies at once, and closing in good and bad network weather.

Needs DISPLAY (scripts/test provides an Xvfb) and the windows-release build.
"""
import json
import os
import re
import shutil
import subprocess
import tempfile
import time
import unittest

import harness
from harness import IDNO, IDYES, Overlay, Simulator, network_section, wait_for
from ntp_responder import NtpResponder

ALL_STATUS = "/api/all_status"
BOSSES = "/api/collections/mobs/records"


def setUpModule():
    harness.require_overlay()


class OverlayTestCase(unittest.TestCase):
    """Stops every overlay, simulator and responder a test started, whatever happened."""

    def overlay(self, ini=None):
        overlay = Overlay(ini)
        self.addCleanup(overlay.stop)
        return overlay

    def simulator(self):
        simulator = Simulator("live")
        self.addCleanup(simulator.stop)
        return simulator

    def ntp(self):
        responder = NtpResponder().start()
        self.addCleanup(responder.stop)
        return responder

    def closed_in(self, overlay, limit):
        """Answers Confirm Exit with Yes and returns the seconds until the process ended."""
        overlay.close(IDYES)
        clicked = time.monotonic()
        code = overlay.wait(limit + 10)
        elapsed = time.monotonic() - clicked
        self.assertIsNotNone(code, "the overlay did not end")
        self.assertEqual(code, 0, overlay.output())
        self.assertLess(elapsed, limit, f"closing took {elapsed:.1f} s")
        return elapsed


class StartAndSettings(OverlayTestCase):
    def test_starts_without_an_ini_and_writes_one_at_exit(self):
        overlay = self.overlay()
        # No settings file means the compiled-in public servers: keep those off the network.
        overlay.start(offline=True)
        window = overlay.window()
        self.assertEqual(window["title"], "Marrowbell v1.5.1")
        self.assertEqual(window["rect"], [100, 100, 550, 800])
        self.assertEqual(window["exstyle"] & (harness.WS_EX_LAYERED | harness.WS_EX_TOPMOST),
                         harness.WS_EX_LAYERED | harness.WS_EX_TOPMOST)
        self.assertEqual(window["style"] & harness.MAIN_STYLE, harness.MAIN_STYLE)
        self.assertEqual(window["alpha"], 191)
        self.assertIsNone(overlay.read_ini(), "nothing is written before the exit")

        box = overlay.close(IDNO)
        time.sleep(0.5)
        self.assertTrue(overlay.running(), "No must keep the overlay")
        self.assertEqual(box["owner_rect"], [100, 100, 550, 800])
        self.closed_in(overlay, 5)

        ini = overlay.read_ini()
        self.assertIsNotNone(ini, "the settings file was not written")
        self.assertEqual(dict(ini["Window"]), {"Left": "100", "Top": "100", "Right": "550", "Bottom": "800",
                                               "RectDpi": "96", "Opacity": "75", "TextScale": "100",
                                               "ClickThroughMode": "0"})
        self.assertEqual(dict(ini["Hotkeys"]), {"ClickThrough": "66", "ClickThroughMods": "6", "Visibility": "66",
                                                "VisibilityMods": "2", "BossMenu": "65", "BossMenuMods": "2"})
        self.assertFalse(ini.has_section("Selection"))
        self.assertEqual(dict(ini["Network"]), {}, "the new file's header leaves TrackerUrl commented out")

    def test_a_rectangle_off_every_monitor_opens_clamped_onto_it(self):
        width, height = harness.screen_size()
        simulator = self.simulator()
        ntp = self.ntp()
        cases = [
            ({"Left": 5000, "Top": -3000, "Right": 5450, "Bottom": -2300}, [width - 450, 0, width, 700]),
            ({"Left": -200, "Top": height - 300, "Right": 250, "Bottom": height + 400},
             [0, height - 700, 450, height]),
        ]
        for saved, expected in cases:
            with self.subTest(saved=saved):
                overlay = self.overlay({"Window": saved, "Network": network_section(simulator.url, ntp.port)})
                overlay.start()
                self.assertEqual(overlay.window()["rect"], expected)
                self.closed_in(overlay, 5)
                ini = overlay.read_ini()
                self.assertEqual([int(ini["Window"][k]) for k in ("Left", "Top", "Right", "Bottom")], expected)
                self.assertEqual(ini["Network"]["TrackerUrl"], simulator.url, "the Network section is left alone")

    def test_logging_off_closes_without_asking_and_saves(self):
        simulator = self.simulator()
        overlay = self.overlay({"Window": {"Left": 300, "Top": 200, "Right": 700, "Bottom": 800},
                                "Network": network_section(simulator.url, self.ntp().port)})
        overlay.start()
        overlay.window()
        answer = overlay.end_session()
        self.assertEqual(answer["query_result"], 1)
        self.assertEqual(overlay.wait(10), 0)
        ini = overlay.read_ini()
        self.assertEqual([int(ini["Window"][k]) for k in ("Left", "Top", "Right", "Bottom")], [300, 200, 700, 800])


class DisplayAndOrder(OverlayTestCase):
    def test_a_games_display_mode_moves_the_overlay_only_while_it_lasts(self):
        chosen = [1300, 300, 1750, 1000]
        overlay = self.overlay({"Window": dict(zip(("Left", "Top", "Right", "Bottom"), chosen)),
                                "Network": network_section(self.simulator().url, self.ntp().port)})
        overlay.start(desktop="mbmode")
        self.assertEqual(overlay.window()["rect"], chosen)
        _, lines = overlay.probe("mode", overlay.hwnd, 800, 600, 3000, timeout=60)
        self.assertEqual((lines[0]["changed"], lines[0]["restored"]), (0, 0), "the display mode did not change")
        self.assertEqual(lines[0]["during"], [350, 0, 800, 600])
        self.assertEqual(lines[0]["after"], chosen)
        self.closed_in(overlay, 5)
        ini = overlay.read_ini()
        self.assertEqual([int(ini["Window"][k]) for k in ("Left", "Top", "Right", "Bottom")], chosen)

    def test_a_topmost_full_screen_window_of_another_program_is_overlaid_again_without_losing_the_focus(self):
        overlay = self.overlay({"Network": network_section(self.simulator().url, self.ntp().port)})
        overlay.start()
        overlay.window()
        _, lines = overlay.probe("cover", overlay.hwnd, 4000)
        self.assertTrue(lines[0]["covered_at_first"], lines)
        self.assertIn(lines[0]["above_after_ms"], range(0, 2001), lines)
        self.assertTrue(lines[0]["foreground_kept"], lines)
        self.closed_in(overlay, 5)


class RunningAndClosing(OverlayTestCase):
    def test_two_copies_run_side_by_side(self):
        simulator = self.simulator()
        ntp = self.ntp()
        first = self.overlay({"Window": {"Left": 0, "Top": 0, "Right": 450, "Bottom": 700},
                              "Network": network_section(simulator.url, ntp.port)})
        second = self.overlay({"Window": {"Left": 500, "Top": 0, "Right": 950, "Bottom": 700},
                               "Network": network_section(simulator.url, ntp.port)})
        first.start()
        self.assertEqual(first.window()["rect"], [0, 0, 450, 700])
        second.start()
        self.assertEqual(second.window()["rect"], [500, 0, 950, 700])
        # The first copy holds the three hotkeys: the second says so for each, and runs on.
        for _ in range(3):
            self.assertTrue(second.answer("Warning", harness.IDOK, 10), "a hotkey warning of the second copy")
        self.assertNotEqual(first.hwnd, second.hwnd)
        # Each copy loads the boss list once, then both poll.
        self.assertTrue(wait_for(lambda: len(simulator.requests_to(BOSSES)) >= 2, 20),
                        "both copies should load the boss list")
        self.assertTrue(wait_for(lambda: len(simulator.requests_to(ALL_STATUS)) >= 6, 20))
        self.closed_in(first, 5)
        self.assertTrue(second.running(), "closing one copy leaves the other")
        self.closed_in(second, 5)

    def test_closing_while_the_server_is_unreachable_ends_quickly(self):
        overlay = self.overlay({"Network": network_section(f"http://127.0.0.1:{harness.free_port()}",
                                                           self.ntp().port)})
        overlay.start()
        overlay.window()
        time.sleep(2.5)  # the loader is retrying by now
        elapsed = self.closed_in(overlay, 6)
        print(f"\n  unreachable server: ended {elapsed:.2f} s after Yes", end=" ")

    def test_closing_while_the_server_never_answers_ends_within_the_bounded_wait(self):
        simulator = self.simulator()
        simulator.fault("*", "hang")
        overlay = self.overlay({"Network": network_section(simulator.url, self.ntp().port)})
        overlay.start()
        overlay.window()
        self.assertTrue(wait_for(lambda: simulator.requests_to(BOSSES), 20), "the loader's request never came")
        time.sleep(1)
        elapsed = self.closed_in(overlay, 7)
        self.assertNotIn("page fault", overlay.output().lower())
        print(f"\n  never-answering server: ended {elapsed:.2f} s after Yes", end=" ")


class Proxy(OverlayTestCase):
    def test_every_session_of_the_exe_follows_the_users_proxy_settings(self):
        # Wine's WinHTTP trace prints each WinHttpOpen's arguments: agent, access type, proxy,
        # bypass, flags. 4 is WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY.
        simulator = self.simulator()
        overlay = self.overlay({"Network": network_section(simulator.url, self.ntp().port)})
        overlay.start(winedebug="trace+winhttp")
        overlay.window()
        self.assertTrue(wait_for(lambda: len(simulator.requests_to(ALL_STATUS)) >= 2, 20), "no polls came")
        self.closed_in(overlay, 5)
        opens = re.findall(r'trace:winhttp:WinHttpOpen (L"[^"]*"), (\d+), (.*)', overlay.output())
        agents = {agent for agent, _, _ in opens}
        self.assertEqual(agents, {'L"Vantor/1.0"', 'L"Vantor/1.1"'}, "the fetch and the probe sessions")
        self.assertEqual({(access, rest.strip()) for _, access, rest in opens}, {("4", "(null), (null), 0")})


class RunCommand(unittest.TestCase):
    def test_the_run_command_leaves_a_screenshot(self):
        folder = tempfile.mkdtemp(prefix="mb-bb-run-")
        self.addCleanup(shutil.rmtree, folder, True)
        shot = os.path.join(folder, "overlay.png")
        env = dict(os.environ)
        env.pop("DISPLAY", None)  # the headless path: its own Xvfb, screenshot, close
        env["MARROWBELL_SCREENSHOT"] = shot
        done = subprocess.run([os.path.join(harness.ROOT, "scripts", "run")], env=env, capture_output=True,
                              text=True, timeout=600)
        self.assertEqual(done.returncode, 0, done.stderr[-3000:])
        self.assertEqual(done.stdout.strip().splitlines()[-1], shot)
        with open(shot, "rb") as handle:
            self.assertEqual(handle.read(8), b"\x89PNG\r\n\x1a\n")
        self.assertGreater(os.path.getsize(shot), 1000)

        # The controls as the screenshot caught them: rows in the list, a connected status line.
        with open(os.path.splitext(shot)[0] + "-windows.json", encoding="utf-8") as handle:
            controls = [json.loads(line) for line in handle if line.startswith("{")]
        by_class = {}
        for control in controls:
            by_class.setdefault(control["class"], []).append(control)
        rows = by_class["VantorProgressList"][0]
        self.assertRegex(rows["text"].split("\n")[0], r"^Ch\. +\d+ \| +\d+%")
        status = next(c for c in by_class["VantorCustomLabel"] if c["id"] == 1005)
        self.assertRegex(status["text"], r"^\u25cf Connected \| \u2193 \d+ K?B/req \u2191 \d+ K?B/req\.{1,3} "
                                         r"\| NTP: \d\d:\d\d:\d\d UTC$")
        cache = next(c for c in by_class["VantorCustomLabel"] if c["id"] == 1013)
        self.assertTrue(cache["text"].startswith("Cache: "), cache["text"])
        left, top, right, bottom = rows["rect"]
        colours = subprocess.run(["convert", shot, "-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage",
                                  "-format", "%k", "info:"], capture_output=True, text=True, timeout=60)
        self.assertGreater(int(colours.stdout.strip() or 0), 12, "the list area shows rows, bars and text")


if __name__ == "__main__":
    unittest.main()
