"""YamlSequence editing: inner and the parent list stay in step, comments follow elements."""

import inspect

import pytest

import plovarn
from plovarn import YamlMapping, YamlSequence

DOC = "# one\n- 1  # i1\n# two\n- 2  # i2\n# three\n- 3  # i3\n"


@pytest.fixture
def s():
    return plovarn.loads(DOC)


def comments(seq):
    return [(seq.get_comment_before(i), seq.get_comment_inline(i)) for i in range(len(seq.to_dict()))]


class TestAssignment:
    def test_replace_keeps_comments(self, s):
        s[0] = 5
        s[-1] = "x"
        assert s == [5, 2, "x"]
        assert comments(s)[0] == ("one", "i1") and comments(s)[2] == ("three", "i3")
        assert plovarn.dumps(s) == "# one\n- 5  # i1\n# two\n- 2  # i2\n# three\n- x  # i3\n"

    def test_stored_value_is_built_from_inner(self, s):
        d = {"a": 1}
        s[1] = d
        assert type(s[1]) is YamlMapping and s[1] == d and s[1] is not d

    @pytest.mark.parametrize("index", [3, 5, -4])
    def test_out_of_range(self, s, index):
        with pytest.raises(IndexError, match="^index out of range$"):
            s[index] = 1
        with pytest.raises(IndexError, match="^index out of range$"):
            del s[index]
        assert s == [1, 2, 3] and len(s.to_dict()) == 3

    def test_slices_and_non_integers_refused(self, s):
        with pytest.raises(TypeError, match="^argument 'key': 'slice' object cannot be interpreted as an integer$"):
            s[0:1] = [1]
        with pytest.raises(TypeError, match="^argument 'key': 'slice' object cannot be interpreted as an integer$"):
            del s[0:1]
        with pytest.raises(TypeError, match="^argument 'key': 'str' object cannot be interpreted as an integer$"):
            s["0"] = 1
        with pytest.raises(TypeError, match="^argument 'key': 'float' object cannot be interpreted as an integer$"):
            s[0.0] = 1
        assert s == [1, 2, 3]

    def test_index_protocol_and_bool(self, s):
        class Two:
            def __index__(self):
                return 2

        s[Two()] = 9
        s[True] = 8
        assert s == [1, 8, 9]

    def test_unconvertible_value_changes_nothing(self, s):
        with pytest.raises(RuntimeError, match="^Cannot convert"):
            s[0] = object()
        assert s == [1, 2, 3] and repr(s) == "YamlSequence([1, 2, 3])"


class TestDeletion:
    def test_del_moves_comments_down(self, s):
        del s[0]
        assert s == [2, 3]
        assert comments(s) == [("two", "i2"), ("three", "i3")]

    def test_drifted_parent_reports_list_error(self, s):
        list.clear(s)
        with pytest.raises(IndexError, match="^list assignment index out of range$"):
            del s[0]


class TestAppendInsert:
    def test_append_builds_from_inner_without_comments(self, s):
        d = {"a": 1}
        s.append(d)
        assert type(s[-1]) is YamlMapping and s[-1] == d and s[-1] is not d
        assert comments(s)[-1] == (None, None)
        s.append(value=None)
        assert s[-1] is None

    @pytest.mark.parametrize("idx, where", [(100, 3), (-100, 0), (1, 1), (-1, 2), (3, 3)])
    def test_insert_clamps(self, s, idx, where):
        s.insert(idx, "new")
        assert s.index("new") == where and len(s) == 4
        assert comments(s)[where] == (None, None)
        expected = [1, 2, 3]
        expected.insert(idx, "new")
        assert s == expected and s.to_dict() == expected

    def test_insert_errors(self, s):
        with pytest.raises(TypeError, match="^argument 'idx': 'str' object cannot be interpreted as an integer$"):
            s.insert("0", 1)
        with pytest.raises(RuntimeError, match="^Cannot convert"):
            s.insert(0, b"x")
        assert s == [1, 2, 3]


class TestPop:
    def test_default_pops_last(self, s):
        assert s.pop() == 3 and s == [1, 2] and comments(s)[-1] == ("two", "i2")

    def test_index_and_keyword(self, s):
        assert s.pop(0) == 1 and s.pop(idx=-1) == 3 and s == [2]

    def test_returns_value_built_from_inner(self):
        s = plovarn.loads("- [1]\n")
        s[0].append(2)          # nested object only
        assert s.pop() == [1]

    def test_errors(self, s):
        with pytest.raises(IndexError, match="^pop index out of range$"):
            s.pop(7)
        with pytest.raises(TypeError, match="^argument 'idx': 'NoneType' object cannot be interpreted as an integer$"):
            s.pop(None)
        with pytest.raises(IndexError, match="^pop from empty list$"):
            YamlSequence().pop()
        with pytest.raises(IndexError, match="^pop from empty list$"):
            YamlSequence().pop(5)


class TestRemove:
    def test_removes_first_equal(self):
        s = plovarn.loads("- 1\n- 2  # first\n- 2  # second\n")
        s.remove(2)
        assert s == [1, 2] and s.get_comment_inline(1) == "second"

    def test_compares_values_from_inner(self, s):
        list.__setitem__(s, 0, 100)
        s.remove(1)
        assert s.to_dict() == [2, 3]

    def test_missing(self, s):
        with pytest.raises(ValueError, match="^value not in list$"):
            s.remove(9)

    def test_comparison_error_propagates_unchanged(self, s):
        class Bad:
            def __eq__(self, other):
                raise ArithmeticError("eq")

        with pytest.raises(ArithmeticError, match="eq"):
            s.remove(Bad())
        assert s == [1, 2, 3]


