"""Cost of one edit of a YamlMapping or YamlSequence as the container grows.

Usage, from the repository root with the module importable:

    PYTHONPATH=build python bench/edit_costs.py [--sizes 1000 10000 100000] [--repeat N] [--check]

Every method of the two classes (and item assignment and deletion) runs on a
loaded container of each size, and the same edit on a plain dict or list beside
it. An edit that shrinks or grows the container runs once per entry (deleting
every key, appending as many elements again), so that work done once in a while
(closing the holes removals leave, growing an array) is spread over the edits
it serves; the others run once per entry as well, or a few times when they are
O(n) by nature. The time shown is CPU time per edit, best of the repeats.

"bound" rows are those whose dict or list counterpart is O(1) or amortised O(1):
their time per edit may grow at most 2x from the smallest size to the largest.
--check exits with status 1 when one grows more.
"""

import argparse
import gc
import random
import sys
import time

import plovarn

SIZES = (1000, 10000, 100000)
_texts = {}


def mapping_text(n, nested):
    key = ("map", n, nested)
    if key not in _texts:
        lines = [f"  k{i}: {i}  # c\n" if nested else f"k{i}: {i}  # c\n" for i in range(n)]
        _texts[key] = ("outer:\n" if nested else "") + "".join(lines)
    return _texts[key]


def sequence_text(n, nested):
    key = ("seq", n, nested)
    if key not in _texts:
        lines = [f"  - {i}  # c\n" if nested else f"- {i}  # c\n" for i in range(n)]
        _texts[key] = ("outer:\n" if nested else "") + "".join(lines)
    return _texts[key]


def loaded_mapping(n, nested=False):
    doc = plovarn.loads(mapping_text(n, nested))
    return doc["outer"] if nested else doc


def loaded_sequence(n, nested=False):
    doc = plovarn.loads(sequence_text(n, nested))
    return doc["outer"] if nested else doc


# ---- edits: each takes the container and n, runs its edits, returns their count ----

def assign_existing(m, n):
    for i in range(n):
        m[f"k{i}"] = -i
    return n


def assign_new(m, n):
    for i in range(n):
        m[f"new{i}"] = i
    return n


def delete_in_order(m, n):
    for i in range(n):
        del m[f"k{i}"]
    return n


def delete_at_random(m, n):
    keys = [f"k{i}" for i in range(n)]
    random.Random(n).shuffle(keys)
    for k in keys:
        del m[k]
    return n


def pop_every_key(m, n):
    for i in range(n):
        m.pop(f"k{i}")
    return n


def pop_last_key(m, n):
    for i in reversed(range(n)):
        m.pop(f"k{i}")
    return n


def pop_missing(m, n):
    for i in range(n):
        m.pop(f"x{i}", 0)
    return n


def setdefault_existing(m, n):
    for i in range(n):
        m.setdefault(f"k{i}", 0)
    return n


def setdefault_new(m, n):
    for i in range(n):
        m.setdefault(f"new{i}", 0)
    return n


def update_one_key(m, n, count):
    for i in range(count):
        m.update({f"k{i}": 0})
    return count


def get_comment_before(m, n):
    for i in range(n):
        m.get_comment_before(f"k{i}")
    return n


def get_comment_inline(m, n):
    for i in range(n):
        m.get_comment_inline(f"k{i}")
    return n


def dict_get(d, n):
    for i in range(n):
        d.get(f"k{i}")
    return n


def set_comment_before(m, n):
    for i in range(n):
        m.set_comment_before(f"k{i}", "c")
    return n


def set_comment_inline(m, n):
    for i in range(n):
        m.set_comment_inline(f"k{i}", "c")
    return n


def repeat(function, count):
    def run(obj, n):
        for _ in range(count(n)):
            function(obj)
        return count(n)

    return run


