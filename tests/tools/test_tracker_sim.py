"""The tracker simulator as its users see it: endpoints, encodings, HTTPS, log and lifecycle.

One deterministic simulator (HTTP and HTTPS with a CA made for the run) serves most cases;
the reproducibility and signal cases start their own.
"""
import calendar
import gzip
import json
import os
import pathlib
import re
import shutil
import signal
import ssl
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.error
import urllib.request

from simclient import SIMULATOR, Simulator, make_ca, start_module_simulator, stop_module_simulator

NOW = 1764590400  # 2025-12-01 12:00:00 UTC
SEED = 7
BOSSES = "/api/collections/mobs/records"
ALL_STATUS = "/api/all_status"
CHANNELS = "/api/collections/mob_channel_status/records"
STATUS = "/api/status"
SIM = None


def setUpModule():
    global SIM
    SIM = start_module_simulator(SEED, NOW)


def tearDownModule():
    stop_module_simulator(SIM)


def channel_query(boss_id, per_page=500):
    return f"{CHANNELS}?filter=(mob='{boss_id}')&perPage={per_page}&sort=-last_update"


def server_time(text):
    """Unix seconds of the server's date-time text: six leading numbers, the rest ignored."""
    match = re.match(r"(\d+)-(\d+)-(\d+).(\d+):(\d+):(\d+)", text)
    return calendar.timegm(tuple(int(part) for part in match.groups())) if match else 0


def freshness(report, now=NOW):
    """'zero', 'fresh' or 'stale' by the overlay's rule (300/180/120 s by health)."""
    hp = report["last_hp"]
    if hp == 0:
        return "zero"
    window = 300 if hp == 100 else 120 if hp < 80 else 180
    return "fresh" if server_time(report["last_update"]) >= now - window else "stale"


class SimTestCase(unittest.TestCase):
    def setUp(self):
        status, answer = SIM.control("/_sim/reset")
        self.assertEqual((status, answer), (200, {"ok": True}))

    def boss_ids(self):
        return [boss["id"] for boss in SIM.get_json(BOSSES)["items"]]


class BossListTest(SimTestCase):
    def test_dozen_bosses_in_many_scripts_with_the_fields_the_overlay_reads(self):
        items = SIM.get_json(BOSSES)["items"]
        self.assertEqual(len(items), 12)
        self.assertEqual(len({item["id"] for item in items}), 12)
        for item in items:
            self.assertRegex(item["id"], r"^[a-z0-9]{15}$")
            self.assertTrue(item["name"])
            self.assertIsInstance(item["uid"], int)
        names = [item["name"] for item in items]
        self.assertTrue(any(name.isascii() for name in names))
        self.assertTrue(any(re.search("[À-ž]", name) for name in names), "accented Latin")
        self.assertTrue(any(re.search("[\u3040-\u30ff\u4e00-\u9fff\uac00-\ud7af]", name) for name in names))
        respawns = {item["respawn_time"] for item in items}
        self.assertTrue({0, 30} < respawns, respawns)
        self.assertEqual([item["type"] for item in items].count("magical_creature"), 1)

    def test_unknown_path_is_a_json_404(self):
        status, headers, body = SIM.get("/api/nothing_here")
        self.assertEqual(status, 404)
        self.assertEqual(json.loads(body)["code"], 404)
        self.assertEqual(headers["content-type"], "application/json")


