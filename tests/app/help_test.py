#!/usr/bin/env python3
"""Checks the help's sources: help_test.py SOURCE_DIR

Every link lands on a page and an anchor that exist, every page and section is
in the contents and the index, the pages' Previous and Next links follow the
contents, and the shortcut table lists the menu's shortcuts.
"""
import os
import re
import sys

source = sys.argv[1]
help_dir = os.path.join(source, "help")
text = {n: open(os.path.join(help_dir, n), encoding="cp1252").read()
        for n in os.listdir(help_dir) if n.endswith((".html", ".hhc", ".hhk", ".hhp"))}
pages = sorted(n for n in text if n.endswith(".html"))
anchors = {p: set(re.findall(r'<a name="([^"]+)"', text[p])) for p in pages}
toc = re.findall(r'name="Local" value="([^"]+)"', text["toc.hhc"])
index = re.findall(r'name="Local" value="([^"]+)"', text["index.hhk"])


def broken(target):
    page, _, anchor = target.partition("#")
    return page not in anchors or (anchor and anchor not in anchors[page])


def links_land():
    bad = [(n, t) for n in pages for t in re.findall(r'href="([^"]+\.html(?:#[^"]*)?)"', text[n]) if broken(t)]
    bad += [("toc.hhc", t) for t in toc if broken(t)] + [("index.hhk", t) for t in index if broken(t)]
    return "links to nowhere: %s" % bad if bad else None


def sections_in_contents_and_index():
    sections = ["%s#%s" % (p, a) for p in pages
                for a in re.findall(r'<h[23]><a name="([^"]+)"', text[p])]
    missing = [s for s in sections if s not in toc] + [t for t in toc if "#" in t and t not in index]
    return "not in the contents or the index: %s" % missing if missing else None


def pages_in_contents_order():
    order = [t for t in toc if "#" not in t]
    listed = re.findall(r'<li><a href="([^"#]+)"', text["index.html"])
    bad = [p for p in pages if p not in order] + [p for p in order[1:] if p not in listed]
    for i, p in enumerate(order):
        nav = re.search(r'<p class="nav">(.*?)</p>', text[p], re.S)
        links = dict(re.findall(r'(Previous|Next): <a href="([^"]+)"', nav.group(1) if nav else ""))
        want = {k: order[j] for k, j in (("Previous", i - 1), ("Next", i + 1)) if 0 <= j < len(order)}
        if links != want:
            bad.append("%s links %s, not %s" % (p, links, want))
    return "out of the contents or their order: %s" % bad if bad else None


def every_page_compiled():
    listed = text["velt.hhp"].split("[FILES]")[1].split()
    missing = [p for p in pages if p not in listed]
    return "velt.hhp leaves out %s" % missing if missing else None


def shortcut_table():
    menu = open(os.path.join(source, "src", "app", "main_menu.cpp"), encoding="utf-8").read()
    hotkey = open(os.path.join(source, "src", "core", "hotkey.h"), encoding="utf-8").read()
    # The menu's shortcuts, F1, and auto-type's system-wide default.
    keys = {"Ctrl+" + k for k in re.findall(r"ctrl \| '([A-Z])'", menu)} | {"F1"}
    keys |= {"Shift+Ctrl+" + k for k in re.findall(r"ctrl \| scShift \| '([A-Z])'", menu)}
    keys |= set(re.findall(r'kDefaultHotkey = "([^"]+)"', hotkey))
    table = set(re.findall(r'<td class="key">([^<]+)</td>', text["index.html"])) - {"Tab"}
    return "shortcut table %s, menu %s" % (sorted(table), sorted(keys)) if table != keys else None


failed = 0
for check in (links_land, sections_in_contents_and_index, pages_in_contents_order, every_page_compiled,
              shortcut_table):
    problem = check()
    print("%-32s %s" % (check.__name__, "ok" if problem is None else "FAIL: " + problem))
    failed += problem is not None
sys.exit(1 if failed else 0)
