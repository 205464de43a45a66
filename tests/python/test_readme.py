"""Every Python example of README.md runs, and prints what the README says it prints.

An example is a ```python block; when the next paragraph is "prints", the fenced
block after it is the exact expected output. Each example runs on its own in a
fresh interpreter, as a reader would paste it.
"""

from __future__ import annotations

import os
import re
import subprocess
import sys
from pathlib import Path

import pytest

import plovarn

README = Path(__file__).resolve().parents[2] / "README.md"

FENCE = re.compile(r"^```(\w*)\n(.*?)^```\n", re.MULTILINE | re.DOTALL)


def examples() -> list[tuple[int, str, str | None]]:
    """(line number, code, expected output or None) for each Python block."""
    text = README.read_text(encoding="utf-8")
    blocks = list(FENCE.finditer(text))
    found = []
    for i, block in enumerate(blocks):
        if block.group(1) != "python":
            continue
        expected = None
        if i + 1 < len(blocks):
            between = text[block.end():blocks[i + 1].start()]
            if between.strip() == "prints":
                expected = blocks[i + 1].group(2)
        found.append((text.count("\n", 0, block.start()) + 1, block.group(2), expected))
    return found


def module_dir() -> str:
    # The examples import the same module as the tests, from wherever it came.
    paths = [str(Path(plovarn.__file__).parent), os.environ.get("PYTHONPATH", "")]
    return os.pathsep.join(p for p in paths if p)


def test_readme_has_examples_with_outputs() -> None:
    found = examples()
    assert len(found) >= 5
    assert sum(expected is not None for _, _, expected in found) >= 5


@pytest.mark.parametrize(
    ("line", "code", "expected"), examples(), ids=[f"line{n}" for n, _, _ in examples()]
)
def test_readme_example(line: int, code: str, expected: str | None, tmp_path: Path) -> None:
    result = subprocess.run(
        [sys.executable, "-c", code],
        cwd=tmp_path,
        env=dict(os.environ, PYTHONPATH=module_dir()),
        capture_output=True,
        text=True,
        timeout=60,
    )
    assert result.returncode == 0, f"README.md line {line}:\n{result.stderr}"
    if expected is not None:
        assert result.stdout == expected, f"README.md line {line}"