class PagingAndWorldTest(SimTestCase):
    def world(self, **given):
        status, _, body = SIM.request("POST", "/_sim/world", {"Content-Type": "application/json"},
                                      json.dumps(given).encode())
        return status, json.loads(body)

    def test_more_bosses_keep_the_first_twelve_and_page_like_the_server(self):
        first = SIM.get(BOSSES)[2]
        twelve = json.loads(first)
        self.assertEqual({k: twelve[k] for k in ("page", "perPage", "totalItems", "totalPages")},
                         {"page": 1, "perPage": 30, "totalItems": 12, "totalPages": 1})
        self.assertEqual(self.world(bosses=45, max_per_page=30), (200, {"ok": True}))
        self.assertEqual(SIM.get_json("/_sim/world"), {"bosses": 45, "max_per_page": 30, "seed": SEED})
        pages = [SIM.get_json(f"{BOSSES}?perPage=500&page={page}") for page in (1, 2, 3)]
        self.assertEqual([(p["page"], p["perPage"], p["totalItems"], p["totalPages"], len(p["items"]))
                          for p in pages], [(1, 30, 45, 2, 30), (2, 30, 45, 2, 15), (3, 30, 45, 2, 0)])
        items = pages[0]["items"] + pages[1]["items"]
        self.assertEqual(items[:12], twelve["items"], "the first twelve stay as they were")
        self.assertEqual(len({item["id"] for item in items}), 45)
        self.assertEqual(len({item["uid"] for item in items}), 45)
        self.assertEqual(sorted(SIM.get_json(ALL_STATUS)["channel_status"]), sorted(i["id"] for i in items))
        self.assertTrue(SIM.get_json(channel_query(items[40]["id"]))["items"])
        self.assertEqual(len(SIM.get_json(f"{BOSSES}?perPage=7&page=7")["items"]), 3)
        self.assertEqual(self.world(bosses=500, max_per_page=500), (200, {"ok": True}))
        self.assertEqual(len(SIM.get_json(f"{BOSSES}?perPage=500")["items"]), 500)
        self.assertEqual(SIM.control("/_sim/reset"), (200, {"ok": True}))
        self.assertEqual(SIM.get(BOSSES)[2], first, "a reset brings back the start-up world")

    def test_bad_world_descriptions_are_refused(self):
        for given in ({"bosses": 0}, {"bosses": 10001}, {"max_per_page": 501}, {"bosses": "45"},
                      {"max_per_page": True}, {"boss": 45}):
            status, answer = self.world(**given)
            self.assertEqual((status, answer["ok"]), (400, False), given)
        self.assertEqual(SIM.get_json("/_sim/world")["bosses"], 12)


class AllStatusTest(SimTestCase):
    def test_every_boss_has_20_to_40_channels_with_fresh_stale_and_dead_ones(self):
        status = SIM.get_json(ALL_STATUS)["channel_status"]
        self.assertEqual(sorted(status), sorted(self.boss_ids()))
        kinds = []
        for reports in status.values():
            self.assertTrue(20 <= len(reports) <= 40, len(reports))
            numbers = [report["channel_number"] for report in reports]
            self.assertEqual(numbers, list(range(1, len(reports) + 1)))
            for report in reports:
                self.assertTrue(0 <= report["last_hp"] <= 100)
                self.assertLessEqual(server_time(report["last_update"]), NOW)
                kinds.append(freshness(report))
        for kind in ("fresh", "stale", "zero"):
            self.assertGreater(kinds.count(kind), 5, kind)

    def test_rates_give_the_estimate_and_time_texts_come_in_the_servers_forms(self):
        reports = [r for rs in SIM.get_json(ALL_STATUS)["channel_status"].values() for r in rs]
        falling = [r for r in reports if r["dps"] > 0]
        self.assertTrue(falling)
        for report in falling:
            self.assertAlmostEqual(report["etd"], report["last_hp"] / report["dps"], delta=0.1)
            death = server_time(report["death_time_estimate"])
            self.assertAlmostEqual(death, server_time(report["last_update"]) + report["etd"], delta=2)
        self.assertTrue(all(r["etd"] == -1.0 for r in reports if r["dps"] == 0))
        forms = {re.sub(r"\d", "9", r["last_update"]) for r in reports}
        self.assertIn("9999-99-99 99:99:99.999Z", forms)
        self.assertIn("9999-99-99T99:99:99Z", forms)


class ChannelStatusTest(SimTestCase):
    def test_only_the_named_boss_newest_first_with_duplicates_for_some_channels(self):
        duplicated = 0
        for boss_id in self.boss_ids():
            items = SIM.get_json(channel_query(boss_id))["items"]
            self.assertTrue({item["mob"] for item in items} == {boss_id})
            times = [server_time(item["last_update"]) for item in items]
            self.assertEqual(times, sorted(times, reverse=True))
            numbers = [item["channel_number"] for item in items]
            duplicated += len(numbers) - len(set(numbers))
        self.assertGreater(duplicated, 12)

    def test_newest_per_channel_matches_all_status(self):
        boss_id = self.boss_ids()[3]
        newest = {}
        for item in SIM.get_json(channel_query(boss_id))["items"]:
            newest.setdefault(item["channel_number"], item)
        latest = SIM.get_json(ALL_STATUS)["channel_status"][boss_id]
        self.assertEqual(len(newest), len(latest))
        for report in latest:
            self.assertEqual(newest[report["channel_number"]]["last_update"], report["last_update"])
            self.assertEqual(newest[report["channel_number"]]["last_hp"], report["last_hp"])

    def test_per_page_limits_the_answer_to_the_newest_records(self):
        boss_id = self.boss_ids()[0]
        every = SIM.get_json(channel_query(boss_id))
        first = SIM.get_json(channel_query(boss_id, per_page=7))
        self.assertEqual(first["items"], every["items"][:7])
        self.assertEqual((first["perPage"], first["totalItems"]), (7, every["totalItems"]))

    def test_percent_encoded_filters_name_the_same_boss(self):
        boss_id = self.boss_ids()[5]
        plain = SIM.get(channel_query(boss_id))[2]
        encoded_id = "".join(f"%{ord(c):02X}" for c in boss_id)
        variants = [
            f"{CHANNELS}?filter=(mob='{encoded_id}')&perPage=500&sort=-last_update",
            f"{CHANNELS}?filter=%28mob%3D%27{boss_id}%27%29&perPage=500&sort=-last_update",
        ]
        for target in variants:
            self.assertEqual(SIM.get(target)[2], plain, target)

    def test_unknown_or_odd_ids_give_empty_items(self):
        for target in (channel_query("nosuchboss00000"), channel_query("a'b"), channel_query("a%20b")):
            answer = SIM.get_json(target)
            self.assertEqual(answer["items"], [], target)
        status, _, _ = SIM.get(f"{CHANNELS}?filter=(name='x')")
        self.assertEqual(status, 400)


