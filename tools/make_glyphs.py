#!/usr/bin/env python3
# Generates screen/glyphs.cpp, the built-in 8x8 and 8x16 code page 437 glyph sets, from
# free bitmap fonts of two Debian packages.
#
# Run by hand from the repository root (the build never runs it, and needs neither package):
#   apt-get install console-setup-linux
#   apt-get download libsdl2-gfx-dev        # or install it; then omit --sdl-gfx-deb
#   python3 tools/make_glyphs.py --sdl-gfx-deb libsdl2-gfx-dev_*.deb [--sheets DIR]
# --sheets DIR also writes glyphs_8x8.png and glyphs_8x16.png (16 x 16 grids, scaled, with
# joined box drawing below) through ImageMagick's convert, to check the shapes by eye.

import argparse
import gzip
import io
import os
import re
import struct
import subprocess
import sys
import tarfile

# Code page 437 to Unicode, written out because Python's cp437 codec gives control
# characters for 1-31 and 127. Each code lists the code points whose glyph may stand for
# it, best first (the console fonts file the pointers 16 and 17 under U+25B6 and U+25C0).
CP437 = [
    [], [0x263A], [0x263B], [0x2665], [0x2666], [0x2663], [0x2660], [0x2022],
    [0x25D8], [0x25CB], [0x25D9], [0x2642], [0x2640], [0x266A], [0x266B], [0x263C],
    [0x25BA, 0x25B6], [0x25C4, 0x25C0], [0x2195], [0x203C], [0x00B6], [0x00A7],
    [0x25AC], [0x21A8], [0x2191], [0x2193], [0x2192], [0x2190], [0x221F], [0x2194],
    [0x25B2], [0x25BC],
] + [[c] for c in range(0x20, 0x7F)] + [[0x2302]] + [[c] for c in [
    0xC7, 0xFC, 0xE9, 0xE2, 0xE4, 0xE0, 0xE5, 0xE7, 0xEA, 0xEB, 0xE8, 0xEF, 0xEE, 0xEC, 0xC4, 0xC5,
    0xC9, 0xE6, 0xC6, 0xF4, 0xF6, 0xF2, 0xFB, 0xF9, 0xFF, 0xD6, 0xDC, 0xA2, 0xA3, 0xA5, 0x20A7, 0x0192,
    0xE1, 0xED, 0xF3, 0xFA, 0xF1, 0xD1, 0xAA, 0xBA, 0xBF, 0x2310, 0xAC, 0xBD, 0xBC, 0xA1, 0xAB, 0xBB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0]] + [[]]
assert len(CP437) == 256

# 8x16: Linux console fonts, searched in order; later ones only fill what earlier ones
# lack (FullGreek has the true double-line box pieces and the arrow triangles, Uni2 the
# Latin letters FullGreek leaves out).
FONT_DIR = "/usr/share/consolefonts"
PSF_PACKAGE = "console-setup-linux"
PSF_SOURCES = ["FullGreek-VGA16.psf.gz", "Uni2-VGA16.psf.gz"]

# 8x8: the C array of SDL2_gfx, 256 glyphs in code page 437 order. (The 8-row console
# fonts above map the Greek letters to wrong shapes and lack several code points.)
SDL_PACKAGE = "libsdl2-gfx-dev"
SDL_HEADER = "usr/include/SDL2/SDL2_gfxPrimitives_font.h"


def load_psf(path):
    """Returns (height, glyph rows list, {code point: glyph index}) of a PSF1 font."""
    data = gzip.open(path).read()
    if data[:2] != b"\x36\x04" or not data[2] & 6:
        sys.exit(f"{path}: not a PSF1 font with a Unicode table")
    mode, height = data[2], data[3]
    count = 512 if mode & 1 else 256
    glyphs = [data[4 + i * height:4 + (i + 1) * height] for i in range(count)]
    # Per glyph: its code points, then optional 0xFFFE-led sequences, then 0xFFFF.
    cmap, pos, index, in_seq = {}, 4 + count * height, 0, False
    while index < count:
        (v,) = struct.unpack_from("<H", data, pos)
        pos += 2
        if v == 0xFFFF:
            index, in_seq = index + 1, False
        elif v == 0xFFFE:
            in_seq = True
        elif not in_seq:
            cmap.setdefault(v, index)
    return height, glyphs, cmap


