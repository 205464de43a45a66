"""Loading: which document a call returns, what it becomes, and parse failures."""

import io

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

    def test_parse_error_carries_the_position(self):
        with pytest.raises(RuntimeError) as info:
            plovarn.loads("a: [1, 2\n")
        message = str(info.value)
        assert message.startswith("Parse error: YAML parse error: ")
        assert " at byte " in message and " line " in message and " column " in message


class TestDocumentRoots:
    def test_scalar_roots_become_yaml_scalars(self):
        for text, value in [("42", 42), ("'text'", "text"), ("null", None), ("~", None), ("1.5", 1.5),
                            ("true", True), ('"a b"', "a b")]:
            doc = plovarn.loads(text)
            assert type(doc) is YamlScalar, text
            node_value = plovarn.dumps(doc)
            assert node_value == plovarn.dumps(value), text

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
