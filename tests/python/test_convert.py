"""Conversion between Python values and the document tree, seen through storing
values into the classes and through dumping."""

import pytest

import plovarn
from plovarn import YamlMapping, YamlScalar, YamlSequence


def stored(value):
    """The value as the parent container holds it after storing it."""
    m = YamlMapping()
    m["v"] = value
    return m["v"]


def dumped(value):
    s = YamlSequence()
    s.append(value)
    return plovarn.dumps(s)


class TestScalarsFromPython:
    def test_each_type(self):
        assert stored(None) is None
        assert stored(True) is True and stored(False) is False
        assert type(stored(1)) is int and stored(1) == 1
        assert type(stored(1.5)) is float and stored(1.5) == 1.5
        assert stored("abc") == "abc"
        assert stored("") == ""

    def test_bool_comes_before_int(self):
        assert dumped(True) == "- true\n"

    @pytest.mark.parametrize("value", [2**63, 2**64 + 1, -2**63 - 1, 2**70, 10**400],
                             ids=["2**63", "2**64+1", "-2**63-1", "2**70", "10**400"])
    def test_integers_beyond_64_bits_are_refused(self, value):
        # A float in its place would be a different number, and the reader gives
        # an integer literal beyond the range back as a string.
        message = "^int too large to store in YAML: outside the signed 64-bit range$"
        m = YamlMapping()
        with pytest.raises(OverflowError, match=message):
            m["v"] = value
        with pytest.raises(OverflowError, match=message):
            plovarn.dumps(value)
        s = plovarn.loads("- 1  # kept\n")
        list.__setitem__(s, 0, value)  # reaches the parent list around the class
        with pytest.raises(OverflowError, match=message):
            plovarn.dumps(s)
        assert m == {} and m.to_dict() == {}

    def test_the_ends_of_the_64_bit_range_are_kept(self):
        for value in (-2**63, 2**63 - 1):
            assert stored(value) == value and type(stored(value)) is int

    def test_protocols(self):
        class Index:
            def __index__(self):
                return 7

        class Real:
            def __float__(self):
                return 2.5

        assert stored(Index()) == 7 and type(stored(Index())) is int
        assert stored(Real()) == 2.5
        assert plovarn.dumps(Index()) == "7\n"

    def test_subclasses_of_builtins(self):
        class Text(str):
            pass

        class Number(int):
            pass

        class Real(float):
            pass

        assert type(stored(Text("t"))) is str and stored(Text("t")) == "t"
        assert type(stored(Number(3))) is int
        assert type(stored(Real(0.5))) is float

    def test_float_subclass_with_index_stays_a_float(self):
        class Real(float):
            def __index__(self):
                return 3

        assert type(stored(Real(2.5))) is float and stored(Real(2.5)) == 2.5
        assert plovarn.dumps(Real(2.5)) == "2.5\n"

    @pytest.mark.parametrize("type_name, value", [
        ("bool_", True), ("bool_", False), ("int8", -128), ("int16", 32767), ("int32", -7), ("int64", -2**63),
        ("int64", 2**63 - 1), ("uint8", 255), ("uint32", 2**32 - 1), ("uint64", 2**63 - 1), ("intp", 0),
        ("float16", 0.5), ("float32", 0.1), ("float64", -0.0), ("float64", float("inf")), ("longdouble", 2.5),
    ])
    def test_numpy_scalars_are_stored_as_the_number_they_are(self, type_name, value):
        np = pytest.importorskip("numpy")
        scalar = getattr(np, type_name)(value)
        plain = {"b": bool, "i": int, "u": int, "f": float}[np.dtype(type(scalar)).kind](scalar)
        assert type(stored(scalar)) is type(plain) and repr(stored(scalar)) == repr(plain)
        assert dumped(scalar) == dumped(plain) and plovarn.dumps(scalar) == plovarn.dumps(plain)

    def test_numpy_bool_is_written_as_a_boolean(self):
        np = pytest.importorskip("numpy")
        m = plovarn.loads("enabled: false  # switch\n")
        m["enabled"] = np.True_
        assert plovarn.dumps(m) == "enabled: true  # switch\n"

    @pytest.mark.parametrize("type_name, value", [("uint64", 2**63), ("uint64", 2**64 - 1)])
    def test_numpy_integers_beyond_64_bits_are_refused(self, type_name, value):
        np = pytest.importorskip("numpy")
        with pytest.raises(OverflowError, match="outside the signed 64-bit range"):
            stored(getattr(np, type_name)(value))

    def test_str_subclass_with_index_converts_as_an_integer(self):
        class Odd(str):
            def __index__(self):
                return 9

        assert stored(Odd("x")) == 9

    def test_exception_from_index_propagates(self):
        class Bad:
            def __index__(self):
                raise ZeroDivisionError("x")

        with pytest.raises(ZeroDivisionError):
            stored(Bad())

    def test_lone_surrogate_raises_the_encoding_error(self):
        with pytest.raises(UnicodeEncodeError):
            stored("\udc80")


