"""What the writer writes reads the same in other YAML readers: a string that PyYAML
(YAML 1.1) or a YAML 1.2 core-schema reader would take for something else is
written quoted, and every string written reads back in PyYAML as that string."""

import json

import pytest
import yaml
from hypothesis import given, settings
from hypothesis import strategies as st
from peer_readers import PEER_READERS, pyyaml_load_all

import plovarn
from plovarn import YamlMapping, YamlSequence

STR_TAG = "tag:yaml.org,2002:str"


def pyyaml_tag(text):
    """The tag that PyYAML's safe loader gives the plain scalar `text`."""
    return yaml.SafeLoader.resolve(yaml.SafeLoader, yaml.ScalarNode, text, (True, False))


def written(text):
    """The text written as a value, and what follows the key."""
    doc = YamlMapping()
    doc["k"] = text
    return plovarn.dumps(doc).removeprefix("k: ").removesuffix("\n")


def is_quoted(out):
    return out[:1] in ("'", '"')


def reads_back_everywhere(text):
    doc = YamlMapping()
    doc[text] = text
    seq = YamlSequence()
    seq.append(text)
    for obj, expected in ((doc, {text: text}), (seq, [text])):
        out = plovarn.dumps(obj)
        assert yaml.safe_load(out) == expected, out
        assert plovarn.loads(out) == expected, out


# Spellings from the issue and from each schema's published patterns; where PyYAML
# keeps a string (y, n), the YAML 1.1 types or the 1.2 core schema do not.
OTHER_READERS_ONLY = [
    "2024-01-01", "2001-12-14t21:59:43.10-05:00", "2001-12-14 21:59:43.10 -5", "2002-12-14T1:02:03Z",
    "12:30", "190:20:30.15", "-1:30", "1_000", "+1_0.5", "0b101", "-0b1_0", "y", "n", "Y", "N",
    "+.inf", "+.INF", "1_0.", "-._5", "9223372036854775808", "1e1_0", "0B11", "0b-1", "-_1", "1__0",
]
PLAIN_STRINGS = ["1.2.3", "12:60", "0:30", "2024-01", "v1.2", "yy", "x.inf", "1e", "0x", "_1", "1-2", "inf", "nan"]


@pytest.mark.parametrize("text", OTHER_READERS_ONLY)
def test_other_readers_spellings_are_quoted(text):
    assert plovarn.loads(f"k: {text}\n")["k"] == text  # a string here
    assert is_quoted(written(text))
    reads_back_everywhere(text)


@pytest.mark.parametrize("text", PLAIN_STRINGS)
def test_near_misses_stay_plain(text):
    assert pyyaml_tag(text) == STR_TAG
    assert written(text) == text
    reads_back_everywhere(text)


def pyyaml_patterns():
    """PyYAML's own implicit resolver patterns, one per tag."""
    patterns = {}
    for resolvers in yaml.SafeLoader.yaml_implicit_resolvers.values():
        for tag, pattern in resolvers:
            patterns[tag] = pattern
    return sorted(patterns.items())


def edited(text, draw):
    """A text with one character inserted, replaced or removed."""
    if not text:
        return text
    i = draw(st.integers(0, len(text) - 1))
    c = draw(st.sampled_from("0159_+-.:eExbotTZ yn"))
    how = draw(st.sampled_from(["insert", "replace", "remove"]))
    if how == "insert":
        return text[:i] + c + text[i:]
    if how == "replace":
        return text[:i] + c + text[i + 1:]
    return text[:i] + text[i + 1:]


@st.composite
def scalar_texts(draw):
    """Texts that PyYAML resolves (drawn from its patterns), their near misses, and
    texts over the characters of numbers, dates and the boolean words."""
    kind = draw(st.sampled_from(["pattern", "near miss", "characters"]))
    if kind == "characters":
        return draw(st.text(alphabet="0123456789_+-.:eEbBoOxXtTZ ~ynYNfalsetruNoO", min_size=1, max_size=14))
    tag, pattern = draw(st.sampled_from(pyyaml_patterns()))
    text = draw(st.from_regex(pattern, fullmatch=True).filter(lambda t: "\n" not in t and 0 < len(t) < 40))
    if kind == "near miss":
        text = edited(text, draw)
    # A plain scalar holds no line break and no leading or trailing blank.
    return text.strip(" \t") or "0"


@settings(max_examples=600, deadline=None)
@given(scalar_texts())
def test_what_pyyaml_resolves_is_quoted_and_every_string_reads_back(text):
    out = written(text)
    if pyyaml_tag(text) != STR_TAG:
        assert is_quoted(out), (text, pyyaml_tag(text))
    reads_back_everywhere(text)


@settings(max_examples=300, deadline=None)
@given(st.text(alphabet=st.characters(min_codepoint=0x20, max_codepoint=0x7E), min_size=1, max_size=12))
def test_any_printable_text_reads_back_in_pyyaml(text):
    if pyyaml_tag(text) != STR_TAG:
        assert is_quoted(written(text)), text
    reads_back_everywhere(text)



