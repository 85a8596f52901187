#!/usr/bin/env python3
"""Packs the download of a release: Marrowbell.exe, the user guide, an example settings file,
the licence and SHA256SUMS, in one zip that is the same byte for byte on every run with the same
inputs.

What would vary between runs is fixed: every entry carries the same time stamp (1980-01-01, the
earliest a zip can hold, or SOURCE_DATE_EPOCH when it is set), the same permissions and no extra
fields, and the entries are written in one fixed order with one compression level. The texts get
Windows line ends, so that every editor a player may open them with shows their lines.

Usage: release_zip.py --exe EXE --version X.Y.Z --out FOLDER
Prints the archive's path, size and SHA-256."""
import argparse
import hashlib
import os
import sys
import time
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
EARLIEST = (1980, 1, 1, 0, 0, 0)
REGULAR_FILE = 0o100000


def archive_name(version):
    return f"Marrowbell-{version}-win64.zip"


def contents(exe):
    """(name in the archive, bytes, mode) of every file but SHA256SUMS, in archive order."""
    def text(relative):
        with open(os.path.join(ROOT, relative), "rb") as handle:
            data = handle.read()
        return data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")

    with open(exe, "rb") as handle:
        program = handle.read()
    return [
        ("Marrowbell.exe", program, 0o755),
        ("README.txt", text("docs/user-guide.md"), 0o644),
        ("Marrowbell.example.ini", text("docs/Marrowbell.example.ini"), 0o644),
        ("LICENSE.txt", text("LICENSE"), 0o644),
    ]


def checksums(files):
    """sha256sum's own format (LF line ends), so `sha256sum -c SHA256SUMS` checks the folder."""
    return "".join(f"{hashlib.sha256(data).hexdigest()}  {name}\n" for name, data, _ in files).encode("ascii")


def entry_time():
    epoch = os.environ.get("SOURCE_DATE_EPOCH")
    if not epoch:
        return EARLIEST
    stamp = time.gmtime(int(epoch))[:6]
    return max(stamp, EARLIEST)  # a zip cannot hold an earlier moment


def write_archive(path, files):
    """Writes the archive next to path first and moves it over path only when it is complete."""
    stamp = entry_time()
    temporary = f"{path}.{os.getpid()}.tmp"
    try:
        with zipfile.ZipFile(temporary, "w") as archive:
            for name, data, mode in files:
                info = zipfile.ZipInfo(name, date_time=stamp)
                info.compress_type = zipfile.ZIP_DEFLATED
                info.create_system = 3  # Unix, so that the permissions below are the ones read
                info.external_attr = (REGULAR_FILE | mode) << 16
                archive.writestr(info, data, compresslevel=9)
        os.replace(temporary, path)
    finally:
        if os.path.exists(temporary):
            os.remove(temporary)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()

    files = contents(args.exe)
    files.append(("SHA256SUMS", checksums(files), 0o644))
    os.makedirs(args.out, exist_ok=True)
    path = os.path.join(args.out, archive_name(args.version))
    write_archive(path, files)
    with open(path, "rb") as handle:
        digest = hashlib.sha256(handle.read()).hexdigest()
    print(f"archive: {path}")
    print(f"size: {os.path.getsize(path)} bytes")
    print(f"sha256: {digest}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
