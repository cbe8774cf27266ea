"""The values the editing pages show, as data: for every page entry of the
editor's tree, each bound control with the element path it reads and how.

Derived from the pages' own tables (the Field arrays, the tree placements and
the quality element table of TidewiseCustom/) and kept in
tests/data/stylesheets/page-values.json, so that whoever compares pages (the
stylesheet round trip here, `tidewise show --json` of every page elsewhere)
reads one list. Run this file to write the JSON again after a page changes:

    /usr/bin/python3 tests/stylesheets/page_values.py --write
"""

import json
import re
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
JSON_PATH = ROOT / "tests" / "data" / "stylesheets" / "page-values.json"
SOURCES = ROOT / "TidewiseCustom"

_STRING = r'"((?:[^"\\]|\\.)*)"'


def _blocks(text, opener):
    """The bodies of `opener ... { ... };` blocks, by the name they declare."""
    found = {}
    for match in re.finditer(opener + r"\s*(\w+)(?:\[\])?\s*(?:=\s*)?\{", text):
        depth, start = 1, match.end()
        i = start
        while depth:
            depth += {"{": 1, "}": -1}.get(text[i], 0)
            i += 1
        found[match.group(1)] = text[start:i - 1]
    return found


def _fields(body):
    """The entries of a Field array: control, path, kind and code list."""
    fields = []
    for entry in re.finditer(r"\{\s*" + _STRING + r"\s*,\s*(" + _STRING + r"|Page\.path)([^{}]*)\}",
                             body):
        rest = entry.group(4)
        kind = "text"
        if "FieldKind::Code" in rest:
            kind = "code"
        elif "FieldKind::Flag" in rest:
            kind = "flag"
        field = {"control": entry.group(1), "path": entry.group(3), "kind": kind}
        codes = re.search(r"&(k\w+)", rest)
        if codes:
            field["codeList"] = codes.group(1)
        unselected = re.findall(_STRING, rest)
        if kind == "flag" and unselected:
            field["unselected"] = unselected[-1]
        fields.append(field)
    return fields


def derive():
    """Every page entry of the tree with its values, from the sources."""
    fields_by_class = {}
    for source in sorted(SOURCES.rglob("*.cpp")):
        text = source.read_text(encoding="utf-8")
        field_arrays = {name: _fields(body)
                        for name, body in _blocks(text, r"constexpr\s+Field").items()}
        for body in _blocks(text, r"constexpr\s+PageData").values():
            name = re.search(r"\.class_name\s*=\s*" + _STRING, body)
            fields = re.search(r"\.fields\s*=\s*(\w+)", body)
            if name and fields and fields.group(1) in field_arrays:
                quality = ".quality" in body
                fields_by_class[name.group(1)] = (field_arrays[fields.group(1)], quality)
        # The single-text pages: one struct each, the path its sixth string
        # (after the class name, two identifiers, the title and the caption).
        template = re.search(r"static constexpr Field fields\[\]\s*=\s*\{(.*?)\};", text, re.S)
        if template:
            shape = _fields(template.group(1))[0]
            for entry in re.finditer(r"constexpr SingleText \w+\{(.*?)\};", text, re.S):
                strings = re.findall(_STRING, entry.group(1))
                fields_by_class[strings[0]] = ([dict(shape, path=strings[5])], False)

    connect = (SOURCES / "framework" / "connect.cpp").read_text(encoding="utf-8")
    placements = []
    for name, body in _blocks(connect, r"constexpr\s+Placement").items():
        placements += re.findall(r"\{\s*" + _STRING + r"\s*,\s*" + _STRING + r"\s*\}", body)
    roles = re.findall(r"\{\s*" + _STRING + r"\s*,\s*" + _STRING + r"\s*\}",
                       _blocks(connect, r"constexpr\s+std::array<Placement,\s*3>")["kElementPages"])
    elements = re.findall(r"\{\s*" + _STRING + r"\s*,\s*" + _STRING + r"\s*,",
                          (ROOT / "PageFramework/include/tidewise/pages/quality_elements.h").read_text(encoding="utf-8"))

    pages = []
    for unique_name, page_class in placements:
        fields, _ = fields_by_class[page_class]
        pages.append({"uniqueName": unique_name, "class": page_class, "values": fields})
    for prefix, element in elements:
        for suffix, page_class in roles:
            fields, quality = fields_by_class[page_class]
            assert quality, page_class
            pages.append({
                "uniqueName": prefix + suffix,
                "class": page_class,
                "values": [dict(f, path="dqInfo/" + element + f["path"]) for f in fields],
            })
    return {
        "about": "Every page entry of the editor's tree and the values its controls show: the "
                 "element path read (below the root), and how: 'text' is the element's own text, "
                 "'code' its attribute \"value\" shown through the code list, 'flag' selects the "
                 "control when the text is exactly \"true\". Written by "
                 "tests/stylesheets/page_values.py from the pages' tables.",
        "pages": pages,
    }


def load():
    return json.loads(JSON_PATH.read_text(encoding="utf-8"))


def text_of(data):
    return json.dumps(data, indent=1, ensure_ascii=False) + "\n"


if __name__ == "__main__":
    if sys.argv[1:] == ["--write"]:
        JSON_PATH.parent.mkdir(parents=True, exist_ok=True)
        JSON_PATH.write_text(text_of(derive()), encoding="utf-8")
    else:
        sys.stdout.write(text_of(derive()))
