#!/usr/bin/python3
"""Draws the vorthane artwork: assets/banner.bmp, assets/icon.ico, the
program file's icon assets/program-icon.ico and the PNG previews under docs/.

Everything is computed from code and one free font (C059 Bold from the
Debian package fonts-urw-base35, AGPL-3 with the font exception), with a
fixed-seed random generator, so every run writes the same bytes.

Usage: generate.py [--docs-dir DIR | --no-docs] [OUTDIR]

OUTDIR defaults to the repository's assets/ directory; the previews go to
the repository's docs/ directory unless --docs-dir or --no-docs is given.
Run it with Debian's /usr/bin/python3 (it needs python3-pil and
python3-numpy) and the font package fonts-urw-base35.
"""

import argparse
import io
import math
import os
import struct
import sys

PROG = "generate.py"
FONT_PATH = "/usr/share/fonts/opentype/urw-base35/C059-Bold.otf"
FONT_PACKAGE = "fonts-urw-base35"


def die(message):
    print(f"{PROG}: error: {message}", file=sys.stderr)
    sys.exit(2)


try:
    import numpy as np
except ImportError:
    die("Python module 'numpy' is missing; install the Debian package python3-numpy "
        "and run this script with /usr/bin/python3")
try:
    from PIL import Image, ImageDraw, ImageFilter, ImageFont
except ImportError:
    die("Python module 'PIL' is missing; install the Debian package python3-pil "
        "and run this script with /usr/bin/python3")

# ---------------------------------------------------------------------------
# Banner geometry
# ---------------------------------------------------------------------------

BANNER_W = 804
BANNER_H = 204
# Only these columns may hold anything but black; the rest of the picture
# is left as pure black ground so it melts into a black window.
ART_X0 = 86
ART_X1 = 717
CX = (ART_X0 + ART_X1) / 2.0  # 401.5
CY = (BANNER_H - 1) / 2.0  # 101.5
SS = 4  # supersampling factor for the vector parts (lettering, sword)


class Rng:
    """Small splitmix64 generator: portable, fixed sequence for a fixed seed."""

    MASK = (1 << 64) - 1

    def __init__(self, seed):
        self.state = seed & self.MASK

    def next_u64(self):
        self.state = (self.state + 0x9E3779B97F4A7C15) & self.MASK
        z = self.state
        z = ((z ^ (z >> 30)) * 0xBF58476D1CE4E5B9) & self.MASK
        z = ((z ^ (z >> 27)) * 0x94D049BB133111EB) & self.MASK
        return z ^ (z >> 31)

    def uniform(self, lo=0.0, hi=1.0):
        return lo + (hi - lo) * ((self.next_u64() >> 11) * (1.0 / (1 << 53)))

    def gauss(self):
        # Box-Muller; u1 is kept away from zero so log() is finite.
        u1 = (self.next_u64() >> 11) * (1.0 / (1 << 53)) + 1e-12
        u2 = self.uniform()
        return math.sqrt(-2.0 * math.log(u1)) * math.cos(2.0 * math.pi * u2)


def smoothstep(e0, e1, x):
    t = np.clip((x - e0) / (e1 - e0), 0.0, 1.0)
    return t * t * (3.0 - 2.0 * t)


def blur(field, radius, scale=255.0):
    """Gaussian blur of a float field in [0, 1] through an 8-bit PIL image.

    PIL blurs 8-bit images with integer arithmetic, which keeps the result
    identical from one machine to the next.
    """
    img = Image.fromarray(np.clip(field * scale + 0.5, 0, 255).astype(np.uint8), "L")
    img = img.filter(ImageFilter.GaussianBlur(radius))
    return np.asarray(img, dtype=np.float64) / scale


def coverage(draw_fn):
    """Draws white shapes on a supersampled black 'L' canvas and returns the
    per-pixel coverage (0..1) at banner resolution."""
    img = Image.new("L", (BANNER_W * SS, BANNER_H * SS), 0)
    draw_fn(ImageDraw.Draw(img), SS)
    img = img.reduce(SS)
    return np.asarray(img, dtype=np.float64) / 255.0


def over(dst, colour, alpha):
    """Alpha-composites a colour field (H, W, 3) onto dst with alpha (H, W)."""
    a = alpha[..., None]
    dst *= 1.0 - a
    dst += colour * a


# ---------------------------------------------------------------------------
# Galaxy
# ---------------------------------------------------------------------------