# YAML 1.1 readers break lines at U+0085, U+2028 and U+2029, in plain and quoted scalars alike.
@pytest.mark.parametrize("text", ["x\x85y", "\x85", "a\u2028b", "k\u2029", "\u2028 lead"])
def test_unicode_line_breaks_are_escaped(text):
    reads_back_everywhere(text)
    read = plovarn.loads('k: "' + text.replace("\x85", "\\N").replace("\u2028", "\\L").replace("\u2029", "\\P") + '"\n')
    assert read["k"] == text
    assert yaml.safe_load(plovarn.dumps(read)) == {"k": text}
    # Read raw, plain or single-quoted, it is written as it was read: every reader reads it as before.
    for raw in (f"k: '{text}'\n", f"k: x{text}\n"):
        assert plovarn.dumps(plovarn.loads(raw)) == raw


# Valid texts that were refused or came back meaning something else to PyYAML.
READ_AND_WRITTEN_ALIKE = [
    "a: >3\n # after an empty block\nb: 1\n",
    "k:\n  a: |2-\n   # after an empty block\n  b: 1\n",
    "- k: # behind the key\n    v  # behind the value\n",
    "-\n  - k: # behind the key\n      v  # behind the value\n    j: 1\n",
    "- !!str\n# above the next\n- x\n",
    "- k: # behind the key\n    []  # behind the empty value\n",
    "[k: [{  # behind an empty mapping\n}, x],  # behind the pair\n]\n",
    "- &a !Ref  # behind the tag\n-  # behind a dash alone\n- !!str\n",
    "? \n: v  # behind the value of an empty key\nk: {: w, a: b}\n",
    "- ? \n  : |  # behind a block\n    x\n- ? \n  :\n    - y\n",
    "!!str 1: a\n!<tag:yaml.org,2002:str> yes: b\nk: {!!str 0x1F: c, !!str d: e}\n",
    "- &a :  # behind an anchored empty key\n- !!null :  # behind a tagged one\n    - x\n",
    "- {? 'a\x85 b': 1, k: {? 'c\u2028': [d]}}\n",
    "a: on\n...\n%YAML 1.1\n--- # a YAML 1.1 document\nb: yes\nc: [012, 0o12]\n",
    "%YAML 1.1\n--- on\n",
    "- &b 1\n- &b\n  - x\n- &b\n  k: y\n- *b\n",
    "k: [a -, b -]  # a later word\nm: {x: y -,\n  z: w\n  -}\n",
    "%YAML 1.1\n---\na: yes\n%YAML 1.1\n---\nb: [on, 012]\n%YAML 1.1\n--- c\n",
]


@pytest.mark.parametrize("text", READ_AND_WRITTEN_ALIKE)
@pytest.mark.parametrize("reader", PEER_READERS)
def test_other_readers_read_the_written_text_as_the_original(text, reader):
    load_all = PEER_READERS[reader]
    try:
        expected = load_all(text)
    except Exception:  # the reader refuses the original text: nothing to compare
        pytest.skip(f"{reader} refuses the text")
    out = plovarn.dumps_all(plovarn.loads_all(text))
    assert load_all(out) == expected, out
    assert plovarn.dumps_all(plovarn.loads_all(out)) == out
    for line in text.splitlines():
        if "#" in line:
            assert line[line.index("#") + 1:].strip() in out


@settings(max_examples=300, deadline=None)
@given(st.text(alphabet=st.characters(exclude_categories=["Cs"]), max_size=8),
       st.text(alphabet=st.characters(exclude_categories=["Cs"]), max_size=8))
def test_any_text_and_comment_read_back_in_pyyaml(text, comment):
    reads_back_everywhere(text)
    doc = YamlMapping()
    doc["k"] = 1
    doc.set_comment_before("k", comment)
    doc.set_comment_inline("k", comment)
    assert yaml.safe_load(plovarn.dumps(doc)) == {"k": 1}


json_values = st.recursive(
    st.none() | st.booleans() | st.integers(-2**63, 2**63 - 1) | st.text(st.characters(exclude_categories=["Cs"])),
    lambda inner: st.lists(inner, max_size=4) | st.dictionaries(st.text(st.characters(exclude_categories=["Cs"])),
                                                               inner, max_size=4),
    max_leaves=12)


# JSON is YAML: what Python's json module writes (characters beyond U+FFFF as escaped
# surrogate pairs, or raw) reads as json reads it, and is written so that PyYAML does too.
@settings(max_examples=300, deadline=None)
@given(st.dictionaries(st.text(st.characters(exclude_categories=["Cs"])), json_values, max_size=4),
       st.booleans(), st.sampled_from([None, 2, "\t"]))
def test_json_texts_read_as_json(value, ascii_only, indent):
    text = json.dumps(value, ensure_ascii=ascii_only, indent=indent)
    doc = plovarn.loads(text)
    assert doc == value
    assert yaml.safe_load(plovarn.dumps(doc)) == value
