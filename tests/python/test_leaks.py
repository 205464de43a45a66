"""Reference and memory leaks: every path through the module, successful or failing,
repeated thousands of times, must leave neither Python blocks nor process memory
behind.

A leaked reference shows in the interpreter's count of allocated blocks; memory
lost on the native side (trees, texts) shows in the resident set size.
"""

import copy
import gc
import os
import sys

import pytest

import plovarn
from plovarn import YamlMapping, YamlSequence

SANITIZED = "asan" in os.environ.get("LD_PRELOAD", "")
WARMUP = 1000
ROUNDS = 3000

DOC = """\
# head
name: demo  # inline
items:
  # first
  - 1
  - two  # second
  - {k: v, n: [1, 2]}
nested:
  b: 2
  a: 1
text: 'quoted # not a comment'
"""


def resident_bytes():
    with open("/proc/self/statm") as f:
        return int(f.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")


def growth(action, windows=3):
    """Python blocks gained per window of ROUNDS runs (the least over several
    windows, as caches of the interpreter settle at their own pace) and resident
    bytes gained over all of them, after a warm-up."""
    for _ in range(WARMUP):
        action()
    gc.collect()
    start_rss = resident_bytes()
    least = None
    for _ in range(windows):
        blocks = sys.getallocatedblocks()
        for _ in range(ROUNDS):
            action()
        gc.collect()
        gained = sys.getallocatedblocks() - blocks
        least = gained if least is None else min(least, gained)
    return least, resident_bytes() - start_rss


def expect_error(exc, fn, *args, **kwargs):
    try:
        fn(*args, **kwargs)
    except exc:
        return
    raise AssertionError(f"{fn} did not raise {exc.__name__}")


class Reader:
    def __init__(self, value):
        self.value = value

    def read(self):
        if isinstance(self.value, BaseException):
            raise self.value
        return self.value


class Writer:
    def __init__(self, fail=None):
        self.fail = fail
        self.data = None

    def write(self, data):
        if self.fail is not None:
            raise self.fail
        self.data = data


class BytesWriter:
    """Refuses text, so the module retries with the UTF-8 bytes."""

    def write(self, data):
        if not isinstance(data, bytes):
            raise TypeError("bytes only")


class BadStr(Exception):
    def __str__(self):
        raise ValueError("no text")


class Interrupted(Exception):
    """Its text is interrupted while the module describes it."""

    def __str__(self):
        raise KeyboardInterrupt


class Interrupting:
    def __float__(self):
        raise KeyboardInterrupt


class Unprintable:
    def __str__(self):
        raise KeyboardInterrupt


# ---- workloads ----


def load_edit_sort_dump():
    doc = plovarn.loads(DOC)
    doc["name"] = "changed"
    doc["new"] = {"x": [1, 2.5, None, True, "s"]}
    doc.set_comment_before("new", "added\nhere")
    doc.set_comment_inline("name", "still inline")
    doc.get_comment_before("name"), doc.get_comment_inline("missing")
    doc.setdefault("items", [])
    doc.setdefault("other", {"d": 1})
    doc.update({"u": 1, "name": "again"})
    doc.update([("p", [1])])
    doc.update(plovarn.loads("q: 1  # c\n"))
    doc.pop("u")
    doc.pop("gone", 5)
    del doc["p"]
    items = doc["items"]
    items.append({"a": 1})
    items.insert(0, [1, 2])
    items.extend([3, "x"])
    items.extend(items)
    items.remove(3)
    items.pop()
    items.pop(0)
    items[0] = "replaced"
    del items[1]
    items.reverse()
    items.sort(key=repr, reverse=True)
    items.set_comment_before(0, "c")
    nums = plovarn.loads("[3, 1, 2]")
    nums.sort()
    doc.sort_keys(recursive=True)
    doc.sort_keys(key=str.lower, reverse=True)
    doc.to_dict(), items.to_dict(), repr(doc), repr(items)
    text = plovarn.dumps(doc)
    plovarn.dump(doc, Writer())
    plovarn.dump(doc, BytesWriter())
    all_text = plovarn.dumps_all([doc, items, 5, None, "s", plovarn.loads("7")])
    plovarn.dump_all(iter([doc, items]), Writer())
    docs = plovarn.loads_all(all_text)
    plovarn.load(Reader(text.encode()))
    plovarn.load(Reader(bytearray(b"a: 1")))
    plovarn.load(Reader([97, 58, 32, 49]))
    plovarn.load_all(Reader(all_text))
    scalar = plovarn.loads("42")
    assert scalar == 42 and scalar.value == 42 and scalar.to_dict() == 42 and repr(scalar)
    assert plovarn.dumps_all(copy.deepcopy([doc, items, scalar])) == plovarn.dumps_all([copy.copy(doc), items, scalar])
    assert len(docs) == 6


def parse_errors():
    for text in ("a: [", "a: 1\n---\n{", "- a\nb: c", "@x", "a: 'open", "\0", "%YAML 1.1\n%YAML 1.1\n---\na"):
        expect_error(RuntimeError, plovarn.loads, text)
        expect_error(RuntimeError, plovarn.loads_all, text)
        expect_error(RuntimeError, plovarn.load, Reader(text))
    expect_error(RuntimeError, plovarn.loads, "a: 1\n" * 20 + "b: [\n")


def read_errors():
    expect_error(RuntimeError, plovarn.load, Reader(5))
    expect_error(RuntimeError, plovarn.load, Reader([97, 300]))
    expect_error(RuntimeError, plovarn.load, Reader([97, "x"]))
    expect_error(RuntimeError, plovarn.load, Reader("\ud800"))
    expect_error(RuntimeError, plovarn.load_all, Reader(b"a: \xff"))
    expect_error(RuntimeError, plovarn.load, Reader(b"a: \xe2\x82"))
    expect_error(KeyError, plovarn.load, Reader(KeyError("read failed")))
    expect_error(UnicodeEncodeError, plovarn.loads, "a: \ud800")


def conversion_errors():
    m = YamlMapping()
    s = YamlSequence()
    expect_error(RuntimeError, m.__setitem__, "k", object())
    expect_error(RuntimeError, m.__setitem__, "k", {"a": [1, object()]})
    expect_error(OverflowError, m.__setitem__, "k", 10**400)
    expect_error(OverflowError, s.append, [1, {"a": 2**64}])
    expect_error(OverflowError, plovarn.dumps, 2**64)
    expect_error(KeyboardInterrupt, m.__setitem__, "k", Interrupting())
    expect_error(KeyboardInterrupt, m.__setitem__, "k", Unprintable())
    expect_error(TypeError, m.__setitem__, "k", {1: 2})
    expect_error(RuntimeError, s.append, [1, {"a": object()}])
    expect_error(RuntimeError, s.extend, [1, object()])
    expect_error(RuntimeError, m.setdefault, "k", object())
    expect_error(RuntimeError, plovarn.dumps, {})
    expect_error(RuntimeError, plovarn.dumps, [1])
    expect_error(RuntimeError, plovarn.dumps_all, [YamlMapping(), object()])
    bad = plovarn.loads("a: 1\nb: 2\n")
    dict.__setitem__(bad, "b", {"plain": "dict"})
    expect_error(RuntimeError, plovarn.dumps, bad)
    short = plovarn.loads("[1, 2]")
    short.clear()
    expect_error(IndexError, plovarn.dumps, short)
    loop = []
    loop.append(loop)
    expect_error(RecursionError, m.__setitem__, "k", loop)
    expect_error(RuntimeError, m.update, [("a", object())])
    expect_error(TypeError, m.update, [(1, 2)])
    expect_error(ValueError, m.update, [("a", 1, 2)])
    expect_error(TypeError, m.update, [5])
    expect_error(TypeError, m.update, 5)


def write_errors():
    doc = plovarn.loads(DOC)
    expect_error(RuntimeError, plovarn.dump, doc, Writer(ValueError("closed")))
    expect_error(RuntimeError, plovarn.dump, doc, Writer(BadStr()))
    expect_error(RuntimeError, plovarn.dump_all, [doc, 1], Writer(OSError("disk full")))
    expect_error(RuntimeError, plovarn.dump, doc, object())
    expect_error(KeyboardInterrupt, plovarn.dump, doc, Writer(KeyboardInterrupt()))
    expect_error(KeyboardInterrupt, plovarn.dump, doc, Writer(Interrupted()))

    def broken():
        yield doc
        raise KeyError("generator")

    expect_error(KeyError, plovarn.dump_all, broken(), Writer())
    expect_error(TypeError, plovarn.dumps_all, 5)


def argument_errors():
    m = plovarn.loads("a: 1\nb: 2\n")
    s = plovarn.loads("[3, 1, 2]")
    calls = [
        (plovarn.loads, (), {}),
        (plovarn.loads, (1,), {}),
        (plovarn.loads, ("a",), {"text": "b"}),
        (plovarn.dumps, (1, 2), {}),
        (plovarn.dump, (m,), {}),
        (plovarn.load, (), {"stream": 1, "other": 2}),
        (YamlMapping, ({"a": 1},), {}),
        (YamlSequence, (), {"x": 1}),
        (m.pop, (), {}),
        (m.pop, (1,), {}),
        (m.get_comment_before, (None,), {}),
        (m.set_comment_inline, ("a", None), {}),
        (m.sort_keys, (), {"reverse": 1}),
        (m.sort_keys, (), {"key": 1}),
        (m.update, (), {"a": 1}),
        (s.insert, ("x", 1), {}),
        (s.pop, (None,), {}),
        (s.sort, (), {"reverse": 1}),
        (s.sort, (), {"key": len}),
        (s.__setitem__, (slice(0, 1), [1]), {}),
        (s.get_comment_before, ("0",), {}),
        (s.set_comment_before, (0, 1), {}),
        (s.__deepcopy__, ({}, 1), {}),
        (m.__deepcopy__, ({}, ), {"memo": 1}),
        (m.__deepcopy__, (1,), {}),  # a memo that takes no entries
    ]
    for fn, args, kwargs in calls:
        expect_error(TypeError, fn, *args, **kwargs)
    for fn, args in ((m.__delitem__, ("zz",)), (m.pop, ("zz",)), (m.set_comment_before, ("zz", "c"))):
        expect_error(KeyError, fn, *args)
    for fn, args in ((s.__getitem__, (9,)), (s.pop, (9,)), (s.get_comment_inline, (9,)), (YamlSequence().pop, ())):
        expect_error(IndexError, fn, *args)
    expect_error(ValueError, s.remove, 99)
    dict.__setitem__(m, "c", type("Uncopyable", (), {"__deepcopy__": lambda self, memo: 1 / 0})())
    expect_error(ZeroDivisionError, copy.deepcopy, m)
    expect_error(OverflowError, s.insert, 2**70, 1)
    expect_error(IndexError, s.__setitem__, 2**70, 1)
    expect_error(IndexError, s.set_comment_before, -2**70, "c")


def sort_and_guard_errors():
    m = plovarn.loads("b: 1\na: 2\nc: 3\n")
    s = plovarn.loads("[3, 1, 'x']")

    def raising(_):
        raise LookupError("key function")

    expect_error(LookupError, m.sort_keys, key=raising)
    expect_error(LookupError, s.sort, key=raising)
    expect_error(TypeError, s.sort)
    expect_error(TypeError, m.sort_keys, key=lambda k: 1 if k == "a" else "s")

    def reenter(k):
        m["zz"] = 1
        return k

    expect_error(RuntimeError, m.sort_keys, key=reenter)

    def reenter_seq(v):
        s.append(1)
        return 0

    expect_error(RuntimeError, s.sort, key=reenter_seq)
    assert sorted(m.to_dict()) == ["a", "b", "c"] and len(s.to_dict()) == 3


WORKLOADS = [load_edit_sort_dump, parse_errors, read_errors, conversion_errors, write_errors, argument_errors,
             sort_and_guard_errors]


@pytest.mark.parametrize("action", WORKLOADS, ids=[w.__name__ for w in WORKLOADS])
def test_repeated_calls_leave_nothing_behind(action):
    blocks, rss = growth(action)
    # One leaked object per round would add thousands of blocks; allow for the
    # interpreter's own caches settling.
    assert blocks < ROUNDS // 10, f"{blocks} Python blocks gained in every window of {ROUNDS} rounds"
    if not SANITIZED:  # the sanitizer's quarantine holds freed memory on purpose
        assert rss < 4 * 1024 * 1024, f"{rss} resident bytes gained over {3 * ROUNDS} rounds"


def test_native_memory_of_dropped_documents_is_returned():
    # Large documents make native leaks visible in the resident size quickly.
    text = "".join(f"key{i}: [{i}, text {i}, {{n: {i}}}]  # c{i}\n" for i in range(20000))

    def cycle():
        doc = plovarn.loads(text)
        doc.sort_keys(reverse=True)
        doc["x"] = plovarn.loads("[1, {a: 2}]")
        plovarn.dumps(doc)

    for _ in range(3):
        cycle()
    gc.collect()
    rss = resident_bytes()
    for _ in range(30):
        cycle()
    gc.collect()
    if not SANITIZED:
        assert resident_bytes() - rss < 16 * 1024 * 1024
