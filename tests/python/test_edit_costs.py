"""Edits whose dict or list counterpart is O(1) stay O(1) (amortised) on large
containers: a quadratic one takes minutes at this size, a linear one a fraction
of a second, so a generous CPU budget tells them apart on any machine."""

import os
import random
import time

import pytest

import plovarn

N = 200_000
# CPU seconds for N edits: about 20x what they take, more under the sanitizers.
BUDGET = 5.0 * (10 if "asan" in os.environ.get("LD_PRELOAD", "") else 1)


def loaded_mapping():
    return plovarn.loads("".join(f"k{i}: {i}  # c\n" for i in range(N)))


def loaded_sequence():
    return plovarn.loads("".join(f"- {i}  # c\n" for i in range(N)))


def delete_in_order(m):
    for i in range(N):
        del m[f"k{i}"]


def delete_at_random(m):
    keys = [f"k{i}" for i in range(N)]
    random.Random(0).shuffle(keys)
    for k in keys:
        del m[k]


def pop_last(m):
    for i in reversed(range(N)):
        m.pop(f"k{i}")


def assign_after_removals(m):
    # Removals between key edits and comment reads must not renumber the map each time.
    for i in range(0, N, 2):
        del m[f"k{i}"]
        m[f"k{i + 1}"] = i
        m.set_comment_before(f"k{i + 1}", "c")
        m.get_comment_inline(f"k{i + 1}")


def dump_with_keys_gone_from_the_dict(m):
    dict.clear(m)
    assert plovarn.dumps(m) == "{}\n"


def extend_by_one(s):
    for i in range(N):
        s.extend((i,))


@pytest.mark.parametrize("make, edit", [
    (loaded_mapping, delete_in_order),
    (loaded_mapping, delete_at_random),
    (loaded_mapping, pop_last),
    (loaded_mapping, assign_after_removals),
    (loaded_mapping, dump_with_keys_gone_from_the_dict),
    (loaded_sequence, extend_by_one),
], ids=lambda f: f.__name__)
def test_edits_of_a_large_container_stay_linear(make, edit):
    obj = make()
    start = time.process_time()
    edit(obj)
    assert time.process_time() - start < BUDGET
