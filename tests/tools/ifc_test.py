#!/usr/bin/env python3
"""End-to-end tests of bomreport on IFC models.

The models are written by an independent writer, examples/steel_ifc.cjs over
web-ifc (npm), from examples/steel-parts.csv as it is now; the same script
reads them back with web-ifc as the oracle. Usage:

  ifc_test.py --list
  ifc_test.py --bin BOMREPORT --source SOURCE_DIR --work WORK_DIR \
              --node-modules DIR --case NAME
"""

import argparse
import gzip
import json
import os
import shutil
import subprocess
import sys
import zipfile

CASES = {}
FIELDS = ["%ElementID", "%PNum", "%Name", "%Material", "%Length", "%Weight", "%Quantity",
          "%Width", "%Thick", "%MNum", "%MName", "Assembly", "%Phase", "%Coating", "%Standard",
          "Grid"]
TYPE_CODES = [1, 2, 3, 4, 5, 6, 7]


def case(function):
    CASES[function.__name__] = function
    return function


class Failure(Exception):
    pass


def expect(condition, message):
    if not condition:
        raise Failure(message)


class Context:
    def __init__(self, args):
        self.binary = args.bin
        self.source = args.source
        self.work = args.work
        self.env = dict(os.environ, NODE_PATH=args.node_modules)
        self.csv = os.path.join(self.source, "examples", "steel-parts.csv")
        self.script = os.path.join(self.source, "examples", "steel_ifc.cjs")

    def path(self, name):
        return os.path.join(self.work, name)

    def run(self, *args, status=0):
        done = subprocess.run([self.binary] + list(args), cwd=self.work, capture_output=True)
        expect(done.returncode == status,
               "bomreport %s: exit %d, expected %d\n%s" % (" ".join(args), done.returncode,
                                                            status, done.stderr.decode()))
        return done.stdout.decode(), done.stderr.decode()

    def node(self, *args):
        done = subprocess.run(["node", self.script] + list(args), cwd=self.work,
                              capture_output=True, env=self.env)
        expect(done.returncode == 0, "steel_ifc.cjs %s failed:\n%s" % (args[0], done.stderr.decode()))
        return done.stdout.decode()

    def fixture(self, schema):
        model = self.path("steel-%s.ifc" % schema)
        self.node("write", schema, self.csv, model)
        return model

    def position_list(self, data):
        return self.run("--template", os.path.join(self.source, "examples", "position-list.json"),
                        "--data", data, "--merge-equal", "--collation", "natural")


def expect_position_list_of_csv(ctx, model):
    """The model's position list is the CSV's, line for line, without warnings."""
    expected, _ = ctx.position_list(ctx.csv)
    got, warnings = ctx.position_list(model)
    expect(warnings == "", "warnings on %s:\n%s" % (model, warnings))
    expect(got == expected, "position list of %s differs from the CSV's:\n%s\n---\n%s"
           % (model, got, expected))


def read_fields(ctx, model):
    """bomreport's parts: {handle: {token: value}} with the tokens each part has, and
    {handle: object type}."""
    template = os.path.join(ctx.source, "tests", "tools", "data", "ifc-fields.json")
    out, _ = ctx.run("--template", template, "--data", model, "--format", "json", "--used")
    report = json.loads(out)
    has = {row["handles"][0]: set(row["tokens"]) for row in report["used"]}
    parts = {}
    for item in report["children"][0]["children"]:
        parts[item["row"]] = {t[0]: t[1] for t in item["tuples"] if t[0] in has[item["row"]]}
    types = {}
    for code in TYPE_CODES:
        with open(template) as f:
            one = json.load(f)
        one["children"][0]["tuples"].insert(0, ["%%FilterBy: %d" % code, ""])
        path = ctx.path("fields-%d.json" % code)
        with open(path, "w") as f:
            json.dump(one, f)
        out, _ = ctx.run("--template", path, "--data", model, "--format", "json", "--used")
        for row in json.loads(out).get("used", []):
            types[row["handles"][0]] = code
    return parts, types