# Horizontal and vertical half-size of the galaxy disc in pixels. The disc
# is wider than the picture is tall, so the arms run off the top and bottom
# edges while the sides fade out inside the allowed columns.
GAL_AX = 262.0
GAL_AY = 132.0


def galaxy_stars(rng):
    """Returns a list of (x, y, brightness, (r, g, b)) star tuples."""
    stars = []

    def add(u, v, bright, tint):
        x = CX + u * GAL_AX
        y = CY + v * GAL_AY
        if ART_X0 - 2 < x < ART_X1 + 2 and -2 < y < BANNER_H + 1:
            stars.append((x, y, bright, tint))

    def star_tint(warmth):
        # warmth 0 = deep blue, 1 = blue-white
        r = 0.35 + 0.55 * warmth
        g = 0.55 + 0.40 * warmth
        return (r, g, 1.0)

    # Spiral arms: logarithmic spirals r = r0 * exp(theta / k).
    arms = [(0.0, 1.0), (math.pi, 1.0), (math.pi * 0.5, 0.45), (math.pi * 1.5, 0.45)]
    k = 3.2  # winding: larger means tighter arms
    r_in, r_out = 0.10, 1.25
    for base_angle, weight in arms:
        count = int(2300 * weight)
        for _ in range(count):
            # More stars near the inside of each arm.
            t = rng.uniform() ** 1.35
            r = r_in * math.exp(t * math.log(r_out / r_in))
            theta = base_angle + k * math.log(r / r_in)
            spread = 0.016 + 0.052 * r
            rr = r + rng.gauss() * spread
            th = theta + rng.gauss() * spread / max(r, 0.05) * 0.6
            u = rr * math.cos(th)
            v = rr * math.sin(th)
            b = (0.25 + 0.75 * rng.uniform() ** 6) * weight ** 0.5
            b *= 1.2 - 0.35 * min(r, 1.2)
            add(u, v, b, star_tint(rng.uniform() ** 2 * (1.1 - 0.5 * r)))

    # Bright clusters strung along the main arms.
    for base_angle in (0.0, math.pi):
        for _ in range(26):
            t = rng.uniform(0.15, 0.95)
            r = r_in * math.exp(t * math.log(r_out / r_in))
            theta = base_angle + k * math.log(r / r_in)
            u0 = r * math.cos(theta)
            v0 = r * math.sin(theta)
            for _ in range(int(rng.uniform(6, 16))):
                add(u0 + rng.gauss() * 0.012, v0 + rng.gauss() * 0.02,
                    rng.uniform(0.4, 1.0), star_tint(rng.uniform(0.5, 1.0)))

    # Diffuse disc population and the dense bulge.
    for _ in range(1500):
        r = -0.33 * math.log(rng.uniform() + 1e-9)
        th = rng.uniform(0.0, 2.0 * math.pi)
        add(r * math.cos(th), r * math.sin(th), 0.10 + 0.25 * rng.uniform() ** 4,
            star_tint(rng.uniform()))
    for _ in range(1500):
        u = rng.gauss() * 0.07
        v = rng.gauss() * 0.07
        add(u, v, 0.3 + 0.5 * rng.uniform(), star_tint(0.7 + 0.3 * rng.uniform()))
    # A thin sprinkle of foreground stars over the whole picture.
    for _ in range(220):
        x = rng.uniform(ART_X0, ART_X1)
        y = rng.uniform(0.0, BANNER_H - 1.0)
        stars.append((x, y, 0.08 + 0.5 * rng.uniform() ** 5, star_tint(rng.uniform())))
    return stars


