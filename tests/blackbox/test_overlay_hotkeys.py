"""The built overlay's three default hotkeys, pressed as real key events on the X display:
click-through on and off, hide and show, the boss popup open and closed.

Needs DISPLAY (scripts/test provides an Xvfb), xdotool and the windows-release build.
"""
import os
import shutil
import subprocess
import unittest

import harness
from harness import Overlay, Simulator, network_section, wait_for
from ntp_responder import NtpResponder

WS_EX_TRANSPARENT, WS_CAPTION = 0x20, 0xC00000


def setUpModule():
    if not os.environ.get("DISPLAY") or not shutil.which("xdotool"):
        raise unittest.SkipTest("needs DISPLAY and xdotool (run through scripts/test)")
    harness.build_probe()


def xdotool(*args):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True, timeout=20)


class DefaultHotkeys(unittest.TestCase):
    def setUp(self):
        self.simulator = Simulator("live")
        self.addCleanup(self.simulator.stop)
        self.ntp = NtpResponder().start()
        self.addCleanup(self.ntp.stop)
        self.overlay = Overlay({"Network": network_section(self.simulator.url, self.ntp.port)})
        self.addCleanup(self.overlay.stop)
        self.overlay.start()
        self.overlay.window()

    def mine(self):
        _, windows = harness.probe("list")
        return next(w for w in windows if w["hwnd"] == self.overlay.hwnd)

    def press(self, keys, refocus=True):
        """The keys with X focus on a window of this Wine server, which is all that global
        hotkeys need; while the overlay is hidden the shell's tray window takes it."""
        for name in ("Marrowbell v1.5.1", "Wine System Tray") if refocus else ():
            found = xdotool("search", "--onlyvisible", "--name", f"^{name}$").stdout.split()
            if found:
                xdotool("windowfocus", "--sync", found[0])
                break
        self.assertEqual(xdotool("key", keys).returncode, 0)

    def test_each_default_hotkey_runs_its_action(self):
        self.assertTrue(wait_for(lambda: len(self.simulator.requests_to("/api/all_status")) >= 2, 30),
                        "the initial load did not finish")

        self.press("ctrl+shift+b")
        self.assertTrue(wait_for(lambda: self.mine()["exstyle"] & WS_EX_TRANSPARENT, 5), "click-through on")
        self.assertEqual(self.mine()["style"] & WS_CAPTION, 0)
        self.press("ctrl+shift+b")
        self.assertTrue(wait_for(lambda: not self.mine()["exstyle"] & WS_EX_TRANSPARENT, 5), "click-through off")
        self.assertEqual(self.mine()["style"] & WS_CAPTION, WS_CAPTION)

        self.press("ctrl+b")
        self.assertTrue(wait_for(lambda: not self.mine()["visible"], 5), "hidden")
        self.press("ctrl+b")
        self.assertTrue(wait_for(lambda: self.mine()["visible"], 5), "shown again")

        def popups():
            return [p for p in harness.probe("popups", self.overlay.hwnd)[1] if p["visible"]]
        self.press("ctrl+a")
        self.assertTrue(wait_for(popups, 5), "the boss popup opened")
        self.press("ctrl+a", refocus=False)  # the open popup has the focus; moving it would close it
        self.assertTrue(wait_for(lambda: not popups(), 5), "the boss popup closed")

        self.overlay.close(harness.IDYES)
        self.assertEqual(self.overlay.wait(15), 0)


if __name__ == "__main__":
    unittest.main()
