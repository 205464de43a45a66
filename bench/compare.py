"""Loading and dumping speed of plovarn against its peers, on a corpus of YAML files.

Usage, from the repository root with the module importable:

    PYTHONPATH=build python bench/compare.py [CORPUS] [--repeat N] [--clock wall|cpu]

CORPUS defaults to ../shared/corpus relative to the repository root. Needs PyYAML
with its C extension and ruamel.yaml (`pip install .[bench]`).

Sections:
  load     plovarn.loads_all, PyYAML CSafeLoader and SafeLoader, ruamel.yaml round
           trip, and json.loads of the same data re-encoded as JSON; MB/s counts the
           YAML bytes of the corpus for every library, so all rows read the same data.
  depth    the same number of leaves nested 2 and 16 levels deep, in two shapes.
  memory   RSS growth of a fresh process that loads the corpus and keeps it.
  dump     plovarn.dumps_all, PyYAML CSafeDumper, ruamel.yaml round trip, json.dumps.
"""

import argparse
import gc
import io
import json
import os
import pathlib
import subprocess
import sys
import time

import plovarn
import yaml
from ruamel.yaml import YAML

REPO = pathlib.Path(__file__).resolve().parent.parent


def corpus_files(root):
    return sorted(p for p in pathlib.Path(root).rglob("*") if p.is_file() and p.suffix in (".yaml", ".yml"))


CLOCK = time.perf_counter


def best_time(function, repeat):
    return best_times({"": function}, repeat)[""]


def best_times(functions, repeat):
    """The best time of each function over `repeat` rounds that run each once in
    turn: a slow spell of a shared machine then falls on every library alike,
    rather than on whichever had all its runs inside it."""
    best = dict.fromkeys(functions, float("inf"))
    for _ in range(repeat):
        for name, function in functions.items():
            gc.collect()
            start = CLOCK()
            function()
            best[name] = min(best[name], CLOCK() - start)
    return best


def ruamel_loader():
    return YAML(typ="rt", pure=True)


def ruamel_load_all(text):
    return list(ruamel_loader().load_all(text))


def ruamel_dump_all(docs):
    out = io.StringIO()
    YAML(typ="rt", pure=True).dump_all(docs, out)
    return out.getvalue()


def json_ready(value):
    """PyYAML's data with every key as text and every odd scalar (dates) as text."""
    if isinstance(value, dict):
        return {str(k): json_ready(v) for k, v in value.items()}
    if isinstance(value, list):
        return [json_ready(v) for v in value]
    if value is None or isinstance(value, (bool, int, float, str)):
        return value
    return str(value)


LOADERS = {
    "plovarn": plovarn.loads_all,
    "PyYAML CSafeLoader": lambda t: list(yaml.load_all(t, Loader=yaml.CSafeLoader)),
    "PyYAML SafeLoader": lambda t: list(yaml.load_all(t, Loader=yaml.SafeLoader)),
    "ruamel.yaml (rt)": ruamel_load_all,
}


def usable_texts(files):
    """Texts of the files that every library loads; the others with the reason."""
    texts, skipped = [], []
    for path in files:
        text = path.read_text(encoding="utf-8")
        for name, load in LOADERS.items():
            try:
                load(text)
            except Exception as exc:  # noqa: BLE001 - any failure means the file is skipped
                skipped.append((path, name, f"{type(exc).__name__}: {str(exc).splitlines()[0][:90]}"))
                break
        else:
            texts.append((path, text))
    return texts, skipped


def table(rows, headers):
    widths = [max(len(str(r[i])) for r in rows + [headers]) for i in range(len(headers))]
    line = "  ".join(h.ljust(w) if i == 0 else h.rjust(w) for i, (h, w) in enumerate(zip(headers, widths)))
    print(line)
    print("-" * len(line))
    for r in rows:
        print("  ".join(str(c).ljust(w) if i == 0 else str(c).rjust(w) for i, (c, w) in enumerate(zip(r, widths))))


