#!/usr/bin/env python3
"""Writes the program's toolbar and menu images, ui/icons/<name>.svg.

One style for all: a 16 x 16 grid, a dark outline one unit wide, flat fills from
one small palette. Run from the top of the source tree after changing a shape:
    python3 tools/icons/make_icons.py
The SVG files are committed; the build embeds them.
"""
import math
import os

INK = "#27344a"
BLUE = "#6b9be0"
LIGHT = "#cfe0f7"
YELLOW = "#f4c54f"
RED = "#dc5a4e"
GREEN = "#5db55f"
GREY = "#c9ced6"
WHITE = "#fbfbfb"
PURPLE = "#9a78d0"
CYAN = "#5cc6d0"


def poly(points, fill=BLUE, stroke=INK, width=1.0, closed=True):
    pts = " ".join(f"{x:g},{y:g}" for x, y in points)
    tag = "polygon" if closed else "polyline"
    f = fill if closed else "none"
    return (f'<{tag} points="{pts}" fill="{f}" stroke="{stroke}" stroke-width="{width:g}" '
            f'stroke-linejoin="round" stroke-linecap="round"/>')


def line(x1, y1, x2, y2, stroke=INK, width=1.0):
    return (f'<line x1="{x1:g}" y1="{y1:g}" x2="{x2:g}" y2="{y2:g}" stroke="{stroke}" '
            f'stroke-width="{width:g}" stroke-linecap="round"/>')


def circle(cx, cy, r, fill=BLUE, stroke=INK, width=1.0):
    return f'<circle cx="{cx:g}" cy="{cy:g}" r="{r:g}" fill="{fill}" stroke="{stroke}" stroke-width="{width:g}"/>'


def rect(x, y, w, h, fill=BLUE, stroke=INK, width=1.0, r=0.0):
    return (f'<rect x="{x:g}" y="{y:g}" width="{w:g}" height="{h:g}" rx="{r:g}" fill="{fill}" '
            f'stroke="{stroke}" stroke-width="{width:g}"/>')


def path(d, fill="none", stroke=INK, width=1.0):
    return (f'<path d="{d}" fill="{fill}" stroke="{stroke}" stroke-width="{width:g}" '
            f'stroke-linejoin="round" stroke-linecap="round"/>')


def ngon(cx, cy, r, n, start=-90.0):
    return [(round(cx + r * math.cos(math.radians(start + 360.0 * i / n)), 2),
             round(cy + r * math.sin(math.radians(start + 360.0 * i / n)), 2)) for i in range(n)]


def star(cx, cy, r1, r2, n, start=-90.0):
    pts = []
    for i in range(2 * n):
        r = r1 if i % 2 == 0 else r2
        a = math.radians(start + 180.0 * i / n)
        pts.append((round(cx + r * math.cos(a), 2), round(cy + r * math.sin(a), 2)))
    return pts


def arrow_right(x, y, s=1.0, fill=BLUE):
    return poly([(x, y - 3 * s), (x + 4 * s, y), (x, y + 3 * s)], fill)


def arrow_left(x, y, s=1.0, fill=BLUE):
    return poly([(x, y - 3 * s), (x - 4 * s, y), (x, y + 3 * s)], fill)


# Shared pieces.
def cube(x=2.5, y=3.5, s=9.0, fill=BLUE, top=LIGHT):
    d = s * 0.4
    return [poly([(x, y + d), (x + s, y + d), (x + s, y + d + s), (x, y + d + s)], fill),
            poly([(x, y + d), (x + d, y), (x + s + d, y), (x + s, y + d)], top),
            poly([(x + s, y + d), (x + s + d, y), (x + s + d, y + s), (x + s, y + d + s)], fill)]


def icosa(cx=8, cy=8, r=6.5, fill=BLUE):
    outer = ngon(cx, cy, r, 6)
    inner = ngon(cx, cy, r * 0.5, 3, 90)
    out = [poly(outer, fill)]
    out.append(poly(inner, LIGHT))
    for i, p in enumerate(inner):
        out.append(line(p[0], p[1], outer[(2 * i + 1) % 6][0], outer[(2 * i + 1) % 6][1]))
        out.append(line(p[0], p[1], outer[(2 * i + 2) % 6][0], outer[(2 * i + 2) % 6][1]))
        out.append(line(p[0], p[1], outer[(2 * i + 3) % 6][0], outer[(2 * i + 3) % 6][1]))
    return out


