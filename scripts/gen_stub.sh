#!/usr/bin/env bash
# Regenerates the typing stub stubs/ondrex-stubs/ from the module built by scripts/dev.sh
# (build/dev). Run it after changing a binding, then scripts/check_stub.sh.
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
ensure_venv
OUT="$(mktemp -d)"
trap 'rm -rf "$OUT"' EXIT
PYTHONPATH="$ROOT/build/dev" "$PY" -m pybind11_stubgen --exit-code -o "$OUT" ondrex
rm -rf "$ROOT/stubs/ondrex-stubs"
mkdir -p "$ROOT/stubs"
mv "$OUT/ondrex" "$ROOT/stubs/ondrex-stubs"
# What the generator gets wrong for a type checker: comparisons that refuse foreign operands
# (they raise TypeError) narrow object's signature on purpose, the unhashable classes null
# __hash__, and Matrix.identity is called on the class with the size as its only argument. The
# version is the installed package's, not the one of the build the stub was made from.
"$PY" - "$ROOT/stubs/ondrex-stubs/__init__.pyi" <<'PY'
import re, sys
path = sys.argv[1]
text = open(path).read()
text = re.sub(r"(def __(?:eq|ne)__\(self, arg0: \w+\) -> bool:)", r"\1  # type: ignore[override]", text)
text = text.replace("__hash__: typing.ClassVar[None] = None",
                    "__hash__: typing.ClassVar[None] = None  # type: ignore[assignment]")
text = text.replace("    def identity(self: typing.SupportsInt | typing.SupportsIndex) -> Matrix:",
                    "    @staticmethod\n    def identity(arg0: typing.SupportsInt | typing.SupportsIndex) -> Matrix:")
text = re.sub(r"^__version__: str = .*$", "__version__: str", text, flags=re.M)
open(path, "w").write(text)
PY
