"""The module in sub-interpreters with their own GIL, alone and several at once, and
module objects that coexist in one interpreter.

The sub-interpreter API is private (_xxsubinterpreters on 3.12, _interpreters on
3.13); the tests skip where it is absent or has another shape.
"""

import importlib
import os
import sys
import textwrap
import threading

import pytest

import plovarn


def subinterpreter_api():
    for name in ("_interpreters", "_xxsubinterpreters"):
        try:
            api = importlib.import_module(name)
        except ImportError:
            continue
        if all(hasattr(api, f) for f in ("create", "destroy", "run_string")):
            return api
    return None


API = subinterpreter_api()
needs_subinterpreters = pytest.mark.skipif(API is None, reason="no sub-interpreter API on this Python")

MODULE_DIR = os.path.dirname(plovarn.__file__)

# Loads, edits, sorts and dumps a commented document `rounds` times and checks
# every result; an AssertionError ends the run in the sub-interpreter.
WORK = textwrap.dedent("""\
    import sys
    sys.path.insert(0, {module_dir!r})
    import plovarn
    text = ("# head\\n" + "".join(f"k{{i:03}}: {{i}}  # c{{i}}\\n" for i in range({keys}, 0, -1))
            + "list:\\n  - a  # first\\n  - b\\n")
    for _ in range({rounds}):
        doc = plovarn.loads(text)
        assert type(doc) is plovarn.YamlMapping and doc["k001"] == 1
        doc["new"] = {{"x": [1, 2.5, None, True]}}
        doc.sort_keys()
        doc["list"].append("c")
        out = plovarn.dumps(doc)
        back = plovarn.loads(out)
        assert back.get_comment_inline("k001") == "c1", out
        assert back["list"].get_comment_inline(0) == "first"
        assert back.to_dict()["new"] == {{"x": [1, 2.5, None, True]}}
        assert list(back)[0] == "k001" and repr(back["list"]) == 'YamlSequence(["a", "b", "c"])'
    try:
        plovarn.loads("a: [1\\n")
    except RuntimeError as error:
        assert (error.line, error.column) == (2, 1), error
    else:
        raise AssertionError("no parse error")
""")


def work(rounds, keys=40):
    return WORK.format(module_dir=MODULE_DIR, rounds=rounds, keys=keys)


def run(interp, code):
    # 3.12 raises for an exception left uncaught; 3.13 returns a description of it.
    failure = API.run_string(interp, code)
    assert failure is None, failure


def new_interpreter():
    # Both APIs make an isolated interpreter by default: its own GIL, and only
    # extension modules that declare support for that may be imported.
    return API.create()


@needs_subinterpreters
def test_import_load_and_dump_in_an_isolated_subinterpreter():
    interp = new_interpreter()
    try:
        if hasattr(API, "get_config"):  # 3.13 tells how the interpreter was made
            assert API.get_config(interp).gil == "own"
        run(interp, work(rounds=3))
        # The module object, its classes and its state stay usable across runs.
        run(interp, "assert plovarn.dumps(plovarn.loads('a: 1  # c\\n')) == 'a: 1  # c\\n'")
    finally:
        API.destroy(interp)
    # The main interpreter's classes are untouched by the other's.
    assert plovarn.dumps(plovarn.loads("b: 2\n")) == "b: 2\n"


@needs_subinterpreters
def test_interpreters_made_and_destroyed_in_turn():
    for _ in range(5):
        interp = new_interpreter()
        try:
            run(interp, work(rounds=1, keys=5) + "\nkept = [plovarn.loads('a: [1]\\n')['a']]\n")
        finally:
            API.destroy(interp)  # with objects of its classes still alive in it


@needs_subinterpreters
@pytest.mark.parametrize("threads", [2, 4])
def test_several_subinterpreters_work_at_once(threads):
    interps = [new_interpreter() for _ in range(threads)]
    failures = []
    start = threading.Barrier(threads + 1)

    def body(interp):
        start.wait()
        try:
            run(interp, work(rounds=40))
        except BaseException as error:  # reported by the main thread
            failures.append(error)

    workers = [threading.Thread(target=body, args=(interp,)) for interp in interps]
    try:
        for worker in workers:
            worker.start()
        start.wait()
        # The main interpreter keeps working meanwhile, with its own classes.
        for _ in range(40):
            doc = plovarn.loads("z: 1\na: 2  # two\n")
            doc.sort_keys()
            assert plovarn.dumps(doc) == "a: 2  # two\nz: 1\n"
        for worker in workers:
            worker.join(timeout=120)
        assert not any(worker.is_alive() for worker in workers)
    finally:
        for interp in interps:
            API.destroy(interp)
    assert failures == []


def test_a_second_module_object_takes_the_first_ones_documents():
    # Reimporting makes a new module object with its own classes; documents of
    # either are documents for both, and keep working with their own methods.
    saved = sys.modules.pop("plovarn")
    try:
        second = importlib.import_module("plovarn")
    finally:
        sys.modules["plovarn"] = saved
    assert second is not plovarn and second.YamlMapping is not plovarn.YamlMapping
    for make, dump in ((plovarn, second), (second, plovarn)):
        doc = make.loads("a:  # c\n  - 1\n  - b: 2\n")
        doc["a"].append(3)
        doc["d"] = {"e": [4]}
        assert type(doc["d"]) is make.YamlMapping and type(doc["a"][1]) is make.YamlMapping
        assert dump.dumps(doc) == make.dumps(doc) == "a:  # c\n  - 1\n  - b: 2\n  - 3\nd:\n  e:\n    - 4\n"
        assert dump.dumps_all([doc, make.loads("5")]) == make.dumps_all([doc, make.loads("5")])
        other = dump.YamlMapping()
        other.update(doc)
        assert other.get_comment_inline("a") == "c"
