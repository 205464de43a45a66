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
    def __eq__(self, other: object, /) -> bool: ...
    def __ne__(self, other: object, /) -> bool: ...
    __hash__: ClassVar[None]  # type: ignore[assignment]

@final
class YamlMapping(dict[str, Any]):
    """A YAML mapping node. Subclass of dict; the parent dict is always kept in
    sync with `inner` so that standard dict operations work transparently."""

    def __new__(cls) -> Self: ...
    def __setitem__(self, key: str, value: Any, /) -> None: ...
    def __delitem__(self, key: str, /) -> None: ...
    def pop(self, key: str, default: Any = None) -> Any:
        """Remove `key`; a default of None counts as no default (KeyError)."""
    def update(  # type: ignore[override]
        self, other: SupportsKeysAndGetItem[str, Any] | Iterable[tuple[str, Any]]
    ) -> None:
        """Set the entries of one mapping or iterable of pairs; no keywords.

        From a YamlMapping the comments are copied too; otherwise the keys set
        lose their comments.
        """
    def setdefault(self, key: str, default: Any = None) -> Any: ...
    def sort_keys(
        self,
        key: Callable[[str], SupportsRichComparison] | None = None,
        reverse: bool = False,
        recursive: bool = False,
    ) -> None:
        """Sort the entries with their comments; keys by code point by default."""
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

@final
class YamlSequence(list[Any]):
    """A YAML sequence node. Subclass of list; the parent list is always kept in
    sync with `inner` so that standard list operations work transparently."""

    def __new__(cls) -> Self: ...
    # Only integer subscripts: slice assignment and deletion raise TypeError.
    def __setitem__(self, key: SupportsIndex, value: Any, /) -> None: ...  # type: ignore[override]
    def __delitem__(self, key: SupportsIndex, /) -> None: ...  # type: ignore[override]
    def append(self, value: Any) -> None: ...
    def insert(self, idx: SupportsIndex, value: Any) -> None: ...
    def pop(self, idx: SupportsIndex = ...) -> Any: ...
    def remove(self, value: Any) -> None: ...
    def extend(self, iterable: Iterable[Any]) -> None: ...
    def reverse(self) -> None: ...
    def sort(
        self,
        key: Callable[[Any], SupportsRichComparison] | None = None,
        reverse: bool = False,
    ) -> None: ...
    def to_dict(self) -> list[Any]:
        """A plain list copy at every depth, without comments."""
    def get_comment_inline(self, idx: SupportsIndex) -> str | None:
        """The comment at the end of the element's line; IndexError if out of range."""
    def get_comment_before(self, idx: SupportsIndex) -> str | None:
        """The comment lines above the element; IndexError if out of range."""
    def set_comment_inline(self, idx: SupportsIndex, comment: str) -> None: ...
    def set_comment_before(self, idx: SupportsIndex, comment: str) -> None: ...

def load(stream: _ReadableStream) -> _LoadedDocument | None:
    """The first document of the stream's text, or None if it holds none.

    The whole text must be valid YAML; a parse error raises RuntimeError with the attributes
    `index`, `line` and `column`."""
def loads(text: str) -> _LoadedDocument | None:
    """The first document of `text`, or None if it holds none.

    The whole text must be valid YAML; a parse error raises RuntimeError with the attributes
    `index`, `line` and `column`."""
def load_all(stream: _ReadableStream) -> list[_LoadedDocument]:
    """Every document of the stream's text, in order."""
def loads_all(text: str) -> list[_LoadedDocument]:
    """Every document of `text`, in order."""
def dump(doc: _Document, stream: _WritableStream) -> None:
    """Write the document to the stream in one write() call."""
def dumps(doc: _Document) -> str:
    """The document as YAML text, ending with a line feed."""
def dump_all(docs: Iterable[_Document], stream: _WritableStream) -> None:
    """Write the documents, separated by "---" lines, in one write() call."""
def dumps_all(docs: Iterable[_Document]) -> str:
    """The documents as YAML text; two or more are each preceded by "---"."""
