"""The access guard: Python code called back while a method holds inner is refused
re-entrant use of the same object, and nothing is lost."""

import pytest

import plovarn
from plovarn import YamlMapping, YamlSequence

REFUSED = RuntimeError


def loaded_mapping():
    return plovarn.loads("# cb\nb: 1  # ib\na: 2\n")


class TestSortKeyFunctions:
    @pytest.mark.parametrize("reenter", [
        lambda m: m.__setitem__("x", 1),
        lambda m: m.__delitem__("a"),
        lambda m: m.pop("a"),
        lambda m: m.set_comment_before("a", "x"),
        lambda m: m.get_comment_before("a"),
        lambda m: m.to_dict(),
        lambda m: repr(m),
        lambda m: m.sort_keys(),
        lambda m: m.update({"z": 1}),
        lambda m: m.setdefault("a"),
        lambda m: plovarn.dumps(m),
    ])
    def test_mapping_refuses_reentry(self, reenter):
        m = loaded_mapping()

        def key(k):
            reenter(m)
            return k

        with pytest.raises(REFUSED):
            m.sort_keys(key=key)
        assert list(m) == ["b", "a"] and m.to_dict() == {"b": 1, "a": 2}
        assert m.get_comment_before("b") == "cb" and m.get_comment_inline("b") == "ib"
        m.sort_keys()  # the guard was released
        assert list(m) == ["a", "b"]

    def test_parent_dict_readable_and_unchanged_during_sort(self):
        m = loaded_mapping()
        seen = []
        m.sort_keys(key=lambda k: (seen.append((len(m), list(m), m[k])), k)[1])
        assert seen == [(2, ["b", "a"], 1), (2, ["b", "a"], 2)]

    @pytest.mark.parametrize("reenter", [
        lambda s: s.append(1),
        lambda s: s.__setitem__(0, 1),
        lambda s: s.pop(),
        lambda s: s.to_dict(),
        lambda s: repr(s),
        lambda s: s.extend(s),
        lambda s: s.reverse(),
    ])
    def test_sequence_refuses_reentry(self, reenter):
        s = plovarn.loads("- 2  # two\n- 1\n")

        def key(v):
            reenter(s)
            return v

        with pytest.raises(REFUSED):
            s.sort(key=key)
        assert s == [2, 1] and s.to_dict() == [2, 1] and s.get_comment_inline(0) == "two"

    def test_other_object_usable_from_key(self):
        m = loaded_mapping()
        other = YamlMapping()
        m.sort_keys(key=lambda k: (other.__setitem__(k, 1), k)[1])
        assert list(other) == ["b", "a"] and list(m) == ["a", "b"]

    def test_update_of_busy_mapping_falls_back_to_its_keys(self):
        # While m is being sorted its inner cannot be read; update takes the
        # keys() path and so reads m's parent dict, which still holds the old view.
        m = loaded_mapping()
        target = YamlMapping()
        m.sort_keys(key=lambda k: (target.update(m), k)[1])
        assert target == {"b": 1, "a": 2} and target.get_comment_before("b") is None


class TestUpdateCallbacks:
    def test_keys_callback_refused_nothing_lost(self):
        m = loaded_mapping()

        class Source:
            def keys(self):
                m["zz"] = 0
                return ["q"]

            def __getitem__(self, k):
                return 1

        with pytest.raises(REFUSED):
            m.update(Source())
        assert m.to_dict() == {"b": 1, "a": 2} and dict(m) == {"b": 1, "a": 2}
        assert m.get_comment_inline("b") == "ib"

    def test_item_access_callback_refused_after_partial_insert(self):
        m = loaded_mapping()

        class Source:
            def keys(self):
                return ["p", "q"]

            def __getitem__(self, k):
                if k == "q":
                    m.get_comment_before("a")
                return 5

        with pytest.raises(REFUSED):
            m.update(Source())
        assert m.to_dict() == {"b": 1, "a": 2, "p": 5} and dict(m) == m.to_dict()
        m["q"] = 6
        assert list(m) == ["b", "a", "p", "q"]

    def test_iteration_callback_refused(self):
        m = loaded_mapping()

        def pairs():
            yield ("b", 10)
            m.sort_keys()
            yield ("c", 3)

        with pytest.raises(REFUSED):
            m.update(pairs())
        assert m == {"b": 10, "a": 2} and m.to_dict() == {"b": 10, "a": 2}

    def test_value_that_is_the_mapping_itself(self):
        m = loaded_mapping()
        with pytest.raises(REFUSED):
            m.update({"self": m})
        assert m.to_dict() == {"b": 1, "a": 2}
        m["self"] = m  # outside update the instance can be read as a value
        assert m["self"] == {"b": 1, "a": 2}


class TestRemoveEquality:
    def test_reading_allowed_writing_refused(self):
        s = plovarn.loads("- 1  # one\n- 2\n")
        reads = []

        class Reader:
            def __eq__(self, other):
                reads.append(s.get_comment_inline(0))
                return other == 2

        s.remove(Reader())
        assert reads == ["one", "one"] and s == [1]

        class Writer:
            def __eq__(self, other):
                s.append(3)
                return True

        with pytest.raises(REFUSED):
            s.remove(Writer())
        assert s == [1] and s.to_dict() == [1]
        s.append(4)
        assert s == [1, 4]


def test_nested_objects_have_their_own_guard():
    m = plovarn.loads("n:\n  b: 1\n  a: 2\nk: 0\n")
    nested = m["n"]
    m.sort_keys(key=lambda k: (nested.sort_keys(), k)[1])
    assert list(nested) == ["a", "b"] and list(m) == ["k", "n"]


def test_setdefault_keeps_an_entry_its_default_added():
    # The default's conversion (__index__) runs before setdefault holds inner.
    m = loaded_mapping()

    class Sneaky:
        def __index__(self):
            m["k"] = 5
            m.set_comment_before("k", "kept")
            return 7

    assert m.setdefault("k", Sneaky()) == 5
    assert dict(m) == m.to_dict() == {"b": 1, "a": 2, "k": 5} and m.get_comment_before("k") == "kept"
