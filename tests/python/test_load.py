"""Loading: which document a call returns, what it becomes, and parse failures."""

import gc
import io
import re

import pytest

import plovarn
from plovarn import YamlMapping, YamlScalar, YamlSequence


class TestDocumentCount:
    @pytest.mark.parametrize("text", ["", "# only a comment\n# and another\n", "\n\n"])
    def test_no_document(self, text):
        assert plovarn.loads(text) is None
        assert plovarn.loads_all(text) == []
        assert plovarn.load(io.StringIO(text)) is None
        assert plovarn.load_all(io.StringIO(text)) == []

    def test_loads_returns_the_first_of_several(self):
        doc = plovarn.loads("a: 1\n---\nb: 2\n")
        assert type(doc) is YamlMapping
        assert dict(doc) == {"a": 1}

    def test_loads_all_returns_every_document_in_order(self):
        docs = plovarn.loads_all("a: 1\n---\nb: 2\n---\n- 3\n")
        assert type(docs) is list
        assert [type(d) for d in docs] == [YamlMapping, YamlMapping, YamlSequence]
        assert [dict(docs[0]), dict(docs[1]), list(docs[2])] == [{"a": 1}, {"b": 2}, [3]]

    def test_syntax_error_in_a_later_document_fails_every_call(self):
        text = "a: 1\n---\n[\n"
        for call in (plovarn.loads, plovarn.loads_all,
                     lambda t: plovarn.load(io.StringIO(t)), lambda t: plovarn.load_all(io.StringIO(t))):
            with pytest.raises(RuntimeError) as info:
                call(text)
            assert str(info.value).startswith("Parse error: YAML parse error: ")

    @pytest.mark.parametrize("text", ["a: [1, 2\n", "é: 1\n  b: 2\n", "- x\n- y\n---\n- z\n  : w\n", "'", "a: b: c"])
    def test_parse_error_carries_the_position(self, text):
        with pytest.raises(RuntimeError) as info:
            plovarn.loads(text)
        error = info.value
        found = re.fullmatch(r"Parse error: YAML parse error: .+ at byte (\d+) line (\d+) column (\d+)", str(error))
        assert found, str(error)
        assert type(error) is RuntimeError
        assert (error.index, error.line, error.column) == tuple(int(n) for n in found.groups())


BOM = "\ufeff"


def load_each_way(text, read_stream):
    """The documents of `text` through loads_all and load_all of str and of bytes."""
    results = [plovarn.loads_all(text), plovarn.load_all(read_stream(text)),
               plovarn.load_all(read_stream(text.encode()))]
    assert plovarn.loads(text) == (results[0][0] if results[0] else None)
    return results


class TestByteOrderMark:
    @pytest.mark.parametrize("text,docs", [
        (BOM + "a: 1\nb: 2\n", [{"a": 1, "b": 2}]),
        (BOM + "# top\na: 1\n", [{"a": 1}]),
        (BOM + "- x\n- y\n", [["x", "y"]]),
        (BOM + "%YAML 1.2\n---\nv\n", ["v"]),
        (BOM, []),
        ("a: 1\n...\n" + BOM + "b: 2\n", [{"a": 1}, {"b": 2}]),
        ("a: 1\n...\n# c\n" + BOM + "---\n- 2\n", [{"a": 1}, [2]]),
    ], ids=["mapping", "comment", "sequence", "directive", "alone", "after-end", "comment-then-start"])
    def test_before_a_document_it_is_skipped(self, text, docs, read_stream):
        for loaded in load_each_way(text, read_stream):
            assert [d.value if isinstance(d, YamlScalar) else d for d in loaded] == docs

    def test_the_first_comment_stays_with_its_entry(self):
        assert plovarn.loads(BOM + "# top\na: 1 # one\n").get_comment_before("a") == "top"

    @pytest.mark.parametrize("text,docs", [
        ("a: " + BOM + "b\n", [{"a": BOM + "b"}]),
        ("- a\n- " + BOM + "b\n", [["a", BOM + "b"]]),
        ("a: 1\n---\n" + BOM + "b: 2\n", [{"a": 1}, {BOM + "b": 2}]),
        (BOM + BOM + "a: 1\n", [{BOM + "a": 1}]),
        ("# c\n" + BOM + "a: 1\n", [{BOM + "a": 1}]),
    ], ids=["value", "item", "after-start-marker", "second-mark", "after-comment"])
    def test_elsewhere_it_is_content(self, text, docs, read_stream):
        for loaded in load_each_way(text, read_stream):
            assert loaded == docs

    def test_error_positions_count_it_as_a_character(self):
        with pytest.raises(RuntimeError) as info:
            plovarn.loads(BOM + "@x\n")
        assert str(info.value) == "Parse error: YAML parse error: unexpected character: `@' at byte 1 line 1 column 1"
        with pytest.raises(RuntimeError) as info:
            plovarn.loads("a: 1\n...\n" + BOM + "b: @\n")
        assert str(info.value).endswith(" at byte 13 line 3 column 4")


