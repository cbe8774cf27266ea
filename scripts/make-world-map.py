#!/usr/bin/env python3
"""Writes host/web/world.svg, the map of the world the editor draws bounding
boxes on: the land of Natural Earth at 1:110m, from the npm package
world-atlas (land-110m.json, TopoJSON), in plate carree: x is the longitude
and y the latitude turned downwards, so that a box of the record is a
rectangle of the same numbers.

    npm pack world-atlas@2.0.2 && tar xzf world-atlas-2.0.2.tgz
    scripts/make-world-map.py package/land-110m.json > host/web/world.svg
"""
import json
import sys


def arcs_of(topology):
    scale = topology["transform"]["scale"]
    translate = topology["transform"]["translate"]
    decoded = []
    for arc in topology["arcs"]:
        x = y = 0
        points = []
        for dx, dy in arc:
            x += dx
            y += dy
            points.append((x * scale[0] + translate[0], y * scale[1] + translate[1]))
        decoded.append(points)
    return decoded


def ring(arcs, indexes):
    points = []
    for index in indexes:
        arc = arcs[index] if index >= 0 else list(reversed(arcs[~index]))
        points.extend(arc if not points else arc[1:])
    return points


def unwrapped(points):
    """The ring with no jump across the antimeridian: longitudes run on past
    180 (or -180) instead, and the ring is drawn a second time a turn away,
    so that what the map's edge cuts off comes back in at the other side."""
    out = []
    for lon, lat in points:
        if out:
            while lon - out[-1][0] > 180:
                lon -= 360
            while lon - out[-1][0] < -180:
                lon += 360
        out.append((lon, lat))
    rings = [out]
    if max(lon for lon, _ in out) > 180:
        rings.append([(lon - 360, lat) for lon, lat in out])
    if min(lon for lon, _ in out) < -180:
        rings.append([(lon + 360, lat) for lon, lat in out])
    return rings


def path_of(points):
    # Whole tenths of a degree: finer than the map is drawn.
    out = []
    last = None
    for lon, lat in points:
        p = (round(lon, 1), round(-lat, 1))
        if p != last:
            out.append(p)
            last = p
    if len(out) < 3:
        return ""
    return "M" + " ".join(f"{x:g} {y:g}" for x, y in out) + "Z"


def main():
    topology = json.load(open(sys.argv[1], encoding="utf-8"))
    arcs = arcs_of(topology)
    paths = []
    for geometry in topology["objects"]["land"]["geometries"]:
        polygons = geometry["arcs"] if geometry["type"] == "MultiPolygon" else [geometry["arcs"]]
        for polygon in polygons:
            for indexes in polygon:
                for drawn in unwrapped(ring(arcs, indexes)):
                    paths.append(path_of(drawn))
    print('<?xml version="1.0" encoding="UTF-8"?>')
    print("<!-- Land of Natural Earth (public domain), 1:110m, through world-atlas 2.0.2,")
    print("     Copyright 2013-2019 Michael Bostock, ISC license: permission to use, copy,")
    print("     modify and distribute for any purpose with or without fee, provided that the")
    print("     copyright notice and this permission notice appear in all copies.")
    print("     Written by scripts/make-world-map.py; plate carree, x longitude, y -latitude. -->")
    print('<svg xmlns="http://www.w3.org/2000/svg" viewBox="-180 -90 360 180" '
          'preserveAspectRatio="none">')
    print('<rect x="-180" y="-90" width="360" height="180" fill="#dbe9f1"/>')
    print('<path fill="#c9c3a8" stroke="#8f8a72" stroke-width="0.2" fill-rule="evenodd" d="'
          + "".join(p for p in paths if p) + '"/>')
    print("</svg>")


main()
