"""The simulated world: a dozen bosses (or more), each on 20 to 40 channels, with health reports.

Every channel runs an endless cycle: the boss spawns and waits at full health, players wear it
down at a steady rate, it dies and stays dead for a while, then it spawns again. Players report
the health at a per-channel rate; slow reporters leave reports that turn stale and fast ones keep
the channel fresh. Everything is a pure function of the seed and the moment asked about, so a
fixed moment gives byte-identical answers and the real clock gives a world that moves.
"""
import dataclasses
import hashlib
import math
import random
import zlib

from .timefmt import format_time

# (name, type, respawn_time). Names in Latin, accented and CJK scripts exercise UTF-8 handling.
BOSS_TEMPLATES = (
    ("Gorath the Unbroken", "boss", 0),
    ("Morrigan Ashveil", "boss", 30),
    ("Sylvaran Warden", "field_boss", 0),
    ("Éloïse la Sombre", "boss", 30),
    ("Ñandú de Fuego", "field_boss", 0),
    ("Ærendil of Øxfjord", "boss", 15),
    ("Łucja Żelazna", "field_boss", 30),
    ("赤龍王", "boss", 0),
    ("黒騎士アルマ", "boss", 30),
    ("천둥새", "field_boss", 15),
    ("Glimmerwing", "magical_creature", 0),
    ("Verdant Colossus", "boss", 30),
)

# Bosses past the twelve above get made-up names from these, with their number appended.
EXTRA_TITLES = ("Ashen", "Hollow", "Crimson", "Silent", "Frostbound", "Iron", "Gilded", "Stormborn")
EXTRA_KINDS = ("Wyrm", "Matron", "Sentinel", "Revenant", "Behemoth", "Oracle", "Reaver")
EXTRA_TYPES = ("boss", "field_boss")
EXTRA_RESPAWNS = (0, 30, 15)
MAX_BOSSES = 10_000

# Seconds between two reports of one channel, with weights: the slow ones go stale.
REPORT_PERIODS = (5, 10, 30, 60, 120, 240, 420, 900)
PERIOD_WEIGHTS = (3, 3, 3, 2, 2, 2, 2, 2)
FORM_WEIGHTS = {"collection": 10, "iso": 5, "iso_micro": 3, "bare": 2}
CACHE_REFRESH_SECONDS = 20.0


def record_id(*parts):
    """Returns a stable 15-character lower-case record id made from the given parts."""
    number = int.from_bytes(hashlib.sha1(repr(parts).encode()).digest(), "big")
    alphabet = "abcdefghijklmnopqrstuvwxyz0123456789"
    text = []
    for _ in range(15):
        number, digit = divmod(number, len(alphabet))
        text.append(alphabet[digit])
    return "".join(text)


def unit_noise(*parts):
    """Returns a reproducible number in [0, 1) for the parts (cheaper than a seeded Random)."""
    return zlib.crc32(repr(parts).encode()) / 2**32


@dataclasses.dataclass(frozen=True)
class Boss:
    """One boss as the boss list shows it."""
    id: str
    name: str
    uid: int
    respawn_time: int
    type: str
    created: float


@dataclasses.dataclass(frozen=True)
class Report:
    """One health report of one channel."""
    channel_number: int
    time: float
    hp: int
    dps: float
    etd: float
    form: str
    seq: int
    variant: str = "full"

    @property
    def death_time_estimate(self):
        """The server's text of the estimated death moment, empty when unknown."""
        return format_time(self.time + self.etd) if self.etd > 0 else ""

    def degraded(self):
        """The same report as a second reporter sent it at the same moment, without a rate."""
        return dataclasses.replace(self, dps=0.0, etd=-1.0, variant="no_rate")


@dataclasses.dataclass(frozen=True)
class Channel:
    """The health cycle and reporting habits of one boss on one channel."""
    key: tuple
    number: int
    cycle_offset: float
    idle: float
    dps: float
    dead: float
    period: float
    report_offset: float
    form: str
    history: int
    twin: bool

    @property
    def fight(self):
        return 100.0 / self.dps

    @property
    def cycle(self):
        return self.idle + self.fight + self.dead

    def health_at(self, moment):
        """Returns (health per cent, loss rate) of the boss at a moment."""
        phase = (moment - self.cycle_offset) % self.cycle
        if phase < self.idle:
            return 100, 0.0
        if phase < self.idle + self.fight:
            left = 100.0 - self.dps * (phase - self.idle)
            return max(1, min(100, math.ceil(left))), self.dps
        return 0, 0.0

    def latest_seq(self, now):
        """Returns the number of the newest report sent at or before now."""
        return math.floor((now - self.report_offset) / self.period)

    def report(self, seq):
        """Returns report number seq; the reported rate wobbles a little as real ones do."""
        moment = self.report_offset + seq * self.period
        hp, dps = self.health_at(moment)
        if dps > 0:
            dps = round(dps * (0.85 + 0.3 * unit_noise(self.key, seq)), 4)
        etd = round(hp / dps, 1) if dps > 0 and hp > 0 else -1.0
        return Report(self.number, moment, hp, dps, etd, self.form, seq)


