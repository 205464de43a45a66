"""The bundled example edits a commented configuration and keeps every comment."""

import pathlib
import subprocess
import sys

import plovarn

ROOT = pathlib.Path(__file__).resolve().parents[2]
EXAMPLE = ROOT / "examples" / "edit_config.py"
CONFIG = ROOT / "examples" / "service.yaml"


def comment_texts(text):
    return [line.split("#", 1)[1].strip() for line in text.splitlines() if "#" in line]


def test_example_keeps_every_comment_and_applies_the_edits():
    out = subprocess.run([sys.executable, str(EXAMPLE), str(CONFIG)], check=True,
                         capture_output=True, text=True).stdout
    original = CONFIG.read_text(encoding="utf-8")
    for comment in comment_texts(original):
        assert comment in out, comment
    assert "  replicas: 4  # raised to 6 during sales\n" in out
    assert "  ssl: true  # required since the audit\n" in out
    assert "# Log shipping; see the runbook.\nlogging:\n" in out
    assert '  password: ""  # injected from the vault at start-up\n' in out

    before, after = plovarn.loads(original), plovarn.loads(out)
    assert after["database"].to_dict() == {**before["database"].to_dict(), "ssl": True}
    assert after["service"]["replicas"] == 4
    assert list(after) == list(before)
    # A second round trip changes nothing.
    assert plovarn.dumps(plovarn.loads(out)) == out