def same_value(ours, theirs):
    if isinstance(theirs, (int, float)) and not isinstance(theirs, bool):
        # the report shows numbers rounded to two decimals
        return isinstance(ours, (int, float)) and abs(ours - theirs) <= 0.0051 + 1e-9 * abs(theirs)
    # a text that reads as a number is a number in the report
    return ours == theirs or json.dumps(ours) == theirs


def expect_oracle_agrees(ctx, model):
    oracle = [json.loads(line) for line in ctx.node("read", model).splitlines()]
    parts, types = read_fields(ctx, model)
    expect(len(oracle) == len(parts), "%d parts, web-ifc reads %d" % (len(parts), len(oracle)))
    for theirs in oracle:
        handle = theirs["handle"]
        expect(handle in parts, "web-ifc reads part %s, bomreport does not" % handle)
        expect(types.get(handle) == theirs["type"],
               "%s: object type %s, web-ifc's %s" % (handle, types.get(handle), theirs["type"]))
        ours = parts[handle]
        for token in FIELDS:
            expect((token in ours) == (token in theirs) and
                   (token not in ours or same_value(ours[token], theirs[token])),
                   "%s %s: bomreport %r, web-ifc %r" % (handle, token, ours.get(token),
                                                        theirs.get(token)))


def schema_case(schema):
    def run(ctx):
        model = ctx.fixture(schema)
        expect_position_list_of_csv(ctx, model)
        expect_oracle_agrees(ctx, model)
    run.__name__ = "schema_" + schema
    return case(run)


for _schema in ("IFC2X3", "IFC4", "IFC4X3"):
    schema_case(_schema)


