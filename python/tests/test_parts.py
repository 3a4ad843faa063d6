"""Parts from records and DataFrames: the same reports as bomreport gives for the
same parts in a file, and how values are typed."""

import json
import math
import warnings

import numpy
import pandas
import pytest

import vrkbom
from conftest import example

STEEL = vrkbom.Template.load(example("steel-template.json"))
POSITIONS = vrkbom.Template.load(example("position-list.json"))
COMPARED = ["text", "list", "csv", "json"]  # the formats that do not name the parts


def records_of_json_parts():
    """steel-parts.json as records: the reserved keys, then token: value."""
    with open(example("steel-parts.json")) as file:
        parts = json.load(file)
    records = []
    for part in parts:
        record = {key: part[key] for key in ("handle", "type", "equal") if key in part}
        record.update((token, value) for token, value in part["tuples"])
        records.append(record)
    return records


@pytest.mark.parametrize("template,options,extra", [
    (STEEL, [], {}),
    (POSITIONS, ["--merge-equal", "--collation", "natural"],
     dict(merge_equal=True, collation="natural")),
])
def test_records_give_the_report_of_the_json_file(bomreport, template, options, extra):
    report = vrkbom.evaluate(template, vrkbom.Parts.from_records(records_of_json_parts()), **extra)
    for fmt in COMPARED:
        expected = bomreport.output("--template", example(template.name), "--data",
                                    example("steel-parts.json"), *options, "--format", fmt)
        assert report.to_bytes(fmt) == expected, fmt
    assert report.data_name == "records"


def test_a_data_frame_read_from_the_csv_file_gives_its_report(bomreport):
    frame = pandas.read_csv(example("steel-parts.csv"))
    assert frame["%Width"].isna().any() and frame["#equal"].isna().any()  # gaps: NaN
    for template, options, extra in [(STEEL, [], {}),
                                     (POSITIONS, ["--merge-equal"], dict(merge_equal=True))]:
        report = vrkbom.evaluate(template, vrkbom.Parts.from_records(frame), **extra)
        for fmt in COMPARED:
            expected = bomreport.output("--template", example(template.name), "--data",
                                        example("steel-parts.csv"), *options, "--format", fmt)
            assert report.to_bytes(fmt) == expected, fmt
    # Records taken from the frame give the same report.
    by_records = vrkbom.evaluate(STEEL, vrkbom.Parts.from_records(frame.to_dict("records")))
    assert by_records.to_bytes("json") == vrkbom.evaluate(
        STEEL, vrkbom.Parts.from_records(frame)).to_bytes("json")


def test_a_report_frame_goes_round_to_parts_and_back():
    positions = vrkbom.evaluate(POSITIONS, vrkbom.Parts.load(example("steel-parts.csv")),
                                merge_equal=True).to_pandas("report")
    lines = positions[positions["type"] == "kDetails"].drop(columns=["depth", "type"])
    lines = lines.dropna(axis="columns", how="all").rename(columns={"row": "handle"})
    summary = vrkbom.Template.from_dict({"children": [{"type": "kDetails", "tuples": [
        ["%SortAscBy:%PNum", ""], ["%PNum", ""], ["%Quantity", 0], ["%WeightInModel", 0.0]]}]})
    again = vrkbom.evaluate(summary, vrkbom.Parts.from_records(lines, name="positions"))
    frame = again.to_pandas("report")
    assert list(frame.columns) == ["depth", "type", "row", "%PNum", "%Quantity", "%WeightInModel"]
    by_position = lines.set_index("%PNum")
    assert len(frame) == len(lines)
    for _, line in frame.iterrows():
        assert line["%Quantity"] == by_position.loc[line["%PNum"], "%Quantity"]
        assert line["%WeightInModel"] == pytest.approx(
            by_position.loc[line["%PNum"], "%WeightInModel"])
        assert line["row"] == by_position.loc[line["%PNum"], "handle"]


