"""The simulator's armed faults, each checked the way a client would meet it."""
import base64
import gzip
import http.client
import json
import math
import socket
import struct
import threading
import time
import unittest
import zlib

from simclient import start_module_simulator, stop_module_simulator

ALL_STATUS = "/api/all_status"
STATUS = "/api/status"
BOSSES = "/api/collections/mobs/records"
CHANNELS = "/api/collections/mob_channel_status/records"
MIB = 1 << 20
SIM = None


def setUpModule():
    global SIM
    SIM = start_module_simulator(3, 1764590400)


def tearDownModule():
    stop_module_simulator(SIM)


def raw_inflate(data):
    """Inflates a raw deflate stream, ignoring whatever follows its end."""
    return zlib.decompressobj(-15).decompress(data)


def gzip_header_end(frame):
    """Offset of the deflate data in a gzip member, walking the optional fields."""
    flags, offset = frame[3], 10
    if flags & 0x04:
        offset += 2 + struct.unpack_from("<H", frame, offset)[0]
    for bit in (0x08, 0x10):
        if flags & bit:
            offset = frame.index(b"\x00", offset) + 1
    if flags & 0x02:
        offset += 2
    return offset


class FaultTestCase(unittest.TestCase):
    def setUp(self):
        SIM.control("/_sim/reset")
        self.normal = SIM.get(ALL_STATUS)[2]


