"""sort_keys and sort: order, stability, reversal, recursion, flags, failures."""

import pytest

import plovarn
from plovarn import YamlMapping, YamlSequence


def mapping(*keys):
    m = YamlMapping()
    for i, k in enumerate(keys):
        m[k] = i
    return m


class CountingKey:
    def __init__(self, fn=lambda x: x):
        self.calls = []
        self.fn = fn

    def __call__(self, arg):
        self.calls.append(arg)
        return self.fn(arg)


class TestSortKeys:
    def test_code_point_order_and_reverse(self):
        m = mapping("b", "a", "B")
        m.sort_keys()
        assert list(m) == ["B", "a", "b"]
        m.sort_keys(reverse=True)
        assert list(m) == ["b", "a", "B"]

    def test_byte_order_not_numeric_and_prefix_first(self):
        m = mapping("9", "10", "ab", "a", "é", "z")
        m.sort_keys()
        assert list(m) == ["10", "9", "a", "ab", "z", "é"]

    def test_key_function_stable_and_reverse_flips_ties(self):
        m = mapping("b", "A", "a")
        m.sort_keys(key=str.lower)
        assert list(m) == ["A", "a", "b"]
        m = mapping("b", "A", "a")
        m.sort_keys(key=str.lower, reverse=True)
        assert list(m) == ["b", "a", "A"]

    def test_key_called_once_per_entry_in_order(self):
        key = CountingKey()
        m = mapping("c", "a", "b")
        m.sort_keys(key=key)
        assert key.calls == ["c", "a", "b"] and list(m) == ["a", "b", "c"]
        assert all(type(k) is str for k in key.calls)

    def test_empty_and_single(self):
        key = CountingKey()
        YamlMapping().sort_keys(key=key)
        assert key.calls == []
        YamlMapping().sort_keys(key=42)  # not callable, but never called
        m = mapping("only")
        m.sort_keys(key=key)
        assert key.calls == ["only"]

    def test_comments_move_with_entries(self):
        m = plovarn.loads("# about b\nb: 2  # bee\n# about a\na: 1  # ay\n")
        m.sort_keys()
        assert plovarn.dumps(m) == "# about a\na: 1  # ay\n# about b\nb: 2  # bee\n"

    def test_recursive_visits_mappings_in_mappings_only(self):
        m = plovarn.loads("z:\n  y: 1\n  x:\n    b: 1\n    a: 2\ns:\n- d: 1\n  c: 2\na: 0\n")
        m.sort_keys(recursive=True)
        assert list(m) == ["a", "s", "z"]
        assert list(m["z"]) == ["x", "y"] and list(m["z"]["x"]) == ["a", "b"]
        assert list(m["s"][0]) == ["d", "c"]
        m2 = plovarn.loads("z:\n  y: 1\n  x: 2\n")
        m2.sort_keys()
        assert list(m2["z"]) == ["y", "x"]

    def test_rebuild_replaces_values_with_fresh_objects(self):
        m = plovarn.loads("b:\n  k: 1\na: 2\n")
        nested = m["b"]
        nested["k"] = 100
        m.sort_keys()
        assert m["b"] is not nested and m["b"] == {"k": 1}

    def test_failing_key_function_loses_nothing(self):
        m = plovarn.loads("# cb\nc: 1\nb: 2\na: 3\n")

        def key(k):
            if k == "b":
                raise KeyError("nope")
            return k

        with pytest.raises(KeyError):
            m.sort_keys(key=key)
        assert list(m) == ["c", "b", "a"] and m.to_dict() == {"c": 1, "b": 2, "a": 3}
        assert m.get_comment_before("c") == "cb"

    def test_only_first_comparison_error_reported(self):
        calls = []

        class K:
            def __init__(self, name):
                self.name = name

            def __lt__(self, other):
                calls.append(self.name)
                raise ValueError(self.name)

            __gt__ = __lt__

        m = mapping("a", "b", "c", "d")
        with pytest.raises(ValueError) as err:
            m.sort_keys(key=K)
        assert calls == [err.value.args[0]]  # no comparison after the first failure
        assert list(m) == ["a", "b", "c", "d"]

    def test_comparison_error_first_reported_inner_kept(self):
        m = mapping("a", "b", "c", "d")
        keys = {"a": 1, "b": "x", "c": 2, "d": "y"}
        with pytest.raises(TypeError, match="'<' not supported"):
            m.sort_keys(key=keys.__getitem__)
        assert list(m) == ["a", "b", "c", "d"] and repr(m) == 'YamlMapping({"a": 0, "b": 1, "c": 2, "d": 3})'

    def test_recursive_failure_restores_nested_levels(self):
        m = plovarn.loads("n:\n  b: 1\n  a: 2\nbad: 0\nk: 1\n")

        def key(k):
            if k == "bad":
                raise ValueError("bad")
            return k

        with pytest.raises(ValueError):
            m.sort_keys(key=key, recursive=True)
        assert list(m.to_dict()["n"]) == ["b", "a"] and list(m.to_dict()) == ["n", "bad", "k"]

    def test_not_callable_key(self):
        with pytest.raises(TypeError, match="not callable"):
            mapping("a").sort_keys(key=42)


