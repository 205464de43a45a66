"""Reading the input through read() and writing the output through write()."""

import pytest

import plovarn


class TestReadResultTypes:
    """Every accepted read() result gives the same document as loads of the text."""

    @pytest.mark.parametrize("result", [
        "a: 1",
        b"a: 1",
        bytearray(b"a: 1"),
        list(b"a: 1"),
        tuple(b"a: 1"),
        memoryview(b"a: 1"),
    ], ids=["str", "bytes", "bytearray", "list", "tuple", "memoryview"])
    def test_accepted(self, read_stream, result):
        stream = read_stream(result)
        doc = plovarn.load(stream)
        assert doc == {"a": 1}
        assert type(doc) is plovarn.YamlMapping
        assert stream.calls == 1

    def test_subclasses_of_str_and_bytes(self, read_stream):
        class Text(str):
            pass

        class Raw(bytes):
            pass

        assert plovarn.load(read_stream(Text("- 1"))) == [1]
        assert plovarn.load(read_stream(Raw(b"- 1"))) == [1]

    def test_non_ascii_bytes_decode_as_utf8(self, read_stream):
        assert plovarn.load(read_stream("k: \u00e9\u20ac\U0001f600".encode())) == {"k": "\u00e9\u20ac\U0001f600"}

    def test_bom_is_not_a_decode_error(self, read_stream):
        # The decoder passes the mark on and the reader skips it before the document.
        assert plovarn.load(read_stream(b"\xef\xbb\xbfa: 1")) == {"a": 1}

    def test_load_all_reads_once(self, read_stream):
        stream = read_stream(b"1\n---\n2\n")
        assert plovarn.load_all(stream) == [1, 2]
        assert stream.calls == 1


class TestReadRefused:
    @pytest.mark.parametrize("result", [
        5, None, 1.5, {"a": 1}, [1, 256], [-1], [1, "a"], [1.0], object(), "a: \udc80",
    ], ids=["int", "None", "float", "dict", "big-item", "negative-item", "str-item", "float-item",
            "object", "surrogate-str"])
    def test_not_text_nor_bytes(self, read_stream, result):
        with pytest.raises(RuntimeError) as info:
            plovarn.load(read_stream(result))
        assert str(info.value) == "stream.read() must return str or bytes"
        assert info.value.__context__ is None

    def test_sequence_whose_iteration_raises(self, read_stream):
        class Broken:
            def __len__(self):
                return 2

            def __getitem__(self, i):
                raise ValueError("boom")

        with pytest.raises(RuntimeError, match="^stream.read\\(\\) must return str or bytes$"):
            plovarn.load(read_stream(Broken()))

    def test_read_exception_passes_through(self):
        class Stream:
            def read(self):
                raise OSError("disk gone")

        with pytest.raises(OSError, match="disk gone"):
            plovarn.load(Stream())

    def test_object_without_read(self):
        with pytest.raises(AttributeError):
            plovarn.load(5)
        with pytest.raises(AttributeError):
            plovarn.load_all("a: 1")


class TestUtf8Errors:
    @pytest.mark.parametrize("data,detail", [
        (b"\xff", "invalid utf-8 sequence of 1 bytes from index 0"),
        (b"a\xe2\x82", "incomplete utf-8 byte sequence from index 1"),
        (b"ab\x80", "invalid utf-8 sequence of 1 bytes from index 2"),
        (b"\xc0\x80", "invalid utf-8 sequence of 1 bytes from index 0"),  # overlong
        (b"x\xe2\x28\xa1", "invalid utf-8 sequence of 1 bytes from index 1"),
        (b"x\xe2\x82\x28", "invalid utf-8 sequence of 2 bytes from index 1"),
        (b"\xed\xa0\x80", "invalid utf-8 sequence of 1 bytes from index 0"),  # surrogate
        (b"\xf0\x9f\x98", "incomplete utf-8 byte sequence from index 0"),
        (b"\xf0\x9f\x98\x28", "invalid utf-8 sequence of 3 bytes from index 0"),
        (b"\xf0\x9f\x28", "invalid utf-8 sequence of 2 bytes from index 0"),
        (b"\xf4\x90\x80\x80", "invalid utf-8 sequence of 1 bytes from index 0"),  # above U+10FFFF
        (b"\xf5", "invalid utf-8 sequence of 1 bytes from index 0"),
        (b"0123456789abcdef\xc3", "incomplete utf-8 byte sequence from index 16"),
        (b"\xc3\xa9\xe2\x82\xac\xff", "invalid utf-8 sequence of 1 bytes from index 5"),
    ])
    def test_first_invalid_place(self, read_stream, data, detail):
        for result in (data, bytearray(data), list(data)):
            with pytest.raises(RuntimeError) as info:
                plovarn.load(read_stream(result))
            assert str(info.value) == "UTF-8 decode error: " + detail


