"""Real configuration files: dumping what was loaded is stable, and the values survive."""

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