def render_stars(stars):
    """Splats the stars into a float RGB buffer (linear light)."""
    buf = np.zeros((BANNER_H, BANNER_W, 3), dtype=np.float64)
    xs = np.array([s[0] for s in stars])
    ys = np.array([s[1] for s in stars])
    bs = np.array([s[2] for s in stars])
    tints = np.array([s[3] for s in stars])

    # Point stars: bilinear splat onto the four neighbouring pixels.
    x0 = np.floor(xs).astype(np.int64)
    y0 = np.floor(ys).astype(np.int64)
    fx = xs - x0
    fy = ys - y0
    for dx, dy, w in ((0, 0, (1 - fx) * (1 - fy)), (1, 0, fx * (1 - fy)),
                      (0, 1, (1 - fx) * fy), (1, 1, fx * fy)):
        px = x0 + dx
        py = y0 + dy
        ok = (px >= 0) & (px < BANNER_W) & (py >= 0) & (py < BANNER_H)
        val = (bs * w)[:, None] * tints
        np.add.at(buf, (py[ok], px[ok]), val[ok])

    # The brightest stars get a small soft disc and, for the very brightest,
    # a thin four-pointed twinkle.
    order = np.argsort(-bs, kind="stable")
    ys_g, xs_g = np.mgrid[-3:4, -3:4]
    for rank, i in enumerate(order[:140]):
        cx, cy = xs[i], ys[i]
        ix, iy = int(round(cx)), int(round(cy))
        dx = xs_g + ix - cx
        dy = ys_g + iy - cy
        disc = np.exp(-(dx * dx + dy * dy) / (2 * 0.75 ** 2)) * bs[i] * 0.9
        if rank < 14:
            disc = disc + (np.exp(-dy * dy / 0.18) * np.exp(-np.abs(dx) / 1.6)
                           + np.exp(-dx * dx / 0.18) * np.exp(-np.abs(dy) / 1.6)) * 0.6
        xa, ya = ix - 3, iy - 3
        sx0, sy0 = max(0, -xa), max(0, -ya)
        sx1, sy1 = min(7, BANNER_W - xa), min(7, BANNER_H - ya)
        if sx0 >= sx1 or sy0 >= sy1:
            continue
        buf[ya + sy0:ya + sy1, xa + sx0:xa + sx1] += (
            disc[sy0:sy1, sx0:sx1, None] * np.array(tints[i]))
    return buf


def render_galaxy():
    rng = Rng(0x5EED_0F_70A7)
    stars = galaxy_stars(rng)
    star_buf = render_stars(stars)

    yy, xx = np.mgrid[0:BANNER_H, 0:BANNER_W].astype(np.float64)
    u = (xx - CX) / GAL_AX
    v = (yy - CY) / GAL_AY
    rho2 = u * u + v * v

    lum = star_buf.max(axis=2)
    glow_near = blur(np.clip(lum * 0.9, 0, 1), 3.0)
    glow_far = blur(np.clip(lum * 0.9, 0, 1), 11.0)

    deep_blue = np.array([0.10, 0.28, 1.00])
    mid_blue = np.array([0.35, 0.55, 1.00])
    core_white = np.array([0.90, 0.95, 1.00])

    light = star_buf * 1.6
    light += glow_near[..., None] * mid_blue * 2.2
    light += glow_far[..., None] * deep_blue * 9.0
    # Bright core and the haze around it.
    light += np.exp(-rho2 / (2 * 0.045 ** 2))[..., None] * core_white * 2.6
    light += np.exp(-rho2 / (2 * 0.13 ** 2))[..., None] * mid_blue * 0.9
    light += np.exp(-np.sqrt(rho2) / 0.32)[..., None] * deep_blue * 0.32

    # Soft film-like roll-off instead of hard clipping.
    img = 1.0 - np.exp(-light)

    # Fade out before the allowed columns end, then clear everything outside.
    window = smoothstep(ART_X0, ART_X0 + 34, xx) * smoothstep(ART_X1, ART_X1 - 34, xx)
    img *= window[..., None]
    return img


# ---------------------------------------------------------------------------
# Lettering
# ---------------------------------------------------------------------------

TITLE_LEFT = "VORT"
TITLE_RIGHT = "HANE"
FONT_SIZE = 88
TITLE_GAP = 22  # extra room between the halves for the sword's guard


def title_layout(font):
    """Returns (x of left half, x of right half, top, cap height, right end)."""
    lb = font.getbbox(TITLE_LEFT)
    rb = font.getbbox(TITLE_RIGHT)
    lw = lb[2] - lb[0]
    rw = rb[2] - rb[0]
    total = lw + TITLE_GAP + rw
    left = CX - total / 2.0 + 6
    cap = rb[3] - rb[1]
    top = CY - cap / 2.0
    return left - lb[0], left + lw + TITLE_GAP - rb[0], top - rb[1], cap, left + total


