"""Documents written by dumps_all and read back by loads_all: keys, order and values always
survive; comments without line breaks come back where the reader's attachment rules keep them.

Placements the attachment rules move (modelled by CommentModel below):
- a comment behind the dash of an element holding a non-empty collection, and the comments above
  the first entry or element of that collection, are joined to the element's comment_before;
- U+0000 and the other unprintable characters in a comment are written as U+FFFD.
Everything else comes back where it was: comments behind quoted scalar elements and behind empty
collections, and an empty comment_before (a bare marker line).
"""

import math
import re

from hypothesis import HealthCheck, given, settings
from hypothesis import strategies as st

import plovarn
from plovarn import YamlMapping, YamlScalar, YamlSequence

# Characters that matter to the reader, mixed with arbitrary text (lone surrogates cannot be UTF-8).
SPECIAL = " \t#:'\"-?.\n\r\0{}[],|>!&*%@`~\\\ufeff\x01\x85\u2028x0"
any_text = st.one_of(
    st.text(alphabet=SPECIAL, max_size=8),
    st.text(alphabet=st.characters(exclude_categories=("Cs",)), max_size=8),
    st.sampled_from(["...", "... x", "---", "- x", "a: b", "a #b", "true", "0x1F", "1.5", ".inf", "~", ""]),
)
# A comment line ends at a line break, YAML 1.1's included.
comment_text = any_text.filter(lambda t: not any(c in t for c in "\n\r\x85\u2028\u2029"))

scalars = st.one_of(
    st.none(),
    st.booleans(),
    st.integers(min_value=-2**63, max_value=2**63 - 1),
    st.floats(allow_nan=True, allow_infinity=True),
    any_text,
)


def trees(comments):
    """Abstract documents: ("map", [(key, node, before, inline)]), ("seq", [(node, before, inline)]),
    ("scalar", value)."""
    opt = st.one_of(st.none(), comments)
    leaf = scalars.map(lambda v: ("scalar", v))

    def collections(children):
        maps = st.lists(st.tuples(any_text, children, opt, opt), max_size=4, unique_by=lambda e: e[0])
        seqs = st.lists(st.tuples(children, opt, opt), max_size=4)
        return st.one_of(maps.map(lambda es: ("map", es)), seqs.map(lambda its: ("seq", its)))

    node = st.recursive(leaf, collections, max_leaves=25)
    doc = st.one_of(collections(node), leaf)
    return st.lists(doc, max_size=3)


def to_py(node):
    kind, body = node
    if kind == "scalar":
        return body
    if kind == "map":
        m = YamlMapping()
        for key, child, before, inline in body:
            m[key] = to_py(child)
            if before is not None:
                m.set_comment_before(key, before)
            if inline is not None:
                m.set_comment_inline(key, inline)
        return m
    s = YamlSequence()
    for i, (child, before, inline) in enumerate(body):
        s.append(to_py(child))
        if before is not None:
            s.set_comment_before(i, before)
        if inline is not None:
            s.set_comment_inline(i, inline)
    return s


def same_scalar(want, got):
    if type(want) is not type(got):
        return False
    if isinstance(want, float):
        if math.isnan(want):
            return math.isnan(got)
        return want == got and math.copysign(1, want) == math.copysign(1, got)
    return want == got


def assert_same_values(node, loaded, path):
    kind, body = node
    if kind == "scalar":
        if isinstance(loaded, YamlScalar):
            loaded = loaded.value
        assert same_scalar(body, loaded), (path, body, loaded)
    elif kind == "map":
        assert isinstance(loaded, YamlMapping), path
        assert list(loaded.keys()) == [e[0] for e in body], path
        for key, child, _, _ in body:
            assert_same_values(child, loaded[key], path + (key,))
    else:
        assert isinstance(loaded, YamlSequence), path
        assert len(loaded) == len(body), path
        for i, (child, _, _) in enumerate(body):
            assert_same_values(child, loaded[i], path + (i,))


_quoted_cache = {}


def written_quoted(value):
    """Whether a sequence element holding this scalar is written quoted."""
    if not isinstance(value, str):
        return False
    if value not in _quoted_cache:
        s = YamlSequence()
        s.append(value)
        _quoted_cache[value] = plovarn.dumps(s)[2] in "'\""
    return _quoted_cache[value]


UNPRINTABLE = re.compile("[\0-\x08\x0b\x0c\x0e-\x1f\x7f-\x84\x86-\x9f\ufffe\uffff]")


def fix(text):
    return UNPRINTABLE.sub("\ufffd", text)


def is_empty_collection(node):
    return node[0] in ("map", "seq") and not node[1]


