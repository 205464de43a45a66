"""YamlScalar: value, to_dict, equality by value, no ordering, no hash."""

import math

import pytest

import plovarn
from plovarn import YamlScalar


@pytest.mark.parametrize("text, value", [
    ("42\n", 42), ("-7\n", -7), ("2.5\n", 2.5), ("true\n", True), ("'text'\n", "text"),
    ("null\n", None), ("~\n", None), ("plain words\n", "plain words"),
])
def test_value_and_to_dict(text, value):
    x = plovarn.loads(text)
    assert type(x) is YamlScalar
    assert x.value == value and type(x.value) is type(value)
    assert x.to_dict() == value and type(x.to_dict()) is type(value)


def test_value_is_read_only_and_fresh():
    x = plovarn.loads("'abc'\n")
    with pytest.raises(AttributeError):
        x.value = 1
    assert type(x).value.__doc__ == "The Python primitive value of this scalar."
    assert x.value == x.value


def test_alias_root_is_none():
    x = plovarn.loads_all("--- &a 1\n--- *a\n")[1]
    assert type(x) is YamlScalar and x.value is None and x == None  # noqa: E711


class TestEquality:
    def test_against_plain_values(self):
        five = plovarn.loads("5\n")
        assert five == 5 and five == 5.0 and not five == "5"
        assert 5 == five and five != 6 and not five != 5
        assert plovarn.loads("1\n") == True  # noqa: E712

    def test_between_scalars(self):
        assert plovarn.loads("5\n") == plovarn.loads("5.0\n")
        assert plovarn.loads("5\n") != plovarn.loads("'5'\n")

    def test_nan_is_not_equal_to_itself(self):
        x = plovarn.loads(".nan\n")
        assert math.isnan(x.value)
        assert not x == x and x != x

    def test_ne_is_negation_including_reflected(self):
        class Always:
            def __eq__(self, other):
                return True

            __hash__ = None

        x = plovarn.loads("5\n")
        assert x == Always()
        assert not x != Always()

    def test_errors_propagate(self):
        class Broken:
            def __eq__(self, other):
                raise ZeroDivisionError("eq")

            def __bool__(self):
                raise ZeroDivisionError("bool")

        class Weird:
            def __eq__(self, other):
                return Broken()

            __hash__ = None

        x = plovarn.loads("5\n")
        with pytest.raises(ZeroDivisionError, match="eq"):
            x == Broken()
        with pytest.raises(ZeroDivisionError, match="bool"):
            x == Weird()
        with pytest.raises(ZeroDivisionError, match="bool"):
            x != Weird()


def test_ordering_refused_and_unhashable():
    x = plovarn.loads("5\n")
    for op in (lambda: x < 1, lambda: x <= 1, lambda: x > 1, lambda: x >= x):
        with pytest.raises(TypeError):
            op()
    with pytest.raises(TypeError):
        {x}
    with pytest.raises(TypeError):
        hash(x)


def test_to_dict_arguments():
    x = plovarn.loads("5\n")
    with pytest.raises(TypeError, match=r"^YamlScalar.to_dict\(\) takes 0 positional arguments but 1 was given$"):
        x.to_dict(1)
    assert str(__import__("inspect").signature(YamlScalar.to_dict)) == "(self, /)"
