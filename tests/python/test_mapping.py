"""YamlMapping editing: inner and the parent dict stay in step, comments stay put."""

import inspect

import pytest

import plovarn
from plovarn import YamlMapping, YamlSequence

DOC = "# above a\na: 1  # on a\nb:\n  c: 2\n# above d\nd: [1, 2]\n"


@pytest.fixture
def m():
    return plovarn.loads(DOC)


class TestAssignment:
    def test_existing_key_keeps_position_and_comments(self, m):
        m["a"] = 10
        assert list(m) == ["a", "b", "d"]
        assert m.get_comment_before("a") == "above a"
        assert m.get_comment_inline("a") == "on a"
        assert plovarn.dumps(m).startswith("# above a\na: 10  # on a\n")

    def test_new_key_goes_last_without_comments(self, m):
        m["new"] = "x"
        assert list(m) == ["a", "b", "d", "new"]
        assert m.get_comment_before("new") is None
        assert plovarn.dumps(m).endswith("  - 2\nnew: x\n")

    def test_stored_value_is_built_from_inner(self):
        m = YamlMapping()
        assigned = [1, 2]
        m["k"] = assigned
        assert isinstance(m["k"], YamlSequence) and m["k"] == [1, 2]
        assert m["k"] is not assigned
        assigned.append(3)
        assert m["k"] == [1, 2] and m.to_dict() == {"k": [1, 2]}
        m["d"] = {"x": {"y": None}}
        assert type(m["d"]) is YamlMapping and type(m["d"]["x"]) is YamlMapping

    def test_str_subclass_key_becomes_plain_str(self):
        class S(str):
            pass

        m = YamlMapping()
        m[S("k")] = 1
        assert type(next(iter(m))) is str

    def test_unconvertible_value_changes_nothing(self, m):
        with pytest.raises(RuntimeError, match=r"^Cannot convert \(1, 2\) to YAML node$"):
            m["a"] = (1, 2)
        assert m["a"] == 1 and repr(m).startswith('YamlMapping({"a": 1,')

    def test_non_str_key_refused(self, m):
        with pytest.raises(TypeError, match="^argument 'key': 'int' object is not an instance of 'str'$"):
            m[1] = 1
        with pytest.raises(TypeError, match="^argument 'key': 'int' object is not an instance of 'str'$"):
            del m[1]


class TestDeletion:
    def test_del_closes_gap(self, m):
        del m["a"]
        assert list(m) == ["b", "d"]
        assert m.get_comment_before("d") == "above d"
        assert plovarn.dumps(m).startswith("b:\n")

    def test_missing_key(self, m):
        with pytest.raises(KeyError) as err:
            del m["zz"]
        assert err.value.args == ("zz",)

    def test_drifted_parent_raises_dict_error_but_inner_updated(self, m):
        dict.__delitem__(m, "a")
        with pytest.raises(KeyError):
            del m["a"]
        assert m.get_comment_before("a") is None and "a" not in m.to_dict()


class TestPop:
    def test_returns_value_built_from_inner(self, m):
        nested = m["b"]
        nested["c"] = 99          # changes the nested object only, not m's inner
        popped = m.pop("b")
        assert popped == {"c": 2} and popped is not nested
        assert "b" not in m and list(m) == ["a", "d"]

    def test_none_default_counts_as_none(self, m):
        for call in (lambda: m.pop("missing"), lambda: m.pop("missing", None),
                     lambda: m.pop(key="missing", default=None)):
            with pytest.raises(KeyError) as err:
                call()
            assert err.value.args == ("missing",)
        assert m.pop("missing", 0) == 0
        sentinel = object()
        assert m.pop("missing", sentinel) is sentinel
        assert m.pop("a", 5) == 1

    def test_argument_errors(self, m):
        with pytest.raises(TypeError, match=r"^YamlMapping.pop\(\) missing 1 required positional argument: 'key'$"):
            m.pop()
        with pytest.raises(TypeError, match=r"^YamlMapping.pop\(\) takes from 1 to 2 positional arguments but 3 were given$"):
            m.pop("a", 1, 2)
        with pytest.raises(TypeError, match=r"^argument 'key': 'None' is not an instance of 'str'$"):
            m.pop(None)


