"""Evaluations on eight threads at once: serialised by the module, each result as
the same evaluation gives it on one thread."""

import threading
import time

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


def test_python_threads_run_while_the_engine_works():
    """The GIL is let go while the library runs: a thread of pure Python keeps counting
    during a long evaluation at about the pace it counts alone, where it would stand
    still (but for one switch interval) if the GIL were held."""
    template = vrkbom.Template.load(example("steel-template.json"))
    parts = vrkbom.Parts.from_records(
        [{"type": 1, "%MNum": f"B{i % 97}", "%PNum": f"P{i % 1013}", "%Name": "HEA200",
          "%Material": "S355J2", "%Quantity": 1, "%Length": 1000.0 + i % 300,
          "%Weight": 42.5, "%ElementID": f"E{i}"} for i in range(150_000)])
    count = [0]
    stop = threading.Event()

    def counter():
        while not stop.is_set():
            count[0] += 1

    thread = threading.Thread(target=counter)
    thread.start()
    try:
        time.sleep(0.05)
        start, counted = time.perf_counter(), count[0]
        time.sleep(0.1)
        pace = (count[0] - counted) / (time.perf_counter() - start)  # counts per second
        start, counted = time.perf_counter(), count[0]
        vrkbom.evaluate(template, parts).to_bytes("csv")
        seconds = time.perf_counter() - start
        during = count[0] - counted
    finally:
        stop.set()
        thread.join()
    assert seconds > 0.1
    assert during > 0.2 * pace * seconds


def test_one_report_read_and_written_from_four_threads_at_once():
    """The items are made once, whoever asks first; writers and used handles
    take turns on the report's trees."""
    parts = pandas.read_csv(example("steel-parts.csv"))
    many = pandas.concat([parts.assign(**{"#handle": parts["#handle"] + "-%d" % i})
                          for i in range(60)], ignore_index=True)  # 18,600 parts

    def evaluated():
        return vrkbom.evaluate(example("steel-template.json"), many)

    expected_report = evaluated()
    expected = (expected_report.to_records(), expected_report.to_bytes("csv", used=True))
    report = evaluated()
    start = threading.Barrier(4)
    results = []

    def run():
        start.wait()
        for _ in range(2):
            results.append((report.to_records(), report.to_bytes("csv", used=True)))

    threads = [threading.Thread(target=run) for _ in range(4)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join(timeout=300)
    assert len(results) == 8 and all(result == expected for result in results)
