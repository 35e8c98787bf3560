#!/usr/bin/env python3
"""Writes the shortcut fixtures that the shell's own writer cannot produce.

Wine's IShellLinkW turns a %windir%-style target into a path relative to the
current directory and writes its link info in the ANSI code page only, so the
links that carry an environment-variable block, a Unicode local path, a split
local path or nothing but a relative path are put together here byte by byte
(MS-SHLLINK layout: header, link info, string data, extra data).

Usage: make_handmade_lnk.py OUTPUT_DIR
"""

import struct
import sys
from pathlib import Path

LINK_CLSID = bytes.fromhex("0114020000000000c000000000000046")

HAS_LINK_INFO = 0x02
HAS_RELATIVE_PATH = 0x08
HAS_ARGUMENTS = 0x20
IS_UNICODE = 0x80
HAS_EXP_STRING = 0x200

FILE_ATTRIBUTE_ARCHIVE = 0x20
SW_SHOWNORMAL = 1
DRIVE_FIXED = 3
ENVIRONMENT_BLOCK_SIGNATURE = 0xA0000001
MAX_PATH = 260


def header(flags: int) -> bytes:
    return (struct.pack("<I", 0x4C) + LINK_CLSID
            + struct.pack("<II", flags, FILE_ATTRIBUTE_ARCHIVE)
            + bytes(24)                      # creation, access, write times
            + struct.pack("<IiI", 0, 0, SW_SHOWNORMAL)
            + struct.pack("<HHII", 0, 0, 0, 0))  # hot key, reserved


def ansi(text: str) -> bytes:
    return text.encode("cp1252", errors="replace") + b"\0"


def utf16(text: str) -> bytes:
    return text.encode("utf-16-le") + b"\0\0"


def link_info(base: str, suffix: str = "", unicode: bool = False) -> bytes:
    """A LinkInfo with a fixed volume and a local base path. With `unicode`
    the optional Unicode offsets are present too, as Windows writes them
    when the ANSI code page cannot hold the path."""
    header_size = 0x24 if unicode else 0x1C
    volume_label = b"\0"
    volume = struct.pack("<IIII", 16 + len(volume_label), DRIVE_FIXED, 0x1234ABCD, 16)
    volume += volume_label
    volume_offset = header_size
    base_offset = volume_offset + len(volume)
    body = volume + ansi(base)
    suffix_offset = header_size + len(body)
    body += ansi(suffix)
    offsets = struct.pack("<IIII", volume_offset, base_offset, 0, suffix_offset)
    if unicode:
        base_unicode_offset = header_size + len(body)
        body += utf16(base)
        suffix_unicode_offset = header_size + len(body)
        body += utf16(suffix)
        offsets += struct.pack("<II", base_unicode_offset, suffix_unicode_offset)
    size = header_size + len(body)
    return struct.pack("<III", size, header_size, 1) + offsets + body


def string_data(text: str) -> bytes:
    encoded = text.encode("utf-16-le")
    return struct.pack("<H", len(encoded) // 2) + encoded


def environment_block(target: str) -> bytes:
    ansi_field = ansi(target).ljust(MAX_PATH, b"\0")
    unicode_field = utf16(target).ljust(2 * MAX_PATH, b"\0")
    assert len(ansi_field) == MAX_PATH and len(unicode_field) == 2 * MAX_PATH
    block = struct.pack("<II", 0x314, ENVIRONMENT_BLOCK_SIGNATURE) + ansi_field + unicode_field
    assert len(block) == 0x314
    return block


TERMINAL_BLOCK = struct.pack("<I", 0)


def environment_link() -> bytes:
    # What the shell writes for a target under %windir%: the expanded path in
    # the link info and the unexpanded one in the environment block.
    return (header(HAS_LINK_INFO | HAS_RELATIVE_PATH | IS_UNICODE | HAS_EXP_STRING)
            + link_info(r"C:\Windows\System32\notepad.exe")
            + string_data(r"..\..\..\Windows\System32\notepad.exe")
            + environment_block(r"%windir%\system32\notepad.exe")
            + TERMINAL_BLOCK)


def relative_link() -> bytes:
    return (header(HAS_RELATIVE_PATH | IS_UNICODE)
            + string_data(r"..\tools\tool.exe")
            + TERMINAL_BLOCK)


def unicode_link() -> bytes:
    return (header(HAS_LINK_INFO | HAS_ARGUMENTS | IS_UNICODE)
            + link_info("C:\\Program Files\\\u8bb0\u4e8b\u672c\\\u8bb0\u4e8b\u672c.exe",
                        unicode=True)
            + string_data('/\u6253\u5f00 "\u8bf4\u660e.txt"')
            + TERMINAL_BLOCK)


def astral_link() -> bytes:
    # A character outside the Basic Multilingual Plane: a surrogate pair in
    # UTF-16.
    return (header(HAS_LINK_INFO | IS_UNICODE)
            + link_info("C:\\Tools\\\U00020000\\run.exe", unicode=True)
            + TERMINAL_BLOCK)


def split_link() -> bytes:
    return (header(HAS_LINK_INFO | IS_UNICODE)
            + link_info("C:\\Windows\\", r"System32\calc.exe")
            + TERMINAL_BLOCK)


def long_link() -> bytes:
    # Longer than MAX_PATH: readers stop at 259 characters.
    return (header(HAS_RELATIVE_PATH | IS_UNICODE)
            + string_data("..\\" + "d" * 300 + "\\long.exe")
            + TERMINAL_BLOCK)


FIXTURES = {
    "environment.lnk": environment_link,
    "relative_only.lnk": relative_link,
    "unicode_link_info.lnk": unicode_link,
    "astral.lnk": astral_link,
    "split_local_path.lnk": split_link,
    "long_relative.lnk": long_link,
}


def main() -> int:
    if len(sys.argv) != 2:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    for name, build in FIXTURES.items():
        (out / name).write_bytes(build())
    return 0


if __name__ == "__main__":
    sys.exit(main())
