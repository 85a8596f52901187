#!/usr/bin/env python3
"""Fails when a built Windows program needs a DLL that Windows does not ship.

Wine brings builtin DLLs that Windows lacks (zlib1.dll among them), so a program that
imports one runs under every test here and still fails to start on a real PC. This reads the
import table and the delay-load import table of each PE file straight from its bytes, prints
what each program imports and checks every name against a short list of system DLLs. Its PE
reader (pe_layout, resources) also serves the black-box tests that read the resources.

Usage: check_imports.py [--xml REPORT] [--require FILE]... PATH...
A PATH is a program or a folder searched for *.exe; every --require FILE must be among them."""
import argparse
import glob
import os
import struct
import sys
from xml.sax.saxutils import escape, quoteattr

# DLLs that are part of every 64-bit Windows 10 and 11 installation.
SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "winhttp.dll", "ws2_32.dll", "shell32.dll",
    "shlwapi.dll", "comctl32.dll", "ole32.dll", "oleaut32.dll", "msvcrt.dll", "msimg32.dll",
    "advapi32.dll", "winmm.dll", "uxtheme.dll", "dwmapi.dll", "version.dll", "crypt32.dll",
    "bcrypt.dll", "ntdll.dll", "imm32.dll", "iphlpapi.dll", "secur32.dll", "rpcrt4.dll",
}

IMPORT_DIRECTORY, RESOURCE_DIRECTORY, DELAY_IMPORT_DIRECTORY = 1, 2, 13


class PeError(Exception):
    pass


def _unpack(fmt, data, offset):
    size = struct.calcsize(fmt)
    if offset < 0 or offset + size > len(data):
        raise PeError("truncated file")
    return struct.unpack_from(fmt, data, offset)


def _c_string(data, offset):
    end = data.find(b"\0", offset)
    if offset < 0 or end < 0:
        raise PeError("unterminated name")
    return data[offset:end].decode("ascii", "replace")


def pe_layout(data):
    """The data directories of a PE image as (address, size) pairs, and a function that maps
    an address in the image to its offset in the file."""
    if data[:2] != b"MZ":
        raise PeError("not an MZ file")
    (pe,) = _unpack("<I", data, 0x3C)
    if data[pe:pe + 4] != b"PE\0\0":
        raise PeError("no PE signature")
    _, sections, _, _, _, optional_size, _ = _unpack("<HHIIIHH", data, pe + 4)
    optional = pe + 24
    (magic,) = _unpack("<H", data, optional)
    directories = optional + {0x10B: 96, 0x20B: 112}.get(magic, -1)
    if directories < optional:
        raise PeError("unknown optional header")
    (count,) = _unpack("<I", data, directories - 4)
    table = [_unpack("<II", data, directories + 8 * i) for i in range(min(count, 16))]
    section_table = optional + optional_size
    spans = []
    for i in range(sections):
        _, virtual_size, address, raw_size, raw_offset = _unpack("<8sIIII", data, section_table + 40 * i)
        spans.append((address, max(virtual_size, raw_size), raw_offset))

    def file_offset(rva):
        for address, size, raw in spans:
            if address <= rva < address + size:
                return raw + rva - address
        raise PeError(f"address 0x{rva:x} lies in no section")

    return table, file_offset


def resources(data):
    """{(type id, name id): bytes} of a PE image's resources that have numeric ids (one per
    language; the last one read wins)."""
    table, file_offset = pe_layout(data)
    if len(table) <= RESOURCE_DIRECTORY or table[RESOURCE_DIRECTORY][0] == 0:
        return {}
    root = file_offset(table[RESOURCE_DIRECTORY][0])

    def entries(directory):  # (id, or None for a name; offset of what it points to) per entry
        named, numbered = _unpack("<HH", data, root + directory + 12)
        for i in range(named + numbered):
            name, target = _unpack("<II", data, root + directory + 16 + 8 * i)
            yield (None if name & 0x80000000 else name), target & 0x7FFFFFFF

    found = {}
    for type_id, types in entries(0):
        for name_id, names in entries(types):
            for _, leaf in entries(names):
                rva, size = _unpack("<II", data, root + leaf)
                found[(type_id, name_id)] = data[file_offset(rva):file_offset(rva) + size]
    return found


def imported_dlls(data):
    """Names of the DLLs a PE image imports, normally and delay-loaded, in table order."""
    table, file_offset = pe_layout(data)
    names = []
    for index, entry_size, name_field in ((IMPORT_DIRECTORY, 20, 12), (DELAY_IMPORT_DIRECTORY, 32, 4)):
        if index >= len(table) or table[index][0] == 0:
            continue
        offset = file_offset(table[index][0])
        while True:
            entry = data[offset:offset + entry_size]
            if len(entry) < entry_size:
                raise PeError("truncated import table")
            if entry == b"\0" * entry_size:
                break
            (name_rva,) = struct.unpack_from("<I", entry, name_field)
            names.append(_c_string(data, file_offset(name_rva)))
            offset += entry_size
    return names


def programs(paths):
    found = []
    for path in paths:
        if os.path.isdir(path):
            found += sorted(glob.glob(os.path.join(path, "*.exe")))
        elif os.path.exists(path):
            found.append(path)
    return found


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("paths", nargs="+")
    parser.add_argument("--xml")
    parser.add_argument("--require", action="append", default=[])
    args = parser.parse_args()

    cases = []  # (name, failure text or None)
    listed = programs(args.paths)
    for required in args.require:
        if os.path.abspath(required) not in map(os.path.abspath, listed):
            cases.append((os.path.basename(required), f"{required} was not built"))
    for path in listed:
        name = os.path.basename(path)
        try:
            with open(path, "rb") as handle:
                dlls = imported_dlls(handle.read())
        except (OSError, PeError) as error:
            cases.append((name, f"cannot read the import table: {error}"))
            print(f"{name}: {error}")
            continue
        foreign = [dll for dll in dlls if dll.lower() not in SYSTEM_DLLS]
        print(f"{name}: {', '.join(dlls) or '(no imports)'}")
        cases.append((name, f"imports DLLs that Windows does not ship: {', '.join(foreign)}" if foreign else None))
    for name, failure in cases:
        if failure:
            print(f"FAIL {name}: {failure}")

    failed = sum(1 for _, failure in cases if failure)
    if args.xml:
        with open(args.xml, "w") as report:
            report.write(f'<testsuite name="imports" tests="{len(cases)}" failures="{failed}">\n')
            for name, failure in cases:
                report.write(f'  <testcase classname="imports" name={quoteattr(name)}>')
                if failure:
                    report.write(f"<failure message={quoteattr(failure)}>{escape(failure)}</failure>")
                report.write("</testcase>\n")
            report.write("</testsuite>\n")
    return 1 if failed or not cases else 0


if __name__ == "__main__":
    sys.exit(main())
