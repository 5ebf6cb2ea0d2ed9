#!/usr/bin/python3
"""Seeded generator of small PDF pages for the differential test against poppler.

Each seed gives one page: a few independent drawing steps ("ops"), each a self-contained piece
of content (it saves and restores what it changes) with the resources and objects it needs,
drawn from paths, clips, colour spaces, functions, shadings, patterns, forms, transparency,
images, marked content and text in standard and embedded fonts. Every op carries tags naming
its constructs, so a run can leave out constructs with a known disagreement, and a
disagreement can be cut down to the ops that cause it.

A page is written as a record file the test reads into its page builder (objects 1-4 are the
catalog, page tree, page and content; the page's objects are numbered from 5):

    velmora-difftest-page 1
    seed <n>
    mediabox <array>
    extra <n>\\n<page dictionary entries>
    resources <n>\\n<dictionary>
    op <n> <tag,tag,...>\\n<content>
    object <n>\\n<object text>
    stream <n> <m>\\n<dictionary><data>

Each payload is followed by one line feed.

A page's twin (--neutral tag,...) draws every random number as the page does but writes the
named constructs in a neutral form (square caps as butt caps, CalRGB as DeviceRGB, a radial
shading as an axial one over the same numbers, ...), op for op: a disagreement that the twin
no longer shows is one those constructs make.

Usage: make_pages.py --first SEED --count N --out DIR [--exclude tag,...] [--neutral tag,...]
"""

import argparse
import os
import random
import sys
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import fonts  # noqa: E402


def n(x):
    """A number as short PDF text."""
    if isinstance(x, int):
        return str(x)
    t = "%.3f" % x
    t = t.rstrip("0").rstrip(".")
    return "0" if t in ("-0", "") else t


def nums(values):
    return " ".join(n(v) for v in values)


class Page:
    def __init__(self, seed, exclude, neutral=()):
        self.seed = seed
        self.rng = random.Random(seed * 7919 + 17)
        self.exclude = set(exclude)
        self.neutral = set(neutral)
        self.objects = []  # ("object", text) or ("stream", dict, data)
        self.resources = {}  # category -> {name: value text}
        self.ops = []  # (tags, content)
        self.extra = ""
        self.size = (100, 100)
        self.cache = {}

    # objects and resources

    def obj(self, text):
        self.objects.append(("object", text))
        return "%d 0 R" % (4 + len(self.objects))

    def stream(self, dictionary, data):
        if isinstance(data, str):
            data = data.encode("latin-1")
        self.objects.append(("stream", dictionary, data))
        return "%d 0 R" % (4 + len(self.objects))

    def res(self, category, value, prefix):
        names = self.resources.setdefault(category, {})
        for name, v in names.items():
            if v == value:
                return name
        name = "%s%d" % (prefix, len(names))
        names[name] = value
        return name

    def once(self, key, make):
        if key not in self.cache:
            self.cache[key] = make()
        return self.cache[key]

    def allowed(self, tags):
        return not (set(tags) & self.exclude)

    def mark(self, tags, tag):
        """Tags a construct the op uses; False in a twin that writes the construct neutral."""
        if tag in self.neutral:
            return False
        tags.append(tag)
        return True

    def leaves_out(self, tags, tag):
        """Whether a construct tagged already is written neutral here (its tag is dropped)."""
        if tag in tags and tag in self.neutral:
            tags.remove(tag)
            return True
        return False

    def pick(self, choices):
        """Chooses among (weight, tags, maker) entries whose tags are allowed; returns
        (tags, result of maker)."""
        ok = [c for c in choices if self.allowed(c[1])]
        total = sum(c[0] for c in ok)
        r = self.rng.uniform(0, total)
        for weight, tags, maker in ok:
            r -= weight
            if r <= 0:
                return list(tags), maker()
        weight, tags, maker = ok[-1]
        return list(tags), maker()

    # output

    def write(self, path):
        out = bytearray()
        out += b"velmora-difftest-page 1\n"
        out += b"seed %d\n" % self.seed
        out += b"mediabox [0 0 %d %d]\n" % self.size

        def payload(head, data):
            if isinstance(data, str):
                data = data.encode("latin-1")
            out.extend(head + b"\n" + data + b"\n")

        payload(b"extra %d" % len(self.extra), self.extra)
        res = "<< " + " ".join(
            "/%s << %s >>" % (cat, " ".join("/%s %s" % kv for kv in names.items()))
            for cat, names in self.resources.items()) + " >>"
        payload(b"resources %d" % len(res), res)
        for tags, content in self.ops:
            data = content.encode("latin-1")
            out.extend(b"op %d %s\n" % (len(data), ",".join(sorted(set(tags))).encode() or b"-") + data + b"\n")
        for o in self.objects:
            if o[0] == "object":
                payload(b"object %d" % len(o[1]), o[1])
            else:
                d = o[1].encode("latin-1")
                out.extend(b"stream %d %d\n" % (len(d), len(o[2])) + d + o[2] + b"\n")
        with open(path, "wb") as f:
            f.write(out)


# ---------------------------------------------------------------- geometry


def rect(p):
    r = p.rng
    w, h = r.randint(12, 60), r.randint(12, 60)
    x, y = r.randint(0, p.size[0] - w), r.randint(0, p.size[1] - h)
    return "%d %d %d %d re" % (x, y, w, h)


def polygon(p, count=None):
    r = p.rng
    count = count or r.randint(3, 6)
    pts = [(r.randint(5, p.size[0] - 5), r.randint(5, p.size[1] - 5)) for _ in range(count)]
    return "%d %d m " % pts[0] + " ".join("%d %d l" % q for q in pts[1:]) + " h"


def star(p):
    r = p.rng
    cx, cy, rad = r.randint(30, 70), r.randint(30, 70), r.randint(20, 30)
    import math
    pts = [(cx + rad * math.cos(math.radians(90 + 144 * i)), cy + rad * math.sin(math.radians(90 + 144 * i)))
           for i in range(5)]
    return "%s %s m " % (n(pts[0][0]), n(pts[0][1])) + " ".join("%s %s l" % (n(a), n(b)) for a, b in pts[1:]) + " h"


def ellipse(p):
    r = p.rng
    cx, cy = r.randint(25, 75), r.randint(25, 75)
    rx, ry = r.randint(10, 25), r.randint(10, 25)
    k = 0.5523
    return ("%s %s m %s %s %s %s %s %s c %s %s %s %s %s %s c %s %s %s %s %s %s c %s %s %s %s %s %s c h" % tuple(
        n(v) for v in (cx + rx, cy, cx + rx, cy + k * ry, cx + k * rx, cy + ry, cx, cy + ry, cx - k * rx, cy + ry,
                       cx - rx, cy + k * ry, cx - rx, cy, cx - rx, cy - k * ry, cx - k * rx, cy - ry, cx, cy - ry,
                       cx + k * rx, cy - ry, cx + rx, cy - k * ry, cx + rx, cy)))


def curves(p):
    """Moves, lines and the three curve operators (c, v, y)."""
    r = p.rng

    def pt():
        return "%d %d" % (r.randint(5, p.size[0] - 5), r.randint(5, p.size[1] - 5))

    return "%s m %s %s %s c %s %s v %s %s y %s l h" % (pt(), pt(), pt(), pt(), pt(), pt(), pt(), pt(), pt())