def folder(fill=YELLOW):
    return [poly([(1.5, 4), (6, 4), (7.5, 5.5), (14.5, 5.5), (14.5, 13.5), (1.5, 13.5)], fill)]


def disk(fill=BLUE):
    return [poly([(2, 2), (12.5, 2), (14, 3.5), (14, 14), (2, 14)], fill),
            rect(4.5, 2, 6, 4, WHITE), rect(4, 9, 8, 5, LIGHT)]


def net_shape(fill=YELLOW):
    # An unfolded cube.
    cells = [(5.5, 1), (1.5, 5), (5.5, 5), (9.5, 5), (5.5, 9)]
    return [rect(x, y, 4, 4, fill) for x, y in cells] + [rect(5.5, 13, 4, 2.5, fill)]


def swatch(fill, x=9, y=9, s=6):
    return rect(x, y, s, s, fill)


def pencil(x=9, y=2):
    return poly([(x, y + 7), (x + 5, y + 2), (x + 6.5, y + 3.5), (x + 1.5, y + 8.5), (x - 0.5, y + 9)], YELLOW)


def morph(kind):
    left = poly(ngon(5, 8, 4, 4, 45), BLUE)
    right_shapes = {
        "size": poly(ngon(11, 8, 3, 4, 45), LIGHT),
        "truncate": poly(ngon(11, 8, 3.5, 8, 22.5), LIGHT),
        "augment": poly(star(11, 8, 4.5, 2.5, 4, 45), LIGHT),
        "expand": poly(ngon(11, 8, 4, 8, 0), LIGHT),
        "quads": poly([(8, 8), (11, 4), (14.5, 8), (11, 12)], LIGHT),
        "triangles": poly(ngon(11, 8.8, 4, 3), LIGHT),
        "compound": poly(star(11, 8, 4.5, 2.2, 6), LIGHT),
        "rectify": poly(ngon(11, 8, 4, 4, 0), LIGHT),
    }
    return [left, right_shapes[kind], line(8.2, 14, 8.2, 2, INK, 0.8)]


