"""Body encodings: the server's ordinary gzip, and hand-made gzip frames for fault tests.

The ordinary gzip uses a zero time stamp so that a fixed world gives byte-identical bodies.
The hand-made frames set the optional header fields of RFC 1952 one by one and can carry a
wrong CRC-32 or size, which no library encoder would produce.
"""
import gzip
import struct
import zlib

FLAG_BITS = {"FTEXT": 0x01, "FHCRC": 0x02, "FEXTRA": 0x04, "FNAME": 0x08, "FCOMMENT": 0x10}
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