class ErrorAnswersTest(FaultTestCase):
    def test_status_code_with_and_without_body(self):
        SIM.fault(endpoint=STATUS, kind="status", code=503, body="down for maintenance")
        status, headers, body = SIM.get(STATUS)
        self.assertEqual((status, body), (503, b"down for maintenance"))
        SIM.fault(endpoint=STATUS, kind="status", code=404)
        status, _, body = SIM.get(STATUS)
        self.assertEqual((status, json.loads(body)["code"]), (404, 404))

    def test_delay_then_the_normal_answer(self):
        SIM.fault(endpoint=ALL_STATUS, kind="delay", ms=300)
        started = time.monotonic()
        status, _, body = SIM.get(ALL_STATUS)
        self.assertGreaterEqual(time.monotonic() - started, 0.3)
        self.assertEqual((status, body), (200, self.normal))

    def test_hang_holds_only_its_own_connection(self):
        SIM.fault(endpoint=STATUS, kind="hang")
        for https in (False, True):
            with self.assertRaises(socket.timeout):
                SIM.get(STATUS, timeout=0.5, https=https)
        results = []
        hanging = threading.Thread(target=lambda: self._hang_quietly(results))
        hanging.start()
        self.assertEqual(SIM.get(BOSSES, timeout=2)[0], 200)
        hanging.join()
        self.assertEqual(results, ["timeout"])

    @staticmethod
    def _hang_quietly(results):
        try:
            SIM.get(STATUS, timeout=1.0)
            results.append("answered")
        except socket.timeout:
            results.append("timeout")

    def test_reset_aborts_the_connection_on_both_listeners(self):
        SIM.fault(endpoint="*", kind="reset")
        for https in (False, True):
            with self.assertRaises((ConnectionResetError, http.client.RemoteDisconnected)) as caught:
                SIM.get(STATUS, https=https)
            if not https:
                self.assertIsInstance(caught.exception, ConnectionResetError)

    def test_reset_mid_body_sends_the_headers_and_half_the_body_first(self):
        SIM.fault(endpoint=ALL_STATUS, kind="reset_mid_body")
        for accept, expected in (({"Accept-Encoding": "gzip"}, None), ({}, self.normal)):
            raw = SIM.raw_exchange(b"GET /api/all_status HTTP/1.1\r\nHost: x\r\n" +
                                   b"".join(b"%s: %s\r\n" % (k.encode(), v.encode()) for k, v in accept.items()) +
                                   b"\r\n", reset_ok=True)
            head, _, body = raw.partition(b"\r\n\r\n")
            length = int(next(line.split(b":")[1] for line in head.split(b"\r\n")
                              if line.lower().startswith(b"content-length")))
            self.assertTrue(head.startswith(b"HTTP/1.1 200"), head)
            self.assertEqual(len(body), length // 2)
            if expected is None:
                self.assertIn(b"content-encoding: gzip", head.lower())
                self.assertEqual(body[:3], b"\x1f\x8b\x08")
            else:
                self.assertEqual(body, expected[:length // 2])

    def test_refuse_closes_both_listeners_for_a_while_then_opens_them_again(self):
        kept_alive = SIM.connection()
        self.addCleanup(kept_alive.close)
        self.assertEqual(SIM.get(STATUS, connection=kept_alive)[0], 200)
        self.assertEqual(SIM.control("/_sim/refuse", {"ms": 600}), (200, {"ok": True}))
        time.sleep(0.4)  # the listeners close right after the answer
        with self.assertRaises((http.client.RemoteDisconnected, ConnectionError)):
            SIM.get(STATUS, connection=kept_alive)
        for https in (False, True):
            with self.assertRaises(ConnectionRefusedError):
                SIM.get(STATUS, https=https, timeout=2)
        deadline = time.monotonic() + 5
        while True:
            try:
                self.assertEqual(SIM.get(STATUS)[0], 200)
                self.assertEqual(SIM.get(STATUS, https=True)[0], 200)
                break
            except ConnectionRefusedError:
                self.assertLess(time.monotonic(), deadline, "the listeners never came back")
                time.sleep(0.05)
        for bad in ({}, {"ms": 0}, {"ms": 60001}, {"ms": True}, {"ms": 5, "extra": 1}):
            self.assertEqual(SIM.control("/_sim/refuse", bad)[0], 400, bad)

    def test_malformed_and_wrong_shape_bodies(self):
        SIM.fault(endpoint=ALL_STATUS, kind="malformed")
        status, _, body = SIM.get(ALL_STATUS, {"Accept-Encoding": "gzip"})
        self.assertEqual(status, 200)
        with self.assertRaises(json.JSONDecodeError):
            json.loads(gzip.decompress(body))
        SIM.fault(endpoint=ALL_STATUS, kind="wrong_shape")
        self.assertIsInstance(SIM.get_json(ALL_STATUS)["channel_status"], list)
        self.assertIsInstance(SIM.get_json(BOSSES), dict, "other endpoints answer normally")
        SIM.fault(endpoint=BOSSES, kind="wrong_shape", body='{"items": 5}')
        self.assertEqual(SIM.get_json(BOSSES), {"items": 5})


class GzipFramesTest(FaultTestCase):
    def test_plain_body_behind_a_gzip_header(self):
        SIM.fault(endpoint=ALL_STATUS, kind="gzip_header_plain")
        _, headers, body = SIM.get(ALL_STATUS)
        self.assertEqual((headers["content-encoding"], body), ("gzip", self.normal))

    def test_truncated_gzip_fails_to_inflate(self):
        SIM.fault(endpoint=ALL_STATUS, kind="gzip_truncated")
        _, headers, body = SIM.get(ALL_STATUS, {"Accept-Encoding": "gzip"})
        self.assertEqual(body[:3], b"\x1f\x8b\x08")
        with self.assertRaises(EOFError):
            gzip.decompress(body)
        self.assertTrue(self.normal.startswith(raw_inflate(body[10:])))

    def test_every_optional_header_field_with_its_header_crc(self):
        SIM.fault(endpoint=ALL_STATUS, kind="gzip_flags", flags=["FEXTRA", "FNAME", "FCOMMENT", "FHCRC"])
        body = SIM.get(ALL_STATUS)[2]
        self.assertEqual(body[3], 0x1E)
        end = gzip_header_end(body)
        self.assertEqual(struct.unpack_from("<H", body, end - 2)[0], zlib.crc32(body[:end - 2]) & 0xFFFF)
        self.assertEqual(gzip.decompress(body), self.normal)
        SIM.fault(endpoint=ALL_STATUS, kind="gzip_flags", flags=["RESERVED5", "RESERVED6", "RESERVED7"])
        body = SIM.get(ALL_STATUS)[2]
        self.assertEqual(body[3], 0xE0)
        self.assertEqual(raw_inflate(body[10:]), self.normal, "only the flag byte is odd")

    def test_wrong_crc_or_size_still_holds_sound_deflate_data(self):
        for options in ({"bad_crc": True}, {"isize_delta": -1}, {"isize_delta": 5}):
            SIM.fault(endpoint=ALL_STATUS, kind="gzip_flags", flags=["FNAME"], **options)
            body = SIM.get(ALL_STATUS)[2]
            with self.assertRaises(gzip.BadGzipFile):
                gzip.decompress(body)
            self.assertEqual(raw_inflate(body[gzip_header_end(body):]), self.normal)
            crc, size = struct.unpack("<II", body[-8:])
            self.assertEqual(size, len(self.normal) + options.get("isize_delta", 0))
            self.assertEqual(crc == zlib.crc32(self.normal), not options.get("bad_crc"))

    def test_unterminated_file_name_has_no_zero_byte_after_the_header(self):
        SIM.fault(endpoint=ALL_STATUS, kind="gzip_flags", fname_unterminated=True)
        body = SIM.get(ALL_STATUS)[2]
        self.assertTrue(body[3] & 0x08)
        self.assertNotIn(b"\x00", body[10:])
        with self.assertRaises(EOFError):
            gzip.decompress(body)

    def test_raw_answer_is_sent_exactly(self):
        packed = gzip.compress(b'{"items":[]}')
        SIM.fault(endpoint=BOSSES, kind="raw", code=200, headers={"Content-Encoding": "x-gzip"},
                  body_b64=base64.b64encode(packed).decode())
        status, headers, body = SIM.get(BOSSES)
        self.assertEqual((status, headers["content-encoding"], body), (200, "x-gzip", packed))

    def test_content_encoding_values_and_body_kinds(self):
        cases = {("GZIP", "gzip"): gzip.decompress, ("gzip, br", "gzip"): gzip.decompress,
                 ("x-gzip", "gzip"): gzip.decompress, ("deflate", "deflate"): zlib.decompress,
                 ("gzip", "plain"): bytes}
        for (value, kind), unpack in cases.items():
            SIM.fault(endpoint=ALL_STATUS, kind="content_encoding", value=value, body_kind=kind)
            _, headers, body = SIM.get(ALL_STATUS)
            self.assertEqual(headers["content-encoding"], value)
            self.assertEqual(unpack(body), self.normal, value)


class BodySizeTest(FaultTestCase):
    def test_exact_sizes_around_the_client_limits(self):
        for size, fill, path in ((1048576, "json", STATUS), (1048577, "json", STATUS),
                                 (10485760, "x", ALL_STATUS), (10485761, "json", ALL_STATUS)):
            SIM.fault(endpoint=path, kind="size", bytes=size, fill=fill)
            status, headers, body = SIM.get(path, {"Accept-Encoding": "gzip"})
            self.assertEqual((status, len(body), int(headers["content-length"])), (200, size, size))
            self.assertNotIn("content-encoding", headers)
            if fill == "x":
                self.assertEqual(body.count(b"x"), size)
            else:
                self.assertEqual(json.loads(body), json.loads(SIM.get(path)[2]))
                with self.assertRaises(json.JSONDecodeError):
                    json.loads(body[:-1000])

    def test_json_fill_smaller_than_the_document_is_refused(self):
        SIM.fault(endpoint=ALL_STATUS, kind="size", bytes=10)
        self.assertEqual(SIM.get(ALL_STATUS)[0], 500)

    def test_chunked_framing_with_and_without_gzip(self):
        SIM.fault(endpoint=ALL_STATUS, kind="chunked", chunk=1000)
        for asked, unpack in (("", bytes), ("Accept-Encoding: gzip\r\n", gzip.decompress)):
            request = f"GET {ALL_STATUS} HTTP/1.1\r\nHost: x\r\n{asked}Connection: close\r\n\r\n"
            data = SIM.raw_exchange(request.encode())
            head, _, framed = data.partition(b"\r\n\r\n")
            self.assertIn(b"Transfer-Encoding: chunked", head)
            self.assertNotIn(b"Content-Length", head)
            sizes, body = [], b""
            while True:
                line, _, framed = framed.partition(b"\r\n")
                sizes.append(int(line, 16))
                body, framed = body + framed[:sizes[-1]], framed[sizes[-1] + 2:]
                if sizes[-1] == 0:
                    break
            self.assertTrue(all(size == 1000 for size in sizes[:-2]) and 0 < sizes[-2] <= 1000)
            self.assertEqual(unpack(body), self.normal)


class HostileBodiesTest(FaultTestCase):
    def test_gzip_bomb_is_small_inflates_far_past_64_mib_and_is_still_the_document(self):
        SIM.fault(endpoint=ALL_STATUS, kind="gzip_bomb")
        _, headers, body = SIM.get(ALL_STATUS)
        self.assertEqual(headers["content-encoding"], "gzip", "sent whether asked or not")
        self.assertLess(len(body), 1.2 * MIB)
        self.assertEqual(struct.unpack("<I", body[-4:])[0], (len(self.normal) + 1024 * MIB) & 0xFFFFFFFF)
        inflater = zlib.decompressobj(-15)
        head = inflater.decompress(body[10:], 65 * MIB)
        self.assertEqual(len(head), 65 * MIB)
        self.assertEqual((head[:1], head[1:].strip(b" ")), (self.normal[:1], b""))
        SIM.fault(endpoint=ALL_STATUS, kind="gzip_bomb", inflated_mib=2)
        self.assertEqual(json.loads(gzip.decompress(SIM.get(ALL_STATUS)[2])), json.loads(self.normal))

    def test_deep_nesting_sits_where_each_endpoint_is_walked(self):
        holders = {BOSSES: (b'{"items":', b"}"), CHANNELS: (b'{"items":', b"}"),
                   ALL_STATUS: (b'{"channel_status":{"x":', b"}}"), STATUS: (b'{"statistics":{"cache_age":', b"}}")}
        SIM.fault(endpoint="*", kind="deep_nesting")
        for path, (head, tail) in holders.items():
            body = gzip.decompress(SIM.get(path, {"Accept-Encoding": "gzip"})[2])
            self.assertEqual(body, head + b"[" * 100000 + b"]" * 100000 + tail, path)
        SIM.fault(endpoint="*", kind="deep_nesting", depth=3)
        self.assertEqual(SIM.get_json(ALL_STATUS), {"channel_status": {"x": [[[]]]}})

    def test_bad_text_in_names_and_all_status_ids(self):
        normal_names = [item["name"] for item in SIM.get_json(BOSSES)["items"]]
        normal_ids = sorted(json.loads(self.normal)["channel_status"])
        SIM.fault(endpoint="*", kind="bad_text", form="invalid_utf8")
        for path in (BOSSES, ALL_STATUS):
            body = SIM.get(path)[2]
            self.assertIn(b"\xc0\x80\xed\xa0\x80\x80\xff\xe2\x82\"", body)
            with self.assertRaises(UnicodeDecodeError):
                body.decode("utf-8")
        SIM.fault(endpoint="*", kind="bad_text", form="raw_control")
        with self.assertRaises(json.JSONDecodeError):
            json.loads(SIM.get(ALL_STATUS)[2])
        SIM.fault(endpoint="*", kind="bad_text", form="escaped_control")
        piece = "\x00\x01\x1f\n\t\x7f\u202e\ufeff"
        self.assertEqual([item["name"] for item in SIM.get_json(BOSSES)["items"]],
                         [name + piece for name in normal_names])
        self.assertEqual(sorted(SIM.get_json(ALL_STATUS)["channel_status"]), [i + piece for i in normal_ids])

    def test_bad_numbers_where_the_client_reads_numbers(self):
        SIM.fault(endpoint="*", kind="bad_numbers", value="-0")
        body = SIM.get(ALL_STATUS)[2]
        for member in (b"channel_number", b"last_hp", b"dps", b"etd"):
            self.assertIn(b'"%s":-0,' % member, body)
        self.assertIn(b'"uid":-0', SIM.get(BOSSES)[2])
        self.assertIn(b'"page":1,', SIM.get(BOSSES)[2], "paging members are left alone")
        for token, check in (("NaN", math.isnan), ("1e400", math.isinf)):
            SIM.fault(endpoint="*", kind="bad_numbers", value=token, members=["cache_age"])
            statistics = SIM.get_json(STATUS)["statistics"]
            self.assertTrue(check(statistics["cache_age"]), token)
            self.assertEqual(statistics["cache_ttl"], 20)
        status, _ = SIM.control("/_sim/fault", {"endpoint": STATUS, "kind": "bad_numbers", "value": "1; drop"})
        self.assertEqual(status, 400)


class FaultTableTest(FaultTestCase):
    def test_a_query_condition_picks_one_page(self):
        SIM.fault(endpoint=BOSSES, kind="status", code=503, query={"page": "2"})
        codes = [SIM.get(BOSSES + query)[0] for query in ("?perPage=500", "?perPage=500&page=2", "?page=3")]
        self.assertEqual(codes, [200, 503, 200])
        self.assertEqual(SIM.get_json("/_sim/faults")[0]["query"], {"page": "2"})
        status, _ = SIM.control("/_sim/fault", {"endpoint": BOSSES, "kind": "reset", "query": {"page": 2}})
        self.assertEqual(status, 400)

    def test_count_limits_a_fault_and_later_posts_replace_earlier_ones(self):
        SIM.fault(endpoint=STATUS, kind="status", code=500, count=5)
        SIM.fault(endpoint=STATUS, kind="status", code=503, count=2)
        codes = [SIM.get(STATUS)[0] for _ in range(3)]
        self.assertEqual(codes, [503, 503, 200])

    def test_first_armed_match_wins_and_none_disarms(self):
        SIM.fault(endpoint="*", kind="status", code=502)
        SIM.fault(endpoint=STATUS, kind="status", code=503)
        self.assertEqual((SIM.get(STATUS)[0], SIM.get(BOSSES)[0]), (502, 502))
        SIM.fault(endpoint="*", kind="none")
        self.assertEqual((SIM.get(STATUS)[0], SIM.get(BOSSES)[0]), (503, 200))
        self.assertEqual(SIM.get_json("/_sim/faults")[0]["endpoint"], STATUS)
        self.assertEqual(SIM.control("/_sim/reset"), (200, {"ok": True}))
        self.assertEqual(SIM.get(STATUS)[0], 200)

    def test_faulted_requests_are_logged_and_control_calls_never_faulted(self):
        SIM.control("/_sim/log/clear")
        SIM.fault(endpoint="*", kind="reset")
        with self.assertRaises(ConnectionResetError):
            SIM.get(STATUS)
        self.assertEqual([entry["path"] for entry in SIM.get_json("/_sim/log")], [STATUS])

    def test_bad_fault_descriptions_are_refused_with_a_reason(self):
        bad = [{"endpoint": STATUS, "kind": "explode"}, {"endpoint": STATUS, "kind": "delay"},
               {"endpoint": "api/status", "kind": "hang"}, {"endpoint": STATUS, "kind": "hang", "ms": 3},
               {"endpoint": STATUS, "kind": "gzip_flags", "flags": ["FOO"]},
               {"endpoint": STATUS, "kind": "raw", "body_b64": "***"},
               {"endpoint": STATUS, "kind": "status", "count": 0}, [1, 2]]
        for given in bad:
            status, answer = SIM.control("/_sim/fault", given)
            self.assertEqual(status, 400, given)
            self.assertFalse(answer["ok"])
            self.assertTrue(answer["error"])
        status, _, body = SIM.request("POST", "/_sim/fault", body=b"{not json")
        self.assertEqual(status, 400)
        self.assertEqual(SIM.get(STATUS)[0], 200)

    def test_keep_alive_survives_body_faults(self):
        SIM.fault(endpoint=STATUS, kind="malformed")
        connection = SIM.connection()
        try:
            for _ in range(3):
                self.assertEqual(SIM.get(STATUS, connection=connection)[0], 200)
        finally:
            connection.close()


if __name__ == "__main__":
    unittest.main()
