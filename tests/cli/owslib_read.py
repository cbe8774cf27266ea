"""Reads an exported record with OWSLib, as catalogue software would, and
prints what it found as JSON."""
import json
import sys
import warnings

from owslib.etree import etree
from owslib.iso import MD_Metadata

warnings.simplefilter("ignore")
record = MD_Metadata(etree.parse(sys.argv[1]).getroot())
identification = record.identificationinfo[0]
found = {
    "identifier": record.identifier,
    "datestamp": record.datestamp,
    "title": identification.title,
    "abstract": identification.abstract,
    "purpose": identification.purpose,
    # Keywords are texts in older OWSLib releases and objects in newer ones.
    "keywords": [getattr(k, "name", k) for group in identification.keywords2
                 for k in group.keywords],
}
# With --extent-and-links: the bounding box and the online resources too.
if "--extent-and-links" in sys.argv[2:]:
    found["bbox"] = [[box.minx, box.maxx, box.miny, box.maxy]
                     for box in [getattr(identification, "bbox", None)] if box is not None]
    found["online"] = [resource.url for resource in
                       (record.distribution.online if record.distribution else [])]
print(json.dumps(found))
