"""The plovarn module."""

from collections.abc import Callable, Iterable, Sequence
from typing import Any, ClassVar, Protocol, Self, SupportsIndex, TypeAlias, final

from _typeshed import SupportsKeysAndGetItem, SupportsRichComparison

__all__ = [
    "YamlScalar",
    "YamlMapping",
    "YamlSequence",
    "load",
    "loads",
    "load_all",
    "loads_all",
    "dump",
    "dumps",
    "dump_all",
    "dumps_all",
]

# The package version, as in its metadata.
__version__: str

# A text that is not valid YAML raises RuntimeError("Parse error: YAML parse error: <problem> at
# byte <index> line <line> column <column>"); the exception also carries those numbers as the
# int attributes `index` (characters before the problem), `line` (from 1) and `column` (from 1).

# A value that a scalar document or a nested scalar stands for.
_ScalarValue: TypeAlias = int | float | bool | str | None

# What the load functions return for one document.
_LoadedDocument: TypeAlias = YamlMapping | YamlSequence | YamlScalar

# What the dump functions accept as one document. Plain dicts, lists and
# tuples are refused at run time; only the module's own containers carry the
# key order and the comments.
_Document: TypeAlias = YamlMapping | YamlSequence | YamlScalar | str | int | float | bool | None

class _ReadableStream(Protocol):
    # read() is called once, with no arguments; bytes-like results are
    # decoded as UTF-8.
    def read(self) -> str | bytes | bytearray | Sequence[int]: ...

class _TextWritableStream(Protocol):
    def write(self, text: str, /) -> object: ...

class _BinaryWritableStream(Protocol):
    def write(self, data: bytes, /) -> object: ...

# write() is called once with a str; if that raises, once more with the
# UTF-8 bytes of the same text.
_WritableStream: TypeAlias = _TextWritableStream | _BinaryWritableStream

@final
class YamlScalar:
    """A YAML scalar document node (int, float, bool, str, or null)."""

    @property
    def value(self) -> _ScalarValue:
        """The Python primitive value of this scalar."""
    def to_dict(self) -> _ScalarValue:
        """The same as `value`."""
    def __eq__(self, other: object, /) -> bool:
        """Whether the values are equal: `other` is another YamlScalar or a plain value."""
    def __ne__(self, other: object, /) -> bool:
        """The negation of `==`. There is no ordering and no hash."""
    def __copy__(self) -> Self:
        """A copy, with the comments and written form of the original."""
    def __deepcopy__(self, memo: dict[int, Any] | None) -> Self:
        """The same as `__copy__`."""
    __hash__: ClassVar[None]  # type: ignore[assignment]

@final
class YamlMapping(dict[str, Any]):
    """A YAML mapping node. Subclass of dict; the parent dict is always kept in
    sync with `inner` so that standard dict operations work transparently."""

    def __new__(cls) -> Self:
        """An empty mapping; it takes no arguments (build one with `update`)."""
    def __setitem__(self, key: str, value: Any, /) -> None:
        """Store a value converted to YAML (dicts and lists become YamlMapping and
        YamlSequence). An existing key keeps its position and comments; a new key goes
        to the end without comments. The dict gets a new object built from the stored
        value, not `value` itself."""
    def __delitem__(self, key: str, /) -> None:
        """Remove the entry with its comments; KeyError if there is no such key."""
    def pop(self, key: str, default: Any = None) -> Any:
        """Remove `key` with its comments and return its value; a default of None
        counts as no default (KeyError)."""
    def update(  # type: ignore[override]
        self, other: SupportsKeysAndGetItem[str, Any] | Iterable[tuple[str, Any]]
    ) -> None:
        """Set the entries of one mapping or iterable of pairs; no keywords.

        From a YamlMapping the comments are copied too; otherwise the keys set
        lose their comments.
        """
    def setdefault(self, key: str, default: Any = None) -> Any:
        """The value of `key`; if there is none, store `default` as a new entry
        without comments at the end and return an equal new object."""
    def sort_keys(
        self,
        key: Callable[[str], SupportsRichComparison] | None = None,
        reverse: bool = False,
        recursive: bool = False,
    ) -> None:
        """Sort the entries with their comments, stably; keys by code point by default.

        `key` is called with each key string; `reverse` reverses the sorted result;
        `recursive` also sorts mappings nested under mapping values. If `key` or a
        comparison raises, nothing changes. The dict is rebuilt from `inner`.
        """
    def to_dict(self) -> dict[str, Any]:
        """A plain dict copy at every depth, without comments."""
    def get_comment_inline(self, key: str) -> str | None:
        """The comment at the end of the entry's line; None if none or no such key."""
    def get_comment_before(self, key: str) -> str | None:
        """The comment lines above the entry; None if none or no such key."""
    def set_comment_inline(self, key: str, comment: str) -> None:
        """Replace the end-of-line comment; KeyError if there is no such key."""
    def set_comment_before(self, key: str, comment: str) -> None:
        """Replace the comment lines above the entry; KeyError if there is no such key."""
    def __copy__(self) -> Self:
        """A copy holding the same values, with the comments and written forms of this one."""
    def __deepcopy__(self, memo: dict[int, Any] | None) -> Self:
        """A copy holding deep copies of the values, with the comments and written forms."""