class TestSort:
    def test_values_and_key_and_reverse(self):
        s = plovarn.loads("- 3\n- 1\n- 2\n")
        s.sort()
        assert s == [1, 2, 3] and s.to_dict() == [1, 2, 3]
        s.sort(key=lambda v: -v)
        assert s == [3, 2, 1]
        s.sort(reverse=True)
        assert s == [3, 2, 1]

    def test_reverse_flips_ties(self):
        s = plovarn.loads("- [1, a]\n- [0, b]\n- [1, c]\n")
        s.sort(key=lambda v: v[0], reverse=True)
        assert s == [[1, "c"], [1, "a"], [0, "b"]]

    def test_comments_move_with_items(self):
        s = plovarn.loads("- 2  # two\n# above one\n- 1\n")
        s.sort()
        assert plovarn.dumps(s) == "# above one\n- 1\n- 2  # two\n"

    def test_key_gets_values_built_from_inner(self):
        s = plovarn.loads("- {a: 2}\n- {a: 1}\n")
        list.__setitem__(s, 0, "drifted")
        seen = []
        s.sort(key=lambda v: (seen.append(type(v)), v["a"])[1])
        assert seen == [YamlMapping, YamlMapping]
        assert s == [{"a": 1}, {"a": 2}]

    def test_mixed_types_keep_old_order(self):
        s = plovarn.loads("- 1\n- a\n- 0\n")
        with pytest.raises(TypeError):
            s.sort()
        assert s == [1, "a", 0] and s.to_dict() == [1, "a", 0]

    def test_inconsistent_comparisons_are_safe(self):
        import random

        class Chaos:
            def __init__(self, v):
                self.v = v

            def __lt__(self, other):
                return random.random() < 0.5

            __gt__ = __lt__

        s = YamlSequence()
        s.extend(range(200))
        s.sort(key=Chaos)
        assert sorted(s) == list(range(200)) and sorted(s.to_dict()) == list(range(200))
        s.extend([float("nan")] * 5)
        s.sort()
        assert len(s) == 205

    def test_empty_calls_nothing(self):
        key = CountingKey()
        YamlSequence().sort(key=key)
        YamlSequence().sort(key="not callable")
        assert key.calls == []

    def test_stable_many(self):
        s = YamlSequence()
        s.extend([[i % 3, i] for i in range(100)])
        s.sort(key=lambda v: v[0])
        assert s == sorted(([i % 3, i] for i in range(100)), key=lambda v: v[0])


class TestFlags:
    @pytest.mark.parametrize("call, name", [
        (lambda: YamlSequence().sort(reverse=1), "reverse"),
        (lambda: YamlMapping().sort_keys(reverse=0), "reverse"),
        (lambda: YamlMapping().sort_keys(recursive=1), "recursive"),
        (lambda: YamlMapping().sort_keys(None, False, "yes"), "recursive"),
    ])
    def test_int_refused(self, call, name):
        with pytest.raises(TypeError, match=f"^argument '{name}': '(int|str)' object is not an instance of 'bool'$"):
            call()

    def test_none_refused(self):
        with pytest.raises(TypeError, match="^argument 'reverse': 'None' is not an instance of 'bool'$"):
            YamlSequence().sort(reverse=None)

    def test_positional_and_keyword(self):
        m = mapping("a", "b")
        m.sort_keys(None, True, False)
        assert list(m) == ["b", "a"]
        with pytest.raises(TypeError, match=r"^YamlMapping.sort_keys\(\) takes from 0 to 3 positional arguments but 4 were given$"):
            m.sort_keys(None, True, False, 1)

    def test_numpy_bool(self):
        np = pytest.importorskip("numpy")
        m = mapping("a", "b")
        m.sort_keys(reverse=np.bool_(True))
        assert list(m) == ["b", "a"]
        s = plovarn.loads("- 1\n- 2\n")
        s.sort(reverse=np.True_)
        assert s == [2, 1]
