#!/usr/bin/env python3
"""Generates the parts of the example steel structure.

A two-storey steel frame on a 4 x 3 grid (axes A-D, 6 m bays; axes 1-3, 5 m
bays): twelve columns with base, cap and fin plates, main and secondary beams
with end plates on two floors, four bracings with gusset plates, the bolt
groups of every connection, and the welds of the column feet (object type 6,
which the example template leaves out).

Object types (the #type column): 1 beam or bracing, 2 column, 3 plate,
4 bolt group, 6 weld. The Assembly column names the assembly a part belongs
to (its mark and a running number: C1.1, C1.2, ...); bolts belong to none.

Writes steel-parts.csv and steel-parts.json beside this script. The output is
deterministic: run it again and the files come out byte for byte the same.
"""

import csv
import io
import json
import os

STEEL_DENSITY = 7.85e-6  # kg per cubic millimetre

PROFILES = {  # kg per metre
    "HEA240": 60.3,
    "HEA260": 68.2,
    "HEB280": 103.0,
    "IPE300": 42.2,
    "IPE270": 36.1,
    "IPE240": 30.7,
    "L80x8": 9.63,
}

BOLTS = {  # name: (kg per bolt with nut and washers, standard, material, length)
    "M20x60": (0.31, "ISO 4014", "8.8", 60),
    "M24x400": (1.62, "DIN 529", "5.6", 400),
    "M16x50": (0.14, "ISO 4014", "8.8", 50),
}

COLUMNS = ["#handle", "#type", "#equal", "%Phase", "%MNum", "%MName", "%PNum", "%Name",
           "%Material", "%Quantity", "%Length", "%Width", "%Thick", "%Weight", "%ElementID",
           "%Coating", "%Standard", "Grid", "Assembly"]


class Model:
    def __init__(self):
        self.parts = []
        self.next_handle = 0x2A40
        self.assemblies = {}  # mark: how many assemblies of it so far
        self.assembly = None  # the assembly parts are added to

    def start_assembly(self, mark):
        self.assemblies[mark] = self.assemblies.get(mark, 0) + 1
        self.assembly = "%s.%d" % (mark, self.assemblies[mark])

    def handle(self):
        value = "%X" % self.next_handle
        self.next_handle += 7
        return value

    def add(self, kind, **values):
        part = {"#handle": self.handle(), "#type": kind}
        part.update(values)
        if kind != 4:
            part["Assembly"] = self.assembly
        part["%ElementID"] = "E%04d" % (len(self.parts) + 1)
        self.parts.append(part)
        return part

    def member(self, kind, phase, mark, mname, pnum, profile, length, grid, material="S355J2"):
        weight = round(PROFILES[profile] * length / 1000.0, 3)
        return self.add(kind, **{"%Phase": phase, "%MNum": mark, "%MName": mname, "%PNum": pnum,
                                 "%Name": profile, "%Material": material, "%Quantity": 1,
                                 "%Length": length, "%Weight": weight,
                                 "%Coating": "Primer RAL 7035", "Grid": grid})

    def plates(self, count, phase, mark, mname, pnum, thick, width, length):
        weight = round(thick * width * length * STEEL_DENSITY, 3)
        made = [self.add(3, **{"%Phase": phase, "%MNum": mark, "%MName": mname, "%PNum": pnum,
                               "%Name": "PL%d*%d" % (thick, width), "%Material": "S235JR",
                               "%Quantity": 1, "%Length": length, "%Width": width,
                               "%Thick": thick, "%Weight": weight,
                               "%Coating": "Primer RAL 7035"})
                for _ in range(count)]
        for part in made:  # the plates of one assembly are equal parts of each other
            part["#equal"] = ";".join(p["#handle"] for p in made if p is not part)
        return made

    def bolts(self, phase, pnum, name, count, grid):
        piece, standard, material, length = BOLTS[name]
        return self.add(4, **{"%Phase": phase, "%MNum": "BOLTS", "%MName": "Bolts and anchors",
                              "%PNum": pnum, "%Name": name, "%Material": material,
                              "%Quantity": count, "%Length": length,
                              "%Weight": piece, "%Coating": "Hot-dip galvanized",
                              "%Standard": standard, "Grid": grid})

    def weld(self, phase, mark, grid):
        return self.add(6, **{"%Phase": phase, "%MNum": mark, "%MName": "WELD",
                              "%Name": "a5 fillet", "Grid": grid})