def render_title(img, font_big, layout):
    lx, rx, ty, cap, _ = layout

    def draw(d, s):
        d.text((lx * s, ty * s), TITLE_LEFT, font=font_big, fill=255)
        d.text((rx * s, ty * s), TITLE_RIGHT, font=font_big, fill=255)

    mask = coverage(draw)
    top = CY - cap / 2.0

    # A dark halo behind the letters lifts them off the bright galaxy.
    outer = np.clip(blur(mask, 1.0) * 2.6, 0.0, 1.0)
    halo = np.clip(blur(outer, 5.0) * 1.5, 0.0, 1.0)
    img *= (1.0 - 0.82 * halo)[..., None]

    # Thin pale rim just outside the glyphs.
    rim = np.clip(outer - mask, 0.0, 1.0)
    over(img, np.array([0.80, 0.89, 1.00]), rim * 0.95)

    # Metallic fill: pale at the top, deeper blue at the bottom, with a
    # brighter band a little above the middle like a polished surface.
    yy, xx = np.mgrid[0:BANNER_H, 0:BANNER_W].astype(np.float64)
    t = np.clip((yy - top) / cap, 0.0, 1.0)[..., None]
    pale = np.array([0.93, 0.96, 1.00])
    deep = np.array([0.13, 0.30, 0.78])
    fill = pale * (1.0 - t) + deep * t
    sheen = np.exp(-((t - 0.30) / 0.07) ** 2) * 0.18
    fill = np.clip(fill + sheen, 0.0, 1.0)

    # Light bevel on the upper-left edges of each stroke.
    inner = blur(mask, 1.4)
    shifted = np.zeros_like(inner)
    shifted[1:, 1:] = inner[:-1, :-1]
    bevel = np.clip((mask - shifted) * 1.6, 0.0, 1.0)[..., None]
    fill = fill * (1.0 - bevel) + np.array([0.97, 0.99, 1.00]) * bevel
    over(img, fill, mask)


# ---------------------------------------------------------------------------
# Sword
# ---------------------------------------------------------------------------

SWORD_Y = CY + 8.0  # centre line of the sword


