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
import os
import re
import shutil
import stat
import subprocess
import sys
import threading

CASES = {}


def case(function):
    CASES[function.__name__] = function
    return function


class Failure(Exception):
    pass


class Context:
    def __init__(self, binary, source, work, update):
        self.binary = binary
        self.source = source
        self.work = work
        self.update = update
        self.examples = os.path.join(source, "examples")
        self.data = os.path.join(source, "tests", "tools", "data")
        self.golden_dir = os.path.join(source, "tests", "tools", "golden")

    def run(self, *args, status=0, stdin=None):
        """Runs bomreport in the work directory; returns (stdout, stderr) as bytes."""
        result = subprocess.run([self.binary] + list(args), cwd=self.work, input=stdin,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=600)
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

    def steel(self, *args):
        return ("--template", os.path.join(self.examples, "steel-template.json"),
                "--data", os.path.join(self.examples, "steel-parts.csv")) + args


def expect(condition, message):
    if not condition:
        raise Failure(message)


# --- The formats on the examples ------------------------------------------------

def format_case(fmt, golden_name):
    def check(ctx):
        out, err = ctx.run(*ctx.steel("--format", fmt))
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
    out, err = ctx.run()
    expect(err == b"", "unexpected standard error")
    lines = out.decode("utf-8").split("\n")
    expect(lines[-1] == "", "the report does not end with a line feed")
    lines = lines[:-1]
    expect(lines[:2] == ["Report header", "  Group header    %PosNum 0"], "head: %r" % lines[:2])
    expect(lines[-2:] == ["  Group footer    \u03a3 %Weight 0", "Report footer"],
           "tail: %r" % lines[-2:])
    inner = lines[2:-2]
    group = ["    Group header  %Material 0",
             "      Details     %posNum 0   %Weight 0   %Material 0",
             "    Group footer  \u03a3 %Weight 0"]
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
    ("units_unknown_name", {}, ["--units", "length=mm,weight=stone"],
     '--units: unknown unit name "stone"'),
    ("units_wrong_kind", {}, ["--units", "area=kg"], '--units: "kg" is not a unit of area'),
    ("units_unknown_kind", {}, ["--units", "volume=m3"],
     '--units: unknown kind "volume" (length, weight, area or angle)'),
    ("setting_malformed", {}, ["--setting", "C0_BOMSuppressLastZeros=no"],
     '--setting: "C0_BOMSuppressLastZeros=no" is not NAME=INTEGER'),
    ("unknown_format", {}, ["--format", "pdf"],
     "--format: pdf not in {text,list,csv,json,html} (see bomreport --help)"),
]


def bad_input_case(name, files, args, message):
    def check(ctx):
        for file_name, content in files.items():
            if file_name.endswith("/"):
                os.mkdir(os.path.join(ctx.work, file_name))
            else:
                ctx.write(file_name, content)
        out, err = ctx.run(*(args + ["-o", "report.txt"]), status=2)
        expect(err.decode("utf-8") == "bomreport: " + message + "\n",
               "message: %r\nexpected: %r" % (err.decode("utf-8"), "bomreport: " + message))
        expect(out == b"", "something was written to standard output")
        leftovers = sorted(set(os.listdir(ctx.work)) - set(f.rstrip("/") for f in files))
        expect(leftovers == [], "files left behind: %r" % leftovers)
    check.__name__ = "bad_" + name
    return case(check)


for entry in BAD_INPUT:
    bad_input_case(*entry)


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
    fifo = os.path.join(ctx.work, "report.fifo")
    os.mkfifo(fifo)
    received = []
    reader = threading.Thread(target=lambda: received.append(open(fifo, "rb").read()),
                              daemon=True)
    reader.start()
    parts = os.path.join(ctx.data, "filter-parts.csv")
    template = os.path.join(ctx.data, "filter-template.json")
    ctx.run("--template", template, "--data", parts, "-o", "report.fifo")
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


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--list", action="store_true")
    parser.add_argument("--bin")
    parser.add_argument("--source")
    parser.add_argument("--work")
    parser.add_argument("--case")
    parser.add_argument("--update", action="store_true")
    args = parser.parse_args()
    if args.list:
        print("\n".join(sorted(CASES)))
        return 0
    work = os.path.join(os.path.abspath(args.work), args.case)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    ctx = Context(os.path.abspath(args.bin), os.path.abspath(args.source), work, args.update)
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
