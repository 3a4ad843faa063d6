#!/usr/bin/env python3
"""End-to-end tests of the bomreport binary.

Each case runs the built binary in a fresh directory and checks its exit
status, its standard error and its output, mostly against reviewed files in
golden/. Usage:

  bomreport_test.py --list
  bomreport_test.py --bin BOMREPORT --source SOURCE_DIR --work WORK_DIR --case NAME
  bomreport_test.py ... --case NAME --update     (rewrite the golden files of NAME)
"""

import argparse
import csv
import datetime
import gzip
import io
import itertools
import json
import os
import re
import shutil
import stat
import subprocess
import sys
import threading
import zipfile

from report_table import (Table, check_pdf_pages, check_xlsx_cells, expected_level, pdf_info,
                          pdf_pages, read_json_report)

CASES = {}
# What a run of bomreport takes besides its input (code, buffers, and the
# libraries of the XLSX and PDF writers, about 7 MB resident): for memory bounds.
BASE_MEMORY = 24 << 20
GNU_TIME = next((p for p in ("/usr/bin/time", "/bin/time") if os.access(p, os.X_OK)), None)


def case(function, name=None):
    CASES[name or function.__name__] = function
    return function


class Failure(Exception):
    pass


def expect(condition, message):
    if not condition:
        raise Failure(message)


class Context:
    def __init__(self, binary, source, work, update, sanitized):
        self.binary, self.source, self.work, self.update = binary, source, work, update
        # Memory is measured only without sanitizers (their shadow memory inflates it).
        self.measured = not sanitized and GNU_TIME is not None
        self.peak = 0  # bytes, the largest resident set of the measured runs
        self.last_peak = 0  # bytes, that of the last measured run
        self.examples = os.path.join(source, "examples")
        self.data = os.path.join(source, "tests", "tools", "data")
        self.golden_dir = os.path.join(source, "tests", "tools", "golden")

    def expand(self, args):
        """{ex}/ and {data}/ at the start of an argument name the examples and test data."""
        return [a.replace("{ex}", self.examples).replace("{data}", self.data) for a in args]

    def run(self, *args, status=0, stdin=None, measure=False):
        """Runs bomreport in the work directory; returns (stdout, stderr) as bytes.
        With `measure`, records its peak memory (GNU time: measuring from here
        would count this process too)."""
        measure = measure and self.measured
        timed = [GNU_TIME, "-f", "%M", "-o", ".peak"] if measure else []
        result = subprocess.run(timed + [self.binary] + self.expand(args), cwd=self.work,
                                input=stdin, capture_output=True, timeout=600)
        if measure:
            self.last_peak = int(self.read(".peak").split()[-1]) * 1024
            self.peak = max(self.peak, self.last_peak)
            os.remove(os.path.join(self.work, ".peak"))
        expect(result.returncode == status, "bomreport %s: exit status %d, expected %d\n"
               "stderr: %s" % (" ".join(args), result.returncode, status,
                               result.stderr.decode("utf-8", "replace")[:2000]))
        return result.stdout, result.stderr

    def write(self, name, content):
        with open(os.path.join(self.work, name), "wb") as f:
            f.write(content.encode("utf-8") if isinstance(content, str) else content)
        return name

    def read(self, name):
        with open(os.path.join(self.work, name), "rb") as f:
            return f.read()

    def expect_memory(self, input_bytes, factor):
        """The measured runs stayed within `factor` times the input plus the program's own."""
        limit = factor * input_bytes + BASE_MEMORY
        expect(not self.measured or 0 < self.peak <= limit, "peak memory %.1f MB, limit %.1f MB"
               % (self.peak / 1e6, limit / 1e6))
        self.peak = 0

    def exists(self, name):
        return os.path.exists(os.path.join(self.work, name))

    def golden(self, name, actual):
        """Compares `actual` (bytes) with golden/NAME, or rewrites it with --update."""
        path = os.path.join(self.golden_dir, name)
        if self.update:
            with open(path, "wb") as f:
                f.write(actual)
            return
        with open(path, "rb") as f:
            if f.read() != actual:
                self.write("actual-" + name, actual)
                raise Failure("output differs from golden/%s (actual output in %s)" %
                              (name, os.path.join(self.work, "actual-" + name)))


STEEL = ["--template", "{ex}/steel-template.json", "--data", "{ex}/steel-parts.csv"]
POSITIONS = ["--template", "{ex}/position-list.json", "--data", "{ex}/steel-parts.csv",
             "--merge-equal"]
ECHO = ["--template", "{data}/echo-template.json"]
FILTER = ["--template", "{data}/filter-template.json", "--data", "{data}/filter-parts.csv"]
UNITS = ["--template", "{data}/units-template.json", "--data", "{data}/units-parts.csv"]

# --- Reports pinned byte for byte ----------------------------------------------------------
# (case, golden file, arguments, standard error must be empty)
GOLDEN = [
    ("steel_text", "steel.txt", STEEL, True),
    ("steel_json_parts", "steel.txt", STEEL[:3] + ["{ex}/steel-parts.json"], True),
    ("steel_list", "steel.list", STEEL + ["--format", "list"], True),
    ("steel_csv", "steel.csv", STEEL + ["--format", "csv"], True),
    ("steel_json", "steel.json", STEEL + ["--format", "json"], True),
    ("steel_html", "steel.html", STEEL + ["--format", "html", "--date", "2026-01-31"], True),
    ("default_trace", "default-trace.txt", ["--trace"], False),
    ("default_template_on_parts", "default-parts-used.txt",
     ["--data", "{data}/default-parts.csv", "--used"], True),
    ("export_template", "default-template.json", ["--export-template"], True),
    ("parts_filter", "filter.txt", FILTER, False),  # P4 has no type: warned of in `traps`
    ("units_default", "units-default.txt", UNITS, True),
    ("units_chosen", "units-chosen.txt", UNITS + ["--units", "length=m,weight=t,area=mm2,angle=deg",
                                                  "--setting", "C0_BOMSuppressLastZeros=0"], True),
    ("position_list", "position-list.txt", POSITIONS + ["--collation", "natural"], True),
]


def golden_case(name, golden_name, args, quiet):
    def check(ctx):
        out, err = ctx.run(*args)
        expect(not quiet or err == b"", "unexpected standard error: %r" % err)
        ctx.golden(golden_name, out)
    case(check, name)


for entry in GOLDEN:
    golden_case(*entry)


@case
def csv_rfc4180(ctx):
    """BOM, CRLF, lone CR, quoted separators, doubled quotes, line breaks in a
    field, empty lines and cells, no line break at the end; per-cell types."""
    ctx.write("parts.csv", b'\xef\xbb\xbf%Name,%FreeRemark,Count,Ratio,Code\r\n'
                           b'"HEA 200","a, b",3,2.5,007\r\n\r\n'
                           b'"say ""hi""","two\r\nlines",-12,1e3,12x\r'
                           b'Gr\xc3\xbc\xc3\x9fe,,2147483648,.5,""\n'
                           b'plain,"",+4,-0.25,"x,y"')
    out, _ = ctx.run(*ECHO, "--data", "parts.csv", "--format", "json", "--all-tokens")
    ctx.golden("rfc4180.json", out)


@case
def escaping(ctx):
    """Texts with markup, quotes and separators come out escaped in every format."""
    ctx.write("parts.csv", '%Name,%FreeRemark,Count,Ratio,Code\n'
                           '"<b>&amp;</b>","say ""hi"", then\ngo",1,0.5,x\n')
    run = lambda fmt: ctx.run(*ECHO, "--data", "parts.csv", "--format", fmt)[0]
    html = run("html")
    expect(b"<td>&lt;b&gt;&amp;amp;&lt;/b&gt;</td>" in html and
           b"say &quot;hi&quot;, then\ngo" in html, "html escaping")
    expect(run("csv") == b'depth,type,%Name,%FreeRemark,Count,Ratio,Code\n'
                         b'0,kDetails,<b>&amp;</b>,"say ""hi"", then\ngo",1,0.5,x\n', "csv quoting")
    expect(b'["%FreeRemark", "say \\"hi\\", then\\ngo"]' in run("json"), "json escaping")