def build_16():
    """Returns (256 glyphs of 16 rows, notes on glyphs not from the first font)."""
    fonts = []
    for name in PSF_SOURCES:
        height, glyphs, cmap = load_psf(os.path.join(FONT_DIR, name))
        if height != 16:
            sys.exit(f"{name}: height {height}, expected 16")
        fonts.append((name, glyphs, cmap))
    table, notes = [], []
    for code, points in enumerate(CP437):
        glyph = bytes(16) if not points else None  # 0 and 255 are blank
        for n, (name, glyphs, cmap) in enumerate(fonts):
            found = [cp for cp in points if cp in cmap]
            if glyph is None and found:
                glyph = glyphs[cmap[found[0]]]
                if n > 0:
                    notes.append(f"0x{code:02X}")
        if glyph is None:
            sys.exit(f"no 16-row glyph for 0x{code:02X} (U+{points[0]:04X})")
        table.append(glyph)
    # The source's upper half block is one row short of the complement of its lower half,
    # which would leave a gap line in half-block pictures.
    table[0xDF] = bytes(0xFF ^ b for b in table[0xDC])
    return table, notes


def read_sdl_header(args):
    """Returns (header text, package version) from the installed package or a .deb."""
    if args.sdl_gfx_deb:
        version = subprocess.run(["dpkg-deb", "-f", args.sdl_gfx_deb, "Version"], capture_output=True,
                                 text=True, check=True).stdout.strip()
        tar = subprocess.run(["dpkg-deb", "--fsys-tarfile", args.sdl_gfx_deb], capture_output=True,
                             check=True).stdout
        with tarfile.open(fileobj=io.BytesIO(tar)) as t:
            text = t.extractfile("./" + SDL_HEADER).read()
    else:
        version = package_version(SDL_PACKAGE)
        with open("/" + SDL_HEADER, "rb") as f:
            text = f.read()
    return text.decode("latin-1"), version


def build_8(text):
    body = text[text.index("{", text.index("gfxPrimitivesFontdata")):text.rindex("}")]
    body = re.sub(r"/\*.*?\*/", "", body, flags=re.S)
    values = [int(v, 16) for v in re.findall(r"0x([0-9a-fA-F]{1,2})\b", body)]
    if len(values) != 256 * 8:
        sys.exit(f"{SDL_HEADER}: {len(values)} bytes, expected 2048")
    table = [bytes(values[k * 8:k * 8 + 8]) for k in range(256)]
    table[0] = table[255] = bytes(8)
    return table


def package_version(name):
    try:
        return subprocess.run(["dpkg-query", "-W", "-f=${Version}", name],
                              capture_output=True, text=True, check=True).stdout.strip()
    except (OSError, subprocess.CalledProcessError):
        sys.exit(f"{name} is not installed")


def emit_table(out, name, table, height):
    out.append(f"const uint8_t {name}[256 * {height}] = {{")
    for code, glyph in enumerate(table):
        out.append("    " + ", ".join(f"0x{b:02X}" for b in glyph) + f",  // 0x{code:02X}")
    out.append("};")