class CommentModel:
    """The comments the reader attaches, walking the written text in order: comment lines wait
    in `pending` until a key, a scalar element or a nested collection inside a sequence takes
    them; after a quoted scalar element they are lost until the next token."""

    def __init__(self):
        self.pending = []
        self.lossy = False
        self.expected = {}

    def lines(self, before):
        if before is not None and not self.lossy:
            self.pending.append(fix(before))

    def token(self):
        self.lossy = False

    def take(self):
        taken, self.pending = self.pending, []
        return "\n".join(taken) if taken else None

    def docs(self, docs):
        for d, doc in enumerate(docs):
            if len(docs) > 1:
                self.token()  # the "---" line
            self.node(doc, (d,), None, compact=False)

    def node(self, node, path, hook, compact):
        kind, body = node
        if not body or kind == "scalar":
            self.token()
        elif kind == "map":
            self.mapping(body, path, hook, compact)
        else:
            self.sequence(body, path, hook)

    def mapping(self, entries, path, hook, compact):
        for idx, (key, child, before, inline) in enumerate(entries):
            self.lines(before)
            self.token()
            if hook and idx == 0:
                hook()
            taken = self.take()
            self.expected[path + (key,)] = (taken, None if inline is None else fix(inline))
            self.node(child, path + (key,), None, compact=False)

    def sequence(self, items, path, hook):
        for idx, (child, before, inline) in enumerate(items):
            p = path + (idx,)
            # The first element of a sequence that is an element's node: lines above
            # its dash would be the outer element's, so the lines of an element holding
            # a collection are written below its dash, where a non-empty one's
            # comment behind the dash joins them.
            below_dash = hook is not None and idx == 0 and child[0] != "scalar"
            if not below_dash:
                self.lines(before)
            self.token()
            if hook and idx == 0:
                hook()
            if below_dash:
                if inline is not None and not is_empty_collection(child):
                    self.pending.append(fix(inline))
                    inline = None
                self.lines(before)
            if child[0] == "scalar":
                taken = self.take()
                self.expected[p] = (taken, None if inline is None else fix(inline))
                self.token()
            elif is_empty_collection(child):
                self.expected[p] = (self.take(), None if inline is None else fix(inline))
                self.token()
            else:
                if inline is not None:
                    self.pending.append(fix(inline))
                taken = {}

                def take_for_element(taken=taken):
                    taken["before"] = self.take()

                compact = child[0] == "map" and inline is None
                self.node(child, p, take_for_element, compact=compact)
                self.expected[p] = (taken["before"], None)


def loaded_at(docs, path):
    container = docs[path[0]]
    for step in path[1:-1]:
        container = container[step]
    return container, path[-1]


def check(docs, check_comments):
    text = plovarn.dumps_all([to_py(d) for d in docs])
    loaded = plovarn.loads_all(text)
    assert len(loaded) == len(docs), text
    for d, (doc, back) in enumerate(zip(docs, loaded)):
        assert_same_values(doc, back, (d,))
    # Whatever moved on the first reading, the text read back is written the same again.
    once = plovarn.dumps_all(loaded)
    assert plovarn.dumps_all(plovarn.loads_all(once)) == once
    if not check_comments:
        return
    model = CommentModel()
    model.docs(docs)
    for path, (before, inline) in model.expected.items():
        container, key = loaded_at(loaded, path)
        got = (container.get_comment_before(key), container.get_comment_inline(key))
        assert got == (before, inline), (path, text)


relaxed = settings(max_examples=400, deadline=None, suppress_health_check=[HealthCheck.too_slow])


@relaxed
@given(trees(comment_text))
def test_values_and_comments_survive(docs):
    check(docs, check_comments=True)


@relaxed
@given(trees(any_text))
def test_any_comment_text_leaves_the_values_alone(docs):
    check(docs, check_comments=False)


@settings(max_examples=50, deadline=None)
@given(st.integers(min_value=1, max_value=400))
def test_deep_nesting(depth):
    doc = ("scalar", "leaf")
    for level in range(depth):
        doc = ("seq", [(doc, "c", None)]) if level % 2 else ("map", [("k", doc, "c", "i")])
    check([doc], check_comments=True)


def test_the_model_on_known_moves():
    docs = [("seq", [(("scalar", "'q"), "above", "lost"), (("scalar", "x"), "lost too", "kept"),
                     (("seq", []), None, "moves"), (("seq", [(("scalar", 1), "inner", None)]), "outer", "dash")])]
    model = CommentModel()
    model.docs(docs)
    assert model.expected == {
        (0, 0): ("above", "lost"), (0, 1): ("lost too", "kept"), (0, 2): (None, "moves"),
        (0, 3): ("outer\ndash\ninner", None), (0, 3, 0): (None, None),
    }
    check(docs, check_comments=True)