ICONS = {
    "list": [rect(2, 2, 12, 12, WHITE)] + [line(4.5, y, 11.5, y) for y in (5, 8, 11)],
    "open": folder() + [poly([(3.5, 8), (15, 8), (13, 13.5), (1.5, 13.5)], "#f8dc8e")],
    "save": disk(),
    "saveas": disk() + [pencil(8.5, 5)],
    "print": [rect(4, 1.5, 8, 5, WHITE), rect(1.5, 6, 13, 6, GREY), rect(4, 10, 8, 4.5, WHITE), circle(12.5, 8, 0.7, GREEN, GREEN)],
    "undo": [path("M4 6 h6 a3.5 3.5 0 0 1 0 7 h-4", "none", INK, 1.6), poly([(1.5, 6), (5, 3), (5, 9)], BLUE)],
    "redo": [path("M12 6 h-6 a3.5 3.5 0 0 0 0 7 h4", "none", INK, 1.6), poly([(14.5, 6), (11, 3), (11, 9)], BLUE)],
    "prev": [arrow_left(9.5, 8, 1.6)],
    "next": [arrow_right(6.5, 8, 1.6)],
    "augment": [poly([(2, 14), (14, 14), (14, 9), (2, 9)], BLUE), poly([(2, 9), (8, 1.5), (14, 9)], YELLOW)],
    "putmodels": [rect(1.5, 8, 13, 6.5, BLUE), poly(ngon(4.5, 5, 3, 3), YELLOW), poly(ngon(11.5, 5, 3, 3), YELLOW)],
    "block": [rect(1.5, 1.5, 6, 6, BLUE), rect(8.5, 1.5, 6, 6, LIGHT), rect(1.5, 8.5, 6, 6, LIGHT), rect(8.5, 8.5, 6, 6, BLUE)],
    "deletepart": cube() + [line(9, 9, 15, 15, RED, 2), line(15, 9, 9, 15, RED, 2)],
    "base": icosa(),
    "dual": [poly(ngon(8, 8, 6.5, 5), YELLOW), poly(ngon(8, 8, 3, 5, 90), "#f8dc8e")] +
            [line(*ngon(8, 8, 3, 5, 90)[i], *ngon(8, 8, 6.5, 5)[(i + 3) % 5]) for i in range(5)],
    "compound": [poly(ngon(7, 7, 5.5, 6), BLUE), poly(ngon(9.5, 9.5, 5, 5), YELLOW)],
    "basestel": [poly(star(8, 8, 7, 3, 5), BLUE)],
    "dualstel": [poly(star(8, 8, 7, 3, 5), YELLOW)],
    "previewfacet": [poly(ngon(8, 8, 6.5, 6), WHITE), poly(star(8, 8, 6.5, 2.6, 6), GREEN)],
    "face": [poly(ngon(8, 8.5, 6.5, 5), BLUE)],
    "stelface": [poly(ngon(8, 8.5, 3.5, 5), BLUE), poly(star(8, 8.5, 7, 3.5, 5), "none")],
    "steldiagram": [poly(ngon(8, 8.5, 3.2, 5), BLUE)] + [line(*a, *b, INK, 0.8) for a, b in
                    zip(star(8, 8.5, 7.2, 3.2, 5)[0::2], star(8, 8.5, 7.2, 3.2, 5)[4::2] + star(8, 8.5, 7.2, 3.2, 5)[0:4:2])],
    "celldiagram": [poly(star(8, 8.5, 7, 3.2, 5), LIGHT), poly(ngon(8, 8.5, 3.2, 5, 90), YELLOW)],
    "vertexfigure": [poly(ngon(8, 9, 6, 5), "none"), poly(ngon(8, 9, 3, 5), YELLOW), circle(8, 9, 1, INK, INK)],
    "facetdiagram": [poly(ngon(8, 8, 6.5, 6), WHITE)] + [circle(x, y, 1.1, GREEN) for x, y in ngon(8, 8, 6.5, 6)] +
                    [line(*ngon(8, 8, 6.5, 6)[0], *ngon(8, 8, 6.5, 6)[2], GREEN), line(*ngon(8, 8, 6.5, 6)[2], *ngon(8, 8, 6.5, 6)[4], GREEN),
                     line(*ngon(8, 8, 6.5, 6)[4], *ngon(8, 8, 6.5, 6)[0], GREEN)],
    "crosssection": cube() + [poly([(2.5, 10), (11.5, 10), (15, 7.5), (6, 7.5)], RED)],
    "unfoldednet": net_shape(),
    "foldingnet": [rect(5.5, 7, 5, 5, YELLOW), poly([(5.5, 7), (8, 2), (13, 2), (10.5, 7)], "#f8dc8e"),
                   poly([(10.5, 7), (14.5, 5), (14.5, 10), (10.5, 12)], "#f8dc8e"), rect(1, 7, 4.5, 5, YELLOW)],
    "morphsize": morph("size"),
    "morphtruncate": morph("truncate"),
    "morphaugment": morph("augment"),
    "morphexpand": morph("expand"),
    "morphquads": morph("quads"),
    "morphtriangles": morph("triangles"),
    "morphcompound": morph("compound"),
    "morphrectify": morph("rectify"),
    "layout": [rect(1.5, 2, 13, 12, WHITE), line(8, 2, 8, 14), line(8, 8, 14.5, 8)],
    "info": [circle(8, 8, 6.5, BLUE), line(8, 7, 8, 12, WHITE, 2), circle(8, 4.5, 1, WHITE, WHITE)],
    "select": [poly([(4, 1.5), (4, 13), (7, 10), (9, 14.5), (11, 13.5), (9, 9.5), (13, 9.5)], WHITE)],
    "identify": [circle(6.5, 6.5, 4.5, LIGHT), line(10, 10, 14.5, 14.5, INK, 2.2)],
    "cutedges": [circle(4, 12, 2.2, WHITE), circle(12, 12, 2.2, WHITE), line(5.5, 10.5, 11, 2, INK, 1.3),
                 line(10.5, 10.5, 5, 2, INK, 1.3)],
    "measure": [poly([(1, 10), (10, 1), (15, 6), (6, 15)], YELLOW)] + [line(3 + 2 * i, 8 - 2 * i, 4.5 + 2 * i, 9.5 - 2 * i) for i in range(4)],
    "faceting": [poly(ngon(8, 8, 6.5, 6), WHITE), poly([ngon(8, 8, 6.5, 6)[i] for i in (0, 2, 4)], GREEN)],
    "colorhide": [poly(ngon(6, 8, 5, 4, 45), RED), poly(ngon(11, 8, 4.5, 4, 45), "none", GREY)],
    "imagemode": [rect(1.5, 2.5, 13, 11, LIGHT), poly([(2, 13), (6, 7), (9, 11), (11, 9), (14, 13)], GREEN), circle(11, 5.5, 1.5, YELLOW)],
    "tumble": [path("M3 8 a5 5 0 1 1 2 4", "none", INK, 1.5), poly([(2, 14), (6.5, 13.5), (4, 10)], BLUE), line(2, 8, 14, 8, RED, 1.2)],
    "rainbow": [path(f"M1.5 13 a6.5 6.5 0 0 1 13 0", "none", RED, 1.6), path("M3.5 13 a4.5 4.5 0 0 1 9 0", "none", YELLOW, 1.6),
                path("M5.5 13 a2.5 2.5 0 0 1 5 0", "none", BLUE, 1.6)],
    "replacecolor": [swatch(RED, 1.5, 1.5, 7), swatch(GREEN, 7.5, 7.5, 7), path("M10 2.5 q4 0 4 4", "none", INK, 1.2)],
    "facetypecolor": [poly(ngon(5, 5, 4, 3), RED), poly(ngon(11, 5, 4, 3, 90), RED), poly(ngon(5, 12, 4, 3), GREY), poly(ngon(11, 12, 4, 3, 90), RED)],
    "singlecolor": [poly(ngon(5, 5, 4, 3), GREY), poly(ngon(11, 5, 4, 3, 90), RED), poly(ngon(5, 12, 4, 3), GREY), poly(ngon(11, 12, 4, 3, 90), GREY)],
    "allcolors": [poly(ngon(5, 5, 4, 3), GREEN), poly(ngon(11, 5, 4, 3, 90), GREEN), poly(ngon(5, 12, 4, 3), GREEN), poly(ngon(11, 12, 4, 3, 90), GREEN)],
    "vertices": [poly(ngon(8, 8, 6, 5), "none", GREY)] + [circle(x, y, 1.6, YELLOW) for x, y in ngon(8, 8, 6, 5)],
    "edges": [poly(ngon(8, 8, 6, 5), "none", INK, 1.8)],
    "spheres": [line(3, 12, 13, 4, GREY, 2.5), circle(3.5, 12, 2.5, YELLOW), circle(12.5, 4, 2.5, YELLOW)],
    "axes": [line(8, 1, 8, 15, RED, 1.3), line(1, 8, 15, 8, GREEN, 1.3), line(3, 13, 13, 3, BLUE, 1.3)],
    "planes": [poly([(1, 11), (5, 5), (15, 5), (11, 11)], LIGHT), line(8, 1, 8, 15, INK, 1)],
    "celllines": [poly(star(8, 8.5, 7, 3.2, 5), "none")] + [line(8, 8.5, x, y, GREY, 0.8) for x, y in ngon(8, 8.5, 7, 5)],
    "geomag": [line(3, 12, 13, 4, RED, 2.5), line(3, 12, 13, 12, RED, 2.5), circle(3, 12, 2, GREY), circle(13, 4, 2, GREY), circle(13, 12, 2, GREY)],
    "prevstel": [poly(star(9.5, 8, 5.5, 2.5, 5), BLUE), arrow_left(4.5, 8, 0.9)],
    "nextstel": [poly(star(6.5, 8, 5.5, 2.5, 5), BLUE), arrow_right(11.5, 8, 0.9)],
    "fillcells": [poly(star(8, 8.5, 7, 3.2, 5), BLUE), poly(ngon(8, 8.5, 3.2, 5, 90), BLUE)],
    "highlight": [poly(star(8, 8.5, 7, 3.2, 5), LIGHT), poly([star(8, 8.5, 7, 3.2, 5)[i] for i in (9, 0, 1)], YELLOW)],
    "steldiagramshow": [rect(1.5, 1.5, 13, 13, WHITE), poly(ngon(8, 8.5, 3.2, 5), BLUE)] + [line(*a, *b, INK, 0.8) for a, b in
                        zip(star(8, 8.5, 6.5, 3.2, 5)[0::2], star(8, 8.5, 6.5, 3.2, 5)[4::2] + star(8, 8.5, 6.5, 3.2, 5)[0:4:2])],
    "tourlist": [rect(1.5, 1.5, 13, 13, WHITE)] + [rect(3.5, y, 2, 2, BLUE) for y in (3.5, 7, 10.5)] + [line(7, y + 1, 12.5, y + 1) for y in (3.5, 7, 10.5)],
    "touropen": folder() + [arrow_right(8, 10, 0.8, GREEN)],
    "tourmerge": folder() + [line(8, 7.5, 8, 12.5, GREEN, 1.8), line(5.5, 10, 10.5, 10, GREEN, 1.8)],
    "toursave": disk() + [arrow_right(7, 11.5, 0.6, GREEN)],
    "play": [poly([(4, 2), (13, 8), (4, 14)], GREEN)],
    "touradd": [rect(1.5, 3, 9, 10, WHITE), line(12.5, 5, 12.5, 11, GREEN, 2), line(9.5, 8, 15.5, 8, GREEN, 2)],
    "tourreplace": [rect(1.5, 3, 9, 10, WHITE), path("M11 5 a3 3 0 0 1 0 6", "none", BLUE, 1.6), poly([(10, 9), (13, 12), (10, 13.5)], BLUE)],
    "tourremove": [rect(1.5, 3, 9, 10, WHITE), line(9.5, 8, 15.5, 8, RED, 2)],
    "tourprev": [rect(1.5, 2, 2, 12, INK), arrow_left(11, 8, 1.5, GREEN)],
    "tournext": [rect(12.5, 2, 2, 12, INK), arrow_right(5, 8, 1.5, GREEN)],
    "pivot": [circle(8, 8, 2, RED), path("M2.5 8 a5.5 5.5 0 0 1 11 0", "none", INK, 1.3), poly([(13.5, 10.5), (11, 7), (15.5, 6.5)], BLUE),
              path("M13.5 8 a5.5 5.5 0 0 1 -11 0", "none", INK, 1.3)],
    "lock": [rect(3, 7, 10, 8, YELLOW), path("M5 7 v-2 a3 3 0 0 1 6 0 v2", "none", INK, 1.6)],
    "reflex": [poly([(7, 2), (7, 14), (1.5, 14)], BLUE), poly([(9, 2), (9, 14), (14.5, 14)], LIGHT), line(8, 1, 8, 15, RED, 0.8)],
}

