"""Real configuration files: dumping what was loaded is stable, and the values survive."""

import copy
import math
import pathlib

import pytest
from peer_readers import pyyaml_load_all

import plovarn

CORPUS = pathlib.Path(__file__).resolve().parents[3] / "shared" / "corpus"
FILES = sorted(p for p in CORPUS.rglob("*") if p.suffix in (".yaml", ".yml")) if CORPUS.is_dir() else []


def plain(x):
    if isinstance(x, plovarn.YamlScalar):
        return plain(x.value)
    if isinstance(x, dict):
        return [(k, plain(v)) for k, v in x.items()]
    if isinstance(x, list):
        return [plain(v) for v in x]
    if isinstance(x, float) and math.isnan(x):
        return "nan"
    return (type(x).__name__, x)


@pytest.mark.skipif(not FILES, reason="the shared corpus is not beside the project")
@pytest.mark.parametrize("path", FILES, ids=lambda p: str(p.relative_to(CORPUS)))
def test_dump_of_a_loaded_file_is_stable_and_keeps_values(path):
    docs = plovarn.loads_all(path.read_text(encoding="utf-8"))
    for doc in docs:
        once = plovarn.dumps(doc)
        again = plovarn.loads(once)
        assert plovarn.dumps(again) == once
        assert plain(again) == plain(doc)


@pytest.mark.skipif(not FILES, reason="the shared corpus is not beside the project")
@pytest.mark.parametrize("path", FILES, ids=lambda p: str(p.relative_to(CORPUS)))
def test_another_reader_reads_the_written_file_as_the_original(path):
    text = path.read_text(encoding="utf-8")
    out = plovarn.dumps_all(plovarn.loads_all(text))
    assert plovarn.dumps_all(plovarn.loads_all(out)) == out
    assert pyyaml_load_all(out) == pyyaml_load_all(text)


def containers(x):
    if isinstance(x, (dict, list)):
        yield x
        for v in x.values() if isinstance(x, dict) else x:
            yield from containers(v)


@pytest.mark.skipif(not FILES, reason="the shared corpus is not beside the project")
@pytest.mark.parametrize("path", FILES[::4], ids=lambda p: str(p.relative_to(CORPUS)))
def test_copies_write_what_the_original_writes_and_edits_stay_in_the_copy(path):
    docs = plovarn.loads_all(path.read_text(encoding="utf-8"))
    written = plovarn.dumps_all(docs)
    assert plovarn.dumps_all([copy.copy(d) for d in docs]) == written
    deep = copy.deepcopy(docs)
    assert plovarn.dumps_all(deep) == written
    for c in (c for d in deep for c in containers(d)):
        if isinstance(c, dict):
            for key in list(c)[:1]:
                c.set_comment_before(key, "# changed")
                c[key + "-new"] = 1
        else:
            c.append("new")
    assert plovarn.dumps_all(docs) == written
