#!/usr/bin/env python3
"""Writes a catalog of COUNT items for the catalog benchmark: the example item
with its title, abstract and keywords varied, FOLDER/item-00000.xml onwards.
The same COUNT always gives the same files. One item in a hundred has the word
"saltmarsh" in its abstract, one in two "sediment" in its title or keywords;
neither occurs anywhere else, so that a search and grep -l find the same files.

    bench/make_catalog.py FOLDER [COUNT]     COUNT defaults to 10000
"""
import random
import re
import sys
from pathlib import Path

TEMPLATE = Path(__file__).resolve().parent.parent / "examples" / "coastal-dataset.xml"
PLACES = ["Kestrel Bay", "Harbour Point", "Gull Rock", "Tern Spit", "Heron Sands", "Black Ness",
          "Fulmar Head", "Curlew Flats", "Osprey Cove", "Plover Strand", "Skua Reef",
          "Puffin Island", "Gannet Stack", "Sandpiper Creek", "Eider Sound", "Redshank Mere"]
SUBJECTS = ["Shoreline position", "Cliff-top retreat", "Beach profile", "Nearshore bathymetry",
            "Tide gauge record", "Wave buoy series", "Dune vegetation", "Intertidal habitat",
            "Water temperature", "Storm surge levels", "Seabed imagery", "Groundwater salinity"]
METHODS = ["RTK-GNSS", "UAV photogrammetry", "multibeam sonar", "LiDAR", "pressure sensors",
           "quadrat sampling", "satellite altimetry", "acoustic Doppler profiling"]
KEYWORDS = ["coastal erosion", "cliff retreat", "shoreline change", "tides", "waves",
            "bathymetry", "habitat mapping", "monitoring", "storm response", "sea level",
            "water quality", "geomorphology", "ecology", "hydrography"]


def escape(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")


def item(template, n, rng):
    place = rng.choice(PLACES)
    year = 2000 + n % 24
    title = f"{rng.choice(SUBJECTS)}, {place}, {year} (survey {n})"
    if n % 4 == 1:
        title = f"Sediment transport, {place}, {year} (survey {n})"
    abstract = (f"{rng.choice(SUBJECTS)} surveyed by {rng.choice(METHODS)} along "
                f"{rng.randint(1, 40)} km of coast near {place}, repeated "
                f"{rng.choice(['monthly', 'seasonally', 'yearly', 'after each storm'])}, "
                f"compared with the {year - rng.randint(5, 15)} baseline.")
    if n % 100 == 7:
        abstract += " Includes the saltmarsh margin."
    keywords = rng.sample(KEYWORDS, rng.randint(2, 5))
    if n % 4 == 3:
        keywords.append("sediment budget")
    keys = "".join(f"      <keyword>{escape(k)}</keyword>\n" for k in keywords)
    text = re.sub(r"<resTitle>.*?</resTitle>", f"<resTitle>{escape(title)}</resTitle>", template,
                  count=1, flags=re.S)
    text = re.sub(r"<idAbs>.*?</idAbs>", f"<idAbs>{escape(abstract)}</idAbs>", text, count=1,
                  flags=re.S)
    text = re.sub(r"<searchKeys>.*?</searchKeys>", f"<searchKeys>\n{keys}    </searchKeys>", text,
                  count=1, flags=re.S)
    return text.replace("tw-coast-erosion-2023-0417", f"tw-bench-{n:05d}")


def main():
    folder = Path(sys.argv[1])
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 10000
    folder.mkdir(parents=True, exist_ok=True)
    template = TEMPLATE.read_text(encoding="utf-8")
    rng = random.Random(19)
    for n in range(count):
        (folder / f"item-{n:05d}.xml").write_text(item(template, n, rng), encoding="utf-8")


if __name__ == "__main__":
    main()
