"""The source distribution builds a working wheel in a fresh virtual environment.

One sdist is built from the source tree, a wheel is built from that sdist alone
(which proves the sdist holds everything the build needs), and the wheel is
installed into a new virtual environment where the module is imported and used
and mypy finds its types. This compiles the extension once, about a minute and
a half on two cores.
"""

from __future__ import annotations

import email.parser
import email.message
import os
import subprocess
import sys
import tarfile
import tomllib
import zipfile
from dataclasses import dataclass
from pathlib import Path

import pytest

REPO = Path(__file__).resolve().parents[2]
PROJECT = tomllib.loads((REPO / "pyproject.toml").read_text(encoding="utf-8"))["project"]
NAME, VERSION = PROJECT["name"], PROJECT["version"]
STUB = REPO / "src" / "lib" / "plovarn.pyi"
TIMEOUT = 900


def run(args: list[str], cwd: Path) -> subprocess.CompletedProcess[str]:
    env = {k: v for k, v in os.environ.items() if k not in ("PYTHONPATH", "MYPYPATH")}
    env.setdefault("CMAKE_BUILD_PARALLEL_LEVEL", "2")
    result = subprocess.run(args, cwd=cwd, env=env, capture_output=True, text=True, timeout=TIMEOUT)
    assert result.returncode == 0, f"{args} failed:\n{result.stdout}\n{result.stderr}"
    return result


@dataclass
class Built:
    sdist: Path
    source_files: set[str]
    wheel: Path
    venv_python: Path
    workdir: Path


@pytest.fixture(scope="module")
def built(tmp_path_factory: pytest.TempPathFactory) -> Built:
    work = tmp_path_factory.mktemp("packaging")
    source_files = {
        p.relative_to(REPO).as_posix()
        for p in (REPO / "src").rglob("*")
        if p.is_file() and "__pycache__" not in p.parts
    }
    run([sys.executable, "-m", "build", "--sdist", "--outdir", str(work / "dist"), str(REPO)], work)
    (sdist,) = (work / "dist").glob("*.tar.gz")
    run([sys.executable, "-m", "pip", "wheel", "--no-deps", "-q", "-w", str(work / "wheels"),
         str(sdist)], work)
    (wheel,) = (work / "wheels").glob("*.whl")
    run([sys.executable, "-m", "venv", str(work / "venv")], work)
    venv_python = work / "venv" / "bin" / "python"
    run([str(venv_python), "-m", "pip", "install", "-q", "--no-deps", "--no-index", str(wheel)],
        work)
    return Built(sdist, source_files, wheel, venv_python, work)


def parse_metadata(text: str) -> email.message.Message:
    return email.parser.Parser().parsestr(text)


def check_metadata(meta: email.message.Message) -> None:
    assert meta["Name"] == NAME
    assert meta["Version"] == VERSION
    assert meta["Summary"] == PROJECT["description"]
    assert meta["Requires-Python"] == PROJECT["requires-python"]
    assert meta["License"] or meta["License-Expression"]
    classifiers = meta.get_all("Classifier") or []
    assert "Typing :: Typed" in classifiers
    assert any(c.startswith("License :: ") for c in classifiers)
    assert any(c.startswith("Programming Language :: Python :: 3") for c in classifiers)
    assert meta["Description-Content-Type"] == "text/markdown"
    assert meta.get_payload().strip() == (REPO / "README.md").read_text(encoding="utf-8").strip()
    # The project publishes no addresses.
    for field in ("Project-URL", "Home-page", "Download-URL"):
        assert meta[field] is None, field
    extras = meta.get_all("Provides-Extra") or []
    assert {"test", "bench"} <= set(extras)


def test_sdist_holds_the_whole_source_and_no_build_output(built: Built) -> None:
    prefix = f"{NAME}-{VERSION}/"
    with tarfile.open(built.sdist) as tar:
        names = {m.name.removeprefix(prefix) for m in tar.getmembers() if m.isfile()}
        pkg_info = tar.extractfile(prefix + "PKG-INFO")
        assert pkg_info is not None
        check_metadata(parse_metadata(pkg_info.read().decode("utf-8")))
    needed = {"CMakeLists.txt", "pyproject.toml", "README.md", "src/lib/plovarn.pyi",
              "src/lib/plovarn-stubs/__init__.pyi"} | built.source_files
    missing = sorted(needed - names)
    assert not missing, f"missing from the sdist: {missing}"
    assert not [n for n in names if n.startswith(("build", "dist/", ".ci/"))]
    assert not [n for n in names if n.endswith((".so", ".o", ".pyc"))]


def test_wheel_carries_module_stub_and_metadata(built: Built) -> None:
    with zipfile.ZipFile(built.wheel) as whl:
        names = set(whl.namelist())
        assert any(n.startswith("plovarn.") and n.endswith(".so") and "/" not in n for n in names)
        source_stub = STUB.read_bytes()
        assert whl.read("plovarn.pyi") == source_stub
        assert whl.read("plovarn-stubs/__init__.pyi") == source_stub
        check_metadata(parse_metadata(whl.read(f"{NAME}-{VERSION}.dist-info/METADATA").decode()))


def test_module_works_in_a_fresh_environment(built: Built) -> None:
    probe = (
        "import sys, plovarn\n"
        "assert plovarn.__file__.startswith(sys.prefix), plovarn.__file__\n"
        "doc = plovarn.loads('# head\\nb: 1  # one\\na: [x, z]\\n')\n"
        "doc.sort_keys()\n"
        "sys.stdout.write(plovarn.dumps(doc))\n"
    )
    result = run([str(built.venv_python), "-c", probe], built.workdir)
    assert result.stdout == "a:\n  - x\n  - z\n# head\nb: 1  # one\n"


def test_mypy_finds_the_installed_types(built: Built) -> None:
    # A stub beside a top-level extension module is invisible to mypy in
    # site-packages; the plovarn-stubs package is what makes it find the types.
    example = built.workdir / "uses_plovarn.py"
    example.write_text(
        "import plovarn\n"
        "reveal_type(plovarn.loads)\n"
        "plovarn.YamlMapping().set_comment_before('k', 'c')\n",
        encoding="utf-8",
    )
    cmd = [sys.executable, "-m", "mypy", "--strict", "--no-incremental", "--cache-dir", os.devnull,
           "--python-executable", str(built.venv_python), str(example)]
    result = run(cmd, built.workdir)
    assert 'Revealed type is "def (text: ' in result.stdout
    assert "-> plovarn.YamlMapping" in result.stdout
