"""Hostile input: deep nesting, huge scalars, huge mappings, alias floods, bad
UTF-8 and U+0000. Each case runs in a child interpreter, so that a crash shows as
a failed test rather than a dead test run, and its time and peak memory are
measured: every case loads or raises a clear exception, in time and memory
proportional to its size.
"""

import json
import os
import subprocess
import sys
import textwrap
import time

import pytest

import plovarn
from plovarn import YamlMapping

MB = 1024 * 1024
# Sanitizer builds run several times slower and keep freed memory in quarantine.
SANITIZED = "LD_PRELOAD" in os.environ and "asan" in os.environ["LD_PRELOAD"]
SLOW = 8 if SANITIZED else 1


def run_child(body, timeout=120):
    """Runs `body` in a fresh interpreter. Its last statement sets `result`; the
    call returns that, the wall time, and the child's peak resident memory above
    `base` (which the body may set to the peak before the work it measures)."""
    code = (
        "import json, resource, sys, plovarn\nresult = None\nbase = 0\n"
        + textwrap.dedent(body)
        + "\nprint(json.dumps([result, resource.getrusage(resource.RUSAGE_SELF).ru_maxrss * 1024 - base]))\n"
    )
    start = time.monotonic()
    proc = subprocess.Popen([sys.executable, "-c", code], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    try:
        out, err = proc.communicate(timeout=timeout * SLOW)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.communicate()
        pytest.fail(f"no answer within {timeout * SLOW} s")
    elapsed = time.monotonic() - start
    assert proc.returncode == 0, f"child died with {proc.returncode}:\n{err.decode(errors='replace')[-3000:]}"
    result, peak = json.loads(out.decode().strip().splitlines()[-1])
    return result, elapsed, peak


def outcome(expr):
    """Child code that evaluates `expr` and reports its type or its exception."""
    return f"""
base = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss * 1024
try:
    value = {expr}
    result = ["ok", type(value).__name__]
except Exception as e:
    result = [type(e).__name__, str(e)[:300]]
"""


class TestDeepNesting:
    DEPTH = 1_000_000

    @pytest.mark.parametrize(
        "make",
        [
            "'- ' * n + 'x\\n'",  # block sequences, one per dash
            "'[' * n + ']' * n",
            "'{' * n + '}' * n",
            "'{a: [' * (n // 2) + ']}' * (n // 2)",
            "'[' * n",  # never closed
            "'? ' * n + 'x'",  # complex keys
            "'- a:\\n' + ''.join(' ' * (2 * i) + '- ' for i in range(1, 2000)) + 'x\\n'",
        ],
    )
    def test_million_levels_fail_cleanly(self, make):
        result, elapsed, peak = run_child(f"n = {self.DEPTH}\ntext = {make}\n" + outcome("plovarn.loads(text)"))
        assert result[0] in ("ok", "RuntimeError", "RecursionError"), result
        if result[0] == "RuntimeError":
            assert result[1].startswith("Parse error: YAML parse error: "), result
        assert elapsed < 30 and peak < 500 * MB * (2 if SANITIZED else 1)

    def test_deepest_accepted_document_converts_and_writes(self):
        # At the interpreter's own recursion limit, the deepest tree the reader
        # builds converts, writes, sorts and prints. Results are compared as
        # written text: the interpreter's == on them would meet its own limit.
        body = """
from plovarn import YamlMapping
out = []
for text in ["- " * 10000 + "x\\n", "a:\\n" + "".join("  " * i + "- " for i in range(1, 3000)) + "x\\n"]:
    doc = plovarn.loads(text)
    written = plovarn.dumps(doc)
    again = plovarn.loads(written)
    plain = doc.to_dict()
    doc.sort() if hasattr(doc, "sort") else doc.sort_keys(recursive=True)
    out.append([len(repr(doc)) > 0, plovarn.dumps(again) == written, plovarn.dumps(doc) == written])
deep = {}
for _ in range(9000):
    deep = {"a": deep}
m = YamlMapping()
m["x"] = deep
m.sort_keys(recursive=True)
out.append([plovarn.dumps(plovarn.loads(plovarn.dumps(m))) == plovarn.dumps(m)])
result = out
"""
        result, _, _ = run_child(body, timeout=240)
        assert result == [[True, True, True], [True, True, True], [True]]

    @pytest.mark.parametrize("kind", ["dict", "self_dict", "list", "self_list"])
    def test_python_values_too_deep_raise(self, kind):
        body = f"""
sys.setrecursionlimit(1_000_000)
from plovarn import YamlMapping, YamlSequence
kind = "{kind}"
if kind == "dict":
    v = {{}}
    for _ in range(200_000):
        v = {{"a": v}}
elif kind == "list":
    v = []
    for _ in range(200_000):
        v = [v]
elif kind == "self_dict":
    v = {{}}
    v["a"] = v
else:
    v = []
    v.append(v)
errors = []
for op in (lambda: YamlMapping().__setitem__("k", v), lambda: YamlSequence().append(v)):
    try:
        op()
        errors.append("accepted")
    except RecursionError:
        errors.append("RecursionError")
result = errors
"""
        result, _, _ = run_child(body)
        assert result == ["RecursionError", "RecursionError"]

    def test_container_holding_itself_is_not_written(self):
        body = """
from plovarn import YamlMapping, YamlSequence
m = YamlMapping()
m["a"] = 1
dict.__setitem__(m, "a", m)
s = YamlSequence()
s.append(1)
list.__setitem__(s, 0, s)
got = []
for doc in (m, s):
    try:
        plovarn.dumps(doc)
        got.append("written")
    except RecursionError:
        got.append("RecursionError")
result = got
"""
        result, _, _ = run_child(body)
        assert result == ["RecursionError", "RecursionError"]


    @pytest.mark.parametrize(
        "edit",
        [
            lambda m, s, v: m.__setitem__("a", v),
            lambda m, s, v: m.__setitem__("new", v),
            lambda m, s, v: m.update({"a": 2, "new": v}),
            lambda m, s, v: s.append(v),
            lambda m, s, v: s.insert(0, v),
            lambda m, s, v: s.__setitem__(0, v),
        ],
        ids=["replace-key", "new-key", "update", "append", "insert", "replace-item"],
    )
    def test_value_too_deep_to_store_changes_nothing(self, edit):
        # A document object may hold a tree one level deeper than a text may
        # be; wrapped once more it cannot be converted. The refused edit leaves
        # both halves as they were, and the container still writes.
        inner = YamlMapping()
        inner["k"] = plovarn.loads("- " * 9999 + "x\n")
        too_deep = YamlMapping()
        too_deep["k"] = inner
        m, s = plovarn.loads("a: 1  # one\n"), plovarn.loads("- 1  # one\n")
        with pytest.raises(RecursionError):
            edit(m, s, too_deep)
        assert m.to_dict() == dict(m) == {"a": 1} and s.to_dict() == list(s) == [1]
        assert plovarn.dumps(m) == "a: 1  # one\n" and plovarn.dumps(s) == "- 1  # one\n"


class TestHugeInput:
    @pytest.mark.parametrize(
        "make, size",
        [
            ("'a: ' + 'x' * n + '\\n'", 100 * MB),
            ("\"a: '\" + 'x' * n + \"'\\n\"", 100 * MB),
            ("'a: \"' + 'x\\\\n' * (n // 3) + '\"\\n'", 100 * MB),
            ("'a: |\\n' + ('  ' + 'y' * 99 + '\\n') * (n // 102)", 100 * MB),
            ("'- ' + ('word ' * (n // 5)) + '\\n'", 100 * MB),
            ("'# ' + 'c' * n + '\\na: 1\\n'", 100 * MB),
        ],
        ids=["plain", "single", "double-escapes", "literal", "folded-words", "comment"],
    )
    def test_hundred_megabyte_scalar(self, make, size):
        body = f"""
n = {size}
text = {make}
base = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss * 1024
doc = plovarn.loads(text)
value = doc["a"] if isinstance(doc, dict) else doc[0]
written = plovarn.dumps(doc)
result = [len(text), len(value) if isinstance(value, str) else 0, len(written)]
"""
        (length, value_len, written_len), elapsed, peak = run_child(body, timeout=180)
        assert value_len == 0 or value_len >= size // 3
        assert written_len > 0
        # The text, the scanned scalar, the tree's copy, the str and the output:
        # a small constant number of copies of the input.
        assert peak < 10 * length * (2 if SANITIZED else 1)
        assert elapsed < 120

    def test_million_keys(self):
        body = """
n = 1_000_000
text = "".join(f"key{i}: {i}  # c{i}\\n" for i in range(n))
doc = plovarn.loads(text)
ok = len(doc) == n and doc["key999999"] == 999999 and doc.get_comment_inline("key500000") == "c500000"
doc["new"] = 1
del doc["key0"]
doc.sort_keys(reverse=True)
written = plovarn.dumps(doc)
back = plovarn.loads(written)
result = [ok, len(back), len(text)]
"""
        (ok, count, length), elapsed, peak = run_child(body, timeout=240)
        assert ok and count == 1_000_000
        assert elapsed < 120
        assert peak < 2000 * MB * (2 if SANITIZED else 1)

    def test_million_equal_keys(self):
        body = """
text = "a: 1\\n" * 1_000_000
doc = plovarn.loads(text)
result = [list(doc), doc["a"]]
"""
        result, elapsed, _ = run_child(body)
        assert result == [["a"], 1]
        assert elapsed < 60

    @pytest.mark.parametrize(
        "make",
        [
            "'a: &x [1, 2]\\nb:\\n' + '  - *x\\n' * n",
            "'- &x 1\\n' + '- *x\\n' * n",
            "''.join(f'- &a{i} {i}\\n' for i in range(n))",
            "'[' + ', '.join('*x' for _ in range(n)) + ']'",
            # The classic alias bomb: each level refers to the one before ten times.
            "'a: &a [\"lol\"]\\n' + ''.join(f'{c}: &{c} [' + ', '.join([f'*{p}'] * 10) + ']\\n' "
            "for p, c in zip('abcdefgh', 'bcdefghi'))",
        ],
        ids=["alias-run", "scalar-alias-run", "anchor-run", "flow-alias-run", "alias-bomb"],
    )
    def test_alias_floods(self, make):
        result, elapsed, peak = run_child(f"n = 1_000_000\ntext = {make}\n" + outcome("plovarn.loads(text)"))
        assert result[0] in ("ok", "RuntimeError"), result
        assert elapsed < 60 and peak < 1500 * MB * (2 if SANITIZED else 1)

    def test_alias_loads_as_null(self):
        doc = plovarn.loads("a: &x [1, 2]\nb: *x\nc: [*x, *x]\n")
        assert doc == {"a": [1, 2], "b": None, "c": [None, None]}


class TestMemoryFailures:
    """Every allocation of an edit fails in turn (one at a time, in a child
    interpreter): the edit either succeeds or raises MemoryError, and either way
    inner and the parent container stay in step and the document still writes."""

    EDITS = {
        "set": "m['new'] = {'x': [1, 2]}; m['a'] = [3]; m['n2'] = 2; m['n3'] = 3",  # the last makes the dict grow
        "update": "m.update({'a': 5, 'q': [1], 'r': {'s': 1}})",
        "update-document": "m.update(plovarn.loads('a: 9  # c\\nz: [1]\\n'))",
        "sort-keys": "m.sort_keys(key=backwards, reverse=True)",
        "append": "s.append({'x': 1}); s.insert(0, [1])",
        "extend": "s.extend([1, {'a': 2}, [3]])",
        "sort": "s.sort(key=negated)",
    }

    @pytest.mark.parametrize("edit", sorted(EDITS))
    def test_failed_allocation_leaves_both_halves_in_step(self, edit):
        body = f"""
_testcapi = __import__("_testcapi")
if not hasattr(_testcapi, "set_nomemory"):
    result = "skip"
else:
    backwards, negated = (lambda k: k[::-1]), (lambda v: -v)
    bad = []
    for k in range(400):
        m = plovarn.loads("# h\\na: 1  # ia\\nb: 2\\nc: {{d: 2}}\\n")
        s = plovarn.loads("- 3  # three\\n- 1  # one\\n- 2  # two\\n")
        _testcapi.set_nomemory(k, k + 1)
        try:
            {self.EDITS[edit]}
        except MemoryError:
            pass
        finally:
            _testcapi.remove_mem_hooks()
        # A mapping's values go by key: after a failed sort its dict may keep the old order.
        in_order = {edit == "sort-keys"!r} or list(m.to_dict()) == list(m)
        if not (m.to_dict() == dict(m) and in_order and s.to_dict() == list(s)):
            bad.append(k)
        plovarn.dumps(m), plovarn.dumps(s)
    result = bad
"""
        result, _, _ = run_child(body)
        if result == "skip":
            pytest.skip("no allocation failures on this interpreter")
        assert result == []


class Reader:
    def __init__(self, value):
        self.value = value

    def read(self):
        return self.value


class TestBadText:
    @pytest.mark.parametrize(
        "data, detail",
        [
            (b"a: \xff\n", "invalid utf-8 sequence of 1 bytes from index 3"),
            (b"a: b\xc3(\n", "invalid utf-8 sequence of 1 bytes from index 4"),
            (b"\xc0\xaf", "invalid utf-8 sequence of 1 bytes from index 0"),  # overlong
            (b"a: \xed\xa0\x80\n", "invalid utf-8 sequence of 1 bytes from index 3"),  # surrogate
            (b"a: \xf4\x90\x80\x80\n", "invalid utf-8 sequence of 1 bytes from index 3"),  # above U+10FFFF
            (b"a: \xe2\x82", "incomplete utf-8 byte sequence from index 3"),
            (b"x" * (10 * MB) + b"\x80", f"invalid utf-8 sequence of 1 bytes from index {10 * MB}"),
        ],
    )
    def test_invalid_utf8(self, data, detail):
        for payload in (data, bytearray(data)):
            with pytest.raises(RuntimeError) as err:
                plovarn.load(Reader(payload))
            assert str(err.value) == "UTF-8 decode error: " + detail

    def test_invalid_utf8_as_byte_list(self):
        with pytest.raises(RuntimeError, match="^UTF-8 decode error: invalid utf-8 sequence of 1 bytes from index 1$"):
            plovarn.load(Reader([97, 0xFF]))

    @pytest.mark.parametrize(
        "text",
        ["a: b\0c\n", "a: 'b\0c'\n", 'a: "b\0c"\n', "a\0b: 1\n", "a: 1  # x\0y\n", "- |\n  x\0y\n", "\0", "[a, \0]"],
    )
    def test_nul_in_text_is_refused(self, text):
        with pytest.raises(RuntimeError, match=r"^Parse error: YAML parse error: .* at byte \d+ line \d+ column \d+$"):
            plovarn.loads(text)
        with pytest.raises(RuntimeError, match="^Parse error: "):
            plovarn.load(Reader(text.encode()))

    def test_escaped_nul_is_kept_and_written_back(self):
        doc = plovarn.loads('a: "b\\0c"\nk: "\\0"\n')
        assert doc["a"] == "b\0c"
        assert plovarn.loads(plovarn.dumps(doc)) == doc

    @pytest.mark.parametrize("value", ["b\0c", "\0", "x\0\n\0y", "\0key"])
    def test_nul_in_values_and_keys_set_from_python(self, value):
        m = plovarn.YamlMapping()
        m[value] = value
        m.set_comment_inline(value, "ok")
        back = plovarn.loads(plovarn.dumps(m))
        assert back == {value: value}

    @pytest.mark.parametrize("setter", ["key", "value", "comment"])
    def test_lone_surrogates_raise(self, setter):
        m = plovarn.loads("a: 1\n")
        with pytest.raises(UnicodeEncodeError):
            if setter == "key":
                m["\ud800"] = 1
            elif setter == "value":
                m["a"] = "\udfff"
            else:
                m.set_comment_before("a", "x\ud800")
        assert m == {"a": 1} and plovarn.dumps(m) == "a: 1\n"

    def test_random_garbage_never_crashes(self):
        body = """
import random
rng = random.Random(1234)
pieces = ["- ", ": ", "? ", "[", "]", "{", "}", ",", "&a ", "*a ", "!t ", "|", ">", "'", '"', "#", "\\n", "  ",
          "---", "...", "%YAML 1.2\\n", "%TAG ! x\\n", "\\t", "\\\\", "\\\\x", "a", "1", "\\r", "\\ufeff", "\\u2028"]
kinds = {}
for _ in range(20000):
    text = "".join(rng.choice(pieces) for _ in range(rng.randint(1, 40)))
    try:
        doc = plovarn.loads_all(text)
        for d in doc:
            plovarn.loads(plovarn.dumps(d))
        kinds["ok"] = kinds.get("ok", 0) + 1
    except RuntimeError as e:
        assert str(e).startswith("Parse error: "), str(e)
        kinds["error"] = kinds.get("error", 0) + 1
result = kinds
"""
        result, _, _ = run_child(body, timeout=240)
        assert result.get("ok", 0) + result.get("error", 0) == 20000


class TestAlikeKeys:
    """Keys that differ only in a few bytes, at the front, in the middle or at the
    end, load about as fast as keys that differ everywhere: the sharing of key
    objects within a load must not turn them into long probe runs."""

    N = 16000

    @staticmethod
    def keys(family, n):
        import hashlib
        if family == "distinct":
            return [hashlib.sha256(str(i).encode()).hexdigest() for i in range(n)]
        tag = [f"{i:06d}" for i in range(n)]
        return {
            "front": [t + "s" * 58 for t in tag],
            "middle": ["p" * 29 + t + "s" * 29 for t in tag],
            "end": ["p" * 58 + t for t in tag],
            "short": [f"k{t}" for t in tag],
        }[family]

    @staticmethod
    def best_load(text):
        best = float("inf")
        for _ in range(3):
            start = time.process_time()
            plovarn.loads(text)
            best = min(best, time.process_time() - start)
        return best

    @pytest.mark.parametrize("family", ["front", "middle", "end", "short"])
    def test_alike_keys_load_in_linear_time(self, family):
        keys = self.keys(family, self.N)
        assert len(set(keys)) == self.N and all(len(k) == 64 for k in keys if family != "short")
        # Each key in a mapping of its own, so that every key goes through the
        # sharing of key objects; all in one document.
        text = "".join(f"- {{{k}: {i}}}\n" for i, k in enumerate(keys))
        doc = plovarn.loads(text)
        assert [list(m) for m in doc[::997]] == [[k] for k in keys[::997]]
        baseline = "".join(f"- {{{k}: {i}}}\n" for i, k in enumerate(self.keys("distinct", self.N)))
        assert self.best_load(text) < 3 * self.best_load(baseline)


def test_key_objects_shared_between_loads_stay_right_past_the_cache_bound():
    # Loads share one str per key, across documents and across loads, up to a
    # bound; past it the sharing starts afresh. Documents loaded before must
    # keep their keys whole whatever the later loads bring in and push out.
    first = plovarn.loads("name: a\nimage: b\n")
    assert next(iter(plovarn.loads("- image: x\n  name: y\n")[0])) is list(first)[1]
    batches = [[f"k{b}-{i}" for i in range(5000)] for b in range(3)]
    docs = [plovarn.loads("".join(f"{k}: {j}\n" for j, k in enumerate(keys))) for keys in batches]
    again = [plovarn.loads("".join(f"{k}: 0\n" for k in keys[::7])) for keys in batches]
    for keys, doc, later in zip(batches, docs, again):
        assert list(doc) == keys and doc[keys[-1]] == len(keys) - 1
        assert list(later) == keys[::7]
    assert list(first) == ["name", "image"]