@final
class YamlSequence(list[Any]):
    """A YAML sequence node. Subclass of list; the parent list is always kept in
    sync with `inner` so that standard list operations work transparently."""

    def __new__(cls) -> Self:
        """An empty sequence; it takes no arguments (build one with `extend`)."""
    # Only integer subscripts: slice assignment and deletion raise TypeError.
    def __setitem__(self, key: SupportsIndex, value: Any, /) -> None:  # type: ignore[override]
        """Replace the element's value, keeping its comments; IndexError if out of range.
        The list gets a new object built from the stored value."""
    def __delitem__(self, key: SupportsIndex, /) -> None:  # type: ignore[override]
        """Remove the element with its comments; IndexError if out of range."""
    def append(self, value: Any) -> None:
        """Add a value converted to YAML at the end, without comments."""
    def insert(self, idx: SupportsIndex, value: Any) -> None:
        """Insert a value before `idx`, without comments; positions out of range
        clamp to the ends, as for list."""
    def pop(self, idx: SupportsIndex = ...) -> Any:
        """Remove the element at `idx` (the last by default) with its comments and
        return its value; IndexError if empty or out of range."""
    def remove(self, value: Any) -> None:
        """Remove the first element equal to `value` with its comments; ValueError
        if there is none."""
    def extend(self, iterable: Iterable[Any]) -> None:
        """Append every value of `iterable`, without comments; if one cannot be
        converted, nothing is added."""
    def reverse(self) -> None:
        """Reverse the elements in place, each with its comments."""
    def sort(
        self,
        key: Callable[[Any], SupportsRichComparison] | None = None,
        reverse: bool = False,
    ) -> None:
        """Sort the elements with their comments, stably, by value or by `key(value)`;
        `reverse` reverses the sorted result. If `key` or a comparison raises, nothing
        changes."""
    def to_dict(self) -> list[Any]:
        """A plain list copy at every depth, without comments."""
    def get_comment_inline(self, idx: SupportsIndex) -> str | None:
        """The comment at the end of the element's line; IndexError if out of range."""
    def get_comment_before(self, idx: SupportsIndex) -> str | None:
        """The comment lines above the element; IndexError if out of range."""
    def set_comment_inline(self, idx: SupportsIndex, comment: str) -> None:
        """Replace the comment at the end of the element's line; IndexError if out of range."""
    def set_comment_before(self, idx: SupportsIndex, comment: str) -> None:
        """Replace the comment lines above the element; IndexError if out of range."""
    def __copy__(self) -> Self:
        """A copy holding the same values, with the comments and written forms of this one."""
    def __deepcopy__(self, memo: dict[int, Any] | None) -> Self:
        """A copy holding deep copies of the values, with the comments and written forms."""

def load(stream: _ReadableStream) -> _LoadedDocument | None:
    """The first document of the stream's text, or None if it holds none.

    read() is called once; bytes are decoded as strict UTF-8. Another result raises
    RuntimeError("stream.read() must return str or bytes"), bytes that are not UTF-8
    RuntimeError("UTF-8 decode error: ...").

    The whole text must be valid YAML; a parse error raises RuntimeError with the attributes
    `index`, `line` and `column`."""
def loads(text: str) -> _LoadedDocument | None:
    """The first document of `text`, or None if it holds none.

    The whole text must be valid YAML; a parse error raises RuntimeError with the attributes
    `index`, `line` and `column`."""
def load_all(stream: _ReadableStream) -> list[_LoadedDocument]:
    """Every document of the stream's text, in order.

    A parse error raises RuntimeError with the attributes `index`, `line` and `column`."""
def loads_all(text: str) -> list[_LoadedDocument]:
    """Every document of `text`, in order.

    A parse error raises RuntimeError with the attributes `index`, `line` and `column`."""
def dump(doc: _Document, stream: _WritableStream) -> None:
    """Write the document to the stream in one write() call, as `dumps` makes it.

    write() gets a str, or the UTF-8 bytes if it raises TypeError for the str; if the
    call that counts raises, RuntimeError("Write error: <type>: <message>")."""
def dumps(doc: _Document) -> str:
    """The document as block-style YAML text with its comments, ending with a line feed.

    Key order, keys, element counts and comments come from each container's `inner`,
    the values from the containers themselves. A plain dict or list is no document:
    RuntimeError("expected YamlMapping, YamlSequence, or YamlScalar")."""
def dump_all(docs: Iterable[_Document], stream: _WritableStream) -> None:
    """Write the documents, as `dumps_all` makes them, in one write() call; the whole
    iterable is consumed first, so a failure writes nothing."""
def dumps_all(docs: Iterable[_Document]) -> str:
    """The documents as YAML text; two or more are each preceded by a "---" line.

    One document is written alone, and the last gets no line feed added."""
