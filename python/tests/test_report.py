"""A report read item by item, as records and a DataFrame, with its used handles,
token trace, warnings and units, all checked against what bomreport writes."""

import json
import sys
import warnings

import pandas
import pandas.testing
import pytest

import vrkbom
from conftest import example

STEEL = ["--template", example("steel-template.json"), "--data", example("steel-parts.csv")]
DIRECTIVES = ("%GroupBy:", "%SortAscBy:", "%SortDescBy:", "%FilterBy:")


@pytest.fixture(scope="module")
def report():
    return vrkbom.evaluate(vrkbom.Template.load(example("steel-template.json")),
                           vrkbom.Parts.load(example("steel-parts.csv")))


def json_items(document):
    """(depth, type, row, tuples) of every item of a JSON report, in report order; each
    tuple (token, value, text): the value as json.loads reads it, the text as shown."""
    root = json.loads(document)
    texts = json.loads(document, parse_int=str, parse_float=str)
    items = []

    def walk(node, shown, depth):
        for child, child_shown in zip(node.get("children", []), shown.get("children", [])):
            tuples = []
            for pair, shown_pair in zip(child.get("tuples", []), child_shown.get("tuples", [])):
                text = pair[2]["text"] if len(pair) == 3 else shown_pair[1]
                tuples.append((pair[0], pair[1], text))
            items.append((depth, child["type"], child.get("row"), tuples))
            walk(child, child_shown, depth + 1)

    walk(root, texts, 0)
    return items


def test_items_are_the_json_reports_without_directives(bomreport, report):
    expected = json_items(bomreport.output(*STEEL, "--format", "json"))
    assert len(report) == len(expected) == 254
    for item, (depth, type_, row, tuples) in zip(report, expected):
        visible = [t for t in tuples if not t[0].startswith(DIRECTIVES)]
        assert (item.depth, item.type, item.row) == (depth, type_, row)
        assert item.tuples == [(token, text) for token, _, text in visible]
        assert item.values == {token: value for token, value, _ in reversed(visible)}
        for token, value, _ in visible:  # JSON writes a whole real as 300: a float here
            assert type(value) is not float or type(item.values[token]) is float, (token, value)


def test_items_by_index_and_their_values(report):
    first, details = report[0], report[3]
    assert (first.depth, first.type, first.row) == (0, "kReportHeader", "2D8F")
    assert first.values == {"Title": "Steel frame, hall 1: bill of materials"}
    assert details.tuples == [("%ElementID", "E0122"), ("%Phase", "1"), ("%Quantity", "1"),
                              ("%Length", "300"), ("%Weight", "4.24")]
    assert details.values == {"%ElementID": "E0122", "%Phase": 1, "%Quantity": 1,
                              "%Length": 300, "%Weight": 4.239}
    last = report[-1]
    assert (last.depth, last.type, last.row) == (0, "kReportFooter", None)
    assert report[len(report) - 1].tuples == last.tuples
    with pytest.raises(IndexError):
        report[len(report)]
    with pytest.raises(IndexError):
        report[-len(report) - 1]
    assert "kDetails" in repr(details) and "E0122" in repr(details)


def test_records_and_the_data_frame(report):
    records = report.to_records()
    assert len(records) == len(report)
    assert records[3] == {"depth": 3, "type": "kDetails", "row": "2D8F", "%ElementID": "E0122",
                          "%Phase": 1, "%Quantity": 1, "%Length": 300, "%Weight": 4.239}
    for record, item in zip(records, report):
        assert record == {"depth": item.depth, "type": item.type, "row": item.row, **item.values}
    frame = report.to_pandas("report")
    pandas.testing.assert_frame_equal(frame, pandas.DataFrame(records))
    assert list(frame.columns[:5]) == ["depth", "type", "row", "Title", "%MNum"]
    footer = frame[frame["type"] == "kReportFooter"].iloc[0]
    assert footer["%SumBy:%Quantity"] == sum(frame.loc[frame["type"] == "kDetails", "%Quantity"])


def test_to_pandas_says_what_is_missing_without_pandas(report, monkeypatch):
    monkeypatch.setitem(sys.modules, "pandas", None)  # import pandas fails
    with pytest.raises(ImportError, match=r"needs pandas \(Debian: python3-pandas\)"):
        report.to_pandas()
    assert len(report.to_records()) == len(report)


def test_used_handles_and_tokens_are_bomreports(bomreport, report):
    document = json.loads(bomreport.output(*STEEL, "--format", "json", "--used"))
    assert report.used() == [(row["handles"], row["tokens"]) for row in document["used"]]
    assert report.used()[0] == (["2D8F", "2D96"],
                                ["%Phase", "%MNum", "%MName", "%PNum", "%Name", "%Material",
                                 "%Quantity", "%Length", "%Weight", "%ElementID"])


def test_trace_is_bomreports(bomreport, report):
    lines = bomreport.output("--template", example("steel-template.json"), "--trace")
    lines = lines.decode().splitlines()
    assert lines[0] == "Token trace:" and lines[-1] == "Filter object types: 1 2 3"
    assert report.trace.tokens == lines[1:-1]
    assert report.trace.filter_object_types == [1, 2, 3]
    assert "filter_object_types=[1, 2, 3]" in repr(report.trace)


def test_units_of_tokens_and_sums(report):
    metric = vrkbom.evaluate(vrkbom.Template.load(example("steel-template.json")),
                             vrkbom.Parts.load(example("steel-parts.csv")),
                             units={"length": "m", "weight": "t"})
    assert [report.unit_of(t) for t in ("%Length", "%SumBy:%Weight", "%PNum")] == ["mm", "kg", None]
    assert [metric.unit_of(t) for t in ("%Length", "%SumBy:%Weight")] == ["m", "t"]
    assert metric[3].values["%Length"] == 0.3 and metric[3].tuples[3] == ("%Length", "0.3")
    assert metric.to_bytes("csv").startswith(b"depth,type,Title,%MNum,%MName,%PNum")


