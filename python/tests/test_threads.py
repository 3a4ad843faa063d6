"""Evaluations on eight threads at once: serialised by the module, each result as
the same evaluation gives it on one thread."""

import threading

import pandas

import vrkbom
from conftest import example

THREADS = 8
ROUNDS = 5


def configurations():
    """Eight evaluations that differ in template, parts, units, collation and settings:
    process-wide state the engine's lock must keep apart."""
    load = vrkbom.Template.load
    csv = vrkbom.Parts.load(example("steel-parts.csv"))
    json_parts = vrkbom.Parts.load(example("steel-parts.json"))
    frame = vrkbom.Parts.from_records(pandas.read_csv(example("steel-parts.csv")))
    return [
        (load(example("steel-template.json")), csv, {}),
        (load(example("steel-template.json")), json_parts, dict(units={"length": "m"})),
        (load(example("position-list.json")), csv, dict(merge_equal=True, collation="natural")),
        (load(example("position-list.json")), frame, dict(merge_equal=True)),
        (load(example("material-summary.json")), csv,
         dict(units={"weight": "t"}, settings={"C0_BOMSuppressLastZeros": 0})),
        (load(example("bolt-list.json")), json_parts, dict(merge_equal=True)),
        (load(example("assembly-list.json")), csv,
         dict(merge_equal=True, input_units={"length": "m"})),
        (vrkbom.Template.default(), frame, dict(all_tokens=True, collation="natural")),
    ]


def rendered(template, parts, options):
    report = vrkbom.evaluate(template, parts, **options)
    return report.to_bytes("json"), report.to_bytes("csv", csv_sums_under_token=True), \
        report.to_records()


def test_eight_threads_evaluate_at_once_and_each_gets_its_own_report():
    import warnings
    warnings.simplefilter("ignore", vrkbom.ReportWarning)
    work = configurations()
    assert len(work) == THREADS
    expected = [rendered(*configuration) for configuration in work]
    assert len({result[0] for result in expected}) == THREADS  # all differ
    start = threading.Barrier(THREADS)
    failures = []
    done = []

    def run(index):
        start.wait()
        for _ in range(ROUNDS):
            result = rendered(*work[index])
            if result != expected[index]:
                failures.append(index)
        done.append(index)

    threads = [threading.Thread(target=run, args=(i,)) for i in range(THREADS)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join(timeout=300)
    assert sorted(done) == list(range(THREADS))
    assert failures == []


def test_threads_run_while_an_evaluation_waits_for_the_lock():
    """The GIL is let go during an evaluation: a pure Python thread keeps counting."""
    template = vrkbom.Template.load(example("position-list.json"))
    parts = vrkbom.Parts.load(example("steel-parts.csv"))
    counted = []
    stop = threading.Event()

    def count():
        n = 0
        while not stop.is_set():
            n += 1
        counted.append(n)

    counter = threading.Thread(target=count)
    counter.start()
    for _ in range(20):
        vrkbom.evaluate(template, parts, merge_equal=True).to_bytes("pdf")
    stop.set()
    counter.join()
    assert counted[0] > 1000