def shape(p):
    return p.pick([(4, ["rect"], lambda: rect(p)), (2, ["polygon"], lambda: polygon(p)),
                   (1, ["star"], lambda: star(p)), (2, ["ellipse"], lambda: ellipse(p)),
                   (2, ["curves"], lambda: curves(p))])


# ---------------------------------------------------------------- functions


class Comps:
    """The colour components a function or shading draws, and those it writes. A twin that
    leaves CMYK (or a grey shading) out draws the same components and writes the RGB they make:
    every random draw stays where it was."""

    def __init__(self, drawn, as_rgb=False):
        self.drawn = drawn
        self.as_rgb = as_rgb and drawn in (1, 4)
        self.written = 3 if self.as_rgb else drawn

    def values(self, v):
        if not self.as_rgb:
            return v
        if self.drawn == 1:
            return [v[0]] * 3
        c, m, y, k = (float(x) for x in v)
        return [round((1 - c) * (1 - k), 3), round((1 - m) * (1 - k), 3), round((1 - y) * (1 - k), 3)]

    def samples(self, data):
        """Bytes of `drawn` components each, as written."""
        if not self.as_rgb:
            return data
        out = bytearray()
        for i in range(0, len(data) - self.drawn + 1, self.drawn):
            out += bytes(round(v * 255) for v in self.values([b / 255 for b in data[i:i + self.drawn]]))
        return bytes(out)

    def program(self, prog):
        """A calculator program "{ ... }" that leaves `drawn` values, as written."""
        if not self.as_rgb:
            return prog
        tail = " dup dup" if self.drawn == 1 else (
            # c m y k -> (1-c)(1-k) (1-m)(1-k) (1-y)(1-k)
            " 1 exch sub dup 5 1 roll exch 1 exch sub mul 3 1 roll 1 exch sub 3 index mul exch 1 exch sub"
            " 4 -1 roll mul 3 1 roll exch")
        return prog.rstrip()[:-1].rstrip() + tail + " }"

    def range(self, pair="0 1"):
        return " ".join([pair] * self.written)


def comps_of(outs):
    return outs if isinstance(outs, Comps) else Comps(outs)


def type2_draw(p, k, c0=None, c1=None):
    r = p.rng
    c0 = c0 or [round(r.random(), 2) for _ in range(k.drawn)]
    c1 = c1 or [round(r.random(), 2) for _ in range(k.drawn)]
    return c0, c1, r.choice([1, 1, 2, 0.5])


def type2_text(k, c0, c1, exp):
    return "<< /FunctionType 2 /Domain [0 1] /C0 [%s] /C1 [%s] /N %s >>" % (nums(k.values(c0)), nums(k.values(c1)),
                                                                              n(exp))


def function_type2(p, outs, c0=None, c1=None):
    k = comps_of(outs)
    return type2_text(k, *type2_draw(p, k, c0, c1))


def function_type0(p, outs, size):
    r = p.rng
    k = comps_of(outs)
    samples = bytes(r.randint(0, 255) for _ in range(size * k.drawn))
    return p.stream("<< /FunctionType 0 /Domain [0 1] /Range [%s] /Size [%d] /BitsPerSample 8 >>" %
                    (k.range(), size), k.samples(samples))


def function_type3(p, outs, plain=False):
    """Two exponential functions stitched at 0.5; plain: one from the first's start to the
    second's end, drawn alike."""
    k = comps_of(outs)
    mid = [round(p.rng.random(), 2) for _ in range(k.drawn)]
    a = type2_draw(p, k, c1=mid)
    b = type2_draw(p, k, c0=mid)
    if plain:
        return type2_text(k, a[0], b[1], 1)
    return "<< /FunctionType 3 /Domain [0 1] /Functions [%s %s] /Bounds [0.5] /Encode [0 1 0 1] >>" % (
        type2_text(k, *a), type2_text(k, *b))


CALCULATOR = {
    # outputs -> programs over one input t
    3: ["{ dup 0.5 mul exch 1 exch sub 0.25 }",
        "{ dup 0.5 gt { pop 1 0 0 } { 0.2 add 0 exch 1 } ifelse }",
        "{ dup dup mul exch 2 copy add 2 div 3 1 roll pop }",
        "{ 360 mul dup sin abs exch cos abs 0.5 }",
        "{ 10 mul cvi 3 mod 2 div dup 1 exch sub 0.3 }"],
    4: ["{ dup 0.3 mul exch 0 exch 0.5 mul 0.1 }",
        "{ dup 0.25 lt { 0 0 } { 1 0 } ifelse 3 -1 roll dup 0 }"],
    1: ["{ 1 exch sub }", "{ dup mul }"],
}
CALCULATOR_NOT = {3: "{ 0.5 gt not { 1 0 0 } { 0 0 1 } ifelse }", 1: "{ 0.5 le not { 0.2 } { 0.8 } ifelse }"}


def function_type4(p, outs, tags):
    k = comps_of(outs)
    if k.drawn in CALCULATOR_NOT and p.allowed(["fn-not"]) and p.rng.random() < 0.25:
        tags.append("fn-not")
        prog = CALCULATOR_NOT[k.drawn]
    else:
        prog = p.rng.choice(CALCULATOR[k.drawn])
        if "cvi" in prog and not p.mark(tags, "fn-cvi"):
            # Off the integers, where cvi gives one answer whatever a reader's rounding.
            prog = prog.replace("10 mul cvi", "10 mul 0.25 add cvi")
    return p.stream("<< /FunctionType 4 /Domain [0 1] /Range [%s] >>" % k.range(), k.program(prog))


def tint_function(p, outs, tags, tint):
    """A function of one input for a tint transform, and the tint to use (a sampled function at
    one of its samples, or between two of them)."""
    kind = p.pick([(3, ["fn2"], lambda: 2), (2, ["fn0"], lambda: 0), (2, ["fn3"], lambda: 3),
                   (3, ["fn4"], lambda: 4)])
    tags += kind[0]
    k = kind[1]
    if k == 2:
        return function_type2(p, outs), tint
    if k == 3:
        return function_type3(p, outs), tint
    if k == 4:
        return function_type4(p, outs, tags), tint
    size = p.rng.choice([2, 3, 5])
    if not (p.allowed(["fn0-between"]) and p.rng.random() < 0.3 and p.mark(tags, "fn0-between")):
        tint = round(round(tint * (size - 1)) / (size - 1), 4)
    return function_type0(p, outs, size), tint


# ---------------------------------------------------------------- colour


def base_space(p):
    return p.pick([(3, ["cs-rgb"], lambda: ("/DeviceRGB", 3)), (2, ["cs-cmyk"], lambda: ("/DeviceCMYK", 4)),
                   (1, ["cs-gray"], lambda: ("/DeviceGray", 1))])


def cmyk_values(p, tags, values):
    """Tags saturated greens and reds (much yellow with much cyan or magenta, little black): the
    overprints whose blue a CMYK conversion most easily gets wrong; their twin takes yellow down
    to 0.6."""
    if len(values) != 4:
        return values
    c, m, y, k = (float(v) for v in values)
    if y > 0.6 and max(c, m) > 0.6 and k < 0.4 and not p.mark(tags, "cmyk-saturated"):
        values[2] = "0.6"
    return values