class TestContainersFromPython:
    def test_dict_with_nested_list(self):
        value = stored({"z": [1, {"b": None}], "c": "d"})
        assert type(value) is YamlMapping and type(value["z"]) is YamlSequence
        assert type(value["z"][1]) is YamlMapping
        assert plovarn.dumps(value) == "z:\n  - 1\n  - b: null\nc: d\n"  # the dict's order, no comments

    def test_dict_and_list_subclasses(self):
        class D(dict):
            pass

        class L(list):
            pass

        assert type(stored(D(a=1))) is YamlMapping
        assert type(stored(L([1]))) is YamlSequence

    def test_non_str_key(self):
        with pytest.raises(TypeError, match="^'int' object is not an instance of 'str'$"):
            stored({1: "a"})
        with pytest.raises(TypeError):
            stored({"ok": {None: 1}})

    @pytest.mark.parametrize("value,text", [
        ((1, 2), "(1, 2)"), ({1, 2}, "{1, 2}"), (b"ab", "b'ab'"), (range(2), "range(0, 2)"),
    ])
    def test_unsupported_types(self, value, text):
        with pytest.raises(RuntimeError) as info:
            stored(value)
        assert str(info.value) == f"Cannot convert {text} to YAML node"

    def test_unprintable_value(self):
        class Opaque:
            def __str__(self):
                raise ValueError("no")

        with pytest.raises(RuntimeError, match=r"^Cannot convert <unprintable Opaque object> to YAML node$"):
            stored(Opaque())

    def test_failure_deep_inside_changes_nothing(self):
        m = YamlMapping()
        with pytest.raises(RuntimeError, match=r"^Cannot convert \(3,\) to YAML node$"):
            m["k"] = {"a": [1, 2, {"b": (3,)}]}
        assert m == {}

    def test_yaml_objects_contribute_their_inner(self):
        source = plovarn.loads("a: 1  # kept\n")
        dict.__setitem__(source, "a", 99)  # the parent dict is not looked at
        target = YamlMapping()
        target["m"] = source
        assert target["m"] == {"a": 1}
        assert plovarn.dumps(target) == "m:\n  a: 1  # kept\n"

    def test_yaml_scalar_inside_a_plain_container(self):
        scalar = plovarn.loads("5")
        assert stored([scalar]) == [5]
        assert stored({"s": scalar}) == {"s": 5}

    def test_list_that_shrinks_while_converting(self):
        victim = [1, 2, 3]

        class Shrink:
            def __index__(self):
                victim.clear()
                return 0

        victim.insert(0, Shrink())
        assert stored(victim) == [0]


