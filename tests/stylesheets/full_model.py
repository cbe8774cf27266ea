"""An item that holds the whole model: every class of iso19139-map.xsl, every
property of each, repeated properties twice (and a choice once in each of its
classes), typed values at the limits of their ISO types. Made from the tables,
so that a class or property added to them is in the round trip at once."""

from lxml import etree

import mapping_table

M = mapping_table.M
# Two values of each type, at the limits of what the type allows.
VALUES = {
    "URL": ["https://example.org/a", "https://example.org/b?x=1&y=2"],
    "Date": ["2000-02-29", "2013-11-01+14:00"],
    "DateTime": ["2024-02-29T24:00:00", "2023-09-01T23:59:59.5-14:00"],
    "Decimal": ["-180", "+90."],
    "Real": ["1E5", "-INF"],
    "Integer": ["+2", "0"],
    "Boolean": ["true", "false"],
    "Measure": ["0.5 m", "2 urn:ogc:def:uom:EPSG::9001"],
    "Duration": ["P1Y2M", "PT36H"],
    "RecordType": ["Real", "Integer"],
    "GenericName": ["WMS", "WFS"],
    "MemberName": ["band1", "band2"],
    "href": ["http://www.opengis.net/def/crs/EPSG/0/5701", "http://www.opengis.net/def/crs/EPSG/0/5703"],
    "point": ["55.5 -4.2", "55.6 -4.0"],
    "inline": ["kb:Layer1", "kb:Layer2"],
}
# Below this depth an optional object is left out, so that the item stays
# small; above it repeated properties are given twice.
DEEPEST = 6
REPEAT_DEPTH = 4


class Model:
    def __init__(self):
        self.classes, self.choices, self.codes = mapping_table.load()
        self.unions = 0

    def rows(self, name):
        table = self.classes[name]
        base = self.rows(table.get("base")) if table.get("base") else []
        return base + list(table.iter(M + "p"))

    def item(self):
        root = etree.Element("metadata")
        self.fill(root, "MI_Metadata", 0, ())
        return root

    def fill(self, element, table, depth, path, no_geo=False):
        rows = self.rows(table)
        if self.classes[table].get("union"):
            # One property of a union: each in turn, over all the unions made.
            rows = [rows[self.unions % len(rows)]]
            self.unions += 1
        for row in rows:
            required = row.get("min") == "1"
            if depth >= DEEPEST and not required:
                continue
            count = 2 if row.get("max") == "n" and depth <= REPEAT_DEPTH else 1
            if row.get("class"):
                if row.get("class") in path:
                    continue
                for i in range(count):
                    child = etree.SubElement(element, row.get("host"))
                    # The identification's first extent holds no geographic
                    # description: the identification holds those (geoDesc).
                    first_extent = row.get("host") == "dataExt" and i == 0
                    self.fill(child, row.get("class"), depth + 1, path + (row.get("class"),),
                              first_extent)
            elif row.get("choice"):
                self.choose(element, row, depth, path, no_geo)
            else:
                for i in range(count):
                    self.value(element, row, i)
        if table == "MD_DataIdentification" or table == "SV_ServiceIdentification":
            # The first extent's geographic descriptions, where the page reads them.
            if depth < DEEPEST:
                geo = etree.SubElement(element, "geoDesc")
                self.fill(geo, "EX_GeographicDescription", depth + 1, path)

    def choose(self, element, row, depth, path, no_geo):
        # Each class once where the property repeats, else the first.
        picked, seen = [], set()
        for c in self.choices[row.get("choice")].iter(M + "c"):
            if c.get("iso") not in seen and not (no_geo and c.get("iso") == "EX_GeographicDescription"):
                seen.add(c.get("iso"))
                picked.append(c)
        if row.get("max") != "n" or depth > REPEAT_DEPTH:
            picked = picked[:1]
        for c in picked:
            iso = c.get("iso")
            name = c.get("table") or iso
            if name in path:
                continue
            holder = etree.SubElement(element, row.get("host")) if row.get("host") else element
            target = etree.SubElement(holder, c.get("host")) if c.get("host") else holder
            if c.get("detect") == "":
                target.set("class", iso)
            self.fill(target, name, depth + 1, path + (name,))

    def value(self, element, row, i):
        kind, host = row.get("type"), row.get("host")
        if kind == "time":
            period = etree.SubElement(element, "beginEnd")
            etree.SubElement(period, "begin").text = "1900-02-28"
            etree.SubElement(period, "end").set("indeterminate", "now")
            return
        child = etree.SubElement(element, host)
        if kind == "text":
            child.text = f"{host} {i + 1} <&> é"
            if host in ("keyword", "resTitle", "othConsts"):
                child.set("href", f"https://example.org/{host}/{i}")
            if host in ("idAbs", "keyword"):
                etree.SubElement(child, "transl", locale="#FR").text = f"{host} {i + 1} en français"
        elif kind in ("code", "enum"):
            table = [v for v in self.codes[row.get("list")].iter(M + "v")]
            entry = table[i % len(table)]
            if row.get("form"):
                etree.SubElement(child, row.get("form"), value=entry.get("code") or entry.get("iso"))
            else:
                child.text = entry.get("name") or entry.get("iso")
        elif kind == "language":
            etree.SubElement(child, "languageCode", value=["eng", "fre"][i])
        elif kind == "country":
            etree.SubElement(child, "countryCode", value=["FR", "GB"][i])
        elif kind == "Binary":
            etree.SubElement(child, "BinaryBase64").text = "QUJD"
        elif kind == "Record":
            etree.SubElement(child, "otherValue").text = ["0.5", "12"][i]
        elif kind == "unit":
            etree.SubElement(child, "uomName").text = ["m", "s"][i]
        elif kind == "ref":
            child.set("uuidref", f"ref-{i}")
        elif kind == "polygon":
            etree.SubElement(child, "exterior").text = "55.5 -4.2 55.6 -4.2 55.6 -4.0 55.5 -4.2"
        else:
            child.text = VALUES[kind][i]
            if kind == "GenericName":
                child.set("codeSpace", "OGC")
            if kind == "MemberName":
                child.set("attributeType", "Real")