def write_source(path, tables, notes, sdl_version, sdl_notice, psf_notice):
    out = [
        "// The built-in glyph sets: code page 437 in 8x8 and 8x16 cells, one byte per row,",
        "// bit 7 the leftmost pixel. Generated by tools/make_glyphs.py; do not edit.",
        "//",
        f"// 8x16: Linux console fonts {' and '.join(PSF_SOURCES)} of the Debian package",
        f"// {PSF_PACKAGE} {package_version(PSF_PACKAGE)}; {', '.join(notes)} from the second, the rest",
        "// from the first; 0xDF (upper half) made the exact complement of 0xDC (lower half).",
        "// The package calls its console fonts public domain; their VGA shapes come from",
        "// u_vga16.bdf, whose notice in the package's copyright.fonts follows:",
    ]
    out += ["//   " + line if line else "//" for line in psf_notice]
    out += [
        "//",
        f"// 8x8: gfxPrimitivesFontdata of SDL2_gfxPrimitives_font.h, Debian package {SDL_PACKAGE}",
        f"// {sdl_version}, under the zlib licence, whose notice follows:",
    ]
    out += ["//   " + line if line else "//" for line in sdl_notice]
    out += ["", '#include "screen/glyphs.h"', ""]
    emit_table(out, "glyphs_8x8", tables[8], 8)
    out.append("")
    emit_table(out, "glyphs_8x16", tables[16], 16)
    with open(path, "w") as f:
        f.write("\n".join(out) + "\n")


# Box drawing laid out without gaps, to see lines join across cells.
SAMPLE = [line.encode("cp437") for line in [
    "╔═╦═╗ ┌─┬─┐ ╒═╤═╕ ╓─╥─╖ ░▒▓█▄▀▌▐",
    "║A║B║ │A│B│ │A│B│ ║A║B║ ░▒▓█▄▀▌▐",
    "╠═╬═╣ ├─┼─┤ ╞═╪═╡ ╟─╫─╢ ░▒▓█▄▀▌▐",
    "╚═╩═╝ └─┴─┘ ╘═╧═╛ ╙─╨─╜ ░▒▓█▄▀▌▐",
]]


def write_sheet(path, table, height, scale=3, gap=2):
    cell_w, cell_h = 8 + gap, height + gap
    grid_w, grid_h = 16 * cell_w + gap, 16 * cell_h + gap
    sample_h = len(SAMPLE) * height
    width, total_h = max(grid_w, 32 * 8), grid_h + gap * 4 + sample_h
    pix = [[96] * width for _ in range(total_h)]  # grey gaps
    def put(code, x0, y0):
        for r, row in enumerate(table[code]):
            for j in range(8):
                pix[y0 + r][x0 + j] = 255 if row & (0x80 >> j) else 0
    for code in range(256):
        put(code, gap + (code % 16) * cell_w, gap + (code // 16) * cell_h)
    for line, codes in enumerate(SAMPLE):
        for col, code in enumerate(codes):
            put(code, col * 8, grid_h + gap * 4 + line * height)
    pgm = path[:-4] + ".pgm"
    with open(pgm, "wb") as f:
        f.write(f"P5 {width} {total_h} 255\n".encode())
        f.write(bytes(v for row in pix for v in row))
    subprocess.run(["convert", pgm, "-filter", "point", "-resize", f"{scale * 100}%", path], check=True)
    os.remove(pgm)


def psf_licence():
    """The u_vga16.bdf section of the console fonts' copyright file, as lines."""
    path = f"/usr/share/doc/{PSF_PACKAGE}/copyright.fonts.gz"
    text = gzip.open(path).read().decode("utf-8")
    section = text[text.index("== u_vga16.bdf"):]
    section = section[section.index("\n") + 1:section.index("\n== ", 1)]
    return [line.rstrip() for line in section.strip().splitlines()]


def sdl_licence(text):
    """The zlib notice at the top of the SDL2_gfx header, as lines."""
    comment = text[text.index("/*") + 2:text.index("*/")]
    return [line.rstrip() for line in comment.strip().splitlines()]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--out", default="screen/glyphs.cpp")
    parser.add_argument("--sdl-gfx-deb", metavar="FILE", help=f"a downloaded {SDL_PACKAGE} package")
    parser.add_argument("--sheets", metavar="DIR")
    args = parser.parse_args()
    header, sdl_version = read_sdl_header(args)
    tables = {8: build_8(header)}
    tables[16], notes = build_16()
    write_source(args.out, tables, notes, sdl_version, sdl_licence(header), psf_licence())
    if args.sheets:
        for height in (8, 16):
            write_sheet(os.path.join(args.sheets, f"glyphs_8x{height}.png"), tables[height], height)


if __name__ == "__main__":
    main()
