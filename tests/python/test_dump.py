"""Written YAML: layout, scalar forms, comments and the final line feed of the four dump functions."""

import math

import pytest

import plovarn
from plovarn import YamlMapping, YamlSequence


def mapping(*entries):
    """A YamlMapping from (key, value[, before[, inline]]) tuples."""
    m = YamlMapping()
    for key, value, *comments in entries:
        m[key] = value
        before, inline = (comments + [None, None])[:2]
        if before is not None:
            m.set_comment_before(key, before)
        if inline is not None:
            m.set_comment_inline(key, inline)
    return m


def sequence(*items):
    """A YamlSequence from (value[, before[, inline]]) tuples."""
    s = YamlSequence()
    for i, (value, *comments) in enumerate(items):
        s.append(value)
        before, inline = (comments + [None, None])[:2]
        if before is not None:
            s.set_comment_before(i, before)
        if inline is not None:
            s.set_comment_inline(i, inline)
    return s


class TestLayout:
    @pytest.mark.parametrize("doc, text", [
        (lambda: mapping(("a", 1, None, "x")), "a: 1  # x\n"),
        (lambda: mapping(("a", 1, "first\nsecond")), "# first\n# second\na: 1\n"),
        (lambda: mapping(("b", [1, 2])), "b:\n  - 1\n  - 2\n"),
        (lambda: mapping(("c", {"d": "x"})), "c:\n  d: x\n"),
        (lambda: mapping(("e", [])), "e:\n  []\n"),
        (lambda: mapping(("f", [{"g": 1, "h": 2}, {"i": 3}])), "f:\n  - g: 1\n    h: 2\n  - i: 3\n"),
        (lambda: mapping(("j", [[1, 2]])), "j:\n  - \n    - 1\n    - 2\n"),
        (lambda: sequence((1, "c"), (2, None, "i")), "# c\n- 1\n- 2  # i\n"),
        (lambda: sequence(({"a": 1, "b": 2},)), "- a: 1\n  b: 2\n"),
        (lambda: sequence(([1, 2],)), "- \n  - 1\n  - 2\n"),
        (lambda: sequence(([1, 2], None, "x")), "- # x\n  - 1\n  - 2\n"),
        (lambda: sequence(({}, None, "x")), "- {}  # x\n"),
        (lambda: sequence(({"a": [1]},)), "- a:\n    - 1\n"),
        (lambda: sequence(({"a": 1, "b": 2}, None, "c")), "- # c\n  a: 1\n  b: 2\n"),
        (lambda: sequence(({}, ), ([],)), "- {}\n- []\n"),
        (lambda: mapping(("a", {"b": {"c": 1}})), "a:\n  b:\n    c: 1\n"),
        (lambda: YamlMapping(), "{}\n"),
        (lambda: YamlSequence(), "[]\n"),
    ])
    def test_shapes(self, doc, text):
        assert plovarn.dumps(doc()) == text

    def test_comment_on_the_first_key_of_a_mapping_in_a_sequence(self):
        inner = mapping(("a", 1, "note"))
        assert plovarn.dumps(sequence((inner,))) == "- \n  # note\n  a: 1\n"

    def test_values_come_from_the_nested_objects(self):
        doc = plovarn.loads("a:\n  b: 1  # keep\n")
        doc["a"]["b"] = 2
        assert plovarn.dumps(doc) == "a:\n  b: 2  # keep\n"


class TestScalars:
    @pytest.mark.parametrize("value, text", [
        (None, "null"), (True, "true"), (False, "false"), (-42, "-42"), (0, "0"),
        (-2**63, "-9223372036854775808"), (2**63 - 1, "9223372036854775807"),
        (3.0, "3.0"), (-1.5, "-1.5"), (0.1, "0.1"), (-0.0, "-0.0"), (1e20, "100000000000000000000.0"),
        (1e-7, "0.0000001"), (1e300, "1" + "0" * 300 + ".0"), (math.inf, ".inf"), (-math.inf, "-.inf"),
        (math.nan, ".nan"),
    ])
    def test_non_strings(self, value, text):
        assert plovarn.dumps(sequence((value,))) == "- " + text + "\n"

    @pytest.mark.parametrize("text", ["hello", "hello world", "a#b", "a:b", "key-name", "it's", "café", "x:y:z"])
    def test_plain_strings(self, text):
        assert plovarn.dumps(mapping(("k", text))) == f"k: {text}\n"

    @pytest.mark.parametrize("text", [
        # resolve to something else when plain
        "true", "yes", "null", "~", "123", "0x1F", "1.5", ".inf", "-0",
        # indicator first characters
        "- x", "#x", "*a", "&a", "!t", "[a", "{a", "|", ">", "@x", "`x", "%x", "?x", "=x", "<x", ",x",
        # character pairs
        "a: b", "a #b", "key:", "a:\tb", "a\t#b",
        # a blank at either end, a quote first: plain would not read back
        " lead", "trail ", "\tlead", "trail\t", '"dq', "'sq",
        # a tab inside: YAML 1.1 readers end a plain scalar there
        "a\tb",
    ])
    def test_single_quoted_strings(self, text):
        quoted = "'" + text.replace("'", "''") + "'"
        assert plovarn.dumps(mapping(("k", text))) == f"k: {quoted}\n"

    def test_empty_string_and_key(self):
        assert plovarn.dumps(mapping(("", ""))) == "'': ''\n"

    def test_keys_are_quoted_like_values(self):
        assert plovarn.dumps(mapping(("1", "x"), ("true", "y"), ("y", "z"))) == "'1': x\n'true': 'y'\n'y': z\n"

    @pytest.mark.parametrize("text, written", [
        ("a\nb", r'"a\nb"'),
        ("#!/bin/sh\nset -e\n", r'"#!/bin/sh\nset -e\n"'),
        ("a\r\nb", r'"a\r\nb"'),
        ("nul\0", r'"nul\0"'),
        ('q"\\\t\x01\x1b\n', r'"q\"\\\t\x01\x1B\n"'),
    ])
    def test_line_breaks_and_nul_are_double_quoted(self, text, written):
        assert plovarn.dumps(mapping(("k", text))) == f"k: {written}\n"
        assert plovarn.loads(plovarn.dumps(mapping(("k", text))))["k"] == text

    def test_document_end_marker_at_the_start_of_a_line(self):
        assert plovarn.dumps("...") == "'...'\n"
        assert plovarn.dumps("... x") == "'... x'\n"
        assert plovarn.dumps(mapping(("... x", 1))) == "'... x': 1\n"
        assert plovarn.dumps(mapping(("k", "... x"))) == "k: ... x\n"

    def test_long_keys_use_the_explicit_form(self):
        key = "k" * 1025
        text = plovarn.dumps(mapping((key, 1), ("k" * 1024, 2)))
        assert text == f"? {key}\n: 1\n{'k' * 1024}: 2\n"
        assert list(plovarn.loads(text).items()) == [(key, 1), ("k" * 1024, 2)]