class TestWrite:
    def test_str_is_written_in_one_call(self, write_stream):
        stream = write_stream()
        assert plovarn.dump(5, stream) is None
        assert stream.written == ["5\n"]

    def test_falls_back_to_bytes(self, write_stream):
        stream = write_stream(accept=bytes)
        plovarn.dump("\u00e9", stream)
        assert stream.written == ["\u00e9\n", "\u00e9\n".encode()]

    def test_write_result_is_ignored(self):
        class Stream:
            def write(self, data):
                return object()

        assert plovarn.dump(1, Stream()) is None

    def test_both_calls_failing(self):
        class Stream:
            def __init__(self):
                self.written = []

            def write(self, data):
                self.written.append(data)
                raise TypeError("text refused") if isinstance(data, str) else ValueError("closed")

        stream = Stream()
        with pytest.raises(RuntimeError) as info:
            plovarn.dump(1, stream)
        assert str(info.value) == "Write error: ValueError: closed"
        assert [type(w) for w in stream.written] == [str, bytes]

    @pytest.mark.parametrize("error", [
        ValueError("closed"), OSError(28, "No space left on device"), RuntimeError("lost"),
        UnicodeEncodeError("ascii", "\u00e9", 0, 1, "ordinal not in range(128)"), AttributeError("gone"),
    ])
    @pytest.mark.parametrize("dump", [plovarn.dump, lambda doc, stream: plovarn.dump_all([doc], stream)],
                             ids=["dump", "dump_all"])
    def test_only_a_refused_text_is_written_again(self, write_stream, error, dump):
        # The stream may have taken the text before it raised: a second call would write it twice.
        stream = write_stream(accept=(), error=error)
        with pytest.raises(RuntimeError) as info:
            dump(plovarn.loads("a: 1\n"), stream)
        assert str(info.value) == f"Write error: {type(error).__name__}: {error}"
        assert stream.written == ["a: 1\n"]

    def test_error_names_the_qualified_type(self, write_stream):
        class Outer:
            class Failure(Exception):
                pass

        stream = write_stream(accept=(), error=Outer.Failure("full"))
        with pytest.raises(RuntimeError, match=r"^Write error: TestWrite.test_error_names_the_qualified_type.<locals>"
                                               r".Outer.Failure: full$"):
            plovarn.dump_all([1], stream)

    def test_unprintable_exception(self, write_stream):
        class Nasty(Exception):
            def __str__(self):
                raise RuntimeError("no")

        stream = write_stream(accept=(), error=Nasty())
        with pytest.raises(RuntimeError) as info:
            plovarn.dump(1, stream)
        assert str(info.value).endswith(".Nasty: <exception str() failed>")
        assert str(info.value).startswith("Write error: ")

    def test_stream_without_write(self):
        with pytest.raises(RuntimeError, match="^Write error: AttributeError: "):
            plovarn.dump(1, object())

    def test_dump_all_writes_even_the_empty_text(self, write_stream):
        stream = write_stream()
        plovarn.dump_all([], stream)
        assert stream.written == [""]

    def test_failed_extraction_writes_nothing(self, write_stream):
        stream = write_stream()
        with pytest.raises(RuntimeError, match="^expected YamlMapping, YamlSequence, or YamlScalar$"):
            plovarn.dump({"a": 1}, stream)
        with pytest.raises(RuntimeError):
            plovarn.dump_all([1, [2]], stream)
        assert stream.written == []

    def test_dump_all_failing_generator_writes_nothing(self, write_stream):
        def docs():
            yield 1
            raise KeyError("late")

        stream = write_stream()
        with pytest.raises(KeyError, match="late"):
            plovarn.dump_all(docs(), stream)
        assert stream.written == []

    def test_not_iterable(self, write_stream):
        stream = write_stream()
        with pytest.raises(TypeError):
            plovarn.dump_all(5, stream)
        with pytest.raises(TypeError):
            plovarn.dumps_all(5)
        assert stream.written == []