def render_sword(img, guard_x, tip_x):
    y0 = SWORD_Y
    pommel_cx, pommel_r = ART_X0 + 9.5, 9.5
    grip_x0 = pommel_cx + 6
    grip_x1 = guard_x - 6
    grip_h = 4.6
    blade_x0 = guard_x + 2
    blade_h = 5.4

    yy, xx = np.mgrid[0:BANNER_H, 0:BANNER_W].astype(np.float64)
    dy = yy - y0

    def blade_outline(s):
        pts_top, pts_bot = [], []
        n = 60
        for i in range(n + 1):
            x = blade_x0 + (tip_x - blade_x0) * i / n
            f = (x - blade_x0) / (tip_x - blade_x0)
            if f < 0.86:
                h = blade_h - 1.3 * f / 0.86
            else:
                h = (blade_h - 1.3) * (1.0 - (f - 0.86) / 0.14) ** 0.8
            pts_top.append((x * s, (y0 - h) * s))
            pts_bot.append((x * s, (y0 + h) * s))
        return pts_top + pts_bot[::-1]

    def guard_outline(s):
        # A crescent: an arc bowed to the left with horns toward the blade,
        # thick in the middle and pointed at both ends.
        rc, phi, w0 = 40.0, math.radians(50), 9.0
        ax = guard_x + rc - 4.0
        outer_pts, inner_pts = [], []
        n = 48
        for i in range(n + 1):
            a = -phi + 2 * phi * i / n
            w = w0 * (1.0 - (a / phi) ** 2) ** 0.6 + 0.6
            c, sn = math.cos(a), math.sin(a)
            outer_pts.append(((ax - (rc + w / 2) * c) * s, (y0 + (rc + w / 2) * sn) * s))
            inner_pts.append(((ax - (rc - w / 2) * c) * s, (y0 + (rc - w / 2) * sn) * s))
        return outer_pts + inner_pts[::-1]

    def sword_all(d, s):
        d.polygon(blade_outline(s), fill=255)
        d.polygon(guard_outline(s), fill=255)
        d.rectangle((grip_x0 * s, (y0 - grip_h - 1) * s, grip_x1 * s, (y0 + grip_h + 1) * s),
                    fill=255)
        d.ellipse(((pommel_cx - pommel_r) * s, (y0 - pommel_r) * s,
                   (pommel_cx + pommel_r) * s, (y0 + pommel_r) * s), fill=255)

    # Dark shadow around the whole sword so it reads against the letters.
    whole = coverage(sword_all)
    shadow = np.clip(blur(whole, 1.6) * 2.2, 0.0, 1.0)
    img *= (1.0 - 0.85 * shadow)[..., None]

    # Blade: bevelled silver. Upper bevel catches the light, lower bevel is
    # in shade, a bright ridge runs along the middle.
    blade = coverage(lambda d, s: d.polygon(blade_outline(s), fill=255))
    rel = np.clip(dy / blade_h, -1.0, 1.0)
    upper = np.array([0.86, 0.89, 0.95])
    lower = np.array([0.45, 0.49, 0.58])
    base = np.where((rel < 0)[..., None], upper - 0.18 * (-rel)[..., None],
                    lower + 0.12 * rel[..., None])
    ridge = np.exp(-(dy / 0.8) ** 2)[..., None] * 0.35
    glint = (np.exp(-((xx - (tip_x - 70)) / 26.0) ** 2)
             * np.exp(-(dy / 2.5) ** 2))[..., None] * 0.25
    edge = np.clip(1.0 - (blade_h - np.abs(dy)) / 1.0, 0, 1)[..., None] * 0.15
    blade_col = np.clip(base + ridge + glint + edge, 0.0, 1.0)
    over(img, blade_col, blade)

    # Grip: dark red leather wound in a spiral, shaded like a cylinder.
    grip = coverage(lambda d, s: d.rectangle(
        (grip_x0 * s, (y0 - grip_h) * s, grip_x1 * s, (y0 + grip_h) * s), fill=255))
    cyl = np.clip(1.0 - ((dy + 1.4) / (grip_h + 1.0)) ** 2, 0.0, 1.0)[..., None]
    wrap = (np.mod(xx + dy * 0.9, 7.0) < 1.6)[..., None]
    red_lo = np.array([0.22, 0.02, 0.03])
    red_hi = np.array([0.62, 0.10, 0.10])
    grip_col = red_lo + (red_hi - red_lo) * cyl
    grip_col = np.where(wrap, grip_col * 0.55, grip_col)
    over(img, grip_col, grip)

    # Silver bands at both ends of the grip.
    def band(x_c, half_w, half_h):
        return coverage(lambda d, s: d.rectangle(
            ((x_c - half_w) * s, (y0 - half_h) * s, (x_c + half_w) * s, (y0 + half_h) * s),
            fill=255))

    metal_cyl = np.clip(1.0 - ((dy + 1.5) / 7.5) ** 2, 0.0, 1.0)[..., None]
    silver = np.array([0.40, 0.43, 0.50]) + np.array([0.55, 0.54, 0.50]) * metal_cyl
    for x_c, hw in ((grip_x0 + 2.5, 2.5), (grip_x1 - 2.5, 2.5)):
        over(img, silver, band(x_c, hw, grip_h + 1.0))

    # Pommel: a dark red jewel in a silver ring.
    ring = coverage(lambda d, s: d.ellipse(
        ((pommel_cx - pommel_r) * s, (y0 - pommel_r) * s,
         (pommel_cx + pommel_r) * s, (y0 + pommel_r) * s), fill=255))
    over(img, silver, ring)
    jr = pommel_r - 2.2
    jewel = coverage(lambda d, s: d.ellipse(
        ((pommel_cx - jr) * s, (y0 - jr) * s, (pommel_cx + jr) * s, (y0 + jr) * s), fill=255))
    dist = np.sqrt((xx - pommel_cx + 2.0) ** 2 + (yy - y0 + 2.5) ** 2)
    jewel_col = (np.array([0.30, 0.02, 0.04])
                 + np.array([0.55, 0.12, 0.12]) * np.clip(1.0 - dist / 6.5, 0, 1)[..., None])
    over(img, jewel_col, jewel)

    # Guard: polished silver crescent, lit from above.
    guard = coverage(lambda d, s: d.polygon(guard_outline(s), fill=255))
    gshade = np.clip(0.5 - dy / 70.0, 0.0, 1.0)[..., None]
    gx_rel = np.clip((xx - (guard_x - 8.0)) / 14.0, 0.0, 1.0)[..., None]
    guard_col = (np.array([0.42, 0.45, 0.53]) + np.array([0.52, 0.50, 0.45]) * gshade
                 + 0.12 * np.sin(gx_rel * math.pi))
    over(img, np.clip(guard_col, 0, 1), guard)

    # Round boss where the guard meets blade and grip.
    br = 5.0
    boss = coverage(lambda d, s: d.ellipse(
        ((guard_x - br) * s, (y0 - br) * s, (guard_x + br) * s, (y0 + br) * s), fill=255))
    bdist = np.sqrt((xx - guard_x + 1.5) ** 2 + (yy - y0 + 1.5) ** 2)
    boss_col = (np.array([0.42, 0.45, 0.52])
                + np.array([0.56, 0.53, 0.47]) * np.clip(1.0 - bdist / 5.0, 0, 1)[..., None])
    over(img, boss_col, boss)


