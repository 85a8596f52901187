"""The date-time text forms the tracker server uses in its answers.

The server is not consistent: most records carry the collection form with milliseconds and a
blank separator, others an ISO form with or without fractions, some no zone letter at all.
Clients must read all of them, so the simulator emits all of them.
"""
import datetime

FORMS = ("collection", "iso", "iso_micro", "bare")


def format_time(epoch, form="collection"):
    """Returns the UTC text of a Unix time (a float) in one of the server's forms."""
    micros = int(round(epoch * 1_000_000))
    moment = datetime.datetime(1970, 1, 1) + datetime.timedelta(microseconds=micros)
    base = moment.strftime("%Y-%m-%d")
    clock = moment.strftime("%H:%M:%S")
    if form == "collection":
        return f"{base} {clock}.{moment.microsecond // 1000:03d}Z"
    if form == "iso":
        return f"{base}T{clock}Z"
    if form == "iso_micro":
        return f"{base}T{clock}.{moment.microsecond:06d}Z"
    if form == "bare":
        return f"{base} {clock}"
    raise ValueError(f"unknown time form {form!r}")


def http_date(epoch):
    """Returns the RFC 7231 Date header text of a Unix time."""
    moment = datetime.datetime.fromtimestamp(int(epoch), datetime.timezone.utc)
    return moment.strftime("%a, %d %b %Y %H:%M:%S GMT")