class TestCycles:
    def test_dict_containing_itself(self):
        d = {}
        d["self"] = d
        with pytest.raises(RecursionError):
            stored(d)

    def test_list_containing_itself_through_a_dict(self):
        loop = []
        loop.append({"again": loop})
        with pytest.raises(RecursionError):
            stored(loop)

    def test_parent_container_containing_its_own_object(self):
        m = plovarn.loads("a: 1\n")
        dict.__setitem__(m, "a", m)
        with pytest.raises(RecursionError):
            plovarn.dumps(m)
        s = plovarn.loads("- 1\n")
        list.__setitem__(s, 0, s)
        with pytest.raises(RecursionError):
            plovarn.dumps(s)
        # Still usable afterwards.
        dict.__setitem__(m, "a", 2)
        assert plovarn.dumps(m) == "a: 2\n"

    def test_depth_is_bounded_even_with_a_high_recursion_limit(self):
        import sys
        limit = sys.getrecursionlimit()
        sys.setrecursionlimit(10**6)
        try:
            d = {}
            d["d"] = d
            with pytest.raises(RecursionError):
                stored(d)
            m = plovarn.loads("a: 1\n")
            dict.__setitem__(m, "a", m)
            with pytest.raises(RecursionError):
                plovarn.dumps(m)
        finally:
            sys.setrecursionlimit(limit)

    def test_deep_but_acyclic_plain_nesting(self):
        value = 1
        for _ in range(100000):
            value = [value]
        with pytest.raises(RecursionError):
            stored(value)
        value = 1
        for _ in range(100):
            value = {"k": value}
        assert plovarn.dumps(stored(value)).count("k:") == 100


NESTED = "a:\n  b:\n    c: 1  # c\n    d: [2, {e: 3}]\n  f: [4, [5, 6]]\ng: {h: 7}\n"


def tree_paths(value, path=()):
    """Every path to a value of a plain tree, collections included."""
    yield path
    items = value.items() if isinstance(value, dict) else enumerate(value) if isinstance(value, list) else ()
    for key, child in items:
        yield from tree_paths(child, path + (key,))