def build():
    model = Model()
    xs = "ABCD"
    ys = "123"
    height = 7200
    for y in ys:
        for x in xs:
            grid = x + "-" + y
            corner = x in "AD" and y in "13"
            inner = x in "BC" and y == "2"
            if corner:
                mark, profile, pnum = "C1", "HEA240", "P1"
            elif inner:
                mark, profile, pnum = "C3", "HEB280", "P3"
            else:
                mark, profile, pnum = "C2", "HEA260", "P2"
            model.start_assembly(mark)
            model.member(2, "1", mark, "COLUMN", pnum, profile, height, grid)
            model.plates(1, "1", mark, "COLUMN", "P10", 25, 400, 400)
            model.plates(1, "1", mark, "COLUMN", "P11", 15, 260, 260)
            model.plates(4, "1", mark, "COLUMN", "P12", 10, 100, 250)
            model.bolts("1", "B2", "M24x400", 4, grid)
            model.weld("1", mark, grid)
            model.weld("1", mark, grid)
    for phase, main_mark, main_profile in (("1", "B1", "IPE300"), ("2", "B3", "IPE270")):
        for y in ys:  # main beams along the 6 m bays
            for a, b in zip(xs, xs[1:]):
                grid = "%s-%s/%s" % (a, b, y)
                pnum = "P20" if main_mark == "B1" else "P22"
                model.start_assembly(main_mark)
                model.member(1, phase, main_mark, "BEAM", pnum, main_profile, 5760, grid)
                model.plates(2, phase, main_mark, "BEAM", "P30", 12, 150, 300)
                model.bolts(phase, "B1", "M20x60", 4, grid)
                model.bolts(phase, "B1", "M20x60", 4, grid)
        for x in xs:  # secondary beams along the 5 m bays
            for a, b in zip(ys, ys[1:]):
                grid = "%s/%s-%s" % (x, a, b)
                model.start_assembly("B2")
                model.member(1, phase, "B2", "BEAM, SECONDARY", "P21", "IPE240", 4780, grid)
                model.plates(2, phase, "B2", "BEAM, SECONDARY", "P31", 10, 150, 240)
                model.bolts(phase, "B1", "M20x60", 4, grid)
                model.bolts(phase, "B1", "M20x60", 4, grid)
    for grid in ("A-B/1", "C-D/1", "A-B/3", "C-D/3"):
        model.start_assembly("BR1")
        model.member(1, "1", "BR1", "BRACING", "P40", "L80x8", 8420, grid, material="S235JR")
        model.plates(2, "1", "BR1", "BRACING", "P41", 10, 200, 320)
        model.bolts("1", "B3", "M16x50", 2, grid)
        model.bolts("1", "B3", "M16x50", 2, grid)
    return model.parts


def cell(value):
    if isinstance(value, float):
        text = ("%.3f" % value).rstrip("0").rstrip(".")
        return text
    return str(value)


def write_csv(parts, path):
    out = io.StringIO()
    writer = csv.writer(out, lineterminator="\n")
    writer.writerow(COLUMNS)
    for part in parts:
        writer.writerow([cell(part[c]) if c in part else "" for c in COLUMNS])
    with open(path, "w", encoding="utf-8", newline="") as f:
        f.write(out.getvalue())


def write_json(parts, path):
    records = []
    for part in parts:
        record = {"handle": part["#handle"], "type": part["#type"]}
        if part.get("#equal"):
            record["equal"] = part["#equal"].split(";")
        tuples = []
        for column in COLUMNS:
            if column.startswith("#") or column not in part:
                continue
            value = part[column]
            if column in ("%Length", "%Width", "%Thick", "%Weight"):
                value = float(value)
            tuples.append([column, value])
        record["tuples"] = tuples
        records.append(json.dumps(record, ensure_ascii=False))
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("[\n  " + ",\n  ".join(records) + "\n]\n")


def revision_2(parts):
    """The next issue of the drawings: the columns of axis 3 become HEB300,
    the bracing gussets (P41) go, one secondary beam of each of two bays is
    left out, one main beam is renumbered P23, and two trimmer beams P50 are
    new."""
    revised = []
    dropped = set()
    renumbered = False
    for part in parts:
        part = dict(part)
        if part.get("%PNum") == "P41":
            continue
        if part.get("%PNum") == "P21" and part.get("Grid") in ("A/1-2", "B/1-2"):
            dropped.add(part["Assembly"])
            continue
        if part.get("Assembly") in dropped:
            continue
        if part.get("%PNum") == "P3":
            part.update({"%Name": "HEB300", "%Weight": 842.4})
        if part.get("%PNum") == "P22" and not renumbered:
            part["%PNum"] = "P23"
            renumbered = True
        revised.append(part)
    for number, grid in enumerate(("B/2", "C/2"), start=1):
        revised.append({"#handle": "3A%02d" % number, "#type": 1, "%Phase": "2",
                        "%MNum": "B5", "%MName": "BEAM, TRIMMER", "%PNum": "P50",
                        "%Name": "HEA200", "%Material": "S355J2", "%Quantity": 1,
                        "%Length": 6000.0, "%Weight": 253.8, "%ElementID": "E9%03d" % number,
                        "%Coating": "Primer RAL 7035", "Grid": grid, "Assembly": "B5.%d" % number})
    return revised


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parts = build()
    write_csv(parts, os.path.join(here, "steel-parts.csv"))
    write_json(parts, os.path.join(here, "steel-parts.json"))
    write_csv(revision_2(parts), os.path.join(here, "steel-parts-rev2.csv"))
    print("%d parts" % len(parts))


if __name__ == "__main__":
    main()