def values_shown(records, *tokens):
    """The values a details section of `tokens` shows for `records`, part by part."""
    template = vrkbom.Template.from_dict(
        {"children": [{"type": "kDetails", "tuples": [[token, ""] for token in tokens]}]})
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", vrkbom.ReportWarning)
        report = vrkbom.evaluate(template, vrkbom.Parts.from_records(records))
    return [item.tuples for item in report]


def test_values_take_the_catalogue_type_or_keep_their_own():
    records = [
        # %Quantity integer, %Material text, %Weight real: catalogue tokens.
        {"%Quantity": 2.0, "%Material": 235, "%Weight": "12.5", "Note": "007", "Count": 7},
        {"%Quantity": numpy.int64(3), "%Material": 2.5, "%Weight": numpy.float32(0.5),
         "Note": 1.25, "Count": 2 ** 40},
        {"%Quantity": "+4", "%Material": None, "%Weight": math.nan, "Note": pandas.NA,
         "Count": -0.0},
    ]
    assert values_shown(records, "%Quantity", "%Material", "%Weight", "Note", "Count") == [
        [("%Quantity", "2"), ("%Material", "235"), ("%Weight", "12.5"), ("Note", "007"),
         ("Count", "7")],
        [("%Quantity", "3"), ("%Material", "2.5"), ("%Weight", "0.5"), ("Note", "1.25"),
         ("Count", "1.09951e+12")],
        [("%Quantity", "4"), ("%Material", ""), ("%Weight", ""), ("Note", ""), ("Count", "0")],
    ]


def test_handles_equal_parts_and_object_types():
    template = vrkbom.Template.from_dict({"children": [{"type": "kDetails", "tuples": [
        ["%FilterBy: 1, 2", ""], ["%PNum", ""]]}]})
    records = [
        {"handle": "2A40", "type": 1, "equal": "2A47; 2A4E 2A55", "%PNum": "P1"},
        {"#handle": 7, "#type": 2.0, "#equal": ["8", 9], "%PNum": "P2"},
        {"type": 3, "%PNum": "P3"},  # left out by the filter
        {"type": "2", "%PNum": "P4"},  # its handle: its number
        {"handle": None, "type": math.nan, "%PNum": "P5"},  # no type: always kept
    ]
    report = vrkbom.evaluate(template, vrkbom.Parts.from_records(records))
    assert [item.row for item in report] == ["2A40", "7", "4", "5"]
    assert [handles for handles, _ in report.used()] == [
        ["2A40", "2A47", "2A4E", "2A55"], ["7", "8", "9"], ["4"], ["5"]]


def test_parts_are_named_and_immutable():
    parts = vrkbom.Parts.from_records([{"%PNum": "P1"}], name="frame")
    assert parts.name == "frame" and repr(parts) == "<vrkbom.Parts frame>"
    assert vrkbom.Parts.load(example("steel-parts.csv")).name == example("steel-parts.csv")
    with pytest.warns(vrkbom.ReportWarning, match="no part of frame has the template's token"):
        assert vrkbom.evaluate(STEEL, parts).data_name == "frame"
    with pytest.raises(AttributeError):
        parts.name = "other"


def test_an_ifc_model_gives_the_position_list_of_its_csv(tmp_path):
    options = dict(merge_equal=True, collation="natural")
    csv = vrkbom.evaluate(POSITIONS, vrkbom.Parts.load(example("steel-parts.csv")), **options)
    ifc = vrkbom.evaluate(POSITIONS, vrkbom.Parts.load(example("steel-frame.ifc")), **options)
    assert ifc.to_bytes("text") == csv.to_bytes("text")
    mapping = tmp_path / "map.json"
    mapping.write_text('{"tokens": {"%PNum": ["attribute:Tag"]}}')
    by_tag = vrkbom.evaluate(POSITIONS, vrkbom.Parts.load(example("steel-frame.ifc"),
                                                          ifc_map=mapping), **options)
    assert b"E0001" in by_tag.to_bytes("text")
    mapping.write_text('{"tokens": []}')
    with pytest.raises(vrkbom.InputError, match=r"map.json:1:12: unexpected array"):
        vrkbom.Parts.load(example("steel-frame.ifc"), ifc_map=mapping)