class TestExtraction:
    def test_plain_containers_are_not_documents(self):
        for value in ({"a": 1}, [1], (1,), {1}, object()):
            with pytest.raises(RuntimeError, match="^expected YamlMapping, YamlSequence, or YamlScalar$"):
                plovarn.dumps(value)

    def test_plain_container_inside_a_parent_is_refused(self):
        s = plovarn.loads("- 1\n")
        list.__setitem__(s, 0, [1])
        with pytest.raises(RuntimeError, match="^expected YamlMapping, YamlSequence, or YamlScalar$"):
            plovarn.dumps(s)

    def test_sequence_with_plain_items(self):
        s = YamlSequence()
        s.extend([1, "two", None])
        assert plovarn.dumps(s) == "- 1\n- two\n- null\n"

    def test_values_come_from_the_parent_keys_and_comments_from_inner(self):
        doc = plovarn.loads("a:\n  b: 1  # note\nc: 2\n")
        doc["a"]["b"] = 5
        assert plovarn.dumps(doc) == "a:\n  b: 5  # note\nc: 2\n"

    def test_key_missing_from_the_parent_is_omitted(self):
        doc = plovarn.loads("a: 1\nb: 2\nc: 3\n")
        dict.__delitem__(doc, "b")
        dict.__setitem__(doc, "extra", 4)  # not in inner, not written
        assert plovarn.dumps(doc) == "a: 1\nc: 3\n"

    @pytest.mark.parametrize("value,text", [
        (True, "true"), (1.0, "1.0"), ("1", "'1'"), (None, "null"), (2, "2"), (-1, "-1"),
    ])
    def test_a_value_of_another_type_with_an_equal_value_is_written_as_it_is(self, value, text):
        doc = plovarn.loads("a: 1  # c\n")
        dict.__setitem__(doc, "a", value)
        assert plovarn.dumps(doc) == f"a: {text}  # c\n"

    def test_changed_values_after_a_missing_key(self):
        doc = plovarn.loads("a: 1\nb: 2\nc: 3\nd: x\n")
        dict.__delitem__(doc, "b")
        dict.__setitem__(doc, "c", 30)
        dict.__setitem__(doc, "d", "z")
        assert plovarn.dumps(doc) == "a: 1\nc: 30\nd: z\n"
        assert plovarn.dumps(doc) == "a: 1\nc: 30\nd: z\n"  # the object itself is unchanged
        assert doc.get_comment_before("a") is None

    def test_changed_items_of_a_sequence(self):
        s = plovarn.loads("- 1  # one\n- two\n- 3.5\n")
        list.__setitem__(s, 1, "2")
        list.__setitem__(s, 2, float("nan"))
        assert plovarn.dumps(s) == "- 1  # one\n- '2'\n- .nan\n"

    def test_unchanged_document_writes_the_same_text_twice(self):
        text = "# top\nk: v  # v\nl:\n  - 1\n  - m: o\n"
        doc = plovarn.loads(text)
        assert plovarn.dumps(doc) == plovarn.dumps(doc) == text

    def test_parent_dict_in_a_different_order(self):
        doc = plovarn.loads("a: 1\nb: 2\nc: 3\n")
        dict.__delitem__(doc, "a")
        dict.__setitem__(doc, "a", 10)  # now last in the dict, still first in inner
        assert plovarn.dumps(doc) == "a: 10\nb: 2\nc: 3\n"

    def test_key_object_of_a_str_subclass_in_the_parent(self):
        class Key(str):
            pass

        doc = plovarn.loads("a: 1\n")
        dict.__delitem__(doc, "a")
        dict.__setitem__(doc, Key("a"), 7)
        assert plovarn.dumps(doc) == "a: 7\n"

    def test_short_parent_list(self):
        s = plovarn.loads("- 1\n- 2\n")
        list.pop(s)
        with pytest.raises(IndexError, match="^list index out of range$"):
            plovarn.dumps(s)

    def test_extra_parent_items_are_not_written(self):
        s = plovarn.loads("- 1\n")
        list.append(s, 2)
        assert plovarn.dumps(s) == "- 1\n"

    def test_scalar_documents(self):
        assert plovarn.dumps(plovarn.loads("5")) == "5\n"
        assert plovarn.dumps(None) == "null\n"
        assert plovarn.dumps("x") == "x\n"
        assert plovarn.dumps(2.5) == "2.5\n"

    def test_dumps_all_shapes(self):
        assert plovarn.dumps_all([]) == ""
        assert plovarn.dumps_all([1, 2]) == "---\n1\n---\n2"
        assert plovarn.dumps_all(iter([plovarn.loads("a: 1")])) == "a: 1\n"
        assert plovarn.dumps_all((x for x in [5])) == "5"

    @pytest.mark.parametrize("path", list(tree_paths(plovarn.loads(NESTED).to_dict()))[1:], ids=repr)
    @pytest.mark.parametrize("new", ["z", {"n": 1}, ["m"]], ids=["scalar", "mapping", "sequence"])
    def test_one_change_anywhere_is_written_and_nothing_else(self, path, new):
        doc = plovarn.loads(NESTED)
        expected = doc.to_dict()
        *above, last = path
        node, model = doc, expected
        for key in above:
            node, model = node[key], model[key]
        node[last] = new
        model[last] = new
        assert plovarn.loads(plovarn.dumps(doc)).to_dict() == expected
        # The comment beside a.b.c stays unless a level holding it was replaced.
        assert ("# c" in plovarn.dumps(doc)) == (path not in (("a",), ("a", "b")))

    def test_nested_objects_moved_between_keys_are_written_where_they_stand(self):
        doc = plovarn.loads("a: {x: 1}\nb: [2]\nc: {y: 3}\n")
        doc["a"], doc["b"] = doc["b"], doc["a"]
        doc["c"] = doc["a"]  # stored as a copy that shares the level until either changes
        assert plovarn.loads(plovarn.dumps(doc)).to_dict() == {"a": [2], "b": {"x": 1}, "c": [2]}
        doc["a"].append(5)
        assert plovarn.loads(plovarn.dumps(doc)).to_dict() == {"a": [2, 5], "b": {"x": 1}, "c": [2]}
        dict.__setitem__(doc, "c", doc["a"])  # the very object under two keys of the parent
        assert plovarn.loads(plovarn.dumps(doc)).to_dict() == {"a": [2, 5], "b": {"x": 1}, "c": [2, 5]}

    def test_an_unchanged_nested_object_of_another_document(self):
        first, second = plovarn.loads("k:\n  x: 1\nl: 0\n"), plovarn.loads("k:\n  x: 2  # two\n")
        dict.__setitem__(first, "k", second["k"])
        assert plovarn.dumps(first) == "k:\n  x: 2  # two\nl: 0\n"