def colour(p, stroke=False):
    """Content that sets the fill (or stroke) colour, and its tags."""
    r = p.rng
    tags, kind = p.pick([(4, ["rgb"], lambda: "rgb"), (2, ["gray"], lambda: "gray"), (2, ["cmyk"], lambda: "cmyk"),
                         (2, ["cs-named"], lambda: "named"), (2, ["separation"], lambda: "sep"),
                         (1, ["devicen"], lambda: "devn"), (1, ["icc"], lambda: "icc"),
                         (1, ["calrgb"], lambda: "calrgb"), (1, ["calgray"], lambda: "calgray"),
                         (1, ["lab"], lambda: "lab"), (1, ["indexed"], lambda: "indexed")])

    def c():
        return n(round(r.random(), 2))

    if kind == "rgb":
        return ("%s %s %s RG" if stroke else "%s %s %s rg") % (c(), c(), c()), tags
    if kind == "gray":
        return ("%s G" if stroke else "%s g") % c(), tags
    if kind == "cmyk":
        values = cmyk_values(p, tags, [c() for _ in range(4)])
        return ("%s %s %s %s K" if stroke else "%s %s %s %s k") % tuple(values), tags
    cs, sc = ("CS", "SC") if stroke else ("cs", "sc")
    if kind == "named":
        space, comps = base_space(p)[1]
        values = cmyk_values(p, tags, [c() for _ in range(comps)])
        return "%s %s %s" % (space, cs, " ".join(values)) + " " + sc, tags
    if kind == "sep":
        base_tags, (base, outs) = base_space(p)
        tags += base_tags
        comps = Comps(outs)
        no_cmyk = p.leaves_out(tags, "cs-cmyk")
        if p.allowed(["sep-calgray"]) and r.random() < 0.1:
            calgray = p.mark(tags, "sep-calgray")
            base, comps = "[/CalGray << /WhitePoint [0.9505 1 1.089] >>]" if calgray else "/DeviceGray", Comps(1)
        elif no_cmyk:
            base, comps = "/DeviceRGB", Comps(4, as_rgb=True)
        fn, tint = tint_function(p, comps, tags, round(r.random(), 2))
        name = p.res("ColorSpace", "[/Separation /Spot%d %s %s]" % (r.randint(0, 3), base, fn), "CS")
        return "/%s %s %s %s" % (name, cs, n(tint), sc), tags
    if kind == "devn":
        base_tags, (base, outs) = base_space(p)
        tags += base_tags
        if outs == 1:
            tags.append("devicen-gray")
        comps = Comps(outs)
        if p.leaves_out(tags, "cs-cmyk"):
            base, comps = "/DeviceRGB", Comps(4, as_rgb=True)
        # Two inputs: the first sets the colour through a calculator, the second scales it.
        prog = "{ exch %s }" % {1: "mul", 3: "dup 0.5 mul 3 -1 roll", 4: "dup 0.5 mul 3 -1 roll 0"}[outs]
        fn = p.stream("<< /FunctionType 4 /Domain [0 1 0 1] /Range [%s] >>" % comps.range(), comps.program(prog))
        name = p.res("ColorSpace", "[/DeviceN [/Cyan /Spot] %s %s]" % (base, fn), "CS")
        return "/%s %s %s %s %s" % (name, cs, c(), c(), sc), tags
    if kind == "icc":
        comps = r.choice([1, 3, 4])
        alt = {1: "/DeviceGray", 3: "/DeviceRGB", 4: "/DeviceCMYK"}[comps]
        profile = p.once("icc%d" % comps, lambda: p.stream("<< /N %d /Alternate %s >>" % (comps, alt), ""))
        name = p.res("ColorSpace", "[/ICCBased %s]" % profile, "CS")
        values = cmyk_values(p, tags, [c() for _ in range(comps)])
        return "/%s %s %s %s" % (name, cs, " ".join(values), sc), tags
    if kind == "calrgb":
        name = "DeviceRGB" if p.leaves_out(tags, "calrgb") else p.res(
            "ColorSpace", "[/CalRGB << /WhitePoint [0.9505 1 1.089] >>]", "CS")
        return "/%s %s %s %s %s %s" % (name, cs, c(), c(), c(), sc), tags
    if kind == "calgray":
        name = "DeviceGray" if p.leaves_out(tags, "calgray") else p.res(
            "ColorSpace", "[/CalGray << /WhitePoint [0.9505 1 1.089] >>]", "CS")
        return "/%s %s %s %s" % (name, cs, c(), sc), tags
    if kind == "lab":
        name = p.res("ColorSpace", "[/Lab << /WhitePoint [0.9505 1 1.089] /Range [-100 100 -100 100] >>]", "CS")
        return "/%s %s %d %d %d %s" % (name, cs, r.randint(20, 90), r.randint(-60, 60), r.randint(-60, 60), sc), tags
    # indexed
    hival = r.randint(1, 3)
    table = "".join("%02X" % r.randint(0, 255) for _ in range(3 * (hival + 1)))
    name = p.res("ColorSpace", "[/Indexed /DeviceRGB %d <%s>]" % (hival, table), "CS")
    return "/%s %s %d %s" % (name, cs, r.randint(0, hival), sc), tags


# ---------------------------------------------------------------- ops


def op_fill(p):
    tags, path = shape(p)
    col, ctags = colour(p)
    paint_tags, paint = p.pick([(4, ["fill"], lambda: "f"), (2, ["fill-eo"], lambda: "f*"),
                                (1, ["fill-stroke"], lambda: p.rng.choice(["B", "B*", "b", "b*"]))])
    extra = ""
    if paint in ("B", "B*", "b", "b*"):
        scol, stags = colour(p, stroke=True)
        width = p.rng.randint(1, 4)
        tags += stags
        if width <= 1 and not p.mark(tags, "thin-line"):
            width = 2
        extra = scol + " %d w " % width
    return tags + ctags + paint_tags, "q %s %s%s %s Q" % (col, extra, path, paint)


def op_stroke(p):
    r = p.rng
    tags, path = shape(p)
    col, ctags = colour(p, stroke=True)
    width = r.choice([0, 0.5, 1, 2, 3, 5, 8])
    if width <= 1 and not p.mark(tags, "thin-line"):
        width = 2
    cap, join = r.randint(0, 2), r.randint(0, 2)
    limit = " %d M" % r.randint(1, 10) if r.random() < 0.3 else ""
    dash = ""
    if r.random() < 0.3 and p.allowed(["dash"]):
        tags.append("dash")
        dash = " [%d %d] %d d" % (r.randint(2, 10), r.randint(2, 10), r.randint(0, 5))
    state = "%s w %d J %d j%s%s" % (n(width), cap, join, limit, dash)
    paint = r.choice(["S", "s"])
    if path.endswith(" h") and paint == "S":
        pass
    return tags + ctags + ["stroke"], "q %s %s %s %s Q" % (col, state, path, paint)


