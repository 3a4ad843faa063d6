#!/usr/bin/env python3
"""End-to-end tests of the bomreport binary.

Each case runs the built binary in a fresh directory and checks its exit
status, its standard error and its output, mostly against reviewed files in
golden/. Usage:

  bomreport_test.py --list
  bomreport_test.py --bin BOMREPORT --source SOURCE_DIR --work WORK_DIR --case NAME
  bomreport_test.py ... --case NAME --update     (rewrite the golden files of NAME)

A case that cannot run here (no Chromium for the HTML print) exits with 77,
which CTest counts as skipped.
"""

import argparse
import csv
import datetime
import gzip
import io
import json
import os
import re
import shutil
import stat
import subprocess
import sys
import tempfile
import threading
import time

from report_table import (Table, check_pdf_pages, check_xlsx_cells, expected_level,
                          outline_levels, pdf_info, pdf_pages, read_json_report)

CASES = {}
# What a run of bomreport takes besides its input (code, buffers, and the
# libraries of the XLSX and PDF writers, about 7 MB resident): for memory bounds.
BASE_MEMORY = 24 << 20
# GNU time measures the peak memory of a run.
GNU_TIME = next((path for path in ("/usr/bin/time", "/bin/time") if os.access(path, os.X_OK)),
                None)


def case(function):
    CASES[function.__name__] = function
    return function


class Failure(Exception):
    pass


class Skip(Exception):
    """The case cannot run on this machine."""


SKIPPED = 77


class Context:
    def __init__(self, binary, source, work, update, sanitized=False):
        self.binary = binary
        self.source = source
        self.work = work
        self.update = update
        self.sanitized = sanitized
        self.peak = 0  # bytes, the largest resident set of the measured runs
        self.last_peak = 0  # bytes, that of the last measured run
        self.examples = os.path.join(source, "examples")
        self.data = os.path.join(source, "tests", "tools", "data")
        self.golden_dir = os.path.join(source, "tests", "tools", "golden")

    def run(self, *args, status=0, stdin=None, measure=False):
        """Runs bomreport in the work directory; returns (stdout, stderr) as bytes.
        With `measure`, records its peak memory for expect_memory (through GNU
        time: measuring from here would count this process's memory too)."""
        command = [self.binary] + list(args)
        measuring = measure and self.memory_checked()
        rss_file = os.path.join(self.work, ".peak-rss")
        if measuring:
            command = [GNU_TIME, "-f", "%M", "-o", rss_file] + command
        result = subprocess.run(command, cwd=self.work, input=stdin,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=600)
        if measuring:
            with open(rss_file) as f:
                self.last_peak = int(f.read().split()[-1]) * 1024
                self.peak = max(self.peak, self.last_peak)
            os.remove(rss_file)
        if result.returncode != status:
            raise Failure("bomreport %s: exit status %d, expected %d\nstderr: %s" %
                          (" ".join(args), result.returncode, status,
                           result.stderr.decode("utf-8", "replace")))
        return result.stdout, result.stderr

    def write(self, name, content):
        path = os.path.join(self.work, name)
        with open(path, "wb") as f:
            f.write(content.encode("utf-8") if isinstance(content, str) else content)
        return name

    def read(self, name):
        with open(os.path.join(self.work, name), "rb") as f:
            return f.read()

    def golden(self, name, actual):
        """Compares `actual` (bytes) with golden/NAME, or rewrites it with --update."""
        path = os.path.join(self.golden_dir, name)
        if self.update:
            with open(path, "wb") as f:
                f.write(actual)
            return
        with open(path, "rb") as f:
            expected = f.read()
        if actual != expected:
            got = os.path.join(self.work, "actual-" + name)
            with open(got, "wb") as f:
                f.write(actual)
            raise Failure("output differs from golden/%s (actual output in %s)" % (name, got))

    def memory_checked(self):
        """Not under the sanitizers, whose shadow memory and quarantine inflate
        the figures, nor without GNU time."""
        return not self.sanitized and GNU_TIME is not None

    def expect_memory(self, input_bytes, factor):
        """The largest resident set of the measured runs of this case stays
        within `factor` times the input plus the program's own."""
        if not self.memory_checked():
            return
        expect(self.peak > 0, "no run was measured")
        limit = factor * input_bytes + BASE_MEMORY
        expect(self.peak <= limit, "peak memory %.1f MB for %.1f MB of input, limit %.1f MB" %
               (self.peak / 1e6, input_bytes / 1e6, limit / 1e6))

    def steel(self, *args):
        return ("--template", os.path.join(self.examples, "steel-template.json"),
                "--data", os.path.join(self.examples, "steel-parts.csv")) + args


def expect(condition, message):
    if not condition:
        raise Failure(message)


# --- The formats on the examples ------------------------------------------------

def format_case(fmt, golden_name):
    def check(ctx):
        out, err = ctx.run(*ctx.steel("--format", fmt, "--date", "2026-01-31"))
        expect(err == b"", "unexpected standard error: %r" % err)
        ctx.golden(golden_name, out)
    check.__name__ = "steel_" + fmt
    return case(check)


format_case("text", "steel.txt")
format_case("list", "steel.list")
format_case("csv", "steel.csv")
format_case("json", "steel.json")
format_case("html", "steel.html")


@case
def steel_json_parts(ctx):
    """The JSON parts file describes the same structure as the CSV one."""
    out, _ = ctx.run("--template", os.path.join(ctx.examples, "steel-template.json"),
                     "--data", os.path.join(ctx.examples, "steel-parts.json"))
    ctx.golden("steel.txt", out)


@case
def steel_html_is_self_contained(ctx):
    out, _ = ctx.run(*ctx.steel("--format", "html"))
    page = out.decode("utf-8")
    expect(page.startswith("<!DOCTYPE html>") and page.endswith("</html>\n"), "not a whole page")
    for forbidden in ("<script", "<link", "src=", "url(", "http:", "https:"):
        expect(forbidden not in page, "the page refers to something outside: " + forbidden)
    # Every text is escaped: the only '<' and '&' are those of markup and entities.
    text = re.sub(r"<[^<>]*>", "", page.split("<body>")[1])
    expect("<" not in text and ">" not in text, "unescaped angle bracket in a text")
    expect(re.search(r"&(?!amp;|lt;|gt;|quot;|#39;|middot;)", text) is None, "unescaped &")


@case
def escaping(ctx):
    """Texts with markup, quotes and separators come out escaped in every format."""
    ctx.write("parts.csv", '%Name,%FreeRemark,Count,Ratio,Code\n'
                           '"<b>&amp;</b>","say ""hi"", then\ngo",1,0.5,x\n')
    template = os.path.join(ctx.data, "echo-template.json")
    html, _ = ctx.run("--template", template, "--data", "parts.csv", "--format", "html")
    expect(b"<td>&lt;b&gt;&amp;amp;&lt;/b&gt;</td>" in html, "html does not escape markup")
    expect(b"say &quot;hi&quot;, then\ngo" in html, "html does not escape quotes")
    csv_out, _ = ctx.run("--template", template, "--data", "parts.csv", "--format", "csv")
    expect(csv_out == b'depth,type,%Name,%FreeRemark,Count,Ratio,Code\n'
                      b'0,kDetails,<b>&amp;</b>,"say ""hi"", then\ngo",1,0.5,x\n',
           "csv quoting: %r" % csv_out)
    json_out, _ = ctx.run("--template", template, "--data", "parts.csv", "--format", "json")
    expect(b'["%FreeRemark", "say \\"hi\\", then\\ngo"]' in json_out, "json escaping")


# --- The default run ----------------------------------------------------------------

@case
def default_text(ctx):
    """The default template over the sample data; the data are random, so the
    report is checked for its structure."""
    out, err = ctx.run("--preview")
    expect(err == b"", "unexpected standard error")
    lines = out.decode("utf-8").split("\n")
    expect(lines[-1] == "", "the report does not end with a line feed")
    lines = lines[:-1]
    expect(lines[:2] == ["Report header", "  Group header    PosNum 0"], "head: %r" % lines[:2])
    expect(lines[-2:] == ["  Group footer    \u03a3 Weight [kg] 0", "Report footer"],
           "tail: %r" % lines[-2:])
    inner = lines[2:-2]
    group = ["    Group header  Material 0",
             "      Details     posNum 0   Weight [kg] 0   Material 0",
             "    Group footer  \u03a3 Weight [kg] 0"]
    expect(len(inner) % 3 == 0 and len(inner) >= 12, "%d inner lines" % len(inner))
    for i in range(0, len(inner), 3):
        expect(inner[i:i + 3] == group, "inner group at line %d: %r" % (i + 3, inner[i:i + 3]))


@case
def default_list(ctx):
    out, _ = ctx.run("--format", "list")
    lines = out.decode("utf-8").split("\n")
    expect(lines[:3] == ["[ kBomTemplate ]",
                         " [ kReportHeader][%FilterBy: %Beam , %Plate:]",
                         "  [ kGroupHeader ][%GroupBy:%PosNum:][%SortAscBy:%Material:][%PosNum:0]"],
           "head: %r" % lines[:3])
    expect(lines[-2:] == ["  [ kGroupFooter ][%SumBy:%Weight:0]", " [ kReportFooter]"],
           "tail (list ends without a line feed): %r" % lines[-2:])


@case
def default_trace(ctx):
    out, _ = ctx.run("--trace")
    ctx.golden("default-trace.txt", out)


@case
def default_template_on_parts(ctx):
    """The default template over parts that carry its tokens, with --used."""
    out, _ = ctx.run("--data", os.path.join(ctx.data, "default-parts.csv"), "--used")
    ctx.golden("default-parts-used.txt", out)


# --- Template files -------------------------------------------------------------------