def make_banner():
    font = ImageFont.truetype(FONT_PATH, FONT_SIZE * SS, layout_engine=ImageFont.Layout.BASIC)
    font_1x = ImageFont.truetype(FONT_PATH, FONT_SIZE, layout_engine=ImageFont.Layout.BASIC)
    layout = title_layout(font_1x)
    lx, rx, ty, cap, right_end = layout

    img = render_galaxy()
    render_title(img, font, layout)
    # The guard sits in the gap between the two halves of the word.
    lb = font_1x.getbbox(TITLE_LEFT)
    guard_x = lx + lb[2] + TITLE_GAP / 2.0 - 2.0
    render_sword(img, guard_x, min(right_end + 8.0, ART_X1 - 0.5))

    out = np.clip(np.floor(img * 255.0 + 0.5), 0, 255).astype(np.uint8)
    out[:, :ART_X0] = 0
    out[:, ART_X1 + 1:] = 0
    return out


# ---------------------------------------------------------------------------
# Icon
# ---------------------------------------------------------------------------

# The standard 16-colour palette, in index order.
PALETTE16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, SILVER, BLUE, WHITE = 0, 4, 7, 12, 15

# Letter shapes: 'B' blue face, 'N' navy shading; anything else is empty.
GLYPH_V = [
    "BBBB.......BBBB",
    "BBBB.......BBBN",
    "BBBB.......BBBN",
    "BBBBN.....BBBBN",
    ".BBBB.....BBBN.",
    ".BBBB.....BBBN.",
    ".BBBBN...BBBBN.",
    "..BBBB...BBBN..",
    "..BBBB...BBBN..",
    "..BBBBN.BBBBN..",
    "...BBBB.BBBN...",
    "...BBBB.BBBN...",
    "...BBBBNBBBN...",
    "....BBBBBBN....",
    "....BBBBBBN....",
    "....BBBBBBN....",
    ".....BBBBN.....",
    ".....BBBBN.....",
    "......BBN......",
]
GLYPH_S = [
    "...BBBBBBBB..",
    ".BBBBBBBBBBBN",
    "BBBBBNNNNBBBN",
    "BBBBN.....BN.",
    "BBBBN........",
    "BBBBBN.......",
    ".BBBBBBBN....",
    "..BBBBBBBBN..",
    "....BBBBBBBN.",
    "......BBBBBBN",
    "........BBBBN",
    "........BBBBN",
    "BN......BBBBN",
    "BBBN...BBBBBN",
    "BBBBBBBBBBBN.",
    ".NBBBBBBBBN..",
    "...NNNNNNN...",
]


# The icon's white zig-zag (the corners of a 2-pixel line) and its letters (glyph, left, top),
# in the 32x32 design's pixels.
ICON_ZIGZAG = [(0, 28), (4, 22), (9, 28), (14, 22), (19, 28), (24, 22), (29, 28), (31, 26)]
ICON_LETTERS = ((GLYPH_V, 1, 4), (GLYPH_S, 17, 5))


def make_icon_pixels():
    """Returns a 32x32 grid of palette indices, None for transparent."""
    size = 32
    grid = [[None] * size for _ in range(size)]

    # White zig-zag across the lower part of the icon.
    zig = ICON_ZIGZAG
    zig_px = set()
    for (xa, ya), (xb, yb) in zip(zig, zig[1:]):
        steps = max(abs(xb - xa), abs(yb - ya)) * 4
        for i in range(steps + 1):
            x = xa + (xb - xa) * i / steps
            y = ya + (yb - ya) * i / steps
            for ox in (0, 1):
                px, py = int(math.floor(x + 0.5)) + ox - 0, int(math.floor(y + 0.5))
                for oy in (0, 1):
                    if 0 <= px < size and 0 <= py + oy < size:
                        zig_px.add((px, py + oy))
    for x, y in zig_px:
        grid[y][x] = WHITE

    # The letters go on top of the zig-zag.
    letter_px = {}
    for glyph, ox, oy in ICON_LETTERS:
        for r, row in enumerate(glyph):
            for c, ch in enumerate(row):
                if ch == "B":
                    letter_px[(ox + c, oy + r)] = BLUE
                elif ch == "N":
                    letter_px[(ox + c, oy + r)] = NAVY

    # A black outline keeps letters and line readable on any desktop colour.
    shapes = set(zig_px) | set(letter_px)
    for x, y in sorted(shapes):
        for dx in (-1, 0, 1):
            for dy in (-1, 0, 1):
                nx, ny = x + dx, y + dy
                if 0 <= nx < size and 0 <= ny < size and (nx, ny) not in shapes:
                    grid[ny][nx] = BLACK
    # Letters: their own outline also cuts through the zig-zag behind them.
    for (x, y), idx in letter_px.items():
        for dx in (-1, 0, 1):
            for dy in (-1, 0, 1):
                nx, ny = x + dx, y + dy
                if (0 <= nx < size and 0 <= ny < size and (nx, ny) not in letter_px
                        and grid[ny][nx] == WHITE):
                    grid[ny][nx] = BLACK
    for (x, y), idx in letter_px.items():
        grid[y][x] = idx
    return grid