@case
def default_run(ctx):
    """The default template over the random sample data, checked for its shape."""
    out, err = ctx.run("--preview")
    expect(err == b"", "unexpected standard error")
    lines = out.decode("utf-8").split("\n")
    expect(lines[-1] == "", "the report does not end with a line feed")
    inner = lines[2:-3]
    # The sample rows carry "PosNum", not "%PosNum": the template's tokens show no value.
    expect(lines[:2] == ["Report header", "  Group header    PosNum"] and
           lines[-3:-1] == ["  Group footer    \u03a3 Weight [kg]", "Report footer"],
           "head or tail: %r" % (lines[:2] + lines[-3:]))
    group = ["    Group header  Material",
             "      Details     posNum    Weight [kg]    Material",
             "    Group footer  \u03a3 Weight [kg]"]
    expect(len(inner) >= 12 and inner == group * (len(inner) // 3), "inner %r" % inner[:6])
    out, _ = ctx.run("--format", "list")
    lines = out.decode("utf-8").split("\n")
    expect(lines[:3] == ["[ kBomTemplate ]", " [ kReportHeader][%FilterBy: %Beam , %Plate:]",
                         "  [ kGroupHeader ][%GroupBy:%PosNum:][%SortAscBy:%Material:][%PosNum:0]"]
           and lines[-2:] == ["  [ kGroupFooter ][%SumBy:%Weight:0]", " [ kReportFooter]"],
           "list: %r" % (lines[:3] + lines[-2:]))


@case
def template_roundtrip(ctx):
    """A template exported and read back lists as the original; exporting it
    again gives the same file; -o writes nothing to standard output."""
    for template, data in (([], "{data}/default-parts.csv"),
                           (["--template", "{ex}/steel-template.json"], "{ex}/steel-parts.csv")):
        out, _ = ctx.run(*template, "--export-template", "-o", "t.json")
        expect(out == b"", "-o writes nothing to standard output")
        original, _ = ctx.run(*template, "--data", data, "--format", "list")
        reread, _ = ctx.run("--template", "t.json", "--data", data, "--format", "list")
        expect(original == reread and original.count(b"\n") > 10, "lists differently")
        again, _ = ctx.run("--template", "t.json", "--export-template")
        expect(again == ctx.read("t.json"), "exporting the exported template changes it")


@case
def deep_template(ctx):
    """1000 nested sections are fine; 1001 are refused."""
    head, level = '{"children": [', '{"type": "kGroupHeader", "children": ['
    nested = lambda depth: (head + level * (depth - 1) + '{"type": "kDetails", "tuples": '
                            '[["%PNum", ""]]}' + "]}" * (depth - 1) + "]}")
    ctx.write("deep.json", nested(1000))
    ctx.write("parts.csv", "%PNum\nP1\n")
    out, _ = ctx.run("--template", "deep.json", "--data", "parts.csv", "--format", "csv")
    expect(out.count(b"\n") == 1001, "expected 1000 items and a header")
    ctx.write("deeper.json", nested(1001))
    _, err = ctx.run("--template", "deeper.json", status=2)
    expect(err == b"bomreport: deeper.json:1:%d: sections nested deeper than 1000 levels\n" %
           (len(head) + 1000 * len(level) + 1), "message: %r" % err)


@case
def timings(ctx):
    """--timings adds the phases to standard error; the report is unchanged."""
    plain, _ = ctx.run(*STEEL, "--format", "csv")
    timed, err = ctx.run(*STEEL, "--format", "csv", "--timings")
    phases = re.findall(rb"^bomreport: timing: (\w+) +\d+\.\d{3} s, peak +\d+ MiB$", err, re.M)
    expect(timed == plain and phases == [b"read", b"merge", b"evaluate", b"write"] and
           len(err.splitlines()) == 4, "stderr: %r" % err)


@case
def input_conveniences(ctx):
    """Parts from standard input (CSV, or JSON by its first character), with a
    semicolon delimiter, and gzip-compressed whatever the name: the same report."""
    csv_bytes = open(os.path.join(ctx.examples, "steel-parts.csv"), "rb").read()
    json_bytes = open(os.path.join(ctx.examples, "steel-parts.json"), "rb").read()
    rows = list(csv.reader(io.StringIO(csv_bytes.decode("utf-8"), newline="")))
    text = io.StringIO(newline="")
    csv.writer(text, delimiter=";", lineterminator="\n").writerows(rows)
    ctx.write("semicolons.csv", text.getvalue())
    ctx.write("parts.dat", gzip.compress(csv_bytes))
    template = STEEL[:2] + ["--format", "csv"]
    expected, _ = ctx.run(*STEEL, "--format", "csv")
    for args, stdin in ((["-"], csv_bytes), (["-"], json_bytes), (["parts.dat"], None),
                        (["semicolons.csv", "--delimiter", ";"], None)):
        out, _ = ctx.run(*template, "--data", *args, stdin=stdin)
        expect(out == expected, "%r differs" % args)
    _, err = ctx.run("--data", "-", "--data-format", "json", status=2, stdin=b"%Pos\n1\n")
    expect(err.startswith(b"bomreport: standard input:1:1: "), "message: %r" % err)


# --- Bad input -------------------------------------------------------------------------------
# Every one is refused with exit 2 and the message that names the place, nothing
# written, nothing left behind. Rows: (content, message); the file is the one
# the message names first. Big contents are made when the case runs (a callable).

MILLION = 1000000


def nested(prefix="", suffix=""):
    return lambda: prefix + "[" * MILLION + "]" * MILLION + suffix


BAD_CSV = [
    ("\n\n", "p.csv:1: no header row"),
    ("", "p.csv:1: no header row"),
    (b"\xef\xbb\xbf", "p.csv:1: no header row"),
    ("%PNum,%Weight\nP1,1\nP2,2,3\n", "p.csv:3: expected 2 fields, found 3"),
    ("%PNum,%Weight\nP1\n", "p.csv:2: expected 2 fields, found 1"),
    (lambda: "%PNum\n" + "," * MILLION + "\n", "p.csv:2: expected 1 fields, found 1000001"),
    ('%PNum,%Name\nP1,"HEA\n200\n', "p.csv:2:2: quoted field not closed before the end of the file"),
    ('%PNum,X\nP1,"a,\n', "p.csv:2:2: quoted field not closed before the end of the file"),
    ('%PNum,%Name\nP1,HEA"200"\n', "p.csv:2:2: quote inside an unquoted field"),
    ('%PNum,%Name\n"P1"x,HEA\n', "p.csv:2:1: unexpected text after a closing quote"),
    ("%PNum,%Quantity\nP1,2\nP2,2.5\n", 'p.csv:3:2: "2.5" is not a 32-bit integer (%Quantity)'),
    ("%Quantity\n2147483648\n", 'p.csv:2:1: "2147483648" is not a 32-bit integer (%Quantity)'),
    ("%Quantity\n0x10\n", 'p.csv:2:1: "0x10" is not a 32-bit integer (%Quantity)'),
    ("%Quantity\n-99999999999999999999999\n",
     'p.csv:2:1: "-99999999999999999999999" is not a 32-bit integer (%Quantity)'),
    ('%PNum,%Weight\n"P1","12,5"\n', 'p.csv:2:2: "12,5" is not a number (%Weight)'),
    ("%Weight\nNaN\n", 'p.csv:2:1: "NaN" is not a number (%Weight)'),
    ("%Weight\n-inf\n", 'p.csv:2:1: "-inf" is not a number (%Weight)'),
    ("%Weight\n0x1p3\n", 'p.csv:2:1: "0x1p3" is not a number (%Weight)'),
    ("%Weight\n-1e999\n", 'p.csv:2:1: "-1e999" is out of the range of a double (%Weight)'),
    ("%Weight\n1e99999999999999999999\n",
     'p.csv:2:1: "1e99999999999999999999" is out of the range of a double (%Weight)'),
    ("#type,%PNum\nbeam,P1\n", 'p.csv:2:1: "beam" is not an object type (an integer)'),
    ("#type\n4294967297\n", 'p.csv:2:1: "4294967297" is not an object type (an integer)'),
    ("#handel,%PNum\n1,P1\n",
     'p.csv:1:1: unknown reserved column "#handel" (reserved: #handle, #equal, #type)'),
    ("%PNum,%Name,%PNum\n", 'p.csv:1:3: duplicate column "%PNum"'),
    ("%PNum,,%Name\n", "p.csv:1:2: empty column name"),
    (b"%PNum,%Name\nP1,\xc3(\n", "p.csv:2:2: invalid UTF-8"),
    (b"%PNum,\xffX\nP1,a\n", "p.csv:1:2: invalid UTF-8"),
    (b"%PNum,X\nP1,\xc0\xaf\n", "p.csv:2:2: invalid UTF-8"),
    (b"%PNum,X\nP1,\xed\xa0\x80\n", "p.csv:2:2: invalid UTF-8"),
    (b"%PNum,X\nP1,ab\xe2\x82", "p.csv:2:2: invalid UTF-8"),
    (b"#type,%PNum\n\xff,P1\n", "p.csv:2:1: invalid UTF-8"),
    (b'%PNum,%Name,X\n"P\n1","a\r\nb",\xff\n', "p.csv:4:3: invalid UTF-8"),
    (b"%PNum,X\nP1,a\x00b\n", "p.csv:2:2: NUL character"),
    (b"%PNum,X\x00\nP1,a\n", "p.csv:1:2: NUL character"),
    (b'%PNum,X\nP1,"a\nb\x00"\n', "p.csv:3:2: NUL character"),
]
JSON_SYNTAX = "malformed JSON: syntax error while parsing "
BAD_JSON_PARTS = [
    ('[\n  {"handle": "1",}\n]',
     "p.json:2:18: " + JSON_SYNTAX + "object key - unexpected '}'; expected string literal"),
    ('{"handle": "1"}', "p.json:1:1: unexpected object, expected an array of parts"),
    ('"x"', "p.json:1:1: unexpected string, expected an array of parts"),
    ('[{"tuples": [["%Weight", "heavy"]]}]', "p.json:1:26: a string where %Weight takes a number"),
    ('[{"tuples": [["%Material", 5]]}]', "p.json:1:28: a number where %Material takes a string"),
    ('[{"tuples": [["%PNum", "a"], ["%PNum", null]]}]',
     'p.json:1:31: part 1 gives the token "%PNum" twice'),
    ('[{"handel": "1"}]', 'p.json:1:3: unknown key "handel"'),
    (b'\xef\xbb\xbf[{"handel": 1}]', 'p.json:1:3: unknown key "handel"'),
    (b'[{"handle": "\xff"}]',
     "p.json:1:14: " + JSON_SYNTAX + "value - invalid string: ill-formed UTF-8 byte"),
    (b'[{"\xff": 1}]', "p.json:1:4: " + JSON_SYNTAX +
     "object key - invalid string: ill-formed UTF-8 byte; expected string literal"),
    ('[{"tuples": [["X", "a\\u0000b"]]}]', "p.json:1:20: NUL character (\\u0000) in a string"),
    ('[{"hand\\u0000le": 1}]', "p.json:1:3: NUL character (\\u0000) in a string"),
    (b'[{"handle": "a\x00"}]', "p.json:1:15: malformed JSON: NUL byte"),
    (b'[]\x00[{"hendle": 1}]', "p.json:1:3: malformed JSON: NUL byte"),
    (b'[1]\x00', "p.json:1:2: unexpected number, expected a part object"),
    (b"\xef\xbb\xbf", "p.json:1:1: " + JSON_SYNTAX +
     "value - unexpected end of input; expected '[', '{', or a literal"),
    (b"\xef\xbb[]", "p.json:1:2: " + JSON_SYNTAX +
     "value - invalid BOM; must be 0xEF 0xBB 0xBF if given"),
    ('[{"handle": "ab', "p.json:1:16: " + JSON_SYNTAX + "value - invalid string: missing closing quote"),
    ('[{"tuples": [["X", -1e999]]}]', "p.json:1:20: number out of the range of a double"),
    ('[{"tuples": [["%Quantity", 123456789012345678901234567890]]}]',
     "p.json:1:28: an integer beyond 32 bits where %Quantity takes a 32-bit integer"),
    ('[{"type": 99999999999999999999}]', "p.json:1:11: the object type must be a 32-bit integer"),
    ('[{"type": +1}]', "p.json:1:11: " + JSON_SYNTAX + "value - invalid literal"),
    (nested(), "p.json:1:2: unexpected array, expected a part object"),
    (lambda: '{"a":' * MILLION + "1" + "}" * MILLION,
     "p.json:1:1: unexpected object, expected an array of parts"),
    (nested('[{"tuples": [', "]}]"), "p.json:1:15: unexpected array, expected a token string"),
    (nested('[{"equal": ', "}]"),
     "p.json:1:13: unexpected array, expected a handle (string or integer)"),
]
BAD_TEMPLATE = [
    ('{"children": [\n  {"type": "kDetails"\n]}',
     "t.json:3:1: " + JSON_SYNTAX + "object - unexpected ']'; expected '}'"),
    ('{"children": [\n  {"type": "kGroupHeadr"}]}', 't.json:2:12: unknown section type "kGroupHeadr"'),
    ('0', "t.json:1:1: unexpected number, expected a template object"),
    ('{"type": "kDetails"}', "t.json:1:10: the template root must be of type kBomTemplate"),
    ('{"children": [{"tuples": []}]}', 't.json:1:28: section without a "type"'),
    ('{"children": [], "sections": []}', 't.json:1:18: unknown key "sections"'),
    ('{"columns": {"R": {"caption": "Len\\u0007gth"}}}',
     't.json:1:31: a caption holds the control character U+0007; write the heading as one line '
     'of text'),
    ('{"tuples": [["%PNum"]]}', "t.json:1:21: a tuple must be a [token, value] pair"),
    ('{"tuples": [["%PNum", [1]]]}',
     "t.json:1:23: unexpected array, expected a value (integer, number, string or null)"),
    ('{"tuples": [["%PNum", 4294967296]]}', "t.json:1:23: integer value out of the 32-bit range"),
    ('{"tuples": [["%PNum", 18446744073709551616]]}',
     "t.json:1:23: integer value out of the 32-bit range"),
    ('{"tuples": [["%PNum", 2e308]]}', "t.json:1:23: number out of the range of a double"),
    ('{"tokenUnits": [["%Weight", "kMassUnit"]]}', 't.json:1:29: unknown token unit type "kMassUnit"'),
    ('{"columns": {"%Weight": {"decimal": 2}}}',
     't.json:1:26: unknown key "decimal" in the column of "%Weight" '
     '(a column has "caption" and "decimals")'),
    ('{"columns": {"%Weight": {"decimals": 16}}}',
     't.json:1:38: "decimals" must be a whole number from 0 to 15'),
    (b'{"tuples": [["%PNum", "\xe2\x82"]]}',
     "t.json:1:25: " + JSON_SYNTAX + "value - invalid string: ill-formed UTF-8 byte"),
    ('{"tuples": [["%PNum\\u0000", ""]]}', "t.json:1:14: NUL character (\\u0000) in a string"),
    (b'{"tuples": []}\x00', "t.json:1:15: malformed JSON: NUL byte"),
    ("", "t.json:1:1: " + JSON_SYNTAX +
     "value - unexpected end of input; expected '[', '{', or a literal"),
    ('{"tuples": [["%PNum', "t.json:1:20: " + JSON_SYNTAX +
     "value - invalid string: missing closing quote"),
    (nested('{"tuples": [["%PNum", ', "]]}"),
     "t.json:1:23: unexpected array, expected a value (integer, number, string or null)"),
    (nested('{"children": ', "}"), "t.json:1:15: unexpected array, expected a section object"),
    (nested('{"layout": ', "}"), 't.json:1:2: unknown key "layout"'),
    (lambda: '{"children": [' + '{"type": "kGroupHeader", "children": [' * MILLION +
     "]}" * MILLION + "]}", "t.json:1:38015: sections nested deeper than 1000 levels"),
]
# Rows: (arguments, message); a file named "adir" is a directory.
BAD_ARGUMENTS = [
    (["--data", "missing.csv"], "missing.csv: cannot open: No such file or directory"),
    (["--template", "adir"], "adir: cannot read: Is a directory"),
    (["--units", "length=mm,weight=stone"], '--units: unknown unit name "stone"'),
    (["--units", "area=kg"], '--units: "kg" is not a unit of area'),
    (["--units", "volume=m3"], '--units: unknown kind "volume" (length, weight, area or angle)'),
    (["--setting", "C0_BOMSuppressLastZeros=no"],
     '--setting: "C0_BOMSuppressLastZeros=no" is not NAME=INTEGER'),
    (["--delimiter", '"'], "--delimiter: a quote or a line break cannot separate fields"),
    (["--data-format", "xml"], '--data-format: "xml" is not csv, json or ifc'),
    (["--collation", "alpha"], '--collation: "alpha" is not binary or natural'),
    (["--paper", "a5"], '--paper: "a5" is not a4, a3 or letter (see bomreport --help)'),
    (["--format", "docx"],
     "--format: docx not in {text,list,csv,json,html,xlsx,pdf} (see bomreport --help)"),
]


def expect_refused(ctx, args, message):
    before = sorted(os.listdir(ctx.work))
    out, err = ctx.run(*args, "-o", "report.txt", status=2, measure=True)
    expect(err.decode("utf-8") == "bomreport: " + message + "\n",
           "message: %r\nexpected: %r" % (err.decode("utf-8")[:300], message))
    expect(out == b"" and sorted(os.listdir(ctx.work)) == before, "something was written")


def bad_file_case(name, rows):
    def check(ctx):
        for content, message in rows:
            file_name = message.split(":")[0]
            ctx.write(file_name, content() if callable(content) else content)
            option = "--template" if file_name == "t.json" else "--data"
            expect_refused(ctx, [option, file_name], message)
            os.remove(os.path.join(ctx.work, file_name))
    case(check, name)


bad_file_case("bad_csv", BAD_CSV)
bad_file_case("bad_json_parts", BAD_JSON_PARTS)
bad_file_case("bad_template", BAD_TEMPLATE)


@case
def bad_arguments(ctx):
    os.mkdir(os.path.join(ctx.work, "adir"))
    for args, message in BAD_ARGUMENTS:
        expect_refused(ctx, args, message)


# --- Large and odd values ---------------------------------------------------------------------

HUGE = 20 << 20  # bytes in a huge field or name


def details_template(ctx, *tokens):
    """A template of one details section that shows `tokens`."""
    tuples = ", ".join("[%s, null]" % json.dumps(token) for token in tokens)
    return ctx.write("t.json", '{"children": [{"type": "kDetails", "tuples": [%s]}]}' % tuples)


def csv_report(ctx, data, *args):
    ctx.run("--template", "t.json", "--data", data, "--format", "csv", "-o", "out.csv", *args,
            measure=True)
    return ctx.read("out.csv")


@case
def huge_fields(ctx):
    """Fields and names of many megabytes come out whole; a problem at the end
    of one is told in a short message."""
    a, b, name, umlauts = b"a" * HUGE, b"b" * HUGE, b"N" * HUGE, b"\xc3\xa4" * (HUGE // 2)
    # (file, content, tokens shown, report lines, peak memory / bytes of input)
    for data, content, tokens, expected, factor in [
            ("p.csv", b"%PNum,X\rP1," + a + b'\rP2,"' + b + b'"\r', [b"X"],
             b"0,kDetails,P1," + a + b"\n0,kDetails,P2," + b + b"\n", 5),
            ("p.json", b'[{"tuples": [["%PNum", "P1"], ["X", "' + umlauts + b'"]]}]', [b"X"],
             b"0,kDetails,P1," + umlauts + b"\n", 7),
            ("p.csv", b"%PNum," + name + b"\nP1,x\n", [name], b"0,kDetails,P1,x\n", 6),
            ("p.json", b'[{"tuples": [["%PNum", "P1"], ["' + name + b'", "x"]]}]', [name],
             b"0,kDetails,P1,x\n", 7)]:
        details_template(ctx, "%PNum", *(t.decode() for t in tokens))
        ctx.write(data, content)
        actual = csv_report(ctx, data)
        expected = b"depth,type,%PNum," + b",".join(tokens) + b"\n" + expected
        expect(actual == expected, "%s: %d bytes, expected %d" % (data, len(actual), len(expected)))
        ctx.expect_memory(len(content) + len(ctx.read("t.json")), factor)
    for data, content, message, factor in [
            ("p.csv", b"%PNum,X\rP1," + a + b"\xe2\x82\r", "p.csv:2:2: invalid UTF-8", 3),
            ("p.csv", b"%Weight\n" + b"9" * HUGE + b"\n",
             'p.csv:2:1: "%s..." is out of the range of a double (%%Weight)' % ("9" * 40), 3),
            ("p.csv", b'%PNum,X\nP1,"' + b"a\n" * (HUGE // 2),
             "p.csv:2:2: quoted field not closed before the end of the file", 3),
            ("p.json", b'[{"tuples": [["X", "' + a + b'\xff"]]}]', "p.json:1:%d: %svalue - "
             "invalid string: ill-formed UTF-8 byte" % (21 + HUGE, JSON_SYNTAX), 10),
            ("p.json", b'[{"tuples": [["X", ' + b"9" * HUGE + b"]]}]",
             "p.json:1:20: number out of the range of a double", 10)]:
        ctx.write(data, content)
        expect_refused(ctx, ["--data", data], message)
        ctx.expect_memory(len(content), factor)


@case
def long_lists(ctx):
    """A million columns, a million equal parts of one part, many tuples in a
    part and in a section: lists are filled in time linear in their length."""
    names = ",".join("c%d" % i for i in range(MILLION)) + "\n"
    details_template(ctx, "c0", "c999999")
    ctx.write("p.csv", names)
    expect(csv_report(ctx, "p.csv") == b"depth,type\n", "header only")
    ctx.write("p.csv", names + ",".join(str(i) for i in range(MILLION)) + "\n")
    expect(csv_report(ctx, "p.csv", "--all-tokens") == b"depth,type,c0,c999999\n"
           b"0,kDetails,0,999999\n", "a million columns")
    ctx.expect_memory(len(names) * 2, 10)
    handles = ";".join(str(i) for i in range(MILLION))
    ctx.write("p.csv", "%PNum,#equal,#handle\nP1," + handles + ",H\n")
    details_template(ctx, "%PNum")
    expect(csv_report(ctx, "p.csv", "--used") == ("depth,type,%PNum\n0,kDetails,P1\n\n"
           "handles,tokens\nH " + handles.replace(";", " ") + ",%PNum\n").encode(), "--used")
    tuples = ", ".join('["T%d", %d]' % (i, i) for i in range(250000))
    ctx.write("p.json", '[{"tuples": [["%PNum", "P1"], ' + tuples + "]}]")
    expect(csv_report(ctx, "p.json", "--all-tokens") == b"depth,type,%PNum\n0,kDetails,P1\n",
           "JSON parts")
    ctx.write("t.json", '{"children": [{"type": "kDetails", "tuples": [' + tuples + "]}]}")
    out, _ = ctx.run("--template", "t.json", "--trace")
    expect(out.count(b"\n") == 250002, "trace of %d lines" % out.count(b"\n"))
    # A report of 20,000 columns: every format; XLSX names the sheet's limit.
    wide = ["C%d" % i for i in range(20000)]
    details_template(ctx, *wide)
    rows = [",".join(str(r * 7 + i) for i in range(len(wide))) for r in range(20)]
    ctx.write("p.csv", ",".join(wide) + "\n" + "\n".join(rows) + "\n")
    expect(csv_report(ctx, "p.csv").splitlines()[-1] == ("0,kDetails," + rows[-1]).encode(),
           "wide CSV")
    for name in ("w.txt", "w.json", "w.html"):
        ctx.run("--template", "t.json", "--data", "p.csv", "-o", name)
    _, err = ctx.run("--template", "t.json", "--data", "p.csv", "-o", "w.xlsx", status=1)
    expect(err == b"bomreport: spreadsheet: the report has 20000 columns; a sheet holds at most "
           b"16384 (show fewer tokens, or write CSV, JSON or text)\n" and not ctx.exists("w.xlsx"),
           err)


@case
def numbers(ctx):
    """Signs, zeros, values beyond 32 bits and beyond a double, numbers too
    small for one, by column type: see tools/bomreport/README.md."""
    details_template(ctx, "%PNum", "X", "%Weight", "%Quantity")
    ctx.write("p.csv", "%PNum,X,%Weight,%Quantity\n"
                       "P1,+5,+5,+5\nP2,-0,-0,-0\nP3,-0.0,-0.0,0\nP4,1e-999,-1e-999,7\n"
                       "P5,4.9e-324,4.9e-324,007\nP6,1e999,.5,1\nP7,0x10,5.,2\n"
                       "P8,NaN,2147483648,-2147483648\nP9,99999999999,1e2,2147483647\n")
    head = b"depth,type,%PNum,X,%Weight [kg],%Quantity\n"
    expect(csv_report(ctx, "p.csv") == head +
           b"0,kDetails,P1,5,5,5\n0,kDetails,P2,0,0,0\n0,kDetails,P3,0,0,0\n"
           b"0,kDetails,P4,0,0,7\n0,kDetails,P5,4.94065645841247e-324,4.94065645841247e-324,7\n"
           b"0,kDetails,P6,1e999,0.5,1\n0,kDetails,P7,0x10,5,2\n"
           b"0,kDetails,P8,NaN,2147483648,-2147483648\n"
           b"0,kDetails,P9,99999999999,100,2147483647\n", "CSV parts")
    ctx.write("p.json", '[{"tuples": [["%PNum", "P1"], ["X", -0], ["%Weight", -0.0], '
                        '["%Quantity", -0]]},'
                        ' {"tuples": [["%PNum", "P2"], ["X", 1e-999], ["%Weight", -1e-999]]},'
                        ' {"tuples": [["%PNum", "P3"], ["X", 123456789012345678901234567890],'
                        ' ["%Weight", 2147483648], ["%Quantity", 2147483647]]}]')
    expect(csv_report(ctx, "p.json") == head + b"0,kDetails,P1,0,0,0\n0,kDetails,P2,0,0,\n"
           b"0,kDetails,P3,1.23456789012346e+29,2147483648,2147483647\n", "JSON parts")
    ctx.write("t.json", '{"tuples": [["A", -0.0], ["B", -1e-999], ["C", 4.9e-324], ["D", -0],'
                        ' ["E", 1E2], ["F", -2147483648]]}')
    out, _ = ctx.run("--template", "t.json", "--export-template")
    expect(b'"tuples": [["A", 0.0], ["B", 0.0], ["C", 5e-324], ["D", 0], ["E", 100.0], '
           b'["F", -2147483648]]' in out, "template: %r" % out)
    # A byte-order mark starts a JSON file as well as a CSV file; handles may be numbers.
    details_template(ctx, "%PNum")
    ctx.write("p.json", b'\xef\xbb\xbf[{"handle": 7, "equal": [8], "tuples": [["%PNum", "P1"]]}]')
    ctx.write("t.json", b"\xef\xbb\xbf" + ctx.read("t.json"))
    expect(csv_report(ctx, "p.json", "--used") == b"depth,type,%PNum\n0,kDetails,P1\n\n"
           b"handles,tokens\n7 8,%PNum\n", "marked files")


# --- Reports for people: XLSX, PDF ------------------------------------------------------
# Checked with readers of their own (openpyxl, poppler) against the JSON report
# of the same run, by the rules of tools/bomreport/README.md (report_table.py).

def report_table(ctx, *args):
    return Table(read_json_report(ctx.run(*args, "--format", "json")[0]))


def sheet_rows(ctx, name, table):
    """The sheet, its heading row number, and the table's rows below it:
    (row number, [(value, type, format)])."""
    try:
        import openpyxl
    except ImportError:
        raise Failure("openpyxl is missing (Debian: python3-openpyxl)")
    sheet = openpyxl.load_workbook(os.path.join(ctx.work, name)).active
    rows = list(sheet.iter_rows())
    values = [[cell.value for cell in row] for row in rows]
    first = [i for i, row in enumerate(values) if row[:len(table.keys)] == table.headings()]
    expect(first, "no row of headings %r" % table.headings())
    below = rows[first[0] + 1:first[0] + 1 + len(table.rows)]
    return sheet, first[0] + 1, [(first[0] + 2 + i, [(c.value, c.data_type, c.number_format)
                                                     for c in row]) for i, row in enumerate(below)]


@case
def steel_xlsx(ctx):
    """Every cell's type, value and number format, every row's outline level."""
    ctx.run(*STEEL, "-o", "steel.xlsx")  # the format from the extension
    table = report_table(ctx, *STEEL)
    sheet, heading, rows = sheet_rows(ctx, "steel.xlsx", table)
    expect(sheet.title == "Bill of materials" and sheet["A1"].value == table.title() and
           sheet["A1"].font.b, "title %r" % sheet["A1"].value)
    import openpyxl  # sheet_rows has found it
    stored = list(openpyxl.load_workbook(os.path.join(ctx.work, "steel.xlsx"), data_only=True)
                  .active.iter_rows(min_row=heading + 1, values_only=True))
    check_xlsx_cells(table, rows, expect, stored)
    expect(sum(1 for _, cells in rows for value, kind, _ in cells if kind == "f") > 10,
           "sums are not SUBTOTAL formulas")
    levels = [sheet.row_dimensions[number].outline_level for number, _ in rows]
    expect(levels == [expected_level(row) for row in table.rows], "outline levels %r" % levels)
    expect(sheet.freeze_panes == "A%d" % (heading + 1), "frozen at %r" % sheet.freeze_panes)
    data_rows = len(table.rows) - (table.rows[-1].type == "kReportFooter")
    expect(sheet.auto_filter.ref == "A%d:%s%d" % (heading, chr(ord("A") + len(table.keys) - 1),
                                                  heading + data_rows), "autofilter")
    expect(sheet.sheet_properties.outlinePr.summaryBelow is not False, "sums not below groups")
    expect(all(cell.font.b for cell in sheet[heading] if cell.value), "headings not bold")
    for column, key in enumerate(table.keys):
        texts = [table.headings()[column]] + [t for r in table.rows for k, t, _, _ in r.cells if k == key]
        width = sheet.column_dimensions[chr(ord("A") + column)].width
        expect(max(map(len, texts)) <= width <= 2 * max(map(len, texts)) + 4, "width %s" % width)


@case
def xlsx_texts_stay_texts(ctx):
    """Texts that begin like a formula, or that a number would change, are
    strings; display texts that read as numbers are numbers, with their decimals."""
    ctx.write("parts.json", json.dumps([
        {"tuples": [["%Name", "=1+2"], ["%FreeRemark", "+5"], ["Count", "-3"], ["Ratio", "4.20"],
                    ["Code", "007"]]},
        {"tuples": [["%Name", "@SUM(A1:A2)"], ["%FreeRemark", "-x"], ["Count", "1e+11"],
                    ["Ratio", "0.5"], ["Code", "=HYPERLINK(\"x\")"]]}]))
    args = ECHO + ["--data", "parts.json"]
    ctx.run(*args, "-o", "t.xlsx")
    table = report_table(ctx, *args)
    _, _, rows = sheet_rows(ctx, "t.xlsx", table)
    check_xlsx_cells(table, rows, expect)
    expect([cell[0] for cell in rows[0][1]] == ["=1+2", "+5", -3, 4.2, "007"], "first row")
    expect(rows[0][1][3][2] == "0.00" and rows[1][1][2][2] == "0E+00", "number formats")


def today(pages):
    """The date of today (or of yesterday, past midnight) that the running head shows."""
    day = datetime.date.today()
    found = [d.isoformat() for d in (day, day - datetime.timedelta(days=1))
             if d.isoformat() in pages[0].splitlines()[0]]
    expect(found, "no date of today in the running head %r" % pages[0].splitlines()[0])
    return found[0]


@case
def steel_pdf(ctx):
    """Page size, every page's running head and number, headings and
    continued groups; fonts embedded; other papers."""
    ctx.run(*STEEL, "-o", "steel.pdf")
    table = report_table(ctx, *STEEL)
    path = os.path.join(ctx.work, "steel.pdf")
    pages = pdf_pages(path)
    expect(len(pages) > 2, "%d pages" % len(pages))
    check_pdf_pages(pages, table, [table.title(), "steel-parts.csv", today(pages)], expect)
    first = [line for line in pages[0].splitlines() if line.strip()]
    expect(first[1].strip() == table.title(), "no title block on the first page: %r" % first[1])
    fonts = subprocess.run(["pdffonts", path], capture_output=True, check=True).stdout
    fonts = fonts.decode().splitlines()[2:]
    expect(fonts and all(" yes yes " in line and "DejaVuSans" in line for line in fonts),
           "fonts not all embedded DejaVu subsets: %r" % fonts)
    for paper, size in (([], "595.276 x 841.89"),
                        (["--paper", "letter", "--landscape"], "792 x 612"),
                        (["--paper", "A3"], "841.89 x 1190.55")):
        ctx.run(*STEEL, "-o", "paper.pdf", *paper)
        got = pdf_info(os.path.join(ctx.work, "paper.pdf"))["Page size"]
        expect(got.startswith(size), "%s: page size %r" % (" ".join(paper), got))


def write_generated_parts(ctx, count):
    """parts.csv: `count` parts of assemblies of 40, five positions each,
    every part an element of its own: a details line each in the steel template."""
    profiles = [("HEA240", "S355J2"), ("IPE300", "S355J2"), ("PL10*100", "S235JR"),
                ("L80x8", "S235JR"), ("M20x60", "8.8")]
    marks = ["COLUMN", "BEAM", "BRACING", "PURLIN"]
    lines = ["#handle,#type,%Phase,%MNum,%MName,%PNum,%Name,%Material,%Quantity,%Length,%Weight,"
             "%ElementID"]
    for i in range(count):
        assembly, length = i // 40, 100 + (i * 37) % 9000
        position = (i * 7) % 5 + 5 * (assembly % 3)
        lines.append("%X,%d,%d,A%05d,%s,P%d,%s,%s,%d,%d,%.2f,E%07d" % (
            i + 1, 1 + position % 4, 1 + assembly % 3, assembly, marks[assembly % 4], position,
            *profiles[position % 5], 1 + i % 4, length, length * 0.0421, i + 1))
    return ctx.write("parts.csv", "\n".join(lines) + "\n")


@case
def page_sections_pdf(ctx):
    """The template's page header is every page's running head, its page
    footer leads every page's foot; both stay out of the table."""
    write_generated_parts(ctx, 300)
    args = ("--template", "{data}/page-template.json", "--data", "parts.csv")
    ctx.run(*args, "-o", "page.pdf")
    table = report_table(ctx, *args)
    expect(table.page_header and table.page_footer, "the template has no page sections")
    pages = pdf_pages(os.path.join(ctx.work, "page.pdf"))
    expect(len(pages) > 2, "%d pages" % len(pages))
    check_pdf_pages(pages, table, ["Project: P-117", "Drawing: S-200", today(pages)], expect)
    for number, page in enumerate(pages, 1):
        foot = [line for line in page.splitlines() if line.strip()][-1]
        expect(foot.lstrip().startswith("Checked: J. S.") and "Weight [kg]:" in foot,
               "page %d: foot %r" % (number, foot))


@case
def pdf_cut_texts(ctx):
    """A text too long for its PDF column is cut with "…", the rest of the table
    stays at its size, and the cut is warned of; --strict writes nothing."""
    details_template(ctx, "%PNum", "%Name")
    ctx.write("p.csv", "%PNum,%Name\nP1," + "A" * 2000000 + "\nP2,HEA200\n")
    args = ("--template", "t.json", "--data", "p.csv")
    _, err = ctx.run(*args, "-o", "cut.pdf")
    expect(err == "bomreport: warning: the PDF cuts 1 text of the column \"Name\" to fit the "
           "page, each ending in \u2026; print on wider paper (--paper=a3, --landscape), or write "
           "HTML, XLSX or CSV, which hold every text whole\n".encode(), err)
    page = pdf_pages(os.path.join(ctx.work, "cut.pdf"))[0]
    expect(re.search(r"P1 +A{20,}…", page) and re.search(r"P2 +HEA200", page), page[:400])
    out, _ = ctx.run(*args, "--format", "pdf", "--strict", status=2)
    ctx.run(*args, "-o", "strict.pdf", "--strict", status=2)
    expect(out == b"" and not ctx.exists("strict.pdf"), "--strict wrote")


@case
def generated_100k(ctx):
    """100,000 generated parts: the same rows in PDF and HTML as in the report,
    XLSX and PDF within the memory the report itself takes."""
    args = STEEL[:2] + ["--data", write_generated_parts(ctx, 100000)]
    table = report_table(ctx, *args)
    expect(len(table.rows) > 100000, "%d rows" % len(table.rows))
    ctx.run(*args, "-o", "bom.csv", measure=True)
    report_memory = ctx.peak
    for name in ("bom.xlsx", "bom.pdf", "bom.html"):
        ctx.run(*args, "-o", name, measure=True)
        expect(not ctx.measured or ctx.last_peak <= report_memory * 1.1 + (16 << 20),
               "%s: peak %.1f MB, the report alone %.1f MB" % (name, ctx.last_peak / 1e6,
                                                              report_memory / 1e6))
    pages = pdf_pages(os.path.join(ctx.work, "bom.pdf"))
    check_pdf_pages(pages, table, [table.title(), "parts.csv", today(pages)], expect)
    html = ctx.read("bom.html").decode("utf-8")
    expect(html.split("<tbody>")[1].split("</tbody>")[0].count("<tr") == len(table.rows),
           "HTML rows")


@case
def format_from_extension(ctx):
    """Without --format the output's extension decides; -o - is standard output."""
    magic = {"r.TXT": b"Report header", "r.csv": b"depth,type", "r.json": b"{",
             "r.html": b"<!DOCTYPE html>", "r.htm": b"<!DOCTYPE html>", "r.xlsx": b"PK\x03\x04",
             "r.pdf": b"%PDF-", "r": b"Report header"}
    for name, start in magic.items():
        ctx.run(*STEEL, "-o", name)
        expect(ctx.read(name).startswith(start), "%s starts %r" % (name, ctx.read(name)[:20]))
    ctx.run(*STEEL, "-o", "r.pdf", "--format", "csv")
    expect(ctx.read("r.pdf").startswith(b"depth,type"), "--format does not win")
    for fmt, start in (("xlsx", b"PK\x03\x04"), ("pdf", b"%PDF-"), ("text", b"Report header")):
        out, _ = ctx.run(*STEEL, "-o", "-", "--format", fmt)
        expect(out.startswith(start), "-o - %s: %r" % (fmt, out[:20]))
    expect(not ctx.exists("-"), "-o - wrote a file named -")
    # A report whose filter keeps no part keeps its title and says why.
    ctx.write("nine.csv", "#type,%PNum\n9,P1\n")
    readable = {"pdf": lambda: "".join(pdf_pages(os.path.join(ctx.work, "e"))).encode(),
                "xlsx": lambda: zipfile.ZipFile(os.path.join(ctx.work, "e")).read(
                    "xl/worksheets/sheet1.xml")}
    for fmt in ("text", "list", "csv", "json", "html", "xlsx", "pdf"):
        ctx.run("--template", "{ex}/position-list.json", "--data", "nine.csv", "-o", "e",
                "--format", fmt)
        text = readable.get(fmt, lambda: ctx.read("e"))()
        expect(b"Steel frame, hall 1: position list" in text and
               b"no parts kept by the filter (types 1, 2, 3, 4)" in text, "%s: %r" % (fmt, text))
    out, _ = ctx.run(*STEEL, "--format", "csv", "--csv-sums-under-token")
    lines = out.decode("utf-8").splitlines()
    expect(lines[0] == "depth,type,Title,%MNum,%MName,%PNum,%Name,%Material,%ElementID,%Phase,"
                       "%Quantity,%Length [mm],%Weight [kg]" and
           lines[-1] == "0,kReportFooter,,,,,,,,,198,,13747.152", "sums under their tokens")
    # An option the chosen format does not show is said; --strict refuses it.
    for fmt, options, words in (
            ("csv", ["--paper", "a3", "--landscape"],
             ["--paper changes nothing in csv output: only reports in html, xlsx and pdf show it",
              "--landscape changes nothing in csv output"]),
            ("html", ["--csv-raw"], ["--csv-raw changes nothing in html output: only reports in "
                                     "csv show it; leave it out, or write one of those formats"]),
            ("text", ["--date", "2026-01-01"], ["--date changes nothing in text output"]),
            ("pdf", ["--paper", "a3", "--date", "2026-01-01"], [])):
        _, err = ctx.run(*STEEL, "-o", "o", "--format", fmt, *options)
        said = [line for line in err.decode().splitlines() if "changes nothing" in line]
        expect(len(said) == len(words) and all(w in line for w, line in zip(words, said)),
               "%s %s: %r" % (fmt, options, said))
        if words:
            os.remove(os.path.join(ctx.work, "o"))
            ctx.run(*STEEL, "-o", "o", "--format", fmt, "--strict", *options, status=2)
            expect(not ctx.exists("o"), "%s --strict wrote its document" % fmt)


# --- Output ---------------------------------------------------------------------------------

@case
def output_files(ctx):
    """-o replaces a file only after a complete run, writes into a pipe in
    place, and never over an input."""
    expected, _ = ctx.run(*FILTER)
    ctx.write("parts.csv", open(os.path.join(ctx.data, "filter-parts.csv"), "rb").read())
    ctx.write("report.txt", "previous report\n")
    ctx.write("bad.csv", "%PNum,%Quantity\nP1,many\n")
    ctx.run(*FILTER[:2], "--data", "bad.csv", "-o", "report.txt", status=2)
    expect(ctx.read("report.txt") == b"previous report\n", "the previous report was changed")
    ctx.run(*FILTER, "-o", "report.txt")
    expect(ctx.read("report.txt") == expected, "-o writes what standard output gets")
    expect(sorted(os.listdir(ctx.work)) == ["bad.csv", "parts.csv", "report.txt"], "temporary files left")
    _, err = ctx.run(*FILTER, "-o", "missing/report.txt", status=1)
    expect(err.endswith(b"\nbomreport: missing/report.txt: cannot create a temporary file: "
                        b"No such file or directory\n"), "message: %r" % err)
    fifo = os.path.join(ctx.work, "fifo")
    os.mkfifo(fifo)
    received = []
    reader = threading.Thread(target=lambda: received.append(open(fifo, "rb").read()), daemon=True)
    reader.start()
    ctx.run(*FILTER, "-o", "fifo")
    reader.join(60)
    expect(received == [expected] and stat.S_ISFIFO(os.stat(fifo).st_mode), "the pipe")
    ctx.write("t.json", open(os.path.join(ctx.data, "filter-template.json"), "rb").read())
    os.mkdir(os.path.join(ctx.work, "sub"))
    for target in ("parts.csv", "./sub/../parts.csv", "t.json"):
        _, err = ctx.run("--template", "t.json", "--data", "parts.csv", "-o", target, status=2)
        expect(err == ("bomreport: %s: refusing to write the output over an input file\n" %
                       target).encode(), "message: %r" % err)
    with open(os.path.join(ctx.work, "parts.csv"), "rb") as stdin:  # standard input is the file
        run = subprocess.run([ctx.binary, "--template", "t.json", "--data", "-", "-o", "parts.csv"],
                             cwd=ctx.work, stdin=stdin, capture_output=True)
    expect(run.returncode == 2 and b"over standard input, which is the same file" in run.stderr,
           "standard input: %r" % run.stderr)
    expect(ctx.read("parts.csv") == open(os.path.join(ctx.data, "filter-parts.csv"), "rb").read(),
           "the input was changed")


# --- Templates a shop uses, on the example structure ---------------------------------
# The expected figures are summed from the parts file here, not taken from the engine.

def steel_parts(ctx, types):
    """The example's parts of the given object types, as dicts of their cells."""
    with open(os.path.join(ctx.examples, "steel-parts.csv"), newline="", encoding="utf-8") as f:
        return [part for part in csv.DictReader(f) if int(part["#type"]) in types]


def csv_records(out):
    """A CSV report as records keyed by token (units in the headings left out)."""
    rows = list(csv.reader(io.StringIO(out.decode("utf-8"), newline="")))
    return [dict(zip([re.sub(r" \[[^\]]*\]$", "", name) for name in rows[0]], row))
            for row in rows[1:]]


def totals(parts, key, column):
    """Sums of a column per key; a part without a quantity counts 1. A part
    stands for %Quantity pieces, and %Weight and %Length are a piece's."""
    sums = {}
    for part in parts:
        cell = part[column] or ("1" if column == "%Quantity" else "0")
        pieces = float(part["%Quantity"] or "1") if column in ("%Weight", "%Length") else 1.0
        sums[key(part)] = sums.get(key(part), 0) + float(cell) * pieces
    return sums


# (template, object types, key columns, type of the records that carry the
# figures, (parts column, report column) of which the first picks the records)
SHOP_TEMPLATES = [
    ("position-list.json", {1, 2, 3, 4}, ["%PNum"], "kDetails",
     [("%Quantity", "%Quantity"), ("%Weight", "%WeightInModel")]),
    ("bolt-list.json", {4}, ["%Name"], "kDetails",
     [("%Quantity", "%Quantity"), ("%Weight", "%WeightInModel")]),
    ("material-summary.json", {1, 2, 3}, ["%Material", "%Name"], "kGroupFooter",
     [("%Quantity", "%SumBy:%Quantity"), ("%Length", "%SumBy:%LengthInModel"),
      ("%Weight", "%SumBy:%WeightInModel")]),
]


# (data file, arguments, factor of each shown figure: length, weight)
SHOP_RUNS = [("steel-parts.csv", ["--merge-equal"], {}),
             ("steel-parts.csv", [], {}),
             ("steel-parts.csv", ["--merge-equal", "--units", "length=m,weight=t"],
              {"%Length": 1e-3, "%Weight": 1e-3}),
             ("steel-frame.ifc", ["--merge-equal"], {})]


@case
def shop_templates(ctx):
    """Each figure is the sum over the parts the filter keeps, in the units
    shown, from CSV and IFC, merged or not; a run that cannot show it right
    says so on standard error. The report footer holds the totals."""
    for (template, types, keys, kind, columns), (data, args, factors) in itertools.product(
            SHOP_TEMPLATES, SHOP_RUNS):
        what = "%s %s %s" % (template, data, " ".join(args))
        parts = steel_parts(ctx, types)
        out, err = ctx.run("--template", "{ex}/" + template, "--data", "{ex}/" + data,
                           "--format", "csv", *args)
        if err:  # only a warning of lines dropped as repeats excuses a figure
            expect("merge-equal" not in args and b"leave out" in err, "%s: %r" % (what, err))
            continue
        records, current, seen = csv_records(out), {}, {}
        for record in records:
            current.update((k, record[k]) for k in keys if record[k])
            if record["type"] == kind and record[columns[0][1]]:
                figures = seen.setdefault(tuple(current[k] for k in keys), {})
                for _, shown in columns:
                    figures[shown] = figures.get(shown, 0.0) + float(record[shown] or 0)
        key = lambda part: tuple(part[k] for k in keys)
        for column, shown in columns:
            factor = factors.get(column, 1.0)
            expected = totals(parts, key, column)
            expect(sorted(seen) == sorted(expected), "%s: keys %r" % (what, sorted(seen)))
            for k, value in expected.items():
                expect(abs(seen[k][shown] - value * factor) <= 1e-9 * max(1.0, abs(value)),
                       "%s: %s of %r is %s, summed %.4f" % (what, shown, k, seen[k][shown], value))
            if kind == "kDetails":
                total = sum(expected.values()) * factor
                footer = float(records[-1]["%SumBy:" + shown])
                expect(records[-1]["type"] == "kReportFooter" and
                       abs(footer - total) <= 1e-9 * max(1.0, total),
                       "%s: total %s %s" % (what, shown, footer))


REVISION_TEMPLATE = json.dumps({"children": [
    {"type": "kReportHeader", "children": [{"type": "kDetails", "tuples": [
        ["%SortAscBy:%PNum", ""], ["%PNum", ""], ["%Name", ""], ["%Quantity", 0]]}]},
    {"type": "kReportFooter", "tuples": [["%SumBy:%Quantity", 0]]}]})
# Old parts, new parts (#handle,%PNum,%Name each), options, the lines of the
# JSON revision list ("change key token=before>after ...", footers included),
# and a warning kind the comparison gives.
REVISIONS = [
    ("added", ["H1,P1,HEA100"], ["H1,P1,HEA100", "H2,P2,HEA120"], [],
     ["added P2 %PNum=>P2 %Name=>HEA120 %Quantity=>1", "sum Σ Total %SumBy:%Quantity=1>2"], None),
    ("removed", ["H1,P1,HEA100", "H2,P2,HEA120"], ["H2,P2,HEA120"], [],
     ["removed P1 %PNum=P1> %Name=HEA100> %Quantity=1>", "sum Σ Total %SumBy:%Quantity=2>1"], None),
    ("changed value", ["H1,P1,HEA100"], ["H1,P1,HEA120"], [],
     ["changed P1 %Name=HEA100>HEA120", "sum Σ Total"], None),
    ("changed sum", ["H1,P1,HEA100"], ["H1,P1,HEA100", "H2,P1,HEA100", "H3,P1,HEA100"],
     ["--merge-equal"], ["changed P1 %Quantity=1>3", "sum Σ Total %SumBy:%Quantity=1>3"], None),
    ("renumbered", ["H1,P1,HEA100", "H2,P1,HEA100"], ["H1,P1,HEA100", "H2,P3,HEA100"],
     ["--merge-equal", "--by-handle"],
     ["changed P1 %Quantity=2>1", "added P3 %PNum=>P3 %Name=>HEA100 %Quantity=>1",
      "sum Σ Total", "moved H2 P1>P3"], None),
    ("duplicate key", ["H1,P1,HEA100", "H2,P1,HEA120"], ["H1,P1,HEA100", "H2,P1,HEA140"],
     ["--merge-equal"], ["changed P1 %Name=HEA120>HEA140", "sum Σ Total"], "revision-key-repeats"),
    ("no handle", ["H1,P1,HEA100", ",P2,HEA100"], ["H1,P1,HEA100", ",P2,HEA100"],
     ["--by-handle"], ["sum Σ Total"], "revision-no-handle"),
    ("empty revision", ["H1,P1,HEA100"], [], [],
     ["removed P1 %PNum=P1> %Name=HEA100> %Quantity=1>", "sum Σ Total %SumBy:%Quantity=1>"],
     "revision-empty"),
]


def revision_line(line):
    """"changed P1 %Name=HEA100>HEA120": the change, the key, the changed values."""
    text = "%s %s" % ("sum" if line["change"] == "sum" else line["change"], line["key"])
    for value in line["values"]:
        before, after = value.get("before", ""), value.get("after", "")
        if before != after:
            text += " %s=%s>%s" % (value["token"], before, after)
    return text


@case
def revisions(ctx):
    """bomreport diff: lines matched by key, changes, sums, moves and repeated keys."""
    ctx.write("rev.json", REVISION_TEMPLATE)
    for name, old, new, args, lines, warning in REVISIONS:
        for file, rows in (("old.csv", old), ("new.csv", new)):
            ctx.write(file, "\n".join(["#handle,%PNum,%Name"] + rows) + "\n")
        out, err = ctx.run("diff", "--template", "rev.json", "--data", "old.csv", "--data",
                           "new.csv", "--format", "json", *args)
        report = json.loads(out)
        got = [revision_line(line) for line in report["lines"]]
        got += ["moved %s %s>%s" % (m["handle"], m["from"], m["to"]) for m in report["moves"]]
        expect(got == lines, "%s: %r" % (name, got))
        expect((warning is None) == (err == b""), "%s: %r" % (name, err))
        if warning:
            ctx.run("diff", "--template", "rev.json", "--data", "old.csv", "--data", "new.csv",
                    "--strict", *args, status=2)
    # The example's second revision, by hand: the lines, and each format.
    run = ["diff", "--template", "{ex}/position-list.json", "--data", "{ex}/steel-parts.csv",
           "--data", "{ex}/steel-parts-rev2.csv", "--merge-equal", "--collation", "natural",
           "--by-handle"]
    ctx.golden("revisions.txt", ctx.run(*run)[0])
    ctx.run(*run, "-o", "rev.xlsx")
    ctx.run(*run, "-o", "rev.pdf")
    import openpyxl
    sheet = openpyxl.load_workbook(os.path.join(ctx.work, "rev.xlsx")).active
    rows = [[c.value for c in row] for row in sheet.iter_rows()]
    expect(rows[0][:5] == ["Change", "Groups", "Line", "Pos. before", "Pos. after"], rows[0][:5])
    p21 = next(r for r in rows if r[2] == "P21")
    qty = rows[0].index("Qty before")
    expect(p21[0] == "changed" and p21[qty:qty + 3] == [16, 12, -4], p21)
    expect(sheet.auto_filter.ref == "A1:%s%d" % (openpyxl.utils.get_column_letter(len(rows[0])),
                                                  len(rows)), sheet.auto_filter.ref)
    text = pdf_pages(os.path.join(ctx.work, "rev.pdf"))
    expect(len(text) == 1 and "HEB280 → HEB300" in text[0] and "13970.89" in text[0], text)


@case
def memory_budget(ctx):
    """Parts that need more memory than allowed end while they are read, with
    the estimate; a filter that keeps fewer parts lets the same file pass."""
    rows = ["P%d,%d,HEA%d,%d" % (n, 1 if n % 10 else 2, n % 7 * 20 + 100, n) for n in range(6000)]
    ctx.write("many.csv", "%PNum,#type,%Name,%ElementID\n" + "\n".join(rows) + "\n")
    ctx.write("many.json", json.dumps([{"handle": "H%d" % n, "tuples": [["%PNum", "P%d" % n]]}
                                       for n in range(6000)]))
    keep = lambda types: json.dumps({"children": [{"type": "kReportHeader", "tuples": [
        ["%FilterBy: " + types, ""]], "children": [{"type": "kDetails", "tuples": [
            ["%PNum", ""], ["%Name", ""], ["%ElementID", ""]]}]}]})
    ctx.write("all.json", keep("1, 2"))
    ctx.write("few.json", keep("2"))
    # A stream is sampled when its first 64 MiB have come; a file's rate of
    # kept parts a byte is read from its start; the exact count ends the rest.
    stream = ("%PNum,#type,%Name\n" + "".join("P%d,1,HEA100\n" % n for n in range(100000)) * 50)
    for data, limit, stdin, said in (
            ("many.csv", "1M", None, b"many.csv: its about 66"),
            ("many.json", "1M", None, b"many.json: its about 6"),
            ("many.csv", "2M", None, b"many.csv: its first 5120 parts kept need at least 2 MiB"),
            ("-", "200M", stream.encode(), b"standard input: its about 4")):
        _, err = ctx.run("--template", "all.json", "--data", data, "--max-memory", limit,
                         "-o", "out.csv", status=2, stdin=stdin)
        expect(said in err and b"more than the %s MiB --max-memory allows" % limit[:-1].encode() in err
               and not ctx.exists("out.csv"), err)
    ctx.run("--template", "few.json", "--data", "many.csv", "--max-memory", "1M", "-o", "out.csv")


@case
def assembly_list(ctx):
    """Each assembly mark with its number of assemblies and their weight."""
    parts = steel_parts(ctx, {1, 2, 3})
    assemblies = {}
    for part in parts:
        assemblies.setdefault(part["%MNum"], set()).add(part["Assembly"])
    weights = totals(parts, lambda part: part["%MNum"], "%Weight")
    out, _ = ctx.run("--template", "{ex}/assembly-list.json", "--data", "{ex}/steel-parts.csv",
                     "--merge-equal", "--format", "csv")
    records = csv_records(out)
    headers = [r for r in records if r["type"] == "kGroupHeader"]
    footers = [r for r in records if r["type"] == "kGroupFooter"]
    expect([h["%MNum"] for h in headers] == sorted(assemblies), "marks %r" % headers)
    for header, footer in zip(headers, footers):
        mark = header["%MNum"]
        expect(int(header["%MQuantity"]) == len(assemblies[mark]) and
               abs(float(footer["%SumBy:%WeightInModel"]) - weights[mark]) < 0.0051,
               "%s: %r %r" % (mark, header, footer))


@case
def merged_rows_keep_every_handle(ctx):
    """--used lists every part that reached the report, equal parts included."""
    out, _ = ctx.run(*POSITIONS, "--used")
    block = out.decode("utf-8").split("Used handles and tokens:\n")[1]
    handles = [h for line in block.splitlines() for h in line.split(":")[0].split()]
    expect(len(block.splitlines()) == 16, "%d used rows" % len(block.splitlines()))
    expect(sorted(handles) == sorted(p["#handle"] for p in steel_parts(ctx, {1, 2, 3, 4})),
           "used handles differ from the kept parts")


@case
def input_units(ctx):
    """The example written in metres and tonnes, declared so, gives the same report."""
    with open(os.path.join(ctx.examples, "steel-parts.csv"), newline="", encoding="utf-8") as f:
        rows = list(csv.reader(f))
    scaled = [rows[0].index(c) for c in ("%Length", "%Width", "%Thick", "%Weight")]
    out = io.StringIO()
    csv.writer(out, lineterminator="\n").writerows(
        [rows[0]] + [[repr(float(cell) / 1000) if i in scaled and cell else cell
                      for i, cell in enumerate(row)] for row in rows[1:]])
    ctx.write("metric.csv", out.getvalue())
    metric = POSITIONS[:3] + ["metric.csv", "--merge-equal"]
    original, _ = ctx.run(*POSITIONS)
    converted, _ = ctx.run(*metric, "--input-units", "length=m,weight=t")
    unconverted, _ = ctx.run(*metric)
    expect(converted == original and unconverted != original, "the units make no difference")
    _, err = ctx.run(*metric, "--input-units", "length=kg", status=2)
    expect(err == b'bomreport: --input-units: "kg" is not a unit of length\n', "message %r" % err)


@case
def collation_and_instance_tokens(ctx):
    """P2 before P10 with --collation natural; code units otherwise. The steel
    template shows %ElementID: by default an instance token, and equal parts
    merge; named otherwise, every part keeps its line."""
    details = lambda *args: [r for r in csv_records(ctx.run(*args, "--format", "csv")[0])
                             if r["type"] == "kDetails"]
    binary = [r["%PNum"] for r in details(*POSITIONS, "--collation", "binary")]
    natural = [r["%PNum"] for r in details(*POSITIONS, "--collation", "natural")]
    expect(binary[3:6] == ["P1", "P10", "P11"] and natural[3:6] == ["P1", "P2", "P3"] and
           sorted(binary) == sorted(natural), "binary %r, natural %r" % (binary, natural))
    parts = steel_parts(ctx, {1, 2, 3})
    merged = details(*STEEL, "--merge-equal")
    expect(len(merged) == len({(p["%MNum"], p["%PNum"], p["%Phase"]) for p in parts}) and
           all(r["%ElementID"] == "" for r in merged), "%d merged lines" % len(merged))
    expect(len(details(*STEEL, "--merge-equal", "--instance-tokens", "Grid")) == len(parts),
           "parts merged")


# --- First run, warnings ------------------------------------------------------------------

@case
def first_run(ctx):
    """The README's first command prints the example's position list; a bare
    command prints a usage whose example runs as shown."""
    with open(os.path.join(ctx.source, "README.md"), encoding="utf-8") as f:
        commands = [line.split("&& ")[-1].split() for line in f.read().splitlines()
                    if line.startswith("scripts/install-deps.sh && ")]
    commands = [c for c in commands if c[0] == "build/tools/bomreport/bomreport"]
    expect(len(commands) == 1, "no README command running bomreport")
    in_source = lambda args: [os.path.join(ctx.source, a) if a.startswith("examples/") else a
                              for a in args]
    out, err = ctx.run(*in_source(commands[0][1:]))
    expect(err == b"", "unexpected standard error: %r" % err)
    ctx.golden("position-list.txt", out)
    usage, _ = ctx.run()
    example = [l for l in usage.decode("utf-8").splitlines() if l.startswith("  bomreport ")]
    expect(len(example) == 1, "no example in the usage: %r" % usage)
    shown, _ = ctx.run(*in_source(example[0].split()[1:]))
    expect(shown.count(b"\n  Details") == 16, "the usage's example gives no position list")


def section(kind, tuples, *children):
    """A template section as JSON text."""
    text = '{"type": "%s", "tuples": %s' % (kind, json.dumps(tuples))
    return text + (', "children": [%s]}' % ", ".join(children) if children else "}")


PNUM = [section("kDetails", [["%PNum", ""]])]
# The traps a user falls into that must never pass in silence: (what, template
# sections under the root, parts as CSV text, arguments, exit status, words of
# standard error[, lines of the text report]). "{steel}" stands for the
# example parts.
def listing(details, footer, columns=None, header=()):
    """A report header with `details` below it and a report footer of `footer`."""
    root = [section("kReportHeader", list(header), section("kDetails", details)),
            section("kReportFooter", footer)]
    return root + ([] if columns is None else ['"columns": ' + json.dumps(columns)])


TRAPS = [
    ("fifteen decimals, as many as a double holds",
     listing([["%PNum", ""], ["R", 0.0]], [], {"R": {"decimals": 15}}),
     "%PNum,R\nA,0.1\nB,2.123456789012345678\n", [], 0, [],
     ["  Details      PNum A   R 0.100000000000000", "  Details      PNum B   R 2.123456789012350"]),
    ("reals summed past the largest double",
     listing([["%PNum", ""], ["R", 0.0]], [["%SumBy:R", 0.0]]), "%PNum,R\nA,1e308\nB,1e308\n",
     [], 2, ['the sum of "R" in the kReportFooter (t.json:', "could pass the largest number"]),
    ("integers and reals summed past 32 bits",
     listing([["%PNum", ""], ["Cnt", 0]], [["%SumBy:Cnt", 0]]),
     "%PNum,Cnt\nA,2147483648\nB,1\nC,1\n", [], 2,
     ["adds integers and reals", "add up to 2147483650, beyond the 32-bit integers"]),
    ("a length converted past the largest double",
     listing([["%PNum", ""], ["%Length", 0.0]], []), "%PNum,%Length\nA,1.7e308\n",
     ["--input-units", "length=m"], 2, ["part 1: %Length is beyond the largest number"]),
    ("figures in the phase keep phases apart",
     listing([["%SortAscBy:%Phase", ""], ["%PNum", ""], ["%QuantityInPhase", 0],
              ["%WeightInPhase", 0.0]], [["%SumBy:%WeightInPhase", 0.0]]),
     "%PNum,%Phase,%Weight\nP1,1,100\nP1,2,100\nP1,2,100\n", ["--merge-equal"], 0, [],
     ["  Details      PNum P1   QuantityInPhase 1   WeightInPhase [kg] 100",
      "  Details      PNum P1   QuantityInPhase 2   WeightInPhase [kg] 200",
      "Report footer  \u03a3 WeightInPhase [kg] 300"]),
    ("a row's ...InModel is its own part's",
     listing([["%PNum", ""], ["%ElementID", ""], ["%WeightInModel", 0.0]],
             [["%SumBy:%WeightInModel", 0.0]]),
     "%PNum,%ElementID,%Weight\nP1,E1,100\nP1,E2,100\n", [], 0, [],
     ["  Details      PNum P1   ElementID E1   WeightInModel [kg] 100",
      "Report footer  \u03a3 WeightInModel [kg] 200"]),
    ("lengths that print alike merge",
     listing([["%PNum", ""], ["%Quantity", 0], ["%Length", 0.0], ["%WeightInModel", 0.0]],
             [["%SumBy:%Quantity", 0], ["%SumBy:%WeightInModel", 0.0]], {"%Length": {"decimals": 0}}),
     "%PNum,%Length,%Weight\nP1,2653.999,59.4\nP1,2654.0004,59.4\nP1,2654,59.4\n",
     ["--merge-equal"], 0,
     ['parts.csv: 2 parts were merged with equal parts whose "%Length" differs only below the '
      'shown precision (by at most 0.0014 mm)'],
     ["Report footer  \u03a3 Quantity 3   \u03a3 WeightInModel [kg] 178.2"]),
    ("decimals follow the unit, and say what they hide",
     listing([["%PNum", ""], ["%Length", 0.0], ["%Weight", 0.0]], [],
             {"%Length": {"decimals": 0}, "%Weight": {"decimals": {"t": 2}}}),
     "%PNum,%Length,%Weight\nP12,250,1.962\n", ["--units", "length=m,weight=t"], 0,
     ['the column "%Weight" shows 2 decimals in t, so 1 part\'s non-zero value shows as 0 '
      '(the smallest: 0.00196 t); give it more decimals, for instance "decimals": {"t": 3}'],
     ["  Details      PNum P12   Length [m] 0.250   Weight [t] 0.00"]),
    ("a value a part lacks is blank and out of the sums",
     listing([["%PNum", ""], ["%Weight", 0.0]], [["%SumBy:%Weight", 0.0]]),
     "%PNum,%Weight\nA,10\nB,\n", [], 0,
     ['1 part of the report has no "%Weight" in parts.csv: the sums leave it out'],
     ["  Details      PNum B   Weight [kg]", "Report footer  \u03a3 Weight [kg] 10"]),
    ("one rounding in every format",
     listing([["%PNum", ""], ["%Weight", 0.0]], [], {"%Weight": {"decimals": 1}}),
     "%PNum,%Weight\nA,2187.648\nB,13747.152\n", [], 0, [],
     ["  Details      PNum A   Weight [kg]  2187.6", "  Details      PNum B   Weight [kg] 13747.2"]),
    ("a group footer inside its header",
     [section("kGroupHeader", [["%GroupBy:%Material", ""], ["%SortAscBy:%Material", ""]],
              section("kDetails", [["%PNum", ""]]), section("kGroupFooter", [["%SumBy:%Weight", 0.0]]))],
     "{steel}", [], 0,
     ["the kGroupFooter section is the second child of the kGroupHeader, so it closes the "
      "kDetails level", "make the kGroupFooter the kGroupHeader's next sibling"]),
    ("weights of one assembly and of all",
     [section("kGroupHeader", [["%GroupBy:%MNum", ""], ["%MNum", ""], ["%MQuantity", 0]],
              section("kDetails", [["%SortAscBy:%PNum", ""], ["%PNum", ""],
                                   ["%QuantityInAllAssembly", 0], ["%WeightInAssembly", 0.0],
                                   ["%WeightInAllAssembly", 0.0]])),
      section("kGroupFooter", [["%SumBy:%WeightInAssembly", 0.0]])],
     "%MNum,Assembly,%PNum,%Weight\nC1,a1,P1,10\nC1,a1,P2,5\nC1,a2,P1,10\nC1,a2,P2,5\n",
     ["--merge-equal"], 0, [],
     ["Group header  MNum C1   MQuantity 2",
      "  Details     PNum P1   QuantityInAllAssembly 2   WeightInAssembly [kg] 10   "
      "WeightInAllAssembly [kg] 20",
      "Group footer  \u03a3 WeightInAssembly [kg] 15"]),
    ("repeated lines leave rows out of the sums",
     [section("kGroupHeader", [["%GroupBy:%Material", ""], ["%Material", ""]],
              section("kGroupHeader", [["%GroupBy:%Name", ""], ["%Name", ""]],
                      section("kDetails", [["%PNum", ""], ["%Weight", 0.0]])),
              section("kGroupFooter", [["%SumBy:%Weight", 0.0]])),
      section("kReportFooter", [["%SumBy:%Weight", 0.0]])],
     "{steel}", [], 0,
     ['t.json:1: the sums of "%Weight" leave out 124 rows', "223.35 kg of it is in no total",
      "(--merge-equal)", 't.json:1: the groups of "%Material" come apart',
      'add "%SortAscBy:%Material"']),
    ("directives that are not", [section(
        "kGroupHeader", [["%FilterBy: 1;2 3x", ""], ["GroupBy:%Material", ""],
                         ["%groupBy:%PNum", ""], ["%SortBy:", ""], ["%PNum", ""]],
        section("kDetails", [["%PNum", ""]]), section("kGroupFooter", []),
        section("kGroupFooter", []))],
     "{steel}", [], 0,
     ['the piece "1;23x", which is not a whole number', 'it does not begin with "%"',
      "directives are case-sensitive", 'there is no directive "%SortBy:"',
      "(a third child or later) is never evaluated"]),
    ("a sum where a group opens, details with sections below",
     [section("kGroupHeader", [["%GroupBy:%Material", ""], ["%SumBy:%Weight", 0.0]],
              section("kDetails", [["%Material", ""]], section("kDetails", [["%PNum", ""]])))],
     "{steel}", [], 0,
     ['the sum "%SumBy:%Weight" stands in a kGroupHeader section, which opens a group',
      "the kDetails section has sections below it, so it is not the deepest level"]),
    ("a quantity sum past 32 bits",
     [section("kReportHeader", [], section("kDetails", [["%PNum", ""], ["%Quantity", 0]])),
      section("kReportFooter", [["%SumBy:%Quantity", 0]])],
     "%PNum,%Quantity\nA,2000000000\nB,2000000000\n", ["--merge-equal"], 2,
     ['the sum of "%Quantity" in the kReportFooter (t.json:1) for all parts would be 4000000000']),
    ("a quantity below 1",
     [section("kReportHeader", [], section("kDetails", [["%PNum", ""], ["%Quantity", 0]])),
      section("kReportFooter", [["%SumBy:%Quantity", 0]])],
     "%PNum,%Quantity\nA,2\nB,0\nC,-3\n", [], 0,
     ['parts.csv: 2 parts have a "%Quantity" below 1 (the first, part 2 with the handle "2", '
      'has 0)']),
    ("parts without a type under a filter",
     [section("kReportHeader", [["%FilterBy: 1", ""]], section("kDetails", [["%PNum", ""]]))],
     "#type,%PNum\n1,A\n,B\n3,C\n", [], 0,
     ["parts.csv: 1 part has no object type, and a part without one is always kept: the "
      "template's filter (object types 1) leaves it in the report"]),
    ("a handle twice",
     PNUM, "#handle,%PNum\nH0,Z\nH1,A\nH2,B\nH1,C\nH2,D\nH1,E\n", [], 0,
     ['parts.csv: 3 parts have the handle of an earlier part (the first: "H1"): a model object '
      "listed twice counts twice in every total"]),
    ("merged quantities past 32 bits", PNUM, "%PNum,%Quantity\nA,2000000000\nA,2000000000\n",
     ["--merge-equal"], 2, ['the "%Quantity" of the parts equal to "1" would be 4000000000']),
    ("a group's sum below -2^31",
     [section("kGroupHeader", [["%GroupBy:%Material", ""], ["%Material", ""]],
              section("kDetails", [["%PNum", ""], ["Stock", 0]])),
      section("kGroupFooter", [["%SumBy:Stock", 0]])],
     "%Material,%PNum,Stock\nS235,A,5\nS355,B,-2000000000\nS355,C,-2000000000\n", [], 2,
     ['the sum of "Stock" in the kGroupFooter (t.json:1) for the group %Material "S355" would be '
      '-4000000000']),
    ("a per-piece sum and a mixed sum",
     [section("kReportHeader", [], section("kDetails", [["%ElementID", ""], ["%Weight", 0.0],
                                                        ["Cost", 0]])),
      section("kReportFooter", [["%SumBy:%Weight", 0.0], ["%SumBy:Cost", 0]])],
     "%ElementID,%Quantity,%Weight,Cost\nA,4,1.5,1\nB,1,2,1.5\nC,1,1,\"2,5\"\n", [], 0,
     ['but 1 row stands for several pieces', 'sum "%WeightInModel"',
      'the parts hold "Cost" as an integer in 1 row and as a real in 1 row',
      'the parts hold "Cost" as a text in 1 row (such as "2,5"): a sum adds numbers only']),
    ("no parts", PNUM, None, [], 0,
     ["the engine's built-in sample data set", "give the parts with --data"]),
    ("an unknown extension", PNUM, "{steel}", ["-o", "list.xls"], 2,
     ["list.xls: its extension names no report format"]),
    ("a format in capitals", PNUM, "{steel}", ["--format", "PDF", "--paper", "A3", "-o", "x.pdf"],
     0, []),
    ("more than the input size limit", PNUM, "%PNum\n" + "A\n" * 600000,
     ["--data", "-", "--max-input-size", "1M"], 2, ["more than the input size limit of 1 MiB"]),
    ("a small gzip that inflates past the limit", PNUM,
     gzip.compress(b"%PNum\n" + b"A\n" * 600000), ["--data", "-", "--max-input-size", "1M"], 2,
     ["standard input:524287: decompresses to more than the input size limit of 1 MiB"]),
]


@case
def traps(ctx):
    """Every trap is refused or warned of, on standard error; --strict turns
    a warning into exit 2 with nothing written."""
    steel = os.path.join(ctx.examples, "steel-parts.csv")
    for what, sections, parts, args, status, words, *shown in TRAPS:
        columns = "".join(s + ", " for s in sections if s.startswith('"columns"'))
        children = [s for s in sections if not s.startswith('"columns"')]
        ctx.write("t.json", '{%s"children": [%s]}' % (columns, ", ".join(children)))
        piped = "-" in args
        data = steel if parts == "{steel}" else ctx.write("parts.csv", parts) if parts else None
        base = ["--template", "t.json"] + (["--data", data] if data and not piped else [])
        out, err = ctx.run(*(base + args), status=status,
                           stdin=(parts if isinstance(parts, bytes) else parts.encode()) if piped
                           else None)
        for word in words:
            expect(word.encode() in err, "%s: no %r in %r" % (what, word, err))
        for line in shown[0] if shown else []:
            expect(line.encode() in out.splitlines(), "%s: no line %r in %r" % (what, line, out))
        if status == 0 and words:
            ctx.run(*(base + args + ["--strict", "-o", "s.txt"]), status=2)
            expect(not ctx.exists("s.txt"), what + ": written")


@case
def exact_and_defused_cells(ctx):
    """Numbers of the file's own columns are written exactly; texts a
    spreadsheet would run as formulas are defused in CSV unless --csv-raw."""
    ctx.write("t.json", '{"children": [%s]}' % section(
        "kDetails", [["%PNum", ""], ["Cost", 0.0]]))
    ctx.write("p.csv", '%PNum,Cost\n"=HYPERLINK(""x"")",1234567.891\n-3,0.1\n')
    out, _ = ctx.run("--template", "t.json", "--data", "p.csv", "--format", "csv")
    expect(b'"\'=HYPERLINK(""x"")",1234567.891' in out and b"\n0,kDetails,-3,0.1" in out, out)
    out, _ = ctx.run("--template", "t.json", "--data", "p.csv", "--format", "csv", "--csv-raw")
    expect(b'"=HYPERLINK(""x"")",1234567.891' in out, out)
    out, _ = ctx.run("--template", "t.json", "--data", "p.csv", "--format", "json")
    expect(b'["Cost", 1234567.891,' in out, out)


# Reals that a rounding of a rounded text would show otherwise, with the
# digits each shows at 1 decimal; a part without a weight shows nothing.
AGREEING = [("A", "2187.648", "2187.6"), ("B", "13747.152", "13747.2"), ("C", "0.2549", "0.3"),
            ("D", "", None)]


@case
def formats_agree(ctx):
    """Text, HTML, PDF and XLSX show the same digits, rounded once from the
    exact value; CSV and JSON hold that value, or nothing for a missing one."""
    ctx.write("t.json", '{"columns": {"%%Weight": {"decimals": 1}}, "children": [%s]}' % section(
        "kReportHeader", [["Title", "Agreement"]], section("kDetails", [["%PNum", ""], ["%Weight", 0.0]])))
    ctx.write("p.csv", "%PNum,%Weight\n" + "".join("%s,%s\n" % (p, w) for p, w, _ in AGREEING))
    for name in ("a.txt", "a.html", "a.pdf", "a.xlsx", "a.csv", "a.json"):
        ctx.run("--template", "t.json", "--data", "p.csv", "-o", name)
    text = ctx.read("a.txt").decode("utf-8")
    html = ctx.read("a.html").decode("utf-8")
    pdf = subprocess.run(["pdftotext", "-layout", os.path.join(ctx.work, "a.pdf"), "-"],
                         capture_output=True, check=True).stdout.decode("utf-8")
    import openpyxl
    sheet = openpyxl.load_workbook(os.path.join(ctx.work, "a.xlsx")).active
    cells = {row[0].value: row[1] for row in sheet.iter_rows() if row[0].value in ("A", "B", "C", "D")}
    records = {r["%PNum"]: r["%Weight"] for r in csv_records(ctx.read("a.csv")) if r["%PNum"]}
    tuples = dict(re.findall(r'\["%PNum", "(\w)"\], \["%Weight", ([^,\]]*)',
                             ctx.read("a.json").decode("utf-8")))
    for part, exact, shown in AGREEING:
        line = [l for l in text.splitlines() if "PNum %s " % part in l + " "]
        expect(line and (line[0].endswith(" " + shown) if shown else line[0].endswith("[kg]")),
               "text %s: %r" % (part, line))
        cell = cells[part]
        expect((cell.value is None) if shown is None else
               ("%.1f" % cell.value == shown and cell.number_format.endswith("0.0")),
               "xlsx %s: %r %r" % (part, cell.value, cell.number_format))
        expect(records[part] == exact and tuples[part] == (exact or "null"),
               "csv/json %s: %r %r" % (part, records[part], tuples[part]))
        if shown:
            expect(">%s<" % shown in html and shown in pdf, "html/pdf %s" % shown)
    expect("2187.7" not in text + html + pdf and "13747.1" not in text + html + pdf,
           "a rounded text rounded again")
    expect("Agreement" in text and "Agreement" in html and "Agreement" in pdf, "title")
    # Every count of decimals: text and HTML show the same digits, as many as asked.
    for decimals in range(16):
        ctx.write("t.json", '{"columns": {"%%Weight": {"decimals": %d}}, "children": [%s]}' % (
            decimals, section("kDetails", [["%PNum", ""], ["%Weight", 0.0]])))
        for name in ("d.txt", "d.html"):
            ctx.run("--template", "t.json", "--data", "p.csv", "-o", name)
        shown = re.findall(r"Weight \[kg\] +(\S+)", ctx.read("d.txt").decode("utf-8"))
        cells = re.findall(r'<td class="num">([^<]*)</td>', ctx.read("d.html").decode("utf-8"))
        digits = [len(t.split(".")[1]) if "." in t else 0 for t in shown]
        expect(shown == cells and len(shown) == 3 and digits == [decimals] * 3,
               "decimals %d: text %r, html %r" % (decimals, shown, cells))


TYPO_TEMPLATE = """{"children": [{"type": "kReportHeader", "tuples": [["%FilterBy: 1, 2, 3, 4", ""]],
  "children": [{"type": "kGroupHeader", "tuples": [["%GroupBy:%MNumm", ""], ["%MNum", ""]],
    "children": [{"type": "kDetails", "tuples": [["%PNum", ""], ["%Wieght", 0.0]]}]},
   {"type": "kGroupFooter", "tuples": [["%SumBy:%Wieght", 0.0]]}]}],
  "columns": {"%Weight": {"caption": "Weight/pc"}}}"""


@case
def help_examples_run(ctx):
    """The five worked examples --help ends with run as written, warning of nothing."""
    out, _ = ctx.run("--help")
    commands = [line.split()[1:] for line in out.decode().partition("\nExamples:\n")[2].splitlines()
                if line.lstrip().startswith("bomreport ")]
    expect(len(commands) == 5, "%d examples" % len(commands))
    os.symlink(ctx.examples, os.path.join(ctx.work, "examples"))
    for args in commands:
        _, err = ctx.run(*args)  # (LeakSanitizer may add its statistics)
        expect(b"bomreport:" not in err, "%s: %r" % (" ".join(args), err))


@case
def warnings_and_strict(ctx):
    """Typos, a filter that keeps nothing and an unknown setting are warned
    of; --strict makes them an error and writes nothing."""
    ctx.write("typo.json", TYPO_TEMPLATE)
    typo = ["--template", "typo.json", "--data", "{ex}/steel-parts.csv"]
    out, err = ctx.run(*typo, "--setting", "C0_BOMSupressLastZeros=0")
    expect(out != b"", "warnings stop no report")
    expect(err == b'bomreport: warning: --setting: no part of the system reads the setting '
                  b'"C0_BOMSupressLastZeros" (did you mean "C0_BOMSuppressLastZeros"?)\n'
                  b'bomreport: warning: typo.json:5: "columns" names "%Weight", which no tuple '
                  b'of the template has, so its caption and decimals show nowhere; write the '
                  b'token as the template\'s tuples do, or remove the entry\n'
                  b'bomreport: warning: no part of steel-parts.csv has the template\'s token '
                  b'"%MNumm" (did you mean "%MNum"?)\n'
                  b'bomreport: warning: no part of steel-parts.csv has the template\'s token '
                  b'"%Wieght" (did you mean "%Weight"?)\n', "warnings: %r" % err)
    out, err = ctx.run(*typo, "--strict", "-o", "r.txt", status=2)
    expect(out == b"" and not ctx.exists("r.txt"), "output written")
    expect(err.endswith(b"bomreport: --strict: 3 warnings, nothing written\n"), "%r" % err)
    # The default template over the example: its filter keeps none of the parts.
    out, err = ctx.run("--data", "{ex}/steel-parts.csv")
    expect(b"the template's filter keeps object types 0, and none of the 310 parts of "
           b"steel-parts.csv is of those types (they are of types 1, 2, 3, 4, 6)" in err,
           "no warning of the filter: %r" % err)
    _, err = ctx.run(*POSITIONS, "--strict")
    expect(err == b"", "the example warns: %r" % err)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--list", action="store_true")
    parser.add_argument("--bin")
    parser.add_argument("--source")
    parser.add_argument("--work")
    parser.add_argument("--case")
    parser.add_argument("--update", action="store_true")
    parser.add_argument("--sanitized", action="store_true", help="skip memory bounds")
    args = parser.parse_args()
    if args.list:
        print("\n".join(sorted(CASES)))
        return 0
    work = os.path.join(os.path.abspath(args.work), args.case)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    ctx = Context(os.path.abspath(args.bin), os.path.abspath(args.source), work, args.update,
                  args.sanitized)
    try:
        CASES[args.case](ctx)
    except Failure as failure:
        print("FAILED %s: %s" % (args.case, failure))
        return 1
    shutil.rmtree(work, ignore_errors=True)
    print("passed " + args.case)
    return 0


if __name__ == "__main__":
    sys.exit(main())
