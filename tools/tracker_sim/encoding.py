"""Body encodings: the server's ordinary gzip, and hand-made gzip frames for fault tests.

The ordinary gzip uses a zero time stamp so that a fixed world gives byte-identical bodies.
The hand-made frames set the optional header fields of RFC 1952 one by one and can carry a
wrong CRC-32 or size, which no library encoder would produce.
"""
import functools
import gzip
import struct
import threading
import zlib

# The three top bits are reserved: RFC 1952 has a reader refuse a member that sets one.
FLAG_BITS = {"FTEXT": 0x01, "FHCRC": 0x02, "FEXTRA": 0x04, "FNAME": 0x08, "FCOMMENT": 0x10,
             "RESERVED5": 0x20, "RESERVED6": 0x40, "RESERVED7": 0x80}
EXTRA_FIELD = b"MB" + struct.pack("<H", 4) + b"sim!"
FILE_NAME = b"answer.json"
COMMENT = b"tracker simulator"


def accepts_gzip(header):
    """True when an Accept-Encoding value lists gzip (or x-gzip) without refusing it by q=0."""
    for token in (header or "").split(","):
        name, _, params = token.partition(";")
        if name.strip().lower() not in ("gzip", "x-gzip"):
            continue
        quality = params.strip().lower()
        if quality.startswith("q="):
            try:
                if float(quality[2:]) == 0:
                    continue
            except ValueError:
                pass
        return True
    return False


def gzip_body(data):
    """Ordinary gzip with mtime 0, reproducible byte for byte."""
    return gzip.compress(data, mtime=0)


def zlib_body(data):
    """HTTP "deflate": a zlib stream (RFC 1950)."""
    return zlib.compress(data)


def raw_deflate(data):
    compressor = zlib.compressobj(9, zlib.DEFLATED, -15)
    return compressor.compress(data) + compressor.flush()


def gzip_frame(data, flags=(), fname_unterminated=False, bad_crc=False, isize_delta=0):
    """Builds a gzip member by hand with the named optional header fields.

    With fname_unterminated the file name runs to the very end of the body: no zero byte
    follows it anywhere, so a reader can never find where the name ends. FHCRC carries the
    low 16 bits of the CRC-32 of the header bytes before it, as RFC 1952 defines it.
    """
    unknown = set(flags) - set(FLAG_BITS)
    if unknown:
        raise ValueError(f"unknown gzip flags: {sorted(unknown)}")
    bits = sum(FLAG_BITS[name] for name in set(flags))
    if fname_unterminated:
        bits |= FLAG_BITS["FNAME"]
    header = bytearray(b"\x1f\x8b\x08" + bytes([bits]) + b"\x00\x00\x00\x00\x02\xff")
    if bits & FLAG_BITS["FEXTRA"]:
        header += struct.pack("<H", len(EXTRA_FIELD)) + EXTRA_FIELD
    if fname_unterminated:
        return bytes(header) + FILE_NAME * 4
    if bits & FLAG_BITS["FNAME"]:
        header += FILE_NAME + b"\x00"
    if bits & FLAG_BITS["FCOMMENT"]:
        header += COMMENT + b"\x00"
    if bits & FLAG_BITS["FHCRC"]:
        header += struct.pack("<H", zlib.crc32(header) & 0xFFFF)
    crc = zlib.crc32(data) ^ (0xFFFFFFFF if bad_crc else 0)
    size = (len(data) + isize_delta) & 0xFFFFFFFF
    return bytes(header) + raw_deflate(data) + struct.pack("<II", crc, size)


MIB = 1 << 20
_BOMB_LOCK = threading.Lock()


def _flushed_deflate(data):
    """Raw deflate of data from a fresh compressor, ended by a full flush: the piece refers to
    nothing before it and ends on a byte boundary, so pieces can be joined into one stream."""
    compressor = zlib.compressobj(9, zlib.DEFLATED, -15)
    return compressor.compress(data) + compressor.flush(zlib.Z_FULL_FLUSH)


@functools.lru_cache(maxsize=None)
def _blank_mib():
    """One MiB of blanks as a joinable deflate piece (about a kilobyte)."""
    return _flushed_deflate(b" " * MIB)


@functools.lru_cache(maxsize=8)
def _blanks_crc(first, mib):
    """CRC-32 of the first byte followed by mib MiB of blanks."""
    crc = zlib.crc32(first)
    block = b" " * MIB
    for _ in range(mib):
        crc = zlib.crc32(block, crc)
    return crc


def gzip_bomb(data, inflated_mib):
    """A gzip member of about a kilobyte per inflated MiB: the document with inflated_mib MiB
    of blanks right after its first byte, so it is still the same JSON once fully inflated.

    Built from one cached MiB piece repeated, not by compressing a GiB of blanks each time.
    """
    with _BOMB_LOCK:
        middle = _blank_mib() * inflated_mib
        crc = _blanks_crc(data[:1], inflated_mib)
    tail = zlib.compressobj(9, zlib.DEFLATED, -15)
    deflated = _flushed_deflate(data[:1]) + middle + tail.compress(data[1:]) + tail.flush()
    size = (len(data) + inflated_mib * MIB) & 0xFFFFFFFF
    header = b"\x1f\x8b\x08\x00\x00\x00\x00\x00\x02\xff"
    return header + deflated + struct.pack("<II", zlib.crc32(data[1:], crc), size)
