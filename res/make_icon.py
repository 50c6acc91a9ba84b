#!/usr/bin/env python3
"""Builds a Windows icon file (.ico) from pictures drawn as text.

Usage: make_icon.py OUTPUT.ico PICTURE.txt [PICTURE.txt ...]

Each picture becomes one image of the icon, in the order given. A picture
file holds, after any '#' comment lines:

    size WIDTH HEIGHT
    bits 1 | 4 | 8              colours: 2, 16 or 256
    transparent C               optional: the character for see-through pixels
    colour C RRGGBB [words]     one line per character that the picture uses
    picture
    HEIGHT lines of WIDTH characters, top row first

Only the standard library is used, so the build needs nothing but Python 3.
"""

import struct
import sys
from dataclasses import dataclass, field


class PictureError(Exception):
    pass


@dataclass
class Picture:
    width: int = 0
    height: int = 0
    bits: int = 0
    transparent: str | None = None
    palette: list = field(default_factory=list)  # (red, green, blue)
    index_of: dict = field(default_factory=dict)  # character -> palette index
    rows: list = field(default_factory=list)  # strings, top row first


def parse(path):
    picture = Picture()
    with open(path, encoding="utf-8") as file:
        lines = file.read().splitlines()
    number = 0
    while number < len(lines):
        line = lines[number]
        number += 1
        where = f"{path}:{number}"
        if not line.strip() or line.startswith("#"):
            continue
        words = line.split()
        keyword = words[0]
        if keyword == "size" and len(words) == 3:
            picture.width, picture.height = int(words[1]), int(words[2])
            if not (1 <= picture.width <= 256 and 1 <= picture.height <= 256):
                raise PictureError(f"{where}: size must be 1 to 256 pixels")
        elif keyword == "bits" and len(words) == 2:
            picture.bits = int(words[1])
            if picture.bits not in (1, 4, 8):
                raise PictureError(f"{where}: bits must be 1, 4 or 8")
        elif keyword == "transparent" and len(words) == 2 and len(words[1]) == 1:
            picture.transparent = words[1]
        elif keyword == "colour" and len(words) >= 3 and len(words[1]) == 1:
            character, rgb = words[1], words[2]
            if character in picture.index_of or character == picture.transparent:
                raise PictureError(f"{where}: {character!r} is given twice")
            if len(rgb) != 6 or any(c not in "0123456789abcdefABCDEF" for c in rgb):
                raise PictureError(f"{where}: colour must be RRGGBB in hex")
            picture.index_of[character] = len(picture.palette)
            picture.palette.append(tuple(bytes.fromhex(rgb)))
        elif keyword == "picture" and len(words) == 1:
            picture.rows = lines[number:number + picture.height]
            check(picture, path, number)
            return picture
        else:
            raise PictureError(f"{where}: cannot read {line!r}")
    raise PictureError(f"{path}: no picture")


def check(picture, path, first_line):
    if not picture.width or not picture.bits:
        raise PictureError(f"{path}: size and bits come before the picture")
    if len(picture.palette) > 1 << picture.bits:
        raise PictureError(
            f"{path}: {len(picture.palette)} colours do not fit in "
            f"{picture.bits} bits")
    if picture.transparent is not None and (0, 0, 0) not in picture.palette:
        # A see-through pixel must leave the screen as it is: its colour is
        # XORed onto it, so it has to be black.
        raise PictureError(f"{path}: a transparent picture needs black (000000)")
    if len(picture.rows) != picture.height:
        raise PictureError(f"{path}: the picture needs {picture.height} rows")
    for offset, row in enumerate(picture.rows):
        where = f"{path}:{first_line + offset + 1}"
        if len(row) != picture.width:
            raise PictureError(f"{where}: the row needs {picture.width} pixels")
        for character in row:
            if character != picture.transparent and character not in picture.index_of:
                raise PictureError(f"{where}: {character!r} has no colour")


def packed_row(values, bits):
    """Pixels of one row, most significant bits first, padded to 4 bytes."""
    data = bytearray()
    per_byte = 8 // bits
    for start in range(0, len(values), per_byte):
        byte = 0
        for position, value in enumerate(values[start:start + per_byte]):
            byte |= value << (8 - bits * (position + 1))
        data.append(byte)
    while len(data) % 4:
        data.append(0)
    return bytes(data)


def image(picture):
    """The icon image: header, palette, colour pixels and the mask."""
    black = picture.palette.index((0, 0, 0)) if (0, 0, 0) in picture.palette else 0
    colours, mask = bytearray(), bytearray()
    for row in reversed(picture.rows):  # bitmaps are stored bottom-up
        see_through = [character == picture.transparent for character in row]
        indices = [black if clear else picture.index_of[character]
                   for character, clear in zip(row, see_through)]
        colours += packed_row(indices, picture.bits)
        mask += packed_row([1 if clear else 0 for clear in see_through], 1)
    palette = bytearray()
    for red, green, blue in picture.palette:
        palette += bytes((blue, green, red, 0))
    palette += bytes(4 * ((1 << picture.bits) - len(picture.palette)))
    header = struct.pack(
        "<IiiHHIIiiII", 40, picture.width, 2 * picture.height, 1, picture.bits,
        0, len(colours) + len(mask), 0, 0, 0, 0)
    return header + palette + colours + mask


def icon(pictures):
    images = [image(picture) for picture in pictures]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = len(data) + 16 * len(images)
    for picture, data_of_image in zip(pictures, images):
        colour_count = 1 << picture.bits if picture.bits < 8 else 0
        data += struct.pack(
            "<BBBBHHII", picture.width % 256, picture.height % 256, colour_count,
            0, 1, picture.bits, len(data_of_image), offset)
        offset += len(data_of_image)
    return data + b"".join(images)


def main(arguments):
    if len(arguments) < 2:
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    output, inputs = arguments[0], arguments[1:]
    try:
        pictures = [parse(path) for path in inputs]
    except (OSError, ValueError, PictureError) as error:
        print(f"make_icon.py: {error}", file=sys.stderr)
        return 1
    with open(output, "wb") as file:
        file.write(icon(pictures))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
