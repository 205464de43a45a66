"""An exception that is no Exception (KeyboardInterrupt, SystemExit, GeneratorExit),
raised by the caller's code that the module calls, reaches the caller as it was
raised: never replaced by the module's own error, never swallowed."""

import pytest

import plovarn
from plovarn import YamlMapping, YamlSequence


def instance(**methods):
    return type("Callback", (), methods)()


def store(value):
    YamlMapping()["k"] = value


def sequence(*values):
    s = YamlSequence()
    s.extend(values)
    return s


def read_result(result):
    return plovarn.load(instance(read=lambda self: result))


def write_to(write):
    plovarn.dump("a: 1", instance(write=write))


def refuse_text_then(boom):
    def write(self, data):
        if isinstance(data, str):
            raise TypeError("text refused")
        boom()

    return write


def failing_write_whose_str(boom):
    error = type("Failure", (Exception,), {"__str__": lambda self: boom()})

    def write(self, data):
        raise error()

    return write


def ordered_by(boom):
    """Sort keys whose comparison runs `boom`."""
    return lambda value: instance(__lt__=lambda a, b: boom(), __gt__=lambda a, b: boom())


def iterator(boom):
    return instance(__iter__=lambda self: self, __next__=lambda self: boom())


# Each case calls `boom` from the caller's code that one operation runs.
CASES = {
    "__float__ of a stored value": lambda boom: store(instance(__float__=lambda self: boom())),
    "__float__ of a dumped value": lambda boom: plovarn.dumps(instance(__float__=lambda self: boom())),
    "__index__ of a stored value": lambda boom: store(instance(__index__=lambda self: boom())),
    "__str__ of a value that cannot be stored": lambda boom: store(instance(__str__=lambda self: boom())),
    "read()": lambda boom: plovarn.load(instance(read=lambda self: boom())),
    "iteration of what read() returned": lambda boom: read_result(
        instance(__getitem__=lambda self, i: 97, __len__=lambda self: 1, __iter__=lambda self: iterator(boom))),
    "length of what read() returned": lambda boom: read_result(
        instance(__getitem__=lambda self, i: 97, __len__=lambda self: boom(), __iter__=lambda self: iter([97]))),
    "write() of the text": lambda boom: write_to(lambda self, data: boom()),
    "write() of the bytes": lambda boom: write_to(refuse_text_then(boom)),
    "str() of write()'s exception": lambda boom: write_to(failing_write_whose_str(boom)),
    "__index__ of a subscript": lambda boom: sequence(1).__setitem__(instance(__index__=lambda self: boom()), 2),
    "__index__ of pop()": lambda boom: sequence(1).pop(instance(__index__=lambda self: boom())),
    "__index__ of a comment method": lambda boom: sequence(1).get_comment_before(
        instance(__index__=lambda self: boom())),
    "key function of sort_keys()": lambda boom: plovarn.loads("b: 1\na: 2\n").sort_keys(key=lambda k: boom()),
    "key function of sort()": lambda boom: sequence(2, 1).sort(key=lambda v: boom()),
    "comparison in sort_keys()": lambda boom: plovarn.loads("b: 1\na: 2\n").sort_keys(key=ordered_by(boom)),
    "comparison in sort()": lambda boom: sequence(2, 1).sort(key=ordered_by(boom)),
    "equality in remove()": lambda boom: sequence(1).remove(instance(__eq__=lambda self, other: boom())),
    "keys() of update()": lambda boom: YamlMapping().update(instance(keys=lambda self: boom())),
    "item access of update()": lambda boom: YamlMapping().update(
        instance(keys=lambda self: ["k"], __getitem__=lambda self, key: boom())),
    "iteration of update()'s pairs": lambda boom: YamlMapping().update(iterator(boom)),
    "iteration of extend()": lambda boom: YamlSequence().extend(iterator(boom)),
    "iteration of dumps_all()": lambda boom: plovarn.dumps_all(iterator(boom)),
}


@pytest.mark.parametrize("interrupt", [KeyboardInterrupt, SystemExit, GeneratorExit])
@pytest.mark.parametrize("case", CASES)
def test_interrupt_passes_through_unchanged(case, interrupt):
    raised = interrupt("from the caller's code")

    def boom():
        raise raised

    with pytest.raises(interrupt) as info:
        CASES[case](boom)
    assert info.value is raised
