"""The README's Python snippets and the examples run as written."""

import pathlib
import re
import subprocess
import sys

import pytest

ROOT = pathlib.Path(__file__).resolve().parent.parent
README = (ROOT / "README.md").read_text()


@pytest.mark.parametrize("snippet", re.findall(r"```python\n(.*?)```", README, re.S))
def test_readme_snippet(snippet):
    out = subprocess.run([sys.executable, "-c", snippet], capture_output=True, text=True, timeout=120)
    assert out.returncode == 0, out.stderr
    # Every "# value" comment after a print states what it prints.
    expected = [m.group(1).split("   ")[0].strip()
                for m in re.finditer(r"^\s*print\(.*\)\s+# (.*)$", snippet, re.M)]
    printed = [line.strip() for line in out.stdout.splitlines()]
    assert printed == expected


@pytest.mark.parametrize("example", sorted((ROOT / "examples").glob("*.py")), ids=lambda p: p.name)
def test_example_runs(example):
    out = subprocess.run([sys.executable, str(example)], capture_output=True, text=True, timeout=300)
    assert out.returncode == 0, out.stderr
    assert out.stdout.strip()
