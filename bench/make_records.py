#!/usr/bin/env python3
"""Writes records in the project's model (the part of ISO 19139 that the test
stylesheets convert) of about the sizes asked for, for the import and export
benchmarks: FOLDER/record-50k.xml, record-1m.xml, record-20m.xml."""
import sys
from pathlib import Path

SIZES = {"50k": 50_000, "1m": 1_000_000, "20m": 20_000_000}

HEAD = """<?xml version="1.0" encoding="UTF-8"?>
<gmd:MD_Metadata xmlns:gmd="http://www.isotc211.org/2005/gmd" xmlns:gco="http://www.isotc211.org/2005/gco">
  <gmd:fileIdentifier><gco:CharacterString>tw-bench-{label}</gco:CharacterString></gmd:fileIdentifier>
  <gmd:dateStamp><gco:Date>2024-03-18</gco:Date></gmd:dateStamp>
"""
TAIL = "</gmd:MD_Metadata>\n"


def block(n):
    keywords = "".join(
        f"          <gmd:keyword><gco:CharacterString>transect {n}-{k} &amp; profile"
        f"</gco:CharacterString></gmd:keyword>\n" for k in range(12))
    return f"""  <gmd:identificationInfo>
    <gmd:MD_DataIdentification>
      <gmd:citation><gmd:CI_Citation><gmd:title><gco:CharacterString>Shoreline survey section {n}</gco:CharacterString></gmd:title></gmd:CI_Citation></gmd:citation>
      <gmd:abstract><gco:CharacterString>Cliff-top and shoreline positions of section {n}, surveyed by RTK-GNSS at low water; retreat rates against the 2008 baseline, with vertical accuracy of 0.05 m.</gco:CharacterString></gmd:abstract>
      <gmd:purpose><gco:CharacterString>Shoreline management plan review, section {n}.</gco:CharacterString></gmd:purpose>
      <gmd:descriptiveKeywords>
        <gmd:MD_Keywords>
{keywords}        </gmd:MD_Keywords>
      </gmd:descriptiveKeywords>
    </gmd:MD_DataIdentification>
  </gmd:identificationInfo>
"""


def main():
    folder = Path(sys.argv[1])
    folder.mkdir(parents=True, exist_ok=True)
    for label, size in SIZES.items():
        parts = [HEAD.format(label=label)]
        total = len(parts[0]) + len(TAIL)
        n = 0
        while total < size:
            parts.append(block(n))
            total += len(parts[-1])
            n += 1
        parts.append(TAIL)
        (folder / f"record-{label}.xml").write_text("".join(parts), encoding="utf-8")


if __name__ == "__main__":
    main()
