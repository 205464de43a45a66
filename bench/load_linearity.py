"""Load time per node from 1 KB to 100 MB: whether loading stays linear in the size
of the text, for documents of a few shapes.

Usage, from the repository root with the module importable:

    PYTHONPATH=build python bench/load_linearity.py [--max-mb 100] [--clock wall|cpu]

For each shape and size the text is made by repeating one unit of YAML until the
size is reached; a node is one mapping entry or sequence item. The table gives
the best time of a load (and, apart, of freeing what it made) over enough repeats
to fill about a second, as microseconds per node, and the cost per node against
that shape's 1 MB text. Loading is linear when every size stays within 20% of it.
The last column times json.loads on the same data as JSON, against its own 1 MB
figure: a reference for what the interpreter's own dict and str building costs as
the data outgrows the processor's caches.
"""

import argparse
import gc
import json
import time

import plovarn


def record_unit(i):
    # A configuration record: keys repeated in every unit, a nested mapping, a
    # list of scalars, a list of mappings, comments above and beside entries.
    return (
        f"# record {i}\n"
        f"- name: service-{i}  # its name\n"
        f"  enabled: true\n"
        f"  replicas: {i % 7}\n"
        f"  labels:\n"
        f"    app: web\n"
        f"    tier: t{i % 3}\n"
        f"  ports: [80, 443, {8000 + i % 100}]\n"
        f"  env:\n"
        f"    - name: MODE\n"
        f"      value: production\n"
        f"    - name: LEVEL\n"
        f"      value: '{i}'\n"
    )


def unique_keys_unit(i):
    # One large mapping whose keys are all different.
    return f"id-{i:09d}: {{count: {i}, note: entry {i}}}\n"


def commented_unit(i):
    # Mostly comment lines, as in the shared corpus.
    return (
        "# " + "explanation of the setting below " * 2 + "\n"
        "#   - more text about it\n"
        f"setting_{i % 50}_{i}: value {i}  # why\n"
    )


SHAPES = {"records": record_unit, "unique keys": unique_keys_unit, "comments": commented_unit}


def make_text(unit, size):
    parts, length, i = [], 0, 0
    while length < size:
        part = unit(i)
        parts.append(part)
        length += len(part)
        i += 1
    return "".join(parts)


def count_nodes(value):
    count, pending = 0, [value]
    while pending:
        v = pending.pop()
        if isinstance(v, dict):
            count += len(v)
            pending.extend(v.values())
        elif isinstance(v, list):
            count += len(v)
            pending.extend(v)
    return count


def timed(clock, text, budget=1.0, load=plovarn.loads):
    """Best load time and best time to free the result, over repeats filling `budget`.
    A small text is loaded in batches that last about 10 ms each, so that neither the
    clock's own cost nor the caches that the collection before each repeat leaves
    cold are counted as the cost of a few nodes."""
    start = clock()
    load(text)
    batch = max(1, min(10_000, int(0.01 / max(clock() - start, 1e-7))))
    best_load = best_free = float("inf")
    spent, runs = 0.0, 0
    while runs < 3 or (spent < budget and runs < 2000):
        gc.collect()
        start = clock()
        docs = [load(text) for _ in range(batch)]
        middle = clock()
        del docs
        end = clock()
        best_load = min(best_load, (middle - start) / batch)
        best_free = min(best_free, (end - middle) / batch)
        spent += end - start
        runs += 1
    return best_load, best_free


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--max-mb", type=float, default=100)
    parser.add_argument("--clock", choices=["wall", "cpu"], default="cpu")
    args = parser.parse_args()
    clock = time.process_time if args.clock == "cpu" else time.perf_counter
    sizes = [s for s in (1e3, 1e4, 1e5, 1e6, 1e7, 1e8) if s <= args.max_mb * 1e6]
    print(f"{args.clock} clock; us per node, and against the 1 MB text of the same shape")
    header = (f"{'shape':<12} {'size':>7} {'nodes':>9} {'load':>7} {'x1MB':>6} {'free':>7} {'x1MB':>6}"
              f" {'json':>7} {'x1MB':>6}")
    print(header)
    print("-" * len(header))
    worst = 0.0
    for shape, unit in SHAPES.items():
        rows = []
        for size in sizes:
            text = make_text(unit, int(size))
            doc = plovarn.loads(text)
            nodes = count_nodes(doc)
            json_text = json.dumps(doc.to_dict())
            del doc
            load, free = timed(clock, text)
            json_load, _ = timed(clock, json_text, load=json.loads)
            rows.append((size, nodes, load / nodes * 1e6, free / nodes * 1e6, json_load / nodes * 1e6))
        ref = next((r for r in rows if r[0] == 1e6), rows[-1])
        for size, nodes, load, free, json_load in rows:
            ratio_load, ratio_free, ratio_json = load / ref[2], free / ref[3], json_load / ref[4]
            worst = max(worst, abs(ratio_load - 1))
            label = f"{size / 1e6:g} MB" if size >= 1e6 else f"{size / 1e3:g} KB"
            print(f"{shape:<12} {label:>7} {nodes:>9} {load:>7.3f} {ratio_load:>6.2f} {free:>7.3f} {ratio_free:>6.2f}"
                  f" {json_load:>7.3f} {ratio_json:>6.2f}")
    print(f"\nlargest departure of the load cost per node from the 1 MB text: {worst * 100:.0f}%")


if __name__ == "__main__":
    main()