@case
def example_and_archives(ctx):
    """examples/steel-frame.ifc is the CSV's structure, also gzip-compressed and zipped."""
    example = os.path.join(ctx.source, "examples", "steel-frame.ifc")
    expect_position_list_of_csv(ctx, example)
    with open(example, "rb") as f:
        content = f.read()
    with gzip.open(ctx.path("frame.ifc.gz"), "wb") as f:
        f.write(content)
    with zipfile.ZipFile(ctx.path("frame.ifczip"), "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("frame.ifc", content)
    shutil.copy(ctx.path("frame.ifczip"), ctx.path("frame.bin"))
    for name in ("frame.ifc.gz", "frame.ifczip", "frame.bin"):
        expect_position_list_of_csv(ctx, ctx.path(name))
        # Either way the model inflates only up to the input size limit.
        _, err = ctx.run("--data", ctx.path(name), "--max-input-size", "64K", status=2)
        expect("to more than the input size limit of 65536 bytes" in err, err)
    # A model without the phases warns as a parts file without the column does.
    with open(ctx.path("no-phase.ifc"), "wb") as f:
        f.write(content.replace(b"'Phase'", b"'Stage'"))
    _, err = ctx.run("--template", os.path.join(ctx.source, "examples", "steel-template.json"),
                     "--data", "no-phase.ifc")
    expect(err == "bomreport: warning: no part of no-phase.ifc has the template's token "
                  "\"%Phase\"\n", err)


@case
def mapping_file(ctx):
    """A mapping file overrides a token and adds an entity; a bad one names its line."""
    model = ctx.fixture("IFC4")
    with open(ctx.path("map.json"), "w") as f:
        f.write('{"tokens": {"%PNum": ["attribute:Tag"]},\n'
                ' "entities": {"IfcBeam": {"type": 9}, "IfcBuildingElementProxy": {"type": 8}}}\n')
    template = ctx.path("marks.json")
    with open(template, "w") as f:
        json.dump({"type": "kBomTemplate", "children": [{"type": "kReportHeader", "tuples": [
            ["%FilterBy: 9", ""]], "children": [{"type": "kDetails", "tuples": [
                ["%SortAscBy:%PNum", ""], ["%PNum", ""]]}]}]}, f)
    out, err = ctx.run("--template", template, "--data", model, "--ifc-map", "map.json")
    lines = out.splitlines()
    expect(len(lines) == 39 and lines[1].split() == ["Details", "PNum", "E0121"] and err == "",
           "mapped beams:\n%s%s" % (out, err))
    for text, message in [
            ('{"tokens": {\n  "%PNum": ["property:Fabrication"]}}\n',
             'bad.json:2:13: "property:Fabrication": a property must be SET.NAME (SET may be *)'),
            ('{"tokens": {"%PNum": [], "%PNum": ["value:1"]}}', 'bad.json:1:26: "%PNum" twice'),
            ('{"entities": {"IfcBeam": {}, "IfcBeam": null}}', 'bad.json:1:30: "IfcBeam" twice'),
            ('{"tokens": {"#handle": []}}', 'bad.json:1:13: "#handle" is no token')]:
        with open(ctx.path("bad.json"), "w") as f:
            f.write(text)
        _, err = ctx.run("--template", template, "--data", model, "--ifc-map", "bad.json",
                         status=2)
        expect(err.startswith("bomreport: " + message), err)


@case
def bad_files(ctx):
    """A model cut short, or of another schema, is refused with its place; nothing is written."""
    with open(os.path.join(ctx.source, "examples", "steel-frame.ifc"), "rb") as f:
        content = f.read()
    cut = content[: content.index(b"IFCMECHANICALFASTENER(") + 22]
    with open(ctx.path("cut.ifc"), "wb") as f:
        f.write(cut)
    with open(ctx.path("other.ifc"), "wb") as f:
        f.write(content.replace(b"FILE_SCHEMA(('IFC4'))", b"FILE_SCHEMA(('IFC5'))"))
    with open(ctx.path("two.ifc"), "wb") as f:
        f.write(content + b"\n" + content)
    with gzip.open(ctx.path("two.ifc.gz"), "wb") as f:  # written as two gzip members
        f.write(content)
    with open(ctx.path("two.ifc.gz"), "ab") as f:
        f.write(gzip.compress(content))
    # Where the second model begins: right after the first (gzip), or on the next line.
    joined = (content.count(b"\n") + 1, len(content) - content.rfind(b"\n"))
    line = cut.count(b"\n") + 1
    column = len(cut) - cut.rindex(b"\n")
    for name, message in (
            ("cut.ifc", "cut.ifc:%d:%d: the file ends inside an instance: it is cut short"
             % (line, column)),
            ("other.ifc", 'other.ifc:12:1: schema "IFC5" is not read (IFC2X3, IFC4 and IFC4X3 '
             'are)'),
            ("two.ifc", "two.ifc:%d:1: text after END-ISO-10303-21; (a second model?): a file "
             "holds one model; read each model from a file of its own" % (joined[0] + 1)),
            ("two.ifc.gz", "two.ifc.gz:%d:%d: text after END-ISO-10303-21; (a second model?): "
             "a file holds one model; read each model from a file of its own"
             % joined)):
        _, err = ctx.run("--template", os.path.join(ctx.source, "examples", "position-list.json"),
                         "--data", name, "-o", "out.txt", status=2)
        expect(err == "bomreport: %s\n" % message, err)
        expect(not os.path.exists(ctx.path("out.txt")), "output written for " + name)
    _, err = ctx.run("--data", os.path.join(ctx.source, "examples", "steel-frame.ifc"),
                     "--input-units", "length=m", status=2)
    expect(err == "bomreport: --input-units: an IFC model's numbers are read in its own units; "
                  "--input-units is for CSV and JSON parts\n", err)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--list", action="store_true")
    parser.add_argument("--bin")
    parser.add_argument("--source")
    parser.add_argument("--work")
    parser.add_argument("--node-modules")
    parser.add_argument("--case")
    args = parser.parse_args()
    if args.list:
        print("\n".join(CASES))
        return 0
    args.work = os.path.join(args.work, args.case)
    shutil.rmtree(args.work, ignore_errors=True)
    os.makedirs(args.work)
    try:
        CASES[args.case](Context(args))
    except Failure as failure:
        print("FAILED: %s" % failure, file=sys.stderr)
        return 1
    print("passed: " + args.case)
    return 0


if __name__ == "__main__":
    sys.exit(main())