class TestSetdefault:
    def test_missing_key_stores_and_returns_distinct_objects(self, m):
        got = m.setdefault("x", [])
        assert got == [] and isinstance(got, YamlSequence) and got is not m["x"]
        got.append(1)
        assert m["x"] == [] and list(m)[-1] == "x"

    def test_existing_key_ignores_default(self, m):
        assert m.setdefault("a", 5) == 1 and m["a"] == 1
        assert m.setdefault("b") == {"c": 2}

    def test_default_none(self, m):
        assert m.setdefault("n") is None and m["n"] is None
        assert m.setdefault(key="n2", default=None) is None

    def test_unconvertible_default_changes_nothing(self, m):
        with pytest.raises(RuntimeError, match="^Cannot convert"):
            m.setdefault("x", {1, 2})
        assert "x" not in m and "x" not in repr(m)


class TestUpdate:
    def test_plain_dict_drops_comments_keeps_position(self, m):
        m.update({"a": 2, "z": 3})
        assert list(m) == ["a", "b", "d", "z"] and m["a"] == 2
        assert m.get_comment_before("a") is None and m.get_comment_inline("a") is None
        assert m.get_comment_before("d") == "above d"

    def test_yaml_mapping_brings_its_comments(self, m):
        other = plovarn.loads("a: 5  # new inline\nq: 1  # q\n")
        m.update(other)
        assert m["a"] == 5 and m.get_comment_inline("a") == "new inline"
        assert m.get_comment_before("a") is None  # absent in other clears it here
        assert m.get_comment_inline("q") == "q" and list(m)[-1] == "q"

    def test_yaml_mapping_values_come_from_its_inner(self, m):
        other = plovarn.loads("a: 5\n")
        dict.__setitem__(other, "a", 6)
        m.update(other=other)
        assert m["a"] == 5

    def test_self_update_keeps_values_drops_comments(self, m):
        before = m.to_dict()
        m.update(m)
        assert m.to_dict() == before and list(m) == ["a", "b", "d"]
        assert all(m.get_comment_before(k) is None and m.get_comment_inline(k) is None for k in m)

    def test_object_with_keys(self):
        class Source:
            def keys(self):
                return ["p", "q"]

            def __getitem__(self, k):
                return k * 2

        m = YamlMapping()
        m.update(Source())
        assert m == {"p": "pp", "q": "qq"}

    def test_pairs(self):
        m = YamlMapping()
        m.update([("a", 1), ("b", 2)])
        assert m == {"a": 1, "b": 2}
        m.update(iter([("a", 3)]))
        assert m == {"a": 3, "b": 2}

    @pytest.mark.parametrize("source, error, message", [
        ([("a", 1, 2)], ValueError, "^expected tuple of length 2, but got tuple of length 3$"),
        ([("a",)], ValueError, "^expected tuple of length 2, but got tuple of length 1$"),
        ([["a", 1]], TypeError, "^'list' object is not an instance of 'tuple'$"),
        ([(1, 1)], TypeError, "^'int' object is not an instance of 'str'$"),
        ({1: 1}, TypeError, "^'int' object is not an instance of 'str'$"),
        (5, TypeError, "not iterable"),
    ])
    def test_bad_sources(self, source, error, message):
        m = YamlMapping()
        with pytest.raises(error, match=message):
            m.update(source)
        assert m == {} and repr(m) == "YamlMapping({})"

    def test_keyword_form_refused(self):
        with pytest.raises(TypeError, match=r"^YamlMapping.update\(\) got an unexpected keyword argument 'a'$"):
            YamlMapping().update(a=1)
        with pytest.raises(TypeError, match=r"missing 1 required positional argument: 'other'"):
            YamlMapping().update()

    def test_keys_lookup_error_other_than_attribute_error_propagates(self):
        class Odd:
            @property
            def keys(self):
                raise ValueError("boom")

        with pytest.raises(ValueError, match="boom"):
            YamlMapping().update(Odd())

    def test_failure_midway_keeps_both_halves_in_step(self):
        # What reached inner before the failure is visible in the dict as well,
        # as with dict.update, and dumping writes exactly what the dict shows.
        def pairs():
            yield ("a", 1)
            yield ("b", 2)
            raise LookupError("stop")

        m = YamlMapping()
        m["x"] = 0
        with pytest.raises(LookupError):
            m.update(pairs())
        assert list(m) == ["x", "a", "b"] and m == {"x": 0, "a": 1, "b": 2}
        assert m.to_dict() == dict(m)
        assert plovarn.dumps(m) == "x: 0\na: 1\nb: 2\n"

    def test_rebuild_discards_in_place_nested_changes(self, m):
        m["b"]["c"] = 50
        m.update({})
        assert m["b"] == {"c": 2}