class TestToDict:
    def test_plain_copies_at_every_depth(self):
        plain = plovarn.loads("# c\na:\n  - b: 1  # d\n  - [x, {y: z}]\n").to_dict()
        assert plain == {"a": [{"b": 1}, ["x", {"y": "z"}]]}
        assert [type(plain), type(plain["a"]), type(plain["a"][0]), type(plain["a"][1][1])] == [dict, list, dict, dict]


# The deepest nesting the reader builds; conversions in both directions reach it
# whatever the interpreter's recursion limit is.
MAX_DEPTH = 10_000


def nest(depth, kind, leaf=1):
    """`depth` nested plain containers around `leaf`, built without recursion."""
    value = leaf
    for level in range(depth):
        as_dict = kind == "dict" or (kind == "mixed" and level % 2)
        value = {"k": value} if as_dict else [value]
    return value


def depth_of(value):
    """Nesting depth of dicts and lists, counted without recursion."""
    depth = 0
    while isinstance(value, (dict, list)):
        depth += 1
        value = next(iter(value.values())) if isinstance(value, dict) else value[0]
    return depth


@pytest.fixture
def low_recursion_limit():
    """The interpreter's recursion limit set just above the current depth."""
    import inspect
    import sys

    limit = sys.getrecursionlimit()
    sys.setrecursionlimit(len(inspect.stack()) + 50)
    yield
    sys.setrecursionlimit(limit)


@pytest.mark.usefixtures("low_recursion_limit")
class TestNestingBound:
    @pytest.mark.parametrize("kind", ["dict", "list", "mixed"])
    def test_plain_values_up_to_the_bound_are_stored(self, kind):
        s = YamlSequence()
        s.append(nest(MAX_DEPTH, kind))
        assert depth_of(s[0]) == MAX_DEPTH and depth_of(s[0].to_dict()) == MAX_DEPTH
        with pytest.raises(RecursionError):
            s.append(nest(MAX_DEPTH + 1, kind))
        assert len(s) == 1

    def test_deepest_document_loads_converts_and_dumps(self):
        text = "- " * MAX_DEPTH + "x\n"
        doc = plovarn.loads(text)
        assert depth_of(doc.to_dict()) == MAX_DEPTH
        written = plovarn.dumps(doc)
        assert plovarn.dumps(plovarn.loads(written)) == written
        # The innermost sequence is an object of its own: an edit there is written.
        inner = doc
        for _ in range(MAX_DEPTH - 1):
            inner = inner[0]
        inner[0] = "z"
        assert plovarn.dumps(doc) == written.replace("x", "z")
        copy = YamlMapping()
        copy["k"] = doc[0]
        assert depth_of(copy["k"]) == MAX_DEPTH - 1
        with pytest.raises(RuntimeError, match="maximum nesting depth"):
            plovarn.loads("- " * (MAX_DEPTH + 1) + "x\n")

    def test_parent_holding_itself_stops_at_the_bound(self):
        m = plovarn.loads("a: 1\n")
        dict.__setitem__(m, "a", m)
        with pytest.raises(RecursionError):
            plovarn.dumps(m)
        dict.__setitem__(m, "a", 2)
        assert plovarn.dumps(m) == "a: 2\n"


