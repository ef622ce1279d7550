#!/usr/bin/env bash
# Builds the wheel (reusing the build directory of install_module), installs it into a fresh
# virtual environment outside the source tree, imports it there and type-checks a user's script
# against the stub the wheel carries. The interpreter is OND_PYTHON, else .venv (ensure_venv in
# env.sh); warnings are errors.
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
ensure_venv
TMP="$(mktemp -d)"
trap 'rm -rf "$TMP"' EXIT
"$PY" -m pip wheel -q --no-build-isolation --no-deps -Cbuild-dir="$ROOT/build/py" \
    -Ccmake.define.OND_WERROR=ON -w "$TMP/dist" "$ROOT"
"$PY" -m venv "$TMP/venv"
"$TMP/venv/bin/python" -m pip install -q --no-index --no-deps "$TMP"/dist/ondrex-*.whl
cp "$ROOT/tests/typing/user_script.py" "$TMP/"
cd "$TMP"
"$TMP/venv/bin/python" - <<'PY'
import pathlib, site, sys
import ondrex
here = pathlib.Path(sys.prefix).resolve()
assert pathlib.Path(ondrex.__file__).resolve().is_relative_to(here), ondrex.__file__
stubs = [p for d in site.getsitepackages() for p in pathlib.Path(d).glob("ondrex-stubs/*.pyi")]
assert sorted(p.name for p in stubs) == ["__init__.pyi", "algos.pyi", "analyses.pyi"], stubs
print("wheel imports from", pathlib.Path(ondrex.__file__).name, "with", len(stubs), "stub files")
PY
"$TMP/venv/bin/python" user_script.py
"$PY" -m mypy --strict --cache-dir=/dev/null --python-executable "$TMP/venv/bin/python" \
    user_script.py
