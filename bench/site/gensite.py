#!/usr/bin/env python3
"""Writes a synthetic picture site from a seed, for the crawl benchmarks.

The site is a tree of pages under /index.html (depth 0): `--sections` section
pages at depth 1, then `--fanout` children per page down to depth `--levels`.
Every page links `--pics` pictures (pages at the deepest level `--leaf-pics`),
jpg/png/gif of a log-uniform size between `--min-kb` and `--max-kb`, with
deterministic bytes and a name that is unique in the whole site (so that a
crawler that saves by file name alone, and one that mirrors the folder tree,
save comparable sets).  The pictures are valid images: a tiny picture padded
up to the wanted size where a real picture keeps its bulk, behind the
headers that a size query reads (JPEG: after the image, PNG: an ancillary
chunk after the image data, GIF: a comment after the image), so a crawler
that measures what it saves pays what a real picture of that size costs.

Things a crawler must cope with:
  * some pages are linked twice (from two pages of the same depth, so that the
    depth of every page is the same whatever order a crawler visits it in);
  * some pictures are linked twice (as <img src> and as <a href>, or from two
    pages of the same depth);
  * decoys: links to files of other extensions that exist on the server
    (.txt .zip .bmp .jpeg .webp .pdf), a mailto link, and links to the root of
    other host families, which a crawler that stays on the site never follows;
  * links are relative (no leading slash) and climb with "..", the form every
    crawler resolves alike.

With `--depth D` it writes (or prints with `--print-expected`) the sorted names
of exactly the pictures a depth-D crawl must save: those linked from a page
whose depth is below D.  A picture linked only from a page at depth D or deeper
must not be saved.

Only the Python 3 standard library is used.
"""

import argparse
import hashlib
import json
import math
import os
import random
import struct
import sys
import zlib

PICTURE_EXTS = ("jpg", "png", "gif")
DECOY_EXTS = ("txt", "zip", "bmp", "jpeg", "webp", "pdf")
# Roots of other host families.  Loopback addresses only: a crawler may look
# a host name up even when it does not follow the link, and that must never
# leave the machine.
OTHER_FAMILIES = ("http://127.0.0.2/", "http://127.31.0.9/")

# An 8x8 baseline JPEG; the padding follows its end-of-image marker, where
# decoders stop reading.
_JPEG_BASE = bytes.fromhex(
    "ffd8ffe000104a46494600010100000100010000ffdb004300080606070605080707070909080a0c140d0c0b0b0c1912130f"
    "141d1a1f1e1d1a1c1c20242e2720222c231c1c2837292c30313434341f27393d38323c2e333432ffdb0043010909090c0b0c"
    "180d0d1832211c21323232323232323232323232323232323232323232323232323232323232323232323232323232323232"
    "3232323232323232ffc00011080008000803012200021101031101ffc4001500010100000000000000000000000000000007"
    "ffc400161001010100000000000000000000000000001562ffc4001501010100000000000000000000000000000507ffc400"
    "17110003010000000000000000000000000000051652ffda000c03010002110311003f009a54d00a34c2dc09d130d9ffd9")

WORDS = ("amber", "birch", "cobalt", "dune", "ember", "fjord", "glade", "harbor",
         "iris", "juniper", "kelp", "lagoon", "meadow", "nebula", "orchid",
         "pebble", "quartz", "ridge", "sierra", "tundra", "umber", "valley",
         "willow", "yarrow", "zephyr")

FILLER = ("The evening light fell across the old harbour and the boats rocked "
          "slowly while gulls circled above the market square. ")


def jpeg_bytes(size, rng):
    pad = size - len(_JPEG_BASE)
    if pad < 0:
        raise ValueError("JPEG too small: %d" % size)
    data = _JPEG_BASE + rng.randbytes(pad)
    assert len(data) == size
    return data


def _png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def png_bytes(size, rng):
    w = h = 8
    raw = b"".join(b"\x00" + rng.randbytes(3 * w) for _ in range(h))
    head = b"\x89PNG\r\n\x1a\n" + _png_chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
    tail = _png_chunk(b"IDAT", zlib.compress(raw)) + _png_chunk(b"IEND", b"")
    pad = size - len(head) - len(tail) - 12
    if pad < 0:
        raise ValueError("PNG too small: %d" % size)
    # A private, ancillary, safe-to-copy chunk after the image data: decoders
    # skip it, and reading the header never reaches it.
    idat, iend = tail[:-12], tail[-12:]
    data = head + idat + _png_chunk(b"bnCh", rng.randbytes(pad)) + iend
    assert len(data) == size
    return data


