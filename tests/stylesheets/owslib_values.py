#!/usr/bin/python3
"""The values a catalogue reads from an ISO 19139 record, as OWSLib reads them.

    owslib_values.py RECORD...            the share of each record's values that survive
                                          import and export through the stylesheets

values(record) walks OWSLib's MD_Metadata of the record and returns every text
value it found as a multiset of (attribute path, value); survival() compares
a record with its import -> export.
"""

import collections
import subprocess
import sys
import warnings
from pathlib import Path

from lxml import etree

ROOT = Path(__file__).resolve().parents[2]
STYLESHEETS = ROOT / "stylesheets"

# Attributes that are not values read from the record.
SKIP = {"xml", "identtype", "type_" }


def _walk(obj, path, found, seen):
    if obj is None:
        return
    if isinstance(obj, (str, int, float)):
        text = " ".join(str(obj).split())
        if text:
            found[(path, text)] += 1
        return
    if isinstance(obj, (list, tuple)):
        for item in obj:
            _walk(item, path, found, seen)
        return
    if isinstance(obj, dict):
        for key, item in obj.items():
            _walk(item, f"{path}.{key}", found, seen)
        return
    if id(obj) in seen or not hasattr(obj, "__dict__"):
        return
    seen.add(id(obj))
    for key, item in vars(obj).items():
        if key in SKIP or key.startswith("_"):
            continue
        _walk(item, f"{path}.{key}", found, seen)


def values(record):
    """(path, value) -> count, for a file or for XML bytes."""
    from owslib.iso import MD_Metadata
    tree = etree.fromstring(record) if isinstance(record, bytes) else etree.parse(str(record)).getroot()
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        md = MD_Metadata(tree)
    found = collections.Counter()
    _walk(md, "md", found, set())
    return found


def round_trip(record):
    """The export of the import of a record file."""
    host = subprocess.run(["xsltproc", "--nonet", str(STYLESHEETS / "toVelmarModel.xslt"), str(record)],
                          capture_output=True, check=True).stdout
    return subprocess.run(["xsltproc", "--nonet", str(STYLESHEETS / "toTidewiseModel.xslt"), "-"],
                          input=host, capture_output=True, check=True).stdout


def survival(record):
    """(values of the record, those that survive, what was lost)."""
    before = values(record)
    after = values(round_trip(record))
    lost = before - after
    total = sum(before.values())
    return total, total - sum(lost.values()), lost


def main(records):
    grand_total = grand_kept = 0
    for record in records:
        total, kept, lost = survival(record)
        grand_total += total
        grand_kept += kept
        print(f"{Path(record).name}: {kept}/{total}")
        for (path, value), count in sorted(lost.items())[:20]:
            print(f"    lost {count} x {path} = {value[:70]!r}")
    share = 100.0 * grand_kept / grand_total if grand_total else 100.0
    print(f"all: {grand_kept}/{grand_total} = {share:.2f}%")


if __name__ == "__main__":
    main(sys.argv[1:])