class TestExtend:
    def test_self_doubles_without_comments(self, s):
        s.extend(s)
        assert s == [1, 2, 3, 1, 2, 3]
        assert comments(s)[3:] == [(None, None)] * 3 and comments(s)[0] == ("one", "i1")

    def test_other_sequence_and_generator(self, s):
        s.extend(plovarn.loads("- 7  # c\n"))
        s.extend(iterable=(x for x in [{"k": 1}]))
        assert s == [1, 2, 3, 7, {"k": 1}] and type(s[-1]) is YamlMapping
        assert s.get_comment_inline(3) is None

    def test_atomic_on_failure(self, s):
        with pytest.raises(RuntimeError, match="^Cannot convert"):
            s.extend([1, object()])
        assert s == [1, 2, 3] and len(s.to_dict()) == 3

        def gen():
            yield 4
            raise KeyError("gen")

        with pytest.raises(KeyError):
            s.extend(gen())
        with pytest.raises(TypeError):
            s.extend(5)
        assert s == [1, 2, 3] and repr(s) == "YamlSequence([1, 2, 3])"


class TestReverse:
    def test_comments_follow_elements(self, s):
        s.reverse()
        assert s == [3, 2, 1]
        assert comments(s) == [("three", "i3"), ("two", "i2"), ("one", "i1")]
        assert plovarn.dumps(s).startswith("# three\n- 3  # i3\n")


class TestComments:
    def test_get_and_set(self, s):
        assert s.get_comment_before(-1) == "three"
        s.set_comment_before(0, "new\nlines")
        s.set_comment_inline(idx=1, comment="")
        assert s.get_comment_before(0) == "new\nlines" and s.get_comment_inline(1) == ""
        assert plovarn.dumps(s).startswith("# new\n# lines\n- 1  # i1\n")

    @pytest.mark.parametrize("idx", [3, 10, -4])
    def test_out_of_range(self, s, idx):
        for call in (lambda: s.get_comment_before(idx), lambda: s.get_comment_inline(idx),
                     lambda: s.set_comment_before(idx, "x"), lambda: s.set_comment_inline(idx, "x")):
            with pytest.raises(IndexError, match="^index out of range$"):
                call()

    def test_type_errors(self, s):
        with pytest.raises(TypeError, match="^argument 'comment': 'None' is not an instance of 'str'$"):
            s.set_comment_inline(0, None)
        with pytest.raises(TypeError, match="^argument 'comment': 'int' object is not an instance of 'str'$"):
            s.set_comment_before(0, 1)
        with pytest.raises(TypeError, match="^argument 'idx': 'str' object cannot be interpreted as an integer$"):
            s.get_comment_before("0")


class BigIndex:
    def __index__(self):
        return 2**64


# Every method that takes an index, beside the list operation that takes it the same way.
INDEXED = {
    "s[i] = v": (lambda s, i: s.__setitem__(i, 0), lambda plain, i: plain.__setitem__(i, 0)),
    "del s[i]": (lambda s, i: s.__delitem__(i), lambda plain, i: plain.__delitem__(i)),
    "pop": (lambda s, i: s.pop(i), lambda plain, i: plain.pop(i)),
    "insert": (lambda s, i: s.insert(i, 0), lambda plain, i: plain.insert(i, 0)),
    "get_comment_before": (lambda s, i: s.get_comment_before(i), lambda plain, i: plain[i]),
    "get_comment_inline": (lambda s, i: s.get_comment_inline(i), lambda plain, i: plain[i]),
    "set_comment_before": (lambda s, i: s.set_comment_before(i, "x"), lambda plain, i: plain.__setitem__(i, 0)),
    "set_comment_inline": (lambda s, i: s.set_comment_inline(i, "x"), lambda plain, i: plain.__setitem__(i, 0)),
}


@pytest.mark.parametrize("index", [2**63, -2**63 - 1, 2**70, -2**100, BigIndex()],
                         ids=["2**63", "-2**63-1", "2**70", "-2**100", "__index__"])
@pytest.mark.parametrize("method", INDEXED)
def test_indices_beyond_any_position_fail_as_for_a_list(s, method, index):
    ours, plain_operation = INDEXED[method]
    with pytest.raises((IndexError, OverflowError)) as expected:
        plain_operation([1, 2, 3], index)
    with pytest.raises(type(expected.value)) as info:
        ours(s, index)
    assert str(info.value) == str(expected.value)
    assert s == [1, 2, 3] and s.to_dict() == [1, 2, 3] and comments(s)[0] == ("one", "i1")


class TestDrift:
    def test_clear_breaks_dump(self, s):
        s.clear()
        assert s.to_dict() == [1, 2, 3]
        with pytest.raises(IndexError, match="^list index out of range$"):
            plovarn.dumps(s)


def test_signatures():
    expected = {
        "append": "(self, /, value)",
        "insert": "(self, /, idx, value)",
        "pop": "(self, /, idx=Ellipsis)",
        "remove": "(self, /, value)",
        "extend": "(self, /, iterable)",
        "reverse": "(self, /)",
        "sort": "(self, /, key=None, reverse=False)",
        "to_dict": "(self, /)",
        "get_comment_before": "(self, /, idx)",
        "get_comment_inline": "(self, /, idx)",
        "set_comment_before": "(self, /, idx, comment)",
        "set_comment_inline": "(self, /, idx, comment)",
    }
    for name, sig in expected.items():
        assert str(inspect.signature(getattr(YamlSequence, name))) == sig
    with pytest.raises(TypeError, match=r"^YamlSequence.reverse\(\) takes 0 positional arguments but 1 was given$"):
        YamlSequence().reverse(1)
    with pytest.raises(TypeError, match=r"^YamlSequence.append\(\) got an unexpected keyword argument 'x'$"):
        YamlSequence().append(x=1)