RODS = {
    "rod_yellow": "#f4d03f", "rod_red": "#d64541", "rod_green": "#3fa34d", "rod_blue": "#2f6fd6",
    "rod_metalblue": "#6f8fb8", "rod_silver": "#b8bec8", "rod_glow": "#c8f7a0", "rod_lemon": "#fbf2a0",
    "rod_musk": "#f3c6c6", "rod_mauve": "#d6b8e8", "rod_sky": "#b8dcf5",
}
for name, colour in RODS.items():
    ICONS[name] = [line(3, 13, 13, 3, INK, 4.2), line(3, 13, 13, 3, colour, 2.6), circle(3, 13, 2, GREY), circle(13, 3, 2, GREY)]


def main():
    out = os.path.join(os.path.dirname(__file__), "..", "..", "ui", "icons")
    os.makedirs(out, exist_ok=True)
    for name, shapes in sorted(ICONS.items()):
        body = "\n  ".join(shapes)
        svg = (f'<svg xmlns="http://www.w3.org/2000/svg" width="16" height="16" viewBox="0 0 16 16">\n'
               f'  {body}\n</svg>\n')
        with open(os.path.join(out, name + ".svg"), "w") as f:
            f.write(svg)
    print(f"{len(ICONS)} icons")


if __name__ == "__main__":
    main()
