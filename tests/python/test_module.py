"""The module's surface: registered names, function signatures and argument errors."""

import inspect
import io

import pytest

import plovarn

FUNCTIONS = {
    "load": ["stream"],
    "loads": ["text"],
    "load_all": ["stream"],
    "loads_all": ["text"],
    "dump": ["doc", "stream"],
    "dumps": ["doc"],
    "dump_all": ["docs", "stream"],
    "dumps_all": ["docs"],
}


def test_all_lists_the_classes_then_the_functions_in_order():
    assert plovarn.__all__ == [
        "YamlScalar", "YamlMapping", "YamlSequence",
        "load", "loads", "load_all", "loads_all", "dump", "dumps", "dump_all", "dumps_all",
    ]
    for name in plovarn.__all__:
        assert hasattr(plovarn, name)


def test_module_docstring():
    assert plovarn.__doc__ == "The plovarn module."


@pytest.mark.parametrize("name,params", FUNCTIONS.items())
def test_functions_are_builtins_bound_to_the_module(name, params):
    function = getattr(plovarn, name)
    assert type(function).__name__ == "builtin_function_or_method"
    assert function.__name__ == name
    assert function.__module__ == "plovarn"
    assert function.__self__ is plovarn
    signature = inspect.signature(function)
    assert list(signature.parameters) == params
    for parameter in signature.parameters.values():
        assert parameter.kind is inspect.Parameter.POSITIONAL_OR_KEYWORD
        assert parameter.default is inspect.Parameter.empty
    assert function.__text_signature__ == "(" + ", ".join(params) + ")"
    assert function.__doc__ is None  # everything sits in the text signature


class TestArgumentErrors:
    @pytest.mark.parametrize("name,params", FUNCTIONS.items())
    def test_missing_argument(self, name, params):
        quoted = " and ".join(f"'{p}'" for p in params)
        s = "s" if len(params) > 1 else ""
        with pytest.raises(TypeError) as info:
            getattr(plovarn, name)()
        assert str(info.value) == f"{name}() missing {len(params)} required positional argument{s}: {quoted}"

    @pytest.mark.parametrize("name,params", FUNCTIONS.items())
    def test_surplus_positional(self, name, params):
        n = len(params)
        with pytest.raises(TypeError) as info:
            getattr(plovarn, name)(*([None] * (n + 1)))
        s = "s" if n > 1 else ""
        assert str(info.value) == f"{name}() takes {n} positional argument{s} but {n + 1} were given"

    def test_unexpected_keyword(self):
        with pytest.raises(TypeError, match=r"^loads\(\) got an unexpected keyword argument 'txt'$"):
            plovarn.loads(txt="a")

    def test_argument_given_twice(self):
        with pytest.raises(TypeError, match=r"^dumps\(\) got multiple values for argument 'doc'$"):
            plovarn.dumps(1, doc=2)

    def test_dump_without_stream(self):
        with pytest.raises(TypeError, match=r"^dump\(\) missing 1 required positional argument: 'stream'$"):
            plovarn.dump(1)

    @pytest.mark.parametrize("name", ["loads", "loads_all"])
    def test_text_must_be_str(self, name):
        with pytest.raises(TypeError) as info:
            getattr(plovarn, name)(b"a: 1")
        assert str(info.value) == "argument 'text': 'bytes' object is not an instance of 'str'"
        with pytest.raises(TypeError) as info:
            getattr(plovarn, name)(None)
        assert str(info.value) == "argument 'text': 'None' is not an instance of 'str'"

    @pytest.mark.parametrize("name", ["loads", "loads_all"])
    def test_lone_surrogate_text_raises_the_encoding_error(self, name):
        with pytest.raises(UnicodeEncodeError):
            getattr(plovarn, name)("a: \udc80")

    def test_argument_errors_come_before_any_work(self):
        class Stream:
            calls = 0

            def read(self):
                Stream.calls += 1
                return ""

        with pytest.raises(TypeError):
            plovarn.load(Stream(), Stream())
        with pytest.raises(TypeError):
            plovarn.dump_all(iter([1]), io.StringIO(), 3)
        assert Stream.calls == 0


class TestKeywordCalls:
    def test_every_parameter_by_keyword(self):
        out = io.StringIO()
        assert plovarn.dump(stream=out, doc=5) is None
        assert out.getvalue() == "5\n"
        assert plovarn.dumps(doc=None) == "null\n"
        assert plovarn.dumps_all(docs=[]) == ""
        out = io.StringIO()
        plovarn.dump_all(docs=[1, 2], stream=out)
        assert out.getvalue() == "---\n1\n---\n2"

    def test_load_by_keyword(self):
        assert plovarn.load(stream=io.StringIO("")) is None
        assert plovarn.load_all(stream=io.StringIO("")) == []
        assert plovarn.loads(text="") is None
        assert plovarn.loads_all(text="") == []


def test_version_comes_from_the_package_metadata():
    import pathlib
    import tomllib

    pyproject = pathlib.Path(__file__).resolve().parents[2] / "pyproject.toml"
    assert plovarn.__version__ == tomllib.loads(pyproject.read_text())["project"]["version"]
    assert "__version__" not in plovarn.__all__