class TestComments:
    def test_empty_comments_write_bare_markers(self):
        # An empty comment is a bare marker; a trailing break ends with one, so bare
        # `#` lines above a key survive any number of round trips.
        assert plovarn.dumps(mapping(("a", 1, "", ""))) == "# \na: 1  # \n"
        assert plovarn.dumps(mapping(("a", 1, "\n"))) == "# \n# \na: 1\n"
        text = "# a\n#\n#\nk: 1\n"
        once = plovarn.dumps(plovarn.loads(text))
        assert once == "# a\n# \n# \nk: 1\n"
        assert plovarn.dumps(plovarn.loads(once)) == once
        assert plovarn.loads(once).get_comment_before("k") == "a\n\n"

    def test_carriage_return_line_feed_ends_a_line(self):
        assert plovarn.dumps(mapping(("a", 1, "a\r\nb"))) == "# a\n# b\na: 1\n"

    def test_a_comment_cannot_inject_content(self):
        doc = mapping(("a", 1, "x\radmin: true", "y\nadmin: true"))
        text = plovarn.dumps(doc)
        assert text == "# x\n# admin: true\na: 1  # y\n# admin: true\n"
        assert dict(plovarn.loads(text)) == {"a": 1}

    def test_nested_inline_comment_lines_keep_the_entry_indentation(self):
        doc = mapping(("k", mapping(("a", [1], None, "x\ny"))))
        assert plovarn.dumps(doc) == "k:\n  a:  # x\n  # y\n    - 1\n"

    def test_nul_in_a_comment_is_replaced(self):
        assert plovarn.dumps(mapping(("a", 1, None, "x\0y"))) == "a: 1  # x\ufffdy\n"

    def test_loaded_comments_come_back(self):
        text = "# head\na: 1  # one\n# above b\nb:\n  # above c\n  c: 2\nlist:\n  # above x\n  - x  # ex\n  - z\n"
        assert plovarn.dumps(plovarn.loads(text)) == text

    def test_comment_spacing(self):
        assert plovarn.dumps(plovarn.loads("#word\na: 1\n#  two\nb: 2\n")) == "# word\na: 1\n#  two\nb: 2\n"


class TestFinalLineFeed:
    def test_dumps_always_ends_with_one_line_feed(self):
        assert plovarn.dumps(5) == "5\n"
        assert plovarn.dumps(None) == "null\n"
        assert plovarn.dumps("") == "''\n"
        assert plovarn.dumps(mapping(("a", 1))) == "a: 1\n"
        assert plovarn.dumps(plovarn.loads("x")) == "x\n"

    def test_dumps_all_adds_no_final_line_feed(self):
        assert plovarn.dumps_all([]) == ""
        assert plovarn.dumps_all([5]) == "5"
        assert plovarn.dumps_all([1, 2]) == "---\n1\n---\n2"
        assert plovarn.dumps_all([mapping(("a", 1)), 2]) == "---\na: 1\n---\n2"
        assert plovarn.dumps_all(iter([2, mapping(("a", 1))])) == "---\n2\n---\na: 1\n"

    def test_dump_and_dump_all_write_the_same_text_once(self, write_stream):
        doc = mapping(("a", 1, "c"))
        s = write_stream()
        assert plovarn.dump(doc, s) is None
        assert s.written == [plovarn.dumps(doc)]
        s = write_stream()
        plovarn.dump_all([doc, 7], s)
        assert s.written == [plovarn.dumps_all([doc, 7])]
        s = write_stream()
        plovarn.dump_all([], s)
        assert s.written == [""]
