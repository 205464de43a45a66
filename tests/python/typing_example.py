"""A small program written against the typed interface of plovarn.

test_typing.py checks it with `mypy --strict` and also runs it. The calls in
`_rejected_by_the_checker` are wrong on purpose: each carries the ignore code
of the error the stub must produce, and `--strict` turns an ignore that is not
needed into an error, so a stub that accepts one of them fails the check. That
function is never called.
"""

from __future__ import annotations

import io
from typing import assert_type

import plovarn

SOURCE = """\
# Service settings
replicas: 2   # scaled by the operator
image: web:1.4
ports:
  - 80
  - 443
"""


def load_config(text: str) -> plovarn.YamlMapping:
    doc = plovarn.loads(text)
    assert_type(doc, plovarn.YamlMapping | plovarn.YamlSequence | plovarn.YamlScalar | None)
    if not isinstance(doc, plovarn.YamlMapping):
        raise TypeError("expected a mapping at the top")
    return doc


def edit(config: plovarn.YamlMapping) -> None:
    config["replicas"] = 3
    config["debug"] = False
    inline: str | None = config.get_comment_inline("replicas")
    assert inline == "scaled by the operator"
    config.set_comment_before("debug", "Never enable in production")
    removed = config.pop("image")
    assert removed == "web:1.4"
    config.setdefault("image", "web:1.5")
    config.update({"owner": "ops"})
    config.update([("team", "web")])
    config.sort_keys(key=str.lower, reverse=False, recursive=True)

    ports = config["ports"]
    assert isinstance(ports, plovarn.YamlSequence)
    ports.append(8080)
    ports.insert(0, 22)
    ports.set_comment_inline(-1, "metrics")
    before: str | None = ports.get_comment_before(0)
    assert before is None
    ports.sort(key=lambda port: -int(port), reverse=True)
    ports.remove(22)
    last = ports.pop()
    assert last == 8080
    ports.extend([8443])
    ports.reverse()
    ports[0] = 9443
    del ports[0]
    plain: list[object] = ports.to_dict()
    assert plain == [443, 80]


def dump_everywhere(config: plovarn.YamlMapping) -> str:
    text_stream = io.StringIO()
    plovarn.dump(config, text_stream)
    byte_stream = io.BytesIO()
    plovarn.dump(config, byte_stream)  # str is refused; written again as bytes
    assert byte_stream.getvalue().decode("utf-8") == text_stream.getvalue()

    docs = plovarn.loads_all("a: 1\n---\n- x\n---\n42\n")
    plovarn.dump_all(docs, io.StringIO())
    plovarn.dump_all([config, 5, "text", None], io.StringIO())
    from_stream = plovarn.load_all(io.StringIO("x: 1\n"))
    assert_type(from_stream, list[plovarn.YamlMapping | plovarn.YamlSequence | plovarn.YamlScalar])
    return plovarn.dumps(config) + plovarn.dumps_all(docs)


def scalar_document() -> int:
    doc = plovarn.load(io.BytesIO(b"42"))
    assert isinstance(doc, plovarn.YamlScalar)
    value = doc.value
    assert_type(value, int | float | bool | str | None)
    assert doc == 42 and doc.to_dict() == 42
    assert isinstance(value, int)
    return value


def _rejected_by_the_checker(
    m: plovarn.YamlMapping, s: plovarn.YamlSequence, x: plovarn.YamlScalar
) -> None:
    plovarn.dumps({"a": 1})  # type: ignore[arg-type]
    plovarn.dumps([1, 2])  # type: ignore[arg-type]
    plovarn.loads(b"a: 1")  # type: ignore[arg-type]
    plovarn.load("a: 1")  # type: ignore[arg-type]
    plovarn.dump(m, io.StringIO().getvalue())  # type: ignore[arg-type]
    plovarn.YamlMapping({"a": 1})  # type: ignore[call-arg]
    plovarn.YamlSequence([1])  # type: ignore[call-arg]
    m[1] = "x"  # type: ignore[index]
    m.set_comment_before("a", None)  # type: ignore[arg-type]
    m.get_comment_inline(0)  # type: ignore[arg-type]
    m.update(a=1)  # type: ignore[call-arg]
    m.sort_keys(reverse=1)  # type: ignore[arg-type]
    s[0:1] = [1]  # type: ignore[index]
    del s[0:1]  # type: ignore[arg-type]
    s.set_comment_inline("0", "c")  # type: ignore[arg-type]
    s.sort(reverse=None)  # type: ignore[arg-type]
    x.value = 3  # type: ignore[misc]

    class Derived(plovarn.YamlMapping):  # type: ignore[misc]
        pass


def main() -> str:
    config = load_config(SOURCE)
    edit(config)
    assert scalar_document() == 42
    return dump_everywhere(config)


if __name__ == "__main__":
    print(main(), end="")
