"""The three class objects: construction, naming, docstrings and what they refuse."""

import copy
import gc
import sys
import weakref

import pytest

import plovarn
from plovarn import YamlMapping, YamlScalar, YamlSequence

CLASSES = [YamlScalar, YamlMapping, YamlSequence]


class TestTypes:
    def test_bases(self):
        assert YamlMapping.__bases__ == (dict,)
        assert YamlSequence.__bases__ == (list,)
        assert YamlScalar.__bases__ == (object,)

    @pytest.mark.parametrize("cls", CLASSES)
    def test_names_report_builtins(self, cls):
        assert cls.__module__ == "builtins"
        assert cls.__qualname__ == cls.__name__
        assert f"{cls.__module__}.{cls.__qualname__}" == "builtins." + cls.__name__
        assert repr(cls) == f"<class 'builtins.{cls.__name__}'>"

    def test_docstrings(self):
        assert YamlMapping.__doc__ == (
            "A YAML mapping node. Subclass of dict; the parent dict is always kept in\n"
            "sync with `inner` so that standard dict operations work transparently.")
        assert YamlMapping.__text_signature__ == "()"
        assert YamlSequence.__doc__ == (
            "A YAML sequence node. Subclass of list; the parent list is always kept in\n"
            "sync with `inner` so that standard list operations work transparently.")
        assert YamlSequence.__text_signature__ == "()"
        assert YamlScalar.__doc__ == "A YAML scalar document node (int, float, bool, str, or null)."
        assert YamlScalar.__text_signature__ is None

    @pytest.mark.parametrize("cls", CLASSES)
    def test_not_subclassable(self, cls):
        with pytest.raises(TypeError):
            type("Derived", (cls,), {})

    def test_instances_have_no_dict_or_weakref(self):
        for obj in (YamlMapping(), YamlSequence(), plovarn.loads("1")):
            with pytest.raises(AttributeError):
                obj.anything = 1
            assert not hasattr(obj, "__dict__")
            with pytest.raises(TypeError):
                weakref.ref(obj)


class TestConstruction:
    def test_empty_instances(self):
        m = YamlMapping()
        s = YamlSequence()
        assert m == {} and len(m) == 0 and type(m) is YamlMapping
        assert s == [] and len(s) == 0 and type(s) is YamlSequence
        assert YamlMapping() is not YamlMapping()

    @pytest.mark.parametrize("cls", [YamlMapping, YamlSequence])
    def test_every_argument_refused(self, cls):
        name = cls.__name__
        with pytest.raises(TypeError) as info:
            cls({"a": 1} if cls is YamlMapping else [1])
        assert str(info.value) == f"{name}.__new__() takes 0 positional arguments but 1 was given"
        with pytest.raises(TypeError) as info:
            cls(1, 2)
        assert str(info.value) == f"{name}.__new__() takes 0 positional arguments but 2 were given"
        with pytest.raises(TypeError) as info:
            cls(a=1)
        assert str(info.value) == f"{name}.__new__() got an unexpected keyword argument 'a'"

    def test_scalar_cannot_be_created(self):
        with pytest.raises(TypeError, match="cannot create"):
            YamlScalar()
        with pytest.raises(TypeError):
            YamlScalar(5)

    def test_hashing_refused(self):
        for obj in (YamlMapping(), YamlSequence()):
            with pytest.raises(TypeError):
                hash(obj)
        assert YamlScalar.__hash__ is None


class TestLifetime:
    def test_instances_are_released(self):
        # Creating and dropping many instances leaves no type references behind.
        before = sys.getrefcount(YamlMapping), sys.getrefcount(YamlSequence)
        for _ in range(1000):
            m = YamlMapping()
            s = YamlSequence()
            del m, s
        assert (sys.getrefcount(YamlMapping), sys.getrefcount(YamlSequence)) == before

    def test_cycles_through_the_parent_are_collected(self):
        m = YamlMapping()
        s = YamlSequence()
        dict.__setitem__(m, "s", s)
        list.append(s, m)
        gc.collect()
        before = len(gc.get_objects())
        del m, s
        gc.collect()
        assert len(gc.get_objects()) <= before - 2
        assert gc.is_tracked(YamlMapping()) and gc.is_tracked(YamlSequence())

    def test_deep_chain_releases_without_overflow(self):
        head = YamlSequence()
        node = head
        for _ in range(200000):
            child = YamlSequence()
            list.append(node, child)
            node = child
        del node, child, head  # released through the trashcan, not a native recursion


class TestCopies:
    def test_shallow_copy_shares_values_and_deep_copy_does_not(self):
        m = plovarn.loads("a: 1  # one\nb: {c: [2]}\n")
        shallow, deep = copy.copy(m), copy.deepcopy(m)
        assert shallow["b"] is m["b"] and deep["b"] is not m["b"] and deep["b"]["c"] is not m["b"]["c"]
        assert deep == m and type(deep["b"]) is YamlMapping and deep.get_comment_inline("a") == m.get_comment_inline("a") == "one"

    def test_the_parent_container_is_copied_as_it_stands(self):
        m = plovarn.loads("a: 1\nb: 2\n")
        dict.__setitem__(m, "a", 5)
        dict.__delitem__(m, "b")
        s = plovarn.loads("- x\n")
        list.append(s, s)
        for f in (copy.copy, copy.deepcopy):
            assert plovarn.dumps(f(m)) == plovarn.dumps(m) == "a: 5\n"
        twin = copy.deepcopy(s)
        assert twin[1] is twin and plovarn.dumps(twin) == plovarn.dumps(s)

    def test_scalar_documents_and_arguments(self):
        doc = plovarn.loads("# above\n'7'  # beside\n")
        for twin in (copy.copy(doc), copy.deepcopy(doc), doc.__deepcopy__(None)):
            assert type(twin) is YamlScalar and twin is not doc and plovarn.dumps(twin) == plovarn.dumps(doc)
        with pytest.raises(TypeError, match=r"YamlSequence.__copy__\(\) takes 0 positional"):
            YamlSequence().__copy__(1)