def gif_bytes(size, rng):
    head = b"GIF89a" + struct.pack("<HHBBB", 1, 1, 0x80, 0, 0) + b"\x00\x00\x00\xff\xff\xff"
    image = b"\x2c" + struct.pack("<HHHHB", 0, 0, 1, 1, 0) + b"\x02\x02\x44\x01\x00" + b"\x3b"
    pad = size - len(head) - len(image) - 3  # 21 FE ... 00
    if pad < 2:
        raise ValueError("GIF too small: %d" % size)
    lens = []
    while pad > 0:
        n = min(256, pad)
        if pad - n == 1:  # never leave one byte: a sub-block needs two
            n -= 1
        lens.append(n - 1)
        pad -= n
    body = b"".join(bytes([n]) + rng.randbytes(n) for n in lens)
    data = head + image[:-1] + b"\x21\xfe" + body + b"\x00" + image[-1:]
    assert len(data) == size
    return data


MAKERS = {"jpg": jpeg_bytes, "png": png_bytes, "gif": gif_bytes}


class Page:
    def __init__(self, pid, level, section, path):
        self.pid = pid
        self.level = level
        self.section = section
        self.path = path          # site path without leading "/"
        self.children = []        # Page
        self.extra_pages = []     # Page linked a second time from here
        self.pictures = []        # (path, name) linked from here
        self.extra_pictures = []  # pictures of other pages linked here too
        self.decoys = []          # site paths of decoy files


def rel(from_page_path, target_path):
    """Relative link from the folder of one site path to another site path."""
    return os.path.relpath(target_path, os.path.dirname(from_page_path) or ".").replace(os.sep, "/")