def make_channel(rng, key, number):
    """Draws the habits of one channel from the boss's random stream."""
    period = float(rng.choices(REPORT_PERIODS, PERIOD_WEIGHTS)[0])
    idle = rng.uniform(60, 900)
    dps = rng.uniform(0.04, 0.5)
    dead = rng.uniform(60, 600)
    return Channel(
        key=key, number=number, cycle_offset=rng.uniform(0, 7200), idle=idle, dps=dps,
        dead=dead, period=period, report_offset=rng.uniform(0, period),
        form=rng.choices(list(FORM_WEIGHTS), list(FORM_WEIGHTS.values()))[0],
        history=rng.choice((0, 0, 0, 1, 2)), twin=rng.random() < 0.2)


class DataSet:
    """All bosses and channels of one seed; answers what the server knows at a moment.

    The first twelve bosses come from one random stream in a fixed order, so they are the
    same whatever the boss count; every further boss draws from a stream of its own.
    """

    def __init__(self, seed, boss_count=len(BOSS_TEMPLATES)):
        if not 1 <= boss_count <= MAX_BOSSES:
            raise ValueError(f"the boss count must be between 1 and {MAX_BOSSES}")
        self.seed = seed
        rng = random.Random(seed)
        uids = rng.sample(range(1000, 10000), len(BOSS_TEMPLATES))
        self.bosses = []
        self.channels = {}
        for index, (name, kind, respawn) in enumerate(BOSS_TEMPLATES):
            boss_id = record_id("mob", seed, index)
            created = 1730000000 + rng.uniform(0, 86400 * 30)
            self.bosses.append(Boss(boss_id, name, uids[index], respawn, kind, created))
            count = rng.randint(20, 40)
            self.channels[boss_id] = [
                make_channel(rng, (seed, index, number), number) for number in range(1, count + 1)]
        for index in range(len(BOSS_TEMPLATES), boss_count):
            self._add_extra_boss(index)
        del self.bosses[boss_count:]
        for boss_id in list(self.channels)[boss_count:]:
            del self.channels[boss_id]

    def _add_extra_boss(self, index):
        rng = random.Random(f"extra-mob/{self.seed}/{index}")
        boss_id = record_id("mob", self.seed, index)
        name = (f"{EXTRA_TITLES[index % len(EXTRA_TITLES)]} "
                f"{EXTRA_KINDS[index // len(EXTRA_TITLES) % len(EXTRA_KINDS)]} {index + 1}")
        created = 1730000000 + rng.uniform(0, 86400 * 30)
        self.bosses.append(Boss(boss_id, name, 10000 + index, EXTRA_RESPAWNS[index % len(EXTRA_RESPAWNS)],
                                EXTRA_TYPES[index % len(EXTRA_TYPES)], created))
        count = rng.randint(20, 40)
        self.channels[boss_id] = [
            make_channel(rng, (self.seed, index, number), number) for number in range(1, count + 1)]

    def boss_ids(self):
        return [boss.id for boss in self.bosses]

    def latest_reports(self, boss_id, now):
        """The newest report of every channel of a boss, in channel order."""
        return [channel.report(channel.latest_seq(now)) for channel in self.channels.get(boss_id, ())]

    def channel_records(self, boss_id, now):
        """Every stored record of a boss, newest first, as the collection holds them.

        Some channels keep older reports and some have a second, rate-less record at the same
        moment, so a reader has to reduce the records to one per channel itself.
        """
        records = []
        for channel in self.channels.get(boss_id, ()):
            newest = channel.latest_seq(now)
            latest = channel.report(newest)
            if channel.twin and latest.dps > 0:
                records.append(latest.degraded())
            records.append(latest)
            records.extend(channel.report(newest - back) for back in range(1, channel.history + 1))
        records.sort(key=lambda report: report.time, reverse=True)
        return records

    def cache_age(self, now):
        """Seconds since the server last refreshed its cache (it does so every 20 s)."""
        return round((now + self.seed * 7.25) % CACHE_REFRESH_SECONDS, 3)