class StatusTest(SimTestCase):
    def test_cache_age_is_a_number_in_range(self):
        statistics = SIM.get_json(STATUS)["statistics"]
        self.assertIsInstance(statistics["cache_age"], float)
        self.assertTrue(0 <= statistics["cache_age"] <= 86400)


class TransportTest(SimTestCase):
    def test_gzip_only_when_asked(self):
        plain = SIM.get(ALL_STATUS)
        self.assertNotIn("content-encoding", plain[1])
        for asked in ("gzip", "deflate, gzip;q=0.8", "br,GZIP"):
            status, headers, body = SIM.get(ALL_STATUS, {"Accept-Encoding": asked})
            self.assertEqual(headers.get("content-encoding"), "gzip", asked)
            self.assertEqual(gzip.decompress(body), plain[2])
            self.assertEqual(int(headers["content-length"]), len(body))
        self.assertNotIn("content-encoding", SIM.get(ALL_STATUS, {"Accept-Encoding": "gzip;q=0"})[1])

    def test_https_with_the_test_ca_and_keep_alive(self):
        connection = SIM.connection(https=True, host="localhost")
        try:
            first = SIM.get(STATUS, {"Connection": "Keep-Alive"}, connection=connection)
            sock = connection.sock
            second = SIM.get(BOSSES, {"Connection": "Keep-Alive"}, connection=connection)
            self.assertIs(connection.sock, sock, "the connection was kept")
        finally:
            connection.close()
        self.assertEqual((first[0], second[0]), (200, 200))
        self.assertEqual(second[2], SIM.get(BOSSES)[2])
        with self.assertRaises(urllib.error.URLError) as caught:
            urllib.request.urlopen(f"https://localhost:{SIM.ports['https']}{STATUS}",
                                   context=ssl.create_default_context(), timeout=5)
        self.assertIsInstance(caught.exception.reason, ssl.SSLCertVerificationError)

    def test_request_log_records_data_calls_but_not_control_calls(self):
        target = f"{CHANNELS}?filter=(mob='%61b')&perPage=500&sort=-last_update"
        before = time.time()
        SIM.get(target, {"User-Agent": "Vantor/1.0", "Accept-Encoding": "gzip"})
        SIM.get(STATUS, {"User-Agent": "Vantor/1.1"}, https=True)
        log = SIM.get_json("/_sim/log")
        self.assertEqual([(e["method"], e["path"], e["user_agent"], e["accept_encoding"]) for e in log], [
            ("GET", target, "Vantor/1.0", "gzip"), ("GET", STATUS, "Vantor/1.1", "")])
        for entry in log:
            self.assertTrue(before <= entry["time"] <= time.time() + 1)
        self.assertEqual(SIM.control("/_sim/log/clear"), (200, {"ok": True}))
        self.assertEqual(SIM.get_json("/_sim/log"), [])

    def test_raw_keep_alive_requests_are_framed_by_content_length(self):
        request = (b"GET /api/status HTTP/1.1\r\nHost: localhost\r\nConnection: Keep-Alive\r\n"
                   b"User-Agent: Vantor/1.1\r\n\r\n")
        closing = request.replace(b"Keep-Alive", b"close")
        data = SIM.raw_exchange(request + closing)
        answers = data.split(b"HTTP/1.1 200 OK\r\n")[1:]
        self.assertEqual(len(answers), 2)
        for answer in answers:
            head, _, body = answer.partition(b"\r\n\r\n")
            length = int(re.search(rb"Content-Length: (\d+)", head).group(1))
            self.assertEqual(len(body), length)
            json.loads(body)