class TestKeysAreText:
    @pytest.mark.parametrize("text,error", [
        ("[a]: b\nc: d\n", "a collection is not supported as a mapping key at byte 0 line 1 column 1"),
        ("? [a, b]\n: v\nk: w\n", "a collection is not supported as a mapping key at byte 0 line 1 column 1"),
        ("x:\n  {a: b}: c\n", "a collection is not supported as a mapping key at byte 5 line 2 column 3"),
        ("- [k, {a: b}: c]\n", "a collection is not supported as a mapping key at byte 6 line 1 column 7"),
        ("a: &x 1\n*x : b\nc: d\n", "an alias is not supported as a mapping key at byte 8 line 2 column 1"),
    ])
    def test_collection_or_alias_as_key_is_refused(self, text, error):
        with pytest.raises(RuntimeError) as info:
            plovarn.loads(text)
        assert str(info.value) == "Parse error: YAML parse error: " + error


class TestDocumentRoots:
    def test_scalar_roots_become_yaml_scalars(self):
        for text, value in [("42", 42), ("'text'", "text"), ("null", None), ("~", None), ("1.5", 1.5),
                            ("true", True), ('"a b"', "a b")]:
            doc = plovarn.loads(text)
            assert type(doc) is YamlScalar, text
            assert doc.value == value, text
            assert plovarn.dumps(doc) == text + "\n", text  # written as it was read

    def test_alias_root_is_a_null_scalar(self):
        docs = plovarn.loads_all("&a 1\n---\n*a\n")
        assert type(docs[1]) is YamlScalar
        assert plovarn.dumps(docs[1]) == "null\n"

    def test_sequence_root(self):
        doc = plovarn.loads("- 1\n")
        assert type(doc) is YamlSequence and list(doc) == [1]


class TestLoadedValues:
    def test_nested_scalars_are_plain_python_values(self):
        doc = plovarn.loads("i: 7\nf: 2.5\nb: false\ns: text\nn: null\nlo: -9223372036854775808\nnan: .nan\n")
        values = dict(doc)
        assert [type(v) for v in values.values()] == [int, float, bool, str, type(None), int, float]
        assert values["i"] == 7 and values["f"] == 2.5 and values["s"] == "text" and values["lo"] == -2**63
        assert values["nan"] != values["nan"]

    def test_keys_are_text_and_keep_their_order(self):
        doc = plovarn.loads("z: 1\n1: 2\ntrue: 3\n~: 4\na: 5\n")
        assert list(doc) == ["z", "1", "true", "~", "a"]
        assert all(type(k) is str for k in doc)

    def test_repeated_and_many_distinct_keys(self):
        # Keys are shared within one load: long, non-ASCII and more keys than
        # the sharing keeps must all come back exactly.
        long_key = "k" * 100
        names = [f"key{i}" for i in range(20000)] + [long_key, "cl\u00e9", ""]
        text = "".join(f"- {{'{n}': {i}, same: {i}}}\n" for i, n in enumerate(names))
        docs = plovarn.loads_all(text + "---\n" + text)
        for doc in docs:
            assert [list(m) for m in doc] == [[n, "same"] for n in names]
            assert [m[n] for m, n in zip(doc, names)] == list(range(len(names)))

    def test_nested_collections_are_own_objects(self):
        doc = plovarn.loads("a:\n  b: 1\n  c: [x, {d: e}]\n")
        inner = doc["a"]
        assert type(inner) is YamlMapping
        assert type(inner["c"]) is YamlSequence
        assert type(inner["c"][1]) is YamlMapping
        assert inner["c"][1] == {"d": "e"}

    def test_non_ascii_text(self):
        doc = plovarn.loads("cl\u00e9: \u00fcber \u20ac \U0001f600\n")
        assert doc == {"cl\u00e9": "\u00fcber \u20ac \U0001f600"}

    def test_comments_travel_with_the_loaded_object(self):
        doc = plovarn.loads("# head\na: 1  # tail\nb: 2\n")
        assert plovarn.dumps(doc) == "# head\na: 1  # tail\nb: 2\n"

    def test_results_are_independent(self):
        text = "a:\n  b: 1\n"
        first, second = plovarn.loads(text), plovarn.loads(text)
        assert first is not second and first["a"] is not second["a"]


