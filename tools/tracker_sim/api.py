"""The tracker server's REST endpoints: request target in, status code and JSON document out.

The answers follow the collection-style REST service the client talks to: lists are objects
with an "items" array plus paging members, records are filtered with a "filter" query and
sorted with a "sort" query.
"""
import dataclasses
import json
import math
import re
import urllib.parse

from .dataset import record_id
from .timefmt import format_time

BOSSES_PATH = "/api/collections/mobs/records"
ALL_STATUS_PATH = "/api/all_status"
CHANNELS_PATH = "/api/collections/mob_channel_status/records"
STATUS_PATH = "/api/status"
DEFAULT_PER_PAGE = 30
MAX_PER_PAGE = 500

# The "mob" filter in the forms a client may write it: (mob='id'), mob="id", with blanks.
# The greedy middle keeps a quote inside the id.
MOB_FILTER = re.compile(r"""^\s*\(?\s*mob\s*=\s*(['"])(.*)\1\s*\)?\s*$""", re.DOTALL)


class BadRequest(Exception):
    """A query the server refuses with 400."""


def encode(document):
    """Compact UTF-8 JSON, as the server sends it."""
    return json.dumps(document, ensure_ascii=False, separators=(",", ":")).encode("utf-8")


def error_document(code, message):
    return {"code": code, "message": message, "data": {}}


def parse_query(query):
    """Splits a raw query string into a dict; keys and values are percent- and plus-decoded."""
    fields = {}
    for pair in query.split("&"):
        if not pair:
            continue
        key, _, value = pair.partition("=")
        fields[urllib.parse.unquote_plus(key)] = urllib.parse.unquote_plus(value)
    return fields


def positive_int(text, default, limit=None):
    """Reads a paging number, falling back to the default like the real server does."""
    try:
        value = int(text)
    except (TypeError, ValueError):
        return default
    if value < 1:
        return default
    return min(value, limit) if limit else value


def page_of(items, fields, max_per_page=MAX_PER_PAGE):
    """Wraps a list into one page of a collection answer; perPage is capped at max_per_page."""
    per_page = positive_int(fields.get("perPage"), min(DEFAULT_PER_PAGE, max_per_page), max_per_page)
    page = positive_int(fields.get("page"), 1)
    start = (page - 1) * per_page
    return {
        "page": page, "perPage": per_page, "totalItems": len(items),
        "totalPages": math.ceil(len(items) / per_page), "items": items[start:start + per_page]}


def boss_item(boss):
    stamp = format_time(boss.created)
    return {
        "collectionId": "pbc_mobs", "collectionName": "mobs", "created": stamp,
        "id": boss.id, "name": boss.name, "respawn_time": boss.respawn_time,
        "type": boss.type, "uid": boss.uid, "updated": stamp}


def report_fields(report):
    """The members of a channel report that every endpoint carries."""
    return {
        "channel_number": report.channel_number, "last_hp": report.hp,
        "last_update": format_time(report.time, report.form), "dps": report.dps,
        "etd": report.etd, "death_time_estimate": report.death_time_estimate}


def channel_item(boss_id, report):
    stamp = format_time(report.time)
    item = {"collectionId": "pbc_mob_channel_status", "collectionName": "mob_channel_status",
            "id": record_id("report", boss_id, report.channel_number, report.seq, report.variant),
            "mob": boss_id}
    item.update(report_fields(report))
    item.update({"created": stamp, "updated": stamp})
    return item


@dataclasses.dataclass(frozen=True)
class World:
    """What the endpoints answer from: the data set and the server's largest page."""
    dataset: object
    max_per_page: int = MAX_PER_PAGE


class TrackerApi:
    """Answers the data endpoints from a world at the moment given by the clock.

    The world can be swapped while requests run; each request reads it once.
    """

    def __init__(self, dataset, clock, max_per_page=MAX_PER_PAGE):
        self.world = World(dataset, max_per_page)
        self.clock = clock

    def answer(self, path, query):
        """Returns (status code, JSON bytes) for a decoded path and a raw query string."""
        now = self.clock()
        world = self.world
        routes = {
            BOSSES_PATH: self.bosses, ALL_STATUS_PATH: self.all_status,
            CHANNELS_PATH: self.channel_status, STATUS_PATH: self.status}
        route = routes.get(path)
        if route is None:
            return 404, encode(error_document(404, "The requested resource wasn't found."))
        try:
            return 200, encode(route(world, parse_query(query), now))
        except BadRequest as problem:
            return 400, encode(error_document(400, str(problem)))

    def bosses(self, world, fields, now):
        return page_of([boss_item(boss) for boss in world.dataset.bosses], fields, world.max_per_page)

    def all_status(self, world, fields, now):
        dataset = world.dataset
        status = {boss_id: [report_fields(report) for report in dataset.latest_reports(boss_id, now)]
                  for boss_id in dataset.boss_ids()}
        return {"channel_status": status, "time": format_time(now)}

    def channel_status(self, world, fields, now):
        dataset = world.dataset
        boss_ids = dataset.boss_ids()
        if "filter" in fields:
            match = MOB_FILTER.match(fields["filter"])
            if not match:
                raise BadRequest("Invalid filter parameters.")
            boss_ids = [match.group(2)]
        sort = fields.get("sort", "-last_update")
        if sort not in ("-last_update", "last_update", ""):
            raise BadRequest("Invalid sort parameter.")
        records = [(boss_id, report)
                   for boss_id in boss_ids for report in dataset.channel_records(boss_id, now)]
        records.sort(key=lambda pair: pair[1].time, reverse=sort != "last_update")
        return page_of([channel_item(boss_id, report) for boss_id, report in records], fields,
                       world.max_per_page)

    def status(self, world, fields, now):
        dataset = world.dataset
        channels = sum(len(channels) for channels in dataset.channels.values())
        statistics = {
            "cache_age": dataset.cache_age(now), "cache_ttl": 20,
            "cached_mobs": len(dataset.bosses), "cached_channels": channels}
        return {"status": "ok", "time": format_time(now), "statistics": statistics}
