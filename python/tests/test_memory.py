"""Evaluating a thousand times does not grow the process: every report's trees,
items and documents are released."""

import gc
import os

import vrkbom
from conftest import example

SLACK = 4 << 20  # bytes: the allocator's own fluctuation


def resident_bytes():
    with open("/proc/self/statm") as statm:
        return int(statm.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")


def one_round(template, parts):
    report = vrkbom.evaluate(template, parts, merge_equal=True)
    items = list(report)
    assert len(items) == len(report.to_records()) > 10
    assert report.to_bytes("json").startswith(b"{")
    report.used()


def test_a_thousand_evaluations_do_not_grow_the_process():
    template = vrkbom.Template.load(example("position-list.json"))
    parts = vrkbom.Parts.load(example("steel-parts.csv"))
    records = vrkbom.Parts.from_records([{"%PNum": f"P{i}", "%Quantity": i} for i in range(300)])
    for _ in range(100):  # warm-up: the allocator's pools, the writers' caches
        one_round(template, parts)
        one_round(template, records)
    gc.collect()
    before = resident_bytes()
    for _ in range(1000):
        one_round(template, parts)
    for _ in range(200):
        one_round(template, records)
    gc.collect()
    after = resident_bytes()
    print(f"resident after warm-up {before / 2**20:.1f} MiB, after 1,200 evaluations "
          f"{after / 2**20:.1f} MiB, grown by {(after - before) / 2**10:.0f} KiB")
    assert after - before < SLACK
