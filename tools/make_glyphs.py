#!/usr/bin/env python3
"""Draws the button glyphs and the check-box images of the controls and
writes them as XPM arrays to src/controls/GlyphImages.inc.

Every picture is drawn here from simple shapes; run again after a change:
    python3 tools/make_glyphs.py
"""
import os

OLIVE = "#808000"  # transparent background (lower-left pixel)
PALETTE = {
    ".": OLIVE,
    "k": "#000000",
    "w": "#FFFFFF",
    "s": "#C0C0C0",
    "g": "#808080",
    "d": "#404040",
    "b": "#0000FF",
    "n": "#000080",
    "r": "#FF0000",
    "m": "#800000",
    "y": "#FFFF00",
    "p": "#FF80C0",
    "c": "#00C0C0",
    "t": "#C08040",
    "e": "#008000",
}


class Pic:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [["." for _ in range(w)] for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        for x in range(x0, x1 + 1):
            self.set(x, y0, c)
            self.set(x, y1, c)
        for y in range(y0, y1 + 1):
            self.set(x0, y, c)
            self.set(x1, y, c)

    def line(self, x0, y0, x1, y1, c, thick=1):
        n = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(n + 1):
            x = round(x0 + (x1 - x0) * i / n)
            y = round(y0 + (y1 - y0) * i / n)
            for t in range(thick):
                self.set(x + t, y, c)

    def circle(self, cx, cy, r, c, fill=None):
        for y in range(self.h):
            for x in range(self.w):
                d2 = (x - cx) ** 2 + (y - cy) ** 2
                if fill and d2 <= (r - 0.9) ** 2:
                    self.set(x, y, fill)
                elif (r - 0.9) ** 2 < d2 <= (r + 0.4) ** 2:
                    self.set(x, y, c)

    def greyed(self):
        """The disabled image: every drawn pixel grey, a white shadow below-right."""
        out = Pic(self.w, self.h)
        for y in range(self.h):
            for x in range(self.w):
                if self.px[y][x] != ".":
                    out.set(x + 1, y + 1, "w")
        for y in range(self.h):
            for x in range(self.w):
                if self.px[y][x] != ".":
                    out.set(x, y, "g")
        return out


def beside(*pics):
    out = Pic(sum(p.w for p in pics), pics[0].h)
    x0 = 0
    for p in pics:
        for y in range(p.h):
            for x in range(p.w):
                out.px[y][x0 + x] = p.px[y][x]
        x0 += p.w
    return out


def lookup():  # magnifying glass: the F2 look-up
    p = Pic(16, 16)
    p.circle(6, 6, 4.5, "n", fill="c")
    p.set(4, 4, "w")
    p.set(5, 3, "w")
    p.line(9, 10, 13, 14, "d", thick=2)
    p.line(10, 9, 14, 13, "d")
    return p


def calendar():
    p = Pic(16, 16)
    p.rect(1, 2, 14, 14, "w")
    p.frame(1, 2, 14, 14, "k")
    p.rect(2, 3, 13, 5, "r")
    for x in (4, 11):
        p.rect(x, 1, x, 3, "d")
    for y in (7, 9, 11, 13):
        for x in range(3, 13, 3):
            p.rect(x, y, x + 1, y, "g")
    p.rect(9, 9, 10, 9, "r")
    return p


def units():  # a sheet with lines: a list to pick from
    p = Pic(16, 16)
    p.rect(3, 1, 12, 14, "w")
    p.frame(3, 1, 12, 14, "k")
    for y in (4, 7, 10):
        p.rect(5, y, 6, y, "b")
        p.rect(8, y, 10, y, "d")
    return p


def person():
    p = Pic(16, 16)
    p.circle(8, 5, 3, "m", fill="t")
    p.rect(3, 10, 12, 14, "n")
    p.rect(4, 9, 11, 9, "n")
    p.rect(7, 10, 8, 12, "w")
    return p


def delete():  # a red cross
    p = Pic(16, 16)
    p.line(3, 3, 11, 11, "r", thick=3)
    p.line(11, 3, 3, 11, "r", thick=3)
    return p


def clear():  # an eraser, with its own disabled image
    p = Pic(16, 16)
    for y in range(16):
        for x in range(16):
            u, v = x + y, x - y
            if 12 <= u <= 22 and -8 <= v <= 8:
                edge = u in (12, 22) or v in (-8, 8)
                p.set(x, y, "k" if edge else ("p" if v <= 2 else "s"))
    return beside(p, p.greyed())


def phrases():  # a book of common phrases
    p = Pic(16, 16)
    p.rect(3, 1, 13, 14, "e")
    p.frame(3, 1, 13, 14, "k")
    p.rect(4, 2, 4, 13, "y")
    for y in (4, 6):
        p.rect(6, y, 11, y, "w")
    return p


def arrow(right, bar):
    """A navy triangle pointing left or right, with a bar at its tip for the
    first and last record; beside it the disabled image."""

    def draw():
        p = Pic(16, 16)
        tip, base = (11, 5) if right else (4, 10)
        for i in range(6):
            x = tip - i if right else tip + i
            p.rect(x, 8 - i, x, 7 + i, "n")
        if bar:
            x = 12 if right else 2
            p.rect(x, 3, x + 1, 12, "n")
        return beside(p, p.greyed())

    return draw


GLYPHS = {
    4: clear,
    8: lookup,
    9: calendar,
    11: units,
    28: arrow(False, False),  # prior record
    29: arrow(True, False),  # next record
    30: arrow(False, True),  # first record
    31: arrow(True, True),  # last record
    39: person,
    47: delete,
    62: phrases,
}


def check_box(mark):
    """19 x 14: a 13 x 13 box (white top-left edge, grey bottom-right edge,
    silver face) on olive; the mark drawn over it."""
    p = Pic(19, 14)
    p.rect(1, 1, 13, 13, "s")
    p.line(1, 1, 13, 1, "w")
    p.line(1, 1, 1, 13, "w")
    p.line(2, 13, 13, 13, "g")
    p.line(13, 2, 13, 13, "g")
    if mark == "tick":  # reaches past the box's top-right corner
        p.line(4, 7, 6, 10, "b", thick=2)
        p.line(6, 10, 15, 0, "b", thick=2)
    elif mark == "question":
        p.rect(5, 3, 9, 3, "b")
        p.rect(4, 4, 5, 5, "b")
        p.rect(9, 4, 10, 6, "b")
        p.rect(8, 7, 9, 7, "b")
        p.rect(7, 8, 8, 9, "b")
        p.rect(7, 11, 8, 12, "b")
    return p


def xpm(name, pic):
    used = sorted({c for row in pic.px for c in row})
    lines = [f'"{pic.w} {pic.h} {len(used)} 1"']
    lines += [f'"{c} c {PALETTE[c]}"' for c in used]
    lines += ['"' + "".join(row) + '"' for row in pic.px]
    body = ",\n    ".join(lines)
    return f"static const char* const {name}[] = {{\n    {body}}};\n"


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = [
        "// Generated by tools/make_glyphs.py; do not edit by hand.\n",
        "// clang-format off\n",
    ]
    for n, draw in sorted(GLYPHS.items()):
        out.append(xpm(f"kGlyph{n}", draw()))
    for name, mark in (("kChecked", "tick"), ("kGrayed", "question"), ("kUnchecked", None)):
        out.append(xpm(name, check_box(mark)))
    out.append("static const struct { int Index; const char* const* Xpm; } kGlyphs[] = {\n")
    out += [f"    {{{n}, kGlyph{n}}},\n" for n in sorted(GLYPHS)]
    out.append("};\n// clang-format on\n")
    path = os.path.join(root, "src", "controls", "GlyphImages.inc")
    with open(path, "w") as f:
        f.write("".join(out))


if __name__ == "__main__":
    main()