@case
def export_roundtrip(ctx):
    """The default template exported and read back lists exactly like the
    built-in one; exporting it again gives the same file."""
    exported, _ = ctx.run("--export-template")
    ctx.golden("default-template.json", exported)
    ctx.write("exported.json", exported)
    parts = os.path.join(ctx.data, "default-parts.csv")
    builtin, _ = ctx.run("--data", parts, "--format", "list")
    reread, _ = ctx.run("--template", "exported.json", "--data", parts, "--format", "list")
    expect(builtin == reread, "the exported template lists differently")
    expect(builtin.count(b"\n") > 10, "the listing is too short to compare")
    again, _ = ctx.run("--template", "exported.json", "--export-template")
    expect(again == exported, "exporting the exported template changes it")


@case
def example_template_roundtrip(ctx):
    exported, _ = ctx.run("--template", os.path.join(ctx.examples, "steel-template.json"),
                          "--export-template", "-o", "steel.json")
    expect(exported == b"", "-o writes nothing to standard output")
    original, _ = ctx.run(*ctx.steel("--format", "list"))
    reread, _ = ctx.run("--template", "steel.json", "--data",
                        os.path.join(ctx.examples, "steel-parts.csv"), "--format", "list")
    expect(original == reread, "the exported example template evaluates differently")


@case
def deep_template(ctx):
    """1000 nested sections are fine; 1001 are refused."""
    head = '{"children": ['
    level = '{"type": "kGroupHeader", "children": ['

    def nested(depth):
        return (head + level * (depth - 1) + '{"type": "kDetails", "tuples": [["%PNum", ""]]}' +
                "]}" * (depth - 1) + "]}")
    ctx.write("deep.json", nested(1000))
    ctx.write("parts.csv", "%PNum\nP1\n")
    out, _ = ctx.run("--template", "deep.json", "--data", "parts.csv", "--format", "csv")
    expect(out.count(b"\n") == 1001, "expected 1000 items and a header")
    ctx.write("deeper.json", nested(1001))
    _, err = ctx.run("--template", "deeper.json", status=2)
    column = len(head) + 1000 * len(level) + 1  # where the 1001st section opens
    expect(err == b"bomreport: deeper.json:1:%d: sections nested deeper than 1000 levels\n" %
           column, "message: %r" % err)


# --- Parts files ------------------------------------------------------------------------

@case
def csv_rfc4180(ctx):
    """BOM, CRLF, lone CR, quoted separators, doubled quotes, line breaks in a
    field, empty lines and cells, no line break at the end; per-cell types."""
    ctx.write("parts.csv",
              b'\xef\xbb\xbf%Name,%FreeRemark,Count,Ratio,Code\r\n'
              b'"HEA 200","a, b",3,2.5,007\r\n'
              b'\r\n'
              b'"say ""hi""","two\r\nlines",-12,1e3,12x\r'
              b'Gr\xc3\xbc\xc3\x9fe,,2147483648,.5,""\n'
              b'plain,"",+4,-0.25,"x,y"')
    out, _ = ctx.run("--template", os.path.join(ctx.data, "echo-template.json"),
                     "--data", "parts.csv", "--format", "json", "--all-tokens")
    ctx.golden("rfc4180.json", out)


@case
def parts_filter(ctx):
    """Rows of an object type the template does not want are left out; rows
    without a type stay."""
    out, _ = ctx.run("--template", os.path.join(ctx.data, "filter-template.json"),
                     "--data", os.path.join(ctx.data, "filter-parts.csv"))
    ctx.golden("filter.txt", out)


@case
def units_and_settings(ctx):
    template = os.path.join(ctx.data, "units-template.json")
    parts = os.path.join(ctx.data, "units-parts.csv")
    default, _ = ctx.run("--template", template, "--data", parts)
    ctx.golden("units-default.txt", default)
    chosen, _ = ctx.run("--template", template, "--data", parts,
                        "--units", "length=m,weight=t,area=mm2,angle=deg",
                        "--setting", "C0_BOMSuppressLastZeros=0")
    ctx.golden("units-chosen.txt", chosen)


@case
def timings(ctx):
    """--timings adds the phases to standard error; the report is unchanged."""
    plain, _ = ctx.run(*ctx.steel("--format", "csv"))
    timed, err = ctx.run(*ctx.steel("--format", "csv", "--timings"))
    expect(timed == plain, "the report changed with --timings")
    phases = re.findall(rb"^bomreport: timing: (\w+) +\d+\.\d{3} s, peak +\d+ MiB$", err, re.M)
    expect(phases == [b"read", b"merge", b"evaluate", b"write"] and
           len(err.splitlines()) == 4, "stderr: %r" % err)


@case
def input_conveniences(ctx):
    """Parts from standard input (CSV, or JSON by its first character), with a
    semicolon delimiter, and gzip-compressed whatever the name: the same report
    as the example file read directly."""
    template = os.path.join(ctx.examples, "steel-template.json")
    with open(os.path.join(ctx.examples, "steel-parts.csv"), "rb") as f:
        csv_bytes = f.read()
    with open(os.path.join(ctx.examples, "steel-parts.json"), "rb") as f:
        parts_json = f.read()
    expected, _ = ctx.run("--template", template, "--data",
                          os.path.join(ctx.examples, "steel-parts.csv"), "--format", "csv")
    piped, _ = ctx.run("--template", template, "--data", "-", "--format", "csv", stdin=csv_bytes)
    expect(piped == expected, "CSV on standard input differs")
    piped_json, _ = ctx.run("--template", template, "--data", "-", "--format", "csv",
                            stdin=parts_json)
    expect(piped_json == expected, "JSON on standard input differs")
    rows = list(csv.reader(io.StringIO(csv_bytes.decode("utf-8"), newline="")))
    text = io.StringIO(newline="")
    csv.writer(text, delimiter=";", lineterminator="\n").writerows(rows)
    ctx.write("semicolons.csv", text.getvalue())
    semicolons, _ = ctx.run("--template", template, "--data", "semicolons.csv",
                            "--delimiter", ";", "--format", "csv")
    expect(semicolons == expected, "semicolon-delimited parts differ")
    ctx.write("parts.dat", gzip.compress(csv_bytes))
    unzipped, _ = ctx.run("--template", template, "--data", "parts.dat", "--format", "csv")
    expect(unzipped == expected, "gzip-compressed parts differ")
    _, err = ctx.run("--data", "-", "--data-format", "json", status=2, stdin=b"%Pos\n1\n")
    expect(err.startswith(b"bomreport: standard input:1:1: "), "message: %r" % err)


@case
def large_input(ctx):
    """A million parts stream through reading, evaluation and writing."""
    count = 1000000
    path = os.path.join(ctx.work, "big.csv")
    with open(path, "w") as f:
        f.write("#handle,#type,%PNum,%Name,%Quantity,%Weight,Other\n")
        for i in range(count):
            f.write("%d,%d,P%d,HEA%d,1,%d.5,x%d\n" %
                    (i + 1, 1 + i % 3, i % 977, 100 + i % 9, i % 1000, i))
    ctx.write("t.json", '{"children": [{"type": "kDetails", "tuples": [["%PNum", ""]]}]}')
    ctx.run("--template", "t.json", "--data", "big.csv", "--format", "csv", "-o", "out.csv")
    with open(os.path.join(ctx.work, "out.csv"), "rb") as f:
        lines = sum(1 for _ in f)
    expect(lines == count + 1, "%d lines, expected %d" % (lines, count + 1))


# --- Bad input ----------------------------------------------------------------------------

