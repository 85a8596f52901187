"""The world control: how many bosses there are and how large a page the server gives.

A test can grow the world past the twelve bosses of the command line, or make the server cap
"perPage" lower as some servers do, and go back with a reset. Data sets are kept per boss
count, so switching back and forth costs nothing after the first time.
"""
import threading

from .api import MAX_PER_PAGE, World
from .dataset import MAX_BOSSES, DataSet


class WorldError(ValueError):
    """A world description that cannot be applied; the text says why."""


def _bounded(given, name, low, high):
    value = given[name]
    if isinstance(value, bool) or not isinstance(value, int) or not low <= value <= high:
        raise WorldError(f'"{name}" must be an integer between {low} and {high}')
    return value


class WorldControl:
    """Swaps the world of a TrackerApi; remembers the start-up world for resets."""

    def __init__(self, tracker_api):
        self.tracker_api = tracker_api
        self.start = tracker_api.world
        self._lock = threading.Lock()
        self._datasets = {len(self.start.dataset.bosses): self.start.dataset}

    def describe(self):
        world = self.tracker_api.world
        return {"bosses": len(world.dataset.bosses), "max_per_page": world.max_per_page,
                "seed": world.dataset.seed}

    def change(self, given):
        """Applies {"bosses": n, "max_per_page": m}; a member left out keeps its value."""
        if not isinstance(given, dict):
            raise WorldError("the world must be a JSON object")
        unknown = sorted(set(given) - {"bosses", "max_per_page"})
        if unknown:
            raise WorldError(f'unknown world members: {", ".join(unknown)}')
        with self._lock:
            current = self.tracker_api.world
            count = len(current.dataset.bosses)
            if "bosses" in given:
                count = _bounded(given, "bosses", 1, MAX_BOSSES)
            per_page = current.max_per_page
            if "max_per_page" in given:
                per_page = _bounded(given, "max_per_page", 1, MAX_PER_PAGE)
            dataset = self._datasets.get(count)
            if dataset is None:
                dataset = self._datasets[count] = DataSet(self.start.dataset.seed, count)
            self.tracker_api.world = World(dataset, per_page)

    def reset(self):
        with self._lock:
            self.tracker_api.world = self.start
