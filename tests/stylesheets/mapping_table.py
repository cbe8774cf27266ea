#!/usr/bin/python3
"""The mapping of stylesheets/iso19139-map.xsl as Markdown, for stylesheets/README.md.

    mapping_table.py            print the tables
    mapping_table.py --write    replace them in stylesheets/README.md (between the markers)

The test suite checks that the README holds what this prints.
"""

import sys
from pathlib import Path

from lxml import etree

ROOT = Path(__file__).resolve().parents[2]
MAP = ROOT / "stylesheets" / "iso19139-map.xsl"
README = ROOT / "stylesheets" / "README.md"
M = "{http://www.tidewise.org/2026/iso19139-ext/map}"
BEGIN = "<!-- mapping: written by tests/stylesheets/mapping_table.py --write -->"
END = "<!-- end of mapping -->"


def load():
    root = etree.parse(str(MAP)).getroot()
    classes = {c.get("name"): c for c in root.iter(M + "class")}
    choices = {c.get("name"): c for c in root.iter(M + "choice")}
    codes = {c.get("list"): c for c in root.iter(M + "codes")}
    return classes, choices, codes


def value(p, choices, codes):
    """The host form of a property's value."""
    if p.get("class"):
        return f"object: {p.get('class').split('.')[0]}"
    if p.get("choice"):
        options = [f"{c.get('host') or '(here)'} = {c.get('ns')}:{c.get('iso')}"
                   for c in choices[p.get("choice")].iter(M + "c")]
        return "one of: " + ", ".join(dict.fromkeys(options))
    kind = p.get("type")
    if kind in ("code", "enum"):
        table = codes.get(p.get("list"))
        has_codes = table is not None and any(v.get("code") for v in table)
        if p.get("form"):
            return f"{kind} {p.get('list')}: `{p.get('form')}/@value` = host code" + \
                (" (001…)" if has_codes else "")
        named = table is not None and any(v.get("name") for v in table)
        return f"{kind} {p.get('list')}: text, " + ("host name" if named else "ISO value")
    if kind == "Measure" and p.get("gco"):
        return f"Measure (gco:{p.get('gco')}): \"value unit\""
    return {"Measure": "Measure: \"value unit\"", "Binary": "Binary: `BinaryBase64` text",
            "Record": "Record: `otherValue` text", "language": "language: `languageCode/@value`",
            "country": "country: `countryCode/@value`", "unit": "unit: `uomName` text",
            "time": "time: `beginEnd/begin`, `beginEnd/end` or `instant`",
            "polygon": "polygon: `exterior`, `interior` coordinates",
            "href": "href: xlink:href as text", "ref": "reference: attributes only",
            "inline": "text (the gco element itself)"}.get(kind, kind)


def class3(c):
    """The ISO 19115-3 class a table's elements become."""
    return f"{c.get('ns3')}:{c.get('iso3') or c.get('iso') or c.get('name').split('.')[0]}"


def to3(p, c):
    """Where ISO 19115-3 holds a property."""
    if p.get("to3") == "":
        return "— (`tw3:carried`)"
    where = p.get("to3") or f"{c.get('ns3')}:{p.get('iso')}"
    text = f"`{where}`"
    if p.get("wrap3"):
        text = f"`{where}/{p.get('wrap3')}`"
    if p.get("move3"):
        text += f" (move: {p.get('move3')})"
    if p.get("form3") == "instant":
        text += " as a `gml:TimeInstant`"
    if p.get("form3") == "datetime":
        text += " (a date and time; a date alone: `tw3:carried`)"
    if p.get("max3") == "1":
        text += " (the first; others `tw3:carried`)"
    return text


