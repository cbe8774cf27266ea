#!/usr/bin/python3
"""How much of what a catalogue reads from a record an author sees on a page.

    values_on_pages.py TOOL STYLESHEETS [RECORD|FOLDER]... [--floor PERCENT] [-v]

Without records, those of the shared ISO 19139 folder (TIDEWISE_ISO19139, else
shared/iso19139 beside the repository or a folder above it) are read; a folder
stands for the .xml files in it. Each record (or each record of a catalogue's response) is imported into an item
of its own; every value OWSLib reads from the record (tests/stylesheets/
owslib_values.py) then counts as shown when some page of the editor's tree
shows it to the author in a control that edits it: a line of a text or combo
box, an entry of a list (or a part of one between " \u2014 "), a checked entry
of a check list, a selected option button, an edge of a box on the map.
Labels, frames and buttons do not count: an author cannot edit what they say.
A list shows the fields of its selected entry only, so every entry of every
list is selected in turn (and the lists inside it then), as an author would.

Prints each record's share of distinct values and what is missing (-v), and
exits with 1 when the share over all records is below --floor.
"""

import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

from lxml import etree

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "stylesheets"))
import owslib_values  # noqa: E402

SKIPPED = 77
RECORD_ROOTS = ("{http://www.isotc211.org/2005/gmd}MD_Metadata",
                "{http://www.isotc211.org/2005/gmi}MI_Metadata")
# What a selected option button or a checked check box stands for.
BOOLEANS = {"pass": "true", "true": "true", "yes": "true",
            "fail": "false", "false": "false", "no": "false"}
DASH = " \u2014 "


def shared_records():
    if "TIDEWISE_ISO19139" in os.environ:
        return Path(os.environ["TIDEWISE_ISO19139"]) / "records"
    root = Path(__file__).resolve().parents[2]
    for folder in root.parents:
        if (folder / "shared" / "iso19139" / "records").is_dir():
            return folder / "shared" / "iso19139" / "records"
    return root.parent / "shared" / "iso19139" / "records"


def record_files(arguments):
    files = []
    for argument in arguments or [shared_records()]:
        path = Path(argument)
        files += sorted(path.glob("*.xml")) if path.is_dir() else [path] if path.is_file() else []
    return files


def norm(text):
    """Compared without case, spaces or punctuation: "Point of contact" is pointOfContact."""
    return re.sub(r"[\W_]", "", str(text).lower())


class Tool:
    def __init__(self, tool, stylesheets, home):
        self.tool, self.stylesheets = tool, stylesheets
        self.env = dict(os.environ, TIDEWISE_HOME=home)

    def run(self, *args):
        return subprocess.run([self.tool, *args], env=self.env, capture_output=True, text=True)

    def json(self, *args):
        done = self.run(*args, "--json")
        return json.loads(done.stdout) if done.returncode == 0 else None

    def pages(self):
        tree = self.json("tree")
        return [page["uniqueName"] for book in tree["books"] for page in book["pages"]]


def shown_by(page):
    """The texts the page's controls show an author, normalised."""
    texts = set()

    def add(text):
        for line in str(text).split("\n"):
            texts.add(norm(line))
            texts.update(norm(part) for part in line.split(DASH))

    for control in page["controls"]:
        kind = control["kind"]
        if kind in ("Label", "Frame", "Shape", "CommandButton"):
            continue
        if control.get("text"):
            add(control["text"])
        if kind == "ListBox":
            for i, item in enumerate(control.get("items", [])):
                if "checked" not in control or control["checked"][i]:
                    add(item)
        elif kind == "Map":
            for item in control.get("items", []):
                texts.update(norm(edge) for edge in item.split())
        elif kind in ("OptionButton", "CheckBox") and control.get("value") in (True, 1):
            caption = control.get("caption", "")
            texts.add(norm(caption))
            if caption.lower() in BOOLEANS and kind == "OptionButton":
                texts.add(BOOLEANS[caption.lower()])
    texts.discard("")
    return texts


def lists_of(page):
    return {c["name"]: c.get("items", []) for c in page["controls"] if c["kind"] == "ListBox"
            and "checked" not in c}


def explore(tool, item, name, limit=400):
    """What the page shows with every entry of every list selected in turn.

    From the page as loaded, each list's other entries are selected; after a
    selection, the lists whose entries changed (those inside it) are walked
    the same way, so nested lists are seen under each of their parents."""
    page = tool.json("show", item, name)
    if page is None:
        return set()
    texts = shown_by(page)
    visits = 0

    def walk(selections, page, lists):
        nonlocal visits
        before = lists_of(page)
        for list_name in lists:
            current = next(c.get("value", -1) for c in page["controls"] if c["name"] == list_name)
            for index in range(len(before.get(list_name, []))):
                if index == current or visits >= limit:
                    continue
                visits += 1
                steps = selections + [f"{list_name}={index}"]
                args = ["edit", item, name]
                for step in steps:
                    args += ["--select", step]
                result = tool.json(*args)
                if result is None:
                    continue
                after = result["page"]
                texts.update(shown_by(after))
                changed = [n for n, items in lists_of(after).items()
                           if n != list_name and items != before.get(n)]
                walk(steps, after, changed)

    walk([], page, list(lists_of(page)))
    return texts


def records_of(path, scratch, tool):
    """(OWSLib's reading, item file) of each record the file holds."""
    root = etree.parse(str(path)).getroot()
    if root.tag in RECORD_ROOTS:
        item = os.path.join(scratch, "item.xml")
        if os.path.exists(item):
            os.remove(item)
        tool.run("import", str(path), item, "--stylesheets", tool.stylesheets)
        return [(root, item)]
    found = [e for e in root.iter() if e.tag in RECORD_ROOTS]
    folder = os.path.join(scratch, "split")
    shutil.rmtree(folder, ignore_errors=True)
    done = tool.run("import", str(path), "--split", folder, "--stylesheets", tool.stylesheets)
    items = done.stdout.split()
    return list(zip(found, items))


def distinct_values(record):
    values = owslib_values.values(etree.tostring(record))
    return {text for (_, text) in values if norm(text)}


def main(argv):
    verbose = "-v" in argv
    argv = [a for a in argv if a != "-v"]
    floor = None
    if "--floor" in argv:
        at = argv.index("--floor")
        floor = float(argv[at + 1])
        del argv[at:at + 2]
    if len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    tool_path, stylesheets = argv[0], argv[1]
    records = record_files(argv[2:])
    if not records:
        print("no records found", file=sys.stderr)
        return SKIPPED
    scratch = tempfile.mkdtemp(prefix="tidewise-values-on-pages-")
    try:
        tool = Tool(tool_path, stylesheets, os.path.join(scratch, "home"))
        names = tool.pages()
        total = shown_total = 0
        for path in records:
            for n, (record, item) in enumerate(records_of(path, scratch, tool), 1):
                values = distinct_values(record)
                shown = set()
                for name in names:
                    shown |= explore(tool, item, name)
                seen = {v for v in values if norm(v) in shown}
                total += len(values)
                shown_total += len(seen)
                label = Path(path).name + (f" #{n}" if n > 1 or len(values) == 0 else "")
                share = 100.0 * len(seen) / len(values) if values else 100.0
                print(f"{label}: {len(seen)}/{len(values)} = {share:.0f}%")
                if verbose and values - seen:
                    print("    missing:", sorted(values - seen))
        share = 100.0 * shown_total / total if total else 100.0
        print(f"all: {shown_total}/{total} = {share:.1f}%")
        if floor is not None and share < floor:
            print(f"below the floor of {floor}%", file=sys.stderr)
            return 1
        return 0
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