def op_clip(p):
    tags, clip = shape(p)
    rule = p.rng.choice(["W", "W*"])
    inner_tags, inner = op_fill(p)
    inner2 = ""
    if p.rng.random() < 0.5:
        t2, inner2 = op_stroke(p)
        inner_tags += t2
    return tags + inner_tags + ["clip"], "q %s %s n %s %s Q" % (clip, rule, inner, inner2)


def op_transform(p):
    import math
    r = p.rng
    a = math.radians(r.randint(-60, 60))
    s = r.choice([0.5, 0.8, 1, 1.3])
    skew = r.choice([1, 0.7])
    e, f = r.randint(10, 50), r.randint(-10, 30)
    tags, inner = p.pick([(3, [], lambda: op_fill(p)), (2, [], lambda: op_stroke(p)), (1, [], lambda: op_clip(p))])
    it, ic = inner
    if skew != 1 and "dash" in it and not p.mark(it, "dash-skew"):
        skew = 1
    m = [math.cos(a) * s, math.sin(a) * s, -math.sin(a) * s * skew, math.cos(a) * s, e, f]
    return it + ["cm"], "q %s cm %s Q" % (nums(m), ic)


def op_alpha(p):
    r = p.rng
    ca = round(r.uniform(0.2, 0.9), 2)
    tags = ["alpha"]
    gs = "/ca %s /CA %s" % (n(ca), n(ca))
    if p.allowed(["blend"]) and r.random() < 0.3:
        mode = r.choice(["Multiply", "Screen", "Darken", "Lighten", "Difference"])
        if p.mark(tags, "blend"):
            gs += " /BM /%s" % mode
    name = p.res("ExtGState", "<< %s >>" % gs, "GS")
    t1, c1 = op_fill(p)
    t2, c2 = p.pick([(4, [], lambda: op_fill(p)), (1, ["image-in-alpha"], lambda: op_inline_image(p))])[1]
    if "inline-image" in t2:
        t2.append("image-in-alpha")
    return tags + t1 + t2, "q %s /%s gs %s Q" % (c1, name, c2)


def op_extgstate(p):
    r = p.rng
    width = r.randint(1, 6)
    thin = width <= 1 and "thin-line" not in p.neutral
    if width <= 1 and not thin:
        width = 2
    name = p.res("ExtGState", "<< /Type /ExtGState /LW %d /LC %d /LJ %d >>" % (width, r.randint(0, 2), r.randint(0, 2)),
                 "GS")
    col, ct = colour(p, stroke=True)
    tags, path = shape(p)
    if thin:
        tags.append("thin-line")
    return tags + ct + ["extgstate"], "q %s /%s gs %s S Q" % (col, name, path)


