#!/usr/bin/env python3
"""Writes the firmware images shipped with the simulated boards.

Run once from any folder; it rewrites firmware/boards/ and firmware/chips/. The images hold a
few hundred bytes of code-like filler: the simulated boards only compare, copy and read them.
Board images carry their revision record: the 16-bit little-endian pointer at 0x1896 names
[u16 firmware id][u16 revision].
"""

import hashlib
import pathlib
import re

HERE = pathlib.Path(__file__).resolve().parent
COMMON_PLT = HERE.parent / "protocols" / "common.plt"

REVISION_POINTER = 0x1896
REVISION_RECORD = 0x18A0

# board folder, file, firmware id, revision
BOARDS = [
    ("Kestrix", "dravik_fw_kestrixeb.hex", 0x0105, 0x0214),
    ("Trennic", "dravik_fw_trennic.hex", 0x2105, 0x0108),
    ("Dalvor", "dravik_fw_kestrixdbg.hex", 0x1105, 0x0301),
]

SMALL_FLASH = 32 * 1024
LARGE_FLASH = 256 * 1024
LARGE_CHIPS = {0x6E7A, 0x6E7B, 0x6F86, 0x6F87, 0x6FB2, 0x6FB3}


def filler(seed, size):
    """Deterministic bytes that look like machine code rather than a pattern."""
    out = bytearray()
    block = seed.encode()
    while len(out) < size:
        block = hashlib.sha256(block).digest()
        out += block
    return bytes(out[:size])


def record(kind, address, data):
    body = bytes([len(data), (address >> 8) & 0xFF, address & 0xFF, kind]) + data
    checksum = (-sum(body)) & 0xFF
    return ":" + (body + bytes([checksum])).hex().upper() + "\n"


def hex_text(blocks):
    """blocks: list of (address, bytes); emits extended linear address records as needed."""
    lines = []
    upper = 0
    for address, data in sorted(blocks):
        for offset in range(0, len(data), 16):
            at = address + offset
            if at >> 16 != upper:
                upper = at >> 16
                lines.append(record(0x04, 0, bytes([upper >> 8, upper & 0xFF])))
            lines.append(record(0x00, at & 0xFFFF, data[offset:offset + 16]))
    lines.append(record(0x01, 0, b""))
    return "".join(lines)


def write(path, blocks, limit):
    for address, data in blocks:
        assert address + len(data) <= limit, path
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_text(hex_text(blocks), newline="\n")


def board_images():
    for folder, name, firmware_id, revision in BOARDS:
        tag = f"{folder} board firmware".encode()
        blocks = [
            (0x0000, filler(name, 320)),
            (REVISION_POINTER, REVISION_RECORD.to_bytes(2, "little")),
            (REVISION_RECORD, firmware_id.to_bytes(2, "little") + revision.to_bytes(2, "little") + tag),
        ]
        write(HERE / "boards" / folder / name, blocks, SMALL_FLASH)


def chip_images():
    names = []
    in_section = False
    for line in COMMON_PLT.read_text(encoding="latin-1").splitlines():
        line = line.strip()
        if line.startswith("["):
            in_section = line == "[Firmware]"
            continue
        if in_section and "=" in line and not line.startswith("#"):
            key, name = line.split("=", 1)
            code = int(re.match(r"0x([0-9A-Fa-f]+)", key).group(1), 16)
            names.append((code, name.strip()))
    for code, name in names:
        large = code in LARGE_CHIPS
        blocks = [(0x0000, filler(name, 384)), (0x0400, name.encode())]
        if large:
            # Past the first 64 KiB, so the image needs the large flash.
            blocks.append((0x20000, filler(name + "/high", 48)))
        write(HERE / "chips" / name, blocks, LARGE_FLASH if large else SMALL_FLASH)


if __name__ == "__main__":
    board_images()
    chip_images()
