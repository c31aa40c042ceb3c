#!/usr/bin/env python3
"""Moves the named sections of a PE image to file offsets that are whole pages, in place.

    page-align-sections.py IMAGE SECTION...

A section whose file offset and address are both page-aligned can be mapped from the file as
it is, as Windows does with every image; Wine copies each section that is not into memory of
the process's own. Only the named sections are moved, each to the next page boundary, and the
other sections follow them packed at the image's file alignment, so the file grows by less
than a page per named section. Section addresses, and so the code, stay as they are: only the
section table's file offsets and the header's checksum change.

Refuses (exit status 1, the image untouched) anything it would not move safely: an image that
is not PE32, data after the last section, a symbol table, a certificate or a debug directory
(they hold file offsets), or a named section that is missing.
"""
import os
import struct
import sys

PAGE = 0x1000


def fail(text):
    sys.exit(f"page-align-sections: {text}")


def checksum(image):
    """The PE checksum of an image whose checksum field is zero: the image summed as 16-bit words
    with the carries folded in, plus the image's length."""
    total = 0
    for (word,) in struct.iter_unpack("<H", image + b"\0" * (len(image) % 2)):
        total += word
        total = (total & 0xFFFF) + (total >> 16)
    return (total + len(image)) & 0xFFFFFFFF


def layout(stored, aligned, headers_size, alignment):
    """The headers' size and each section's file offset and stored size, with the sections in
    aligned starting pages and no gap between any two; or the name of a section that must
    start a page too because the zeros after it would reach past its own pages of memory."""
    placed = []
    end = headers_size
    for section in stored:
        name, address, raw_size = section[1], section[3], section[4]
        step = PAGE if name in aligned else alignment
        if step == PAGE and address % PAGE:
            fail(f"section {name} does not start a page")
        offset = -(-end // step) * step
        if offset > end and placed:
            before, before_at, before_size = placed[-1]
            room = -(-max(before[5], before[4]) // PAGE) * PAGE
            if before_size + offset - end > room:
                return before[1]
            placed[-1] = (before, before_at, before_size + offset - end)
        elif offset > end:
            if offset > address:
                fail("no room for the headers")
            headers_size = offset
        placed.append((section, offset, raw_size))
        end = offset + raw_size
    return headers_size, placed


def main():
    if len(sys.argv) < 3:
        fail("usage: page-align-sections.py IMAGE SECTION...")
    path, wanted = sys.argv[1], set(sys.argv[2:])
    with open(path, "rb") as f:
        image = f.read()
    if len(image) < 0x40 or image[:2] != b"MZ":
        fail("not an executable image")
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if pe + 24 > len(image) or image[pe:pe + 4] != b"PE\0\0":
        fail("no PE header")
    count, = struct.unpack_from("<H", image, pe + 6)
    symbols, = struct.unpack_from("<I", image, pe + 12)
    optional_size, = struct.unpack_from("<H", image, pe + 20)
    opt = pe + 24
    if struct.unpack_from("<H", image, opt)[0] != 0x10B or optional_size < 96:
        fail("not a PE32 image")
    alignment, = struct.unpack_from("<I", image, opt + 36)
    headers_size, = struct.unpack_from("<I", image, opt + 60)
    directories, = struct.unpack_from("<I", image, opt + 92)
    if symbols != 0:
        fail("the image has a symbol table")
    for index in (4, 6):  # certificate table, debug directory: both hold file offsets
        if index < directories and struct.unpack_from("<II", image, opt + 96 + 8 * index) != (0, 0):
            fail("the image has a certificate or debug directory")
    if alignment == 0 or PAGE % alignment != 0:
        fail("unexpected file alignment")
    table = opt + optional_size
    if table + 40 * count > headers_size or headers_size > len(image):
        fail("section table outside the headers")

    sections = []
    for i in range(count):
        at = table + 40 * i
        name = image[at:at + 8].rstrip(b"\0").decode("ascii", "replace")
        virtual_size, address, raw_size, raw_at = struct.unpack_from("<IIII", image, at + 8)
        if raw_size and (raw_at < headers_size or raw_at + raw_size > len(image)):
            fail(f"section {name} outside the file")
        sections.append((raw_at, name, at, address, raw_size, virtual_size))
    missing = wanted - {s[1] for s in sections}
    if missing:
        fail("no section " + ", ".join(sorted(missing)))
    stored = sorted(s for s in sections if s[4])
    end = max(raw_at + raw_size for raw_at, _, _, _, raw_size, _ in stored)
    if end != len(image):
        fail("data after the last section")

    aligned = set(wanted)
    result = layout(stored, aligned, headers_size, alignment)
    while isinstance(result, str):
        aligned.add(result)  # a section that cannot take the zeros after it starts a page too
        result = layout(stored, aligned, headers_size, alignment)
    new_headers_size, placed = result
    out = bytearray(image[:headers_size]) + bytes(new_headers_size - headers_size)
    struct.pack_into("<I", out, opt + 60, new_headers_size)
    for (raw_at, name, at, _, raw_size, _), offset, stored_size in placed:
        out += bytes(offset - len(out)) + image[raw_at:raw_at + raw_size]
        out += bytes(stored_size - raw_size)
        struct.pack_into("<II", out, at + 16, stored_size, offset)
    struct.pack_into("<I", out, opt + 64, 0)
    struct.pack_into("<I", out, opt + 64, checksum(bytes(out)))

    temporary = path + ".aligning"
    with open(temporary, "wb") as f:
        f.write(out)
    os.chmod(temporary, os.stat(path).st_mode)
    os.replace(temporary, path)


if __name__ == "__main__":
    main()