# ---------------------------------------------------------------------------
# File writers
# ---------------------------------------------------------------------------


def bmp_bytes(rgb):
    """24-bit uncompressed BMP with a BITMAPINFOHEADER, rows bottom-up."""
    h, w, _ = rgb.shape
    row_bytes = (w * 3 + 3) & ~3
    pad = bytes(row_bytes - w * 3)
    image_size = row_bytes * h
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + image_size, 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, image_size, 2835, 2835, 0, 0)
    bgr = rgb[::-1, :, ::-1]
    rows = b"".join(bgr[y].tobytes() + pad for y in range(h))
    return header + info + rows


def ico_bytes(grid):
    """One 32x32, 16-colour icon: 4bpp XOR bitmap plus a 1bpp AND mask."""
    size = len(grid)
    xor_row = (size * 4 // 8 + 3) & ~3
    and_row = ((size + 31) // 32) * 4
    xor_size = xor_row * size
    and_size = and_row * size
    image_size = 40 + 16 * 4 + xor_size + and_size

    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0,
                       xor_size + and_size, 0, 0, 0, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE16)
    xor = bytearray()
    mask = bytearray()
    for y in range(size - 1, -1, -1):
        row = grid[y]
        line = bytearray(xor_row)
        bits = bytearray(and_row)
        for x in range(size):
            idx = row[x]
            if idx is None:
                bits[x // 8] |= 0x80 >> (x % 8)
                idx = 0
            line[x // 2] |= idx << 4 if x % 2 == 0 else idx
        xor += line
        mask += bits
    icondir = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, image_size, 6 + 16)
    return icondir + entry + info + palette + bytes(xor) + bytes(mask)


def dib32_bytes(image):
    """One 32-bit icon image: BGRA rows bottom-up plus the 1bpp AND mask."""
    w, h = image.size
    rgba = np.asarray(image, dtype=np.uint8)
    and_row = ((w + 31) // 32) * 4
    info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0,
                       w * h * 4 + and_row * h, 0, 0, 0, 0)
    xor = bytearray()
    mask = bytearray()
    for y in range(h - 1, -1, -1):
        xor += rgba[y][:, [2, 1, 0, 3]].tobytes()
        bits = bytearray(and_row)
        for x in range(w):
            if rgba[y, x, 3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return info + bytes(xor) + bytes(mask)


def png_bytes(image):
    out = io.BytesIO()
    image.save(out, format="PNG", optimize=False, compress_level=9)
    return out.getvalue()


def icon_cells(wanted):
    """A 32x32 mask (0 or 1) of the letters' cells whose shape letter is in `wanted`."""
    mask = np.zeros((32, 32))
    for glyph, ox, oy in ICON_LETTERS:
        for r, row in enumerate(glyph):
            for c, ch in enumerate(row):
                if ch in wanted:
                    mask[oy + r, ox + c] = 1.0
    return mask


def draw_icon(size):
    """The icon's design drawn at its own size (48 or 256 pixels), not enlarged: the zig-zag as
    a smooth 2-pixel line through the same corners, the letters' cells as smooth shapes (the
    cells blurred by 0.9 design pixel and cut at half), the black outline one design pixel
    wide around everything and cutting through the zig-zag around the letters, as in the
    32x32 image. Supersampled SS times, then averaged down."""
    n = size * SS
    k = n / 32.0  # one design pixel
    sigma = 0.9 * k
    # Where a blurred straight edge crosses this level, it lies one design pixel further out.
    grow_level = 0.5 * math.erfc(1.0 / (sigma / k) / math.sqrt(2.0))

    def smooth(mask, level=0.5):
        cells = Image.fromarray((mask * 255).astype(np.uint8), "L").resize(
            (n, n), Image.Resampling.NEAREST)
        return (blur(np.asarray(cells, dtype=np.float64) / 255.0, sigma) >= level).astype(
            np.float64)

    line = Image.new("L", (n, n), 0)
    d = ImageDraw.Draw(line)
    centres = [((x + 1) * k, (y + 1) * k) for x, y in ICON_ZIGZAG]
    d.line(centres, fill=255, width=int(round(2 * k)), joint="curve")
    for cx, cy in (centres[0], centres[-1]):
        d.ellipse((cx - k, cy - k, cx + k, cy + k), fill=255)
    zig = np.asarray(line, dtype=np.float64) / 255.0

    letter_cells = icon_cells("BN")
    letters = smooth(letter_cells)
    navy = letters * (1.0 - smooth(icon_cells("B")))  # the shading: the letters but their face
    letter_outline = smooth(letter_cells, grow_level)
    outline = np.maximum(
        (blur(np.maximum(zig, letters), sigma) >= grow_level).astype(np.float64),
        letter_outline)

    rgb = np.zeros((n, n, 3))
    over(rgb, np.array(PALETTE16[WHITE], dtype=np.float64), zig * (1.0 - letter_outline))
    over(rgb, np.array(PALETTE16[BLUE], dtype=np.float64), letters)
    over(rgb, np.array(PALETTE16[NAVY], dtype=np.float64), navy)
    rgba = np.dstack([rgb, outline * 255.0])
    image = Image.fromarray(np.clip(rgba + 0.5, 0, 255).astype(np.uint8), "RGBA")
    return image.reduce(SS)


def program_icon_bytes(grid):
    """The program file's icon, in the sizes Explorer shows: the design's own 32x32 16-colour
    image byte for byte, the design drawn at 48x48 (32-bit) and 256x256 (PNG, as Windows
    stores that size), and the 32x32 pixels averaged down to 16x16 (32-bit)."""
    design = ico_bytes(grid)[6 + 16:]
    small = icon_rgba(grid).resize((16, 16), Image.Resampling.BOX)
    images = [
        (16, 32, dib32_bytes(small)),
        (32, 4, design),
        (48, 32, dib32_bytes(draw_icon(48))),
        (256, 32, png_bytes(draw_icon(256))),
    ]
    offset = 6 + 16 * len(images)
    head = struct.pack("<HHH", 0, 1, len(images))
    body = b""
    for size, bits, data in images:
        colours = 16 if bits == 4 else 0
        head += struct.pack("<BBBBHHII", size % 256, size % 256, colours, 0, 1, bits, len(data),
                            offset + len(body))
        body += data
    return head + body


def icon_rgba(grid):
    size = len(grid)
    arr = np.zeros((size, size, 4), dtype=np.uint8)
    for y in range(size):
        for x in range(size):
            idx = grid[y][x]
            if idx is not None:
                arr[y, x, :3] = PALETTE16[idx]
                arr[y, x, 3] = 255
    return Image.fromarray(arr, "RGBA")


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def main():
    repo = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    parser = argparse.ArgumentParser(prog=PROG, description=__doc__.split("\n\n")[0])
    parser.add_argument("outdir", nargs="?", default=os.path.join(repo, "assets"),
                        help="where banner.bmp and icon.ico go (default: %(default)s)")
    group = parser.add_mutually_exclusive_group()
    group.add_argument("--docs-dir", default=os.path.join(repo, "docs"),
                       help="where the PNG previews go (default: %(default)s)")
    group.add_argument("--no-docs", action="store_true", help="do not write the PNG previews")
    args = parser.parse_args()

    if not os.path.isfile(FONT_PATH):
        die(f"font {FONT_PATH} is missing; install the Debian package {FONT_PACKAGE}")

    banner = make_banner()
    grid = make_icon_pixels()

    os.makedirs(args.outdir, exist_ok=True)
    write(os.path.join(args.outdir, "banner.bmp"), bmp_bytes(banner))
    write(os.path.join(args.outdir, "icon.ico"), ico_bytes(grid))
    write(os.path.join(args.outdir, "program-icon.ico"), program_icon_bytes(grid))

    if not args.no_docs:
        os.makedirs(args.docs_dir, exist_ok=True)
        Image.fromarray(banner, "RGB").save(os.path.join(args.docs_dir, "banner.png"),
                                            optimize=False, compress_level=9)
        icon = icon_rgba(grid)
        icon.save(os.path.join(args.docs_dir, "icon.png"), optimize=False, compress_level=9)
        icon.resize((256, 256), Image.Resampling.NEAREST).save(
            os.path.join(args.docs_dir, "icon-8x.png"), optimize=False, compress_level=9)
    return 0


if __name__ == "__main__":
    sys.exit(main())