BAD_INPUT = [
    # name, files, arguments, expected message
    ("missing_file", {}, ["--data", "missing.csv"],
     "missing.csv: cannot open: No such file or directory"),
    ("unreadable_file", {"adir/": None}, ["--template", "adir"],
     "adir: cannot read: Is a directory"),
    ("csv_no_header", {"p.csv": "\n\n"}, ["--data", "p.csv"], "p.csv:1: no header row"),
    ("csv_column_count", {"p.csv": "%PNum,%Weight\nP1,1\nP2,2,3\n"}, ["--data", "p.csv"],
     "p.csv:3: expected 2 fields, found 3"),
    ("csv_too_few_columns", {"p.csv": "%PNum,%Weight\nP1\n"}, ["--data", "p.csv"],
     "p.csv:2: expected 2 fields, found 1"),
    ("csv_unclosed_quote", {"p.csv": '%PNum,%Name\nP1,"HEA\n200\n'}, ["--data", "p.csv"],
     "p.csv:2:2: quoted field not closed before the end of the file"),
    ("csv_quote_in_field", {"p.csv": '%PNum,%Name\nP1,HEA"200"\n'}, ["--data", "p.csv"],
     "p.csv:2:2: quote inside an unquoted field"),
    ("csv_text_after_quote", {"p.csv": '%PNum,%Name\n"P1"x,HEA\n'}, ["--data", "p.csv"],
     "p.csv:2:1: unexpected text after a closing quote"),
    ("csv_not_an_integer", {"p.csv": "%PNum,%Quantity\nP1,2\nP2,2.5\n"}, ["--data", "p.csv"],
     'p.csv:3:2: "2.5" is not a 32-bit integer (%Quantity)'),
    ("csv_integer_overflow", {"p.csv": "%Quantity\n2147483648\n"}, ["--data", "p.csv"],
     'p.csv:2:1: "2147483648" is not a 32-bit integer (%Quantity)'),
    ("csv_not_a_number", {"p.csv": '%PNum,%Weight\n"P1","12,5"\n'}, ["--data", "p.csv"],
     'p.csv:2:2: "12,5" is not a number (%Weight)'),
    ("csv_bad_object_type", {"p.csv": "#type,%PNum\nbeam,P1\n"}, ["--data", "p.csv"],
     'p.csv:2:1: "beam" is not an object type (an integer)'),
    ("csv_unknown_reserved", {"p.csv": "#handel,%PNum\n1,P1\n"}, ["--data", "p.csv"],
     'p.csv:1:1: unknown reserved column "#handel" (reserved: #handle, #equal, #type)'),
    ("csv_duplicate_column", {"p.csv": "%PNum,%Name,%PNum\n"}, ["--data", "p.csv"],
     'p.csv:1:3: duplicate column "%PNum"'),
    ("csv_empty_column", {"p.csv": "%PNum,,%Name\n"}, ["--data", "p.csv"],
     "p.csv:1:2: empty column name"),
    ("csv_invalid_utf8", {"p.csv": b"%PNum,%Name\nP1,\xc3(\n"}, ["--data", "p.csv"],
     "p.csv:2:2: invalid UTF-8"),
    ("json_parts_malformed", {"p.json": '[\n  {"handle": "1",}\n]'}, ["--data", "p.json"],
     "p.json:2:18: malformed JSON: syntax error while parsing object key - "
     "unexpected '}'; expected string literal"),
    ("json_parts_not_array", {"p.json": '{"handle": "1"}'}, ["--data", "p.json"],
     "p.json:1:1: unexpected object, expected an array of parts"),
    ("json_parts_wrong_type", {"p.json": '[{"tuples": [["%Weight", "heavy"]]}]'},
     ["--data", "p.json"], "p.json:1:26: a string where %Weight takes a number"),
    ("json_parts_unknown_key", {"p.json": '[{"handel": "1"}]'}, ["--data", "p.json"],
     'p.json:1:3: unknown key "handel"'),
    ("template_malformed", {"t.json": '{"children": [\n  {"type": "kDetails"\n]}'},
     ["--template", "t.json"],
     "t.json:3:1: malformed JSON: syntax error while parsing object - "
     "unexpected ']'; expected '}'"),
    ("template_unknown_type", {"t.json": '{"children": [\n  {"type": "kGroupHeadr"}]}'},
     ["--template", "t.json"], 't.json:2:12: unknown section type "kGroupHeadr"'),
    ("template_scalar", {"t.json": '0'}, ["--template", "t.json"],
     "t.json:1:1: unexpected number, expected a template object"),
    ("json_parts_scalar", {"p.json": '"x"'}, ["--data", "p.json"],
     "p.json:1:1: unexpected string, expected an array of parts"),
    ("template_root_type", {"t.json": '{"type": "kDetails"}'}, ["--template", "t.json"],
     "t.json:1:10: the template root must be of type kBomTemplate"),
    ("template_untyped_section", {"t.json": '{"children": [{"tuples": []}]}'},
     ["--template", "t.json"], 't.json:1:28: section without a "type"'),
    ("template_unknown_key", {"t.json": '{"children": [], "sections": []}'},
     ["--template", "t.json"], 't.json:1:18: unknown key "sections"'),
    ("template_bad_tuple", {"t.json": '{"tuples": [["%PNum"]]}'}, ["--template", "t.json"],
     "t.json:1:21: a tuple must be a [token, value] pair"),
    ("template_bad_value", {"t.json": '{"tuples": [["%PNum", [1]]]}'},
     ["--template", "t.json"],
     "t.json:1:23: unexpected array, expected a value (integer, number, string or null)"),
    ("template_big_integer", {"t.json": '{"tuples": [["%PNum", 4294967296]]}'},
     ["--template", "t.json"], "t.json:1:23: integer value out of the 32-bit range"),
    ("template_unit_type", {"t.json": '{"tokenUnits": [["%Weight", "kMassUnit"]]}'},
     ["--template", "t.json"], 't.json:1:29: unknown token unit type "kMassUnit"'),
    ("template_column_key", {"t.json": '{"columns": {"%Weight": {"decimal": 2}}}'},
     ["--template", "t.json"],
     't.json:1:26: unknown key "decimal" in the column of "%Weight" '
     '(a column has "caption" and "decimals")'),
    ("template_column_decimals", {"t.json": '{"columns": {"%Weight": {"decimals": 16}}}'},
     ["--template", "t.json"], 't.json:1:38: "decimals" must be a whole number from 0 to 15'),
    ("units_unknown_name", {}, ["--units", "length=mm,weight=stone"],
     '--units: unknown unit name "stone"'),
    ("units_wrong_kind", {}, ["--units", "area=kg"], '--units: "kg" is not a unit of area'),
    ("units_unknown_kind", {}, ["--units", "volume=m3"],
     '--units: unknown kind "volume" (length, weight, area or angle)'),
    ("setting_malformed", {}, ["--setting", "C0_BOMSuppressLastZeros=no"],
     '--setting: "C0_BOMSuppressLastZeros=no" is not NAME=INTEGER'),
    ("unknown_format", {}, ["--format", "docx"],
     "--format: docx not in {text,list,csv,json,html,xlsx,pdf} (see bomreport --help)"),
]


# --- Hostile input ------------------------------------------------------------------------
# Files made to break a reader: every one is refused with a message that names
# the place, however large or deep it is. Big contents are made when the case
# runs (a callable), never committed.

MILLION = 1000000


def nested(prefix="", suffix=""):
    """A file of `prefix`, a million nested arrays, `suffix` (made when asked)."""
    return lambda: prefix + "[" * MILLION + "]" * MILLION + suffix