class Probe:
    """An integer by __index__ that logs its conversion and can be made to fail."""

    def __init__(self, number, log, fail_at=None):
        self.number, self.log, self.fail_at = number, log, fail_at

    def __index__(self):
        self.log.append(self.number)
        if self.number == self.fail_at:
            raise ValueError(self.number)
        return self.number


def probes_in_order(value, found):
    """The probes of a plain value in depth-first order, the order of a recursive walk."""
    if isinstance(value, Probe):
        found.append(value.number)
    elif isinstance(value, dict):
        for item in value.values():
            probes_in_order(item, found)
    elif isinstance(value, list):
        for item in value:
            probes_in_order(item, found)
    return found


def plain_of(value):
    if isinstance(value, Probe):
        return value.number
    if isinstance(value, dict):
        return {k: plain_of(v) for k, v in value.items()}
    if isinstance(value, list):
        return [plain_of(v) for v in value]
    return value


def shapes():
    from hypothesis import strategies as st

    leaves = st.one_of(st.none(), st.booleans(), st.text(max_size=3), st.just("probe"))
    return st.recursive(
        leaves,
        lambda inner: st.one_of(st.lists(inner, max_size=4), st.dictionaries(st.text(max_size=2), inner, max_size=4)),
        max_leaves=30,
    )


def with_probes(shape, log, fail_at=None):
    """The shape with each "probe" leaf replaced by a Probe numbered in document order."""
    counter = iter(range(10**6))

    def build(value):
        if value == "probe":
            return Probe(next(counter), log, fail_at)
        if isinstance(value, dict):
            return {k: build(v) for k, v in value.items()}
        if isinstance(value, list):
            return [build(v) for v in value]
        return value

    return build(shape)


class TestWalkOrder:
    """The walks call back into Python in the order a recursive walk would."""

    def test_storing_visits_values_depth_first(self):
        from hypothesis import given, settings
        from hypothesis import strategies as st

        @settings(max_examples=150, deadline=None)
        @given(shapes(), st.integers(min_value=0, max_value=40))
        def check(shape, fail_at):
            log = []
            value = with_probes(shape, log)
            expected = probes_in_order(value, [])
            assert stored(value) == plain_of(value)
            assert log == expected
            failing_log = []
            failing = with_probes(shape, failing_log, fail_at)
            m = YamlMapping()
            m["keep"] = 1
            if fail_at in expected:
                with pytest.raises(ValueError):
                    m["v"] = failing
                assert failing_log == expected[: expected.index(fail_at) + 1]
                assert dict(m) == {"keep": 1} and plovarn.dumps(m) == "keep: 1\n"
            else:
                m["v"] = failing
                assert m.to_dict()["v"] == plain_of(failing)

        check()

    def test_dumping_visits_changed_values_in_document_order(self):
        from hypothesis import given, settings

        def swap(container, log, swapped):
            # Integers are replaced through the inherited item assignment, so
            # that inner keeps the stored value and extraction converts the probe.
            base = dict if isinstance(container, dict) else list
            pairs = list(container.items()) if base is dict else list(enumerate(container))
            for k, v in pairs:
                if isinstance(v, (dict, list)):
                    swap(v, log, swapped)
                elif type(v) is int:
                    swapped.append(v)
                    base.__setitem__(container, k, Probe(v, log))

        @settings(max_examples=150, deadline=None)
        @given(shapes())
        def check(shape):
            doc = YamlSequence()
            doc.append(plain_of(with_probes(shape, [])))
            expected = plovarn.dumps(doc)
            log, swapped = [], []
            swap(doc, log, swapped)
            assert plovarn.dumps(doc) == expected
            assert log == swapped

        check()