class ProcessTest(unittest.TestCase):
    """Runs of their own: reproducibility, the live clock, start-up and shut-down."""

    def answers(self, simulator):
        targets = [BOSSES, ALL_STATUS, STATUS, channel_query(SIM.get_json(BOSSES)["items"][2]["id"])]
        return [simulator.get(target, {"Accept-Encoding": encoding})
                for target in targets for encoding in ("gzip", "identity")]

    def test_a_deterministic_world_answers_byte_for_byte_alike_across_runs(self):
        other = Simulator("--mode", "deterministic", "--seed", str(SEED), "--now", str(NOW))
        later = Simulator("--mode", "deterministic", "--seed", str(SEED), "--now", str(NOW + 60))
        try:
            self.assertEqual(self.answers(other), self.answers(SIM))
            self.assertNotEqual(later.get(ALL_STATUS)[2], SIM.get(ALL_STATUS)[2])
            self.assertIsNone(other.ports["https"])
        finally:
            self.assertEqual((other.stop(), later.stop()), (0, 0))

    def test_live_mode_runs_the_clock_from_now(self):
        live = Simulator("--mode", "live", "--seed", str(SEED), "--now", str(NOW))
        try:
            first = server_time(live.get_json(STATUS)["time"])
            time.sleep(1.1)
            second = server_time(live.get_json(STATUS)["time"])
        finally:
            live.stop()
        self.assertTrue(NOW <= first < NOW + 5, first)
        self.assertGreaterEqual(second - first, 1)

    def test_signals_stop_it_cleanly_even_with_a_hanging_request(self):
        for signum in (signal.SIGTERM, signal.SIGINT):
            simulator = Simulator("--mode", "deterministic")
            simulator.fault(endpoint=STATUS, kind="hang")
            connection = simulator.connection(timeout=10)
            connection.request("GET", STATUS)
            time.sleep(0.1)
            started = time.monotonic()
            self.assertEqual(simulator.stop(signum), 0)
            self.assertLess(time.monotonic() - started, 3)
            connection.close()

    def test_boss_count_and_page_cap_from_the_command_line(self):
        large = Simulator("--bosses", "500", "--max-per-page", "100")
        try:
            answer = large.get_json(f"{BOSSES}?perPage=500")
            self.assertEqual((len(answer["items"]), answer["totalItems"], answer["totalPages"]), (100, 500, 5))
        finally:
            self.assertEqual(large.stop(), 0)
        for wrong in (["--bosses", "0"], ["--max-per-page", "501"]):
            process = subprocess.run([sys.executable, SIMULATOR, *wrong], capture_output=True, text=True, timeout=10)
            self.assertEqual(process.returncode, 2, wrong)

    def test_a_busy_port_is_a_clear_start_failure(self):
        port = str(SIM.ports["http"])
        process = subprocess.run([sys.executable, SIMULATOR, "--http-port", port],
                                 capture_output=True, text=True, timeout=10)
        self.assertEqual(process.returncode, 2)
        self.assertIn("cannot listen", process.stderr)


class TestCaScriptTest(unittest.TestCase):
    def test_makes_a_localhost_certificate_once_and_remakes_a_damaged_set(self):
        def contents():
            return {name: pathlib.Path(SIM.ca_dir, name).read_bytes()
                    for name in ("ca.crt", "ca.key", "server.crt", "server.key")}
        before = contents()
        self.assertEqual(make_ca(SIM.ca_dir).returncode, 0)
        self.assertEqual(contents(), before)
        text = subprocess.run(["openssl", "x509", "-in", os.path.join(SIM.ca_dir, "server.crt"), "-noout",
                               "-ext", "subjectAltName", "-enddate"], capture_output=True, text=True).stdout
        self.assertIn("DNS:localhost, DNS:127.0.0.1, IP Address:127.0.0.1", text)
        years = (ssl.cert_time_to_seconds(text.split("notAfter=")[1].strip()) - time.time()) / 31557600
        self.assertGreater(years, 9)
        damaged = tempfile.mkdtemp(prefix="sim-ca-")
        try:
            shutil.copytree(SIM.ca_dir, damaged, dirs_exist_ok=True)
            os.remove(os.path.join(damaged, "server.key"))
            self.assertEqual(make_ca(damaged).returncode, 0)
            check = subprocess.run(["openssl", "verify", "-CAfile", os.path.join(damaged, "ca.crt"),
                                    os.path.join(damaged, "server.crt")], capture_output=True)
            self.assertEqual(check.returncode, 0)
            self.assertNotEqual(contents()["server.crt"], pathlib.Path(damaged, "server.crt").read_bytes())
        finally:
            shutil.rmtree(damaged, ignore_errors=True)


if __name__ == "__main__":
    unittest.main()
