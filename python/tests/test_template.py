"""Templates: read from files, made from dicts and written back, as bomreport's
template files."""

import json
import warnings

import pytest

import vrkbom
from conftest import example

EXAMPLES = ["steel-template.json", "position-list.json", "material-summary.json",
            "bolt-list.json", "assembly-list.json"]


@pytest.mark.parametrize("name", EXAMPLES)
def test_to_dict_is_the_template_file_bomreport_writes_back(bomreport, name):
    template = vrkbom.Template.load(example(name))
    exported = bomreport.output("--template", example(name), "--export-template")
    assert template.to_dict() == json.loads(exported)
    assert template.name == example(name)
    assert repr(template) == f"<vrkbom.Template {example(name)}>"


def test_the_default_template_is_bomreports(bomreport):
    exported = bomreport.output("--export-template")
    default = vrkbom.Template.default()
    assert default.to_dict() == json.loads(exported)
    assert default.name == "built-in default template"


def test_a_template_from_a_dict_gives_the_files_report():
    parts = vrkbom.Parts.load(example("steel-parts.csv"))
    loaded = vrkbom.Template.load(example("position-list.json"))
    made = vrkbom.Template.from_dict(loaded.to_dict(), name="positions.json")
    assert made.name == "positions.json"
    assert made.to_dict() == loaded.to_dict()
    by_file = vrkbom.evaluate(loaded, parts, merge_equal=True)
    by_dict = vrkbom.evaluate(made, parts, merge_equal=True)
    assert by_dict.to_bytes("json") == by_file.to_bytes("json")
    assert by_dict.template_name == "positions.json"


def test_ints_and_floats_keep_their_kinds():
    template = vrkbom.Template.from_dict({
        "tokenUnits": [["Span", "kDistanceUnit"]],
        "children": [{"type": "kDetails", "tuples": [["%Quantity", 0], ["%Weight", 0.0],
                                                     ["Label", "x"], ["Nothing", None]]}]})
    assert template.to_dict() == {
        "type": "kBomTemplate", "tokenUnits": [["Span", "kDistanceUnit"]],
        "children": [{"type": "kDetails", "tuples": [["%Quantity", 0], ["%Weight", 0.0],
                                                     ["Label", "x"], ["Nothing", None]]}]}
    assert type(template.to_dict()["children"][0]["tuples"][1][1]) is float


def test_one_template_serves_many_evaluations():
    template = vrkbom.Template.load(example("steel-template.json"))
    parts = vrkbom.Parts.load(example("steel-parts.csv"))
    first = vrkbom.evaluate(template, parts).to_bytes("json")
    metres = vrkbom.evaluate(template, parts, units={"length": "m"}).to_bytes("json")
    assert metres != first
    assert vrkbom.evaluate(template, parts).to_bytes("json") == first


def test_warnings_name_the_lines_of_the_file_and_of_the_dict(tmp_path):
    tree = {"children": [{"type": "kDetails", "tuples": [["%PNum", ""], ["%SumBy:%Weight", 0.0]]}]}
    path = tmp_path / "compact.json"
    path.write_text(json.dumps(tree))  # one line
    parts = vrkbom.Parts.load(example("steel-parts.csv"))
    with warnings.catch_warnings(record=True) as issued:
        warnings.simplefilter("always")
        vrkbom.evaluate(vrkbom.Template.load(path), parts)
        vrkbom.evaluate(vrkbom.Template.from_dict(tree, "tree"), parts)
    named = [str(w.message).split(": ")[0] for w in issued if "sum" in str(w.message)]
    assert named == [str(path) + ":1", "tree:10"], named  # the tuple's "["