def render():
    classes, choices, codes = load()
    used = {}
    for name, c in classes.items():
        for p in c.iter(M + "p"):
            targets = [p.get("class")] if p.get("class") else \
                [x.get("iso") for x in choices[p.get("choice")].iter(M + "c")] if p.get("choice") else []
            for t in targets:
                where = p.get("host") or "(in place)"
                used.setdefault(t, []).append(f"{where} in {name.split('.')[0]}")
    lines = [BEGIN, ""]
    for name, c in classes.items():
        iso = c.get("iso") or name
        title = f"{c.get('ns')}:{iso}"
        if "." in name:
            title += f" ({name.split('.', 1)[1]} form)"
        lines.append(f"#### {title}")
        lines.append("")
        notes = []
        if c.get("base"):
            notes.append(f"Also the properties of {c.get('base')}, first.")
        if c.get("tw") == "yes":
            notes.append(f"Becomes tw:{iso} when it carries text kept verbatim or a tw property.")
        if c.get("ns3"):
            notes.append(f"ISO 19115-3: `{class3(c)}`" + (f" (tw3:{class3(c).split(':')[1]} likewise)"
                                                         if c.get("tw") == "yes" else "") + ".")
        if name in used or iso in used:
            places = sorted(set(used.get(name, []) + (used.get(iso, []) if "." not in name else [])))
            notes.append("Held by: " + "; ".join(places) + ".")
        if notes:
            lines.append(" ".join(notes))
            lines.append("")
        lines.append("| Host | ISO | Value | Repeats | Required | ISO 19115-3 |")
        lines.append("|---|---|---|---|---|---|")
        for p in c.iter(M + "p"):
            host = f"`{p.get('host')}`" if p.get("host") else "(in place)"
            ns = p.get("ns") or c.get("ns")
            lines.append(f"| {host} | `{ns}:{p.get('iso')}` | {value(p, choices, codes)} | "
                         f"{'yes' if p.get('max') == 'n' else ''} | {'yes' if p.get('min') == '1' else ''} | "
                         f"{to3(p, c)} |")
        lines.append("")
        if c.get("order3"):
            lines.append("Order in ISO 19115-3 (! required): " + " ".join(f"`{t}`" for t in c.get("order3").split()))
            lines.append("")
    lines.append("#### Choices")
    lines.append("")
    lines.append("| Choice | Host element | ISO class | Chosen on export when | ISO 19115-3 |")
    lines.append("|---|---|---|---|---|")
    for name, ch in choices.items():
        for x in ch.iter(M + "c"):
            when = ""
            if x.get("detect") is not None:
                names = ", ".join(f"`{d}`" for d in x.get("detect").split())
                when = (f"it holds {names} or " if names else "") + f'`class="{x.get("iso")}"`'
            table = classes.get(x.get("table") or x.get("iso"))
            three = f"`{table.get('ns3')}:{x.get('iso3') or x.get('iso')}`" if x.get("table") else \
                f"`{class3(table)}`" if table is not None and table.get("ns3") else ""
            lines.append(f"| {name} | {('`' + x.get('host') + '`') if x.get('host') else '(the property element)'} "
                         f"| `{x.get('ns')}:{x.get('iso')}` | {when} | {three} |")
    lines.append("")
    lines.append("#### Host codes")
    lines.append("")
    lines.append("| Code list | Host code or name = ISO value | ISO 19115-3 |")
    lines.append("|---|---|---|")
    for name, table in codes.items():
        pairs = []
        for v in table.iter(M + "v"):
            host = v.get("code") or v.get("name")
            pairs.append((f"{host}={v.get('iso')}" if host else v.get("iso"))
                         + (f" (spelt {v.get('iso3')})" if v.get("iso3") else ""))
        three = f"`{table.get('ns3')}:{name}`" if table.get("ns3") else "(a citation's title)"
        lines.append(f"| {name} | {', '.join(pairs)} | {three} |")
    lines.append("")
    lines.append(END)
    return "\n".join(lines) + "\n"


def current_readme():
    text = README.read_text()
    start, end = text.index(BEGIN), text.index(END) + len(END) + 1
    return text[start:end]


def write():
    text = README.read_text()
    start, end = text.index(BEGIN), text.index(END) + len(END) + 1
    README.write_text(text[:start] + render() + text[end:])


if __name__ == "__main__":
    if "--write" in sys.argv[1:]:
        write()
    else:
        sys.stdout.write(render())