class TestComments:
    def test_get_missing_key_returns_none(self, m):
        assert m.get_comment_before("missing") is None
        assert m.get_comment_inline("missing") is None

    def test_set_replaces_and_is_written(self, m):
        m.set_comment_before("b", "first\nsecond")
        m.set_comment_inline(key="d", comment="")
        assert m.get_comment_before("b") == "first\nsecond"
        assert m.get_comment_inline("d") == ""
        assert m.get_comment_inline("a") == "on a"
        out = plovarn.dumps(m)
        assert "# first\n# second\nb:\n" in out

    def test_errors(self, m):
        with pytest.raises(KeyError) as err:
            m.set_comment_before("missing", "x")
        assert err.value.args == ("missing",)
        with pytest.raises(KeyError):
            m.set_comment_inline("missing", "x")
        with pytest.raises(TypeError, match="^argument 'comment': 'None' is not an instance of 'str'$"):
            m.set_comment_inline("a", None)
        with pytest.raises(TypeError, match="^argument 'key': 'int' object is not an instance of 'str'$"):
            m.get_comment_before(3)
        with pytest.raises(TypeError, match=r"missing 1 required positional argument: 'comment'"):
            m.set_comment_before("a")


class TestDrift:
    def test_nested_in_place_change_seen_by_dump_not_by_inner(self, m):
        m["b"]["c"] = 1
        assert m.to_dict()["b"] == {"c": 2}
        assert '"c": 2' in repr(m)
        assert "  c: 1\n" in plovarn.dumps(m)

    def test_clear_empties_parent_only(self, m):
        m.clear()
        assert len(m) == 0
        assert m.to_dict() == {"a": 1, "b": {"c": 2}, "d": [1, 2]}
        assert plovarn.dumps(m) == "{}\n"

    @pytest.mark.parametrize("extra", ["extra", "\ud800", "a\udfff"])
    def test_inherited_set_is_not_written(self, m, extra):
        # Also a key with no UTF-8 form, standing where the dump looks first.
        values = dict(m)
        dict.clear(m)
        dict.__setitem__(m, extra, 1)
        dict.update(m, values)
        assert plovarn.dumps(m) == "# above a\na: 1  # on a\nb:\n  c: 2\n# above d\nd:\n  - 1\n  - 2\n"

    def test_to_dict_is_plain(self):
        m = plovarn.loads("s:\n- a: 1\n- b: [2]\n")
        d = m.to_dict()
        assert type(d) is dict and type(d["s"]) is list
        assert type(d["s"][0]) is dict and type(d["s"][1]["b"]) is list
        assert d == {"s": [{"a": 1}, {"b": [2]}]}


def test_signatures():
    expected = {
        "pop": "(self, /, key, default=None)",
        "update": "(self, /, other)",
        "setdefault": "(self, /, key, default=None)",
        "sort_keys": "(self, /, key=None, reverse=False, recursive=False)",
        "to_dict": "(self, /)",
        "get_comment_before": "(self, /, key)",
        "get_comment_inline": "(self, /, key)",
        "set_comment_before": "(self, /, key, comment)",
        "set_comment_inline": "(self, /, key, comment)",
    }
    for name, sig in expected.items():
        method = getattr(YamlMapping, name)
        assert str(inspect.signature(method)) == sig
        assert method.__doc__ is None or method.__doc__ == ""
    with pytest.raises(TypeError, match=r"^YamlMapping.to_dict\(\) takes 0 positional arguments but 1 was given$"):
        YamlMapping().to_dict(1)