def shading_dict(p, tags):
    """A shading; its twin writes an axial one over the same draws in place of a radial,
    function-based or mesh shading, and RGB in place of CMYK or grey."""
    r = p.rng
    kind = p.pick([(6, ["shade-axial"], lambda: 2), (2, ["shade-radial"], lambda: 3), (1, ["shade-function"], lambda: 1),
                   (1, ["shade-mesh"], lambda: 4)])
    tags += kind[0]
    k = kind[1]
    plain = any(p.leaves_out(tags, t) for t in ("shade-radial", "shade-function", "shade-mesh"))
    space_tags, (space, outs) = p.pick([(3, ["cs-rgb"], lambda: ("/DeviceRGB", 3)),
                                        (1, ["cs-cmyk"], lambda: ("/DeviceCMYK", 4)),
                                        (1, ["shade-gray"], lambda: ("/DeviceGray", 1))])
    tags += space_tags
    comps = Comps(outs)
    if p.leaves_out(tags, "cs-cmyk") or p.leaves_out(tags, "shade-gray"):
        space, comps = "/DeviceRGB", Comps(outs, as_rgb=True)
    axial = "<< /ShadingType 2 /ColorSpace %s /Coords [10 10 90 90] /Function %s >>" % (
        space, type2_text(comps, [0.2] * outs, [0.8] * outs, 1))
    if k == 4 and r.random() < 0.5:
        # One Coons (type 6) or tensor-product (type 7) patch: the boundary runs round a square
        # with its control points pulled in and out.
        typ = r.choice([6, 7])
        x0, y0, size = r.randint(5, 40), r.randint(5, 40), r.randint(30, 55)

        def wobble(v):
            return max(0, min(100, v + r.randint(-8, 8)))
        edge = [(0, 0), (0, 1 / 3), (0, 2 / 3), (0, 1), (1 / 3, 1), (2 / 3, 1), (1, 1), (1, 2 / 3), (1, 1 / 3), (1, 0),
                (2 / 3, 0), (1 / 3, 0)]
        inner = [(1 / 3, 1 / 3), (1 / 3, 2 / 3), (2 / 3, 2 / 3), (2 / 3, 1 / 3)] if typ == 7 else []
        data = bytearray([0])
        for u, v in edge + inner:
            data += bytes([wobble(round(x0 + u * size)) * 255 // 100, wobble(round(y0 + v * size)) * 255 // 100])
        for _ in range(4):
            data += comps.samples(bytes(r.randint(0, 255) for _ in range(outs)))
        if plain:
            return axial
        return p.stream("<< /ShadingType %d /ColorSpace %s /BitsPerCoordinate 8 /BitsPerComponent 8 /BitsPerFlag 8 "
                        "/Decode [0 100 0 100 %s] >>" % (typ, space, comps.range()), bytes(data))
    if k == 4:
        # A free-form triangle mesh (type 4) of two triangles, or a lattice (type 5).
        typ = r.choice([4, 5])
        pts = [(r.randint(0, 100), r.randint(0, 100)) for _ in range(4)]
        data = bytearray()
        for i, (x, y) in enumerate(pts):
            if typ == 4:
                data.append(0 if i < 3 else 1)
            data += bytes([x * 255 // 100, y * 255 // 100]) + comps.samples(bytes(r.randint(0, 255) for _ in range(outs)))
        extra = "/BitsPerFlag 8 " if typ == 4 else "/VerticesPerRow 2 "
        if plain:
            return axial
        return p.stream("<< /ShadingType %d /ColorSpace %s /BitsPerCoordinate 8 /BitsPerComponent 8 %s"
                        "/Decode [0 100 0 100 %s] >>" % (typ, space, extra, comps.range()), bytes(data))
    if k == 1:
        if plain:
            return axial
        fn = p.stream("<< /FunctionType 4 /Domain [0 100 0 100] /Range [%s] >>" % comps.range(), comps.program(
                      "{ %s }" % {1: "add 200 div", 3: "100 div exch 100 div 0.5", 4: "100 div exch 100 div 0 0"}[outs]))
        return "<< /ShadingType 1 /ColorSpace %s /Domain [0 100 0 100] /Function %s >>" % (space, fn)
    stitched = "shade-stitching" not in p.neutral
    ftags, fn = p.pick([(3, [], lambda: function_type2(p, comps)),
                        (1, ["fn3"], lambda: function_type3(p, comps, plain=not stitched))])
    tags += ftags
    if "/N 2" in fn or "/N 0.5" in fn:
        if not p.mark(tags, "shade-exponent"):
            fn = fn.replace("/N 2 >>", "/N 1 >>").replace("/N 0.5 >>", "/N 1 >>")
    if "/FunctionType 3" in fn:
        tags.append("shade-stitching")
    extend = "[%s %s]" % (r.choice(["true", "false"]), r.choice(["true", "false"]))
    if k == 2:
        coords = [r.randint(0, 100) for _ in range(4)]
        if coords[:2] == coords[2:]:
            coords[2] += 10
        return "<< /ShadingType 2 /ColorSpace %s /Coords [%s] /Function %s /Extend %s >>" % (space, nums(coords), fn,
                                                                                          extend)
    cx, cy = r.randint(20, 80), r.randint(20, 80)
    radii = (r.randint(0, 10), cx + r.randint(-10, 10), cy + r.randint(-10, 10), r.randint(20, 50))
    if plain:
        # The same function along the outer circle's diameter.
        return "<< /ShadingType 2 /ColorSpace %s /Coords [%d %d %d %d] /Function %s /Extend %s >>" % (
            space, radii[1] - radii[3], radii[2], radii[1] + radii[3], radii[2], fn, extend)
    return "<< /ShadingType 3 /ColorSpace %s /Coords [%d %d %d %d %d %d] /Function %s /Extend %s >>" % (
        space, cx, cy, radii[0], radii[1], radii[2], radii[3], fn, extend)


def op_shading(p):
    tags = ["sh"]
    sh = shading_dict(p, tags)
    name = p.res("Shading", sh if sh.endswith("R") else p.obj(sh), "Sh")
    ctags, clip = shape(p)
    return tags + ctags, "q %s W n /%s sh Q" % (clip, name)


def op_shading_pattern(p):
    tags = ["pattern-shading"]
    sh = shading_dict(p, tags)
    m = "[1 0 0 1 0 0]" if p.rng.random() < 0.5 else "[0.8 0.2 -0.2 0.8 %d %d]" % (p.rng.randint(0, 20),
                                                                                  p.rng.randint(0, 20))
    name = p.res("Pattern", p.obj("<< /PatternType 2 /Shading %s /Matrix %s >>" % (sh, m)), "P")
    stags, path = shape(p)
    return tags + stags, "q /Pattern cs /%s scn %s f Q" % (name, path)


def op_tiling(p):
    r = p.rng
    tags = ["pattern-tiling"]
    step = r.randint(10, 25)
    a = r.randint(3, step - 3)
    cell = "%d %d %d rg 0 0 %d %d re f %d %d %d rg %d %d %d %d re f" % (
        r.randint(0, 1), r.randint(0, 1), r.randint(0, 1), a, a, r.randint(0, 1), 0, 1, a, a, step - a, step - a)
    if r.random() < 0.5:
        # A cell painted all over; otherwise what lies below shows through its gaps.
        cell = "%s %s %s rg 0 0 %d %d re f " % (n(round(r.random(), 2)), n(round(r.random(), 2)),
                                               n(round(r.random(), 2)), step, step) + cell
    else:
        tags.append("pattern-gaps")
    m = "[1 0 0 1 %d %d]" % (r.randint(0, 9), r.randint(0, 9))
    if r.random() < 0.3:
        tags.append("pattern-matrix")
        m = "[0.7 0.7 -0.7 0.7 %d %d]" % (r.randint(0, 20), r.randint(0, 20))
    paint = 1
    select = "/Pattern cs"
    if r.random() < 0.3 and p.allowed(["pattern-uncoloured"]):
        # An uncoloured cell: its shapes take the colour that scn gives with the pattern.
        tags.append("pattern-uncoloured")
        paint = 2
        cell = "0 0 %d %d re f %d %d %d %d re f" % (a, a, a, a, step - a, step - a)
        if "pattern-gaps" not in tags:
            tags.append("pattern-gaps")
        space = p.res("ColorSpace", "[/Pattern /DeviceRGB]", "CS")
        select = "/%s cs %s %s %s" % (space, n(round(r.random(), 2)), n(round(r.random(), 2)), n(round(r.random(), 2)))
    pat = p.stream("<< /Type /Pattern /PatternType 1 /PaintType %d /TilingType 1 /BBox [0 0 %d %d] /XStep %d "
                   "/YStep %d /Matrix %s /Resources << >> >>" % (paint, step, step, step, step, m), cell)
    name = p.res("Pattern", pat, "P")
    stags, path = shape(p)
    return tags + stags, "q %s /%s scn %s f Q" % (select, name, path)


def run_length(data):
    """Bytes as RunLengthDecode data: repeats of three bytes or more, literal runs between."""
    out, i, literal = bytearray(), 0, bytearray()

    def flush():
        for at in range(0, len(literal), 128):
            out.append(len(literal[at:at + 128]) - 1)
            out.extend(literal[at:at + 128])
        literal.clear()
    while i < len(data):
        n = 1
        while i + n < len(data) and data[i + n] == data[i] and n < 128:
            n += 1
        if n >= 3:
            flush()
            out += bytes([257 - n, data[i]])
        else:
            literal.extend(data[i:i + n])
        i += n
    flush()
    return bytes(out) + b"\x80"


def op_form(p, depth=0):
    r = p.rng
    tags = ["form"]
    bbox = [r.randint(0, 30), r.randint(0, 30), r.randint(60, 100), r.randint(60, 100)]
    place = None
    shear = 0
    if r.random() < 0.5:
        shear = r.choice([0, 0.2])
        place = (r.randint(0, 20), r.randint(0, 20))
    group = ""
    body = []
    for _ in range(r.randint(1, 3)):
        maker = r.choice([op_fill, op_stroke, op_clip] + ([lambda q: op_form(q, depth + 1)] if depth < 1 else []))
        t, c = maker(p)
        tags += t
        body.append(c)
    if shear and "dash" in tags and not p.mark(tags, "dash-skew"):
        shear = 0
    matrix = "/Matrix [%s]" % nums([0.8, shear, 0, 0.8, place[0], place[1]]) if place else ""
    if r.random() < 0.4 and p.allowed(["group"]):
        tags.append("group")
        knockout = "false"
        if r.random() < 0.3 and p.allowed(["group-knockout"]):
            tags.append("group-knockout")
            knockout = "true"
        group = "/Group << /S /Transparency /I %s /K %s >>" % (r.choice(["true", "false"]), knockout)
    content, coding = "\n".join(body).encode("latin-1"), ""
    if r.random() < 0.3:
        # The form's content under run-length coding, alone or under hexadecimal text.
        tags.append("form-runlength")
        content = run_length(content)
        coding = "/Filter /RunLengthDecode"
        if r.random() < 0.5:
            content, coding = content.hex().encode("latin-1") + b">", "/Filter [/ASCIIHexDecode /RunLengthDecode]"
    form = p.stream("<< /Type /XObject /Subtype /Form /BBox [%s] %s %s %s >>" % (nums(bbox), matrix, group, coding),
                    content)
    name = p.res("XObject", form, "Fm")
    pre = ""
    if group and p.allowed(["group-alpha"]) and r.random() < 0.5 and p.mark(tags, "group-alpha"):
        pre = "/%s gs " % p.res("ExtGState", "<< /ca 0.5 /CA 0.5 >>", "GS")
    return tags, "q %s/%s Do Q" % (pre, name)


def image_place(r):
    """Width, height and lower-left corner of an image on the page, in points."""
    sw, sh = r.randint(25, 60), r.randint(25, 60)
    return sw, sh, r.randint(0, 100 - sw), r.randint(0, 100 - sh)


def image_samples(p, w, h, comps):
    return bytes(p.rng.choice([0, 64, 128, 192, 255]) for _ in range(w * h * comps))


def op_inline_image(p):
    r = p.rng
    w, h = r.randint(2, 6), r.randint(2, 6)
    tags = ["inline-image"]
    kind = r.choice(["rgb", "gray", "mask", "cmyk", "indexed"])
    if kind == "indexed":
        tags.append("inline-indexed")
        table = "".join("%02X" % r.randint(0, 255) for _ in range(12))
        space = p.res("ColorSpace", "[/Indexed /DeviceRGB 3 <%s>]" % table, "CS")
        data = bytes(r.randint(0, 3) for _ in range(w * h))
        head = "/W %d /H %d /CS /%s /BPC 8" % (w, h, space)
        pre = ""
    elif kind == "mask":
        tags.append("image-mask")
        rowbytes = (w + 7) // 8
        data = bytes(r.randint(0, 255) for _ in range(rowbytes * h))
        col, ct = colour(p)
        tags += ct
        head = "/W %d /H %d /IM true /BPC 1" % (w, h)
        pre = col + " "
    else:
        comps = {"rgb": 3, "gray": 1, "cmyk": 4}[kind]
        tags.append("image-" + kind)
        data = image_samples(p, w, h, comps)
        if p.leaves_out(tags, "image-cmyk"):
            kind, comps, data = "rgb", 3, Comps(4, as_rgb=True).samples(data)
        head = "/W %d /H %d /CS /%s /BPC 8" % (w, h, {"rgb": "RGB", "gray": "G", "cmyk": "CMYK"}[kind])
        pre = ""
        if r.random() < 0.2:
            tags.append("image-decode")
            head += " /D [%s]" % " ".join(["1 0"] * comps)
    sw, sh, x, y = image_place(r)
    if (sw < 4 * w or sh < 4 * h) and not p.mark(tags, "image-smoothed"):
        sw, sh = max(sw, 4 * w), max(sh, 4 * h)
    return tags, "q %s%d 0 0 %d %d %d cm BI %s /F /AHx ID %s> EI Q" % (pre, sw, sh, x, y, head, data.hex().upper())


def op_image_xobject(p):
    r = p.rng
    w, h = r.randint(2, 8), r.randint(2, 8)
    tags = ["image-xobject"]
    kind = r.choice(["rgb", "gray", "indexed", "flate"])
    if kind == "indexed":
        tags.append("image-indexed")
        hival = 3
        table = "".join("%02X" % r.randint(0, 255) for _ in range(12))
        data = bytes(r.randint(0, hival) for _ in range(w * h))
        d = "/ColorSpace [/Indexed /DeviceRGB %d <%s>] /BitsPerComponent 8" % (hival, table)
    elif kind == "gray":
        data = image_samples(p, w, h, 1)
        d = "/ColorSpace /DeviceGray /BitsPerComponent 8"
    else:
        data = image_samples(p, w, h, 3)
        d = "/ColorSpace /DeviceRGB /BitsPerComponent 8"
        if kind == "flate":
            data = zlib.compress(data)
            d += " /Filter /FlateDecode"
    if r.random() < 0.25 and p.allowed(["image-smask"]):
        # A soft mask of its own size: each sample's coverage.
        tags.append("image-smask")
        mask = p.stream("<< /Type /XObject /Subtype /Image /Width %d /Height %d /ColorSpace /DeviceGray "
                        "/BitsPerComponent 8 >>" % (w, h), image_samples(p, w, h, 1))
        d += " /SMask %s" % mask
    img = p.stream("<< /Type /XObject /Subtype /Image /Width %d /Height %d %s >>" % (w, h, d), data)
    name = p.res("XObject", img, "Im")
    sw, sh, x, y = image_place(r)
    if (sw < 4 * w or sh < 4 * h) and not p.mark(tags, "image-smoothed"):
        sw, sh = max(sw, 4 * w), max(sh, 4 * h)
    return tags, "q %d 0 0 %d %d %d cm /%s Do Q" % (sw, sh, x, y, name)


def op_marked(p):
    r = p.rng
    t, c = op_fill(p)
    kind = r.choice(["bmc", "bdc", "oc", "compat"])
    if kind == "bmc":
        return t + ["marked"], "/Span BMC %s EMC" % c
    if kind == "bdc":
        return t + ["marked"], "/Span << /MCID %d >> BDC %s EMC" % (r.randint(0, 9), c)
    if kind == "compat":
        return t + ["compat"], "BX /Foo 1 2 unknownop EX %s" % c
    ocg = p.once("ocg", lambda: p.obj("<< /Type /OCG /Name (Layer) >>"))
    name = p.res("Properties", ocg, "Oc")
    return t + ["oc"], "/OC /%s BDC %s EMC" % (name, c)


# ---------------------------------------------------------------- text


def font_resource(p, kind):
    """The resource name of a font of the kind, its code width (1 or 2) and extra tags."""
    tags = []

    def simple(subtype, base, descriptor_file, encoding, flags=None):
        if flags is None:
            flags = 32 if encoding else 4
        fd = p.obj("<< /Type /FontDescriptor /FontName /%s /Flags %d /FontBBox [0 -100 900 800] /ItalicAngle 0 "
                   "/Ascent 800 /Descent -200 /CapHeight 700 /StemV 80 %s >>" % (base, flags, descriptor_file))
        return p.obj("<< /Type /Font /Subtype /%s /BaseFont /%s /FirstChar 32 /LastChar 72 /Widths [%s] "
                     "/FontDescriptor %s %s >>" % (subtype, base, nums(fonts.widths()), fd, encoding))

    if kind == "std":
        base = p.rng.choice(["Helvetica", "Times-Roman", "Courier", "Helvetica-Bold"])
        font = p.once("std" + base, lambda: p.obj("<< /Type /Font /Subtype /Type1 /BaseFont /%s "
                                                  "/Encoding /WinAnsiEncoding >>" % base))
        return p.res("Font", font, "F"), 1, tags
    if kind == "truetype":
        # The program's cmaps: a (3,1) cmap; a (3,0) cmap alone, which the codes of a font not
        # flagged symbolic reach when their names do not; a (3,1) and a (1,0) cmap that disagree,
        # of which a symbolic font with a named encoding takes the (3,1) one.
        cmaps = p.rng.choice(["unicode", "unicode", "unicode", "symbol", "mac"])
        if cmaps != "unicode" and not p.allowed(["tt-cmap-" + cmaps]):
            cmaps = "unicode"
        if cmaps != "unicode":
            tags.append("tt-cmap-" + cmaps)

        def make():
            f = p.stream("<< >>", fonts.truetype(cmaps))
            return simple("TrueType", "DiffTT", "/FontFile2 %s" % f, "/Encoding /WinAnsiEncoding",
                          4 if cmaps == "mac" else 32)
        return p.res("Font", p.once("tt-" + cmaps, make), "F"), 1, tags
    if kind == "cff":
        def make():
            f = p.stream("<< /Subtype /Type1C >>", fonts.bare_cff())
            return simple("Type1", "DiffCFF", "/FontFile3 %s" % f, "")
        return p.res("Font", p.once("cff", make), "F"), 1, tags
    if kind == "type1":
        enc_tags, enc = p.pick([(2, [], lambda: ""), (1, [], lambda: "/Encoding /WinAnsiEncoding"),
                                (1, [], lambda: "/Encoding << /BaseEncoding /WinAnsiEncoding /Differences [70 /G] >>"),
                                (1, ["enc-nobase"], lambda: "/Encoding << /Differences [70 /G] >>")])
        tags += enc_tags

        scale = 1
        if p.rng.random() < 0.25 and p.allowed(["t1-matrix"]):
            # The program's own FontMatrix: glyphs twice as large in a matrix half as large.
            scale = 2
            tags.append("t1-matrix")

        def make():
            data, (l1, l2, l3) = fonts.type1(scale)
            f = p.stream("<< /Length1 %d /Length2 %d /Length3 %d >>" % (l1, l2, l3), data)
            return simple("Type1", "DiffT1", "/FontFile %s" % f, enc)
        return p.res("Font", p.once("t1%s%d" % (enc, scale), make), "F"), 1, tags
    if kind == "otf-tt":
        def make():
            f = p.stream("<< /Subtype /OpenType >>", fonts.truetype())
            return simple("TrueType", "DiffTT", "/FontFile3 %s" % f, "/Encoding /WinAnsiEncoding")
        return p.res("Font", p.once("otftt", make), "F"), 1, tags
    if kind == "otf-cff":
        def make():
            f = p.stream("<< /Subtype /OpenType >>", fonts.opentype_cff())
            return simple("Type1", "DiffOTF", "/FontFile3 %s" % f, "")
        return p.res("Font", p.once("otfcff", make), "F"), 1, tags
    # CID fonts: codes are the CIDs of the glyphs (CFF) or glyph indexes (TrueType).
    if kind == "cidcff":
        fd_matrix = p.rng.random() < 0.25 and p.allowed(["cid-fdmatrix"])
        if fd_matrix:
            tags.append("cid-fdmatrix")

        def make():
            f = p.stream("<< /Subtype /CIDFontType0C >>", fonts.cid_cff(fd_matrix))
            w = " ".join("%d [%d]" % (fonts.cid_of(c), fonts.GLYPHS[c][1]) for c in fonts.CODES)
            return composite(p, "CIDFontType0", "DiffCID", "/FontFile3 %s" % f, w, "")
        return p.res("Font", p.once("cidcff%d" % fd_matrix, make), "F"), 2, tags

    def make_tt():
        f = p.stream("<< >>", fonts.truetype())
        w = " ".join("%d [%d]" % (1 + i, fonts.GLYPHS[c][1]) for i, c in enumerate(fonts.CODES))
        return composite(p, "CIDFontType2", "DiffCIDTT", "/FontFile2 %s" % f, w, "/CIDToGIDMap /Identity")
    return p.res("Font", p.once("cidtt", make_tt), "F"), 2, tags


def composite(p, subtype, base, font_file, widths, extra):
    """A Type 0 font over Identity-H with its CID font and descriptor; the font's reference."""
    fd = p.obj("<< /Type /FontDescriptor /FontName /%s /Flags 4 /FontBBox [0 -100 900 800] /ItalicAngle 0 "
               "/Ascent 800 /Descent -200 /CapHeight 700 /StemV 80 %s >>" % (base, font_file))
    cid = p.obj("<< /Type /Font /Subtype /%s /BaseFont /%s /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) "
                "/Supplement 0 >> /FontDescriptor %s /DW 1000 /W [%s] %s >>" % (subtype, base, fd, widths, extra))
    return p.obj("<< /Type /Font /Subtype /Type0 /BaseFont /%s /Encoding /Identity-H /DescendantFonts [%s] >>" %
                 (base, cid))


def encode_text(kind, codes):
    if kind == "cidcff":
        # Code 0 stands for a CID the program lacks (between two of its CIDs).
        return "<%s>" % "".join("%04X" % (fonts.cid_of(c) if c else 4) for c in codes)
    if kind == "cidtt":
        return "<%s>" % "".join("%04X" % (1 + fonts.CODES.index(c)) for c in codes)
    return "(%s)" % "".join(chr(c) for c in codes)


def text_state(p, tags, odds, rises):
    """Tc, Tw, Tz and Ts, each set at its odds. A negative Tc draws glyphs over one another
    (its twin spaces them by 0)."""
    r = p.rng
    state = ""
    if r.random() < odds[0]:
        spacing = r.choice([-1, 1, 2.5])
        tags.append("text-spacing")
        if spacing < 0 and not p.mark(tags, "text-overlap"):
            spacing = 0
        state += " %s Tc" % n(spacing)
    if r.random() < odds[1]:
        state += " %s Tw" % n(r.choice([3, 8]))
        tags.append("text-spacing")
    if r.random() < odds[2]:
        state += " %d Tz" % r.choice([50, 80, 130])
        tags.append("text-scale")
    if r.random() < odds[3]:
        state += " %d Ts" % r.choice(rises)
        tags.append("text-rise")
    return state


def op_text(p):
    r = p.rng
    tags, kind = p.pick([(1, ["font-std"], lambda: "std"), (2, ["font-truetype"], lambda: "truetype"),
                         (2, ["font-cff"], lambda: "cff"), (2, ["font-type1"], lambda: "type1"),
                         (2, ["font-cidcff"], lambda: "cidcff"), (2, ["font-cidtt"], lambda: "cidtt"),
                         (1, ["font-otf-tt"], lambda: "otf-tt"), (1, ["font-otf-cff"], lambda: "otf-cff")])
    name, width, ftags = font_resource(p, kind)
    tags += ftags + ["text"]
    size = r.randint(14, 36)
    glyph_codes = [c for c in fonts.CODES if c != 32] if kind != "std" else list(range(65, 91))
    codes = [r.choice(glyph_codes + [32]) for _ in range(r.randint(2, 5))]
    if kind == "cidcff" and r.random() < 0.2 and p.allowed(["cid-missing"]):
        codes[r.randrange(len(codes))] = 0
        tags.append("cid-missing")
    col, ct = colour(p)
    tags += ct
    state = text_state(p, tags, (0.3, 0.2, 0.2, 0.15), (-4, 5))
    if "text-rise" in tags and ("t1-matrix" in tags or "cid-fdmatrix" in tags):
        tags.append("matrix-rise")
    mode = drawn_mode = 0
    if r.random() < 0.3:
        mode = drawn_mode = r.choice([1, 2, 3, 4, 5, 6, 7])
        if mode in (4, 5, 6) and not p.mark(tags, "text-clip-paint"):
            mode -= 4
        tags.append("text-mode%d" % mode)
        scol, st = colour(p, stroke=True)
        width = r.choice([1, 2])
        tags += st
        if width <= 1 and mode in (1, 2, 5, 6) and not p.mark(tags, "thin-line"):
            width = 2
        state += " %s %s Tr %d w" % (scol, mode, width)
    x, y = r.randint(0, 30), r.randint(10, 70)
    if r.random() < 0.25:
        tags.append("text-matrix")
        place = "0.9 0.3 -0.3 0.9 %d %d Tm" % (x, y)
    else:
        place = "%d %d Td" % (x, y)
    show_kind = r.choice(["Tj", "TJ", "quote", "lines"])
    if show_kind == "Tj":
        show = "%s Tj" % encode_text(kind, codes)
    elif show_kind == "TJ":
        kern = r.choice([-300, 200, 500])
        tags.append("text-kern")
        # Positive: glyphs drawn over one another, in one path.
        if kern > 0 and not p.mark(tags, "text-overlap"):
            kern = -kern
        show = "[%s %d %s] TJ" % (encode_text(kind, codes[:2]), kern, encode_text(kind, codes[2:]))
    elif show_kind == "quote":
        show = "%d TL %s Tj %s '" % (size, encode_text(kind, codes[:2]), encode_text(kind, codes[2:]))
        tags.append("text-lines")
    else:
        show = "%s Tj 0 %d TD %s Tj T* %s Tj" % (encode_text(kind, codes[:2]), -size, encode_text(kind, codes[2:]),
                                                encode_text(kind, codes[:1]))
        tags.append("text-lines")
    after = ""
    if mode >= 4 and show_kind in ("quote", "lines"):
        tags.append("text-clip-multi")
    if drawn_mode >= 4:
        c2, ct2 = colour(p)
        if mode >= 4:
            tags += ct2
            after = " %s 0 0 100 100 re f" % c2
    return tags, "q %s BT /%s %d Tf%s %s %s ET%s Q" % (col, name, size, state, place, show, after)


def type3_font(p, scale, shear=0):
    """A Type 3 font of a square, a triangle and a space; its glyph space `scale` times as fine
    (a FontMatrix of 0.001 / scale), its procedures and widths as much larger; `shear` tilts the
    glyph's x axis (the matrix's b term, relative to its a)."""
    def make():
        k = scale
        procs = (p.stream("<< >>", "%d 0 0 0 %d %d d1 0 0 %d %d re f" % (1000 * k, 750 * k, 750 * k, 750 * k, 750 * k)),
                 p.stream("<< >>", "%d 0 d0 0 0 m %d 0 l %d %d l h f" % (800 * k, 700 * k, 350 * k, 700 * k)),
                 p.stream("<< >>", "%d 0 d0" % (500 * k)))
        widths = [500 * k] + [0] * 32 + [1000 * k, 800 * k]
        return p.obj("<< /Type /Font /Subtype /Type3 /FontBBox [0 0 %d %d] /FontMatrix [%g %g 0 %g 0 0] "
                     "/CharProcs << /sq %s /tri %s /space %s >> "
                     "/Encoding << /Type /Encoding /Differences [32 /space 65 /sq /tri] >> "
                     "/FirstChar 32 /LastChar 66 /Widths [%s] /Resources << >> >>" % (
                         1000 * k, 1000 * k, 0.001 / k, shear * 0.001 / k, 0.001 / k, procs[0], procs[1], procs[2],
                         nums(widths)))
    return p.res("Font", p.once("t3-%d-%g" % (scale, shear), make), "F")


def op_type3(p):
    r = p.rng
    tags = ["font-type3", "text"]
    scale = 1
    if r.random() < 0.3:
        # Glyph units of 1/2000 of the size: spacing and rise stay in text space.
        scale = 2
        tags.append("t3-matrix")
    shear = 0
    if r.random() < 0.25 and p.allowed(["t3-shear"]):
        # Glyphs sheared up or down along the line: each stays on the baseline.
        shear = r.choice([0.4, -0.3])
        if not p.mark(tags, "t3-shear"):
            shear = 0
    name = type3_font(p, scale, shear)
    col, ct = colour(p)
    text = "".join(r.choice("AB ") for _ in range(r.randint(1, 5)))
    state = text_state(p, tags, (0.3, 0.3, 0.3, 0.3), (-4, 5, 10))
    return tags + ct, "q %s BT /%s %d Tf%s %d %d Td (%s) Tj ET Q" % (col, name, r.randint(14, 30), state,
                                                                     r.randint(0, 30), r.randint(10, 70), text)


OPS = [
    (6, ["op-fill"], op_fill),
    (4, ["op-stroke"], op_stroke),
    (3, ["op-clip"], op_clip),
    (2, ["op-cm"], op_transform),
    (2, ["op-alpha"], op_alpha),
    (1, ["op-extgstate"], op_extgstate),
    (2, ["op-sh"], op_shading),
    (2, ["op-pattern"], op_shading_pattern),
    (2, ["op-tiling"], op_tiling),
    (2, ["op-form"], op_form),
    (2, ["op-inline-image"], op_inline_image),
    (2, ["op-image"], op_image_xobject),
    (1, ["op-marked"], op_marked),
    (5, ["op-text"], op_text),
    (1, ["op-type3"], op_type3),
]


def make_page(seed, exclude, neutral=()):
    """One page; an op whose construct is excluded is drawn again until one is allowed."""
    for attempt in range(50):
        p = Page(seed + attempt * 1000003, exclude, neutral)
        p.seed = seed
        if p.rng.random() < 0.08 and p.allowed(["rotate"]):
            p.extra = "/Rotate %d" % p.rng.choice([90, 180, 270])
            p.size = (100, 120)
        count = p.rng.randint(1, 4)
        ok = True
        while len(p.ops) < count:
            tags, maker = p.pick([(w, t, (lambda f=f: f)) for w, t, f in OPS])
            saved = (len(p.objects), {k: dict(v) for k, v in p.resources.items()}, dict(p.cache))
            for _ in range(20):
                t, content = maker(p)
                if p.allowed(t):
                    break
                p.objects = p.objects[:saved[0]]
                p.resources = {k: dict(v) for k, v in saved[1].items()}
                p.cache = dict(saved[2])
            else:
                ok = False
                break
            if p.extra:
                t = t + ["rotate"]
            # An image drawn after transparency was set and restored.
            if any("alpha" in old for old, _ in p.ops) and any(x.startswith("image") for x in t):
                t = t + ["image-after-alpha"]
                if not p.allowed(["image-after-alpha"]):
                    p.objects = p.objects[:saved[0]]
                    p.resources = {k: dict(v) for k, v in saved[1].items()}
                    p.cache = dict(saved[2])
                    continue
            p.ops.append((tags + t, content))
        if ok:
            return p
    raise RuntimeError("no page for seed %d" % seed)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--first", type=int, required=True)
    ap.add_argument("--count", type=int, required=True)
    ap.add_argument("--out", required=True)
    ap.add_argument("--exclude", default="")
    ap.add_argument("--neutral", default="")
    args = ap.parse_args()
    exclude = [t for t in args.exclude.split(",") if t]
    neutral = [t for t in args.neutral.split(",") if t]
    os.makedirs(args.out, exist_ok=True)
    for seed in range(args.first, args.first + args.count):
        make_page(seed, exclude, neutral).write(os.path.join(args.out, "page_%d.txt" % seed))


if __name__ == "__main__":
    main()
