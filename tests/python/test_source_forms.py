"""An unchanged scalar or key is written as it was read; what the program sets or changes is
written in the writer's own form."""

import math

import pytest

import plovarn

# Plain spellings the writer would not choose itself, each with the value it loads as.
SPELLED = [("0600", 600), ("yes", True), ("No", False), ("ON", True), ("1e3", 1000.0), ("1E3", 1000.0),
           ("~", None), ("Null", None), ("NULL", None), ("0x1F", 31), ("0o17", 15), ("+12", 12), ("007", 7),
           ("1.50", 1.5), (".5", 0.5), ("1.", 1.0), ("3.14159265358979323846", math.pi), (".Inf", math.inf),
           ("-.INF", -math.inf), ("-0.0", -0.0), ("0.0000001", 1e-07)]
# Strings read plain that the writer, left to itself, would quote.
PLAIN_STRINGS = ["y", "n", "-x", "?x", ":x", "<<", "=x", "1_000", "0b101", "+.inf", "inf"]
# Quoted strings whose quotes the writer would not need.
QUOTED = ["'abc'", '"abc"', "'it''s'", '"it\'s"', "'true'", '"0600"', "''", '""']

TOKENS = [s for s, _ in SPELLED] + PLAIN_STRINGS + QUOTED
PLACES = {
    "value": "key: {}\n",
    "element": "- {}\n",
    "compact": "- a: {}\n  b: 1\n",
    "nested": "outer:\n  inner:\n    - {}\n",
    "root": "{}\n",
}


@pytest.mark.parametrize("token", TOKENS)
@pytest.mark.parametrize("place", PLACES)
def test_unchanged_scalars_come_back_as_written(token, place):
    text = PLACES[place].format(token)
    assert plovarn.dumps(plovarn.loads(text)) == text


@pytest.mark.parametrize("key", ["on", "1", "yes", "~", "null", "y", "'quoted'", '"double"', "'1'", "-k"])
def test_keys_come_back_as_written(key):
    text = f"{key}: v\nnested:\n  {key}: w\n"
    doc = plovarn.loads(text)
    doc["other"] = 1
    assert plovarn.dumps(doc) == text + "other: 1\n"
    doc[key.strip("'\"")] = "changed"  # a new value keeps the key as written
    assert plovarn.dumps(doc).startswith(f"{key}: changed\n")


def test_empty_values_stay_empty():
    text = "a:\nb:\n  -\n  - x\n"
    assert plovarn.dumps(plovarn.loads(text)) == text
    assert plovarn.dumps(plovarn.loads("---\n")) == "null\n"


@pytest.mark.parametrize("header", ["|", ">", "|-", ">+", "|2", "|+ # c"])
def test_an_empty_block_scalar_is_the_empty_string(header):
    text = f"a: {header}\nb:\n  - {header}\n"
    doc = plovarn.loads(text)
    assert doc == {"a": "", "b": [""]}
    assert plovarn.loads(plovarn.dumps(doc)) == doc


@pytest.mark.parametrize("token,value", SPELLED)
def test_assigning_the_same_value_keeps_the_spelling(token, value):
    doc = plovarn.loads(f"k: {token}\n")
    doc["k"] = doc["k"]
    assert plovarn.dumps(doc) == f"k: {token}\n"


@pytest.mark.parametrize("text,new,written", [
    ("k: 0600\n", 601, "k: 601\n"),
    ("k: yes\n", 1, "k: 1\n"),          # 1 is not True
    ("k: 1\n", True, "k: true\n"),
    ("k: 1.50\n", 1, "k: 1\n"),         # 1 is not 1.0
    ("k: 1\n", 1.0, "k: 1.0\n"),
    ("k: -0.0\n", 0.0, "k: 0.0\n"),     # floats compare by their bits
    ("k: 'abc'\n", "abd", "k: abd\n"),
    ("k: y\n", "n", "k: 'n'\n"),        # a new string other readers take for a boolean is quoted
    ("k: ~\n", "~", "k: '~'\n"),
])
def test_changed_values_are_written_in_the_writers_form(text, new, written):
    doc = plovarn.loads(text)
    doc["k"] = new
    assert plovarn.dumps(doc) == written
    seq = plovarn.loads("- " + text.split(": ", 1)[1])
    seq[0] = new
    assert plovarn.dumps(seq) == "- " + written.split(": ", 1)[1]


def test_nan_keeps_its_spelling_while_unchanged():
    doc = plovarn.loads("k: .NaN\n")
    assert math.isnan(doc["k"])
    assert plovarn.dumps(doc) == "k: .NaN\n"


def test_forms_travel_with_edits_that_keep_values():
    text = "b: 0600\na: 'x'\nc:\n  - yes\n  - \"q\"\n"
    doc = plovarn.loads(text)
    doc.sort_keys()
    assert plovarn.dumps(doc) == "a: 'x'\nb: 0600\nc:\n  - yes\n  - \"q\"\n"
    other = plovarn.YamlMapping()
    other.update(doc)
    assert plovarn.dumps(other) == plovarn.dumps(doc)
    doc["c"].reverse()
    doc["c"].insert(0, "new")
    assert plovarn.dumps(doc["c"]) == "- new\n- \"q\"\n- yes\n"
    doc["c"].sort(key=str)
    assert plovarn.dumps(doc["c"]) == "- yes\n- new\n- \"q\"\n"  # True sorts as "True"
    doc["nested"] = plovarn.loads("m: 0x1F\n")  # a loaded document assigned keeps its forms
    assert plovarn.dumps(doc).endswith("nested:\n  m: 0x1F\n")


def test_quoted_strings_keep_their_style_where_it_holds_them():
    doc = plovarn.loads('a: "\\u00e9\\t"\nb: \'two\n\n  lines\'\nc: >\n  folded\n')
    # double-quoted escapes are the writer's own; a single-quoted string with a line break and
    # a folded block take the writer's form
    assert plovarn.dumps(doc) == 'a: "é\\t"\nb: "two\\nlines"\nc: "folded\\n"\n'


LITERALS = ["|\n  one\n", "|-\n  one\n  two\n", "|+\n  one\n\n\n", "|2\n    indented\n  back\n",
            "|\n  a\n\n  b # not a comment\n", "|-\n  x\n  \ttab inside\n", "|\n  ---\n  ...\n"]


@pytest.mark.parametrize("block", LITERALS)
@pytest.mark.parametrize("place", ["key: {}", "- {}", "- a: 1\n  b: {}", "{}"])
def test_literal_blocks_come_back_as_written(block, place):
    indent = "  " if place.startswith("- a") else ""
    text = place.format(block.replace("\n  ", "\n  " + indent))
    out = plovarn.dumps(plovarn.loads(text))
    assert out == text or out == text + "\n" * (not text.endswith("\n"))
    assert plovarn.loads(out) == plovarn.loads(text) or plovarn.loads(out).value == plovarn.loads(text).value