class Site:
    def __init__(self, args):
        self.args = args
        self.rng = random.Random("site:%d" % args.seed)
        self.pages = []
        self.pictures = {}   # name -> (path, ext, size)
        self.decoy_files = {}  # path -> size
        self._serial = 0

    def _new_picture(self, page):
        a = self.args
        self._serial += 1
        ext = PICTURE_EXTS[self.rng.randrange(3)]
        word = WORDS[self.rng.randrange(len(WORDS))]
        name = "%s-%06d-%04x.%s" % (word, self._serial, self.rng.randrange(0x10000), ext)
        bucket = hashlib.md5(name.encode()).hexdigest()[:2]
        path = "img/%s/%s" % (bucket, name)
        lo, hi = a.min_kb * 1024 + 1, a.max_kb * 1024
        size = int(round(math.exp(self.rng.uniform(math.log(lo), math.log(hi)))))
        size = max(lo, min(hi, size))
        self.pictures[name] = (path, ext, size)
        page.pictures.append((path, name))

    def build(self):
        a = self.args
        root = Page("index", 0, -1, "index.html")
        self.pages.append(root)
        levels = [[root]]
        for level in range(1, a.levels + 1):
            row = []
            parents = levels[-1]
            for parent in parents:
                n = a.sections if level == 1 else a.fanout
                for i in range(n):
                    section = i if level == 1 else parent.section
                    pid = "s%d" % i if level == 1 else "%s-%d" % (parent.pid, i)
                    page = Page(pid, level, section, "s%d/d%d/p-%s.html" % (section, level, pid))
                    parent.children.append(page)
                    row.append(page)
            levels.append(row)
            self.pages.extend(row)
        # Second links to pages: only from pages of the parent's depth, so
        # that a page's depth does not depend on the visiting order.
        for level in range(2, a.levels + 1):
            parents = levels[level - 1]
            for page in levels[level]:
                if len(parents) > 1 and self.rng.random() < a.twice:
                    other = parents[self.rng.randrange(len(parents))]
                    if page not in other.children and page not in other.extra_pages:
                        other.extra_pages.append(page)
        for page in self.pages:
            count = a.leaf_pics if page.level == a.levels else a.pics
            for _ in range(count):
                self._new_picture(page)
        # Second links to pictures: on the same page as <a href>, or from
        # another page of the same depth.
        for level_pages in levels:
            for page in level_pages:
                for path, name in list(page.pictures):
                    r = self.rng.random()
                    if r < a.twice / 2:
                        page.extra_pictures.append((path, name))
                    elif r < a.twice and len(level_pages) > 1:
                        other = level_pages[self.rng.randrange(len(level_pages))]
                        other.extra_pictures.append((path, name))
        for page in self.pages:
            for i in range(a.decoys):
                ext = DECOY_EXTS[self.rng.randrange(len(DECOY_EXTS))]
                path = "files/%s-d%d.%s" % (page.pid, i, ext)
                self.decoy_files[path] = self.rng.randrange(2000, 20000)
                page.decoys.append(path)
        self.levels = levels

    def page_html(self, page):
        rng = random.Random("page:%d:%s" % (self.args.seed, page.pid))
        p = page.path
        out = ["<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n",
               "<title>Gallery %s</title>\n</head>\n<body>\n<h1>Gallery %s</h1>\n" % (page.pid, page.pid)]
        if page.level > 0:
            out.append("<p><a href=\"%s\">Home</a></p>\n" % rel(p, "index.html"))
        out.append("<ul>\n")
        for child in page.children + page.extra_pages:
            out.append("<li><a href=\"%s\">Section %s</a></li>\n" % (rel(p, child.path), child.pid))
        out.append("</ul>\n<div>\n")
        for path, name in page.pictures:
            out.append("<p>" + FILLER * rng.randrange(1, 4) + "</p>\n")
            out.append("<img src=\"%s\" alt=\"%s\" width=\"320\" height=\"240\">\n" % (rel(p, path), name))
        for path, name in page.extra_pictures:
            out.append("<p><a href=\"%s\">Full size %s</a></p>\n" % (rel(p, path), name))
        out.append("</div>\n<h2>Downloads</h2>\n<ul>\n")
        for path in page.decoys:
            out.append("<li><a href=\"%s\">%s</a></li>\n" % (rel(p, path), os.path.basename(path)))
        for link in OTHER_FAMILIES:
            out.append("<li><a href=\"%s\">Friends</a></li>\n" % link)
        out.append("<li><a href=\"mailto:gallery@example.test\">Mail</a></li>\n")
        out.append("</ul>\n</body>\n</html>\n")
        return "".join(out)

    def page_depths(self):
        """Shortest link depth of every page, walked breadth first."""
        depth = {self.pages[0].path: 0}
        frontier = [self.pages[0]]
        while frontier:
            nxt = []
            for page in frontier:
                for child in page.children + page.extra_pages:
                    if child.path not in depth:
                        depth[child.path] = depth[page.path] + 1
                        nxt.append(child)
            frontier = nxt
        for page in self.pages:  # second links never shorten a page's depth
            assert depth[page.path] == page.level, page.path
        return depth

    def expected(self, crawl_depth):
        names = set()
        for page in self.pages:
            if page.level < crawl_depth:
                names.update(name for _, name in page.pictures + page.extra_pictures)
        return sorted(names)

    def write(self, out):
        os.makedirs(out, exist_ok=True)
        for page in self.pages:
            target = os.path.join(out, page.path)
            os.makedirs(os.path.dirname(target), exist_ok=True)
            with open(target, "w", encoding="utf-8") as f:
                f.write(self.page_html(page))
        for name, (path, ext, size) in self.pictures.items():
            target = os.path.join(out, path)
            os.makedirs(os.path.dirname(target), exist_ok=True)
            rng = random.Random("pic:%d:%s" % (self.args.seed, name))
            with open(target, "wb") as f:
                f.write(MAKERS[ext](size, rng))
        for path, size in self.decoy_files.items():
            target = os.path.join(out, path)
            os.makedirs(os.path.dirname(target), exist_ok=True)
            with open(target, "wb") as f:
                f.write(random.Random("decoy:%s" % path).randbytes(size))


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--out", help="folder to write the site into (omit to only print)")
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--sections", type=int, default=8, help="section pages linked from the start page")
    ap.add_argument("--fanout", type=int, default=4, help="child pages per page below the sections")
    ap.add_argument("--levels", type=int, default=3, help="depth of the deepest pages")
    ap.add_argument("--pics", type=int, default=12, help="pictures per page")
    ap.add_argument("--leaf-pics", type=int, default=2, help="pictures per page of the deepest level")
    ap.add_argument("--decoys", type=int, default=2, help="decoy files linked per page")
    ap.add_argument("--twice", type=float, default=0.3, help="share of pages and pictures linked twice")
    ap.add_argument("--min-kb", type=int, default=10, help="pictures are larger than this many KB")
    ap.add_argument("--max-kb", type=int, default=1024, help="pictures are at most this many KB")
    ap.add_argument("--depth", type=int, default=3, help="crawl depth for the expected set")
    ap.add_argument("--expected", help="write the expected picture names to this file")
    ap.add_argument("--print-expected", action="store_true", help="print the expected names on stdout")
    ap.add_argument("--stats", help="write counts and sizes as JSON to this file")
    args = ap.parse_args()

    site = Site(args)
    site.build()
    site.page_depths()
    expected = site.expected(args.depth)
    if args.out:
        site.write(args.out)
    if args.expected:
        with open(args.expected, "w") as f:
            f.write("".join(n + "\n" for n in expected))
    if args.print_expected:
        sys.stdout.write("".join(n + "\n" for n in expected))
    scanned = [p for p in site.pages if p.level < args.depth]
    linked = set()
    for p in scanned:
        linked.update(c.path for c in p.children + p.extra_pages)
        linked.update(path for path, _ in p.pictures + p.extra_pictures)
        linked.update(p.decoys)
        linked.add(os.path.join(os.path.dirname(p.path), "mailto:gallery@example.test"))
    stats = {
        "pages": len(site.pages),
        "pictures": len(site.pictures),
        "picture_bytes": sum(s for _, _, s in site.pictures.values()),
        "depth": args.depth,
        "scanned_pages": len(scanned),
        "expected_pictures": len(expected),
        "expected_bytes": sum(site.pictures[n][2] for n in expected),
        # every distinct URL a crawl of this depth meets and keeps as an item
        "items": len(linked | {"index.html"}),
    }
    if args.stats:
        with open(args.stats, "w") as f:
            json.dump(stats, f, indent=1)
    if not args.print_expected:
        json.dump(stats, sys.stderr)
        sys.stderr.write("\n")


if __name__ == "__main__":
    main()
