#!/usr/bin/env python3
"""Builds a .skn skin file from its source form (name = value lines, ';' comments).

Usage: build_skin.py SOURCE OUTPUT

The keys mirror skinlib/skin_file.h: colour i has key i + 1, the metrics start at 0x101. The
parser there is the judge of a complete skin; this tool only turns names and values into entries.
"""
import struct
import sys
import zlib

COLOURS = [
    "caption_active", "caption_inactive", "caption_text_active", "caption_text_inactive",
    "caption_button_pressed", "frame_active", "frame_inactive", "face", "text", "button_face",
    "button_pushed", "button_border", "button_text", "focus", "accent", "box", "group_line",
    "list_background", "list_row_alt", "list_text", "selection", "selection_text", "header_face",
    "header_text", "header_line",
]
METRICS = {"button_radius": 0x101, "caption_align": 0x102}
CAPTION_ALIGN = {"left": 0, "centre": 1}
VERSION = 1


def value_of(name, text, where):
    if name in COLOURS:
        if len(text) != 7 or text[0] != "#":
            raise SystemExit(f"{where}: colour {name} must be written #RRGGBB")
        return int(text[1:], 16)
    if name == "caption_align":
        if text not in CAPTION_ALIGN:
            raise SystemExit(f"{where}: caption_align is left or centre")
        return CAPTION_ALIGN[text]
    return int(text, 0)


def entries(source_path):
    with open(source_path, encoding="utf-8") as source:
        for number, line in enumerate(source, 1):
            line = line.split(";", 1)[0].strip()
            if not line:
                continue
            where = f"{source_path}:{number}"
            name, sep, text = (part.strip() for part in line.partition("="))
            if not sep:
                raise SystemExit(f"{where}: expected name = value")
            if name in COLOURS:
                key = COLOURS.index(name) + 1
            elif name in METRICS:
                key = METRICS[name]
            else:
                raise SystemExit(f"{where}: unknown name {name}")
            yield key, value_of(name, text, where)


def main():
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    body = b"".join(struct.pack("<HI", key, value) for key, value in entries(sys.argv[1]))
    count = len(body) // 6
    header = b".SKN" + struct.pack("<HHI", VERSION, count, zlib.crc32(body))
    with open(sys.argv[2], "wb") as output:
        output.write(header + body)


if __name__ == "__main__":
    main()