def load_section(texts, repeat):
    size = sum(len(t.encode()) for _, t in texts)
    only = [t for _, t in texts]
    pyyaml_docs = [list(yaml.load_all(t, Loader=yaml.CSafeLoader)) for t in only]
    json_texts = [json.dumps(json_ready(d)) for d in pyyaml_docs]
    slow = max(1, repeat // 3)
    # The loaders the targets compare with get as many runs as plovarn, taken in
    # turn with its own: a best of fewer runs, or of runs bunched in time, would
    # tilt the ratio on a noisy machine.
    compared = best_times({
        "plovarn": lambda: [plovarn.loads_all(t) for t in only],
        "PyYAML CSafeLoader": lambda: [LOADERS["PyYAML CSafeLoader"](t) for t in only],
        "json.loads": lambda: [json.loads(j) for j in json_texts],
    }, repeat)
    times = {
        "plovarn": compared["plovarn"],
        "PyYAML CSafeLoader": compared["PyYAML CSafeLoader"],
        "PyYAML SafeLoader": best_time(lambda: [LOADERS["PyYAML SafeLoader"](t) for t in only], slow),
        "ruamel.yaml (rt)": best_time(lambda: [ruamel_load_all(t) for t in only], slow),
        "json.loads": compared["json.loads"],
    }
    print(f"\n== load: {len(only)} files, {size / 1e6:.2f} MB of YAML "
          f"({sum(len(j) for j in json_texts) / 1e6:.2f} MB as JSON)")
    base = times["plovarn"]
    rows = [(name, f"{size / t / 1e6:.1f}", f"{t * 1e3:.1f}", f"{t / base:.2f}x") for name, t in times.items()]
    table(rows, ["library", "MB/s", "ms", "plovarn speed-up"])
    return pyyaml_docs


def chain_text(depth, groups=256, leaves=256):
    """`groups` mappings of `leaves` scalars each, every one under a chain of
    single-key mappings so that the leaves sit `depth` mapping levels deep. The
    leaf and group counts do not change with the depth, only the nesting does."""
    lines = []
    for g in range(groups):
        lines.append(f"g{g}:")
        indent = "  "
        for d in range(depth - 2):
            lines.append(f"{indent}c{d}:")
            indent += "  "
        lines.extend(f"{indent}k{i}: value {i}" for i in range(leaves))
    return "\n".join(lines) + "\n"


def balanced_text(depth, leaves):
    """A block mapping of `leaves` scalars under `depth` levels of mappings with the
    same fan-out at every level (so the deeper tree has more inner mappings)."""
    fan = round(leaves ** (1.0 / depth))
    lines = []

    def level(d, indent):
        for i in range(fan):
            if d == depth:
                lines.append(f"{indent}k{i}: value {i}")
            else:
                lines.append(f"{indent}k{i}:")
                level(d + 1, indent + "  ")

    level(1, "")
    return "\n".join(lines) + "\n"


def depth_section(repeat):
    shapes = {
        "chains over 256 x 256 leaves": (chain_text(2), chain_text(16)),
        "balanced, fan-out 256 vs 2": (balanced_text(2, 65536), balanced_text(16, 65536)),
    }
    print("\n== depth: 65536 leaves nested 2 and 16 mapping levels deep")
    rows = []
    for shape, (shallow, deep) in shapes.items():
        for name, load, times in (("plovarn", plovarn.loads, repeat),
                                  ("PyYAML CSafeLoader", lambda t: yaml.load(t, Loader=yaml.CSafeLoader),
                                   max(1, repeat // 3))):
            t2 = best_time(lambda: load(shallow), times)
            t16 = best_time(lambda: load(deep), times)
            rows.append((f"{name}, {shape}", f"{t2 * 1e3:.1f}", f"{t16 * 1e3:.1f}", f"{t16 / t2:.2f}"))
    table(rows, ["library, shape", "depth 2 ms", "depth 16 ms", "ratio 16/2"])


def retained(library, root, skip):
    """Runs in a fresh process: RSS growth from loading the corpus and keeping it."""
    texts = [p.read_text(encoding="utf-8") for p in corpus_files(root) if str(p) not in skip]
    load = LOADERS[library]

    def rss():
        with open("/proc/self/statm") as f:
            return int(f.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")

    gc.collect()
    before = rss()
    kept = [load(t) for t in texts]
    gc.collect()
    print(rss() - before)
    return kept


def memory_section(root, skipped):
    print("\n== memory: RSS growth of a fresh process holding the loaded corpus")
    results = {}
    for library in ("plovarn", "PyYAML CSafeLoader"):
        cmd = [sys.executable, __file__, str(root), "--retained", library, "--skip", *sorted(skipped)]
        out = subprocess.run(cmd, check=True, capture_output=True, text=True, env=os.environ).stdout
        results[library] = int(out.split()[-1])
    base = results["PyYAML CSafeLoader"]
    table([(k, f"{v / 1e6:.2f}", f"{v / base:.2f}x") for k, v in results.items()],
          ["library", "MB", "of PyYAML"])


def dump_section(texts, pyyaml_docs, repeat):
    only = [t for _, t in texts]
    ours = [plovarn.loads_all(t) for t in only]
    ruamel_docs = [ruamel_load_all(t) for t in only]
    plain = [json_ready(d) for d in pyyaml_docs]
    outputs = {}

    def run(name, function, times):
        outputs[name] = function()
        return best_time(function, times)

    slow = max(1, repeat // 3)
    times = {
        "plovarn": run("plovarn", lambda: [plovarn.dumps_all(d) for d in ours], repeat),
        "PyYAML CSafeDumper": run("PyYAML CSafeDumper", lambda: [
            yaml.dump_all(d, Dumper=yaml.CSafeDumper, sort_keys=False) for d in pyyaml_docs], slow),
        "ruamel.yaml (rt)": run("ruamel.yaml (rt)", lambda: [ruamel_dump_all(d) for d in ruamel_docs], slow),
        "json.dumps": run("json.dumps", lambda: [json.dumps(d) for d in plain], repeat),
    }
    print("\n== dump: the loaded corpus written back as text")
    base = times["plovarn"]
    rows = []
    for name, t in times.items():
        size = sum(len(s.encode()) for s in outputs[name])
        rows.append((name, f"{size / 1e6:.2f}", f"{size / t / 1e6:.1f}", f"{t * 1e3:.1f}", f"{t / base:.2f}x"))
    table(rows, ["library", "MB out", "MB/s", "ms", "plovarn speed-up"])


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("corpus", nargs="?", default=str(REPO.parent / "shared" / "corpus"))
    parser.add_argument("--repeat", type=int, default=5, help="timed runs per library; the best counts")
    parser.add_argument("--clock", choices=["wall", "cpu"], default="wall",
                        help="cpu: process CPU time, steadier on a busy machine")
    parser.add_argument("--retained", help=argparse.SUPPRESS)
    parser.add_argument("--skip", nargs="*", default=[], help=argparse.SUPPRESS)
    args = parser.parse_args()
    if args.retained:
        retained(args.retained, args.corpus, set(args.skip))
        return

    global CLOCK
    CLOCK = time.process_time if args.clock == "cpu" else time.perf_counter
    files = corpus_files(args.corpus)
    texts, skipped = usable_texts(files)
    print(f"corpus {args.corpus}: {len(files)} files, {len(texts)} loaded by every library; "
          f"{args.clock} clock, best of {args.repeat}")
    for path, name, reason in skipped:
        print(f"  skipped {path.relative_to(args.corpus)}: {name} failed ({reason})")
    pyyaml_docs = load_section(texts, args.repeat)
    depth_section(args.repeat)
    memory_section(args.corpus, {str(p) for p, _, _ in skipped})
    dump_section(texts, pyyaml_docs, args.repeat)


if __name__ == "__main__":
    main()
