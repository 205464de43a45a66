"""Comments that belong to a whole document: those after its last value, and those around a
document that is a scalar or an empty collection. They travel with the loaded object."""

import pytest

import plovarn

TRAILING = "# tail one\n# tail two\n"

# A loaded document with comment lines after its last value, an edit that keeps the
# document, and the text that edit leaves.
EDITS = [
    ("b: 2\na: 1\n", lambda m: m.sort_keys(), "a: 1\nb: 2\n"),
    ("a: 1\n", lambda m: m.update({"b": 2}), "a: 1\nb: 2\n"),
    ("a: 1\n", lambda m: m.update(plovarn.loads("# on b\nb: 2\n# not copied\n")), "a: 1\n# on b\nb: 2\n"),
    ("a: 1\n", lambda m: m.__setitem__("a", [1]), "a:\n  - 1\n"),
    ("a: 1\nb: 2\n", lambda m: m.pop("b"), "a: 1\n"),
    ("a: 1\n", lambda m: m.__delitem__("a"), "{}\n"),
    ("a: 1  # on a\n", lambda m: m.update(m), "a: 1\n"),
    ("- 2\n- 1\n", lambda s: s.sort(), "- 1\n- 2\n"),
    ("- 2\n- 1\n", lambda s: s.sort(key=lambda v: -v, reverse=True), "- 1\n- 2\n"),
    ("- 1\n", lambda s: s.extend(s), "- 1\n- 1\n"),
    ("- 1\n", lambda s: s.insert(0, {"k": "v"}), "- k: v\n- 1\n"),
    ("[]\n", lambda s: s.append(1), "- 1\n"),
    ("- 1\n", lambda s: s.remove(1), "[]\n"),
]


@pytest.mark.parametrize("text, edit, written", EDITS)
def test_comment_lines_after_the_last_value_stay_with_the_document(text, edit, written):
    doc = plovarn.loads(text + TRAILING)
    edit(doc)
    out = plovarn.dumps(doc)
    assert out == written + TRAILING
    assert plovarn.dumps(plovarn.loads(out)) == out
    assert "tail" not in repr(doc) and "tail" not in repr(doc.to_dict())


def test_each_document_writes_its_own():
    text = "# one\n5  # five\n---\n# two\n[]  # empty\n---\na: 1\n# tail\n"
    docs = plovarn.loads_all(text)
    assert plovarn.dumps_all(docs) == "---\n" + text
    assert plovarn.dumps_all(docs[::-1]) == "---\na: 1\n# tail\n---\n# two\n[]  # empty\n---\n# one\n5  # five"
    assert [plovarn.dumps(d) for d in docs] == ["# one\n5  # five\n", "# two\n[]  # empty\n", "a: 1\n# tail\n"]
    assert [repr(d) for d in docs] == ["YamlScalar(5)", "YamlSequence([])", 'YamlMapping({"a": 1})']


@pytest.mark.parametrize("value", ["# above\n[]  # inline\n# after\n", "# above\n7  # inline\n# after\n",
                                   "k: v\n# after\n"])
@pytest.mark.parametrize("container", ["mapping", "sequence"])
@pytest.mark.parametrize("over_equal_value", [False, True])
def test_a_document_stored_as_a_value_keeps_its_comments_as_lines(value, container, over_equal_value):
    doc = plovarn.loads("first: 1\n") if container == "mapping" else plovarn.loads("- 1\n")
    stored = plovarn.loads(value)
    # Stored over an equal plain value, the document still brings its comments.
    plain = stored.value if isinstance(stored, plovarn.YamlScalar) else stored.copy()
    if container == "mapping":
        if over_equal_value:
            doc["stored"] = plain
        doc["stored"] = stored
        doc["last"] = 2
    else:
        if over_equal_value:
            doc.append(plain)
            doc[len(doc) - 1] = stored
        else:
            doc.append(stored)
        doc.append(2)
    out = plovarn.dumps(doc)
    for word in ("above", "inline", "after"):
        assert (word in out) == (word in value), out
    # Read back, they are comment lines of the entries around it, and stay there.
    assert plovarn.dumps(plovarn.loads(out)) == out
