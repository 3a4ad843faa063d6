"""DataFrames in, DataFrames out: what evaluate takes, the parts layout, the
totals, and writing to a file object."""

import io

import pandas
import pytest

import vrkbom
from conftest import example

SUMMARY = example("material-summary.json")


@pytest.fixture(scope="module")
def parts():
    return pandas.read_csv(example("steel-parts.csv"))


@pytest.fixture(scope="module")
def summary(parts):
    return vrkbom.evaluate(SUMMARY, parts, merge_equal=True, units={"weight": "t"})


def test_evaluate_takes_paths_dicts_frames_and_records(parts, summary):
    expected = summary.to_bytes("json")
    template = vrkbom.Template.load(SUMMARY)
    indexed = parts.set_index("#handle")
    for templ, given in [(template.to_dict(), vrkbom.Parts(parts)),
                         (template, example("steel-parts.csv")),
                         (SUMMARY, parts.to_dict("records")),
                         (SUMMARY, indexed)]:  # a named index is a column
        again = vrkbom.evaluate(templ, given, merge_equal=True, units={"weight": "t"})
        assert again.to_bytes("json").replace(b'"records"', b'"steel-parts.csv"') == \
            expected.replace(b'"records"', b'"steel-parts.csv"')
    odd = parts.assign(Checked=True, When=pandas.Timestamp("2026-01-01"))
    vrkbom.evaluate(SUMMARY, odd, merge_equal=True)  # columns no token uses are passed over
    used = parts.assign(**{"%Material": parts["#type"] > 2})
    with pytest.raises(TypeError, match=r'column "%Material" of records, whose values are bool'):
        vrkbom.evaluate(SUMMARY, used)
    with pytest.raises(TypeError, match="a vrkbom.Parts, a parts file's path, a pandas"):
        vrkbom.evaluate(SUMMARY, 5)


def test_parts_layout_and_totals(summary):
    frame = summary.to_pandas()
    assert list(frame.columns) == ["Material", "Name", "PNum", "Quantity", "LengthInModel",
                                   "WeightInModel"]
    assert str(frame["Quantity"].dtype) == "Int64"
    first = frame.iloc[0].tolist()
    assert first == ["S235JR", "L80x8", "P40", 4, 33680.0, pytest.approx(0.32434)]
    assert list(summary.to_pandas(captions=True).columns) == [
        "Grade", "Profile", "Pos.", "Qty", "Length", "Weight"]
    totals = summary.totals()
    assert sorted(totals) == [0, 1, 2]
    assert totals[0]["WeightInModel"].tolist() == [pytest.approx(13.747152)]
    assert totals[1]["Material"].tolist() == ["S235JR", "S355J2"]
    assert totals[1]["WeightInModel"].sum() == pytest.approx(frame["WeightInModel"].sum())
    assert len(summary.to_pandas("report")) == len(summary)


def test_a_value_a_part_lacks_is_missing_not_zero():
    template = {"children": [
        {"type": "kReportHeader", "children": [{"type": "kDetails", "tuples": [
            ["%SortAscBy:%PNum", ""], ["%PNum", ""], ["%Weight", 0.0], ["%Quantity", 0]]}]},
        {"type": "kReportFooter", "tuples": [["%SumBy:%Weight", 0.0]]}]}
    parts = [{"%PNum": "P1", "%Weight": 10.5, "%Quantity": 2}, {"%PNum": "P2"}]
    with pytest.warns(vrkbom.ReportWarning, match='no "%Weight"'):
        report = vrkbom.evaluate(template, parts)
    frame = report.to_pandas()
    assert frame["Weight"].isna().tolist() == [False, True]
    assert frame["Quantity"].isna().tolist() == [False, True]
    assert [r.get("%Weight", 0) for r in report.to_records() if r["type"] == "kDetails"] == \
        [10.5, None]
    assert report.totals()[0]["Weight"].tolist() == [10.5]


def test_write_to_a_file_object_and_unknown_extensions(summary):
    sink = io.BytesIO()
    summary.write(sink, "xlsx")
    assert sink.getvalue().startswith(b"PK\x03\x04")

    class Short(io.RawIOBase):  # a pipe's or socket's write: fewer bytes than given
        def __init__(self, answer=None):
            self.got, self.answer = bytearray(), answer

        def writable(self):
            return True

        def write(self, data):
            if self.answer is not None:
                return self.answer
            self.got += bytes(data[:1000])
            return min(len(data), 1000)

    short = Short()
    summary.write(short, "csv")
    assert bytes(short.got) == summary.to_bytes("csv")
    for answer in (0, "x"):
        with pytest.raises(OSError, match="not written whole"):
            summary.write(Short(answer), "csv")
    with pytest.raises(TypeError, match="binary mode"):
        summary.write(io.StringIO(), "text")
    with pytest.raises(ValueError, match=r"\.xls: .*\(text, list, csv, json, html, xlsx, pdf\)"):
        summary.write("x.xls")
    assert "units: Mapping[str, str] | str | None" in vrkbom.evaluate.__doc__


def test_diff_gives_the_revision_list_of_bomreport(bomreport, tmp_path):
    args = dict(merge_equal=True, collation="natural", by_handle=True)
    revisions = vrkbom.diff(example("position-list.json"), example("steel-parts.csv"),
                            example("steel-parts-rev2.csv"), **args)
    assert revisions.counts == {"added": 2, "removed": 1, "changed": 4, "unchanged": 11}
    assert revisions.moves == [("2FDB", "P22", "P23")]
    frame = revisions.to_pandas().set_index("key")
    assert frame.loc["P21", ["change", "%Quantity before", "%Quantity after"]].tolist() == \
        ["changed", 16, 12]
    assert frame.loc["Σ Total", "%SumBy:%WeightInModel difference"] == pytest.approx(59.416)
    revisions.write(tmp_path / "rev.json")
    expected = bomreport.output("diff", "--template", example("position-list.json"), "--data",
                         example("steel-parts.csv"), "--data", example("steel-parts-rev2.csv"),
                         "--merge-equal", "--collation", "natural", "--by-handle",
                         "--format", "json")
    assert (tmp_path / "rev.json").read_bytes() == expected == revisions.to_bytes("json")