class TestDeepDocuments:
    @staticmethod
    def nested_text(depth):
        return "".join("  " * i + "k:\n" for i in range(depth - 1)) + "  " * (depth - 1) + "k: 1\n"

    def test_moderate_nesting_loads_and_dumps(self):
        depth = 200
        text = self.nested_text(depth)
        doc = plovarn.loads(text)
        node = doc
        for _ in range(depth - 1):
            node = node["k"]
        assert node == {"k": 1}
        assert plovarn.dumps(doc) == text

    def test_nesting_beyond_the_recursion_limit_loads(self):
        # The interpreter's recursion limit plays no part in loading and dumping.
        import sys
        depth = sys.getrecursionlimit() + 100
        text = self.nested_text(depth)
        assert plovarn.dumps(plovarn.loads(text)) == text


class TestCollectorDuringLoad:
    """A load keeps the cyclic collector off while it makes its objects, and
    leaves it as it found it."""

    TEXT = "".join(f"m{i}:\n  a: {i}\n  b: [x, {{c: d}}]\n" for i in range(3000))

    @pytest.fixture(params=[True, False], ids=["enabled", "disabled"])
    def collector(self, request):
        was = gc.isenabled()
        (gc.enable if request.param else gc.disable)()
        yield request.param
        (gc.enable if was else gc.disable)()

    @pytest.mark.parametrize("call", [
        plovarn.loads, plovarn.loads_all,
        lambda t: plovarn.load(io.StringIO(t)), lambda t: plovarn.load_all(io.BytesIO(t.encode())),
    ], ids=["loads", "loads_all", "load", "load_all"])
    @pytest.mark.parametrize("text", [TEXT, "a: [1\n", "scalar\n", ""], ids=["many", "error", "scalar", "empty"])
    def test_state_is_restored(self, collector, call, text):
        try:
            call(text)
        except RuntimeError:
            pass
        assert gc.isenabled() is collector

    def test_a_stream_that_loads_and_switches_the_collector_meanwhile(self, collector):
        # What read() leaves is what the caller finds afterwards.
        class Stream:
            def read(self):
                assert plovarn.loads("a: {b: 1}\n") == {"a": {"b": 1}}
                (gc.disable if collector else gc.enable)()
                return TestCollectorDuringLoad.TEXT

        assert len(plovarn.load(Stream())) == 3000
        assert gc.isenabled() is not collector

    def test_no_collection_runs_inside_a_load(self, collector):
        starts = []

        def record(phase, info):
            if phase == "start":
                starts.append(info["generation"])

        gc.callbacks.append(record)
        try:
            before = len(starts)
            docs = plovarn.loads_all(self.TEXT)
            during = len(starts) - before
            before = len(starts)
            plain = docs[0].to_dict()
            during += len(starts) - before
        finally:
            gc.callbacks.remove(record)
        assert during == 0
        assert len(plain) == 3000 and gc.isenabled() is collector
        # The objects made are the collector's like any others.
        assert gc.is_tracked(docs[0]) and gc.is_tracked(docs[0]["m0"]["b"])
