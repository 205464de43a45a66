"""The type stub against the module that is imported, and a program typed with it.

The stub checked is the one in the source tree (src/lib/plovarn.pyi). It is put
beside a copy of the imported extension module in a temporary directory, so
that stubtest and mypy see exactly that pair whether the module comes from an
installed wheel or from a build directory on PYTHONPATH.
"""

from __future__ import annotations

import os
import shutil
import subprocess
import sys
from pathlib import Path

import pytest

try:
    import plovarn
except ImportError as exc:  # pragma: no cover - depends on the environment
    pytest.skip(f"the plovarn module cannot be imported: {exc}", allow_module_level=True)

REPO = Path(__file__).resolve().parents[2]
STUB = REPO / "src" / "lib" / "plovarn.pyi"
EXAMPLE = Path(__file__).with_name("typing_example.py")


@pytest.fixture(scope="module")
def module_with_stub(tmp_path_factory: pytest.TempPathFactory) -> Path:
    """A directory holding a copy of the imported module and the source stub."""
    where = tmp_path_factory.mktemp("stubbed")
    shutil.copy2(plovarn.__file__, where / Path(plovarn.__file__).name)
    shutil.copy2(STUB, where / "plovarn.pyi")
    return where


def run(args: list[str], cwd: Path, pythonpath: Path) -> subprocess.CompletedProcess[str]:
    env = dict(os.environ, PYTHONPATH=str(pythonpath), MYPYPATH=str(pythonpath))
    return subprocess.run(
        [sys.executable, *args], cwd=cwd, env=env, capture_output=True, text=True, timeout=300
    )


def test_stub_matches_the_runtime_module(module_with_stub: Path) -> None:
    # No allowlist: every name, signature, default and class property must agree.
    result = run(["-m", "mypy.stubtest", "plovarn"], module_with_stub, module_with_stub)
    assert result.returncode == 0, result.stdout + result.stderr


def test_example_program_passes_strict_checking(module_with_stub: Path) -> None:
    # The example also holds calls that must be rejected, each marked with the
    # expected error code; --strict reports any marker that was not needed.
    result = run(
        ["-m", "mypy", "--strict", "--no-incremental", "--cache-dir", os.devnull, str(EXAMPLE)],
        module_with_stub,
        module_with_stub,
    )
    assert result.returncode == 0, result.stdout + result.stderr


def test_example_program_runs(module_with_stub: Path) -> None:
    # What the checker accepts must also work: the example asserts its own results.
    result = run([str(EXAMPLE)], module_with_stub, module_with_stub)
    assert result.returncode == 0, result.stdout + result.stderr
    reloaded = plovarn.loads(result.stdout.split("---\n", 1)[0])
    assert isinstance(reloaded, plovarn.YamlMapping)
    assert list(reloaded) == ["debug", "image", "owner", "ports", "replicas", "team"]
    assert reloaded.get_comment_before("debug") == "Never enable in production"


def test_installed_stub_is_the_source_stub() -> None:
    # An installed wheel carries the stub beside the module; a stale one would
    # describe another version of the interface.
    beside = Path(plovarn.__file__).with_name("plovarn.pyi")
    if not beside.exists():
        pytest.skip("the module under test is not an installed wheel (no stub beside it)")
    assert beside.read_text(encoding="utf-8") == STUB.read_text(encoding="utf-8")


def test_every_function_and_method_of_the_stub_has_a_docstring() -> None:
    # The module's own docstrings hold only text signatures; help() in an editor
    # and the generated documentation read these.
    import ast

    tree = ast.parse(STUB.read_text(encoding="utf-8"))
    undocumented = []
    for node in ast.walk(tree):
        # The private protocols describe the caller's streams, not the module.
        public_class = isinstance(node, ast.ClassDef) and not node.name.startswith("_")
        body = node.body if isinstance(node, ast.Module) or public_class else []
        owner = node.name + "." if isinstance(node, ast.ClassDef) else ""
        for item in body:
            if isinstance(item, ast.FunctionDef) and not ast.get_docstring(item):
                undocumented.append(owner + item.name)
            if isinstance(item, ast.ClassDef) and not item.name.startswith("_") and not ast.get_docstring(item):
                undocumented.append(item.name)
    assert undocumented == []