HOSTILE_INPUT = [
    # Invalid UTF-8 and NUL characters, in every place a text can stand.
    ("csv_invalid_utf8_header", {"p.csv": b"%PNum,\xffX\nP1,a\n"}, ["--data", "p.csv"],
     "p.csv:1:2: invalid UTF-8"),
    ("csv_overlong_utf8", {"p.csv": b"%PNum,X\nP1,\xc0\xaf\n"}, ["--data", "p.csv"],
     "p.csv:2:2: invalid UTF-8"),
    ("csv_surrogate_utf8", {"p.csv": b"%PNum,X\nP1,\xed\xa0\x80\n"}, ["--data", "p.csv"],
     "p.csv:2:2: invalid UTF-8"),
    ("csv_truncated_utf8_at_end", {"p.csv": b"%PNum,X\nP1,ab\xe2\x82"}, ["--data", "p.csv"],
     "p.csv:2:2: invalid UTF-8"),
    ("csv_invalid_utf8_object_type", {"p.csv": b"#type,%PNum\n\xff,P1\n"}, ["--data", "p.csv"],
     "p.csv:2:1: invalid UTF-8"),
    ("csv_invalid_utf8_after_line_breaks",
     {"p.csv": b'%PNum,%Name,X\n"P\n1","a\r\nb",\xff\n'}, ["--data", "p.csv"],
     "p.csv:4:3: invalid UTF-8"),
    ("csv_nul_in_cell", {"p.csv": b"%PNum,X\nP1,a\x00b\n"}, ["--data", "p.csv"],
     "p.csv:2:2: NUL character"),
    ("csv_nul_in_header", {"p.csv": b"%PNum,X\x00\nP1,a\n"}, ["--data", "p.csv"],
     "p.csv:1:2: NUL character"),
    ("csv_nul_in_quoted_cell", {"p.csv": b'%PNum,X\nP1,"a\nb\x00"\n'}, ["--data", "p.csv"],
     "p.csv:3:2: NUL character"),
    ("json_invalid_utf8", {"p.json": b'[{"handle": "\xff"}]'}, ["--data", "p.json"],
     "p.json:1:14: malformed JSON: syntax error while parsing value - "
     "invalid string: ill-formed UTF-8 byte"),
    ("json_invalid_utf8_key", {"p.json": b'[{"\xff": 1}]'}, ["--data", "p.json"],
     "p.json:1:4: malformed JSON: syntax error while parsing object key - "
     "invalid string: ill-formed UTF-8 byte; expected string literal"),
    ("json_overlong_utf8", {"p.json": b'[{"handle": "\xc0\xaf"}]'}, ["--data", "p.json"],
     "p.json:1:14: malformed JSON: syntax error while parsing value - "
     "invalid string: ill-formed UTF-8 byte"),
    ("json_surrogate_utf8", {"p.json": b'[{"handle": "\xed\xa0\x80"}]'}, ["--data", "p.json"],
     "p.json:1:15: malformed JSON: syntax error while parsing value - "
     "invalid string: ill-formed UTF-8 byte"),
    ("json_lone_surrogate_escape", {"p.json": '[{"handle": "\\udc00"}]'}, ["--data", "p.json"],
     "p.json:1:19: malformed JSON: syntax error while parsing value - "
     "invalid string: surrogate U+DC00..U+DFFF must follow U+D800..U+DBFF"),
    ("json_truncated_utf8_at_end", {"p.json": b'[{"handle": "ab\xe2\x82'}, ["--data", "p.json"],
     "p.json:1:17: malformed JSON: syntax error while parsing value - "
     "invalid string: ill-formed UTF-8 byte"),
    ("json_nul_escaped", {"p.json": '[{"tuples": [["X", "a\\u0000b"]]}]'}, ["--data", "p.json"],
     "p.json:1:20: NUL character (\\u0000) in a string"),
    ("json_nul_escaped_in_key", {"p.json": '[{"hand\\u0000le": 1}]'}, ["--data", "p.json"],
     "p.json:1:3: NUL character (\\u0000) in a string"),
    ("json_nul_in_string", {"p.json": b'[{"handle": "a\x00"}]'}, ["--data", "p.json"],
     "p.json:1:15: malformed JSON: NUL byte"),
    ("json_nul_after_value", {"p.json": b'[]\x00[{"hendle": 1}]'}, ["--data", "p.json"],
     "p.json:1:3: malformed JSON: NUL byte"),
    ("json_error_before_nul", {"p.json": b'[1]\x00'}, ["--data", "p.json"],
     "p.json:1:2: unexpected number, expected a part object"),
    ("template_invalid_utf8", {"t.json": b'{"tuples": [["%PNum", "\xe2\x82"]]}'},
     ["--template", "t.json"],
     "t.json:1:25: malformed JSON: syntax error while parsing value - "
     "invalid string: ill-formed UTF-8 byte"),
    ("template_invalid_utf8_key", {"t.json": b'{"typ\xc0\xa5": "kBomTemplate"}'},
     ["--template", "t.json"],
     "t.json:1:6: malformed JSON: syntax error while parsing object key - "
     "invalid string: ill-formed UTF-8 byte; expected string literal"),
    ("template_nul_in_token", {"t.json": '{"tuples": [["%PNum\\u0000", ""]]}'},
     ["--template", "t.json"], "t.json:1:14: NUL character (\\u0000) in a string"),
    ("template_nul_byte", {"t.json": b'{"tuples": []}\x00'}, ["--template", "t.json"],
     "t.json:1:15: malformed JSON: NUL byte"),
    # Empty files, byte-order marks, files that end inside a quote or a string.
    ("csv_empty", {"p.csv": ""}, ["--data", "p.csv"], "p.csv:1: no header row"),
    ("csv_only_bom", {"p.csv": b"\xef\xbb\xbf"}, ["--data", "p.csv"], "p.csv:1: no header row"),
    ("csv_ends_in_quote", {"p.csv": '%PNum,X\nP1,"a,\n'}, ["--data", "p.csv"],
     "p.csv:2:2: quoted field not closed before the end of the file"),
    ("json_empty", {"p.json": ""}, ["--data", "p.json"],
     "p.json:1:1: malformed JSON: syntax error while parsing value - "
     "unexpected end of input; expected '[', '{', or a literal"),
    ("json_only_bom", {"p.json": b"\xef\xbb\xbf"}, ["--data", "p.json"],
     "p.json:1:1: malformed JSON: syntax error while parsing value - "
     "unexpected end of input; expected '[', '{', or a literal"),
    ("json_bom_not_counted", {"p.json": b'\xef\xbb\xbf[{"handel": 1}]'}, ["--data", "p.json"],
     'p.json:1:3: unknown key "handel"'),
    ("json_broken_bom", {"p.json": b"\xef\xbb[]"}, ["--data", "p.json"],
     "p.json:1:2: malformed JSON: syntax error while parsing value - "
     "invalid BOM; must be 0xEF 0xBB 0xBF if given"),
    ("json_ends_in_string", {"p.json": '[{"handle": "ab'}, ["--data", "p.json"],
     "p.json:1:16: malformed JSON: syntax error while parsing value - "
     "invalid string: missing closing quote"),
    ("template_empty", {"t.json": ""}, ["--template", "t.json"],
     "t.json:1:1: malformed JSON: syntax error while parsing value - "
     "unexpected end of input; expected '[', '{', or a literal"),
    ("template_ends_in_string", {"t.json": '{"tuples": [["%PNum'}, ["--template", "t.json"],
     "t.json:1:20: malformed JSON: syntax error while parsing value - "
     "invalid string: missing closing quote"),
    # Numbers out of range or in forms the column does not take.
    ("csv_real_overflow", {"p.csv": "%Weight\n1e999\n"}, ["--data", "p.csv"],
     'p.csv:2:1: "1e999" is out of the range of a double (%Weight)'),
    ("csv_real_negative_overflow", {"p.csv": "%Weight\n-1e999\n"}, ["--data", "p.csv"],
     'p.csv:2:1: "-1e999" is out of the range of a double (%Weight)'),
    ("csv_real_huge_exponent", {"p.csv": "%Weight\n1e99999999999999999999\n"},
     ["--data", "p.csv"],
     'p.csv:2:1: "1e99999999999999999999" is out of the range of a double (%Weight)'),
    ("csv_real_nan", {"p.csv": "%Weight\nNaN\n"}, ["--data", "p.csv"],
     'p.csv:2:1: "NaN" is not a number (%Weight)'),
    ("csv_real_infinity", {"p.csv": "%Weight\n-inf\n"}, ["--data", "p.csv"],
     'p.csv:2:1: "-inf" is not a number (%Weight)'),
    ("csv_real_hex", {"p.csv": "%Weight\n0x1p3\n"}, ["--data", "p.csv"],
     'p.csv:2:1: "0x1p3" is not a number (%Weight)'),
    ("csv_integer_hex", {"p.csv": "%Quantity\n0x10\n"}, ["--data", "p.csv"],
     'p.csv:2:1: "0x10" is not a 32-bit integer (%Quantity)'),
    ("csv_integer_beyond_64_bits", {"p.csv": "%Quantity\n-99999999999999999999999\n"},
     ["--data", "p.csv"],
     'p.csv:2:1: "-99999999999999999999999" is not a 32-bit integer (%Quantity)'),
    ("csv_object_type_overflow", {"p.csv": "#type\n4294967297\n"}, ["--data", "p.csv"],
     'p.csv:2:1: "4294967297" is not an object type (an integer)'),
    ("json_number_overflow", {"p.json": '[{"tuples": [["X", 1e999]]}]'}, ["--data", "p.json"],
     "p.json:1:20: number out of the range of a double"),
    ("json_negative_overflow", {"p.json": '[{"tuples": [["X", -1e999]]}]'}, ["--data", "p.json"],
     "p.json:1:20: number out of the range of a double"),
    ("json_integer_beyond_64_bits",
     {"p.json": '[{"tuples": [["%Quantity", 123456789012345678901234567890]]}]'},
     ["--data", "p.json"],
     "p.json:1:28: an integer beyond 32 bits where %Quantity takes a 32-bit integer"),
    ("json_object_type_beyond_64_bits", {"p.json": '[{"type": 99999999999999999999}]'},
     ["--data", "p.json"], "p.json:1:11: the object type must be a 32-bit integer"),
    ("json_hex", {"p.json": '[{"type": 0x10}]'}, ["--data", "p.json"],
     "p.json:1:12: malformed JSON: syntax error while parsing object - "
     "invalid literal; expected '}'"),
    ("json_plus_sign", {"p.json": '[{"type": +1}]'}, ["--data", "p.json"],
     "p.json:1:11: malformed JSON: syntax error while parsing value - invalid literal"),
    ("json_nan", {"p.json": '[{"tuples": [["X", NaN]]}]'}, ["--data", "p.json"],
     "p.json:1:20: malformed JSON: syntax error while parsing value - invalid literal"),
    ("template_integer_beyond_64_bits",
     {"t.json": '{"tuples": [["%PNum", 18446744073709551616]]}'}, ["--template", "t.json"],
     "t.json:1:23: integer value out of the 32-bit range"),
    ("template_number_overflow", {"t.json": '{"tuples": [["%PNum", 2e308]]}'},
     ["--template", "t.json"], "t.json:1:23: number out of the range of a double"),
    # A million of something: nested arrays and objects, fields in a row.
    ("json_parts_deep_arrays", {"p.json": nested()}, ["--data", "p.json"],
     "p.json:1:2: unexpected array, expected a part object"),
    ("json_parts_deep_objects", {"p.json": lambda: '{"a":' * MILLION + "1" + "}" * MILLION},
     ["--data", "p.json"], "p.json:1:1: unexpected object, expected an array of parts"),
    ("json_parts_deep_in_tuples", {"p.json": nested('[{"tuples": [', "]}]")},
     ["--data", "p.json"], "p.json:1:15: unexpected array, expected a token string"),
    ("json_parts_deep_in_equal", {"p.json": nested('[{"equal": ', "}]")}, ["--data", "p.json"],
     "p.json:1:13: unexpected array, expected a handle (string or integer)"),
    ("template_deep_in_tuple_value", {"t.json": nested('{"tuples": [["%PNum", ', "]]}")},
     ["--template", "t.json"],
     "t.json:1:23: unexpected array, expected a value (integer, number, string or null)"),
    ("template_deep_in_children", {"t.json": nested('{"children": ', "}")},
     ["--template", "t.json"], "t.json:1:15: unexpected array, expected a section object"),
    ("template_deep_in_unknown_key", {"t.json": nested('{"layout": ', "}")},
     ["--template", "t.json"], 't.json:1:2: unknown key "layout"'),
    ("template_deep_sections",
     {"t.json": lambda: '{"children": [' + '{"type": "kGroupHeader", "children": [' * MILLION +
      "]}" * MILLION + "]}"},
     ["--template", "t.json"],
     "t.json:1:38015: sections nested deeper than 1000 levels"),
    ("csv_million_fields_in_a_row", {"p.csv": lambda: "%PNum\n" + "," * MILLION + "\n"},
     ["--data", "p.csv"], "p.csv:2: expected 1 fields, found 1000001"),
]

def bad_input_case(name, files, args, message):
    def check(ctx):
        for file_name, content in files.items():
            if file_name.endswith("/"):
                os.mkdir(os.path.join(ctx.work, file_name))
            else:
                ctx.write(file_name, content() if callable(content) else content)
        out, err = ctx.run(*(args + ["-o", "report.txt"]), status=2)
        expect(err.decode("utf-8") == "bomreport: " + message + "\n",
               "message: %r\nexpected: %r" % (err.decode("utf-8"), "bomreport: " + message))
        expect(out == b"", "something was written to standard output")
        leftovers = sorted(set(os.listdir(ctx.work)) - set(f.rstrip("/") for f in files))
        expect(leftovers == [], "files left behind: %r" % leftovers)
    check.__name__ = "bad_" + name
    return case(check)


for entry in BAD_INPUT + HOSTILE_INPUT:
    bad_input_case(*entry)


# Generated hostile files: large ones are made here, never committed. Each case
# also bounds the memory a run takes by a small multiple of its input.

HUGE = 20 << 20  # bytes in a huge field or name


def write_template(ctx, *tokens):
    """A template of one details section that shows `tokens`."""
    tuples = ", ".join("[%s, null]" % json.dumps(token) for token in tokens)
    return ctx.write("t.json", '{"children": [{"type": "kDetails", "tuples": [%s]}]}' % tuples)


def expect_csv_report(ctx, data, expected):
    """Runs t.json over `data` into a CSV report and compares it with
    `expected` without printing either (they may be large)."""
    ctx.run("--template", "t.json", "--data", data, "--format", "csv", "-o", "out.csv",
            measure=True)
    actual = ctx.read("out.csv")
    if actual != expected:
        common = os.path.commonprefix([actual, expected])
        raise Failure("report: %d bytes, expected %d; they differ from byte %d" %
                      (len(actual), len(expected), len(common)))