def test_names_of_template_and_parts(report):
    assert (report.template_name, report.data_name) == ("steel-template.json", "steel-parts.csv")
    assert repr(report) == "<vrkbom.Report steel-template.json over steel-parts.csv>"


def test_the_built_in_template_and_sample_data(bomreport):
    preview = vrkbom.evaluate()
    assert (preview.template_name, preview.data_name) == ("built-in default template",
                                                          "built-in sample data")
    # The sample rows are drawn anew; the section types of a preview are not.
    expected = json_items(bomreport.output("--preview", "--format", "json"))
    assert {item.type for item in preview} == {type_ for _, type_, _, _ in expected}
    assert vrkbom.evaluate(vrkbom.Template.default()).trace.tokens == preview.trace.tokens


def test_warnings_are_issued_and_kept(bomreport, tmp_path):
    path = tmp_path / "misspelt.json"
    path.write_text(json.dumps({"children": [{"type": "kDetails",
                                              "tuples": [["%Wieght", 0.0], ["%PNum", ""]]}]}))
    stderr = bomreport.run("--template", path, "--data", example("steel-parts.csv")).stderr
    expected = [line[len("bomreport: warning: "):] for line in stderr.decode().splitlines()]
    assert expected == ['no part of steel-parts.csv has the template\'s token "%Wieght" '
                        '(did you mean "%Weight"?)']
    template, parts = vrkbom.Template.load(path), vrkbom.Parts.load(example("steel-parts.csv"))
    with pytest.warns(vrkbom.ReportWarning) as issued:
        report = vrkbom.evaluate(template, parts)
    assert [str(warning.message) for warning in issued] == expected
    assert issued[0].filename == __file__  # the caller's line
    assert report.warnings == expected
    with warnings.catch_warnings():
        warnings.simplefilter("error")  # as bomreport --strict
        with pytest.raises(vrkbom.ReportWarning):
            vrkbom.evaluate(template, parts)


def test_settings_last_one_evaluation():
    template, parts = (vrkbom.Template.load(example("steel-template.json")),
                       vrkbom.Parts.load(example("steel-parts.csv")))
    kept = vrkbom.evaluate(template, parts, settings={"C0_BOMSuppressLastZeros": 0})
    assert kept[3].tuples[3:] == [("%Length", "300.0"), ("%Weight", "4.24")]
    assert kept[3].values["%Length"] == 300.0 and type(kept[3].values["%Length"]) is float
    again = vrkbom.evaluate(template, parts)
    assert again[3].tuples[3:] == [("%Length", "300"), ("%Weight", "4.24")]
    listed = vrkbom.evaluate(template, parts, settings=["C0_BOMSuppressLastZeros=0"])
    assert listed[3].tuples == kept[3].tuples


def test_writing_refuses_an_input_and_reports_what_cannot_be_written(report, tmp_path):
    parts = tmp_path / "parts.csv"
    parts.write_bytes(open(example("steel-parts.csv"), "rb").read())
    own = vrkbom.evaluate(vrkbom.Template.load(example("steel-template.json")),
                          vrkbom.Parts.load(parts))
    with pytest.raises(vrkbom.InputError) as refused:
        own.write(parts)
    assert refused.value.reason == "refusing to write the output over an input file"
    assert parts.read_bytes() == open(example("steel-parts.csv"), "rb").read()
    with pytest.raises(vrkbom.OutputError) as failed:
        report.write(tmp_path / "no such folder" / "bom.txt")
    assert isinstance(failed.value, OSError) and "bom.txt" in str(failed.value)
    with pytest.raises(ValueError, match='unknown format "docx"'):
        report.write(tmp_path / "bom.docx", "docx")
    with pytest.raises(ValueError, match="paper"):
        report.to_bytes("pdf", paper="a5")
    with pytest.raises(TypeError):
        report.write(42)
    assert not any(tmp_path.glob("bom*"))


def test_a_pdf_that_cuts_a_text_warns_and_strict_writes_nothing(tmp_path):
    template = tmp_path / "t.json"
    template.write_text(json.dumps({"children": [{"type": "kDetails",
                                                  "tuples": [["%PNum", ""], ["%Name", ""]]}]}))
    parts = tmp_path / "p.csv"
    parts.write_text("%PNum,%Name\nP1," + "A" * 3000 + "\n")
    loaded = vrkbom.Template.load(template), vrkbom.Parts.load(parts)
    with pytest.warns(vrkbom.ReportWarning, match=r'cuts 1 text of the column "Name".*\(paper=a3, landscape=True\)'):
        vrkbom.evaluate(*loaded).write(tmp_path / "cut.pdf")
    assert (tmp_path / "cut.pdf").stat().st_size > 0
    strict = vrkbom.evaluate(*loaded, strict=True)
    with pytest.raises(vrkbom.ReportWarning, match="strict: 1 warning"):
        strict.write(tmp_path / "strict.pdf")
    with pytest.raises(vrkbom.ReportWarning):
        strict.to_bytes("pdf")
    assert not (tmp_path / "strict.pdf").exists()


def test_a_json_report_from_python_names_options_as_python_takes_them():
    with pytest.warns(vrkbom.ReportWarning):
        report = vrkbom.evaluate(vrkbom.Template.load(example("position-list.json")),
                                 vrkbom.Parts.load(example("steel-parts.csv")))
    words = [w["message"] for w in json.loads(report.to_bytes("json"))["warnings"]]
    assert any("merge_equal=True" in w for w in words), words
    assert not any("--" in w for w in words), words