def few(n):
    return max(2, 20000 // n)


def item_assign(s, n):
    for i in range(n):
        s[i] = -i
    return n


def delete_last(s, n):
    for _ in range(n):
        del s[-1]
    return n


def delete_first(s, n):
    for _ in range(few(n)):
        del s[0]
    return few(n)


def append(s, n):
    for i in range(n):
        s.append(i)
    return n


def insert_at_end(s, n):
    for i in range(n):
        s.insert(n + i, i)
    return n


def insert_at_front(s, n):
    for i in range(few(n)):
        s.insert(0, i)
    return few(n)


def pop_last(s, n):
    for _ in range(n):
        s.pop()
    return n


def pop_first(s, n):
    for _ in range(few(n)):
        s.pop(0)
    return few(n)


def remove_first(s, n):
    for i in range(few(n)):
        s.remove(i)
    return few(n)


def extend_by_one(s, n):
    for i in range(n):
        s.extend((i,))
    return n


def seq_get_comment_before(s, n):
    for i in range(n):
        s.get_comment_before(i)
    return n


def seq_get_comment_inline(s, n):
    for i in range(n):
        s.get_comment_inline(i)
    return n


def list_get(s, n):
    for i in range(n):
        s[i]
    return n


def seq_set_comment_before(s, n):
    for i in range(n):
        s.set_comment_before(i, "c")
    return n


def seq_set_comment_inline(s, n):
    for i in range(n):
        s.set_comment_inline(i, "c")
    return n


def list_set(s, n):
    for i in range(n):
        s[i] = i
    return n


def plain_dict(n, nested=False):
    return {f"k{i}": i for i in range(n)}


def plain_list(n, nested=False):
    return list(range(n))


# (edit, counterpart, bound, run on YamlMapping/YamlSequence, run on dict/list, nested)
MAPPING_CASES = [
    ("m[k] = v, existing key", "d[k] = v", True, assign_existing, assign_existing, False),
    ("m[k] = v, new key", "d[k] = v", True, assign_new, assign_new, False),
    ("m[k] = v, loaded nested mapping", "d[k] = v", True, assign_existing, assign_existing, True),
    ("del m[k], every key in order", "del d[k]", True, delete_in_order, delete_in_order, False),
    ("del m[k], every key at random", "del d[k]", True, delete_at_random, delete_at_random, False),
    ("del m[k], loaded nested mapping", "del d[k]", True, delete_in_order, delete_in_order, True),
    ("pop(k), every key in order", "d.pop(k)", True, pop_every_key, pop_every_key, False),
    ("pop(k), last key each time", "d.pop(k)", True, pop_last_key, pop_last_key, False),
    ("pop(k, 0), missing key", "d.pop(k, 0)", True, pop_missing, pop_missing, False),
    ("setdefault(k), existing key", "d.setdefault(k)", True, setdefault_existing, setdefault_existing, False),
    ("setdefault(k), new key", "d.setdefault(k)", True, setdefault_new, setdefault_new, False),
    ("get_comment_before(k)", "d.get(k)", True, get_comment_before, dict_get, False),
    ("get_comment_inline(k)", "d.get(k)", True, get_comment_inline, dict_get, False),
    ("set_comment_before(k, c)", "d[k] = v", True, set_comment_before, assign_existing, False),
    ("set_comment_inline(k, c)", "d[k] = v", True, set_comment_inline, assign_existing, False),
    # Rebuilds the parent dict from inner by definition: O(n) per call.
    ("update({k: v}), one key", "d.update({k: v})", False, lambda m, n: update_one_key(m, n, few(n)),
     lambda d, n: update_one_key(d, n, few(n)), False),
    ("to_dict()", "dict(d)", False, repeat(lambda m: m.to_dict(), few), repeat(dict, few), False),
    ("repr(m)", "repr(d)", False, repeat(repr, few), repeat(repr, few), False),
    ("sort_keys()", "dict(sorted(d.items()))", False, repeat(lambda m: m.sort_keys(), few),
     repeat(lambda d: dict(sorted(d.items())), few), False),
]

SEQUENCE_CASES = [
    ("s[i] = v", "l[i] = v", True, item_assign, item_assign, False),
    ("s[i] = v, loaded nested sequence", "l[i] = v", True, item_assign, item_assign, True),
    ("del s[-1], every element", "del l[-1]", True, delete_last, delete_last, False),
    ("del s[0]", "del l[0]", False, delete_first, delete_first, False),
    ("append(v)", "l.append(v)", True, append, append, False),
    ("append(v), loaded nested sequence", "l.append(v)", True, append, append, True),
    ("insert(len, v)", "l.insert(len, v)", True, insert_at_end, insert_at_end, False),
    ("insert(0, v)", "l.insert(0, v)", False, insert_at_front, insert_at_front, False),
    ("pop(), every element", "l.pop()", True, pop_last, pop_last, False),
    ("pop(0)", "l.pop(0)", False, pop_first, pop_first, False),
    ("remove(v), first element", "l.remove(v)", False, remove_first, remove_first, False),
    ("extend([v]), one element", "l.extend([v])", True, extend_by_one, extend_by_one, False),
    ("get_comment_before(i)", "l[i]", True, seq_get_comment_before, list_get, False),
    ("get_comment_inline(i)", "l[i]", True, seq_get_comment_inline, list_get, False),
    ("set_comment_before(i, c)", "l[i] = v", True, seq_set_comment_before, list_set, False),
    ("set_comment_inline(i, c)", "l[i] = v", True, seq_set_comment_inline, list_set, False),
    ("reverse()", "l.reverse()", False, repeat(lambda s: s.reverse(), few), repeat(list.reverse, few), False),
    ("sort()", "l.sort()", False, repeat(lambda s: s.sort(), few), repeat(list.sort, few), False),
    ("to_dict()", "list(l)", False, repeat(lambda s: s.to_dict(), few), repeat(list, few), False),
    ("repr(s)", "repr(l)", False, repeat(repr, few), repeat(repr, few), False),
]


def per_edit(make, run, n, nested, repeat):
    """Best CPU time per edit over `repeat` runs, each on a fresh container."""
    best = float("inf")
    for _ in range(repeat):
        obj = make(n, nested)
        gc.collect()
        gc.disable()
        start = time.process_time()
        count = run(obj, n)
        elapsed = time.process_time() - start
        gc.enable()
        best = min(best, elapsed / count)
    return best


def fmt_ns(seconds):
    ns = seconds * 1e9
    return f"{ns:,.0f}" if ns >= 100 else f"{ns:.1f}"


def section(title, cases, make, make_plain, sizes, repeat):
    print(f"\n== {title}: ns per edit (CPU), best of {repeat}")
    headers = ["edit", "bound"] + [f"n={n:,}" for n in sizes] + ["growth", f"counterpart n={sizes[-1]:,}",
                                                                  "counterpart growth", "verdict"]
    rows = []
    failures = []
    for name, counterpart, bound, run, run_plain, nested in cases:
        times = [per_edit(make, run, n, nested, repeat) for n in sizes]
        plain = [per_edit(make_plain, run_plain, n, nested, repeat) for n in sizes]
        growth = times[-1] / times[0]
        verdict = ("ok" if growth <= 2 else "GROWS") if bound else "O(n) like its counterpart" if "sort" not in name \
            else "O(n log n)"
        if name.startswith("update"):
            verdict = "O(n): rebuilds the parent dict"
        if bound and growth > 2:
            failures.append(name)
        rows.append([name, "yes" if bound else "no"] + [fmt_ns(t) for t in times] +
                    [f"{growth:.2f}x", f"{fmt_ns(plain[-1])} ({counterpart})", f"{plain[-1] / plain[0]:.2f}x", verdict])
    widths = [max(len(str(r[i])) for r in rows + [headers]) for i in range(len(headers))]
    print("  ".join(h.ljust(w) for h, w in zip(headers, widths)))
    print("-" * (sum(widths) + 2 * (len(widths) - 1)))
    for r in rows:
        print("  ".join(str(c).ljust(w) for c, w in zip(r, widths)))
    return failures


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--sizes", type=int, nargs="+", default=list(SIZES))
    parser.add_argument("--repeat", type=int, default=5, help="runs per edit and size; the best counts")
    parser.add_argument("--check", action="store_true", help="exit 1 when a bound edit grows more than 2x")
    args = parser.parse_args()
    sizes = sorted(args.sizes)
    failures = section("YamlMapping", MAPPING_CASES, loaded_mapping, plain_dict, sizes, args.repeat)
    failures += section("YamlSequence", SEQUENCE_CASES, loaded_sequence, plain_list, sizes, args.repeat)
    if failures:
        print("\ngrows more than 2x: " + ", ".join(failures))
    return 1 if args.check and failures else 0


if __name__ == "__main__":
    sys.exit(main())