@case
def huge_csv_cells(ctx):
    """Fields of many megabytes, plain and quoted, come out whole."""
    plain, quoted = b"a" * HUGE, b"b" * HUGE
    ctx.write("p.csv", b"%PNum,X\nP1," + plain + b'\nP2,"' + quoted + b'"\n')
    write_template(ctx, "%PNum", "X")
    expect_csv_report(ctx, "p.csv", b"depth,type,%PNum,X\n0,kDetails,P1," + plain +
                      b"\n0,kDetails,P2," + quoted + b"\n")
    ctx.expect_memory(2 * HUGE, 5)


@case
def huge_json_string(ctx):
    text = b"\xc3\xa4" * (HUGE // 2)  # not ASCII: the slower conversion
    ctx.write("p.json", b'[{"tuples": [["%PNum", "P1"], ["X", "' + text + b'"]]}]')
    write_template(ctx, "%PNum", "X")
    expect_csv_report(ctx, "p.json", b"depth,type,%PNum,X\n0,kDetails,P1," + text + b"\n")
    ctx.expect_memory(HUGE, 7)


@case
def huge_csv_column_name(ctx):
    """A column and a template token of many megabytes meet."""
    name = "N" * HUGE
    write_template(ctx, "%PNum", name)
    ctx.write("p.csv", "%PNum," + name + "\nP1,x\n")
    expect_csv_report(ctx, "p.csv", ("depth,type,%PNum," + name + "\n0,kDetails,P1,x\n").encode())
    ctx.expect_memory(2 * HUGE, 6)


@case
def huge_json_token(ctx):
    name = "N" * HUGE
    write_template(ctx, "%PNum", name)
    ctx.write("p.json", '[{"tuples": [["%PNum", "P1"], ["' + name + '", "x"]]}]')
    expect_csv_report(ctx, "p.json", ("depth,type,%PNum," + name + "\n0,kDetails,P1,x\n").encode())
    ctx.expect_memory(2 * HUGE, 6)


def expect_refused(ctx, args, message):
    _, err = ctx.run(*args, status=2, measure=True)
    expect(err == ("bomreport: " + message + "\n").encode(), "message: %r" % err[:300])


@case
def huge_bad_csv_fields(ctx):
    """A problem at the end of a huge field is told in a short message."""
    ctx.write("p.csv", b"%PNum,X\nP1," + b"a" * HUGE + b"\xe2\x82\n")
    expect_refused(ctx, ["--data", "p.csv"], "p.csv:2:2: invalid UTF-8")
    ctx.write("p.csv", b"%Weight\n" + b"9" * HUGE + b"\n")
    expect_refused(ctx, ["--data", "p.csv"],
                   'p.csv:2:1: "%s..." is out of the range of a double (%%Weight)' % ("9" * 40))
    ctx.write("p.csv", b'%PNum,X\nP1,"' + b"a\n" * (HUGE // 2))
    expect_refused(ctx, ["--data", "p.csv"],
                   "p.csv:2:2: quoted field not closed before the end of the file")
    ctx.expect_memory(HUGE, 3)


@case
def huge_bad_json_fields(ctx):
    ctx.write("p.json", b'[{"tuples": [["X", "' + b"a" * HUGE + b'\xff"]]}]')
    expect_refused(ctx, ["--data", "p.json"],
                   "p.json:1:%d: malformed JSON: syntax error while parsing value - "
                   "invalid string: ill-formed UTF-8 byte" % (21 + HUGE))
    ctx.write("p.json", b'[{"tuples": [["X", ' + b"9" * HUGE + b"]]}]")
    expect_refused(ctx, ["--data", "p.json"], "p.json:1:20: number out of the range of a double")
    ctx.expect_memory(HUGE, 10)


def million_columns(with_row):
    names = ",".join("c%d" % i for i in range(MILLION)) + "\n"
    row = ",".join(str(i) for i in range(MILLION)) + "\n" if with_row else ""
    return names + row


@case
def million_columns_header_only(ctx):
    content = million_columns(False)
    ctx.write("p.csv", content)
    write_template(ctx, "c0", "c999999")
    out, _ = ctx.run("--template", "t.json", "--data", "p.csv", "--format", "csv", measure=True)
    expect(out == b"depth,type\n", "output: %r" % out[:200])
    ctx.expect_memory(len(content), 7)


@case
def million_columns_and_a_row(ctx):
    content = million_columns(True)
    ctx.write("p.csv", content)
    write_template(ctx, "c0", "c999999")
    out, _ = ctx.run("--template", "t.json", "--data", "p.csv", "--format", "csv",
                     "--all-tokens", measure=True)
    expect(out == b"depth,type,c0,c999999\n0,kDetails,0,999999\n", "output: %r" % out[:200])
    ctx.expect_memory(len(content), 10)


@case
def long_lists(ctx):
    """A million equal parts of one part, many tuples in a part and in a section:
    lists are filled in time linear in their length."""
    handles = ";".join(str(i) for i in range(MILLION))
    ctx.write("p.csv", "%PNum,#equal,#handle\nP1," + handles + ",H\n")
    write_template(ctx, "%PNum")
    out, _ = ctx.run("--template", "t.json", "--data", "p.csv", "--format", "csv", "--used")
    expect(out == ("depth,type,%PNum\n0,kDetails,P1\n\nhandles,tokens\nH " +
                   handles.replace(";", " ") + ",%PNum\n").encode(), "--used: %r" % out[:200])
    count = 250000
    tuples = ", ".join('["T%d", %d]' % (i, i) for i in range(count))
    ctx.write("p.json", '[{"tuples": [["%PNum", "P1"], ' + tuples + "]}]")
    out, _ = ctx.run("--template", "t.json", "--data", "p.json", "--format", "csv",
                     "--all-tokens")
    expect(out == b"depth,type,%PNum\n0,kDetails,P1\n", "JSON parts: %r" % out[:200])
    ctx.write("t.json", '{"children": [{"type": "kDetails", "tuples": [' + tuples + "]}]}")
    out, _ = ctx.run("--template", "t.json", "--trace")
    expect(out.count(b"\n") == count + 2, "trace of %d lines" % out.count(b"\n"))


@case
def numbers(ctx):
    """Signs, zeros, values beyond 32 bits and beyond a double, numbers too
    small for one, by column type: see tools/bomreport/README.md."""
    write_template(ctx, "%PNum", "X", "%Weight", "%Quantity")
    ctx.write("p.csv", "%PNum,X,%Weight,%Quantity\n"
                       "P1,+5,+5,+5\nP2,-0,-0,-0\nP3,-0.0,-0.0,0\nP4,1e-999,-1e-999,7\n"
                       "P5,4.9e-324,4.9e-324,007\nP6,1e999,.5,1\nP7,0x10,5.,2\n"
                       "P8,NaN,2147483648,-2147483648\nP9,99999999999,1e2,2147483647\n")
    out, _ = ctx.run("--template", "t.json", "--data", "p.csv", "--format", "csv")
    expect(out == b"depth,type,%PNum,X,%Weight [kg],%Quantity\n"
                  b"0,kDetails,P1,5,5,5\n0,kDetails,P2,0,0,0\n0,kDetails,P3,0,0,0\n"
                  b"0,kDetails,P4,0,0,7\n0,kDetails,P5,4.94065645841247e-324,4.94065645841247e-324,7\n"
                  b"0,kDetails,P6,1e999,0.5,1\n0,kDetails,P7,0x10,5,2\n"
                  b"0,kDetails,P8,NaN,2147483648,-2147483648\n"
                  b"0,kDetails,P9,99999999999,100,2147483647\n", "CSV: %r" % out)
    ctx.write("p.json", '[{"tuples": [["%PNum", "P1"], ["X", -0], ["%Weight", -0.0], '
                        '["%Quantity", -0]]},'
                        ' {"tuples": [["%PNum", "P2"], ["X", 1e-999], ["%Weight", -1e-999]]},'
                        ' {"tuples": [["%PNum", "P3"], ["X", 123456789012345678901234567890],'
                        ' ["%Weight", 2147483648], ["%Quantity", 2147483647]]}]')
    out, _ = ctx.run("--template", "t.json", "--data", "p.json", "--format", "csv")
    expect(out == b"depth,type,%PNum,X,%Weight [kg],%Quantity\n"
                  b"0,kDetails,P1,0,0,0\n0,kDetails,P2,0,0,\n"
                  b"0,kDetails,P3,1.23456789012346e+29,2147483648,2147483647\n", "JSON: %r" % out)
    ctx.write("t.json", '{"tuples": [["A", -0.0], ["B", -1e-999], ["C", 4.9e-324], ["D", -0],'
                        ' ["E", 1E2], ["F", -2147483648]]}')
    out, _ = ctx.run("--template", "t.json", "--export-template")
    expect(b'"tuples": [["A", 0.0], ["B", 0.0], ["C", 5e-324], ["D", 0], ["E", 100.0], '
           b'["F", -2147483648]]' in out, "template: %r" % out)


@case
def byte_order_marks(ctx):
    """A byte-order mark starts a JSON file as well as a CSV file."""
    write_template(ctx, "%PNum")
    template = ctx.read("t.json")
    ctx.write("bom-t.json", b"\xef\xbb\xbf" + template)
    ctx.write("p.json", '[{"tuples": [["%PNum", "P1"]]}]')
    ctx.write("bom-p.json", b"\xef\xbb\xbf" + ctx.read("p.json"))
    plain, _ = ctx.run("--template", "t.json", "--data", "p.json")
    marked, _ = ctx.run("--template", "bom-t.json", "--data", "bom-p.json")
    expect(plain == marked and b"P1" in plain, "with marks: %r, without: %r" % (marked, plain))


# --- Reports for people: XLSX, PDF and HTML ------------------------------------------------
# Checked with readers of their own (openpyxl, poppler, Chromium) against the
# JSON report of the same run, by the rules of tools/bomreport/README.md
# (tests/tools/report_table.py).

def report_table(ctx, *args):
    out, _ = ctx.run(*(args + ("--format", "json")))
    return Table(read_json_report(out))


def load_xlsx(path, read_only=False, data_only=False):
    try:
        import openpyxl
    except ImportError:
        raise Failure("openpyxl is missing (Debian: python3-openpyxl)")
    return openpyxl.load_workbook(path, read_only=read_only, data_only=data_only)


def sheet_table_rows(rows, table):
    """The rows of the table below its headings: (row number, [(value, type, format)])."""
    values = [[cell.value for cell in row] for row in rows]
    headings = table.headings()
    starts = [i for i, row in enumerate(values) if row[:len(headings)] == headings]
    expect(starts, "no row of headings %r" % headings)
    first = starts[0] + 1
    return starts[0] + 1, [(first + 1 + i, [(c.value, c.data_type, c.number_format) for c in row])
                           for i, row in enumerate(rows[first:first + len(table.rows)])]


def today_or_yesterday():
    today = datetime.date.today()
    return {today.isoformat(), (today - datetime.timedelta(days=1)).isoformat()}


def running_head_date(pages):
    """The date the first page's running head shows, one of the last two days."""
    found = [date for date in today_or_yesterday() if date in pages[0].splitlines()[0]]
    expect(found, "no date of today in the running head %r" % pages[0].splitlines()[0])
    return found[0]


@case
def steel_xlsx(ctx):
    """Every cell's type, value and number format, every row's outline level."""
    ctx.run(*ctx.steel("-o", "steel.xlsx"))  # the format from the extension
    table = report_table(ctx, *ctx.steel())
    book = load_xlsx(os.path.join(ctx.work, "steel.xlsx"))
    expect(book.sheetnames == ["Bill of materials"], "sheets %r" % book.sheetnames)
    sheet = book.active
    rows = list(sheet.iter_rows())
    expect(rows[0][0].value == table.title() and rows[0][0].font.b, "title %r" % rows[0][0].value)
    heading_row, table_rows = sheet_table_rows(rows, table)
    stored = list(load_xlsx(os.path.join(ctx.work, "steel.xlsx"), data_only=True).active.iter_rows(
        min_row=heading_row + 1, values_only=True))
    check_xlsx_cells(table, table_rows, expect, stored)
    expect(sum(1 for _, cells in table_rows for value, kind, _ in cells if kind == "f") > 10,
           "sums are not SUBTOTAL formulas")
    for (number, _), row in zip(table_rows, table.rows):
        expect(sheet.row_dimensions[number].outline_level == expected_level(row),
               "row %d: outline level %d, expected %d" %
               (number, sheet.row_dimensions[number].outline_level, expected_level(row)))
    expect(all(cell.font.b for cell in rows[heading_row - 1] if cell.value), "headings not bold")
    expect(sheet.freeze_panes == "A%d" % (heading_row + 1), "frozen at %r" % sheet.freeze_panes)
    last = chr(ord("A") + len(table.keys) - 1)
    data_rows = len(table.rows) - (table.rows[-1].type == "kReportFooter")
    expect(sheet.auto_filter.ref == "A%d:%s%d" % (heading_row, last, heading_row + data_rows),
           "autofilter %r" % sheet.auto_filter.ref)
    expect(sheet.sheet_properties.outlinePr.summaryBelow is not False, "sums not below groups")
    for column, key in enumerate(table.keys):
        letter = chr(ord("A") + column)
        widest = max([len(table.headings()[column])] +
                     [len(text) for row in table.rows for k, text, _, _ in row.cells if k == key])
        width = sheet.column_dimensions[letter].width
        expect(widest <= width <= 2 * widest + 4, "column %s: width %s for texts of %d" %
               (letter, width, widest))


@case
def xlsx_texts_stay_texts(ctx):
    """Texts that begin like a formula, or that a number would change, are
    strings; display texts that read as numbers are numbers, with their decimals."""
    ctx.write("parts.json", json.dumps([
        {"tuples": [["%Name", "=1+2"], ["%FreeRemark", "+5"], ["Count", "-3"], ["Ratio", "4.20"],
                    ["Code", "007"]]},
        {"tuples": [["%Name", "@SUM(A1:A2)"], ["%FreeRemark", "-x"], ["Count", "1e+11"],
                    ["Ratio", "0.5"], ["Code", "=HYPERLINK(\"x\")"]]}]))
    args = ("--template", os.path.join(ctx.data, "echo-template.json"), "--data", "parts.json")
    ctx.run(*(args + ("-o", "t.xlsx")))
    table = report_table(ctx, *args)
    rows = list(load_xlsx(os.path.join(ctx.work, "t.xlsx")).active.iter_rows())
    _, table_rows = sheet_table_rows(rows, table)
    check_xlsx_cells(table, table_rows, expect)
    first = [cell[0] for cell in table_rows[0][1]]
    expect(first == ["=1+2", "+5", -3, 4.2, "007"], "first row %r" % first)
    expect(table_rows[0][1][3][2] == "0.00", "4.20 shown as %r" % table_rows[0][1][3][2])
    expect(table_rows[1][1][2][2] == "0E+00", "1e+11 shown as %r" % table_rows[1][1][2][2])


@case
def steel_pdf(ctx):
    """Page size, page count, every page's running head and number, headings
    and continued groups; fonts embedded."""
    ctx.run(*ctx.steel("-o", "steel.pdf"))
    table = report_table(ctx, *ctx.steel())
    path = os.path.join(ctx.work, "steel.pdf")
    info = pdf_info(path)
    expect(info["Page size"].startswith("595.276 x 841.89"), "page size %r" % info["Page size"])
    pages = pdf_pages(path)
    expect(int(info["Pages"]) == len(pages) > 2, "%s pages, %d read" % (info["Pages"], len(pages)))
    check_pdf_pages(pages, table, [table.title(), "steel-parts.csv", running_head_date(pages)],
                    expect)
    first = [line for line in pages[0].splitlines() if line.strip()]
    expect(first[1].strip() == table.title(), "no title block on the first page: %r" % first[1])
    fonts = subprocess.run(["pdffonts", path], stdout=subprocess.PIPE, check=True).stdout
    fonts = fonts.decode().splitlines()[2:]
    expect(fonts and all(" yes yes " in line and "DejaVuSans" in line for line in fonts),
           "fonts not all embedded DejaVu subsets: %r" % fonts)
    for paper, size in ((["--paper", "letter", "--landscape"], "792 x 612"),
                        (["--paper", "A3"], "841.89 x 1190.55")):
        ctx.run(*ctx.steel("-o", "paper.pdf", *paper))
        got = pdf_info(os.path.join(ctx.work, "paper.pdf"))["Page size"]
        expect(got.startswith(size), "%s: page size %r" % (" ".join(paper), got))


def write_generated_parts(ctx, name, count):
    """`count` parts of assemblies of 40, five positions each, every part an
    element of its own: a details line each in the steel template."""
    profiles = [("HEA240", "S355J2"), ("IPE300", "S355J2"), ("PL10*100", "S235JR"),
                ("L80x8", "S235JR"), ("M20x60", "8.8")]
    marks = ["COLUMN", "BEAM", "BRACING", "PURLIN"]
    lines = ["#handle,#type,%Phase,%MNum,%MName,%PNum,%Name,%Material,%Quantity,%Length,%Weight,"
             "%ElementID"]
    for i in range(count):
        assembly = i // 40
        position = (i * 7) % 5 + 5 * (assembly % 3)
        profile, material = profiles[position % 5]
        length = 100 + (i * 37) % 9000
        lines.append("%X,%d,%d,A%05d,%s,P%d,%s,%s,%d,%d,%.2f,E%07d" % (
            i + 1, 1 + position % 4, 1 + assembly % 3, assembly, marks[assembly % 4], position,
            profile, material, 1 + i % 4, length, length * 0.0421, i + 1))
    return ctx.write(name, "\n".join(lines) + "\n")


@case
def page_sections_pdf(ctx):
    """The template's page header is every page's running head, its page
    footer leads every page's foot; both stay out of the table."""
    parts = write_generated_parts(ctx, "parts.csv", 300)
    args = ("--template", os.path.join(ctx.data, "page-template.json"), "--data", parts)
    ctx.run(*(args + ("-o", "page.pdf")))
    table = report_table(ctx, *args)
    expect(table.page_header and table.page_footer, "the template has no page sections")
    pages = pdf_pages(os.path.join(ctx.work, "page.pdf"))
    expect(len(pages) > 2, "%d pages" % len(pages))
    check_pdf_pages(pages, table, ["Project: P-117", "Drawing: S-200", running_head_date(pages)],
                    expect)
    for number, page in enumerate(pages, 1):
        foot = [line for line in page.splitlines() if line.strip()][-1]
        expect(foot.lstrip().startswith("Checked: J. S.") and "Weight [kg]:" in foot,
               "page %d: foot %r" % (number, foot))


@case
def generated_100k(ctx):
    """100,000 generated parts in every format: the same rows everywhere, PDF
    in seconds, XLSX and PDF within the memory the report itself takes."""
    parts = write_generated_parts(ctx, "parts.csv", 100000)
    args = ctx.steel()[:2] + ("--data", parts)
    table = report_table(ctx, *args)
    expect(len(table.rows) > 100000, "%d rows" % len(table.rows))
    ctx.run(*(args + ("-o", "bom.csv")), measure=True)
    report_memory = ctx.last_peak
    for name in ("bom.xlsx", "bom.pdf"):
        started = time.monotonic()
        ctx.run(*(args + ("-o", name)), measure=True)
        seconds = time.monotonic() - started
        expect(ctx.sanitized or seconds < 30, "%s took %.1f s" % (name, seconds))
        expect(not ctx.memory_checked() or ctx.last_peak <= report_memory * 1.1 + (16 << 20),
               "%s: peak %.1f MB, the report alone %.1f MB" %
               (name, ctx.last_peak / 1e6, report_memory / 1e6))

    path = os.path.join(ctx.work, "bom.xlsx")
    rows = list(load_xlsx(path, read_only=True).active.iter_rows())
    _, table_rows = sheet_table_rows(rows, table)
    check_xlsx_cells(table, table_rows, expect)
    levels = outline_levels(path)
    wrong = [number for (number, _), row in zip(table_rows, table.rows)
             if levels.get(number, 0) != expected_level(row)]
    expect(not wrong, "outline levels differ in rows %r..." % wrong[:5])

    pages = pdf_pages(os.path.join(ctx.work, "bom.pdf"))
    check_pdf_pages(pages, table, [table.title(), "parts.csv", running_head_date(pages)], expect)

    ctx.run(*(args + ("-o", "bom.html")))
    html = ctx.read("bom.html").decode("utf-8")
    body_rows = html.split("<tbody>")[1].split("</tbody>")[0].count("<tr")
    expect(body_rows == len(table.rows), "%d HTML rows, %d in the report" %
           (body_rows, len(table.rows)))


CHROMIUM = "/usr/bin/chromium"


@case
def steel_html_prints(ctx):
    """Printed by Chromium: A4 pages, the headings with their units and the
    page number on every page, no column of section names."""
    if not os.access(CHROMIUM, os.X_OK):
        raise Skip(CHROMIUM + " is missing")
    ctx.run(*ctx.steel("-o", "steel.html"))
    table = report_table(ctx, *ctx.steel())
    pdf = os.path.join(ctx.work, "printed.pdf")
    with tempfile.TemporaryDirectory() as profile:
        subprocess.run([CHROMIUM, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                        "--no-first-run", "--disable-background-networking",
                        "--disable-component-update", "--disable-sync",
                        "--user-data-dir=" + profile, "--print-to-pdf=" + pdf,
                        "file://" + os.path.join(ctx.work, "steel.html")],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=300)
    expect(os.path.exists(pdf), "Chromium printed nothing")
    info = pdf_info(pdf)
    expect(info["Page size"].endswith("(A4)"), "page size %r" % info["Page size"])
    pages = pdf_pages(pdf)
    expect(len(pages) > 2, "%d pages" % len(pages))
    headings = " ".join(table.headings())
    for number, page in enumerate(pages, 1):
        text = " ".join(page.split())
        expect(headings in text, "page %d: no headings %r" % (number, headings))
        expect("Page %d of %d" % (number, len(pages)) in text, "page %d: no page number" % number)
        expect(table.title() in text and "steel-parts.csv" in text, "page %d: no running head" %
               number)
        expect("Section" not in text and "Details" not in text, "page %d names sections" % number)
    first = " ".join(pages[0].split())
    expect(first.count(table.title()) == 2, "the title is not the first page's heading")


@case
def format_from_extension(ctx):
    """Without --format the output's extension decides; -o - is standard output."""
    magic = {"r.TXT": b"Report header", "r.csv": b"depth,type", "r.json": b"{",
             "r.html": b"<!DOCTYPE html>", "r.htm": b"<!DOCTYPE html>", "r.xlsx": b"PK\x03\x04",
             "r.pdf": b"%PDF-", "r": b"Report header"}
    for name, start in magic.items():
        ctx.run(*ctx.steel("-o", name))
        expect(ctx.read(name).startswith(start), "%s starts %r" % (name, ctx.read(name)[:20]))
    out, _ = ctx.run(*ctx.steel("-o", "r.pdf", "--format", "csv"))
    expect(ctx.read("r.pdf").startswith(b"depth,type"), "--format does not win")
    for fmt, start in (("xlsx", b"PK\x03\x04"), ("pdf", b"%PDF-"), ("text", b"Report header")):
        out, _ = ctx.run(*ctx.steel("-o", "-", "--format", fmt))
        expect(out.startswith(start), "-o - %s: %r" % (fmt, out[:20]))
    expect(not os.path.exists(os.path.join(ctx.work, "-")), "-o - wrote a file named -")


@case
def csv_sums_under_token(ctx):
    out, _ = ctx.run(*ctx.steel("--format", "csv", "--csv-sums-under-token"))
    lines = out.decode("utf-8").splitlines()
    expect(lines[0] == "depth,type,Title,%MNum,%MName,%PNum,%Name,%Material,%ElementID,%Phase,"
                       "%Quantity,%Length [mm],%Weight [kg]", "header %r" % lines[0])
    expect(lines[-1] == "0,kReportFooter,,,,,,,,,198,,13747.152", "report footer %r" % lines[-1])


# --- Output -------------------------------------------------------------------------------

@case
def failed_output_keeps_previous(ctx):
    """-o replaces the file only after a complete run."""
    parts = os.path.join(ctx.data, "filter-parts.csv")
    template = os.path.join(ctx.data, "filter-template.json")
    ctx.write("report.txt", "previous report\n")
    ctx.write("bad.csv", "%PNum,%Quantity\nP1,many\n")
    _, err = ctx.run("--template", template, "--data", "bad.csv", "-o", "report.txt", status=2)
    expect(ctx.read("report.txt") == b"previous report\n", "the previous report was changed")
    ctx.run("--template", template, "--data", parts, "-o", "report.txt")
    expected, _ = ctx.run("--template", template, "--data", parts)
    expect(ctx.read("report.txt") == expected, "-o writes what standard output gets")
    expect(sorted(os.listdir(ctx.work)) == ["bad.csv", "report.txt"], "temporary files left")
    _, err = ctx.run("--template", template, "--data", parts, "-o", "missing/report.txt",
                     status=1)
    expect(err == b"bomreport: missing/report.txt: cannot create a temporary file: "
                  b"No such file or directory\n", "message: %r" % err)


@case
def output_to_pipe(ctx):
    """-o naming something other than a regular file writes to it in place."""
    fifo = os.path.join(ctx.work, "report-fifo")
    os.mkfifo(fifo)
    received = []
    reader = threading.Thread(target=lambda: received.append(open(fifo, "rb").read()),
                              daemon=True)
    reader.start()
    parts = os.path.join(ctx.data, "filter-parts.csv")
    template = os.path.join(ctx.data, "filter-template.json")
    ctx.run("--template", template, "--data", parts, "-o", "report-fifo")
    reader.join(60)
    expected, _ = ctx.run("--template", template, "--data", parts)
    expect(received == [expected], "the pipe received %r" % received)
    expect(stat.S_ISFIFO(os.stat(fifo).st_mode), "the pipe was replaced")


@case
def output_over_input_refused(ctx):
    parts = os.path.join(ctx.data, "filter-parts.csv")
    ctx.write("parts.csv", open(parts, "rb").read())
    ctx.write("t.json", open(os.path.join(ctx.data, "filter-template.json"), "rb").read())
    os.mkdir(os.path.join(ctx.work, "sub"))
    for target, data in (("parts.csv", "parts.csv"), ("./sub/../parts.csv", "parts.csv"),
                         ("t.json", "parts.csv")):
        _, err = ctx.run("--template", "t.json", "--data", data, "-o", target, status=2)
        expect(err == ("bomreport: %s: refusing to write the output over an input file\n" %
                       target).encode(), "message: %r" % err)
    expect(ctx.read("parts.csv") == open(parts, "rb").read(), "the input was changed")


# --- Templates a shop uses, on the example structure ---------------------------------
# The expected figures are summed from the parts file here, not taken from the
# engine.

def steel_parts(ctx, types):
    """The example's parts of the given object types, as dicts of their cells."""
    with open(os.path.join(ctx.examples, "steel-parts.csv"), newline="", encoding="utf-8") as f:
        return [part for part in csv.DictReader(f) if int(part["#type"]) in types]


def report_records(ctx, template, *args):
    """The report of an example template with merged equal parts, as CSV records
    keyed by token (the headings' units, as in "%Weight [kg]", left out)."""
    out, err = ctx.run("--template", os.path.join(ctx.examples, template), "--data",
                       os.path.join(ctx.examples, "steel-parts.csv"), "--merge-equal",
                       "--format", "csv", *args)
    expect(err == b"", "unexpected standard error: %r" % err)
    rows = list(csv.reader(io.StringIO(out.decode("utf-8"), newline="")))
    names = [re.sub(r" \[[^\]]*\]$", "", name) for name in rows[0]]
    return [dict(zip(names, row)) for row in rows[1:]]


def totals(parts, key, column):
    """Sums of a column per key; a part without a quantity counts 1. A part
    stands for %Quantity pieces, and %Weight and %Length are a piece's."""
    sums = {}
    for part in parts:
        cell = part[column] or ("1" if column == "%Quantity" else "0")
        pieces = float(part["%Quantity"] or "1") if column in ("%Weight", "%Length") else 1.0
        sums[key(part)] = sums.get(key(part), 0) + float(cell) * pieces
    return sums


def expect_near(shown, expected, what):
    """A shown figure (weights are shown to 2 decimals) matches a computed one."""
    expect(abs(float(shown) - expected) <= 0.0051 + 1e-9 * abs(expected),
           "%s: shown %s, computed %.4f" % (what, shown, expected))


def expect_per_key(records, key_column, expected, value_column, what):
    details = {r[key_column]: r[value_column] for r in records if r["type"] == "kDetails"}
    expect(sorted(details) == sorted(expected), "%s: lines %r, expected %r" %
           (what, sorted(details), sorted(expected)))
    for key, value in expected.items():
        expect_near(details[key], value, "%s of %s" % (what, key))


@case
def position_list(ctx):
    """One line per position with its quantity and total weight; the footer's
    sums are the file's totals over the parts the filter keeps."""
    parts = steel_parts(ctx, {1, 2, 3, 4})
    records = report_records(ctx, "position-list.json")
    pnum = lambda part: part["%PNum"]
    expect_per_key(records, "%PNum", totals(parts, pnum, "%Quantity"), "%Quantity", "quantity")
    expect_per_key(records, "%PNum", totals(parts, pnum, "%Weight"), "%WeightInModel", "weight")
    footer = records[-1]
    expect(footer["type"] == "kReportFooter", "no report footer last")
    expect(int(footer["%SumBy:%Quantity"]) == sum(totals(parts, pnum, "%Quantity").values()),
           "total quantity %s" % footer["%SumBy:%Quantity"])
    expect_near(footer["%SumBy:%WeightInModel"], sum(totals(parts, pnum, "%Weight").values()),
                "total weight")
    text, _ = ctx.run("--template", os.path.join(ctx.examples, "position-list.json"), "--data",
                      os.path.join(ctx.examples, "steel-parts.csv"), "--merge-equal",
                      "--collation", "natural")
    ctx.golden("position-list.txt", text)


@case
def material_summary(ctx):
    """Total length and weight per grade and profile (the inner group footers)."""
    parts = steel_parts(ctx, {1, 2, 3})
    key = lambda part: (part["%Material"], part["%Name"])
    lengths, weights = totals(parts, key, "%Length"), totals(parts, key, "%Weight")
    seen = {}
    material = name = None
    for record in report_records(ctx, "material-summary.json"):
        material = record["%Material"] or material
        name = record["%Name"] or name
        if record["type"] == "kGroupFooter" and record["%SumBy:%Quantity"]:
            seen[(material, name)] = record
    expect(sorted(seen) == sorted(lengths), "profiles %r, expected %r" %
           (sorted(seen), sorted(lengths)))
    for profile, record in seen.items():
        expect_near(record["%SumBy:%LengthInModel"], lengths[profile], "length of %r" % (profile,))
        expect_near(record["%SumBy:%WeightInModel"], weights[profile], "weight of %r" % (profile,))


@case
def bolt_list(ctx):
    parts = steel_parts(ctx, {4})
    records = report_records(ctx, "bolt-list.json")
    name = lambda part: part["%Name"]
    expect_per_key(records, "%Name", totals(parts, name, "%Quantity"), "%Quantity", "bolts")
    expect_per_key(records, "%Name", totals(parts, name, "%Weight"), "%WeightInModel", "weight")
    expect(int(records[-1]["%SumBy:%Quantity"]) == sum(int(p["%Quantity"]) for p in parts),
           "total bolts %s" % records[-1]["%SumBy:%Quantity"])


@case
def assembly_list(ctx):
    """Each assembly mark with its number of assemblies and their weight."""
    parts = steel_parts(ctx, {1, 2, 3})
    assemblies = {}
    for part in parts:
        assemblies.setdefault(part["%MNum"], set()).add(part["Assembly"])
    weights = totals(parts, lambda part: part["%MNum"], "%Weight")
    records = report_records(ctx, "assembly-list.json")
    headers = [r for r in records if r["type"] == "kGroupHeader"]
    footers = [r for r in records if r["type"] == "kGroupFooter"]
    expect([h["%MNum"] for h in headers] == sorted(assemblies), "marks %r" % headers)
    for header, footer in zip(headers, footers):
        mark = header["%MNum"]
        expect(int(header["%MQuantity"]) == len(assemblies[mark]),
               "%s: %s assemblies, counted %d" % (mark, header["%MQuantity"], len(assemblies[mark])))
        expect_near(footer["%SumBy:%WeightInModel"], weights[mark], "weight of " + mark)


@case
def merged_rows_keep_every_handle(ctx):
    """--used lists every part that reached the report, equal parts included."""
    out, _ = ctx.run("--template", os.path.join(ctx.examples, "position-list.json"), "--data",
                     os.path.join(ctx.examples, "steel-parts.csv"), "--merge-equal", "--used")
    block = out.decode("utf-8").split("Used handles and tokens:\n")[1]
    handles = [h for line in block.splitlines() for h in line.split(":")[0].split()]
    expected = [p["#handle"] for p in steel_parts(ctx, {1, 2, 3, 4})]
    expect(len(block.splitlines()) == 16, "%d used rows" % len(block.splitlines()))
    expect(sorted(handles) == sorted(expected), "used handles differ from the kept parts")


@case
def input_units(ctx):
    """The example written in metres and tonnes, declared so, gives the same report."""
    with open(os.path.join(ctx.examples, "steel-parts.csv"), newline="", encoding="utf-8") as f:
        rows = list(csv.reader(f))
    scaled = {rows[0].index(c): 1000.0 for c in ("%Length", "%Width", "%Thick", "%Weight")}
    out = io.StringIO()
    writer = csv.writer(out, lineterminator="\n")
    writer.writerow(rows[0])
    for row in rows[1:]:
        writer.writerow([repr(float(cell) / scaled[i]) if i in scaled and cell else cell
                         for i, cell in enumerate(row)])
    ctx.write("metric.csv", out.getvalue())
    template = os.path.join(ctx.examples, "position-list.json")
    original, _ = ctx.run("--template", template, "--data",
                          os.path.join(ctx.examples, "steel-parts.csv"), "--merge-equal")
    converted, _ = ctx.run("--template", template, "--data", "metric.csv", "--merge-equal",
                           "--input-units", "length=m,weight=t")
    expect(converted == original, "the converted report differs")
    unconverted, _ = ctx.run("--template", template, "--data", "metric.csv", "--merge-equal")
    expect(unconverted != original, "the units made no difference")
    _, err = ctx.run("--template", template, "--data", "metric.csv", "--input-units", "length=kg",
                     status=2)
    expect(err == b'bomreport: --input-units: "kg" is not a unit of length\n', "message %r" % err)


@case
def natural_collation(ctx):
    """P2 before P10 with --collation natural; code units otherwise."""
    args = ("--template", os.path.join(ctx.examples, "position-list.json"), "--data",
            os.path.join(ctx.examples, "steel-parts.csv"), "--merge-equal", "--format", "csv")
    orders = {}
    for collation in ("binary", "natural"):
        out, _ = ctx.run(*args, "--collation", collation)
        records = csv.DictReader(io.StringIO(out.decode("utf-8"), newline=""))
        orders[collation] = [r["%PNum"] for r in records if r["type"] == "kDetails"]
    expect(orders["binary"][3:6] == ["P1", "P10", "P11"], "binary: %r" % orders["binary"])
    expect(orders["natural"][3:6] == ["P1", "P2", "P3"], "natural: %r" % orders["natural"])
    expect(sorted(orders["binary"]) == sorted(orders["natural"]), "different lines")


@case
def instance_tokens(ctx):
    """The steel template shows %ElementID: by default it is an instance token
    and equal parts merge; named otherwise, every part keeps its line."""
    parts = steel_parts(ctx, {1, 2, 3})
    positions = {(p["%MNum"], p["%PNum"], p["%Phase"]) for p in parts}

    def details(*args):
        out, _ = ctx.run(*ctx.steel("--merge-equal", "--format", "csv", *args))
        return [r for r in csv.DictReader(io.StringIO(out.decode("utf-8"), newline=""))
                if r["type"] == "kDetails"]
    merged = details()
    expect(len(merged) == len(positions), "%d lines, %d positions" % (len(merged), len(positions)))
    expect(all(r["%ElementID"] == "" for r in merged), "an instance token is shown")
    expect(len(details("--instance-tokens", "Grid")) == len(parts), "parts merged")


# --- First run, warnings ------------------------------------------------------------------

def readme_command(ctx, first_word):
    """The README's set-up command that runs `first_word` last, as an argument list."""
    with open(os.path.join(ctx.source, "README.md"), encoding="utf-8") as f:
        lines = [l for l in f.read().splitlines() if l.startswith("scripts/install-deps.sh && ")]
    command = [l for l in lines if l.split("&& ")[-1].startswith(first_word)]
    expect(len(command) == 1, "no README command running %s" % first_word)
    return command[0].split("&& ")[-1].split()[1:]


@case
def first_run(ctx):
    """The README's first command prints the example's position list; a bare
    command prints a usage whose example runs as shown."""
    args = readme_command(ctx, "build/tools/bomreport/bomreport")
    args = [os.path.join(ctx.source, a) if a.startswith("examples/") else a for a in args]
    out, err = ctx.run(*args)
    expect(err == b"", "unexpected standard error: %r" % err)
    ctx.golden("position-list.txt", out)
    usage, _ = ctx.run()
    example = [l for l in usage.decode("utf-8").splitlines() if l.startswith("  bomreport ")]
    expect(len(example) == 1, "no example in the usage: %r" % usage)
    args = [os.path.join(ctx.source, a) if a.startswith("examples/") else a
            for a in example[0].split()[1:]]
    shown, _ = ctx.run(*args)
    expect(shown.count(b"\n  Details") == 16, "the usage's example gives no position list")


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
    parts = os.path.join(ctx.examples, "steel-parts.csv")
    out, err = ctx.run("--template", "typo.json", "--data", parts, "--setting",
                       "C0_BOMSupressLastZeros=0")
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
    out, err = ctx.run("--template", "typo.json", "--data", parts, "--strict", "-o", "r.txt",
                       status=2)
    expect(out == b"" and not os.path.exists(os.path.join(ctx.work, "r.txt")), "output written")
    expect(err.endswith(b"bomreport: --strict: 3 warnings, nothing written\n"), "%r" % err)
    # The default template over the example: its filter keeps none of the parts.
    out, err = ctx.run("--data", parts)
    expect(b"the template's filter keeps object types 0, and none of the 310 parts of "
           b"steel-parts.csv is of those types (they are of types 1, 2, 3, 4, 6)" in err,
           "no warning of the filter: %r" % err)
    _, err = ctx.run("--template", os.path.join(ctx.examples, "position-list.json"), "--data",
                     parts, "--merge-equal", "--strict")
    expect(err == b"", "the example warns: %r" % err)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--list", action="store_true")
    parser.add_argument("--bin")
    parser.add_argument("--source")
    parser.add_argument("--work")
    parser.add_argument("--case")
    parser.add_argument("--update", action="store_true")
    parser.add_argument("--sanitized", action="store_true",
                        help="the binary is built with sanitizers: skip memory bounds")
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
    except Skip as reason:
        print("skipped %s: %s" % (args.case, reason))
        return SKIPPED
    shutil.rmtree(work, ignore_errors=True)
    print("passed " + args.case)
    return 0


if __name__ == "__main__":
    sys.exit(main())
