"""Representations: built from inner, double-quoted strings, plain float form."""

import pytest

import plovarn
from plovarn import YamlMapping, YamlSequence


def value_repr(value):
    m = YamlMapping()
    m["k"] = value
    text = repr(m)
    assert text.startswith('YamlMapping({"k": ') and text.endswith("})")
    return text[len('YamlMapping({"k": '):-2]


def test_empty_and_nested():
    assert repr(YamlMapping()) == "YamlMapping({})" and str(YamlMapping()) == "YamlMapping({})"
    assert repr(YamlSequence()) == "YamlSequence([])"
    assert repr(plovarn.loads("a: [1, x]\n")) == 'YamlMapping({"a": YamlSequence([1, "x"])})'
    assert repr(plovarn.loads("- {k: v}\n- []\n- {}\n")) == \
        'YamlSequence([YamlMapping({"k": "v"}), YamlSequence([]), YamlMapping({})])'


def test_scalars_in_containers():
    assert repr(plovarn.loads("- true\n- false\n- null\n- ~\n- -12\n- 'it''s'\n")) == \
        """YamlSequence([True, False, None, None, -12, "it's"])"""
    assert value_repr(-2 ** 63) == "-9223372036854775808"
    assert value_repr(2 ** 63 - 1) == "9223372036854775807"


@pytest.mark.parametrize("value, text", [
    (3.0, "3"), (100.0, "100"), (2.5, "2.5"), (0.1, "0.1"), (1e-7, "0.0000001"),
    (1e21, "1" + "0" * 21), (-0.0, "-0"), (-1.5, "-1.5"), (float("nan"), "NaN"),
    (float("inf"), "inf"), (float("-inf"), "-inf"), (1 / 3, "0.3333333333333333"),
    (2.0 ** 70, "1180591620717411300000"), (1.5e300, "15" + "0" * 299), (1.25e-10, "0.000000000125"),
])
def test_float_form(value, text):
    assert value_repr(value) == text


def test_extreme_floats_read_back():
    for value in (5e-324, 1.7976931348623157e308, 2.2250738585072014e-308):
        assert float(value_repr(value)) == value and "e" not in value_repr(value)


@pytest.mark.parametrize("text, shown", [
    ('say "hi"', r'"say \"hi\""'),
    ("back\\slash", r'"back\\slash"'),
    ("it's", '"it\'s"'),
    ("t\tr\rn\n", r'"t\tr\rn\n"'),
    ("nul\0", r'"nul\0"'),
    ("\x1b\x7f\x85", r'"\u{1b}\u{7f}\u{85}"'),
    ("e\u0301", r'"e\u{301}"'),
    ("é ñ 中 😀", '"é ñ 中 😀"'),
    ("\u00a0\u200b\u2028\ufeff\U000e0001", r'"\u{a0}\u{200b}\u{2028}\u{feff}\u{e0001}"'),
    ("\u200c\u0488\U000e0100", r'"\u{200c}\u{488}\u{e0100}"'),  # Grapheme_Extend beyond Mn
    ("\ue000\U0010ffff\u0378", r'"\u{e000}\u{10ffff}\u{378}"'),
    ("", '""'),
])
def test_quoted_strings(text, shown):
    assert value_repr(text) == shown
    m = YamlMapping()
    m[text] = 1
    assert repr(m) == "YamlMapping({" + shown + ": 1})"


def test_comments_never_shown():
    m = plovarn.loads("# c\na: 1  # d\n")
    assert repr(m) == 'YamlMapping({"a": 1})'


def test_reads_inner_not_parent():
    m = plovarn.loads("a:\n  b: 1\n")
    m["a"]["b"] = 2
    dict.__setitem__(m, "extra", 1)
    assert repr(m) == 'YamlMapping({"a": YamlMapping({"b": 1})})'
    assert repr(m["a"]) == 'YamlMapping({"b": 2})'


@pytest.mark.parametrize("text, shown", [
    ("42\n", "YamlScalar(42)"), ("'text'\n", "YamlScalar('text')"), ("3.0\n", "YamlScalar(3.0)"),
    ("null\n", "YamlScalar(None)"), ("true\n", "YamlScalar(True)"), ("\"a\\nb\"\n", "YamlScalar('a\\nb')"),
])
def test_scalar_uses_python_repr(text, shown):
    x = plovarn.loads(text)
    assert repr(x) == shown and str(x) == shown


def test_deep_nesting():
    m = plovarn.loads("[" * 200 + "]" * 200 + "\n")
    assert repr(m) == "YamlSequence([" * 200 + "])" * 200
