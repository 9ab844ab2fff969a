#!/usr/bin/env python3
"""File checks of scripts/test-windows-program.sh. Each command prints what it
found and exits non-zero when the check fails.

  shortcut FILE.lnk           prints the target, arguments and working folder
  data-file SENT FILE         FILE holds every line of SENT that is not a
                              reading, in order, with CR LF, balance records
                              with their date suffix
  crlf FILE LINES             FILE has LINES lines, each ending in CR LF
"""
import re
import struct
import sys


def shortcut(path):
    data = open(path, "rb").read()
    flags = struct.unpack_from("<I", data, 20)[0]
    unicode = flags & 0x80
    pos = 76
    if flags & 0x01:  # the target as an item list
        pos += 2 + struct.unpack_from("<H", data, pos)[0]
    target = ""
    if flags & 0x02:  # link info: the local base path
        size, header, _, _, base = struct.unpack_from("<IIIII", data, pos)
        if header >= 0x24:
            start = pos + struct.unpack_from("<I", data, pos + 28)[0]
            end = start
            while data[end:end + 2] != b"\0\0":
                end += 2
            target = data[start:end].decode("utf-16-le")
        else:
            target = data[pos + base:data.index(b"\0", pos + base)].decode("cp1250")
        pos += size
    strings = {}
    for bit, name in ((0x04, "name"), (0x08, "relative"), (0x10, "folder"), (0x20, "arguments"),
                      (0x40, "icon")):
        if flags & bit:
            count = struct.unpack_from("<H", data, pos)[0]
            pos += 2
            width = 2 if unicode else 1
            raw = data[pos:pos + count * width]
            strings[name] = raw.decode("utf-16-le" if unicode else "cp1250").rstrip("\0")
            pos += count * width
    print(f"target={target}")
    print(f"arguments={strings.get('arguments', '')}")
    print(f"folder={strings.get('folder', '')}")
    return 0


READING = re.compile(rb"\s*[-+]?\d+([.,]\d*)?\s*")
RECORD = re.compile(rb"\d{3} .*kg.*kg")
STAMP = re.compile(rb"    \d{4}/\d{2}/\d{2}  \d{2}:\d{2}")


def data_file(sent_path, file_path):
    sent = open(sent_path, "rb").read().split(b"\r\n")[:-1]  # complete lines only
    expected = [line for line in sent if not READING.fullmatch(line)]
    got = open(file_path, "rb").read()
    if not got.endswith(b"\r\n") or b"\n" in got.replace(b"\r\n", b""):
        print(f"{file_path}: not every line ends in CR LF")
        return 1
    lines = got.split(b"\r\n")[:-1]
    if len(lines) != len(expected):
        print(f"{len(lines)} lines, expected {len(expected)}: {lines!r}")
        return 1
    for number, (line, want) in enumerate(zip(lines, expected), 1):
        stamped = RECORD.fullmatch(want) is not None
        if stamped and not (line.startswith(want) and STAMP.fullmatch(line[len(want):])):
            print(f"line {number}: {line!r} is not {want!r} with a date suffix")
            return 1
        if not stamped and line != want:
            print(f"line {number}: {line!r}, sent {want!r}")
            return 1
    records = sum(1 for line in expected if RECORD.fullmatch(line))
    print(f"{len(lines)} lines as sent, {records} balance records stamped")
    return 0


def crlf(path, count):
    data = open(path, "rb").read()
    lines = data.split(b"\r\n")
    ok = data.endswith(b"\r\n") and len(lines) - 1 == int(count) and b"\n" not in data.replace(b"\r\n", b"")
    print(f"{len(lines) - 1} lines" + ("" if ok else f", expected {count} ending in CR LF: {data!r}"))
    return 0 if ok else 1


if __name__ == "__main__":
    command, *args = sys.argv[1:]
    sys.exit({"shortcut": shortcut, "data-file": data_file, "crlf": crlf}[command](*args))
